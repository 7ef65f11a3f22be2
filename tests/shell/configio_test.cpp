// The configuration file: its default layout, write -> read -> write, files that end early or hold
// damaged values, where the file is looked for, and writes that must not lose the old file.
#include "platform/services.h"
#include "shell/configio.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "foundation/datafolder.h"
#include "foundation/cadsettings.h"
#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/utilfile.h"
#include "foundation/view3d.h"
#include "foundation/desktopsettings.h"
#include "foundation/printsettings.h"
#include "tests/support/filehelpers.h"
#include "tests/support/testsupport.h"

namespace qorva::test {
namespace {

namespace fs = std::filesystem;

const std::string kDataDir = QORVA_TEST_DATA_DIR;

// Index of the first line equal to label (the test fails when there is none).
std::size_t Find(const std::vector<std::string>& lines, const std::string& label) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == label) return i;
  }
  ADD_FAILURE() << "no line " << label;
  return lines.size();
}

// Line index of the value of a tail entry (94..133), which mostly have no labels.
std::size_t TailLine(const std::vector<std::string>& lines, int entry) {
  const std::size_t base = Find(lines, "3D - Default x,y,z") + 4;  // entry 94
  static const int offsets[] = {0, 1, 2, 4, 6, 8};                 // entries 94 .. 99
  if (entry <= 99) return base + static_cast<std::size_t>(offsets[entry - 94]);
  if (entry <= 115) return base + static_cast<std::size_t>(24 + entry - 100);  // 100..115
  if (entry == 116) return base + 40;                                          // 16 lines
  return base + static_cast<std::size_t>(56 + entry - 117);                    // 117..133
}

// Restores an environment variable when it goes out of scope.
class EnvGuard {
 public:
  explicit EnvGuard(const char* name) : name_(name) {
    if (const char* v = std::getenv(name)) old_ = v;
  }
  ~EnvGuard() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  void set(const std::string& v) { ::setenv(name_, v.c_str(), 1); }
  void unset() { ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Every setting of the file away from its start value, each value surviving the reader's rules.
void SetEverySettingAwayFromStart() {
  auto& k = programState;
  auto& w = desktopSettings;
  auto& h = graphicsSettings;
  auto& p = printSettings;
  auto& c = cadSettings;
  for (std::size_t n = 1; n <= 5; ++n) {
    c.LayerNames[n] = "Lay" + std::to_string(n);
    c.LayerColors[n] = static_cast<int32_t>(6 + n);
  }
  c.CadTextFont = "ROMANS";
  c.CadTextWidth = 0.75L;
  c.CadTextAngle = 15.0L;
  k.CadDir = "/w/cad/";
  k.DbfDir = "/w/dbf/";
  k.HelpLevel = 2;
  k.PrinterPort = 2;
  k.PrinterType = 4;
  k.PrintDensity = 2;
  k.HardcopyRotated = 'N';
  k.SigDigits = 4;
  k.PrintDensityVertical = 3;
  k.ScreenColor = false;
  h.GraphCorrectionX = 1.05L;
  k.GraphMode = 5;
  k.GraphDriver = 6;
  k.GraphResX = 800;
  k.GraphResY = 600;
  k.TempDir = "/w/tmp/";
  k.HardcopyPort = 3;
  k.EdiDir = "/w/edi/";
  k.PltDir = "/w/plt/";
  k.SeparatorStyle = 2;
  k.LinesPerPage = 72;
  h.ZoomFactor = 1.5L;
  h.PanFactor = 0.125L;
  k.ProgramDir = "/opt/kwendal/";
  c.VentrixCmdLines[1] = "plot a.dxf";
  h.BackgroundColor = 0xFFFFFF;
  k.PrintColorMode = 2;
  c.LayerMonochrome = true;
  h.GraphTextWidth = 0.9L;
  h.GraphFontName = "Helvetica";
  for (int layer = 16; layer <= 31; ++layer) {
    c.ColorLayerColors[layer] = 32 - layer;
    c.ColorLayerWidths[layer] = layer - 14;
  }
  w.TextProgram = "kate";
  w.DatabaseMode = 2;
  w.ExternalDbProgram = "/usr/bin/dbview";
  p.DefaultPrintOriginX = 5;
  p.DefaultPrintOriginY = -7;
  p.DefaultPrintScaleX = 1.25;
  p.DefaultPrintBorder = true;
  w.UserLoginEnabled = true;
  c.VentrixCmdCount = 3;
  c.VentrixCmdLines[2] = "plot b.dxf";
  c.VentrixCmdLines[3] = "plot c.dxf";
  k.ArchiveMode = true;
  w.DateFormat = 1;
  w.HeaderSpaceLines = 4;
  w.TextDevice = 7;
  w.TextDeviceQuery = true;
  w.SmallOnlineWindow = true;
  w.DiagramLimitsQuery = true;
  w.CadTxtDecimal = 2;
  w.DefaultDataDir = "/w/data/";
  h.GraphTextHeight = 1.25L;
  w.DialogScale = 120;
  w.HtmlBrowser = "firefox";
  p.DefaultPrintScaleY = 0.75;
  for (std::size_t n = 0; n <= 5; ++n) c.LayerWidths[n] = static_cast<int32_t>(4 + n);
  p.GraphPrintDialog = false;
  p.TextWindowPos = {11, 22, 333, 444};
  w.UnitSystem = 1;
  w.HeaderMode = 2;
  p.PrintFontName = "DejaVu Sans Mono";
  p.PrintFontSize = 12;
  p.PrintFontStyle = 1;
  h.GraphFontStyle = 2;
  p.PrintOrientation = 1;
  view3d.Edit3DAngles = false;
  view3d.View3DAngles = {0.0L, 0.5L, 1.5L, -2.25L};
  w.ChangeIndexStyle = 2;
  w.ExcelDecimal = 1;
  c.ReleaseField = "Freigabe";
  c.CadDecimals = 4;
  w.CadTextMode = 3;
  w.PlainAscii = 1;
  w.DialogFontScale = 90;
  w.AngleFormat = 2;
  c.DimensionFactor = 2.5L;
  k.CfgSpareInt = 9;
  w.MenuLanguage = 2;
  w.ResultGraphic = 3;
  c.DwgNoMakerTitle = c.DwgNoFileName = c.DwgNoDate = c.DwgNoLogo = c.DwgNoFooter = c.DwgNoTitleBlock = true;
  w.NoAktuellFile = true;
  w.SaveMenuLanguage = true;
  w.TitleBlockType = 0;
  for (std::size_t n = 0; n <= 15; ++n) h.ColorTable[n] = static_cast<TColor>(0x010203 + n);
  view3d.No3DTo2D = false;
  c.DwgNoCopyright = true;
  w.ManualDir = "/w/man/";
  w.FrameMargin = 3;
  c.DwgNoGridBorder = c.DwgNoMmScale = c.DwgShowChanges = c.DwgHeadBlocks = c.DwgInsertBlocks = true;
  w.HideWarnings = true;
  c.ExecCadFile = false;
  c.PolyArcToLines = false;
  c.ArcResolution = 0.25L;
  c.StlType = 1;
  w.ScreenSizeCode = 3;  // neither 1 nor 2: the reader keeps the stored resolution
  w.DialogSizeCode = 3;  // not 1: the reader keeps the stored dialog scales
  w.TextWindowSizeCode = 2;
}

class ConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    xdg_.set((dir_ / "xdg").string());
    Reset();
    scriptedPrompter().clear();
  }

  // Start values, with the program's identity and the configuration folder of this test.
  void Reset() {
    InitAllSettings();
    services() = HeadlessServices();
    programState.ProgStem = "qorva";
    programState.ProgVersion = "1.0";
    programState.StartDir = dir_.path().string();
    desktopSettings.ConfigDir = (dir_ / "cfg").string();
    fs::create_directories(dir_ / "cfg");
  }

  fs::path ConfigPath() const { return dir_ / "cfg" / "qorva.cfg"; }

  std::string WriteAndGet() {
    EXPECT_TRUE(WriteConfigFile());
    EXPECT_FALSE(programState.ErrorFlag);
    return readFile(ConfigPath());
  }

  // Start values, then the given file read.
  void ReadBytes(const std::string& bytes) {
    Reset();
    writeFile(ConfigPath(), bytes);
    ReadConfigFile();
  }

  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const AskRecord& r : scriptedPrompter().asked()) out.push_back(r.text);
    return out;
  }

  ScratchDir dir_;
  EnvGuard xdg_{"XDG_CONFIG_HOME"};
};

// The file the program writes before any configuration was read. The zoom and pan steps are those
// in force then: the graphics start values 1.2 and 0.05, not the 1.02 and 0.02 that only the reader
// falls back on for a value of 0.
TEST_F(ConfigFileTest, StartValuesAreWrittenAsTheGoldenFile) {
  desktopSettings.DefaultDataDir = "/home/user/qorva/";  // the start folder, pinned for the golden file
  const std::string written = WriteAndGet();
  const fs::path golden = kDataDir + "/configio_default.cfg";
  if (std::getenv("QORVA_UPDATE_GOLDENS")) writeFile(golden, written);
  EXPECT_EQ(readFile(golden), written) << "differs from " << golden;
  EXPECT_EQ(Messages(), std::vector<std::string>{});
}

TEST_F(ConfigFileTest, WrittenFileReadsBackEverySetting) {
  SetEverySettingAwayFromStart();
  const std::string first = WriteAndGet();
  Reset();
  EXPECT_TRUE(ReadConfigFile());
  EXPECT_FALSE(programState.ErrorFlag);
  // Every setting differs from its start value, so a setting the reader lost or misplaced would
  // show up in the second file.
  EXPECT_EQ(WriteAndGet(), first);
  EXPECT_EQ(cadSettings.VentrixCmdLines[3], "plot c.dxf");
  EXPECT_EQ(desktopSettings.MenuLanguage, 2);
  EXPECT_FALSE(view3d.No3DTo2D);
  EXPECT_EQ(graphicsSettings.ColorTable[0], 0x010203u);
  EXPECT_EQ(programState.GraphResX, 800);
  EXPECT_EQ(desktopSettings.DialogScale, 120);
  EXPECT_EQ(desktopSettings.ConfigDir, (dir_ / "cfg").string());
}

TEST_F(ConfigFileTest, ReadsLineFeedFilesAndDecimalCommas) {
  SetEverySettingAwayFromStart();
  std::vector<std::string> lines = Lines(WriteAndGet());
  lines[Find(lines, "Zoomfaktor") + 1] = "1,75";
  std::string lf;
  for (const std::string& l : lines) lf += l + "\n";
  ReadBytes(lf);
  EXPECT_EQ(graphicsSettings.ZoomFactor, 1.75L);
  EXPECT_EQ(printSettings.TextWindowPos.Height, 444);
  EXPECT_EQ(cadSettings.PolyArcToLines, false);
  EXPECT_EQ(desktopSettings.TextWindowSizeCode, 2);
}

// A file cut after an entry: what was read, what the entries up to the next test point became,
// and what kept its start value.
TEST_F(ConfigFileTest, FileEndingEarlyStopsAtTheNextTestPoint) {
  SetEverySettingAwayFromStart();
  const std::vector<std::string> full = Lines(WriteAndGet());
  // The start values' 4:3 area of the 1280 x 1024 test screen, set only by the closing step.
  static constexpr uint16_t kFinishedX = 1280, kFinishedY = 960;

  struct Case {
    const char* name;
    std::function<std::size_t(const std::vector<std::string>&)> keep;  // lines kept
    std::function<void()> check;
  };
  const std::vector<Case> cases = {
      {"header only", [](auto&) { return std::size_t{2}; },
       [] {
         EXPECT_EQ(cadSettings.LayerNames[1], "");
         EXPECT_EQ(cadSettings.LayerNames[5], "");
         EXPECT_EQ(cadSettings.LayerColors[3], 0);
         EXPECT_EQ(cadSettings.CadTextFont, "");
         EXPECT_EQ(cadSettings.CadTextWidth, 1.0L);
         EXPECT_EQ(cadSettings.CadTextAngle, 0.0L);
         EXPECT_EQ(programState.CadDir, "");
         EXPECT_EQ(programState.DbfDir, "");
         EXPECT_EQ(programState.HelpLevel, 0);
         EXPECT_EQ(programState.PrinterPort, 1);
         EXPECT_EQ(cadSettings.LayerNames[0], "0");  // layer 0 is never stored
         EXPECT_EQ(programState.PrinterType, 3);      // after the test point: start value
         EXPECT_EQ(programState.GraphResX, 0);        // no closing step
       }},
      {"label without its value",
       [](auto& l) { return Find(l, "Hilfegrad") + 1; },
       [] {
         EXPECT_EQ(programState.DbfDir, "/w/dbf/");
         EXPECT_EQ(programState.HelpLevel, 0);
         EXPECT_EQ(programState.PrinterPort, 1);
         EXPECT_EQ(programState.PrinterType, 3);
       }},
      {"after the hardcopy port",
       [](auto& l) { return Find(l, "EDI Ordner"); },
       [] {
         EXPECT_EQ(programState.HardcopyPort, 3);
         EXPECT_EQ(programState.TempDir, "/w/tmp/");
         EXPECT_EQ(programState.GraphResX, 800);
         EXPECT_EQ(programState.EdiDir, "");      // start value
         EXPECT_EQ(graphicsSettings.ZoomFactor, 1.2L);  // start value
       }},
      {"after the EDI folder",
       [](auto& l) { return Find(l, "PLT Ordner"); },
       [] {
         EXPECT_EQ(programState.EdiDir, "/w/edi/");
         EXPECT_EQ(programState.PltDir, "");
         EXPECT_EQ(programState.SeparatorStyle, 1);
         EXPECT_EQ(programState.LinesPerPage, 66);
         EXPECT_EQ(graphicsSettings.ZoomFactor, 1.02L);
         EXPECT_EQ(graphicsSettings.PanFactor, 0.01L);
         EXPECT_EQ(programState.ProgramDir, "");
         EXPECT_EQ(cadSettings.VentrixCmdLines[1], DefaultVentrixCmdLine);
         EXPECT_EQ(programState.GraphResX, kFinishedX);
         EXPECT_EQ(programState.GraphResY, kFinishedY);
       }},
      {"after the layer monochrome flag",
       [](auto& l) { return Find(l, "Textbreitenfaktor Grafik"); },
       [] {
         EXPECT_TRUE(cadSettings.LayerMonochrome);
         EXPECT_EQ(graphicsSettings.GraphTextWidth, 0.75L);  // the CAD text width
         EXPECT_EQ(graphicsSettings.GraphFontName, "Arial");
         EXPECT_EQ(cadSettings.ColorLayerColors[16], 1);
         EXPECT_EQ(programState.GraphResX, kFinishedX);
       }},
      {"after the archive flag",
       [](auto& l) { return Find(l, "Date Code"); },
       [] {
         EXPECT_TRUE(programState.ArchiveMode);
         EXPECT_EQ(cadSettings.VentrixCmdCount, 3);
         EXPECT_EQ(cadSettings.VentrixCmdLines[2], "plot b.dxf");
         EXPECT_EQ(desktopSettings.DateFormat, 3);  // skipped optional entries keep start values
         EXPECT_EQ(desktopSettings.TextDevice, 1);
         EXPECT_FALSE(desktopSettings.DiagramLimitsQuery);
         EXPECT_EQ(desktopSettings.CadTxtDecimal, 1);  // read as empty, then its rule
         EXPECT_EQ(desktopSettings.DefaultDataDir, programState.StartDir + "/");
         EXPECT_EQ(graphicsSettings.GraphTextHeight, 1.0L);
         EXPECT_EQ(desktopSettings.HtmlBrowser, "");
         EXPECT_EQ(printSettings.DefaultPrintScaleY, 1.0);  // after the test point
         EXPECT_EQ(programState.GraphResX, kFinishedX);
         EXPECT_EQ(desktopSettings.DialogScale, 101);  // estimated for the 96 dpi screen
       }},
      {"after the 3-D angles",
       [](auto& l) { return Find(l, "3D - Default x,y,z") + 4; },
       [] {
         EXPECT_EQ(view3d.View3DAngles[3], -2.25L);
         EXPECT_EQ(desktopSettings.ExcelDecimal, 2);
         EXPECT_EQ(cadSettings.CadDecimals, 6);
         EXPECT_EQ(desktopSettings.CadTextMode, 1);
         EXPECT_EQ(desktopSettings.AngleFormat, 2);
         EXPECT_EQ(cadSettings.DimensionFactor, 1.0L);
         EXPECT_EQ(desktopSettings.MenuLanguage, 0);
         EXPECT_EQ(graphicsSettings.ColorTable[1], 0x800000u);  // built-in colours stay
         EXPECT_TRUE(view3d.No3DTo2D);
         EXPECT_EQ(desktopSettings.ManualDir, "/opt/kwendal/");
         EXPECT_FALSE(cadSettings.ExecCadFile);
         EXPECT_EQ(cadSettings.ArcResolution, 0.5L);
         EXPECT_EQ(programState.GraphResX, 800);  // screen size code read as 0
         EXPECT_EQ(desktopSettings.DialogScale, 120);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t keep = c.keep(full);
    ASSERT_LT(keep, full.size());
    ReadBytes(Join(std::vector<std::string>(full.begin(), full.begin() + static_cast<long>(keep))));
    EXPECT_FALSE(programState.ErrorFlag);
    EXPECT_FALSE(ShareTextFile.IsOpen());
    c.check();
  }
  EXPECT_EQ(Messages(), std::vector<std::string>{});
}

// A file that ends right after a test point: the entry before it was read, the one after keeps its
// start value, and only the later test points run the closing step (seen in the resolution, which
// the closing step derives from the screen).
TEST_F(ConfigFileTest, EveryTestPointStopsReadingAndOnlyTheLaterOnesFinish) {
  SetEverySettingAwayFromStart();
  const std::vector<std::string> full = Lines(WriteAndGet());
  struct Case {
    const char* nextLabel;  // the file is cut just before this label
    bool finish;
    std::function<void()> check;
  };
  const std::vector<Case> cases = {
      {"Druckertyp", false, [] {
         EXPECT_EQ(programState.PrinterPort, 2);
         EXPECT_EQ(programState.PrinterType, 3);
       }},
      {"Druckdichte", false, [] {
         EXPECT_EQ(programState.PrinterType, 4);
         EXPECT_EQ(programState.PrintDensity, 1);
       }},
      {"Farbgrafik", false, [] {
         EXPECT_EQ(programState.PrintDensityVertical, 3);
         EXPECT_TRUE(programState.ScreenColor);
       }},
      {"EDI Ordner", false, [] { EXPECT_EQ(programState.HardcopyPort, 3); }},
      {"VENTRIX-Kommandozeile", true, [] {
         EXPECT_EQ(programState.ProgramDir, "/opt/kwendal/");
         EXPECT_EQ(cadSettings.VentrixCmdLines[1], DefaultVentrixCmdLine);
       }},
      {"Hintergrundfarbe", true, [] {
         EXPECT_EQ(cadSettings.VentrixCmdLines[1], "plot a.dxf");
         EXPECT_EQ(graphicsSettings.BackgroundColor, 1u);
       }},
      {"Windows-Druckmodus (1=mono 2=color)", true, [] {
         EXPECT_EQ(graphicsSettings.BackgroundColor, 0xFFFFFFu);
         EXPECT_EQ(programState.PrintColorMode, 1);
       }},
      {"Layer Monochrom", true, [] {
         EXPECT_EQ(programState.PrintColorMode, 2);
         EXPECT_FALSE(cadSettings.LayerMonochrome);
       }},
      {"Color Layer 16", true, [] {
         EXPECT_EQ(graphicsSettings.GraphFontName, "Helvetica");
         EXPECT_EQ(cadSettings.ColorLayerColors[16], 1);
       }},
      {"Textprogramm", true, [] {
         EXPECT_EQ(cadSettings.ColorLayerColors[31], 1);
         EXPECT_EQ(cadSettings.ColorLayerColors[30], 2);
         EXPECT_EQ(desktopSettings.TextProgram, "xdg-open");
       }},
      {"Windows Screendump Origin X", true, [] {
         EXPECT_EQ(desktopSettings.ExternalDbProgram, "/usr/bin/dbview");
         EXPECT_EQ(printSettings.DefaultPrintOriginX, 0);
       }},
      {"Enter Password ?", true, [] {
         EXPECT_TRUE(printSettings.DefaultPrintBorder);
         EXPECT_FALSE(desktopSettings.UserLoginEnabled);
       }},
      {"VENTRIX Command lines (n, line 2 .. line n)", true, [] {
         EXPECT_TRUE(desktopSettings.UserLoginEnabled);
         EXPECT_EQ(cadSettings.VentrixCmdCount, 1);
       }},
      {"Print Scale Vertical", true, [] {
         EXPECT_EQ(desktopSettings.HtmlBrowser, "firefox");
         EXPECT_EQ(printSettings.DefaultPrintScaleY, 1.0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nextLabel);
    const std::size_t keep = Find(full, c.nextLabel);
    ASSERT_LT(keep, full.size());
    ReadBytes(Join(std::vector<std::string>(full.begin(), full.begin() + static_cast<long>(keep))));
    EXPECT_FALSE(programState.ErrorFlag);
    EXPECT_FALSE(ShareTextFile.IsOpen());
    // Not finished: the resolution is the stored 800 (or the start value 0 before it was read);
    // finished: the 4:3 area of the 1280 x 1024 test screen.
    if (c.finish) {
      EXPECT_EQ(programState.GraphResX, 1280);
      EXPECT_EQ(programState.GraphResY, 960);
    } else {
      EXPECT_NE(programState.GraphResX, 1280);
    }
    c.check();
  }
}

// Values that are damaged, out of range or at a rule's border, each in an otherwise complete file.
TEST_F(ConfigFileTest, ValueRules) {
  desktopSettings.ScreenSizeCode = 0;  // keep the read resolution and dialog scale visible
  desktopSettings.DialogSizeCode = 0;
  const std::vector<std::string> base = Lines(WriteAndGet());

  struct Edit {
    std::string label;  // the value after this label; empty: tail entry `tail`
    int tail = 0;
    std::string value;
    std::size_t offset = 0;  // further lines of a multi-line entry
  };
  struct Case {
    const char* name;
    std::vector<Edit> edits;
    std::function<void()> check;
  };
  const std::vector<Case> cases = {
      {"lines per page 4", {{"Zeilen pro Seite f\x81r Drucker", 0, "4"}},
       [] { EXPECT_EQ(programState.LinesPerPage, 66); }},
      {"lines per page 5", {{"Zeilen pro Seite f\x81r Drucker", 0, "5"}},
       [] { EXPECT_EQ(programState.LinesPerPage, 5); }},
      {"decimals 10", {{"Dezimalstellen", 0, "10"}}, [] { EXPECT_EQ(programState.SigDigits, 3); }},
      {"decimals 9", {{"Dezimalstellen", 0, "9"}}, [] { EXPECT_EQ(programState.SigDigits, 9); }},
      {"decimals not a number", {{"Dezimalstellen", 0, "drei"}}, [] { EXPECT_EQ(programState.SigDigits, 3); }},
      {"resolution -1", {{"Aufl\x94sung horizontal", 0, "-1"}},
       [] { EXPECT_EQ(programState.GraphResX, 1280 - 9); }},
      {"resolution 65535", {{"Aufl\x94sung vertikal", 0, "65535"}},
       [] { EXPECT_EQ(programState.GraphResY, 1024 - 91); }},
      {"text height 0.09", {{"Text Height Factor", 0, "0.09"}},
       [] { EXPECT_EQ(graphicsSettings.GraphTextHeight, 1.0L); }},
      {"text height 0.1", {{"Text Height Factor", 0, "0.1"}},
       [] { EXPECT_NEAR(static_cast<double>(graphicsSettings.GraphTextHeight), 0.1, 1e-12); }},
      {"vertical print scale 0", {{"Windows Screendump Scale", 0, "2.5"}, {"Print Scale Vertical", 0, "0"}},
       [] { EXPECT_EQ(printSettings.DefaultPrintScaleY, 2.5); }},
      {"both print scales 0", {{"Windows Screendump Scale", 0, "0"}, {"Print Scale Vertical", 0, "0"}},
       [] {
         EXPECT_EQ(printSettings.DefaultPrintScaleX, 1.0);
         EXPECT_EQ(printSettings.DefaultPrintScaleY, 1.0);
       }},
      {"colour table black", {{"", 116, "0", 1}, {"", 116, "-5", 2}},
       [] {
         EXPECT_EQ(graphicsSettings.ColorTable[1], 0x800000u);
         EXPECT_EQ(graphicsSettings.ColorTable[2], 0x00FF00u);
       }},
      {"colour table value", {{"", 116, "255"}}, [] { EXPECT_EQ(graphicsSettings.ColorTable[0], 255u); }},
      {"menu language not kept", {{"", 105, "2"}, {"", 114, "FALSE"}},
       [] { EXPECT_EQ(desktopSettings.MenuLanguage, 0); }},
      {"menu language kept", {{"", 105, "2"}, {"", 114, "true"}},
       [] {
         EXPECT_EQ(desktopSettings.MenuLanguage, 2);
         EXPECT_TRUE(desktopSettings.SaveMenuLanguage);
       }},
      {"empty plot command line", {{"VENTRIX-Kommandozeile", 0, ""}},
       [] { EXPECT_EQ(cadSettings.VentrixCmdLines[1], DefaultVentrixCmdLine); }},
      {"decimal comma", {{"Pan-Faktor", 0, "1,5"}}, [] { EXPECT_EQ(graphicsSettings.PanFactor, 1.5L); }},
      {"real not a number", {{"Zoomfaktor", 0, "gross"}}, [] { EXPECT_EQ(graphicsSettings.ZoomFactor, 1.02L); }},
      {"integer not a number", {{"Hilfegrad", 0, "2x"}}, [] { EXPECT_EQ(programState.HelpLevel, 0); }},
      {"booleans", {{"Farbgrafik", 0, "yes"}, {"Archive Flag ?", 0, "True"}, {"Edit 3D x,y,z ?", 0, "nein"}},
       [] {
         EXPECT_FALSE(programState.ScreenColor);
         EXPECT_TRUE(programState.ArchiveMode);
         EXPECT_TRUE(view3d.Edit3DAngles);
       }},
      {"false in any case", {{"Edit 3D x,y,z ?", 0, "false"}}, [] { EXPECT_FALSE(view3d.Edit3DAngles); }},
      {"hardcopy NUL", {{"Hardcopy um 90\xF8 gedreht ?", 0, std::string(1, '\0') + "J"}},
       [] { EXPECT_EQ(programState.HardcopyRotated, 'N'); }},
      {"hardcopy takes the first character", {{"Hardcopy um 90\xF8 gedreht ?", 0, "Nein"}},
       [] { EXPECT_EQ(programState.HardcopyRotated, 'N'); }},
      {"text window without width", {{"Text window left/top/width/height", 0, "1|2|0|4|"}},
       [] {
         EXPECT_EQ(printSettings.TextWindowPos.Left, 10);
         EXPECT_EQ(printSettings.TextWindowPos.Height, 440);
       }},
      {"text window", {{"Text window left/top/width/height", 0, "1|2|3|4|"}},
       [] {
         EXPECT_EQ(printSettings.TextWindowPos.Left, 1);
         EXPECT_EQ(printSettings.TextWindowPos.Height, 4);
       }},
      {"dialog scale 5", {{"Input Window Scale %", 0, "5"}}, [] { EXPECT_EQ(desktopSettings.DialogScale, 100); }},
      {"layer width 256", {{"Line thickness Layer 0..5", 0, "256"}},
       [] { EXPECT_EQ(cadSettings.LayerWidths[0], 1); }},
      {"CAD decimals 33", {{"Decimals DXF,TXT", 0, "33"}}, [] { EXPECT_EQ(cadSettings.CadDecimals, 6); }},
      {"arc resolution negative", {{"", 129, "-1"}}, [] { EXPECT_EQ(cadSettings.ArcResolution, 0.5L); }},
      {"3-D to 2-D box", {{"", 117, "TRUE"}}, [] { EXPECT_FALSE(view3d.No3DTo2D); }},
      {"empty manual folder", {{"KWENDAL-Programmverzeichnis", 0, "/opt/k/"}, {"", 119, ""}},
       [] { EXPECT_EQ(desktopSettings.ManualDir, "/opt/k/"); }},
      {"empty print font", {{"Text Font Printout", 0, ""}},
       [] { EXPECT_EQ(printSettings.PrintFontName, "Courier New"); }},
      {"text device 10", {{"Text Device", 0, "10"}}, [] { EXPECT_EQ(desktopSettings.TextDevice, 1); }},
      {"header space lines 31", {{"Header Space Lines", 0, "31"}},
       [] { EXPECT_EQ(desktopSettings.HeaderSpaceLines, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> lines = base;
    for (const Edit& e : c.edits) {
      const std::size_t at = (e.label.empty() ? TailLine(lines, e.tail) : Find(lines, e.label) + 1) + e.offset;
      ASSERT_LT(at, lines.size());
      lines[at] = e.value;
    }
    ReadBytes(Join(lines));
    EXPECT_FALSE(programState.ErrorFlag);
    c.check();
  }
}

TEST_F(ConfigFileTest, PlotCommandCountAboveFiveKeepsTheFollowingEntriesInStep) {
  SetEverySettingAwayFromStart();
  std::vector<std::string> lines = Lines(WriteAndGet());
  const std::size_t count = Find(lines, "VENTRIX Command lines (n, line 2 .. line n)") + 1;
  // Count 8: seven lines follow, two more than there is room for.
  lines[count] = "8";
  std::vector<std::string> extra = {"p2", "p3", "p4", "p5", "p6", "p7", "p8"};
  lines.erase(lines.begin() + static_cast<long>(count) + 1, lines.begin() + static_cast<long>(count) + 3);
  lines.insert(lines.begin() + static_cast<long>(count) + 1, extra.begin(), extra.end());
  ReadBytes(Join(lines));
  EXPECT_EQ(cadSettings.VentrixCmdCount, 5);
  EXPECT_EQ(cadSettings.VentrixCmdLines[5], "p5");
  EXPECT_TRUE(programState.ArchiveMode);
  EXPECT_EQ(desktopSettings.TextWindowSizeCode, 2);
  // And writing it again stays within the five lines.
  const std::vector<std::string> again = Lines(WriteAndGet());
  EXPECT_EQ(again[count], "5");
  EXPECT_EQ(again[count + 4], "p5");
  EXPECT_EQ(again[count + 5], "Archive Flag ?");
}

// Files that are not configuration files at all are read without a crash and leave the shared text
// file closed.
TEST_F(ConfigFileTest, GarbageFilesAreReadWithoutHarm) {
  std::string noise;
  uint32_t x = 12345;
  for (int i = 0; i < 65536; ++i) {
    x = x * 1103515245u + 12345u;
    noise += static_cast<char>(x >> 24);
  }
  std::vector<std::string> full = Lines(WriteAndGet());
  full[Find(full, "VENTRIX Command lines (n, line 2 .. line n)") + 1] = "-1";  // 65535 lines follow
  const std::vector<std::pair<const char*, std::string>> files = {
      {"empty", ""},
      {"end-of-file mark", "\x1A"},
      {"noise", noise},
      {"one long line", std::string(3u << 20, 'x')},
      {"huge plot command count", Join(full)},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    ReadBytes(bytes);
    EXPECT_FALSE(ShareTextFile.IsOpen());
    EXPECT_GE(programState.PrinterPort, 1);
    EXPECT_GE(programState.SigDigits, 1);
    EXPECT_LE(cadSettings.VentrixCmdCount, 5);
  }
  // In the last file the plot command lines took the rest of it; reading stopped after the browser.
  EXPECT_EQ(cadSettings.VentrixCmdCount, 5);
  EXPECT_EQ(cadSettings.VentrixCmdLines[2], "Archive Flag ?");
  EXPECT_EQ(desktopSettings.HtmlBrowser, "");
  EXPECT_EQ(desktopSettings.TextWindowSizeCode, 1);
}

// A file with a line longer than any the program writes is damaged: none of its values is taken,
// not even those before the long line, and the user is told.
TEST_F(ConfigFileTest, DamagedFileIsRefusedAsAWhole) {
  const std::string start = WriteAndGet();
  SetEverySettingAwayFromStart();
  std::vector<std::string> lines = Lines(WriteAndGet());
  lines[Find(lines, "VENTRIX Command lines (n, line 2 .. line n)") + 2] = std::string(2u << 20, 'x');
  const std::string damaged = Join(lines);
  Reset();
  scriptedPrompter().clear();
  writeFile(ConfigPath(), damaged);
  EXPECT_FALSE(ReadConfigFile());
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_FALSE(ShareTextFile.IsOpen());
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("qorva.cfg fehlerhaft - nicht eingelesen"), std::string::npos) << Messages()[0];
  programState.ErrorFlag = false;
  EXPECT_EQ(WriteAndGet(), start);

  // The same for the session file: no entry of it is kept.
  scriptedPrompter().clear();
  writeFile(dir_ / "cfg" / "qorva.cff", "qorva Session x\r\n/w/a.qva\r\n" + std::string(2u << 20, 'y'));
  for (std::size_t n = 1; n <= 4; ++n) desktopSettings.RecentFiles[n] = "old";
  EXPECT_FALSE(ReadSessionFile());
  EXPECT_EQ(desktopSettings.RecentFiles, (std::array<std::string, 5>{"", "", "", "", ""}));
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_FALSE(ShareTextFile.IsOpen());
}

TEST_F(ConfigFileTest, ClosingStepSizesTheWindowByTheScreenSizeCode) {
  struct Case {
    int32_t screenCode;
    int32_t maxW, maxH;
    uint16_t x, y;
  };
  const Case cases[] = {
      {1, 1000, 900, 1000, 750},  // narrower than 4:3
      {1, 1600, 900, 1200, 900},  // wider than 4:3
      {1, 1200, 900, 1200, 900},
      {2, 1000, 900, 1000, 900},
      {0, 1000, 900, 640, 480},  // the stored resolution
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.screenCode * 100000 + c.maxW);
    Reset();
    programState.GraphResX = 640;
    programState.GraphResY = 480;
    desktopSettings.ScreenSizeCode = c.screenCode;
    desktopSettings.DialogSizeCode = 1;
    const std::string file = WriteAndGet();
    Reset();
    int32_t setW = -1, setH = -1;
    services().MaxClientWidth = [&] { return c.maxW; };
    services().MaxClientHeight = [&] { return c.maxH; };
    services().SetClientSize = [&](int32_t w, int32_t h) { setW = w, setH = h; };
    services().WindowHeightRatio = [] { return 1.2L; };
    ReadConfigFile();
    EXPECT_EQ(programState.GraphResX, c.x);
    EXPECT_EQ(programState.GraphResY, c.y);
    EXPECT_EQ(setW, c.screenCode == 0 ? -1 : c.x);
    EXPECT_EQ(setH, c.screenCode == 0 ? -1 : c.y);
    // (1.2 + 0.009) x 96 / 96 x 100 = 120.9
    EXPECT_EQ(desktopSettings.DialogScale, 121);
    EXPECT_EQ(desktopSettings.DialogFontScale, 100);
  }
}

// Where the file is looked for: the configuration folder, then the user's configuration folders;
// without a file the configuration folder becomes the user's, so that saving goes there.
TEST_F(ConfigFileTest, LookupOrder) {
  const fs::path xdg = dir_ / "xdg";
  const fs::path home = dir_ / "home";
  const fs::path atCfg = ConfigPath();
  const fs::path atKwendal = xdg / "kwendal" / "qorva.cfg";
  const fs::path atStem = xdg / "kwendal" / "qorva" / "qorva.cfg";
  const fs::path atHome = home / ".config" / "kwendal" / "qorva.cfg";

  // Each place holds a file with its own help level.
  auto place = [&](const fs::path& file, uint16_t level) {
    Reset();
    fs::create_directories(file.parent_path());
    desktopSettings.ConfigDir = file.parent_path().string();
    programState.HelpLevel = level;
    WriteConfigFile();
    ASSERT_TRUE(fs::exists(file));
  };
  EnvGuard homeEnv("HOME");
  homeEnv.set(home.string());

  struct Case {
    const char* name;
    std::vector<fs::path> present;
    std::optional<std::string> xdgValue;  // nullopt: unset
    int level;                            // 0: nothing found
    std::string configDir;
    bool homeSet = true;
  };
  const std::string cfgDir = (dir_ / "cfg").string();
  const std::vector<Case> cases = {
      {"configuration folder first", {atCfg, atKwendal, atStem}, xdg.string(), 1, cfgDir},
      {"then kwendal", {atKwendal, atStem}, xdg.string(), 2, (xdg / "kwendal").string() + "/"},
      {"then kwendal/qorva", {atStem}, xdg.string(), 3, (xdg / "kwendal" / "qorva").string() + "/"},
      {"~/.config without the variable", {atHome}, std::nullopt, 4,
       (home / ".config" / "kwendal").string() + "/"},
      {"~/.config for a relative variable", {atHome}, std::string("rel/xdg"), 4,
       (home / ".config" / "kwendal").string() + "/"},
      {"the variable instead of ~/.config", {atHome}, xdg.string(), 0, (xdg / "kwendal").string() + "/"},
      {"none", {}, xdg.string(), 0, (xdg / "kwendal").string() + "/"},
      {"none, without the variable", {}, std::nullopt, 0, (home / ".config" / "kwendal").string() + "/"},
      {"none, and no folder of the user's", {}, std::nullopt, 0, cfgDir, false},
  };
  const std::vector<std::pair<fs::path, uint16_t>> levels = {{atCfg, 1}, {atKwendal, 2}, {atStem, 3}, {atHome, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& [file, level] : levels) fs::remove(file);
    for (const auto& [file, level] : levels) {
      for (const fs::path& p : c.present) {
        if (p == file) place(file, level);
      }
    }
    if (c.xdgValue) {
      xdg_.set(*c.xdgValue);
    } else {
      xdg_.unset();
    }
    if (c.homeSet) {
      homeEnv.set(home.string());
    } else {
      homeEnv.unset();
    }
    Reset();
    programState.ErrorFlag = false;
    EXPECT_EQ(ReadConfigFile(), c.level != 0);
    EXPECT_EQ(desktopSettings.ConfigDir, c.configDir);
    if (c.level == 0) {
      EXPECT_TRUE(programState.ErrorFlag);
      EXPECT_EQ(programState.HelpLevel, 1);
      // The sizes derived from the 1280 x 1024 screen.
      EXPECT_EQ(programState.GraphResX, 1280 - 9);
      EXPECT_EQ(programState.GraphResY, 1024 - 91);
      EXPECT_EQ(printSettings.TextWindowPos.Height, 1024 - 80);
      EXPECT_EQ(desktopSettings.DialogScale, 101);
    } else {
      EXPECT_FALSE(programState.ErrorFlag);
      EXPECT_EQ(programState.HelpLevel, c.level);
    }
  }
  EXPECT_EQ(Messages(), std::vector<std::string>{});
}

// Settings saved in one run are found by the next, whatever folder that starts in: a file that was
// found is written back where it was, and without one the settings and the session go into the
// user's configuration folder (made for this user alone), never into the start folder.
TEST_F(ConfigFileTest, SavedSettingsAreFoundFromAnyStartFolder) {
  const fs::path xdg = dir_ / "xdg";
  const fs::path atStart = ConfigPath();
  const fs::path atKwendal = xdg / "kwendal" / "qorva.cfg";
  const fs::path atStem = xdg / "kwendal" / "qorva" / "qorva.cfg";
  struct Case {
    const char* name;
    std::optional<fs::path> present;  // what the first start finds
    fs::path saved;                   // where its settings are saved
    bool foundElsewhere;              // a start in another folder reads them
  };
  const std::vector<Case> cases = {
      {"found in the start folder", atStart, atStart, false},
      {"found in kwendal", atKwendal, atKwendal, true},
      {"found in kwendal/qorva", atStem, atStem, true},
      {"none: the user's folder, made", std::nullopt, atKwendal, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(xdg);
    fs::remove(atStart);
    fs::remove(atStart.parent_path() / "qorva.cff");
    if (c.present) {
      Reset();
      fs::create_directories(c.present->parent_path());
      desktopSettings.ConfigDir = c.present->parent_path().string();
      ASSERT_TRUE(WriteConfigFile());
    }
    // The first start, in the folder "cfg": the settings are saved, then the session at the end.
    Reset();
    ReadConfigFile();
    programState.ErrorFlag = false;
    programState.HelpLevel = 2;
    desktopSettings.RecentFiles[1] = "/w/a.qva";
    EXPECT_TRUE(WriteConfigFile());
    EXPECT_TRUE(WriteSessionFile());
    EXPECT_TRUE(fs::exists(c.saved));
    EXPECT_TRUE(fs::exists(c.saved.parent_path() / "qorva.cff")) << "the session goes with the settings";
    EXPECT_EQ(fs::exists(atStart), c.saved == atStart);
    EXPECT_EQ(fs::exists(atStart.parent_path() / "qorva.cff"), c.saved == atStart);
    EXPECT_EQ(fs::exists(atKwendal), c.saved == atKwendal);

    // The next start, in another folder.
    Reset();
    desktopSettings.ConfigDir = (dir_ / "other").string();
    programState.ErrorFlag = false;
    EXPECT_EQ(ReadConfigFile(), c.foundElsewhere);
    programState.ErrorFlag = false;
    EXPECT_TRUE(ReadSessionFile());
    EXPECT_EQ(programState.HelpLevel, c.foundElsewhere ? 2 : 1);
    EXPECT_EQ(desktopSettings.RecentFiles[1], c.foundElsewhere ? "/w/a.qva" : "");
  }
  // The last case made the folders.
  for (const fs::path& made : {xdg, xdg / "kwendal"})
    EXPECT_EQ(fs::status(made).permissions() & fs::perms::all, fs::perms::owner_all) << made;
  EXPECT_EQ(Messages(), std::vector<std::string>{});
}

TEST_F(ConfigFileTest, FailedWriteKeepsTheOldFileAndSaysSo) {
  const std::string old = WriteAndGet();
  SetEverySettingAwayFromStart();
  scriptedPrompter().clear();
  {
    FileSizeLimit limit(1000);
    EXPECT_FALSE(WriteConfigFile());
  }
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(readFile(ConfigPath()), old);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find(ConfigPath().string()), std::string::npos) << Messages()[0];
  // No temporary file is left beside it.
  int files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_ / "cfg")) ++files;
  EXPECT_EQ(files, 1);

  // While ErrorFlag is set nothing is written at all.
  scriptedPrompter().clear();
  EXPECT_FALSE(WriteConfigFile());
  EXPECT_EQ(readFile(ConfigPath()), old);
  EXPECT_EQ(Messages(), std::vector<std::string>{});
}

TEST_F(ConfigFileTest, WriteIntoAMissingFolderIsReportedWithoutEndlessRetries) {
  desktopSettings.ConfigDir = (dir_ / "missing").string();
  programState.ShowErrors = false;  // nobody sees the failure: one try
  EXPECT_FALSE(WriteConfigFile());
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

// ---- Session file ----

TEST_F(ConfigFileTest, SessionFileRoundTrip) {
  programState.DataDir = "/w/data";
  auto& recent = desktopSettings.RecentFiles;
  recent[1] = "/w/data/a.qva";
  recent[2] = "/w/data/b.qva";
  recent[3] = "";
  recent[4] = "/w/d\x94rte/c.qva";
  programState.ErrorFlag = true;  // cleared by the writer
  EXPECT_TRUE(WriteSessionFile());
  EXPECT_FALSE(programState.ErrorFlag);
  const fs::path file = dir_ / "cfg" / "qorva.cff";
  EXPECT_EQ(readFile(file),
            "qorva Session /w/data\r\n/w/data/a.qva\r\n/w/data/b.qva\r\n\r\n/w/d\x94rte/c.qva\r\n");
  for (std::size_t n = 1; n <= 4; ++n) recent[n] = "x";
  EXPECT_TRUE(ReadSessionFile());
  EXPECT_EQ(recent[1], "/w/data/a.qva");
  EXPECT_EQ(recent[2], "/w/data/b.qva");
  EXPECT_EQ(recent[3], "");
  EXPECT_EQ(recent[4], "/w/d\x94rte/c.qva");
  EXPECT_FALSE(ShareTextFile.IsOpen());
}

TEST_F(ConfigFileTest, SessionFileReadsAtMostFourEntries) {
  const fs::path file = dir_ / "cfg" / "qorva.cff";
  auto& recent = desktopSettings.RecentFiles;
  struct Case {
    const char* name;
    std::optional<std::string> bytes;  // nullopt: no file
    std::array<std::string, 5> expected;
  };
  const std::vector<Case> cases = {
      {"six entries", std::string("qorva Session x\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n"), {"", "1", "2", "3", "4"}},
      {"two entries", std::string("qorva Session x\n1\n2"), {"", "1", "2", "", ""}},
      {"header only", std::string("qorva Session x\r\n"), {"", "", "", "", ""}},
      {"no file", std::nullopt, {"", "", "", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(file);
    if (c.bytes) writeFile(file, *c.bytes);
    for (std::size_t n = 1; n <= 4; ++n) recent[n] = "old";
    EXPECT_TRUE(ReadSessionFile());
    EXPECT_EQ(recent, c.expected);
    EXPECT_FALSE(ShareTextFile.IsOpen());
  }
  EXPECT_EQ(Messages(), std::vector<std::string>{});
}

TEST_F(ConfigFileTest, SessionFileWithoutRecentFilesIsNotWritten) {
  const fs::path file = dir_ / "cfg" / "qorva.cff";
  writeFile(file, "qorva Session x\r\nkept\r\n");
  desktopSettings.RecentFiles[1] = "";
  desktopSettings.RecentFiles[2] = "/w/b.qva";
  WriteSessionFile();
  EXPECT_EQ(readFile(file), "qorva Session x\r\nkept\r\n");
}

TEST_F(ConfigFileTest, FailedSessionWriteKeepsTheOldFile) {
  const fs::path file = dir_ / "cfg" / "qorva.cff";
  const std::string old = "qorva Session x\r\nkept\r\n";
  writeFile(file, old);
  desktopSettings.RecentFiles[1] = std::string(3000, 'a');
  {
    FileSizeLimit limit(100);
    EXPECT_FALSE(WriteSessionFile());
  }
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(readFile(file), old);
  EXPECT_EQ(Messages().size(), 1u);
}

// ---- Folder check ----

// Empty folders: the shipped files come from the program's data folder (here, a program of the
// build tree: the source tree's data folder), the user's files stay in the start folder.
TEST_F(ConfigFileTest, EmptyFoldersBecomeTheDataFolderOrTheStartFolder) {
  InitDatafolder();
  programState.ProgStem = "qorva";
  programState.TempDir = "";
  programState.DbfDir = "   ";
  programState.PltDir = "";
  programState.ProgramDir = "";
  programState.EdiDir = "";
  desktopSettings.DefaultDataDir = "";
  programState.CadDir = dir_.path().string();
  CheckDirectories();
  const fs::path data = fs::path(QORVA_SOURCE_DIR) / "data";
  for (const std::string* dir : {&programState.DbfDir, &programState.PltDir, &programState.ProgramDir})
    EXPECT_TRUE(fs::equivalent(fs::path(*dir), data)) << *dir;
  const std::string start = dir_.path().string() + "/";
  EXPECT_EQ(programState.TempDir, start);
  EXPECT_EQ(programState.EdiDir, start);
  EXPECT_EQ(desktopSettings.DefaultDataDir, start);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(Messages(), std::vector<std::string>{});
}

// The start folder that stands in for an empty temporary folder is not saved as a configured
// one: the next start, from any folder, sends the run's work folder to the system's temporary
// folder again. A folder named in the file or set after the check is saved as it is.
TEST_F(ConfigFileTest, AnUnsetTemporaryFolderStaysUnsetWhenSaved) {
  const std::string start = dir_.path().string() + "/";
  const std::string own = (dir_ / "tmp").string() + "/";
  fs::create_directories(dir_ / "tmp");
  const std::string label = "Ordner f\x81r tempor\x84re Dateien";
  struct Case {
    const char* name;
    std::string inFile;                // what the file read at the start names
    std::optional<std::string> setTo;  // set after the check (by the settings window)
    std::string saved;
  };
  const std::vector<Case> cases = {
      {"unset", "", std::nullopt, ""},
      {"unset, then set", "", own, own},
      {"a folder of its own", own, std::nullopt, own},
      {"the start folder, named in the file", start, std::nullopt, start},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    programState.TempDir = c.inFile;
    WriteAndGet();
    Reset();
    programState.CadDir = start;
    ASSERT_TRUE(ReadConfigFile());
    CheckDirectories();
    // Files that use TempDir itself still go to the start folder.
    EXPECT_EQ(programState.TempDir, c.inFile.empty() ? start : c.inFile);
    if (c.setTo) programState.TempDir = *c.setTo;
    const std::vector<std::string> lines = Lines(WriteAndGet());
    const std::size_t at = Find(lines, label) + 1;
    ASSERT_LT(at, lines.size());
    EXPECT_EQ(lines[at], c.saved);
  }
  EXPECT_EQ(Messages(), std::vector<std::string>{});
}

// Every folder the start puts in for an unset setting (the start folder, the program's data folder)
// is this run's alone: saving the settings keeps those settings unset, so a start from another folder
// or after the program has moved puts in its own. A folder the user sets is saved.
TEST_F(ConfigFileTest, FoldersTheStartPutsInAreSavedUnset) {
  const std::string own = (dir_ / "eigen").string() + "/";
  fs::create_directories(dir_ / "eigen");
  struct Case {
    const char* label;
    std::string* setting;
  };
  const Case cases[] = {
      {"DBF Ordner", &programState.DbfDir},
      {"PLT Ordner", &programState.PltDir},
      {"KWENDAL-Programmverzeichnis", &programState.ProgramDir},
      {"EDI Ordner", &programState.EdiDir},
      {"Ordner f\x81r tempor\x84re Dateien", &programState.TempDir},
      {"Default Data Directory", &desktopSettings.DefaultDataDir},
  };
  auto savedValue = [this](const char* label) {
    const std::vector<std::string> lines = Lines(WriteAndGet());
    const std::size_t at = Find(lines, label) + 1;
    return at < lines.size() ? lines[at] : std::string("(missing)");
  };
  // A configuration with every folder unset, read and checked as a start does.
  Reset();
  for (const Case& c : cases) c.setting->clear();
  WriteAndGet();
  Reset();
  programState.CadDir = dir_.path().string() + "/";
  ASSERT_TRUE(ReadConfigFile());
  CheckDirectories();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_FALSE(c.setting->empty()) << "the run has a place for it";
    EXPECT_EQ(savedValue(c.label), "");
  }
  // Set by the user: saved as set.
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    *c.setting = own;
    EXPECT_EQ(savedValue(c.label), own);
  }
}

TEST_F(ConfigFileTest, MissingFoldersAreReportedInOrderAndTheTemporaryFolderAskedFor) {
  const std::string missing = (dir_ / "gone").string() + "/";
  const std::string newTemp = (dir_ / "tmp").string();
  fs::create_directories(newTemp);
  for (bool cancel : {false, true}) {
    SCOPED_TRACE(cancel);
    Reset();
    scriptedPrompter().clear();
    programState.CadDir = programState.DbfDir = programState.PltDir = programState.TempDir = programState.EdiDir = missing;
    desktopSettings.DefaultDataDir = missing;
    if (cancel) {
      scriptedPrompter().push(Cancel{});
    } else {
      scriptedPrompter().push(newTemp);
    }
    CheckDirectories();
    const std::vector<std::string> expected = {
        "ung\xC3\xBCltiger CAD Ordner konfiguriert",
        "ung\xC3\xBCltiger DBF Ordner konfiguriert",
        "ung\xC3\xBCltiger PLT Ordner konfiguriert",
        "ung\xC3\xBCltiger Ordner f\xC3\xBCr tempor\xC3\xA4re Dateien konfiguriert",
        "Ordner f\xC3\xBCr tempor\xC3\xA4re Dateien",
        "ung\xC3\xBCltiger EDI Ordner konfiguriert",
        "ung\xC3\xBCltiger Data Ordner konfiguriert",
    };
    EXPECT_EQ(Messages(), expected);
    const AskRecord& prompt = scriptedPrompter().asked()[4];
    EXPECT_EQ(prompt.kind, AskKind::Text);
    EXPECT_EQ(prompt.preset, missing);
    EXPECT_EQ(prompt.preselect, 60);
    EXPECT_EQ(programState.TempDir, cancel ? missing : newTemp);
    EXPECT_EQ(programState.ErrorFlag, cancel);
    EXPECT_FALSE(fs::exists(dir_ / "gone"));
  }
}

}  // namespace
}  // namespace qorva::test
