#pragma once
// Shared by the index tests: the engine with the expression and index modules started.

#include <charconv>
#include <memory>
#include <string>

#include "tests/xbase/edit_support_test.h"
#include "xbase/xbndx.h"
#include "xbase/xbndxsem.h"
#include "xbase/xbparser.h"

namespace qorva::xbtest {

// The engine with expressions and indexes.
class IndexTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    InitXbparser();
    IndexInit();
  }
};

inline std::string Num(int64_t v) { return std::to_string(v); }

}  // namespace qorva::xbtest
