// the error-message list.
#include "foundation/errorlist.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/programstate.h"
#include "foundation/settings.h"

namespace qorva {
namespace {

class ErrorListTest : public ::testing::Test {
 protected:
  void SetUp() override { InitAllSettings(); }
  void TearDown() override { InitAllSettings(); }
};

TEST_F(ErrorListTest, StartsEmpty) {
  EXPECT_EQ(errorList.ErrorCount, 0);
  for (int i = 1; i <= 12; ++i) EXPECT_EQ(errorList.ErrorMsgs[i], "");
}

TEST_F(ErrorListTest, AddsInOrderOfArrival) {
  AddErrorMsg("Warnung: a");
  AddErrorMsg("Fehler : b");
  ASSERT_EQ(errorList.ErrorCount, 2);
  EXPECT_EQ(errorList.ErrorMsgs[1], "Warnung: a");
  EXPECT_EQ(errorList.ErrorMsgs[2], "Fehler : b");
}

TEST_F(ErrorListTest, EqualTextIsNotAddedTwice) {
  struct Case {
    const char* first;
    const char* second;
    int count;
  };
  const Case cases[] = {
      {"Warnung: x", "Warnung: x", 1},
      {"Warnung: x", "warnung: x", 2},   // case-sensitive
      {"Warnung: x", "Warnung: x ", 2},  // whole text
      {"", "", 1},
  };
  for (const Case& c : cases) {
    InitAllSettings();
    AddErrorMsg(c.first);
    AddErrorMsg(c.second);
    EXPECT_EQ(errorList.ErrorCount, c.count) << c.first << "|" << c.second;
  }
}

TEST_F(ErrorListTest, ThirteenthDistinctTextIsDropped) {
  for (int i = 1; i <= 13; ++i) AddErrorMsg("Warnung: " + std::to_string(i));
  ASSERT_EQ(errorList.ErrorCount, 12);
  for (int i = 1; i <= 12; ++i) EXPECT_EQ(errorList.ErrorMsgs[i], "Warnung: " + std::to_string(i));
  AddErrorMsg("Warnung: 14");
  AddErrorMsg("Warnung: 3");
  EXPECT_EQ(errorList.ErrorCount, 12);
  EXPECT_EQ(errorList.ErrorMsgs[12], "Warnung: 12");
}

TEST_F(ErrorListTest, AFatalTextSetsFatalErrorOthersDoNot) {
  AddErrorMsg("Fehler : t < tmin !");
  AddErrorMsg("Warnung: n < 10 !");
  EXPECT_FALSE(programState.FatalError);
  AddErrorMsg("Fatal  : De = 0 !");
  EXPECT_EQ(errorList.ErrorCount, 3);
  EXPECT_TRUE(programState.FatalError);
  EXPECT_FALSE(programState.ErrorFlag);
}

TEST_F(ErrorListTest, AFatalTextDroppedFromAFullListStillSetsFatalError) {
  for (int i = 1; i <= 12; ++i) AddErrorMsg("Warnung: " + std::to_string(i));
  AddErrorMsg("Fatal  : b/t <= 0 !");
  EXPECT_EQ(errorList.ErrorCount, 12);
  EXPECT_TRUE(programState.FatalError);
}

TEST_F(ErrorListTest, ClearErrorsAfterFatalClearsBothFlagsAndKeepsTexts) {
  AddErrorMsg("Fatal  : De = 0 !");
  programState.FatalError = true;
  programState.ErrorFlag = true;
  ClearErrors();
  EXPECT_EQ(errorList.ErrorCount, 0);
  EXPECT_FALSE(programState.FatalError);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(errorList.ErrorMsgs[1], "Fatal  : De = 0 !");  // left in place, not read any more
  // After clearing, a text equal to an old entry is added again.
  AddErrorMsg("Fatal  : De = 0 !");
  EXPECT_EQ(errorList.ErrorCount, 1);
}

TEST_F(ErrorListTest, ClearErrorListEmptiesAllEntries) {
  AddErrorMsg("Warnung: a");
  programState.ErrorFlag = true;
  ClearErrorList();
  EXPECT_EQ(errorList.ErrorCount, 0);
  EXPECT_EQ(errorList.ErrorMsgs[1], "");
  EXPECT_TRUE(programState.ErrorFlag);  // not its business
}

TEST_F(ErrorListTest, CountAboveTwelveIsNeverReadBeyondTheList) {
  errorList.ErrorCount = 40;  // corrupted by a caller
  AddErrorMsg("Warnung: z");
  EXPECT_EQ(errorList.ErrorCount, 12);
}

}  // namespace
}  // namespace qorva
