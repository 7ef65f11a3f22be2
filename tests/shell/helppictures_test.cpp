// The help-picture index and browser: reading the index into entries, paging through the
// pictures with a scripted navigator, the edits of the index and the ways a file can be missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/datafolder.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/printsettings.h"
#include "graphics/graphicsstate.h"
#include "platform/services.h"
#include "shell/helppictures.h"
#include "shell/hpglstate.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

using test::scriptedPrompter;

// Each picture draws one line whose end point names it: picture i ends at (i, 0) mm.
std::string PictureDrawing(int i) { return "SP1;PU0,0;PD" + std::to_string(i * 40) + ",0;"; }
std::string LineOf(int i) { return "4;0;0;" + std::to_string(i) + ";0"; }

class HelpPicturesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitGraphicsState();
    GraphicsWindowCreate();
    InitHpglState();
    programState.ProgName = "QORVA";
    programState.ProgStem = "qorva";
    programState.PltDir = dir.path().string();
    for (int i = 1; i <= 3; ++i) test::writeFile(dir / ("bild" + std::to_string(i) + ".plt"), PictureDrawing(i));
    test::writeFile(dir / "null.plt", PictureDrawing(9));
    scriptedPrompter().clear();
    services().HelpPictureNavigator = [this](const HelpPictureNavigatorRequest& r) {
      requests.push_back(r);
      entriesSeen.push_back(r.entries);
      if (navigator.empty()) return HelpPictureNavigatorResult{};
      HelpPictureNavigatorResult next = navigator.front();
      navigator.pop_front();
      return next;
    };
  }
  void TearDown() override {
    services() = HeadlessServices();
    InitGraphicsState();
    InitHpglState();
    InitAllSettings();
    scriptedPrompter().clear();
  }
  void WriteIndex(const std::string& text) { test::writeFile(dir / "qorva.dbh", text); }
  std::string Index() { return test::readFile(dir / "qorva.dbh"); }
 public:
  // The last line drawn.
  std::string LastLine() {
    const std::vector<std::string> list = graphicsState.DisplayList;
    for (auto it = list.rbegin(); it != list.rend(); ++it)
      if (it->rfind("4;", 0) == 0) return *it;
    return "";
  }
 protected:
  static HelpPictureNavigatorResult Act(int32_t action, int32_t selected) { return {false, action, selected}; }

  test::ScratchDir dir;
  std::deque<HelpPictureNavigatorResult> navigator;
  std::vector<HelpPictureNavigatorRequest> requests;
  std::vector<std::vector<std::string>> entriesSeen;
};

const std::string ThreePictures = "\"bild1\",\"Erstes\"\r\n\"bild2\",\"Zweites\"\r\n\"bild3\",\"Drittes\"\r\n";

TEST_F(HelpPicturesTest, IndexLinesBecomeEntries) {
  struct Case {
    std::string line;
    std::string entry;
    std::string picture;
    int errors;
  };
  const Case cases[] = {
      {"\"start\",\"Startbild\"", "start   : Startbild", "start", 0},
      {"\"LangerName\",\"Info\"", "LangerNa: Info", "langerna", 0},
      {"\"a b\",\"x\" rest", "a b     : x", "ab", 0},
      {"bild,\"Ohne\"", "bild,   : Ohne", "bild,", 2},
      {"", "        : ", "", 2},
  };
  for (const Case& c : cases) {
    scriptedPrompter().clear();
    const std::string entry = HelpPictureEntry(c.line);
    EXPECT_EQ(entry, c.entry) << c.line;
    EXPECT_EQ(HelpPictureOfEntry(entry), c.picture) << c.line;
    EXPECT_EQ(static_cast<int>(scriptedPrompter().asked().size()), c.errors) << c.line;
    for (const AskRecord& a : scriptedPrompter().asked()) EXPECT_EQ(a.text, "DBH file error");
  }
}

TEST_F(HelpPicturesTest, OnlyTheFirst130LinesAreEntries) {
  std::string text;
  for (int i = 1; i <= 135; ++i) text += "\"p" + std::to_string(i) + "\",\"\"\r\n";
  WriteIndex(text);
  const std::optional<HelpPictureIndex> index = ReadHelpPictureIndex();
  ASSERT_TRUE(index);
  ASSERT_EQ(index->entries.size(), 130u);
  EXPECT_EQ(index->lines.size(), 135u) << "edits keep every line";
  EXPECT_EQ(HelpPictureOfEntry(index->entries[129]), "p130");
}

TEST_F(HelpPicturesTest, BrowserShowsTheFirstPictureThenTheChosenOnes) {
  WriteIndex(ThreePictures);
  navigator = {Act(HelpPicShow, 3)};  // then OK
  HelpPictureBrowser();
  EXPECT_TRUE(programState.ErrorFlag) << "ended with OK";
  ASSERT_EQ(requests.size(), 2u) << "the first picture comes without the navigator";
  EXPECT_EQ(requests[0].caption, "QORVA Hilfebilder");
  EXPECT_EQ(requests[0].entries.size(), 3u);
  EXPECT_EQ(requests[0].preselect, 1);
  EXPECT_EQ(requests[1].preselect, 3);
  EXPECT_EQ(entriesSeen[0], (std::vector<std::string>{"bild1   : Erstes", "bild2   : Zweites", "bild3   : Drittes"}));
  EXPECT_EQ(LastLine(), LineOf(3));
  EXPECT_EQ(graphicsState.DisplayList.front().rfind("10;", 0), 0u) << "the picture area is set first";
  EXPECT_TRUE(graphicsState.DisplayList.front().ends_with(";0;0;160;120")) << graphicsState.DisplayList.front();
}

TEST_F(HelpPicturesTest, EmptyIndexOpensTheNavigator) {
  WriteIndex("");
  HelpPictureBrowser();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].entries.size(), 0u);
  EXPECT_TRUE(graphicsState.DisplayList.empty()) << "no stale entry is drawn";
}

TEST_F(HelpPicturesTest, MissingPictureIsToldAndTheNullPictureShown) {
  WriteIndex("\"fehlt\",\"Gibt es nicht\"\r\n" + ThreePictures);
  navigator = {Act(HelpPicShow, 3)};
  HelpPicturesTest* self = this;
  std::vector<std::string> afterFirst;
  services().HelpPictureNavigator = [self, &afterFirst, inner = services().HelpPictureNavigator](
                                        const HelpPictureNavigatorRequest& r) {
    if (afterFirst.empty()) afterFirst.push_back(self->LastLine());
    return inner(r).value_or(HelpPictureNavigatorResult{});
  };
  HelpPictureBrowser();
  EXPECT_EQ(afterFirst, std::vector<std::string>{LineOf(9)}) << "the null picture stands in for the missing one";
  const auto& asked = scriptedPrompter().asked();
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked[0].text, (dir / "fehlt.plt").string() + " nicht gefunden !");
  ASSERT_EQ(requests.size(), 2u) << "the browser goes on";
  EXPECT_EQ(LastLine(), LineOf(2));
}

TEST_F(HelpPicturesTest, DemonstrationShowsOnlyTheFirstPicture) {
  WriteIndex(ThreePictures);
  programState.DemoRun = true;
  HelpPictureBrowser();
  EXPECT_TRUE(requests.empty());
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(LastLine(), LineOf(1));
}

TEST_F(HelpPicturesTest, WithoutIndexTheUserPicksPictureFiles) {
  test::ScratchDir other;
  test::writeFile(other / "anders.plt", PictureDrawing(5));
  scriptedPrompter().push((other / "anders.plt").string());
  scriptedPrompter().push(Cancel{});
  HelpPictureBrowser();
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(LastLine(), LineOf(5));
  EXPECT_EQ(programState.PltDir, other.path().string() + "/") << "the picked folder stays the picture folder";
  const auto& asked = scriptedPrompter().asked();
  ASSERT_EQ(asked.size(), 2u) << "a missing index is no message";
  EXPECT_EQ(asked[0].kind, AskKind::OpenFile);
  EXPECT_EQ(asked[0].preset, dir.path().string());
  EXPECT_EQ(asked[1].preset, other.path().string());
}

TEST_F(HelpPicturesTest, UnreadableIndexIsToldBeforeThePictureChoice) {
  std::filesystem::create_directory(dir / "qorva.dbh");
  scriptedPrompter().push(Cancel{});
  HelpPictureBrowser();
  const auto& asked = scriptedPrompter().asked();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].text, (dir / "qorva.dbh").string() + " nicht gefunden !");
  EXPECT_EQ(asked[1].kind, AskKind::OpenFile);
}

TEST_F(HelpPicturesTest, EditsRewriteTheIndex) {
  test::ScratchDir other;
  test::writeFile(other / "neu.plt", PictureDrawing(4));
  struct Case {
    const char* what;
    std::vector<HelpPictureNavigatorResult> steps;
    std::vector<ScriptedAnswer> answers;
    std::string index;
    std::vector<std::string> prompts;  // every question asked, in order
  };
  const std::string neu = (other / "neu.plt").string();
  const Case cases[] = {
      {"append a picture from another folder by its name",
       {Act(HelpPicAppend, 0)}, {neu, std::string("Neues Bild")},
       ThreePictures + "\"neu\",\"Neues Bild\"\r\n", {"", "Information zum Hilfebild"}},
      {"insert before the selected entry", {Act(HelpPicInsert, 2)}, {neu, std::string("Davor")},
       "\"bild1\",\"Erstes\"\r\n\"neu\",\"Davor\"\r\n\"bild2\",\"Zweites\"\r\n\"bild3\",\"Drittes\"\r\n",
       {"", "Information zum Hilfebild"}},
      {"insert before a chosen line", {Act(HelpPicInsert, 0)}, {0, neu, std::string("Oben")},
       "\"neu\",\"Oben\"\r\n" + ThreePictures, {"Vor welche Zeile einfügen ?", "", "Information zum Hilfebild"}},
      {"delete the selected entry after Yes", {Act(HelpPicDelete, 2)}, {YesNoCancel::Yes},
       "\"bild1\",\"Erstes\"\r\n\"bild3\",\"Drittes\"\r\n", {"Löschen ?"}},
      {"delete a chosen line", {Act(HelpPicDelete, 0)}, {2},
       "\"bild1\",\"Erstes\"\r\n\"bild2\",\"Zweites\"\r\n", {"Zu löschende Zeile wählen..."}},
      {"change name and description", {Act(HelpPicChange, 3)}, {std::string("bild9"), std::string("Neu")},
       "\"bild1\",\"Erstes\"\r\n\"bild2\",\"Zweites\"\r\n\"bild9\",\"Neu\"\r\n",
       {"Dateiname (ohne Endung .plt)", "Information zum Hilfebild"}},
  };
  for (const Case& c : cases) {
    WriteIndex(ThreePictures);
    scriptedPrompter().clear();
    requests.clear();
    navigator.assign(c.steps.begin(), c.steps.end());
    for (const ScriptedAnswer& a : c.answers) scriptedPrompter().push(a);
    HelpPictureBrowser();
    EXPECT_EQ(Index(), c.index) << c.what;
    EXPECT_EQ(requests.size(), 2u) << c.what << ": after the edit the navigator comes back";
    std::vector<std::string> prompts;
    for (const AskRecord& a : scriptedPrompter().asked()) prompts.push_back(a.text);
    EXPECT_EQ(prompts, c.prompts) << c.what;
    EXPECT_EQ(scriptedPrompter().pending(), 0u) << c.what;
  }
  // The change form is preset with the entry's picture and description.
  WriteIndex(ThreePictures);
  scriptedPrompter().clear();
  navigator = {Act(HelpPicChange, 2)};
  scriptedPrompter().push(Cancel{});
  HelpPictureBrowser();
  ASSERT_EQ(scriptedPrompter().asked().size(), 1u);
  EXPECT_EQ(scriptedPrompter().asked()[0].preset, "bild2");
  EXPECT_EQ(scriptedPrompter().asked()[0].preselect, 8);
}

// The shipped index stays as installed: an edit goes to the user's copy, which the browser then
// offers (and a further edit changes).
TEST_F(HelpPicturesTest, AnEditOfTheShippedIndexGoesToTheUsersCopy) {
  WriteIndex(ThreePictures);
  datafolder.Shipped = dir.path().string();
  datafolder.UserCopies = (dir / "user").string();
  for (const int selected : {3, 2}) {
    navigator = {Act(HelpPicDelete, selected)};
    scriptedPrompter().push(YesNoCancel::Yes);
    HelpPictureBrowser();
  }
  EXPECT_EQ(Index(), ThreePictures);
  EXPECT_EQ(test::readFile(dir / "user" / "qorva.dbh"), "\"bild1\",\"Erstes\"\r\n");
}

// OK ends the browser as done, a cancelled step as cancelled, an index that cannot be rewritten as
// failed; each leaves the index as it was and ErrorFlag set for the menu command.
TEST_F(HelpPicturesTest, HowTheBrowserEndsKeepsTheIndex) {
  struct Case {
    const char* what;
    HelpPictureNavigatorResult step;
    std::vector<ScriptedAnswer> answers;
    bool noCopyFolder;  // the index is the shipped one and there is no folder for the user's copy
    Outcome outcome;
  };
  const Case cases[] = {
      {"OK in the navigator", {true, HelpPicShow, 2}, {}, false, Outcome::Done},
      {"No to the delete question", Act(HelpPicDelete, 1), {YesNoCancel::No}, false, Outcome::Cancelled},
      {"file choice cancelled", Act(HelpPicAppend, 0), {Cancel{}}, false, Outcome::Cancelled},
      {"description cancelled", Act(HelpPicInsert, 1), {(dir / "bild1.plt").string(), Cancel{}}, false,
       Outcome::Cancelled},
      {"the changed index cannot be written", Act(HelpPicDelete, 1), {YesNoCancel::Yes}, true, Outcome::Failed},
  };
  for (const Case& c : cases) {
    WriteIndex(ThreePictures);
    datafolder.Shipped = c.noCopyFolder ? dir.path().string() : "";
    datafolder.UserCopies.clear();
    scriptedPrompter().clear();
    requests.clear();
    navigator = {c.step};
    for (const ScriptedAnswer& a : c.answers) scriptedPrompter().push(a);
    EXPECT_EQ(HelpPictureBrowser(), c.outcome) << c.what;
    EXPECT_TRUE(programState.ErrorFlag) << c.what;
    EXPECT_EQ(Index(), ThreePictures) << c.what;
    EXPECT_EQ(requests.size(), 1u) << c.what;
    EXPECT_EQ(scriptedPrompter().pending(), 0u) << c.what;
  }
}

TEST_F(HelpPicturesTest, NoNavigatorIsTold) {
  WriteIndex("");
  services().HelpPictureNavigator = nullptr;
  EXPECT_EQ(HelpPictureBrowser(), Outcome::Failed);
  EXPECT_TRUE(programState.ErrorFlag);
  ASSERT_EQ(scriptedPrompter().asked().size(), 1u);
  EXPECT_EQ(scriptedPrompter().asked()[0].text, "Hilfebilder nicht verfügbar !");
}

TEST_F(HelpPicturesTest, APictureRecordsItsFirstPenAfterADrawingInTheSameColour) {
  SetColor(12);  // what the drawing before ended in; pen 1 is colour 12 as well
  ShowHelpPicture("bild1");
  const std::vector<std::string> list = graphicsState.DisplayList;
  const auto colour = std::find(list.begin(), list.end(), "8;12");
  const auto line = std::find(list.begin(), list.end(), LineOf(1));
  EXPECT_TRUE(colour < line) << "the colour comes before the line";
}

TEST_F(HelpPicturesTest, ShowHelpPictureTakesTheNameInAnyCase) {
  EXPECT_TRUE(ShowHelpPicture("BILD2"));
  EXPECT_EQ(printSettings.SheetFormat, 1);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(LastLine(), LineOf(2));
  EXPECT_FALSE(ShowHelpPicture("fehlt"));
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(LastLine(), LineOf(9)) << "the null picture stands in";
  ASSERT_EQ(scriptedPrompter().asked().size(), 1u);
}

}  // namespace
}  // namespace qorva
