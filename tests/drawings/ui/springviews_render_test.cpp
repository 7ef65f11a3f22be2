// The spring views drawn on the screen code and replayed onto an image: none is blank and each
// matches its reference picture (tests/drawings/data/qvadxf1_view<n>.png) within a small tolerance.
// QORVA_UPDATE_GOLDENS=1 writes the pictures anew; look at each before committing it.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <string>

#include "foundation/graphicssettings.h"
#include "graphics/graphicsstate.h"
#include "graphics/ui/graphicswindow.h"
#include "tests/drawings/springviews_fixture.h"

namespace qorva::cadtest {
namespace {

const std::string kDataDir = std::string(QORVA_SOURCE_DIR) + "/tests/drawings/data/";

class SpringViewRenderTest : public SpringViewTest {
 protected:
  void SetUp() override {
    SpringViewTest::SetUp();
    GraphicsWindowCreate();
    programState.GraphResX = 640;
    programState.GraphResY = 480;
    // The scratch folder's name changes from run to run: no data-file path in the pictures.
    cadSettings.DwgNoFooter = true;
    cadSettings.DwgNoFileName = true;
  }

  static QImage Render() {
    QImage img(641, 481, QImage::Format_RGB32);
    QPainter p(&img);
    EXPECT_EQ(ReplayDisplayList(p, img.size()), DisplayListReplay::Stop::End);
    return img;
  }
};

QRgb Background() {
  const TColor c = graphicsSettings.BackgroundColor;
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

int Drawn(const QImage& img) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += (img.pixel(x, y) & 0xFFFFFF) != Background();
  return n;
}

// Pixels whose colour differs clearly from the reference.
int Differing(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      const int d = std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
      n += d > 96;
    }
  return n;
}

TEST_F(SpringViewRenderTest, EveryViewMatchesItsReferencePicture) {
  for (uint16_t v = 1; v <= 8; ++v) {
    SCOPED_TRACE("view " + std::to_string(v));
    InitGraphicsState();
    GraphicsWindowCreate();
    DrawSpringView(spring, 3, v);
    ASSERT_FALSE(programState.ErrorFlag);
    const QImage img = Render();
    EXPECT_GT(Drawn(img), 2000) << "blank picture";
    const std::string ref = kDataDir + "qvadxf1_view" + std::to_string(v) + ".png";
    if (std::getenv("QORVA_UPDATE_GOLDENS")) {
      ASSERT_TRUE(img.save(QString::fromStdString(ref), "PNG"));
    }
    QImage want;
    ASSERT_TRUE(want.load(QString::fromStdString(ref))) << ref;
    want = want.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(want.size(), img.size());
    // Text rendering may differ by a few pixels between font set-ups; the drawing itself must not.
    EXPECT_LE(Differing(img, want), img.width() * img.height() / 200) << ref;
  }
}

}  // namespace
}  // namespace qorva::cadtest
