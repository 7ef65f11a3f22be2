#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "tests/support/filehelpers.h"
#include "tests/xbase/memo_support_test.h"
#include "xbase/memoblob.h"
#include "xbase/expressionevaluator.h"
#include "xbase/expressionparser.h"

namespace qorva {
namespace {

using xbtest::AppendRow;
using xbtest::AppendWithMemo;
using xbtest::CreateMemoTable;
using xbtest::kDbt3;
using xbtest::kDbt4;
using xbtest::kFpt;
using xbtest::MemoKind;
using xbtest::MemoOf;
using xbtest::MemoPath;

std::string Hex(const std::string& s) {
  static const char* d = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (!out.empty()) out += ' ';
    out += d[c >> 4];
    out += d[c & 15];
  }
  return out;
}

class MemoFiles : public xbtest::EngineTest {
 protected:
  std::string Open(const MemoKind& kind, const std::string& name = "notes", uint16_t blockSize = 0,
                   const std::string& extra = "") {
    std::string table = CreateMemoTable(dir_ / (name + ".dbf"), kind, blockSize);
    Use(table, extra);
    return table;
  }
  size_t FilesInFolder() const {
    size_t n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir_.path())) ++n;
    return n;
  }
};

// ---- The three file layouts --------------------------------------------------------------------

TEST_F(MemoFiles, AppendedMemosAreLaidOutByteForByte) {
  struct Case {
    MemoKind kind;
    uint16_t blockSize;
    std::string text;
    int32_t ref;
    std::string at;       // bytes expected from position `from`
    size_t from;
    size_t size;          // file size afterwards
    std::string next;     // bytes 0-3
  };
  const std::string six(600, 'x');
  const std::vector<Case> cases = {
      {kDbt3, 512, six, 1, six + '\x1A' + std::string(1535 - 1112, '\0'), 512, 1536, std::string("\x03\0\0\0", 4)},
      {kDbt4, 512, "abc", 1, std::string("\xFF\xFF\x08\x00\x0B\x00\x00\x00" "abc", 11), 512, 523,
       std::string("\x02\0\0\0", 4)},
      {kFpt, 512, "abc", 1, std::string("\0\0\0\x01\0\0\0\x03" "abc", 11), 512, 523, std::string("\0\0\0\x02", 4)},
      {kFpt, 64, "abc", 8, std::string("\0\0\0\x01\0\0\0\x03" "abc", 11), 512, 523, std::string("\0\0\0\x09", 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.kind.name) + " " + std::to_string(c.blockSize));
    std::string table = Open(c.kind, "t", c.blockSize);
    const std::string file = MemoPath(table, c.kind);
    EXPECT_EQ(AddMemo(c.text + " \r\n"), c.ref);  // trailing blanks and line ends are not kept
    EXPECT_EQ(engineState.XbErrorCode, 0);
    std::string bytes = FileBytes(file);
    ASSERT_EQ(bytes.size(), c.size);
    EXPECT_EQ(Hex(bytes.substr(c.from, c.at.size())), Hex(c.at));
    EXPECT_EQ(Hex(bytes.substr(0, 4)), Hex(c.next));
    if (c.kind.version == 0x8B) {
      EXPECT_EQ(bytes.substr(24, 512 - 24), std::string(488, '\0'));  // padded block 0
    }

    // A text of blanks and line ends writes nothing.
    EXPECT_EQ(AddMemo("  \r\n\t "), 0);
    EXPECT_EQ(FileBytes(file), bytes);

    // The next memo starts on the next block boundary, the gap filled with zeros.
    const int32_t second = AddMemo("z");
    const size_t at = static_cast<size_t>(second) * c.blockSize;
    EXPECT_EQ(at, (c.size + c.blockSize - 1) / c.blockSize * c.blockSize);
    bytes = FileBytes(file);
    EXPECT_EQ(bytes.substr(c.size, at - c.size), std::string(at - c.size, '\0'));
    CloseArea();
  }
}

TEST_F(MemoFiles, ExactBlockSizedAndBinaryMemosReadBackWhole) {
  for (const MemoKind& kind : {kDbt3, kDbt4, kFpt}) {
    SCOPED_TRACE(kind.name);
    std::string table = Open(kind, "b");
    const uint16_t bs = CurrentBlock()->MemoBlock->BlockSize;
    std::string binary;
    for (int i = 0; i < 700; ++i) binary += static_cast<char>(i * 7);
    const std::vector<std::pair<std::string, bool>> memos = {
        {"short", false},
        {std::string(bs, 'e'), false},                                   // exactly one block of text
        {std::string(kind.version == 0x83 ? 511 : bs - 8, 'f'), false},  // fills a block with its mark/header
        {std::string(3 * bs + 5, 'm'), false},                           // several blocks
        {binary, true},
        {std::string("text with \x1A inside"), false},
    };
    for (size_t i = 0; i < memos.size(); ++i) AppendWithMemo("r" + std::to_string(i), memos[i].first, memos[i].second);
    CloseArea();
    Use(table);
    for (size_t i = 0; i < memos.size(); ++i) {
      GO(static_cast<int32_t>(i + 1));
      EXPECT_EQ(MemoOf(), memos[i].first) << i;
      // Only a dBase III file needs the header form for data holding its end mark.
      const bool negative = GetFieldMemo(2) < 0;
      EXPECT_EQ(negative, kind.version == 0x83 && (memos[i].second || i == 5)) << i;
    }
    CloseArea();
  }
}

TEST_F(MemoFiles, OpenWithTheTableAndCloseWithIt) {
  std::string table = Open(kFpt, "o", 128);
  ASSERT_NE(CurrentBlock()->MemoBlock, nullptr);
  EXPECT_EQ(CurrentBlock()->MemoBlock->BlockSize, 128);
  EXPECT_EQ(CurrentBlock()->MemoBlock->MemoType, 0xF5);
  EXPECT_EQ(CurrentBlock()->MemoBlock->FileName, MemoPath(table, kFpt));
  OpenMemofile(XbNoExtension(table));
  EXPECT_EQ(engineState.XbErrorCode, 1007);
  EXPECT_EQ(XbTakeErrorContext(), XbNoExtension(table) + ".FPT [USE]");
  CloseArea();

  // The memo file is found whatever the case of its name; without it the table does not open.
  std::filesystem::rename(MemoPath(table, kFpt), dir_ / "O.FPT");
  Use(table);
  EXPECT_NE(CurrentBlock()->MemoBlock, nullptr);
  CloseArea();
  std::filesystem::remove(dir_ / "O.FPT");
  USE(table);
  EXPECT_EQ(engineState.XbErrorCode, 2);
  EXPECT_EQ(XbTakeErrorContext(), "Problem beim \xD6" "ffnen der Memo-Datei [USE(" + table + ",@Buffer,0)]");
  EXPECT_EQ(CurrentBlock(), nullptr);
}

// ---- Copying between memo files ----------------------------------------------------------------

TEST_F(MemoFiles, CopiesChangeFormWhereTheDestinationNeedsIt) {
  Select(1);
  std::string four = Open(kDbt4, "four");
  const int32_t withZero = AddMemo(std::string("a\0b", 3));
  const int32_t plain = AddMemo("plain text");
  Select(2);
  std::string three = Open(kDbt3, "three");
  const int32_t text3 = AddMemo("old style");

  // Data with a zero byte cannot be dBase III text: it keeps a header and a negative reference.
  const int32_t copied = CopyMemo(1, withZero);
  ASSERT_LT(copied, 0);
  std::string bytes = FileBytes(MemoPath(three, kDbt3));
  EXPECT_EQ(Hex(bytes.substr(static_cast<size_t>(-copied) * 512, 11)), Hex(std::string("\xFF\xFF\x08\x00\x0B\0\0\0a\0b", 11)));
  const int32_t copiedPlain = CopyMemo(1, plain);
  EXPECT_GT(copiedPlain, 0);
  bytes = FileBytes(MemoPath(three, kDbt3));
  EXPECT_EQ(bytes.substr(static_cast<size_t>(copiedPlain) * 512, 11), "plain text\x1A");

  // A dBase III text gets a header whose length is the text without its end mark.
  Select(1);
  const int32_t back = CopyMemo(2, text3);
  bytes = FileBytes(MemoPath(four, kDbt4));
  EXPECT_EQ(Hex(bytes.substr(static_cast<size_t>(back) * 512, 17)), Hex(std::string("\xFF\xFF\x08\x00\x11\0\0\0old style", 17)));
  EXPECT_EQ(CopyMemo(2, copied), static_cast<int32_t>(bytes.size() + 511) / 512);  // and back with its zero
  std::string data;
  ASSERT_TRUE(ReadMemo(CopyMemo(2, copied), data));
  EXPECT_EQ(data, std::string("a\0b", 3));
  EXPECT_EQ(CopyMemo(2, 0), 0);
}

TEST_F(MemoFiles, ACopyThatFindsNoMemoReleasesTheWriteLock) {
  Select(1);
  std::string src = Open(kDbt4, "src");
  ASSERT_EQ(AddMemo(std::string(600, 'x')), 1);  // blocks 1 and 2
  Select(2);
  std::string dst = Open(kDbt4, "dst");
  const std::string dstMemo = MemoPath(dst, kDbt4);
  for (int32_t ref : {400, -400}) {  // past the end
    EXPECT_EQ(CopyMemo(1, ref), 0) << ref;
    EXPECT_EQ(engineState.XbErrorCode, 0);
    EXPECT_FALSE(CurrentBlock()->MemoBlock->Locked);
    EXPECT_FALSE(xbtest::RangeLockedByOthers(dstMemo, 10, 1)) << ref;
  }
  // Another writer still gets the lock at once.
  EXPECT_EQ(xbtest::InChild([dst] {
              Select(5);
              USE(dst + " ALIAS OTHER");
              return AddMemo("from the other program") > 0 ? 0 : 100 + engineState.XbErrorCode % 100;
            }),
            0);
}

TEST_F(MemoFiles, ARefusedLockNamesTheRealMemoFile) {
  std::string table = Open(kFpt, "busy");
  const std::string memoFile = MemoPath(table, kFpt);
  int fd = ::open(memoFile.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(LockRange(false, fd, 10, 1), 0);  // another program is appending
  EXPECT_EQ(AddMemo("waits"), 0);
  EXPECT_EQ(engineState.XbErrorCode, 1017);
  EXPECT_EQ(XbTakeErrorContext(), memoFile + " [AddMemo()]");
  ::close(fd);
  EXPECT_GT(AddMemo("now"), 0);
}

TEST_F(MemoFiles, TwoProgramsAppendUnderTheWriteLock) {
  std::string table = Open(kDbt4, "shared");
  CloseArea();
  constexpr int kEach = 150;
  auto writer = [table](const std::string& tag) {
    return xbtest::InChild([table, tag] {
      Select(3);
      USE(table + " ALIAS W" + tag);
      if (engineState.XbErrorCode != 0) return 2;
      for (int i = 0; i < kEach; ++i) {
        const std::string name = tag + std::to_string(i);
        const int32_t ref = AddMemo(name + ":" + std::string(static_cast<size_t>(40 + (i * 37) % 900), tag[0]));
        if (ref <= 0) return 3;
        ClearRecord();
        SetFieldText(1, name);
        SetFieldMemo(2, ref);
        if (!ALock()) {
          --i;  // the other writer is appending a record: try again
          continue;
        }
        Append();
        Unlock();
        if (engineState.XbErrorCode != 0) return 4;
      }
      return 0;
    });
  };
  pid_t a = ::fork();
  if (a == 0) ::_exit(writer("a"));
  const int b = writer("b");
  int status = 0;
  ::waitpid(a, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(b, 0);

  Use(table);
  ASSERT_EQ(RecCount(), 2 * kEach);
  std::map<int32_t, int> refs;
  for (int32_t n = 1; n <= RecCount(); ++n) {
    GO(n);
    const std::string name = XbRTrim(GetFieldText(1));
    const std::string text = MemoOf();
    ASSERT_GE(text.size(), name.size() + 1) << name;
    EXPECT_EQ(text.substr(0, name.size() + 1), name + ":");
    EXPECT_EQ(text.find_first_not_of(name[0], name.size() + 1), std::string::npos) << name;
    ++refs[GetFieldMemo(2)];
  }
  EXPECT_EQ(refs.size(), static_cast<size_t>(2 * kEach));  // no memo written over another
}

// ---- The line reader -------------------------------------------------------------------------

TEST_F(MemoFiles, TheLineReaderDeliversLinesLikeATextFile) {
  Open(kDbt4, "lines");
  std::string longWord(300, 'w');
  std::string wrapped = std::string(250, 'a') + " " + std::string(20, 'b');
  std::string many;
  for (int i = 1; i <= 1100; ++i) many += "l" + std::to_string(i) + "\r\n";
  struct Case {
    std::string memo;
    std::vector<std::string> stored;  // the line table
    std::vector<std::string> read;    // what ReadLn delivers
  };
  const std::vector<Case> cases = {
      {"one\r\ntwo", {"one", "two"}, {"one", "two"}},
      {"a\x8D" "b", {"a", "b"}, {"ab"}},
      {longWord, {std::string(253, 'w'), std::string(47, 'w')}, {longWord}},
      {wrapped, {std::string(250, 'a') + " ", std::string(20, 'b')}, {wrapped}},
      {"up to\x03 here", {"up to"}, {"up to"}},
      {"cr\rlf\nmid", {"cr", "lf\nmid"}, {"cr", "lf\nmid"}},
  };
  for (const Case& c : cases) {
    const int32_t ref = AddMemo(c.memo);
    ASSERT_TRUE(GetMemo(ref));
    EXPECT_EQ(std::vector<std::string>(memo.MemoLines.begin() + 1, memo.MemoLines.end()), c.stored) << c.memo;
    TMemoTextFile f;
    ASSERT_TRUE(f.Assign(ref));
    f.Reset();
    std::vector<std::string> got;
    std::string line;
    while (!f.Eof() && f.ReadLn(line)) got.push_back(line);
    f.Close();
    EXPECT_EQ(got, c.read) << c.memo;
  }
  ASSERT_TRUE(GetMemo(AddMemo(many)));
  EXPECT_EQ(memo.MemoLineCount, 1024);
  EXPECT_EQ(memo.MemoLines[1024], "l1024");

  // A reference past the end of the file is refused, not read.
  GO(1);
  EXPECT_FALSE(GetMemo(5000));
  EXPECT_EQ(engineState.XbErrorCode, 1003);
  std::vector<std::string> lines;
  EXPECT_FALSE(engineState.MemoHooks.AssignMemo(5000, lines));
  EXPECT_TRUE(lines.empty());
}

TEST_F(MemoFiles, AMemoCutOffByTheEndOfTheFileIsAnError) {
  // Its header states more bytes than the file holds (the rest was never written).
  for (const xbtest::MemoKind* kind : {&xbtest::kDbt4, &xbtest::kFpt}) {
    const std::string table = Open(*kind, kind == &xbtest::kFpt ? "cutf" : "cutd");
    xbtest::AppendWithMemo("whole", "a memo that is whole");
    const int32_t ref = xbtest::AppendWithMemo("cut", std::string(3000, 'x'));
    const std::string file = xbtest::MemoPath(table, *kind);
    CloseArea();
    std::filesystem::resize_file(file, std::filesystem::file_size(file) - 1000);
    Use(table);
    GO(1);
    EXPECT_EQ(xbtest::MemoOf(), "a memo that is whole") << kind->name;
    GO(2);
    std::string data;
    engineState.XbErrorCode = 0;
    EXPECT_FALSE(ReadMemo(ref, data)) << kind->name;
    EXPECT_EQ(engineState.XbErrorCode, 1003) << kind->name;
    EXPECT_NE(XbTakeErrorContext().find("[GetMemo]"), std::string::npos);
    engineState.XbErrorCode = 0;
    EXPECT_FALSE(GetMemo(ref)) << kind->name;
    EXPECT_EQ(engineState.XbErrorCode, 1003) << kind->name;
    XbTakeErrorContext();
    engineState.XbErrorCode = 0;
    CloseArea();
  }
}

TEST_F(MemoFiles, TablesWithoutMemoFileAreRefused) {
  std::string plain = xbtest::CreateTable(dir_ / "plain.dbf", {{"NAME", 'C', 5, 0}});
  Use(plain);
  TMemoTextFile f;
  EXPECT_FALSE(f.Assign(1));
  EXPECT_EQ(engineState.XbErrorCode, 1019);
  EXPECT_EQ(XbTakeErrorContext(), AreaFileName() + " No Memo Field [AssignMemo]");
  CloseArea();
  EXPECT_FALSE(f.Assign(1));
  EXPECT_EQ(engineState.XbErrorCode, 215);
  EXPECT_EQ(XbTakeErrorContext(), " [AssignMemo]");
}

// ---- Pack -------------------------------------------------------------------------------------

class MemoPacking : public MemoFiles {
 protected:
  void SetUp() override {
    MemoFiles::SetUp();
    table_ = Open(kDbt4, "pack");
    memoFile_ = MemoPath(table_, kDbt4);
    texts_ = {"first", std::string(1500, 'g'), "third\r\nline", "", "fifth"};
    for (size_t i = 0; i < texts_.size(); ++i)
      AppendWithMemo("r" + std::to_string(i + 1), texts_[i], false);
    // Record 6 shares the memo of record 3; records 2 and 4 are deleted.
    GO(3);
    const int32_t shared = GetFieldMemo(2);
    AppendRow({std::string("r6"), int64_t{shared}});
    texts_.push_back(texts_[2]);
    ASSERT_TRUE(FLock());
    for (int32_t n : {2, 4}) {
      GO(n);
      DeleteRec();
    }
    Unlock();
  }
  // Name -> memo text of every record.
  std::map<std::string, std::string> Contents() {
    std::map<std::string, std::string> out;
    for (int32_t n = 1; n <= RecCount(); ++n) {
      GO(n);
      out[XbRTrim(GetFieldText(1))] = MemoOf();
    }
    return out;
  }
  std::string table_, memoFile_;
  std::vector<std::string> texts_;
};

TEST_F(MemoPacking, KeepsEveryMemoStillReferredTo) {
  const auto sizeBefore = FileBytes(memoFile_).size();
  ASSERT_TRUE(Pack()) << XbErrorMessage();
  EXPECT_EQ(RecCount(), 4);
  const std::map<std::string, std::string> expected = {
      {"r1", "first"}, {"r3", "third\r\nline"}, {"r5", "fifth"}, {"r6", "third\r\nline"}};
  EXPECT_EQ(Contents(), expected);
  // The deleted 1500-byte memo is gone; the shared one is written once per reference.
  std::string bytes = FileBytes(memoFile_);
  EXPECT_LT(bytes.size(), sizeBefore);
  std::vector<int32_t> refs;
  for (int32_t n = 1; n <= RecCount(); ++n) {
    GO(n);
    refs.push_back(GetFieldMemo(2));
  }
  EXPECT_EQ(refs, (std::vector<int32_t>{1, 2, 3, 4}));
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x05\0\0\0", 4));
  EXPECT_EQ(FilesInFolder(), 2u);  // no work file left

  // A second pack has nothing to drop and writes the same file again.
  ASSERT_TRUE(Pack());
  EXPECT_EQ(FileBytes(memoFile_), bytes);
  EXPECT_EQ(Contents(), expected);
  // The memo file is shared again like the table.
  EXPECT_EQ(xbtest::InChild([t = table_] {
              Select(4);
              USE(t + " ALIAS OTHER");
              return static_cast<int>(engineState.XbErrorCode);
            }),
            0);
}

TEST_F(MemoPacking, AFailedStepLeavesTableAndMemosAsTheyWere) {
  const std::string memoBefore = FileBytes(memoFile_);
  for (int step = 1; step <= 7; ++step) {
    SCOPED_TRACE(step);
    CloseArea();
    // A fresh copy of the unpacked table for every step.
    TearDown();
    SetUp();
    const auto before = Contents();
    ASSERT_EQ(FileBytes(memoFile_), memoBefore);
    FlushDbf(*CurrentBlock());
    const std::string tableBefore = FileBytes(table_);
    bool ok;
    if (step <= 6) {
      memo.PackFault = [step](int s) { return s == step ? EIO : 0; };
      ok = Pack();
      memo.PackFault = nullptr;
    } else {
      // The disk fills up while the memos are copied.
      test::FileSizeLimit limit(1024);
      ok = Pack();
    }
    EXPECT_FALSE(ok);
    EXPECT_NE(engineState.XbErrorCode, 0);
    const std::string context = XbTakeErrorContext();
    EXPECT_EQ(context.rfind(memoFile_, 0), 0u) << context;
    engineState.XbErrorCode = 0;
    EXPECT_EQ(FileBytes(memoFile_), memoBefore);
    EXPECT_EQ(FileBytes(table_), tableBefore);
    EXPECT_EQ(FilesInFolder(), 2u);
    // Nothing of the pack stays: the table keeps its deleted records, each with its old memo.
    EXPECT_EQ(RecCount(), 6);
    EXPECT_EQ(Contents(), before);
    CloseArea();
    Use(table_);
    EXPECT_EQ(Contents(), before);
    // And a pack without the fault completes.
    ASSERT_TRUE(Pack());
    EXPECT_EQ(RecCount(), 4);
    auto after = Contents();
    for (const auto& [name, text] : after) EXPECT_EQ(text, before.at(name)) << name;
  }
}

TEST_F(MemoPacking, AReferencePastTheEndStopsThePack) {
  GO(5);
  ASSERT_TRUE(RLock());
  Poke("      9999", 2, 5);
  Unlock();
  const std::string memoBefore = FileBytes(memoFile_);
  EXPECT_FALSE(Pack());
  EXPECT_EQ(engineState.XbErrorCode, 1003);
  EXPECT_EQ(XbTakeErrorContext(), memoFile_ + " Memo block # 9999 Record # 3 [PackMemo]");
  EXPECT_EQ(FileBytes(memoFile_), memoBefore);
}

}  // namespace
}  // namespace qorva

namespace qorva {
namespace {

class HeaderlessMemo : public xbtest::EngineTest {};

// A dBase IV memo file may hold a block written as dBase III text (no block header): every reader
// takes it as text up to its end mark.
TEST_F(HeaderlessMemo, ADbaseIvBlockWithoutHeaderReadsAsTextEverywhere) {
  using namespace xbtest;
  const std::string table = CreateMemoTable(dir_ / "plain.dbf", kDbt4);
  Use(table);
  ASSERT_EQ(AppendWithMemo("one", std::string(20, 'x')), 1);
  CloseArea();
  std::string memo = test::readFile(MemoPath(table, kDbt4));
  const std::string text = "plain M\x81ller text";
  memo.replace(512, text.size() + 1, text + "\x1A");
  test::writeFile(MemoPath(table, kDbt4), memo);
  Use(table);
  GO(1);
  EXPECT_EQ(MemoOf(), text) << "memo reader";
  TExprHolder note(AssignExpr("NOTE"));
  Evaluate(note.get());
  EXPECT_EQ(std::string(ExprResultText(*note.get())), text) << "evaluator";
  CreateBlobDescriptor(false, 1, 1);
  std::string buf(100, '\0');
  buf.resize(static_cast<size_t>(ReadBlobStream(buf.data(), 100)));
  DestroyBlobDescriptor();
  EXPECT_EQ(buf, text) << "blob stream";
}

}  // namespace
}  // namespace qorva
