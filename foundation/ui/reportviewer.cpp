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
  mi_Datei = mainMenuBar->addMenu("Datei");
  mi_dateiExportNotepad = mi_Datei->addAction("Export &Notepad");
  ExportWordpad1 = mi_Datei->addAction("Export &Wordpad");
  ExportWordpad1->setVisible(false);
  N2 = mi_Datei->addSeparator();
  mi_DateiDrucken = mi_Datei->addAction("Drucken");
  N1 = mi_Datei->addSeparator();
  mi_dateiBeenden = mi_Datei->addAction("Beenden");
  mi_Edit = mainMenuBar->addMenu("Edit");
  mi_EditMarkAll = mi_Edit->addAction("Mark All");
  mi_EditCopy = mi_Edit->addAction("Copy");

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(mainMenuBar);
  layout->addWidget(reportTextEdit);

  connect(mi_DateiDrucken, &QAction::triggered, this, [this] { mi_DateiDruckenClick(); });
  connect(mi_dateiBeenden, &QAction::triggered, this, [this] { mi_dateiBeendenClick(); });
  connect(mi_EditMarkAll, &QAction::triggered, this, [this] { mi_EditMarkAllClick(); });
  connect(mi_EditCopy, &QAction::triggered, this, [this] { mi_EditCopyClick(); });
  connect(mi_dateiExportNotepad, &QAction::triggered, this, [this] { mi_dateiExportNotepadClick(); });
  FormCreate();
}

void ReportViewerWindow::FormCreate() {
  const TextWindowRect& pos = printSettings.TextWindowPos;
  if (pos.Width > 0 && pos.Height > 0) setGeometry(pos.Left, pos.Top, pos.Width, pos.Height);
  const ShowfileMenuCaptions& c = showfileMenuCaptions();
  mi_Datei->setTitle(QString::fromUtf8(c.File));
  mi_DateiDrucken->setText(QString::fromUtf8(c.Print));
  mi_dateiBeenden->setText(QString::fromUtf8(c.Exit));
  mi_Edit->setTitle(QString::fromUtf8(c.Edit));
  mi_EditMarkAll->setText(QString::fromUtf8(c.SelectAll));
  mi_EditCopy->setText(QString::fromUtf8(c.Copy));
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

void ReportViewerWindow::mi_DateiDruckenClick() { PrintTextFile(PrintFileName); }

void ReportViewerWindow::mi_dateiBeendenClick() { close(); }

void ReportViewerWindow::mi_EditMarkAllClick() { reportTextEdit->selectAll(); }

void ReportViewerWindow::mi_EditCopyClick() { reportTextEdit->copy(); }

void ReportViewerWindow::mi_dateiExportNotepadClick() {
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
