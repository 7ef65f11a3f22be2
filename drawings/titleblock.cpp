#include "drawings/titleblock.h"

#include <algorithm>
#include <cstdint>
#include <span>

#include "foundation/cadsettings.h"
#include "foundation/programstate.h"
#include "foundation/machinefacts.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "graphics/cadkernel.h"

namespace qorva {

TitleBlock titleBlock;

void InitTitleBlock() { titleBlock = TitleBlock{}; }

namespace {

// Code page 437: 0x8E is "Ä", 0x84 "ä".
constexpr const char* kAend = "\x8E" "nd.";
constexpr const char* kAenderung = "\x8E" "nderung";
constexpr const char* kTitleLabel = "Titel, Zus\x84tzlicher Titel";

bool IsoType(int32_t type) { return type == 1 || type == 2; }
bool DinType(int32_t type) { return type == 0 || type == 3; }

void Style(long double h, long double w) { CadTextStyle(2, 0, h, w); }
void Fitted(const std::string& text, long double h, long double w, long double available, long double x,
            long double y) {
  CadTextStyleFit(2, text, 0, h, w, available);
  CadText(text, x, y);
}
void Line(long double x1, long double y1, long double x2, long double y2) { CadLine(x1, y1, x2, y2); }

// A user block file, where the kernel reads it back.
bool BlockFileExists(const std::string& name) { return !UserBlockFile(name).empty(); }

// Blocks from files can only be read back by the screen and handed on to the plot program.
bool BlockOutput() { return CadOutputTakesUserBlocks(); }

// First record shown: only the last 8 changes fit.
int32_t FirstShownChange(const DrawingData& d) {
  const int32_t count = std::min<int32_t>(d.ChangeCount, MaxChangeRecords);
  return count > 8 ? count - 7 : 1;
}

int32_t ShownChangeCount(const DrawingData& d) { return std::min<int32_t>(d.ChangeCount, MaxChangeRecords); }

// A table row holds one line: breaks in a description become blanks.
std::string OneLine(const std::string& s) {
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
    r += (c == '\r' || c == '\n') ? ' ' : c;
  }
  return r;
}

std::string RevisionLetter(const DrawingData& d) {
  return std::string(1, static_cast<char>(65 + ShownChangeCount(d)));
}

// The layouts are tables of steps in drawing order: colours, text styles, lines and boxes, fixed
// texts and the places of the texts that come from the drawing. Places are in mm from the block's
// lower-left corner.
enum class Op : uint8_t { Color, Style, Box, Line, Label, Value, ValueIfSet, Fit, Part, ChangeRows };

// Where a text comes from.
enum class Field : uint8_t {
  None, Name, Name2, Number, Revision, IssueDate, Language, Release, Owner,
  Department, StandardBy, DrawnBy, CheckedBy, DocType, DocStatus, DrawnDate, CheckedDate,
  StandardDate, Row4Date, Row4Name, Replaces, ReplacedBy,
};

// Which forms of the DIN block a step belongs to: type 3 is the full form, every other type the
// minimal one; only the types 0 and 3 have an outline.
enum class When : uint8_t { Always, Full, Min, Outlined, MinOutlined };

struct Step {
  Op op = Op::Color;
  long double x = 0, y = 0;    // Line: from; Box: corner; texts: place
  long double x2 = 0, y2 = 0;  // Line: to; Box: opposite corner
  long double h = 0, w = 0;    // text height and character width (Style, Fit)
  long double width = 0;       // Fit: the room the text is fitted into
  int32_t color = 0;
  const char* text = "";       // Label: the text; ValueIfSet: put before the value
  Field field = Field::None;
  When when = When::Always;
  std::span<const Step> part;  // Part: steps shared by several layouts
};

constexpr Step C(int32_t color, When when = When::Always) {
  Step s;
  s.op = Op::Color, s.color = color, s.when = when;
  return s;
}
constexpr Step S(long double h, long double w) {
  Step s;
  s.op = Op::Style, s.h = h, s.w = w;
  return s;
}
constexpr Step B(long double x2, long double y2, When when) {
  Step s;
  s.op = Op::Box, s.x2 = x2, s.y2 = y2, s.when = when;
  return s;
}
constexpr Step L(long double x, long double y, long double x2, long double y2, When when = When::Always) {
  Step s;
  s.op = Op::Line, s.x = x, s.y = y, s.x2 = x2, s.y2 = y2, s.when = when;
  return s;
}
constexpr Step T(const char* text, long double x, long double y) {
  Step s;
  s.op = Op::Label, s.x = x, s.y = y, s.text = text;
  return s;
}
constexpr Step V(Field field, long double x, long double y) {
  Step s;
  s.op = Op::Value, s.x = x, s.y = y, s.field = field;
  return s;
}
constexpr Step VIfSet(const char* prefix, Field field, long double x, long double y) {
  Step s = V(field, x, y);
  s.op = Op::ValueIfSet, s.text = prefix;
  return s;
}
constexpr Step F(Field field, long double h, long double w, long double width, long double x, long double y) {
  Step s = V(field, x, y);
  s.op = Op::Fit, s.h = h, s.w = w, s.width = width;
  return s;
}
constexpr Step P(std::span<const Step> part) {
  Step s;
  s.op = Op::Part, s.part = part;
  return s;
}
constexpr Step ChangeRows() {
  Step s;
  s.op = Op::ChangeRows;
  return s;
}

// The ISO forms share their lower right corner: revision, issue date, language and sheet, beside the
// names and the drawing number.
constexpr Step kIsoIssueLines[] = {
    L(128, 9, 180, 9), L(136, 0, 136, 9), L(160, 0, 160, 9), L(170, 0, 170, 9),
};
constexpr Step kIsoIssueLabelsAndNames[] = {
    T(kAend, 129, 6.5L), T("Ausgabedatum", 137, 6.5L), T("Spr.", 161, 6.5L), T("Blatt", 171, 6.5L),
    C(5),
    F(Field::Number, 3.5L, 2.8L, 48, 130, 12),
    F(Field::Name, 3.5L, 2.8L, 50, 76, 8.5L),
    C(4),
    F(Field::Name2, 2.5L, 1.8L, 50, 76, 2.5L),
    S(2.5L, 1.8L),
};
constexpr Step kIsoIssueValues[] = {
    V(Field::Revision, 130, 2), V(Field::IssueDate, 138, 2), V(Field::Language, 162, 2),
};

// ISO 7200, figure 2: 180 x 36.
constexpr Step kIsoFig2[] = {
    C(5), B(180, 36, When::Always),
    C(3), L(74, 0, 74, 36), L(0, 27, 180, 27), L(74, 18, 180, 18), L(128, 0, 128, 27),
    P(kIsoIssueLines),
    L(31, 27, 31, 36), L(116, 27, 116, 36), L(158, 27, 158, 36),
    S(1.6L, 1.3L), C(3),
    T("Verantwortl. Abt.", 1, 33.5L), T("Technische Referenz", 32, 33.5L), T("Erstellt durch", 75, 33.5L),
    T("Genehmigt von", 117, 33.5L), T("Dokumentenart", 75, 24.5L), T("Dokumentenstatus", 129, 24.5L),
    T(kTitleLabel, 75, 15.5L),
    P(kIsoIssueLabelsAndNames),
    V(Field::Department, 2, 29), V(Field::StandardBy, 33, 29), V(Field::DrawnBy, 76, 29), V(Field::CheckedBy, 118, 29),
    P(kIsoIssueValues),
    V(Field::DocType, 76, 20), V(Field::DocStatus, 130, 20),
};

// ISO 7200, figure 1: 180 x 27.
constexpr Step kIsoFig1[] = {
    C(5), B(180, 27, When::Always),
    C(3), L(74, 0, 74, 27), L(0, 18, 180, 18), L(128, 0, 128, 18),
    P(kIsoIssueLines),
    L(31, 0, 31, 27), L(135, 18, 135, 27), L(31, 9, 74, 9),
    S(1.6L, 1.3L), C(3),
    T("Verantwortl. Abt.", 1, 24.5L), T("Technische Referenz", 32, 24.5L), T("Dokumentenart", 75, 24.5L),
    T("Dokumentenstatus", 136, 24.5L), T("Erstellt durch", 32, 15.5L), T(kTitleLabel, 75, 15.5L),
    T("Genehmigt von", 32, 6.5L),
    P(kIsoIssueLabelsAndNames),
    V(Field::DrawnBy, 33, 11), V(Field::CheckedBy, 33, 2), V(Field::Department, 2, 20), V(Field::StandardBy, 33, 20),
    V(Field::DocType, 76, 20), V(Field::DocStatus, 138, 20),
    P(kIsoIssueValues),
};

// DIN 6771: 187.2 x 55.25 in full (type 3), 187.2 x 38.25 without the upper strip.
constexpr Step kDin[] = {
    C(5, When::Outlined), B(187.2L, 55.25L, When::Full), B(187.2L, 38.25L, When::MinOutlined),
    C(4), L(0, 4.25L, 187.2L, 4.25L), L(54.6L, 17, 187.2L, 17),
    L(98.8L, 48.875L, 187.2L, 48.875L, When::Full), L(0, 38.25L, 187.2L, 38.25L, When::Full),
    L(54.6L, 0, 54.6L, 55.25L, When::Full), L(54.6L, 0, 54.6L, 38.25L, When::Min),
    L(98.8L, 0, 98.8L, 55.25L, When::Full), L(98.8L, 0, 98.8L, 38.25L, When::Min),
    C(3), L(174.2L, 8.5L, 187.2L, 8.5L),
    L(7.8L, 0, 7.8L, 38.25L), L(33.8L, 0, 33.8L, 38.25L), L(46.8L, 0, 46.8L, 38.25L),
    L(65, 17, 65, 38.25L), L(143, 0, 143, 4.25L),
    L(80.6L, 17, 80.6L, 55.25L, When::Full), L(150.8L, 48.875L, 150.8L, 55.25L, When::Full),
    L(80.6L, 17, 80.6L, 38.25L, When::Min),
    L(174.2L, 4.25L, 174.2L, 17),
    // the change rows on the left, the approval rows beside them
    L(0, 8.5L, 54.6L, 8.5L), L(0, 12.75L, 54.6L, 12.75L), L(0, 17, 54.6L, 17), L(0, 21.25L, 54.6L, 21.25L),
    L(0, 25.5L, 54.6L, 25.5L), L(0, 29.75L, 54.6L, 29.75L), L(0, 34, 54.6L, 34),
    L(54.6L, 21.25L, 98.8L, 21.25L), L(54.6L, 25.5L, 98.8L, 25.5L), L(54.6L, 29.75L, 98.8L, 29.75L),
    L(54.6L, 34, 98.8L, 34),
    S(1.6L, 1.3L),
    T("Zust.", 1, 1), T(kAenderung, 8.8L, 1), T("Datum", 34.8L, 1), T("Name", 47.8L, 1),
    S(1.8L, 1.5L),
    T("Datum", 66, 35), T("Name", 81.6L, 35), T("Bearb.", 55.6L, 30.75L), T("Gepr.", 55.6L, 26.5L),
    T("Norm", 55.6L, 22.25L), V(Field::Release, 55.6L, 18),
    S(1.8L, 1.5L), C(3),
    V(Field::DrawnDate, 66, 30.75L), V(Field::DrawnBy, 81.6L, 30.75L),
    V(Field::CheckedDate, 66, 26.5L), V(Field::CheckedBy, 81.6L, 26.5L),
    V(Field::StandardDate, 66, 22.25L), V(Field::StandardBy, 81.6L, 22.25L),
    V(Field::Row4Date, 66, 18), V(Field::Row4Name, 81.6L, 18),
    VIfSet("Ersatz f\x81r ", Field::Replaces, 99.8L, 1), VIfSet("Ersetzt durch ", Field::ReplacedBy, 144, 1),
    ChangeRows(),
    S(1.5L, 1.2L), C(3), V(Field::Owner, 55.6L, 1),
    C(5), F(Field::Name, 5, 4, 84, 100.8L, 28.625L), F(Field::Number, 5, 4, 71, 100.8L, 7.375L),
    C(4), F(Field::Name2, 3.5L, 2.8L, 84, 100.8L, 20.125L),
};

bool Applies(When when, int32_t type) {
  switch (when) {
    case When::Always:
      return true;
    case When::Full:
      return type == 3;
    case When::Min:
      return type != 3;
    case When::Outlined:
      return DinType(type);
    case When::MinOutlined:
      return type == 0;
  }
  return false;
}

// The names of the drawing handed to the block.
// What the fields of a block show: the names of the spring and its drawing data.
struct Names {
  const std::string& name;
  const std::string& name2;
  const std::string& number;
  const DrawingData& drawing;
};

std::string FieldText(Field field, const Names& names) {
  const DrawingData& d = names.drawing;
  switch (field) {
    case Field::None: return {};
    case Field::Name: return names.name;
    case Field::Name2: return names.name2;
    case Field::Number: return names.number;
    case Field::Revision: return RevisionLetter(d);
    case Field::IssueDate: return DateStrIso();
    case Field::Language: return "de";
    case Field::Release: return cadSettings.ReleaseField;
    case Field::Owner: return titleBlock.OwnerText;
    case Field::Department: return d.TitleDepartment;
    case Field::StandardBy: return d.TitleStandardBy;
    case Field::DrawnBy: return d.TitleDrawnBy;
    case Field::CheckedBy: return d.TitleCheckedBy;
    case Field::DocType: return d.TitleDocType;
    case Field::DocStatus: return d.TitleDocStatus;
    case Field::DrawnDate: return d.TitleDrawnDate;
    case Field::CheckedDate: return d.TitleCheckedDate;
    case Field::StandardDate: return d.TitleStandardDate;
    case Field::Row4Date: return d.TitleRow4Date;
    case Field::Row4Name: return d.TitleRow4Name;
    case Field::Replaces: return d.TitleReplaces;
    case Field::ReplacedBy: return d.TitleReplacedBy;
  }
  return {};
}

// The last changes in the rows of the DIN block.
void DinChangeRows(const DrawingData& d) {
  if (d.ChangeCount <= 0) return;
  Style(1.7L, 1.3L);
  CadSetColor(3);
  const int32_t first = FirstShownChange(d);
  for (int32_t i = first; i <= ShownChangeCount(d); ++i) {
    const long double y = 4.25L * static_cast<long double>(i - first + 1) + 1;
    const ChangeRecord& r = d.ChangeRecords[static_cast<size_t>(i)];
    CadText(ChangeIndexText(i), 1, y);
    CadText(r.ChangeIndex, 8.8L, y);
    CadText(r.Date, 34.8L, y);
    CadText(r.Editor, 47.8L, y);
  }
}

void DrawLayout(std::span<const Step> steps, int32_t type, const Names& names) {
  for (const Step& s : steps) {
    if (!Applies(s.when, type)) continue;
    switch (s.op) {
      case Op::Color:
        CadSetColor(s.color);
        break;
      case Op::Style:
        Style(s.h, s.w);
        break;
      case Op::Box:
        CadRectangle(s.x, s.y, s.x2, s.y2);
        break;
      case Op::Line:
        Line(s.x, s.y, s.x2, s.y2);
        break;
      case Op::Label:
        CadText(s.text, s.x, s.y);
        break;
      case Op::Value:
        CadText(FieldText(s.field, names), s.x, s.y);
        break;
      case Op::ValueIfSet:
        if (const std::string v = FieldText(s.field, names); !v.empty()) CadText(s.text + v, s.x, s.y);
        break;
      case Op::Fit:
        Fitted(FieldText(s.field, names), s.h, s.w, s.width, s.x, s.y);
        break;
      case Op::Part:
        DrawLayout(s.part, type, names);
        break;
      case Op::ChangeRows:
        DinChangeRows(names.drawing);
        break;
    }
  }
}

void DrawOwnerField(int32_t type) {
  if (cadSettings.DwgNoLogo) return;
  CadSetColor(5);
  if (BlockOutput() && BlockFileExists("logo_1")) {
    if (type == 1)
      CadInsertBlockOffset("logo_1", 2, 4, 0, 0.7L, 0.9L);
    else if (type == 2)
      CadInsertBlockOffset("logo_1", 3, 4, 0, 1.75L, 1.75L);
    else
      CadInsertBlockOffset("logo_1", 57, 5, 0, 1, 1);
    return;
  }
  CadSetColor(4);
  // The DIN block carries the owner text already.
  if (type == 1) {
    CadTextStyleFit(0, titleBlock.OwnerText, 0, 11, 8, 29);
    CadText(titleBlock.OwnerText, 1.5L, 4);
  } else if (type == 2) {
    CadTextStyleFit(0, titleBlock.OwnerText, 0, 19, 14, 72);
    CadText(titleBlock.OwnerText, 1.5L, 4);
  }
}

void InsertUserBlocks(const std::string& stem, int32_t format, long double y) {
  if (BlockFileExists(stem + "_0")) CadInsertBlockOffset(stem + "_0", 0, y, 0, 1, 1);
  std::string own;
  if (format == 4) own = stem + "_4";
  if (format == 3) own = stem + "_3";
  if (!own.empty() && BlockFileExists(own)) CadInsertBlockOffset(own, 0, y, 0, 1, 1);
}

long double HeadBlockHeight(const DrawingData& d, int32_t type) {
  switch (type) {
    case 0:
      return 38.25L;
    case 3:
      return 55.25L;
    case 1:
      return 27 + ChangeTableHeight(d);
    case 2:
      return 36 + ChangeTableHeight(d);
    default:
      return 0;
  }
}

}  // namespace

TitleBlockSize TitleBlockSizeFor(int32_t type) {
  switch (type) {
    case 0:
      return {187.2L, 38.25L};
    case 1:
      return {180, 27};
    case 2:
      return {180, 36};
    case 3:
      return {187.2L, 55.25L};
    default:
      return {};
  }
}

bool TitleBlockOrigin(int32_t format, long double& x, long double& y) {
  if (format != 3 && format != 4) return false;
  const bool a3 = format == 3;
  if (IsoType(desktopSettings.TitleBlockType)) {
    if (desktopSettings.FrameMargin != 0) {
      x = a3 ? 230 : 20, y = 10;
    } else {
      x = a3 ? 235 : 25, y = 5;
    }
  } else {
    // The DIN origin also serves unknown types, which draw the DIN form.
    x = a3 ? 227.8L : 17.9L, y = 5;
  }
  return true;
}

long double ChangeTableHeight(const DrawingData& d) {
  if (!cadSettings.DwgShowChanges || d.ChangeCount == 0) return 0;
  return static_cast<long double>(std::min<int32_t>(8, ShownChangeCount(d)) + 1) * 3.5L;
}

std::string ChangeIndexText(int32_t n) {
  switch (desktopSettings.ChangeIndexStyle) {
    case 0:
      return std::string(1, static_cast<char>(n + 96));
    case 1:
      return IntStr(n);
    case 2:
      return std::string(1, static_cast<char>(n + 64));
    default:
      return {};
  }
}

void DrawTitleBlock(const DrawingData& d, int32_t format, const std::string& name, const std::string& name2,
                    const std::string& number) {
  long double ox = 0;
  long double oy = 0;
  if (TitleBlockOrigin(format, ox, oy)) CadSetOrigin(ox, oy);
  const int32_t type = desktopSettings.TitleBlockType;
  const Names names{name, name2, number, d};
  if (type == 2 || type == 1) {
    DrawLayout(type == 2 ? std::span<const Step>(kIsoFig2) : std::span<const Step>(kIsoFig1), type, names);
    if (cadSettings.DwgShowChanges && d.ChangeCount > 0) DrawChangeTable(d);
  } else {
    // Any other type gets the minimal DIN form without its outline.
    DrawLayout(kDin, type, names);
  }
  DrawOwnerField(type);
  if (cadSettings.DwgHeadBlocks && BlockOutput()) InsertUserBlocks("head", format, HeadBlockHeight(d, type));
  if (cadSettings.DwgInsertBlocks && BlockOutput()) InsertUserBlocks("insert", format, 0);
  CadSetOrigin(0, 0);
}

void DrawChangeTable(const DrawingData& d) {
  const long double y0 = desktopSettings.TitleBlockType == 1 ? 27 : 36;
  const int32_t n = std::min<int32_t>(8, ShownChangeCount(d));
  const long double rows = static_cast<long double>(n + 1) * 3.5L;
  CadSetColor(3);
  for (int32_t i = 1; i <= n + 1; ++i) CadHorzLine(0, y0 + 3.5L * i, 180);
  for (long double x : {0.0L, 8.0L, 25.0L, 40.0L, 70.0L}) CadVertLine(x, y0, rows);
  CadTextStyle(2, 0, 1.75L, 1.3125L);
  CadSetColor(3);
  CadText("Index", 1, y0 + 0.9L);
  CadText("Datum", 9, y0 + 0.9L);
  CadText("Name", 26, y0 + 0.9L);
  CadText(kAenderung, 41, y0 + 0.9L);
  CadText("Beschreibung", 71, y0 + 0.9L);
  if (d.ChangeCount == 0) return;
  const int32_t first = FirstShownChange(d);
  for (int32_t i = first; i <= ShownChangeCount(d); ++i) {
    const long double y = y0 + 3.5L * static_cast<long double>(i - first + 1) + 0.9L;
    const ChangeRecord& r = d.ChangeRecords[static_cast<size_t>(i)];
    CadText(ChangeIndexText(i), 1, y);
    CadText(r.Date, 9, y);
    CadText(r.Editor, 26, y);
    CadText(r.ChangeIndex, 41, y);
    CadText(OneLine(r.Description), 71, y);
  }
}

}  // namespace qorva
