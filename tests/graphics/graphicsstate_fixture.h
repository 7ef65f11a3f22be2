#pragma once
// The graphics kernel at its start values, its form created and a window of 640 by 480, shared by
// the kernel's tests.

#include <gtest/gtest.h>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "graphics/graphicsstate.h"
#include "tests/support/testsupport.h"

namespace qorva::test {

class GraphicsStateFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitGraphicsState();
    GraphicsWindowCreate();
    programState.GraphResX = 640;
    programState.GraphResY = 480;
    scriptedPrompter().clear();
  }
  void TearDown() override {
    InitGraphicsState();
    InitAllSettings();
    scriptedPrompter().clear();
  }
};

}  // namespace qorva::test
