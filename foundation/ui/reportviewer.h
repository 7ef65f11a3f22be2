#pragma once
// reportviewer: the text viewer of a report on screen. It shows the display copy "outwin.txt" in the
// run's work folder, prints the report's DOS text (PrintFileName) through the print dialog, selects
// and copies text and hands the copy to a text editor. Its place and size survive in TextWindowPos.

#include <QDialog>
#include <string>

#include "platform/services.h"

class QAction;
class QMenu;
class QMenuBar;
class QPlainTextEdit;

namespace qorva {

// The captions of the viewer's menus, taken from the main menu in its current language; the shell
// sets them whenever it puts captions on the main menu. UTF-8, as shown (the Chinese and Korean
// menus have no DOS form).
struct ShowfileMenuCaptions {
  std::string File = "&Datei";
  std::string Print = "&Drucken...";
  std::string Exit = "&Beenden";
  std::string Edit = "&Bearbeiten";
  std::string SelectAll = "Alles aus&w\xC3\xA4hlen";
  std::string Copy = "Kopieren";
};
ShowfileMenuCaptions& showfileMenuCaptions();

class ReportViewerWindow : public QDialog {
  Q_OBJECT

 public:
  explicit ReportViewerWindow(QWidget* owner = nullptr);

  QPlainTextEdit* reportTextEdit = nullptr;
  QMenuBar* mainMenuBar = nullptr;
  QMenu* fileMenu = nullptr;
  QAction* filePrintAction = nullptr;
  QAction* exitSeparator = nullptr;
  QAction* fileExitAction = nullptr;
  QMenu* editMenu = nullptr;
  QAction* editSelectAllAction = nullptr;
  QAction* editCopyAction = nullptr;
  QAction* fileExportToEditorAction = nullptr;
  QAction* printSeparator = nullptr;
  QAction* fileExportWordpadAction = nullptr;

  std::string ShowFileName;   // the file shown in the memo
  std::string PrintFileName;  // the file the print command prints

  void FormCreate();
  void FormShow();
  void FormClose();

  void filePrintTriggered();
  void fileExitTriggered();
  void editSelectAllTriggered();
  void editCopyTriggered();
  void fileExportToEditorTriggered();

  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool shown_ = false;
  bool closed_ = false;
};

// Shows the viewer modally for a report whose DOS text is printFileName.
void ShowReportViewer(const std::string& printFileName);

// Puts the viewer and the print dialog into s as the report writer's screen and printer.
void InstallTextOutputWindows(Services& s);

}  // namespace qorva
