// The choice prompt: entries, preselection and cancel.
#include "foundation/choiceprompt.h"

#include <gtest/gtest.h>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/yesnoprompt.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

class ChoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    test::scriptedPrompter().clear();
  }
  void TearDown() override {
    EXPECT_EQ(test::scriptedPrompter().pending(), 0u);
    test::scriptedPrompter().clear();
    InitAllSettings();
  }
  static ScriptedPrompter& sp() { return test::scriptedPrompter(); }
};

TEST_F(ChoiceTest, OffersTheEntriesAndPreselectsAValidIndex) {
  const std::vector<std::string> entries = {"Bildschirm", "Dr\x81" "cker", "Datei"};
  struct Case {
    uint16_t index;
    int preselect;  // 0-based as the dialog gets it
  };
  for (const Case c : {Case{0, 0}, Case{1, 0}, Case{3, 2}, Case{4, 0}, Case{65535, 0}}) {
    SCOPED_TRACE(c.index);
    sp().clear();
    sp().push(1);
    uint16_t index = c.index;
    EXPECT_TRUE(AskChoice("Ausgabe auf", entries, index));
    ASSERT_EQ(sp().asked().size(), 1u);
    EXPECT_EQ(sp().asked()[0].preselect, c.preselect);
    EXPECT_EQ(sp().asked()[0].entries, (std::vector<std::string>{"Bildschirm", "Drücker", "Datei"}));
    EXPECT_EQ(index, 2);
  }
}

TEST_F(ChoiceTest, CancelKeepsTheIndexAndSetsTheFlag) {
  uint16_t index = 3;
  sp().push(Cancel{});
  EXPECT_FALSE(AskChoice("p", std::vector<std::string>(5, "x"), index));
  EXPECT_EQ(index, 3);
  EXPECT_TRUE(programState.ErrorFlag);
}

TEST_F(ChoiceTest, EveryEntryOfALongListIsOffered) {
  std::vector<std::string> entries;
  for (int i = 1; i <= 200; ++i) entries.push_back("Eintrag " + std::to_string(i));
  uint16_t index = 1;
  sp().push(199);
  EXPECT_TRUE(AskChoice("p", entries, index));
  EXPECT_EQ(sp().asked()[0].entries.size(), 200u);
  EXPECT_EQ(index, 200);
}

TEST_F(ChoiceTest, YesNoAnswersAndPresets) {
  char answer = 'n';
  sp().push(true);
  AskYesNo("Speichern?", answer);
  EXPECT_EQ(sp().asked()[0].preset, "N");  // 'n' preselects "&Nein"
  EXPECT_EQ(answer, 'J');

  sp().push(Cancel{});
  AskYesNo("Speichern?", answer);
  EXPECT_EQ(answer, 'J');
  EXPECT_TRUE(programState.ErrorFlag);

  programState.ErrorFlag = false;
  bool value = true;
  sp().push(false);
  AskYesNoBool("b", value);
  EXPECT_FALSE(value);
  sp().push(Cancel{});
  AskYesNoBool("b", value);
  EXPECT_FALSE(value);
  EXPECT_EQ(sp().asked().back().preset, "N");
}

TEST_F(ChoiceTest, YesNoCancelBox) {
  programState.ProgTitle = "QORVA \x84";
  struct Case {
    YesNoCancel answer;
    bool result, flag;
  };
  for (const Case c : {Case{YesNoCancel::Yes, true, false}, Case{YesNoCancel::No, false, false},
                       Case{YesNoCancel::Cancel, false, true}}) {
    programState.ErrorFlag = false;
    sp().clear();
    sp().push(c.answer);
    EXPECT_EQ(AskYesNoCancelB("Datei \x81" "berschreiben?"), c.result);
    EXPECT_EQ(programState.ErrorFlag, c.flag);
    EXPECT_EQ(sp().asked()[0].caption, "QORVA ä");
    EXPECT_EQ(sp().asked()[0].text, "Datei überschreiben?");
  }
}

}  // namespace
}  // namespace qorva
