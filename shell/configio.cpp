// configio: the configuration and session files and the folder check at start-up.
#include "shell/configio.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "foundation/cadsettings.h"
#include "foundation/datafolder.h"
#include "foundation/fileattributes.h"
#include "foundation/filecheck.h"
#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/textprompt.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/view3d.h"
#include "foundation/desktopsettings.h"
#include "foundation/printsettings.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "platform/sysname.h"

namespace qorva {


namespace {

// The plot-program command lines the configuration can hold (VentrixCmdLines[1..5]).
constexpr int kVentrixLines = 5;

int32_t ScreenWidth() { return screenMetrics().width(); }
int32_t ScreenHeight() { return screenMetrics().height(); }

// Told when not there; the screen then stands in for the window.
int32_t MaxClientWidth() { return services().MaxClientWidth().value_or(ScreenWidth()); }
int32_t MaxClientHeight() { return services().MaxClientHeight().value_or(ScreenHeight()); }

// The window's frame factor of the dialog-scale estimate.
long double FrameFactor() { return services().WindowHeightRatio().value_or(1.0L) + 0.009L; }

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
  services().SetClientSize(programState.GraphResX, programState.GraphResY);
}

// ---- The entries of the file ----

bool AtEnd() { return ShareTextFile.Eof(); }

void SkipLine() {
  std::string s;
  ReadLine(s);
}

// What ends a read: the file is only closed, or FinishConfigRead runs.
enum class ReadEnd { Close, Finish };

// When an entry is read. Older files are shorter: the reader looks for their end at fixed places.
enum class When {
  Always,
  IfMore,        // label and value only when the file goes on
  ValueIfMore,   // the label line is passed over; the value only when the file goes on
  WithPrevious,  // together with the entry before it
};

// One entry of the configuration file: the label line written before its value (none for the
// unlabelled tail), how its value lines are read and written, the rule that puts a missing or
// out-of-range value right, and whether an older file may end after it.
struct ConfigEntry {
  ConfigEntry(std::string l, bool withLabel, std::function<void()> r, std::function<void()> w)
      : label(std::move(l)), labelled(withLabel), read(std::move(r)), write(std::move(w)) {}

  std::string label;
  bool labelled = true;
  std::function<void()> read;
  std::function<void()> write;
  std::function<void()> rule;
  When when = When::Always;
  std::optional<ReadEnd> endsHere;  // the read stops here when the file ends after this entry
  std::function<void()> atEnd;      // what an older file that ends here leaves to be set

  ConfigEntry& Rule(std::function<void()> r) {
    rule = std::move(r);
    return *this;
  }
  // The value stays within lo..hi; anything else becomes def.
  template <class T>
  ConfigEntry& Range(T& x, T lo, T hi, T def) {
    return Rule([&x, lo, hi, def] {
      if (x < lo || x > hi) x = def;
    });
  }
  // A value of 0 (also "no number") becomes def.
  template <class T>
  ConfigEntry& NonZero(T& x, T def) {
    return Rule([&x, def] {
      if (x == 0) x = def;
    });
  }
  ConfigEntry& Read(When w) {
    when = w;
    return *this;
  }
  ConfigEntry& MayEnd(ReadEnd end, std::function<void()> then = {}) {
    endsHere = end;
    atEnd = std::move(then);
    return *this;
  }
};

// Entries by the kind of their setting.
ConfigEntry Text(std::string label, std::string& s) {
  return {std::move(label), true, [&s] { ReadLine(s); }, [&s] { WriteLine(s); }};
}
// A folder setting: what a file names is the user's; a stand-in the start put in is written empty.
ConfigEntry Folder(std::string label, std::string& dir) {
  return {std::move(label), true,
          [&dir] {
            ReadLine(dir);
            programState.FolderStandIns.erase(&dir);
          },
          [&dir] {
            const auto standIn = programState.FolderStandIns.find(&dir);
            WriteLine(standIn != programState.FolderStandIns.end() && standIn->second == dir ? std::string() : dir);
          }};
}
ConfigEntry Int(std::string label, int32_t& x) {
  return {std::move(label), true, [&x] { ReadInt(x); }, [&x] { WriteInt(x); }};
}
ConfigEntry Word(std::string label, uint16_t& x) {
  return {std::move(label), true, [&x] { ReadWord(x); }, [&x] { WriteInt(x); }};
}
ConfigEntry Flag(std::string label, bool& b) {
  return {std::move(label), true, [&b] { ReadBool(b); }, [&b] { WriteBool(b); }};
}
ConfigEntry Real(std::string label, long double& x) {
  return {std::move(label), true, [&x] { ReadReal(x); }, [&x] { WriteReal(x); }};
}
// A real written with three decimals.
ConfigEntry ShortReal(std::string label, long double& x) {
  return {std::move(label), true, [&x] { ReadReal(x); }, [&x] { WriteLine(RealStr3Dot(x)); }};
}
ConfigEntry Double(std::string label, double& x) {
  return {std::move(label), true, [&x] { ReadDouble(x); }, [&x] { WriteReal(x); }};
}
ConfigEntry Char(std::string label, char& c) {
  return {std::move(label), true, [&c] { ReadCharLine(c); }, [&c] { WriteLine(std::string(1, c)); }};
}
ConfigEntry Colour(std::string label, TColor& x) {
  return {std::move(label), true,
          [&x] {
            int32_t color = 0;
            ReadLong(color);
            x = static_cast<TColor>(color);
          },
          [&x] { WriteInt(static_cast<int32_t>(x)); }};
}
// A value line without a label line before it.
ConfigEntry Unlabelled(ConfigEntry e) {
  e.labelled = false;
  return e;
}
std::vector<ConfigEntry> MakeEntries() {
  auto& k = programState;
  auto& w = desktopSettings;
  auto& h = graphicsSettings;
  auto& p = printSettings;
  auto& c = cadSettings;
  auto& v = view3d;
  std::vector<ConfigEntry> e;
  auto under = [&e](ConfigEntry x) { e.push_back(Unlabelled(std::move(x))); };

  under({"", false, SkipLine, [&k] { WriteLine(k.ProgStem + " Konfiguration"); }});
  under({"", false, SkipLine, [&k] { WriteLine("Version " + k.ProgVersion); }});
  for (size_t n = 1; n <= 5; ++n) {
    e.push_back(Text("Layer", c.LayerNames[n]));
    e.push_back(Int("Farbe", c.LayerColors[n]));
  }
  e.push_back(Text("Textstil CAD", c.CadTextFont));
  e.push_back(ShortReal("Textbreitenfaktor CAD", c.CadTextWidth).NonZero(c.CadTextWidth, 1.0L));
  e.push_back(ShortReal("Textwinkel", c.CadTextAngle));
  e.push_back(Text("CAD Ordner", k.CadDir));
  e.push_back(Folder("DBF Ordner", k.DbfDir));
  e.push_back(Word("Hilfegrad", k.HelpLevel));
  e.push_back(Word("Druckerschnittstelle", k.PrinterPort).NonZero<uint16_t>(k.PrinterPort, 1).MayEnd(ReadEnd::Close));
  e.push_back(Word("Druckertyp", k.PrinterType).MayEnd(ReadEnd::Close));
  e.push_back(Word("Druckdichte", k.PrintDensity));
  e.push_back(Char("Hardcopy um 90\xF8 gedreht ?", k.HardcopyRotated).Rule([&k] {
    if (k.HardcopyRotated == '\0') k.HardcopyRotated = 'N';
  }));
  e.push_back(Int("Dezimalstellen", k.SigDigits).Range(k.SigDigits, 1, 9, 3));
  e.push_back(Word("Druckdicke vertikal", k.PrintDensityVertical)
                  .Range<uint16_t>(k.PrintDensityVertical, 1, 4, 1)
                  .MayEnd(ReadEnd::Close));
  e.push_back(Flag("Farbgrafik", k.ScreenColor));
  e.push_back(ShortReal("GrafikKorrekturFaktor horizontal", h.GraphCorrectionX).NonZero(h.GraphCorrectionX, 1.0L));
  e.push_back(Int("Grafik-Mode", k.GraphMode));
  e.push_back(Int("Grafik-Treiber", k.GraphDriver));
  e.push_back(Word("Aufl\x94sung horizontal", k.GraphResX));
  e.push_back(Word("Aufl\x94sung vertikal", k.GraphResY));
  e.push_back(Folder("Ordner f\x81r tempor\x84re Dateien", k.TempDir));
  e.push_back(Word("Druckerschnittstelle Hardcopy", k.HardcopyPort)
                  .NonZero<uint16_t>(k.HardcopyPort, 1)
                  .MayEnd(ReadEnd::Close));
  e.push_back(Folder("EDI Ordner", k.EdiDir));
  e.push_back(Folder("PLT Ordner", k.PltDir));
  e.push_back(Word("Mode f\x81r Textausdruck 1:* 2:-", k.SeparatorStyle).NonZero<uint16_t>(k.SeparatorStyle, 1));
  e.push_back(Int("Zeilen pro Seite f\x81r Drucker", k.LinesPerPage).Rule([&k] {
    if (k.LinesPerPage < 5) k.LinesPerPage = 66;
  }));
  e.push_back(Real("Zoomfaktor", h.ZoomFactor).NonZero(h.ZoomFactor, 1.02L));
  e.push_back(Real("Pan-Faktor", h.PanFactor).NonZero(h.PanFactor, 0.01L));
  e.push_back(Folder("KWENDAL-Programmverzeichnis", k.ProgramDir).MayEnd(ReadEnd::Finish));
  e.push_back(ConfigEntry{"VENTRIX-Kommandozeile", true,
                          [&c] {
                            // An empty line keeps the built-in command line.
                            std::string line;
                            ReadLine(line);
                            if (!line.empty()) c.VentrixCmdLines[1] = line;
                          },
                          [&c] { WriteLine(c.VentrixCmdLines[1]); }}
                  .MayEnd(ReadEnd::Finish));
  e.push_back(Colour("Hintergrundfarbe", h.BackgroundColor).MayEnd(ReadEnd::Finish));
  e.push_back(Word("Windows-Druckmodus (1=mono 2=color)", k.PrintColorMode)
                  .NonZero<uint16_t>(k.PrintColorMode, 1)
                  .MayEnd(ReadEnd::Finish));
  e.push_back(Flag("Layer Monochrom", c.LayerMonochrome).MayEnd(ReadEnd::Finish, [&h, &c] {
    // Files of this length knew only one text width and font.
    h.GraphTextWidth = c.CadTextWidth;
    h.GraphFontName = "Arial";
  }));
  e.push_back(Real("Textbreitenfaktor Grafik", h.GraphTextWidth).NonZero(h.GraphTextWidth, 0.8L));
  e.push_back(Text("Textstil Grafik", h.GraphFontName).MayEnd(ReadEnd::Finish));
  for (int layer = 16; layer <= 31; ++layer) {
    e.push_back(Int("Color Layer " + IntStr(layer), c.ColorLayerColors[layer]).NonZero(c.ColorLayerColors[layer], 1));
  }
  e.back().MayEnd(ReadEnd::Finish);
  e.push_back(Text("Textprogramm", w.TextProgram));
  e.push_back(Word("Datenbank mode", w.DatabaseMode));
  e.push_back(Text("externe Datenbank", w.ExternalDbProgram).MayEnd(ReadEnd::Finish));
  e.push_back(Int("Windows Screendump Origin X", p.DefaultPrintOriginX));
  e.push_back(Int("Windows Screendump Origin Y", p.DefaultPrintOriginY));
  e.push_back(Double("Windows Screendump Scale", p.DefaultPrintScaleX).Rule([&p] {
    if (p.DefaultPrintScaleX == 0) {
      p.DefaultPrintScaleX = 1.0;
      p.DefaultPrintScaleY = 1.0;
    }
  }));
  e.push_back(Flag("Windows Screendump Border ?", p.DefaultPrintBorder).MayEnd(ReadEnd::Finish));
  e.push_back(Flag("Enter Password ?", w.UserLoginEnabled).MayEnd(ReadEnd::Finish));
  e.push_back({"VENTRIX Command lines (n, line 2 .. line n)", true,
               [&c] {
                 ReadWord(c.VentrixCmdCount);
                 if (c.VentrixCmdCount < 2) return;
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
               },
               [&c] {
                 WriteInt(c.VentrixCmdCount);
                 for (int n = 2; n <= std::min<int>(c.VentrixCmdCount, kVentrixLines); ++n) {
                   WriteLine(c.VentrixCmdLines[static_cast<size_t>(n)]);
                 }
               }});
  e.push_back(Flag("Archive Flag ?", k.ArchiveMode));
  e.push_back(Word("Date Code", w.DateFormat).NonZero<uint16_t>(w.DateFormat, 3).Read(When::IfMore));
  e.push_back(Int("Header Space Lines", w.HeaderSpaceLines).Range(w.HeaderSpaceLines, 0, 30, 0).Read(When::IfMore));
  e.push_back(Word("Text Device", w.TextDevice).Range<uint16_t>(w.TextDevice, 1, 9, 1).Read(When::IfMore));
  e.push_back(Flag("Text Device Window ?", w.TextDeviceQuery).Read(When::WithPrevious));
  e.push_back(Flag("Small Online Window ?", w.SmallOnlineWindow).Read(When::IfMore));
  e.push_back(Flag("Enter Diagram Limits ?", w.DiagramLimitsQuery).Read(When::IfMore));
  e.push_back(Word("Dot=1 Komma=2", w.CadTxtDecimal).Range<uint16_t>(w.CadTxtDecimal, 1, 2, 1));
  e.push_back(Folder("Default Data Directory", w.DefaultDataDir).Rule([&w, &k] {
    if (w.DefaultDataDir.empty()) w.DefaultDataDir = k.FolderStandIns[&w.DefaultDataDir] = TrimAndAddSlash(k.StartDir);
  }));
  e.push_back(Real("Text Height Factor", h.GraphTextHeight)
                  .Rule([&h] {
                    if (h.GraphTextHeight < 0.1L) h.GraphTextHeight = 1.0L;
                  })
                  .Read(When::ValueIfMore));
  e.push_back(Int("Input Window Scale %", w.DialogScale).Range(w.DialogScale, 10, 1000, 100).Read(When::ValueIfMore));
  e.push_back(Text("HTML Browser", w.HtmlBrowser).MayEnd(ReadEnd::Finish));
  e.push_back(Double("Print Scale Vertical", p.DefaultPrintScaleY).Rule([&p] {
    if (p.DefaultPrintScaleY < 0.0001) p.DefaultPrintScaleY = p.DefaultPrintScaleX;
  }));
  for (size_t n = 0; n <= 5; ++n) {
    ConfigEntry width = Int("Line thickness Layer 0..5", c.LayerWidths[n]).Range(c.LayerWidths[n], 1, 255, 1);
    width.labelled = n == 0;
    e.push_back(std::move(width));
  }
  e.push_back(Flag("Graphic Printout Dialog Box ?", p.GraphPrintDialog));
  e.push_back({"Text window left/top/width/height", true,
               [&p] {
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
               },
               [&p] {
                 const auto& r = p.TextWindowPos;
                 WriteFields4(IntStr(r.Left), IntStr(r.Top), IntStr(r.Width), IntStr(r.Height));
               }});
  e.push_back(Word("Metric Units=0,  English units=1", w.UnitSystem));
  e.push_back(Word("printout with header=1, header page 1 only=2", w.HeaderMode).Range<uint16_t>(w.HeaderMode, 1, 2, 1));
  e.push_back(Text("Text Font Printout", p.PrintFontName).Rule([&p] {
    if (p.PrintFontName.empty()) p.PrintFontName = "Courier New";
  }));
  e.push_back(Word("Text Size Printout", p.PrintFontSize).NonZero<uint16_t>(p.PrintFontSize, 10));
  e.push_back(Word("Text Style Printout", p.PrintFontStyle));
  e.push_back(Word("Text Style Graphics", h.GraphFontStyle));
  e.push_back(Word("Printer: Portrait=1, Landscape=2", p.PrintOrientation));
  e.push_back({"Edit 3D x,y,z ?", true, [&v] { ReadBoolDefTrue(v.Edit3DAngles); }, [&v] { WriteBool(v.Edit3DAngles); }});
  for (size_t n = 1; n <= 3; ++n) {
    ConfigEntry angle = Real("3D - Default x,y,z", v.View3DAngles[n]);
    angle.labelled = n == 1;
    e.push_back(std::move(angle));
  }

  // The tail: mostly without label lines.
  under(Word("", w.ChangeIndexStyle));
  under(Word("", w.ExcelDecimal).NonZero<uint16_t>(w.ExcelDecimal, 2));
  under(Text("", c.ReleaseField));
  e.push_back(Int("Decimals DXF,TXT", c.CadDecimals).Range(c.CadDecimals, 1, 32, 6));
  e.push_back(Word("CAD Text Mode", w.CadTextMode).NonZero<uint16_t>(w.CadTextMode, 1));
  for (int layer = 16; layer <= 31; ++layer) {
    ConfigEntry width = Int("Strichst\x84rke Layer 16..31", c.ColorLayerWidths[layer]);
    width.labelled = layer == 16;
    e.push_back(std::move(width));
  }
  under(Word("", w.PlainAscii));
  under(Int("", w.DialogFontScale).Range(w.DialogFontScale, 10, 1000, 100));
  under(Word("", w.AngleFormat).Range<uint16_t>(w.AngleFormat, 1, 2, 2));
  under(Real("", c.DimensionFactor).NonZero(c.DimensionFactor, 1.0L));
  under(Int("", k.CfgSpareInt));
  under(Int("", w.MenuLanguage));
  under(Int("", w.ResultGraphic));
  for (bool* b : {&c.DwgNoMakerTitle, &c.DwgNoFileName, &c.DwgNoDate, &c.DwgNoLogo, &c.DwgNoFooter,
                  &c.DwgNoTitleBlock, &w.NoAktuellFile}) {
    under(Flag("", *b));
  }
  under(Flag("", w.SaveMenuLanguage).Rule([&w] {
    if (!w.SaveMenuLanguage) w.MenuLanguage = 0;
  }));
  under(Int("", w.TitleBlockType));
  for (size_t n = 0; n <= 15; ++n) {
    under({"", false,
           [&h, n] {
             int32_t color = 0;
             ReadLong(color);
             // Black (0) cannot be told from a missing value; the built-in colour stays.
             if (color > 0) h.ColorTable[n] = static_cast<TColor>(color);
           },
           [&h, n] { WriteInt(static_cast<int32_t>(h.ColorTable[n])); }});
  }
  // Stored as "3D to 2D", kept as its opposite.
  under({"", false,
         [&v] {
           bool to2d = !v.No3DTo2D;
           ReadBool(to2d);
           v.No3DTo2D = !to2d;
         },
         [&v] { WriteBool(!v.No3DTo2D); }});
  under(Flag("", c.DwgNoCopyright));
  under(Text("", w.ManualDir).Rule([&w, &k] {
    if (w.ManualDir.empty()) w.ManualDir = k.ProgramDir;
  }));
  under(Int("", w.FrameMargin));
  for (bool* b : {&c.DwgNoGridBorder, &c.DwgNoMmScale, &c.DwgShowChanges, &c.DwgHeadBlocks, &c.DwgInsertBlocks,
                  &w.HideWarnings, &c.ExecCadFile, &c.PolyArcToLines}) {
    under(Flag("", *b));
  }
  under(Real("", c.ArcResolution).Rule([&c] {
    if (!(c.ArcResolution > 0)) c.ArcResolution = 0.5L;
  }));
  under(Int("", c.StlType));
  under(Int("", w.ScreenSizeCode));
  under(Int("", w.DialogSizeCode));
  under(Int("", w.TextWindowSizeCode));
  return e;
}

// Every entry of the file in the order of its lines; the settings are globals, so the entries
// can refer to them once for the program's life.
const std::vector<ConfigEntry>& Entries() {
  static const std::vector<ConfigEntry> entries = MakeEntries();
  return entries;
}

ReadEnd ReadEntries() {
  bool previousRead = true;
  for (const ConfigEntry& e : Entries()) {
    bool read = true;
    switch (e.when) {
      case When::Always: break;
      case When::IfMore: read = !AtEnd(); break;
      case When::WithPrevious: read = previousRead; break;
      case When::ValueIfMore:
        SkipLine();
        read = !AtEnd();
        break;
    }
    if (read) {
      if (e.labelled && e.when != When::ValueIfMore) SkipLine();
      e.read();
    }
    previousRead = read;
    if (e.rule) e.rule();
    if (e.endsHere && AtEnd()) {
      if (e.atEnd) e.atEnd();
      return *e.endsHere;
    }
  }
  return ReadEnd::Finish;
}

void WriteEntries() {
  for (const ConfigEntry& e : Entries()) {
    if (e.labelled) WriteLine(e.label);
    e.write();
  }
}

// Closes a rewritten ShareTextFile: the new file replaces the old one only when every line reached
// it; otherwise the old file stays, the user is told, ErrorFlag is set and false returned.
bool CloseWritten(const std::string& name) {
  const bool ok = !ShareTextFile.Failed() && ShareTextFile.Close();
  if (ok) return true;
  ShareTextFile.Discard();
  ReportError(name + ": file write error");
  programState.ErrorFlag = true;
  return false;
}

// Opens name for reading through ShareTextFile.
bool OpenForReading(const std::string& name) {
  ShareTextFile.Assign(name);
  return ShareTextFile.Reset();
}

// Makes the folder and the missing ones above it, for this user alone as the desktop makes the
// folders of its settings.
void MakeUserFolder(std::filesystem::path dir) {
  if (!dir.has_filename()) dir = dir.parent_path();
  std::error_code ec;
  if (dir.empty() || std::filesystem::exists(dir, ec)) return;
  MakeUserFolder(dir.parent_path());
  ::mkdir(dir.c_str(), 0700);
}

// The user's configuration folder is made on the first write into it; any other folder is the
// user's to make.
void MakeConfigFolder() {
  const std::string home = ConfigHomeDir();
  if (!home.empty() && TrimAndAddSlash(desktopSettings.ConfigDir) == home) MakeUserFolder(SysPath(home));
}

}  // namespace

std::string ConfigFileName() { return TrimAndAddSlash(desktopSettings.ConfigDir) + programState.ProgStem + ".cfg"; }

std::string SessionFileName() { return TrimAndAddSlash(desktopSettings.ConfigDir) + programState.ProgStem + ".cff"; }

std::string ConfigHomeDir() {
  // A relative value would depend on the current folder; it is ignored as the desktop does. A
  // folder whose name the program cannot hold counts as unset.
  std::string xdg, home;
  if (SysEnvName("XDG_CONFIG_HOME", xdg) && xdg[0] == '/') return TrimAndAddSlash(xdg) + "kwendal/";
  if (!SysEnvName("HOME", home)) return "";
  return TrimAndAddSlash(TrimAndAddSlash(home) + ".config") + "kwendal/";
}

bool ReadConfigFile() {
  bool found = OpenForReading(ConfigFileName());
  const std::string home = ConfigHomeDir();
  if (!found && !home.empty()) {
    for (const std::string& dir : {home, home + programState.ProgStem + "/"}) {
      if (OpenForReading(dir + programState.ProgStem + ".cfg")) {
        desktopSettings.ConfigDir = dir;
        found = true;
        break;
      }
    }
  }
  if (!found) {
    // The settings are saved where every later start finds them: a file in the start folder would
    // be lost to a start from any other folder.
    if (!home.empty()) desktopSettings.ConfigDir = home;
    ShareTextFile.Assign("");
    if (programState.GraphResX == 0 || programState.GraphResX == 65535) programState.GraphResX = Word(ScreenWidth() - 9);
    if (programState.GraphResY == 0 || programState.GraphResY == 65535) programState.GraphResY = Word(ScreenHeight() - 91);
    printSettings.TextWindowPos.Height = ScreenHeight() - 80;
    desktopSettings.DialogScale = DialogScaleEstimate();
    programState.ErrorFlag = true;
    return false;
  }
  graphicsSettings.GraphCorrectionX = 1.0L;
  // A file that cannot be read to its end (a line longer than any of ours, a read error) is
  // damaged: none of its values is taken.
  const ProgramState k = programState;
  const DesktopSettings w = desktopSettings;
  const GraphicsSettings h = graphicsSettings;
  const PrintSettings p = printSettings;
  const CadSettings c = cadSettings;
  const std::string name = ShareTextFile.Name();
  const ReadEnd end = ReadEntries();
  if (ShareTextFile.Failed()) {
    ShareTextFile.Close();
    programState = k;
    desktopSettings = w;
    graphicsSettings = h;
    printSettings = p;
    cadSettings = c;
    ReportError("Datei " + name + " fehlerhaft - nicht eingelesen !");
    programState.ErrorFlag = true;
    return false;
  }
  if (end == ReadEnd::Finish) {
    FinishConfigRead();
  } else {
    ShareTextFile.Close();
  }
  return true;
}

void FinishConfigRead() {
  auto& k = programState;
  auto& w = desktopSettings;
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

bool WriteConfigFile() {
  if (programState.ErrorFlag) return false;
  const std::string name = ConfigFileName();
  MakeConfigFolder();
  ShareTextFile.Assign(name);
  RewriteRetry(ShareTextFile);
  if (programState.ErrorFlag) return false;
  WriteEntries();
  return CloseWritten(name);
}

void CheckDirectories() {
  auto& k = programState;
  const std::string start = TrimAndAddSlash(k.StartDir);
  // The files the program ships (tables, help, pictures, manual) are in its data folder; spring
  // files, results and work files stay with the user.
  LocateDataFolders(LowerStr(k.ProgStem));
  const std::string shipped = datafolder.Shipped.empty() ? start : TrimAndAddSlash(datafolder.Shipped);
  // A stand-in is this run's place for an unset folder; the setting itself stays unset (FolderStandIns).
  auto standIn = [&k](std::string& dir, const std::string& place) {
    if (TrimStr(dir).empty()) dir = k.FolderStandIns[&dir] = place;
  };
  for (std::string* dir : {&k.DbfDir, &k.PltDir, &k.ProgramDir}) standIn(*dir, shipped);
  for (std::string* dir : {&k.TempDir, &k.EdiDir, &desktopSettings.DefaultDataDir}) standIn(*dir, start);
  if (!DirWritable(k.CadDir)) ReportError("ung\x81ltiger CAD Ordner konfiguriert");
  if (!DirExists(k.DbfDir)) ReportError("ung\x81ltiger DBF Ordner konfiguriert");
  if (!DirExists(k.PltDir)) ReportError("ung\x81ltiger PLT Ordner konfiguriert");
  if (!DirWritable(k.TempDir)) {
    ReportError("ung\x81ltiger Ordner f\x81r tempor\x84re Dateien konfiguriert");
    AskText("Ordner f\x81r tempor\x84re Dateien", 60, k.TempDir);
  }
  if (!DirWritable(k.EdiDir)) ReportError("ung\x81ltiger EDI Ordner konfiguriert");
  if (!DirWritable(desktopSettings.DefaultDataDir)) ReportError("ung\x81ltiger Data Ordner konfiguriert");
}

bool ReadSessionFile() {
  auto& recent = desktopSettings.RecentFiles;
  for (size_t n = 1; n <= 4; ++n) recent[n].clear();
  if (!OpenForReading(SessionFileName())) {
    ShareTextFile.Assign("");
    return true;
  }
  SkipLine();
  // Only the four lines after the first belong to the list; anything further is not read.
  for (size_t n = 1; n <= 4; ++n) ReadLine(recent[n]);
  const bool damaged = ShareTextFile.Failed();
  if (damaged) {
    // Damaged: no entry of it is trusted.
    const std::string name = ShareTextFile.Name();
    for (size_t n = 1; n <= 4; ++n) recent[n].clear();
    ReportError("Datei " + name + " fehlerhaft - nicht eingelesen !");
    programState.ErrorFlag = true;
  }
  ShareTextFile.Close();
  return !damaged;
}

bool WriteSessionFile() {
  const auto& recent = desktopSettings.RecentFiles;
  if (recent[1].empty()) return true;
  programState.ErrorFlag = false;
  const std::string name = SessionFileName();
  MakeConfigFolder();
  ShareTextFile.Assign(name);
  RewriteRetry(ShareTextFile);
  if (programState.ErrorFlag) return false;
  WriteLine(programState.ProgStem + " Session " + programState.DataDir);
  for (size_t n = 1; n <= 4; ++n) WriteLine(recent[n]);
  return CloseWritten(name);
}

}  // namespace qorva
