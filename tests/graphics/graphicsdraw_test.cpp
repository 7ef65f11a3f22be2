#include "graphics/graphicsdraw.h"

#include <gtest/gtest.h>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/utilfile.h"
#include "graphics/graphicsstate.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

class GraphicsDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitGraphicsState();
    GraphicsWindowCreate();
    GraphDraw = std::make_unique<GraphicsDraw>();
    test::scriptedPrompter().clear();
  }
  void TearDown() override {
    GraphDraw.reset();
    InitGraphicsState();
    InitAllSettings();
    test::scriptedPrompter().clear();
  }
};

TEST_F(GraphicsDrawTest, DosColoursLandOnThePaletteEntriesOfTheirColours) {
  const struct {
    int n, palette;
  } cases[] = {{0, 0},  {1, 12},  {2, 14},  {3, 10}, {4, 11}, {5, 9},  {6, 13},  {7, 15},
               {8, 1},  {15, 8},  {16, 16}, {17, 12}, {20, 11}, {32, 0}, {255, 8}};
  for (const auto& c : cases) EXPECT_EQ(DosColorToPalette(static_cast<uint8_t>(c.n)), c.palette) << c.n;

  GraphSetDosColor(5);
  GraphSetDosColor(5);
  EXPECT_EQ(graphicsState.DisplayList, (std::vector<std::string>{"8;9"}));
}

TEST_F(GraphicsDrawTest, DrawingRoutinesRecordThroughTheWindowWithoutOne) {
  ASSERT_EQ(graphWindowHost(), nullptr);
  GraphHeader(0, 0, 160, 120);
  GraphLine(0, 0, 10, 10);
  GraphArc(0, 0, 0, 360, 5);
  GraphText(1, 2, "20\xF8" "C");  // DOS degree sign
  GraphSetTextJustify(1, 2);
  GraphClearViewPort();
  const auto& l = graphicsState.DisplayList;
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(l[0].substr(0, 3), "10;");
  EXPECT_EQ(l[1], "11;0");
  EXPECT_EQ(l[2], "4;0;0;10;10");
  EXPECT_EQ(l[3], "3;0;0;5");
  EXPECT_EQ(l[4], "6;1;2;20\xB0" "C");  // recorded in the Windows character set
  GraphClear();
  EXPECT_TRUE(graphicsState.DisplayList.empty());
}

TEST_F(GraphicsDrawTest, CheckFileFoundNamesAMissingFileWithoutBlanks) {
  test::ScratchDir dir;
  const std::string missing = (dir / "my dir").string() + "/pic.plt";
  EXPECT_FALSE(CheckFileFound(missing));
  EXPECT_TRUE(programState.ErrorFlag);
  const auto& asked = test::scriptedPrompter().asked();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].kind, AskKind::Message);
  EXPECT_EQ(asked[0].caption, programState.ProgTitle);
  EXPECT_EQ(asked[0].text, (dir / "mydir").string() + "/pic.plt nicht gefunden !");

  programState.ErrorFlag = false;
  test::writeFile(dir / "pic.plt", "IN;\n");
  EXPECT_TRUE(CheckFileFound((dir / "pic.plt").string()));
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_FALSE(ShareTextFile.IsOpen());

  // A shared file still open for writing is neither closed nor cut short by the check.
  ASSERT_TRUE((ShareTextFile.Assign((dir / "out.txt").string()), ShareTextFile.Rewrite()));
  ShareTextFile.WriteLn("first");
  EXPECT_TRUE(CheckFileFound((dir / "pic.plt").string()));
  EXPECT_FALSE(CheckFileFound((dir / "none.plt").string()));
  ASSERT_TRUE(ShareTextFile.IsOpen());
  ShareTextFile.WriteLn("second");
  EXPECT_TRUE(ShareTextFile.Close());
  EXPECT_EQ(test::readFile(dir / "out.txt"), "first\r\nsecond\r\n");
}

TEST_F(GraphicsDrawTest, DataFilePathComposesFolderNameAndExtension) {
  const struct {
    const char* dir;
    const char* name;
    bool hasPath;
    const char* expected;
  } cases[] = {{"data", "spring1", false, "data/spring1.qva"},
               {"", "spring1", false, "spring1.qva"},
               {"data", "", false, ""},
               {"data", "/home/u/x.qva", true, "/home/u/x.qva"}};
  programState.DataExt = "qva";
  for (const auto& c : cases) {
    programState.DataDir = c.dir;
    programState.CurrentFileName = c.name;
    programState.FileNameHasPath = c.hasPath;
    EXPECT_EQ(GetDataFilePath(), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace qorva
