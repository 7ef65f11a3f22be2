// The drawing change commands: new, modify and delete with their listing, the refused 26th record,
// the printed change log, the storing rules of the drawing information, and the document links,
// whose programs and files that cannot be started or opened are told to the user.
#include "shell/drawingchanges.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/reportwriter.h"
#include "foundation/machinefacts.h"
#include "foundation/desktopsettings.h"
#include "platform/services.h"
#include "shell/documentcommands.h"
#include "spring/drawingdata.h"
#include "spring/documentlinks.h"
#include "spring/spring.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

class ChangeRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitReportWriter();
    previous_ = installServices(HeadlessServices());
    services().ReportViewer = [this](const std::string& file) { listings_.push_back(test::readFile(file)); };
    programState.TempDir = scratch_.path().string() + "/";
    programState.DataDir = scratch_.path().string() + "/";
    programState.CurrentFileName = "feder";
    programState.ProgTitle = "QORVA";
    programState.ProgVersion = "1.0";
    test::scriptedPrompter().clear();
    // The entry window: the next texts typed, or Cancel.
    services().ChangeEntry = [this](uint16_t n) {
      ++edits_;
      edited_ = n;
      if (typed_.empty()) {
        programState.ErrorFlag = true;  // as the window's Cancel button does
        return Outcome::Cancelled;
      }
      programState.ErrorFlag = false;
      StoreChangeEntry(a_, n, typed_[0], typed_[1], typed_[2], typed_[3]);
      return Outcome::Done;
    };
  }
  void TearDown() override {
    installServices(std::move(previous_));
    InitAllSettings();
    test::scriptedPrompter().clear();
  }
  void Type(std::vector<std::string> texts) { typed_ = std::move(texts); }
  static bool Has(const std::string& listing, const std::string& text) {
    return listing.find(text) != std::string::npos;
  }

  test::ScratchDir scratch_;
  Spring spring_;  // the spring the commands and the entry window work on
  DrawingData& a_ = spring_.drawing;
  Services previous_;
  std::vector<std::string> listings_;
  std::vector<std::string> typed_;
  int edits_ = 0;
  uint16_t edited_ = 0;
};

TEST_F(ChangeRecordTest, NewModifyDeleteEditTheLastRecordAndListOnScreen) {
  Type({"Bohrung", "01.02.2024", "Ml", "Bohrung 5 mm\nstatt 4 mm"});
  ChangeRecordCommand(spring_, ChangeCommand::New);
  ASSERT_EQ(a_.ChangeCount, 1);
  EXPECT_EQ(a_.ChangeRecords[1].ChangeIndex, "Bohrung");
  EXPECT_EQ(a_.ChangeRecords[1].Description, "Bohrung 5 mm\nstatt 4 mm");
  ASSERT_EQ(listings_.size(), 1u);
  EXPECT_TRUE(Has(listings_[0], "Bohrung 5 mm")) << listings_[0];
  EXPECT_TRUE(Has(listings_[0], "statt 4 mm")) << "each line of the description is a line of the log";

  Type({"Breite", "", "Kr", "Band 40 mm"});
  ChangeRecordCommand(spring_, ChangeCommand::New);
  ASSERT_EQ(a_.ChangeCount, 2);
  Type({"Breite neu", "02.02.2024", "Kr", "Band 41 mm"});
  ChangeRecordCommand(spring_, ChangeCommand::ModifyLast);
  EXPECT_EQ(edited_, 2) << "Modify always edits the last record";
  EXPECT_EQ(a_.ChangeRecords[2].Description, "Band 41 mm");
  EXPECT_EQ(a_.ChangeRecords[1].Description, "Bohrung 5 mm\nstatt 4 mm");
  ASSERT_EQ(listings_.size(), 3u);

  ChangeRecordCommand(spring_, ChangeCommand::DeleteLast);
  EXPECT_EQ(a_.ChangeCount, 1);
  ASSERT_EQ(listings_.size(), 4u);
  EXPECT_FALSE(Has(listings_[3], "Band 41 mm")) << listings_[3];
  EXPECT_TRUE(Has(listings_[3], "Bohrung 5 mm"));

  // The slot keeps its texts: a new change after Delete shows them again with today's date.
  Type({});
  ChangeRecordCommand(spring_, ChangeCommand::New);
  EXPECT_EQ(a_.ChangeCount, 2);
  EXPECT_EQ(a_.ChangeRecords[2].Description, "Band 41 mm");
  EXPECT_EQ(a_.ChangeRecords[2].Date, DateStr());
  EXPECT_EQ(listings_.size(), 4u) << "Cancel after New keeps the record and skips the listing";
}

TEST_F(ChangeRecordTest, WithoutRecordsModifyDoesNothingAndDeleteOnlyLists) {
  ChangeRecordCommand(spring_, ChangeCommand::ModifyLast);
  EXPECT_EQ(edits_, 0);
  EXPECT_TRUE(listings_.empty());
  ChangeRecordCommand(spring_, ChangeCommand::DeleteLast);
  EXPECT_EQ(a_.ChangeCount, 0);
  EXPECT_EQ(listings_.size(), 1u);
}

TEST_F(ChangeRecordTest, The26thRecordIsRefused) {
  a_.ChangeCount = MaxChangeRecords;
  ChangeRecordCommand(spring_, ChangeCommand::New);
  EXPECT_EQ(a_.ChangeCount, MaxChangeRecords);
  EXPECT_EQ(edits_, 0);
  ASSERT_FALSE(test::scriptedPrompter().asked().empty());
  EXPECT_EQ(test::scriptedPrompter().asked().back().text, "Max. \xC3\x84nderungen = 25 !");
}

TEST_F(ChangeRecordTest, AChangeOfTheRecordsMarksTheSpringChangedAndOnlyThen) {
  // Each command runs after a left-over error state (Help > Hilfebild, a failed OLE command).
  struct Case {
    const char* name;
    uint16_t code;
    std::vector<std::string> typed;  // empty: the window is cancelled
    uint16_t countBefore;
    bool modified;
    size_t listings;
  } cases[] = {
      {"new, OK", ChangeCommand::New, {"a", "", "Ml", "x"}, 0, true, 1},
      {"new, cancelled: the record stays", ChangeCommand::New, {}, 0, true, 0},
      {"modify, OK", ChangeCommand::ModifyLast, {"a", "", "Ml", "y"}, 1, true, 1},
      {"modify, cancelled", ChangeCommand::ModifyLast, {}, 1, false, 0},
      {"delete", ChangeCommand::DeleteLast, {}, 1, true, 1},
      {"delete without records", ChangeCommand::DeleteLast, {}, 0, false, 1},
      {"list", ChangeCommand::List, {}, 1, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    listings_.clear();
    a_.ChangeCount = c.countBefore;
    programState.InputModified = false;
    programState.ErrorFlag = true;
    Type(c.typed);
    ChangeRecordCommand(spring_, c.code);
    EXPECT_EQ(programState.InputModified, c.modified);
    EXPECT_EQ(listings_.size(), c.listings);
  }
}

TEST_F(ChangeRecordTest, ThePrintedLogInATextFile) {
  spring_.TitleLines = {"", "Feder K-12", "Haspel", ""};  // the log's head names the spring
  a_.TitleDrawnDate = "05.03.2024";
  a_.TitleDrawnBy = "Ml";
  a_.TitleReplaces = "Z-4710";
  a_.ChangeCount = 2;
  a_.ChangeRecords[1] = {"Bohrung", "01.02.2024", "Ml", "Bohrung 5 mm"};
  a_.ChangeRecords[2] = {"Breite", "02.02.2024", "Kr", "Band 41 mm"};
  a_.ChangeRecords[3] = {"geloescht", "03.02.2024", "Kr", "nicht mehr da"};
  desktopSettings.TextDevice = OutputDeviceCode::TextFile;
  desktopSettings.TextDeviceQuery = false;
  for (int32_t style : {0, 1, 2}) {
    SCOPED_TRACE(style);
    desktopSettings.ChangeIndexStyle = static_cast<uint16_t>(style);
    const std::string out = (scratch_ / ("log" + std::to_string(style) + ".txt")).string();
    test::scriptedPrompter().push(out);
    ChangeRecordCommand(spring_, ChangeCommand::Print);
    const std::string log = test::readFile(out);
    EXPECT_TRUE(Has(log, "\x8E" "nderungsprotokoll")) << log;
    EXPECT_TRUE(Has(log, "Feder K-12")) << log;
    EXPECT_TRUE(Has(log, "Haspel")) << log;
    EXPECT_TRUE(Has(log, "Erstellungsdatum: 05.03.2024     Erstellt von: Ml")) << log;
    EXPECT_TRUE(Has(log, "Ersatz f\x81r: Z-4710         ")) << log;
    EXPECT_FALSE(Has(log, "Ersetzt durch")) << "an empty field is left out";
    EXPECT_TRUE(Has(log, "Index   Datum        Bearb.   \x8E" "nderung")) << log;
    const std::string first = style == 1 ? "  1     " : "  a     ";
    const std::string second = style == 1 ? "  2     " : "  b     ";
    EXPECT_TRUE(Has(log, first + "01.02.2024   Ml       Bohrung")) << log;
    EXPECT_TRUE(Has(log, second + "02.02.2024   Kr       Breite")) << log;
    EXPECT_TRUE(Has(log, " Band 41 mm"));
    EXPECT_FALSE(Has(log, "nicht mehr da")) << "only the records in use";
  }
}

TEST_F(ChangeRecordTest, DrawingInformationStoresItsRows) {
  desktopSettings.TitleBlockType = 0;  // DIN 6771
  a_.TitleDepartment = "Konstruktion";
  DrawingInfoInput in;
  in.replaces = "Z-4710 und mehr als 15";
  in.rowDate = {"", "01.01.2024", "02.01.2024", "03.01.2024", "04.01.2024"};
  in.rowName = {"", "Ml", "Kr", "No", "Fr"};
  in.texts = {{"10", "20,5", "3.5", "90", "Oben"},
              {"x", "1", "2", "0", "Zweiter"},
              {"1", "1", "1", "1", "  "},
              {"5", "5", "5", "5", "nach der Luecke"}};
  in.mode = 2;
  in.iso = {"Versuch", "Zeichnung", "frei"};
  StoreDrawingInfo(a_, in);
  EXPECT_EQ(a_.TitleReplaces, "Z-4710 und mehr");
  EXPECT_EQ(a_.TitleRow4Name, "Fr");
  ASSERT_EQ(a_.DrawingTextCount, 2) << "the texts end at the first blank one after row 1";
  EXPECT_DOUBLE_EQ(static_cast<double>(a_.DrawingTexts[1].y), 20.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(a_.DrawingTexts[2].x), 0) << "no number becomes 0";
  EXPECT_EQ(a_.DrawingTextMode, 2);
  EXPECT_EQ(a_.TitleDepartment, "Konstruktion") << "DIN 6771 leaves the ISO 7200 fields";

  desktopSettings.TitleBlockType = 1;  // ISO 7200: row 4 comes empty, the ISO fields are stored
  in.rowDate[4] = "";
  in.rowName[4] = "";
  in.texts = {{"", "", "", "", ""}, {"1", "1", "1", "1", " "}, {"2", "2", "2", "2", "dahinter"}};
  StoreDrawingInfo(a_, in);
  EXPECT_EQ(a_.TitleRow4Name, "");
  EXPECT_EQ(a_.TitleDepartment, "Versuch");
  EXPECT_EQ(a_.DrawingTextCount, 1) << "row 1 is always taken, even empty";
  EXPECT_EQ(a_.DrawingTexts[1].Text, "");
}

class DocumentLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    test::scriptedPrompter().clear();
    test::recordingLauncher().clear();
    test::recordingLauncher().installed = {"mousepad"};
  }
  void TearDown() override {
    test::recordingLauncher().installed.clear();
    test::recordingLauncher().clear();
    test::scriptedPrompter().clear();
  }
  static std::string LastMessage() {
    const auto& a = test::scriptedPrompter().asked();
    return a.empty() ? std::string() : a.back().text;
  }
  test::ScratchDir scratch_;
};

TEST_F(DocumentLinkTest, AProgramIsStartedWithItsFile) {
  EXPECT_TRUE(ExecDocumentProgram("mousepad", "spec.txt"));
  ASSERT_EQ(test::recordingLauncher().launched().size(), 1u);
  EXPECT_EQ(test::recordingLauncher().launched()[0].program, "mousepad");
  EXPECT_EQ(test::recordingLauncher().launched()[0].args, std::vector<std::string>{"spec.txt"});
  EXPECT_TRUE(test::scriptedPrompter().asked().empty());
}

// A link written on Windows names a program this machine does not have: its document is opened by
// the desktop's program for it.
TEST_F(DocumentLinkTest, AWindowsProgramThatIsNotHereLeavesItsDocumentToTheDesktop) {
  EXPECT_TRUE(ExecDocumentProgram("C:\\WINDOWS\\NOTEPAD.EXE", "spec.txt"));
  ASSERT_EQ(test::recordingLauncher().launched().size(), 1u);
  EXPECT_TRUE(test::recordingLauncher().launched()[0].document);
  EXPECT_TRUE(test::scriptedPrompter().asked().empty());
}

TEST_F(DocumentLinkTest, WhatCannotBeStartedOrOpenedIsTold) {
  EXPECT_FALSE(ExecDocumentProgram("notepad.exe", ""));
  EXPECT_EQ(LastMessage(), "Programm kann nicht gestartet werden: notepad.exe (notepad.exe nicht gefunden: bitte das "
                           "Programm installieren oder seinen Pfad angeben)");
  EXPECT_FALSE(ExecDocumentProgram("  ", "spec.txt"));
  EXPECT_EQ(LastMessage(), "Kein Programm angegeben !");
  EXPECT_FALSE(ExecDocumentFile(""));
  EXPECT_EQ(LastMessage(), "Keine Datei angegeben !");
  const std::string missing = (scratch_ / "fehlt.txt").string();
  EXPECT_FALSE(ExecDocumentFile(missing));
  EXPECT_EQ(LastMessage(), "Datei nicht gefunden: " + missing);
  EXPECT_TRUE(test::recordingLauncher().launched().empty());

  // The desktop refuses to open an existing file.
  struct Refusing : RecordingLauncher {
    bool openDocument(const std::string&) override { return false; }
  };
  const std::string there = (scratch_ / "da.txt").string();
  test::writeFile(there, "x");
  auto refusing = std::make_unique<Refusing>();
  refusing->installed = {"xdg-open"};  // there, and still it opens nothing: no package to name
  auto previous = installLauncher(std::move(refusing));
  EXPECT_FALSE(ExecDocumentFile(there));
  installLauncher(std::move(previous));
  EXPECT_EQ(LastMessage(), "Datei kann nicht ge\xC3\xB6" "ffnet werden: " + there);

  EXPECT_TRUE(ExecDocumentFile(there));
  ASSERT_EQ(test::recordingLauncher().launched().size(), 1u);
  EXPECT_TRUE(test::recordingLauncher().launched()[0].document);
}

}  // namespace
}  // namespace qorva
