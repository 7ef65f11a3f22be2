#pragma once
// The graphics kernel at its start values, its form created and a window of 640 by 480, shared by
// the kernel's tests.

#include <gtest/gtest.h>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "graphics/kwengraf.h"
#include "tests/support/testsupport.h"

namespace qorva::test {

class KwengrafFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitKwengraf();
    KwengrafFormCreate();
    programState.GraphResX = 640;
    programState.GraphResY = 480;
    scriptedPrompter().clear();
  }
  void TearDown() override {
    InitKwengraf();
    InitAllSettings();
    scriptedPrompter().clear();
  }
};

}  // namespace qorva::test
