// The window's one installer of the upward calls: it fills every slot of the record, and the
// engine's waits let the window paint.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPaintEvent>
#include <QWidget>

#include "platform/services.h"
#include "shell/ui/qorvau.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

class PaintCounter : public QWidget {
 public:
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override { ++paints; }
};

TEST(WindowServices, TheWindowFillsEverySlot) {
  Services previous = installServices(WindowServices());
  std::vector<std::string> missing;
  for (const ServiceState& s : ServiceList())
    if (!s.installed) missing.push_back(s.name);
  installServices(std::move(previous));
  EXPECT_TRUE(missing.empty()) << "not filled by the window: " << testing::PrintToString(missing);
}

TEST(WindowServices, AnEngineWaitLetsTheWindowPaint) {
  Services previous = installServices(WindowServices());
  PaintCounter w;
  w.resize(50, 50);
  w.show();
  QApplication::processEvents();
  const int before = w.paints;
  w.update();  // a repaint is due, as when another window uncovers the main window
  ASSERT_TRUE(services().ProcessPendingEvents());
  EXPECT_GT(w.paints, before);
  installServices(std::move(previous));
}

}  // namespace
}  // namespace qorva
