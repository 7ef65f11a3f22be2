#pragma once
// A small table for the expression tests and helpers that compile, evaluate and show results.

#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/testsupport.h"
#include "tests/xbase/dbfimage_test.h"
#include "xbase/workareas.h"
#include "xbase/enginestate.h"
#include "xbase/engine.h"
#include "xbase/expressionevaluator.h"
#include "xbase/keyutil.h"
#include "xbase/nationaldates.h"
#include "xbase/expressionparser.h"

namespace qorva::test {

// NAME C10, PRICE N10.2, QTY N5, BORN D, OK L, NOTE M, DATE D. Stored in the DOS code page:
// "\x81" is u-umlaut.
inline const std::vector<FieldDef> kPeopleFields{{"NAME", 'C', 10, 0}, {"PRICE", 'N', 10, 2}, {"QTY", 'N', 5, 0},
                                                 {"BORN", 'D', 8, 0},  {"OK", 'L', 1, 0},     {"NOTE", 'M', 10, 0},
                                                 {"DATE", 'D', 8, 0}};
inline const std::vector<std::string> kPeopleRecords{
    " Smith          12.50    319800115T         720240131",
    "*jones          -1.00   -7        N         019991231",
    " M\x81ller       1234.56    020000229y          20240107",
};

class ExprTest : public ::testing::Test {
 protected:
  void SetUp() override {
    XbStartEngine();
    engineState.XbReportErrors = false;
    nationalDates.XbDateFormat = 5;
    nationalDates.CenturyDates = true;
    scriptedPrompter().clear();
    writeFile(dir_ / "people.dbf", makeDbf(kPeopleFields, kPeopleRecords));
    writeFile(dir_ / "empty.dbf", makeDbf(kPeopleFields, {}));
    Select(1);
    USE(path("people"));
    EXPECT_EQ(engineState.XbErrorCode, 0);
  }
  void TearDown() override {
    for (auto& b : expressionParser.LiveBlocks) ADD_FAILURE() << "block left alive: " << b->ExprText;
    expressionParser.LiveBlocks.clear();
    XbStopEngine();
    InitNationalDates();
    XbSetErrorReport(true);
  }


 public:
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  // The error code and context pending after a failed compilation (both taken).
  std::pair<uint16_t, std::string> error() {
    const uint16_t code = engineState.XbErrorCode;
    engineState.XbErrorCode = 0;
    return {code, XbTakeErrorContext()};
  }

  // The result of a block as "<type>:<value>": C and M the text, N the shortest number, L T or F,
  // D the stored date.
  static std::string Show(TExprControlBlock& b) {
    void* r = Evaluate(&b);
    switch (b.ResultType) {
      case 'C':
      case 'M': return std::string(1, b.ResultType) + ":" + static_cast<const char*>(r);
      case 'L': return std::string("L:") + (*static_cast<const char*>(r) ? "T" : "F");
      case 'D': return "D:" + JulianToDbfDate(*static_cast<const double*>(r));
      default: {
        char buf[64];
        auto e = std::to_chars(buf, buf + sizeof buf, *static_cast<const double*>(r));
        return "N:" + std::string(buf, e.ptr);
      }
    }
  }

  // Compiles, evaluates on the current record and frees; "error" when it does not compile.
  std::string Eval(const std::string& text) {
    TExprHolder b(AssignExpr(text));
    if (!b) {
      error();
      return "error";
    }
    return Show(*b.get());
  }

  ScratchDir dir_;
};

}  // namespace qorva::test
