// cadkernel: output run, drawing state and primitives of the CAD kernel. Pages, sections and blocks
// are in cadblocks.cpp.

#include "graphics/cadkernel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <new>
#include <numbers>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/cadsettings.h"
#include "foundation/filecheck.h"
#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/choiceprompt.h"
#include "foundation/utilfile.h"
#include "foundation/utilmath.h"
#include "foundation/utilstr.h"
#include "foundation/planegeometry.h"
#include "foundation/workdir.h"
#include "foundation/desktopsettings.h"
#include "foundation/printsettings.h"
#include "graphics/dxfwriter.h"
#include "graphics/cadkernelshared.h"
#include "graphics/graphicsdraw.h"
#include "graphics/graphicsstate.h"
#include "graphics/plotcommand.h"
#include "platform/launcher.h"
#include "platform/prompts.h"
#include "platform/sysname.h"

namespace qorva {

CadKernel cadKernel;

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

constexpr std::array<CadOutputKind, CadOutputCount> kOutputs = {{
    {"", ""},
    {"DXF", "dxf"},
    {"IGES", "igs"},
    {"Kontrollausgabe auf Bildschirm", ""},
    {"Ausgabe auf Laserprinter/Plotter mit VENTRIX", ""},
    {"TXT", "txt"},
    {"STL", "stl"},
}};

long double Round(long double x) { return std::nearbyint(x); }  // half to even

// The most segments one arc, circle or spiral is drawn with: a tiny ArcResolution from a
// configuration file or a size that is no number must not keep the drawing busy for ever.
constexpr long double kMaxSegments = 100000.0L;

// The origin offset, added to every point that reaches an output.
long double Ox(long double x) { return x + cadrun.OriginX; }
long double Oy(long double y) { return y + cadrun.OriginY; }

// Splits a command line into words as /bin/sh would for plain words, single or double quotes and
// backslash escapes (a quote inside a quoted path is written '\'').
std::vector<std::string> SplitCommandLine(const std::string& line) {
  constexpr auto npos = std::string_view::npos;
  std::vector<std::string> words;
  std::string w;
  bool inWord = false;
  char quote = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quote == '\'') {
      if (c == quote) quote = 0;
      else w += c;
    } else if (quote == '"') {
      if (c == '"') {
        quote = 0;
      } else if (c == '\\' && i + 1 < line.size() && std::string_view("$`\"\\").find(line[i + 1]) != npos) {
        w += line[++i];
      } else {
        w += c;
      }
    } else if (c == '\\') {
      if (i + 1 < line.size()) w += line[++i];
      inWord = true;
    } else if (c == '\'' || c == '"') {
      quote = c;
      inWord = true;
    } else if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(w);
      w.clear();
      inWord = false;
    } else {
      w += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(w);
  return words;
}

// Starts the plot program's command line with a hidden window; the result in the numbers the
// program's messages know: 2 the program is not there, 11 it could not be started, 33 started.
int32_t StartPlotProgram(const std::string& line) {
  const std::vector<std::string> words = SplitCommandLine(line);
  if (words.empty() || !launcher().programExists(words.front())) return 2;
  return launcher().startProgram("/bin/sh", {"-c", line}) ? 33 : 11;
}

}  // namespace

namespace cadkernel {

void DropShareFile() {
  if (cadrun.ShareFileOpen && ShareTextFile.IsOpen() && ShareTextFile.Name() == cadrun.ShareName) ShareTextFile.Discard();
  cadrun.ShareFileOpen = false;
}

void TakeShareFile() {
  cadrun.ShareFileOpen = true;
  cadrun.ShareName = ShareTextFile.Name();
}

namespace {

// DXF through the shared text file: the DXF file and the block files. Writes only while the kernel
// holds the shared text file.
class DxfShareWriter : public CadWriter {
 public:
  std::string extension() const override { return CadOutputInfo(CadOutput::Dxf).extension; }
  bool open(const std::string& name) override {
    ShareTextFile.Assign(name);
    if (!ShareTextFile.RewriteScratch()) return false;  // an export, made again at will
    TakeShareFile();
    return true;
  }
  bool close() override {
    if (!cadrun.ShareFileOpen) return true;
    // Only the file decides whether writing it failed: the caller may end the run with the flag
    // set by a step of its own, and the file is complete all the same.
    const bool flag = programState.ErrorFlag;
    programState.ErrorFlag = false;
    const bool failed = ShareTextFile.Failed();
    DxfClose();
    cadrun.ShareFileOpen = false;
    const bool closeFailed = programState.ErrorFlag;
    programState.ErrorFlag = flag || closeFailed;
    return !(failed || closeFailed || ShareTextFile.Failed());
  }
  void abandon() override { DropShareFile(); }

  void pageSetup(long double xmin, long double ymin, long double xmax, long double ymax, long double) override {
    if (cadrun.ShareFileOpen) DxfHeader(xmin, ymin, xmax, ymax);
  }
  void writeTables(int32_t) override {
    if (cadrun.ShareFileOpen) DxfTables();
  }
  void beginBlocks() override {
    if (cadrun.ShareFileOpen) DxfBeginBlocks();
  }
  void beginBlock(const std::string& name) override {
    if (cadrun.ShareFileOpen) DxfBlock(name);
  }
  void endBlock() override {
    if (cadrun.ShareFileOpen) DxfEndBlock();
  }
  void endSection() override {
    if (cadrun.ShareFileOpen) DxfEndSection();
  }
  void beginEntities() override {
    if (cadrun.ShareFileOpen) DxfBeginEntities();
  }
  void insertBlock(const std::string& name, long double x, long double y, long double angle, long double sx,
                   long double sy) override {
    if (cadrun.ShareFileOpen) DxfInsert(name, x, y, angle, sx, sy);
  }
  void line(long double x1, long double y1, long double x2, long double y2) override {
    if (cadrun.ShareFileOpen) DxfLine(x1, y1, x2, y2);
  }
  void circle(long double x, long double y, long double r) override {
    if (cadrun.ShareFileOpen) DxfCircle(x, y, r);
  }
  void arc(const CadArcCall& a) override {
    if (cadrun.ShareFileOpen) DxfArc(a.x, a.y, a.a1, a.a2, a.r);
  }
  bool arcEndPoints() const override { return false; }  // DXF arcs are centre, radius and angles
  void text(const std::string& t, long double x, long double y) override {
    if (cadrun.ShareFileOpen) DxfText(t, x, y);
  }
  void solid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
             long double x4, long double y4) override {
    if (cadrun.ShareFileOpen) DxfSolid(x1, y1, x2, y2, x3, y3, x4, y4);
  }
  void setColor(int32_t n) override { DxfSelectLayer(n); }
  bool failed() const override { return cadrun.ShareFileOpen && ShareTextFile.Failed(); }
  std::string fileName() const override { return ShareTextFile.Name(); }
  bool takesCallsOutsideRun() const override { return true; }  // and skips them without its file
};

// The plot program's work file: DXF in a fixed place, handed to the plot program when complete.
// It inserts only blocks it defines (its own and the user's).
class PlotWriter : public DxfShareWriter {
 public:
  std::string extension() const override { return CadOutputInfo(CadOutput::Plot).extension; }
  bool open(const std::string&) override {
    cadrun.CadFileName = VentrixWorkFile();
    SilentMessage(cadrun.CadFileName + " " + "wird geplottet" + "..");
    return DxfShareWriter::open(cadrun.CadFileName);
  }
  void insertBlock(const std::string& name, long double x, long double y, long double angle, long double sx,
                   long double sy) override {
    if (!cadrun.BlocksSection && !IsDefinedBlock(name)) return;
    DxfShareWriter::insertBlock(name, x, y, angle, sx, sy);
  }
  PageBorder pageBorder() const override { return PageBorder::WithEntities; }
  bool takesUserBlocks() const override { return true; }
  bool logoPresent(const std::string& name) const override { return IsDefinedBlock(name); }
  bool definesUserBlocks() const override { return true; }
  bool askSettings() override { return ChooseVentrixCommandLine(); }
  void finish(bool ok) override {
    if (ok) {
      uint16_t choice = cadSettings.VentrixCmdChoice;
      if (choice < 1 || choice > 5) choice = 1;
      const std::string msg = CadExecResultText(StartPlotProgram(cadSettings.VentrixCmdLines[choice]));
      if (!msg.empty()) ReportError(msg);
    }
    ArrowCursor();
  }
};

// The screen: the graphics window's display list. Blocks go through block files.
class ScreenWriter : public CadWriter {
 public:
  std::string extension() const override { return CadOutputInfo(CadOutput::Screen).extension; }
  bool open(const std::string&) override {
    GraphClear();
    GraphWaitCursor();
    return true;
  }
  bool close() override { return true; }
  void abandon() override {}
  void finish(bool) override {
    GraphClearViewPort();
    GraphArrowCursor();
    CadDeleteBlockFiles();
    EndWaitCursor();
  }

  void pageSetup(long double xmin, long double ymin, long double xmax, long double ymax, long double) override {
    GraphHeader(xmin, ymin, xmax, ymax);
  }
  void beginEntities() override {
    GraphClearViewPort();
    GraphSetLineStyle(0);
  }
  void line(long double x1, long double y1, long double x2, long double y2) override { GraphLine(x1, y1, x2, y2); }
  void circle(long double x, long double y, long double r) override { GraphCircle(x, y, r); }
  void arc(const CadArcCall& a) override { GraphArc(a.x, a.y, a.a1, a.a2, a.r); }
  void text(const std::string& t, long double x, long double y) override { GraphText(x, y, t); }
  void solid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
             long double x4, long double y4) override {
    GraphSolid(x1, y1, x2, y2, x3, y3, x4, y4);
  }
  void setColor(int32_t n) override {
    uint16_t width = 1;
    if (n <= 5) {
      GraphSetLineStyle(n == 1 ? 2 : n == 2 ? 3 : 0);
      GraphSetDosColor(static_cast<uint8_t>(cadSettings.LayerColors[static_cast<std::size_t>(n)] & 0xFF));
      // A width below 0 from a damaged configuration would wrap round to a huge pen.
      if (n >= 1) {
        const int32_t w = cadSettings.LayerWidths[static_cast<std::size_t>(n)];
        width = w < 0 ? 1 : static_cast<uint16_t>(std::min(w, 65535));
      }
    } else {
      GraphSetLineStyle(0);
      if (n >= 16) {
        GraphSetDosColor(static_cast<uint8_t>(cadSettings.ColorLayerColors[n] & 0xFF));
        const int32_t w = cadSettings.ColorLayerWidths[n];
        if (w >= 2 && w <= 50) width = static_cast<uint16_t>(w);
      }
    }
    SetLineWidth(width);
  }
  void textStyle(int32_t font, long double angle, long double height, long double width) override {
    GraphSetTextStyle(font, angle, height, 0.95L * width);
  }
  void lineStyle(uint16_t style) override { GraphSetLineStyle(style); }
  bool blocksAsFiles() const override { return true; }
  bool arcsAsSegments() const override { return false; }
  PageBorder pageBorder() const override { return PageBorder::AtPageSetup; }
  bool pageFooter() const override { return true; }
  bool takesUserBlocks() const override { return true; }
  long double textWidthFactor() const override { return graphicsSettings.GraphTextWidth; }
  bool convertsBlockTexts() const override { return false; }
  bool logoPresent(const std::string& name) const override { return BlockFilePresent(name); }
  bool takesCallsOutsideRun() const override { return true; }  // draws straight into the display list
  bool asksDiagramLimits() const override { return false; }    // a check of the drawing asks nothing
};

// The block files of the outputs that keep their blocks in files (the screen, STL): DXF through the
// shared text file, whatever the output.
DxfShareWriter blockFileWriter;

// Every output's writer by its code. The kernel's own (DXF, screen, plot program) are there from
// the start; the file writers of other modules register themselves.
std::array<std::unique_ptr<CadWriter>, CadOutputCount>& Writers() {
  static std::array<std::unique_ptr<CadWriter>, CadOutputCount> writers = [] {
    std::array<std::unique_ptr<CadWriter>, CadOutputCount> w;
    w[CadCodeOf(CadOutput::Dxf)] = std::make_unique<DxfShareWriter>();
    w[CadCodeOf(CadOutput::Screen)] = std::make_unique<ScreenWriter>();
    w[CadCodeOf(CadOutput::Plot)] = std::make_unique<PlotWriter>();
    return w;
  }();
  return writers;
}

}  // namespace

CadWriter* RunWriter() { return CadWriterFor(cadSettings.CadCode); }

bool BlockFileCodes() {
  CadWriter* w = RunWriter();
  return w != nullptr && w->blocksAsFiles();
}


CadWriter* Output() {
  if (cadrun.BlocksSection && BlockFileCodes()) return &blockFileWriter;
  CadWriter* w = RunWriter();
  if (w != nullptr && !w->takesCallsOutsideRun() && !cadrun.WriterOpen) return nullptr;
  return w;
}

void Abandon(const std::string& message) {
  const bool wasBroken = cadrun.Broken;
  cadrun.Broken = true;
  DropShareFile();
  if (cadrun.WriterOpen) {
    cadrun.WriterOpen = false;
    if (CadWriter* w = cadrun.RunWriter) {
      try {
        w->abandon();
      } catch (...) {
      }
    }
  }
  cadrun.BlocksSection = false;
  programState.ErrorFlag = true;
  if (!wasBroken && !message.empty()) ReportError(message);
}

void CheckShareFile() {
  if (cadrun.ShareFileOpen && ShareTextFile.Failed())
    Abandon("Fehler beim Schreiben der Datei " + TrimStr(ShareTextFile.Name()));
}

void WriterFailed(const CadWriter& w) {
  const std::string name = w.fileName();
  Abandon("Fehler beim Schreiben der Datei " + TrimStr(name.empty() ? cadrun.CadFileName : name));
}

std::string ExceptionText(const std::exception_ptr& e) {
  try {
    std::rethrow_exception(e);
  } catch (const std::bad_alloc&) {
    return "out of memory !";
  } catch (const std::exception& x) {
    return std::string("CAD-Ausgabe abgebrochen: ") + x.what();
  } catch (...) {
    return "CAD-Ausgabe abgebrochen";
  }
}

}  // namespace cadkernel

using namespace cadkernel;

bool CadOutputBlocksAsFiles() { return BlockFileCodes(); }

bool CadOutputTakesUserBlocks() {
  const CadWriter* w = RunWriter();
  return w != nullptr && w->takesUserBlocks();
}

long double CadOutputTextWidthFactor() {
  const CadWriter* w = RunWriter();
  return w != nullptr ? w->textWidthFactor() : cadSettings.CadTextWidth;
}

bool CadOutputConvertsBlockTexts() {
  const CadWriter* w = RunWriter();
  return w == nullptr || w->convertsBlockTexts();
}

void InitCadKernel() {
  cadKernel = CadKernel();
  // The shared text file's name is kept: DropShareFile compares with it.
  const std::string shareName = cadrun.ShareName;
  static_cast<CadRunFiles&>(cadrun) = CadRunFiles();
  cadrun.ShareName = shareName;
}

std::unique_ptr<CadWriter> RegisterCadWriter(CadOutput output, std::unique_ptr<CadWriter> writer) {
  const uint16_t code = CadCodeOf(output);
  auto& writers = Writers();
  if (output == CadOutput::None || code >= writers.size()) return writer;
  if (writers[code] != nullptr && writers[code].get() == cadrun.RunWriter) {
    cadrun.RunWriter = nullptr;
    cadrun.WriterOpen = false;
  }
  std::swap(writers[code], writer);
  return writer;
}

CadWriter* CadWriterFor(uint16_t code) { return code < Writers().size() ? Writers()[code].get() : nullptr; }

bool CadRequestedOutputAsksDiagramLimits() {
  const CadWriter* w = CadWriterFor(cadrun.CadRequestedCode);
  return w == nullptr || w->asksDiagramLimits();
}


// ---- Output run ----

const CadOutputKind& CadOutputInfo(uint16_t code) { return kOutputs[code < kOutputs.size() ? code : 0]; }

bool CadFileOutput(uint16_t code) { return code != 0 && *CadOutputInfo(code).extension != 0; }

void CadSetCode(uint16_t code) { cadSettings.CadCode = code; }

bool CadChooseCode() {
  std::vector<std::string> names;
  for (uint16_t c = 1; c < CadOutputCount; ++c) names.emplace_back(CadOutputInfo(c).name);
  SetPromptHelp(2050);
  uint16_t code = cadSettings.CadCode;
  if (!AskChoice("CAD-Code", names, code) || programState.ErrorFlag) return false;
  cadSettings.CadCode = code;
  CadWriter* w = CadWriterFor(code);
  if (w != nullptr && !w->askSettings()) {
    programState.ErrorFlag = true;  // cancelled: the output ends here
    return false;
  }
  return true;
}

std::string CadExecResultText(int32_t r) {
  if (r == 0) return "out of memory !";
  if (r == 2 || r == 3) return "file not found";
  if (r >= 4 && r <= 31) return "Exec error " + IntStr(r);
  if (r < 0) return "Exec error " + IntStr(r);
  return "";
}

namespace {

// Leftovers of a run that was never closed (its caller stopped on ErrorFlag) are dropped.
void DropOpenRun() {
  DropShareFile();
  if (cadrun.WriterOpen && cadrun.RunWriter != nullptr) {
    try {
      cadrun.RunWriter->abandon();
    } catch (...) {
    }
  }
  cadrun.WriterOpen = false;
  cadrun.RunWriter = nullptr;
}

// The file name of a file output: asked with a save dialog, or from CurrentFileName in batch mode.
bool ChooseFileName(const std::string& ext) {
  if (desktopSettings.CadBatchMode) {
    cadrun.CadFileName = BatchResultFile(ext);
    return true;
  }
  FileDialogRequest req;
  req.startDir = SysName(TrimAndAddSlash(programState.CadDir));
  req.fileName = SysName(PathNoExt(programState.CurrentFileName));
  req.filter = SysName("*." + ext);
  req.filterName = req.filter;
  const std::optional<std::string> chosen = prompter().saveFile(req);
  if (!chosen) {
    programState.ErrorFlag = true;
    ArrowCursor();
    return false;
  }
  std::string name;
  if (chosen->empty() || !ChosenFileName(*chosen, name)) {
    programState.ErrorFlag = true;
    cadrun.CadFileName.clear();
    ArrowCursor();
    return false;
  }
  const std::string base = name.substr(FileDir(name).size());
  if (base.find('.') == std::string::npos) name += "." + ext;
  else name = PathNoExt(name) + "." + ext;
  cadrun.CadFileName = name;
  ArrowCursor();
  CheckOutputFile(cadrun.CadFileName);
  return !programState.ErrorFlag;
}

void BeginOutputRun(uint16_t code) {
  cadrun.CadRequestedCode = code;
  CadSetOrigin(0.0L, 0.0L);
  printSettings.SheetFormat = 0;
  if (code == 0) CadChooseCode();
  else cadSettings.CadCode = code;
  if (programState.ErrorFlag) return;

  const uint16_t cc = cadSettings.CadCode;
  CadWriter* w = RunWriter();
  if (w == nullptr && CadFileOutput(cc)) {
    programState.ErrorFlag = true;
    ReportError(std::string("CAD-Ausgabe ") + CadOutputInfo(cc).name + " ist nicht verf\x81gbar");
    return;
  }
  if (w != nullptr) {
    if (CadFileOutput(cc) && !ChooseFileName(w->extension())) return;
    if (!w->open(cadrun.CadFileName)) {
      programState.ErrorFlag = true;
      w->abandon();
      ReportError("Datei " + TrimStr(cadrun.CadFileName) + " kann nicht angelegt werden");
      return;
    }
    cadrun.WriterOpen = true;
    cadrun.RunWriter = w;
  }
  CadSetLineStyle(0);
  CadSetDimScale(1.0L);
  cadrun.BlocksSection = false;
}

}  // namespace

void CadBeginOutput(uint16_t code) {
  DropOpenRun();
  cadrun.Broken = false;
  cadrun.BorderPending = false;
  cadrun.BlockOpen = false;
  cadrun.BlocksWritten = false;
  cadrun.DefinedBlocks.clear();
  cadrun.BlockDepth = 0;
  try {
    BeginOutputRun(code);
  } catch (...) {
    Abandon(ExceptionText(std::current_exception()));
  }
}

void CadEndOutput() {
  const uint16_t cc = cadSettings.CadCode;
  const bool broken = cadrun.Broken;
  try {
    // A block definition left open is closed first, so that its file is complete.
    if (!broken && cadrun.ShareFileOpen && cadrun.BlocksSection && BlockFileCodes()) {
      DxfClose();
      cadrun.ShareFileOpen = false;
    }
    cadrun.BlocksSection = false;
    CadWriter* w = RunWriter();
    if (w != nullptr && !broken && cadrun.WriterOpen) {
      cadrun.WriterOpen = false;
      if (!w->close()) {
        cadrun.Broken = true;
        programState.ErrorFlag = true;
        w->abandon();
        ReportError("Fehler beim Schreiben der Datei " + TrimStr(cadrun.CadFileName));
      }
    }
    if (w != nullptr) w->finish(!cadrun.Broken);
    if (!cadrun.Broken && !programState.ErrorFlag && cadSettings.ExecCadFile && CadFileOutput(cc))
      launcher().openDocument(cadrun.CadFileName);
  } catch (...) {
    Abandon(ExceptionText(std::current_exception()));
  }
  DropOpenRun();
  cadrun.BorderPending = false;
  cadrun.Broken = false;  // the run is over; ErrorFlag tells the caller
}

// ---- State ----

void CadSetOrigin(long double x, long double y) {
  cadrun.OriginX = x;
  cadrun.OriginY = y;
}

void CadSetDimScale(long double s) {
  const long double p = s * cadSettings.DimensionFactor;
  cadrun.DimScale = std::fabs(p) < 0.01L ? 1.0L : p;
}

void CadSetStlZ(long double z0, long double height) {
  cadrun.StlZ0 = z0;
  cadrun.StlHeight = height;
}

void CadTextStyle(int32_t font, long double angle, long double height, long double width) {
  Guarded([&] {
    cadrun.TextHeight = height;
    // A text of no height (a block inserted with a y scale of 0) has no width ratio: it keeps the
    // standard one rather than writing an infinite factor into the file.
    const long double factor = width / height * cadSettings.CadTextWidth;
    cadrun.TextWidthFactor = width == 0.0L || !std::isfinite(factor) ? 0.7L * cadSettings.CadTextWidth : factor;
    // World units are square on the screen at any window shape: the angle needs no correction.
    cadrun.TextAngle = angle;
    cadrun.TextObliqueAngle = cadSettings.CadTextAngle;
    if (CadWriter* o = Output()) o->textStyle(font, angle, height, width);
  });
}

void CadTextStyleFit(int32_t font, const std::string& text, long double angle, long double height,
                     long double width, long double available) {
  const long double needed =
      static_cast<long double>(TrimStr(text).size()) * width * graphicsSettings.GraphTextWidth / 0.7L;
  if (available >= needed) {
    CadTextStyle(font, angle, height, width);
  } else {
    const long double f = available / needed;
    CadTextStyle(font, angle, height * f, width * f);
  }
}

void CadSetColor(int32_t n) {
  Guarded([&] {
    if (n > 31) n = 16 + n % 16;
    if (n < 0) n = 0;
    if (CadWriter* o = Output()) ToWriter(*o, [&](CadWriter& x) { x.setColor(n); });
  });
}

void CadSetLineStyle(uint16_t style) {
  if (CadWriter* o = Output()) o->lineStyle(style);
}

void CadMoveTo(long double x, long double y) {
  cadrun.CurX = x;
  cadrun.CurY = y;
}

// ---- Primitives ----

void CadLine(long double x1, long double y1, long double x2, long double y2) {
  Guarded([&] {
    x1 = Ox(x1), y1 = Oy(y1), x2 = Ox(x2), y2 = Oy(y2);
    if (CadWriter* o = Output()) ToWriter(*o, [&](CadWriter& w) { w.line(x1, y1, x2, y2); });
  });
}

void CadCircle(long double x, long double y, long double r) {
  Guarded([&] {
    CadWriter* o = Output();
    if (o == nullptr) return;
    // Segments are drawn through CadLine, which adds the offset itself.
    if (o->arcsAsSegments()) CadCircleSegments(x, y, r);
    else ToWriter(*o, [&](CadWriter& w) { w.circle(Ox(x), Oy(y), r); });
  });
}

void CadArc(long double x, long double y, long double startAngle, long double endAngle, long double r) {
  if (r == 0.0L) return;
  Guarded([&] {
    CadWriter* o = Output();
    if (o == nullptr) return;
    if (o->arcsAsSegments()) {
      // Counter-clockwise from start to end; a sweep of whole turns is the full circle.
      const long double diff = endAngle - startAngle;
      const long double turns = diff / 360.0L;
      if (diff != 0.0L && turns == std::trunc(turns)) {
        CadCircleSegments(x, y, r);
        return;
      }
      long double sweep = std::fmod(diff, 360.0L);
      if (sweep < 0.0L) sweep += 360.0L;
      const long double a1 = DegToRad(startAngle);
      const long double a2 = DegToRad(startAngle + sweep);
      CadArcSegments(x + r * std::cos(a1), y + r * std::sin(a1), x + r * std::cos(a2), y + r * std::sin(a2),
                     DegToRad(sweep));
      return;
    }
    CadArcCall a{};
    a.x = Ox(x);
    a.y = Oy(y);
    a.a1 = startAngle;
    a.a2 = endAngle;
    a.r = r;
    if (o->arcEndPoints()) {
      a.xs = a.x + r * std::cos(DegToRad(startAngle));
      a.ys = a.y + r * std::sin(DegToRad(startAngle));
      a.xe = a.x + r * std::cos(DegToRad(endAngle));
      a.ye = a.y + r * std::sin(DegToRad(endAngle));
    }
    ToWriter(*o, [&](CadWriter& w) { w.arc(a); });
  });
}

void CadText(const std::string& text, long double x, long double y) {
  if (text.empty()) return;
  Guarded([&] {
    if (CadWriter* o = Output()) ToWriter(*o, [&](CadWriter& w) { w.text(text, Ox(x), Oy(y)); });
  });
}

void CadSolid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
              long double x4, long double y4) {
  Guarded([&] {
    x1 = Ox(x1), x2 = Ox(x2), x3 = Ox(x3), x4 = Ox(x4);
    y1 = Oy(y1), y2 = Oy(y2), y3 = Oy(y3), y4 = Oy(y4);
    if (CadWriter* o = Output()) ToWriter(*o, [&](CadWriter& w) { w.solid(x1, y1, x2, y2, x3, y3, x4, y4); });
  });
}

// ---- Composite operations ----

void CadLineTo(long double x, long double y) {
  CadLine(cadrun.CurX, cadrun.CurY, x, y);
  cadrun.CurX = x;
  cadrun.CurY = y;
}

void CadRectangle(long double x1, long double y1, long double x2, long double y2) {
  CadMoveTo(x1, y1);
  CadLineTo(x1, y2);
  CadLineTo(x2, y2);
  CadLineTo(x2, y1);
  CadLineTo(x1, y1);
}

void CadHorzLine(long double x, long double y, long double length) { CadLine(x, y, x + length, y); }

void CadVertLine(long double x, long double y, long double length) { CadLine(x, y, x, y + length); }

void CadPolarMoveTo(long double r, long double phi) { CadMoveTo(r * std::cos(phi), r * std::sin(phi)); }

void CadPolarLineTo(long double r, long double phi) { CadLineTo(r * std::cos(phi), r * std::sin(phi)); }

void CadWriteLine(const std::string& text) {
  if (text.empty()) return;
  CadText(text, cadrun.CurX, cadrun.CurY);
  const long double d = 1.6L * cadrun.TextHeight;
  if (cadrun.TextAngle == 0.0L) {
    cadrun.CurY -= d;
  } else {
    const long double a = DegToRad(cadrun.TextAngle - 90.0L);
    cadrun.CurX += d * std::cos(a);
    cadrun.CurY += d * std::sin(a);
  }
}

void CadSpiral(long double r0, long double turns, long double pitch, int32_t segmentsPerTurn,
               long double startAngle) {
  if (segmentsPerTurn < 5) segmentsPerTurn = 72;
  if (!AllFinite({r0, turns, pitch, startAngle})) return;
  const long double phi0 = DegToRad(startAngle);
  CadMoveTo(r0 * std::cos(phi0), r0 * std::sin(phi0));
  const long double dphi = 2.0L * kPi / segmentsPerTurn;
  const long double dr = pitch / segmentsPerTurn;
  long double phi = phi0;
  long double r = r0;
  const long double stop = phi0 + 2.0L * kPi * turns - 1.5L * dphi;
  long double drawn = 0.0L;
  do {
    phi += dphi;
    r += dr;
    CadLineTo(r * std::cos(phi), r * std::sin(phi));
  } while (phi < stop && !cadrun.Broken && ++drawn < kMaxSegments);
  const long double phiEnd = phi0 + 2.0L * kPi * turns;
  const long double rEnd = r0 + turns * pitch;
  CadLineTo(rEnd * std::cos(phiEnd), rEnd * std::sin(phiEnd));
}

// ---- Segments ----

void CadArcSegments(long double xs, long double ys, long double xe, long double ye, long double sweep) {
  if (!AllFinite({xs, ys, xe, ye, sweep})) return;
  // GetArcCenter leaves its outputs alone when the sweep gives no arc.
  long double xc = std::nan(""), yc = xc, phiStart = 0.0L, phiEnd = 0.0L, r = 0.0L;
  GetArcCenter(xs, ys, xe, ye, sweep, xc, yc, phiStart, phiEnd, r);
  if (std::isnan(xc) || std::isnan(yc)) return;  // no arc (a zero sweep or whole turns)
  // The angle of the start point: for a clockwise sweep that is the end of the counter-clockwise arc.
  const long double a0 = sweep >= 0.0L ? phiStart : phiEnd;
  const long double len = std::fabs(sweep) * r;
  if (len == 0.0L) return;
  if (!(cadSettings.ArcResolution > 0.0L)) cadSettings.ArcResolution = 0.2L;  // also a setting that is no number
  const long double res = cadSettings.ArcResolution;
  CadMoveTo(xs, ys);
  if (len <= res && std::fabs(sweep) <= 0.1L) {
    CadLineTo(xe, ye);
    return;
  }
  long double n = std::fabs(sweep) * res / len <= 0.1L ? Round(len / res) : Round(std::fabs(sweep) / 0.1L);
  if (n < 1.0L) n = 1.0L;
  if (!(n <= kMaxSegments)) n = kMaxSegments;
  const auto count = static_cast<int64_t>(n);
  for (int64_t i = 0; i <= count && !cadrun.Broken; ++i) {
    const long double a = a0 + static_cast<long double>(i) * sweep / n;
    CadLineTo(xc + r * std::cos(a), yc + r * std::sin(a));
  }
}

void CadCircleSegments(long double x, long double y, long double r) {
  if (!(cadSettings.ArcResolution > 0.0L)) cadSettings.ArcResolution = 0.2L;  // also a setting that is no number
  const long double res = cadSettings.ArcResolution;
  if (!AllFinite({x, y, r})) return;
  CadMoveTo(x + r, y);
  const long double c = 2.0L * kPi * std::fabs(r);
  if (res >= c) {
    CadLineTo(x + r, y);
    return;
  }
  const long double n = std::min(Round(c / res), kMaxSegments);
  const auto count = static_cast<int64_t>(n);
  for (int64_t i = 0; i <= count && !cadrun.Broken; ++i) {
    const long double a = static_cast<long double>(i) * 2.0L * kPi / n;
    CadLineTo(x + r * std::cos(a), y + r * std::sin(a));
  }
}

}  // namespace qorva
