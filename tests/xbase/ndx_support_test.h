#pragma once
// Shared by the index tests: the engine with the index module started and field-name keys.

#include <charconv>
#include <memory>
#include <string>

#include "tests/xbase/edit_support_test.h"
#include "tests/xbase/fieldkeys.h"
#include "xbase/xbndx.h"
#include "xbase/xbndxsem.h"

namespace qorva::xbtest {

// The engine and the index module, with field-name keys.
class IndexTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    IndexInit();
    InstallFieldKeys();
  }
  void TearDown() override {
    EngineTest::TearDown();
    xbndx.ExprShape = nullptr;
  }
};

inline std::string Num(int64_t v) { return std::to_string(v); }

}  // namespace qorva::xbtest
