#include "graphics/caddim.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "foundation/cad8var.h"
#include "foundation/hgvar.h"
#include "graphics/kwencad.h"

namespace qorva {

namespace {

constexpr long double DegToRad = std::numbers::pi_v<long double> / 180.0L;

// Width term of the tolerance texts, with the width factor now in force.
long double toleranceWidth(const std::string& upperTol, const std::string& lowerTol, long double ds) {
  long double len = static_cast<long double>(std::max(upperTol.size(), lowerTol.size()));
  return (len + 1.0L) * 1.8L * cad8var.TextWidthFactor * ds * 1.1L;
}

// Dimensions of 10 DS or less keep their arrows outside: the ends are exchanged so that the arrows
// at them point inwards.
void orderEnds(long double& a, long double& b, long double ds) {
  if (b < a) std::swap(a, b);
  if ((b - a) / ds <= 10.0L) std::swap(a, b);
}

// Extension lines run from their point to 1 DS beyond the dimension line, on the far side of it.
long double extensionEnd(long double from, long double dim, long double ds) { return from > dim ? dim - ds : dim + ds; }

}  // namespace

void CadArrowHead(long double x, long double y, long double angle, long double halfAngle,
                  long double headLength, long double lineLength) {
  auto px = [&](long double b, long double d) { return x + d * std::cos(b * DegToRad); };
  auto py = [&](long double b, long double d) { return y + d * std::sin(b * DegToRad); };
  CadSolid(x, y, px(angle + halfAngle, headLength), py(angle + halfAngle, headLength),
           px(angle - halfAngle, headLength), py(angle - halfAngle, headLength), px(angle, headLength),
           py(angle, headLength));
  CadLine(x, y, px(angle, lineLength), py(angle, lineLength));
}

void CadArrow(long double x, long double y, long double angle) {
  CadArrowHead(x, y, angle, 10.0L, 3.5L * cad8var.DimScale, 3.5L * cad8var.DimScale);
}

void CadDimHorz(const std::string& text, const std::string& upperTol, const std::string& lowerTol,
                long double x1, long double x2, long double y) {
  const long double ds = cad8var.DimScale;
  const long double bw = cad8var.CadCode == 3 ? hgvar.GraphTextWidth : cad8var.CadTextWidth;
  orderEnds(x1, x2, ds);
  CadTextStyle(2, 0.0L, 3.5L * ds, 2.5L * ds);
  long double w = static_cast<long double>(text.size()) * 2.5L * bw * ds * 1.2L +
                  toleranceWidth(upperTol, lowerTol, ds);
  CadText(text, (x1 + x2) / 2.0L - w / 2.0L, y + ds);
  CadTextStyle(2, 0.0L, 2.5L * ds, 1.8L * ds);
  CadLine(x1, y, x2, y);
  CadArrow(x1, y, 0.0L);
  CadArrow(x2, y, 180.0L);
}

void CadDimVert(const std::string& text, const std::string& upperTol, const std::string& lowerTol,
                long double y1, long double y2, long double x) {
  const long double ds = cad8var.DimScale;
  orderEnds(y1, y2, ds);
  CadTextStyle(2, 90.0L, 3.5L * ds, 2.5L * ds);
  long double w = static_cast<long double>(text.size()) * 2.5L * cad8var.TextWidthFactor * ds * 1.2L +
                  toleranceWidth(upperTol, lowerTol, ds);
  CadText(text, x - ds, (y1 + y2) / 2.0L - w / 2.0L);
  CadTextStyle(2, 90.0L, 2.5L * ds, 1.8L * ds);
  CadLine(x, y1, x, y2);
  CadArrow(x, y1, 90.0L);
  CadArrow(x, y2, 270.0L);
}

void CadDimHorzExt(const std::string& text, const std::string& upperTol, const std::string& lowerTol,
                   long double x1, long double y1, long double x2, long double y2, long double yDim) {
  const long double ds = cad8var.DimScale;
  CadSetColor(3);
  const long double yEnd = extensionEnd(y1, yDim, ds);
  CadLine(x1, y1, x1, yEnd);
  CadLine(x2, y2, x2, yEnd);
  CadDimHorz(text, upperTol, lowerTol, x1, x2, yDim);
}

void CadDimVertExt(const std::string& text, const std::string& upperTol, const std::string& lowerTol,
                   long double x1, long double y1, long double x2, long double y2, long double xDim) {
  const long double ds = cad8var.DimScale;
  CadSetColor(3);
  const long double xEnd = extensionEnd(x1, xDim, ds);
  CadLine(x1, y1, xEnd, y1);
  CadLine(x2, y2, xEnd, y2);
  CadDimVert(text, upperTol, lowerTol, y1, y2, xDim);
}

}  // namespace qorva
