#pragma once
// changeentrywindow: the change entry window ChangeEntryWindow: index text, date, editor and description of one
// drawing change record of the spring's drawing data it is opened over.

#include <QDialog>
#include <cstdint>

#include "platform/services.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qorva {

struct DrawingData;

class ChangeEntryWindow : public QDialog {
  Q_OBJECT

 public:
  explicit ChangeEntryWindow(DrawingData& drawing, QWidget* parent = nullptr);

  QLabel* changeIndexLabel = nullptr;
  QLineEdit* changeIndexEdit = nullptr;
  QLabel* dateLabel = nullptr;
  QLineEdit* dateEdit = nullptr;
  QLineEdit* editorNameEdit = nullptr;
  QLabel* editorNameLabel = nullptr;
  QLabel* descriptionLabel = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
  QPushButton* helpButton = nullptr;
  QPlainTextEdit* descriptionTextEdit = nullptr;
  QPushButton* todayButton = nullptr;
  uint16_t RecordNo = 0;  // the change record it edits

  // Caption and fields from record n.
  void ShowRecord(uint16_t n);

 private:
  void ok();
  void cancel();

  DrawingData& drawing_;
};

// Edits change record n of drawing modally. OK stores it, clears ErrorFlag and gives Done; Cancel
// and Esc set ErrorFlag, closing by the title bar leaves it as it was: both store nothing and give
// Cancelled.
Outcome EditChangeEntry(DrawingData& drawing, uint16_t n);

}  // namespace qorva
