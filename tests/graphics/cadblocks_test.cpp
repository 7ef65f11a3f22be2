// Pages, blocks and the read-back of block files on the screen and STL-like outputs.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>

#include "foundation/utilstr.h"
#include "foundation/workdir.h"
#include "graphics/cadkernel.h"
#include "graphics/graphicsdraw.h"
#include "tests/graphics/cadkernel_fixture.h"

namespace qorva::cadtest {
namespace {

using CadBlocksTest = KernelTest;

// A block file as a user or another CAD program writes one: LF lines, group codes not padded.
std::string Pairs(std::initializer_list<std::pair<int, std::string>> pairs) {
  std::string s;
  for (const auto& [code, value] : pairs) s += std::to_string(code) + "\n" + value + "\n";
  return s;
}

void ExpectLine(const DisplayRecordFields& r, long double x1, long double y1, long double x2, long double y2,
                const std::string& what) {
  EXPECT_TRUE(Near(r.f[1], x1, 1e-5L) && Near(r.f[2], y1, 1e-5L) && Near(r.f[3], x2, 1e-5L) &&
              Near(r.f[4], y2, 1e-5L))
      << what << ": " << r.f[1] << " " << r.f[2] << " " << r.f[3] << " " << r.f[4];
}

class ScreenBlocks : public CadBlocksTest {
 protected:
  void Begin() {
    CadBeginOutput(3);
    ASSERT_FALSE(programState.ErrorFlag);
    CadPageSetupDefault();
    CadWriteTables(2);
  }
  // Block files in TempDir (the kernel's own ones while the run has no work folder of its own).
  std::string BlockFile(const std::string& name) { return (dir / "tmp" / ("$" + name + ".dx$")).string(); }
  void UserBlock(const std::string& name, const std::string& bytes) {
    test::writeFile(dir / "blocks" / ("$" + name + ".dx$"), bytes);
  }
};

TEST_F(ScreenBlocks, BlockIsWrittenToItsFileAndDrawnAtEveryInsertion) {
  cadSettings.DwgNoFooter = true;
  cadSettings.CadDecimals = 0;  // block files keep their decimals all the same
  Begin();
  CadBeginBlocks();
  CadBeginBlock("feder");
  CadSetColor(2);
  CadLine(0, 0, 10, 0.123456L);
  CadCircle(5, 0, 1);
  CadArc(0, 0, 0, 90, 2);
  CadTextStyle(2, 0, 2, 2);
  CadText("T", 1, 1);
  CadEndBlock();
  CadEndSection();
  // Nothing was drawn while the block was defined.
  EXPECT_TRUE(Records(RecLine).empty());
  ASSERT_TRUE(fs::exists(BlockFile("feder")));

  CadBeginEntities();
  size_t from = graphicsState.DisplayList.size();
  CadInsertBlock("feder", 100, 50, 0, 1, 1);
  CadInsertBlock("feder", 100, 50, 90, 2, 2);
  CadInsertBlock("FEDER", 0, 0, 0, 2, 1);  // names differ only in case: the same block
  const auto lines = Records(RecLine, from);
  ASSERT_EQ(lines.size(), 3u);
  ExpectLine(lines[0], 100, 50, 110, 50.123456L, "plain");
  ExpectLine(lines[1], 100, 50, 100 - 0.246912L, 70, "rotated and scaled");
  ExpectLine(lines[2], 0, 0, 20, 0.123456L, "stretched");
  const auto circles = Records(RecCircle, from);
  ASSERT_EQ(circles.size(), 3u);
  EXPECT_TRUE(Near(circles[1].f[1], 100) && Near(circles[1].f[2], 60) && Near(circles[1].r, 2));
  EXPECT_TRUE(Near(circles[2].f[1], 10) && Near(circles[2].r, 2));  // radius follows the x scale
  const auto texts = Records(RecText, from);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].text, "T");
  EXPECT_TRUE(Near(texts[1].f[1], 98) && Near(texts[1].f[2], 52));
  EXPECT_TRUE(Near(cadrun.TextAngle, 0));  // the last one, not rotated
  EXPECT_EQ(Records(RecArc, from).size(), 3u);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(errorList.ErrorCount, 0);

  CadEndSection();
  CadEndOutput();
  EXPECT_FALSE(fs::exists(BlockFile("feder")));  // the screen's block files are gone afterwards
}

// With a run's private work folder the kernel's block files live there: another run's files in the
// temporary folder are never read for this run's blocks, nor taken for the user's, while a user's
// block file left in the temporary folder is still found.
TEST_F(ScreenBlocks, OwnBlockFilesAreInTheRunsWorkFolder) {
  ASSERT_TRUE(MakeWorkDir(programState.TempDir));
  const fs::path work = workdir.Dir;
  cadSettings.DwgNoFooter = true;
  // Another run's block of the same name (its marker first), and a user's block.
  const std::string line = Pairs({{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "7"}, {21, "0"}});
  test::writeFile(BlockFile("feder"), Pairs({{999, "QORVA block file"}}) + line + "0\nEOF\n");
  test::writeFile(BlockFile("fremd"), Pairs({{999, "QORVA block file"}}) + line + "0\nEOF\n");
  test::writeFile(BlockFile("logo_1"), line + "0\nEOF\n");
  Begin();
  CadBeginBlocks();
  CadBeginBlock("feder");
  CadLine(0, 0, 3, 0);
  CadEndBlock();
  CadEndSection();
  EXPECT_TRUE(fs::exists(work / "$feder.dx$"));
  CadBeginEntities();
  const size_t from = graphicsState.DisplayList.size();
  CadInsertBlock("feder", 0, 0, 0, 1, 1);
  CadInsertBlock("logo_1", 0, 0, 0, 1, 1);
  const auto lines = Records(RecLine, from);
  ASSERT_EQ(lines.size(), 2u);
  ExpectLine(lines[0], 0, 0, 3, 0, "this run's block");
  ExpectLine(lines[1], 0, 0, 7, 0, "the user's block");
  EXPECT_EQ(UserBlockFile("logo_1"), BlockFile("logo_1"));
  EXPECT_EQ(UserBlockFile("fremd"), "");
  CadEndSection();
  CadEndOutput();
  EXPECT_FALSE(fs::exists(work / "$feder.dx$"));
  // The other run's files are its own to remove.
  EXPECT_TRUE(fs::exists(BlockFile("feder")));
  EXPECT_TRUE(fs::exists(BlockFile("fremd")));
  RemoveWorkDir();
  EXPECT_FALSE(fs::exists(work));
}

// The origin offset moves an insertion on the screen as it moves a DXF INSERT: a plain insertion
// stays at its point, an offset one (the title block's) is moved once.
TEST_F(ScreenBlocks, OriginOffsetMovesAnInsertionOnce) {
  cadSettings.DwgNoFooter = true;
  UserBlock("kopf", Pairs({{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}, {0, "EOF"}}));
  Begin();
  CadBeginEntities();
  const size_t from = graphicsState.DisplayList.size();
  CadSetOrigin(10, 20);
  CadInsertBlock("kopf", 1, 2, 0, 1, 1);
  CadInsertBlockOffset("kopf", 1, 2, 90, 1, 1);
  const auto lines = Records(RecLine, from);
  ASSERT_EQ(lines.size(), 2u);
  ExpectLine(lines[0], 1, 2, 2, 2, "plain");
  ExpectLine(lines[1], 11, 22, 11, 23, "offset");
  CadEndOutput();
}

TEST_F(ScreenBlocks, InsertInsideADefinitionIsReadAtTheNextLevel) {
  cadSettings.DwgNoFooter = true;
  Begin();
  CadBeginBlocks();
  CadBeginBlock("inner");
  CadLine(0, 0, 1, 0);
  CadEndBlock();
  CadBeginBlock("outer");
  CadLine(0, 0, 0, 1);
  CadInsertBlock("inner", 10, 0, 90, 2, 2);
  CadEndBlock();
  CadEndSection();
  EXPECT_NE(test::readFile(BlockFile("outer")).find("INSERT"), std::string::npos);
  CadBeginEntities();
  const size_t from = graphicsState.DisplayList.size();
  CadInsertBlock("outer", 100, 100, 90, 1, 1);
  const auto lines = Records(RecLine, from);
  ASSERT_EQ(lines.size(), 2u);
  ExpectLine(lines[0], 100, 100, 99, 100, "outer");
  // inner at (10, 0) of outer: (100, 110); rotated 180 degrees in all, twice the size.
  ExpectLine(lines[1], 100, 110, 98, 110, "inner");
  EXPECT_EQ(cadrun.BlockDepth, 0);
  EXPECT_TRUE(Near(cadrun.InsScaleX, 1) && Near(cadrun.InsAngle, 0));
  CadEndOutput();
}

TEST_F(ScreenBlocks, UserBlockWithPolylinesLayersAndTexts) {
  cadSettings.DwgNoFooter = true;
  cadSettings.LayerNames = {"0", "1", "2", "3", "4", "KONTUR"};
  cadSettings.ColorLayerColors[28] = 5;
  UserBlock("kopf", Pairs({{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {70, "1"},
                           {0, "VERTEX"}, {8, "KONTUR"}, {10, "0"}, {20, "0"}, {42, "1"},
                           {0, "VERTEX"}, {10, "10"}, {20, "0"},
                           {0, "VERTEX"}, {8, "300"}, {10, "10"}, {20, "10"}, {42, "-1"},
                           {0, "VERTEX"}, {10, "0"}, {20, "10"},
                           {0, "SEQEND"}, {8, "0"},
                           {0, "POLYLINE"}, {70, "129"},
                           {0, "VERTEX"}, {10, "0"}, {20, "20"},
                           {0, "VERTEX"}, {10, "5"}, {20, "20"},
                           {0, "SEQEND"},
                           {0, "TEXT"}, {1, "Kopf"}, {10, "1"}, {20, "2"},
                           {0, "SOLID"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}, {12, "0"}, {22, "1"},
                           {0, "EOF"}}));
  Begin();
  CadBeginEntities();
  const size_t from = graphicsState.DisplayList.size();
  CadInsertBlock("kopf", 0, 0, 0, 2, 1);
  ASSERT_FALSE(programState.ErrorFlag);
  const auto arcs = Records(RecArc, from);
  ASSERT_EQ(arcs.size(), 2u);  // bulge 1 and bulge -1: half circles
  // Counter-clockwise from start to end point: both run below their chords, as the bulges say.
  EXPECT_TRUE(Near(arcs[0].f[5], 0) && Near(arcs[0].f[6], 0) && Near(arcs[0].f[7], 20) && Near(arcs[0].f[8], 0));
  EXPECT_TRUE(Near(arcs[1].f[5], 0) && Near(arcs[1].f[6], 10) && Near(arcs[1].f[7], 20) && Near(arcs[1].f[8], 10));
  const auto lines = Records(RecLine, from);
  // Straight segment (10,0)-(10,10), the closing one (0,10)-(0,0); the open polyline's one segment.
  ASSERT_EQ(lines.size(), 3u);
  ExpectLine(lines[0], 20, 0, 20, 10, "straight");
  ExpectLine(lines[1], 0, 10, 0, 0, "closing");
  ExpectLine(lines[2], 0, 20, 10, 20, "flags 129: not closed");
  // Layer "300" is byte 44, folded to colour 28.
  bool sawColour9 = false;
  for (const auto& c : Records(RecColor, from)) sawColour9 |= c.value == DosColorToPalette(5);
  EXPECT_TRUE(sawColour9);
  // A text without height is 3.5 high; the x scale widens it.
  const auto texts = Records(RecText, from);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_TRUE(Near(texts[0].f[1], 2) && Near(texts[0].f[2], 2));
  EXPECT_TRUE(Near(cadrun.TextHeight, 3.5L));
  EXPECT_TRUE(Near(cadrun.TextWidthFactor, 2));
  // A solid of three corners repeats the third.
  const auto solids = Records(RecSolid, from);
  ASSERT_EQ(solids.size(), 1u);
  EXPECT_TRUE(Near(solids[0].f[7], 0) && Near(solids[0].f[8], 1));
  CadEndOutput();
}

TEST_F(ScreenBlocks, DamagedAndUnknownEntitiesInBlockFiles) {
  cadSettings.DwgNoFooter = true;
  UserBlock("ohne", Pairs({{0, "POLYLINE"}, {70, "0"}, {0, "LINE"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"},
                           {0, "EOF"}}));
  UserBlock("fremd", Pairs({{0, "LINE"}, {11, "1"}, {0, "SPLINE"}, {0, "LINE"}, {11, "2"}, {0, "EOF"}}));
  UserBlock("leer", Pairs({{0, "EOF"}}));
  Begin();
  CadBeginEntities();
  size_t from = graphicsState.DisplayList.size();
  // A polyline without vertices is dropped with a message; the entity after it is drawn.
  CadInsertBlock("ohne", 0, 0, 0, 1, 1);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Error in DXF File"});
  EXPECT_EQ(Records(RecLine, from).size(), 1u);
  // An unknown entity ends the file with a message in the list; the drawing goes on.
  from = graphicsState.DisplayList.size();
  CadInsertBlock("fremd", 0, 0, 0, 1, 1);
  EXPECT_EQ(Records(RecLine, from).size(), 1u);
  EXPECT_TRUE(HasErrorMsg("Fehler : DXF: SPLINE"));
  EXPECT_FALSE(programState.ErrorFlag);
  // An empty block draws nothing and says nothing.
  from = graphicsState.DisplayList.size();
  const uint16_t errors = errorList.ErrorCount;
  CadInsertBlock("leer", 0, 0, 0, 1, 1);
  EXPECT_EQ(graphicsState.DisplayList.size(), from);
  EXPECT_EQ(errorList.ErrorCount, errors);
  CadEndOutput();
}

TEST_F(ScreenBlocks, MissingBlockAndNamesWithSeparators) {
  cadSettings.DwgNoFooter = true;
  // A file that exists, reached only through a path in the name.
  test::writeFile(dir / "$boese.dx$", Pairs({{0, "LINE"}, {11, "1"}, {0, "EOF"}}));
  Begin();
  CadBeginEntities();
  for (const std::string& name : {std::string("fehlt"), std::string("../$boese"), std::string("..\\boese"),
                                  (dir / "boese").string()}) {
    programState.ErrorFlag = false;
    ClearErrorList();
    const size_t from = graphicsState.DisplayList.size();
    CadInsertBlock(name, 0, 0, 0, 1, 1);
    EXPECT_TRUE(programState.ErrorFlag) << name;
    EXPECT_TRUE(HasErrorMsg("Invalid temp directory")) << name;
    EXPECT_TRUE(Records(RecLine, from).empty()) << name;
  }
  CadEndOutput();
}

TEST_F(ScreenBlocks, BlockThatInsertsItselfStopsAtTheFifthLevel) {
  cadSettings.DwgNoFooter = true;
  UserBlock("selbst", Pairs({{0, "LINE"}, {11, "1"}, {0, "INSERT"}, {2, "selbst"}, {10, "1"}, {20, "0"},
                             {0, "EOF"}}));
  Begin();
  CadBeginEntities();
  const size_t from = graphicsState.DisplayList.size();
  CadInsertBlock("selbst", 0, 0, 0, 1, 1);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(Messages(), std::vector<std::string>{"error blockno.5"});
  EXPECT_EQ(Records(RecLine, from).size(), 4u);  // levels 1 to 4
  EXPECT_EQ(cadrun.BlockDepth, 0);
  // The program goes on: the next insertion starts afresh.
  programState.ErrorFlag = false;
  UserBlock("gut", Pairs({{0, "LINE"}, {11, "1"}, {0, "EOF"}}));
  CadInsertBlock("gut", 5, 5, 0, 1, 1);
  EXPECT_FALSE(programState.ErrorFlag);
  ExpectLine(Records(RecLine, from).back(), 5, 5, 6, 5, "after the error");
  CadEndOutput();
}

TEST_F(ScreenBlocks, CleanUpKeepsTheUsersBlockFiles) {
  // The user's logo in the block folder, an older one in the temporary folder, and a foreign file.
  UserBlock("LOGO_2", Pairs({{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "480"}, {21, "360"}, {0, "EOF"}}));
  test::writeFile(dir / "tmp" / "$kopf_1.dx$", Pairs({{0, "LINE"}, {11, "1"}, {0, "EOF"}}));
  Begin();
  CadBeginBlocks();
  CadBeginBlock("feder");
  CadLine(0, 0, 1, 1);
  CadEndBlock();
  CadEndSection();
  CadBeginEntities();
  ASSERT_TRUE(fs::exists(BlockFile("feder")));
  CadEndOutput();
  EXPECT_FALSE(fs::exists(BlockFile("feder")));
  EXPECT_TRUE(fs::exists(dir / "blocks" / "$LOGO_2.dx$"));
  EXPECT_TRUE(fs::exists(dir / "tmp" / "$kopf_1.dx$"));
  // The same at the program's end.
  CadDeleteBlockFiles();
  EXPECT_TRUE(fs::exists(dir / "tmp" / "$kopf_1.dx$"));
}

TEST_F(ScreenBlocks, ABlockTheDrawingDefinesIsNotReplacedByAUserFileOfTheSameName) {
  cadSettings.DwgNoFooter = true;
  UserBlock("feder", Pairs({{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "99"}, {21, "99"}, {0, "EOF"}}));
  Begin();
  CadBeginBlocks();
  CadBeginBlock("feder");
  CadLine(0, 0, 10, 0);
  CadEndBlock();
  CadEndSection();
  CadBeginEntities();
  const size_t from = graphicsState.DisplayList.size();
  CadInsertBlock("feder", 0, 0, 0, 1, 1);
  const auto lines = Records(RecLine, from);
  ASSERT_EQ(lines.size(), 1u);
  ExpectLine(lines[0], 0, 0, 10, 0, "the drawing's own block");
  CadEndOutput();
}

TEST_F(ScreenBlocks, LogoLandsInTheCornerOfAnyPage) {
  cadSettings.DwgNoFooter = true;
  UserBlock("LOGO_2", Pairs({{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "480"}, {21, "360"}, {0, "EOF"}}));
  Begin();  // 160 x 120
  const size_t from = graphicsState.DisplayList.size();
  CadBeginEntities();
  auto lines = Records(RecLine, from);
  ASSERT_EQ(lines.size(), 1u);
  ExpectLine(lines[0], 145.6L, 1.2L, 145.6L + 160, 1.2L + 120, "LOGO_2");
  CadEndOutput();
  // A4 and A3 frames carry their own logo.
  Begin();
  printSettings.SheetFormat = 2;
  const size_t from2 = graphicsState.DisplayList.size();
  CadBeginEntities();
  EXPECT_TRUE(Records(RecLine, from2).empty());
  CadEndOutput();
}

TEST_F(ScreenBlocks, FooterNamesTheDataFile) {
  programState.DataDir = "daten";
  programState.CurrentFileName = "feder1";
  programState.DataExt = "qva";
  programState.ProgName = "QORVA";
  Begin();  // clears the display list
  auto texts = Records(RecText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(GetDataFilePath(), "daten/feder1.qva");
  const std::string tail = " - KWENDAL QORVA V1.0 - daten/feder1.qva";
  ASSERT_GT(texts[0].text.size(), tail.size());
  EXPECT_EQ(texts[0].text.substr(texts[0].text.size() - tail.size()), tail);
  CadEndOutput();
  programState.CurrentFileName = "";
  Begin();
  texts = Records(RecText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text.substr(texts[0].text.size() - 24), " - KWENDAL QORVA V1.0 - ");
  CadEndOutput();
}

// STL-like outputs read their blocks back as the screen does, while their own file is open.
TEST_F(CadBlocksTest, BlockFileCodeReadsBlocksBackAndAbandonsOnADamagedFile) {
  RecordingWriter& w = Register(6, "stl", true);
  desktopSettings.CadBatchMode = true;
  programState.CurrentFileName = (dir / "teil").string();
  CadBeginOutput(6);
  CadPageSetup(0, 0, 100, 100, 25);
  EXPECT_TRUE(Near(cadrun.StlHeight, 25));
  CadBeginBlocks();
  CadBeginBlock("b");
  CadLine(0, 0, 1, 0);
  CadEndBlock();
  CadEndSection();
  CadBeginEntities();
  CadInsertBlock("b", 10, 10, 0, 1, 1);
  ASSERT_EQ(w.only("line").size(), 1u);
  EXPECT_TRUE(Near(w.only("line")[0].v[2], 11));
  EXPECT_TRUE(w.only("block").empty());  // the writer knows nothing of the blocks

  // A group code that is no number: the run ends and the writer's file is dropped.
  test::writeFile(dir / "blocks" / "$kaputt.dx$", "  0\nLINE\nzehn\n5\n");
  CadInsertBlock("kaputt", 0, 0, 0, 1, 1);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(w.only("abandon").size(), 1u);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("zehn"), std::string::npos);
  CadLine(0, 0, 5, 5);
  CadEndOutput();
  EXPECT_EQ(w.only("line").size(), 1u);
  EXPECT_TRUE(w.only("close").empty());
}

// In the window the STL height is asked, a cancel keeps the page's; a command-line run never asks.
TEST_F(CadBlocksTest, StlPageHeightIsAskedInTheWindowOnly) {
  Register(6, "stl", true);
  struct Case {
    bool batch;
    std::optional<std::string> answer;  // nothing: the prompt is cancelled
    long double pageHeight, want;
  };
  const Case cases[] = {
      {false, std::string("25"), 0, 25}, {false, std::nullopt, 0, 1}, {false, std::nullopt, 40, 40},
      {true, std::nullopt, 0, 1},        {true, std::nullopt, 40, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.batch) + " " + std::to_string(static_cast<double>(c.pageHeight)));
    programState.ErrorFlag = false;
    test::scriptedPrompter().clear();
    desktopSettings.CadBatchMode = c.batch;
    programState.CurrentFileName = (dir / "teil").string();
    if (!c.batch) test::scriptedPrompter().push((dir / "teil.stl").string());  // the save dialog
    CadBeginOutput(6);
    ASSERT_FALSE(programState.ErrorFlag);
    if (!c.batch) {
      if (c.answer) test::scriptedPrompter().push(*c.answer);
      else test::scriptedPrompter().push(Cancel{});
    }
    CadPageSetup(0, 0, 100, 100, c.pageHeight);
    EXPECT_FALSE(programState.ErrorFlag);
    EXPECT_TRUE(Near(cadrun.StlHeight, c.want)) << cadrun.StlHeight;
    EXPECT_EQ(test::scriptedPrompter().pending(), 0u);
    int heights = 0;
    for (const auto& a : test::scriptedPrompter().asked()) heights += a.text == "H\xC3\xB6he [mm]";
    EXPECT_EQ(heights, c.batch ? 0 : 1);
    CadEndOutput();
    std::filesystem::remove(dir / "teil.stl");
  }
}

}  // namespace
}  // namespace qorva::cadtest
