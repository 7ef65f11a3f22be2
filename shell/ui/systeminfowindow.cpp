// systeminfowindow: the system-information window.
#include "shell/ui/systeminfowindow.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QFont>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <fstream>
#include <sstream>

#include "foundation/programstate.h"
#include "foundation/ui/dialogparts.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "foundation/machinefacts.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "graphics/graphicsdraw.h"

namespace qorva {

namespace {

// The type of the mounted file system that holds path: the mount with the longest matching point.
std::string FileSystemOf(const std::string& path) {
  std::ifstream mounts("/proc/self/mounts");
  std::string line, best, type;
  while (std::getline(mounts, line)) {
    std::istringstream in(line);
    std::string device, point, kind;
    if (!(in >> device >> point >> kind)) continue;
    const bool inside = path == point || path.rfind(point == "/" ? point : point + "/", 0) == 0;
    if (inside && point.size() >= best.size()) {
      best = point;
      type = kind;
    }
  }
  return type;
}

std::string Label(const char* label) { return PadRight(label, 12) + ": "; }

}  // namespace

std::string MegabyteText(double mb) {
  const long long whole = std::llround(mb);
  std::string digits = std::to_string(whole < 0 ? -whole : whole);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += '.';
    grouped += digits[i];
  }
  if (whole < 0) grouped = "-" + grouped;
  return grouped.size() < 6 ? std::string(6 - grouped.size(), ' ') + grouped : grouped;
}

SystemFacts GatherSystemFacts() {
  SystemFacts f;
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) == 0) f.computer = host;
  if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name) f.user = pw->pw_name;
  f.programFile = ProgramFileName();
  struct statvfs vfs {};
  const std::string folder = FileDir(f.programFile);
  if (!f.programFile.empty() && ::statvfs(folder.empty() ? "/" : folder.c_str(), &vfs) == 0) {
    f.volumeKnown = true;
    f.fileSystem = FileSystemOf(f.programFile);
    const double block = static_cast<double>(vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize);
    f.totalMB = block / 1000 * static_cast<double>(vfs.f_blocks) / 1000;
    f.freeMB = block / 1000 * static_cast<double>(vfs.f_bavail) / 1000;
  }
  f.operatingSystem = WindowsVersionName();
  f.clockMHz = CpuMHz();
  f.summary = SystemInfoLine();
  f.addresses = LocalIPList();
  return f;
}

std::vector<std::string> SystemInfoLines(const SystemFacts& f) {
  std::vector<std::string> lines;
  if (!f.computer.empty()) lines.push_back(Label("PC Name") + f.computer);
  if (!f.user.empty()) lines.push_back(Label("User") + f.user);
  // Shown as it is: names differ by case on this system.
  lines.push_back(Label("File name") + f.programFile);
  if (f.volumeKnown) {
    lines.push_back(Label("File syst.") + f.fileSystem);
    lines.push_back(Label("HD total") + MegabyteText(f.totalMB) + " MB");
    lines.push_back(Label("HD free") + MegabyteText(f.freeMB) + " MB");
  } else {
    lines.push_back("File system error");
  }
  lines.push_back(Label("Operat.sys.") + f.operatingSystem);
  lines.push_back(Label("Clock speed") + IntStr(static_cast<int64_t>(std::llround(f.clockMHz))) + " MHz");
  lines.push_back(f.summary);
  lines.push_back("IP-Adress:");
  for (const std::string& a : f.addresses) lines.push_back(a);
  return lines;
}

SystemInfoWindow::SystemInfoWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("Sysinfo");
  auto* column = new QVBoxLayout(this);
  systemInfoTextEdit = new QPlainTextEdit(this);
  systemInfoTextEdit->setObjectName("systemInfoTextEdit");
  systemInfoTextEdit->setReadOnly(true);
  systemInfoTextEdit->setFont(QFont("Courier New"));
  systemInfoTextEdit->setMinimumSize(520, 260);
  column->addWidget(systemInfoTextEdit);
  okButton = AddOkRow(this, column, "okButton");
  ScaleCenterForm(this);
  GraphClear();
  GraphLogo();
  setWindowTitle(dosToQString(programState.ProgName + " System Info"));
}

void SystemInfoWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (filled_) return;
  filled_ = true;
  for (const std::string& line : SystemInfoLines(GatherSystemFacts())) systemInfoTextEdit->appendPlainText(QString::fromStdString(line));
}

void ShowSystemInfo(QWidget* parent) {
  SystemInfoWindow box(parent);
  box.exec();
}

}  // namespace qorva
