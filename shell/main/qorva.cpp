// Program entry. The command-line modes that only write a result file (and every run with /NOGUI)
// run here without a window and without any Qt library. Everything else loads the window part
// (libqorva_window.so, beside this program) and hands the command line over to it.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "shell/commandline.h"
#include "shell/startup.h"

namespace {

constexpr const char* kWindowModule = "libqorva_window.so";
constexpr const char* kWindowEntry = "qorva_window_main";

bool Set(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

// Without a display Qt ends the process inside its start; a platform named explicitly (offscreen,
// a VNC or framebuffer one) needs none of the two variables.
bool DisplayAvailable() { return Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM"); }

// The window module is looked for in the folder of the running program, wherever it was started
// from, so an installed copy finds its own module and never one of another build.
std::string WindowModulePath() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return kWindowModule;
  return (self.parent_path() / kWindowModule).string();
}

using WindowMain = int (*)(int, char**);

int RunWindow(int argc, char** argv) {
  const std::string path = WindowModulePath();
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  WindowMain entry = module ? reinterpret_cast<WindowMain>(dlsym(module, kWindowEntry)) : nullptr;
  if (!entry) {
    const char* why = dlerror();
    std::cerr << "qorva: Der Fensterteil des Programms (" << path << ") kann nicht geladen werden"
              << (why ? std::string(": ") + why : std::string()) << "; ohne ihn laufen nur /I, /CADi:j, /NOGUI und /?.\n";
    return 1;
  }
  // The module stays loaded to the end: its objects are ended by the exit handlers.
  return entry(argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> params(argv + (argc > 0 ? 1 : 0), argv + argc);
  const qorva::CommandLine cmd = qorva::ParseCommandLine(params);
  if (qorva::RunsHeadless(cmd)) return qorva::RunBatch(params);
  if (!DisplayAvailable()) {
    std::cerr << "qorva: Dieser Aufruf braucht eine grafische Anzeige (DISPLAY oder WAYLAND_DISPLAY); "
                 "ohne Anzeige laufen nur /I, /CADi:j, /NOGUI und /?.\n";
    return 1;
  }
  return RunWindow(argc, argv);
}
