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
  // number: linkGroupBox1, programLabel1, fileLabel1, programEdit1, fileEdit1, programBrowseButton1, fileBrowseButton1.
  std::array<QGroupBox*, 6> linkGroupBox{};
  std::array<QLabel*, 6> programLabel{};
  std::array<QLabel*, 6> fileLabel{};
  std::array<QLineEdit*, 6> programEdit{};
  std::array<QLineEdit*, 6> fileEdit{};
  std::array<QPushButton*, 6> programBrowseButton{};  // "...": chooses the program
  std::array<QPushButton*, 6> fileBrowseButton{};  // "...": chooses the file
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
  QPushButton* helpButton = nullptr;
  std::array<QPushButton*, 6> runProgramButton{};   // "Exec Prog": runProgramButton1 .. runProgramButton5
  std::array<QPushButton*, 6> openFileButton{};  // "Exec File": openFileButton1 .. openFileButton5

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
