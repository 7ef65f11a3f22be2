#include "fuzz/fuzzsupport.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/desktopsettings.h"

namespace qorva::fuzz {

namespace {

struct Scratch {
  std::string path;
  Scratch() {
    // In memory where the system has it: the targets write their input as a file every run.
    std::error_code ec;
    const std::filesystem::path root =
        std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
    std::string tmpl = (root / "qorva-fuzz-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) std::abort();
    path = tmpl + "/";
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

}  // namespace

const std::string& Folder() {
  static Scratch scratch;
  return scratch.path;
}

std::string WriteInput(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = Folder() + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

void StartSettings() {
  InitAllSettings();
  programState.ProgStem = "qorva";
  programState.DataDir = Folder();
  programState.DbfDir = Folder();
  programState.PltDir = Folder();
  programState.TempDir = Folder();
  programState.StartDir = Folder();
  desktopSettings.ConfigDir = Folder();
}

void StartSettingsOnce() {
  static const bool started = (StartSettings(), true);
  (void)started;
}

}  // namespace qorva::fuzz
