#include "graphics/graphicsstate.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "tests/graphics/graphicsstate_fixture.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

class GraphicsStateTest : public test::GraphicsStateFixture {
 protected:
  static std::vector<DisplayListRecord> list() { return graphicsState.DisplayList; }
};

TEST_F(GraphicsStateTest, RealsAreWrittenWithEightDigitsAndAPointUnderAGermanLocale) {
  test::LocaleGuard german("de_DE.UTF-8");
  ASSERT_TRUE(german.ok());
  const struct {
    long double x;
    const char* text;
  } cases[] = {
      {0.0L, "0"},
      {12.5L, "12.5"},
      {100.0L, "100"},
      {-0.001L, "-0.001"},
      {0.0001L, "0.0001"},
      {0.00009999L, "9.999E-05"},
      {1.5e-6L, "1.5E-06"},
      {123456789.0L, "1.2345679E08"},
      {99999999.4L, "99999999"},
      {99999999.6L, "1E08"},
      {1.0L / 3.0L, "0.33333333"},
      {2000.0L / 3.0L, "666.66667"},
      {-2.5e-12L, "-2.5E-12"},
      {1e100L, "1E100"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GraphRealStr(c.x), c.text) << static_cast<double>(c.x);
    long double back = -1;
    ASSERT_TRUE(GraphStrToReal(c.text, back)) << c.text;
    EXPECT_NEAR(static_cast<double>(back), static_cast<double>(c.x), std::fabs(static_cast<double>(c.x)) * 1e-7);
  }
  long double v = 0;
  EXPECT_TRUE(GraphStrToReal("12,5", v));  // a comma from a list of other days reads too
  EXPECT_EQ(v, 12.5L);
  for (const char* bad : {"", "abc", "1.5x", "1;2", "--1"}) EXPECT_FALSE(GraphStrToReal(bad, v)) << bad;
}

TEST_F(GraphicsStateTest, EachOperationAppendsItsRecord) {
  test::LocaleGuard german("de_DE.UTF-8");
  line(0, 0, 12.5L, 100);
  SetColor(9);
  SetTextStyle(0, 90, 3.5L, 2.5L);
  circle(-1.25L, 2, 0.5L);
  OutTextXY(1, 2, "a;b c");
  Solid(0, 0, 1, 0, 1, 1, 0, 1);
  SetLineWidth(3);
  SleepMs(500);
  Rectangle(0, 0, 2, 1);
  const std::vector<std::string> expected = {
      "4;0;0;12.5;100", "8;9", "9;3.5;2.5;0;90", "3;-1.25;2;0.5", "6;1;2;a;b c", "7;0;0;1;0;1;1;0;1", "12;3",
      "13;500",         "4;0;0;2;0", "4;2;0;2;1", "4;2;1;0;1", "4;0;1;0;0"};
  EXPECT_EQ(list(), expected);
}

TEST_F(GraphicsStateTest, StateRecordsAreLeftOutWhenTheyRepeatTheStateInForce) {
  SetColor(5);
  SetColor(5);
  SetColor(17);  // above MaxColorIndex
  SetColor(-1);  // recorded; the replay ignores it
  SetLineStyle(1);
  SetLineStyle(1);
  SetLineWidth(1);  // the window starts with width 1
  EXPECT_EQ(list(), (std::vector<std::string>{"8;5", "8;-1", "11;1"}));
  EXPECT_EQ(GetColor(), -1);

  // The main window skips the graphics window's creation step: its fields start at zero.
  InitGraphicsState();
  SetColor(0);
  SetLineWidth(0);
  Header(0, 0, 100, 50);  // its SetLineStyle(0) repeats style 0
  ASSERT_EQ(list().size(), 1u);
  EXPECT_EQ(list()[0].substr(0, 3), "10;");
}

TEST_F(GraphicsStateTest, LineStyleNamesAreMatchedExactly) {
  const struct {
    const char* name;
    const char* record;
  } cases[] = {{"DOTTED", "11;1"}, {"PUNKT", "11;1"},  {"CENTER", "11;2"},   {"DASHDOT", "11;2"},
               {"STRICHPUNKT", "11;2"}, {"DASHED", "11;3"}, {"HIDDEN", "11;3"}, {"VERDECKT", "11;3"},
               {"dotted", "11;0"},  {"", "11;0"}};
  for (const auto& c : cases) {
    graphicsState.CurrentLineStyle = 99;
    graphicsState.DisplayList.clear();
    SetLineStyleName(c.name);
    ASSERT_EQ(list().size(), 1u) << c.name;
    EXPECT_EQ(list()[0], c.record) << c.name;
  }
}

TEST_F(GraphicsStateTest, SetWindowMapsTheWorldOntoTheViewportWithEqualAspect) {
  SetWindow(true, false, 0, 0, 1, 1, 0, 0, 100, 50);
  EXPECT_EQ(list().back(), "10;0;0;640;480;0;0;100;50");
  EXPECT_DOUBLE_EQ(static_cast<double>(graphicsState.ScaleX), 6.4);
  EXPECT_DOUBLE_EQ(static_cast<double>(graphicsState.ScaleY), 6.4);  // 9.6 reduced to the smaller scale
  EXPECT_EQ(GraphCol(50), 320);
  EXPECT_EQ(GraphRow(25), 320);
  EXPECT_EQ(GraphLenX(10), 64);
  EXPECT_FALSE(programState.ErrorFlag);

  SetWindow(true, true, 0, 0, 1, 1, 0, 0, 100, 50);
  EXPECT_EQ(list().back(), "10;1;1;639;479;0;0;100;50");

  // A viewport of the lower right quarter: y fractions count from the bottom.
  SetWindow(false, false, 0.5L, 0, 1, 0.5L, 0, 0, 10, 10);
  EXPECT_EQ(list().back(), "10;320;240;640;480;0;0;10;10");
  EXPECT_EQ(GraphCol(0), 320);
  EXPECT_EQ(GraphRow(0), 480);
  EXPECT_EQ(GraphRow(10), 240);
}

TEST_F(GraphicsStateTest, AWindowWithoutExtentSetsErrorFlagAndKeepsTheScales) {
  SetWindow(true, false, 0, 0, 1, 1, 0, 0, 100, 50);
  const long double sx = graphicsState.ScaleX, sy = graphicsState.ScaleY;
  const int32_t zx2 = graphicsSettings.ZoomPixelX2;
  for (auto w : {std::array<long double, 4>{5, 0, 5, 10}, std::array<long double, 4>{0, 3, 10, 3}}) {
    programState.ErrorFlag = false;
    const std::size_t before = list().size();
    SetWindow(true, false, 0, 0, 1, 1, w[0], w[1], w[2], w[3]);
    EXPECT_TRUE(programState.ErrorFlag);
    EXPECT_EQ(list().size(), before + 1);  // the record is kept all the same
    EXPECT_EQ(graphicsState.ScaleX, sx);
    EXPECT_EQ(graphicsState.ScaleY, sy);
    EXPECT_EQ(graphicsSettings.ZoomPixelX2, zx2);
  }
}

TEST_F(GraphicsStateTest, ScalesAndZoomAspectNeverDivideByZero) {
  SetWindow(true, false, 0, 0, 1, 1, 0, 0, 100, 50);
  const long double sx = graphicsState.ScaleX;
  SetScale(10, 10, 10, 50);  // no width
  EXPECT_EQ(graphicsState.ScaleX, sx);
  EXPECT_EQ(graphicsSettings.ZoomPixelX1, 0);

  // A world window without width in force: Header keeps the zoom aspect it had.
  SetWindow(true, false, 0, 0, 1, 1, 5, 0, 5, 10);
  const long double aspect = graphicsSettings.ZoomAspect;
  Header(0, 0, 100, 50);
  EXPECT_EQ(graphicsSettings.ZoomAspect, aspect);
  Header(0, 0, 320, 240);  // from a 100 by 50 window: 640 / 100 / (480 / 50)
  EXPECT_NEAR(static_cast<double>(graphicsSettings.ZoomAspect), 640.0 / 100 / (480.0 / 50), 1e-12);

  // The window not sized yet: viewport 1, 1, -1, -1 and no size for the aspect rule.
  programState.GraphResX = 0;
  programState.GraphResY = 0;
  programState.ErrorFlag = false;
  Header(0, 0, 100, 50);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(std::isfinite(graphicsState.ScaleX));
  EXPECT_TRUE(std::isfinite(graphicsState.ScaleY));
  EXPECT_TRUE(std::isfinite(graphicsSettings.ZoomAspect));
  SetWindow(false, false, 0, 0, 1, 1, 0, 0, 100, 50);  // viewport 0, 0, 0, 0
  EXPECT_TRUE(std::isfinite(graphicsState.ScaleX));
  EXPECT_TRUE(std::isfinite(graphicsSettings.VisibleXMax));
}

TEST_F(GraphicsStateTest, ArcsAreRecordedAsTheArcTheyDescribe) {
  const struct {
    long double a1, a2;
    const char* record;
  } cases[] = {
      {10, 13.9L, "4;4.9240388;0.86824089;4.8535824;1.2011402"},  // below 4 degrees: the chord
      {10, 14.5L, "5;-5;-5;5;5;4.9240388;0.86824089;4.8407382;1.2519"},
      {0, 360, "3;0;0;5"},    // whole turns between different angles: the circle
      {90, 450, "3;0;0;5"},
      {0, -360, "3;0;0;5"},
      {30, 750, "3;0;0;5"},
      {0, 0, "4;5;0;5;0"},    // equal angles: no sweep
      {5, -358, "5;-5;-5;5;5;4.9809735;0.43577871;4.9969541;0.17449748"},  // 357 degrees counter-clockwise
      {30, -30, "5;-5;-5;5;5;4.330127;2.5;4.330127;-2.5"},                // 300 degrees
      {359, 361, "4;4.9992385;-0.087262032;4.9992385;0.087262032"},
  };
  for (const auto& c : cases) {
    graphicsState.DisplayList.clear();
    Arc(0, 0, c.a1, c.a2, 5);
    ASSERT_EQ(list().size(), 1u);
    EXPECT_EQ(list()[0], c.record) << static_cast<double>(c.a1) << " " << static_cast<double>(c.a2);
  }
}

TEST_F(GraphicsStateTest, EqualAspectGivesSquareWorldUnitsAtEveryWindowShape) {
  const struct {
    int32_t resX, resY;
    long double scale;  // pixels per unit of a 100 by 50 world
  } cases[] = {
      {640, 480, 6.4L},     // 4:3, the width decides
      {1920, 1080, 19.2L},  // 16:9
      {2560, 1080, 21.6L},  // 21:9, the height decides
      {480, 640, 4.8L},     // upright
  };
  for (const auto& c : cases) {
    programState.GraphResX = c.resX;
    programState.GraphResY = c.resY;
    SetWindow(true, false, 0, 0, 1, 1, 0, 0, 100, 50);
    EXPECT_DOUBLE_EQ(static_cast<double>(graphicsState.ScaleX), static_cast<double>(c.scale)) << c.resX << "x" << c.resY;
    EXPECT_DOUBLE_EQ(static_cast<double>(graphicsState.ScaleY), static_cast<double>(c.scale)) << c.resX << "x" << c.resY;
    EXPECT_EQ(GraphLenX(10), GraphLenY(10));
    // Without equal aspect each axis fills its side.
    SetWindow(false, false, 0, 0, 1, 1, 0, 0, 100, 50);
    EXPECT_DOUBLE_EQ(static_cast<double>(graphicsState.ScaleX), c.resX / 100.0);
    EXPECT_DOUBLE_EQ(static_cast<double>(graphicsState.ScaleY), c.resY / 50.0);
  }
}

TEST_F(GraphicsStateTest, RecordsAreReadBackWithTheirFields) {
  test::LocaleGuard german("de_DE.UTF-8");
  DisplayRecordFields f;
  std::string bad;
  ASSERT_TRUE(ReadDisplayRecord("10;1;2;639;479;0;-1.5E-06;100;50", f, bad));
  EXPECT_EQ(f.type, RecWindow);
  EXPECT_EQ(f.f[3], 639);
  EXPECT_DOUBLE_EQ(static_cast<double>(f.f[6]), -1.5e-6);
  EXPECT_EQ(f.f[8], 50);
  ASSERT_TRUE(ReadDisplayRecord("3;7;8;2,5", f, bad));  // a comma reads as the decimal mark
  EXPECT_EQ(f.r, 2.5L);
  EXPECT_EQ(f.f[3], 639);  // fields a record does not carry keep their values
  ASSERT_TRUE(ReadDisplayRecord("6;1;2;a;b", f, bad));
  EXPECT_EQ(f.text, "a;b");
  ASSERT_TRUE(ReadDisplayRecord("9;3.5;2.5;7;90", f, bad));
  EXPECT_EQ(f.f[1], 3.5L);
  EXPECT_EQ(f.angle, 90);
  ASSERT_TRUE(ReadDisplayRecord("8;-1", f, bad));
  EXPECT_EQ(f.value, -1);
  ASSERT_TRUE(ReadDisplayRecord("13;x", f, bad));
  EXPECT_EQ(f.value, 0);
  for (const char* skipped : {"abc;1;2", "14;1;2", "0;1", "-3;1;2", ""}) {
    ASSERT_TRUE(ReadDisplayRecord(skipped, f, bad)) << skipped;
    EXPECT_EQ(f.type, 0) << skipped;
  }
  const struct {
    const char* rec;
    const char* bad;
  } failing[] = {{"4;x;1;2;3", "x"}, {"2;5;6", "6"}, {"5;1;2;3", "3"}, {"3;1;2;", ""}, {"9;1;2;0", "0"}};
  for (const auto& c : failing) {
    EXPECT_FALSE(ReadDisplayRecord(c.rec, f, bad)) << c.rec;
    EXPECT_EQ(bad, c.bad) << c.rec;
  }
}

TEST_F(GraphicsStateTest, SolidsThatCrossThemselvesAreFilledWithoutTheCrossing) {
  auto corners = [](std::initializer_list<long double> v) {
    std::array<long double, 9> f{};
    int i = 1;
    for (long double x : v) f[static_cast<std::size_t>(i++)] = x;
    return f;
  };
  // An arrowhead as dimensions hand it on: tip, two sides, base centre.
  EXPECT_EQ(SolidOutline(corners({0, 0, 3.45L, 0.61L, 3.45L, -0.61L, 3.5L, 0})), (std::array<int, 4>{1, 2, 4, 3}));
  EXPECT_EQ(SolidOutline(corners({0, 0, 1, 0, 1, 1, 0, 1})), (std::array<int, 4>{1, 2, 3, 4}));
  EXPECT_EQ(SolidOutline(corners({0, 0, 1, 1, 1, 0, 0, 1})), (std::array<int, 4>{1, 3, 2, 4}));
  // A triangle (last corner on the first) stays as it is.
  EXPECT_EQ(SolidOutline(corners({5, 5, 1, 6, 1, 4, 5, 5})), (std::array<int, 4>{1, 2, 3, 4}));
}

TEST_F(GraphicsStateTest, DirectionsAndWorldFractions) {
  const struct {
    long double angle;
    int32_t dir;
  } cases[] = {{0, 0}, {45, 0}, {46, 1}, {135, 0}, {180, 0}, {270, 1}, {315, 0}, {-90, 1}, {-135, 0}, {400, 0}};
  for (const auto& c : cases) EXPECT_EQ(GetDirection(c.angle), c.dir) << static_cast<double>(c.angle);
  SetWindow(true, true, 0, 0, 1, 1, 10, 20, 110, 70);
  EXPECT_EQ(EinX(0.5L), 50);
  EXPECT_EQ(EinY(0.5L), 25);
  SaveLimit();
  SetWindow(true, true, 0, 0, 1, 1, 0, 0, 1, 1);
  RestoreLimit();
  EXPECT_EQ(list().back(), "10;1;1;639;479;10;20;110;70");
}

}  // namespace
}  // namespace qorva
