// planegeometry: plane geometry.
#include "foundation/planegeometry.h"

#include <cmath>
#include <string>

#include "foundation/errorlist.h"
#include "foundation/utilmath.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"

namespace qorva {

namespace {
// Below this |sin| a sweep counts as a whole number of turns (sin h) or of half turns (sin dphi):
// a full turn in floating point does not give a sine of exactly 0.
constexpr long double kSinEps = 1e-12L;
}  // namespace

long double Det2(long double a, long double b, long double c, long double d) { return a * d - b * c; }

bool Solve2x2(long double& x, long double& y, long double a11, long double a12, long double b1, long double a21,
              long double a22, long double b2) {
  const long double det = Det2(a11, a12, a21, a22);
  if (det == 0.0L) {
    x = 0.0L;
    y = 0.0L;
    return false;
  }
  x = Det2(b1, a12, b2, a22) / det;
  y = Det2(a11, b1, a21, b2) / det;
  return true;
}

bool LineIntersection(long double& x, long double& y, long double x1, long double y1, long double x2,
                      long double y2, long double x3, long double y3, long double x4, long double y4) {
  long double t = 0.0L, u = 0.0L;
  // t (P2 - P1) - u (P4 - P3) = P3 - P1
  bool ok = Solve2x2(t, u, x2 - x1, -(x4 - x3), x3 - x1, y2 - y1, -(y4 - y3), y3 - y1);
  if (ok && !std::isfinite(t)) {
    // A determinant so close to 0 that t overflows: the lines are parallel as far as we can tell.
    t = 0.0L;
    ok = false;
  }
  x = x1 + t * (x2 - x1);
  y = y1 + t * (y2 - y1);
  return ok;
}

bool InRangeEps(long double x, long double a, long double b) {
  if ((a <= x && x <= b) || (b <= x && x <= a)) return true;
  return std::fabs(a - b) < 1e-12L && std::fabs(x - b) < 1e-12L;
}

bool SegmentIntersection(long double& x, long double& y, long double x1, long double y1, long double x2,
                         long double y2, long double x3, long double y3, long double x4, long double y4) {
  LineIntersection(x, y, x1, y1, x2, y2, x3, y3, x4, y4);
  return InRangeEps(x, x1, x2) && InRangeEps(y, y1, y2) && InRangeEps(x, x3, x4) && InRangeEps(y, y3, y4);
}

void RotateAround(long double& x, long double& y, long double px, long double py, long double cx, long double cy,
                  long double angle) {
  long double rx, ry;
  RotateVector(rx, ry, px - cx, py - cy, angle);
  x = rx + cx;
  y = ry + cy;
}

void GetArcCenter(long double x1, long double y1, long double x2, long double y2, long double dphi,
                  long double& xc, long double& yc, long double& phiStart, long double& phiEnd, long double& r) {
  const long double h = dphi / 2.0L;
  const long double sinH = std::sin(h);
  if (!(std::fabs(sinH) >= kSinEps)) {  // also a NaN sweep
    if (!desktopSettings.HideWarnings) AddErrorMsg("Fehler in GetArcCenter (dphi = " + RealStr3(dphi) + " ! ");
    return;
  }
  const long double dx = x2 - x1;
  const long double dy = y2 - y1;
  const long double c = Hypot(dx, dy);
  const long double mx = (x1 + x2) / 2.0L;
  const long double my = (y1 + y2) / 2.0L;
  long double d = 0.0L;  // a half circle: the centre is the chord's midpoint
  if (std::fabs(std::sin(dphi)) >= kSinEps) d = c / 2.0L / std::tan(h);
  const long double rr = std::fabs(c / 2.0L / sinH);
  long double cx = mx, cy = my;
  if (c != 0.0L) {
    cx = mx - dy * d / c;
    cy = my + dx * d / c;
  }
  const long double a1 = ArcTanXY(x1 - cx, y1 - cy);
  const long double a2 = ArcTanXY(x2 - cx, y2 - cy);
  xc = cx;
  yc = cy;
  r = rr;
  if (dphi >= 0.0L) {
    phiStart = a1;
    phiEnd = a2;
  } else {
    phiStart = a2;
    phiEnd = a1;
  }
}

bool PointInRect(long double x, long double y, long double xmin, long double ymin, long double xmax,
                 long double ymax) {
  return xmin <= x && x <= xmax && ymin <= y && y <= ymax;
}

bool SegmentRectCrossing(long double& x, long double& y, long double x1, long double y1, long double x2,
                         long double y2, long double xmin, long double ymin, long double xmax, long double ymax) {
  struct Side {
    long double ax, ay, bx, by;
  };
  const Side sides[4] = {
      {xmin, ymin, xmax, ymin},  // bottom
      {xmax, ymin, xmax, ymax},  // right
      {xmin, ymax, xmax, ymax},  // top
      {xmin, ymin, xmin, ymax},  // left
  };
  for (const Side& s : sides) {
    long double cx = 0.0L, cy = 0.0L;
    if (SegmentIntersection(cx, cy, x1, y1, x2, y2, s.ax, s.ay, s.bx, s.by)) {
      x = cx;
      y = cy;
      return true;
    }
  }
  return false;
}

bool ClipSegmentToRect(long double& x1, long double& y1, long double& x2, long double& y2, long double xmin,
                       long double ymin, long double xmax, long double ymax) {
  const bool in1 = PointInRect(x1, y1, xmin, ymin, xmax, ymax);
  const bool in2 = PointInRect(x2, y2, xmin, ymin, xmax, ymax);
  if (in1 && in2) return true;
  if (in1) {
    SegmentRectCrossing(x2, y2, x1, y1, x2, y2, xmin, ymin, xmax, ymax);
    return true;
  }
  if (in2) {
    SegmentRectCrossing(x1, y1, x1, y1, x2, y2, xmin, ymin, xmax, ymax);
    return true;
  }
  x1 = y1 = x2 = y2 = 0.0L;
  return false;
}

}  // namespace qorva
