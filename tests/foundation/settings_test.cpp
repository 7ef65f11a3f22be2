// defaults of the settings modules after InitAllSettings (before the configuration).
#include "foundation/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <string>

#include "foundation/cadsettings.h"
#include "foundation/errorlist.h"
#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"
#include "foundation/spreadsheetapp.h"
#include "foundation/view3d.h"
#include "foundation/desktopsettings.h"
#include "foundation/printsettings.h"

namespace qorva {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitAllSettings(); }
  void TearDown() override { InitAllSettings(); }
};

TEST_F(SettingsTest, EdgeCaseDefaultsBeforeConfiguration) {
  EXPECT_EQ(programState.DataDir, "MOLVA");
  EXPECT_EQ(programState.CurrentFileName, "demo");
  EXPECT_EQ(desktopSettings.DateFormat, 3);
  EXPECT_EQ(desktopSettings.UnitSystem, 0);
  EXPECT_EQ(programState.SigDigits, 3);
  // The graphics module's start values replace 1.02 and 0.02.
  EXPECT_EQ(graphicsSettings.ZoomFactor, 1.2L);
  EXPECT_EQ(graphicsSettings.PanFactor, 0.05L);
}

TEST_F(SettingsTest, SettingsModuleAloneHoldsItsOwnDefaultsUntilGraphicsStart) {
  InitGraphicsSettings();
  EXPECT_EQ(graphicsSettings.ZoomFactor, 1.02L);
  EXPECT_EQ(graphicsSettings.PanFactor, 0.02L);
  ApplyGraphicsStartValues();
  EXPECT_EQ(graphicsSettings.ZoomFactor, 1.2L);
  EXPECT_EQ(graphicsSettings.PanFactor, 0.05L);
  EXPECT_EQ(graphicsSettings.GraphCorrectionX, 1.0L);
  EXPECT_EQ(graphicsSettings.ZoomAspect, 1.0L);
}

TEST_F(SettingsTest, SharedBuffers) {
  ASSERT_EQ(programState.WrapLines.size(), 6u);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(programState.WrapLines[i], std::string(64, ' ')) << i;
}

TEST_F(SettingsTest, InitAllSettingsIsTheResetForTests) {
  programState.ErrorFlag = true;
  programState.FatalError = true;
  programState.WrapLines[2] = "x";
  desktopSettings.UnitSystem = 1;
  graphicsSettings.ColorTable[3] = 0x123456;
  cadSettings.ColorLayerColors[20] = 99;
  errorList.ErrorCount = 3;
  spreadsheetApp.ExcelApp.active = true;
  spreadsheetApp.ExcelApp.workbookPath = "/x/y.xlsx";
  InitAllSettings();
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_FALSE(programState.FatalError);
  EXPECT_EQ(programState.WrapLines[2], std::string(64, ' '));
  EXPECT_EQ(desktopSettings.UnitSystem, 0);
  EXPECT_EQ(graphicsSettings.ColorTable[3], 0xFFFF00u);
  EXPECT_EQ(cadSettings.ColorLayerColors[20], 5);
  EXPECT_EQ(errorList.ErrorCount, 0);
  EXPECT_TRUE(spreadsheetApp.ExcelApp.empty());
}

TEST_F(SettingsTest, IdentityDefaultsUntilTheShellSetsThem) {
  EXPECT_EQ(programState.ProgName, "KWENDAL");
  EXPECT_EQ(programState.ProgStem, "KWENDAL");
  EXPECT_EQ(programState.ProgTitle, "K W E N D A L    -    Software");
  EXPECT_EQ(programState.DataExt, "EXT");
  EXPECT_EQ(programState.ProgVersion, "1.0");
}

TEST_F(SettingsTest, FoldersStartAtTheCurrentDirectory) {
  const std::string cur = std::filesystem::current_path().generic_string();
  EXPECT_EQ(programState.StartDir, cur);
  EXPECT_EQ(desktopSettings.ConfigDir, cur);
  EXPECT_EQ(desktopSettings.WorkingDir, cur);
  EXPECT_EQ(desktopSettings.DefaultDataDir, cur);
  EXPECT_EQ(programState.StartDir.find('\\'), std::string::npos);
  EXPECT_EQ(programState.TempDir, "");
  EXPECT_EQ(programState.DbfDir, "");
  EXPECT_EQ(desktopSettings.ManualDir, "");
}

// The defaults are what a Linux desktop has: its opener for reports and pages, no Windows program
// and no Windows folder anywhere.
TEST_F(SettingsTest, ProgramDefaultsAreTheDesktopsOwn) {
  EXPECT_EQ(desktopSettings.TextProgram, "xdg-open");
  EXPECT_EQ(desktopSettings.HtmlBrowser, "xdg-open");
  EXPECT_EQ(desktopSettings.ExternalDbProgram, "");
  EXPECT_EQ(cadSettings.VentrixCmdCount, 1);
  EXPECT_EQ(cadSettings.VentrixCmdChoice, 1);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(cadSettings.VentrixCmdLines[i], "WVENTRIX VENTRIX.DXF /M1.0");
  for (const std::string* s : {&desktopSettings.TextProgram, &desktopSettings.HtmlBrowser, &cadSettings.VentrixCmdLines[1]}) {
    EXPECT_EQ(s->find('\\'), std::string::npos) << *s;
    EXPECT_EQ(s->find(':'), std::string::npos) << *s;
  }
}

TEST_F(SettingsTest, ColorTable) {
  const TColor expected[17] = {0x000000, 0x800000, 0x00FF00, 0xFFFF00, 0x0000FF, 0x800080,
                               0x000080, 0xC0C0C0, 0xB0B0B0, 0xFF0000, 0x00FF00, 0xFFFF00,
                               0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF, 0x000000};
  for (int i = 0; i <= 16; ++i) EXPECT_EQ(graphicsSettings.ColorTable[i], expected[i]) << i;
  EXPECT_EQ(graphicsSettings.ColorTable[16], 0x000000u);  // black, not one of the configured 0..15
  EXPECT_EQ(graphicsSettings.BackgroundColor, 0x000001u);  // a colour value, not colour number 1
  EXPECT_NE(graphicsSettings.BackgroundColor, graphicsSettings.ColorTable[1]);
  graphicsSettings.ColorTable[16] = 0xABCDEF;
  ResetColorTable();
  EXPECT_EQ(graphicsSettings.ColorTable[16], 0x000000u);
}

TEST_F(SettingsTest, GraphicsState) {
  EXPECT_EQ(graphicsSettings.MaxColorIndex, 16);
  EXPECT_EQ(graphicsSettings.ZoomPixelX1, 0);
  EXPECT_EQ(graphicsSettings.ZoomPixelY1, 0);
  EXPECT_EQ(graphicsSettings.ZoomPixelX2, 640);
  EXPECT_EQ(graphicsSettings.ZoomPixelY2, 480);
  EXPECT_EQ(graphicsSettings.VisibleXMax, 1.0L);
  EXPECT_TRUE(graphicsSettings.EqualAspect);
  EXPECT_EQ(graphicsSettings.GraphFontName, "Arial");
  EXPECT_EQ(graphicsSettings.GraphTextWidth, 0.8L);
  EXPECT_EQ(graphicsSettings.GraphFontStyle, 3);
  EXPECT_EQ(programState.GraphResX, 0);
  EXPECT_EQ(programState.GraphResY, 0);
  EXPECT_TRUE(programState.ScreenColor);
}

TEST_F(SettingsTest, FlagsAndCounters) {
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_FALSE(programState.FatalError);
  EXPECT_TRUE(programState.ShowErrors);
  EXPECT_FALSE(programState.DemoRun);
  EXPECT_FALSE(programState.ArchiveMode);
  EXPECT_FALSE(programState.FileNameHasPath);
  EXPECT_FALSE(programState.InputModified);
  EXPECT_EQ(programState.LastKey, '0');
  EXPECT_EQ(programState.LastScanKey, '0');
  EXPECT_EQ(programState.BrowseRecNo, 1);
  EXPECT_EQ(programState.ViewChoice, 1);
  EXPECT_EQ(programState.TempFileNo, 0);
  EXPECT_EQ(programState.HelpLevel, 1);
  EXPECT_EQ(programState.SeparatorStyle, 1);
  EXPECT_EQ(programState.LinesPerPage, 66);
  EXPECT_EQ(programState.HardcopyRotated, 'J');
  EXPECT_EQ(programState.PrinterType, 3);
}

TEST_F(SettingsTest, WindowsSideDefaults) {
  EXPECT_EQ(desktopSettings.CadTextMode, 2);
  EXPECT_EQ(desktopSettings.PlainAscii, 0);
  EXPECT_FALSE(desktopSettings.HideWarnings);
  EXPECT_EQ(desktopSettings.DialogScale, 102);
  EXPECT_EQ(desktopSettings.DialogFontScale, 100);
  EXPECT_EQ(desktopSettings.DialogSizeCode, 1);
  EXPECT_EQ(desktopSettings.ScreenSizeCode, 1);
  EXPECT_EQ(desktopSettings.TitleBlockType, 2);
  EXPECT_EQ(desktopSettings.FrameMargin, 1);
  EXPECT_EQ(desktopSettings.ExcelDecimal, 2);
  EXPECT_EQ(desktopSettings.BrowseGridRow, 1);
  EXPECT_EQ(desktopSettings.BrowseGridCol, 1);
  EXPECT_TRUE(desktopSettings.ConfirmOverwrite);
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(desktopSettings.RecentFiles[i], "");
  EXPECT_EQ(desktopSettings.UnitSystemNames[0], "metrisch (mm, N, MPa, Nmm, \xF8" "C)");
  EXPECT_EQ(desktopSettings.UnitSystemNames[1], "englisch (in, lbf, psi, lbfin, degF)");
  EXPECT_EQ(desktopSettings.UnitSystemNames[3], "metrisch (mm, N, N/mm\xFD, Nmm, \xF8" "C)");
}

TEST_F(SettingsTest, PrintSettings) {
  EXPECT_EQ(printSettings.PrintScaleX, 1.0);
  EXPECT_EQ(printSettings.PrintOrientation, 2);
  EXPECT_TRUE(printSettings.GraphPrintDialog);
  EXPECT_EQ(printSettings.PrintPresetNo, 0);
  EXPECT_EQ(printSettings.SheetFormat, 0);
  EXPECT_EQ(printSettings.TextWindowPos.Left, 10);
  EXPECT_EQ(printSettings.TextWindowPos.Top, 40);
  EXPECT_EQ(printSettings.TextWindowPos.Width, 700);
  EXPECT_EQ(printSettings.TextWindowPos.Height, 440);
  EXPECT_EQ(printSettings.PrintFontName, "Courier New");
  EXPECT_EQ(printSettings.PrintFontSize, 10);
}

TEST_F(SettingsTest, CadLayers) {
  const int colors[6] = {1, 2, 2, 2, 3, 1};
  const int widths[6] = {3, 1, 1, 1, 2, 3};
  for (int i = 0; i <= 5; ++i) {
    EXPECT_EQ(cadSettings.LayerNames[i], std::to_string(i));
    EXPECT_EQ(cadSettings.LayerColors[i], colors[i]);
    EXPECT_EQ(cadSettings.LayerWidths[i], widths[i]);
  }
  for (int layer = 16; layer <= 31; ++layer) {
    EXPECT_EQ(cadSettings.ColorLayerColors[layer], layer - 15) << layer;
    EXPECT_EQ(cadSettings.ColorLayerWidths[layer], 1) << layer;
  }
  EXPECT_THROW(cadSettings.ColorLayerColors[15], std::out_of_range);
  EXPECT_THROW(cadSettings.ColorLayerColors[32], std::out_of_range);
  EXPECT_EQ(cadSettings.CadCode, 3);
  EXPECT_EQ(cadSettings.CadTextFont, "TXT8");
  EXPECT_EQ(cadSettings.CadDecimals, 6);
  EXPECT_EQ(cadSettings.ArcResolution, 0.5L);
  EXPECT_TRUE(cadSettings.ExecCadFile);
  EXPECT_TRUE(cadSettings.PolyArcToLines);
  EXPECT_FALSE(cadSettings.DwgNoLogo);
  EXPECT_EQ(cadrun.CadFileName, std::string(59, ' '));
  EXPECT_EQ(cadrun.TextHeight, 5.0L);
}

TEST_F(SettingsTest, ResetVentrixAndColorLayersResetsOnlyThose) {
  cadSettings.VentrixCmdCount = 4;
  cadSettings.VentrixCmdChoice = 3;
  cadSettings.VentrixCmdLines[2] = "other";
  cadSettings.ColorLayerWidths[31] = 7;
  cadSettings.LayerColors[1] = 9;
  ResetVentrixAndColorLayers();
  EXPECT_EQ(cadSettings.VentrixCmdCount, 1);
  EXPECT_EQ(cadSettings.VentrixCmdChoice, 1);
  EXPECT_EQ(cadSettings.VentrixCmdLines[2], DefaultVentrixCmdLine);
  EXPECT_EQ(cadSettings.ColorLayerWidths[31], 1);
  EXPECT_EQ(cadSettings.LayerColors[1], 9);
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
  spreadsheetApp.ExcelApp.active = true;
  spreadsheetApp.ExcelApp.workbookPath = "/tmp/a.xlsx";
  FinalizeAllSettings();
  EXPECT_TRUE(spreadsheetApp.ExcelApp.empty());
  EXPECT_EQ(errorList.ErrorCount, 0);
}

}  // namespace
}  // namespace qorva
