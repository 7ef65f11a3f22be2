// plane geometry, as tables of cases.
#include "foundation/planegeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "foundation/errorlist.h"
#include "foundation/settings.h"
#include "foundation/desktopsettings.h"

namespace qorva {
namespace {

constexpr long double pi = std::numbers::pi_v<long double>;

class PlaneGeometryTest : public ::testing::Test {
 protected:
  void SetUp() override { InitAllSettings(); }
  void TearDown() override { InitAllSettings(); }
};

#define EXPECT_LD_NEAR(a, b, eps) \
  EXPECT_LE(std::fabs(static_cast<long double>(a) - static_cast<long double>(b)), (eps)) << (double)(a) << " vs " << (double)(b)

TEST_F(PlaneGeometryTest, Solve2x2) {
  EXPECT_EQ(Det2(1, 2, 3, 4), -2.0L);
  long double x = 7, y = 7;
  EXPECT_TRUE(Solve2x2(x, y, 2, 1, 5, 1, -1, 1));  // 2x + y = 5, x - y = 1
  EXPECT_LD_NEAR(x, 2.0L, 1e-18L);
  EXPECT_LD_NEAR(y, 1.0L, 1e-18L);
  x = y = 7;
  EXPECT_FALSE(Solve2x2(x, y, 1, 2, 3, 2, 4, 6));  // determinant exactly 0
  EXPECT_EQ(x, 0.0L);
  EXPECT_EQ(y, 0.0L);
}

TEST_F(PlaneGeometryTest, LineIntersection) {
  long double x, y;
  EXPECT_TRUE(LineIntersection(x, y, 0, 0, 2, 2, 0, 2, 2, 0));
  EXPECT_LD_NEAR(x, 1.0L, 1e-18L);
  EXPECT_LD_NEAR(y, 1.0L, 1e-18L);
  // Lines cross outside both segments: still a line crossing.
  EXPECT_TRUE(LineIntersection(x, y, 0, 0, 1, 0, 5, -1, 5, 1));
  EXPECT_LD_NEAR(x, 5.0L, 1e-18L);
  EXPECT_LD_NEAR(y, 0.0L, 1e-18L);
  // Parallel lines: P1 and false.
  EXPECT_FALSE(LineIntersection(x, y, 3, 4, 5, 4, 0, 0, 1, 0));
  EXPECT_EQ(x, 3.0L);
  EXPECT_EQ(y, 4.0L);
}

TEST_F(PlaneGeometryTest, InRangeEps) {
  struct Case {
    long double x, a, b;
    bool expected;
  };
  const Case cases[] = {
      {1, 0, 2, true},       {1, 2, 0, true},        {0, 0, 2, true},    {2, 2, 0, true},
      {3, 0, 2, false},      {-1e-13L, 0, 2, false},  // only a degenerate range has the tolerance
      {5 + 1e-13L, 5, 5, true}, {5 + 1e-11L, 5, 5, false}, {5, 5 + 1e-13L, 5, true},
  };
  for (const Case& c : cases) EXPECT_EQ(InRangeEps(c.x, c.a, c.b), c.expected) << (double)c.x;
}

TEST_F(PlaneGeometryTest, SegmentIntersectionTable) {
  struct Case {
    long double x1, y1, x2, y2, x3, y3, x4, y4;
    bool expected;
    long double ex, ey;
  };
  const Case cases[] = {
      {0, 0, 2, 2, 0, 2, 2, 0, true, 1, 1},
      {0, 0, 1, 0, 5, -1, 5, 1, false, 5, 0},    // lines cross beyond the first segment
      {0, 0, 10, 0, 10, 0, 10, 10, true, 10, 0},  // touching at an end point
      {0, 0, 0, 10, -5, 3, 5, 3, true, 0, 3},     // vertical against horizontal
      {1, 0, 3, 0, 0, 0, 10, 0, true, 1, 0},      // collinear and overlapping: P1 accepted
      {-1, 0, 3, 0, 0, 0, 10, 0, false, -1, 0},   // collinear, P1 outside the second segment
      {0, 1, 5, 1, 0, 0, 5, 0, false, 0, 1},      // parallel apart
  };
  for (const Case& c : cases) {
    long double x = 99, y = 99;
    EXPECT_EQ(SegmentIntersection(x, y, c.x1, c.y1, c.x2, c.y2, c.x3, c.y3, c.x4, c.y4), c.expected)
        << (double)c.x1 << "," << (double)c.y1;
    EXPECT_LD_NEAR(x, c.ex, 1e-15L);
    EXPECT_LD_NEAR(y, c.ey, 1e-15L);
  }
}

TEST_F(PlaneGeometryTest, RotateAround) {
  long double x, y;
  RotateAround(x, y, 2, 1, 1, 1, pi / 2);
  EXPECT_LD_NEAR(x, 1.0L, 1e-18L);
  EXPECT_LD_NEAR(y, 2.0L, 1e-18L);
}

TEST_F(PlaneGeometryTest, GetArcCenterHalfCircle) {
  long double xc = 9, yc = 9, a1 = 9, a2 = 9, r = 9;
  GetArcCenter(0, 0, 2, 0, pi, xc, yc, a1, a2, r);
  EXPECT_LD_NEAR(xc, 1.0L, 1e-15L);
  EXPECT_LD_NEAR(yc, 0.0L, 1e-15L);
  EXPECT_LD_NEAR(r, 1.0L, 1e-15L);
  EXPECT_LD_NEAR(a1, pi, 1e-15L);
  EXPECT_LD_NEAR(a2, 0.0L, 1e-15L);
  GetArcCenter(0, 0, 2, 0, -pi, xc, yc, a1, a2, r);
  EXPECT_LD_NEAR(a1, 0.0L, 1e-15L);  // exchanged
  EXPECT_LD_NEAR(a2, pi, 1e-15L);
  EXPECT_LD_NEAR(r, 1.0L, 1e-15L);
  EXPECT_EQ(errorList.ErrorCount, 0);
}

TEST_F(PlaneGeometryTest, GetArcCenterQuarterCircles) {
  struct Case {
    long double dphi, xc, yc, start, end;
  };
  // From (1, 0) to (0, 1): a quarter counter-clockwise about the origin; the other way the centre is (1, 1).
  const Case cases[] = {
      {pi / 2, 0, 0, 0, pi / 2},
      {-pi / 2, 1, 1, pi, -pi / 2},  // ArcTanXY(0, -1) = -pi/2
      {3 * pi / 2, 1, 1, -pi / 2, pi},  // the long way round
  };
  for (const Case& c : cases) {
    long double xc = 9, yc = 9, a1 = 9, a2 = 9, r = 9;
    GetArcCenter(1, 0, 0, 1, c.dphi, xc, yc, a1, a2, r);
    EXPECT_LD_NEAR(xc, c.xc, 1e-15L) << (double)c.dphi;
    EXPECT_LD_NEAR(yc, c.yc, 1e-15L) << (double)c.dphi;
    EXPECT_LD_NEAR(r, 1.0L, 1e-15L) << (double)c.dphi;
    EXPECT_LD_NEAR(a1, c.start, 1e-15L) << (double)c.dphi;
    EXPECT_LD_NEAR(a2, c.end, 1e-15L) << (double)c.dphi;
  }
}

TEST_F(PlaneGeometryTest, GetArcCenterEqualPoints) {
  long double xc = 9, yc = 9, a1 = 9, a2 = 9, r = 9;
  GetArcCenter(3, 4, 3, 4, pi / 3, xc, yc, a1, a2, r);
  EXPECT_EQ(xc, 3.0L);
  EXPECT_EQ(yc, 4.0L);
  EXPECT_EQ(r, 0.0L);
  EXPECT_LD_NEAR(a1, pi / 2, 1e-18L);  // ArcTanXY(0, 0)
  EXPECT_EQ(errorList.ErrorCount, 0);
}

TEST_F(PlaneGeometryTest, GetArcCenterDegenerateSweeps) {
  // 0 and whole turns, as floating point gives them (sin(pi) is not exactly 0 in extended).
  const long double sweeps[] = {0.0L, 2 * pi, -2 * pi, 4 * pi, 2 * pi * (1 + 1e-15L)};
  for (long double dphi : sweeps) {
    InitAllSettings();
    long double xc = 9, yc = 8, a1 = 7, a2 = 6, r = 5;
    GetArcCenter(0, 0, 2, 0, dphi, xc, yc, a1, a2, r);
    EXPECT_EQ(xc, 9.0L) << (double)dphi;
    EXPECT_EQ(yc, 8.0L);
    EXPECT_EQ(a1, 7.0L);
    EXPECT_EQ(a2, 6.0L);
    EXPECT_EQ(r, 5.0L);
    ASSERT_EQ(errorList.ErrorCount, 1) << (double)dphi;
    EXPECT_EQ(errorList.ErrorMsgs[1].rfind("Fehler in GetArcCenter (dphi = ", 0), 0u) << errorList.ErrorMsgs[1];
    EXPECT_EQ(errorList.ErrorMsgs[1].substr(errorList.ErrorMsgs[1].size() - 3), " ! ");
  }
  InitAllSettings();
  long double xc = 9, yc = 8, a1 = 7, a2 = 6, r = 5;
  GetArcCenter(0, 0, 2, 0, 0.0L, xc, yc, a1, a2, r);
  EXPECT_EQ(errorList.ErrorMsgs[1], "Fehler in GetArcCenter (dphi = 0 ! ");
  // HideWarnings: no message, outputs still unchanged.
  InitAllSettings();
  desktopSettings.HideWarnings = true;
  GetArcCenter(0, 0, 2, 0, 2 * pi, xc, yc, a1, a2, r);
  EXPECT_EQ(errorList.ErrorCount, 0);
  EXPECT_EQ(xc, 9.0L);
}

TEST_F(PlaneGeometryTest, PointInRect) {
  struct Case {
    long double x, y;
    bool expected;
  };
  const Case cases[] = {{5, 5, true}, {0, 0, true}, {10, 10, true}, {10, 0, true}, {-0.001L, 5, false},
                        {5, 10.001L, false}};
  for (const Case& c : cases) EXPECT_EQ(PointInRect(c.x, c.y, 0, 0, 10, 10), c.expected);
}

TEST_F(PlaneGeometryTest, SegmentRectCrossing) {
  long double x = 99, y = 99;
  EXPECT_TRUE(SegmentRectCrossing(x, y, 5, 5, 5, -5, 0, 0, 10, 10));  // bottom
  EXPECT_LD_NEAR(x, 5.0L, 1e-18L);
  EXPECT_LD_NEAR(y, 0.0L, 1e-18L);
  // A segment crossing two sides: bottom is tried before right.
  EXPECT_TRUE(SegmentRectCrossing(x, y, 8, -2, 12, 2, 0, 0, 10, 10));
  EXPECT_LD_NEAR(x, 10.0L, 1e-18L);
  EXPECT_LD_NEAR(y, 0.0L, 1e-18L);
  x = y = 99;
  EXPECT_FALSE(SegmentRectCrossing(x, y, 2, 2, 3, 3, 0, 0, 10, 10));
  EXPECT_EQ(x, 99.0L);
  EXPECT_EQ(y, 99.0L);
}

TEST_F(PlaneGeometryTest, ClipSegmentToRectTable) {
  struct Case {
    long double x1, y1, x2, y2;
    bool expected;
    long double ex1, ey1, ex2, ey2;
  };
  const Case cases[] = {
      {1, 1, 9, 9, true, 1, 1, 9, 9},        // both inside
      {-1, 5, 5, 5, true, 0, 5, 5, 5},       // first end moved to the left side
      {5, 5, 15, 5, true, 5, 5, 10, 5},      // second end moved to the right side
      {5, 5, 5, 20, true, 5, 5, 5, 10},      // top
      {5, 5, 5, -20, true, 5, 5, 5, 0},      // bottom
      {-5, 5, 15, 5, false, 0, 0, 0, 0},     // both outside, even though it passes through
      {-5, -5, -1, -1, false, 0, 0, 0, 0},   // both outside
      {0, 5, 10, 5, true, 0, 5, 10, 5},      // ends on the border count as inside
  };
  for (const Case& c : cases) {
    long double x1 = c.x1, y1 = c.y1, x2 = c.x2, y2 = c.y2;
    EXPECT_EQ(ClipSegmentToRect(x1, y1, x2, y2, 0, 0, 10, 10), c.expected) << (double)c.x1 << "," << (double)c.y1;
    EXPECT_LD_NEAR(x1, c.ex1, 1e-15L);
    EXPECT_LD_NEAR(y1, c.ey1, 1e-15L);
    EXPECT_LD_NEAR(x2, c.ex2, 1e-15L);
    EXPECT_LD_NEAR(y2, c.ey2, 1e-15L);
  }
}

}  // namespace
}  // namespace qorva
