// The input sequence for a new spring, its steps scripted: where a cancel ends it, whether the spring
// is calculated then, and the choice between pre-design and recalculation in the menu's language.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "shell/ui/inputforms.h"
#include "shell/menutexts.h"
#include "spring/calculation.h"
#include "spring/spring.h"
#include "tests/spring/springfixture.h"

namespace qorva {
namespace {

class InputSequenceTest : public test::SpringTest {
 protected:
  void SetUp() override {
    SpringTest::SetUp();
    useTableEndingInStartMaterial();
    InitMenuTexts();
    open_ = NewSpring();
    ASSERT_TRUE(LoadMaterialByNumber(open_.family, open_.family.MaterialNumber));
    services().ShowCalcMessages = [this] { ++messagesShown; };
    programState.ErrorFlag = false;
    programState.InputModified = false;
    open_.product.StripLength = -1;  // a result only a calculation sets again
    ran.clear();
    messagesShown = 0;
  }
  void TearDown() override {
    InitMenuTexts();
    SpringTest::TearDown();
  }

  // Each step records itself; the step named cancelAt is cancelled.
  InputSteps Scripted(const std::string& cancelAt) {
    auto step = [this, cancelAt](const std::string& name) {
      return [this, cancelAt, name] {
        ran.push_back(name);
        if (name == "material") SetPromptHelp(4900);  // as the material table leaves it
        if (name == cancelAt) programState.ErrorFlag = true;
      };
    };
    auto text = [this, cancelAt, run = step("text")] {
      run();
      return cancelAt == "text" ? Outcome::Cancelled : Outcome::Done;
    };
    return InputSteps{text, step("material"), step("application"), step("pre"), step("geo")};
  }

  bool Calculated() const { return open_.product.StripLength > 0; }

  // The spring the sequence edits and calculates.
  Spring open_;
  std::vector<std::string> ran;
  int messagesShown = 0;
};

TEST_F(InputSequenceTest, WhereACancelEndsTheSequence) {
  struct Case {
    const char* name;
    const char* cancelAt;  // a step's name, "choice" for the question, "" for none
    int chosen;            // 0 pre-design, 1 recalculation, -1 not asked
    std::vector<std::string> ran;
    Outcome outcome;
    bool errorFlag;
    bool calculated;
    int messages;
    bool modified;
  };
  const std::vector<std::string> upToChoice = {"text", "material", "application"};
  auto with = [&](const char* last) {
    std::vector<std::string> v = upToChoice;
    v.push_back(last);
    return v;
  };
  const Case cases[] = {
      {"drawing texts cancelled", "text", -1, {"text"}, Outcome::Cancelled, true, false, 0, false},
      {"material cancelled", "material", -1, {"text", "material"}, Outcome::Done, false, true, 0, false},
      {"application cancelled", "application", -1, upToChoice, Outcome::Done, false, true, 0, false},
      {"choice cancelled", "choice", 0, upToChoice, Outcome::Done, false, true, 0, false},
      {"pre-design cancelled", "pre", 0, with("pre"), Outcome::Done, false, true, 0, false},
      {"dimensions cancelled", "geo", 1, with("geo"), Outcome::Done, false, true, 0, false},
      {"through the pre-design", "", 0, with("pre"), Outcome::Done, false, true, 1, true},
      {"through the dimensions", "", 1, with("geo"), Outcome::Done, false, true, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (std::string(c.cancelAt) == "choice") test::scriptedPrompter().push(Cancel{});
    else if (c.chosen >= 0) test::scriptedPrompter().push(c.chosen);
    EXPECT_EQ(InputSequence(open_, Scripted(c.cancelAt)), c.outcome);
    EXPECT_EQ(ran, c.ran);
    EXPECT_EQ(programState.ErrorFlag, c.errorFlag);
    EXPECT_EQ(Calculated(), c.calculated);
    EXPECT_EQ(messagesShown, c.messages);
    EXPECT_EQ(programState.InputModified, c.modified);
    EXPECT_EQ(test::scriptedPrompter().pending(), 0u) << "the choice is asked exactly when reached";
    TearDown();
  }
}

TEST_F(InputSequenceTest, TheChoiceOffersTheMenuCaptionsOfTheLanguage) {
  struct Case {
    int32_t language;
    std::string preDesign, recalculation;  // UTF-8, as shown
  };
  const Case cases[] = {
      {LangGerman, "&Vorauslegung", "&Nachrechnung"},
      {LangEnglish, "&Pre-Dimensioning", "&Recalculation"},
      {LangFrench, "&Pr\u00e9dimensionnement", "&Recalcul"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    SetUp();
    ASSERT_TRUE(SetMenuTexts(c.language));
    test::scriptedPrompter().push(1);
    InputSequence(open_, Scripted(""));
    ASSERT_EQ(test::scriptedPrompter().asked().size(), 1u);
    const AskRecord& asked = test::scriptedPrompter().asked()[0];
    EXPECT_EQ(asked.kind, AskKind::Choice);
    EXPECT_EQ(asked.text, "");
    EXPECT_EQ(asked.entries, (std::vector<std::string>{c.preDesign, c.recalculation}));
    EXPECT_EQ(asked.preselect, 0) << "starts on the pre-design";
    EXPECT_EQ(ran.back(), "geo");
    TearDown();
  }
}

// The Korean and Chinese captions have no DOS characters; the choice still shows them.
TEST_F(InputSequenceTest, KoreanCaptionsKeepTheirCharacters) {
  ASSERT_TRUE(SetMenuTexts(LangKorean));
  test::scriptedPrompter().push(0);
  InputSequence(open_, Scripted(""));
  ASSERT_EQ(test::scriptedPrompter().asked().size(), 1u);
  const std::vector<std::string>& entries = test::scriptedPrompter().asked()[0].entries;
  EXPECT_EQ(entries[0], MenuCaptionUtf8(menuTexts.MenuTextPreDesign));
  EXPECT_EQ(entries[0].find('?'), std::string::npos);
  EXPECT_EQ(ran.back(), "pre");
}

// The choice's help buttons show its own topic (text and picture of pre-design and recalculation),
// not the one the material table left.
TEST_F(InputSequenceTest, TheChoiceHasItsOwnHelpTopic) {
  uint16_t topicAtChoice = 0;
  InputSteps steps = Scripted("");
  steps.selectMaterial = [] { SetPromptHelp(9590); };
  steps.preDesign = [&topicAtChoice] { topicAtChoice = messageBox.HelpTopic; };
  test::scriptedPrompter().push(0);
  InputSequence(open_, steps);
  EXPECT_EQ(topicAtChoice, 9000);
}

}  // namespace
}  // namespace qorva
