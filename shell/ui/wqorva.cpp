// Program entry. The command-line modes that only write a result file (and every run with /NOGUI)
// run without a window: no QApplication is made for them. Everything else starts the main window.
#include <QApplication>

#include "foundation/msgbox.h"
#include "foundation/ui/qtprompter.h"
#include "foundation/ui/ushowfil.h"
#include "foundation/utilstr.h"
#include "graphics/ui/lcaduti1.h"
#include "platform/ui/qtscreen.h"
#include "shell/cmdline.h"
#include "shell/startup.h"
#include "shell/ui/qorvau.h"
#include "spring/shellservices.h"
#include "xbase/ui/xbmsgview.h"

int main(int argc, char** argv) {
  const std::vector<std::string> params(argv + (argc > 0 ? 1 : 0), argv + argc);
  const qorva::CommandLine cmd = qorva::ParseCommandLine(params);
  if (qorva::RunsHeadless(cmd)) return qorva::RunBatch(params);

  qorva::InitProgramModules(params);
  QApplication app(argc, argv);
  QApplication::setApplicationName("QORVA");
  qorva::installScreenMetrics(std::make_unique<qorva::QtScreenMetrics>());
  qorva::installPrompter(std::make_unique<qorva::QtPrompter>());
  // The spring modules name their help topics through the shell; the prompts show them.
  qorva::shellservices.SetHelpTopicHook = qorva::SetPromptHelp;
  qorva::InstallQtXbMsgView();
  qorva::InstallTextOutputWindows();  // reports for the screen and the printer
  qorva::InstallDiagramLimitsDialog();
  int rc = 0;
  {
    qorva::Thh window;
    if (const std::optional<int> end = window.FormCreate(cmd)) {
      rc = *end;
    } else {
      window.show();
      rc = app.exec();
    }
  }
  qorva::ShutdownProgram();
  return rc;
}
