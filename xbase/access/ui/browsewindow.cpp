// browsewindow: the table browse window.
#include "xbase/access/ui/browsewindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/reportwriter.h"
#include "foundation/reportpages.h"
#include "foundation/yesnoprompt.h"
#include "foundation/textprompt.h"
#include "foundation/ui/dialogparts.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "foundation/machinefacts.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/windowtext.h"
#include "foundation/desktopsettings.h"
#include "foundation/workdir.h"
#include "platform/prompts.h"
#include "foundation/filecheck.h"
#include "platform/sysname.h"
#include "xbase/access/tablewriter.h"
#include "xbase/access/tablehost.h"
#include "xbase/workareas.h"
#include "xbase/ui/datagrid.h"
#include "xbase/ui/datanavigator.h"
#include "xbase/enginestate.h"
#include "xbase/expressionparser.h"

namespace qorva {

namespace {

constexpr uint16_t kSearchTopic = 2450;
constexpr uint16_t kDatabaseTopic = 3210;
// Longer character fields sort on their first characters.
constexpr int kSortKeyLimit = 100;

QString Win(const std::string& win) { return QString::fromStdString(WinToUtf8(win)); }

// Runs an engine step with immediate reporting off; an error is shown and ends only the step.
bool QuietStep(const std::function<void()>& step) {
  uint16_t code = 0;
  std::string context;
  const bool ran = XbGuarded([&] {
    XbQuietErrors quiet;
    engineState.XbErrorCode = 0;
    step();
    code = engineState.XbErrorCode;
    context = XbTakeErrorContext();
    engineState.XbErrorCode = 0;
  });
  if (ran && code != 0) ShowErrorBox(WinToDos(XbErrorText(code) + (context.empty() ? "" : "\r\n" + context)));
  return ran && code == 0;
}

}  // namespace

std::string& BrowseSearchTerm() {
  static std::string term;
  return term;
}

BrowseWindow::BrowseWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("BrowseWindow");
  resize(656, 464);
  auto* column = new QVBoxLayout(this);
  mainMenuBar = new QMenuBar(this);
  column->setMenuBar(mainMenuBar);

  auto* top = new QHBoxLayout;
  XbGrid1 = new DataGrid(this);
  XbGrid1->setObjectName("XbGrid1");
  XbNavigator1 = new DataNavigator(XbGrid1, this);
  XbNavigator1->setObjectName("XbNavigator1");
  XbNavigator1->ConfirmDelete = false;
  XbNavigator1->ConfirmRestore = false;
  top->addWidget(XbNavigator1);
  recordNumberEdit = new QLineEdit(this);
  recordNumberEdit->setObjectName("recordNumberEdit");
  recordNumberEdit->setMaximumWidth(80);
  recordCountLabel = new QLabel(this);
  recordCountLabel->setObjectName("recordCountLabel");
  top->addWidget(recordNumberEdit);
  top->addWidget(recordCountLabel);
  secondTitleLabel = new QLabel(this);
  secondTitleLabel->setObjectName("secondTitleLabel");
  top->addWidget(secondTitleLabel, 1);
  firstTitleLabel = new QLabel(this);
  firstTitleLabel->setObjectName("firstTitleLabel");
  firstTitleLabel->hide();
  fileNameLabel = new QLabel(this);
  fileNameLabel->setObjectName("fileNameLabel");
  fileNameLabel->hide();
  column->addLayout(top);
  column->addWidget(XbGrid1, 1);

  auto* buttons = new QHBoxLayout;
  auto button = [this, buttons](QPushButton*& field, const char* name, const char* caption) {
    field = AddDialogButton(this, buttons, name, QString::fromUtf8(caption));
  };
  button(searchButton, "searchButton", "&Suchen");
  button(searchNextButton, "searchNextButton", "&Weitersuchen");
  buttons->addStretch(1);
  button(okButton, "okButton", "OK");
  button(cancelButton, "cancelButton", "Abbrechen");
  okButton->setDefault(true);
  column->addLayout(buttons);
  buildMenu();

  connect(okButton, &QPushButton::clicked, this, [this] { okButtonClicked(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { cancelButtonClicked(); });
  connect(searchButton, &QPushButton::clicked, this, [this] { searchButtonClicked(); });
  connect(searchNextButton, &QPushButton::clicked, this, [this] { searchNextButtonClicked(); });
  connect(recordNumberEdit, &QLineEdit::textChanged, this, [this] { recordNumberEditChanged(); });
  connect(XbGrid1, &DataGrid::depressTitle, this, [this](int field) { XbGrid1DepressTitle(field); });
  // The navigator moves and adds records: the number and the count follow.
  connect(XbNavigator1, &DataNavigator::clicked, this, [this] { showRecord(); });
  connect(XbGrid1, &QTableView::clicked, this, [this] {
    showRecord();
    if (pickAndClose_) okButtonClicked();
  });
  XbGrid1->installEventFilter(this);
}

BrowseWindow::~BrowseWindow() {
  XbGrid1->setModel(nullptr);
  XbGuarded([this] { xbdbf.Close(); });
}

void BrowseWindow::buildMenu() {
  auto item = [this](QMenu* menu, QAction*& field, const char* name, const std::string& dosCaption,
                     std::function<void()> act) {
    field = menu->addAction(dosToQString(dosCaption));
    field->setObjectName(name);
    connect(field, &QAction::triggered, this, [act = std::move(act)] { XbGuarded(act); });
  };
  fileMenu = mainMenuBar->addMenu("&Datei");
  fileMenu->setObjectName("fileMenu");
  item(fileMenu, fileExportHtmlAction, "fileExportHtmlAction", "Export HTML", [this] { fileExportHtmlTriggered(); });
  item(fileMenu, fileSaveAsDelimitedAction, "fileSaveAsDelimitedAction", "Save As Delimited",
       [this] { fileSaveAsDelimitedTriggered(); });
  fileMenu->addSeparator();
  item(fileMenu, fileAppendTableAction, "fileAppendTableAction", "Append dbf", [this] { fileAppendTableTriggered(); });
  item(fileMenu, fileAppendDelimitedAction, "fileAppendDelimitedAction", "Append Delimited",
       [this] { fileAppendDelimitedTriggered(); });
  fileAppendSeparator = fileMenu->addSeparator();
  item(fileMenu, filePrintAction, "filePrintAction", "&Drucken", [this] { filePrintTriggered(); });
  fileMenu->addSeparator();
  item(fileMenu, fileExitAction, "fileExitAction", "&Beenden", [this] { okButtonClicked(); });

  editMenu = mainMenuBar->addMenu("&Bearbeiten");
  editMenu->setObjectName("editMenu");
  item(editMenu, editAppendRecordAction, "editAppendRecordAction", "Append", [this] { editAppendRecordTriggered(); });
  item(editMenu, editPackAction, "editPackAction", "Pack", [this] { editPackTriggered(); });
  editPackAction->setToolTip(dosToQString("Markierte Datens\x84tze l\x94schen"));

  QMenu* view = mainMenuBar->addMenu("&Ansicht");
  item(view, viewSearchAction, "viewSearchAction", "&Suchen", [this] { searchButtonClicked(); });
  item(view, viewSearchNextAction, "viewSearchNextAction", "&Weitersuchen", [this] { searchNextButtonClicked(); });

  QMenu* help = mainMenuBar->addMenu("&Hilfe");
  item(help, helpTableAction, "helpTableAction", "", [] {
    ShowHelpText(0, "", 1);
    programState.ErrorFlag = false;
  });
  item(help, helpDatabaseAction, "helpDatabaseAction", "&Datenbank", [] {
    ShowHelpText(kDatabaseTopic, "", 1);
    programState.ErrorFlag = false;
  });
  item(help, helpPictureAction, "helpPictureAction", "Hilfe&bild", [this] {
    ShowHelpText(0, "", 2);
    programState.ErrorFlag = false;
    raise();
    activateWindow();
  });
  item(help, helpFileNameAction, "helpFileNameAction", "&Datei", [this] {
    prompter().message("", fileNameLabel->text().toStdString());
  });
}

bool BrowseWindow::Prepare(const std::string& option, uint16_t mode) {
  BrowseHost& host = tableHost.Table;
  if (!host.Active()) {
    ShowErrorBox("Keine Tabelle ge\x94" "ffnet");
    return false;
  }
  editMode_ = mode != 1 && mode != 4 && mode != 5;
  pickAndClose_ = option == "CLOSE";
  // A pick-and-close browse starts in the column chosen at the last OK.
  chosenColumn_ = tableHost.BrowseCol;
  const std::string file = host.FileName();
  const bool readOnly = host.ReadOnly();
  const bool indexed = host.Indexed();
  const std::string key = host.KeyExpression();
  const int32_t recNo = host.RecNo();
  xbdbf.Alias = "XBDBF";
  xbdbf.ReadOnlyOpen = readOnly;
  xbdbf.SetDbfFileName(file);
  xbdbf.SetHideDeletedRecs(host.HideDeletedRecs());
  // The window has the table alone while it is up, so that a pack can have it exclusively.
  host.Suspend();
  bool opened = XbGuarded([this] { xbdbf.Open(); }) && xbdbf.Active();
  if (!opened) return false;
  // The access layer's order, rebuilt for this window's view of the table.
  if (indexed && !key.empty()) QuietStep([&] { xbdbf.IndexOn(key, WorkPath("$kwetemp")); });
  if (recNo > 0) QuietStep([&] { xbdbf.Go(recNo); });

  model_ = new DataGridModel(&xbdbf, this);
  model_->ReadOnly = !editMode_ || readOnly;
  XbGrid1->setDataset(model_);
  XbGrid1->setEditTriggers(model_->ReadOnly ? QAbstractItemView::NoEditTriggers
                                            : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                                  QAbstractItemView::AnyKeyPressed);

  firstTitleLabel->setText(Win(host.Title1()));
  secondTitleLabel->setText(Win(host.Title2()));
  fileNameLabel->setText(dosToQString(file));  // a program text: the DOS code page
  helpTableAction->setText(Win(host.Title2()));
  if (editMode_) {
    setWindowTitle(Win(host.Title2() + "  " + host.Title1() + "  (") + fileNameLabel->text() + ")");
  } else {
    setWindowTitle(Win(host.Title2() + "   " + host.Title1()));
  }
  for (int b = DataNavigator::Insert; b < DataNavigator::ButtonCount; ++b)
    XbNavigator1->button(static_cast<DataNavigator::Button>(b))->setVisible(editMode_);
  fileAppendTableAction->setVisible(editMode_);
  fileAppendDelimitedAction->setVisible(editMode_);
  fileAppendSeparator->setVisible(editMode_);
  editMenu->menuAction()->setVisible(editMode_);
  outcome_ = Outcome::None;
  return true;
}

void BrowseWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (pickAndClose_ && model_) {
    const int row = std::max(model_->activeRow(), 0);
    XbGrid1->setCurrentIndex(model_->index(row, std::max(chosenColumn_ - 1, 0)));
  } else {
    ScaleCenterForm(this);
    fitToColumns();
  }
  showRecord();
}

void BrowseWindow::fitToColumns() {
  if (!model_) return;
  // Wide enough for every column where the screen allows, centred again where it grew.
  int columns = XbGrid1->verticalHeader()->width() + XbGrid1->verticalScrollBar()->sizeHint().width() +
                2 * XbGrid1->frameWidth();
  for (int c = 0; c < model_->columnCount(); ++c) columns += XbGrid1->columnWidth(c);
  const int want = width() - XbGrid1->viewport()->width() + columns;
  const QRect avail = screen() ? screen()->availableGeometry() : QRect(0, 0, 1920, 1080);
  const int w = std::min(want, avail.width() * 9 / 10);
  if (w <= width()) return;
  const QRect frame = frameGeometry();
  resize(w, height());
  move(std::clamp(frame.center().x() - w / 2, avail.left(), std::max(avail.left(), avail.right() - w)), pos().y());
}

void BrowseWindow::closeEvent(QCloseEvent* event) {
  // The close box is Cancel: the caller must not take a record nobody chose.
  if (outcome_ == Outcome::None) {
    outcome_ = Outcome::Cancel;
    programState.ErrorFlag = true;
    programState.LastKey = 27;
  }
  QDialog::closeEvent(event);
}

bool BrowseWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == XbGrid1 && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    // Up or Down takes the record current before the move, and the key is used up.
    if (pickAndClose_ && (key == Qt::Key_Up || key == Qt::Key_Down)) {
      okButtonClicked();
      return true;
    }
  }
  if (watched == XbGrid1 && event->type() == QEvent::KeyRelease) showRecord();
  return QDialog::eventFilter(watched, event);
}

void BrowseWindow::showRecord() {
  if (!model_) return;
  filling_ = true;
  XbGuarded([this] {
    recordCountLabel->setText("/" + QString::number(xbdbf.RecordCount()));
    recordNumberEdit->setText(QString::number(xbdbf.RecNo()));
  });
  filling_ = false;
}

void BrowseWindow::reload() {
  if (!model_) return;
  model_->reload();
  const int row = model_->activeRow();
  if (row >= 0) XbGrid1->setCurrentIndex(model_->index(row, std::max(XbGrid1->currentIndex().column(), 0)));
  showRecord();
}

void BrowseWindow::recordNumberEditChanged() {
  if (filling_ || !model_) return;
  const int32_t n = StrToInt0(recordNumberEdit->text().toStdString());
  XbGuarded([&] {
    if (n <= 0 || n > xbdbf.RecordCount()) return;
    xbdbf.Go(n);
    const int row = model_->activeRow();
    if (row >= 0) XbGrid1->setCurrentIndex(model_->index(row, std::max(XbGrid1->currentIndex().column(), 0)));
  });
}

void BrowseWindow::okButtonClicked() {
  programState.ErrorFlag = false;
  if (!XbGuarded([this] { xbdbf.CheckBrowseMode(); })) return;  // the edit could not be written: stay
  programState.LastKey = 13;
  chosenRecNo_ = xbdbf.RecNo();
  chosenColumn_ = XbGrid1->currentIndex().isValid() ? XbGrid1->currentIndex().column() + 1 : 1;
  outcome_ = Outcome::Ok;
  accept();
}

void BrowseWindow::cancelButtonClicked() {
  programState.ErrorFlag = true;
  programState.LastKey = 27;
  outcome_ = Outcome::Cancel;
  reject();
}

void BrowseWindow::runSearch(bool fromTop) {
  const std::string term = BrowseSearchTerm();
  // The engine searches the records as Windows text, whatever code page the table keeps.
  const std::string text = DosToWin(term);
  WaitCursor();
  bool found = false;
  XbGuarded([&] {
    uint8_t hit = 0;
    found = xbdbf.Search(text, hit, fromTop);
    if (!found) {
      std::string decimalPoint = text;
      ReplaceChar(',', '.', decimalPoint);
      hit = 0;
      found = xbdbf.Search(decimalPoint, hit, fromTop);
    }
  });
  ArrowCursor();
  // The search ended a pending edit or insert, found or not: the grid shows the table's rows again.
  reload();
  if (!found) ShowDosMessage(term + " nicht gefunden");
}

void BrowseWindow::searchButtonClicked() {
  const uint16_t saved = messageBox.HelpTopic;
  SetPromptHelp(kSearchTopic);
  std::string term = BrowseSearchTerm();
  AskText("Suchbegriff eingeben", 50, term);
  if (programState.ErrorFlag) {
    programState.ErrorFlag = false;
  } else {
    BrowseSearchTerm() = term;
    runSearch(true);
  }
  SetPromptHelp(saved);
  if (pickAndClose_) okButtonClicked();
}

void BrowseWindow::searchNextButtonClicked() {
  runSearch(false);
  if (pickAndClose_) okButtonClicked();
}

void BrowseWindow::XbGrid1DepressTitle(int fieldIndex) {
  const auto& defs = xbdbf.FieldDefs();
  if (fieldIndex < 0 || fieldIndex >= static_cast<int>(defs.size())) return;
  const TXbFieldDef& def = defs[static_cast<size_t>(fieldIndex)];
  if (def.Type == 'L' || def.Type == 'M') {
    ShowDosMessage("Nach dem Feld " + def.Name + " kann nicht sortiert werden");
    return;
  }
  const std::string key =
      def.Type == 'C' && def.Len > kSortKeyLimit ? "SUBSTR(" + def.Name + ",1," + IntStr(kSortKeyLimit) + ")" : def.Name;
  const int32_t keep = xbdbf.RecNo();
  programState.BrowseRecNo = keep;
  if (!QuietStep([&] { xbdbf.IndexOn(key, WorkPath("$kwetemp")); })) return;
  if (keep > 0) QuietStep([&] { xbdbf.Go(keep); });
  reload();
}

bool BrowseWindow::askFile(bool save, const std::string& title, const std::string& filter, const std::string& preset,
                    std::string& file) {
  FileDialogRequest r;
  r.title = title;
  r.startDir = SysName(FileDir(xbdbf.DbfFileName()));
  r.fileName = SysName(preset);
  r.filter = SysName(filter);
  const auto answer = save ? prompter().saveFile(r) : prompter().openFile(r);
  return answer && !answer->empty() && ChosenFileName(*answer, file);
}

void BrowseWindow::appendFrom(const std::string& title, const std::string& filter,
                       const std::function<void(const std::string&)>& append) {
  std::string file;
  if (!askFile(false, title, filter, "", file)) return;
  // Records come in only while nobody else works on the table.
  if (!xbdbf.FLock()) {
    ShowDosMessage("Sperren fehlgeschlagen [Insert]");
    return;
  }
  QuietStep([&] { append(file); });
  xbdbf.UnLock();
  reload();
}

void BrowseWindow::fileAppendTableTriggered() {
  appendFrom("Append dbf", "*.dbf", [this](const std::string& file) { xbdbf.AppendFrom(file); });
}

void BrowseWindow::fileAppendDelimitedTriggered() {
  appendFrom("Append Delimited", "*.txt", [this](const std::string& file) { xbdbf.AppendFromDelimited(file); });
}

void BrowseWindow::fileSaveAsDelimitedTriggered() {
  std::string file;
  if (!askFile(true, "Save As Delimited", "*.txt", "", file)) return;
  // The lock keeps others from changing records while they are read; reading goes on without it.
  xbdbf.FLock();
  QuietStep([&] { xbdbf.CopyToDelimited(file); });
  xbdbf.UnLock();
}

// A field as stored, in the table's code page, made a Windows or DOS text.
std::string BrowseWindow::peekWin(int32_t field, int32_t n) {
  const std::string raw = xbdbf.Peek(field, n);
  return xbdbf.TableLanguage == TXbTableLanguage::tlOem ? DosToWin(raw) : raw;
}

std::string BrowseWindow::peekDos(int32_t field, int32_t n) {
  const std::string raw = xbdbf.Peek(field, n);
  return xbdbf.TableLanguage == TXbTableLanguage::tlOem ? raw : WinToDos(raw);
}

void BrowseWindow::fileExportHtmlTriggered() {
  std::string file;
  if (!askFile(true, "Export HTML", "*.htm;*.html", FileBaseName(xbdbf.DbfFileName()), file)) return;
  if (FileExtOf(FileNameOf(file)).empty()) file += ".htm";
  const int32_t fields = static_cast<int32_t>(xbdbf.FieldDefs().size());
  int32_t records = 0;
  XbGuarded([&] { records = xbdbf.FileRecordCount(); });
  TextFile out;
  out.Assign(file);
  if (!out.Rewrite()) {
    ShowErrorBox("Datei " + file + " kann nicht angelegt werden");
    return;
  }
  // The page is in the Windows code page and says so.
  auto cell = [](const std::string& win) {
    std::string r;
    for (char c : HtmlEscape(win)) r += c == '"' ? std::string("&quot;") : std::string(1, c);
    return r;
  };
  out.WriteLn("<HTML>");
  out.WriteLn("<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\"><title>" +
              cell(FileBaseName(file)) + "</title></head>");
  out.WriteLn("<BODY BGCOLOR=\"C0C0C0\">");
  out.WriteLn("<P>" + cell(DosToWin(programState.ProgName + "V" + programState.ProgVersion)) + "</P>");
  out.WriteLn("<P>" + cell(UpperStr(file)) + "</P>");
  out.WriteLn("<P>" + DateStr() + " - " + TimeStr() + "</P>");
  out.WriteLn("<HR>");
  out.WriteLn("<TABLE BORDER = \"1\" WIDTH= \"100%\">");
  std::string head = "<TR>";
  for (const TXbFieldDef& d : xbdbf.FieldDefs()) head += "<TD><CENTER>" + cell(d.Name) + "</CENTER></TD>";
  out.WriteLn(head + "</TR>");
  // Every record in file order, those marked deleted too, whatever the order or what is hidden.
  const bool read = XbGuarded([&] {
    for (int32_t r = 1; r <= records; ++r) {
      std::string row = "<TR>";
      for (int32_t f = 1; f <= fields; ++f) row += "<TD>" + cell(peekWin(f, r)) + "</TD>";
      out.WriteLn(row + "</TR>");
    }
  });
  out.WriteLn("</TABLE>");
  out.WriteLn("</BODY>");
  out.WriteLn("</HTML>");
  if (!read) {
    out.Discard();
    return;
  }
  if (!out.Close()) {
    ShowErrorBox("Datei " + file + " kann nicht geschrieben werden");
    return;
  }
  if (!TrimStr(desktopSettings.HtmlBrowser).empty()) StartProgramOnDocument(desktopSettings.HtmlBrowser, file);
}

void BrowseWindow::filePrintTriggered() {
  programState.ErrorFlag = false;
  BeginReport(programState.ProgName + " V" + programState.ProgVersion, xbdbf.DbfFileName(),
              Utf8ToDos(windowTitle().toStdString()), Utf8ToDos(firstTitleLabel->text().toStdString()), "", 0);
  OpenOutput(OutputDeviceCode::DefaultDevice, programState.CurrentFileName);
  if (programState.ErrorFlag) return;
  CreateOutput();
  if (programState.ErrorFlag) {
    CloseOutput();
    return;
  }
  PageHeader(0);
  if (!programState.ErrorFlag) WriteTextLine("");
  const auto& defs = xbdbf.FieldDefs();
  const int n = std::min<int>(TableWriter::kColumns, static_cast<int>(defs.size()));
  TableWriter::Widths widths{};
  TableWriter::Texts titles;
  for (int i = 0; i < n; ++i) {
    titles[static_cast<size_t>(i)] = defs[static_cast<size_t>(i)].Name;
    widths[static_cast<size_t>(i)] = defs[static_cast<size_t>(i)].Len + 1;
  }
  TableWriter writer;
  if (!programState.ErrorFlag) {
    writer.Init(widths, titles);
    XbGuarded([&] {
      const int32_t records = xbdbf.FileRecordCount();
      for (int32_t r = 1; r <= records && !programState.ErrorFlag; ++r) {
        TableWriter::Texts texts;
        for (int i = 0; i < n; ++i) texts[static_cast<size_t>(i)] = peekDos(i + 1, r);
        writer.WriteRow(texts);
      }
    });
    writer.Done();
  }
  CloseOutput();
}

void BrowseWindow::editAppendRecordTriggered() {
  xbdbf.CheckBrowseMode();
  if (xbdbf.IsEmpty()) return;
  xbdbf.Deleted();  // brings the engine to the record under the grid cursor
  if (xbdbf.ALock()) {
    xbdbf.AppendRec();
    xbdbf.UnLock();
  }
  reload();
}

void BrowseWindow::editPackTriggered() {
  const std::string& warning = tableHost.Table.PackWarning();
  if (!warning.empty()) {
    // A pack that changes more than the marked records goes ahead only on a clear Yes.
    const std::optional<bool> yes = prompter().yesNo(DosToUtf8(warning), false);
    programState.ErrorFlag = false;
    if (!yes.value_or(false)) return;
  } else if (!AskYesNoCancel("Pack ?")) {
    programState.ErrorFlag = false;
    return;
  }
  WaitCursor();
  QuietStep([this] { xbdbf.Pack(); });
  ArrowCursor();
  reload();
}

void ShowTableBrowseWindow(const std::string& option, uint16_t mode) {
  BrowseHost& host = tableHost.Table;
  BrowseWindow::Outcome outcome = BrowseWindow::Outcome::Cancel;
  int32_t recNo = 0;
  int32_t column = 1;
  {
    BrowseWindow form(GraphForm() ? GraphForm() : QApplication::activeWindow());
    if (form.Prepare(option, mode)) {
      form.exec();
      outcome = form.outcome();
      recNo = form.ChosenRecNo();
      column = form.ChosenColumn();
    }
  }
  // The window wrote through a table of its own: the access layer reads the file again.
  host.Resume();
  if (outcome == BrowseWindow::Outcome::Ok && host.Active() && recNo > 0 && host.Go(recNo)) {
    host.Accept(column);
    return;
  }
  host.Cancel();
}

}  // namespace qorva
