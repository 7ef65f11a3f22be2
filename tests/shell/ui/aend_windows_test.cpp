// The change entry, drawing information and document windows driven through their controls and
// through the Documentation menu of the main window: what OK, Cancel and the title bar store, the
// two title-block layouts, a "|" typed into a field that must not break the spring file's lines,
// and document links that cannot be started.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>
#include <memory>
#include <sstream>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/reportwriter.h"
#include "foundation/ui/qttext.h"
#include "foundation/machinefacts.h"
#include "foundation/utilfile.h"
#include "foundation/desktopsettings.h"
#include "platform/services.h"
#include "shell/drawingchanges.h"
#include "shell/documentcommands.h"
#include "shell/ui/documentwindow.h"
#include "shell/ui/changeentrywindow.h"
#include "shell/ui/drawinginfowindow.h"
#include "shell/ui/mainwindow.h"
#include "spring/springdatafile.h"
#include "spring/spring.h"
#include "tests/support/testsupport.h"
#include "tests/support/ui/nextmodal.h"

namespace qorva {
namespace {

using Grid = DrawingInfoWindow;

class ChangeWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitReportWriter();
    previous_ = installServices(HeadlessServices());
    services().ReportViewer = [this](const std::string& file) { listings_.push_back(test::readFile(file)); };
    programState.TempDir = scratch_.path().string() + "/";
    programState.CurrentFileName = "feder";
    test::scriptedPrompter().clear();
    test::recordingLauncher().clear();
    // The Documentation windows as the window installs them, on the window's spring.
    window_ = std::make_unique<MainWindow>();
    const Services w = WindowServices(spring());
    services().ChangeEntry = w.ChangeEntry;
    services().DrawingInfo = w.DrawingInfo;
    services().DocumentLinks = w.DocumentLinks;
  }
  void TearDown() override {
    installServices(std::move(previous_));
    window_.reset();
    InitAllSettings();
    test::scriptedPrompter().clear();
    test::recordingLauncher().installed.clear();
    test::recordingLauncher().clear();
  }
  // The change block as the spring file writes it, split into its lines.
  std::vector<std::string> ChangeBlockLines() {
    const std::string path = (scratch_ / "block.txt").string();
    ShareTextFile.Assign(path);
    EXPECT_TRUE(ShareTextFile.Rewrite());
    WriteChangeRecords(spring());
    EXPECT_TRUE(ShareTextFile.Close());
    std::vector<std::string> lines;
    std::istringstream in(test::readFile(path));
    for (std::string l; std::getline(in, l);) {
      if (!l.empty() && l.back() == '\r') l.pop_back();
      lines.push_back(l);
    }
    return lines;
  }

  Spring& spring() { return window_->spring(); }

  test::ScratchDir scratch_;
  Services previous_;
  std::vector<std::string> listings_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(ChangeWindowTest, NewChangeThroughTheEntryWindow) {
  test::OnNextModalOf<ChangeEntryWindow>([](ChangeEntryWindow* w) {
    EXPECT_EQ(w->windowTitle(), QString::fromUtf8("Änderung 1"));
    EXPECT_EQ(w->dateEdit->text(), dosToQString(DateStr())) << "a new change is dated today";
    EXPECT_EQ(w->todayButton->text(), dosToQString("<" + DateStr()));
    EXPECT_EQ(w->changeIndexLabel->text(), QString::fromUtf8("Änderungstext"));
    w->changeIndexEdit->setText(QString::fromUtf8("Bohrung größer"));
    w->dateEdit->clear();
    w->todayButton->click();
    w->editorNameEdit->setText("Ml");
    w->descriptionTextEdit->setPlainText("Bohrung 5 mm\nstatt 4 mm");
    w->okButton->click();
  });
  ChangeRecordCommand(spring(), ChangeCommand::New);
  EXPECT_FALSE(programState.ErrorFlag);
  ASSERT_EQ(spring().drawing.ChangeCount, 1);
  const ChangeRecord& r = spring().drawing.ChangeRecords[1];
  EXPECT_EQ(r.ChangeIndex, "Bohrung gr\x94\xE1" "er");
  EXPECT_EQ(r.Date, DateStr());
  EXPECT_EQ(r.Editor, "Ml");
  EXPECT_EQ(r.Description, "Bohrung 5 mm\nstatt 4 mm");
  ASSERT_EQ(listings_.size(), 1u);
  EXPECT_NE(listings_[0].find("Bohrung 5 mm"), std::string::npos);
  // The two description lines are one line of the file, with "|" at the break.
  const auto lines = ChangeBlockLines();
  ASSERT_GT(lines.size(), 6u);
  EXPECT_EQ(lines[6], "Bohrung 5 mm|statt 4 mm");
}

TEST_F(ChangeWindowTest, ModifyShowsTheLastRecordAndCancelOrTitleBarStoreNothing) {
  spring().drawing.ChangeCount = 2;
  spring().drawing.ChangeRecords[1] = {"Erste", "01.02.2024", "Ml", "eins"};
  spring().drawing.ChangeRecords[2] = {"Zweite", "02.02.2024", "Kr", "zwei\ndrei"};
  test::OnNextModalOf<ChangeEntryWindow>([](ChangeEntryWindow* w) {
    EXPECT_EQ(w->windowTitle(), QString::fromUtf8("Änderung 2"));
    EXPECT_EQ(w->changeIndexEdit->text(), "Zweite");
    EXPECT_EQ(w->dateEdit->text(), "02.02.2024");
    EXPECT_EQ(w->descriptionTextEdit->toPlainText(), "zwei\ndrei");
    w->changeIndexEdit->setText("anders");
    w->cancelButton->click();
  });
  ChangeRecordCommand(spring(), ChangeCommand::ModifyLast);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(spring().drawing.ChangeRecords[2].ChangeIndex, "Zweite");
  EXPECT_TRUE(listings_.empty()) << "no listing after Cancel";

  programState.ErrorFlag = false;
  test::OnNextModalOf<ChangeEntryWindow>([](ChangeEntryWindow* w) {
    w->changeIndexEdit->setText("anders");
    w->close();  // the title bar
  });
  programState.InputModified = false;
  ChangeRecordCommand(spring(), ChangeCommand::ModifyLast);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(spring().drawing.ChangeRecords[2].ChangeIndex, "Zweite");
  EXPECT_FALSE(programState.InputModified) << "nothing stored is no change";
  EXPECT_EQ(listings_.size(), 1u) << "the listing follows";
}

// Each window of the Documentation menu ends as done with OK and as cancelled with Cancel or the
// title bar.
TEST_F(ChangeWindowTest, EachWindowTellsOkFromCancel) {
  enum class Way { Ok, Cancel, TitleBar };
  auto leave = [](QDialog* w, QPushButton* ok, QPushButton* cancel, Way way) {
    if (way == Way::Ok) ok->click();
    else if (way == Way::Cancel) cancel->click();
    else w->close();
  };
  struct Case {
    const char* what;
    Way way;
    Outcome outcome;
  };
  const Case cases[] = {
      {"OK", Way::Ok, Outcome::Done},
      {"Cancel", Way::Cancel, Outcome::Cancelled},
      {"title bar", Way::TitleBar, Outcome::Cancelled},
  };
  spring().drawing.ChangeCount = 1;
  for (const Case& c : cases) {
    test::OnNextModalOf<ChangeEntryWindow>([&](ChangeEntryWindow* w) { leave(w, w->okButton, w->cancelButton, c.way); });
    EXPECT_EQ(EditChangeEntry(spring().drawing, 1), c.outcome) << "change entry, " << c.what;
    test::OnNextModalOf<DrawingInfoWindow>([&](DrawingInfoWindow* w) { leave(w, w->okButton, w->cancelButton, c.way); });
    EXPECT_EQ(EditDrawingInfo(spring().drawing), c.outcome) << "drawing information, " << c.what;
    test::OnNextModalOf<DocumentWindow>([&](DocumentWindow* w) { leave(w, w->okButton, w->cancelButton, c.way); });
    EXPECT_EQ(EditDocumentLinks(spring().documents), c.outcome) << "document links, " << c.what;
  }
}

TEST_F(ChangeWindowTest, DrawingInformationInTheDinLayout) {
  desktopSettings.TitleBlockType = 0;
  spring().drawing.TitleDepartment = "Konstruktion";
  spring().drawing.TitleReplaces = "Z-4710";
  spring().drawing.DrawingTextCount = 1;
  spring().drawing.DrawingTexts[1] = {10, 20, 3.5L, 0, "alt"};
  test::OnNextModalOf<DrawingInfoWindow>([](DrawingInfoWindow* w) {
    EXPECT_EQ(w->windowTitle(), "Zeichnungsinfo DIN 6771");
    EXPECT_EQ(w->titleBlockTable->rowCount(), 5);
    EXPECT_TRUE(w->releaseDateButton->isVisibleTo(w));
    EXPECT_FALSE(w->documentFieldsTable->isVisibleTo(w));
    EXPECT_EQ(w->replacesEdit->text(), "Z-4710");
    EXPECT_EQ(Grid::Cell(w->titleBlockTable, 1, 0), "Bearb.");
    EXPECT_EQ(Grid::Cell(w->drawingTextsTable, 1, 5), "alt");
    Grid::SetCell(w->titleBlockTable, 4, 1, "");
    w->releaseDateButton->click();
    EXPECT_EQ(Grid::Cell(w->titleBlockTable, 4, 1), dosToQString(DateStr()));
    // A "|" typed into the fields and the texts.
    Grid::SetCell(w->titleBlockTable, 2, 2, "A|B");
    Grid::SetCell(w->drawingTextsTable, 1, 5, "oben|unten");
    Grid::SetCell(w->drawingTextsTable, 2, 1, "abc");
    Grid::SetCell(w->drawingTextsTable, 2, 5, "zweiter");
    w->drawingTextModeComboBox->setCurrentIndex(3);
    EXPECT_FALSE(w->drawingTextsTable->isVisibleTo(w)) << "\"-\" hides the drawing texts";
    w->drawingTextModeComboBox->setCurrentIndex(1);
    EXPECT_TRUE(w->drawingTextsTable->isVisibleTo(w));
    w->okButton->click();
  });
  ChangeRecordCommand(spring(), ChangeCommand::DrawingInfo);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(spring().drawing.TitleCheckedBy, "A|B");
  EXPECT_EQ(spring().drawing.TitleRow4Date, DateStr());
  EXPECT_EQ(spring().drawing.DrawingTextCount, 2);
  EXPECT_EQ(spring().drawing.DrawingTexts[2].x, 0) << "no number becomes 0";
  EXPECT_EQ(spring().drawing.DrawingTextMode, 1);
  EXPECT_EQ(spring().drawing.TitleDepartment, "Konstruktion");

  // Each "|" typed stays inside its field: the field lines keep their number of fields.
  const auto lines = ChangeBlockLines();
  ASSERT_EQ(lines.size(), 3u + 1 + 4 + 2);
  auto bars = [](const std::string& l) { return std::count(l.begin(), l.end(), '|'); };
  EXPECT_EQ(bars(lines[3]), 8) << lines[3];
  EXPECT_EQ(bars(lines[8]), 6) << lines[8];
  EXPECT_EQ(bars(lines[9]), 6) << lines[9];
  EXPECT_NE(lines[8].find("oben\xB3unten"), std::string::npos) << lines[8];
}

TEST_F(ChangeWindowTest, DrawingInformationInTheIsoLayout) {
  desktopSettings.TitleBlockType = 2;
  spring().drawing.TitleRow4Date = "04.01.2024";
  spring().drawing.TitleRow4Name = "Fr";
  test::OnNextModalOf<DrawingInfoWindow>([](DrawingInfoWindow* w) {
    EXPECT_EQ(w->windowTitle(), "Zeichnungsinfo ISO 7200");
    EXPECT_EQ(w->titleBlockTable->rowCount(), 4);
    EXPECT_EQ(Grid::Cell(w->titleBlockTable, 0, 1), " (Datum)");
    EXPECT_EQ(Grid::Cell(w->titleBlockTable, 3, 0), "Technische Referenz");
    EXPECT_FALSE(w->drawnDateButton->isVisibleTo(w));
    EXPECT_FALSE(w->replacesEdit->isVisibleTo(w));
    EXPECT_TRUE(w->documentFieldsTable->isVisibleTo(w));
    Grid::SetCell(w->documentFieldsTable, 1, 1, "Versuch");
    w->okButton->click();
  });
  ShowDrawingInfo();
  EXPECT_EQ(spring().drawing.TitleDepartment, "Versuch");
  EXPECT_EQ(spring().drawing.TitleRow4Date, "") << "OK in the ISO layout empties row 4";
  EXPECT_EQ(spring().drawing.TitleRow4Name, "");
  EXPECT_EQ(spring().drawing.DrawingTextCount, 1) << "row 1 is always taken";

  test::OnNextModalOf<DrawingInfoWindow>([](DrawingInfoWindow* w) {
    Grid::SetCell(w->documentFieldsTable, 1, 1, "anders");
    w->cancelButton->click();
  });
  ShowDrawingInfo();
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(spring().drawing.TitleDepartment, "Versuch");
}

TEST_F(ChangeWindowTest, DocumentLinksAreEditedAndStartedFromTheirWindow) {
  test::recordingLauncher().installed = {"mousepad"};
  spring().documents.DocumentLinks[2] = {"mousepad", "spec.txt"};
  test::scriptedPrompter().push(std::string("/usr/bin/mousepad"));
  test::OnNextModalOf<DocumentWindow>([](DocumentWindow* w) {
    EXPECT_TRUE(w->windowTitle().startsWith("Document Links  -  "));
    EXPECT_EQ(w->programEdit[2]->text(), "mousepad");
    EXPECT_EQ(w->findChild<QPushButton*>("openFileButton3"), w->openFileButton[3]);
    // A program that is not there is told, and the window stays.
    w->runProgramButton[1]->click();
    EXPECT_TRUE(w->isVisible());
    w->runProgramButton[2]->click();
    w->programBrowseButton[1]->click();
    EXPECT_EQ(w->programEdit[1]->text(), "/usr/bin/mousepad");
    w->fileEdit[5]->setText("anleitung.pdf");
    w->okButton->click();
  });
  EXPECT_EQ(ShowDocumentLinks(), Outcome::Done);
  EXPECT_FALSE(programState.ErrorFlag);
  const auto& asked = test::scriptedPrompter().asked();
  ASSERT_FALSE(asked.empty());
  bool told = false;
  for (const auto& a : asked)
    told |= a.text == "Programm kann nicht gestartet werden: xdg-open (xdg-open fehlt: bitte das Paket xdg-utils installieren)";
  EXPECT_TRUE(told);
  ASSERT_EQ(test::recordingLauncher().launched().size(), 1u);
  EXPECT_EQ(test::recordingLauncher().launched()[0].args, std::vector<std::string>{"spec.txt"});
  EXPECT_EQ(spring().documents.DocumentLinks[1].Program, "/usr/bin/mousepad");
  EXPECT_EQ(spring().documents.DocumentLinks[5].File, "anleitung.pdf");

  // Esc is Cancel: nothing is stored.
  test::OnNextModalOf<DocumentWindow>([](DocumentWindow* w) {
    w->fileEdit[5]->setText("anders.pdf");
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(w, &esc);
  });
  EXPECT_EQ(ShowDocumentLinks(), Outcome::Cancelled);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(spring().documents.DocumentLinks[5].File, "anleitung.pdf");
}

// A link to a file of an umlaut name: the window shows the name as it is, opens that file, and
// the link keeps the program's own text, whether it was stored before or chosen in the window.
TEST_F(ChangeWindowTest, DocumentLinksToFilesOfUmlautNamesShowOpenAndKeepThem) {
  const std::string utf8 = scratch_.path().string() + "/Pr\xc3\xbc" "fbericht Gr\xc3\xb6\xc3\x9f" "e.htm";
  const std::string dos = scratch_.path().string() + "/Pr\x81" "fbericht Gr\x94\xe1" "e.htm";
  test::writeFile(utf8, "<html></html>");
  spring().documents.DocumentLinks[1] = {"xdg-open", dos};
  test::scriptedPrompter().push(utf8);
  test::OnNextModalOf<DocumentWindow>([&](DocumentWindow* w) {
    EXPECT_EQ(w->fileEdit[1]->text(), QString::fromStdString(utf8));
    w->openFileButton[1]->click();
    w->fileBrowseButton[2]->click();
    EXPECT_EQ(w->fileEdit[2]->text(), QString::fromStdString(utf8));
    w->okButton->click();
  });
  EXPECT_EQ(ShowDocumentLinks(), Outcome::Done);
  for (const auto& a : test::scriptedPrompter().asked()) EXPECT_EQ(a.text.find("Datei"), std::string::npos) << a.text;
  ASSERT_EQ(test::recordingLauncher().launched().size(), 1u);
  EXPECT_TRUE(test::recordingLauncher().launched()[0].document);
  EXPECT_EQ(test::recordingLauncher().launched()[0].program, dos);
  EXPECT_EQ(spring().documents.DocumentLinks[1].File, dos);
  EXPECT_EQ(spring().documents.DocumentLinks[2].File, dos);
}

TEST_F(ChangeWindowTest, TheDocumentationMenuLeadsToTheWindows) {
  MainWindow& form = *window_;
  auto item = [&](const char* name) { return form.findChild<QAction*>(name); };
  for (const char* name : {"documentDrawingDataAction", "documentShowChangesAction", "documentPrintChangesAction", "documentNewChangeAction",
                           "documentEditLastChangeAction", "documentDeleteLastChangeAction", "documentLinksAction"}) {
    ASSERT_NE(item(name), nullptr) << name;
    EXPECT_TRUE(item(name)->isEnabled()) << name;
  }
  services().ReportViewer = [this](const std::string& file) { listings_.push_back(test::readFile(file)); };
  test::OnNextModalOf<ChangeEntryWindow>([](ChangeEntryWindow* w) {
    w->changeIndexEdit->setText("vom Menue");
    w->okButton->click();
  });
  item("documentNewChangeAction")->trigger();
  EXPECT_EQ(spring().drawing.ChangeCount, 1);
  EXPECT_EQ(spring().drawing.ChangeRecords[1].ChangeIndex, "vom Menue");
  item("documentDeleteLastChangeAction")->trigger();
  EXPECT_EQ(spring().drawing.ChangeCount, 0);
  test::OnNextModalOf<DrawingInfoWindow>([](DrawingInfoWindow* w) { w->cancelButton->click(); });
  item("documentDrawingDataAction")->trigger();
  test::OnNextModalOf<DocumentWindow>([](DocumentWindow* w) { w->cancelButton->click(); });
  item("documentLinksAction")->trigger();
  EXPECT_TRUE(programState.ErrorFlag);
}

}  // namespace
}  // namespace qorva
