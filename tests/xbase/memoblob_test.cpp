#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/filehelpers.h"
#include "tests/xbase/memo_support_test.h"
#include "xbase/memoblob.h"

namespace qorva {
namespace {

using xbtest::AppendRow;
using xbtest::CreateMemoTable;
using xbtest::kDbt3;
using xbtest::kDbt4;
using xbtest::kFpt;
using xbtest::MemoKind;
using xbtest::MemoPath;

class BlobStreams : public xbtest::EngineTest {
 protected:
  std::string Open(const MemoKind& kind, const std::string& name = "blob") {
    std::string table = CreateMemoTable(dir_ / (name + ".dbf"), kind);
    Use(table);
    return table;
  }
  // Writes data through a new stream in pieces of `piece` bytes; the new reference.
  int32_t WriteAll(const std::string& data, bool convert, size_t piece) {
    const int32_t ref = CreateBlobDescriptor(convert, 0, 2);
    for (size_t at = 0; at < data.size(); at += piece) {
      const int32_t n = static_cast<int32_t>(std::min(piece, data.size() - at));
      EXPECT_EQ(WriteBlobStream(data.data() + at, n), n);
    }
    DestroyBlobDescriptor();
    EXPECT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
    return ref;
  }
  std::string ReadAll(int32_t ref, bool convert, size_t piece) {
    CreateBlobDescriptor(convert, ref, 1);
    std::string out;
    std::string buf(piece, '\0');
    while (int32_t n = ReadBlobStream(buf.data(), static_cast<int32_t>(piece))) out.append(buf.data(), static_cast<size_t>(n));
    DestroyBlobDescriptor();
    return out;
  }
};

TEST_F(BlobStreams, WrittenMemosGetTheirHeaderOnClosing) {
  struct Case {
    MemoKind kind;
    int32_t ref;
    std::string header;
  };
  for (const Case& c : {Case{kDbt4, 1, std::string("\xFF\xFF\x08\x00\x0B\0\0\0", 8)},
                        Case{kDbt3, -1, std::string("\xFF\xFF\x08\x00\x0B\0\0\0", 8)},
                        Case{kFpt, 8, std::string("\0\0\0\x01\0\0\0\x03", 8)}}) {
    SCOPED_TRACE(c.kind.name);
    std::string table = Open(c.kind, std::string("w") + std::to_string(c.kind.version));
    if (c.kind.version == 0x8B) test::writeFile(MemoPath(table, c.kind), FileBytes(MemoPath(table, c.kind)) + std::string(488, '\0'));
    EXPECT_EQ(WriteAll("abc", false, 3), c.ref);
    const std::string bytes = FileBytes(MemoPath(table, c.kind));
    const size_t at = static_cast<size_t>(c.ref < 0 ? -c.ref : c.ref) * CurrentBlock()->MemoBlock->BlockSize;
    EXPECT_EQ(bytes.substr(at, 11), c.header + "abc");
    EXPECT_EQ(bytes.size(), at + 11);
    EXPECT_FALSE(xbtest::RangeLockedByOthers(MemoPath(table, c.kind), 10, 1));
    EXPECT_EQ(ReadAll(c.ref, false, 100), "abc");
    CloseArea();
  }
}

TEST_F(BlobStreams, TextMemosEndAtTheirMarkAndEmptyStreamsAreEmpty) {
  Open(kDbt3);
  const int32_t ref = AddMemo("hello");
  ASSERT_EQ(CreateBlobDescriptor(false, ref, 1), ref);
  EXPECT_EQ(SeekBlobStream(0, 2), 5);
  EXPECT_EQ(SeekBlobStream(-2, 1), 3);
  EXPECT_EQ(SeekBlobStream(-9, 1), 0);  // never before the start
  char buf[100];
  EXPECT_EQ(ReadBlobStream(buf, 100), 5);
  EXPECT_EQ(std::string(buf, 5), "hello");
  EXPECT_EQ(ReadBlobStream(buf, 100), 0);
  DestroyBlobDescriptor();

  EXPECT_EQ(CreateBlobDescriptor(false, 0, 1), 0);
  EXPECT_EQ(SeekBlobStream(0, 2), 0);
  EXPECT_EQ(ReadBlobStream(buf, 100), 0);
  DestroyBlobDescriptor();

  // A write stream closed without data leaves no header and no lock.
  const auto before = FileBytes(MemoPath(AreaFileName(), kDbt3));
  CreateBlobDescriptor(false, 0, 2);
  DestroyBlobDescriptor();
  EXPECT_EQ(FileBytes(MemoPath(AreaFileName(), kDbt3)).substr(0, before.size()), before);
  EXPECT_FALSE(CurrentBlock()->MemoBlock->Locked);
}

TEST_F(BlobStreams, TheFirstPieceDecidesTheConversionOfTheWholeStream) {
  Open(kDbt4);
  char buf[16];
  // Text: the DOS u-umlaut arrives as the Windows one; data with a control byte stays as it is.
  const int32_t text = AddMemo("\x81" "ber");
  CreateBlobDescriptor(true, text, 1);
  ASSERT_EQ(ReadBlobStream(buf, 16), 4);
  EXPECT_EQ(std::string(buf, 4), "\xFC" "ber");
  DestroyBlobDescriptor();
  const int32_t binary = AddMemoData("\x01\x81");
  CreateBlobDescriptor(true, binary, 1);
  ASSERT_EQ(ReadBlobStream(buf, 16), 2);
  EXPECT_EQ(std::string(buf, 2), "\x01\x81");
  DestroyBlobDescriptor();

  // A 40,000-byte text moved in pieces is converted throughout, both ways.
  std::string windows;
  for (int i = 0; windows.size() < 40000; ++i) windows += "Gr\xF6\xDF" "e \xFC" "ber " + std::to_string(i) + "\r\n";
  windows.resize(40000);
  std::string dos = windows;
  XbAnsiToOemBuff(reinterpret_cast<uint8_t*>(dos.data()), dos.size());
  for (size_t piece : {size_t{7000}, size_t{40000}}) {
    SCOPED_TRACE(piece);
    const int32_t ref = WriteAll(windows, true, piece);
    std::string stored;
    ASSERT_TRUE(ReadMemo(ref, stored));
    EXPECT_TRUE(stored == dos);
    EXPECT_TRUE(ReadAll(ref, true, 5000) == windows);
    EXPECT_TRUE(ReadAll(ref, true, 40000) == windows);
    EXPECT_TRUE(ReadAll(ref, false, 3333) == dos);
  }
}

TEST_F(BlobStreams, BadReferencesAndFailedWritesCloseTheStream) {
  std::string table = Open(kDbt4);
  GO(0);
  EXPECT_EQ(CreateBlobDescriptor(false, 77, 1), 0);
  EXPECT_EQ(engineState.XbErrorCode, 1003);
  EXPECT_EQ(XbTakeErrorContext(), "77 " + MemoPath(table, kDbt4) + " Record # 0 [CreateBlobDescriptor]");
  char buf[4];
  EXPECT_EQ(ReadBlobStream(buf, 4), 0);

  const int32_t ref = CreateBlobDescriptor(false, 0, 2);
  ASSERT_GT(ref, 0);
  {
    test::FileSizeLimit limit(2048);
    std::string big(4096, 'x');
    EXPECT_EQ(WriteBlobStream(big.data(), 4096), 0);
  }
  EXPECT_EQ(engineState.XbErrorCode, 101);  // disk full
  EXPECT_FALSE(CurrentBlock()->MemoBlock->Blob.Active);
  EXPECT_FALSE(CurrentBlock()->MemoBlock->Locked);
  EXPECT_GT(AddMemo("after the failure"), 0);
}

}  // namespace
}  // namespace qorva
