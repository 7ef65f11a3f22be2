// the error-message list.
#include "foundation/error0.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/kwenvar.h"
#include "foundation/settings.h"

namespace qorva {
namespace {

class Error0Test : public ::testing::Test {
 protected:
  void SetUp() override { InitAllSettings(); }
  void TearDown() override { InitAllSettings(); }
};

TEST_F(Error0Test, StartsEmpty) {
  EXPECT_EQ(error0.ErrorCount, 0);
  for (int i = 1; i <= 12; ++i) EXPECT_EQ(error0.ErrorMsgs[i], "");
}

TEST_F(Error0Test, AddsInOrderOfArrival) {
  AddErrorMsg("Warnung: a");
  AddErrorMsg("Fehler : b");
  ASSERT_EQ(error0.ErrorCount, 2);
  EXPECT_EQ(error0.ErrorMsgs[1], "Warnung: a");
  EXPECT_EQ(error0.ErrorMsgs[2], "Fehler : b");
}

TEST_F(Error0Test, EqualTextIsNotAddedTwice) {
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
    EXPECT_EQ(error0.ErrorCount, c.count) << c.first << "|" << c.second;
  }
}

TEST_F(Error0Test, ThirteenthDistinctTextIsDropped) {
  for (int i = 1; i <= 13; ++i) AddErrorMsg("Warnung: " + std::to_string(i));
  ASSERT_EQ(error0.ErrorCount, 12);
  for (int i = 1; i <= 12; ++i) EXPECT_EQ(error0.ErrorMsgs[i], "Warnung: " + std::to_string(i));
  AddErrorMsg("Warnung: 14");
  AddErrorMsg("Warnung: 3");
  EXPECT_EQ(error0.ErrorCount, 12);
  EXPECT_EQ(error0.ErrorMsgs[12], "Warnung: 12");
}

TEST_F(Error0Test, AFatalTextSetsFatalErrorOthersDoNot) {
  AddErrorMsg("Fehler : t < tmin !");
  AddErrorMsg("Warnung: n < 10 !");
  EXPECT_FALSE(kwenvar.FatalError);
  AddErrorMsg("Fatal  : De = 0 !");
  EXPECT_EQ(error0.ErrorCount, 3);
  EXPECT_TRUE(kwenvar.FatalError);
  EXPECT_FALSE(kwenvar.ErrorFlag);
}

TEST_F(Error0Test, AFatalTextDroppedFromAFullListStillSetsFatalError) {
  for (int i = 1; i <= 12; ++i) AddErrorMsg("Warnung: " + std::to_string(i));
  AddErrorMsg("Fatal  : b/t <= 0 !");
  EXPECT_EQ(error0.ErrorCount, 12);
  EXPECT_TRUE(kwenvar.FatalError);
}

TEST_F(Error0Test, ClearErrorsAfterFatalClearsBothFlagsAndKeepsTexts) {
  AddErrorMsg("Fatal  : De = 0 !");
  kwenvar.FatalError = true;
  kwenvar.ErrorFlag = true;
  ClearErrors();
  EXPECT_EQ(error0.ErrorCount, 0);
  EXPECT_FALSE(kwenvar.FatalError);
  EXPECT_FALSE(kwenvar.ErrorFlag);
  EXPECT_EQ(error0.ErrorMsgs[1], "Fatal  : De = 0 !");  // left in place, not read any more
  // After clearing, a text equal to an old entry is added again.
  AddErrorMsg("Fatal  : De = 0 !");
  EXPECT_EQ(error0.ErrorCount, 1);
}

TEST_F(Error0Test, ClearErrorListEmptiesAllEntries) {
  AddErrorMsg("Warnung: a");
  kwenvar.ErrorFlag = true;
  ClearErrorList();
  EXPECT_EQ(error0.ErrorCount, 0);
  EXPECT_EQ(error0.ErrorMsgs[1], "");
  EXPECT_TRUE(kwenvar.ErrorFlag);  // not its business
}

TEST_F(Error0Test, CountAboveTwelveIsNeverReadBeyondTheList) {
  error0.ErrorCount = 40;  // corrupted by a caller
  AddErrorMsg("Warnung: z");
  EXPECT_EQ(error0.ErrorCount, 12);
}

}  // namespace
}  // namespace qorva
