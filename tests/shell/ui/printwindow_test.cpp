// The print window: its start values by the drawing's sheet, presets picked from and stored into
// "printout.dbf" (the working folder's table first, an empty table too), printing to a PDF file,
// and the printer information of the setup mode, which sends nothing to the printer.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <cmath>
#include <filesystem>

#include "foundation/datafolder.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/desktopsettings.h"
#include "foundation/printsettings.h"
#include "graphics/graphicsstate.h"
#include "platform/services.h"
#include "shell/printpreset.h"
#include "shell/ui/printwindow.h"
#include "shell/ui/printerinfowindow.h"
#include "tests/support/testsupport.h"
#include "tests/support/ui/nextmodal.h"
#include "xbase/access/tablehost.h"
#include "xbase/access/tableaccess.h"
#include "xbase/access/tablesession.h"
#include "xbase/access/ui/browsewindow.h"
#include "xbase/ui/datagrid.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;
using test::scriptedPrompter;

const fs::path kData = fs::path(QORVA_SOURCE_DIR) / "data";

class PrintWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitGraphicsState();
    previous_ = installServices(HeadlessServices());
    services().DbfBrowseWindow = ShowTableBrowseWindow;
    fs::create_directories(dir_ / "dbf");
    fs::create_directories(dir_ / "tmp");
    fs::copy_file(kData / "printout.dbf", dir_ / "dbf" / "printout.dbf");
    programState.DbfDir = (dir_ / "dbf").string();
    programState.TempDir = (dir_ / "tmp").string();
    desktopSettings.WorkingDir = (dir_ / "work").string();
    StartTableEngine();
    scriptedPrompter().clear();
  }
  void TearDown() override {
    InitTableHost();
    StopTableEngine();
    installServices(std::move(previous_));
    InitGraphicsState();
    InitAllSettings();
    scriptedPrompter().clear();
  }
  // Picks row of the presets in the browse window.
  static void PickRow(int row) {
    test::OnNextModalOf<QDialog>([row](QDialog* d) {
      auto* w = dynamic_cast<BrowseWindow*>(d);
      ASSERT_NE(w, nullptr);
      w->XbGrid1->setCurrentIndex(w->XbGrid1->gridModel()->index(row, 0));
      w->okButton->click();
    });
  }
  static std::string Names(const fs::path& table) {
    const auto r = test::runCommand(std::string(QORVA_PYTHON) +
                                    " -c \"import dbfread,sys; print('|'.join(r['NAME'] for r in dbfread.DBF(sys.argv[1], encoding='cp437')))\" '" +
                                    table.string() + "'");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    return r.output.substr(0, r.output.find('\n'));
  }
  test::ScratchDir scratch_;
  fs::path dir_ = scratch_.path();
  Services previous_;
};

TEST(PrintPresetTable, TheShippedTableIsWhatTheToolMakes) {
  test::ScratchDir dir;
  std::string error;
  ASSERT_TRUE(WritePrintPresetTable((dir / "printout.dbf").string(), &error)) << error;
  EXPECT_EQ(test::readFile(dir / "printout.dbf"), test::readFile(kData / "printout.dbf"))
      << "data/printout.dbf is not what qorva_mkprintout makes";
}

TEST_F(PrintWindowTest, StartValuesFollowTheSheet) {
  printSettings.DefaultPrintScaleX = 2;
  printSettings.DefaultPrintScaleY = 3;
  printSettings.DefaultPrintOriginX = 5;
  printSettings.DefaultPrintBorder = true;
  printSettings.PrintOrientation = 2;
  printSettings.SheetFormat = 2;  // A4 portrait frame
  {
    PrintWindow w;
    EXPECT_EQ(w.scaleXEdit->text(), "1");
    EXPECT_EQ(w.scaleYEdit->text(), "1");
    EXPECT_EQ(w.originXEdit->text(), "0");
    EXPECT_FALSE(w.borderCheckBox->isChecked());
    EXPECT_TRUE(w.orientationRadioGroup[0]->isChecked());
  }
  printSettings.SheetFormat = 3;  // A3 frame: the configured defaults
  PrintWindow w;
  EXPECT_EQ(w.scaleXEdit->text(), "2");
  EXPECT_EQ(w.scaleYEdit->text(), "3");
  EXPECT_EQ(w.originXEdit->text(), "5");
  EXPECT_TRUE(w.borderCheckBox->isChecked());
  EXPECT_TRUE(w.orientationRadioGroup[1]->isChecked());
}

TEST_F(PrintWindowTest, PresetsArePickedAndStored) {
  PrintWindow w;
  PickRow(2);  // A3 Querformat: true scale on A3 paper, as the sheets print now
  w.loadPresetButtonClicked();
  EXPECT_EQ(w.scaleXEdit->text(), "1.000");
  EXPECT_TRUE(w.orientationRadioGroup[1]->isChecked());
  EXPECT_TRUE(w.colorModeRadioGroup[1]->isChecked()) << "not monochrome: the colour item";
  EXPECT_TRUE(w.fitDrawingCheckBox->isChecked());
  EXPECT_EQ(printSettings.PrintPresetNo, 3);
  EXPECT_FALSE(tableHost.Table.Active()) << "the table is closed again";

  // The second pick starts on the preset picked the first time.
  test::OnNextModalOf<QDialog>([](QDialog* d) {
    auto* b = dynamic_cast<BrowseWindow*>(d);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->xbdbf.RecNo(), 3);
    b->cancelButton->click();
  });
  w.loadPresetButtonClicked();
  EXPECT_FALSE(programState.ErrorFlag) << "cleared after a cancelled browse";

  w.scaleXEdit->setText("0,5");
  w.colorModeRadioGroup[0]->click();
  scriptedPrompter().push(std::string("Zwei \xC3\xA4\xC3\xB6\xC3\x9F"));
  w.savePresetButtonClicked();
  EXPECT_EQ(Names(dir_ / "dbf" / "printout.dbf"),
            "A4 Hochformat|A4 Querformat|A3 Querformat|Zwei \xC3\xA4\xC3\xB6\xC3\x9F");
  ASSERT_TRUE(OpenPrintPresetTable());
  DbfGoto(4);
  EXPECT_EQ(ReadPrintPreset().name, "Zwei \x84\x94\xE1") << "read back as the program's text";
  DbfCloseTable();
  const auto r = test::runCommand(std::string(QORVA_PYTHON) +
                                  " -c \"import dbfread,sys; r=list(dbfread.DBF(sys.argv[1], encoding='cp437'))[3]; "
                                  "print(r['XSCALE'], r['MONOCHROM'], r['LANDSCAPE'])\" '" +
                                  (dir_ / "dbf" / "printout.dbf").string() + "'");
  EXPECT_EQ(r.output, "0.5 True True\n");
}

// The shipped table stays as installed: a new preset goes to the user's copy, which the window
// offers from then on.
TEST_F(PrintWindowTest, ANewPresetOfTheShippedTableGoesToTheUsersCopy) {
  datafolder.Shipped = (dir_ / "dbf").string();
  datafolder.UserCopies = (dir_ / "user").string();
  desktopSettings.WorkingDir = (dir_ / "dbf").string();  // started in the data folder itself
  const std::string shipped = test::readFile(dir_ / "dbf" / "printout.dbf");
  PrintWindow w;
  scriptedPrompter().push(std::string("Mein Satz"));
  w.savePresetButtonClicked();
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(test::readFile(dir_ / "dbf" / "printout.dbf"), shipped);
  EXPECT_EQ(Names(dir_ / "user" / "printout.dbf"), "A4 Hochformat|A4 Querformat|A3 Querformat|Mein Satz");
  PickRow(3);  // the fourth row: only the user's copy has it
  w.loadPresetButtonClicked();
  EXPECT_EQ(printSettings.PrintPresetNo, 4);
}

TEST_F(PrintWindowTest, TheWorkingFoldersTableComesFirstAndAnEmptyTableTakesAPreset) {
  fs::create_directories(dir_ / "work");
  std::string error;
  ASSERT_TRUE(DbfWriteTable((dir_ / "work" / "printout.dbf").string(), PrintPresetFields(), {}, LocalDateTime{},
                            &error))
      << error;
  PrintWindow w;
  test::OnNextModalOf<QDialog>([](QDialog* d) {
    auto* b = dynamic_cast<BrowseWindow*>(d);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->XbGrid1->gridModel()->rowCount(), 0) << "the working folder's empty table";
    b->okButton->click();
  });
  printSettings.PrintPresetNo = 2;  // a record the empty table does not have
  w.loadPresetButtonClicked();
  EXPECT_EQ(w.scaleXEdit->text(), "1") << "nothing was taken from an empty table";
  scriptedPrompter().push(std::string("Erster"));
  w.savePresetButtonClicked();
  EXPECT_EQ(Names(dir_ / "work" / "printout.dbf"), "Erster");
  EXPECT_EQ(Names(dir_ / "dbf" / "printout.dbf"), "A4 Hochformat|A4 Querformat|A3 Querformat");
}

TEST_F(PrintWindowTest, OkPrintsAndSetupShowsThePrinterWithoutAJob) {
  line(0, 0, 100, 100);
  const fs::path pdf = dir_ / "druck.pdf";
  {
    PrintWindow w;
    w.printer().setOutputFormat(QPrinter::PdfFormat);
    w.printer().setOutputFileName(QString::fromStdString(pdf.string()));
    w.originXEdit->setText("7");
    w.colorModeRadioGroup[0]->click();
    w.okButtonClicked();
    EXPECT_EQ(printSettings.PrintOriginX, 7);
    EXPECT_EQ(programState.PrintColorMode, 1);
  }
  ASSERT_TRUE(fs::exists(pdf));
  EXPECT_EQ(test::readFile(pdf).rfind("%PDF", 0), 0u);

  const fs::path none = dir_ / "leer.pdf";
  PrintWindow w;
  w.SetupMode = true;
  w.printer().setOutputFormat(QPrinter::PdfFormat);
  w.printer().setOutputFileName(QString::fromStdString(none.string()));
  const long width = std::lround(w.printer().pageLayout().paintRect(QPageLayout::Millimeter).width());
  test::OnNextModalOf<QDialog>([width](QDialog* d) {
    auto* info = dynamic_cast<PrinterInfoWindow*>(d);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->windowTitle(), "Printer Info");
    EXPECT_EQ(info->printerInfoTable->item(0, 0)->text(), "Name");
    EXPECT_EQ(info->printerInfoTable->item(15, 0)->text(), "Schriften");
    const int fonts = info->printerInfoTable->item(15, 1)->text().toInt();
    EXPECT_GT(fonts, 0);
    EXPECT_EQ(info->printerInfoTable->rowCount(), 16 + fonts) << "one row a font";
    // Every row says what the print system or the PDF output reports; nothing is left as "?".
    for (int r = 0; r < 16; ++r) {
      const QString value = info->printerInfoTable->item(r, 1)->text();
      EXPECT_FALSE(value.isEmpty() || value.contains('?')) << r << ": " << value.toStdString();
    }
    EXPECT_EQ(info->printerInfoTable->item(0, 1)->text(), "PDF-Datei");
    EXPECT_EQ(info->printerInfoTable->item(2, 1)->text(), "Metafile");
    EXPECT_EQ(info->printerInfoTable->item(3, 1)->text(), QString::number(width));
    // Without a printer the window says so in a sentence.
    EXPECT_TRUE(info->noPrinterLabel->isVisible());
    if (QPrinterInfo::availablePrinters().isEmpty()) {
      EXPECT_TRUE(info->noPrinterLabel->text().startsWith("Es ist kein Drucker eingerichtet."));
    }
    info->okButton->click();
  });
  w.okButtonClicked();
  EXPECT_FALSE(fs::exists(none)) << "the setup sent no empty job";
}

// File > Print tells a cancelled window from a printer that cannot be opened.
TEST_F(PrintWindowTest, ThePrintCommandTellsCancelFromAFailedPrinter) {
  line(0, 0, 100, 100);
  struct Case {
    const char* what;
    const char* pdf;  // "" for Cancel
    Outcome outcome;
    const char* told;
  };
  const Case cases[] = {
      {"Cancel", "", Outcome::Cancelled, ""},
      {"printed", "druck.pdf", Outcome::Done, ""},
      {"the printer cannot be opened", "fehlt/druck.pdf", Outcome::Failed, "Drucker kann nicht ge\u00f6ffnet werden"},
  };
  for (const Case& c : cases) {
    scriptedPrompter().clear();
    const fs::path pdf = dir_ / c.pdf;
    test::OnNextModalOf<QDialog>([&](QDialog* d) {
      auto* w = dynamic_cast<PrintWindow*>(d);
      ASSERT_NE(w, nullptr);
      if (*c.pdf == 0) {
        w->cancelButton->click();
        return;
      }
      w->printer().setOutputFormat(QPrinter::PdfFormat);
      w->printer().setOutputFileName(QString::fromStdString(pdf.string()));
      w->okButton->click();
    });
    EXPECT_EQ(ShowPrintWindow(nullptr, false), c.outcome) << c.what;
    std::string told;
    for (const AskRecord& a : scriptedPrompter().asked())
      if (a.kind == AskKind::Message) told += a.text;
    EXPECT_EQ(told, c.told) << c.what;
    EXPECT_EQ(*c.pdf != 0 && fs::exists(pdf), c.outcome == Outcome::Done) << c.what;
  }
}

// Without a printer the page goes into a PDF file named in the save dialog; a cancelled dialog
// prints nothing and leaves the window open.
TEST_F(PrintWindowTest, WithoutAPrinterThePageGoesIntoANamedPdfFile) {
  line(0, 0, 100, 100);
  programState.DataDir = dir_.string();
  programState.CurrentFileName = "feder";
  PrintWindow w;
  if (!w.printer().printerName().isEmpty()) GTEST_SKIP() << "this machine has a printer";
  scriptedPrompter().push(Cancel{});
  w.okButtonClicked();
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_NE(w.result(), QDialog::Accepted);
  EXPECT_EQ(scriptedPrompter().asked().back().kind, AskKind::SaveFile);
  EXPECT_EQ(scriptedPrompter().asked().back().preset, dir_.string());

  const fs::path pdf = dir_ / "feder";  // the extension is added
  scriptedPrompter().push(pdf.string());
  w.okButtonClicked();
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(w.result(), QDialog::Accepted);
  ASSERT_TRUE(fs::exists(dir_ / "feder.pdf"));
  EXPECT_EQ(test::readFile(dir_ / "feder.pdf").rfind("%PDF", 0), 0u);
  // An existing file is replaced only after the question.
  test::writeFile(dir_ / "feder.pdf", "alt");
  PrintWindow again;
  scriptedPrompter().push((dir_ / "feder.pdf").string());
  scriptedPrompter().push(YesNoCancel::No);
  again.okButtonClicked();
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(test::readFile(dir_ / "feder.pdf"), "alt");
}

}  // namespace
}  // namespace qorva
