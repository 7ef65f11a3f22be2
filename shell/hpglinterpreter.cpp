// hpglinterpreter: the help-picture interpreter.
#include "shell/hpglinterpreter.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "foundation/programstate.h"
#include "foundation/utilfile.h"
#include "foundation/utilmath.h"
#include "foundation/utilstr.h"
#include "foundation/planegeometry.h"
#include "graphics/graphicsdraw.h"
#include "platform/sysname.h"
#include "shell/hpglstate.h"

namespace qorva {
namespace {

constexpr unsigned char Etx = 3;
constexpr size_t MaxLabelLength = 255;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// The arrow cursor comes back however the drawing ends.
struct WaitCursorGuard {
  WaitCursorGuard() { GraphWaitCursor(); }
  ~WaitCursorGuard() { GraphArrowCursor(); }
  WaitCursorGuard(const WaitCursorGuard&) = delete;
  WaitCursorGuard& operator=(const WaitCursorGuard&) = delete;
};

// Label text in code page 437: a letter followed by "}" in character set 3.
unsigned char Umlaut(unsigned char c) {
  switch (c) {
    case 'a': return 0x84;
    case 'o': return 0x94;
    case 'u': return 0x81;
    case 'A': return 0x8E;
    case 'O': return 0x99;
    case 'U': return 0x9A;
    default: return c;
  }
}

class HpglReader {
 public:
  // file: read in blocks; without one, text is the whole input.
  HpglReader(std::FILE* file, std::string text) : file_(file), buf_(std::move(text)) {}

  void Run();
  bool ReadFailed() const { return readFailed_; }

 private:
  bool Fill();
  bool RawChar(unsigned char& c);
  bool NextChar(unsigned char& c);
  bool NextLabelChar(unsigned char& c);
  bool ReadParam(std::string& text, bool dropPA);
  bool ReadCoord(long double& v);
  bool ReadNumber(long double& v);
  uint8_t ReadPen();
  void SkipCommand();
  void SkipRest() {
    if (!hpglState.CommandEnd) SkipCommand();
  }
  bool More() const { return !hpglState.CommandEnd && !eof_; }

  void MoveTo(long double x, long double y);
  void MovePairs();
  void Circle();
  void CharSize();
  void Direction();
  void Label();
  void ArcAbsolute();
  void PolylineEncoded();
  bool DecodePe(unsigned char c, bool haveFirst, bool sevenBit, int64_t& value);

  std::FILE* file_;
  std::string buf_;
  size_t pos_ = 0;
  bool eof_ = false;
  bool readFailed_ = false;
};

bool HpglReader::Fill() {
  if (!file_ || eof_) return false;
  buf_.resize(1 << 16);
  const size_t n = std::fread(buf_.data(), 1, buf_.size(), file_);
  buf_.resize(n);
  pos_ = 0;
  if (n == 0 && std::ferror(file_)) readFailed_ = true;
  return n > 0;
}

bool HpglReader::RawChar(unsigned char& c) {
  if (eof_) return false;
  if (pos_ >= buf_.size() && !Fill()) {
    eof_ = true;
    return false;
  }
  c = static_cast<unsigned char>(buf_[pos_++]);
  return true;
}

bool HpglReader::NextChar(unsigned char& c) {
  while (RawChar(c))
    if (c != ' ' && c != '\r' && c != '\n') return true;
  return false;
}

bool HpglReader::NextLabelChar(unsigned char& c) {
  while (RawChar(c))
    if (c != '\r' && c != '\n') return true;
  return false;
}

// One parameter up to "," or ";" (which ends the command). False when the file ended first.
bool HpglReader::ReadParam(std::string& text, bool dropPA) {
  text.clear();
  unsigned char c = 0;
  while (NextChar(c)) {
    if (c == ',') return true;
    if (c == ';') {
      hpglState.CommandEnd = true;
      return true;
    }
    if (dropPA && (c == 'P' || c == 'A')) continue;
    text += static_cast<char>(c);
  }
  return false;
}

// An empty parameter is 0, text that is no number too. A parameter cut off by the end of the
// file still counts when it holds something, so a last command without ";" is drawn.
bool HpglReader::ReadCoord(long double& v) {
  std::string text;
  const bool ended = ReadParam(text, true);
  if (!ended && text.empty()) return false;
  v = text.empty() ? 0.0L : StrToReal(text);
  return true;
}

bool HpglReader::ReadNumber(long double& v) {
  std::string text;
  const bool ended = ReadParam(text, false);
  if (!ended && text.empty()) return false;
  v = StrToReal(text);
  return true;
}

uint8_t HpglReader::ReadPen() {
  std::string text;
  ReadParam(text, false);
  if (text.empty()) return 1;
  return static_cast<uint8_t>(StrToInt0(text));
}

void HpglReader::SkipCommand() {
  unsigned char c = 0;
  while (NextChar(c)) {
    if (c == ';') {
      hpglState.CommandEnd = true;
      return;
    }
  }
}

void HpglReader::MoveTo(long double x, long double y) {
  HpglState& s = hpglState;
  if (s.PenDown) {
    GraphSetColor(PenToPalette(s.Pen));
    GraphLine(s.PosX, s.PosY, x, y);
  }
  s.PosX = x;
  s.PosY = y;
}

// Pairs up to the command end; a lone last value is no point.
void HpglReader::MovePairs() {
  while (More()) {
    long double x = 0.0L, y = 0.0L;
    if (!ReadCoord(x) || !More() || !ReadCoord(y)) return;
    MoveTo(PlotUnitsToMm(x), PlotUnitsToMm(y));
  }
}

// The circle takes the radius only; a chord value after it is skipped with the command.
void HpglReader::Circle() {
  long double r = 0.0L;
  if (ReadCoord(r)) {
    GraphSetColor(PenToPalette(hpglState.Pen));
    GraphCircle(hpglState.PosX, hpglState.PosY, PlotUnitsToMm(r));
  }
  SkipRest();
}

// A value that is not given keeps the one in force.
void HpglReader::CharSize() {
  long double w = 0.0L, h = 0.0L;
  if (ReadCoord(w)) {
    hpglState.CharWidth = w;
    if (More() && ReadCoord(h)) hpglState.CharHeight = h;
  }
  SkipRest();
}

void HpglReader::Direction() {
  long double run = 0.0L, rise = 0.0L;
  if (ReadCoord(run) && More() && ReadCoord(rise)) {
    hpglState.DirRun = run;
    hpglState.DirRise = rise;
  }
  SkipRest();
}

void HpglReader::Label() {
  HpglState& s = hpglState;
  std::string text;
  unsigned char c = 0;
  while (NextLabelChar(c)) {
    if (c == Etx) {
      s.CommandEnd = true;
      break;
    }
    // A "}" that has no letter before it stays as it is.
    if (c == '}' && s.CharSet == 3.0L && !text.empty()) {
      text.back() = static_cast<char>(Umlaut(static_cast<unsigned char>(text.back())));
      continue;
    }
    if (text.size() < MaxLabelLength) text += static_cast<char>(c);
  }
  GraphSetColor(PenToPalette(s.Pen));
  GraphSetTextStyle(2, RadToDeg(ArcTanXY(s.DirRun, s.DirRise)), 10.0L * s.CharHeight, 10.0L * s.CharWidth);
  GraphSetTextJustify(0, 0);
  GraphText(s.PosX, s.PosY, text);
}

// Arc about a centre through the current position. A positive sweep runs counter-clockwise, a
// negative one clockwise; a sweep of a whole turn or more is the full circle. Values after the
// sweep (the chord) are skipped with the command.
void HpglReader::ArcAbsolute() {
  HpglState& s = hpglState;
  long double cx = 0.0L, cy = 0.0L, sweep = 0.0L;
  const bool complete = ReadCoord(cx) && More() && ReadCoord(cy) && More() && ReadNumber(sweep);
  SkipRest();
  if (!complete) return;
  cx = PlotUnitsToMm(cx);
  cy = PlotUnitsToMm(cy);
  long double ex = s.PosX, ey = s.PosY;
  RotateAround(ex, ey, s.PosX, s.PosY, cx, cy, DegToRad(sweep));
  if (s.PenDown && sweep != 0.0L) {
    const long double r = Hypot(s.PosX - cx, s.PosY - cy);
    GraphSetColor(PenToPalette(s.Pen));
    if (std::fabs(sweep) >= 360.0L) {
      GraphCircle(cx, cy, r);
    } else {
      const long double a1 = RadToDeg(ArcTanXY(s.PosX - cx, s.PosY - cy));
      const long double a2 = RadToDeg(ArcTanXY(ex - cx, ey - cy));
      if (sweep > 0.0L) GraphArc(cx, cy, a1, a2, r);
      else GraphArc(cx, cy, a2, a1, r);
    }
  }
  s.PosX = ex;
  s.PosY = ey;
}

// One encoded number, starting with c when haveFirst. False when the command or the file ends
// before its final digit.
bool HpglReader::DecodePe(unsigned char c, bool haveFirst, bool sevenBit, int64_t& value) {
  uint64_t v = 0;
  int shift = 0;
  for (;;) {
    if (!haveFirst && !NextChar(c)) return false;
    haveFirst = false;
    if (c == ';') {
      hpglState.CommandEnd = true;
      return false;
    }
    uint64_t digit = 0;
    bool last = false, isDigit = false;
    if (sevenBit) {
      if (c >= 63 && c <= 94) digit = c - 63, isDigit = true;
      else if (c >= 95 && c <= 126) digit = c - 95, isDigit = last = true;
    } else {
      if (c >= 63 && c <= 126) digit = c - 63, isDigit = true;
      else if (c >= 191 && c <= 254) digit = c - 191, isDigit = last = true;
    }
    // Digits beyond 62 bits are noise and would overflow.
    if (isDigit && shift <= 56) v += digit << shift;
    shift += sevenBit ? 5 : 6;
    if (last) break;
  }
  const int64_t half = static_cast<int64_t>(v >> 1);
  value = (v & 1U) ? -half : half;
  return true;
}

void HpglReader::PolylineEncoded() {
  HpglState& s = hpglState;
  s.PenDown = true;
  bool sevenBit = false, absolute = false;
  unsigned char c = 0;
  while (!s.CommandEnd && NextChar(c)) {
    switch (c) {
      case ';': s.CommandEnd = true; break;
      case '=': absolute = true; break;
      case '7': sevenBit = true; break;
      case '<': s.PenDown = false; break;
      case '>':
        if (NextChar(c) && c == ';') s.CommandEnd = true;
        break;
      case ':': {
        int64_t pen = 0;
        if (DecodePe(0, false, sevenBit, pen)) s.Pen = static_cast<uint8_t>(pen < 1 ? 1 : pen > 15 ? 15 : pen);
        break;
      }
      default: {
        if (c < 63 || c == 255) break;
        int64_t x = 0, y = 0;
        if (!DecodePe(c, true, sevenBit, x) || !DecodePe(0, false, sevenBit, y)) break;
        const long double dx = PlotUnitsToMm(static_cast<long double>(x)), dy = PlotUnitsToMm(static_cast<long double>(y));
        if (absolute) MoveTo(dx, dy);
        else MoveTo(s.PosX + dx, s.PosY + dy);
        s.PenDown = true;
        absolute = false;
      }
    }
  }
}

void HpglReader::Run() {
  HpglState& s = hpglState;
  unsigned char c1 = 0, c2 = 0;
  for (;;) {
    s.CommandEnd = false;
    if (!NextChar(c1)) return;
    if (c1 == ';' && !NextChar(c1)) return;
    if (!NextChar(c2)) return;
    const char cmd[3] = {static_cast<char>(std::toupper(c1)), static_cast<char>(std::toupper(c2)), 0};
    const std::string_view name(cmd, 2);
    if (name == "PU") {
      s.PenDown = false;
      MovePairs();
    } else if (name == "PD") {
      s.PenDown = true;
      MovePairs();
    } else if (name == "PA") {
      MovePairs();
    } else if (name == "SP") {
      s.Pen = ReadPen();
      SkipRest();
    } else if (name == "CI") {
      Circle();
    } else if (name == "SI") {
      CharSize();
    } else if (name == "DI") {
      Direction();
    } else if (name == "LB") {
      Label();
    } else if (name == "AA") {
      ArcAbsolute();
    } else if (name == "PE") {
      PolylineEncoded();
    } else if (name == "CS") {
      long double v = 0.0L;
      if (ReadCoord(v)) s.CharSet = v;
      SkipRest();
    } else {
      SkipCommand();
    }
  }
}

void NotReadable(const std::string& fileName) {
  std::string shown;
  for (char c : fileName)
    if (c != ' ') shown += c;
  GraphMessage(shown + " nicht gefunden !");
  programState.ErrorFlag = true;
}

}  // namespace

bool DrawHpglFile(const std::string& fileName) {
  hpglState.PosX = hpglState.PosY = -999.0L;
  WaitCursorGuard cursor;
  if (!CheckFileFound(fileName)) return false;
  std::unique_ptr<std::FILE, FileCloser> file(SysFopen(ResolveFileCase(fileName), "rb"));
  if (!file) {
    NotReadable(fileName);
    return false;
  }
  HpglReader reader(file.get(), std::string());
  reader.Run();
  programState.ErrorFlag = false;
  // What was drawn stays; the user learns that the rest of the picture could not be read.
  if (!reader.ReadFailed()) return true;
  NotReadable(fileName);
  return false;
}

void DrawHpglText(const std::string& commands) {
  hpglState.PosX = hpglState.PosY = -999.0L;
  HpglReader reader(nullptr, commands);
  reader.Run();
  programState.ErrorFlag = false;
}

}  // namespace qorva
