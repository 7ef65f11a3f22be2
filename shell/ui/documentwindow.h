#pragma once
// documentwindow: the document window DocumentWindow: five program/file pairs that the user sets up and
// starts from here, for example a text editor with the spring's data sheet.

#include <QDialog>
#include <array>

#include "platform/services.h"

class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qorva {

struct DocumentLinkList;

class DocumentWindow : public QDialog {
  Q_OBJECT

 public:
  explicit DocumentWindow(DocumentLinkList& documents, QWidget* parent = nullptr);

  // One group of controls per link, [1..5]; index 0 unused. The object names end in the link's
  // number: GroupBox1, Label_prog1, Label_file1, Edit_prog1, Edit_file1, Button_prog1, Button_file1.
  std::array<QGroupBox*, 6> GroupBox{};
  std::array<QLabel*, 6> Label_prog{};
  std::array<QLabel*, 6> Label_file{};
  std::array<QLineEdit*, 6> Edit_prog{};
  std::array<QLineEdit*, 6> Edit_file{};
  std::array<QPushButton*, 6> Button_prog{};  // "...": chooses the program
  std::array<QPushButton*, 6> Button_file{};  // "...": chooses the file
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
  QPushButton* helpButton = nullptr;
  std::array<QPushButton*, 6> Button{};   // "Exec Prog": Button1 .. Button5
  std::array<QPushButton*, 6> ButtonF{};  // "Exec File": Button1f .. Button5f

  // Fills the edits from DocumentLinks.
  void ShowLinks();

 protected:
  void keyPressEvent(QKeyEvent* e) override;  // Esc is Cancel

 private:
  void ok();
  void cancel();

  DocumentLinkList& documents_;
};

// Edits and launches the document links of documents modally. OK stores them and gives Done;
// Cancel, Esc and the title bar's close store nothing and give Cancelled.
Outcome EditDocumentLinks(DocumentLinkList& documents);

}  // namespace qorva
