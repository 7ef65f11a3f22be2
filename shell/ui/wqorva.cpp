// Program entry. The command-line modes that only write a result file (and every run with /NOGUI)
// run without a window: no QApplication is made for them. Everything else starts the main window.
#include <QApplication>
#include <cstdlib>
#include <iostream>

#include "shell/cmdline.h"
#include "shell/startup.h"
#include "shell/ui/qorvau.h"

namespace {

bool Set(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

// Without a display Qt ends the process inside its start; a platform named explicitly (offscreen,
// a VNC or framebuffer one) needs none of the two variables.
bool DisplayAvailable() { return Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM"); }

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

  qorva::InitProgramModules(params);
  int rc = 0;
  {
    QApplication app(argc, argv);
    QApplication::setApplicationName("QORVA");
    rc = qorva::RunMainWindow(cmd);
  }
  return rc;
}
