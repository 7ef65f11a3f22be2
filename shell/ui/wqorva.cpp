// Program entry: start-up initialisation of the settings modules, then the main window.
#include <QApplication>

#include "foundation/settings.h"
#include "platform/ui/qtscreen.h"
#include "shell/ui/qorvau.h"

int main(int argc, char** argv) {
  qorva::InitAllSettings();
  QApplication app(argc, argv);
  qorva::installScreenMetrics(std::make_unique<qorva::QtScreenMetrics>());
  qorva::Thh window;
  window.show();
  return app.exec();
}
