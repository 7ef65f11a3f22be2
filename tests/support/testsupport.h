#pragma once
// Small helpers shared by the test programs: pinned seams, a German locale guard,
// scratch folders and running third-party readers.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/launcher.h"
#include "platform/scriptedprompter.h"

namespace qorva::test {

// The seams every test program starts with (installed by the test main):
// a scripted prompter without answers, a fixed clock (2024-03-05 14:07:09, a Tuesday),
// 1280 x 1024 screen metrics and a launcher that only records.
ScriptedPrompter& scriptedPrompter();
RecordingLauncher& recordingLauncher();
FixedClock& fixedClock();
void installTestSeams();

// Switches the C and C++ global locales for its lifetime; fails the test when the locale is missing.
class LocaleGuard {
 public:
  explicit LocaleGuard(const char* name = "de_DE.UTF-8");
  ~LocaleGuard();
  bool ok() const { return ok_; }

 private:
  std::string oldC_;
  bool ok_ = false;
};

// A fresh folder below the test's working folder, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Changes into a folder for its lifetime.
class CwdGuard {
 public:
  explicit CwdGuard(const std::filesystem::path& p) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(p);
  }
  ~CwdGuard() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

// Sets (or, with nullptr, removes) an environment variable for its lifetime.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();

 private:
  std::string name_, old_;
  bool had_ = false;
};

struct CommandResult {
  int exitCode = -1;
  std::string output;  // standard output and standard error together
};
// Runs a shell command line and captures what it prints.
CommandResult runCommand(const std::string& commandLine);

std::string readFile(const std::filesystem::path& p);
void writeFile(const std::filesystem::path& p, const std::string& bytes);
// The names of a folder's entries as the disk holds them, sorted by bytes.
std::vector<std::string> SortedNames(const std::filesystem::path& dir);
// A u8"..." literal as the bytes of a std::string (a UTF-8 file name).
inline std::string U8(std::u8string_view s) { return std::string(s.begin(), s.end()); }

}  // namespace qorva::test
