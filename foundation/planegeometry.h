#pragma once
// planegeometry: plane geometry of the drawings: 2 x 2 linear systems, intersections of lines and
// segments, the centre of an arc through two points, point-in-rectangle and segment clipping.
// Points are given x then y; results through reference parameters; a bool result says whether the
// output is valid. Calls utilmath, errorList and utilstr (RealStr3); reads desktopSettings.HideWarnings.

namespace qorva {

// a*d - b*c.
long double Det2(long double a, long double b, long double c, long double d);
// a11 x + a12 y = b1, a21 x + a22 y = b2 by Cramer's rule; determinant exactly 0: x = y = 0, false.
bool Solve2x2(long double& x, long double& y, long double a11, long double a12, long double b1, long double a21,
              long double a22, long double b2);
// Crossing of the line P1P2 with the line P3P4; parallel lines give P1 and false.
bool LineIntersection(long double& x, long double& y, long double x1, long double y1, long double x2,
                      long double y2, long double x3, long double y3, long double x4, long double y4);
// x between a and b inclusive (either order); else a and b and x within 1e-12 of each other.
bool InRangeEps(long double x, long double a, long double b);
// LineIntersection, accepted when the point lies in the ranges of both segments.
bool SegmentIntersection(long double& x, long double& y, long double x1, long double y1, long double x2,
                         long double y2, long double x3, long double y3, long double x4, long double y4);
// (px, py) rotated about (cx, cy) by angle radians.
void RotateAround(long double& x, long double& y, long double px, long double py, long double cx, long double cy,
                  long double angle);
// Centre, radius and end angles of the arc from P1 to P2 sweeping dphi (counter-clockwise for
// dphi > 0). A sweep whose half has |sin| < 1e-12 (0 or a multiple of 2 pi, as floating point gives
// it) is degenerate: outputs unchanged and, unless HideWarnings, a message is added.
void GetArcCenter(long double x1, long double y1, long double x2, long double y2, long double dphi,
                  long double& xc, long double& yc, long double& phiStart, long double& phiEnd, long double& r);
// xmin <= x <= xmax and ymin <= y <= ymax.
bool PointInRect(long double x, long double y, long double xmin, long double ymin, long double xmax,
                 long double ymax);
// First crossing of the segment with the sides bottom, right, top, left; false and outputs unchanged
// when none is crossed.
bool SegmentRectCrossing(long double& x, long double& y, long double x1, long double y1, long double x2,
                         long double y2, long double xmin, long double ymin, long double xmax, long double ymax);
// Clips a segment with at least one end inside the rectangle; both ends outside: all four := 0, false.
bool ClipSegmentToRect(long double& x1, long double& y1, long double& x2, long double& y2, long double xmin,
                       long double ymin, long double xmax, long double ymax);

}  // namespace qorva
