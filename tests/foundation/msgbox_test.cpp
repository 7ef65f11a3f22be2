// Message boxes, help topic, window title, text screen and the user's data folder.
#include "foundation/msgbox.h"
#include "platform/services.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "foundation/kwenvar.h"
#include "foundation/settings.h"
#include "foundation/showscr.h"
#include "foundation/wkwenvar.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

class MsgboxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitMsgbox();
    test::scriptedPrompter().clear();
  }
  void TearDown() override {
    EXPECT_EQ(test::scriptedPrompter().pending(), 0u);
    test::scriptedPrompter().clear();
    services().ShowHelpText = nullptr;
    InitMsgbox();
    InitAllSettings();
  }
  static ScriptedPrompter& sp() { return test::scriptedPrompter(); }
};

TEST_F(MsgboxTest, CaptionsNameTheKind) {
  ShowMessageKind("a", 12);
  ShowMessageKind("b", 3);
  ShowNoticeBox("c");
  ShowInfoBox("\x84");
  ShowErrorBox("e");
  ShowMessageCaption("Titel \x94", "f");
  ShowDosMessage("g");
  SilentMessage("nothing shown");
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Fehler : ", "a"}, {"Hilfe", "b"}, {"Meldung:", "c"}, {"Meldung:", "ä"},
      {"Fehler : ", "e"}, {"Titel ö", "f"}, {"", "g"}};
  ASSERT_EQ(sp().asked().size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(sp().asked()[i].kind, AskKind::Message);
    EXPECT_EQ(sp().asked()[i].caption, expected[i].first);
    EXPECT_EQ(sp().asked()[i].text, expected[i].second);
  }
  EXPECT_FALSE(kwenvar.ErrorFlag);
}

TEST_F(MsgboxTest, ReportErrorIsSilentWhileErrorsAreHiddenAndNeverSetsTheFlag) {
  kwenvar.ShowErrors = false;
  ReportError("verborgen");
  EXPECT_TRUE(sp().asked().empty());
  kwenvar.ShowErrors = true;
  ReportError("sichtbar");
  ASSERT_EQ(sp().asked().size(), 1u);
  EXPECT_EQ(sp().asked()[0].caption, "Fehler : ");
  EXPECT_EQ(sp().asked()[0].text, "sichtbar");
  EXPECT_FALSE(kwenvar.ErrorFlag);
}

TEST_F(MsgboxTest, LongMessagesAreShownWhole) {
  const std::string text(400, 'x');
  ShowErrorBox(text);
  EXPECT_EQ(sp().asked().at(0).text, text);
}

TEST_F(MsgboxTest, HelpGoesToTheInstalledHookWithTheCurrentTopic) {
  ShowHelpText(0, "", 1);  // no hook yet: nothing happens
  std::vector<std::pair<uint16_t, uint16_t>> calls;
  services().ShowHelpText = [&](uint16_t topic, uint16_t mode) { calls.emplace_back(topic, mode); };
  SetPromptHelp(3055);
  EXPECT_EQ(msgbox.HelpTopic, 3055);
  ShowHelpText(0, "", 1);
  ShowHelpText(9590, "", 2);
  EXPECT_EQ(calls, (std::vector<std::pair<uint16_t, uint16_t>>{{3055, 1}, {9590, 2}}));
  EXPECT_EQ(msgbox.HelpTopic, 3055);
}

TEST_F(MsgboxTest, WindowTitle) {
  kwenvar.ProgTitle = "K W E N D A L \x84";
  kwenvar.DataExt = "qva";
  struct Case {
    const char* name;
    const char* title;
  };
  for (const Case c : {Case{"spring", "K W E N D A L ä  -  spring.qva"},
                       Case{"/data/feder.alt", "K W E N D A L ä  -  /data/feder.alt"},
                       Case{"/home/u/.cache/feder", "K W E N D A L ä  -  /home/u/.cache/feder.qva"},
                       Case{"", "K W E N D A L ä"}}) {
    sp().clear();
    kwenvar.CurrentFileName = c.name;
    std::string title = "old";
    SetAppTitle(title);
    EXPECT_EQ(title, c.title);
    ASSERT_EQ(sp().asked().size(), 1u);
    EXPECT_EQ(sp().asked()[0].kind, AskKind::AppTitle);
    EXPECT_EQ(sp().asked()[0].text, c.title);
  }
}

TEST_F(MsgboxTest, TextScreenShowsTheLinesGiven) {
  kwenvar.ProgName = "QORVA";
  ShowTextScreen({"erste \x81", "", "letzte"});
  ASSERT_EQ(sp().asked().size(), 1u);
  const AskRecord& r = sp().asked()[0];
  EXPECT_EQ(r.kind, AskKind::TextScreen);
  EXPECT_EQ(r.caption, "QORVA");
  EXPECT_EQ(r.entries, (std::vector<std::string>{"erste ü", "", "letzte"}));
}

// The login changes the current folder; every case puts it back.
class UserLoginTest : public MsgboxTest {
 protected:
  void SetUp() override {
    MsgboxTest::SetUp();
    start_ = std::filesystem::current_path();
    std::filesystem::create_directories(dir_ / "anna");
    test::writeFile(dir_ / "datei", "x");
    wkwenvar.DefaultDataDir = dir_.path().string() + "/";
    kwenvar.DataDir = "vorher";
  }
  void TearDown() override {
    std::filesystem::current_path(start_);
    MsgboxTest::TearDown();
  }
  std::filesystem::path start_;
  test::ScratchDir dir_;
};

TEST_F(UserLoginTest, AcceptsAFolderOfTheDefaultDataFolder) {
  sp().push(std::string("anna"));
  EXPECT_TRUE(UserLogin());
  EXPECT_EQ(kwenvar.DataDir, "anna");
  EXPECT_FALSE(kwenvar.ErrorFlag);
  EXPECT_EQ(std::filesystem::current_path(), dir_.path());
  EXPECT_EQ(msgbox.HelpTopic, 1120);
  ASSERT_EQ(sp().asked().size(), 1u);
  EXPECT_EQ(sp().asked()[0].text, "Passwort (User) eingeben ...");
  EXPECT_EQ(sp().asked()[0].preset, "");
  EXPECT_EQ(sp().asked()[0].preselect, 8);
}

TEST_F(UserLoginTest, RefusesEverythingButAPlainFolderNameAndReturns) {
  for (const char* answer : {"", "..", ".", "\\", "/", "c:", "c:anna", "anna/..", "../anna", "fehlt", "datei"}) {
    SCOPED_TRACE(answer);
    sp().clear();
    kwenvar.ErrorFlag = false;
    sp().push(std::string(answer));
    EXPECT_FALSE(UserLogin());
    EXPECT_TRUE(kwenvar.ErrorFlag);
    EXPECT_EQ(kwenvar.DataDir, "vorher");
    ASSERT_EQ(sp().asked().size(), 2u);
    EXPECT_EQ(sp().asked()[1].text, std::string("Ungültiges Passwort ") + answer + " !");
  }
}

TEST_F(UserLoginTest, CancelReturnsWithTheFlagAndDemoPresetsItsFolder) {
  kwenvar.DemoRun = true;
  sp().push(Cancel{});
  EXPECT_FALSE(UserLogin());
  EXPECT_TRUE(kwenvar.ErrorFlag);
  EXPECT_EQ(sp().asked().size(), 1u);
  EXPECT_EQ(sp().asked()[0].preset, "MOLVA");
  EXPECT_EQ(kwenvar.DataDir, "vorher");
}

TEST_F(UserLoginTest, MissingDefaultFolderIsReportedAndNoAnswerAccepted) {
  wkwenvar.DefaultDataDir = (dir_ / "weg").string() + "/";
  // The program stands in the folder that holds anna: still no folder of the default one.
  std::filesystem::current_path(dir_.path());
  sp().push(std::string("anna"));
  EXPECT_FALSE(UserLogin());
  EXPECT_TRUE(kwenvar.ErrorFlag);
  EXPECT_EQ(kwenvar.DataDir, "vorher");
  ASSERT_EQ(sp().asked().size(), 3u);
  EXPECT_EQ(sp().asked()[1].text, "Invalid Directory " + wkwenvar.DefaultDataDir);
  EXPECT_EQ(sp().asked()[2].text, "Ung\xC3\xBCltiges Passwort anna !");
}

}  // namespace
}  // namespace qorva
