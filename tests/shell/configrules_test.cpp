// The configuration window's take-over rules, without a window: graphics and text window sizes, the
// dimension factor, the title-block choice, the command-line row, and the layer names and colours
// that a DXF layer table can hold (also when a configuration brings a colour the table cannot take).
#include "shell/configrules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/cadsettings.h"
#include "foundation/settings.h"
#include "foundation/utilfile.h"
#include "graphics/dxfwriter.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

TEST(ConfigRulesTest, GraphicsWindowSize) {
  struct Case {
    const char* typed;
    int32_t expected;
  };
  // Screen 1920 wide, frame 16.
  for (const Case c : std::vector<Case>{{"641", 640}, {"0", 1904}, {"", 1904}, {"1", 1904}, {"abc", 1904},
                                        {"6000", 5000}, {"5001", 5000}, {"-5", 1904}})
    EXPECT_EQ(TakeGraphRes(c.typed, 1920, 16), c.expected) << c.typed;

  EXPECT_EQ(FitXToY(480, 2000, 1000).x, 640);
  const WindowSize wide = FitXToY(900, 1000, 900);  // 1200 is more than 1000
  EXPECT_EQ(wide.x, 1000);
  EXPECT_EQ(wide.y, 750);
  EXPECT_EQ(FitYToX(640, 2000, 1000).y, 480);
  const WindowSize tall = FitYToX(1600, 2000, 600);
  EXPECT_EQ(tall.y, 600);
  EXPECT_EQ(tall.x, 800);
}

TEST(ConfigRulesTest, TextWindowFields) {
  TextWindowRect r = TakeTextWindow("1001", "451", "1001", "600", 500);
  EXPECT_EQ(r.Left, 10);
  EXPECT_EQ(r.Top, 40);
  EXPECT_EQ(r.Width, 700);
  EXPECT_EQ(r.Height, 480) << "above the graphics height field 500";
  r = TakeTextWindow("0", "450", "49", "49", 500);
  EXPECT_EQ(r.Left, 0);
  EXPECT_EQ(r.Top, 450);
  EXPECT_EQ(r.Width, 700);
  EXPECT_EQ(r.Height, 480);
  r = TakeTextWindow("-1", "x", "50", "500", 500);
  EXPECT_EQ(r.Left, 10);
  EXPECT_EQ(r.Top, 0) << "no number is 0, which stays";
  EXPECT_EQ(r.Width, 50);
  EXPECT_EQ(r.Height, 500);

  r = DefaultTextWindow(641, 481, 10);
  EXPECT_EQ(r.Left, 20);
  EXPECT_EQ(r.Top, 40);
  EXPECT_EQ(r.Width, 700);
  EXPECT_EQ(r.Height, 461);
  EXPECT_EQ(DefaultTextWindow(641, 481, 12).Width, 840);
  EXPECT_EQ(DefaultTextWindow(641, 481, 0).Width, 700) << "a width of 0 becomes 700";
  EXPECT_EQ(DefaultTextWindow(640, 481, 12).Width, 620);
}

TEST(ConfigRulesTest, FactorsAndTitleBlock) {
  EXPECT_EQ(TakeDimensionFactor(0.005L), 1.0L);
  EXPECT_EQ(TakeDimensionFactor(0.01L), 0.01L);
  EXPECT_EQ(TakeDimensionFactor(-2), 1.0L);
  EXPECT_EQ(NonZeroOrOne(0), 1.0L);
  EXPECT_EQ(NonZeroOrOne(0.02L), 0.02L);

  const TitleBlockView iso = TitleBlockViewFor(1, 1);
  EXPECT_FALSE(iso.indexAndRelease);
  EXPECT_TRUE(iso.marginEnabled);
  EXPECT_FALSE(iso.forceMargin5);
  EXPECT_TRUE(iso.showChanges);
  EXPECT_TRUE(iso.borders);
  EXPECT_FALSE(TitleBlockViewFor(2, 0).borders);
  const TitleBlockView din = TitleBlockViewFor(3, 1);
  EXPECT_TRUE(din.indexAndRelease);
  EXPECT_FALSE(din.marginEnabled);
  EXPECT_TRUE(din.forceMargin5);
  EXPECT_FALSE(din.showChanges);
  EXPECT_FALSE(din.borders) << "DIN forces 5 mm, so no borders";
}

TEST(ConfigRulesTest, CommandLineRowWithoutSelectionIsTheFirst) {
  EXPECT_EQ(VentrixLineIndex(-1), 0);
  EXPECT_EQ(VentrixLineIndex(4), 4);
  EXPECT_EQ(VentrixLineIndex(5), 0);
  EXPECT_EQ(VentrixLineIndex(2), 2);
}

TEST(ConfigRulesTest, LayerNamesAndColoursTheDxfTableCanHold) {
  for (const char* good : {"1", "DICK", "Mitte-Linie_2", "a b", "\x8e\x99"})
    EXPECT_EQ(LayerNameProblem(good), "") << good;
  for (const char* bad : {"", " DICK", "DICK ", "a/b", "a<b", "x:y", "q?", "s*", "e=f", "back`", "quo\"te", "a\\b",
                          "semi;", "tab\there"})
    EXPECT_NE(LayerNameProblem(bad), "") << bad;

  for (const char* good : {"1", "16", "255", " 7 "}) EXPECT_EQ(LayerColourProblem(good), "") << good;
  for (const char* bad : {"0", "", "256", "-1", "abc", "2.5"}) EXPECT_NE(LayerColourProblem(bad), "") << bad;
  EXPECT_EQ(ColourName(1), "rot");
  EXPECT_EQ(ColourName(7), "wei\xE1");
  EXPECT_EQ(ColourName(16), "schwarz");
}

// The colour after the layer name in the DXF layer table, or -1.
int LayerColourIn(const std::string& dxf, const std::string& name) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = dxf.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(dxf.substr(start, end - start));
  for (size_t i = 1; i + 6 < lines.size(); ++i)
    if (lines[i - 1] == "  2" && lines[i] == name && lines[i + 3] == " 62") return std::stoi(lines[i + 4]);
  return -1;
}

TEST(ConfigRulesTest, ALayerColourOfZeroNeverReachesTheDxfLayerTable) {
  InitAllSettings();
  test::ScratchDir dir;
  cadSettings.CadCode = 1;
  cadSettings.LayerNames = {"0", "EINS", "ZWEI", "DREI", "VIER", "FUENF"};
  cadSettings.LayerColors = {0, 0, 256, 3, -256, 255};  // as an edited configuration may bring them
  cadSettings.ColorLayerColors[16] = 0;
  const std::string path = (dir.path() / "t.dxf").string();
  AssignText(ShareTextFile, path);
  ASSERT_TRUE(ShareTextFile.Rewrite());
  DxfTables();
  ShareTextFile.Close();
  const std::string dxf = test::readFile(path);
  EXPECT_EQ(LayerColourIn(dxf, "EINS"), 7);
  EXPECT_EQ(LayerColourIn(dxf, "ZWEI"), 7);
  EXPECT_EQ(LayerColourIn(dxf, "DREI"), 3) << "valid colours stay as they were";
  EXPECT_EQ(LayerColourIn(dxf, "VIER"), 7);
  EXPECT_EQ(LayerColourIn(dxf, "FUENF"), 255);
  EXPECT_EQ(LayerColourIn(dxf, "16"), 7);
  InitAllSettings();
}

}  // namespace
}  // namespace qorva
