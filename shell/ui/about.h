#pragma once
// about: the about window AboutBox of the Help menu: the program's title, version and the version
// of its program file. Opening it clears the main window's drawing and shows the logo there.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace qorva {

class AboutBox : public QDialog {
 public:
  explicit AboutBox(QWidget* parent = nullptr);

  QFrame* infoPanel = nullptr;
  QLabel* programTitleLabel = nullptr;
  QLabel* versionLabel = nullptr;
  QLabel* fileVersionLabel = nullptr;
  QPushButton* okButton = nullptr;
};

// Creates the about window, shows it modally and frees it.
void ShowAboutBox(QWidget* parent);

}  // namespace qorva
