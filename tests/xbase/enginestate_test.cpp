// Engine error policy, texts, code pages, strings, number texts, files and message windows.
#include "xbase/enginestate.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <set>

#include "platform/services.h"
#include "tests/support/testsupport.h"
#include "xbase/workareas.h"
#include "xbase/engine.h"
#include "xbase/nationaldates.h"

namespace qorva {
namespace {

class EngineStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    XbStartEngine();
    test::scriptedPrompter().clear();
  }
  void TearDown() override {
    XbStopEngine();
    test::scriptedPrompter().clear();
  }
};

TEST_F(EngineStateTest, ReportedErrorShowsStopBoxAndEndsTheCommandWithItsCode) {
  try {
    XbSetError(212, "Kontext [Test]");
    FAIL() << "no stop";
  } catch (const EXbaseHalt& h) {
    EXPECT_EQ(h.code(), 212);
    EXPECT_EQ(h.exitCode(), 212);
  }
  const auto& asked = test::scriptedPrompter().asked();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].caption, "Programm angehalten.");
  EXPECT_EQ(asked[0].text, "Fehler Nr. 212 (Anfrage au\xC3\x9F" "erhalb Bereich)\r\nKontext [Test]");
  // The stop is over once reported: the next error is reported again.
  EXPECT_FALSE(engineState.XbHalted);
  EXPECT_THROW(XbSetError(215, "x"), EXbaseHalt);
  EXPECT_EQ(test::scriptedPrompter().asked().size(), 2u);
}

TEST_F(EngineStateTest, ExitCodeOfAStopNeverExceeds255) {
  EXPECT_EQ(EXbaseHalt(1250, "").exitCode(), 255);
  EXPECT_EQ(EXbaseHalt(256, "").exitCode(), 255);
  EXPECT_EQ(EXbaseHalt(2, "").exitCode(), 2);
}

TEST_F(EngineStateTest, RaiseModeThrowsEngineExceptionWithTheMessage) {
  XbSetRaiseMode(true);
  try {
    XbSetError(212, "Kontext");
    FAIL();
  } catch (const EXbaseError& e) {
    EXPECT_STREQ(e.what(), "Fehler Nr. 212 (Anfrage au\xDF" "erhalb Bereich)\r\nKontext");
  }
  EXPECT_TRUE(test::scriptedPrompter().asked().empty());
}

TEST_F(EngineStateTest, QuietCallerSeesTheCodeAndTakesTheMessageOnce) {
  {
    XbQuietErrors quiet;
    XbSetError(212, "Kontext");
    EXPECT_EQ(engineState.XbErrorCode, 212);
    EXPECT_EQ(XbErrorMessage(), "Fehler Nr. 212 (Anfrage au\xDF" "erhalb Bereich)\r\nKontext");
    EXPECT_EQ(XbErrorMessage(), "");
  }
  EXPECT_TRUE(engineState.XbReportErrors);
  XbSetError(0, "nichts");
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_TRUE(test::scriptedPrompter().asked().empty());
}

TEST_F(EngineStateTest, LongMessageIsCutInTheBox) {
  EXPECT_THROW(XbSetError(2, std::string(400, 'x')), EXbaseHalt);
  ASSERT_EQ(test::scriptedPrompter().asked().size(), 1u);
  EXPECT_EQ(test::scriptedPrompter().asked()[0].text.size(), 255u);
}

TEST_F(EngineStateTest, ErrorTexts) {
  EXPECT_EQ(XbErrorText(0), "");
  EXPECT_EQ(XbErrorText(7), "Fehler Nr. 7 (Unbekannter Fehler)");
  EXPECT_EQ(XbErrorText(1250), "Fehler Nr. 1250 (Netzwerkfehler)");
  EXPECT_EQ(XbErrorText(1301), "Fehler Nr. 1301 (Unbekannter Fehler)");
  EXPECT_EQ(XbErrorText(215), "Fehler Nr. 215 (Keine Datenbank (bzw. kein Arbeitsbereich) ge\xF6" "ffnet.)");
  EXPECT_EQ(XbErrorText(266), "Fehler Nr. 266 (Unzul\xE4ssige Gr\xF6\xDF" "e des Datenpuffers)");
}

TEST_F(EngineStateTest, FreeingANullBlockReportsError9) {
  XbQuietErrors quiet;
  void* p = nullptr;
  FreeMem(p, 10);
  EXPECT_EQ(engineState.XbErrorCode, 9);
  EXPECT_EQ(XbTakeErrorContext(), "Versuch Null-Zeiger freizugeben [FreeMem()]");
  engineState.XbErrorCode = 0;
  XbGetMem(p, 10);
  ASSERT_NE(p, nullptr);
  FreeMem(p, 10);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(engineState.XbErrorCode, 0);
}

TEST_F(EngineStateTest, CodePageTablesAreOneToOne) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  std::string ansi = XbOemToAnsi(all);
  EXPECT_EQ(std::set<char>(ansi.begin(), ansi.end()).size(), 256u);
  EXPECT_EQ(XbAnsiToOem(ansi), all);
  EXPECT_EQ(XbOemToAnsi(all.substr(0, 128)), all.substr(0, 128));
  // Letters that exist on both sides map onto each other.
  EXPECT_EQ(XbOemToAnsi("\x8E\x99\x9A\x84\x94\x81\xE1"), "\xC4\xD6\xDC\xE4\xF6\xFC\xDF");
  EXPECT_EQ(XbAnsiToUtf8("Gr\xF6\xDF" "e \x80"), "Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC");
}

TEST_F(EngineStateTest, StringHelpers) {
  EXPECT_EQ(XbCountOf("AA", "AAAA"), 2);
  EXPECT_EQ(XbCountOf("A", "ABAB"), 2);
  EXPECT_EQ(XbCountOf("", "AB"), 0);
  EXPECT_EQ(XbPosN(2, "AA", "AAAA"), 2);
  EXPECT_EQ(XbPosN(-1, "B", "ABAB"), 4);
  EXPECT_EQ(XbPosN(-2, "B", "ABAB"), 2);
  EXPECT_EQ(XbPosN(3, "B", "ABAB"), 0);
  EXPECT_EQ(XbUpperStr("stra\xDF" "e \xE4\xF6\xFC"), "STRA\xDF" "E \xC4\xD6\xDC");
  EXPECT_EQ(XbPosNoCase("m\xFC", "xxM\xDCLLER"), 3);
  EXPECT_EQ(XbAllTrim(" \t a b \r\n"), "a b");
  EXPECT_EQ(XbPadRight("ab", 4), "ab  ");
  EXPECT_EQ(XbReplicate('*', -1), "");
  EXPECT_TRUE(XbIsAlphaStart("\xE4x"));
  EXPECT_FALSE(XbIsAlphaStart("1x"));
}

TEST_F(EngineStateTest, StripKeywordRemovesOnlyWholeWords) {
  struct Case {
    std::string word, text, result;
    bool removed;
  };
  const Case cases[] = {
      {"EXCLUSIVE", "kunden exclusive alias k", "KUNDEN  ALIAS K", true},
      {"EXCLUSIVE", "KUNDEN EXCLUSIVELY", "KUNDEN EXCLUSIVELY", false},
      {" EXCLUSIVE", "T EXCLUSIVE_1", "T EXCLUSIVE_1", false},
      {" EXCLUSIVE", "T EXCLUSIVE EXCLUSIVE", "T", true},
      {"", "abc   ", "ABC", false},
  };
  for (const auto& c : cases) {
    std::string t = c.text;
    EXPECT_EQ(StripKeyword(c.word, t), c.removed) << c.text;
    EXPECT_EQ(t, c.result) << c.text;
  }
}

TEST_F(EngineStateTest, NumberTextsFollowTheDecimalCharacter) {
  struct Case {
    char dc;
    std::string in, out;
  };
  const Case cases[] = {
      {',', " 1.234,50 EUR", "1234.50"}, {',', "-,5", "-0.5"},      {'.', "$1,234.50", "1234.50"},
      {'.', "+ 12abc", "12"},            {'.', "- -", ""},          {'.', "12.", "12"},
      {'.', ".5", "0.5"},                {',', "- + 3,25", "-3.25"}, {'.', "", ""},
  };
  for (const auto& c : cases) {
    nationalDates.DecimalChar = c.dc;
    std::string s = c.in;
    CleanNumberText(s);
    EXPECT_EQ(s, c.out) << c.in;
  }
  nationalDates.DecimalChar = ',';
  EXPECT_EQ(NumTextToFloat("1.234,5"), 1234.5L);
  EXPECT_EQ(NumTextToInt("12,9"), 12);
  EXPECT_EQ(NumTextToSmall("40000"), 32767);
  EXPECT_EQ(NumTextToSmall(" + 12abc"), 12);
  EXPECT_EQ(NumTextToSmall("1.000"), 1000);
  EXPECT_EQ(XbFloatToText(12.5L, 8, 2), "   12,50");
  nationalDates.DecimalChar = '.';
  EXPECT_EQ(XbFloatToText(-0.001L, 6, 2), "  0.00");
  // Number fields round halves away from zero, whatever the binary value's last bits say.
  EXPECT_EQ(XbFloatToText(1.125L, 6, 2), "  1.13");
  EXPECT_EQ(XbFloatToText(-1.125L, 6, 2), " -1.13");
  EXPECT_EQ(XbFloatToText(2.675L, 6, 2), "  2.68");
  EXPECT_EQ(XbFloatToText(99.95L, 6, 1), " 100.0");
  EXPECT_EQ(XbFloatToText(1e-30L, 6, 2), "  0.00");
  EXPECT_EQ(XbIntToText(-42, 5), "  -42");
  long double v = 0;
  EXPECT_TRUE(XbParseReal(" 3,5 ", v));
  EXPECT_EQ(v, 3.5L);
  EXPECT_FALSE(XbParseReal("*****", v));
}

TEST_F(EngineStateTest, FileNameParts) {
  std::string d, n, e;
  XbFSplit("dir.x\\sub/name", d, n, e);
  EXPECT_EQ(d, "dir.x/sub/");
  EXPECT_EQ(n, "name");
  EXPECT_EQ(e, "");
  EXPECT_EQ(XbDefaultExt("a/b  ", "DBF"), "a/b.DBF");
  EXPECT_EQ(XbDefaultExt("a/b.dbf", "DBF"), "a/b.dbf");
  EXPECT_EQ(XbForceExt("a/b.dbf", "DBT"), "a/b.DBT");
  EXPECT_EQ(XbNoExtension("a.b/c.dbf"), "a.b/c");
  EXPECT_EQ(XbFullPath("/x/./y/../z.dbf"), "/x/z.dbf");
  // Long names keep every character when an extension is added or replaced.
  const std::string longName(80, 'n');
  EXPECT_EQ(XbDefaultExt("d/" + longName, "DBF"), "d/" + longName + ".DBF");
  EXPECT_EQ(XbForceExt("d/" + longName + ".x", "DBT"), "d/" + longName + ".DBT");
  XbFSplit("d/" + longName + ".x", d, n, e);
  EXPECT_EQ(n.size(), 64u);
}

TEST_F(EngineStateTest, OnlyANameNotThereAsWrittenIsLookedUpWhateverItsCase) {
  test::ScratchDir dir;
  std::filesystem::create_directories(dir / "Data");
  test::writeFile(dir / "Data" / "parts.dbf", "x");
  test::writeFile(dir / "Data" / "t.dbt", "lower");
  test::writeFile(dir / "Data" / "T.DBT", "upper");
  test::writeFile(dir / "Data" / "m.DBT", "m");
  const std::string data = (dir / "Data").string() + "/";
  struct Case {
    std::string asked, found;
  } cases[] = {
      {data + "PARTS.DBF", data + "parts.dbf"},
      {data + "parts.dbf", data + "parts.dbf"},
      {data + "t.dbt", data + "t.dbt"},
      {data + "T.DBT", data + "T.DBT"},
      {data + "t.DBT", data + "t.dbt"},  // the stem as written decides between twins
      {data + "T.dbt", data + "T.DBT"},
      {data + "M.dbt", data + "m.DBT"},
      {(dir / "data").string() + "/parts.dbf", (dir / "data").string() + "/parts.dbf"},  // folders as written
      {"/no/such/FILE", "/no/such/FILE"},
  };
  for (const Case& c : cases) EXPECT_EQ(XbResolveFileName(c.asked), c.found) << c.asked;
  EXPECT_TRUE(XbFileExists(data + "PARTS.DBF"));
  EXPECT_FALSE(XbFileExists((dir / "DATA").string() + "/parts.dbf"));
  EXPECT_FALSE(XbFileExists(data + "PARTS.DBFX"));
  // A table's companion files take the case of its extension.
  EXPECT_EQ(XbCompanionName(data + "t.dbf", "DBT"), data + "t.dbt");
  EXPECT_EQ(XbCompanionName(data + "T.DBF", "DBT"), data + "T.DBT");
  EXPECT_EQ(XbCompanionName(data + "m.dbf", "DBT"), data + "m.DBT");  // not there as written
  EXPECT_EQ(XbCompanionName(data + "new.dbf", "NDX"), data + "new.ndx");
  EXPECT_EQ(XbCompanionName(data + "NEW.DBF", "ndx"), data + "NEW.NDX");
  EXPECT_EQ(XbCompanionName(data + "new", "NDX"), data + "new.NDX");
}

TEST_F(EngineStateTest, ShareModesAreEmulated) {
  test::ScratchDir dir;
  const std::string f = (dir / "t.dbf").string();
  test::writeFile(f, "abc");
  int a = -1, b = -1;
  ASSERT_EQ(XbOpenFile(f, XbModeReadWriteDenyAll, a), 0);
  EXPECT_EQ(XbOpenFile(f, XbModeReadOnlyDenyNone, b), 32);
  EXPECT_EQ(b, -1);
  EXPECT_EQ(XbDeleteOneFile(f), 32);
  XbCloseFile(a);
  ASSERT_EQ(XbOpenFile(f, XbModeReadWriteDenyNone, a), 0);
  ASSERT_EQ(XbOpenFile(f, XbModeReadWriteDenyNone, b), 0);
  int c = -1;
  EXPECT_EQ(XbOpenFile(f, XbModeReadWriteDenyAll, c), 32);
  XbCloseFile(a);
  XbCloseFile(b);
  EXPECT_EQ(XbOpenFile(f + "x", XbModeReadWriteDenyNone, a), 2);
  EXPECT_EQ(XbDeleteOneFile(f), 0);
  EXPECT_FALSE(std::filesystem::exists(f));
}

TEST_F(EngineStateTest, PositionalReadsAndWrites) {
  test::ScratchDir dir;
  const std::string f = (dir / "t.dbf").string();
  test::writeFile(f, "abcdef");
  int fd = -1;
  ASSERT_EQ(XbOpenFile(f, XbModeReadWriteDenyNone, fd), 0);
  EXPECT_EQ(XbWriteAt(fd, 8, "XY", 2), 0);
  char buf[8] = {};
  EXPECT_EQ(XbReadAt(fd, 2, buf, 4), 4);
  EXPECT_EQ(std::string(buf, 4), "cdef");
  EXPECT_EQ(XbReadAt(fd, 7, buf, sizeof buf), 3);  // short at the end of the file
  EXPECT_EQ(std::string(buf, 3), std::string("\0XY", 3));
  XbCloseFile(fd);

  ASSERT_EQ(XbOpenFile(f, XbModeReadOnlyDenyNone, fd), 0);
  EXPECT_EQ(XbWriteAt(fd, 0, "Z", 1), EBADF);
  XbCloseFile(fd);
  errno = 0;
  EXPECT_EQ(XbReadAt(fd, 0, buf, 1), -1);
  EXPECT_EQ(errno, EBADF);
  EXPECT_EQ(test::readFile(f), std::string("abcdef\0\0XY", 10));
}

TEST_F(EngineStateTest, DeletingByPattern) {
  test::ScratchDir dir;
  test::writeFile(dir / "a1.tmp", "x");
  test::writeFile(dir / "A2.TMP", "x");
  test::writeFile(dir / "keep.txt", "x");
  XbDeleteFiles((dir / "*.tmp").string());
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "a1.tmp"));
  EXPECT_FALSE(std::filesystem::exists(dir / "A2.TMP"));
  EXPECT_TRUE(std::filesystem::exists(dir / "keep.txt"));
  // A pattern that matches nothing leaves the search's code and shows nothing.
  XbDeleteFiles((dir / "*.none").string());
  EXPECT_EQ(engineState.XbErrorCode, 2);
  EXPECT_TRUE(test::scriptedPrompter().asked().empty());
  // A file that is in use is counted and reported.
  int fd = -1;
  test::writeFile(dir / "busy.tmp", "x");
  ASSERT_EQ(XbOpenFile((dir / "busy.tmp").string(), XbModeReadWriteDenyNone, fd), 0);
  {
    XbQuietErrors quiet;
    XbDeleteFiles((dir / "*.tmp").string());
    EXPECT_EQ(engineState.XbErrorCode, 5);
    EXPECT_EQ(XbTakeErrorContext(), "1 Datei(en) mit Namen wie " + (dir / "*.tmp").string());
  }
  XbCloseFile(fd);
}

TEST_F(EngineStateTest, UniqueTemporaryFilesAndFileDates) {
  test::ScratchDir dir;
  engineState.XbTempDir = dir.path().string();
  std::string a = UniqueFilename(), b = UniqueFilename();
  EXPECT_NE(a, b);
  EXPECT_TRUE(std::filesystem::exists(a));
  EXPECT_EQ(std::filesystem::path(a).filename().string().rfind("XBP", 0), 0u);
  EXPECT_GT(FileDateOf(a), 0);
  EXPECT_EQ(engineState.XbFindError, 0);
  EXPECT_EQ(FileDateOf(a + "x"), 0);
  EXPECT_EQ(engineState.XbFindError, 2);
  EXPECT_FALSE(FileIsFromToday(a + "x"));
  EXPECT_GT(DiskFreeKB(dir.path().string()), 0.0L);
  EXPECT_EQ(DiskFreeKB("/no/such/folder"), 2147483647.0L);
}

TEST_F(EngineStateTest, ProgressBarCountsDownAndStartsAgain) {
  std::vector<std::string> shown;
  services().MessageWindowShow = [&](const std::string& caption, const std::string& text, int32_t, int32_t) {
    EXPECT_EQ(caption, "Progress");
    shown.push_back(text);
  };
  {
    TXbProgress100 p;
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.back(), std::string(100, '|'));
    p.Step();
    EXPECT_EQ(shown.back(), std::string(99, '|'));
    for (int i = 2; i <= 100; ++i) p.Step();
    EXPECT_EQ(shown.back(), "|");
    EXPECT_EQ(shown.size(), 100u);
    p.Step();
    EXPECT_EQ(shown.back(), std::string(100, '|'));
  }
  services() = HeadlessServices();
}

TEST_F(EngineStateTest, MessageWindowGrowsButNeverShrinks) {
  TXbMsg m;
  m.Show("a rather long message text");
  int32_t w = m.Width();
  m.Show("short");
  EXPECT_EQ(m.Width(), w);
  EXPECT_EQ(m.Text(), "short");
  m.Show();
  EXPECT_EQ(m.Text(), "short");
  EXPECT_TRUE(m.Visible());
  m.Caption = "Bitte warten";
  int32_t h = m.Height();
  m.Show();
  EXPECT_GT(m.Height(), h);
}

}  // namespace
}  // namespace qorva
