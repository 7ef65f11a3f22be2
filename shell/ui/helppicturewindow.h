#pragma once
// helppicturewindow: the help-picture navigator HelpPictureWindow, a small tool window beside the picture:
// a drop-down list of the index entries, up and down arrows, and the buttons that show, add,
// insert, change and delete entries. It reappears where the user left it.

#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/helppictures.h"

class QComboBox;
class QPushButton;
class QToolButton;

namespace qorva {

class HelpPictureWindow : public QDialog {
 public:
  explicit HelpPictureWindow(QWidget* parent = nullptr);
  ~HelpPictureWindow() override;  // keeps the position for the next one

  // Fills the list with the entries (DOS texts) and preselects one (1-based, 0 none).
  void FormShow(const std::vector<std::string>& entries, int32_t preselect);
  // What the user chose once the window has closed.
  HelpPictureNavigatorResult Result() const;

  QPushButton* okButton = nullptr;
  QPushButton* helpButton = nullptr;
  QPushButton* newEntryButton = nullptr;
  QPushButton* changeEntryButton = nullptr;
  QPushButton* insertEntryButton = nullptr;
  QPushButton* deleteEntryButton = nullptr;
  QComboBox* pictureIndexComboBox = nullptr;
  QToolButton* previousEntryButton = nullptr;    // the two arrows of SpinButton1
  QToolButton* nextEntryButton = nullptr;

  // Closes the window; its place is kept for the next one.
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Keeps the outer corner for the next navigator.
  void keepPlace();
  // Puts the outer corner at the kept place, moved onto the screen where it would be off it.
  void placeOnScreen();
  void checkFraming();
  void Choose(int32_t action);
  void Step(int delta);

  bool filling_ = false;
  int32_t count_ = 0;
  int32_t action_ = HelpPicShow;
  bool ended_ = true;
  bool placeKept_ = false;
  QTimer framing_;  // waits for the window manager's frame after showing
  int framingChecks_ = 0;
};

// The navigator of the help-picture browser: the window shown modally over the main window.
HelpPictureNavigatorResult RunHelpPictureNavigator(const HelpPictureNavigatorRequest& request);
}  // namespace qorva
