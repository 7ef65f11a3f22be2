// The demonstration: the texts of the demonstration file, and the tour's order of commands, texts
// and the question after a cancelled command.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "graphics/graphicsstate.h"
#include "platform/services.h"
#include "shell/demo.h"
#include "shell/helppictures.h"
#include "spring/spring.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

using test::scriptedPrompter;

class DemoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    programState.ProgStem = "qorva";
    programState.PltDir = std::string(QORVA_SOURCE_DIR) + "/data";
    scriptedPrompter().clear();
  }
  void TearDown() override {
    scriptedPrompter().clear();
    InitAllSettings();
  }
  Spring spring_;  // the spring the tour shows
  static std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const AskRecord& r : scriptedPrompter().asked())
      if (r.kind == AskKind::Message) texts.push_back(r.text);
    return texts;
  }
  // Every command of the tour records its name and whether the tour state was on; the one named
  // cancelled sets ErrorFlag as a cancelled dialog does.
  DemoCommands Recording(std::vector<std::string>& ran, const std::string& cancelled = "") {
    auto cmd = [&ran, cancelled](const char* name) {
      return [&ran, cancelled, name] {
        ran.push_back(std::string(name) + (programState.DemoRun ? "" : " (not in demo)"));
        if (name == cancelled) programState.ErrorFlag = true;
      };
    };
    return {cmd("pictures"), cmd("text"),    cmd("material"), cmd("predesign"), cmd("recalc"),
            cmd("quick3"),   cmd("printout"), cmd("cad"),     cmd("settings")};
  }
};

TEST_F(DemoTest, ShippedFileHoldsNineGermanTextsAndNoTenth) {
  for (uint16_t n = 1; n <= 9; ++n) {
    char f1 = 'x', f2 = 'x';
    std::string text;
    ReadDemoText(n, f1, f2, text);
    EXPECT_EQ(f1, '0') << n;
    EXPECT_EQ(f2, '0') << n;
    EXPECT_GT(text.size(), 40u) << n;
    EXPECT_EQ(text.find("nicht vorhanden"), std::string::npos) << n;
  }
  char f1 = 'x', f2 = 'x';
  std::string text;
  ReadDemoText(10, f1, f2, text);
  EXPECT_EQ(text, "Demotext Nr.10 nicht vorhanden !");
  EXPECT_EQ(f1, '0');
  // The fourth text holds a degree sign in the DOS code page (248), shown as "°".
  ReadDemoText(4, f1, f2, text);
  EXPECT_NE(text.find("20 \xF8" "C"), std::string::npos) << text;
}

// The tour shows the first picture of the shipped index only; its text after it speaks of the
// diameters and the thickness, so that picture is the strip and coil, not the start picture.
TEST_F(DemoTest, ThePictureOfTheTourExplainsDiametersAndThickness) {
  const Services saved = services();
  services().HelpPictureNavigator = [](const HelpPictureNavigatorRequest&) {
    return HelpPictureNavigatorResult{true, 0, 0};
  };
  InitGraphicsState();
  programState.DemoRun = true;
  HelpPictureBrowser();
  const std::vector<std::string> shown = graphicsState.DisplayList;
  InitGraphicsState();
  ShowHelpPicture("band");
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(shown, graphicsState.DisplayList);
  installServices(saved);
}

TEST_F(DemoTest, MissingFileAndShortFlagLines) {
  test::ScratchDir dir;
  programState.PltDir = dir.path().string();
  char f1 = 'a', f2 = 'b';
  std::string text;
  ReadDemoText(1, f1, f2, text);
  EXPECT_EQ(text, "Demosteuerdatei " + (dir / "qorva.dem").string() + " nicht gefunden !");
  EXPECT_EQ(f1, 'a');  // the flags stay as they were
  EXPECT_EQ(f2, 'b');

  // Flag lines of one character and of none; a text line that is the file's last line.
  test::writeFile(dir / "qorva.dem", "h1\r\nh2\r\n-\r\nJ\r\neins\r\n\r\n-\r\n\r\nzwei");
  ReadDemoText(1, f1, f2, text);
  EXPECT_EQ(std::string() + f1 + f2 + text, "J0eins");
  ReadDemoText(2, f1, f2, text);
  EXPECT_EQ(std::string() + f1 + f2 + text, "00zwei");
  ReadDemoText(3, f1, f2, text);
  EXPECT_EQ(text, "Demotext Nr.3 nicht vorhanden !");
}

TEST_F(DemoTest, TourRunsTheCommandsInOrderWithATextAfterEach) {
  std::vector<std::string> ran;
  EXPECT_EQ(RunDemoTour(spring_, Recording(ran)), Outcome::Done);
  EXPECT_EQ(ran, (std::vector<std::string>{"pictures", "text", "material", "predesign", "recalc", "quick3",
                                           "printout", "cad", "settings"}));
  const std::vector<std::string> shown = Messages();
  ASSERT_EQ(shown.size(), 11u);  // the two introduction boxes and the nine texts
  EXPECT_EQ(shown[0].rfind("QORVADEMO  ist  ein selbstablaufendes Demoprogramm, das Sie mit den Möglichkeiten", 0), 0u);
  EXPECT_EQ(shown[1], "Mit <OK> oder ENTER-Taste wird weitergeschaltet.");
  EXPECT_NE(shown[5].find("20 °C"), std::string::npos);  // text 4 shown converted for display
  EXPECT_FALSE(programState.DemoRun);
  EXPECT_FALSE(programState.ErrorFlag);
  // The demonstration spring was preset before the first command.
  EXPECT_EQ(spring_.family.MaterialNumber, 12);
  EXPECT_EQ(spring_.family.LoadType, 2);
  EXPECT_EQ(spring_.product.OuterDiameter, 85);
}

TEST_F(DemoTest, CancelledCommandAsksWhetherToEnd) {
  const char* names[] = {"pictures", "text", "material", "predesign", "recalc", "printout", "cad", "settings"};
  for (size_t i = 0; i < std::size(names); ++i) {
    SCOPED_TRACE(names[i]);
    // Yes ends the tour right there: no further command, no further text.
    std::vector<std::string> ran;
    scriptedPrompter().clear();
    scriptedPrompter().push(YesNoCancel::Yes);
    EXPECT_EQ(RunDemoTour(spring_, Recording(ran, names[i])), Outcome::Cancelled);
    EXPECT_EQ(ran.back(), names[i] == std::string("recalc") ? "quick3" : names[i]);
    EXPECT_FALSE(programState.DemoRun);
    EXPECT_TRUE(programState.ErrorFlag);
    const std::vector<AskRecord>& asked = scriptedPrompter().asked();
    EXPECT_EQ(asked.back().kind, AskKind::YesNoCancel);
    EXPECT_EQ(asked.back().text, "Demomodus beenden ?");

    // No goes on with the next text and command, all in the demonstration state.
    for (ScriptedAnswer answer : {ScriptedAnswer(YesNoCancel::No), ScriptedAnswer(YesNoCancel::Cancel)}) {
      ran.clear();
      scriptedPrompter().clear();
      scriptedPrompter().push(answer);
      EXPECT_EQ(RunDemoTour(spring_, Recording(ran, names[i])), Outcome::Done);
      EXPECT_EQ(ran.size(), 9u);
      for (const std::string& r : ran) EXPECT_EQ(r.find("not in demo"), std::string::npos) << r;
      EXPECT_EQ(Messages().size(), 11u);
      EXPECT_FALSE(programState.DemoRun);
      EXPECT_FALSE(programState.ErrorFlag);
    }
  }
}

}  // namespace
}  // namespace qorva
