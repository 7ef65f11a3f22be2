// Table file layer: creating, opening, refusing damaged headers, reading and writing records,
// header upkeep, code-page conversion and the binary record.
#include "xbase/tablefile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <random>

#include "tests/support/testsupport.h"
#include "tests/xbase/dbfimage_test.h"
#include "xbase/workareas.h"
#include "xbase/engine.h"
#include "xbase/nationaldates.h"

namespace qorva {
namespace {

using test::FieldDef;
using test::makeDbf;
using test::put16;
using test::put32;

uint16_t get16(const std::string& s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8));
}
uint32_t get32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
  return v;
}

const std::vector<FieldDef> kSimple = {{"NAME", 'C', 5, 0}, {"QTY", 'N', 4, 0}};

class TableFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    XbStartEngine();
    engineState.XbReportErrors = false;
    nationalDates.XbDateFormat = 5;
    nationalDates.CenturyDates = true;
    nationalDates.XbCenturyBase = 1956;
    nationalDates.DecimalChar = '.';
    test::scriptedPrompter().clear();
  }
  void TearDown() override { XbStopEngine(); }

  std::string write(const std::string& name, const std::string& bytes) {
    auto p = dir / name;
    test::writeFile(p, bytes);
    return p.string();
  }
  // Opens a file into cb with reporting off; the code of the open.
  uint16_t open(TDbfControlBlock& cb, const std::string& path, uint16_t mode = XbModeReadWriteDenyNone) {
    cb = TDbfControlBlock{};
    cb.FileName = path;
    engineState.FileMode = mode;
    engineState.XbErrorCode = 0;
    OpenDbf(cb);
    return engineState.XbErrorCode;
  }
  std::string raw(const TDbfControlBlock& cb) { return std::string(cb.RawRecord.begin(), cb.RawRecord.end()); }
  void setRaw(TDbfControlBlock& cb, const std::string& r) { cb.RawRecord.assign(r.begin(), r.end()); }

  test::ScratchDir dir;
};

TEST_F(TableFileTest, NewTableWithMemoField) {
  std::vector<TDbfFieldEntry> defs = {
      {}, {" name", 'C', 10, 3, 0}, {"price", 'n', 8, 2, 0}, {"DAY", 'D', 5, 0, 0}, {"OK", 'L', 0, 0, 0}, {"NOTE", 'M', 0, 0, 0}};
  TDbfControlBlock cb;
  CreateDBF(cb, (dir / "t.dbf").string(), 5, defs);
  ASSERT_EQ(engineState.XbErrorCode, 0);
  // The cleaned definitions come back to the caller.
  EXPECT_EQ(defs[1].Name, "NAME");
  EXPECT_EQ(defs[1].Dec, 0);
  EXPECT_EQ(defs[2].Type, 'N');
  EXPECT_EQ(defs[3].Len, 8);
  EXPECT_EQ(defs[5].Len, 10);
  std::string f = test::readFile(dir / "t.dbf");
  ASSERT_EQ(f.size(), 194u);
  EXPECT_EQ(static_cast<uint8_t>(f[0]), 0x8B);
  EXPECT_EQ(get16(f, 8), 193);
  EXPECT_EQ(get16(f, 10), 38);
  EXPECT_EQ(get32(f, 4), 0u);
  EXPECT_EQ(f.substr(1, 3), std::string("\x7C\x03\x05"));  // 2024-03-05
  EXPECT_EQ(f[192], '\x0D');
  EXPECT_EQ(f[193], '\x1A');
  EXPECT_EQ(f.substr(32, 5), std::string("NAME\0", 5));
  EXPECT_EQ(f[32 + 32 + 11], 'N');
  EXPECT_EQ(f[32 + 32 + 17], 2);
  std::string memo = test::readFile(dir / "t.dbt");
  ASSERT_EQ(memo.size(), 24u);
  EXPECT_EQ(get32(memo, 0), 1u);
  EXPECT_EQ(memo.substr(8, 8), std::string("t\0\0\0\0\0\0\0", 8));
  EXPECT_EQ(get16(memo, 20), 512);
  EXPECT_EQ(memo[18], '\x02');
  EXPECT_EQ(memo[19], '\x01');

  // Binary, general and picture fields are memo references too.
  std::vector<TDbfFieldEntry> pic = {{}, {"PIC", 'g', 0, 0, 0}};
  CreateDBF(cb, (dir / "PIC.DBF").string(), 1, pic);
  EXPECT_EQ(pic[1].Len, 10);
  EXPECT_TRUE(std::filesystem::exists(dir / "PIC.DBT"));
  ASSERT_EQ(open(cb, (dir / "pic.dbf").string()), 0);
  EXPECT_EQ(cb.Header[0], 0x8B);
  EXPECT_TRUE(cb.HasMemo);
  EXPECT_EQ(cb.Fields[1].Type, 'M');
  CloseDbf(cb);

  defs.pop_back();
  CreateDBF(cb, (dir / "u.dbf").string(), 4, defs);
  EXPECT_EQ(static_cast<uint8_t>(test::readFile(dir / "u.dbf")[0]), 0x03);
  EXPECT_FALSE(std::filesystem::exists(dir / "u.dbt"));
}

TEST_F(TableFileTest, EmptyMemoFilesOfEachFamily) {
  NewMemoFile((dir / "three").string(), 0x83, 512, "Test");
  std::string d3 = test::readFile(dir / "three.DBT");
  ASSERT_EQ(d3.size(), 513u);
  EXPECT_EQ(d3[0], 1);
  EXPECT_EQ(d3.find_first_not_of('\0', 1), 512u);
  EXPECT_EQ(d3[512], '\x1A');
  NewMemoFile((dir / "fox").string(), 0xF5, 64, "Test");
  std::string fox = test::readFile(dir / "fox.FPT");
  ASSERT_EQ(fox.size(), 512u);
  EXPECT_EQ(fox.substr(0, 8), std::string("\0\0\0\x08\0\0\0\x40", 8));  // big-endian: next block 8, size 64
  EXPECT_EQ(SwapLong(0x01020304u), 0x04030201u);
  EXPECT_EQ(SwapWord(0x0102), 0x0201);
  engineState.XbErrorCode = 0;
  NewMemoFile((dir / "no" / "such.dbt").string(), 0x8B, 512, "Test()");
  EXPECT_EQ(engineState.XbErrorCode, 2);
  EXPECT_EQ(XbTakeErrorContext(), "Cannot create memo file " + (dir / "no" / "such.dbt").string() + " [Test()]");
}

TEST_F(TableFileTest, ANewTableNeverEmptiesItsCaseTwin) {
  test::writeFile(dir / "t.dbf", "keep me");
  std::vector<TDbfFieldEntry> defs = {{}, {"A", 'C', 4, 0, 0}};
  TDbfControlBlock cb;
  CreateDBF(cb, (dir / "T.DBF").string(), 1, defs);
  ASSERT_EQ(engineState.XbErrorCode, 0);
  CloseDbf(cb);
  EXPECT_EQ(test::readFile(dir / "t.dbf"), "keep me");
  EXPECT_EQ(get16(test::readFile(dir / "T.DBF"), 10), 5);
}

TEST_F(TableFileTest, InvalidDefinitionWritesNoFile) {
  const std::vector<TDbfFieldEntry> bad[] = {
      {{}, {"A", 'C', 0, 0, 0}},
      {{}, {"   ", 'C', 4, 0, 0}},
      {{}, {"A", 'C', 4, 0, 0}, {"B", 'X', 4, 0, 0}},
  };
  for (auto defs : bad) {
    TDbfControlBlock cb;
    engineState.XbErrorCode = 0;
    CreateDBF(cb, (dir / "bad.dbf").string(), static_cast<uint16_t>(defs.size() - 1), defs);
    EXPECT_EQ(engineState.XbErrorCode, 211);
    EXPECT_EQ(XbTakeErrorContext(), "Felddefinition ung\xFCltig [CreateDBF]");
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.dbf"));
  }
}

TEST_F(TableFileTest, DamagedHeadersAreRefusedAtOpen) {
  const std::string good = makeDbf(0x03, kSimple, {" abcde   1", " fghij   2"});
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
    uint16_t code;
    std::string contextPart;
  };
  const Case cases[] = {
      {"20 bytes", [](std::string& s) { s.resize(20); }, 210, "(Prolog ist kleiner als 32 Bytes) [USE/OpenDBF]"},
      {"version 5", [](std::string& s) { s[0] = 5; }, 210, "(Versions-Byte ung\xFCltig)+ [USE/OpenDBF]"},
      {"header length 31", [](std::string& s) { put16(s, 8, 31); }, 210, "(Zu viele Datenfelder) [Use/OpenDbf]"},
      {"header length 0", [](std::string& s) { put16(s, 8, 0); }, 210, "(Zu viele Datenfelder) [Use/OpenDbf]"},
      {"record length 0", [](std::string& s) { put16(s, 10, 0); }, 210, "Datensatzl\xE4nge ist Null"},
      {"record length below its fields", [](std::string& s) { put16(s, 10, 6); }, 210,
       "Datensatzl\xE4nge ist kleiner als die Summe der Feldl\xE4ngen"},
      {"field longer than the record", [](std::string& s) { s[32 + 16] = static_cast<char>(200); }, 210,
       "Datensatzl\xE4nge ist kleiner"},
      {"descriptors past the file end", [](std::string& s) { put16(s, 8, 32 * 200 + 1); }, 100,
       "Fehler beim Lesen von "},
      {"unknown field type", [](std::string& s) { s[32 + 11] = 'I'; }, 211, "Fehler beim Lesen von "},
      {"no fields", [](std::string& s) { s[32] = 0x0D; }, 222, "Fehler beim Lesen von "},
  };
  for (const auto& c : cases) {
    std::string bytes = good;
    c.damage(bytes);
    std::string path = write("bad.dbf", bytes);
    TDbfControlBlock cb;
    EXPECT_EQ(open(cb, path), c.code) << c.what;
    EXPECT_NE(XbTakeErrorContext().find(c.contextPart), std::string::npos) << c.what;
    EXPECT_EQ(cb.DbfFile, -1) << c.what;
    EXPECT_EQ(cb.FileState, 0) << c.what;
    EXPECT_TRUE(cb.RawRecord.empty()) << c.what;
    // The file stays as it was.
    EXPECT_EQ(test::readFile(path), bytes) << c.what;
  }
  TDbfControlBlock cb;
  EXPECT_EQ(open(cb, (dir / "missing.dbf").string()), 2);
  EXPECT_EQ(XbTakeErrorContext(), "Fehler beim \xD6" "ffnen von " + (dir / "missing.dbf").string() + " [USE/OpenDbf]");
}

TEST_F(TableFileTest, FieldTypeErrorNamesTheField) {
  std::string bytes = makeDbf(0x03, {{"ID", 'I', 4, 0}}, {});
  std::string path = write("i.dbf", bytes);
  engineState.XbReportErrors = true;
  try {
    TDbfControlBlock cb;
    cb.FileName = path;
    OpenDbf(cb);
    FAIL();
  } catch (const EXbaseHalt& h) {
    EXPECT_EQ(h.code(), 211);
    EXPECT_NE(std::string(h.what()).find("Field: ID [I] in " + path + " ist kein g\xFCltiger Feldtyp"),
              std::string::npos);
  }
}

TEST_F(TableFileTest, OtherFormatFamiliesOpen) {
  // Visual FoxPro with a memo flag and a general field.
  std::string vfp = makeDbf(0x30, {{"PIC", 'G', 10, 0}, {"N", 'C', 2, 0}}, {" 0         ab"});
  vfp[28] = 0x02;
  TDbfControlBlock cb;
  ASSERT_EQ(open(cb, write("v.dbf", vfp)), 0);
  EXPECT_TRUE(cb.HasMemo);
  EXPECT_EQ(cb.Fields[1].Type, 'M');
  EXPECT_EQ(MemoFileExt(cb.Header[0]), "FPT");
  EXPECT_EQ(cb.RecCount, 1);
  CloseDbf(cb);

  // dBase II: 8-byte header, 16-byte descriptors, first record at 521.
  auto dbase2 = [](int fields) {
    std::string s(521, '\0');
    s[0] = 0x02;
    put16(s, 1, 1);
    put16(s, 6, static_cast<uint16_t>(1 + fields));
    for (int i = 0; i < fields; ++i) {
      s[8 + 16 * i] = static_cast<char>('A' + i % 26);
      s[8 + 16 * i + 1] = static_cast<char>('0' + i / 26);
      s[8 + 16 * i + 11] = 'C';
      s[8 + 16 * i + 12] = 1;
    }
    if (fields < 32) s[8 + 16 * fields] = 0x0D;
    s += " " + std::string(static_cast<size_t>(fields), 'x');
    return s;
  };
  ASSERT_EQ(open(cb, write("d2.dbf", dbase2(31))), 0);
  EXPECT_EQ(cb.HeaderLen, 521);
  EXPECT_EQ(cb.FieldCount, 31);
  EXPECT_FALSE(cb.HasMemo);
  GetDbfRecord(cb, 1);
  EXPECT_EQ(raw(cb), " " + std::string(31, 'x'));
  CloseDbf(cb);
  EXPECT_EQ(open(cb, write("d2full.dbf", dbase2(32))), 210);
  EXPECT_NE(XbTakeErrorContext().find("(Zu viele Datenfelder) [Use/OpenDbf]"), std::string::npos);
  EXPECT_EQ(open(cb, write("d2short.dbf", dbase2(3).substr(0, 300))), 210);
  EXPECT_NE(XbTakeErrorContext().find("Datenbank-Header ist kleiner als 521 Bytes"), std::string::npos);

  // Level 7: a 36-byte extension and 48-byte descriptors.
  std::string l7(68 + 48 + 1, '\0');
  l7[0] = 0x04;
  put32(l7, 4, 1);
  put16(l7, 8, static_cast<uint16_t>(l7.size()));
  put16(l7, 10, 4);
  std::memcpy(&l7[68], "LONGFIELDNAME", 13);
  l7[68 + 32] = 'C';
  l7[68 + 33] = 3;
  l7.back() = 0x0D;
  l7 += " xyz\x1A";
  ASSERT_EQ(open(cb, write("l7.dbf", l7)), 0);
  EXPECT_EQ(cb.FieldCount, 1);
  EXPECT_EQ(cb.Fields[1].Name, "LONGFIELDN");
  GetDbfRecord(cb, 1);
  EXPECT_EQ(raw(cb), " xyz");
  CloseDbf(cb);
}

TEST_F(TableFileTest, EmptyTable) {
  TDbfControlBlock cb;
  ASSERT_EQ(open(cb, write("e.dbf", makeDbf(0x03, kSimple, {}))), 0);
  EXPECT_EQ(cb.RecNo, 0);
  EXPECT_TRUE(cb.AtBof);
  EXPECT_TRUE(cb.AtEof);
  setRaw(cb, " keep     ");
  GetDbfRecord(cb, 1);
  EXPECT_EQ(engineState.XbErrorCode, 212);
  EXPECT_EQ(raw(cb), " keep     ");
  EXPECT_EQ(cb.RecNo, 0);
  CloseDbf(cb);
}

TEST_F(TableFileTest, AppendsBecomePermanentAtClose) {
  std::vector<TDbfFieldEntry> defs = {{}, {"NAME", 'C', 5, 0, 0}};
  TDbfControlBlock cb;
  CreateDBF(cb, (dir / "a.dbf").string(), 1, defs);
  ASSERT_EQ(open(cb, (dir / "a.dbf").string()), 0);
  setRaw(cb, " first");
  AppendDbfRecord(cb);
  EXPECT_EQ(cb.FileState, 3);
  setRaw(cb, "*secnd");
  AppendDbfRecord(cb);
  EXPECT_EQ(cb.RecCount, 2);
  EXPECT_EQ(cb.RecNo, 2);
  CloseDbf(cb);
  ASSERT_EQ(engineState.XbErrorCode, 0);
  std::string f = test::readFile(dir / "a.dbf");
  ASSERT_EQ(f.size(), 65u + 2 * 6 + 1);
  EXPECT_EQ(get32(f, 4), 2u);
  EXPECT_EQ(f.substr(1, 3), std::string("\x7C\x03\x05"));
  EXPECT_EQ(f.substr(65), " first*secnd\x1A");
}

TEST_F(TableFileTest, RewritingARecordKeepsTheFileLength) {
  std::string bytes = makeDbf(0x03, kSimple, {" aaaaa   1", " bbbbb   2", " ccccc   3"});
  std::string path = write("r.dbf", bytes);
  TDbfControlBlock cb;
  ASSERT_EQ(open(cb, path), 0);
  GetDbfRecord(cb, 1);
  setRaw(cb, " zzzzz   9");
  PutDbfRecord(cb, 1);
  EXPECT_EQ(cb.FileState, 2);
  CloseDbf(cb);
  std::string f = test::readFile(path);
  ASSERT_EQ(f.size(), bytes.size());
  std::string expected = bytes;
  expected.replace(1, 3, "\x7C\x03\x05");
  expected.replace(97, 10, " zzzzz   9");
  EXPECT_EQ(f, expected);
}

TEST_F(TableFileTest, WritingFarBeyondTheEndAppendsOneRecord) {
  std::string path = write("p.dbf", makeDbf(0x03, kSimple, {" aaaaa   1"}));
  TDbfControlBlock cb;
  ASSERT_EQ(open(cb, path), 0);
  setRaw(cb, " new     5");
  PutDbfRecord(cb, cb.RecCount + 5);
  EXPECT_EQ(cb.RecCount, 2);
  EXPECT_EQ(cb.RecNo, 2);
  CloseDbf(cb);
  EXPECT_EQ(test::readFile(path).substr(97), " aaaaa   1 new     5\x1A");
}

TEST_F(TableFileTest, RecordNumbersBelowOneAreRefusedForWrites) {
  std::string bytes = makeDbf(0x03, kSimple, {" aaaaa   1"});
  std::string path = write("z.dbf", bytes);
  TDbfControlBlock cb;
  ASSERT_EQ(open(cb, path), 0);
  GetDbfRecord(cb, 1);
  for (int32_t n : {0, -1}) {
    engineState.XbErrorCode = 0;
    PutDbfRecord(cb, n);
    EXPECT_EQ(engineState.XbErrorCode, 212);
    engineState.XbErrorCode = 0;
    WriteDeleteFlag(cb, n);
    EXPECT_EQ(engineState.XbErrorCode, 212);
  }
  engineState.XbErrorCode = 0;
  WriteDeleteFlag(cb, 2);
  EXPECT_EQ(engineState.XbErrorCode, 212);
  EXPECT_EQ(cb.RecCount, 1);
  EXPECT_EQ(cb.FileState, 1);
  CloseDbf(cb);
  EXPECT_EQ(test::readFile(path), bytes);
}

TEST_F(TableFileTest, FailedAppendLeavesNoPhantomRecord) {
  std::string bytes = makeDbf(0x03, kSimple, {" aaaaa   1", " bbbbb   2"});
  std::string path = write("ro.dbf", bytes);
  TDbfControlBlock cb;
  ASSERT_EQ(open(cb, path, XbModeReadOnlyDenyNone), 0);
  GetDbfRecord(cb, 1);
  setRaw(cb, " new     3");
  engineState.XbErrorCode = 0;
  AppendDbfRecord(cb);
  EXPECT_NE(engineState.XbErrorCode, 0);
  EXPECT_NE(XbTakeErrorContext().find("[Replace/Append/PutDbfRecord]"), std::string::npos);
  EXPECT_EQ(cb.RecCount, 2);
  EXPECT_EQ(cb.RecNo, 1);
  EXPECT_EQ(cb.FileState, 1);
  CloseDbf(cb);
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(test::readFile(path), bytes);
}

TEST_F(TableFileTest, AHeaderThatCannotBeWrittenIsReportedAtTheFlush) {
  std::string bytes = makeDbf(0x03, kSimple, {" aaaaa   1"});
  std::string path = write("rof.dbf", bytes);
  TDbfControlBlock cb;
  ASSERT_EQ(open(cb, path, XbModeReadOnlyDenyNone), 0);
  GetDbfRecord(cb, 1);
  PutDbfRecord(cb, 1);  // refused by the read-only open; the header is due all the same
  ASSERT_NE(engineState.XbErrorCode, 0);
  XbTakeErrorContext();
  ASSERT_EQ(cb.FileState, 2);
  engineState.XbReportErrors = true;
  const bool raise = XbSetRaiseMode(true);
  EXPECT_THROW(FlushDbf(cb), EXbaseError);
  XbSetRaiseMode(raise);
  engineState.XbReportErrors = false;
  EXPECT_NE(engineState.XbErrorCode, 0);
  EXPECT_EQ(cb.FileState, 2);  // still due
  CloseDbf(cb);
  XbTakeErrorContext();
  EXPECT_EQ(test::readFile(path), bytes);
}

TEST_F(TableFileTest, DeletionByteOnly) {
  std::string path = write("d.dbf", makeDbf(0x03, kSimple, {" aaaaa   1", " bbbbb   2"}));
  TDbfControlBlock cb;
  ASSERT_EQ(open(cb, path), 0);
  GetDbfRecord(cb, 2);
  setRaw(cb, "*XXXXX   0");
  WriteDeleteFlag(cb, 2);
  EXPECT_EQ(cb.FileState, 2);
  CloseDbf(cb);
  EXPECT_EQ(test::readFile(path).substr(97), " aaaaa   1*bbbbb   2\x1A");
}

TEST_F(TableFileTest, DosTextIsConvertedOnReadAndWrite) {
  std::string path = write("o.dbf", makeDbf(0x03, kSimple, {"*\x8E\x99\x9A" "ab   1"}));
  TDbfControlBlock cb;
  ASSERT_EQ(open(cb, path), 0);
  cb.OemConvert = true;
  GetDbfRecord(cb, 1);
  EXPECT_EQ(raw(cb), "*\xC4\xD6\xDC" "ab   1");
  PutDbfRecord(cb, 1);
  EXPECT_EQ(raw(cb), "*\xC4\xD6\xDC" "ab   1");
  CloseDbf(cb);
  EXPECT_EQ(test::readFile(path).substr(97, 10), "*\x8E\x99\x9A" "ab   1");
  // Every byte survives a read-modify-write.
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  std::string buf = " " + all;
  ConvertRecord(false, true, reinterpret_cast<uint8_t*>(buf.data()), buf.size(), static_cast<uint16_t>(buf.size()));
  ConvertRecord(true, true, reinterpret_cast<uint8_t*>(buf.data()), buf.size(), static_cast<uint16_t>(buf.size()));
  EXPECT_EQ(buf, " " + all);
}

// A DOS letter anywhere in records of any length is converted on the way in and back on the way
// out, read alone or read ahead; records of plain ASCII read as stored.
TEST_F(TableFileTest, DosTextIsConvertedWhereverItStands) {
  const std::string oem = "\x8E", ansi = XbOemToAnsi(oem);
  ASSERT_NE(ansi, oem);
  for (uint8_t len = 1; len <= 40; ++len) {
    std::vector<std::string> records;
    for (size_t at = 0; at <= len; ++at) {  // at 0: no DOS letter
      std::string r = " " + std::string(len, 'x');
      if (at > 0) r[at] = oem[0];
      records.push_back(r);
    }
    const std::string path = write("c" + std::to_string(len) + ".dbf", makeDbf(0x03, {{"T", 'C', len, 0}}, records));
    for (uint16_t mode : {XbModeReadWriteDenyNone, XbModeReadWriteDenyAll}) {
      TDbfControlBlock cb;
      ASSERT_EQ(open(cb, path, mode), 0);
      cb.OemConvert = true;
      cb.Exclusive = mode == XbModeReadWriteDenyAll;
      for (size_t at = 0; at <= len; ++at) {
        GetDbfRecord(cb, static_cast<int32_t>(at + 1));
        std::string want = records[at];
        if (at > 0) want[at] = ansi[0];
        ASSERT_EQ(raw(cb), want) << int(len) << " at " << at;
        PutDbfRecord(cb, static_cast<int32_t>(at + 1));
      }
      CloseDbf(cb);
      std::string stored;
      for (const auto& r : records) stored += r;
      ASSERT_EQ(test::readFile(path).substr(cb.HeaderLen, stored.size()), stored) << int(len);
    }
  }
}

TEST_F(TableFileTest, AWrongCountOpensWithTheWholeRecords) {
  std::vector<std::string> recs;
  for (int i = 0; i < 7; ++i) recs.push_back(" rec" + std::to_string(i) + "    " + std::to_string(i));
  const std::string seven = makeDbf(0x03, kSimple, recs);
  struct Case {
    const char* what;
    uint32_t headerCount;
    std::string tail;  // after the seven records
    bool autoFix;
  } cases[] = {
      {"ten, end byte and half a record", 10, "\x1A half", false},
      {"eight, half a record", 8, " rec7", false},
      {"huge count", 0xFFFFFFF0u, "\x1A", false},
      {"five: two appended by a run killed before it wrote its header", 5, "\x1A", false},
      {"none, no end byte", 0, "", false},
      {"recounted on request", 10, "\x1A half", true},
  };
  for (const Case& c : cases) {
    std::string bytes = seven.substr(0, seven.size() - 1) + c.tail;
    put32(bytes, 4, c.headerCount);
    std::string path = write("f.dbf", bytes);
    tableFile.XbAutoFixRecCount = c.autoFix;
    TDbfControlBlock cb;
    ASSERT_EQ(open(cb, path), 0) << c.what << ": " << XbTakeErrorContext();
    EXPECT_EQ(cb.RecCount, 7) << c.what;
    GetDbfRecord(cb, 7);
    EXPECT_EQ(std::string(cb.RawRecord.begin(), cb.RawRecord.end()), recs[6]) << c.what;
    CloseDbf(cb);
    EXPECT_EQ(engineState.XbErrorCode, 0) << c.what;
    EXPECT_EQ(test::readFile(path), bytes) << c.what;  // nothing written without a change
  }
}

// ---- Binary record ----

class BinaryRecordTest : public TableFileTest {
 protected:
  void SetUp() override {
    TableFileTest::SetUp();
    std::string r = " Maier     20240131   12.50    7T         3";
    path = write("b.dbf", makeDbf(0x03,
                                  {{"NAME", 'C', 10, 0}, {"DAY", 'D', 8, 0}, {"PRICE", 'N', 8, 2},
                                   {"QTY", 'N', 5, 0}, {"OK", 'L', 1, 0}, {"NOTE", 'M', 10, 0}},
                                  {r}));
    ASSERT_EQ(open(cb, path), 0);
    GetDbfRecord(cb, 1);
    bin.assign(RecordSize(cb), 0);
  }
  void TearDown() override {
    CloseDbf(cb);
    TableFileTest::TearDown();
  }
  uint8_t* slot(uint8_t n) { return bin.data() + BinaryFieldOffset(cb, n); }
  std::string text(uint8_t n) { return std::string(reinterpret_cast<char*>(slot(n)) + 1, slot(n)[0]); }
  void setText(uint8_t n, const std::string& t) {
    std::memset(slot(n), 0, n == 2 ? 11 : cb.Fields[n].Len + 1u);
    slot(n)[0] = static_cast<uint8_t>(t.size());
    std::memcpy(slot(n) + 1, t.data(), t.size());
  }
  long double real(uint8_t n) {
    long double v = 0;
    std::memcpy(&v, slot(n), 10);
    return v;
  }
  void setReal(uint8_t n, long double v) {
    std::memset(slot(n), 0, 16);
    std::memcpy(slot(n), &v, 10);
  }
  int64_t whole(uint8_t n) {
    int64_t v = 0;
    std::memcpy(&v, slot(n), 8);
    return v;
  }
  std::string field(uint8_t n) { return raw(cb).substr(cb.Fields[n].Offset, cb.Fields[n].Len); }

  std::string path;
  TDbfControlBlock cb;
  std::vector<uint8_t> bin;
};

TEST_F(BinaryRecordTest, StoredRecordToBinary) {
  EXPECT_EQ(RecordSize(cb), 1u + 11 + 11 + 16 + 8 + 1 + 4);
  RawToBinary(cb, bin.data());
  EXPECT_EQ(bin[0], 0);
  EXPECT_EQ(slot(1)[0], 10);
  EXPECT_EQ(text(1), "Maier     ");
  EXPECT_EQ(text(2), "31.01.2024");
  EXPECT_EQ(real(3), 12.5L);
  EXPECT_EQ(whole(4), 7);
  EXPECT_EQ(slot(5)[0], 1);
  int32_t memo = 0;
  std::memcpy(&memo, slot(6), 4);
  EXPECT_EQ(memo, 3);
}

TEST_F(BinaryRecordTest, DateTextsFollowTheFormat) {
  struct Case {
    uint8_t format;
    bool century;
    std::string text;
  };
  const Case cases[] = {{0, false, "01/31/24"}, {1, false, "24.01.31"}, {2, false, "31/01/24"},
                        {3, false, "31-01-24"}, {5, true, "31.01.2024"}, {1, true, "2024.01.31"}};
  for (const auto& c : cases) {
    nationalDates.XbDateFormat = c.format;
    nationalDates.CenturyDates = c.century;
    RawToBinary(cb, bin.data());
    EXPECT_EQ(text(2), c.text);
    // Written back after a change of the year, the text lands on the right positions.
    std::string changed = c.text;
    changed.replace(c.format == 1 ? 0 : 6, c.century ? 4 : 2, c.century ? "2023" : "23");
    setText(2, changed);
    BinaryToRaw(cb, bin.data());
    EXPECT_EQ(field(2), "20230131") << changed;
    GetDbfRecord(cb, 1);
  }
  nationalDates.XbDateFormat = 5;
  nationalDates.CenturyDates = false;
  for (const std::string blank : {"  .  .  ", "", "        "}) {
    RawToBinary(cb, bin.data());
    setText(2, blank);
    BinaryToRaw(cb, bin.data());
    EXPECT_EQ(field(2), "        ") << '"' << blank << '"';
    GetDbfRecord(cb, 1);
  }
  // A text of another length is checked first: a valid one is stored, an invalid one is blank.
  setText(2, "1.2.24");
  BinaryToRaw(cb, bin.data());
  EXPECT_EQ(field(2), "20240201");
  setText(2, "31.02.24");
  BinaryToRaw(cb, bin.data(), false);
  EXPECT_EQ(field(2), "20240231");
  setText(2, "31.2.24");
  BinaryToRaw(cb, bin.data());
  EXPECT_EQ(field(2), "        ");
}

TEST_F(BinaryRecordTest, ValuesThatDoNotFitAreStarFilled) {
  RawToBinary(cb, bin.data());
  setReal(3, 123456.78L);
  setText(1, "abc");
  bin[0] = 1;
  slot(5)[0] = 0;
  BinaryToRaw(cb, bin.data());
  EXPECT_EQ(raw(cb).substr(0, 1), "*");
  EXPECT_EQ(field(1), "abc       ");
  EXPECT_EQ(field(3), "********");
  EXPECT_EQ(field(5), "F");
  for (long double bad : {std::numeric_limits<long double>::quiet_NaN(), std::numeric_limits<long double>::infinity(),
                          -std::numeric_limits<long double>::infinity()}) {
    setReal(3, bad);
    BinaryToRaw(cb, bin.data());
    EXPECT_EQ(field(3), "********");
  }
  setReal(3, -1.25L);
  BinaryToRaw(cb, bin.data());
  EXPECT_EQ(field(3), "   -1.25");
  int64_t big = 123456;
  std::memcpy(slot(4), &big, 8);
  BinaryToRaw(cb, bin.data());
  EXPECT_EQ(field(4), "*****");
}

TEST_F(BinaryRecordTest, UnchangedFieldsKeepTheirStoredBytes) {
  // Two-digit-year reading, a star-filled number, a blank logical, a lower-case "y".
  nationalDates.CenturyDates = false;
  std::string odd = " Maier     19240131********    7y         3";
  setRaw(cb, odd);
  RawToBinary(cb, bin.data());
  EXPECT_EQ(text(2), "31.01.24");
  EXPECT_EQ(slot(5)[0], 1);
  setText(1, "Mann");
  BinaryToRaw(cb, bin.data());
  EXPECT_EQ(raw(cb), " Mann      19240131********    7y         3");
  setRaw(cb, " Maier     19240131    12.5     F         3");
  RawToBinary(cb, bin.data());
  setText(1, "Maier");
  BinaryToRaw(cb, bin.data());
  EXPECT_EQ(raw(cb), " Maier     19240131    12.5     F         3");
  // Blank numbers and logicals stay blank until they are given a value.
  setRaw(cb, " Maier     20240131              T         3");
  RawToBinary(cb, bin.data());
  BinaryToRaw(cb, bin.data());
  EXPECT_EQ(field(3), "        ");
  setReal(3, 1.5L);
  BinaryToRaw(cb, bin.data());
  EXPECT_EQ(field(3), "    1.50");
  EXPECT_EQ(field(4), "     ");
  // Without keeping, every field is written in its own form.
  setRaw(cb, odd);
  RawToBinary(cb, bin.data());
  BinaryToRaw(cb, bin.data(), false);
  EXPECT_EQ(raw(cb), " Maier     20240131    0.00    7T         3");
}

TEST_F(BinaryRecordTest, ShortTextsArePaddedAndMemoBlocksRightAligned) {
  RawToBinary(cb, bin.data());
  setText(1, "Abc");
  int32_t block = 0;
  std::memcpy(slot(6), &block, 4);
  BinaryToRaw(cb, bin.data());
  EXPECT_EQ(field(1), "Abc       ");
  EXPECT_EQ(field(6), "         0");
  block = -42;
  std::memcpy(slot(6), &block, 4);
  BinaryToRaw(cb, bin.data());
  EXPECT_EQ(field(6), "       -42");
}

TEST_F(TableFileTest, FloatFieldsAreNumbers) {
  std::string path = write("fl.dbf", makeDbf(0x03, {{"R", 'F', 10, 3}, {"W", 'F', 4, 0}}, {"     -2.125  12"}));
  TDbfControlBlock cb;
  ASSERT_EQ(open(cb, path), 0);
  GetDbfRecord(cb, 1);
  std::vector<uint8_t> bin(RecordSize(cb));
  EXPECT_EQ(bin.size(), 1u + 16 + 8);
  RawToBinary(cb, bin.data());
  long double r = 0;
  std::memcpy(&r, bin.data() + 1, 10);
  EXPECT_EQ(r, -2.125L);
  int64_t w = 0;
  std::memcpy(&w, bin.data() + 17, 8);
  EXPECT_EQ(w, 12);
  r = 1.0L / 3.0L;
  std::memcpy(bin.data() + 1, &r, 10);
  BinaryToRaw(cb, bin.data());
  EXPECT_EQ(raw(cb), "      0.333  12");
  CloseDbf(cb);
}

TEST_F(TableFileTest, WholeNumberFieldsAre64Bit) {
  std::string path = write("w.dbf", makeDbf(0x03, {{"BIG", 'N', 19, 0}}, {"  123456789012345678"}));
  TDbfControlBlock cb;
  ASSERT_EQ(open(cb, path), 0);
  GetDbfRecord(cb, 1);
  std::vector<uint8_t> bin(RecordSize(cb));
  RawToBinary(cb, bin.data());
  int64_t v = 0;
  std::memcpy(&v, bin.data() + 1, 8);
  EXPECT_EQ(v, 123456789012345678LL);
  v = -987654321012345678LL;  // 19 characters
  std::memcpy(bin.data() + 1, &v, 8);
  BinaryToRaw(cb, bin.data());
  EXPECT_EQ(raw(cb), " -987654321012345678");
  v = std::numeric_limits<int64_t>::max();
  std::memcpy(bin.data() + 1, &v, 8);
  BinaryToRaw(cb, bin.data());
  EXPECT_EQ(raw(cb), " 9223372036854775807");
  CloseDbf(cb);
}

// Stored numbers are read without the general number reader where their form allows; the value
// must be exactly the one that reader gives, for the common forms and the odd ones alike.
TEST_F(TableFileTest, StoredNumbersReadAsTheGeneralReaderReadsThem) {
  std::vector<std::string> texts = {"0", "-0", "-0.00", "12.50", "-.5", ".25", "12.", "1,5", "+3", "1 2", "1e5", "-", ".",
                                    "*****", "", "0.1", "0.3", "-1.25", "9999999999999999999", "99999999999999999999",
                                    "123456789.123456789", "-922337203685477580.8", "9223372036854775807",
                                    "-9223372036854775808", "9223372036854775808", "0000000000000000000001.5"};
  std::mt19937_64 rng(20241210);
  for (int i = 0; i < 3000; ++i) {
    int digits = 1 + static_cast<int>(rng() % 20);
    std::string t;
    for (int k = 0; k < digits; ++k) t += static_cast<char>('0' + rng() % 10);
    if (rng() % 3 != 0) t.insert(rng() % (t.size() + 1), ".");
    if (rng() % 2 == 0) t.insert(0, "-");
    texts.push_back(t);
  }
  std::vector<std::string> records;
  for (const auto& t : texts) {
    std::string f = std::string(22 - std::min<size_t>(22, t.size()), ' ') + t.substr(0, 22);
    records.push_back(" " + f + f);
  }
  std::string path = write("num.dbf", makeDbf(0x03, {{"R", 'N', 22, 9}, {"I", 'N', 22, 0}}, records));
  TDbfControlBlock cb;
  ASSERT_EQ(open(cb, path), 0);
  std::vector<uint8_t> bin(RecordSize(cb));
  for (size_t i = 0; i < texts.size(); ++i) {
    GetDbfRecord(cb, static_cast<int32_t>(i + 1));
    RawToBinary(cb, bin.data());
    const std::string field = records[i].substr(1, 22);
    long double real = 0, wantReal = 0;
    std::memcpy(&real, bin.data() + 1, 10);
    if (!XbParseReal(field, wantReal)) wantReal = 0;
    EXPECT_TRUE(real == wantReal && std::signbit(real) == std::signbit(wantReal)) << '"' << texts[i] << '"';
    int64_t whole = 0, wantWhole = 0;
    std::memcpy(&whole, bin.data() + 17, 8);
    if (!XbParseInt(field, wantWhole)) wantWhole = 0;
    EXPECT_EQ(whole, wantWhole) << '"' << texts[i] << '"';
  }
  CloseDbf(cb);
}

// Every field length up to 20, blanks before, behind and inside, signs, points and stray bytes:
// a stored number reads as the general reader reads it, sign of a zero included.
TEST_F(TableFileTest, StoredNumbersOfEveryLengthReadAsTheGeneralReader) {
  std::mt19937_64 rng(20261211);
  const std::string stray = "+e,*\xC4\t";
  std::string t;
  for (int i = 0; i < 200000; ++i) {
    const size_t len = 1 + rng() % 20;
    t.clear();
    t.append(rng() % (len + 1), ' ');
    if (rng() % 3 == 0) t += '-';
    const size_t digits = rng() % 18, at = rng() % 4 == 0 ? std::string::npos : rng() % (digits + 1);
    for (size_t k = 0; k < digits; ++k) {
      if (k == at) t += '.';
      t += static_cast<char>('0' + rng() % 10);
    }
    if (at == digits) t += '.';
    t.append(rng() % 3, ' ');
    if (rng() % 8 == 0 && !t.empty()) t[rng() % t.size()] = stray[rng() % stray.size()];
    if (rng() % 16 == 0 && !t.empty()) t[rng() % t.size()] = static_cast<char>("0-. "[rng() % 4]);
    t.resize(len, ' ');
    const TDbfFieldEntry f{"R", 'N', static_cast<uint8_t>(len), 2, 1};
    const long double got = StoredReal(f, reinterpret_cast<const uint8_t*>(t.data()));
    long double want = 0;
    if (!XbParseReal(t, want)) want = 0;
    ASSERT_TRUE(got == want && std::signbit(got) == std::signbit(want)) << '"' << t << "\" " << static_cast<double>(got);
  }
}

// Reads ahead serve a walk in any direction with what the file holds, our own writes included;
// what another program wrote shows once the records read ahead are dropped.
TEST_F(TableFileTest, RecordsReadAheadStayTrue) {
  std::vector<std::string> records;
  for (int i = 1; i <= 300; ++i) {
    std::string n = std::to_string(i);
    records.push_back(" r" + std::string(4 - n.size(), '0') + n);
  }
  std::string path = write("walk.dbf", makeDbf(0x03, {{"NAME", 'C', 5, 0}}, records));
  TDbfControlBlock cb;
  ASSERT_EQ(open(cb, path), 0);
  auto read = [&](int32_t n) {
    GetDbfRecord(cb, n);
    EXPECT_EQ(engineState.XbErrorCode, 0);
    return raw(cb);
  };
  for (int32_t n = 1; n <= 300; ++n) ASSERT_EQ(read(n), records[static_cast<size_t>(n - 1)]) << n;
  for (int32_t n : {300, 7, 150, 149, 151, 1, 299}) EXPECT_EQ(read(n), records[static_cast<size_t>(n - 1)]) << n;

  for (int32_t n = 1; n <= 100; ++n) read(n);  // records after 100 are held now
  setRaw(cb, " ours1");
  PutDbfRecord(cb, 101);
  ASSERT_EQ(engineState.XbErrorCode, 0);
  int other = ::open(path.c_str(), O_RDWR);
  ASSERT_GE(other, 0);
  const uint16_t h = cb.HeaderLen;
  ASSERT_EQ(::pwrite(other, " them1", 6, h + 101 * 6), 6);  // record 102
  ::close(other);
  EXPECT_EQ(read(101), " ours1");
  DropReadAhead(cb);
  EXPECT_EQ(read(102), " them1");
  EXPECT_EQ(read(103), records[102]);
  CloseDbf(cb);
}

}  // namespace
}  // namespace qorva
