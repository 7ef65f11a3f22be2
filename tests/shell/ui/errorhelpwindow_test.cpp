// The error-help window: it shows a message with cause and remedy, OK asks before saving only what
// was edited, the close box neither asks nor saves, and the help button shows its topic as text.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "foundation/datafolder.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "platform/services.h"
#include "shell/errorhelp.h"
#include "shell/ui/errorhelpwindow.h"
#include "tests/support/testsupport.h"
#include "tests/support/ui/nextmodal.h"

namespace qorva {
namespace {

using test::scriptedPrompter;

const std::string File = "Warnung: t > b !\r\nt gr\x94\xe1" "er b\r\nt und b tauschen\r\n";

class ErrorHelpWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    programState.ProgStem = "qorva";
    programState.PltDir = dir.path().string();
    test::writeFile(dir / "qorva.err", File);
    scriptedPrompter().clear();
  }
  void TearDown() override {
    InitAllSettings();
    scriptedPrompter().clear();
  }
  // Shows the record of the file's message and lets act work the window; the window's outcome.
  Outcome Show(std::function<void(ErrorHelpWindow*)> act) {
    test::OnNextModalOf<QDialog>([act](QDialog* d) {
      auto* w = dynamic_cast<ErrorHelpWindow*>(d);
      ASSERT_NE(w, nullptr) << "another window came up";
      act(w);
    });
    return ShowErrorHelpWindow("Warnung: t > b !", "t gr\x94\xe1" "er b", "t und b tauschen");
  }
  std::string Read() const { return test::readFile(dir / "qorva.err"); }
  test::ScratchDir dir;
};

TEST_F(ErrorHelpWindowTest, ShowsTheTextsAndClosesWithoutQuestionWhenNothingWasEdited) {
  Show([](ErrorHelpWindow* w) {
    EXPECT_EQ(w->windowTitle(), "Fehlermeldung");
    EXPECT_EQ(w->messageEdit->text(), "Warnung: t > b !");
    EXPECT_TRUE(w->messageEdit->isReadOnly());
    EXPECT_EQ(w->causeTextEdit->toPlainText(), "t größer b");
    EXPECT_EQ(w->remedyTextEdit->toPlainText(), "t und b tauschen");
    EXPECT_FALSE(w->ErrorHelpModified) << "filling the memos is no edit";
    w->okButton->click();
  });
  EXPECT_TRUE(scriptedPrompter().asked().empty());
  EXPECT_EQ(Read(), File);
  EXPECT_FALSE(programState.ErrorFlag);
}

// OK asks before saving an edit; the save question's Cancel is cancelled, a save that cannot be
// made (the shipped file and no folder for the user's copy) is a failure the user is told.
TEST_F(ErrorHelpWindowTest, OkAsksBeforeSavingAnEdit) {
  struct Case {
    ScriptedAnswer answer;
    bool noCopyFolder;
    bool saved;
    bool flag;
    Outcome outcome;
  };
  const Case cases[] = {{YesNoCancel::No, false, false, false, Outcome::Done},
                        {Cancel{}, false, false, true, Outcome::Cancelled},
                        {YesNoCancel::Yes, true, false, true, Outcome::Failed},
                        {YesNoCancel::Yes, false, true, false, Outcome::Done}};
  for (const Case& c : cases) {
    programState.ErrorFlag = false;
    datafolder.Shipped = c.noCopyFolder ? dir.path().string() : "";
    datafolder.UserCopies.clear();
    scriptedPrompter().clear();
    scriptedPrompter().push(c.answer);
    EXPECT_EQ(Show([](ErrorHelpWindow* w) {
                w->causeTextEdit->setPlainText("Dicke über\nBreite");
                w->okButton->click();
              }),
              c.outcome);
    ASSERT_EQ(scriptedPrompter().asked().size(), c.noCopyFolder ? 2u : 1u);
    EXPECT_EQ(scriptedPrompter().asked()[0].text, "Save Changes ?");
    EXPECT_EQ(programState.ErrorFlag, c.flag);
    EXPECT_EQ(Read(), c.saved ? "Warnung: t > b !\r\nDicke \x81" "ber Breite\r\nt und b tauschen\r\n" : File);
  }
}

TEST_F(ErrorHelpWindowTest, TheCloseBoxNeitherAsksNorSaves) {
  EXPECT_EQ(Show([](ErrorHelpWindow* w) {
              w->remedyTextEdit->setPlainText("anders");
              w->reject();
            }),
            Outcome::Done);
  EXPECT_TRUE(scriptedPrompter().asked().empty());
  EXPECT_EQ(Read(), File);
}

TEST_F(ErrorHelpWindowTest, HelpButtonShowsItsTopicAsText) {
  Services previous = installServices(HeadlessServices());
  std::vector<std::pair<uint16_t, uint16_t>> help;
  services().ShowHelpText = [&help](uint16_t topic, uint16_t mode) { help.emplace_back(topic, mode); };
  Show([](ErrorHelpWindow* w) {
    w->helpButton->click();
    w->reject();
  });
  installServices(std::move(previous));
  EXPECT_EQ(help, (std::vector<std::pair<uint16_t, uint16_t>>{{1970, 1}}));
}

}  // namespace
}  // namespace qorva
