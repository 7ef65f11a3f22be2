// defaults of the settings modules after InitAllSettings (before the configuration).
#include "foundation/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <string>

#include "foundation/cad8var.h"
#include "foundation/error0.h"
#include "foundation/hgvar.h"
#include "foundation/kwenvar.h"
#include "foundation/varexcel.h"
#include "foundation/view3d.h"
#include "foundation/wkwenvar.h"
#include "foundation/wprinvar.h"

namespace qorva {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitAllSettings(); }
  void TearDown() override { InitAllSettings(); }
};

TEST_F(SettingsTest, EdgeCaseDefaultsBeforeConfiguration) {
  EXPECT_EQ(kwenvar.DataDir, "MOLVA");
  EXPECT_EQ(kwenvar.CurrentFileName, "demo");
  EXPECT_EQ(wkwenvar.DateFormat, 3);
  EXPECT_EQ(wkwenvar.UnitSystem, 0);
  EXPECT_EQ(kwenvar.SigDigits, 3);
  // The graphics module's start values replace 1.02 and 0.02.
  EXPECT_EQ(hgvar.ZoomFactor, 1.2L);
  EXPECT_EQ(hgvar.PanFactor, 0.05L);
}

TEST_F(SettingsTest, SettingsModuleAloneHoldsItsOwnDefaultsUntilGraphicsStart) {
  InitHgvar();
  EXPECT_EQ(hgvar.ZoomFactor, 1.02L);
  EXPECT_EQ(hgvar.PanFactor, 0.02L);
  ApplyGraphicsStartValues();
  EXPECT_EQ(hgvar.ZoomFactor, 1.2L);
  EXPECT_EQ(hgvar.PanFactor, 0.05L);
  EXPECT_EQ(hgvar.GraphCorrectionX, 1.0L);
  EXPECT_EQ(hgvar.ZoomAspect, 1.0L);
}

TEST_F(SettingsTest, SharedBuffers) {
  ASSERT_EQ(kwenvar.WrapLines.size(), 6u);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(kwenvar.WrapLines[i], std::string(64, ' ')) << i;
}

TEST_F(SettingsTest, InitAllSettingsIsTheResetForTests) {
  kwenvar.ErrorFlag = true;
  kwenvar.FatalError = true;
  kwenvar.WrapLines[2] = "x";
  wkwenvar.UnitSystem = 1;
  hgvar.ColorTable[3] = 0x123456;
  cad8var.ColorLayerColors[20] = 99;
  error0.ErrorCount = 3;
  varexcel.ExcelApp.active = true;
  varexcel.ExcelApp.workbookPath = "/x/y.xlsx";
  InitAllSettings();
  EXPECT_FALSE(kwenvar.ErrorFlag);
  EXPECT_FALSE(kwenvar.FatalError);
  EXPECT_EQ(kwenvar.WrapLines[2], std::string(64, ' '));
  EXPECT_EQ(wkwenvar.UnitSystem, 0);
  EXPECT_EQ(hgvar.ColorTable[3], 0xFFFF00u);
  EXPECT_EQ(cad8var.ColorLayerColors[20], 5);
  EXPECT_EQ(error0.ErrorCount, 0);
  EXPECT_TRUE(varexcel.ExcelApp.empty());
}

TEST_F(SettingsTest, IdentityDefaultsUntilTheShellSetsThem) {
  EXPECT_EQ(kwenvar.ProgName, "KWENDAL");
  EXPECT_EQ(kwenvar.ProgStem, "KWENDAL");
  EXPECT_EQ(kwenvar.ProgTitle, "K W E N D A L    -    Software");
  EXPECT_EQ(kwenvar.DataExt, "EXT");
  EXPECT_EQ(kwenvar.ProgVersion, "1.0");
}

TEST_F(SettingsTest, FoldersStartAtTheCurrentDirectory) {
  const std::string cur = std::filesystem::current_path().generic_string();
  EXPECT_EQ(kwenvar.StartDir, cur);
  EXPECT_EQ(wkwenvar.ConfigDir, cur);
  EXPECT_EQ(wkwenvar.WorkingDir, cur);
  EXPECT_EQ(wkwenvar.DefaultDataDir, cur);
  EXPECT_EQ(kwenvar.StartDir.find('\\'), std::string::npos);
  EXPECT_EQ(kwenvar.TempDir, "");
  EXPECT_EQ(kwenvar.DbfDir, "");
  EXPECT_EQ(wkwenvar.ManualDir, "");
}

// The defaults are what a Linux desktop has: its opener for reports and pages, no Windows program
// and no Windows folder anywhere.
TEST_F(SettingsTest, ProgramDefaultsAreTheDesktopsOwn) {
  EXPECT_EQ(wkwenvar.TextProgram, "xdg-open");
  EXPECT_EQ(wkwenvar.HtmlBrowser, "xdg-open");
  EXPECT_EQ(wkwenvar.ExternalDbProgram, "");
  EXPECT_EQ(cad8var.VentrixCmdCount, 1);
  EXPECT_EQ(cad8var.VentrixCmdChoice, 1);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(cad8var.VentrixCmdLines[i], "WVENTRIX VENTRIX.DXF /M1.0");
  for (const std::string* s : {&wkwenvar.TextProgram, &wkwenvar.HtmlBrowser, &cad8var.VentrixCmdLines[1]}) {
    EXPECT_EQ(s->find('\\'), std::string::npos) << *s;
    EXPECT_EQ(s->find(':'), std::string::npos) << *s;
  }
}

TEST_F(SettingsTest, ColorTable) {
  const TColor expected[17] = {0x000000, 0x800000, 0x00FF00, 0xFFFF00, 0x0000FF, 0x800080,
                               0x000080, 0xC0C0C0, 0xB0B0B0, 0xFF0000, 0x00FF00, 0xFFFF00,
                               0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF, 0x000000};
  for (int i = 0; i <= 16; ++i) EXPECT_EQ(hgvar.ColorTable[i], expected[i]) << i;
  EXPECT_EQ(hgvar.ColorTable[16], 0x000000u);  // black, not one of the configured 0..15
  EXPECT_EQ(hgvar.BackgroundColor, 0x000001u);  // a colour value, not colour number 1
  EXPECT_NE(hgvar.BackgroundColor, hgvar.ColorTable[1]);
  hgvar.ColorTable[16] = 0xABCDEF;
  ResetColorTable();
  EXPECT_EQ(hgvar.ColorTable[16], 0x000000u);
}

TEST_F(SettingsTest, GraphicsState) {
  EXPECT_EQ(hgvar.MaxColorIndex, 16);
  EXPECT_EQ(hgvar.ZoomPixelX1, 0);
  EXPECT_EQ(hgvar.ZoomPixelY1, 0);
  EXPECT_EQ(hgvar.ZoomPixelX2, 640);
  EXPECT_EQ(hgvar.ZoomPixelY2, 480);
  EXPECT_EQ(hgvar.VisibleXMax, 1.0L);
  EXPECT_TRUE(hgvar.EqualAspect);
  EXPECT_EQ(hgvar.GraphFontName, "Arial");
  EXPECT_EQ(hgvar.GraphTextWidth, 0.8L);
  EXPECT_EQ(hgvar.GraphFontStyle, 3);
  EXPECT_EQ(kwenvar.GraphResX, 0);
  EXPECT_EQ(kwenvar.GraphResY, 0);
  EXPECT_TRUE(kwenvar.ScreenColor);
}

TEST_F(SettingsTest, FlagsAndCounters) {
  EXPECT_FALSE(kwenvar.ErrorFlag);
  EXPECT_FALSE(kwenvar.FatalError);
  EXPECT_TRUE(kwenvar.ShowErrors);
  EXPECT_FALSE(kwenvar.DemoRun);
  EXPECT_FALSE(kwenvar.ArchiveMode);
  EXPECT_FALSE(kwenvar.FileNameHasPath);
  EXPECT_FALSE(kwenvar.InputModified);
  EXPECT_EQ(kwenvar.LastKey, '0');
  EXPECT_EQ(kwenvar.LastScanKey, '0');
  EXPECT_EQ(kwenvar.BrowseRecNo, 1);
  EXPECT_EQ(kwenvar.ViewChoice, 1);
  EXPECT_EQ(kwenvar.TempFileNo, 0);
  EXPECT_EQ(kwenvar.HelpLevel, 1);
  EXPECT_EQ(kwenvar.SeparatorStyle, 1);
  EXPECT_EQ(kwenvar.LinesPerPage, 66);
  EXPECT_EQ(kwenvar.HardcopyRotated, 'J');
  EXPECT_EQ(kwenvar.PrinterType, 3);
}

TEST_F(SettingsTest, WindowsSideDefaults) {
  EXPECT_EQ(wkwenvar.CadTextMode, 2);
  EXPECT_EQ(wkwenvar.PlainAscii, 0);
  EXPECT_FALSE(wkwenvar.HideWarnings);
  EXPECT_EQ(wkwenvar.DialogScale, 102);
  EXPECT_EQ(wkwenvar.DialogFontScale, 100);
  EXPECT_EQ(wkwenvar.DialogSizeCode, 1);
  EXPECT_EQ(wkwenvar.ScreenSizeCode, 1);
  EXPECT_EQ(wkwenvar.TitleBlockType, 2);
  EXPECT_EQ(wkwenvar.FrameMargin, 1);
  EXPECT_EQ(wkwenvar.ExcelDecimal, 2);
  EXPECT_EQ(wkwenvar.BrowseGridRow, 1);
  EXPECT_EQ(wkwenvar.BrowseGridCol, 1);
  EXPECT_TRUE(wkwenvar.ConfirmOverwrite);
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(wkwenvar.RecentFiles[i], "");
  EXPECT_EQ(wkwenvar.UnitSystemNames[0], "metrisch (mm, N, MPa, Nmm, \xF8" "C)");
  EXPECT_EQ(wkwenvar.UnitSystemNames[1], "englisch (in, lbf, psi, lbfin, degF)");
  EXPECT_EQ(wkwenvar.UnitSystemNames[3], "metrisch (mm, N, N/mm\xFD, Nmm, \xF8" "C)");
}

TEST_F(SettingsTest, PrintSettings) {
  EXPECT_EQ(wprinvar.PrintScaleX, 1.0);
  EXPECT_EQ(wprinvar.PrintOrientation, 2);
  EXPECT_TRUE(wprinvar.GraphPrintDialog);
  EXPECT_EQ(wprinvar.PrintPresetNo, 0);
  EXPECT_EQ(wprinvar.SheetFormat, 0);
  EXPECT_EQ(wprinvar.TextWindowPos.Left, 10);
  EXPECT_EQ(wprinvar.TextWindowPos.Top, 40);
  EXPECT_EQ(wprinvar.TextWindowPos.Width, 700);
  EXPECT_EQ(wprinvar.TextWindowPos.Height, 440);
  EXPECT_EQ(wprinvar.PrintFontName, "Courier New");
  EXPECT_EQ(wprinvar.PrintFontSize, 10);
}

TEST_F(SettingsTest, CadLayers) {
  const int colors[6] = {1, 2, 2, 2, 3, 1};
  const int widths[6] = {3, 1, 1, 1, 2, 3};
  for (int i = 0; i <= 5; ++i) {
    EXPECT_EQ(cad8var.LayerNames[i], std::to_string(i));
    EXPECT_EQ(cad8var.LayerColors[i], colors[i]);
    EXPECT_EQ(cad8var.LayerWidths[i], widths[i]);
  }
  for (int layer = 16; layer <= 31; ++layer) {
    EXPECT_EQ(cad8var.ColorLayerColors[layer], layer - 15) << layer;
    EXPECT_EQ(cad8var.ColorLayerWidths[layer], 1) << layer;
  }
  EXPECT_THROW(cad8var.ColorLayerColors[15], std::out_of_range);
  EXPECT_THROW(cad8var.ColorLayerColors[32], std::out_of_range);
  EXPECT_EQ(cad8var.CadCode, 3);
  EXPECT_EQ(cad8var.CadTextFont, "TXT8");
  EXPECT_EQ(cad8var.CadDecimals, 6);
  EXPECT_EQ(cad8var.ArcResolution, 0.5L);
  EXPECT_TRUE(cad8var.ExecCadFile);
  EXPECT_TRUE(cad8var.PolyArcToLines);
  EXPECT_FALSE(cad8var.DwgNoLogo);
  EXPECT_EQ(cadrun.CadFileName, std::string(59, ' '));
  EXPECT_EQ(cadrun.TextHeight, 5.0L);
}

TEST_F(SettingsTest, ResetVentrixAndColorLayersResetsOnlyThose) {
  cad8var.VentrixCmdCount = 4;
  cad8var.VentrixCmdChoice = 3;
  cad8var.VentrixCmdLines[2] = "other";
  cad8var.ColorLayerWidths[31] = 7;
  cad8var.LayerColors[1] = 9;
  ResetVentrixAndColorLayers();
  EXPECT_EQ(cad8var.VentrixCmdCount, 1);
  EXPECT_EQ(cad8var.VentrixCmdChoice, 1);
  EXPECT_EQ(cad8var.VentrixCmdLines[2], DefaultVentrixCmdLine);
  EXPECT_EQ(cad8var.ColorLayerWidths[31], 1);
  EXPECT_EQ(cad8var.LayerColors[1], 9);
}

TEST_F(SettingsTest, View3dAnglesInRadians) {
  constexpr long double pi = std::numbers::pi_v<long double>;
  EXPECT_NEAR(static_cast<double>(view3d.View3DAngles[1]), static_cast<double>(-pi / 12.0L), 1e-15);
  EXPECT_NEAR(static_cast<double>(view3d.View3DAngles[2]), static_cast<double>(pi / 2.0L), 1e-15);
  EXPECT_NEAR(static_cast<double>(view3d.View3DAngles[3]), static_cast<double>(7.0L * pi / 6.0L), 1e-15);
  // Back in degrees they are exactly the stored whole numbers once rounded.
  EXPECT_EQ(std::round(view3d.View3DAngles[1] * 180.0L / pi), -15.0L);
  EXPECT_EQ(std::round(view3d.View3DAngles[3] * 180.0L / pi), 210.0L);
  EXPECT_TRUE(view3d.Edit3DAngles);
  EXPECT_TRUE(view3d.No3DTo2D);
}

TEST_F(SettingsTest, FinalizeReleasesAndClearsExcel) {
  varexcel.ExcelApp.active = true;
  varexcel.ExcelApp.workbookPath = "/tmp/a.xlsx";
  FinalizeAllSettings();
  EXPECT_TRUE(varexcel.ExcelApp.empty());
  EXPECT_EQ(error0.ErrorCount, 0);
}

}  // namespace
}  // namespace qorva
