// Program entry: start-up initialisation of the settings modules, then the main window.
#include <QApplication>

#include "foundation/msgbox.h"
#include "foundation/settings.h"
#include "foundation/ui/qtprompter.h"
#include "foundation/ui/ushowfil.h"
#include "foundation/utilstr.h"
#include "graphics/cad1var.h"
#include "graphics/ui/lcaduti1.h"
#include "platform/ui/qtscreen.h"
#include "spring/aendvar.h"
#include "spring/dokuvar.h"
#include "spring/qvaglob.h"
#include "spring/shellservices.h"
#include "xbase/ui/xbmsgview.h"
#include "xbase/xbengine.h"
#include "shell/ui/qorvau.h"

int main(int argc, char** argv) {
  qorva::InitAllSettings();
  qorva::InitSpringData();  // the spring defaults, then the initial inputs that override part of them
  qorva::InitAendvar();     // no drawing changes, the title-block dates today
  qorva::InitDokuvar();
  qorva::InitCad1var();  // diagram state; the limits dialog first offers 0, 0, 1, 1
  qorva::XbStartEngine();
  // Switches such as /NOGUI are looked up anywhere on the command line.
  qorva::utilstr.ProgramParams.assign(argv + (argc > 0 ? 1 : 0), argv + argc);
  QApplication app(argc, argv);
  qorva::installScreenMetrics(std::make_unique<qorva::QtScreenMetrics>());
  qorva::installPrompter(std::make_unique<qorva::QtPrompter>());
  // The spring modules name their help topics through the shell; the prompts show them.
  qorva::shellservices.SetHelpTopicHook = qorva::SetPromptHelp;
  qorva::InstallQtXbMsgView();
  qorva::InstallTextOutputWindows();  // reports for the screen and the printer
  qorva::InstallDiagramLimitsDialog();
  qorva::Thh window;
  window.show();
  const int rc = app.exec();
  qorva::XbStopEngine();  // writes pending table headers and closes every table
  return rc;
}
