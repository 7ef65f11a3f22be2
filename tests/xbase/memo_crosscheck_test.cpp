// Memo files written by the engine must read the same with other dBase readers (dbfread of Python,
// Perl's XBase module), and memo files those write must read the same in the engine. A missing
// tool fails the test: tools/setup.sh installs them.

#include <gtest/gtest.h>

#include <sstream>

#include "tests/xbase/memo_support_test.h"

namespace qorva {
namespace {

using xbtest::AppendRow;
using xbtest::CreateMemoTable;
using xbtest::kDbt3;
using xbtest::kDbt4;
using xbtest::kFpt;
using xbtest::MemoKind;
using xbtest::MemoOf;

const std::string kScripts = std::string(QORVA_SOURCE_DIR) + "/tools/xbase/";

std::string HexOf(const std::string& s) {
  static const char* d = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    out += d[c >> 4];
    out += d[c & 15];
  }
  return out;
}

struct Sample {
  std::string name;
  std::string data;  // empty: no memo
  bool binary = false;
  bool deleted = false;
};

// Short, multi-block and exactly block-sized texts, DOS umlauts and (where the family can hold
// it) binary data, with a deleted record and one without memo.
std::vector<Sample> Samples(const MemoKind& kind, uint16_t bs) {
  std::string lines;
  for (int i = 0; lines.size() < 1300; ++i) lines += "Line " + std::to_string(i) + " of a longer memo\r\n";
  lines += "end";
  std::vector<Sample> s = {
      {"short", "short memo"},
      {"lines", lines},
      {"block", std::string(bs, 'b')},
      {"fill", std::string(kind.version == 0x83 ? bs - 1 : bs - 8, 'f')},  // the block with its end mark or header
      {"umlauts", "Gr\x94\xE1" "e \x84\x8E\x81 \x99l"},                      // Größe äÄü Öl in code page 437
      {"nomemo", ""},
      {"gone", "deleted memo", false, true},
  };
  if (kind.version != 0x83) {
    std::string bin;
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 256; ++c) bin += static_cast<char>(c);
    s.push_back({"binary", bin, true});
  }
  return s;
}

// "<d> <hex>" lines, records not marked deleted first, as the dump scripts print them.
std::string Expected(const std::vector<Sample>& samples, const std::vector<std::string>& seen = {}) {
  std::string live, gone;
  for (size_t i = 0; i < samples.size(); ++i) {
    const Sample& s = samples[i];
    const std::string& data = seen.empty() ? s.data : seen[i];
    (s.deleted ? gone : live) += std::string(s.deleted ? "1 " : "0 ") + (data.empty() ? "-" : HexOf(data)) + "\n";
  }
  return live + gone;
}

// What dbfread makes of the dBase IV memos of a table: it takes the block's length word, which
// counts the 8 header bytes too, for the length of the data after them, and ends the data at its
// first 0x1F. So it sees each memo followed by the next 8 bytes of the file, cut at a 0x1F; the
// other readers (and dBase IV's own length) agree with the engine.
std::vector<std::string> DbfreadDbase4View(const std::string& table, const std::string& memoFile) {
  std::vector<std::string> out;
  const std::string memoBytes = test::readFile(memoFile);
  Select(29);
  USE(table + " ALIAS VIEW");
  EXPECT_EQ(engineState.XbErrorCode, 0);
  for (int32_t n = 1; n <= RecCount(); ++n) {
    GO(n);
    const std::string data = MemoOf();
    std::string seen;
    if (!data.empty()) {
      const size_t start = static_cast<size_t>(GetFieldMemo(2)) * 512 + 8;
      seen = memoBytes.substr(start, data.size() + 8);
      seen = seen.substr(0, seen.find('\x1F'));
    }
    out.push_back(seen);
  }
  CloseArea();
  Select(1);
  return out;
}

class MemoCrossCheck : public xbtest::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    auto r = test::runCommand(std::string(QORVA_PYTHON) + " -c 'import dbfread'");
    ASSERT_EQ(r.exitCode, 0) << "python3-dbfread is missing (tools/setup.sh installs it): " << r.output;
    r = test::runCommand("perl -MXBase -e 1");
    ASSERT_EQ(r.exitCode, 0) << "Perl's XBase module is missing (libdbd-xbase-perl, tools/setup.sh): " << r.output;
  }
  std::string Run(const std::string& cmd) {
    auto r = test::runCommand(cmd);
    EXPECT_EQ(r.exitCode, 0) << cmd << "\n" << r.output;
    return r.output;
  }
  std::string PythonDump(const std::string& table, const std::string& encoding = "latin-1") {
    return Run(std::string(QORVA_PYTHON) + " " + xbtest::ShellQuote(kScripts + "memodump.py") + " " + xbtest::ShellQuote(table) + " NOTE " +
               encoding);
  }
  std::string PerlDump(const std::string& table) {
    return Run("perl " + xbtest::ShellQuote(kScripts + "memodump.pl") + " " + xbtest::ShellQuote(table) + " NOTE");
  }
};

TEST_F(MemoCrossCheck, MemosWrittenByTheEngineReadTheSameElsewhere) {
  for (const MemoKind& kind : {kDbt3, kDbt4, kFpt}) {
    SCOPED_TRACE(kind.name);
    const std::string table = CreateMemoTable(dir_ / (std::string("e") + std::to_string(kind.version) + ".dbf"), kind);
    Use(table);
    const uint16_t bs = CurrentBlock()->MemoBlock->BlockSize;
    const auto samples = Samples(kind, bs);
    for (const Sample& s : samples) {
      const int32_t ref = s.data.empty() ? 0 : s.binary ? AddMemoData(s.data) : AddMemo(s.data);
      ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
      AppendRow({s.name, int64_t{ref}}, s.deleted);
    }
    CloseArea();
    const std::string expected = Expected(samples);
    const bool dbase4 = kind.version == 0x8B;
    EXPECT_EQ(PythonDump(table), dbase4 ? Expected(samples, DbfreadDbase4View(table, xbtest::MemoPath(table, kind)))
                                        : expected);
    EXPECT_EQ(PerlDump(table), expected);
    // A DOS table's umlauts read as umlauts.
    const std::string text = Run(std::string(QORVA_PYTHON) + " -c " +
                                 xbtest::ShellQuote("import sys; from dbfread import DBF\n"
                                       "for r in DBF(sys.argv[1], encoding='cp437'):\n"
                                       "    if r['NAME'] == 'umlauts': sys.stdout.buffer.write(r['NOTE'].encode())") +
                                 " " + xbtest::ShellQuote(table));
    EXPECT_EQ(text.substr(0, text.find('\0')), "Gr\xC3\xB6\xC3\x9F" "e \xC3\xA4\xC3\x84\xC3\xBC \xC3\x96l");
  }
}

TEST_F(MemoCrossCheck, MemosWrittenElsewhereReadTheSameInTheEngine) {
  struct Kind {
    const char* arg;
    MemoKind kind;
  };
  for (const Kind& k : {Kind{"3", kDbt3}, Kind{"4", kDbt4}, Kind{"fpt", kFpt}}) {
    SCOPED_TRACE(k.arg);
    const std::string table = Path(std::string("perl") + k.arg + ".dbf");
    auto samples = Samples(k.kind, 512);
    std::string args;
    for (const Sample& s : samples) args += " " + xbtest::ShellQuote((s.deleted ? "*" : "") + s.name + ":" + HexOf(s.data));
    Run("perl " + xbtest::ShellQuote(kScripts + "memowrite.pl") + " " + xbtest::ShellQuote(table) + " " + k.arg + args);
    if (std::string(k.arg) == "4") {
      // The module marks its dBase IV memo tables 0x84; dBase IV itself, and the engine, know 0x8B.
      std::string bytes = FileBytes(table);
      ASSERT_EQ(static_cast<uint8_t>(bytes[0]), 0x84);
      bytes[0] = static_cast<char>(0x8B);
      test::writeFile(table, bytes);
    }
    Use(table);
    ASSERT_EQ(RecCount(), static_cast<int32_t>(samples.size()));
    for (int32_t n = 1; n <= RecCount(); ++n) {
      GO(n);
      const Sample& s = samples[static_cast<size_t>(n - 1)];
      EXPECT_EQ(XbRTrim(GetFieldText(1)), s.name);
      EXPECT_EQ(Deleted(), s.deleted) << s.name;
      EXPECT_EQ(HexOf(MemoOf()), HexOf(s.data)) << s.name;
    }
    // And what the engine appends to their file, they read back.
    const int32_t ref = AddMemo("added by the engine");
    AppendRow({std::string("added"), int64_t{ref}});
    CloseArea();
    samples.push_back({"added", "added by the engine"});
    EXPECT_EQ(PerlDump(table), Expected(samples));
    EXPECT_EQ(PythonDump(table), k.kind.version == 0x8B
                                     ? Expected(samples, DbfreadDbase4View(table, xbtest::MemoPath(table, k.kind)))
                                     : Expected(samples));
  }
}

}  // namespace
}  // namespace qorva
