#include "platform/launcher.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>

#include "platform/sysname.h"

extern char** environ;

namespace qorva {

namespace {

bool isExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Starts argv detached: a short-lived intermediate child spawns the program and exits at once,
// so the program is never left as a zombie of ours.
bool spawnDetached(const std::vector<std::string>& argv) {
  std::vector<char*> cargs;
  for (const auto& a : argv) cargs.push_back(const_cast<char*>(a.c_str()));
  cargs.push_back(nullptr);
  pid_t mid = ::fork();
  if (mid < 0) return false;
  if (mid == 0) {
    ::setsid();
    pid_t pid = 0;
    int rc = ::posix_spawnp(&pid, cargs[0], nullptr, nullptr, cargs.data(), environ);
    ::_exit(rc == 0 ? 0 : 127);
  }
  int status = 0;
  pid_t r = 0;
  do {
    r = ::waitpid(mid, &status, 0);
  } while (r < 0 && errno == EINTR);
  // With the child signal ignored the system reaps the intermediate child itself: its verdict is
  // lost, but the program was found before, so it counts as started.
  if (r < 0) return errno == ECHILD;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Whether the program of that system name can be started.
bool programFound(const std::string& program) {
  if (program.empty()) return false;
  if (program.find('/') != std::string::npos) return isExecutableFile(program);
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    if (!dir.empty() && isExecutableFile(dir + "/" + program)) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

bool SystemLauncher::programExists(const std::string& program) const { return programFound(SysName(program)); }

bool SystemLauncher::startProgram(const std::string& program, const std::vector<std::string>& args) {
  std::vector<std::string> argv{SysName(program)};
  if (!programFound(argv.front())) return false;
  for (const std::string& a : args) argv.push_back(SysName(a));
  return spawnDetached(argv);
}

bool SystemLauncher::openDocument(const std::string& pathOrUrl) {
  if (!programFound("xdg-open")) return false;
  return spawnDetached({"xdg-open", SysName(pathOrUrl)});
}

bool RecordingLauncher::startProgram(const std::string& program, const std::vector<std::string>& args) {
  if (!programExists(program)) return false;
  launched_.push_back({false, program, args});
  return true;
}

bool RecordingLauncher::openDocument(const std::string& pathOrUrl) {
  if (openerMissing) return false;
  launched_.push_back({true, pathOrUrl, {}});
  return true;
}

bool RecordingLauncher::programExists(const std::string& program) const {
  return std::find(installed.begin(), installed.end(), program) != installed.end();
}

namespace {
std::unique_ptr<Launcher>& current() {
  static std::unique_ptr<Launcher> l = std::make_unique<SystemLauncher>();
  return l;
}
}  // namespace

Launcher& launcher() { return *current(); }

std::string PackageOfProgram(const std::string& program) {
  if (program == DesktopOpener) return "xdg-utils";
  if (program == "lp") return "cups-client";
  return "";
}

std::string MissingProgramHint(const std::string& program) {
  if (launcher().programExists(program)) return "";
  const std::string package = PackageOfProgram(program);
  if (!package.empty()) return " (" + program + " fehlt: bitte das Paket " + package + " installieren)";
  return " (" + program + " nicht gefunden: bitte das Programm installieren oder seinen Pfad angeben)";
}

std::string CannotStartText(const std::string& program) {
  return "Programm kann nicht gestartet werden: " + program + MissingProgramHint(program);
}

std::unique_ptr<Launcher> installLauncher(std::unique_ptr<Launcher> l) {
  if (!l) l = std::make_unique<SystemLauncher>();
  std::swap(current(), l);
  return l;
}

}  // namespace qorva
