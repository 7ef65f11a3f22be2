#include "shell/ui/mainwindow.h"

#include <gtest/gtest.h>

#include "foundation/programstate.h"
#include "foundation/settings.h"

namespace qorva {
namespace {

TEST(MainWindow, ShowsProgramTitleAndSetsIdentity) {
  InitAllSettings();
  MainWindow w;
  w.show();
  EXPECT_EQ(w.windowTitle().toStdString(), "QORVA - Konstantkraftfeder");
  EXPECT_EQ(programState.ProgName, "QORVA");
  EXPECT_EQ(programState.ProgStem, "qorva");
  EXPECT_EQ(programState.DataExt, "qva");
  EXPECT_TRUE(w.isVisible());
}

}  // namespace
}  // namespace qorva
