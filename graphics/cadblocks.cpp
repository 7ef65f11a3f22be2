// cadblocks: the page, the sections and the blocks of the CAD kernel, and the read-back of
// block files. DXF output gets real blocks; the screen and STL-like outputs write each block into a
// block file of DXF entities and draw it by reading that file back at every insertion.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "foundation/cadsettings.h"
#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/textprompt.h"
#include "foundation/machinefacts.h"
#include "foundation/utilfile.h"
#include "foundation/utilmath.h"
#include "foundation/utilstr.h"
#include "foundation/planegeometry.h"
#include "foundation/desktopsettings.h"
#include "foundation/workdir.h"
#include "foundation/printsettings.h"
#include "graphics/dxfwriter.h"
#include "graphics/cadkernel.h"
#include "graphics/cadkernelshared.h"
#include "graphics/graphicsdraw.h"
#include "platform/sysname.h"

namespace qorva {

using namespace cadkernel;

namespace {

// The first pair of every block file this program writes; the clean-up erases only files that
// begin with it, so block files the user made stay.
constexpr int32_t kMarkerCode = 999;
constexpr const char* kMarkerText = "QORVA block file";

// At most four levels read at once: the fifth is a block that (indirectly) inserts itself.
constexpr int32_t kMaxBlockDepth = 4;

bool HasSeparator(const std::string& name) {
  return name.find_first_of("/\\:") != std::string::npos;
}

std::string BlockFileName(const std::string& name) { return "$" + name + ".dx$"; }


bool OwnBlockFile(const std::string& path);

// The block file to read for name: a block this run defined is read from the file the run wrote in
// its work folder, so a user file of the same name never replaces it; any other name is a user
// block file (UserBlockFile). Empty when there is none (or the name is no plain file name).
std::string FindBlockFile(const std::string& name) {
  if (name.empty() || HasSeparator(name)) return {};
  if (IsDefinedBlock(name)) {
    const std::string own = BlockTempFile(name);
    if (FileCanOpen(own)) return own;
  }
  return UserBlockFile(name);
}

// Group code and value pairs of a DXF file, read through a file of its own.
class PairReader {
 public:
  bool Open(const std::string& path) {
    f_.Assign(path);
    return f_.Reset();
  }
  // The next pair into code and value; false at the physical end or when the file is damaged (Bad).
  bool Next() {
    std::string line;
    std::string trimmed;
    do {
      if (f_.Eof()) return false;
      if (!f_.ReadLn(line)) return Damaged("Lesefehler");
      trimmed = TrimStr(line);
    } while (trimmed.empty());
    int32_t c = 0;
    const char* end = trimmed.data() + trimmed.size();
    const auto [p, ec] = std::from_chars(trimmed.data(), end, c);
    if (ec != std::errc() || p != end) return Damaged("Falsches numerisches Format: \"" + trimmed + "\"");
    code = c;
    value.clear();
    if (!f_.Eof() && !f_.ReadLn(value)) return Damaged("Lesefehler");
    return true;
  }
  const std::string& Name() const { return f_.Name(); }

  int32_t code = 0;
  std::string value;
  bool bad = false;
  std::string why;

 private:
  bool Damaged(const std::string& text) {
    bad = true;
    why = text;
    return false;
  }
  TextFile f_;
};

// The pairs of one entity after its type pair.
struct Groups {
  std::vector<std::pair<int32_t, std::string>> pairs;

  const std::string* Get(int32_t g) const {
    for (auto it = pairs.rbegin(); it != pairs.rend(); ++it)
      if (it->first == g) return &it->second;
    return nullptr;
  }
  long double Real(int32_t g, long double def = 0.0L) const {
    const std::string* v = Get(g);
    return v ? StrToReal(TrimStr(*v)) : def;
  }
};

// Reads the pairs of an entity up to the next pair with code 0, which stays current. False when the
// file ended (or is damaged) instead.
bool ReadGroups(PairReader& rd, Groups& g) {
  g.pairs.clear();
  while (rd.Next()) {
    if (rd.code == 0) return true;
    g.pairs.emplace_back(rd.code, rd.value);
  }
  return false;
}

// Colour number of a layer value: the index of an equal name of LayerNames, else the number it holds.
uint8_t LayerColour(const std::string& layer) {
  for (std::size_t i = 0; i < cadSettings.LayerNames.size(); ++i)
    if (cadSettings.LayerNames[i] == layer) return static_cast<uint8_t>(i);
  return static_cast<uint8_t>(StrToInt0(TrimStr(layer)) & 0xFF);
}

void TakeLayer(const Groups& g, uint8_t& colour) {
  if (const std::string* v = g.Get(8)) colour = LayerColour(*v);
}

struct Transform {
  long double x, y, angle, sx, sy;
};

Transform SaveTransform() {
  return {cadrun.InsX, cadrun.InsY, cadrun.InsAngle, cadrun.InsScaleX, cadrun.InsScaleY};
}

void RestoreTransform(const Transform& t) {
  cadrun.InsX = t.x;
  cadrun.InsY = t.y;
  cadrun.InsAngle = t.angle;
  cadrun.InsScaleX = t.sx;
  cadrun.InsScaleY = t.sy;
}

void MapPoint(long double px, long double py, long double& x, long double& y) {
  ScaleRotateTranslate(x, y, cadrun.InsScaleX, cadrun.InsScaleY, cadrun.InsX, cadrun.InsY, cadrun.InsAngle,
                       px, py);
}

void ReadBlock(const std::string& name, long double x, long double y, long double angle, long double sx,
               long double sy);

// A POLYLINE from its header pairs to SEQEND. rd holds the pair after the header.
bool ReadPolyline(PairReader& rd, const Groups& header, uint8_t colour) {
  const int32_t flags = header.Get(70) ? StrToInt0(TrimStr(*header.Get(70))) : 0;
  if (TrimStr(rd.value) != "VERTEX") {
    ReportError("Error in DXF File");
    return true;  // the entity that follows is read as it is
  }
  Groups g;
  bool more = true;
  bool first = true;
  long double x0 = 0, y0 = 0, px = 0, py = 0, pAngle = 0;
  uint8_t vColour = colour;
  while (more && TrimStr(rd.value) == "VERTEX") {
    more = ReadGroups(rd, g);
    if (rd.bad) return false;
    TakeLayer(g, vColour);
    const long double vx = g.Real(10), vy = g.Real(20);
    const long double included = RadToDeg(4.0L * std::atan(g.Real(42)));
    if (first) {
      x0 = vx;
      y0 = vy;
      first = false;
    } else {
      CadSetColor(vColour);
      if (pAngle == 0.0L) {
        CadInsLine(px, py, vx, vy);
      } else {
        long double xc = std::nan(""), yc = xc, a1 = 0, a2 = 0, r = 0;
        GetArcCenter(px, py, vx, vy, DegToRad(pAngle), xc, yc, a1, a2, r);
        if (!std::isnan(xc)) CadInsArc(xc, yc, RadToDeg(a1), RadToDeg(a2), r);
      }
    }
    px = vx;
    py = vy;
    pAngle = included;
    if (programState.ErrorFlag) return false;
  }
  if (!first && flags == 1) {
    CadSetColor(vColour);
    CadInsLine(px, py, x0, y0);
  }
  if (more && TrimStr(rd.value) == "SEQEND") more = ReadGroups(rd, g);
  return more && !rd.bad;
}

// Reads the entities of the open file and draws them. angle is the rotation of this insertion.
void ReadEntities(PairReader& rd, long double angle) {
  uint8_t colour = 0;
  Groups g;
  if (!rd.Next()) return;
  for (;;) {
    if (rd.code != 0) {
      if (!rd.Next()) return;
      continue;
    }
    const std::string type = TrimStr(rd.value);
    if (type == "EOF") return;
    bool more = true;
    if (type == "LINE") {
      if (!(more = ReadGroups(rd, g)) && rd.bad) return;
      colour = 0;
      TakeLayer(g, colour);
      CadSetColor(colour);
      CadInsLine(g.Real(10), g.Real(20), g.Real(11), g.Real(21));
    } else if (type == "CIRCLE") {
      if (!(more = ReadGroups(rd, g)) && rd.bad) return;
      TakeLayer(g, colour);
      CadSetColor(colour);
      CadInsCircle(g.Real(10), g.Real(20), g.Real(40));
    } else if (type == "ARC") {
      if (!(more = ReadGroups(rd, g)) && rd.bad) return;
      TakeLayer(g, colour);
      CadSetColor(colour);
      CadInsArc(g.Real(10), g.Real(20), g.Real(50), g.Real(51), g.Real(40));
    } else if (type == "TEXT") {
      if (!(more = ReadGroups(rd, g)) && rd.bad) return;
      TakeLayer(g, colour);
      CadSetColor(colour);
      const long double h = g.Real(40, 3.5L);
      CadTextStyle(2, g.Real(50) + angle, h * cadrun.InsScaleY, h * g.Real(41, 1.0L) * cadrun.InsScaleX);
      const std::string* text = g.Get(1);
      CadInsText(text ? *text : std::string(), g.Real(10), g.Real(20));
    } else if (type == "SOLID") {
      if (!(more = ReadGroups(rd, g)) && rd.bad) return;
      TakeLayer(g, colour);
      CadSetColor(colour);
      const long double x3 = g.Real(12), y3 = g.Real(22);
      CadInsSolid(g.Real(10), g.Real(20), g.Real(11), g.Real(21), x3, y3, g.Real(13, x3), g.Real(23, y3));
    } else if (type == "POLYLINE") {
      if (!(more = ReadGroups(rd, g)) && rd.bad) return;
      if (more) more = ReadPolyline(rd, g, colour);
    } else if (type == "INSERT") {
      const uint8_t saved = colour;
      if (!(more = ReadGroups(rd, g)) && rd.bad) return;
      TakeLayer(g, colour);
      CadSetColor(colour);
      const std::string* name = g.Get(2);
      ReadBlock(name ? TrimStr(*name) : std::string(), g.Real(10), g.Real(20), g.Real(50), g.Real(41, 1.0L),
                g.Real(42, 1.0L));
      colour = saved;
      CadSetColor(colour);
    } else {
      AddErrorMsg("Fehler : DXF: " + type);
      return;
    }
    if (rd.bad || !more || programState.ErrorFlag || cadrun.Broken) return;
  }
}

void ReadBlock(const std::string& name, long double x, long double y, long double angle, long double sx,
               long double sy) {
  const Transform saved = SaveTransform();
  ++cadrun.BlockDepth;
  long double nx = 0, ny = 0;
  MapPoint(x, y, nx, ny);
  cadrun.InsX = nx;
  cadrun.InsY = ny;
  cadrun.InsAngle += angle;
  cadrun.InsScaleX *= sx;
  cadrun.InsScaleY *= sy;

  if (cadrun.BlockDepth > kMaxBlockDepth) {
    ReportError("error blockno." + IntStr(cadrun.BlockDepth));
    programState.ErrorFlag = true;
  } else {
    PairReader rd;
    const std::string path = FindBlockFile(name);
    if (path.empty() || !rd.Open(path)) {
      AddErrorMsg("Invalid temp directory");
      programState.ErrorFlag = true;
    } else {
      ReadEntities(rd, angle);
      if (rd.bad) Abandon("Fehler : DXF: " + rd.why + " in " + TrimStr(rd.Name()));
    }
  }
  --cadrun.BlockDepth;
  RestoreTransform(saved);
}

}  // namespace

bool cadkernel::BlockFilePresent(const std::string& name) { return !FindBlockFile(name).empty(); }

bool cadkernel::IsDefinedBlock(const std::string& name) {
  const std::string key = LowerStr(name);
  for (const std::string& b : cadrun.DefinedBlocks)
    if (b == key) return true;
  return false;
}

namespace {

// Whether a file is a block file this program wrote (its first pair is the marker).
bool OwnBlockFile(const std::string& path) {
  PairReader rd;
  return rd.Open(path) && rd.Next() && rd.code == kMarkerCode && rd.value == kMarkerText;
}

// The names of the block files in folder ("$<name>.dx$"), sorted; without the program's own ones
// when ownToo is false.
std::vector<std::string> BlockNamesIn(const std::string& folder, bool ownToo) {
  std::vector<std::string> names;
  const std::string dir = folder.empty() ? std::string() : TrimAndAddSlash(folder);
  for (const std::string& file : SysListFolder(folder)) {
    if (file.size() < 6 || file[0] != '$' || LowerStr(file.substr(file.size() - 4)) != ".dx$") continue;
    if (!ownToo && OwnBlockFile(dir + file)) continue;
    names.push_back(file.substr(1, file.size() - 5));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The user's block files (logo, head and insert blocks) that the run has not defined: those in the
// user block folder, then those in TempDir that no run of the program wrote.
std::vector<std::string> UserBlockNames() {
  std::vector<std::string> names;
  for (const bool user : {true, false}) {
    for (const std::string& name : BlockNamesIn(user ? UserBlockFolder() : programState.TempDir, user)) {
      if (IsDefinedBlock(name)) continue;
      bool seen = false;
      for (const std::string& n : names) seen = seen || LowerStr(n) == LowerStr(name);
      if (!seen) names.push_back(name);
    }
  }
  return names;
}

// The plot program's work file: every block file of the user becomes a block definition of that
// name, so that the insertions of logo, head and insert blocks name blocks the file defines. The
// shared text file is in its BLOCKS section.
void DefineUserBlocks(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (cadrun.Broken) return;
    if (IsDefinedBlock(name)) continue;
    // The block is drawn in its own coordinates; the drawing's state is left as it was.
    const long double ox = cadrun.OriginX, oy = cadrun.OriginY;
    const long double th = cadrun.TextHeight, tw = cadrun.TextWidthFactor, ta = cadrun.TextAngle,
                      to = cadrun.TextObliqueAngle;
    const std::string layer = cadrun.CurrentLayerName;
    const bool section = cadrun.BlocksSection;
    const bool flag = programState.ErrorFlag;
    CadSetOrigin(0.0L, 0.0L);
    DxfSelectLayer(0);
    cadrun.BlocksSection = true;
    programState.ErrorFlag = false;
    cadrun.DefinedBlocks.push_back(LowerStr(name));
    DxfBlock(name);
    CheckShareFile();
    if (!cadrun.Broken) {
      cadrun.BlockDepth = 0;
      RestoreTransform({0.0L, 0.0L, 0.0L, 1.0L, 1.0L});
      ReadBlock(name, 0.0L, 0.0L, 0.0L, 1.0L, 1.0L);
    }
    if (!cadrun.Broken) {
      DxfEndBlock();
      CheckShareFile();
    }
    if (cadrun.Broken) return;
    CadSetOrigin(ox, oy);
    cadrun.TextHeight = th;
    cadrun.TextWidthFactor = tw;
    cadrun.TextAngle = ta;
    cadrun.TextObliqueAngle = to;
    cadrun.CurrentLayerName = layer;
    cadrun.BlocksSection = section;
    programState.ErrorFlag = flag;
  }
}

// The run's writer when it keeps blocks itself (not in block files).
CadWriter* BlockWriter() {
  CadWriter* w = Output();
  return w != nullptr && !w->blocksAsFiles() && w == RunWriter() ? w : nullptr;
}

}  // namespace

std::string BlockTempFile(const std::string& name) { return WorkPath(BlockFileName(name)); }

std::string UserBlockFolder() {
  if (!TrimStr(cadKernel.UserBlockDir).empty()) return cadKernel.UserBlockDir;
  return TrimAndAddSlash(programState.DataDir) + "blocks";
}

std::string UserBlockFile(const std::string& name) {
  if (name.empty() || HasSeparator(name)) return {};
  const std::string user = TrimAndAddSlash(UserBlockFolder()) + BlockFileName(name);
  if (FileCanOpen(user)) return user;
  // A block file left in TempDir by an earlier run is the program's, not the user's.
  const std::string temp = TrimAndAddSlash(programState.TempDir) + BlockFileName(name);
  if (FileCanOpen(temp) && !OwnBlockFile(temp)) return temp;
  return {};
}

void CadDeleteBlockFiles() {
  const std::string dir = WorkFolder();
  std::vector<std::string> ours;
  for (const std::string& file : SysListFolder(dir)) {
    if (file.size() < 5 || file[0] != '$') continue;
    const std::string tail = LowerStr(file.substr(file.size() - 4));
    if (tail != ".dx$") continue;
    if (OwnBlockFile(dir + file)) ours.push_back(dir + file);
  }
  for (const std::string& f : ours) SysUnlink(f);
}

// ---- Page and sections ----

void CadPageSetup(long double xmin, long double ymin, long double xmax, long double ymax, long double height) {
  Guarded([&] {
    if (height <= 0.0L) height = 1.0L;
    CadWriter* run = RunWriter();
    // A command-line run has nobody to answer: it keeps the page's own height.
    if (run && run->asksPageHeight() && !desktopSettings.CadBatchMode) {
      SetPromptHelp(2900);
      AskLength("H\x94he", height, 0.0L, 1000.0L);
      programState.ErrorFlag = false;
    }
    CadPageLimits& p = cadrun.PageLimits;
    p.xmin = xmin;
    p.xmax = xmax;
    p.ymin = ymin;
    p.ymax = ymax;
    p.width = xmax - xmin;
    p.height = ymax - ymin;
    if (CadWriter* w = RunWriter(); w && (cadrun.WriterOpen || w->takesCallsOutsideRun()))
      ToWriter(*w, [&](CadWriter& o) { o.pageSetup(xmin, ymin, xmax, ymax, height); });
    if (cadrun.Broken) return;
    const CadWriter::PageBorder border = run ? run->pageBorder() : CadWriter::PageBorder::None;
    if (printSettings.PrintBorder) {
      if (border == CadWriter::PageBorder::AtPageSetup) {
        CadSetColor(19);
        CadRectangle(xmin, ymin, xmax, ymax);
      } else if (border == CadWriter::PageBorder::WithEntities) {
        // Entities belong in the ENTITIES section: the border waits for it. Layer and current point
        // are left as the border leaves them, as on the screen.
        cadrun.BorderPending = true;
        CadSetColor(19);
        CadMoveTo(xmin, ymin);
      }
    }
    if (run && run->pageFooter()) {
      const long double dx = xmax - xmin, dy = ymax - ymin;
      CadTextStyle(2, 0.0L, 0.006L * dy, 0.0045L * dx);
      CadSetColor(30);
      if (!cadSettings.DwgNoFooter) {
        const std::string path = GetDataFilePath();
        const std::string footer = DateStr() + " " + TimeStr() + " - " + "KWENDAL " + programState.ProgName + " V" +
                                   programState.ProgVersion + " - " + (path.empty() ? path : ShortenDots(path, 120));
        CadText(footer, xmin + 0.005L * dx, ymin + 0.002L * dy);
      }
    }
    CadSetStlZ(0.0L, height);
  });
}

void CadPageSetupDefault() { CadPageSetup(0.0L, 0.0L, 160.0L, 120.0L, 0.0L); }

void CadWriteTables(int32_t level) {
  Guarded([&] {
    if (CadWriter* w = BlockWriter()) ToWriter(*w, [&](CadWriter& o) { o.writeTables(level); });
  });
}

void CadBeginBlocks() {
  Guarded([&] {
    cadrun.BlocksSection = true;
    if (CadWriter* w = BlockWriter()) {
      cadrun.BlocksWritten = true;
      ToWriter(*w, [&](CadWriter& o) { o.beginBlocks(); });
    }
  });
}

void CadBeginBlock(const std::string& name) {
  if (programState.ErrorFlag) return;
  Guarded([&] {
    cadrun.BlockOpen = true;
    if (BlockFileCodes()) {
      if (name.empty() || HasSeparator(name)) {
        Abandon("Ung\x81ltiger Blockname: " + name);
        return;
      }
      const std::string path = BlockTempFile(name);
      cadrun.DefinedBlocks.push_back(LowerStr(name));
      ShareTextFile.Assign(path);
      // Block files live in the run's work folder and are gone when it ends: no sync to the disk.
      if (!ShareTextFile.RewriteScratch()) {
        Abandon("Datei " + TrimStr(path) + " kann nicht angelegt werden");
        return;
      }
      TakeShareFile();
      DxfGroupCode(kMarkerCode);
      DxfValueStr(kMarkerText);
      CheckShareFile();
    } else if (CadWriter* w = BlockWriter()) {
      // DXF compares block names without case.
      if (w == RunWriter() && w->takesCallsOutsideRun()) cadrun.DefinedBlocks.push_back(LowerStr(name));
      ToWriter(*w, [&](CadWriter& o) { o.beginBlock(name); });
    }
  });
}

void CadEndBlock() {
  if (cadrun.Broken) return;
  // A step of the block's drawing that failed ends the block all the same: the flag is cleared and
  // the block closed, so that the file stays well formed.
  programState.ErrorFlag = false;
  if (!cadrun.BlockOpen) return;
  cadrun.BlockOpen = false;
  Guarded([&] {
    if (BlockFileCodes()) {
      if (!cadrun.ShareFileOpen) return;
      const std::string path = ShareTextFile.Name();
      const bool failed = ShareTextFile.Failed();
      DxfClose();
      cadrun.ShareFileOpen = false;
      if (failed || programState.ErrorFlag) Abandon("Fehler beim Schreiben der Datei " + TrimStr(path));
    } else if (CadWriter* w = BlockWriter()) {
      ToWriter(*w, [&](CadWriter& o) { o.endBlock(); });
    }
  });
}

void CadEndSection() {
  Guarded([&] {
    CadWriter* run = RunWriter();
    if (run && run->definesUserBlocks() && cadrun.BlocksSection && cadrun.ShareFileOpen)
      DefineUserBlocks(UserBlockNames());
    if (cadrun.Broken) return;
    cadrun.BlocksSection = false;
    if (CadWriter* w = BlockWriter()) ToWriter(*w, [&](CadWriter& o) { o.endSection(); });
  });
}

void CadBeginEntities() {
  Guarded([&] {
    CadWriter* run = RunWriter();
    if (run && run->definesUserBlocks() && !cadrun.BlocksWritten && cadrun.ShareFileOpen) {
      // A drawing without blocks: the user's blocks get a BLOCKS section of their own.
      const std::vector<std::string> names = UserBlockNames();
      if (!names.empty()) {
        cadrun.BlocksWritten = true;
        DxfBeginBlocks();
        CheckShareFile();
        if (!cadrun.Broken) DefineUserBlocks(names);
        if (cadrun.Broken) return;
        DxfEndSection();
        CheckShareFile();
        if (cadrun.Broken) return;
      }
    }
    if (run && (cadrun.WriterOpen || run->takesCallsOutsideRun())) ToWriter(*run, [&](CadWriter& o) { o.beginEntities(); });
    if (cadrun.Broken) return;
    const CadPageLimits& p = cadrun.PageLimits;
    if (cadrun.BorderPending) {
      // Drawn now, in the state the page set-up left; what the caller chose since stays in force.
      cadrun.BorderPending = false;
      const std::string layer = cadrun.CurrentLayerName;
      const long double cx = cadrun.CurX, cy = cadrun.CurY;
      CadSetColor(19);
      CadRectangle(p.xmin, p.ymin, p.xmax, p.ymax);
      cadrun.CurrentLayerName = layer;
      CadMoveTo(cx, cy);
      if (cadrun.Broken) return;
    }
    if (printSettings.SheetFormat == 2 || printSettings.SheetFormat == 3) return;
    if (!run) return;
    // The plot program's work file inserts only the logos it defines.
    const auto present = [run](const char* name) { return run->logoPresent(name); };
    if (present("LOGO_2"))
      CadInsertBlock("LOGO_2", p.xmin + 0.91L * p.width, p.ymin + 0.01L * p.height, 0.0L, p.width / 480.0L,
                     p.height / 360.0L);
    if (present("LOGO_3"))
      CadInsertBlock("LOGO_3", p.xmin + 0.91L * p.width, p.ymin + 0.96L * p.height, 0.0L, p.width / 480.0L,
                     p.height / 360.0L);
  });
}

// ---- Insertion and read-back ----

void CadInsertBlock(const std::string& name, long double x, long double y, long double angle, long double sx,
                    long double sy) {
  Guarded([&] {
    CadWriter* o = Output();
    if (o != nullptr && !o->blocksAsFiles()) {
      ToWriter(*o, [&](CadWriter& w) { w.insertBlock(name, x, y, angle, sx, sy); });
    } else if (BlockFileCodes()) {
      cadrun.BlockDepth = 0;
      RestoreTransform({0.0L, 0.0L, 0.0L, 1.0L, 1.0L});
      // The block's entities reach the output through the primitives, which add the origin offset;
      // taken off here, the insertion lands where a DXF INSERT of the same call puts it.
      ReadBlock(name, x - cadrun.OriginX, y - cadrun.OriginY, angle, sx, sy);
    }
  });
}

void CadInsertBlockOffset(const std::string& name, long double x, long double y, long double angle,
                          long double sx, long double sy) {
  CadInsertBlock(name, x + cadrun.OriginX, y + cadrun.OriginY, angle, sx, sy);
}

void ReadBlockFile(const std::string& name, long double x, long double y, long double angle, long double sx,
                   long double sy) {
  Guarded([&] { ReadBlock(name, x, y, angle, sx, sy); });
}

void CadInsLine(long double x1, long double y1, long double x2, long double y2) {
  long double ax = 0, ay = 0, bx = 0, by = 0;
  MapPoint(x1, y1, ax, ay);
  MapPoint(x2, y2, bx, by);
  CadLine(ax, ay, bx, by);
}

void CadInsCircle(long double x, long double y, long double r) {
  long double cx = 0, cy = 0;
  MapPoint(x, y, cx, cy);
  CadCircle(cx, cy, r * cadrun.InsScaleX);
}

void CadInsArc(long double x, long double y, long double a1, long double a2, long double r) {
  if (r == 0.0L) return;
  long double cx = 0, cy = 0;
  MapPoint(x, y, cx, cy);
  CadArc(cx, cy, a1 + cadrun.InsAngle, a2 + cadrun.InsAngle, r * cadrun.InsScaleX);
}

void CadInsText(const std::string& text, long double x, long double y) {
  long double tx = 0, ty = 0;
  MapPoint(x, y, tx, ty);
  CadText(text, tx, ty);
}

void CadInsSolid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
                 long double x4, long double y4) {
  long double p[8];
  MapPoint(x1, y1, p[0], p[1]);
  MapPoint(x2, y2, p[2], p[3]);
  MapPoint(x3, y3, p[4], p[5]);
  MapPoint(x4, y4, p[6], p[7]);
  CadSolid(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
}

}  // namespace qorva
