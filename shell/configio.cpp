// configio: the configuration and session files and the folder check at start-up.
#include "shell/configio.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "foundation/cad8var.h"
#include "foundation/fileattr.h"
#include "foundation/filecheck.h"
#include "foundation/hgvar.h"
#include "foundation/kwenvar.h"
#include "foundation/msgbox.h"
#include "foundation/u32inte.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/view3d.h"
#include "foundation/wkwenvar.h"
#include "foundation/wprinvar.h"
#include "platform/screen.h"

namespace qorva {

Configio configio;

void InitConfigio() { configio = Configio(); }

namespace {

// The plot-program command lines the configuration can hold (VentrixCmdLines[1..5]).
constexpr int kVentrixLines = 5;

int32_t ScreenWidth() { return screenMetrics().width(); }
int32_t ScreenHeight() { return screenMetrics().height(); }

int32_t MaxClientWidth() { return configio.MaxClientWidth ? configio.MaxClientWidth() : ScreenWidth(); }
int32_t MaxClientHeight() { return configio.MaxClientHeight ? configio.MaxClientHeight() : ScreenHeight(); }

// The window's frame factor of the dialog-scale estimate.
long double FrameFactor() {
  const long double ratio = configio.WindowHeightRatio ? configio.WindowHeightRatio() : 1.0L;
  return ratio + 0.009L;
}

int32_t RoundInt(long double x) {
  if (!std::isfinite(x)) return 0;
  return static_cast<int32_t>(std::nearbyint(std::fmax(-2.0e9L, std::fmin(2.0e9L, x))));
}

// The dialog scale (in %) that the window frame and the screen's resolution suggest.
long double DialogScaleAcross() { return FrameFactor() * screenMetrics().dotsPerInch() / 96.0L * 100.0L; }

int32_t DialogScaleEstimate() { return RoundInt(DialogScaleAcross()); }

uint16_t Word(int32_t x) { return static_cast<uint16_t>(x); }
// A window size as a word: never wrapped round into a huge size.
uint16_t WordInRange(int32_t x) { return Word(std::clamp<int32_t>(x, 0, 65535)); }

// Sets the main window's client area to GraphResX x GraphResY.
void ApplyClientSize() {
  if (configio.SetClientSize) configio.SetClientSize(kwenvar.GraphResX, kwenvar.GraphResY);
}

// ---- Reading ----

bool AtEnd() { return ShareTextFile.Eof(); }

void SkipLine() {
  std::string s;
  ReadLine(s);
}

// What ends a read: the file is only closed, or FinishConfigRead runs.
enum class ReadEnd { Close, Finish };

ReadEnd ReadEntries() {
  auto& k = kwenvar;
  auto& w = wkwenvar;
  auto& h = hgvar;
  auto& p = wprinvar;
  auto& c = cad8var;

  SkipLine();  // program stem and "Konfiguration"
  SkipLine();  // version

  for (int n = 1; n <= 5; ++n) {
    SkipLine();
    ReadLine(c.LayerNames[static_cast<size_t>(n)]);
    SkipLine();
    ReadInt(c.LayerColors[static_cast<size_t>(n)]);
  }
  SkipLine();
  ReadLine(c.CadTextFont);
  SkipLine();
  ReadReal(c.CadTextWidth);
  if (c.CadTextWidth == 0) c.CadTextWidth = 1.0L;
  SkipLine();
  ReadReal(c.CadTextAngle);
  SkipLine();
  ReadLine(k.CadDir);
  SkipLine();
  ReadLine(k.DbfDir);
  SkipLine();
  ReadWord(k.HelpLevel);
  SkipLine();
  ReadWord(k.PrinterPort);
  if (k.PrinterPort == 0) k.PrinterPort = 1;
  if (AtEnd()) return ReadEnd::Close;
  SkipLine();
  ReadWord(k.PrinterType);
  if (AtEnd()) return ReadEnd::Close;
  SkipLine();
  ReadWord(k.PrintDensity);
  SkipLine();
  ReadCharLine(k.HardcopyRotated);
  if (k.HardcopyRotated == '\0') k.HardcopyRotated = 'N';
  SkipLine();
  ReadInt(k.SigDigits);
  if (k.SigDigits <= 0 || k.SigDigits > 9) k.SigDigits = 3;
  SkipLine();
  ReadWord(k.PrintDensityVertical);
  if (k.PrintDensityVertical < 1 || k.PrintDensityVertical > 4) k.PrintDensityVertical = 1;
  if (AtEnd()) return ReadEnd::Close;
  SkipLine();
  ReadBool(k.ScreenColor);
  SkipLine();
  ReadReal(h.GraphCorrectionX);
  if (h.GraphCorrectionX == 0) h.GraphCorrectionX = 1.0L;
  SkipLine();
  ReadInt(k.GraphMode);
  SkipLine();
  ReadInt(k.GraphDriver);
  SkipLine();
  ReadWord(k.GraphResX);
  SkipLine();
  ReadWord(k.GraphResY);
  SkipLine();
  ReadLine(k.TempDir);
  SkipLine();
  ReadWord(k.HardcopyPort);
  if (k.HardcopyPort == 0) k.HardcopyPort = 1;
  if (AtEnd()) return ReadEnd::Close;

  SkipLine();
  ReadLine(k.EdiDir);
  SkipLine();
  ReadLine(k.PltDir);
  SkipLine();
  ReadWord(k.SeparatorStyle);
  if (k.SeparatorStyle == 0) k.SeparatorStyle = 1;
  SkipLine();
  ReadInt(k.LinesPerPage);
  if (k.LinesPerPage < 5) k.LinesPerPage = 66;
  SkipLine();
  ReadReal(h.ZoomFactor);
  if (h.ZoomFactor == 0) h.ZoomFactor = 1.02L;
  SkipLine();
  ReadReal(h.PanFactor);
  if (h.PanFactor == 0) h.PanFactor = 0.01L;
  SkipLine();
  ReadLine(k.ProgramDir);
  if (AtEnd()) return ReadEnd::Finish;
  SkipLine();
  {
    std::string line;
    ReadLine(line);
    if (!line.empty()) c.VentrixCmdLines[1] = line;
  }
  if (AtEnd()) return ReadEnd::Finish;
  SkipLine();
  {
    int32_t color = 0;
    ReadLong(color);
    h.BackgroundColor = static_cast<TColor>(color);
  }
  if (AtEnd()) return ReadEnd::Finish;
  SkipLine();
  ReadWord(k.PrintColorMode);
  if (k.PrintColorMode == 0) k.PrintColorMode = 1;
  if (AtEnd()) return ReadEnd::Finish;
  SkipLine();
  ReadBool(c.LayerMonochrome);
  if (AtEnd()) {
    // Files of this length knew only one text width and font.
    h.GraphTextWidth = c.CadTextWidth;
    h.GraphFontName = "Arial";
    return ReadEnd::Finish;
  }
  SkipLine();
  ReadReal(h.GraphTextWidth);
  if (h.GraphTextWidth == 0) h.GraphTextWidth = 0.8L;
  SkipLine();
  ReadLine(h.GraphFontName);
  if (AtEnd()) return ReadEnd::Finish;
  for (int layer = 16; layer <= 31; ++layer) {
    SkipLine();
    ReadInt(c.ColorLayerColors[layer]);
    if (c.ColorLayerColors[layer] == 0) c.ColorLayerColors[layer] = 1;
  }
  if (AtEnd()) return ReadEnd::Finish;
  SkipLine();
  ReadLine(w.TextProgram);
  SkipLine();
  ReadWord(w.DatabaseMode);
  SkipLine();
  ReadLine(w.ExternalDbProgram);
  if (AtEnd()) return ReadEnd::Finish;
  SkipLine();
  ReadInt(p.DefaultPrintOriginX);
  SkipLine();
  ReadInt(p.DefaultPrintOriginY);
  SkipLine();
  ReadDouble(p.DefaultPrintScaleX);
  if (p.DefaultPrintScaleX == 0) {
    p.DefaultPrintScaleX = 1.0;
    p.DefaultPrintScaleY = 1.0;
  }
  SkipLine();
  ReadBool(p.DefaultPrintBorder);
  if (AtEnd()) return ReadEnd::Finish;
  SkipLine();
  ReadBool(w.UserLoginEnabled);
  if (AtEnd()) return ReadEnd::Finish;

  SkipLine();
  ReadWord(c.VentrixCmdCount);
  if (c.VentrixCmdCount >= 2) {
    // Every line of the entry is read so that the entries after it stay in step; only five fit.
    for (int n = 2; n <= c.VentrixCmdCount; ++n) {
      std::string line;
      ReadLine(line);
      if (n <= kVentrixLines) c.VentrixCmdLines[static_cast<size_t>(n)] = line;
      if (AtEnd() && n < c.VentrixCmdCount) {
        // The remaining lines would all read empty.
        for (int m = n + 1; m <= std::min<int>(c.VentrixCmdCount, kVentrixLines); ++m) {
          c.VentrixCmdLines[static_cast<size_t>(m)].clear();
        }
        break;
      }
    }
    if (c.VentrixCmdCount > kVentrixLines) c.VentrixCmdCount = kVentrixLines;
  }
  SkipLine();
  ReadBool(k.ArchiveMode);
  if (!AtEnd()) {
    SkipLine();
    ReadWord(w.DateFormat);
  }
  if (w.DateFormat == 0) w.DateFormat = 3;
  if (!AtEnd()) {
    SkipLine();
    ReadInt(w.HeaderSpaceLines);
  }
  if (w.HeaderSpaceLines < 0 || w.HeaderSpaceLines > 30) w.HeaderSpaceLines = 0;
  if (!AtEnd()) {
    SkipLine();
    ReadWord(w.TextDevice);
    if (w.TextDevice < 1 || w.TextDevice > 9) w.TextDevice = 1;
    SkipLine();
    ReadBool(w.TextDeviceQuery);
  }
  if (!AtEnd()) {
    SkipLine();
    ReadBool(w.SmallOnlineWindow);
  }
  if (!AtEnd()) {
    SkipLine();
    ReadBool(w.DiagramLimitsQuery);
  }
  SkipLine();
  ReadWord(w.CadTxtDecimal);
  if (w.CadTxtDecimal < 1 || w.CadTxtDecimal > 2) w.CadTxtDecimal = 1;
  SkipLine();
  ReadLine(w.DefaultDataDir);
  if (w.DefaultDataDir.empty()) w.DefaultDataDir = AddBackslash(k.StartDir);
  SkipLine();
  if (!AtEnd()) ReadReal(h.GraphTextHeight);
  if (h.GraphTextHeight < 0.1L) h.GraphTextHeight = 1.0L;
  SkipLine();
  if (!AtEnd()) ReadInt(w.DialogScale);
  if (w.DialogScale < 10 || w.DialogScale > 1000) w.DialogScale = 100;
  SkipLine();
  ReadLine(w.HtmlBrowser);
  if (AtEnd()) return ReadEnd::Finish;

  SkipLine();
  ReadDouble(p.DefaultPrintScaleY);
  if (p.DefaultPrintScaleY < 0.0001) p.DefaultPrintScaleY = p.DefaultPrintScaleX;
  SkipLine();
  for (int n = 0; n <= 5; ++n) {
    int32_t& width = c.LayerWidths[static_cast<size_t>(n)];
    ReadInt(width);
    if (width < 1 || width > 255) width = 1;
  }
  SkipLine();
  ReadBool(p.GraphPrintDialog);
  SkipLine();
  {
    std::string left, top, width, height;
    ReadFields4(left, top, width, height);
    const int32_t wi = StrToInt0(width);
    const int32_t he = StrToInt0(height);
    if (wi != 0 && he != 0 && !AtEnd()) {
      p.TextWindowPos.Left = StrToInt0(left);
      p.TextWindowPos.Top = StrToInt0(top);
      p.TextWindowPos.Width = wi;
      p.TextWindowPos.Height = he;
    }
  }
  SkipLine();
  ReadWord(w.UnitSystem);
  SkipLine();
  ReadWord(w.HeaderMode);
  if (w.HeaderMode < 1 || w.HeaderMode > 2) w.HeaderMode = 1;
  SkipLine();
  ReadLine(p.PrintFontName);
  if (p.PrintFontName.empty()) p.PrintFontName = "Courier New";
  SkipLine();
  ReadWord(p.PrintFontSize);
  if (p.PrintFontSize == 0) p.PrintFontSize = 10;
  SkipLine();
  ReadWord(p.PrintFontStyle);
  SkipLine();
  ReadWord(h.GraphFontStyle);
  SkipLine();
  ReadWord(p.PrintOrientation);
  SkipLine();
  ReadBoolDefTrue(view3d.Edit3DAngles);
  SkipLine();
  for (int n = 1; n <= 3; ++n) ReadReal(view3d.View3DAngles[static_cast<size_t>(n)]);

  ReadWord(w.ChangeIndexStyle);
  ReadWord(w.ExcelDecimal);
  if (w.ExcelDecimal == 0) w.ExcelDecimal = 2;
  ReadLine(c.ReleaseField);
  SkipLine();
  ReadInt(c.CadDecimals);
  if (c.CadDecimals < 1 || c.CadDecimals > 32) c.CadDecimals = 6;
  SkipLine();
  ReadWord(w.CadTextMode);
  if (w.CadTextMode == 0) w.CadTextMode = 1;
  SkipLine();
  for (int layer = 16; layer <= 31; ++layer) ReadInt(c.ColorLayerWidths[layer]);
  ReadWord(w.PlainAscii);
  ReadInt(w.DialogFontScale);
  if (w.DialogFontScale < 10 || w.DialogFontScale > 1000) w.DialogFontScale = 100;
  ReadWord(w.AngleFormat);
  if (w.AngleFormat < 1 || w.AngleFormat > 2) w.AngleFormat = 2;
  ReadReal(c.DimensionFactor);
  if (c.DimensionFactor == 0) c.DimensionFactor = 1.0L;
  ReadInt(k.CfgSpareInt);
  ReadInt(w.MenuLanguage);
  ReadInt(w.ResultGraphic);
  for (bool* b : {&c.DwgNoMakerTitle, &c.DwgNoFileName, &c.DwgNoDate, &c.DwgNoLogo, &c.DwgNoFooter,
                  &c.DwgNoTitleBlock, &w.NoAktuellFile, &w.SaveMenuLanguage}) {
    ReadBool(*b);
  }
  if (!w.SaveMenuLanguage) w.MenuLanguage = 0;
  ReadInt(w.TitleBlockType);
  for (size_t n = 0; n <= 15; ++n) {
    int32_t color = 0;
    ReadLong(color);
    // Black (0) cannot be told from a missing value; the built-in colour stays.
    if (color > 0) h.ColorTable[n] = static_cast<TColor>(color);
  }
  {
    bool to2d = !view3d.No3DTo2D;
    ReadBool(to2d);
    view3d.No3DTo2D = !to2d;
  }
  ReadBool(c.DwgNoCopyright);
  ReadLine(w.ManualDir);
  if (w.ManualDir.empty()) w.ManualDir = k.ProgramDir;
  ReadInt(w.FrameMargin);
  for (bool* b : {&c.DwgNoGridBorder, &c.DwgNoMmScale, &c.DwgShowChanges, &c.DwgHeadBlocks,
                  &c.DwgInsertBlocks, &w.HideWarnings, &c.ExecCadFile, &c.PolyArcToLines}) {
    ReadBool(*b);
  }
  ReadReal(c.ArcResolution);
  if (!(c.ArcResolution > 0)) c.ArcResolution = 0.5L;
  ReadInt(c.StlType);
  ReadInt(w.ScreenSizeCode);
  ReadInt(w.DialogSizeCode);
  ReadInt(w.TextWindowSizeCode);
  return ReadEnd::Finish;
}

// ---- Writing ----

void Label(const char* text) { WriteLine(text); }
void ShortReal(long double x) { WriteLine(RealStr3Dot(x)); }

void WriteEntries() {
  const auto& k = kwenvar;
  const auto& w = wkwenvar;
  const auto& h = hgvar;
  const auto& p = wprinvar;
  const auto& c = cad8var;

  WriteLine(k.ProgStem + " Konfiguration");
  WriteLine("Version " + k.ProgVersion);
  for (size_t n = 1; n <= 5; ++n) {
    Label("Layer");
    WriteLine(c.LayerNames[n]);
    Label("Farbe");
    WriteInt(c.LayerColors[n]);
  }
  Label("Textstil CAD");
  WriteLine(c.CadTextFont);
  Label("Textbreitenfaktor CAD");
  ShortReal(c.CadTextWidth);
  Label("Textwinkel");
  ShortReal(c.CadTextAngle);
  Label("CAD Ordner");
  WriteLine(k.CadDir);
  Label("DBF Ordner");
  WriteLine(k.DbfDir);
  Label("Hilfegrad");
  WriteInt(k.HelpLevel);
  Label("Druckerschnittstelle");
  WriteInt(k.PrinterPort);
  Label("Druckertyp");
  WriteInt(k.PrinterType);
  Label("Druckdichte");
  WriteInt(k.PrintDensity);
  Label("Hardcopy um 90\xF8 gedreht ?");
  WriteLine(std::string(1, k.HardcopyRotated));
  Label("Dezimalstellen");
  WriteInt(k.SigDigits);
  Label("Druckdicke vertikal");
  WriteInt(k.PrintDensityVertical);
  Label("Farbgrafik");
  WriteBool(k.ScreenColor);
  Label("GrafikKorrekturFaktor horizontal");
  ShortReal(h.GraphCorrectionX);
  Label("Grafik-Mode");
  WriteInt(k.GraphMode);
  Label("Grafik-Treiber");
  WriteInt(k.GraphDriver);
  Label("Aufl\x94sung horizontal");
  WriteInt(k.GraphResX);
  Label("Aufl\x94sung vertikal");
  WriteInt(k.GraphResY);
  Label("Ordner f\x81r tempor\x84re Dateien");
  WriteLine(k.TempDir);
  Label("Druckerschnittstelle Hardcopy");
  WriteInt(k.HardcopyPort);
  Label("EDI Ordner");
  WriteLine(k.EdiDir);
  Label("PLT Ordner");
  WriteLine(k.PltDir);
  Label("Mode f\x81r Textausdruck 1:* 2:-");
  WriteInt(k.SeparatorStyle);
  Label("Zeilen pro Seite f\x81r Drucker");
  WriteInt(k.LinesPerPage);
  Label("Zoomfaktor");
  WriteReal(h.ZoomFactor);
  Label("Pan-Faktor");
  WriteReal(h.PanFactor);
  Label("KWENDAL-Programmverzeichnis");
  WriteLine(k.ProgramDir);
  Label("VENTRIX-Kommandozeile");
  WriteLine(c.VentrixCmdLines[1]);
  Label("Hintergrundfarbe");
  WriteInt(static_cast<int32_t>(h.BackgroundColor));
  Label("Windows-Druckmodus (1=mono 2=color)");
  WriteInt(k.PrintColorMode);
  Label("Layer Monochrom");
  WriteBool(c.LayerMonochrome);
  Label("Textbreitenfaktor Grafik");
  WriteReal(h.GraphTextWidth);
  Label("Textstil Grafik");
  WriteLine(h.GraphFontName);
  for (int layer = 16; layer <= 31; ++layer) {
    WriteLine("Color Layer " + IntStr(layer));
    WriteInt(c.ColorLayerColors[layer]);
  }
  Label("Textprogramm");
  WriteLine(w.TextProgram);
  Label("Datenbank mode");
  WriteInt(w.DatabaseMode);
  Label("externe Datenbank");
  WriteLine(w.ExternalDbProgram);
  Label("Windows Screendump Origin X");
  WriteInt(p.DefaultPrintOriginX);
  Label("Windows Screendump Origin Y");
  WriteInt(p.DefaultPrintOriginY);
  Label("Windows Screendump Scale");
  WriteReal(p.DefaultPrintScaleX);
  Label("Windows Screendump Border ?");
  WriteBool(p.DefaultPrintBorder);
  Label("Enter Password ?");
  WriteBool(w.UserLoginEnabled);
  Label("VENTRIX Command lines (n, line 2 .. line n)");
  WriteInt(c.VentrixCmdCount);
  for (int n = 2; n <= std::min<int>(c.VentrixCmdCount, kVentrixLines); ++n) {
    WriteLine(c.VentrixCmdLines[static_cast<size_t>(n)]);
  }
  Label("Archive Flag ?");
  WriteBool(k.ArchiveMode);
  Label("Date Code");
  WriteInt(w.DateFormat);
  Label("Header Space Lines");
  WriteInt(w.HeaderSpaceLines);
  Label("Text Device");
  WriteInt(w.TextDevice);
  Label("Text Device Window ?");
  WriteBool(w.TextDeviceQuery);
  Label("Small Online Window ?");
  WriteBool(w.SmallOnlineWindow);
  Label("Enter Diagram Limits ?");
  WriteBool(w.DiagramLimitsQuery);
  Label("Dot=1 Komma=2");
  WriteInt(w.CadTxtDecimal);
  Label("Default Data Directory");
  WriteLine(w.DefaultDataDir);
  Label("Text Height Factor");
  WriteReal(h.GraphTextHeight);
  Label("Input Window Scale %");
  WriteInt(w.DialogScale);
  Label("HTML Browser");
  WriteLine(w.HtmlBrowser);
  Label("Print Scale Vertical");
  WriteReal(p.DefaultPrintScaleY);
  Label("Line thickness Layer 0..5");
  for (size_t n = 0; n <= 5; ++n) WriteInt(c.LayerWidths[n]);
  Label("Graphic Printout Dialog Box ?");
  WriteBool(p.GraphPrintDialog);
  Label("Text window left/top/width/height");
  WriteFields4(IntStr(p.TextWindowPos.Left), IntStr(p.TextWindowPos.Top), IntStr(p.TextWindowPos.Width),
               IntStr(p.TextWindowPos.Height));
  Label("Metric Units=0,  English units=1");
  WriteInt(w.UnitSystem);
  Label("printout with header=1, header page 1 only=2");
  WriteInt(w.HeaderMode);
  Label("Text Font Printout");
  WriteLine(p.PrintFontName);
  Label("Text Size Printout");
  WriteInt(p.PrintFontSize);
  Label("Text Style Printout");
  WriteInt(p.PrintFontStyle);
  Label("Text Style Graphics");
  WriteInt(h.GraphFontStyle);
  Label("Printer: Portrait=1, Landscape=2");
  WriteInt(p.PrintOrientation);
  Label("Edit 3D x,y,z ?");
  WriteBool(view3d.Edit3DAngles);
  Label("3D - Default x,y,z");
  for (size_t n = 1; n <= 3; ++n) WriteReal(view3d.View3DAngles[n]);

  // The tail: mostly without label lines.
  WriteInt(w.ChangeIndexStyle);
  WriteInt(w.ExcelDecimal);
  WriteLine(c.ReleaseField);
  Label("Decimals DXF,TXT");
  WriteInt(c.CadDecimals);
  Label("CAD Text Mode");
  WriteInt(w.CadTextMode);
  Label("Strichst\x84rke Layer 16..31");
  for (int layer = 16; layer <= 31; ++layer) WriteInt(c.ColorLayerWidths[layer]);
  WriteInt(w.PlainAscii);
  WriteInt(w.DialogFontScale);
  WriteInt(w.AngleFormat);
  WriteReal(c.DimensionFactor);
  WriteInt(k.CfgSpareInt);
  WriteInt(w.MenuLanguage);
  WriteInt(w.ResultGraphic);
  for (bool b : {c.DwgNoMakerTitle, c.DwgNoFileName, c.DwgNoDate, c.DwgNoLogo, c.DwgNoFooter,
                 c.DwgNoTitleBlock, w.NoAktuellFile, w.SaveMenuLanguage}) {
    WriteBool(b);
  }
  WriteInt(w.TitleBlockType);
  for (size_t n = 0; n <= 15; ++n) WriteInt(static_cast<int32_t>(h.ColorTable[n]));
  WriteBool(!view3d.No3DTo2D);
  WriteBool(c.DwgNoCopyright);
  WriteLine(w.ManualDir);
  WriteInt(w.FrameMargin);
  for (bool b : {c.DwgNoGridBorder, c.DwgNoMmScale, c.DwgShowChanges, c.DwgHeadBlocks, c.DwgInsertBlocks,
                 w.HideWarnings, c.ExecCadFile, c.PolyArcToLines}) {
    WriteBool(b);
  }
  WriteReal(c.ArcResolution);
  WriteInt(c.StlType);
  WriteInt(w.ScreenSizeCode);
  WriteInt(w.DialogSizeCode);
  WriteInt(w.TextWindowSizeCode);
}

// Closes a rewritten ShareTextFile: the new file replaces the old one only when every line reached
// it; otherwise the old file stays, the user is told and ErrorFlag is set.
void CloseWritten(const std::string& name) {
  const bool ok = !ShareTextFile.Failed() && ShareTextFile.Close();
  if (ok) return;
  ShareTextFile.Discard();
  ReportError(name + ": file write error");
  kwenvar.ErrorFlag = true;
}

// Opens name for reading through ShareTextFile.
bool OpenForReading(const std::string& name) {
  ShareTextFile.Assign(name);
  return ShareTextFile.Reset();
}

}  // namespace

std::string ConfigFileName() { return AddBackslash(wkwenvar.ConfigDir) + kwenvar.ProgStem + ".cfg"; }

std::string SessionFileName() { return AddBackslash(wkwenvar.ConfigDir) + kwenvar.ProgStem + ".cff"; }

std::string ConfigHomeDir() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  // A relative value would depend on the current folder; it is ignored as the desktop does.
  if (xdg != nullptr && xdg[0] == '/') return AddBackslash(xdg) + "kwendal/";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return "";
  return AddBackslash(AddBackslash(home) + ".config") + "kwendal/";
}

void ReadConfigFile() {
  bool found = OpenForReading(ConfigFileName());
  const std::string home = ConfigHomeDir();
  if (!found && !home.empty()) {
    for (const std::string& dir : {home, home + kwenvar.ProgStem + "/"}) {
      if (OpenForReading(dir + kwenvar.ProgStem + ".cfg")) {
        wkwenvar.ConfigDir = dir;
        found = true;
        break;
      }
    }
  }
  if (!found) {
    ShareTextFile.Assign("");
    if (kwenvar.GraphResX == 0 || kwenvar.GraphResX == 65535) kwenvar.GraphResX = Word(ScreenWidth() - 9);
    if (kwenvar.GraphResY == 0 || kwenvar.GraphResY == 65535) kwenvar.GraphResY = Word(ScreenHeight() - 91);
    wprinvar.TextWindowPos.Height = ScreenHeight() - 80;
    wkwenvar.DialogScale = DialogScaleEstimate();
    kwenvar.ErrorFlag = true;
    return;
  }
  hgvar.GraphCorrectionX = 1.0L;
  // A file that cannot be read to its end (a line longer than any of ours, a read error) is
  // damaged: none of its values is taken.
  const Kwenvar k = kwenvar;
  const Wkwenvar w = wkwenvar;
  const Hgvar h = hgvar;
  const Wprinvar p = wprinvar;
  const Cad8var c = cad8var;
  const std::string name = ShareTextFile.Name();
  const ReadEnd end = ReadEntries();
  if (ShareTextFile.Failed()) {
    ShareTextFile.Close();
    kwenvar = k;
    wkwenvar = w;
    hgvar = h;
    wprinvar = p;
    cad8var = c;
    ReportError("Datei " + name + " fehlerhaft - nicht eingelesen !");
    kwenvar.ErrorFlag = true;
    return;
  }
  if (end == ReadEnd::Finish) {
    FinishConfigRead();
  } else {
    ShareTextFile.Close();
  }
}

void FinishConfigRead() {
  auto& k = kwenvar;
  auto& w = wkwenvar;
  if (k.GraphResX == 0 || k.GraphResX == 65535) k.GraphResX = Word(ScreenWidth() - 9);
  if (k.GraphResY == 0 || k.GraphResY == 65535) k.GraphResY = Word(ScreenHeight() - 91);
  if (w.ScreenSizeCode == 2) {
    k.GraphResX = WordInRange(MaxClientWidth());
    k.GraphResY = WordInRange(MaxClientHeight());
    ApplyClientSize();
  } else if (w.ScreenSizeCode == 1) {
    // The largest 4:3 area that fits.
    const int32_t width = MaxClientWidth();
    const int32_t height = MaxClientHeight();
    const int32_t a = width / 4;
    const int32_t b = height / 3;
    if (a > b) {
      k.GraphResX = WordInRange(b * 4);
      k.GraphResY = WordInRange(height);
    } else if (a < b) {
      k.GraphResX = WordInRange(width);
      k.GraphResY = WordInRange(a * 3);
    } else {
      k.GraphResX = WordInRange(width);
      k.GraphResY = WordInRange(height);
    }
    ApplyClientSize();
  }
  if (w.DialogSizeCode == 1) {
    const long double across = DialogScaleAcross();
    w.DialogScale = RoundInt(across);
    w.DialogFontScale = across > 0 ? RoundInt(w.DialogScale / across * 100.0L) : 100;
  }
  if (ShareTextFile.IsOpen()) ShareTextFile.Close();
}

void WriteConfigFile() {
  if (kwenvar.ErrorFlag) return;
  const std::string name = ConfigFileName();
  ShareTextFile.Assign(name);
  RewriteRetry(ShareTextFile);
  if (kwenvar.ErrorFlag) return;
  WriteEntries();
  CloseWritten(name);
}

void CheckDirectories() {
  auto& k = kwenvar;
  const std::string start = AddBackslash(k.StartDir);
  for (std::string* dir : {&k.TempDir, &k.DbfDir, &k.PltDir, &k.EdiDir, &wkwenvar.DefaultDataDir}) {
    if (TrimStr(*dir).empty()) *dir = start;
  }
  if (!DirWritable(k.CadDir)) ReportError("ung\x81ltiger CAD Ordner konfiguriert");
  if (!DirExists(k.DbfDir)) ReportError("ung\x81ltiger DBF Ordner konfiguriert");
  if (!DirExists(k.PltDir)) ReportError("ung\x81ltiger PLT Ordner konfiguriert");
  if (!DirWritable(k.TempDir)) {
    ReportError("ung\x81ltiger Ordner f\x81r tempor\x84re Dateien konfiguriert");
    AskText("Ordner f\x81r tempor\x84re Dateien", 60, k.TempDir);
  }
  if (!DirWritable(k.EdiDir)) ReportError("ung\x81ltiger EDI Ordner konfiguriert");
  if (!DirWritable(wkwenvar.DefaultDataDir)) ReportError("ung\x81ltiger Data Ordner konfiguriert");
}

void ReadSessionFile() {
  auto& recent = wkwenvar.RecentFiles;
  for (size_t n = 1; n <= 4; ++n) recent[n].clear();
  if (!OpenForReading(SessionFileName())) {
    ShareTextFile.Assign("");
    return;
  }
  SkipLine();
  // Only the four lines after the first belong to the list; anything further is not read.
  for (size_t n = 1; n <= 4; ++n) ReadLine(recent[n]);
  if (ShareTextFile.Failed()) {
    // Damaged: no entry of it is trusted.
    const std::string name = ShareTextFile.Name();
    for (size_t n = 1; n <= 4; ++n) recent[n].clear();
    ReportError("Datei " + name + " fehlerhaft - nicht eingelesen !");
    kwenvar.ErrorFlag = true;
  }
  ShareTextFile.Close();
}

void WriteSessionFile() {
  const auto& recent = wkwenvar.RecentFiles;
  if (recent[1].empty()) return;
  kwenvar.ErrorFlag = false;
  const std::string name = SessionFileName();
  ShareTextFile.Assign(name);
  RewriteRetry(ShareTextFile);
  if (kwenvar.ErrorFlag) return;
  WriteLine(kwenvar.ProgStem + " Session " + kwenvar.DataDir);
  for (size_t n = 1; n <= 4; ++n) WriteLine(recent[n]);
  CloseWritten(name);
}

}  // namespace qorva
