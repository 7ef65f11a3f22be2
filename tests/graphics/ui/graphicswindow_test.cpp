#include "graphics/ui/graphicswindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>

#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/printsettings.h"
#include "graphics/graphicsdraw.h"
#include "graphics/graphicsstate.h"
#include "tests/graphics/graphicsstate_fixture.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

// Pixels as 0xRRGGBB.
const QRgb Red = 0xFF0000;     // palette 12
const QRgb Blue = 0x0000FF;    // palette 9
const QRgb Yellow = 0xFFFF00;  // palette 14
// The background colour, a colour value 0xBBGGRR.
QRgb Bg() {
  const TColor c = graphicsSettings.BackgroundColor;
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

class ReplayTest : public test::GraphicsStateFixture {
 protected:
  // The first graphics window made shows the display list, as in the program.
  void SetUp() override {
    GraphicsStateFixture::SetUp();
    InstallGraphWindow(services());
  }
  void TearDown() override {
    services() = HeadlessServices();
    GraphicsStateFixture::TearDown();
  }
  static void records(std::vector<std::string> recs) { graphicsState.DisplayList = std::move(recs); }
  static QImage render(DisplayListReplay::Stop* stop = nullptr) {
    QImage img(641, 481, QImage::Format_RGB32);
    QPainter p(&img);
    const auto s = ReplayDisplayList(p, img.size());
    if (stop) *stop = s;
    return img;
  }
  static QRgb at(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }
  static int count(const QImage& img, QRect r, QRgb c) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) n += at(img, x, y) == (c & 0xFFFFFF);
    return n;
  }
  static void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
  }
  static void showLaidOutSize(GraphicsWindow& window) {
    window.resize(641, 481);  // the drawing area the drawings are laid out for
    window.show();
    QApplication::processEvents();
  }
  // A red cross on a world of 100 by 50 whose second stroke follows a pause record of `ms`.
  static void redCrossWithPause(int ms) {
    SetWindow(true, false, 0, 0, 1, 1, 0, 0, 100, 50);
    SetColor(12);
    line(0, 0, 100, 50);
    SleepMs(ms);
    line(0, 50, 100, 0);
  }
};

TEST_F(ReplayTest, LinesAndCirclesLandOnTheirPixelsUnderAGermanLocale) {
  test::LocaleGuard german("de_DE.UTF-8");
  ASSERT_TRUE(german.ok());
  SetWindow(true, false, 0, 0, 1, 1, 0, 0, 100, 50);
  SetColor(12);
  line(0, 0, 100, 50);
  SetColor(9);
  circle(50, 25, 10);
  ASSERT_EQ(graphicsState.DisplayList[0], "10;0;0;640;480;0;0;100;50");
  DisplayListReplay::Stop stop;
  const QImage img = render(&stop);
  EXPECT_EQ(stop, DisplayListReplay::Stop::End);
  // The line runs from pixel (0, 480) to (640, 160).
  EXPECT_EQ(at(img, 2, 479), Red);
  EXPECT_EQ(at(img, 160, 400), Red);
  EXPECT_EQ(at(img, 480, 240), Red);
  EXPECT_EQ(at(img, 160, 300), Bg());
  // The circle fills the box from column 256 to 384 and row 256 to 384, outline only.
  EXPECT_EQ(at(img, 256, 320), Blue);
  EXPECT_EQ(at(img, 384, 320), Blue);
  EXPECT_EQ(at(img, 320, 256), Blue);
  EXPECT_EQ(at(img, 330, 270), Bg());
  EXPECT_EQ(count(img, QRect(0, 0, 641, 481), Blue) > 200, true);
}

// The bounding box of the pixels of colour c.
QRect Extent(const QImage& img, QRgb c) {
  QRect box;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) == c) box |= QRect(x, y, 1, 1);
  return box;
}

TEST_F(ReplayTest, UnderEqualAspectACircleStaysRoundAtEveryWindowShape) {
  const struct {
    const char* name;
    int w, h;
  } windows[] = {{"4:3", 641, 481}, {"16:9", 1920, 1080}, {"21:9", 2560, 1080}, {"upright", 600, 900}};
  for (const auto& win : windows) {
    SCOPED_TRACE(win.name);
    programState.GraphResX = win.w - 1;
    programState.GraphResY = win.h - 1;
    graphicsState.DisplayList.clear();
    graphicsState.CurrentColor = -1;
    Header(0, 0, 160, 120);  // a drawing page of 160 by 120 mm
    SetColor(12);
    circle(80, 60, 50);
    QImage img(win.w, win.h, QImage::Format_RGB32);
    {
      QPainter p(&img);
      ASSERT_EQ(ReplayDisplayList(p, img.size()), DisplayListReplay::Stop::End);
    }
    const QRect box = Extent(img, Red);
    ASSERT_FALSE(box.isEmpty());
    // As many pixels across as down, and as large as the page allows: 100 of its 120 mm high (or
    // of its 160 mm wide, where the window is narrower than the page).
    EXPECT_NEAR(box.width(), box.height(), 2) << box.width() << "x" << box.height();
    const double mm = std::min((win.w - 3) / 160.0, (win.h - 3) / 120.0);
    EXPECT_NEAR(box.height(), 100 * mm, 3);
    EXPECT_TRUE(QRect(0, 0, win.w, win.h).contains(box));
  }
}

// A window made smaller or larger than the one the drawing was laid out for shows the whole drawing,
// as large as the window allows, whenever it changes size.
TEST_F(ReplayTest, AResizedWindowShowsTheWholeDrawingFittedToIt) {
  GraphicsWindow window;
  showLaidOutSize(window);
  Header(0, 0, 160, 120);
  SetColor(12);
  Rectangle(0, 0, 160, 120);
  ClearViewPort();
  for (const QSize size : {QSize(1000, 650), QSize(400, 700), QSize(641, 481)}) {
    SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
    window.resize(size);
    QApplication::processEvents();
    window.canvasWidget()->repaint();
    const QImage& img = window.canvasImage();
    ASSERT_EQ(img.size(), size);
    const QRect box = Extent(img, Red);
    EXPECT_TRUE(QRect(QPoint(0, 0), size).contains(box)) << box.width() << "x" << box.height();
    const double unit = std::min((size.width() - 3) / 160.0, (size.height() - 3) / 120.0);
    EXPECT_NEAR(box.width(), 160 * unit, 3);
    EXPECT_NEAR(box.height(), 120 * unit, 3);
  }
}

TEST_F(ReplayTest, ArcsAndFullCirclesAreDrawnAsTheyDescribe) {
  SetWindow(true, false, 0, 0, 1, 1, 0, 0, 100, 50);
  SetColor(12);
  Arc(25, 25, 0, 360, 10);    // full turn: the whole circle
  Arc(75, 25, 30, -30, 10);   // 300 degrees counter-clockwise, open towards +x
  const QImage img = render();
  // Full circle: left, right, top and bottom of the circle about (160, 320), radius 64.
  EXPECT_EQ(at(img, 96, 320), Red);
  EXPECT_EQ(at(img, 224, 320), Red);
  EXPECT_EQ(at(img, 160, 256), Red);
  EXPECT_EQ(at(img, 160, 384), Red);
  // The 300-degree arc about (480, 320) passes left, top and bottom, and leaves the right open.
  EXPECT_EQ(at(img, 416, 320), Red);
  EXPECT_EQ(at(img, 480, 256), Red);
  EXPECT_EQ(at(img, 480, 384), Red);
  EXPECT_EQ(count(img, QRect(538, 300, 10, 40), Red), 0);
}

TEST_F(ReplayTest, AnArcOnAnEllipseEndsOnTheRaysThroughItsPoints) {
  // Unequal scales (6.4 and 4.8 pixels per unit): the circle about (50, 50) becomes an ellipse of
  // 128 by 96 pixels about pixel (320, 240).
  SetWindow(false, false, 0, 0, 1, 1, 0, 0, 100, 100);
  SetColor(12);
  Arc(50, 50, 45, 135, 20);
  const QImage img = render();
  const auto onEllipse = [&](double deg, int r) {
    const double t = deg * 3.14159265358979 / 180;
    const int x = static_cast<int>(std::lround(320 + 128 * std::cos(t))), y = static_cast<int>(std::lround(240 - 96 * std::sin(t)));
    return count(img, QRect(x - r, y - r, 2 * r + 1, 2 * r + 1), Red);
  };
  EXPECT_GT(onEllipse(90, 1), 0);
  EXPECT_GT(onEllipse(47, 1), 0);
  EXPECT_GT(onEllipse(133, 1), 0);
  // Not beyond its end points, on either side.
  EXPECT_EQ(onEllipse(39, 2), 0);
  EXPECT_EQ(onEllipse(141, 2), 0);
}

TEST_F(ReplayTest, AnArrowheadSolidIsFilledOnBothSidesOfItsAxis) {
  SetWindow(true, false, 0, 0, 1, 1, 0, 0, 100, 50);
  SetColor(14);
  // Tip, the two side corners and the base centre, as dimension arrows hand them on.
  const long double L = 40, c = L * std::cos(10 * 3.14159265358979L / 180), s = L * std::sin(10 * 3.14159265358979L / 180);
  Solid(20, 25, 20 + c, 25 + s, 20 + c, 25 - s, 20 + L, 25);
  const QImage img = render();
  const int row = GraphRow(25), col = GraphCol(50);
  EXPECT_EQ(at(img, col, row - 8), Yellow);  // above the axis
  EXPECT_EQ(at(img, col, row + 8), Yellow);  // below the axis
  EXPECT_EQ(at(img, col, row - 40), Bg());
}

TEST_F(ReplayTest, TextsTakeTheirHeightAndColourFromTheRecordsBefore) {
  SetWindow(true, false, 0, 0, 1, 1, 0, 0, 100, 50);
  SetColor(12);
  SetTextStyle(0, 0, 3.5L, 2.5L);  // 5.6 units high: 36 pixels
  OutTextXY(10, 10, "HHHH");
  SetColor(16);                    // black pen; texts keep red
  OutTextXY(10, 30, "HHHH");
  const QImage img = render();
  const int x = GraphCol(10), base = GraphRow(10);
  // The cell's top lies 4.2 units (27 pixels) above the start point; the letters sit on it.
  EXPECT_GT(count(img, QRect(x, base - 27, 120, 30), Red), 100);
  EXPECT_EQ(count(img, QRect(x, base - 60, 120, 30), Red), 0);
  EXPECT_EQ(count(img, QRect(0, base + 12, 641, 30), Red), 0);
  EXPECT_GT(count(img, QRect(x, GraphRow(30) - 27, 120, 30), Red), 100);
}

TEST_F(ReplayTest, ATextBeforeAnyTextStyleIsThreeAndAHalfUnitsHigh) {
  SetWindow(true, false, 0, 0, 1, 1, 0, 0, 100, 50);
  SetColor(12);
  OutTextXY(10, 10, "HHHH");  // 3.5 units: 22 pixels, its cell's top 17 pixels above the start point
  const QImage img = render();
  const int x = GraphCol(10), base = GraphRow(10);
  EXPECT_GT(count(img, QRect(x, base - 17, 100, 20), Red), 50);
  EXPECT_EQ(count(img, QRect(x, base - 40, 100, 21), Red), 0);  // a 5.6-unit cell would reach up here
}

TEST_F(ReplayTest, ABadRecordEndsTheReplayWithAMessage) {
  records({"10;0;0;640;480;0;0;100;50", "8;12", "4;0;0;100;50", "4;x;1;2;3", "4;0;50;100;0"});
  DisplayListReplay::Stop stop;
  const QImage img = render(&stop);
  EXPECT_EQ(stop, DisplayListReplay::Stop::BadRecord);
  EXPECT_EQ(at(img, 160, 400), Red);                      // before the bad record
  EXPECT_EQ(at(img, 160, 240), Bg());    // after it: not drawn
  const auto& asked = test::scriptedPrompter().asked();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].kind, AskKind::Message);
  EXPECT_EQ(asked[0].text, "'x' is not a valid floating point value");
}

TEST_F(ReplayTest, AWindowRecordWithoutWidthStopsTheReplay) {
  records({"10;0;0;640;480;0;0;100;50", "8;12", "4;0;0;100;50", "10;0;0;640;480;5;0;5;10", "abc;1;2",
           "14;1;2", "4;0;50;100;0"});
  DisplayListReplay::Stop stop;
  const QImage img = render(&stop);
  EXPECT_EQ(stop, DisplayListReplay::Stop::WindowError);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(at(img, 160, 240), Bg());
  EXPECT_TRUE(test::scriptedPrompter().asked().empty());
}

TEST_F(ReplayTest, PrintingMapsThePictureOntoThePageAndLeavesTextsOffTheScreen) {
  GraphicsWindow window;
  showLaidOutSize(window);
  printSettings.PrintOriginX = 10;
  records({"10;0;0;640;480;0;0;100;50", "8;12", "4;0;0;0;50", "9;3.5;2.5;0;0", "6;50;25;HHHH", "13;5000"});
  QImage page(2100, 1500, QImage::Format_RGB32);
  page.fill(Qt::white);
  QElapsedTimer clock;
  clock.start();
  {
    QPainter p(&page);
    window.PrintReplay(p, PrintPage{page.size(), 254.0, {}});
  }
  EXPECT_LT(clock.elapsed(), 4000);  // the pause record is skipped while printing
  EXPECT_FALSE(graphicsState.GraphPrinting);
  // Page 2100 wide at 254 dpi: 10 mm are 100 pixels. The world of 100 by 50 takes the page's width
  // (21 pixels a unit) from its top: the line x = 0 runs from row 1050 up to row 0, black because
  // print colour mode 1 prints lines black.
  EXPECT_EQ(at(page, 100, 1000), 0u);
  EXPECT_EQ(at(page, 100, 10), 0u);
  EXPECT_EQ(at(page, 100, 1060), 0xFFFFFFu);
  EXPECT_EQ(at(page, 99, 1000), 0xFFFFFFu);
  // The text is on the page (its cell from column 1150, row 437, 118 pixels high), not on the screen.
  EXPECT_GT(count(page, QRect(1150, 430, 400, 130), 0), 100);
  EXPECT_EQ(count(window.canvasImage(), QRect(320, 260, 200, 70), Red), 0);
  EXPECT_EQ(at(window.canvasImage(), 0, 400), Red);  // the line on the screen in colour

  // Colour mode 4 prints lines black and texts in their palette colours.
  programState.PrintColorMode = 4;
  page.fill(Qt::white);
  {
    QPainter p(&page);
    window.PrintReplay(p, PrintPage{page.size(), 254.0, {}});
  }
  EXPECT_EQ(at(page, 100, 1000), 0u);
  EXPECT_GT(count(page, QRect(1150, 430, 400, 130), Red), 100);
  EXPECT_EQ(count(page, QRect(1150, 430, 400, 130), 0), 0);
}

TEST_F(ReplayTest, APauseIsPlayedOutByATimerNotInsideThePaint) {
  GraphicsWindow window;
  showLaidOutSize(window);
  redCrossWithPause(300);
  QElapsedTimer clock;
  clock.start();
  ClearViewPort();
  window.canvasWidget()->repaint();  // one paint, at once
  EXPECT_LT(clock.elapsed(), 250);
  EXPECT_TRUE(window.replayPaused());
  EXPECT_EQ(at(window.canvasImage(), 160, 400), Red);
  EXPECT_EQ(at(window.canvasImage(), 160, 240), Bg());  // after the pause
  // Plain paints meanwhile only show the picture; they neither wait nor restart the replay.
  window.canvasWidget()->repaint();
  EXPECT_TRUE(window.replayPaused());
  spin(600);
  EXPECT_FALSE(window.replayPaused());
  EXPECT_EQ(at(window.canvasImage(), 160, 240), Red);
}

TEST_F(ReplayTest, TheWindowShowsADrawingMadeThroughTheDrawingRoutines) {
  GraphicsWindow window;
  ASSERT_EQ(FKwengra, &window);
  ASSERT_EQ(graphWindowHost(), &window);
  EXPECT_EQ(window.windowTitle(), "KwenGraf");
  EXPECT_EQ(graphicsState.CurrentColor, -1);  // its own creation step ran
  showLaidOutSize(window);
  GraphClear();
  GraphHeader(0, 0, 160, 120);
  GraphSetDosColor(1);  // red
  GraphSolid(10, 10, 50, 10, 50, 50, 10, 50);
  GraphClearViewPort();
  QApplication::processEvents();
  EXPECT_EQ(at(window.canvasImage(), GraphCol(30), GraphRow(30)), Red);
  GraphClear();
  QApplication::processEvents();
  EXPECT_EQ(at(window.canvasImage(), GraphCol(30), GraphRow(30)), Bg());
  // A bad record met by the window's own replay is reported after the paint.
  graphicsState.DisplayList = {"4;1;2;3;y"};
  GraphClearViewPort();
  QApplication::processEvents();
  spin(20);
  ASSERT_EQ(test::scriptedPrompter().asked().size(), 1u);
  EXPECT_EQ(test::scriptedPrompter().asked()[0].text, "'y' is not a valid floating point value");
  // Closing the message activates the window, which replays the list again: the same record is
  // not told a second time, or the message would never end.
  for (int i = 0; i < 3; ++i) {
    window.RequestRepaint();
    QApplication::processEvents();
    spin(10);
  }
  EXPECT_EQ(test::scriptedPrompter().asked().size(), 1u);
  // A list that changed is told again.
  graphicsState.DisplayList.push_back("8;1");
  GraphClearViewPort();
  QApplication::processEvents();
  spin(10);
  EXPECT_EQ(test::scriptedPrompter().asked().size(), 2u);
}

TEST_F(ReplayTest, ALongReplayLetsNoQueuedInputRunInsideIt) {
  GraphicsWindow window;
  showLaidOutSize(window);
  SetWindow(true, false, 0, 0, 1, 1, 0, 0, 100, 50);
  // Well over 100000 records.
  for (int i = 0; i < 120000; ++i) SetColor(i % 2 ? 12 : 9);
  line(0, 0, 100, 50);
  processKey(VkAdd);
  const ZoomRectangle zoomed = CurrentZoomRectangle();
  // Input queued before the replay waits for it to end: the replay draws one view from its first
  // record to its last and never runs a nested replay.
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::postEvent(window.canvasWidget(), esc.clone());
  window.FormPaint();
  EXPECT_EQ(CurrentZoomRectangle(), zoomed);
  QApplication::processEvents();
  EXPECT_EQ(CurrentZoomRectangle(), (ZoomRectangle{0, 0, 640, 480}));
}

TEST_F(ReplayTest, ANewDrawingDuringAPauseStartsTheReplayAfresh) {
  GraphicsWindow window;
  showLaidOutSize(window);
  redCrossWithPause(200);
  ClearViewPort();
  window.canvasWidget()->repaint();
  ASSERT_TRUE(window.replayPaused());
  // A new drawing arrives while the old one waits: its own replay replaces the held one.
  GraphClear();
  SetWindow(true, false, 0, 0, 1, 1, 0, 0, 100, 50);
  SetColor(9);
  line(0, 50, 100, 0);
  EXPECT_FALSE(window.replayPaused());
  GraphClearViewPort();
  spin(400);
  EXPECT_EQ(at(window.canvasImage(), 160, 240), Blue);
  EXPECT_EQ(at(window.canvasImage(), 160, 400), Bg());  // nothing left of the old drawing
}

}  // namespace
}  // namespace qorva
