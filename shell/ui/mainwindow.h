#pragma once
// The program's main window, built on the graphics window: its start-up, the close question, the
// recent-file items of the File menu and the refresh after every input command.

#include <optional>
#include <string>

#include "graphics/ui/graphicswindow.h"
#include "platform/services.h"
#include "shell/commandline.h"
#include "spring/spring.h"

class QAction;
class QCloseEvent;

namespace qorva {

class MainMenu;

class MainWindow : public GraphicsWindow {
  Q_OBJECT
 public:
  // Menu captions, the screen drawing object and the program identity; the rest of the start-up
  // is FormCreate's.
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // Configuration and session files, the recent-file items, the start-up and the command line, the
  // window's size and captions. Returns the exit code when the command line ends the program here.
  std::optional<int> FormCreate(const CommandLine& cmd);
  // The save question before the window closes; the block files go when it may close.
  bool FormCloseQuery();
  // Writes the session file; runs once, at the latest when the window is destroyed.
  void FormDestroy();

  // The spring the window shows; its menu commands, forms and drawings work on this one.
  Spring& spring() { return spring_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  Spring spring_ = NewSpring();  // start values; the start-up reads the command line's file into it
  bool destroyed_ = false;
};

// The window part of the program, once the application object exists: the Qt services, the main
// window with its start-up and message loop, then the end of the program objects. Returns the exit
// code.
int RunMainWindow(const CommandLine& cmd);
// Ends the program objects that refer to one another, each before what it refers to: the material
// table while the table engine still runs, then the engine and the work files, then the screen
// drawing object before the display list it frees; the prompter and the screen go back to their
// batch forms, which need no application object.
void EndProgramObjects();

// The calculation messages in the window: a list of them, or the box saying there are none.
void ShowCalcMessagesInWindow();
// The services the window offers the layers below; RunMainWindow installs them once the main window
// exists (the main window itself keeps the message list while it lives, also where tests build it
// alone). The Documentation windows edit the given spring, the window's.
Services WindowServices(Spring& spring);

// The error-messages item shows the number of calculation messages; the current view is drawn.
void SetErrorMessagesItem(MainWindow& form);
void UpdateAfterInput(MainWindow& form);
// The window caption from SetAppTitle, then the recent-file items.
void UpdateFormCaption(MainWindow& form);
void SetFormCaption(MainWindow& form, const std::string& text);  // text in UTF-8

// The recent-file items are found by their distance from Exit in the File menu.
void InitRecentMenu(MainMenu& menu, QAction* exitItem);
void UpdateRecentMenu(MainMenu& menu);
void SetRecentMenuItem(QAction* item, int n);
// The save question, then recent file n; a file that is gone leaves the list with a message.
void OpenRecentFile(MainWindow& form, int n);

}  // namespace qorva
