#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "graphics/graphicsdraw.h"
#include "graphics/graphicsstate.h"
#include "shell/ui/mainwindow.h"

namespace qorva {
namespace {

TEST(MainWindowGraphics, ShowsADrawingMadeOfDisplayListRecords) {
  InitAllSettings();
  InitGraphicsState();
  programState.GraphResX = 640;
  programState.GraphResY = 480;
  {
    MainWindow w;
    ASSERT_EQ(FKwengra, &w);
    ASSERT_TRUE(GraphDraw);
    // The main window's creation replaces the graphics window's: the current state starts at zero,
    // so before the first replay a colour 0 and Header's line style 0 are left out.
    EXPECT_EQ(graphicsState.CurrentColor, 0);
    GraphClear();
    GraphHeader(0, 0, 160, 120);
    GraphSetColor(0);
    GraphSetColor(14);
    GraphSolid(20, 20, 60, 20, 60, 60, 20, 60);
    GraphClearViewPort();
    EXPECT_EQ(graphicsState.DisplayList.size(), 3u);  // window, colour, solid
    w.show();
    QApplication::processEvents();
    const QImage& img = w.canvasImage();
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.pixel(GraphCol(40), GraphRow(40)) & 0xFFFFFF, 0xFFFF00u);
    EXPECT_NE(img.pixel(GraphCol(100), GraphRow(100)) & 0xFFFFFF, 0xFFFF00u);

    // The main window zooms as the graphics window does: a zoom key, then a right click.
    QTest::keyClick(w.canvasWidget(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(programState.LastKey, '+');
    EXPECT_NE(CurrentZoomRectangle(), (ZoomRectangle{1, 1, 639, 479}));
    QTest::mouseClick(w.canvasWidget(), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{1, 1, 639, 479}));
  }
  EXPECT_EQ(FKwengra, nullptr);
  EXPECT_EQ(graphWindowHost(), nullptr);
  GraphDraw.reset();
  InitGraphicsState();
  InitAllSettings();
}

}  // namespace
}  // namespace qorva
