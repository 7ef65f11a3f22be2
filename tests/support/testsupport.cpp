#include "tests/support/testsupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <clocale>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <locale>
#include <sstream>

#include "platform/screen.h"
#include "platform/services.h"

namespace qorva::test {

namespace {
ScriptedPrompter* gPrompter = nullptr;
RecordingLauncher* gLauncher = nullptr;
FixedClock* gClock = nullptr;
}  // namespace

void installTestSeams() {
  auto p = std::make_unique<ScriptedPrompter>();
  gPrompter = p.get();
  installPrompter(std::move(p));
  auto l = std::make_unique<RecordingLauncher>();
  gLauncher = l.get();
  installLauncher(std::move(l));
  auto c = std::make_unique<FixedClock>(LocalDateTime{2024, 3, 5, 14, 7, 9, 2});
  gClock = c.get();
  installClock(std::move(c));
  installScreenMetrics(std::make_unique<FixedScreenMetrics>(1280, 1024));
  installServices(HeadlessServices());  // a run without a window
}

ScriptedPrompter& scriptedPrompter() { return *gPrompter; }
RecordingLauncher& recordingLauncher() { return *gLauncher; }
FixedClock& fixedClock() { return *gClock; }

LocaleGuard::LocaleGuard(const char* name) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  oldC_ = old ? old : "C";
  ok_ = std::setlocale(LC_ALL, name) != nullptr;
  if (ok_) {
    std::locale::global(std::locale(name));
  } else {
    ADD_FAILURE() << "locale " << name << " is not installed (tools/setup.sh generates it)";
  }
}

LocaleGuard::~LocaleGuard() {
  std::setlocale(LC_ALL, oldC_.c_str());
  std::locale::global(std::locale::classic());
}

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = "scratch_" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
  if (info) name += std::string("_") + info->name();
  for (char& ch : name)
    if (ch == '/') ch = '_';
  path_ = std::filesystem::current_path() / name;
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  const char* old = std::getenv(name);
  had_ = old != nullptr;
  if (had_) old_ = old;
  if (value) setenv(name, value, 1);
  else unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
  if (had_) setenv(name_.c_str(), old_.c_str(), 1);
  else unsetenv(name_.c_str());
}

CommandResult runCommand(const std::string& commandLine) {
  CommandResult r;
  std::string cmd = commandLine + " 2>&1";
  FILE* pipe = ::popen(cmd.c_str(), "r");
  if (!pipe) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.output.append(buf, n);
  int status = ::pclose(pipe);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string readFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void writeFile(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::string> SortedNames(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace qorva::test
