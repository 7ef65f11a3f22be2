#include "shell/ui/qorvau.h"

#include <gtest/gtest.h>

#include "foundation/kwenvar.h"
#include "foundation/settings.h"

namespace qorva {
namespace {

TEST(MainWindow, ShowsProgramTitleAndSetsIdentity) {
  InitAllSettings();
  Thh w;
  w.show();
  EXPECT_EQ(w.windowTitle().toStdString(), "QORVA - Konstantkraftfeder");
  EXPECT_EQ(kwenvar.ProgName, "QORVA");
  EXPECT_EQ(kwenvar.ProgStem, "qorva");
  EXPECT_EQ(kwenvar.DataExt, "qva");
  EXPECT_TRUE(w.isVisible());
}

}  // namespace
}  // namespace qorva
