#include "foundation/ui/reportviewer.h"
#include "platform/services.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/reportwriter.h"
#include "foundation/reportpages.h"
#include "foundation/ui/textprinting.h"
#include "foundation/utilfile.h"
#include "foundation/workdir.h"
#include "foundation/printsettings.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;

// Pages of a PDF written by Qt (its page objects are not compressed).
int pdfPageCount(const fs::path& pdf) {
  const std::string bytes = test::readFile(pdf);
  const std::regex page("/Type\\s*/Page(?![s])");
  return static_cast<int>(std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page), std::sregex_iterator()));
}

class ShowfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitReportWriter();
    programState.ProgName = "QORVA";
    programState.TempDir = scratch.path().string();
    test::scriptedPrompter().clear();
    test::recordingLauncher().clear();
  }
  void TearDown() override {
    services().ReportViewer = nullptr;
    services().TextPrint = nullptr;
    InitAllSettings();
  }
  std::string outwin() const { return TrimAndAddSlash(programState.TempDir) + "outwin.txt"; }
  test::ScratchDir scratch;
};

TEST_F(ShowfileTest, ViewerShowsTheDisplayCopyInThePrintoutFont) {
  test::writeFile(outwin(), "Bandst\xE4rke\r\n\fnext\r\n");
  printSettings.PrintFontName = "DejaVu Sans Mono";
  printSettings.PrintFontSize = 11;
  printSettings.PrintFontStyle = 2;
  printSettings.TextWindowPos = {30, 40, 500, 300};
  ReportViewerWindow form;
  form.show();
  EXPECT_EQ(form.ShowFileName, outwin());
  EXPECT_EQ(form.reportTextEdit->toPlainText(), QString::fromUtf8("Bandst\xC3\xA4rke\n\fnext"));
  EXPECT_EQ(form.windowTitle(), QString::fromStdString("QORVA    " + outwin()));
  EXPECT_EQ(form.reportTextEdit->font().family(), "DejaVu Sans Mono");
  EXPECT_TRUE(form.reportTextEdit->font().italic());
  EXPECT_FALSE(form.reportTextEdit->font().bold());
  EXPECT_EQ(form.fileMenu->title(), "&Datei");
  EXPECT_EQ(form.editSelectAllAction->text(), QString::fromUtf8("Alles aus&w\xC3\xA4hlen"));
  EXPECT_EQ(form.size(), QSize(500, 300));

  form.editSelectAllTriggered();
  EXPECT_EQ(form.reportTextEdit->textCursor().selectedText().size(), form.reportTextEdit->toPlainText().size());

  form.resize(420, 260);
  form.fileExitTriggered();
  EXPECT_EQ(printSettings.TextWindowPos.Width, 420);
  EXPECT_EQ(printSettings.TextWindowPos.Height, 260);
}

TEST_F(ShowfileTest, MissingDisplayCopyIsReportedAndLeavesTheMemoEmpty) {
  ReportViewerWindow form;
  form.show();
  EXPECT_TRUE(form.reportTextEdit->toPlainText().isEmpty());
  const auto& asked = test::scriptedPrompter().asked();
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked.back().text, outwin() + " not found !");
}

TEST_F(ShowfileTest, EnterClosesTheViewerOnlyDuringTheDemonstration) {
  test::writeFile(outwin(), "x\r\n");
  for (bool demo : {false, true}) {
    programState.DemoRun = demo;
    ReportViewerWindow form;
    form.show();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(form.reportTextEdit, &enter);
    EXPECT_EQ(form.isVisible(), !demo) << demo;
  }
}

TEST_F(ShowfileTest, ExportHandsTheDisplayCopyToAnEditor) {
  test::writeFile(outwin(), "x\r\n");
  ReportViewerWindow form;
  form.fileExportToEditorTriggered();
  const auto& l = test::recordingLauncher().launched();
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0].program, outwin());  // no notepad here: the desktop's editor
}

TEST_F(ShowfileTest, ExportWithoutTheDesktopOpenerSaysWhatToInstall) {
  test::writeFile(outwin(), "x\r\n");
  test::recordingLauncher().installed.clear();
  test::recordingLauncher().openerMissing = true;
  ReportViewerWindow form;
  form.fileExportToEditorTriggered();
  test::recordingLauncher().openerMissing = false;
  const auto& asked = test::scriptedPrompter().asked();
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked.back().text, "notepad not found (xdg-open fehlt: bitte das Paket xdg-utils installieren)");
}

// The report of a run with its private work folder: the caption names the spring's report, not the
// work file that goes with the run.
TEST_F(ShowfileTest, TheCaptionNamesTheReportNotTheWorkFile) {
  ASSERT_TRUE(MakeWorkDir(scratch.path().string()));
  programState.CurrentFileName = "feder";
  test::writeFile(WorkPath("outwin.txt"), "x\r\n");
  {
    ReportViewerWindow form;
    form.show();
    EXPECT_EQ(form.reportTextEdit->toPlainText(), "x");
    EXPECT_EQ(form.windowTitle(), "QORVA    feder.txt");
  }
  // A spring named on the command line keeps its extension in the current name.
  programState.DataExt = "qva";
  programState.CurrentFileName = "Pr\x81" "ffeder.qva";
  {
    ReportViewerWindow form;
    form.show();
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("QORVA    Pr\xc3\xbc" "ffeder.txt"));
  }
  RemoveWorkDir();
}

TEST_F(ShowfileTest, PrintingGivesOneSheetPerTextPage) {
  const struct {
    std::string text;
    int32_t from, to;
    int sheets;
  } cases[] = {
      {"a\r\n\f\r\nb\r\n\f\r\nc\r\n", 1, 3, 3},           // two form feeds: three pages
      {"a\r\n\f\r\nb\r\n\f\r\n", 1, 2, 2},                // a closing form feed opens no sheet
      {"1\r\n\f\r\n2\r\n\f\r\n3\r\n\f\r\n4\r\n\f\r\n5\r\n", 2, 3, 2},
  };
  int n = 0;
  for (const auto& c : cases) {
    const fs::path txt = scratch / ("r" + std::to_string(n) + ".tmp");
    const fs::path pdf = scratch / ("r" + std::to_string(n++) + ".pdf");
    test::writeFile(txt, c.text);
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadTextLines(txt.string(), lines));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    ASSERT_TRUE(PrintTextPages(printer, lines, c.from, c.to));
    EXPECT_EQ(pdfPageCount(pdf), c.sheets) << c.text;
  }
}

TEST_F(ShowfileTest, ViewerPrintCommandPrintsThePrintFile) {
  InstallTextOutputWindows(services());
  int32_t pages = 0;
  services().TextPrint = [&pages](const std::string&, const std::vector<std::string>&, int32_t n) { pages = n; };
  const fs::path print = scratch / "$OUT1.TMP";
  test::writeFile(print, "a\r\n\f\r\nb\r\n");
  ReportViewerWindow form;
  form.PrintFileName = print.string();
  form.filePrintAction->trigger();
  EXPECT_EQ(pages, 2);
}

}  // namespace
}  // namespace qorva
