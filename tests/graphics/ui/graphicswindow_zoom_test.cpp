#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>

#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "graphics/graphicsstate.h"
#include "graphics/ui/graphicswindow.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

const QRgb Red = 0xFF0000;  // palette 12

QRgb at(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

class WindowZoomTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallGraphWindow(services());  // the window shows the display list, as in the program
    InitAllSettings();
    InitGraphicsState();
    programState.GraphResX = 640;
    programState.GraphResY = 480;
    test::scriptedPrompter().clear();
  }
  void TearDown() override {
    services() = HeadlessServices();
    InitGraphicsState();
    InitAllSettings();
  }
  // A window whose drawing area is 641 by 481 pixels (or the size given), showing one red square in
  // a world of pixels (0..640 by 0..480), drawn with unequal aspect so world units are pixels.
  static void showSquare(GraphicsWindow& window, QSize area = QSize(641, 481)) {
    window.resize(area);
    window.show();
    QApplication::processEvents();
    ASSERT_EQ(window.canvasWidget()->size(), area);
    Clear();
    SetWindow(false, false, 0, 0, 1, 1, 0, 0, 640, 480);
    SetColor(12);
    Solid(300, 220, 340, 220, 340, 260, 300, 260);
    ClearViewPort();
    QApplication::processEvents();
  }
};

TEST_F(WindowZoomTest, ARubberBandDraggedWithTheMouseZoomsIntoItsRectangle) {
  GraphicsWindow window;
  showSquare(window);
  QWidget* area = window.canvasWidget();
  ASSERT_EQ(at(window.canvasImage(), 320, 240), Red);
  ASSERT_NE(at(window.canvasImage(), 360, 240), Red);
  const QRgb bg = at(window.canvasImage(), 100, 100);

  QTest::mousePress(area, Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
  QTest::mouseMove(area, QPoint(440, 330));
  QApplication::processEvents();
  // The band is on the screen, inverted, while the button is held; the view has not changed.
  EXPECT_EQ(at(window.canvasImage(), 300, 150), ~bg & 0xFFFFFF);
  EXPECT_EQ(at(window.canvasImage(), 200, 250), ~bg & 0xFFFFFF);
  EXPECT_EQ(at(window.canvasImage(), 300, 151), bg);
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{0, 0, 640, 480}));

  QTest::mouseRelease(area, Qt::LeftButton, Qt::NoModifier, QPoint(440, 330));
  QApplication::processEvents();
  // 641 by 481 client pixels stand for the zoom rectangle 0, 0, 640, 480.
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{200, 151, 439, 330}));
  EXPECT_DOUBLE_EQ(static_cast<double>(graphicsSettings.VisibleXMin), 200);
  EXPECT_DOUBLE_EQ(static_cast<double>(graphicsSettings.VisibleXMax), 439);
  EXPECT_DOUBLE_EQ(static_cast<double>(graphicsSettings.VisibleYMin), 151);
  EXPECT_DOUBLE_EQ(static_cast<double>(graphicsSettings.VisibleYMax), 330);
  // The replay shows the square enlarged by 640 / 239 and the band is gone.
  const QImage& img = window.canvasImage();
  EXPECT_EQ(GraphCol(300), 268);
  EXPECT_EQ(GraphCol(340), 375);
  EXPECT_EQ(at(img, 320, 240), Red);
  EXPECT_EQ(at(img, 360, 240), Red);
  EXPECT_EQ(at(img, 372, 192), Red);
  EXPECT_EQ(at(img, 264, 240), bg);
  EXPECT_EQ(at(img, 300, 150), bg);

  // The zoom keys reach the window; Esc brings the whole view back.
  QTest::keyClick(area, Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{0, 0, 640, 480}));
  EXPECT_EQ(programState.LastScanKey, '?');
  EXPECT_NE(at(window.canvasImage(), 360, 240), Red);
  QTest::keyClick(area, Qt::Key_Plus, Qt::KeypadModifier);
  QApplication::processEvents();
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{54, 40, 586, 440}));
  EXPECT_EQ(programState.LastKey, '+');
  QTest::keyClick(area, Qt::Key_Plus);  // the main row's plus is no zoom key
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{54, 40, 586, 440}));
  QTest::keyClick(area, Qt::Key_PageDown);
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{54, 140, 586, 540}));
  QTest::keyClick(area, Qt::Key_F5);
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{0, 0, 640, 480}));
}

// The drawing laid out for 641 by 481 pixels, shown fitted in a window twice as large: a band
// dragged on what is shown zooms into the part of the drawing it covers.
TEST_F(WindowZoomTest, ARubberBandOnAFittedPictureZoomsIntoWhatItCovers) {
  GraphicsWindow window;
  showSquare(window, QSize(1281, 961));
  // The square at twice its size, in the middle of the window.
  EXPECT_EQ(at(window.canvasImage(), 602, 442), Red);
  EXPECT_EQ(at(window.canvasImage(), 678, 518), Red);
  EXPECT_NE(at(window.canvasImage(), 590, 480), Red);

  QWidget* area = window.canvasWidget();
  QTest::mousePress(area, Qt::LeftButton, Qt::NoModifier, QPoint(400, 300));
  QTest::mouseMove(area, QPoint(880, 660));
  QTest::mouseRelease(area, Qt::LeftButton, Qt::NoModifier, QPoint(880, 660));
  QApplication::processEvents();
  // The band covers x 200 .. 440 and y 150 .. 330 of the drawing.
  const ZoomRectangle z = CurrentZoomRectangle();
  EXPECT_NEAR(z.x1, 200, 1);
  EXPECT_NEAR(z.x2, 440, 1);
  EXPECT_NEAR(z.y1, 150, 1);
  EXPECT_NEAR(z.y2, 330, 1);
}

TEST_F(WindowZoomTest, ADoubleClickAndARightClickShowTheWholeDrawing) {
  GraphicsWindow window;
  showSquare(window);
  QWidget* area = window.canvasWidget();
  QTest::keyClick(area, Qt::Key_Plus, Qt::KeypadModifier);
  ASSERT_EQ(CurrentZoomRectangle(), (ZoomRectangle{54, 40, 586, 440}));
  QTest::mouseClick(area, Qt::RightButton, Qt::NoModifier, QPoint(50, 50));
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{0, 0, 640, 480}));

  QTest::keyClick(area, Qt::Key_Plus, Qt::KeypadModifier);
  const std::size_t before = graphicsState.DisplayList.size();
  QTest::mouseDClick(area, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
  QApplication::processEvents();
  EXPECT_EQ(graphicsState.DisplayList.size(), before + 2);
  EXPECT_FALSE(graphicsSettings.EqualAspect);
  EXPECT_FALSE(graphicsState.RubberBandActive);
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{0, 0, 640, 480}));
}

}  // namespace
}  // namespace qorva
