// The window part of the program: the main window and everything that needs Qt. The qorva
// command loads this module (libqorva_window.so beside it) only for a command line that needs a
// window, so runs that only write a result file never load a Qt library.
#include <QApplication>

#include "shell/commandline.h"
#include "shell/startup.h"
#include "shell/ui/mainwindow.h"

extern "C" __attribute__((visibility("default"))) int qorva_window_main(int argc, char** argv) {
  const std::vector<std::string> params(argv + (argc > 0 ? 1 : 0), argv + argc);
  const qorva::CommandLine cmd = qorva::ParseCommandLine(params);
  qorva::InitProgramModules(params);
  int rc = 0;
  {
    QApplication app(argc, argv);
    QApplication::setApplicationName("QORVA");
    rc = qorva::RunMainWindow(cmd);
  }
  return rc;
}
