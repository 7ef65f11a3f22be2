// The main window's menu as its user drives it: a new spring made through File > New and the real
// forms, changed with Edit > Recalculation, saved, replaced and opened again from the recent list;
// then every item of the menu bar triggered in every menu language with the program's own windows,
// each closed as it comes up, and the window still working afterwards.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/desktopsettings.h"
#include "graphics/graphicsdraw.h"
#include "graphics/graphicsstate.h"
#include "platform/services.h"
#include "shell/ui/mainmenu.h"
#include "shell/ui/menucommands.h"
#include "shell/ui/mainwindow.h"
#include "shell/ui/dimensionsform.h"
#include "shell/springfile.h"
#include "shell/ui/inputforms.h"
#include "shell/ui/applicationform.h"
#include "shell/menutexts.h"
#include "spring/materialtable.h"
#include "spring/spring.h"
#include "tests/support/testsupport.h"
#include "tests/support/ui/nextmodal.h"
#include "xbase/access/tablehost.h"
#include "xbase/access/ui/browsewindow.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;
const fs::path kData = fs::path(QORVA_SOURCE_DIR) / "data";

class MenuCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    form_ = std::make_unique<MainWindow>();
    previous_ = installServices(WindowServices(form_->spring()));
    installMaterialTable(nullptr);  // the program's own dBase table
    fs::copy_file(kData / "null.qva", scratch_ / "null.qva");
    test::scriptedPrompter().clear();
    test::recordingLauncher().clear();
    test::recordingLauncher().installed = {"xdg-open"};
    // The program's files where a user's installation has them; the spring files in a folder of
    // their own.
    programState.DbfDir = kData.string();
    programState.PltDir = kData.string();
    programState.ProgramDir = kData.string();
    desktopSettings.ManualDir = kData.string();
    programState.DataDir = scratch_.path().string() + "/";
    programState.TempDir = scratch_.path().string() + "/";
    desktopSettings.ConfigDir = scratch_.path().string();  // the session file written at the window's end
    InitRecentMenu(*MainMenuOf(*form_), Item("fileExitAction"));  // as the start-up does
    ASSERT_TRUE(ReadDefaultSpring(form_->spring()));  // the spring the window starts with
    form_->show();
  }
  void TearDown() override {
    form_.reset();
    GraphDraw.reset();  // as the program's end does, before the display list goes
    installMaterialTable(nullptr);
    InitTableHost();
    installServices(std::move(previous_));
    InitAllSettings();
    test::scriptedPrompter().clear();
    test::recordingLauncher().clear();
  }
  QAction* Item(const char* name) {
    auto* a = form_->findChild<QAction*>(name);
    EXPECT_NE(a, nullptr) << name;
    return a;
  }
  static void Type(QLineEdit* e, const QString& text) {
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
  }

  // The spring of the window under test.
  Spring& spring() { return form_->spring(); }

  test::ScratchDir scratch_;
  Services previous_;
  std::unique_ptr<MainWindow> form_;
};

TEST_F(MenuCommandsTest, NewSpringRecalculatedSavedAndOpenedAgain) {
  int messageLists = 0;
  services().ShowCalcMessages = [&] { ++messageLists; };
  // File > New: drawing texts, the material in the table's browse window, the application, the
  // choice of "&Nachrechnung", the dimensions.
  test::scriptedPrompter().push(1);
  test::OnNextModalOf<DrawingTextsForm>([&](DrawingTextsForm* t) {
    Type(t->drawingNameEdit, "Bremsfeder");
    Type(t->drawingNumberEdit, "Z-100");
    test::OnNextModalOf<QDialog>([&](QDialog* shown) {
      auto* browse = dynamic_cast<BrowseWindow*>(shown);
      ASSERT_NE(browse, nullptr) << "the material table's browse window";
      test::OnNextModalOf<ApplicationForm>([&](ApplicationForm* a) {
        test::OnNextModalOf<DimensionsForm>([&](DimensionsForm* g) {
          Type(g->thicknessEdit, "0.4");
          Type(g->widthEdit, "30");
          QTest::mouseClick(g->okButton, Qt::LeftButton);
        }, a);
        QTest::mouseClick(a->okButton, Qt::LeftButton);
      }, browse);
      browse->okButton->click();
    }, t);
    QTest::mouseClick(t->okButton, Qt::LeftButton);
  });
  graphicsState.DisplayList.clear();
  Item("fileNewAction")->trigger();
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(programState.CurrentFileName, "");
  EXPECT_EQ(spring().family.DrawingName, "Bremsfeder");
  EXPECT_EQ(form_->spring().TitleLines[1], "Bremsfeder  Zeichn.Nr.: Z-100");
  EXPECT_EQ(spring().family.BandThickness, 0.4L);
  EXPECT_EQ(spring().family.BandWidth, 30);
  EXPECT_GT(spring().family.PermissibleStress, 0) << "a material was chosen";
  EXPECT_GT(spring().family.Stress2, 0) << "calculated";
  EXPECT_TRUE(programState.InputModified);
  EXPECT_EQ(messageLists, 1);
  EXPECT_GT(graphicsState.DisplayList.size(), 100u) << "the spring is drawn";

  // Edit > Recalculation: the thickness changed in the dimensions form.
  const long double stressBefore = spring().family.Stress2;
  test::OnNextModalOf<DimensionsForm>([&](DimensionsForm* g) {
    Type(g->thicknessEdit, "0.45");
    QTest::mouseClick(g->okButton, Qt::LeftButton);
  });
  Item("editDimensionsAction")->trigger();
  EXPECT_EQ(spring().family.BandThickness, 0.45L);
  EXPECT_NE(spring().family.Stress2, stressBefore) << "calculated again";

  // Save As names the file and puts it on the recent list.
  test::scriptedPrompter().push((scratch_ / "bremse.qva").string());
  Item("fileSaveAsAction")->trigger();
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(fs::exists(scratch_ / "bremse.qva"));
  EXPECT_FALSE(programState.InputModified);
  EXPECT_EQ(programState.CurrentFileName, "bremse");
  EXPECT_EQ(desktopSettings.RecentFiles[1], (scratch_ / "bremse.qva").string());
  EXPECT_TRUE(form_->windowTitle().contains("bremse.qva"));
  EXPECT_TRUE(Item("recentFileAction1")->isVisible());

  // File > New, left at its first form with Esc: the default spring is back, nothing calculated.
  test::OnNextModalOf<DrawingTextsForm>([](DrawingTextsForm* t) { QTest::keyClick(t, Qt::Key_Escape); });
  Item("fileNewAction")->trigger();
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(programState.CurrentFileName, "");
  EXPECT_EQ(spring().family.BandThickness, 0.5L) << "the default spring's";
  EXPECT_EQ(form_->spring().TitleLines[1], "");

  // The recent list brings the saved spring back.
  Item("recentFileAction1")->trigger();
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(programState.CurrentFileName, "bremse");
  EXPECT_EQ(spring().family.BandThickness, 0.45L);
  EXPECT_EQ(spring().family.BandWidth, 30);
  EXPECT_EQ(spring().family.DrawingName, "Bremsfeder");
  EXPECT_FALSE(programState.InputModified);
}

TEST_F(MenuCommandsTest, SaveWithoutANameAsksForOneAndLeavesTheRecentList) {
  programState.CurrentFileName.clear();
  programState.InputModified = true;
  test::scriptedPrompter().push((scratch_ / "erste.qva").string());
  Item("fileSaveAction")->trigger();
  EXPECT_TRUE(fs::exists(scratch_ / "erste.qva"));
  EXPECT_EQ(programState.CurrentFileName, "erste");
  EXPECT_FALSE(programState.InputModified);
  EXPECT_EQ(desktopSettings.RecentFiles[1], "");
}

TEST_F(MenuCommandsTest, CancelledFormsStillCalculateAndMark) {
  // Application cancelled: calculated and marked all the same.
  programState.InputModified = false;
  test::OnNextModalOf<ApplicationForm>([](ApplicationForm* a) { QTest::mouseClick(a->cancelButton, Qt::LeftButton); });
  Item("editApplicationAction")->trigger();
  EXPECT_TRUE(programState.InputModified);
  // Recalculation cancelled: calculated, not marked; no material asked for while one is chosen.
  programState.InputModified = false;
  ClearErrorList();
  test::OnNextModalOf<DimensionsForm>([](DimensionsForm* g) { QTest::mouseClick(g->cancelButton, Qt::LeftButton); });
  Item("editDimensionsAction")->trigger();
  EXPECT_FALSE(programState.InputModified);
  // Edit > Text cancelled leaves the input unmarked; confirmed marks it without drawing.
  test::OnNextModalOf<DrawingTextsForm>([](DrawingTextsForm* t) { QTest::keyClick(t, Qt::Key_Escape); });
  Item("editDrawingTextAction")->trigger();
  EXPECT_FALSE(programState.InputModified);
  test::OnNextModalOf<DrawingTextsForm>([](DrawingTextsForm* t) { QTest::mouseClick(t->okButton, Qt::LeftButton); });
  Item("editDrawingTextAction")->trigger();
  EXPECT_TRUE(programState.InputModified);
}

TEST_F(MenuCommandsTest, HelpOpensTheManualAndTheMakersPages) {
  Item("helpManualAction")->trigger();
  Item("helpProgramPageAction")->trigger();
  Item("helpHomepageAction")->trigger();
  std::vector<std::string> opened;
  for (const auto& l : test::recordingLauncher().launched())
    if (l.document) opened.push_back(l.program);
  EXPECT_EQ(opened, (std::vector<std::string>{(kData / "qorva.htm").string(), "https://www.kwendal.de/qorva_d.htm",
                                              "https://www.kwendal.de/"}));
  // No manual in the folder: told, and nothing opened.
  desktopSettings.ManualDir = scratch_.path().string();
  test::recordingLauncher().clear();
  test::scriptedPrompter().clear();
  Item("helpManualAction")->trigger();
  EXPECT_TRUE(test::recordingLauncher().launched().empty());
  ASSERT_FALSE(test::scriptedPrompter().asked().empty());
  EXPECT_EQ(test::scriptedPrompter().asked().back().text,
            "Handbuch " + scratch_.path().string() + "/qorva.pdf nicht gefunden !");
}

// A desktop without its opener (xdg-utils not installed): the manual, the web pages and the
// spreadsheet items each say which program is missing and which package brings it.
TEST_F(MenuCommandsTest, WithoutTheDesktopOpenerEachItemSaysWhatToInstall) {
  programState.CurrentFileName = "null";
  test::recordingLauncher().installed.clear();
  test::recordingLauncher().openerMissing = true;
  for (const char* item : {"helpManualAction", "helpProgramPageAction", "helpHomepageAction", "excelStartAction", "excelPrintoutAction"}) {
    SCOPED_TRACE(item);
    test::scriptedPrompter().clear();
    Item(item)->trigger();
    bool told = false;
    for (const auto& a : test::scriptedPrompter().asked())
      told |= a.text.find("(xdg-open fehlt: bitte das Paket xdg-utils installieren)") != std::string::npos;
    EXPECT_TRUE(told);
  }
  test::recordingLauncher().openerMissing = false;
  EXPECT_TRUE(test::recordingLauncher().launched().empty());
}

// A prompter that answers every question as a user who cancels would, and records the messages.
class CancellingPrompter : public Prompter {
 public:
  std::optional<int> choice(const std::string&, const std::vector<std::string>&, int) override { return {}; }
  std::optional<bool> yesNo(const std::string&, bool) override { return {}; }
  YesNoCancel yesNoCancel(const std::string&, const std::string&) override { return YesNoCancel::Cancel; }
  std::optional<std::string> text(const std::string&, int, const std::string&) override { return {}; }
  void message(const std::string& caption, const std::string& text) override { messages.push_back(caption + text); }
  void textScreen(const std::string&, const std::vector<std::string>&) override {}
  std::optional<std::string> openFile(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> saveFile(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> directory(const FileDialogRequest&) override { return {}; }
  void beep() override {}
  std::vector<std::string> messages;
};

// Closes every modal window as soon as it is up, as its close box does, while it lives.
class ModalCloser {
 public:
  ModalCloser() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (QWidget* w = QApplication::activeModalWidget()) {
        ++closed;
        w->close();
      }
    });
    timer_.start(2);
  }
  int closed = 0;

 private:
  QTimer timer_;
};

TEST_F(MenuCommandsTest, EveryItemInEveryLanguageRunsAndTheWindowGoesOn) {
  // A saved spring, so that the spreadsheet commands have a file to work on.
  test::scriptedPrompter().push((scratch_ / "feder.qva").string());
  Item("fileSaveAsAction")->trigger();
  ASSERT_FALSE(programState.ErrorFlag);
  auto own = std::make_unique<CancellingPrompter>();
  CancellingPrompter* answers = own.get();
  std::unique_ptr<Prompter> scripted = installPrompter(std::move(own));
  ModalCloser closer;
  const int32_t languages[] = {LangGerman, LangEnglish, LangFrench,     LangItalian, LangSwedish,
                               LangPortuguese, LangRomanian, LangKorean, LangSpanish, LangChinese};
  std::vector<QAction*> items;
  for (QAction* a : form_->findChildren<QAction*>()) {
    const std::string name = a->objectName().toStdString();
    if (a->menu() || a->isSeparator() || name.empty() || name == "fileExitAction") continue;
    if (name.rfind("language", 0) == 0) continue;  // the language is switched below
    items.push_back(a);
  }
  ASSERT_GE(items.size(), 50u);
  for (int32_t lang : languages) {
    SetLanguage(*form_, lang);
    SCOPED_TRACE(lang);
    for (QAction* a : items) {
      if (!a->isEnabled() || !a->isVisible()) continue;
      const std::string name = a->objectName().toStdString();
      answers->messages.clear();
      programState.InputModified = false;  // no save question in the way of the command
      try {
        a->trigger();
      } catch (const std::exception& e) {
        ADD_FAILURE() << name << " threw " << e.what();
      }
      for (const std::string& m : answers->messages) {
        EXPECT_EQ(m.rfind("Fehler : ", 0), std::string::npos) << name << ": " << m;
        EXPECT_EQ(m.find("nicht verf"), std::string::npos) << name << ": " << m;
      }
      EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << name << " left a window open";
      EXPECT_TRUE(form_->isVisible()) << name;
    }
  }
  EXPECT_GT(closer.closed, 20);
  // The window still answers: the error-messages item and Exit.
  SetLanguage(*form_, LangGerman);
  programState.InputModified = false;
  Item("fileExitAction")->trigger();
  EXPECT_FALSE(form_->isVisible());
  installPrompter(std::move(scripted));
}

}  // namespace
}  // namespace qorva
