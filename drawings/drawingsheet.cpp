#include "drawings/drawingsheet.h"

#include <cmath>

#include "drawings/titleblock.h"
#include "foundation/cadsettings.h"
#include "foundation/programstate.h"
#include "foundation/machinefacts.h"
#include "foundation/utilfile.h"
#include "foundation/utilmath.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "foundation/printsettings.h"
#include "graphics/cadkernel.h"
#include "graphics/graphicsdraw.h"

namespace qorva {

// German lines: 0x84 is "ä", 0x81 "ü" in code page 437.
const std::array<std::string, 5> ProtectionNoticeEnglish = {
    "Copying of this document and giving it to other and the use",
    "or communication of the contents therof, are forbidden with-",
    "out express authority. Offenders are liable to the payment",
    "of damages. All rights are reserved in the event of the grant",
    "of a patent or the registration of a utility model or design.",
};
const std::array<std::string, 5> ProtectionNoticeGerman = {
    "Weitergabe sowie Vervielf\x84ltigung dieser Unterlage, Ver-",
    "wertung und Mitteilung ihres Inhalts nicht gestattet, soweit",
    "nicht ausdr\x81"
    "cklich zugestanden. Zuwiderhandlungen verpflich-",
    "ten zu Schadensersatz. Alle Rechte f\x81r den Fall der Patent-",
    "erteilung oder Gebrauchsmuster-Eintragung vorbehalten.",
};

namespace {

// Round to the nearest integer, a half to the even one (the default rounding mode).
long double RoundEven(long double x) { return std::nearbyintl(x); }

// A name field that is only "/" (with blanks) stands for "no entry".
std::string SlashIsEmpty(const std::string& s) { return NoBlanks(s) == "/" ? std::string() : s; }

// Tick of a millimetre scale: every 10 mm long, every 5 mm middle, else short.
long double ScaleTick(int64_t k) {
  if (k % 10 == 0) return 3.0L;
  if (k % 10 == 5) return 2.25L;
  return 1.5L;
}

long double DigitShift(int64_t k) { return 1.5L * 0.375L * static_cast<long double>(IntStr(k).size()); }

bool FreeTextsOn(const DrawingData& drawing, int32_t format) {
  const int32_t mode = drawing.DrawingTextMode;
  return drawing.DrawingTextCount > 0 &&
         (((mode == 0 || mode == 2) && format == 4) || ((mode == 1 || mode == 2) && format == 3));
}

}  // namespace

bool FrameTenMmRule() {
  return (desktopSettings.TitleBlockType == 1 || desktopSettings.TitleBlockType == 2) && desktopSettings.FrameMargin != 0;
}

SheetGeometry SheetGeometryFor(int32_t format) {
  SheetGeometry g;
  const bool ten = FrameTenMmRule();
  switch (format) {
    case 1:
      g.known = true;
      g.trimmed = {0, 0, 841, 594};
      if (ten) g.hasBorder = true, g.border = {20, 10, 831, 574};
      break;
    case 2:
      g.known = true;
      g.trimmed = {0, 0, 594, 420};
      if (ten) g.hasBorder = true, g.border = {20, 10, 584, 400};
      break;
    case 3:
      g.known = true;
      g.trimmed = {0, 0, 420, 297};
      g.hasBorder = true;
      g.border = ten ? SheetRect{20, 10, 410, 287} : SheetRect{15, 5, 415, 292};
      g.hasPageLimits = true;
      g.pageLimits = {-2, -5, 422, 305};
      break;
    case 4:
      g.known = true;
      g.trimmed = {0, 0, 210, 297};
      g.hasBorder = true;
      g.border = ten ? SheetRect{20, 10, 200, 287} : SheetRect{17.9L, 5, 205.1L, 292};
      g.hasPageLimits = true;
      g.pageLimits = {-5, -5, 215, 307};
      break;
    default:
      break;
  }
  // The grid reference border belongs to the ISO forms with exactly the 10 mm margin.
  if ((format == 3 || format == 4) && (desktopSettings.TitleBlockType == 1 || desktopSettings.TitleBlockType == 2) &&
      desktopSettings.FrameMargin == 1) {
    g.gridX = format == 3 ? 8 : 4;
    g.gridY = 6;
  }
  return g;
}

void DrawDrawingFrame(const Spring& s, int32_t format) {
  const DrawingData& drawing = s.drawing;
  const std::string n1 = SlashIsEmpty(s.family.DrawingName);
  const std::string n2 = SlashIsEmpty(s.family.DrawingName2);
  const std::string nr = SlashIsEmpty(s.family.DrawingNumber);
  if (format == 3) printSettings.SheetFormat = 3;
  if (format == 4) printSettings.SheetFormat = 2;
  if (cadSettings.DwgNoTitleBlock || programState.ErrorFlag) return;

  const SheetGeometry g = SheetGeometryFor(format);
  if (!g.known) return;
  if (g.hasBorder) {
    CadSetColor(5);
    CadRectangle(g.border.x1, g.border.y1, g.border.x2, g.border.y2);
  }
  CadSetColor(3);
  CadRectangle(g.trimmed.x1, g.trimmed.y1, g.trimmed.x2, g.trimmed.y2);
  // A1 and A2 get the sheet edge and the border only: no title-block position is defined for them.
  if (format != 3 && format != 4) return;

  DrawTitleBlock(drawing, format, n1, n2, nr);
  DrawProtectionNotice(format);

  if (FreeTextsOn(drawing, format)) {
    const uint16_t count = std::min<uint16_t>(drawing.DrawingTextCount, MaxDrawingTexts);
    for (uint16_t i = 1; i <= count; ++i) {
      const DrawingTextRecord& t = drawing.DrawingTexts[i];
      if (t.h > 0) CadTextStyle(2, t.phi, t.h, 0.8L * t.h);
      CadText(t.Text, t.x, t.y);
    }
  }

  if (g.gridX > 0) {
    if (format == 4) DrawGridBorder(4, 6, 20, 10, 200, 287, 4);
    if (format == 3) DrawGridBorder(8, 6, 20, 10, 410, 287, 4);
  }

  CadSetColor(3);
  CadTextStyle(2, 0, 1.5L, 1.2L);
  if (!cadSettings.DwgNoFileName) CadText(ShortenDots(GetDataFilePath(), 150), 20, 1);
  if (!cadSettings.DwgNoDate) CadText(DateStr() + " " + TimeStr(), format == 4 ? 186 : 395, 1);
  CadTextStyle(2, 0, 3.5L, 3.0L);
  CadSetColor(5);
  if (!cadSettings.DwgNoMakerTitle)
    CadText("KWENDAL   " + programState.ProgTitle + "  V" + programState.ProgVersion, 1, 300);
}

void DrawProtectionNotice(int32_t format) {
  if (cadSettings.DwgNoCopyright) return;
  CadSetColor(3);
  CadTextStyle(2, 90, 1.8L, 1.5L);
  long double x0;
  if (!FrameTenMmRule())
    x0 = format == 3 ? 3 : 4;
  else
    x0 = cadSettings.DwgNoGridBorder ? 4 : 3;
  if (format != 3 && format != 4) return;
  for (size_t k = 0; k < ProtectionNoticeEnglish.size(); ++k)
    CadText(ProtectionNoticeEnglish[k], x0 + 2.7L * static_cast<long double>(k), 10);
  for (size_t k = 0; k < ProtectionNoticeGerman.size(); ++k)
    CadText(ProtectionNoticeGerman[k], x0 + 2.7L * static_cast<long double>(k), 190);
}

void DrawGridBorder(int32_t nx, int32_t ny, long double x1, long double y1, long double x2, long double y2,
                    long double w) {
  CadSetColor(3);
  if (!cadSettings.DwgNoGridBorder && nx > 0 && ny > 0) {
    CadRectangle(x1 - w, y1 - w, x2 + w, y2 + w);
    const long double dx = (x2 - x1) / nx;
    const long double dy = (y2 - y1) / ny;
    CadTextStyle(2, 0, w / 2, 0.375L * w);
    CadSetColor(3);
    for (int32_t i = 0; i <= nx; ++i) {
      const long double x = x1 + i * dx;
      CadVertLine(x, y2, w);
      if (i < nx) CadText(IntStr(i + 1), x + dx / 2, y2 + 0.25L * w);
      CadVertLine(x, y1, -w);
      if (i < nx) CadText(IntStr(i + 1), x + dx / 2, y1 - 0.75L * w);
    }
    for (int32_t j = 0; j <= ny; ++j) {
      const long double y = y1 + j * dy;
      CadHorzLine(x1, y, -w);
      if (j < ny) CadText(NumToLetter(j + 1), x1 - 0.75L * w, y + dy / 2);
      CadHorzLine(x2, y, w);
      if (j < ny) CadText(NumToLetter(j + 1), x2 + 0.25L * w, y + dy / 2);
    }
  }
  if (cadSettings.DwgNoMmScale) return;
  CadTextStyle(2, 0, 1.5L, 1.125L);
  const auto kx = static_cast<int64_t>(RoundEven(x2 - x1));
  for (int64_t k = 0; k <= kx; ++k) {
    const long double x = x1 + static_cast<long double>(k);
    CadVertLine(x, y2 + w, ScaleTick(k));
    if (k % 10 == 0) CadText(IntStr(k), x - DigitShift(k), y2 + w + 3.6L);
  }
  CadTextStyle(2, 90, 1.5L, 1.125L);
  const auto ky = static_cast<int64_t>(RoundEven(y2 - y1));
  for (int64_t k = 0; k <= ky; ++k) {
    const long double y = y1 + static_cast<long double>(k);
    CadHorzLine(x2 + w, y, ScaleTick(k));
    if (k % 10 == 0) CadText(IntStr(k), x2 + w + 4.8L, y - DigitShift(k));
  }
}

void SetSheetPageLimits(int32_t format) {
  const SheetGeometry g = SheetGeometryFor(format);
  if (!g.hasPageLimits) return;
  CadPageSetup(g.pageLimits.x1, g.pageLimits.y1, g.pageLimits.x2, g.pageLimits.y2, 0);
}

long double NiceScaleNumber(long double x) {
  const auto e = static_cast<int32_t>(RoundEven(SafeLog10(x) - 0.49L));
  // 10^e by multiplication: exact for e >= 0 and the nearest value for e < 0.
  const long double p = PowerInt(e, 10.0L);
  const long double k = RoundEven(x / p - 0.49L);
  if (k >= 2 && k <= 4) return 2 * p;
  if (k >= 5 && k <= 10) return 5 * p;
  return p;
}

std::string ScaleText(long double s) {
  // A scale of zero or below is no scale: no text rather than "M 1:inf".
  if (!(s > 0) || !std::isfinite(s)) return {};
  if (s < 1) return "M 1:" + RealStr3(1 / s);
  return "M " + RealStr3(s) + ":1";
}

}  // namespace qorva
