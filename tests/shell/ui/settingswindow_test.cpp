// The configuration window driven through its controls: the take-over rules, the title-block and
// size-mode rules, the layer checks, the plot-program command lines (also with no line selected),
// the palette reset and the colour chooser, and export and import against the file the program
// itself writes.
#include "shell/ui/settingswindow.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "foundation/cadsettings.h"
#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/view3d.h"
#include "foundation/desktopsettings.h"
#include "foundation/printsettings.h"
#include "platform/scriptedprompter.h"
#include "platform/services.h"
#include "shell/configio.h"
#include "shell/ui/plotprogramwindow.h"
#include "tests/support/filehelpers.h"
#include "tests/support/testsupport.h"
#include "tests/support/ui/nextmodal.h"

namespace qorva {
namespace {

using test::scriptedPrompter;

std::string CellText(QTableWidget* g, int row, int column) { return g->item(row, column)->text().toStdString(); }
void Type(QTableWidget* g, int row, int column, const char* text) { g->setItem(row, column, new QTableWidgetItem(text)); }

class ConfigWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    services() = HeadlessServices();
    programState.HelpLevel = 0;
    desktopSettings.ConfigDir = dir_.path().string() + "/";
    scriptedPrompter().clear();
  }
  void TearDown() override {
    services() = HeadlessServices();
    InitAllSettings();
    scriptedPrompter().clear();
  }
  bool ErrorShown() const {
    for (const AskRecord& r : scriptedPrompter().asked())
      if (r.kind == AskKind::Message) return true;
    return false;
  }
  test::ScratchDir dir_;
};

TEST_F(ConfigWindowTest, OkTakesTheFieldsWithTheirRules) {
  int clientWidth = -1;
  services().SetClientSize = [&](int32_t w, int32_t) { clientWidth = w + 1; };
  programState.ProgramDir = "/Opt/KWENDAL/Bin";
  SettingsWindow w;
  EXPECT_EQ(w.programFolderEdit->text().toStdString(), "/Opt/KWENDAL/Bin") << "shown as it is";
  EXPECT_EQ(w.pageTabWidget->currentWidget(), w.graphicsPage);
  w.graphicsWindowWidthEdit->setText("6000");
  w.textWindowWidthEdit->setText("1001");
  w.textWindowLeftEdit->setText("1001");
  w.textWindowHeightEdit->setText("600");
  w.graphicsWindowHeightEdit->setText("500");  // the y field (GraphResY + 1)
  w.dimensionFactorEdit->setText("0.005");
  w.zoomFactorEdit->setText("");
  w.printScaleXEdit->setText("1,5");
  w.drawingLogoCheckBox->setChecked(false);
  w.dateFormatRadioGroup->Item(0)->click();
  w.textPrinterPortComboBox->setCurrentIndex(2);
  w.view3dAngleXEdit->setText("90");
  w.okButton->click();
  EXPECT_EQ(w.result(), QDialog::Accepted);
  EXPECT_EQ(programState.GraphResX, 5000);
  EXPECT_EQ(clientWidth, 5001);
  EXPECT_EQ(programState.GraphResY, 499);
  EXPECT_EQ(printSettings.TextWindowPos.Width, 700);
  EXPECT_EQ(printSettings.TextWindowPos.Left, 10);
  EXPECT_EQ(printSettings.TextWindowPos.Height, 480);
  EXPECT_EQ(cadSettings.DimensionFactor, 1.0L);
  EXPECT_EQ(graphicsSettings.ZoomFactor, 1.0L) << "a blank zoom factor";
  EXPECT_DOUBLE_EQ(printSettings.DefaultPrintScaleX, 1.5);
  EXPECT_TRUE(cadSettings.DwgNoLogo) << "inverted";
  EXPECT_EQ(desktopSettings.DateFormat, 1);
  EXPECT_EQ(programState.PrinterPort, 3);
  EXPECT_NEAR(static_cast<double>(view3d.View3DAngles[1]), 1.5707963, 1e-6);
  EXPECT_EQ(programState.ProgramDir, "/Opt/KWENDAL/Bin");
}

// Folder names are shown and taken back as the file system spells them, also while texts are shown
// in plain ASCII, which would otherwise write "Pruefung" back for "Prüfung".
TEST_F(ConfigWindowTest, FolderNamesKeepTheirLettersInEveryDisplayMode) {
  for (uint16_t plain : {0, 1}) {
    desktopSettings.PlainAscii = plain;
    programState.DbfDir = "/daten/Pr\x81" "fung";  // DOS code page
    programState.PltDir = "/daten/hilfe";
    SettingsWindow w;
    EXPECT_EQ(w.databaseFolderEdit->text(), QString::fromUtf8("/daten/Prüfung")) << plain;
    w.helpFilesFolderEdit->setText(QString::fromUtf8("/daten/Übersicht"));
    w.okButton->click();
    EXPECT_EQ(programState.DbfDir, "/daten/Pr\x81" "fung") << plain;
    EXPECT_EQ(programState.PltDir, "/daten/\x9A" "bersicht") << plain;
  }
}

TEST_F(ConfigWindowTest, CancelTakesNothing) {
  SettingsWindow w;
  w.databaseFolderEdit->setText("/anders");
  w.cancelButton->click();
  EXPECT_EQ(programState.DbfDir, "");
}

TEST_F(ConfigWindowTest, TitleBlockAndSizeModes) {
  SettingsWindow w;
  w.show();
  w.titleBlockTypeComboBox->setCurrentIndex(1);  // ISO 7200 Fig.1
  EXPECT_TRUE(w.frameMarginComboBox->isEnabled());
  EXPECT_TRUE(w.releaseFieldEdit->isHidden());
  w.frameMarginComboBox->setCurrentIndex(1);
  EXPECT_FALSE(w.gridBorderCheckBox->isHidden());
  EXPECT_FALSE(w.showChangesCheckBox->isHidden());
  w.titleBlockTypeComboBox->setCurrentIndex(3);  // DIN 6771
  EXPECT_EQ(w.frameMarginComboBox->currentIndex(), 0);
  EXPECT_FALSE(w.frameMarginComboBox->isEnabled());
  EXPECT_TRUE(w.gridBorderCheckBox->isHidden());
  EXPECT_TRUE(w.mmScaleBorderCheckBox->isHidden());
  EXPECT_TRUE(w.showChangesCheckBox->isHidden());
  EXPECT_FALSE(w.releaseFieldEdit->isHidden());

  w.graphicsWindowWidthEdit->setText("641");
  w.graphicsWindowHeightEdit->setText("481");
  w.textWindowSizeModeComboBox->setCurrentIndex(1);
  w.ApplyVisibility();
  EXPECT_EQ(w.textWindowWidthEdit->text(), "700") << "Auto fills the fields as the < button does";
  EXPECT_EQ(w.textWindowHeightEdit->text(), "461");
  EXPECT_FALSE(w.textWindowWidthEdit->isEnabled());
  EXPECT_TRUE(w.textWindowDefaultButton->isHidden());
  w.graphicsWindowSizeModeComboBox->setCurrentIndex(2);
  w.ApplyVisibility();
  EXPECT_TRUE(w.graphicsWindowWidthEdit->isHidden());
}

TEST_F(ConfigWindowTest, ASizeRowHiddenByItsModeTakesItsCaptionAndUnitAlong) {
  SettingsWindow w;
  w.show();
  // The captions and units of the window-size and dialog-size rows, found by their texts.
  auto labels = [&w](std::initializer_list<const char*> texts) {
    std::vector<QLabel*> found;
    for (QLabel* l : w.graphicsPage->findChildren<QLabel*>())
      for (const char* t : texts)
        if (l->text() == QString::fromUtf8(t)) found.push_back(l);
    return found;
  };
  const std::vector<QLabel*> sizeLabels = labels({"x ", "y"});
  const std::vector<QLabel*> dialogLabels = labels({"Dialogfenster Gr\u00f6\u00dfe", "Dialogelemente Gr\u00f6\u00dfe", "%"});
  ASSERT_EQ(sizeLabels.size(), 2u);
  ASSERT_EQ(dialogLabels.size(), 4u);
  struct Case {
    int screenSize, dialogSize;
    bool sizeShown, dialogShown;
  };
  for (const Case c : {Case{1, 1, false, false}, Case{0, 0, true, true}, Case{2, 0, false, true}, Case{0, 1, true, false}}) {
    w.graphicsWindowSizeModeComboBox->setCurrentIndex(c.screenSize);
    w.dialogSizeModeComboBox->setCurrentIndex(c.dialogSize);
    w.ApplyVisibility();
    for (QWidget* x : std::initializer_list<QWidget*>{w.graphicsWindowWidthEdit, w.graphicsWindowHeightEdit, w.graphicsWindowWidthFromHeightButton, w.graphicsWindowHeightFromWidthButton, w.graphicsWindowMaxSizeButton})
      EXPECT_EQ(x->isHidden(), !c.sizeShown) << x->objectName().toStdString() << " " << c.screenSize;
    for (QLabel* l : sizeLabels) EXPECT_EQ(l->isHidden(), !c.sizeShown) << l->text().toStdString() << " " << c.screenSize;
    for (QWidget* x : std::vector<QWidget*>{w.dialogScaleSpinBox, w.dialogElementScaleSpinBox,
                                            w.dialogScaleDefaultButton, w.dialogElementScaleDefaultButton})
      EXPECT_EQ(x->isHidden(), !c.dialogShown) << x->objectName().toStdString() << " " << c.dialogSize;
    for (QLabel* l : dialogLabels)
      EXPECT_EQ(l->isHidden(), !c.dialogShown) << l->text().toStdString() << " " << c.dialogSize;
  }
}

TEST_F(ConfigWindowTest, TheLayerGridShowsAllItsColumnsWithTheirHeaders) {
  SettingsWindow w;
  w.show();
  w.pageTabWidget->setCurrentWidget(w.cadPage);
  QApplication::processEvents();
  QTableWidget* g = w.layerTable;
  const QFontMetrics metrics(g->horizontalHeader()->font());
  int total = 0;
  for (int c = 0; c < g->columnCount(); ++c) {
    const QString header = g->horizontalHeaderItem(c)->text();
    EXPECT_GE(g->columnWidth(c), metrics.horizontalAdvance(header)) << header.toStdString();
    total += g->columnWidth(c);
  }
  EXPECT_LE(total, g->viewport()->width()) << "no column out of view";
}

TEST_F(ConfigWindowTest, TheFolderPageNamesTheUser) {
  struct Case {
    const char *username, *user, *logname, *shown;
  };
  for (const Case c : {Case{"anna", "bert", "carl", "User: anna"}, Case{nullptr, "bert", "carl", "User: bert"},
                       Case{"", "bert", nullptr, "User: bert"}, Case{nullptr, nullptr, "carl", "User: carl"}}) {
    test::ScopedEnv username("USERNAME", c.username);
    test::ScopedEnv user("USER", c.user);
    test::ScopedEnv logname("LOGNAME", c.logname);
    SettingsWindow w;
    EXPECT_EQ(w.userNameLabel->text().toStdString(), c.shown);
  }
}

TEST_F(ConfigWindowTest, LayerNamesAndColoursAreCheckedBeforeAnythingIsTaken) {
  struct Case {
    QTableWidget* SettingsWindow::*grid;
    int row, column;
    const char* typed;
  };
  for (const Case c : std::vector<Case>{{&SettingsWindow::layerTable, 0, 0, "a/b"},
                                        {&SettingsWindow::layerTable, 2, 0, ""},
                                        {&SettingsWindow::layerTable, 1, 1, "0"},
                                        {&SettingsWindow::layerTable, 4, 1, "300"},
                                        {&SettingsWindow::colorLayersTable, 3, 0, "0"}}) {
    InitAllSettings();
    programState.HelpLevel = 0;
    scriptedPrompter().clear();
    SettingsWindow w;
    w.databaseFolderEdit->setText("/neu");
    Type(w.*c.grid, c.row, c.column, c.typed);
    w.okButton->click();
    EXPECT_NE(w.result(), QDialog::Accepted) << c.typed;
    EXPECT_TRUE(ErrorShown()) << c.typed;
    EXPECT_EQ(programState.DbfDir, "") << "nothing taken: " << c.typed;
    EXPECT_EQ((w.*c.grid)->currentRow(), c.row);
  }
  SettingsWindow w;
  Type(w.layerTable, 0, 0, "DICK");
  Type(w.layerTable, 0, 1, "200");
  w.okButton->click();
  EXPECT_EQ(w.result(), QDialog::Accepted);
  EXPECT_EQ(cadSettings.LayerNames[5], "DICK") << "row 1 is layer 5";
  EXPECT_EQ(cadSettings.LayerColors[5], 200);
}

TEST_F(ConfigWindowTest, LayerDefaultsAndColourChooser) {
  SettingsWindow w;
  w.layerDefaultButton[4]->click();  // row 2
  EXPECT_EQ(CellText(w.layerTable, 1, 0), "4");
  EXPECT_EQ(CellText(w.layerTable, 1, 1), "3");
  EXPECT_EQ(CellText(w.layerTable, 1, 2), "2");

  w.layerTable->setCurrentCell(1, 0);
  test::OnNextModalOf<QDialog>([](QDialog* d) {
    auto* c = dynamic_cast<ColorChooser*>(d);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->colorList->currentRow(), 2) << "preset with the cell's colour";
    EXPECT_EQ(c->colorList->item(6)->text().toStdString(), "7 (wei\xC3\x9F)");
    c->colorList->setCurrentRow(11);
    c->okButton->click();
  });
  w.layerColorButton->click();
  EXPECT_EQ(CellText(w.layerTable, 1, 1), "12");

  test::OnNextModalOf<QDialog>([](QDialog* d) {
    auto* c = dynamic_cast<ColorChooser*>(d);
    ASSERT_NE(c, nullptr);
    c->colorList->setCurrentRow(0);
    c->cancelButton->click();
  });
  w.layerColorButton->click();
  EXPECT_EQ(CellText(w.layerTable, 1, 1), "12");
  EXPECT_FALSE(programState.ErrorFlag);

  w.lineWidthButton2->click();
  EXPECT_EQ(CellText(w.colorLayersTable, 15, 1), "2");
}

TEST_F(ConfigWindowTest, PaletteResetIsImmediateAndDropsOtherChanges) {
  graphicsSettings.ColorTable[3] = 0x123456;
  SettingsWindow w;
  w.zoomFactorEdit->setText("9");
  w.PanelColors[5] = 0x010203;
  w.resetPaletteButton->click();
  const TColor reset3 = graphicsSettings.ColorTable[3];
  EXPECT_NE(reset3, 0x123456u) << "the palette is reset at once";
  EXPECT_EQ(w.PanelColors[3], reset3);
  EXPECT_NE(w.PanelColors[5], 0x010203u);
  EXPECT_NE(w.zoomFactorEdit->text(), "9");
}

TEST_F(ConfigWindowTest, CommandLinesWithAndWithoutSelection) {
  SettingsWindow w;
  ASSERT_EQ(w.plotCommandList->count(), 5);
  w.plotCommandList->setCurrentRow(-1);
  scriptedPrompter().push(std::string("ERSTE"));
  w.plotCommandEditButton->click();
  EXPECT_EQ(w.plotCommandList->item(0)->text(), "ERSTE") << "no selection acts on line 1";

  w.plotCommandList->setCurrentRow(4);
  scriptedPrompter().push(std::string("FUENFTE"));
  w.plotCommandEditButton->click();
  EXPECT_EQ(w.plotCommandList->item(4)->text(), "FUENFTE");
  scriptedPrompter().push(Cancel{});
  w.plotCommandEditButton->click();
  EXPECT_EQ(w.plotCommandList->item(4)->text(), "FUENFTE") << "a cancelled prompt changes nothing";

  w.plotCommandList->setCurrentRow(-1);
  std::string built;
  test::OnNextModalOf<QDialog>([&built](QDialog* d) {
    auto* v = dynamic_cast<PlotProgramWindow*>(d);
    ASSERT_NE(v, nullptr);
    v->BuildCommandLine();
    built = v->CommandLine;
    v->okButton->click();
  });
  w.plotCommandConfigButton->click();
  EXPECT_FALSE(built.empty());
  EXPECT_EQ(w.plotCommandList->item(0)->text().toStdString(), built);

  w.okButton->click();
  EXPECT_EQ(cadSettings.VentrixCmdLines[1], built);
  EXPECT_EQ(cadSettings.VentrixCmdLines[5], "FUENFTE") << "all five lines are stored";
}

TEST_F(ConfigWindowTest, ExportAndImportMatchTheProgramsOwnFile) {
  programState.DbfDir = "/daten/dbf";
  cadSettings.LayerNames[3] = "MITTE";
  printSettings.TextWindowPos = {20, 40, 650, 400};
  programState.GraphResX = 799;
  programState.GraphResY = 599;
  // Sizes as typed: "max" and "Auto" would derive them from the screen on reading.
  desktopSettings.ScreenSizeCode = 0;
  desktopSettings.DialogSizeCode = 0;
  // Exported under the program's own name in another folder, so the first line matches too.
  const std::string exported = (dir_.path() / "sub" / "KWENDAL.cfg").string();
  std::filesystem::create_directories(dir_.path() / "sub");
  {
    SettingsWindow w;
    w.cadTextStyleEdit->setText("ISOCP");
    w.hideWarningsCheckBox->setChecked(true);
    scriptedPrompter().push(exported);
    w.exportButton->click();
    EXPECT_FALSE(programState.ErrorFlag);
  }
  EXPECT_EQ(desktopSettings.ConfigDir, dir_.path().string() + "/") << "restored after the export";
  EXPECT_EQ(cadSettings.CadTextFont, "ISOCP") << "export takes the controls over";
  WriteConfigFile();
  const std::string own = test::readFile(dir_.path() / "KWENDAL.cfg");
  ASSERT_FALSE(own.empty());
  EXPECT_EQ(test::readFile(exported), own) << "byte for byte";

  InitAllSettings();
  programState.HelpLevel = 0;
  desktopSettings.ConfigDir = dir_.path().string() + "/";
  std::filesystem::remove(dir_.path() / "KWENDAL.cfg");
  SettingsWindow w;
  scriptedPrompter().push(exported);
  w.importButton->click();
  EXPECT_EQ(w.cadTextStyleEdit->text(), "ISOCP") << "the window shows what was read";
  EXPECT_TRUE(w.hideWarningsCheckBox->isChecked());
  EXPECT_EQ(desktopSettings.ConfigDir, dir_.path().string() + "/");
  w.okButton->click();
  WriteConfigFile();
  EXPECT_EQ(test::readFile(dir_.path() / "KWENDAL.cfg"), own);

  // Without a chosen name nothing is read or written and ErrorFlag stays set.
  scriptedPrompter().push(Cancel{});
  w.exportButton->click();
  EXPECT_TRUE(programState.ErrorFlag);
  w.saveButton->click();
  EXPECT_FALSE(programState.ErrorFlag) << "saving still works";
}

// A temporary folder the configuration leaves unset is shown as the start folder its files go to;
// saving keeps it unset unless the field was changed, so that the work folders of later runs do
// not land in the user's own folder. A folder typed or chosen is saved.
TEST_F(ConfigWindowTest, SavingKeepsAnUnsetTemporaryFolderUnset) {
  const std::string start = programState.StartDir + "/";
  const std::string own = (dir_.path() / "tmp").string();
  std::filesystem::create_directories(own);
  struct Case {
    const char* name;
    std::function<void(SettingsWindow&)> change;
    std::string saved;
  };
  const Case cases[] = {
      {"untouched", [](SettingsWindow&) {}, ""},
      {"folder dialog cancelled", [](SettingsWindow& w) {
         scriptedPrompter().push(Cancel{});
         w.tempFolderButton->click();
       }, ""},
      {"emptied", [](SettingsWindow& w) { w.tempFolderEdit->clear(); }, ""},
      {"typed", [&own](SettingsWindow& w) { w.tempFolderEdit->setText(QString::fromStdString(own + "/")); }, own + "/"},
      {"chosen", [&own](SettingsWindow& w) {
         scriptedPrompter().push(own);
         w.tempFolderButton->click();
       }, own},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitAllSettings();
    programState.HelpLevel = 0;
    desktopSettings.ConfigDir = dir_.path().string() + "/";
    programState.CadDir = programState.StartDir;
    CheckDirectories();  // as at the start, with an empty temporary folder
    scriptedPrompter().clear();
    SettingsWindow w;
    EXPECT_EQ(w.tempFolderEdit->text().toStdString(), start) << "where its files go";
    c.change(w);
    w.saveButton->click();
    EXPECT_FALSE(programState.ErrorFlag);
    const std::vector<std::string> lines = test::Lines(test::readFile(dir_.path() / "KWENDAL.cfg"));
    const auto label = std::find(lines.begin(), lines.end(), "Ordner f\x81r tempor\x84re Dateien");
    ASSERT_LT(label + 1, lines.end());
    EXPECT_EQ(label[1], c.saved);
  }
}

// Export and import tell a file dialog the user cancelled from a file that cannot be written or read.
TEST_F(ConfigWindowTest, ExportAndImportTellCancelFromFailure) {
  const std::filesystem::path damaged = dir_.path() / "kaputt.cfg";
  test::writeFile(damaged, "KWENDAL Konfiguration\r\n" + std::string(2u << 20, 'x') + "\r\n");
  const std::string good = (dir_.path() / "gut.cfg").string();
  struct Case {
    const char* what;
    bool import;
    ScriptedAnswer answer;
    Outcome outcome;
  };
  const Case cases[] = {
      {"export cancelled", false, Cancel{}, Outcome::Cancelled},
      {"export into a missing folder", false, (dir_.path() / "fehlt" / "x.cfg").string(), Outcome::Failed},
      {"export", false, good, Outcome::Done},
      {"import cancelled", true, Cancel{}, Outcome::Cancelled},
      {"import of a damaged file", true, damaged.string(), Outcome::Failed},
      {"import", true, good, Outcome::Done},
  };
  programState.ShowErrors = false;  // a failed write is not tried again
  SettingsWindow w;
  for (const Case& c : cases) {
    scriptedPrompter().clear();
    scriptedPrompter().push(c.answer);
    EXPECT_EQ(c.import ? w.importButtonClicked() : w.exportButtonClicked(), c.outcome) << c.what;
    EXPECT_EQ(programState.ErrorFlag, c.outcome != Outcome::Done) << c.what;
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "fehlt"));
}

TEST_F(ConfigWindowTest, TheSettingsCommandShowsTheWindowModally) {
  programState.ErrorFlag = true;
  test::OnNextModalOf<QDialog>([](QDialog* d) {
    auto* w = dynamic_cast<SettingsWindow*>(d);
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(programState.ErrorFlag) << "cleared before the window opens";
    EXPECT_EQ(w->windowTitle().toStdString(), "KWENDAL Konfiguration");
    w->cadFolderEdit->setText("/cad");
    w->okButton->click();
  });
  ShowConfigWindow(nullptr);
  EXPECT_EQ(programState.CadDir, "/cad");
}

}  // namespace
}  // namespace qorva
