// springdatafile: writing and reading the spring data file.
#include "spring/springdatafile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "foundation/errorlist.h"
#include "foundation/filecheck.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/machinefacts.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "platform/sysname.h"
#include "spring/drawingdata.h"
#include "spring/documentlinks.h"
#include "spring/productdata.h"
#include "spring/calculation.h"
#include "spring/spring.h"
#include "spring/materialrecord.h"
#include "spring/familydata.h"

namespace qorva {

namespace {

const std::string kChangeHead = "\x8E" "NDERUNGEN";
const std::string kDocumentHead = "Dokumente";
const std::string kIsoHead = "ISO 7200 Header";
const std::string kIsoEnd = "---";
const std::string kMaterialHead = "Werkstoff";
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
// Whole values below 1 (0, -2, ...) are written short; every other value with 7 decimals.
std::string RealLine(long double x) {
  if (!std::isfinite(x)) x = 0;
  if (x < 1 && std::fabs(x - std::nearbyint(x)) < 1e-10L) return RealStr3Dot(x);
  return RealStrDecDot(7, x);
}
std::string FiniteStr3(long double x) { return RealStr3Dot(std::isfinite(x) ? x : 0); }
// Fields each followed by "|".
std::string BarFields(std::initializer_list<std::string> fields) {
  std::string line;
  for (const std::string& f : fields) line += f + "|";
  return line;
}

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
// The one field table of the file's single-value lines: it writes, reads and applies them.

namespace {

using RealRef = long double& (*)(Spring&);
using WordRef = uint16_t& (*)(Spring&);
using IntRef = int32_t& (*)(Spring&);
using TextRef = std::string& (*)(Spring&);
using CharRef = char& (*)(Spring&);
// A line that is always written as 0 and skipped on reading.
struct AlwaysZero {};

struct Field {
  std::variant<RealRef, WordRef, IntRef, TextRef, CharRef, AlwaysZero> ref;
  int32_t lo = 0, hi = 0;  // the range of a whole number
};

// The 19 inputs after the file header.
const std::array<Field, 19> kInputFields{{
    {[](Spring& s) -> long double& { return s.family.BandWidth; }},
    {[](Spring& s) -> long double& { return s.family.BandThickness; }},
    {[](Spring& s) -> long double& { return s.product.OuterDiameter; }},
    {[](Spring& s) -> long double& { return s.product.InnerDiameter; }},
    {[](Spring& s) -> long double& { return s.product.BendingDiameter; }},
    {[](Spring& s) -> long double& { return s.product.StripLength; }},
    {[](Spring& s) -> uint16_t& { return s.family.MaterialNumber; }, 0, 65535},
    {[](Spring& s) -> std::string& { return s.family.DrawingName; }},
    {[](Spring& s) -> std::string& { return s.family.DrawingNumber; }},
    {[](Spring& s) -> std::string& { return s.family.DrawingName2; }},
    {[](Spring& s) -> char& { return s.family.ShotPeened; }},
    {[](Spring& s) -> long double& { return s.product.Travel1; }},
    {[](Spring& s) -> long double& { return s.product.Travel2; }},
    {AlwaysZero{}},
    {[](Spring& s) -> long double& { return s.product.Force1; }},
    {[](Spring& s) -> long double& { return s.product.Force2; }},
    {[](Spring& s) -> uint16_t& { return s.family.LoadType; }, 1, 2},
    {[](Spring& s) -> long double& { return s.family.OperatingTemperature; }},
    {[](Spring& s) -> long double& { return s.family.LoadFrequency; }},
}};

// The four lines of the drawing information after the eight-field line.
const std::array<Field, 4> kDrawnFields{{
    {[](Spring& s) -> std::string& { return s.drawing.TitleDrawnDate; }},
    {[](Spring& s) -> std::string& { return s.drawing.TitleReplaces; }},
    {[](Spring& s) -> std::string& { return s.drawing.TitleReplacedBy; }},
    {[](Spring& s) -> std::string& { return s.drawing.TitleDrawnBy; }},
}};

// The title-block header block between its head and "---".
const std::array<Field, 5> kIsoFields{{
    {[](Spring& s) -> int32_t& { return s.TitleBlockType; }, std::numeric_limits<int32_t>::min(),
     std::numeric_limits<int32_t>::max()},
    {[](Spring& s) -> int32_t& { return s.drawing.DrawingTextMode; }, 0, 3},
    {[](Spring& s) -> std::string& { return s.drawing.TitleDepartment; }},
    {[](Spring& s) -> std::string& { return s.drawing.TitleDocType; }},
    {[](Spring& s) -> std::string& { return s.drawing.TitleDocStatus; }},
}};

// The fields are read through references to a spring; writing only reads through them.
Spring& Mutable(const Spring& s) { return const_cast<Spring&>(s); }

template <std::size_t N>
void WriteFields(TextFile& f, const std::array<Field, N>& fields, const Spring& s) {
  for (const Field& field : fields) {
    std::visit(
        [&](auto ref) {
          using R = decltype(ref);
          if constexpr (std::is_same_v<R, RealRef>) {
            f.WriteLn(RealLine(ref(Mutable(s))));
          } else if constexpr (std::is_same_v<R, WordRef> || std::is_same_v<R, IntRef>) {
            f.WriteLn(IntStr(ref(Mutable(s))));
          } else if constexpr (std::is_same_v<R, TextRef>) {
            f.WriteLn(FileLineText(ref(Mutable(s))));
          } else if constexpr (std::is_same_v<R, CharRef>) {
            f.WriteLn(FileLineText(std::string(1, ref(Mutable(s)))));
          } else {
            f.WriteLn(RealLine(0));
          }
        },
        field.ref);
  }
}

// Copies the table's fields from one spring into another.
template <std::size_t N>
void ApplyFields(const std::array<Field, N>& fields, const Spring& from, Spring& to) {
  for (const Field& field : fields) {
    std::visit(
        [&](auto ref) {
          if constexpr (!std::is_same_v<decltype(ref), AlwaysZero>) ref(to) = ref(Mutable(from));
        },
        field.ref);
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Writing

namespace {

void WriteChangeBlock(TextFile& f, const Spring& s) {
  const DrawingData& a = s.drawing;
  const uint16_t count = std::min(a.ChangeCount, MaxChangeRecords);
  const uint16_t texts = std::min(a.DrawingTextCount, MaxDrawingTexts);
  f.WriteLn(kChangeHead);
  f.WriteLn(IntStr(count));
  f.WriteLn(kDash20);
  for (uint16_t i = 1; i <= count; ++i) {
    const ChangeRecord& r = a.ChangeRecords[i];
    f.WriteLn(FileLineText(r.ChangeIndex));
    f.WriteLn(FileLineText(r.Date));
    f.WriteLn(FileLineText(r.Editor));
    f.WriteLn(DescriptionToFileLine(r.Description));
    f.WriteLn(kDash14);
  }
  f.WriteLn(BarFields({FileFieldText(a.TitleCheckedDate), FileFieldText(a.TitleCheckedBy),
                       FileFieldText(a.TitleStandardDate), FileFieldText(a.TitleStandardBy),
                       FileFieldText(a.TitleRow4Date), FileFieldText(a.TitleRow4Name), IntStr(texts), ""}));
  WriteFields(f, kDrawnFields, s);
  for (uint16_t i = 1; i <= texts; ++i) {
    const DrawingTextRecord& t = a.DrawingTexts[i];
    f.WriteLn(BarFields({FiniteStr3(t.x), FiniteStr3(t.y), FiniteStr3(t.h), FiniteStr3(t.phi), FileFieldText(t.Text), ""}));
  }
}

void WriteDocumentBlock(TextFile& f, const Spring& s) {
  f.WriteLn(kDocumentHead);
  f.WriteLn(IntStr(DocumentLinkCount));
  f.WriteLn(kDash20);
  for (uint16_t i = 1; i <= DocumentLinkCount; ++i) {
    f.WriteLn(FileLineText(s.documents.DocumentLinks[i].Program));
    f.WriteLn(FileLineText(s.documents.DocumentLinks[i].File));
    f.WriteLn(kDash14);
  }
}

void WriteIsoBlock(TextFile& f, const Spring& s) {
  f.WriteLn(kIsoHead);
  WriteFields(f, kIsoFields, s);
  f.WriteLn(kIsoEnd);
}

// The material's designation after the last block, where readers of older versions have stopped.
void WriteMaterialBlock(TextFile& f, const Spring& s) {
  if (s.material.empty()) return;
  f.WriteLn(kMaterialHead);
  for (const std::string& t : s.material.texts) f.WriteLn(FileLineText(t));
  f.WriteLn(kIsoEnd);
}

}  // namespace

bool WriteSpring(TextFile& f, const Spring& s) {
  // The output-file header with the spring's title lines; a line break in one would shift every line
  // after it.
  const std::string rule(65, '-');
  std::string version;
  FileVersionStr("", version);  // the running program's own version
  f.WriteLn(rule);
  f.WriteLn(programState.ProgTitle + "   V " + version);
  f.WriteLn("Version " + programState.ProgVersion);
  f.WriteLn(rule);
  for (std::size_t i = 1; i <= 3; ++i) f.WriteLn(FileLineText(s.TitleLines[i]));
  WriteFields(f, kInputFields, s);
  WriteChangeBlock(f, s);
  WriteDocumentBlock(f, s);
  WriteIsoBlock(f, s);
  WriteMaterialBlock(f, s);
  return !f.Failed();
}

namespace {
// s as its file stores it: with the title-block type of the settings and the designation of its
// material record.
Spring AsSaved(const Spring& s) {
  Spring saved = s;
  saved.TitleBlockType = desktopSettings.TitleBlockType;
  saved.material = DesignationOf(s.family.MaterialRec);
  return saved;
}

// The current file as it stood before a read or a save: a read or save that does not happen puts
// it back, since the file dialog may already have moved the data folder or the name.
struct CurrentFilePlace {
  std::string name = programState.CurrentFileName;
  std::string dir = programState.DataDir;
  bool hasPath = programState.FileNameHasPath;
  // Puts the place back and sets ErrorFlag; false, for the caller to return.
  bool restore() const {
    programState.CurrentFileName = name;
    programState.DataDir = dir;
    programState.FileNameHasPath = hasPath;
    programState.ErrorFlag = true;
    return false;
  }
};
}  // namespace

void WriteChangeRecords(const Spring& s) { WriteChangeBlock(ShareTextFile, s); }
void WriteDocumentLinks(const Spring& s) { WriteDocumentBlock(ShareTextFile, s); }
void WriteIso7200Header(const Spring& s) { WriteIsoBlock(ShareTextFile, AsSaved(s)); }

bool WriteSpringFile(const Spring& s, const std::string& name) {
  const CurrentFilePlace before;

  programState.ErrorFlag = false;
  std::string fullName;
  AskSaveFile(name, fullName);
  if (programState.ErrorFlag) return before.restore();

  AssignText(ShareTextFile, fullName);
  RewriteChecked(ShareTextFile);
  if (programState.ErrorFlag) return before.restore();

  // The new file replaces the old one only when every line went out and the close succeeded.
  bool saved = WriteSpring(ShareTextFile, AsSaved(s)) && !programState.ErrorFlag;
  if (saved) {
    saved = ShareTextFile.Close();
  } else {
    ShareTextFile.Discard();
  }
  if (!saved) {
    ReportError("Fehler beim Schreiben von " + NameForMessage(fullName) + " - nicht gespeichert !");
    return before.restore();
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Reading

namespace {

// The bytes of a file, read in one go: a spring data file is small, and the file table reads
// thousands of them. Longer than any spring data file can be: no spring data file.
constexpr std::size_t kMaxSpringFileSize = std::size_t{1} << 20;

enum class FileRead { Ok, Missing, NotAFile, TooLarge, Error };

FileRead ReadWholeFile(const std::string& path, std::string& bytes, int64_t& modified) {
  // Without waiting: a pipe or device of that name is no spring file.
  constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
  int fd = SysOpen(path, kFlags);
  if (fd < 0) fd = SysOpen(ResolveFileCase(path), kFlags);  // as the text files find names
  if (fd < 0) return FileRead::Missing;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return FileRead::NotAFile;
  }
  modified = static_cast<int64_t>(st.st_mtime);
  // Read straight into the text, and stop at the size the file has: no further call to find the end.
  const auto size = static_cast<std::size_t>(std::max<off_t>(st.st_size, 0));
  if (size > kMaxSpringFileSize) {
    ::close(fd);
    return FileRead::TooLarge;
  }
  bytes.assign(size > 0 ? size : 4096, '\0');
  std::size_t have = 0;
  FileRead result = FileRead::Ok;
  for (;;) {
    if (have == bytes.size()) {
      if (size > 0 && have == size) break;  // all the file said it holds
      if (bytes.size() >= kMaxSpringFileSize) {
        result = FileRead::TooLarge;
        break;
      }
      bytes.resize(std::min(bytes.size() * 2, kMaxSpringFileSize));
    }
    const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      result = FileRead::Error;
      break;
    }
    if (n == 0) break;
    have += static_cast<std::size_t>(n);
  }
  bytes.resize(have);
  ::close(fd);
  return result;
}

// Reads the lines of a file's bytes as the text files read them (CR LF or LF, the DOS end-of-file
// mark ^Z ends the file) and remembers the first fault with its line number.
class LineReader {
 public:
  explicit LineReader(std::string_view bytes) : data_(bytes) {}
  bool ok() const { return what_.empty(); }
  int faultLine() const { return faultLine_; }
  const std::string& what() const { return what_; }
  bool atEnd() const { return pos_ >= data_.size() || data_[pos_] == kEofMark; }

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
    ++line_;
    if (atEnd()) return fail("Datei endet vorzeitig");
    std::size_t end = pos_;
    while (end < data_.size() && data_[end] != '\n' && data_[end] != kEofMark) ++end;
    s.assign(data_.substr(pos_, end - pos_));
    pos_ = end < data_.size() && data_[end] == '\n' ? end + 1 : end;
    if (!s.empty() && s.back() == '\r') s.pop_back();
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

  std::string_view data_;
  std::size_t pos_ = 0;
  int line_ = 0;
  int faultLine_ = 0;
  std::string what_;
};

template <std::size_t N>
bool ReadFields(LineReader& r, const std::array<Field, N>& fields, Spring& s) {
  for (const Field& field : fields) {
    const bool ok = std::visit(
        [&](auto ref) -> bool {
          using R = decltype(ref);
          if constexpr (std::is_same_v<R, RealRef>) {
            return r.real(ref(s));
          } else if constexpr (std::is_same_v<R, WordRef> || std::is_same_v<R, IntRef>) {
            int32_t v = 0;
            if (!r.integer(v, field.lo, field.hi)) return false;
            ref(s) = static_cast<std::remove_reference_t<decltype(ref(s))>>(v);
            return true;
          } else if constexpr (std::is_same_v<R, TextRef>) {
            return r.next(ref(s));
          } else if constexpr (std::is_same_v<R, CharRef>) {
            std::string line;
            if (!r.next(line)) return false;
            ref(s) = line.empty() ? ' ' : line[0];
            return true;
          } else {
            long double unused = 0;
            return r.real(unused);
          }
        },
        field.ref);
    if (!ok) return false;
  }
  return true;
}

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

bool ReadHeader(LineReader& r, Spring& s) {
  std::string line;
  auto isRule = [](const std::string& l) { return !l.empty() && l.find_first_not_of('-') == std::string::npos; };
  if (!r.next(line)) return false;
  if (!isRule(line)) return r.fail("keine Federdatei (Dateikopf fehlt)");
  if (!r.next(line) || !r.next(line) || !r.next(line)) return false;
  if (!isRule(line)) return r.fail("keine Federdatei (Dateikopf fehlt)");
  for (std::size_t i = 1; i <= 3; ++i) {
    if (!r.next(s.TitleLines[i])) return false;
  }
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

bool ReadChangeBlock(LineReader& r, Spring& s) {
  DrawingData& a = s.drawing;
  int32_t count = 0;
  if (!r.expect(kChangeHead) || !r.integer(count, 0, MaxChangeRecords) || !r.expect(kDash20)) return false;
  a.ChangeCount = static_cast<uint16_t>(count);
  for (int32_t i = 1; i <= count; ++i) {
    ChangeRecord& rec = a.ChangeRecords[static_cast<std::size_t>(i)];
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
  a.TitleCheckedDate = f[0];
  a.TitleCheckedBy = f[1];
  a.TitleStandardDate = f[2];
  a.TitleStandardBy = f[3];
  a.TitleRow4Date = f[4];
  a.TitleRow4Name = f[5];
  a.DrawingTextCount = static_cast<uint16_t>(texts);
  if (!ReadFields(r, kDrawnFields, s)) return false;
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
    DrawingTextRecord& t = a.DrawingTexts[static_cast<std::size_t>(i)];
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

bool ReadDocumentBlock(LineReader& r, Spring& s) {
  int32_t count = 0;
  if (!r.expect(kDocumentHead) || !r.integer(count, 0, DocumentLinkCount) || !r.expect(kDash20)) return false;
  for (int32_t i = 1; i <= count; ++i) {
    DocumentLink& d = s.documents.DocumentLinks[static_cast<std::size_t>(i)];
    if (!r.next(d.Program) || !r.next(d.File) || !r.expect(kDash14)) return false;
  }
  return true;
}

bool ReadIsoBlock(LineReader& r, Spring& s) {
  return r.expect(kIsoHead) && ReadFields(r, kIsoFields, s) && r.expect(kIsoEnd);
}

// The designation after the last block; a file of an older version ends before it, and whatever
// else may follow there is not the program's.
void ReadMaterialBlock(LineReader& r, Spring& s) {
  s.material = MaterialDesignation{};
  std::string line;
  if (r.atEnd() || !r.next(line) || line != kMaterialHead) return;
  MaterialDesignation d;
  for (std::string& t : d.texts)
    if (!r.next(t)) return;
  if (!r.expect(kIsoEnd)) return;
  s.material = d;
}

}  // namespace

namespace {
void ReadSpringInto(const std::string& path, SpringFileRead& out);
void ParseSpringInto(std::string_view bytes, const std::string& name, SpringFileRead& out);
}  // namespace

SpringFileRead ReadSpringText(const std::string& bytes, const std::string& name, const Spring& base) {
  SpringFileRead out;
  out.spring = base;
  out.spring.material = MaterialDesignation{};
  ParseSpringInto(bytes, name, out);
  return out;
}

SpringFileRead ReadSpring(const std::string& path, const Spring& base) {
  SpringFileRead out;
  out.spring = base;
  out.spring.material = MaterialDesignation{};
  ReadSpringInto(path, out);
  return out;
}

SpringFileRead ReadSpring(const std::string& path) {
  SpringFileRead out;
  ReadSpringInto(path, out);
  return out;
}

namespace {

void ReadSpringInto(const std::string& path, SpringFileRead& out) {
  std::string bytes;
  switch (ReadWholeFile(path, bytes, out.modified)) {
    case FileRead::Ok:
      break;
    case FileRead::Missing:
      out.error = "Datei " + NameForMessage(path) + " nicht gefunden oder kein Zugriffsrecht !";
      out.notAFile = true;
      return;
    case FileRead::NotAFile:
      out.error = "Datei " + NameForMessage(path) + " ist keine Federdatei - nicht eingelesen !";
      out.notAFile = true;
      return;
    case FileRead::TooLarge:
      out.error = "Datei " + NameForMessage(path) + " ist keine Federdatei (zu gro\xE1) - nicht eingelesen !";
      return;
    case FileRead::Error:
      out.error = "Datei " + NameForMessage(path) + " fehlerhaft: Lesefehler - nicht eingelesen !";
      return;
  }
  ParseSpringInto(bytes, path, out);
}

void ParseSpringInto(std::string_view bytes, const std::string& name, SpringFileRead& out) {
  LineReader r(bytes);
  Spring& s = out.spring;
  const bool ok = ReadHeader(r, s) && ReadFields(r, kInputFields, s) && ReadChangeBlock(r, s) &&
                  ReadDocumentBlock(r, s) && ReadIsoBlock(r, s);
  if (ok) ReadMaterialBlock(r, s);
  if (!ok) {
    out.error = "Datei " + NameForMessage(name) + " fehlerhaft, Zeile " + IntStr(r.faultLine()) + ": " + r.what() +
                " - nicht eingelesen !";
  }
}

}  // namespace

void ApplySpringFile(const Spring& read, Spring& current) {
  current.TitleLines = read.TitleLines;
  ApplyFields(kInputFields, read, current);
  // The change records and drawing texts up to their counts; slots beyond keep their texts.
  DrawingData& a = current.drawing;
  const DrawingData& from = read.drawing;
  a.ChangeCount = from.ChangeCount;
  for (uint16_t i = 1; i <= from.ChangeCount; ++i) a.ChangeRecords[i] = from.ChangeRecords[i];
  a.DrawingTextCount = from.DrawingTextCount;
  for (uint16_t i = 1; i <= from.DrawingTextCount; ++i) a.DrawingTexts[i] = from.DrawingTexts[i];
  a.TitleCheckedDate = from.TitleCheckedDate;
  a.TitleCheckedBy = from.TitleCheckedBy;
  a.TitleStandardDate = from.TitleStandardDate;
  a.TitleStandardBy = from.TitleStandardBy;
  a.TitleRow4Date = from.TitleRow4Date;
  a.TitleRow4Name = from.TitleRow4Name;
  ApplyFields(kDrawnFields, read, current);
  ApplyFields(kIsoFields, read, current);
  current.documents = read.documents;
  current.material = read.material;
}

MaterialFind FindSpringMaterial(const MaterialCatalog& catalog, const Spring& s, uint32_t& number) {
  number = s.family.MaterialNumber;
  const MaterialRecord* rec = catalog.byNumber(number);
  if (s.material.empty()) return rec ? MaterialFind::Found : MaterialFind::Missing;
  if (rec && catalog.designationOf(number) == s.material) return MaterialFind::Found;
  number = catalog.numberOf(s.material);
  if (number > 0) return MaterialFind::Moved;
  number = s.family.MaterialNumber;
  return MaterialFind::Missing;
}

bool TakeOverSpring(Spring& s, const SpringFileRead& read, const std::string& name) {
  const ErrorList errors = errorList;
  const bool fatal = programState.FatalError;
  auto refuse = [&](const std::string& message) {
    errorList = errors;
    programState.FatalError = fatal;
    programState.ErrorFlag = true;
    ReportError(message);
    return false;
  };
  if (!read.ok()) return refuse(read.error);

  MaterialCatalog catalog;
  if (!catalog.load()) {
    return refuse("Werkstoff Nr. " + IntStr(read.spring.family.MaterialNumber) + " der Datei " + NameForMessage(name) +
                  " nicht in der Werkstofftabelle - nicht eingelesen !");
  }
  // s takes the spring over only once its material is settled.
  Spring spring = s;
  ApplySpringFile(read.spring, spring);
  uint32_t number = 0;
  const MaterialFind found = FindSpringMaterial(catalog, read.spring, number);
  if (found == MaterialFind::Missing) {
    const std::string stored = read.spring.material.empty()
                                   ? "Werkstoff Nr. " + IntStr(read.spring.family.MaterialNumber)
                                   : "Werkstoff " + DesignationText(read.spring.material) + " (Nr. " +
                                         IntStr(read.spring.family.MaterialNumber) + ")";
    const std::string missing = stored + " der Datei " + NameForMessage(name) + " nicht in der Werkstofftabelle";
    // The user may choose the material the spring is to have; nothing else is ever taken silently.
    ReportError(missing + " - bitte Werkstoff w\x84hlen !");
    programState.ErrorFlag = false;
    if (SelectMaterial(spring.family, 1) != MaterialChoice::Chosen) return refuse(missing + " - nicht eingelesen !");
  } else {
    spring.family.MaterialNumber = static_cast<uint16_t>(number);
    spring.family.MaterialRec = *catalog.byNumber(number);
    TakeOverMaterial(spring.family);
  }
  s = std::move(spring);
  desktopSettings.TitleBlockType = s.TitleBlockType;
  programState.ErrorFlag = false;
  CalcSpring(s);
  return true;
}

bool ReadSpringFile(Spring& s, const std::string& name) {
  const CurrentFilePlace before;

  programState.ErrorFlag = false;
  std::string fullName;
  AskReadFile(name, fullName);
  if (programState.ErrorFlag) return before.restore();  // cancelled or missing (told by the chooser)
  if (!TakeOverSpring(s, ReadSpring(fullName, s), fullName)) return before.restore();
  return true;
}

}  // namespace qorva
