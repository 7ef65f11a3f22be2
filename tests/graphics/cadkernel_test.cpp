// The CAD kernel's output run, drawing state and primitives.

#include "graphics/cadkernel.h"
#include "platform/services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "foundation/graphicssettings.h"
#include "graphics/dimensions.h"
#include "graphics/dxfwriter.h"
#include "graphics/graphicsdraw.h"
#include "foundation/desktopsettings.h"
#include "graphics/graphicsstate.h"
#include "graphics/iges.h"
#include "graphics/txtwriter.h"
#include "graphics/stlwriter.h"
#include "tests/graphics/cadkernel_fixture.h"

namespace qorva::cadtest {
namespace {

constexpr long double kPi = 3.14159265358979323846264338327950288L;

using CadKernelTest = KernelTest;

// ---- Dispatch ----

TEST_F(CadKernelTest, WriterReceivesEveryPrimitiveWithTheOriginOffset) {
  RecordingWriter& w = Register(5, "txt", false);
  desktopSettings.CadBatchMode = true;
  programState.CurrentFileName = (dir / "feder").string();
  CadBeginOutput(5);
  ASSERT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(cadrun.CadFileName, (dir / "feder.txt").string());
  CadSetOrigin(10, 20);
  CadLine(1, 2, 3, 4);
  CadCircle(5, 6, 7);
  CadArc(0, 0, 0, 90, 2);
  CadArc(0, 0, 0, 90, 0);  // radius 0: nothing
  CadText("", 1, 1);       // empty text: nothing
  CadText("abc", 1, 1);
  CadSolid(0, 0, 1, 0, 0, 1, 1, 1);
  CadSetColor(47);
  CadSetColor(32);
  CadSetColor(7);
  CadEndOutput();
  EXPECT_FALSE(programState.ErrorFlag);

  std::vector<std::string> ops;
  for (const auto& c : w.calls) ops.push_back(c.op);
  const std::vector<std::string> expected = {"open", "line",  "circle", "arc",   "text",
                                             "solid", "color", "color",  "color", "close"};
  EXPECT_EQ(ops, expected);
  const auto& line = w.calls[1].v;
  EXPECT_TRUE(Near(line[0], 11) && Near(line[1], 22) && Near(line[2], 13) && Near(line[3], 24));
  EXPECT_TRUE(Near(w.calls[2].v[0], 15) && Near(w.calls[2].v[1], 26) && Near(w.calls[2].v[2], 7));
  // An arc reaches the writer with its start and end points.
  const auto& arc = w.calls[3].v;
  EXPECT_TRUE(Near(arc[0], 10) && Near(arc[1], 20) && Near(arc[2], 12) && Near(arc[3], 20) && Near(arc[4], 10) &&
              Near(arc[5], 22));
  EXPECT_EQ(w.calls[4].text, "abc");
  EXPECT_TRUE(Near(w.calls[5].v[6], 11) && Near(w.calls[5].v[7], 21));
  EXPECT_EQ(w.calls[6].v[0], 31);
  EXPECT_EQ(w.calls[7].v[0], 16);
  EXPECT_EQ(w.calls[8].v[0], 7);
}

TEST_F(CadKernelTest, CodeWithoutWriterIsRefusedWithAMessage) {
  for (uint16_t code : {2, 5, 6}) {
    programState.ErrorFlag = false;
    test::scriptedPrompter().clear();
    CadBeginOutput(code);
    EXPECT_TRUE(programState.ErrorFlag) << code;
    ASSERT_EQ(Messages().size(), 1u) << code;
    EXPECT_NE(Messages()[0].find("nicht verf"), std::string::npos) << Messages()[0];
    // No dialog was shown before the refusal.
    EXPECT_EQ(test::scriptedPrompter().asked().size(), 1u);
  }
  EXPECT_NE(Messages()[0].find("STL"), std::string::npos);
}

// One registry holds every output's writer: the kernel's own as well as the file writers, each
// with its output's extension, and a writer registered for any output is the one its runs use.
TEST_F(CadKernelTest, EveryOutputHasItsWriterInTheOneRegistry) {
  RegisterIgesWriter();
  RegisterTxtWriter();
  RegisterStlWriter();
  for (uint16_t code = 1; code < CadOutputCount; ++code) {
    const CadWriter* w = CadWriterFor(code);
    ASSERT_NE(w, nullptr) << code;
    EXPECT_EQ(w->extension(), CadOutputInfo(code).extension) << code;
  }
  EXPECT_EQ(CadWriterFor(CadCodeOf(CadOutput::None)), nullptr);
  EXPECT_EQ(CadWriterFor(CadOutputCount), nullptr);

  for (CadOutput o : {CadOutput::Dxf, CadOutput::Screen, CadOutput::Plot}) {
    auto own = RegisterCadWriter(o, std::make_unique<RecordingWriter>("", false));
    auto& stand = static_cast<RecordingWriter&>(*CadWriterFor(CadCodeOf(o)));
    desktopSettings.CadBatchMode = true;
    programState.CurrentFileName = (dir / "stand").string();
    graphicsState.DisplayList.clear();
    CadBeginOutput(CadCodeOf(o));
    CadLine(1, 2, 3, 4);
    CadEndOutput();
    EXPECT_EQ(stand.only("line").size(), 1u) << CadOutputInfo(o).name;
    EXPECT_TRUE(graphicsState.DisplayList.empty()) << "the screen was not drawn on: " << CadOutputInfo(o).name;
    RegisterCadWriter(o, std::move(own));
    EXPECT_NE(CadWriterFor(CadCodeOf(o)), &stand);
  }
  EXPECT_FALSE(fs::exists(dir / "stand.dxf"));
}

TEST_F(CadKernelTest, FailedWriteAbandonsTheRunAndClosesTheWriter) {
  // The writer's failure counts also when a step of the caller had raised the flag before it.
  for (const bool flagBefore : {false, true}) {
    SCOPED_TRACE(flagBefore);
    SetUp();
    RecordingWriter& w = Register(5, "txt", false);
    desktopSettings.CadBatchMode = true;
    cadSettings.ExecCadFile = true;
    programState.CurrentFileName = (dir / "feder").string();
    w.failAfterLines = 2;
    CadBeginOutput(5);
    programState.ErrorFlag = flagBefore;
    for (int i = 0; i < 10; ++i) CadLine(0, 0, i, i);
    CadEndOutput();
    EXPECT_TRUE(programState.ErrorFlag);
    EXPECT_EQ(w.only("line").size(), 2u);
    EXPECT_EQ(w.only("abandon").size(), 1u);
    EXPECT_TRUE(w.only("close").empty());
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(test::recordingLauncher().launched().empty());  // a failed file is not opened
  }
}

TEST_F(CadKernelTest, FailedDxfWriteDropsTheFileAndReportsOnce) {
  // The output file is a link to a device that is always full.
  fs::create_symlink("/dev/full", dir / "voll.dxf");
  desktopSettings.CadBatchMode = true;
  cadSettings.ExecCadFile = true;
  programState.CurrentFileName = (dir / "voll").string();
  CadBeginOutput(1);
  ASSERT_FALSE(programState.ErrorFlag);
  CadPageSetupDefault();
  CadWriteTables(2);
  CadBeginEntities();
  for (int i = 0; i < 20000 && !programState.ErrorFlag; ++i) CadLine(0, 0, i, i);
  EXPECT_TRUE(programState.ErrorFlag);  // the write failed while drawing
  CadLine(1, 1, 2, 2);
  CadEndSection();
  CadEndOutput();
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_FALSE(ShareTextFile.IsOpen());
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("voll.dxf"), std::string::npos);
  EXPECT_TRUE(test::recordingLauncher().launched().empty());
  // The next run starts afresh.
  programState.ErrorFlag = false;
  programState.CurrentFileName = (dir / "gut").string();
  OutputRun(1, [&] {
    CadWriteTables(2);
    CadBeginEntities();
    CadLine(0, 0, 1, 1);
    CadEndSection();
  });
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(CheckDxf(dir / "gut.dxf").exitCode, 0);
}

// ---- Layers and pens ----

TEST_F(CadKernelTest, DxfLayerOfFoldedColourNumbers) {
  desktopSettings.CadBatchMode = true;
  programState.CurrentFileName = (dir / "layer").string();
  CadBeginOutput(1);
  const std::pair<int32_t, const char*> cases[] = {{32, "16"}, {47, "31"}, {7, "7"}, {0, "0"}, {1, "1"}};
  for (const auto& [n, name] : cases) {
    CadSetColor(n);
    EXPECT_EQ(cadrun.CurrentLayerName, name) << n;
  }
  CadEndOutput();
}

TEST_F(CadKernelTest, ScreenPenOfEachLayer) {
  cadSettings.CadCode = 3;
  cadSettings.LayerWidths = {7, 4, 3, -2, 90, 5};
  cadSettings.LayerColors = {1, 2, 3, 4, 5, 6};
  cadSettings.ColorLayerWidths[20] = 60;
  cadSettings.ColorLayerWidths[21] = 9;
  cadSettings.ColorLayerColors[21] = 3;
  struct Case {
    int32_t n;
    uint16_t style, width;
    int32_t colour;  // palette number; -1: as before
  } cases[] = {
      {1, 2, 4, 14},  {2, 3, 3, 10}, {0, 0, 1, 12},  // layer 0: width 1 whatever its entry says
      {6, 0, 1, -1},  {20, 0, 1, -2}, {21, 0, 9, 10}, {37, 0, 9, 10},  // 37 folds to 21
      {3, 0, 1, -2},  {4, 0, 90, -2},  // a width below 0 is 1; wide pens stay
  };
  int32_t before = 0;
  for (const auto& c : cases) {
    before = graphicsState.CurrentColor;
    CadSetColor(c.n);
    EXPECT_EQ(graphicsState.CurrentLineStyle, c.style) << c.n;
    EXPECT_EQ(graphicsState.CurrentLineWidth, c.width) << c.n;
    if (c.colour == -1) {
      EXPECT_EQ(graphicsState.CurrentColor, before) << c.n;
    } else if (c.colour >= 0) {
      EXPECT_EQ(graphicsState.CurrentColor, c.colour) << c.n;
    }
  }
}

// ---- Choosing and opening the output ----

TEST_F(CadKernelTest, CancelledCodeChoiceLeavesTheCode) {
  cadSettings.CadCode = 3;
  test::scriptedPrompter().push(Cancel{});
  CadBeginOutput(0);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(cadSettings.CadCode, 3);
  const auto& asked = test::scriptedPrompter().asked();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text, "CAD-Code");
  EXPECT_EQ(asked[0].preselect, 2);  // code 3, 0-based
  ASSERT_EQ(asked[0].entries.size(), 6u);
  EXPECT_EQ(asked[0].entries[3], "Ausgabe auf Laserprinter/Plotter mit VENTRIX");
}

TEST_F(CadKernelTest, SavedNameGetsTheExtensionOfTheOutput) {
  for (const char* typed : {"plan", "plan.txt"}) {
    programState.ErrorFlag = false;
    test::scriptedPrompter().clear();
    test::scriptedPrompter().push(0);  // DXF
    test::scriptedPrompter().push((dir / typed).string());
    CadBeginOutput(0);
    ASSERT_FALSE(programState.ErrorFlag) << typed;
    EXPECT_EQ(cadrun.CadFileName, (dir / "plan.dxf").string()) << typed;
    EXPECT_EQ(cadSettings.CadCode, 1);
    CadEndOutput();
    fs::remove(dir / "plan.dxf");
  }
  // Cancel: no file and the flag.
  programState.ErrorFlag = false;
  test::scriptedPrompter().push(Cancel{});
  CadBeginOutput(1);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_FALSE(ShareTextFile.IsOpen());
}

TEST_F(CadKernelTest, PlotProgramCommandLineIsAskedAndKept) {
  cadSettings.VentrixCmdCount = 2;
  cadSettings.VentrixCmdLines[2] = "plot2 x";
  std::string windowSaw;
  services().VentrixSettingsWindow = [&](std::string& line) {
    windowSaw = line;
    line = "fenster y";
    return true;
  };
  test::scriptedPrompter().push(3);  // code 4
  test::scriptedPrompter().push(1);  // second line
  test::scriptedPrompter().push(std::string("plotter -z"));
  CadChooseCode();
  services().VentrixSettingsWindow = nullptr;
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(cadSettings.CadCode, 4);
  EXPECT_EQ(cadSettings.VentrixCmdChoice, 2);
  EXPECT_EQ(windowSaw, "plot2 x");
  const auto& asked = test::scriptedPrompter().asked();
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[2].preset, "fenster y");  // the window's line is the preset of the prompt
  EXPECT_EQ(cadSettings.VentrixCmdLines[2], "plotter -z");

  // A cancelled settings window ends the plot command there: no further prompt, the line stays.
  programState.ErrorFlag = false;
  cadSettings.VentrixCmdCount = 1;
  services().VentrixSettingsWindow = [](std::string&) { return false; };
  test::scriptedPrompter().clear();
  test::scriptedPrompter().push(3);
  CadChooseCode();
  services().VentrixSettingsWindow = nullptr;
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(test::scriptedPrompter().asked().size(), 1u) << "only the CAD code was asked";
  EXPECT_EQ(cadSettings.VentrixCmdLines[1], DefaultVentrixCmdLine);
}

TEST_F(CadKernelTest, PlotStartResultMessages) {
  const std::pair<int32_t, const char*> cases[] = {
      {0, "out of memory !"}, {2, "file not found"}, {3, "file not found"}, {11, "Exec error 11"}, {33, ""}};
  for (const auto& [r, text] : cases) EXPECT_EQ(CadExecResultText(r), text) << r;
}

TEST_F(CadKernelTest, PlotRunWritesItsWorkFileAndStartsTheCommandLine) {
  printSettings.PrintBorder = true;
  // The default line names a program that is not there.
  CadBeginOutput(4);
  ASSERT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(cadrun.CadFileName, TrimAndAddSlash(programState.TempDir) + "ventrix.dxf");
  CadPageSetup(0, 0, 297, 210, 0);
  EXPECT_EQ(cadrun.CurrentLayerName, "19");  // as the border leaves it
  CadWriteTables(2);
  // What the caller chooses before the entities stays in force after the border.
  CadSetColor(4);
  CadMoveTo(3, 3);
  CadBeginEntities();
  CadLineTo(5, 5);
  CadSetColor(1);
  CadLine(10, 10, 20, 20);
  CadEndSection();
  CadEndOutput();
  EXPECT_FALSE(programState.ErrorFlag);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "file not found");
  EXPECT_TRUE(test::recordingLauncher().launched().empty());

  // The border stands inside the ENTITIES section, before the drawing.
  const DxfCheck r = CheckDxf(cadrun.CadFileName);
  EXPECT_EQ(r.exitCode, 0) << r.output;
  const std::vector<std::string> expected = {"entities",
                                             "  LINE layer=19 (0,0) (0,210)",
                                             "  LINE layer=19 (0,210) (297,210)",
                                             "  LINE layer=19 (297,210) (297,0)",
                                             "  LINE layer=19 (297,0) (0,0)",
                                             "  LINE layer=4 (3,3) (5,5)",
                                             "  LINE layer=1 (10,10) (20,20)"};
  auto it = std::find(r.lines.begin(), r.lines.end(), "entities");
  ASSERT_NE(it, r.lines.end()) << r.output;
  EXPECT_EQ(std::vector<std::string>(it, r.lines.end() - (r.lines.back().empty() ? 1 : 0)), expected) << r.output;

  // An installed plot program is started through the shell, with a hidden window.
  test::scriptedPrompter().clear();
  test::recordingLauncher().installed = {"myplot", "/bin/sh"};
  cadSettings.VentrixCmdLines[1] = "myplot '" + cadrun.CadFileName + "' /M1.0";
  OutputRun(4, [&] {
    CadWriteTables(2);
    CadBeginEntities();
    CadEndSection();
  });
  EXPECT_TRUE(Messages().empty()) << Messages()[0];
  ASSERT_EQ(test::recordingLauncher().launched().size(), 1u);
  const LaunchRecord& rec = test::recordingLauncher().launched()[0];
  EXPECT_EQ(rec.program, "/bin/sh");
  EXPECT_EQ(rec.args, (std::vector<std::string>{"-c", cadSettings.VentrixCmdLines[1]}));

  // The program is looked for under the name the shell will run, whatever quoting its path needs.
  const std::pair<const char*, const char*> lines[] = {
      {"'/opt/it'\\''s plot/VENTRIX' /tmp/ventrix /CHPL", "/opt/it's plot/VENTRIX"},
      {"/opt/it\\'s\\ plot/VENTRIX /CHPL", "/opt/it's plot/VENTRIX"},
      {"\"/opt/\\\"q\\\" \\x/VENTRIX\" /CHPL", "/opt/\"q\" \\x/VENTRIX"},
  };
  for (const auto& [line, program] : lines) {
    test::scriptedPrompter().clear();
    test::recordingLauncher().clear();
    test::recordingLauncher().installed = {program, "/bin/sh"};
    cadSettings.VentrixCmdLines[1] = line;
    OutputRun(4, [&] {
      CadWriteTables(2);
      CadBeginEntities();
      CadEndSection();
    });
    EXPECT_TRUE(Messages().empty()) << line;
    EXPECT_EQ(test::recordingLauncher().launched().size(), 1u) << line;
  }
}

// The plot program's work file defines the user's blocks (logos, heads) it inserts, with or without
// a blocks section of the drawing's own, and inserts no block it does not define; a DXF file gets no
// logo.
TEST_F(CadKernelTest, PlotWorkFileDefinesTheUserBlocksItInserts) {
  test::writeFile(dir / "blocks" / "$LOGO_2.dx$",
                  "0\nLINE\n8\n3\n10\n0\n20\n0\n11\n480\n21\n360\n0\nTEXT\n1\nLogo\n10\n5\n20\n5\n0\nEOF\n");
  test::writeFile(dir / "tmp" / "$head_0.dx$", "0\nCIRCLE\n8\n4\n10\n1\n20\n2\n40\n3\n0\nEOF\n");
  // A block file a screen drawing left behind is the program's own, not the user's.
  test::writeFile(dir / "tmp" / "$alt.dx$", "999\nQORVA block file\n0\nLINE\n0\nEOF\n");
  for (const bool withBlocks : {true, false}) {
    SCOPED_TRACE(withBlocks ? "with blocks" : "without blocks");
    test::scriptedPrompter().clear();
    programState.ErrorFlag = false;
    CadBeginOutput(4);
    ASSERT_FALSE(programState.ErrorFlag);
    CadPageSetupDefault();
    CadWriteTables(2);
    CadSetOrigin(7, 7);  // the logo keeps its own coordinates
    if (withBlocks) {
      CadBeginBlocks();
      CadBeginBlock("feder");
      CadLine(0, 0, 1, 1);
      CadEndBlock();
      CadEndSection();
    }
    CadSetColor(2);
    CadTextStyle(2, 0, 5, 0);
    CadBeginEntities();
    EXPECT_EQ(cadrun.CurrentLayerName, "2");
    EXPECT_TRUE(Near(cadrun.TextHeight, 5));
    EXPECT_TRUE(Near(cadrun.OriginX, 7));
    CadInsertBlockOffset("head_0", 10, 20, 0, 1, 1);
    CadInsertBlock("alt", 0, 0, 0, 1, 1);
    CadInsertBlock("fehlt", 0, 0, 0, 1, 1);
    CadEndSection();
    CadEndOutput();
    EXPECT_FALSE(programState.ErrorFlag);
    const DxfCheck r = CheckDxf(TrimAndAddSlash(programState.TempDir) + "ventrix.dxf");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    for (const char* line : {"block LOGO_2 base=(0,0)", "  LINE layer=3 (0,0) (480,360)",
                             "  INSERT layer=2 LOGO_2 (145.6,1.2) sx=0.333333 sy=0.333333 rot=0",
                             "block head_0 base=(0,0)", "  CIRCLE layer=4 (1,2) r=3",
                             "  INSERT layer=2 head_0 (17,27) sx=1 sy=1 rot=0"})
      EXPECT_TRUE(r.has(line)) << line << "\n" << r.output;
    for (const char* missing : {"LOGO_3", "alt", "fehlt"})
      EXPECT_EQ(r.output.find(missing), std::string::npos) << missing << "\n" << r.output;
  }
  desktopSettings.CadBatchMode = true;
  programState.CurrentFileName = (dir / "ohnelogo").string();
  OutputRun(1, [&] {
    CadWriteTables(2);
    CadBeginEntities();
    CadEndSection();
  });
  const DxfCheck r = CheckDxf(dir / "ohnelogo.dxf");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output.find("LOGO_2"), std::string::npos) << r.output;
}

// A DXF drawing as the drawings make one: blocks, inserts, texts, arcs, solids and dimensions, read
// by ezdxf.
TEST_F(CadKernelTest, DxfFileOfAWholeDrawingPassesTheAudit) {
  desktopSettings.CadBatchMode = true;
  cadSettings.ExecCadFile = true;
  programState.CurrentFileName = (dir / "zeichnung").string();
  CadBeginOutput(1);
  ASSERT_FALSE(programState.ErrorFlag);
  CadPageSetup(0, 0, 297, 210, 0);
  CadWriteTables(2);
  CadBeginBlocks();
  CadBeginBlock("feder");
  CadSetColor(1);
  CadLine(0, 0, 10, 0);
  CadArc(0, 0, 30, 120, 4);
  CadCircle(5, 5, 2.5L);
  CadDimHorzExt("10", "", "", 0, 0, 10, 0, -5);
  CadEndBlock();
  CadEndSection();
  CadBeginEntities();
  CadSetOrigin(100, 50);
  CadSetColor(2);
  CadInsertBlock("feder", 10, 20, 90, 2, 2);
  CadInsertBlockOffset("feder", 10, 20, 0, 1, 1);
  CadTextStyle(2, 0, 3.5L, 2.5L);
  CadText("Feder", 1, 2);
  CadArc(0, 0, 350, 10, 5);
  CadSolid(0, 0, 4, 0, 0, 4, 4, 4);
  CadDimVertExt("20", "", "", 0, 0, 0, 20, -8);
  CadSetColor(20);
  CadRectangle(-100, -50, 197, 160);
  CadEndSection();
  CadEndOutput();
  ASSERT_FALSE(programState.ErrorFlag);
  ASSERT_EQ(test::recordingLauncher().launched().size(), 1u);
  EXPECT_EQ(test::recordingLauncher().launched()[0].program, (dir / "zeichnung.dxf").string());

  const DxfCheck r = CheckDxf(dir / "zeichnung.dxf");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_TRUE(r.has("audit errors=0 fixes=0")) << r.output;
  for (const char* line : {"block feder base=(0,0)", "  LINE layer=1 (0,0) (10,0)",
                           "  ARC layer=1 (0,0) r=4 from=30 to=120", "  CIRCLE layer=1 (5,5) r=2.5",
                           // A plain insertion is not offset; the offset one is.
                           "  INSERT layer=2 feder (10,20) sx=2 sy=2 rot=90",
                           "  INSERT layer=2 feder (110,70) sx=1 sy=1 rot=0",
                           "  TEXT layer=2 (101,52) h=3.5 text=\"Feder\" style=STANDARD width=0.714 rot=0 oblique=0",
                           "  ARC layer=2 (100,50) r=5 from=350 to=10",
                           "  SOLID layer=2 (100,50) (104,50) (100,54) (104,54)", "  LINE layer=20 (0,0) (0,210)",
                           // Dimensions: extension and dimension lines, arrowheads and value texts,
                           // in the block and on the page.
                           "  LINE layer=3 (0,0) (0,-6)", "  LINE layer=3 (10,-5) (0,-5)",
                           "  SOLID layer=3 (10,-5) (13.446827,-4.392231) (13.446827,-5.607769) (13.5,-5)",
                           // The short dimension's value stands beyond its right arrow.
                           "  TEXT layer=3 (14.5,-4) h=3.5 text=\"10\" style=STANDARD width=0.714 rot=0 oblique=0",
                           "  LINE layer=3 (100,50) (91,50)", "  LINE layer=3 (92,50) (92,70)"})
    EXPECT_TRUE(r.has(line)) << line << "\n" << r.output;
}

// A step that failed inside a block definition does not leave the block open in the file.
TEST_F(CadKernelTest, BlockEndsWellFormedAfterAFailedStep) {
  desktopSettings.CadBatchMode = true;
  programState.CurrentFileName = (dir / "bloecke").string();
  OutputRun(1, [&] {
    CadWriteTables(2);
    CadBeginBlocks();
    CadBeginBlock("a");
    CadLine(0, 0, 1, 1);
    programState.ErrorFlag = true;  // as a cancelled prompt inside the drawing leaves it
    CadEndBlock();
    EXPECT_FALSE(programState.ErrorFlag);
    programState.ErrorFlag = true;
    CadBeginBlock("b");  // not started while the flag is set
    CadEndBlock();
    CadEndSection();
    CadBeginEntities();
    CadInsertBlock("a", 0, 0, 0, 1, 1);
    CadEndSection();
  });
  ASSERT_FALSE(programState.ErrorFlag);
  const DxfCheck r = CheckDxf(dir / "bloecke.dxf");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_TRUE(r.has("block a base=(0,0)")) << r.output;
  EXPECT_FALSE(r.has("block b base=(0,0)")) << r.output;
}

// A run that its caller ends with the flag set (a step of its own failed) still closes a complete
// file and reports no write error; the flag stays for the caller, and the file is not opened.
TEST_F(CadKernelTest, RunEndedWithTheFlagSetClosesACompleteFile) {
  desktopSettings.CadBatchMode = true;
  cadSettings.ExecCadFile = true;
  programState.CurrentFileName = (dir / "abbruch").string();
  OutputRun(1, [&] {
    CadWriteTables(2);
    CadBeginEntities();
    CadLine(0, 0, 1, 1);
    programState.ErrorFlag = true;
    CadEndSection();
  });
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_TRUE(Messages().empty()) << Messages()[0];
  EXPECT_TRUE(test::recordingLauncher().launched().empty());
  const DxfCheck r = CheckDxf(dir / "abbruch.dxf");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_TRUE(r.has("  LINE layer=0 (0,0) (1,1)")) << r.output;
}

// ---- Text state and composite operations ----

TEST_F(CadKernelTest, TextStyleKeepsTheAngleWhateverTheWindowShape) {
  // World units are square on the screen at any window shape, so a file written from a wide window
  // gets the same text angles as one written from a 4:3 window.
  const struct {
    int32_t resX, resY;
  } windows[] = {{639, 479}, {1279, 799}, {1919, 1079}, {2559, 1079}, {0, 0}};
  cadSettings.CadCode = 1;
  for (const auto& w : windows) {
    programState.GraphResX = w.resX;
    programState.GraphResY = w.resY;
    for (long double angle : {4.4L, 30.0L, 45.0L, 85.4L, 90.0L}) {
      CadTextStyle(2, angle, 5, 0);
      EXPECT_EQ(cadrun.TextAngle, angle) << w.resX << "x" << w.resY;
    }
  }
  EXPECT_TRUE(Near(cadrun.TextWidthFactor, 0.7L));
  cadSettings.CadTextWidth = 2;
  CadTextStyle(2, 0, 5, 2.5L);
  EXPECT_TRUE(Near(cadrun.TextWidthFactor, 1.0L));
  // No height (a block inserted with a y scale of 0): the standard ratio, never an infinite one.
  CadTextStyle(2, 0, 0, 2.5L);
  EXPECT_TRUE(Near(cadrun.TextWidthFactor, 1.4L));
}

TEST_F(CadKernelTest, TextStyleFitShrinksALongText) {
  cadSettings.CadCode = 1;
  graphicsSettings.GraphTextWidth = 0.7L;
  CadTextStyleFit(2, "  abcd  ", 0, 5, 2, 100);  // needs 4 x 2 = 8
  EXPECT_TRUE(Near(cadrun.TextHeight, 5));
  CadTextStyleFit(2, "abcd", 0, 5, 2, 4);
  EXPECT_TRUE(Near(cadrun.TextHeight, 2.5L));
}

TEST_F(CadKernelTest, WriteLineMovesOneLineDownInTheTextFrame) {
  cadSettings.CadCode = 0;
  cadrun.TextHeight = 5;
  cadrun.TextAngle = 0;
  CadMoveTo(10, 10);
  CadWriteLine("a");
  EXPECT_TRUE(Near(cadrun.CurX, 10) && Near(cadrun.CurY, 2));
  CadWriteLine("");
  EXPECT_TRUE(Near(cadrun.CurY, 2));
  cadrun.TextAngle = 90;
  CadWriteLine("b");
  EXPECT_TRUE(Near(cadrun.CurX, 18) && Near(cadrun.CurY, 2));
}

TEST_F(CadKernelTest, DimScaleFallsBackToOneBelowAHundredth) {
  cadSettings.DimensionFactor = 2;
  CadSetDimScale(3);
  EXPECT_TRUE(Near(cadrun.DimScale, 6));
  CadSetDimScale(0.004L);
  EXPECT_TRUE(Near(cadrun.DimScale, 1));
  CadSetDimScale(-0.005L);  // -0.01: not below a hundredth
  EXPECT_TRUE(Near(cadrun.DimScale, -0.01L));
}

TEST_F(CadKernelTest, SpiralEndsExactlyAtItsLastPoint) {
  cadSettings.CadCode = 3;
  const size_t from = graphicsState.DisplayList.size();
  CadSpiral(10, 2, 1, 0, 90);  // 72 segments per turn
  const auto lines = Records(RecLine, from);
  ASSERT_GE(lines.size(), 144u);
  EXPECT_TRUE(Near(lines.front().f[1], 0, 1e-4L) && Near(lines.front().f[2], 10, 1e-4L));
  EXPECT_TRUE(Near(lines.back().f[3], 0, 1e-4L) && Near(lines.back().f[4], 12, 1e-4L));
  for (size_t i = 1; i < lines.size(); ++i) {
    const long double r = std::hypot(lines[i].f[3], lines[i].f[4]);
    EXPECT_GE(r, 10) << i;
    EXPECT_LE(r, 12.0001L) << i;
  }
}

// ---- Arcs as segments (STL-like outputs) ----

TEST_F(CadKernelTest, ArcsAndCirclesBecomeSegments) {
  RecordingWriter& w = Register(6, "stl", true);
  cadSettings.CadCode = 6;
  desktopSettings.CadBatchMode = true;
  programState.CurrentFileName = (dir / "stl").string();
  CadBeginOutput(6);
  ASSERT_FALSE(programState.ErrorFlag);
  struct Case {
    const char* what;
    long double a1, a2, r, res;
    size_t lines;
  } cases[] = {
      {"circle r 1", 0, 0, 1, 0.5L, 14},  // 13 segments plus the zero-length first
      {"quarter r 10", 0, 90, 10, 0.5L, 32},
      {"quarter r 0.1", 0, 90, 0.1L, 0.5L, 17},
      {"whole turn", 30, 390, 1, 0.5L, 14},  // a full circle
      {"two turns back", 30, -690, 1, 0.5L, 14},
  };
  for (const auto& c : cases) {
    w.calls.clear();
    cadSettings.ArcResolution = c.res;
    if (c.a1 == c.a2) CadCircle(0, 0, c.r);
    else CadArc(0, 0, c.a1, c.a2, c.r);
    EXPECT_EQ(w.only("line").size(), c.lines) << c.what;
    EXPECT_TRUE(w.only("arc").empty() && w.only("circle").empty()) << c.what;
  }

  // 350 to 10 degrees sweeps 20 degrees through 0.
  w.calls.clear();
  cadSettings.ArcResolution = 0;
  CadArc(0, 0, 350, 10, 10);
  EXPECT_TRUE(Near(cadSettings.ArcResolution, 0.2L));
  auto lines = w.only("line");
  ASSERT_FALSE(lines.empty());
  for (const auto& l : lines) EXPECT_GT(l.v[2], 9.8L);  // all near +x
  EXPECT_TRUE(Near(lines.back().v[2], 10 * std::cos(10 * kPi / 180), 1e-9L) &&
              Near(lines.back().v[3], 10 * std::sin(10 * kPi / 180), 1e-9L));

  // A clockwise sweep runs from the start point to the end point the short way round.
  w.calls.clear();
  CadArcSegments(10, 0, 0, -10, -kPi / 2);
  lines = w.only("line");
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(Near(lines.front().v[0], 10) && Near(lines.front().v[1], 0));
  EXPECT_TRUE(Near(lines.back().v[2], 0, 1e-9L) && Near(lines.back().v[3], -10, 1e-9L));
  for (const auto& l : lines) EXPECT_GE(l.v[2], -1e-9L) << "left the quarter";
  for (const auto& l : lines) EXPECT_LE(l.v[3], 1e-9L) << "left the quarter";

  // Equal angles: no sweep, nothing drawn.
  w.calls.clear();
  CadArc(0, 0, 45, 45, 3);
  EXPECT_TRUE(w.only("line").empty());
  CadEndOutput();
  EXPECT_EQ(w.only("close").size(), 1u);
}

// Sizes that are no number draw nothing, and a tiny resolution or a huge number of turns ends after
// a bounded number of segments instead of keeping the program busy.
TEST_F(CadKernelTest, SegmentCountsAreBounded) {
  RecordingWriter& w = Register(6, "stl", true);
  desktopSettings.CadBatchMode = true;
  programState.CurrentFileName = (dir / "grenzen").string();
  CadBeginOutput(6);
  ASSERT_FALSE(programState.ErrorFlag);
  const long double inf = std::numeric_limits<long double>::infinity();
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  CadCircle(0, 0, nan);
  CadCircle(0, 0, inf);
  CadArc(0, 0, 0, nan, 1);
  CadArcSegments(0, 0, inf, 0, 1);
  CadSpiral(1, inf, 1, 72, 0);
  CadSpiral(nan, 1, 1, 72, 0);
  EXPECT_TRUE(w.only("line").empty());
  cadSettings.ArcResolution = nan;  // a setting that is no number
  CadCircle(0, 0, 1);
  EXPECT_TRUE(Near(cadSettings.ArcResolution, 0.2L));
  EXPECT_EQ(w.only("line").size(), 32u);
  w.calls.clear();
  cadSettings.ArcResolution = 1e-12L;
  CadCircle(0, 0, 1);
  EXPECT_EQ(w.only("line").size(), 100001u);
  w.calls.clear();
  CadSpiral(1, 1e9L, 1, 72, 0);
  EXPECT_EQ(w.only("line").size(), 100001u);  // the last one reaches the end point
  CadEndOutput();
  EXPECT_FALSE(programState.ErrorFlag);
}

}  // namespace
}  // namespace qorva::cadtest
