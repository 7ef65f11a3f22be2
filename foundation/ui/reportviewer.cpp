#include "foundation/ui/reportviewer.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/reportwriter.h"
#include "foundation/reportpages.h"
#include "platform/launcher.h"
#include "foundation/ui/programfonts.h"
#include "foundation/ui/qttext.h"
#include "foundation/ui/textprinting.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/windowtext.h"
#include "foundation/workdir.h"
#include "foundation/printsettings.h"

namespace qorva {

ShowfileMenuCaptions& showfileMenuCaptions() {
  static ShowfileMenuCaptions captions;
  return captions;
}

ReportViewerWindow::ReportViewerWindow(QWidget* owner) : QDialog(owner) {
  setObjectName("ReportViewerWindow");
  resize(630, 520);
  reportTextEdit = new QPlainTextEdit(this);
  reportTextEdit->setObjectName("reportTextEdit");
  reportTextEdit->setReadOnly(true);
  reportTextEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  reportTextEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QFont memoFont = ProgramFont("Courier New");
  memoFont.setPixelSize(12);
  memoFont.setStyleHint(QFont::TypeWriter);
  reportTextEdit->setFont(memoFont);
  reportTextEdit->installEventFilter(this);

  mainMenuBar = new QMenuBar(this);
  fileMenu = mainMenuBar->addMenu("Datei");
  fileExportToEditorAction = fileMenu->addAction("Export &Notepad");
  fileExportWordpadAction = fileMenu->addAction("Export &Wordpad");
  fileExportWordpadAction->setVisible(false);
  printSeparator = fileMenu->addSeparator();
  filePrintAction = fileMenu->addAction("Drucken");
  exitSeparator = fileMenu->addSeparator();
  fileExitAction = fileMenu->addAction("Beenden");
  editMenu = mainMenuBar->addMenu("Edit");
  editSelectAllAction = editMenu->addAction("Mark All");
  editCopyAction = editMenu->addAction("Copy");

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(mainMenuBar);
  layout->addWidget(reportTextEdit);

  connect(filePrintAction, &QAction::triggered, this, [this] { filePrintTriggered(); });
  connect(fileExitAction, &QAction::triggered, this, [this] { fileExitTriggered(); });
  connect(editSelectAllAction, &QAction::triggered, this, [this] { editSelectAllTriggered(); });
  connect(editCopyAction, &QAction::triggered, this, [this] { editCopyTriggered(); });
  connect(fileExportToEditorAction, &QAction::triggered, this, [this] { fileExportToEditorTriggered(); });
  FormCreate();
}

void ReportViewerWindow::FormCreate() {
  const TextWindowRect& pos = printSettings.TextWindowPos;
  if (pos.Width > 0 && pos.Height > 0) setGeometry(pos.Left, pos.Top, pos.Width, pos.Height);
  const ShowfileMenuCaptions& c = showfileMenuCaptions();
  fileMenu->setTitle(QString::fromUtf8(c.File));
  filePrintAction->setText(QString::fromUtf8(c.Print));
  fileExitAction->setText(QString::fromUtf8(c.Exit));
  editMenu->setTitle(QString::fromUtf8(c.Edit));
  editSelectAllAction->setText(QString::fromUtf8(c.SelectAll));
  editCopyAction->setText(QString::fromUtf8(c.Copy));
}

void ReportViewerWindow::FormShow() {
  ShowFileName = WorkPath("outwin.txt");
  reportTextEdit->setFont(PrintoutFont());
  std::vector<std::string> lines;
  if (FileCanOpen(ShowFileName) && ReadTextLines(ShowFileName, lines)) {
    // The display copy is already in the Windows code page.
    QString text;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i > 0) text += '\n';
      text += QString::fromStdString(WinToUtf8(lines[i]));
    }
    reportTextEdit->setPlainText(text);
  } else {
    reportTextEdit->clear();
    ShowDosMessage(ShowFileName + " not found !");
  }
  setWindowTitle(dosToQString(programState.ProgName + "    " + ShownFileName(ShowFileName)));
}

void ReportViewerWindow::FormClose() {
  if (closed_) return;
  closed_ = true;
  const QRect g = geometry();
  printSettings.TextWindowPos = TextWindowRect{g.left(), g.top(), g.width(), g.height()};
}

void ReportViewerWindow::filePrintTriggered() { PrintTextFile(PrintFileName); }

void ReportViewerWindow::fileExitTriggered() { close(); }

void ReportViewerWindow::editSelectAllTriggered() { reportTextEdit->selectAll(); }

void ReportViewerWindow::editCopyTriggered() { reportTextEdit->copy(); }

void ReportViewerWindow::fileExportToEditorTriggered() {
  ShowFileName = WorkPath("outwin.txt");
  if (!StartProgramOnDocument("notepad", ShowFileName))
    ReportError("notepad not found" + MissingProgramHint(ProgramForDocument("notepad")));
}

void ReportViewerWindow::done(int result) {
  FormClose();
  QDialog::done(result);
}

void ReportViewerWindow::showEvent(QShowEvent* event) {
  if (!shown_) {
    shown_ = true;
    FormShow();
  }
  QDialog::showEvent(event);
}

void ReportViewerWindow::closeEvent(QCloseEvent* event) {
  FormClose();
  QDialog::closeEvent(event);
}

bool ReportViewerWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == reportTextEdit && event->type() == QEvent::KeyPress && programState.DemoRun) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      close();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void ShowReportViewer(const std::string& printFileName) {
  ReportViewerWindow form(QApplication::activeWindow());
  form.PrintFileName = printFileName;
  form.exec();
}

void InstallTextOutputWindows(Services& s) {
  s.ReportViewer = ShowReportViewer;
  s.TextPrint = PrintTextWithDialog;
}

}  // namespace qorva
