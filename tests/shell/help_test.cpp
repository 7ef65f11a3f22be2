// Help texts: the lookup of a topic in its file (blocks of five, free lines, the ends of a topic),
// the message box and the picture of the help buttons, the control hints, and the shipped files:
// every topic the program sets has its text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/settings.h"
#include "foundation/utilstr.h"
#include "graphics/graphicsdraw.h"
#include "graphics/graphicsstate.h"
#include "platform/services.h"
#include "shell/hpglstate.h"
#include "shell/help.h"
#include "shell/helptopic.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;
using test::scriptedPrompter;

const fs::path SourceDir = QORVA_SOURCE_DIR;

class HelpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitGraphicsState();
    GraphicsWindowCreate();
    InitHpglState();
    programState.ProgStem = "qorva";
    programState.PltDir = dir.path().string();
    scriptedPrompter().clear();
  }
  void TearDown() override {
    InitGraphicsState();
    InitHpglState();
    InitAllSettings();
    scriptedPrompter().clear();
  }
  void Write(const std::string& name, const std::string& text) { test::writeFile(dir / name, text); }
  test::ScratchDir dir;
};

// The file of the examples: a block 1970 with its sub-topics, free lines, and ends of all kinds.
const std::string Common =
    "1965\r\nVorher\r\n"
    "1970:bild\r\nZeile eins\r\n1971\r\nZeile zwei\r\n1973\r\nfalscher Platz\r\n1975\r\nNaechster\r\n"
    "1980\r\nErste\r\nfrei zwei\r\n2024 ist ein Jahr\r\nfrei vier\r\n"
    "1985\r\nMit Jahr\r\n2025 beginnt der naechste Block\r\nText von 2025\r\n"
    "3999\r\nLetztes Thema der Datei";

TEST_F(HelpTest, TopicsAreFoundWithTheirBlockLines) {
  Write("kwendal.hlp", Common);
  Write("qorva.hlp", "4000\r\nErstes Thema der Programmdatei\r\n");
  struct Case {
    uint16_t topic;
    std::array<std::string, 6> lines;
    std::string picture;
    bool blockEnded;
  };
  const Case cases[] = {
      // 1971 fills line 2; 1973 is read at line 3 but is not 1972: line 3 stays empty; 1975 ends it.
      {1970, {"", "Zeile eins", "Zeile zwei", "", "", ""}, "bild", true},
      // A free line starting with four digits that are no multiple of 5 is a topic line: its next
      // line is taken as its text, not shown; 1985 then ends the block.
      {1980, {"", "Erste", "frei zwei", "", "", ""}, "NULL", true},
      // A free line starting with a multiple of 5 ends the topic.
      {1985, {"", "Mit Jahr", "", "", "", ""}, "NULL", true},
      // The text line is the last line of the file: still found.
      {3999, {"", "Letztes Thema der Datei", "", "", "", ""}, "NULL", false},
      {4000, {"", "Erstes Thema der Programmdatei", "", "", "", ""}, "NULL", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.topic);
    const HelpTopicText t = LookUpHelpTopic(c.topic);
    EXPECT_TRUE(t.found);
    EXPECT_EQ(t.lines, c.lines);
    EXPECT_EQ(t.picture, c.picture);
    EXPECT_EQ(t.blockEnded, c.blockEnded);
  }
  EXPECT_EQ(HelpFileName(3999), dir.path().string() + "/kwendal.hlp");
  EXPECT_EQ(HelpFileName(4000), dir.path().string() + "/qorva.hlp");
}

TEST_F(HelpTest, MissingFileOrTopicIsShownAsTextAndNeverFailsTheDialog) {
  Write("kwendal.hlp", Common);
  struct Case {
    uint16_t topic;
    std::string text;
  };
  const Case cases[] = {
      {1990, "Hilfetext Nr 1990: keine Hilfe vorhanden. "},
      {4010, "Datei " + dir.path().string() + "/qorva.hlp nicht gefunden ! "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.topic);
    scriptedPrompter().clear();
    programState.ErrorFlag = true;
    ShowHelpTopic(c.topic, 1);
    EXPECT_FALSE(programState.ErrorFlag);
    ASSERT_EQ(scriptedPrompter().asked().size(), 1u);
    EXPECT_EQ(scriptedPrompter().asked()[0].caption, "HILFETEXT Nr." + std::to_string(c.topic));
    EXPECT_EQ(scriptedPrompter().asked()[0].text, c.text + "    ");
  }
  // An unreadable file (a folder of that name) is missing too.
  fs::remove(dir / "kwendal.hlp");
  fs::create_directory(dir / "kwendal.hlp");
  EXPECT_TRUE(LookUpHelpTopic(1970).fileMissing);
}

TEST_F(HelpTest, TheHelpButtonsShowTextPictureOrBoth) {
  Write("kwendal.hlp", Common);
  Write("bild.plt", "SP1;PU0,0;PD400,0;");
  Write("null.plt", "SP1;PU0,0;PD0,400;");
  struct Case {
    uint16_t topic, mode;
    bool box;
    std::string line;  // the line drawn, "" none
  };
  const Case cases[] = {
      {1970, 0, true, "4;0;0;10;0"}, {1970, 1, true, ""}, {1970, 2, false, "4;0;0;10;0"},
      // A topic without picture clears the drawing and draws nothing.
      {1980, 2, false, ""},
      // A missing topic shows the picture "null".
      {1990, 2, false, "4;0;0;0;10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.topic) + " mode " + std::to_string(c.mode));
    scriptedPrompter().clear();
    GraphLine(1, 1, 2, 2);  // something to be cleared
    SetHelpTopic(c.topic);
    ShowHelpTopic(0, c.mode);
    EXPECT_EQ(scriptedPrompter().asked().size(), c.box ? 1u : 0u);
    std::string drawn;
    for (const std::string& r : graphicsState.DisplayList)
      if (r.rfind("4;", 0) == 0) drawn = r;
    if (c.mode == 1) continue;  // the text alone leaves the drawing as it is
    EXPECT_EQ(drawn, c.line) << ::testing::PrintToString(graphicsState.DisplayList);
  }
}

TEST_F(HelpTest, LongLinesAreShownAndTheBoxTextIsCut) {
  const std::string line(300, 'x');
  Write("kwendal.hlp", "1000\r\n" + line + "\r\n" + std::string(400, 'y') + "\r\n" + std::string(400, 'z') + "\r\n");
  ShowHelpTopic(1000, 1);
  ASSERT_EQ(scriptedPrompter().asked().size(), 1u);
  const std::string& text = scriptedPrompter().asked()[0].text;
  EXPECT_EQ(text.size(), 1000u);
  EXPECT_EQ(text.substr(0, 301), line + " ");
}

TEST_F(HelpTest, HintsEndWithTheTopicWhenTheBlockEnds) {
  Write("kwendal.hlp", "1970\r\nF\x81\r\nzwei\r\n1975\r\nx\r\n3995\r\nnur eine\r\n");
  EXPECT_EQ(HelpTextStr(1970), "F\xC3\xBC zwei    (1970)");
  EXPECT_EQ(HelpTextStr(3995), "nur eine    ");
  EXPECT_EQ(HelpTextStr(1990), "Hilfetext Nr 1990: keine Hilfe vorhanden.");
}

// The topic numbers the program's code sets for its prompts, windows and help buttons.
std::set<int> TopicsSetInCode() {
  const std::regex call(R"((SetPromptHelp|SetHelpTopic|ShowHelpTopic|AskNewPicture)\((\d{3,4})\b)");
  const std::regex constant(R"(HelpTopic\w*\s*=\s*(\d{3,4})\b)");
  std::set<int> topics;
  for (const char* folder : {"foundation", "spring", "graphics", "drawings", "xbase", "shell", "platform"}) {
    for (const auto& e : fs::recursive_directory_iterator(SourceDir / folder)) {
      if (e.path().extension() != ".cpp" && e.path().extension() != ".h") continue;
      std::ifstream in(e.path());
      const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      for (std::sregex_iterator m(text.begin(), text.end(), call), end; m != end; ++m)
        topics.insert(std::stoi((*m)[2]));
      for (std::sregex_iterator m(text.begin(), text.end(), constant), end; m != end; ++m)
        topics.insert(std::stoi((*m)[1]));
    }
  }
  topics.erase(0);
  return topics;
}

// The topics of the forms and windows: the input forms, the settings, print and plot-program
// windows, the material choice, the table, document and change-record windows.
const int WindowTopics[] = {
    1000, 1030, 1040, 1210, 1300, 1305, 1310, 1500, 1555, 1570, 1580, 1585, 1590, 1595, 1600, 1605,
    1610, 1615, 1670, 1710, 1715, 1720, 1725, 1730, 1735, 1740, 1750, 1755, 1800, 1810, 1830, 1910,
    1920, 1930, 1935, 1940, 1950, 1960, 1970, 1980, 2450, 2500, 2530, 2535, 2540, 2545, 2550, 2710,
    2720, 2730, 2820, 3000, 3010, 3020, 3210, 3400, 4900, 5020, 5030, 5040, 5050, 5060, 5080, 5090,
    5100, 5110, 5120, 5130, 5140, 5150, 5270, 5280, 5310, 5350, 9020, 9590,
};

TEST_F(HelpTest, EveryTopicOfTheProgramHasItsTextInTheShippedFiles) {
  programState.PltDir = (SourceDir / "data").string();
  std::set<int> topics = TopicsSetInCode();
  ASSERT_TRUE(topics.count(2050) && topics.count(9590)) << "the scan of the sources found too little";
  topics.insert(std::begin(WindowTopics), std::end(WindowTopics));
  for (int topic : topics) {
    const HelpTopicText t = LookUpHelpTopic(static_cast<uint16_t>(topic));
    EXPECT_TRUE(t.found) << topic;
    EXPECT_FALSE(TrimStr(t.lines[1]).empty()) << topic;
    // The picture button of the topic draws a shipped picture: "null" says there is none, where a
    // topic without a name would clear the drawing and leave the window black.
    EXPECT_NE(t.picture, "NULL") << topic << " names no picture";
    EXPECT_TRUE(fs::exists(SourceDir / "data" / (t.picture + ".plt"))) << topic << ": " << t.picture;
  }
}

TEST(HelpFiles, GeneratorMakesTheShippedFiles) {
  test::ScratchDir dir;
  const auto r = test::runCommand(std::string(QORVA_PYTHON) + " '" + QORVA_SOURCE_DIR + "/tools/mkhelptexts.py' '" +
                                  dir.path().string() + "'");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  for (const char* name : {"kwendal.hlp", "qorva.hlp", "qorva.err", "qorva.dem"})
    EXPECT_EQ(test::readFile(dir / name), test::readFile(SourceDir / "data" / name)) << name;
}

}  // namespace
}  // namespace qorva
