#include "graphics/dimensions.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "foundation/cadsettings.h"
#include "foundation/graphicssettings.h"
#include "graphics/cadkernel.h"

namespace qorva {

namespace {

constexpr long double DegToRad = std::numbers::pi_v<long double> / 180.0L;

// Width term of the tolerance texts, with the width factor now in force.
long double toleranceWidth(const std::string& upperTol, const std::string& lowerTol, long double ds) {
  long double len = static_cast<long double>(std::max(upperTol.size(), lowerTol.size()));
  return (len + 1.0L) * 1.8L * cadrun.TextWidthFactor * ds * 1.1L;
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
  CadArrowHead(x, y, angle, 10.0L, 3.5L * cadrun.DimScale, 3.5L * cadrun.DimScale);
}

namespace {

// A dimension along x (vertical false: ends a and b at height at) or along y (vertical true: ends
// at x = at). The text width of a horizontal text comes from the font in use, that of a vertical
// one from the width factor its style gives.
void DimAlong(bool vertical, const std::string& text, const std::string& upperTol, const std::string& lowerTol,
              long double a, long double b, long double at) {
  const long double ds = cadrun.DimScale;
  const long double angle = vertical ? 90.0L : 0.0L;
  orderEnds(a, b, ds);
  CadTextStyle(2, angle, 3.5L * ds, 2.5L * ds);
  const long double bw = vertical                ? cadrun.TextWidthFactor
                         : CadOutputTextWidthFactor();
  long double w = static_cast<long double>(text.size()) * 2.5L * bw * ds * 1.2L +
                  toleranceWidth(upperTol, lowerTol, ds);
  // Between arrows that point inwards from outside there is no room for the text: it stands beyond
  // the upper (right) arrow, clear of it.
  const bool arrowsOutside = a > b;
  const long double start = arrowsOutside ? a + 4.5L * ds : (a + b) / 2.0L - w / 2.0L;
  if (vertical) CadText(text, at - ds, start);
  else CadText(text, start, at + ds);
  CadTextStyle(2, angle, 2.5L * ds, 1.8L * ds);
  if (vertical) CadLine(at, a, at, b);
  else CadLine(a, at, b, at);
  const auto arrow = [&](long double p, long double dir) {
    if (vertical) CadArrow(at, p, dir);
    else CadArrow(p, at, dir);
  };
  arrow(a, angle);
  arrow(b, angle + 180.0L);
}

}  // namespace

void CadDimHorz(const std::string& text, const std::string& upperTol, const std::string& lowerTol,
                long double x1, long double x2, long double y) {
  DimAlong(false, text, upperTol, lowerTol, x1, x2, y);
}

void CadDimVert(const std::string& text, const std::string& upperTol, const std::string& lowerTol,
                long double y1, long double y2, long double x) {
  DimAlong(true, text, upperTol, lowerTol, y1, y2, x);
}

void CadDimHorzExt(const std::string& text, const std::string& upperTol, const std::string& lowerTol,
                   long double x1, long double y1, long double x2, long double y2, long double yDim) {
  CadSetColor(3);
  const long double yEnd = extensionEnd(y1, yDim, cadrun.DimScale);
  CadLine(x1, y1, x1, yEnd);
  CadLine(x2, y2, x2, yEnd);
  CadDimHorz(text, upperTol, lowerTol, x1, x2, yDim);
}

void CadDimVertExt(const std::string& text, const std::string& upperTol, const std::string& lowerTol,
                   long double x1, long double y1, long double x2, long double y2, long double xDim) {
  CadSetColor(3);
  const long double xEnd = extensionEnd(x1, xDim, cadrun.DimScale);
  CadLine(x1, y1, xEnd, y1);
  CadLine(x2, y2, xEnd, y2);
  CadDimVert(text, upperTol, lowerTol, y1, y2, xDim);
}

}  // namespace qorva
