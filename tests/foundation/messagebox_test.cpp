// Message boxes, help topic, window title, text screen and the user's data folder.
#include "foundation/messagebox.h"
#include "platform/services.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/textscreen.h"
#include "foundation/desktopsettings.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitMessageBox();
    test::scriptedPrompter().clear();
  }
  void TearDown() override {
    EXPECT_EQ(test::scriptedPrompter().pending(), 0u);
    test::scriptedPrompter().clear();
    services().ShowHelpText = nullptr;
    InitMessageBox();
    InitAllSettings();
  }
  static ScriptedPrompter& sp() { return test::scriptedPrompter(); }
};

TEST_F(MessageBoxTest, CaptionsNameTheKind) {
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
  EXPECT_FALSE(programState.ErrorFlag);
}

TEST_F(MessageBoxTest, ReportErrorIsSilentWhileErrorsAreHiddenAndNeverSetsTheFlag) {
  programState.ShowErrors = false;
  ReportError("verborgen");
  EXPECT_TRUE(sp().asked().empty());
  programState.ShowErrors = true;
  ReportError("sichtbar");
  ASSERT_EQ(sp().asked().size(), 1u);
  EXPECT_EQ(sp().asked()[0].caption, "Fehler : ");
  EXPECT_EQ(sp().asked()[0].text, "sichtbar");
  EXPECT_FALSE(programState.ErrorFlag);
}

TEST_F(MessageBoxTest, LongMessagesAreShownWhole) {
  const std::string text(400, 'x');
  ShowErrorBox(text);
  EXPECT_EQ(sp().asked().at(0).text, text);
}

TEST_F(MessageBoxTest, HelpGoesToTheInstalledHookWithTheCurrentTopic) {
  ShowHelpText(0, "", 1);  // no hook yet: nothing happens
  std::vector<std::pair<uint16_t, uint16_t>> calls;
  services().ShowHelpText = [&](uint16_t topic, uint16_t mode) { calls.emplace_back(topic, mode); };
  SetPromptHelp(3055);
  EXPECT_EQ(messageBox.HelpTopic, 3055);
  ShowHelpText(0, "", 1);
  ShowHelpText(9590, "", 2);
  EXPECT_EQ(calls, (std::vector<std::pair<uint16_t, uint16_t>>{{3055, 1}, {9590, 2}}));
  EXPECT_EQ(messageBox.HelpTopic, 3055);
}

TEST_F(MessageBoxTest, WindowTitle) {
  programState.ProgTitle = "K W E N D A L \x84";
  programState.DataExt = "qva";
  struct Case {
    const char* name;
    const char* title;
  };
  for (const Case c : {Case{"spring", "K W E N D A L ä  -  spring.qva"},
                       Case{"/data/feder.alt", "K W E N D A L ä  -  /data/feder.alt"},
                       Case{"/home/u/.cache/feder", "K W E N D A L ä  -  /home/u/.cache/feder.qva"},
                       Case{"", "K W E N D A L ä"}}) {
    sp().clear();
    programState.CurrentFileName = c.name;
    std::string title = "old";
    SetAppTitle(title);
    EXPECT_EQ(title, c.title);
    ASSERT_EQ(sp().asked().size(), 1u);
    EXPECT_EQ(sp().asked()[0].kind, AskKind::AppTitle);
    EXPECT_EQ(sp().asked()[0].text, c.title);
  }
}

TEST_F(MessageBoxTest, TextScreenShowsTheLinesGiven) {
  programState.ProgName = "QORVA";
  ShowTextScreen({"erste \x81", "", "letzte"});
  ASSERT_EQ(sp().asked().size(), 1u);
  const AskRecord& r = sp().asked()[0];
  EXPECT_EQ(r.kind, AskKind::TextScreen);
  EXPECT_EQ(r.caption, "QORVA");
  EXPECT_EQ(r.entries, (std::vector<std::string>{"erste ü", "", "letzte"}));
}

// The login changes the current folder; every case puts it back.
class UserLoginTest : public MessageBoxTest {
 protected:
  void SetUp() override {
    MessageBoxTest::SetUp();
    start_ = std::filesystem::current_path();
    std::filesystem::create_directories(dir_ / "anna");
    test::writeFile(dir_ / "datei", "x");
    desktopSettings.DefaultDataDir = dir_.path().string() + "/";
    programState.DataDir = "vorher";
  }
  void TearDown() override {
    std::filesystem::current_path(start_);
    MessageBoxTest::TearDown();
  }
  std::filesystem::path start_;
  test::ScratchDir dir_;
};

TEST_F(UserLoginTest, AcceptsAFolderOfTheDefaultDataFolder) {
  sp().push(std::string("anna"));
  EXPECT_TRUE(UserLogin());
  EXPECT_EQ(programState.DataDir, "anna");
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(std::filesystem::current_path(), dir_.path());
  EXPECT_EQ(messageBox.HelpTopic, 1120);
  ASSERT_EQ(sp().asked().size(), 1u);
  EXPECT_EQ(sp().asked()[0].text, "Passwort (User) eingeben ...");
  EXPECT_EQ(sp().asked()[0].preset, "");
  EXPECT_EQ(sp().asked()[0].preselect, 8);
}

TEST_F(UserLoginTest, RefusesEverythingButAPlainFolderNameAndReturns) {
  for (const char* answer : {"", "..", ".", "\\", "/", "c:", "c:anna", "anna/..", "../anna", "fehlt", "datei"}) {
    SCOPED_TRACE(answer);
    sp().clear();
    programState.ErrorFlag = false;
    sp().push(std::string(answer));
    EXPECT_FALSE(UserLogin());
    EXPECT_TRUE(programState.ErrorFlag);
    EXPECT_EQ(programState.DataDir, "vorher");
    ASSERT_EQ(sp().asked().size(), 2u);
    EXPECT_EQ(sp().asked()[1].text, std::string("Ungültiges Passwort ") + answer + " !");
  }
}

TEST_F(UserLoginTest, CancelReturnsWithTheFlagAndDemoPresetsItsFolder) {
  programState.DemoRun = true;
  sp().push(Cancel{});
  EXPECT_FALSE(UserLogin());
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(sp().asked().size(), 1u);
  EXPECT_EQ(sp().asked()[0].preset, "MOLVA");
  EXPECT_EQ(programState.DataDir, "vorher");
}

TEST_F(UserLoginTest, MissingDefaultFolderIsReportedAndNoAnswerAccepted) {
  desktopSettings.DefaultDataDir = (dir_ / "weg").string() + "/";
  // The program stands in the folder that holds anna: still no folder of the default one.
  std::filesystem::current_path(dir_.path());
  sp().push(std::string("anna"));
  EXPECT_FALSE(UserLogin());
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(programState.DataDir, "vorher");
  ASSERT_EQ(sp().asked().size(), 3u);
  EXPECT_EQ(sp().asked()[1].text, "Invalid Directory " + desktopSettings.DefaultDataDir);
  EXPECT_EQ(sp().asked()[2].text, "Ung\xC3\xBCltiges Passwort anna !");
}

}  // namespace
}  // namespace qorva
