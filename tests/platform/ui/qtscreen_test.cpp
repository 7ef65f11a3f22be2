#include "platform/ui/qtscreen.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

namespace qorva {
namespace {

TEST(QtScreenMetrics, ReportsThePrimaryScreen) {
  QtScreenMetrics m;
  const QScreen* s = QGuiApplication::primaryScreen();
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(m.width(), s->geometry().width());
  EXPECT_EQ(m.height(), s->geometry().height());
  EXPECT_GT(m.dotsPerInch(), 0);
}

}  // namespace
}  // namespace qorva
