#pragma once
// Shared by the index tests: the engine with the expression and index modules started.

#include <charconv>
#include <memory>
#include <string>

#include "tests/xbase/edit_support_test.h"
#include "xbase/ndxengine.h"
#include "xbase/indexsemaphore.h"
#include "xbase/expressionparser.h"

namespace qorva::xbtest {

// The engine with expressions and indexes.
class IndexTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    InitExpressionParser();
    IndexInit();
  }
};

inline std::string Num(int64_t v) { return std::to_string(v); }

}  // namespace qorva::xbtest
