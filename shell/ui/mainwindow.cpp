#include "shell/ui/mainwindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>

#include "drawings/springviews.h"
#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/reportwriter.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/programfonts.h"
#include "foundation/ui/qtprompter.h"
#include "foundation/ui/qttext.h"
#include "foundation/ui/reportviewer.h"
#include "foundation/utilstr.h"
#include "foundation/windowtext.h"
#include "foundation/desktopsettings.h"
#include "graphics/graphicsdraw.h"
#include "graphics/ui/diagramlimitsdialog.h"
#include "platform/prompts.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "platform/ui/qtscreen.h"
#include "shell/drawingchanges.h"
#include "shell/configio.h"
#include "shell/documentcommands.h"
#include "shell/helppictures.h"
#include "shell/help.h"
#include "shell/errorhelp.h"
#include "shell/springfile.h"
#include "shell/startup.h"
#include "shell/ui/mainmenu.h"
#include "shell/ui/menucommands.h"
#include "shell/ui/documentwindow.h"
#include "shell/ui/changeentrywindow.h"
#include "shell/ui/drawinginfowindow.h"
#include "shell/ui/plotprogramwindow.h"
#include "shell/ui/errorhelpwindow.h"
#include "xbase/access/ui/browsewindow.h"
#include "shell/ui/helppicturewindow.h"
#include "shell/menutexts.h"
#include "spring/materialtable.h"
#include "xbase/access/tablesession.h"
#include "xbase/ui/progresswindow.h"

namespace qorva {

namespace {
// How often the window has shown a calculation's messages; the start-up learns from it whether
// a spring of the command line has shown its messages already.
uint32_t calcMessagesShown = 0;
}  // namespace

// The main window's creation takes the place of the graphics window's own.
MainWindow::MainWindow(QWidget* parent) : GraphicsWindow(parent, false) {
  setObjectName("MainWindow");
  MainMenu& menu = BuildMainMenu(*this);  // the menu bar with the captions of the module start (German)
  for (QAction* item : {menu.recentFileAction1, menu.recentFileAction2, menu.recentFileAction3, menu.recentFileAction4})
    if (item) item->setVisible(false);
  WireMenuCommands(*this);
  if (!GraphDraw) GraphDraw = std::make_unique<GraphicsDraw>();
  // The shell owns the program identity and sets it before anything reads it.
  SetProgramIdentity();
  setWindowTitle(dosToQString(programState.ProgTitle));
  resize(800, 600);
  SetGraphForm(this);  // dialogs are scaled and centred over the main window
}

MainWindow::~MainWindow() {
  FormDestroy();
  if (GraphForm() == this) SetGraphForm(nullptr);
}

std::optional<int> MainWindow::FormCreate(const CommandLine& cmd) {
  ReadStartupFiles();
  if (MainMenu* m = MainMenuOf(*this)) InitRecentMenu(*m, m->fileExitAction);

  std::optional<int> rc;
  // A command-line file is drawn during the start-up; a fatal one shows its messages there already.
  const uint32_t shownBefore = calcMessagesShown;
  try {
    rc = StartupCommandLine(cmd, spring_, false);
  } catch (const TableEngineHalt&) {
    // The engine has shown "Programm angehalten."; the start-up ends here and the window goes on.
  }
  const bool messagesShown = calcMessagesShown != shownBefore;
  if (rc) return rc;
  // The window opens on its spring's drawing (the start picture, where there is one, and
  // the demonstration keep theirs); a fatal calculation shows its messages once.
  if (!programState.DemoRun && !startup.StartPictureShown && !(programState.FatalError && messagesShown))
    RedrawCurrentView(spring_);
  programState.ErrorFlag = false;
  SetupGraphForm(this);
  ApplyMenuCaptions(*this);
  if (desktopSettings.MenuLanguage > 0) SetLanguage(*this, desktopSettings.MenuLanguage);
  // The start-up calculated the spring: its messages are counted from the first moment on.
  SetErrorMessagesItem(*this);
  UpdateFormCaption(*this);
  return std::nullopt;
}

bool MainWindow::FormCloseQuery() {
  programState.ErrorFlag = false;
  AskSaveChanges(spring_);
  const bool canClose = !programState.ErrorFlag;
  if (canClose) DeleteTempFiles();
  return canClose;
}

void MainWindow::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  WriteSessionFile();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (FormCloseQuery()) {
    event->accept();
  } else {
    event->ignore();
  }
}

int RunMainWindow(const CommandLine& cmd) {
  // Qt's own buttons and dialogs speak the menu's language, German until another is chosen.
  InstallQtTranslation(desktopSettings.MenuLanguage);
  InstallProgramFonts();
  installScreenMetrics(std::make_unique<QtScreenMetrics>());
  installPrompter(std::make_unique<QtPrompter>());
  int rc = 0;
  try {
    MainWindow window;
    // Bound to the window's spring: EndProgramObjects replaces them as soon as the window is gone.
    installServices(WindowServices(window.spring()));
    if (const std::optional<int> end = window.FormCreate(cmd)) {
      rc = *end;
    } else {
      window.show();
      rc = QApplication::exec();
    }
  } catch (...) {
    EndProgramObjects();
    throw;
  }
  EndProgramObjects();
  return rc;
}

void EndProgramObjects() {
  installMaterialTable(nullptr);
  ShutdownProgram();
  GraphDraw.reset();
  installServices(HeadlessServices());  // the window is gone
  installPrompter(nullptr);
  installScreenMetrics(nullptr);
}

Services WindowServices(Spring& spring) {
  Services s;
  s.ShowCalcMessages = ShowCalcMessagesInWindow;
  s.ErrorHelp = GetErrorHelp;
  InstallTextOutputWindows(s);  // reports for the screen and the printer
  InstallDiagramLimitsDialog(s);
  s.ShowStartPicture = [] { ShowHelpPicture("start"); };
  s.ShowHelpText = ShowHelpTopic;
  s.ReadHelpText = HelpTextStr;
  s.DbfBrowseWindow = ShowTableBrowseWindow;
  s.VentrixSettingsWindow = EditVentrixCommandLine;
  s.ErrorHelpWindow = ShowErrorHelpWindow;
  s.HelpPictureNavigator = RunHelpPictureNavigator;
  // The Documentation menu: drawing information, the change records and the document links.
  s.ChangeEntry = [&spring](uint16_t n) { return EditChangeEntry(spring.drawing, n); };
  s.DrawingInfo = [&spring] { return EditDrawingInfo(spring.drawing); };
  s.DocumentLinks = [&spring] { return EditDocumentLinks(spring.documents); };
  InstallGraphWindow(s);
  InstallQtXbMsgView(s);
  // While the engine waits for a lock another program holds, the window goes on painting; what the
  // user types waits until the engine is done, so no command starts in the middle of another.
  s.ProcessPendingEvents = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
  // The configuration reader sizes the main window (the graphics form) through these.
  s.MaxClientWidth = [] { return MaxGraphClientWidth(); };
  s.MaxClientHeight = [] { return MaxGraphClientHeight(); };
  s.SetClientSize = [](int32_t w, int32_t h) {
    if (QWidget* form = GraphForm(); form && w > 0 && h > 0) form->resize(w + 1, h + 1);
  };
  s.WindowHeightRatio = [] {
    const QWidget* form = GraphForm();
    if (!form) return 1.0L;
    return static_cast<long double>(form->frameGeometry().height()) / (form->height() + 46.0L);
  };
  return s;
}

void ShowCalcMessagesInWindow() {
  if (programState.DemoRun) return;
  ++calcMessagesShown;
  ShowCalcMessageList();
}

void SetErrorMessagesItem(MainWindow& form) {
  MainMenu* m = MainMenuOf(form);
  if (!m || !m->viewErrorMessagesAction) return;
  const uint16_t count = errorList.ErrorCount;
  m->viewErrorMessagesAction->setText(MenuCaptionText(menuTexts.MenuTextErrorMessages) + " (" +
                                   QString::number(count) + ")");
  m->viewErrorMessagesAction->setEnabled(count > 0);
}

namespace {

// The items of the File menu in their order, separators included.
QList<QAction*> FileItems(MainMenu& menu) {
  return menu.fileMenu ? menu.fileMenu->actions() : QList<QAction*>();
}

}  // namespace

void UpdateAfterInput(MainWindow& form) {
  SetErrorMessagesItem(form);
  if (!programState.DemoRun) RedrawCurrentView(form.spring());
  SetErrorMessagesItem(form);
}

void UpdateFormCaption(MainWindow& form) {
  std::string title;
  SetAppTitle(title);
  form.setWindowTitle(QString::fromUtf8(title));
  if (MainMenu* m = MainMenuOf(form)) UpdateRecentMenu(*m);
}

void SetFormCaption(MainWindow& form, const std::string& text) { form.setWindowTitle(QString::fromUtf8(text)); }

void InitRecentMenu(MainMenu& menu, QAction* exitItem) {
  desktopSettings.RecentFilesMenuPos = static_cast<int32_t>(FileItems(menu).indexOf(exitItem));
  UpdateRecentMenu(menu);
}

void UpdateRecentMenu(MainMenu& menu) {
  const QList<QAction*> items = FileItems(menu);
  const int base = desktopSettings.RecentFilesMenuPos;
  if (base < 5 || base >= items.size()) return;  // not the File menu this list belongs to
  items[base - 1]->setVisible(!desktopSettings.RecentFiles[1].empty());
  for (int n = 1; n <= 4; ++n) SetRecentMenuItem(items[base - 6 + n], n);
}

void SetRecentMenuItem(QAction* item, int n) {
  if (!item || n < 1 || n > 4) return;
  const std::string& entry = desktopSettings.RecentFiles[static_cast<size_t>(n)];
  if (entry.empty()) {
    item->setVisible(false);
    return;
  }
  item->setText(dosToQString("&" + IntStr(n) + " " + ShortenPath(entry)));
  item->setVisible(true);
  item->setEnabled(true);
}

void OpenRecentFile(MainWindow& form, int n) {
  switch (OpenRecentFileCore(form.spring(), n)) {
    case RecentOpen::Stopped:
      return;
    case RecentOpen::Read:
      UpdateAfterInput(form);
      UpdateFormCaption(form);
      return;
    case RecentOpen::Failed:
      UpdateFormCaption(form);
      return;
    case RecentOpen::Missing:
      ApplyMenuCaptions(form);
      // The items would otherwise open the entries that moved up under their old numbers.
      if (MainMenu* m = MainMenuOf(form)) UpdateRecentMenu(*m);
      return;
  }
}

}  // namespace qorva
