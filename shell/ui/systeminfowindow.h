#pragma once
// systeminfowindow: the system-information window SystemInfoWindow of the Help menu: the computer, the user, the
// program file and the file system that holds it, the operating system, the processor clock and
// the computer's addresses, in a read-only text box. Opening it clears the main window's drawing
// and shows the logo there.

#include <QDialog>
#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;

namespace qorva {

// What the window tells, gathered from the system.
struct SystemFacts {
  std::string computer;     // "" when the system does not tell
  std::string user;         // "" when the system does not tell
  std::string programFile;  // as the system names it
  bool volumeKnown = false;
  std::string fileSystem;   // the type of the file system that holds the program file
  double totalMB = 0;       // megabytes of 1,000,000 bytes
  double freeMB = 0;
  std::string operatingSystem;
  double clockMHz = 0;
  std::string summary;
  std::vector<std::string> addresses;
};

SystemFacts GatherSystemFacts();
// The window's lines for facts, in their order.
std::vector<std::string> SystemInfoLines(const SystemFacts& facts);
// Megabytes as "%6.0n" shows them: whole, with "." between thousands, right-aligned in 6.
std::string MegabyteText(double mb);

class SystemInfoWindow : public QDialog {
 public:
  explicit SystemInfoWindow(QWidget* parent = nullptr);

  QPlainTextEdit* systemInfoTextEdit = nullptr;
  QPushButton* okButton = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  bool filled_ = false;
};

// Creates the system-information window, shows it modally and frees it.
void ShowSystemInfo(QWidget* parent);

}  // namespace qorva
