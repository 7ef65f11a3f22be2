#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "graphics/graphicsstate.h"
#include "tests/graphics/graphicsstate_fixture.h"

namespace qorva {
namespace {

// Records what the handlers ask of the window.
struct RecordingHost : GraphWindowHost {
  int repaints = 0;
  std::vector<ZoomRectangle> inverted;  // client-pixel corners of each inverted outline
  void RequestRepaint() override { ++repaints; }
  void SetWaitCursor(bool) override {}
  void CanvasMoveTo(int32_t, int32_t) override {}
  void CanvasLineTo(int32_t, int32_t) override {}
  void CanvasRectangle(int32_t, int32_t, int32_t, int32_t) override {}
  void CanvasInvertRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override {
    inverted.push_back({x1, y1, x2, y2});
  }
};

class ZoomTest : public test::GraphicsStateFixture {
 protected:
  void SetUp() override {
    GraphicsStateFixture::SetUp();
    // Viewport 0, 0, 640, 480; the zoom rectangle is the viewport.
    SetWindow(true, false, 0, 0, 1, 1, 0, 0, 100, 50);
    SaveLimit();
    services().GraphWindow = [this]() -> GraphWindowHost* { return &host_; };
  }
  void TearDown() override {
    services() = HeadlessServices();
    GraphicsStateFixture::TearDown();
  }
  RecordingHost host_;
};

TEST_F(ZoomTest, KeysStepTheZoomRectangleAndSetTheKeyPair) {
  const ZoomRectangle whole{0, 0, 640, 480};
  ASSERT_EQ(CurrentZoomRectangle(), whole);
  const struct {
    std::vector<uint16_t> keys;
    ZoomRectangle expected;
    char lastKey, lastScanKey;
  } cases[] = {
      {{VkAdd}, {54, 40, 586, 440}, '+', ' '},
      {{VkAdd, VkSubtract}, {1, 0, 639, 480}, '-', ' '},  // not the rectangle before
      {{VkSubtract}, {-64, -48, 704, 528}, '-', ' '},
      {{VkUp}, {0, -24, 640, 456}, '\0', 'H'},
      {{VkDown}, {0, 24, 640, 504}, '\0', 'P'},
      {{VkLeft}, {32, 0, 672, 480}, '\0', 'K'},
      {{VkRight}, {-32, 0, 608, 480}, '\0', 'M'},
      {{VkPageUp}, {0, -120, 640, 360}, '\0', 'I'},
      {{VkPageDown}, {0, 120, 640, 600}, '\0', 'Q'},
      {{VkAdd, VkLeft, VkUp}, {81, 20, 613, 420}, '\0', 'H'},  // pan steps follow the zoomed size
      {{VkAdd, VkLeft, VkEscape}, whole, '\0', '?'},
      {{VkSubtract, VkPageDown, VkF5}, whole, '\0', '?'},
  };
  for (const auto& c : cases) {
    ResetZoom();
    host_.repaints = 0;
    for (uint16_t k : c.keys) EXPECT_TRUE(processKey(k)) << k;
    EXPECT_EQ(CurrentZoomRectangle(), c.expected) << c.keys.back();
    EXPECT_EQ(programState.LastKey, c.lastKey) << c.keys.back();
    EXPECT_EQ(programState.LastScanKey, c.lastScanKey) << c.keys.back();
    EXPECT_EQ(host_.repaints, static_cast<int>(c.keys.size())) << c.keys.back();
  }
}

TEST_F(ZoomTest, OtherKeysLeaveTheKeyPairAndTheView) {
  processKey(VkAdd);
  const ZoomRectangle z = CurrentZoomRectangle();
  const long double sx = graphicsState.ScaleX;
  host_.repaints = 0;
  for (uint16_t key : {uint16_t{112}, uint16_t{13}, uint16_t{187}, uint16_t{0}}) {  // F1, Enter, main-row plus
    EXPECT_FALSE(processKey(key)) << key;
  }
  EXPECT_EQ(CurrentZoomRectangle(), z);
  EXPECT_EQ(graphicsState.ScaleX, sx);
  EXPECT_EQ(programState.LastKey, '+');
  EXPECT_EQ(programState.LastScanKey, ' ');
  EXPECT_EQ(host_.repaints, 0);
}

TEST_F(ZoomTest, AKeyStepThatLeavesNoRectangleIsIgnored) {
  SetScale(10, 10, 11, 11);
  processKey(VkAdd);  // half of 1 / 1.2 is 0: no width
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{10, 10, 11, 11}));
  for (long double damaged : {0.0L, -1.2L}) {  // from a damaged configuration
    graphicsSettings.ZoomFactor = damaged;
    ResetZoom();
    processKey(VkAdd);
    processKey(VkSubtract);
    EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{0, 0, 640, 480})) << static_cast<double>(damaged);
    EXPECT_TRUE(std::isfinite(graphicsState.ScaleX));
  }
}

TEST_F(ZoomTest, ZoomingAndPanningFarOutStaysInsideThePixelRange) {
  for (int i = 0; i < 200; ++i) processKey(VkSubtract);
  for (int i = 0; i < 100; ++i) processKey(VkRight);
  for (int i = 0; i < 100; ++i) processKey(VkPageUp);
  const ZoomRectangle z = CurrentZoomRectangle();
  EXPECT_LT(z.x1, z.x2);
  EXPECT_LT(z.y1, z.y2);
  EXPECT_TRUE(std::isfinite(graphicsState.ScaleX) && graphicsState.ScaleX > 0);
  EXPECT_TRUE(std::isfinite(graphicsState.ScaleY) && graphicsState.ScaleY > 0);
  (void)GraphCol(1e30L);
  (void)GraphRow(-1e30L);
  processKey(VkEscape);
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{0, 0, 640, 480}));
}

TEST_F(ZoomTest, ARubberBandSelectsItsPartOfTheZoomRectangle) {
  const ZoomRectangle whole{0, 0, 640, 480};
  const struct {
    ZoomRectangle z;
    int32_t sx, sy, ex, ey, cw, ch;
    long double m;
    bool zooms;
    ZoomRectangle expected;
  } cases[] = {
      {whole, 100, 100, 300, 250, 641, 481, 1, true, {100, 231, 300, 380}},
      {whole, 300, 250, 100, 100, 641, 481, 1, true, {100, 231, 300, 380}},  // dragged the other way
      {whole, 300, 100, 100, 250, 641, 481, 1, true, {100, 231, 300, 380}},
      {whole, 100, 100, 300, 250, 641, 481, 1.5L, true, {150, 231, 449, 380}},  // zoom aspect stretches x
      // The whole client area stands for the whole zoom rectangle: a drag zooms into what is shown.
      {{100, 231, 300, 380}, 0, 0, 641, 481, 641, 481, 1, true, {100, 231, 300, 380}},
      {{100, 231, 300, 380}, 0, 0, 320, 240, 640, 480, 1, true, {100, 306, 200, 380}},
      {whole, 100, 100, 100, 250, 641, 481, 1, false, {}},  // corners share an x
      {whole, 100, 250, 300, 250, 641, 481, 1, false, {}},  // ... a y
      {whole, 100, 100, 300, 250, 0, 481, 1, false, {}},    // a client area without size
  };
  for (const auto& c : cases) {
    ZoomRectangle out{-7, -7, -7, -7};
    EXPECT_EQ(RubberBandZoom(c.z, c.sx, c.sy, c.ex, c.ey, c.cw, c.ch, c.m, out), c.zooms)
        << c.sx << "," << c.sy << " " << c.ex << "," << c.ey;
    if (c.zooms) {
      EXPECT_EQ(out, c.expected) << c.sx << "," << c.sy << " " << c.ex << "," << c.ey;
    } else {
      EXPECT_EQ(out, (ZoomRectangle{-7, -7, -7, -7}));
    }
  }
}

TEST_F(ZoomTest, DraggingDrawsAnInvertedBandAndReleasingZoomsToIt) {
  graphicsSettings.EqualAspect = false;
  FormMouseDown(GraphMouseButton::Left, 100, 100);
  EXPECT_TRUE(graphicsState.RubberBandActive);
  FormMouseMove(200, 150);
  FormMouseMove(300, 250);
  // Nothing to erase at the first move; each later move erases the band before.
  EXPECT_EQ(host_.inverted,
            (std::vector<ZoomRectangle>{{100, 100, 200, 150}, {100, 100, 200, 150}, {100, 100, 300, 250}}));
  EXPECT_EQ(host_.repaints, 0);
  FormMouseUp(300, 250, 641, 481);
  EXPECT_FALSE(graphicsState.RubberBandActive);
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{100, 231, 300, 380}));
  EXPECT_EQ(host_.repaints, 1);
  // The visible world window is that part of the world: 0..100 by 0..50 over 640 by 480 pixels.
  EXPECT_NEAR(static_cast<double>(graphicsSettings.VisibleXMin), 100.0 / 640 * 100, 1e-9);
  EXPECT_NEAR(static_cast<double>(graphicsSettings.VisibleXMax), 300.0 / 640 * 100, 1e-9);
  EXPECT_NEAR(static_cast<double>(graphicsSettings.VisibleYMin), 231.0 / 480 * 50, 1e-9);
  EXPECT_NEAR(static_cast<double>(graphicsSettings.VisibleYMax), 380.0 / 480 * 50, 1e-9);

  // Moves without a band and a release without one do nothing.
  host_.inverted.clear();
  FormMouseMove(10, 10);
  FormMouseUp(400, 400, 641, 481);
  EXPECT_TRUE(host_.inverted.empty());
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{100, 231, 300, 380}));

  // A band whose corners share an x zooms nothing and asks for no repaint.
  FormMouseDown(GraphMouseButton::Left, 50, 50);
  FormMouseUp(50, 200, 641, 481);
  EXPECT_FALSE(graphicsState.RubberBandActive);
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{100, 231, 300, 380}));
  EXPECT_EQ(host_.repaints, 1);
}

TEST_F(ZoomTest, UnderEqualAspectTheBandIsStretchedByTheZoomAspect) {
  graphicsSettings.EqualAspect = true;
  graphicsSettings.ZoomAspect = 1.5L;
  FormMouseDown(GraphMouseButton::Left, 100, 100);
  FormMouseUp(300, 250, 641, 481);
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{150, 231, 449, 380}));
}

TEST_F(ZoomTest, ARightClickResetsTheZoomAndADragGoesOnToTheNextRelease) {
  processKey(VkAdd);
  graphicsSettings.EqualAspect = false;
  FormMouseDown(GraphMouseButton::Left, 100, 100);
  host_.repaints = 0;
  FormMouseDown(GraphMouseButton::Right, 120, 120);
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{0, 0, 640, 480}));
  EXPECT_EQ(host_.repaints, 1);
  EXPECT_TRUE(graphicsState.RubberBandActive);
  FormMouseUp(300, 250, 641, 481);  // the right button's release ends the drag
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{100, 231, 300, 380}));
  // A second left press during a drag starts no new band.
  FormMouseDown(GraphMouseButton::Left, 10, 10);
  FormMouseDown(GraphMouseButton::Left, 500, 400);
  EXPECT_EQ(graphicsState.RubberStartX, 10);
  FormMouseUp(20, 20, 641, 481);
}

TEST_F(ZoomTest, ADoubleClickShowsEveryDrawingAreaFillingItsViewport) {
  processKey(VkAdd);
  const std::size_t before = graphicsState.DisplayList.size();
  // Press, release, double click and the second press.
  FormMouseDown(GraphMouseButton::Left, 100, 100);
  FormMouseUp(100, 100, 641, 481);
  FormDblClick();
  EXPECT_TRUE(graphicsState.DoubleClicked);
  host_.repaints = 0;
  FormMouseDown(GraphMouseButton::Left, 100, 100);
  EXPECT_FALSE(graphicsState.DoubleClicked);
  EXPECT_FALSE(graphicsState.RubberBandActive);
  EXPECT_FALSE(graphicsSettings.EqualAspect);
  ASSERT_EQ(graphicsState.DisplayList.size(), before + 2);
  EXPECT_EQ(graphicsState.DisplayList[before], "10;1;1;639;479;0;0;100;50");  // the saved limits
  EXPECT_EQ(graphicsState.DisplayList[before + 1], "10;0;0;640;480;0;0;1;1");
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{0, 0, 640, 480}));
  EXPECT_EQ(host_.repaints, 1);
  FormMouseUp(100, 100, 641, 481);  // no band to end
  EXPECT_EQ(host_.repaints, 1);
}

}  // namespace
}  // namespace qorva
