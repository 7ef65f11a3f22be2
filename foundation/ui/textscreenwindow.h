#pragma once
// textscreenwindow (window part): the window of the 22-line text screen.

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace qorva {

class TextScreenWindow : public QDialog {
  Q_OBJECT
 public:
  explicit TextScreenWindow(QWidget* parent = nullptr);

  QPlainTextEdit* screenTextEdit;
  QPushButton* okButton;
};

}  // namespace qorva
