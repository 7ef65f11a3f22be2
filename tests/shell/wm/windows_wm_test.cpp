// Window places and sizes as a window manager makes them: run on Xvfb with openbox by
// tests/support/under-wm.sh at 1920x1080 and at 1280x1024. The help-picture navigator comes back
// exactly where the user left it and never off the screen; the dialogs open at a size where their
// fields are readable, inside the screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QToolButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/desktopsettings.h"
#include "shell/ui/documentwindow.h"
#include "shell/ui/drawinginfowindow.h"
#include "shell/ui/helppicturewindow.h"
#include "spring/spring.h"
#include "tests/support/testsupport.h"
#include "tests/support/ui/nextmodal.h"

namespace qorva {
namespace {

class WindowManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* why = std::getenv("QORVA_WM_SKIP")) GTEST_SKIP() << why;
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "not on an X server (run by under-wm.sh)";
    InitAllSettings();
    test::scriptedPrompter().clear();
    screen_ = QGuiApplication::primaryScreen()->availableGeometry();
    // The main window the program's dialogs belong to, as in the program.
    main_ = std::make_unique<QMainWindow>();
    main_->resize(screen_.width() * 3 / 4, screen_.height() * 3 / 4);
    main_->move(0, 0);  // where the program puts it
    ASSERT_TRUE(ShowFramed(*main_));
    SetGraphForm(main_.get());
  }
  void TearDown() override {
    SetGraphForm(nullptr);
    main_.reset();
    InitAllSettings();
  }

  // Shows the window and waits until the window manager has framed it.
  static bool ShowFramed(QWidget& w, int ms = 20000) {
    w.show();
    return QTest::qWaitFor([&] { return w.isVisible() && w.frameGeometry() != w.geometry(); }, ms);
  }
  static std::string Text(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
           std::to_string(r.height());
  }

  QRect screen_;
  std::unique_ptr<QMainWindow> main_;
  Spring spring_;  // the spring the dialogs show
};

TEST_F(WindowManagerTest, TheHelpPictureNavigatorComesBackExactlyWhereItWasLeft) {
  const HelpPictureNavigatorRequest request{"QORVA Hilfebilder", {"band    : Band und Wickel", "start   : Startbild"}, 1};
  // Where the navigator opens at the program's start, and where the user drags it to.
  for (const bool dragged : {false, true}) {
    SCOPED_TRACE(dragged ? "dragged" : "at the start place");
    const QPoint left = dragged ? QPoint(screen_.left() + 300, screen_.top() + 200)
                                : QPoint(desktopSettings.HelpPicFormLeft, desktopSettings.HelpPicFormTop);
    // Each choice of a picture makes the navigator anew, modal over the main window.
    std::vector<QRect> frames;
    for (int pass = 0; pass <= 4; ++pass) {
      test::OnNextModalOf<QDialog>([&, pass](QDialog* dialog) {
        auto* nav = dynamic_cast<HelpPictureWindow*>(dialog);
        ASSERT_NE(nav, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] { return nav->frameGeometry() != nav->geometry(); }, 20000))
            << "no window manager framed the window";
        if (pass == 0 && dragged) nav->move(left);  // the outer corner, where the user drags it
        (void)QTest::qWaitFor([&] { return nav->frameGeometry().topLeft() == left; }, 5000);
        frames.push_back(nav->frameGeometry());
        nav->nextEntryButton->click();  // the next picture: the navigator closes
      });
      const HelpPictureNavigatorResult r = RunHelpPictureNavigator(request);
      EXPECT_FALSE(r.ended);
    }
    ASSERT_EQ(frames.size(), 5u);
    for (std::size_t i = 0; i < frames.size(); ++i) {
      EXPECT_EQ(frames[i].topLeft(), left) << "pass " << i << ": " << Text(frames[i]);
      EXPECT_TRUE(screen_.contains(frames[i])) << Text(frames[i]);
    }
  }
}

TEST_F(WindowManagerTest, TheHelpPictureNavigatorNeverOpensOffTheScreen) {
  const QPoint places[] = {{-400, -59}, {5000, 3000}, {screen_.right() - 5, 40}, {40, screen_.bottom() - 5}};
  for (const QPoint& kept : places) {
    SCOPED_TRACE(Text(QRect(kept, QSize())));
    desktopSettings.HelpPicFormLeft = kept.x();
    desktopSettings.HelpPicFormTop = kept.y();
    HelpPictureWindow form(main_.get());
    form.FormShow({}, 0);
    // Framed or not yet: the whole window is on the screen.
    (void)ShowFramed(form, 3000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return screen_.contains(form.frameGeometry()); }, 10000))
        << Text(form.frameGeometry()) << " on " << Text(screen_);
    form.done(QDialog::Rejected);
  }
}

TEST_F(WindowManagerTest, TheDocumentLinksShowWholePaths) {
  DocumentWindow form(spring_.documents, main_.get());
  ASSERT_TRUE(ShowFramed(form));
  const int ch = form.fontMetrics().averageCharWidth();
  for (int i = 1; i <= DocumentLinkCount; ++i) {
    EXPECT_GE(form.programEdit[i]->width(), 40 * ch) << i;
    EXPECT_GE(form.fileEdit[i]->width(), 40 * ch) << i;
  }
  EXPECT_TRUE(screen_.contains(form.frameGeometry())) << Text(form.frameGeometry());
  // The fields grow with the window.
  const int before = form.fileEdit[1]->width();
  form.resize(form.width() + 200, form.height());
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.fileEdit[1]->width() >= before + 150; }, 10000));
  form.reject();
}

TEST_F(WindowManagerTest, TheDrawingDataShowTheirRowsAndColumns) {
  DrawingInfoWindow form(spring_.drawing, main_.get());
  ASSERT_TRUE(ShowFramed(form));
  EXPECT_TRUE(screen_.contains(form.frameGeometry())) << Text(form.frameGeometry());
  for (QTableWidget* grid : {form.titleBlockTable, form.drawingTextsTable}) {
    SCOPED_TRACE(grid->objectName().toStdString());
    // Ten rows of the drawing texts, every row of the title block, without scrolling sideways.
    const int rows = std::min(grid->rowCount(), 11);
    int height = 0;
    for (int r = 0; r < rows; ++r) height += grid->rowHeight(r);
    EXPECT_GE(grid->viewport()->height(), height);
    int width = 0;
    for (int c = 0; c < grid->columnCount() - 1; ++c) width += grid->columnWidth(c);
    EXPECT_GT(grid->viewport()->width(), width);
  }
  form.reject();
}

}  // namespace
}  // namespace qorva
