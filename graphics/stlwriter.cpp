// stlwriter: the STL file writer.

#include "graphics/stlwriter.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <new>

#include "foundation/cadsettings.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/utilstr.h"
#include "graphics/cadkernel.h"

namespace qorva {

StlFileState stlFile;

namespace {

constexpr const char *kBinaryHeader = "STL binary file created by KWENDAL Software";
constexpr std::size_t kHeaderSize = 80;

void Fail() {
  stlFile.Failed = true;
  programState.ErrorFlag = true;
}

// Drops the file and the collected facets; the old file of that name stays.
void DropFile() {
  if (stlFile.StlTextFile.IsOpen()) stlFile.StlTextFile.Discard();
  std::vector<StlFacetRecord>().swap(stlFile.StlFacets);
  stlFile.Open = false;
}

void PutLine(const std::string &s) {
  if (!stlFile.StlTextFile.WriteLn(s)) Fail();
}

void PutLE32(std::string &out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFFu);
}

std::string Vec3(const StlFacetRecord &f, std::size_t first) {
  return StlNum(f[first]) + " " + StlNum(f[first + 1]) + " " + StlNum(f[first + 2]);
}

// Writes the collected facets: the header, the count and each facet with its
// attribute bytes, all numbers little-endian whatever the machine.
bool WriteBinary() {
  std::string header = kBinaryHeader;
  header.resize(kHeaderSize, ' ');
  PutLE32(header, static_cast<uint32_t>(stlFile.StlFacets.size()));
  if (!stlFile.StlTextFile.Write(header)) return false;
  std::string rec;
  for (const StlFacetRecord &f : stlFile.StlFacets) {
    rec.clear();
    for (float v : f) PutLE32(rec, std::bit_cast<uint32_t>(v));
    rec += "XX";
    if (!stlFile.StlTextFile.Write(rec)) return false;
  }
  return true;
}

class StlWriter : public CadWriter {
 public:
  std::string extension() const override { return CadOutputInfo(CadOutput::Stl).extension; }
  bool open(const std::string &fileName) override { return StlBegin(fileName, "KWESOLID"); }
  bool close() override { return StlEnd(); }
  void abandon() override { StlAbandon(); }
  void pageSetup(long double xmin, long double ymin, long double xmax, long double ymax, long double height) override {
    StlPageSetup(xmin, ymin, xmax, ymax, height);
  }
  void line(long double x1, long double y1, long double x2, long double y2) override { StlLine(x1, y1, x2, y2); }
  // The kernel sends circles and arcs as segments to line() for this writer.
  void circle(long double, long double, long double) override {}
  void arc(const CadArcCall &) override {}
  void text(const std::string &t, long double x, long double y) override { StlText(t, x, y); }
  void solid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
             long double x4, long double y4) override {
    StlSolid(x1, y1, x2, y2, x3, y3, x4, y4);
  }
  bool blocksAsFiles() const override { return true; }
  bool asksPageHeight() const override { return true; }
  bool failed() const override { return stlFile.Failed; }
};

}  // namespace

void InitStlFileState() {
  DropFile();
  stlFile.StlSolidName = "MYSOLID";
  stlFile.StlFacetCount = 0;
  stlFile.StlFileName.clear();
  stlFile.Binary = true;
  stlFile.Failed = false;
}

std::string StlNum(long double x) {
  float f = static_cast<float>(x);
  if (f == 0.0f) f = 0.0f;  // no "-0"
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, f, std::chars_format::scientific);
  if (ec != std::errc()) return "0.00E+00";
  std::string s(buf, end);
  const std::size_t e = s.find('e');
  if (e == std::string::npos) return s;  // inf or nan: never reaches a facet
  std::string mantissa = s.substr(0, e);
  std::string exponent = s.substr(e + 1);
  // At least three significant digits: "1" becomes "1.00", "2.5" becomes
  // "2.50".
  if (mantissa.find('.') == std::string::npos) mantissa += '.';
  const std::size_t digits = mantissa.size() - mantissa.find('.') - 1;
  if (digits < 2) mantissa.append(2 - digits, '0');
  return mantissa + "E" + exponent;
}

bool StlBegin(const std::string &fileName, const std::string &solidName) {
  DropFile();
  stlFile.Failed = false;
  if (TrimStr(fileName).empty()) {
    ShowErrorBox("invalid File name");
    programState.ErrorFlag = true;
    return false;
  }
  if (cadSettings.StlType != 0 && cadSettings.StlType != 1) cadSettings.StlType = 0;
  stlFile.StlSolidName = solidName;
  stlFile.StlFacetCount = 0;
  stlFile.StlFileName = fileName;
  stlFile.Binary = cadSettings.StlType == 0;
  // The binary file is filled at the end, because its facet count stands before
  // the facets; it is created now all the same, so that a folder that cannot be
  // written stops the drawing at once.
  stlFile.StlTextFile.Assign(fileName);
  if (!stlFile.StlTextFile.RewriteScratch()) return false;  // an export, made again at will
  stlFile.Open = true;
  if (!stlFile.Binary) PutLine("solid " + stlFile.StlSolidName);
  return !stlFile.Failed;
}

void StlPageSetup(long double, long double, long double, long double, long double) {}

void StlLine(long double x1, long double y1, long double x2, long double y2) { StlWall(x1, y1, x2, y2); }

void StlSolid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
              long double x4, long double y4) {
  StlWall(x1, y1, x2, y2);
  StlWall(x2, y2, x3, y3);
  StlWall(x3, y3, x4, y4);
  StlWall(x4, y4, x1, y1);
}

void StlText(const std::string &, long double, long double) {}

void StlWall(long double x1, long double y1, long double x2, long double y2) {
  if (!stlFile.Open || stlFile.Failed) return;
  // The wall is built from the values the file will hold, so that what has
  // length and height here still has them in the file.
  const float fx1 = static_cast<float>(x1), fy1 = static_cast<float>(y1);
  const float fx2 = static_cast<float>(x2), fy2 = static_cast<float>(y2);
  float z0 = static_cast<float>(cadrun.StlZ0);
  float z1 = static_cast<float>(cadrun.StlHeight);
  for (float v : {fx1, fy1, fx2, fy2, z0, z1})
    if (!std::isfinite(v)) return;
  if (z0 == z1) return;  // a wall without height has no area
  // The lower edge first keeps the vertices counter-clockwise about the normal.
  if (z1 < z0) std::swap(z0, z1);
  const long double dx = static_cast<long double>(fx2) - fx1;
  const long double dy = static_cast<long double>(fy2) - fy1;
  const long double len = std::sqrt(dx * dx + dy * dy);
  // A wall only a few units of the last place long where it stands (the
  // rounding rest of an arc's first or last segment) has no area and no
  // direction worth a normal.
  const long double place =
      std::max({1.0L, std::fabs(static_cast<long double>(fx1)), std::fabs(static_cast<long double>(fy1)),
                std::fabs(static_cast<long double>(fx2)), std::fabs(static_cast<long double>(fy2))});
  if (len <= 4.0L * std::numeric_limits<float>::epsilon() * place) return;
  const float nx = static_cast<float>(-dy / len);
  const float ny = static_cast<float>(dx / len);
  StlFacet({nx, ny, 0.0f, fx1, fy1, z0, fx1, fy1, z1, fx2, fy2, z0});
  StlFacet({nx, ny, 0.0f, fx1, fy1, z1, fx2, fy2, z1, fx2, fy2, z0});
}

void StlFacet(const StlFacetRecord &f) {
  if (!stlFile.Open || stlFile.Failed) return;
  if (stlFile.StlFacetCount == std::numeric_limits<uint32_t>::max()) {
    // The binary count field holds no more.
    Fail();
    return;
  }
  if (stlFile.Binary) {
    try {
      stlFile.StlFacets.push_back(f);
    } catch (const std::bad_alloc &) {
      Fail();
      DropFile();
      return;
    }
  } else {
    PutLine("  facet normal " + Vec3(f, 0));
    PutLine("    outer loop");
    PutLine("      vertex " + Vec3(f, 3));
    PutLine("      vertex " + Vec3(f, 6));
    PutLine("      vertex " + Vec3(f, 9));
    PutLine("    endloop");
    PutLine("  endfacet");
  }
  ++stlFile.StlFacetCount;
}

bool StlEnd() {
  if (!stlFile.Open) return false;
  bool ok = !stlFile.Failed;
  if (ok) {
    if (stlFile.Binary)
      ok = WriteBinary();
    else {
      PutLine("endsolid " + stlFile.StlSolidName);
      ok = !stlFile.Failed;
    }
  }
  if (ok) ok = stlFile.StlTextFile.Close();
  if (!ok) Fail();
  DropFile();
  return ok;
}

void StlAbandon() { DropFile(); }

void RegisterStlWriter() { RegisterCadWriter(CadOutput::Stl, std::make_unique<StlWriter>()); }

}  // namespace qorva
