// qvaio: writing and reading the spring data file.
#include "spring/qvaio.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "foundation/error0.h"
#include "foundation/filecheck.h"
#include "foundation/kwenvar.h"
#include "foundation/msgbox.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/wkwenvar.h"
#include "spring/aendvar.h"
#include "spring/dokuvar.h"
#include "spring/qvaglob.h"
#include "spring/qvarech.h"
#include "spring/yebfest9.h"
#include "spring/yebglob9.h"

namespace qorva {

namespace {

const std::string kChangeHead = "\x8E" "NDERUNGEN";
const std::string kDocumentHead = "Dokumente";
const std::string kIsoHead = "ISO 7200 Header";
const std::string kIsoEnd = "---";
const std::string kDash20(20, '-');
const std::string kDash14(14, '-');
constexpr char kBoxBar = '\xB3';
constexpr char kEofMark = '\x1A';
// Lines a change description may have been spread over by a writer that left its line feeds in.
constexpr int kMaxDescriptionLines = 25;

// Line breaks (CR LF, CR or LF) become one `brk` each; ^Z becomes ">"; "|" becomes `bar`.
std::string MapText(const std::string& s, const std::string& brk, char bar) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\r') {
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
      out += brk;
    } else if (c == '\n') {
      out += brk;
    } else if (c == kEofMark) {
      out += '>';
    } else if (c == '|') {
      out += bar;
    } else {
      out += c;
    }
  }
  return out;
}

// A value that is no number ("nan", "inf") could not be read back; it is stored as 0.
void WriteFiniteReal(long double x) { WriteReal(std::isfinite(x) ? x : 0); }
std::string FiniteStr3(long double x) { return RealStr3Dot(std::isfinite(x) ? x : 0); }

// A file name inside a DOS message text.
std::string NameForMessage(const std::string& path) { return TrimStr(path); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Text rules

std::string DescriptionToFileLine(const std::string& description) {
  return MapText(description, "|", kBoxBar);
}

std::string FileLineToDescription(const std::string& line) {
  std::string out;
  out.reserve(line.size());
  for (char c : line) {
    if (c == '|') {
      out += DescriptionLineBreak;
    } else {
      out += c;
    }
  }
  return out;
}

std::string FileLineText(const std::string& text) { return MapText(text, " ", '|'); }

std::string FileFieldText(const std::string& text) { return MapText(text, " ", kBoxBar); }

// ---------------------------------------------------------------------------------------------
// Writing

void WriteChangeRecords() {
  const uint16_t count = std::min(aendvar.ChangeCount, MaxChangeRecords);
  const uint16_t texts = std::min(aendvar.DrawingTextCount, MaxDrawingTexts);
  WriteLine(kChangeHead);
  WriteInt(count);
  WriteLine(kDash20);
  for (uint16_t i = 1; i <= count; ++i) {
    const AendRecord& r = aendvar.ChangeRecords[i];
    WriteLine(FileLineText(r.ChangeIndex));
    WriteLine(FileLineText(r.Date));
    WriteLine(FileLineText(r.Editor));
    WriteLine(DescriptionToFileLine(r.Description));
    WriteLine(kDash14);
  }
  WriteFields8(FileFieldText(aendvar.TitleCheckedDate), FileFieldText(aendvar.TitleCheckedBy),
               FileFieldText(aendvar.TitleStandardDate), FileFieldText(aendvar.TitleStandardBy),
               FileFieldText(aendvar.TitleRow4Date), FileFieldText(aendvar.TitleRow4Name), IntStr(texts), "");
  WriteLine(FileLineText(aendvar.TitleDrawnDate));
  WriteLine(FileLineText(aendvar.TitleReplaces));
  WriteLine(FileLineText(aendvar.TitleReplacedBy));
  WriteLine(FileLineText(aendvar.TitleDrawnBy));
  for (uint16_t i = 1; i <= texts; ++i) {
    const ZeichTextRecord& t = aendvar.DrawingTexts[i];
    WriteFields6(FiniteStr3(t.x), FiniteStr3(t.y), FiniteStr3(t.h), FiniteStr3(t.phi),
                 FileFieldText(t.Text), "");
  }
}

void WriteDocumentLinks() {
  WriteLine(kDocumentHead);
  WriteInt(DocumentLinkCount);
  WriteLine(kDash20);
  for (uint16_t i = 1; i <= DocumentLinkCount; ++i) {
    WriteLine(FileLineText(dokuvar.DocumentLinks[i].Program));
    WriteLine(FileLineText(dokuvar.DocumentLinks[i].File));
    WriteLine(kDash14);
  }
}

void WriteIso7200Header() {
  WriteLine(kIsoHead);
  WriteInt(wkwenvar.TitleBlockType);
  WriteInt(aendvar.DrawingTextMode);
  WriteLine(FileLineText(aendvar.TitleDepartment));
  WriteLine(FileLineText(aendvar.TitleDocType));
  WriteLine(FileLineText(aendvar.TitleDocStatus));
  WriteLine(kIsoEnd);
}

bool WriteSpringFile(const std::string& name) {
  // A save that does not happen leaves the current file where it was: the save dialog may already
  // have moved the data folder or the name to the refused or unwritable choice.
  const std::string oldName = kwenvar.CurrentFileName;
  const std::string oldDir = kwenvar.DataDir;
  const bool oldHasPath = kwenvar.FileNameHasPath;
  auto notSaved = [&] {
    kwenvar.CurrentFileName = oldName;
    kwenvar.DataDir = oldDir;
    kwenvar.FileNameHasPath = oldHasPath;
    kwenvar.ErrorFlag = true;
    return false;
  };

  kwenvar.ErrorFlag = false;
  std::string fullName;
  AskSaveFile(name, fullName);
  if (kwenvar.ErrorFlag) return notSaved();

  AssignText(ShareTextFile, fullName);
  RewriteChecked(ShareTextFile);
  if (kwenvar.ErrorFlag) return notSaved();

  const Yebglob9& g = yebglob9;
  const Qvaglob& q = qvaglob;
  // The header holds the title lines as they are: a line break in one would shift every line after it.
  const auto titleLines = kwenvar.TitleLines;
  for (std::size_t i = 1; i <= 3; ++i) kwenvar.TitleLines[i] = FileLineText(titleLines[i]);
  WriteFileHeader();
  kwenvar.TitleLines = titleLines;
  WriteFiniteReal(g.BandWidth);
  WriteFiniteReal(g.BandThickness);
  WriteFiniteReal(q.OuterDiameter);
  WriteFiniteReal(q.InnerDiameter);
  WriteFiniteReal(q.BendingDiameter);
  WriteFiniteReal(q.StripLength);
  WriteInt(g.MaterialNumber);
  WriteLine(FileLineText(g.DrawingName));
  WriteLine(FileLineText(g.DrawingNumber));
  WriteLine(FileLineText(g.DrawingName2));
  WriteLine(FileLineText(std::string(1, g.ShotPeened)));
  WriteFiniteReal(q.Travel1);
  WriteFiniteReal(q.Travel2);
  WriteFiniteReal(0);
  WriteFiniteReal(q.Force1);
  WriteFiniteReal(q.Force2);
  WriteInt(g.LoadType);
  WriteFiniteReal(g.OperatingTemperature);
  WriteFiniteReal(g.LoadFrequency);
  WriteChangeRecords();
  WriteDocumentLinks();
  WriteIso7200Header();

  // The new file replaces the old one only when every line went out and the close succeeded.
  bool saved = !kwenvar.ErrorFlag && !ShareTextFile.Failed();
  if (saved) {
    saved = ShareTextFile.Close();
  } else {
    ShareTextFile.Discard();
  }
  if (!saved) {
    ReportError("Fehler beim Schreiben von " + NameForMessage(fullName) + " - nicht gespeichert !");
    return notSaved();
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Reading

namespace {

// Everything the file sets, read into a copy first.
struct SpringFileContent {
  std::array<std::string, 4> TitleLines;  // [1..3]
  long double BandWidth = 0, BandThickness = 0, OuterDiameter = 0, InnerDiameter = 0,
              BendingDiameter = 0, StripLength = 0;
  uint16_t MaterialNumber = 0;
  std::string DrawingName, DrawingNumber, DrawingName2;
  char ShotPeened = 'N';
  long double Travel1 = 0, Travel2 = 0, Force1 = 0, Force2 = 0;
  uint16_t LoadType = 2;
  long double OperatingTemperature = 0, LoadFrequency = 0;
  Aendvar aend;
  Dokuvar doku;
  int32_t TitleBlockType = 0;
};

// The state a failed read puts back.
struct SpringState {
  Yebglob9 yeb;
  Qvaglob qva;
  Aendvar aend;
  Dokuvar doku;
  std::array<std::string, 4> titleLines;
  int32_t titleBlockType;
  Error0 errors;
  bool fatal;
  std::string currentFileName;
  std::string dataDir;
  bool fileNameHasPath;

  static SpringState Take() {
    return SpringState{yebglob9, qvaglob, aendvar, dokuvar, kwenvar.TitleLines, wkwenvar.TitleBlockType, error0, kwenvar.FatalError, kwenvar.CurrentFileName,
                       kwenvar.DataDir, kwenvar.FileNameHasPath};
  }
  void Restore() const {
    yebglob9 = yeb;
    qvaglob = qva;
    aendvar = aend;
    dokuvar = doku;
    kwenvar.TitleLines = titleLines;
    wkwenvar.TitleBlockType = titleBlockType;
    error0 = errors;
    kwenvar.FatalError = fatal;
    kwenvar.CurrentFileName = currentFileName;
    kwenvar.DataDir = dataDir;
    kwenvar.FileNameHasPath = fileNameHasPath;
  }
};

// Reads ShareTextFile line by line and remembers the first fault with its line number.
class LineReader {
 public:
  bool ok() const { return what_.empty(); }
  int faultLine() const { return faultLine_; }
  const std::string& what() const { return what_; }

  bool fail(const std::string& what) {
    if (ok()) {
      what_ = what;
      faultLine_ = line_;
    }
    return false;
  }

  bool next(std::string& s) {
    s.clear();
    if (!ok()) return false;
    if (ShareTextFile.Eof()) {
      ++line_;
      return fail("Datei endet vorzeitig");
    }
    ++line_;
    if (!ShareTextFile.ReadLn(s)) return fail("Lesefehler");
    return true;
  }

  bool expect(const std::string& want) {
    std::string s;
    if (!next(s)) return false;
    if (s != want) return fail("\"" + want + "\" erwartet");
    return true;
  }

  bool real(long double& x) {
    std::string s;
    if (!next(s)) return false;
    if (!TryStrToReal(TrimStr(s), x)) return notANumber(s);
    return true;
  }

  bool integer(int32_t& v, int32_t lo, int32_t hi) {
    std::string s;
    if (!next(s)) return false;
    return parseInteger(s, v, lo, hi);
  }

  bool parseInteger(const std::string& text, int32_t& v, int32_t lo, int32_t hi) {
    const std::string s = TrimStr(text);
    const std::size_t p = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
    if (p == s.size() || s[p] < '0' || s[p] > '9') return notANumber(text);
    int64_t n = 0;
    const char* last = s.data() + s.size();
    auto res = std::from_chars(s.data() + p, last, n);
    if (res.ptr != last) return notANumber(text);
    if (res.ec == std::errc::result_out_of_range) return outOfRange(text, lo, hi);
    if (s[0] == '-') n = -n;
    if (n < lo || n > hi) return outOfRange(text, lo, hi);
    v = static_cast<int32_t>(n);
    return true;
  }

  bool realField(const std::string& text, long double& x) {
    if (!TryStrToReal(TrimStr(text), x)) return notANumber(text);
    return true;
  }

 private:
  bool notANumber(const std::string& s) { return fail("keine Zahl: \"" + LeftStr(s, 30) + "\""); }
  bool outOfRange(const std::string& s, int32_t lo, int32_t hi) {
    return fail("Wert " + LeftStr(TrimStr(s), 30) + " nicht in " + IntStr(lo) + ".." + IntStr(hi));
  }

  int line_ = 0;
  int faultLine_ = 0;
  std::string what_;
};

std::vector<std::string> SplitBars(const std::string& line) {
  std::vector<std::string> parts(1);
  for (char c : line) {
    if (c == '|') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

bool ReadHeader(LineReader& r, SpringFileContent& c) {
  std::string s;
  auto isRule = [](const std::string& line) {
    return !line.empty() && line.find_first_not_of('-') == std::string::npos;
  };
  if (!r.next(s)) return false;
  if (!isRule(s)) return r.fail("keine Federdatei (Dateikopf fehlt)");
  if (!r.next(s) || !r.next(s) || !r.next(s)) return false;
  if (!isRule(s)) return r.fail("keine Federdatei (Dateikopf fehlt)");
  for (std::size_t i = 1; i <= 3; ++i) {
    if (!r.next(c.TitleLines[i])) return false;
  }
  return true;
}

bool ReadInputs(LineReader& r, SpringFileContent& c) {
  int32_t number = 0;
  int32_t loadType = 0;
  long double unused = 0;
  std::string shot;
  const bool ok = r.real(c.BandWidth) && r.real(c.BandThickness) && r.real(c.OuterDiameter) &&
                  r.real(c.InnerDiameter) && r.real(c.BendingDiameter) && r.real(c.StripLength) &&
                  r.integer(number, 0, 65535) && r.next(c.DrawingName) && r.next(c.DrawingNumber) &&
                  r.next(c.DrawingName2) && r.next(shot) && r.real(c.Travel1) && r.real(c.Travel2) &&
                  r.real(unused) && r.real(c.Force1) && r.real(c.Force2) && r.integer(loadType, 1, 2) &&
                  r.real(c.OperatingTemperature) && r.real(c.LoadFrequency);
  if (!ok) return false;
  c.MaterialNumber = static_cast<uint16_t>(number);
  c.LoadType = static_cast<uint16_t>(loadType);
  c.ShotPeened = shot.empty() ? ' ' : shot[0];
  return true;
}

// A description is one line; a file whose writer left line feeds in it holds it on several lines up
// to the dash line, which are joined with "|".
bool ReadDescription(LineReader& r, std::string& description) {
  std::string line;
  if (!r.next(line)) return false;
  std::string joined = line;
  for (int extra = 0;; ++extra) {
    std::string s;
    if (!r.next(s)) return false;
    if (s == kDash14) break;
    if (extra + 1 >= kMaxDescriptionLines) return r.fail("\"" + kDash14 + "\" erwartet");
    if (joined.empty() || joined.back() != '|') joined += '|';
    joined += s;
  }
  description = FileLineToDescription(joined);
  return true;
}

bool ReadChangeBlock(LineReader& r, SpringFileContent& c) {
  int32_t count = 0;
  if (!r.expect(kChangeHead) || !r.integer(count, 0, MaxChangeRecords) || !r.expect(kDash20)) return false;
  c.aend.ChangeCount = static_cast<uint16_t>(count);
  for (int32_t i = 1; i <= count; ++i) {
    AendRecord& rec = c.aend.ChangeRecords[static_cast<std::size_t>(i)];
    if (!r.next(rec.ChangeIndex) || !r.next(rec.Date) || !r.next(rec.Editor) ||
        !ReadDescription(r, rec.Description)) {
      return false;
    }
  }
  std::string line;
  if (!r.next(line)) return false;
  const std::vector<std::string> f = SplitBars(line);
  if (f.size() != 9 || !f[8].empty()) return r.fail("Zeile mit 8 Feldern erwartet");
  int32_t texts = 0;
  if (!r.parseInteger(f[6], texts, 0, MaxDrawingTexts)) return false;
  Aendvar& a = c.aend;
  a.TitleCheckedDate = f[0];
  a.TitleCheckedBy = f[1];
  a.TitleStandardDate = f[2];
  a.TitleStandardBy = f[3];
  a.TitleRow4Date = f[4];
  a.TitleRow4Name = f[5];
  a.DrawingTextCount = static_cast<uint16_t>(texts);
  if (!r.next(a.TitleDrawnDate) || !r.next(a.TitleReplaces) || !r.next(a.TitleReplacedBy) ||
      !r.next(a.TitleDrawnBy)) {
    return false;
  }
  for (int32_t i = 1; i <= texts; ++i) {
    // x|y|h|phi|text|| : the text is everything between the fourth bar and the closing "||".
    if (!r.next(line)) return false;
    if (line.size() < 2 || line.compare(line.size() - 2, 2, "||") != 0) {
      return r.fail("Zeile mit 6 Feldern erwartet");
    }
    const std::string body = line.substr(0, line.size() - 2);
    std::array<std::size_t, 4> bars{};
    std::size_t from = 0;
    for (std::size_t k = 0; k < bars.size(); ++k) {
      bars[k] = body.find('|', from);
      if (bars[k] == std::string::npos) return r.fail("Zeile mit 6 Feldern erwartet");
      from = bars[k] + 1;
    }
    ZeichTextRecord& t = a.DrawingTexts[static_cast<std::size_t>(i)];
    if (!r.realField(body.substr(0, bars[0]), t.x) ||
        !r.realField(body.substr(bars[0] + 1, bars[1] - bars[0] - 1), t.y) ||
        !r.realField(body.substr(bars[1] + 1, bars[2] - bars[1] - 1), t.h) ||
        !r.realField(body.substr(bars[2] + 1, bars[3] - bars[2] - 1), t.phi)) {
      return false;
    }
    t.Text = body.substr(bars[3] + 1);
  }
  return true;
}

bool ReadDocumentBlock(LineReader& r, SpringFileContent& c) {
  int32_t count = 0;
  if (!r.expect(kDocumentHead) || !r.integer(count, 0, DocumentLinkCount) || !r.expect(kDash20)) return false;
  for (int32_t i = 1; i <= count; ++i) {
    DokuRecord& d = c.doku.DocumentLinks[static_cast<std::size_t>(i)];
    if (!r.next(d.Program) || !r.next(d.File) || !r.expect(kDash14)) return false;
  }
  return true;
}

bool ReadIsoBlock(LineReader& r, SpringFileContent& c) {
  if (!r.expect(kIsoHead) ||
      !r.integer(c.TitleBlockType, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()) ||
      !r.integer(c.aend.DrawingTextMode, 0, 3)) {
    return false;
  }
  return r.next(c.aend.TitleDepartment) && r.next(c.aend.TitleDocType) && r.next(c.aend.TitleDocStatus) &&
         r.expect(kIsoEnd);
}

void Apply(const SpringFileContent& c) {
  for (std::size_t i = 1; i <= 3; ++i) kwenvar.TitleLines[i] = c.TitleLines[i];
  Yebglob9& g = yebglob9;
  Qvaglob& q = qvaglob;
  g.BandWidth = c.BandWidth;
  g.BandThickness = c.BandThickness;
  q.OuterDiameter = c.OuterDiameter;
  q.InnerDiameter = c.InnerDiameter;
  q.BendingDiameter = c.BendingDiameter;
  q.StripLength = c.StripLength;
  g.MaterialNumber = c.MaterialNumber;
  g.DrawingName = c.DrawingName;
  g.DrawingNumber = c.DrawingNumber;
  g.DrawingName2 = c.DrawingName2;
  g.ShotPeened = c.ShotPeened;
  q.Travel1 = c.Travel1;
  q.Travel2 = c.Travel2;
  q.Force1 = c.Force1;
  q.Force2 = c.Force2;
  g.LoadType = c.LoadType;
  g.OperatingTemperature = c.OperatingTemperature;
  g.LoadFrequency = c.LoadFrequency;
  aendvar = c.aend;
  dokuvar = c.doku;
  wkwenvar.TitleBlockType = c.TitleBlockType;
}

}  // namespace

bool ReadSpringFile(const std::string& name) {
  const SpringState before = SpringState::Take();
  kwenvar.ErrorFlag = false;
  std::string fullName;
  AskReadFile(name, fullName);
  if (kwenvar.ErrorFlag) {
    // Cancelled or missing (told by the chooser): the current file stays the current one.
    before.Restore();
    kwenvar.ErrorFlag = true;
    return false;
  }

  auto refuse = [&](const std::string& message) {
    before.Restore();
    kwenvar.ErrorFlag = true;
    ReportError(message);
    return false;
  };

  AssignText(ShareTextFile, fullName);
  if (!ShareTextFile.Reset()) {
    return refuse("Datei " + NameForMessage(fullName) + " nicht gefunden oder kein Zugriffsrecht !");
  }
  SpringFileContent content;
  content.aend = aendvar;  // slots beyond the stored counts keep their texts
  content.doku = dokuvar;
  LineReader r;
  const bool ok = ReadHeader(r, content) && ReadInputs(r, content) && ReadChangeBlock(r, content) &&
                  ReadDocumentBlock(r, content) && ReadIsoBlock(r, content);
  ShareTextFile.Close();
  if (!ok) {
    return refuse("Datei " + NameForMessage(fullName) + " fehlerhaft, Zeile " + IntStr(r.faultLine()) + ": " +
                  r.what() + " - nicht eingelesen !");
  }

  Apply(content);
  if (!LoadMaterialByNumber(content.MaterialNumber, true)) {
    return refuse("Werkstoff Nr. " + IntStr(content.MaterialNumber) + " der Datei " + NameForMessage(fullName) +
                  " nicht in der Werkstofftabelle - nicht eingelesen !");
  }
  CalcSpring();
  return true;
}

}  // namespace qorva
