#pragma once
// drawingsheet: the sheet of the production drawing around the spring views: trimmed sheet edge, border of
// the drawing area, title block (titleBlock), protection notice, the user's free drawing texts, grid
// reference border with millimetre scales, and the small texts outside the frame. Also the page
// limits of a sheet, the rounding of a drawing scale and its text.
//
// Everything goes through the CAD kernel in sheet millimetres, origin at the lower-left corner of the
// trimmed sheet. Formats: 1 A1 landscape, 2 A2 landscape, 3 A3 landscape, 4 A4 portrait.
// The module keeps no state; every call draws the spring it is given and reads the settings as they
// are at that moment.

#include <array>
#include <cstdint>
#include <string>

#include "spring/spring.h"

namespace qorva {

// A rectangle on the sheet, in mm.
struct SheetRect {
  long double x1 = 0.0L;
  long double y1 = 0.0L;
  long double x2 = 0.0L;
  long double y2 = 0.0L;
};

// What a sheet format draws. has... false: the format has no such element.
struct SheetGeometry {
  bool known = false;  // formats 1..4
  SheetRect trimmed;   // trimmed sheet edge
  bool hasBorder = false;
  SheetRect border;  // drawing-area border under the margin rule in force
  bool hasPageLimits = false;
  SheetRect pageLimits;
  int32_t gridX = 0;  // grid reference fields along x and y (0: no grid border)
  int32_t gridY = 0;
};

// The 10 mm margin rule holds for the ISO 7200 title blocks (types 1 and 2) with FrameMargin not 0;
// every other combination follows the 5 mm rule.
bool FrameTenMmRule();
// Geometry of a format under the current TitleBlockType and FrameMargin.
SheetGeometry SheetGeometryFor(int32_t format);

// The protection notice, line by line (the German lines in code page 437).
extern const std::array<std::string, 5> ProtectionNoticeEnglish;
extern const std::array<std::string, 5> ProtectionNoticeGerman;

// The whole sheet of the spring s: frame, title block, notice, free texts, grid border and the
// marginal texts. Its drawing name, second name and number go into the title block; a text that is
// only "/" and blanks counts as empty. Sets printSettings.SheetFormat (3 for format 3, 2 for format 4)
// even when nothing is drawn because DwgNoTitleBlock or ErrorFlag is set.
void DrawDrawingFrame(const Spring& s, int32_t format);
// The notice along the left edge (formats 3 and 4 only).
void DrawProtectionNotice(int32_t format);
// Grid reference border of width w around the drawing area (x1, y1)-(x2, y2), nx fields along x and
// ny along y, and the millimetre scales along the top and the right.
void DrawGridBorder(int32_t nx, int32_t ny, long double x1, long double y1, long double x2, long double y2,
                    long double w);
// CadPageSetup with the page limits of formats 3 and 4; nothing for other formats.
void SetSheetPageLimits(int32_t format);
// x rounded down to 1, 2 or 5 times a power of ten (a mantissa from 1.99 counts as 2, one from
// about 9.77 as the next decade); x <= 0 gives 1.
long double NiceScaleNumber(long double x);
// "M 1:" + RealStr3(1/s) for s < 1, else "M " + RealStr3(s) + ":1".
std::string ScaleText(long double s);

}  // namespace qorva
