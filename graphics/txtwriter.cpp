// txtwriter: the TXT drawing file writer.

#include "graphics/txtwriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>

#include "foundation/cadsettings.h"
#include "foundation/programstate.h"
#include "foundation/utilfile.h"
#include "foundation/utilmath.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "graphics/dxfwriter.h"
#include "graphics/cadkernel.h"

namespace qorva {

TxtFileState txtFile;

namespace {

constexpr char kTab = '\t';
constexpr int32_t kMaxDecimals = 18;

// True while the shared text file still holds the TXT file this writer created.
bool OwnsShareFile() {
  return txtFile.Open && ShareTextFile.IsOpen() && ShareTextFile.mode() == TextFile::Mode::Write &&
         ShareTextFile.Name() == txtFile.FileName;
}

// A text field: a TAB or a line end inside it would split the record, so they become blanks.
std::string Field(std::string s) {
  for (char& c : s)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return s;
}

void Put(const std::string& line) {
  if (!txtFile.Open) return;
  if (!OwnsShareFile()) {
    // Someone else opened the shared text file: the TXT file is lost, and nothing goes into theirs.
    txtFile.Failed = true;
    programState.ErrorFlag = true;
    return;
  }
  if (!ShareTextFile.WriteLn(line)) txtFile.Failed = true;
}

std::string Record(const char* kind, std::initializer_list<long double> values) {
  std::string s = kind;
  for (long double v : values) {
    s += kTab;
    s += TxtReal(v);
  }
  return s;
}

}  // namespace

void InitTxtFileState() {
  TxtAbandon();
  txtFile = TxtFileState();
}

std::string TxtReal(long double x) {
  const int32_t decimals = std::clamp(cadSettings.CadDecimals, int32_t{0}, kMaxDecimals);
  char buf[128];
  std::string s;
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals);
  if (ec == std::errc()) s.assign(buf, end);
  else s = "0";  // wider than any drawing coordinate
  // A value that rounds to zero is written without a sign.
  if (s.size() > 1 && s[0] == '-' && s.find_first_not_of("0.", 1) == std::string::npos) s.erase(0, 1);
  if (desktopSettings.CadTxtDecimal == 2) ReplaceChar('.', ',', s);
  if (s.size() < 3) s.insert(0, 3 - s.size(), ' ');
  return s;
}

bool TxtBegin(const std::string& fileName) {
  TxtAbandon();
  txtFile = TxtFileState();
  if (TrimStr(fileName).empty()) return false;
  ShareTextFile.Assign(fileName);
  if (!ShareTextFile.RewriteScratch()) return false;  // an export, made again at will
  txtFile.Open = true;
  txtFile.FileName = ShareTextFile.Name();
  return true;
}

void TxtMinMax(long double xmin, long double ymin, long double xmax, long double ymax) {
  Put(Record("MINMAX", {xmin, ymin, xmax, ymax}));
}

void TxtTables() {}

void TxtBeginBlocks() { Put("SECTION BLOCKS"); }

void TxtBlock(const std::string& name) { Put(std::string("BLOCK") + kTab + Field(name)); }

void TxtEndBlock() { Put("END OF BLOCK"); }

void TxtBeginEntities() { Put("SECTION ENTITIES"); }

void TxtLine(long double x1, long double y1, long double x2, long double y2) {
  Put(Record("LINE", {x1, y1, x2, y2}));
}

void TxtCircle(long double x, long double y, long double r) { Put(Record("CIRCLE", {x, y, r})); }

void TxtArc(long double x, long double y, long double a1, long double a2, long double r) {
  const bool fullTurn = a1 == a2 || (RealEq(a1, 0.0L) && RealEq(a2, 360.0L)) ||
                        (RealEq(a1, 360.0L) && RealEq(a2, 0.0L));
  if (fullTurn) TxtCircle(x, y, r);
  else Put(Record("ARC", {x, y, r, a1, a2}));
}

void TxtText(const std::string& text, long double x, long double y) {
  Put(Record("TEXT", {x, y}) + kTab + Field(ConvertCadText(text)));
}

void TxtSolid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
              long double x4, long double y4) {
  Put(Record("SOLID", {x1, y1, x2, y2, x3, y3, x4, y4}));
}

void TxtInsert(const std::string& name, long double x, long double y, long double angle, long double sx,
               long double sy) {
  std::string s = std::string("INSERT") + kTab + Field(name);
  s += Record("", {x, y, angle, sx, sy});
  Put(s);
}

void TxtSetColor(int32_t n) { DxfSelectLayer(n); }

bool TxtClose() {
  if (!txtFile.Open) return false;
  Put("EOF");
  if (!OwnsShareFile()) {
    txtFile = TxtFileState();
    programState.ErrorFlag = true;
    return false;
  }
  const bool ok = !txtFile.Failed && ShareTextFile.Close();
  if (!ok) {
    ShareTextFile.Discard();
    programState.ErrorFlag = true;
  }
  txtFile = TxtFileState();
  return ok;
}

void TxtAbandon() {
  if (OwnsShareFile()) ShareTextFile.Discard();
  txtFile.Open = false;
  txtFile.FileName.clear();
}

namespace {

class TxtWriter : public CadWriter {
 public:
  std::string extension() const override { return CadOutputInfo(CadOutput::Txt).extension; }
  bool open(const std::string& fileName) override { return TxtBegin(fileName); }
  bool close() override { return TxtClose(); }
  void abandon() override { TxtAbandon(); }
  void pageSetup(long double xmin, long double ymin, long double xmax, long double ymax, long double) override {
    TxtMinMax(xmin, ymin, xmax, ymax);
  }
  void writeTables(int32_t) override { TxtTables(); }
  void beginBlocks() override { TxtBeginBlocks(); }
  void beginBlock(const std::string& name) override { TxtBlock(name); }
  void endBlock() override { TxtEndBlock(); }
  void beginEntities() override { TxtBeginEntities(); }
  void insertBlock(const std::string& name, long double x, long double y, long double angle, long double sx,
                   long double sy) override {
    TxtInsert(name, x, y, angle, sx, sy);
  }
  void line(long double x1, long double y1, long double x2, long double y2) override { TxtLine(x1, y1, x2, y2); }
  void circle(long double x, long double y, long double r) override { TxtCircle(x, y, r); }
  void arc(const CadArcCall& a) override { TxtArc(a.x, a.y, a.a1, a.a2, a.r); }
  void text(const std::string& t, long double x, long double y) override { TxtText(t, x, y); }
  void solid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
             long double x4, long double y4) override {
    TxtSolid(x1, y1, x2, y2, x3, y3, x4, y4);
  }
  void setColor(int32_t n) override { TxtSetColor(n); }
  bool failed() const override { return txtFile.Failed; }
};

}  // namespace

void RegisterTxtWriter() { RegisterCadWriter(CadOutput::Txt, std::make_unique<TxtWriter>()); }

}  // namespace qorva
