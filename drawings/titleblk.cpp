#include "drawings/titleblk.h"

#include <algorithm>

#include "foundation/cad8var.h"
#include "foundation/kwenvar.h"
#include "foundation/utildos.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/wkwenvar.h"
#include "graphics/kwencad.h"
#include "spring/aendvar.h"

namespace qorva {

Titleblk titleblk;

void InitTitleblk() { titleblk = Titleblk{}; }

namespace {

// Code page 437: 0x8E is "Ä", 0x84 "ä".
const std::string kAend = "\x8E" "nd.";
const std::string kAenderung = "\x8E" "nderung";
const std::string kTitleLabel = "Titel, Zus\x84tzlicher Titel";

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
bool BlockOutput() { return cad8var.CadCode == 3 || cad8var.CadCode == 4; }

// First record shown: only the last 8 changes fit.
int32_t FirstShownChange() {
  const int32_t count = std::min<int32_t>(aendvar.ChangeCount, MaxChangeRecords);
  return count > 8 ? count - 7 : 1;
}

int32_t ShownChangeCount() { return std::min<int32_t>(aendvar.ChangeCount, MaxChangeRecords); }

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

std::string RevisionLetter() { return std::string(1, static_cast<char>(65 + ShownChangeCount())); }

// The ISO forms share their lower right corner: revision, issue date, language and sheet, beside the
// names and the drawing number.
void IsoIssueLines() {
  Line(128, 9, 180, 9);
  Line(136, 0, 136, 9);
  Line(160, 0, 160, 9);
  Line(170, 0, 170, 9);
}

void IsoIssueLabelsAndNames(const std::string& name, const std::string& name2, const std::string& number) {
  CadText(kAend, 129, 6.5L);
  CadText("Ausgabedatum", 137, 6.5L);
  CadText("Spr.", 161, 6.5L);
  CadText("Blatt", 171, 6.5L);
  CadSetColor(5);
  Fitted(number, 3.5L, 2.8L, 48, 130, 12);
  Fitted(name, 3.5L, 2.8L, 50, 76, 8.5L);
  CadSetColor(4);
  Fitted(name2, 2.5L, 1.8L, 50, 76, 2.5L);
  Style(2.5L, 1.8L);
}

void IsoIssueValues() {
  CadText(RevisionLetter(), 130, 2);
  CadText(DateStrIso(), 138, 2);
  CadText("de", 162, 2);
}

void DrawIsoFig2(const std::string& name, const std::string& name2, const std::string& number) {
  CadSetColor(5);
  CadRectangle(0, 0, 180, 36);
  CadSetColor(3);
  Line(74, 0, 74, 36);
  Line(0, 27, 180, 27);
  Line(74, 18, 180, 18);
  Line(128, 0, 128, 27);
  IsoIssueLines();
  Line(31, 27, 31, 36);
  Line(116, 27, 116, 36);
  Line(158, 27, 158, 36);
  Style(1.6L, 1.3L);
  CadSetColor(3);
  CadText("Verantwortl. Abt.", 1, 33.5L);
  CadText("Technische Referenz", 32, 33.5L);
  CadText("Erstellt durch", 75, 33.5L);
  CadText("Genehmigt von", 117, 33.5L);
  CadText("Dokumentenart", 75, 24.5L);
  CadText("Dokumentenstatus", 129, 24.5L);
  CadText(kTitleLabel, 75, 15.5L);
  IsoIssueLabelsAndNames(name, name2, number);
  CadText(aendvar.TitleDepartment, 2, 29);
  CadText(aendvar.TitleStandardBy, 33, 29);
  CadText(aendvar.TitleDrawnBy, 76, 29);
  CadText(aendvar.TitleCheckedBy, 118, 29);
  IsoIssueValues();
  CadText(aendvar.TitleDocType, 76, 20);
  CadText(aendvar.TitleDocStatus, 130, 20);
}

void DrawIsoFig1(const std::string& name, const std::string& name2, const std::string& number) {
  CadSetColor(5);
  CadRectangle(0, 0, 180, 27);
  CadSetColor(3);
  Line(74, 0, 74, 27);
  Line(0, 18, 180, 18);
  Line(128, 0, 128, 18);
  IsoIssueLines();
  Line(31, 0, 31, 27);
  Line(135, 18, 135, 27);
  Line(31, 9, 74, 9);
  Style(1.6L, 1.3L);
  CadSetColor(3);
  CadText("Verantwortl. Abt.", 1, 24.5L);
  CadText("Technische Referenz", 32, 24.5L);
  CadText("Dokumentenart", 75, 24.5L);
  CadText("Dokumentenstatus", 136, 24.5L);
  CadText("Erstellt durch", 32, 15.5L);
  CadText(kTitleLabel, 75, 15.5L);
  CadText("Genehmigt von", 32, 6.5L);
  IsoIssueLabelsAndNames(name, name2, number);
  CadText(aendvar.TitleDrawnBy, 33, 11);
  CadText(aendvar.TitleCheckedBy, 33, 2);
  CadText(aendvar.TitleDepartment, 2, 20);
  CadText(aendvar.TitleStandardBy, 33, 20);
  CadText(aendvar.TitleDocType, 76, 20);
  CadText(aendvar.TitleDocStatus, 138, 20);
  IsoIssueValues();
}

// The DIN forms; type 3 adds the upper strip. Any other type gets the type 0 form without its outline.
void DrawDin(int32_t type, const std::string& name, const std::string& name2, const std::string& number) {
  const bool full = type == 3;
  const long double top = full ? 55.25L : 38.25L;
  if (DinType(type)) {
    CadSetColor(5);
    CadRectangle(0, 0, 187.2L, top);
  }
  CadSetColor(4);
  Line(0, 4.25L, 187.2L, 4.25L);
  Line(54.6L, 17, 187.2L, 17);
  if (full) {
    Line(98.8L, 48.875L, 187.2L, 48.875L);
    Line(0, 38.25L, 187.2L, 38.25L);
  }
  Line(54.6L, 0, 54.6L, top);
  Line(98.8L, 0, 98.8L, top);
  CadSetColor(3);
  Line(174.2L, 8.5L, 187.2L, 8.5L);
  for (long double x : {7.8L, 33.8L, 46.8L}) Line(x, 0, x, 38.25L);
  Line(65, 17, 65, 38.25L);
  Line(143, 0, 143, 4.25L);
  if (full) {
    Line(80.6L, 17, 80.6L, 55.25L);
    Line(150.8L, 48.875L, 150.8L, 55.25L);
  } else {
    Line(80.6L, 17, 80.6L, 38.25L);
  }
  Line(174.2L, 4.25L, 174.2L, 17);
  for (int i = 2; i <= 8; ++i) Line(0, 4.25L * i, 54.6L, 4.25L * i);
  for (int i = 5; i <= 8; ++i) Line(54.6L, 4.25L * i, 98.8L, 4.25L * i);

  Style(1.6L, 1.3L);
  CadText("Zust.", 1, 1);
  CadText(kAenderung, 8.8L, 1);
  CadText("Datum", 34.8L, 1);
  CadText("Name", 47.8L, 1);
  Style(1.8L, 1.5L);
  CadText("Datum", 66, 35);
  CadText("Name", 81.6L, 35);
  CadText("Bearb.", 55.6L, 30.75L);
  CadText("Gepr.", 55.6L, 26.5L);
  CadText("Norm", 55.6L, 22.25L);
  CadText(cad8var.ReleaseField, 55.6L, 18);
  Style(1.8L, 1.5L);
  CadSetColor(3);
  CadText(aendvar.TitleDrawnDate, 66, 30.75L);
  CadText(aendvar.TitleDrawnBy, 81.6L, 30.75L);
  CadText(aendvar.TitleCheckedDate, 66, 26.5L);
  CadText(aendvar.TitleCheckedBy, 81.6L, 26.5L);
  CadText(aendvar.TitleStandardDate, 66, 22.25L);
  CadText(aendvar.TitleStandardBy, 81.6L, 22.25L);
  CadText(aendvar.TitleRow4Date, 66, 18);
  CadText(aendvar.TitleRow4Name, 81.6L, 18);
  if (!aendvar.TitleReplaces.empty()) CadText("Ersatz f\x81r " + aendvar.TitleReplaces, 99.8L, 1);
  if (!aendvar.TitleReplacedBy.empty()) CadText("Ersetzt durch " + aendvar.TitleReplacedBy, 144, 1);

  if (aendvar.ChangeCount > 0) {
    Style(1.7L, 1.3L);
    CadSetColor(3);
    const int32_t first = FirstShownChange();
    for (int32_t i = first; i <= ShownChangeCount(); ++i) {
      const long double y = 4.25L * static_cast<long double>(i - first + 1) + 1;
      const AendRecord& r = aendvar.ChangeRecords[static_cast<size_t>(i)];
      CadText(ChangeIndexText(i), 1, y);
      CadText(r.ChangeIndex, 8.8L, y);
      CadText(r.Date, 34.8L, y);
      CadText(r.Editor, 47.8L, y);
    }
  }
  Style(1.5L, 1.2L);
  CadSetColor(3);
  CadText(titleblk.OwnerText, 55.6L, 1);
  CadSetColor(5);
  Fitted(name, 5, 4, 84, 100.8L, 28.625L);
  Fitted(number, 5, 4, 71, 100.8L, 7.375L);
  CadSetColor(4);
  Fitted(name2, 3.5L, 2.8L, 84, 100.8L, 20.125L);
}

void DrawOwnerField(int32_t type) {
  if (cad8var.DwgNoLogo) return;
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
    CadTextStyleFit(0, titleblk.OwnerText, 0, 11, 8, 29);
    CadText(titleblk.OwnerText, 1.5L, 4);
  } else if (type == 2) {
    CadTextStyleFit(0, titleblk.OwnerText, 0, 19, 14, 72);
    CadText(titleblk.OwnerText, 1.5L, 4);
  }
}

void InsertUserBlocks(const std::string& stem, int32_t format, long double y) {
  if (BlockFileExists(stem + "_0")) CadInsertBlockOffset(stem + "_0", 0, y, 0, 1, 1);
  std::string own;
  if (format == 4) own = stem + "_4";
  if (format == 3) own = stem + "_3";
  if (!own.empty() && BlockFileExists(own)) CadInsertBlockOffset(own, 0, y, 0, 1, 1);
}

long double HeadBlockHeight(int32_t type) {
  switch (type) {
    case 0:
      return 38.25L;
    case 3:
      return 55.25L;
    case 1:
      return 27 + ChangeTableHeight();
    case 2:
      return 36 + ChangeTableHeight();
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
  if (IsoType(wkwenvar.TitleBlockType)) {
    if (wkwenvar.FrameMargin != 0) {
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

long double ChangeTableHeight() {
  if (!cad8var.DwgShowChanges || aendvar.ChangeCount == 0) return 0;
  return static_cast<long double>(std::min<int32_t>(8, ShownChangeCount()) + 1) * 3.5L;
}

std::string ChangeIndexText(int32_t n) {
  switch (wkwenvar.ChangeIndexStyle) {
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

void DrawTitleBlock(int32_t format, const std::string& name, const std::string& name2,
                    const std::string& number) {
  long double ox = 0;
  long double oy = 0;
  if (TitleBlockOrigin(format, ox, oy)) CadSetOrigin(ox, oy);
  const int32_t type = wkwenvar.TitleBlockType;
  if (type == 2 || type == 1) {
    if (type == 2)
      DrawIsoFig2(name, name2, number);
    else
      DrawIsoFig1(name, name2, number);
    if (cad8var.DwgShowChanges && aendvar.ChangeCount > 0) DrawChangeTable();
  } else {
    DrawDin(type, name, name2, number);
  }
  DrawOwnerField(type);
  if (cad8var.DwgHeadBlocks && BlockOutput()) InsertUserBlocks("head", format, HeadBlockHeight(type));
  if (cad8var.DwgInsertBlocks && BlockOutput()) InsertUserBlocks("insert", format, 0);
  CadSetOrigin(0, 0);
}

void DrawChangeTable() {
  const long double y0 = wkwenvar.TitleBlockType == 1 ? 27 : 36;
  const int32_t n = std::min<int32_t>(8, ShownChangeCount());
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
  if (aendvar.ChangeCount == 0) return;
  const int32_t first = FirstShownChange();
  for (int32_t i = first; i <= ShownChangeCount(); ++i) {
    const long double y = y0 + 3.5L * static_cast<long double>(i - first + 1) + 0.9L;
    const AendRecord& r = aendvar.ChangeRecords[static_cast<size_t>(i)];
    CadText(ChangeIndexText(i), 1, y);
    CadText(r.Date, 9, y);
    CadText(r.Editor, 26, y);
    CadText(r.ChangeIndex, 41, y);
    CadText(OneLine(r.Description), 71, y);
  }
}

}  // namespace qorva
