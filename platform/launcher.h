#pragma once
// Starting other programs and opening documents with the desktop's program for them.
// Tests install a recording launcher so that no real program is ever started.
// Programs, arguments and documents are the program's own texts (code page 437, as its settings
// and file names hold them); the system launcher hands them on in their exact UTF-8 form
// (platform/sysname.h), so a document "Größe.dxf" opens the file of that name.

#include <memory>
#include <string>
#include <vector>

namespace qorva {

class Launcher {
 public:
  virtual ~Launcher() = default;
  // Starts program with args without waiting for it. False when the program does not exist
  // or cannot be started.
  virtual bool startProgram(const std::string& program, const std::vector<std::string>& args) = 0;
  // Opens a document or web address with the desktop's associated program (xdg-open).
  virtual bool openDocument(const std::string& pathOrUrl) = 0;
  // Whether program names something that can be started (a path to an executable or a name on PATH).
  virtual bool programExists(const std::string& program) const = 0;
};

class SystemLauncher : public Launcher {
 public:
  bool startProgram(const std::string& program, const std::vector<std::string>& args) override;
  bool openDocument(const std::string& pathOrUrl) override;
  bool programExists(const std::string& program) const override;
};

struct LaunchRecord {
  bool document = false;  // openDocument rather than startProgram
  std::string program;    // program, or the document for openDocument
  std::vector<std::string> args;
};

class RecordingLauncher : public Launcher {
 public:
  bool startProgram(const std::string& program, const std::vector<std::string>& args) override;
  bool openDocument(const std::string& pathOrUrl) override;
  bool programExists(const std::string& program) const override;
  const std::vector<LaunchRecord>& launched() const { return launched_; }
  void clear() { launched_.clear(); }
  // Programs that count as installed; every other program is missing.
  std::vector<std::string> installed;
  // A desktop without its opener: openDocument fails.
  bool openerMissing = false;

 private:
  std::vector<LaunchRecord> launched_;
};

// The desktop's opener that openDocument runs.
inline constexpr const char* DesktopOpener = "xdg-open";

// The package that brings a program the system starts itself ("xdg-open": "xdg-utils", "lp":
// "cups-client"); "" for any other program.
std::string PackageOfProgram(const std::string& program);
// What to add to a message about program when the installed launcher cannot find it: its name and
// what to install (" (xdg-open fehlt: bitte das Paket xdg-utils installieren)"); "" when it is there.
std::string MissingProgramHint(const std::string& program);
// "Programm kann nicht gestartet werden: " + program + MissingProgramHint(program).
std::string CannotStartText(const std::string& program);

Launcher& launcher();
std::unique_ptr<Launcher> installLauncher(std::unique_ptr<Launcher> l);  // nullptr restores the system one

}  // namespace qorva
