// iges: the IGES writer (the CAD kernel's IGES output).
#include "graphics/iges.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <map>
#include <memory>
#include <numbers>
#include <tuple>
#include <utility>

#include "foundation/cadsettings.h"
#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/workdir.h"
#include "graphics/dxfwriter.h"
#include "graphics/igessubfigures.h"
#include "graphics/cadkernel.h"
#include "platform/clock.h"
#include "platform/sysname.h"

namespace qorva {

Iges iges;

const std::array<uint8_t, 16> IgesColorTable = {0, 2, 5, 3, 7, 4, 6, 0, 8, 10, 11, 12, 13, 14, 15, 1};

namespace {

constexpr const char* kStatusMember = "00010000";
constexpr const char* kStatusPlain = "00000000";
constexpr const char* kStatusBlankMember = "01010000";

// The files of the open run.
struct Run {
  TextFile out;            // the IGES file (written under a temporary name until complete)
  std::string outName;     // the name the user chose
  std::string paramName;   // the parameter file beside it
  int paramFd = -1;
  std::string paramBuf;    // P records not yet written to paramFd
  bool open = false;
  bool failed = false;
  bool globals = false;    // S and G sections written
  // A run its caller never ended leaves no parameter file behind at program end.
  ~Run() {
    if (paramFd >= 0) ::close(paramFd);
    if (!paramName.empty()) SysUnlink(paramName);
  }
};

Run& run() {
  static Run r;
  return r;
}

// Seven digits with leading zeros.
std::string ZeroPadText(int32_t n) { return ZeroPad(n < 0 ? 0 : n, 7); }

std::string Seq(char letter, int32_t n) { return std::string(1, letter) + ZeroPadText(n); }

void CloseParamFile();

// A failed step ends the run at once: both files are dropped, the named output stays as it was.
void Fail() {
  Run& r = run();
  r.failed = true;
  programState.ErrorFlag = true;
  CloseParamFile();
  if (r.out.IsOpen()) r.out.Discard();
  r.open = false;
}

bool WriteParamBytes(bool force) {
  Run& r = run();
  if (r.paramFd < 0) return false;
  if (!force && r.paramBuf.size() < 65536) return true;
  const char* p = r.paramBuf.data();
  std::size_t n = r.paramBuf.size();
  while (n > 0) {
    const ssize_t w = ::write(r.paramFd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  r.paramBuf.clear();
  return true;
}

void CloseParamFile() {
  Run& r = run();
  if (r.paramFd >= 0) ::close(r.paramFd);
  r.paramFd = -1;
  if (!r.paramName.empty()) SysUnlink(r.paramName);
  r.paramName.clear();
  r.paramBuf.clear();
}

int32_t& Counter(char letter) {
  switch (letter) {
    case 'S':
      return iges.CountS;
    case 'G':
      return iges.CountG;
    case 'D':
      return iges.CountD;
    case 'P':
      return iges.CountP;
    default:
      return iges.CountT;
  }
}

// A record into the IGES file (S, G, D, T) or into the parameter file (P).
void IgesWriteRecord(const std::string& data, const std::string& pointer, char letter) {
  Run& r = run();
  if (!r.open || r.failed) return;
  int32_t& count = Counter(letter);
  ++count;
  const std::string line = IgesRecordLine(data, pointer, letter, count);
  if (letter == 'P') {
    r.paramBuf += line;
    r.paramBuf += "\r\n";
    if (!WriteParamBytes(false)) Fail();
  } else if (!r.out.WriteLn(line)) {
    Fail();
  }
}

void IgesWriteParams(const std::string& data) {
  for (const std::string& piece : IgesSplitParams(data, 64)) {
    IgesWriteRecord(piece, IntStr(iges.IgesCurrentDE), 'P');
    ++iges.IgesParamLines;
  }
}

// G records hold their parameters in columns 1..72; a record that would be longer is continued.
void WriteGlobal(const std::string& data) {
  for (const std::string& piece : IgesSplitParams(data, 72)) IgesWriteRecord(piece, "", 'G');
}

std::string Field(const std::string& s) { return PadLeft(TrimStr(s), 8); }

// The two D records of the entity just written; then the next entity's parameters begin after it.
void WriteDirectory(int32_t type, const std::string& matrix, const std::string& form, const std::string& label,
                    const char* status) {
  const std::string t = IntStr(type);
  std::string l1 = Field(t) + Field(IntStr(iges.IgesParamPtr)) + Field("1") + Field(IntStr(iges.IgesLineFont)) +
                   Field(IntStr(iges.IgesColor)) + Field("") + Field(matrix) + Field("") + Field(status);
  std::string l2 = Field(t) + Field("") + Field(IntStr(iges.IgesColor)) + Field(IntStr(iges.IgesParamLines)) +
                   Field(form) + Field("") + Field("") + Field(label) + Field("");
  IgesWriteRecord(l1, "", 'D');
  IgesWriteRecord(l2, "", 'D');
  iges.IgesParamPtr += iges.IgesParamLines;
}

const char* Status() { return iges.IgesInSubfigure ? kStatusMember : kStatusPlain; }

void EnsureGlobals();
void ResetShapes();

bool Ready() {
  Run& r = run();
  if (!r.open || r.failed) return false;
  EnsureGlobals();
  return !r.failed;
}

void BeginEntity() {
  iges.IgesParamLines = 0;
  iges.IgesCurrentDE += 2;
  if (iges.IgesInSubfigure) {
    ++iges.IgesMemberCount;
    BlockRecAt(iges.IgesMemberCount).MemberDE = iges.IgesCurrentDE;
  }
}

std::string Fix6(long double v) {
  if (std::fabs(v) < 5e-7L) v = 0.0L;  // no "-0.000000"
  return RealStrFixDot(0, 6, v);
}

void EnsureGlobals() {
  Run& r = run();
  if (r.globals || !r.open || r.failed) return;
  IgesGlobalSection(FileBaseName(r.outName), 160.0L);
}

// Runs a step and turns anything thrown (out of memory) into a failed run.
template <typename F>
void Guard(F&& f) {
  try {
    f();
  } catch (...) {
    Fail();
  }
}

}  // namespace

void IgesReset() {
  iges = Iges();
  ResetShapes();
}

void InitIges() {
  IgesAbandon();
  IgesReset();
}

// ---- Values and records ----

std::string IgesReal(long double x) {
  if (!std::isfinite(x)) x = 0.0L;
  return TrimStr(RealStrDecDot(3, x));
}

std::string Hollerith(const std::string& s) { return IntStr(static_cast<int64_t>(s.size())) + "H" + s; }

std::string IgesRecordLine(const std::string& data, const std::string& pointer, char letter, int32_t seq) {
  std::string line = data;
  const std::size_t used = data.size() + pointer.size();
  if (used < 72) line.append(72 - used, ' ');
  line += pointer;
  line += Seq(letter, seq);
  return line;
}

std::vector<std::string> IgesSplitParams(const std::string& data, int32_t width) {
  const std::size_t w = width < 1 ? 1 : static_cast<std::size_t>(width);
  // Units: one parameter with its delimiter; a Hollerith string is one unit whatever it holds.
  std::vector<std::string> units;
  std::size_t i = 0;
  const std::size_t n = data.size();
  while (i < n) {
    std::size_t j = i;
    while (j < n && data[j] >= '0' && data[j] <= '9') ++j;
    std::size_t end = i;
    if (j > i && j < n && data[j] == 'H') {
      std::size_t len = 0;
      for (std::size_t k = i; k < j; ++k) len = std::min<std::size_t>(len * 10 + static_cast<std::size_t>(data[k] - '0'), n);
      end = std::min(n, j + 1 + len);
    }
    while (end < n && data[end] != ',' && data[end] != ';') ++end;
    if (end < n) ++end;  // the delimiter belongs to its parameter
    units.push_back(data.substr(i, end - i));
    i = end;
  }
  std::vector<std::string> pieces;
  std::string cur;
  for (const std::string& u : units) {
    if (cur.size() + u.size() <= w) {
      cur += u;
      continue;
    }
    if (u.size() <= w) {
      pieces.push_back(cur);
      cur = u;
      continue;
    }
    // Longer than a whole piece: it fills every piece it touches to the full width.
    std::size_t p = 0;
    while (p < u.size()) {
      const std::size_t take = std::min(w - cur.size(), u.size() - p);
      cur += u.substr(p, take);
      p += take;
      if (cur.size() == w && p < u.size()) {
        pieces.push_back(cur);
        cur.clear();
      }
    }
  }
  if (!cur.empty() || pieces.empty()) pieces.push_back(cur);
  return pieces;
}

// ---- Output run ----

bool IgesOpenOutput(const std::string& fileName) {
  IgesAbandon();
  IgesReset();
  Run& r = run();
  r.failed = false;
  r.globals = false;
  r.outName = fileName;
  r.out.Assign(fileName);
  if (!r.out.RewriteScratch()) {  // an export, made again at will
    r.out.Discard();
    return false;
  }
  r.open = true;
  if (!IgesOpenParamFile()) {
    r.open = false;
    r.out.Discard();
    return false;
  }
  return true;
}

bool IgesOpenParamFile() {
  Run& r = run();
  CloseParamFile();
  // A name of its own in the run's work folder: runs never share one, and nothing is left beside
  // the output.
  std::string templ = WorkPath("KWENIGES-XXXXXX.$$$");
  const int fd = SysMakeTemp(templ, O_CLOEXEC, 4);
  if (fd < 0) return false;
  r.paramFd = fd;
  r.paramName = templ;
  return true;
}

void IgesGlobalSection(const std::string& name, long double maxCoord) {
  Run& r = run();
  if (!r.open || r.failed) return;
  // Once entities are written the sections stand; a later page set-up changes nothing.
  if (r.globals) return;
  Guard([&] {
    IgesReset();
    r.globals = true;
    const std::string n = static_cast<int32_t>(name.size()) > 30 ? ShortenMiddle(name, 30) : name;
    IgesWriteRecord("IGES-Datei generiert von " + programState.ProgName, "", 'S');
    IgesWriteRecord("Uebersetzer von KWENDAL GMBH, Uebersetzerversion 3.1", "", 'S');
    const std::string progId = programState.ProgName + " V" + programState.ProgVersion;
    WriteGlobal(",," + Hollerith("FILE") + "," + Hollerith(n) + "," + Hollerith(progId) + "," + Hollerith("3.1") +
                ",");
    WriteGlobal("16,38,6,99,15,");
    WriteGlobal(Hollerith(n) + ",1.0,2," + Hollerith("MM") + ",32767,3.2767D1,");
    const LocalDateTime t = clock().now();
    auto two = [](int v) {
      std::string s = IntStr(((v % 100) + 100) % 100);
      return s.size() < 2 ? "0" + s : s;
    };
    const std::string date = two(t.year) + two(t.month) + two(t.day);
    WriteGlobal(Hollerith(date + "." + "140920") + ",1.0D-8," + IgesReal(maxCoord) + ",");
    WriteGlobal(Hollerith(programState.ProgName) + "," + Hollerith("KWENDAL Industriesoftware GmbH") + ",4,0;");
  });
}

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

// What a subfigure holds, kept so that a scaled insertion can be written as a scaled copy: the
// instance's own scale factor is not understood alike by readers (some drop the instance). A block
// is written only at the scales it is inserted with, at its first insertion at each: a definition
// that no instance uses is read as a drawing of its own, at the block's own place and size.
struct Prim {
  char kind = 'L';  // L line, A arc, S solid, T note, I instance
  std::array<long double, 8> v{};
  std::string text;  // note text (converted) or block name
  uint8_t color = 0, font = 1;
  long double height = 0, widthFactor = 0, angle = 0;  // notes
};

struct Shapes {
  std::vector<std::vector<Prim>> blocks;  // [k] = subfigure k of this file (index 0 unused)
  std::vector<char> defined;              // [k] set once subfigure k has ended: it may be inserted
  std::map<std::tuple<int32_t, long double, long double>, int32_t> copies;  // (k, sx, sy) -> DE of the copy
  bool recording = true;
};

Shapes& shapes() {
  static Shapes s;
  return s;
}

void ResetShapes() { shapes() = Shapes(); }

bool Defined(int32_t k) {
  const Shapes& sh = shapes();
  return k > 0 && static_cast<std::size_t>(k) < sh.defined.size() && sh.defined[static_cast<std::size_t>(k)] != 0;
}

void Record(const Prim& p) {
  Shapes& sh = shapes();
  if (!iges.IgesInSubfigure || !sh.recording) return;
  const auto k = static_cast<std::size_t>(iges.IgesBlockCount);
  if (sh.blocks.size() <= k) sh.blocks.resize(k + 1);
  Prim q = p;
  q.color = iges.IgesColor;
  q.font = iges.IgesLineFont;
  sh.blocks[k].push_back(std::move(q));
}

void LineEntity(long double x1, long double y1, long double x2, long double y2) {
  BeginEntity();
  IgesWriteParams("110," + IgesReal(x1) + "," + IgesReal(y1) + ",0.0," + IgesReal(x2) + "," + IgesReal(y2) + ",0.0;");
  WriteDirectory(110, "", "", "", Status());
}

void ArcEntity(long double cx, long double cy, long double xs, long double ys, long double xe, long double ye) {
  BeginEntity();
  IgesWriteParams("100,0.0," + IgesReal(cx) + "," + IgesReal(cy) + "," + IgesReal(xs) + "," + IgesReal(ys) + "," +
              IgesReal(xe) + "," + IgesReal(ye) + ";");
  WriteDirectory(100, "0", "", "", Status());
}

std::string XY(long double x, long double y) { return IgesReal(x) + "," + IgesReal(y); }

void SolidEntity(const std::array<long double, 8>& v) {
  BeginEntity();
  IgesWriteParams("106,1,5,0.0," + XY(v[0], v[1]) + ",");
  IgesWriteParams(XY(v[6], v[7]) + ",");
  IgesWriteParams(XY(v[4], v[5]) + ",");
  IgesWriteParams(XY(v[2], v[3]) + ",");
  IgesWriteParams(XY(v[0], v[1]) + ";");
  WriteDirectory(106, "0", "11", "", Status());
}

// An open path through the points (copious data form 11), for arcs under unequal scales.
void PathEntity(const std::vector<std::pair<long double, long double>>& pts) {
  BeginEntity();
  IgesWriteParams("106,1," + IntStr(static_cast<int64_t>(pts.size())) + ",0.0,");
  for (std::size_t i = 0; i < pts.size(); ++i)
    IgesWriteParams(XY(pts[i].first, pts[i].second) + (i + 1 == pts.size() ? ";" : ","));
  WriteDirectory(106, "0", "11", "", Status());
}

void NoteEntity(const std::string& t, long double x, long double y, long double height, long double widthFactor,
                long double angleDeg) {
  BeginEntity();
  const auto len = static_cast<long double>(t.size());
  IgesWriteParams("212,1," + IntStr(static_cast<int64_t>(t.size())) + "," + IgesReal(len * height * widthFactor) + "," +
              IgesReal(height) + ",1,," + RealStrDecDot(6, angleDeg * kPi / 180.0L) + ",0,0," + IgesReal(x) + "," +
              IgesReal(y) + ",0.0,");
  IgesWriteParams(Hollerith(t) + ";");
  WriteDirectory(212, "0", "", "", Status());
}

// The 308 of the subfigure whose members were just written; returns its directory-entry number.
// A definition needs at least one member, and readers reject a subfigure of none: an empty one
// holds a blanked point at its origin, which shows nothing.
int32_t SubfigureEntity(const std::string& name) {
  if (iges.IgesMemberCount == 0) {
    BeginEntity();
    IgesWriteParams("116,0.0,0.0,0.0,0;");
    WriteDirectory(116, "0", "", "", kStatusBlankMember);
  }
  iges.IgesInSubfigure = false;
  const int32_t members = iges.IgesMemberCount;
  BeginEntity();
  const int32_t de = iges.IgesCurrentDE;
  IgesWriteParams("308,0," + Hollerith(name) + "," + IntStr(members) + ",");
  for (int32_t k = 1; k <= members; k += 12) {
    std::string piece;
    for (int32_t m = k; m < k + 12 && m <= members; ++m)
      piece += IntStr(BlockRecAt(m).MemberDE) + (m == members ? ";" : ",");
    IgesWriteParams(piece);
  }
  WriteDirectory(308, "", "", name, kStatusPlain);
  iges.IgesMemberCount = 0;
  return de;
}

void InstanceEntities(int32_t def, long double x, long double y, long double angle);
int32_t ScaledCopy(int32_t k, long double sx, long double sy);

void WritePrim(const Prim& p, long double sx, long double sy) {
  iges.IgesColor = p.color;
  iges.IgesLineFont = p.font;
  const auto& v = p.v;
  const bool mirrored = sx * sy < 0.0L;
  switch (p.kind) {
    case 'L':
      LineEntity(v[0] * sx, v[1] * sy, v[2] * sx, v[3] * sy);
      break;
    case 'A': {
      if (std::fabs(std::fabs(sx) - std::fabs(sy)) <= 1e-12L * std::fabs(sx)) {
        // A mirrored arc still runs counter-clockwise: from the mirrored end to the mirrored start.
        if (mirrored) ArcEntity(v[0] * sx, v[1] * sy, v[4] * sx, v[5] * sy, v[2] * sx, v[3] * sy);
        else ArcEntity(v[0] * sx, v[1] * sy, v[2] * sx, v[3] * sy, v[4] * sx, v[5] * sy);
        break;
      }
      const long double r = std::hypot(v[2] - v[0], v[3] - v[1]);
      const long double a1 = std::atan2(v[3] - v[1], v[2] - v[0]);
      long double a2 = std::atan2(v[5] - v[1], v[4] - v[0]);
      if (a2 <= a1 + 1e-12L) a2 += 2.0L * kPi;
      const int n = std::max(2, static_cast<int>(std::ceil((a2 - a1) / (2.0L * kPi) * 72.0L)));
      std::vector<std::pair<long double, long double>> pts;
      for (int i = 0; i <= n; ++i) {
        const long double a = a1 + (a2 - a1) * i / n;
        pts.emplace_back((v[0] + r * std::cos(a)) * sx, (v[1] + r * std::sin(a)) * sy);
      }
      PathEntity(pts);
      break;
    }
    case 'S': {
      std::array<long double, 8> w{};
      for (std::size_t i = 0; i < 8; i += 2) {
        w[i] = v[i] * sx;
        w[i + 1] = v[i + 1] * sy;
      }
      SolidEntity(w);
      break;
    }
    case 'T': {
      const long double ay = std::fabs(sy), ax = std::fabs(sx);
      NoteEntity(p.text, v[0] * sx, v[1] * sy, p.height * ay, p.widthFactor * ax / ay, p.angle);
      break;
    }
    case 'I': {
      const int32_t k = IgesFindBlock(p.text);
      const long double isx = v[3] * sx, isy = v[4] * sy;
      const long double angle = mirrored ? -v[2] : v[2];
      const int32_t def = Defined(k) ? ScaledCopy(k, isx, isy) : 0;
      if (def > 0) InstanceEntities(def, v[0] * sx, v[1] * sy, angle);
      break;
    }
    default:
      break;
  }
}

// A subfigure k drawn at the scales sx, sy, written once per file and scale pair.
int32_t ScaledCopy(int32_t k, long double sx, long double sy) {
  Shapes& sh = shapes();
  const auto key = std::make_tuple(k, sx, sy);
  if (auto it = sh.copies.find(key); it != sh.copies.end()) return it->second;
  // Nothing to scale: the definition at scale 1 serves.
  const bool empty = static_cast<std::size_t>(k) >= sh.blocks.size() || sh.blocks[static_cast<std::size_t>(k)].empty();
  if (empty && (sx != 1.0L || sy != 1.0L)) return ScaledCopy(k, 1.0L, 1.0L);
  // The copy is written between the entities of whatever is open: its member list is kept aside.
  const bool inSub = iges.IgesInSubfigure;
  const int32_t count = iges.IgesMemberCount;
  std::vector<int32_t> saved;
  for (int32_t m = 1; m <= count; ++m) saved.push_back(BlockRecAt(m).MemberDE);
  const uint8_t color = iges.IgesColor, font = iges.IgesLineFont;
  const bool recording = sh.recording;
  sh.recording = false;
  iges.IgesInSubfigure = true;
  iges.IgesMemberCount = 0;
  const std::vector<Prim> prims = empty ? std::vector<Prim>() : sh.blocks[static_cast<std::size_t>(k)];
  for (const Prim& p : prims) WritePrim(p, sx, sy);
  const int32_t de = SubfigureEntity(BlockRecAt(k).Name);
  iges.IgesMemberCount = 0;
  iges.IgesInSubfigure = inSub;
  for (int32_t m = 1; m <= count; ++m) BlockRecAt(m).MemberDE = saved[static_cast<std::size_t>(m - 1)];
  iges.IgesMemberCount = count;
  iges.IgesColor = color;
  iges.IgesLineFont = font;
  sh.recording = recording;
  sh.copies[key] = de;
  if (sx == 1.0L && sy == 1.0L) BlockRecAt(k).BlockDE = de;
  return de;
}

// A 408 of definition def at (x, y), preceded by its 124 when rotated.
void InstanceEntities(int32_t def, long double x, long double y, long double angle) {
  if (angle == 0.0L) {
    BeginEntity();
    IgesWriteParams("408," + IntStr(def) + "," + IgesReal(x) + "," + IgesReal(y) + ",0.0,1.0;");
    WriteDirectory(408, "", "", "", Status());
    return;
  }
  const long double a = angle * kPi / 180.0L;
  const long double c = std::cos(a), sn = std::sin(a);
  // The matrix is no subfigure member and counts its own parameter records.
  iges.IgesCurrentDE += 2;
  iges.IgesParamLines = 0;
  const int32_t matrixDE = iges.IgesCurrentDE;
  IgesWriteParams("124," + Fix6(c) + "," + Fix6(-sn) + ",0.0," + IgesReal(x) + ",");
  IgesWriteParams(Fix6(sn) + "," + Fix6(c) + ",0.0," + IgesReal(y) + ",");
  IgesWriteParams("0.0,0.0,1.0,0.0;");
  WriteDirectory(124, "", "0", "", kStatusMember);
  BeginEntity();
  IgesWriteParams("408," + IntStr(def) + ",0.0,0.0,0.0,1.0;");
  WriteDirectory(408, IntStr(matrixDE), "", "", Status());
}

}  // namespace

void IgesLine(long double x1, long double y1, long double x2, long double y2) {
  if (!Ready()) return;
  Guard([&] {
    Record({'L', {x1, y1, x2, y2}, {}, 0, 1, 0, 0, 0});
    if (!iges.IgesInSubfigure) LineEntity(x1, y1, x2, y2);
  });
}

void IgesArc(long double cx, long double cy, long double xs, long double ys, long double xe, long double ye) {
  if (!Ready()) return;
  Guard([&] {
    Record({'A', {cx, cy, xs, ys, xe, ye}, {}, 0, 1, 0, 0, 0});
    if (!iges.IgesInSubfigure) ArcEntity(cx, cy, xs, ys, xe, ye);
  });
}

void IgesCircle(long double cx, long double cy, long double r) { IgesArc(cx, cy, cx + r, cy, cx + r, cy); }

void IgesSolid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
               long double x4, long double y4) {
  if (!Ready()) return;
  Guard([&] {
    const std::array<long double, 8> v = {x1, y1, x2, y2, x3, y3, x4, y4};
    Record({'S', v, {}, 0, 1, 0, 0, 0});
    if (!iges.IgesInSubfigure) SolidEntity(v);
  });
}

void IgesNote(const std::string& text, long double x, long double y) {
  if (!Ready()) return;
  Guard([&] {
    // A line break inside a note would end its parameter record in the middle: it becomes a blank.
    const std::string t = DxfValueText(ConvertCadText(text));
    // A note without characters shows nothing, and an empty string has no Hollerith form.
    if (t.empty()) return;
    Record({'T', {x, y}, t, 0, 1, cadrun.TextHeight, cadrun.TextWidthFactor, cadrun.TextAngle});
    if (!iges.IgesInSubfigure) NoteEntity(t, x, y, cadrun.TextHeight, cadrun.TextWidthFactor, cadrun.TextAngle);
  });
}

namespace {
uint8_t TableColor(int32_t v) {
  // Palette values beyond the table (the last colour layer's 16) draw like 15: black on white.
  if (v < 0 || v > 15) return IgesColorTable[15];
  return IgesColorTable[static_cast<std::size_t>(v)];
}
}  // namespace

void IgesSetColor(int32_t n) {
  if (n > 31) n = 16 + n % 16;
  if (n < 0) n = 0;
  uint8_t font = 1;
  uint8_t color = 0;
  if (n == 0) {
    color = IgesColorTable[7];
  } else if (n <= 5) {
    color = TableColor(cadSettings.LayerColors[static_cast<std::size_t>(n)]);
    if (n == 1) font = 4;
    if (n == 2) font = 2;
  } else if (n >= 16) {
    color = TableColor(cadSettings.ColorLayerColors[n]);
  } else {
    color = TableColor(n + 1);
  }
  iges.IgesColor = color;
  iges.IgesLineFont = font;
}

void IgesBeginSubfigure(const std::string& name) {
  if (!Ready()) return;
  Guard([&] {
    if (iges.IgesInSubfigure) IgesEndSubfigure();  // subfigures do not nest
    ++iges.IgesBlockCount;
    iges.IgesInSubfigure = true;
    iges.IgesMemberCount = 0;
    BlockRec& rec = BlockRecAt(iges.IgesBlockCount);
    rec.Name = name;
    rec.BlockDE = 0;
    Shapes& sh = shapes();
    const auto k = static_cast<std::size_t>(iges.IgesBlockCount);
    if (sh.blocks.size() <= k) sh.blocks.resize(k + 1);
    sh.blocks[k].clear();
    if (sh.defined.size() <= k) sh.defined.resize(k + 1, 0);
    sh.defined[k] = 0;
  });
}

void IgesEndSubfigure() {
  if (!Ready() || !iges.IgesInSubfigure) return;
  Guard([&] {
    // Only kept: the definition is written at the block's first insertion (ScaledCopy).
    iges.IgesInSubfigure = false;
    iges.IgesMemberCount = 0;
    shapes().defined[static_cast<std::size_t>(iges.IgesBlockCount)] = 1;
  });
}

int32_t IgesFindBlock(const std::string& name) {
  // Only the subfigures of this file count; the records keep names of earlier files.
  for (int32_t k = 1; k <= iges.IgesBlockCount; ++k)
    if (BlockRecAt(k).Name == name) return k;
  return 0;
}

void IgesInsert(const std::string& name, long double x, long double y, long double angle, long double sx,
                long double sy) {
  if (!Ready()) return;
  Guard([&] {
    if (!std::isfinite(sx) || sx == 0.0L) sx = 1.0L;
    if (!std::isfinite(sy) || sy == 0.0L) sy = 1.0L;
    if (!std::isfinite(angle)) angle = 0.0L;
    angle = std::fmod(angle, 360.0L);
    const int32_t k = IgesFindBlock(name);
    if (!Defined(k)) {
      // An instance of nothing would point at no entity, which readers reject: it is left out, also
      // from the scaled copies of the block being defined (a block inserting itself would never end).
      AddErrorMsg("Blockname " + name + " not found !");
      return;
    }
    Record({'I', {x, y, angle, sx, sy}, name, 0, 1, 0, 0, 0});
    if (iges.IgesInSubfigure) return;  // written with the block that holds it
    const int32_t def = ScaledCopy(k, sx, sy);
    if (def > 0) InstanceEntities(def, x, y, angle);
  });
}

bool IgesEnd() {
  Run& r = run();
  if (!r.open) return false;
  if (!r.failed) {
    Guard([&] {
      EnsureGlobals();
      if (iges.IgesInSubfigure) IgesEndSubfigure();
      if (r.failed) return;
      if (!WriteParamBytes(true) || ::lseek(r.paramFd, 0, SEEK_SET) < 0) {
        Fail();
        return;
      }
      std::string chunk(65536, '\0');
      for (;;) {
        const ssize_t got = ::read(r.paramFd, chunk.data(), chunk.size());
        if (got < 0) {
          if (errno == EINTR) continue;
          Fail();
          return;
        }
        if (got == 0) break;
        if (!r.out.Write(std::string_view(chunk.data(), static_cast<std::size_t>(got)))) {
          Fail();
          return;
        }
      }
      IgesWriteRecord("S" + ZeroPadText(iges.CountS) + "G" + ZeroPadText(iges.CountG) + "D" + ZeroPadText(iges.CountD) +
                      "P" + ZeroPadText(iges.CountP),
                  "", 'T');
    });
  }
  CloseParamFile();
  bool ok = !r.failed;
  if (ok) {
    ok = r.out.Close();
    if (!ok) Fail();
  } else {
    r.out.Discard();
  }
  r.open = false;
  return ok;
}

void IgesAbandon() {
  Run& r = run();
  CloseParamFile();
  if (r.out.IsOpen()) r.out.Discard();
  r.open = false;
}

bool IgesFailed() { return run().failed; }

std::string IgesParamFileName() { return run().paramName; }

// ---- The kernel's IGES writer ----

namespace {

class IgesWriter : public CadWriter {
 public:
  std::string extension() const override { return CadOutputInfo(CadOutput::Iges).extension; }
  bool open(const std::string& fileName) override {
    bool ok = false;
    Guard([&] { ok = IgesOpenOutput(fileName); });
    return ok;
  }
  bool close() override {
    bool ok = false;
    try {
      ok = IgesEnd();
    } catch (...) {
      IgesAbandon();
    }
    return ok;
  }
  void abandon() override { IgesAbandon(); }
  void pageSetup(long double, long double, long double xmax, long double ymax, long double) override {
    IgesGlobalSection(FileBaseName(run().outName), std::max(xmax, ymax));
  }
  void beginBlock(const std::string& name) override { IgesBeginSubfigure(name); }
  void endBlock() override { IgesEndSubfigure(); }
  void insertBlock(const std::string& name, long double x, long double y, long double angle, long double sx,
                   long double sy) override {
    IgesInsert(name, x, y, angle, sx, sy);
  }
  void line(long double x1, long double y1, long double x2, long double y2) override { IgesLine(x1, y1, x2, y2); }
  void circle(long double x, long double y, long double r) override { IgesCircle(x, y, r); }
  void arc(const CadArcCall& a) override { IgesArc(a.x, a.y, a.xs, a.ys, a.xe, a.ye); }
  void text(const std::string& t, long double x, long double y) override { IgesNote(t, x, y); }
  void solid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
             long double x4, long double y4) override {
    IgesSolid(x1, y1, x2, y2, x3, y3, x4, y4);
  }
  void setColor(int32_t n) override { IgesSetColor(n); }
  bool failed() const override { return IgesFailed(); }
};

}  // namespace

void RegisterIgesWriter() {
  if (igesSubfigures.BlockRecs.empty()) InitIgesSubfigures();
  RegisterCadWriter(CadOutput::Iges, std::make_unique<IgesWriter>());
}

}  // namespace qorva
