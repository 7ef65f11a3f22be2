// Prints measured on paper: the display list printed into PDF files through the printer's PDF output,
// made into pictures by poppler's pdftoppm and measured, with the window laid out at two screen
// shapes. And the screen picture fitted to drawing areas of other sizes than the one it was laid
// out in.
#include <gtest/gtest.h>

#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <array>
#include <filesystem>

#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"
#include "foundation/printsettings.h"
#include "graphics/graphicsstate.h"
#include "graphics/ui/graphicswindow.h"
#include "tests/graphics/graphicsstate_fixture.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

constexpr int kDpi = 150;  // of the pictures made from the PDF files
constexpr double kPxPerMm = kDpi / 25.4;
const QRgb Red = 0xFF0000;   // palette 12
const QRgb Blue = 0x0000FF;  // palette 9

struct ScreenShape {
  const char* name;
  int w, h;
};
const ScreenShape kScreens[] = {{"1920x1080", 1920, 1080}, {"1280x1024", 1280, 1024}};

// The bounding box of the pixels that colour c dominates: thin lines of a PDF picture are drawn
// anti-aliased, pale but of their hue.
QRect Extent(const QImage& img, QRgb c) {
  auto channels = [](QRgb p) { return std::array<int, 3>{qRed(p), qGreen(p), qBlue(p)}; };
  const auto want = channels(c);
  const int main = int(std::max_element(want.begin(), want.end()) - want.begin());
  QRect box;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const auto p = channels(img.pixel(x, y));
      bool dominated = true;
      for (int k = 0; k < 3; ++k)
        if (k != main && p[main] < p[k] + 40) dominated = false;
      if (dominated) box |= QRect(x, y, 1, 1);
    }
  return box;
}

class PrintMeasureTest : public test::GraphicsStateFixture {
 protected:
  void SetUp() override {
    GraphicsStateFixture::SetUp();
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty())
      GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed: tools/setup.sh installs it";
    programState.ScreenColor = true;
    programState.PrintColorMode = 2;  // lines in their colours
  }

  // A new, empty display list recorded on a screen of that shape.
  static void RecordOnScreen(const ScreenShape& s) {
    programState.GraphResX = s.w - 1;
    programState.GraphResY = s.h - 1;
    graphicsState.DisplayList.clear();
    graphicsState.CurrentColor = -1;
  }

  // The display list printed on A4 paper into a PDF file, returned as a picture of kDpi.
  QImage printA4(QPageLayout::Orientation orientation, const std::string& stem) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(orientation);
    const std::filesystem::path pdf = dir_.path() / (stem + ".pdf");
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    PrintDisplayList(printer);
    EXPECT_FALSE(programState.ErrorFlag);
    const std::filesystem::path png = dir_.path() / stem;
    QProcess run;
    run.start("pdftoppm", {"-r", QString::number(kDpi), "-png", "-singlefile", QString::fromStdString(pdf.string()),
                           QString::fromStdString(png.string())});
    EXPECT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    QImage img(QString::fromStdString(png.string() + ".png"));
    EXPECT_FALSE(img.isNull());
    return img.convertToFormat(QImage::Format_RGB32);
  }

  test::ScratchDir dir_;
};

// An A4 upright drawing sheet in millimetres, as the production drawing lays it out: a red frame of
// 180 by 277 mm and a blue coil of 49.74 mm across.
void DrawSheet() {
  printSettings.SheetFormat = 2;
  Header(-5, -5, 215, 307);
  SetColor(12);
  Rectangle(20, 10, 200, 287);
  SetColor(9);
  circle(105, 150, 49.74L / 2);
}

TEST_F(PrintMeasureTest, ADrawingSheetPrintsTrueToScaleWhateverTheScreenShape) {
  for (const ScreenShape& s : kScreens) {
    SCOPED_TRACE(s.name);
    RecordOnScreen(s);
    DrawSheet();
    const QImage page = printA4(QPageLayout::Portrait, std::string("sheet") + s.name);
    ASSERT_EQ(page.width(), std::lround(210 * kPxPerMm));
    const QRect frame = Extent(page, Red), coil = Extent(page, Blue);
    // 180 mm and 277 mm within half a millimetre, at its place on the sheet.
    EXPECT_NEAR(frame.width() / kPxPerMm, 180, 0.5) << frame.width();
    EXPECT_NEAR(frame.height() / kPxPerMm, 277, 0.5) << frame.height();
    EXPECT_NEAR(frame.left() / kPxPerMm, 20, 0.5);
    EXPECT_NEAR(frame.top() / kPxPerMm, 297 - 287, 0.5);
    // The coil is round and 49.74 mm across.
    EXPECT_NEAR(coil.width(), coil.height(), 2) << coil.width() << "x" << coil.height();
    EXPECT_NEAR(coil.width() / kPxPerMm, 49.74, 0.5);
  }
}

TEST_F(PrintMeasureTest, APrintScaleShrinksTheSheetAboutThePaperCentre) {
  programState.GraphResX = 1919;
  programState.GraphResY = 1079;
  DrawSheet();
  printSettings.PrintScaleX = 0.5;
  printSettings.PrintScaleY = 0.5;
  const QImage page = printA4(QPageLayout::Portrait, "half");
  const QRect frame = Extent(page, Red);
  EXPECT_NEAR(frame.width() / kPxPerMm, 90, 0.5);
  EXPECT_NEAR(frame.height() / kPxPerMm, 138.5, 0.5);
  EXPECT_NEAR(frame.left() / kPxPerMm, 52.5 + 10, 0.5);
}

TEST_F(PrintMeasureTest, AnyOtherDrawingFillsThePageInItsOwnProportions) {
  for (const ScreenShape& s : kScreens) {
    SCOPED_TRACE(s.name);
    RecordOnScreen(s);
    printSettings.SheetFormat = 0;
    Header(0, 0, 160, 120);  // a page of 160 by 120 units, as the summary pages have
    SetColor(12);
    Rectangle(0, 0, 160, 120);
    SetColor(9);
    circle(80, 60, 50);
    const QImage page = printA4(QPageLayout::Landscape, std::string("page") + s.name);
    const QRect box = Extent(page, Red), coil = Extent(page, Blue);
    EXPECT_NEAR(box.width() * 120.0 / 160.0, box.height(), 3) << box.width() << "x" << box.height();
    EXPECT_NEAR(coil.width(), coil.height(), 2) << coil.width() << "x" << coil.height();
    // As large as the paper allows: the page's full height, less the printer's margins.
    EXPECT_GT(box.height() / kPxPerMm, 170);
    EXPECT_TRUE(QRect(0, 0, page.width(), page.height()).contains(box));
  }
}

// The picture laid out for one window, shown in a drawing area of another size: it fits, round.
TEST_F(PrintMeasureTest, TheScreenPictureFitsADrawingAreaOfAnyOtherSize) {
  programState.GraphResX = 1919;
  programState.GraphResY = 1079;
  DrawSheet();
  const QSize areas[] = {{1000, 650}, {700, 1000}, {1920, 1080}, {2400, 1300}};
  for (const QSize& area : areas) {
    SCOPED_TRACE(std::to_string(area.width()) + "x" + std::to_string(area.height()));
    QImage img(area, QImage::Format_RGB32);
    {
      QPainter p(&img);
      ASSERT_EQ(ReplayDisplayList(p, img.size()), DisplayListReplay::Stop::End);
    }
    const QRect frame = Extent(img, Red), coil = Extent(img, Blue);
    ASSERT_FALSE(frame.isEmpty());
    // The page limits (220 by 312 mm) take the area's height or width, whichever is smaller.
    const double perMm = std::min((area.width() - 3) / 220.0, (area.height() - 3) / 312.0);
    EXPECT_NEAR(frame.height(), 277 * perMm, 3);
    EXPECT_NEAR(frame.width(), 180 * perMm, 3);
    EXPECT_NEAR(coil.width(), coil.height(), 2);
    EXPECT_TRUE(QRect(QPoint(0, 0), area).contains(frame));
  }
}

}  // namespace
}  // namespace qorva
