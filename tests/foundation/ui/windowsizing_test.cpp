#include "foundation/ui/windowsizing.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QPalette>
#include <QWidget>

#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/desktopsettings.h"

namespace qorva {
namespace {

class WindowSizingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    main.setGeometry(100, 50, 800, 600);
    SetGraphForm(&main);
  }
  void TearDown() override {
    SetGraphForm(nullptr);
    InitAllSettings();
  }
  QWidget main;
};

TEST_F(WindowSizingTest, ScaleCenterFormSizesAndCentresOverTheMainWindow) {
  desktopSettings.DialogScale = 102;
  const struct {
    int w, h;
    QRect expected;
  } cases[] = {
      {400, 300, QRect(296, 217, 408, 306)},   // centred, 20 pixels lower
      {1000, 800, QRect(100, 70, 1020, 816)},  // larger than the main window: its corner
  };
  for (const auto& c : cases) {
    QWidget form;
    form.resize(c.w, c.h);
    ScaleCenterForm(&form);
    EXPECT_EQ(form.geometry(), c.expected);
    // Showing the dialog again does not grow it again.
    ScaleCenterForm(&form);
    EXPECT_EQ(form.geometry(), c.expected);
  }
}

TEST_F(WindowSizingTest, FontsFollowDialogFontScale) {
  QWidget form;
  QLabel* label = new QLabel("Text", &form);
  QFont f = form.font();
  f.setPointSizeF(10);
  form.setFont(f);
  form.resize(200, 100);
  desktopSettings.DialogFontScale = 150;
  ScaleForm(&form);
  EXPECT_DOUBLE_EQ(form.font().pointSizeF(), 15.0);
  EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 15.0);  // the controls take the form's font
  ScaleForm(&form);
  EXPECT_DOUBLE_EQ(form.font().pointSizeF(), 15.0);
  desktopSettings.DialogFontScale = 100;
  ScaleForm(&form);
  EXPECT_DOUBLE_EQ(form.font().pointSizeF(), 10.0);
}

TEST_F(WindowSizingTest, ScaleFormAtAndScaleFormPlaceAsTold) {
  desktopSettings.DialogScale = 50;
  desktopSettings.HelpPicFormLeft = 33;
  desktopSettings.HelpPicFormTop = 44;
  QWidget form;
  form.setGeometry(7, 8, 300, 200);
  ScaleForm(&form);
  EXPECT_EQ(form.geometry(), QRect(7, 8, 150, 100));
  QWidget at;
  at.resize(300, 201);
  ScaleFormAt(&at);
  EXPECT_EQ(at.geometry(), QRect(33, 44, 150, 100));
}

TEST_F(WindowSizingTest, WithoutMainWindowTheScreenStandsIn) {
  SetGraphForm(nullptr);
  desktopSettings.DialogScale = 100;
  QWidget form;
  form.resize(280, 224);
  ScaleCenterForm(&form);
  EXPECT_EQ(form.geometry(), QRect(500, 420, 280, 224));  // test screen 1280 x 1024
  EXPECT_EQ(MaxGraphClientWidth(), 1280);
  EXPECT_EQ(MaxGraphClientHeight(), 1024);
}

TEST_F(WindowSizingTest, AMainWindowNotShownYetKeepsRoomForItsFrame) {
  // The configuration's "max" sizes are taken before the window opens: they leave room for the
  // frame, title and menu bar as the start without a configuration does (test screen 1280 x 1024).
  ASSERT_FALSE(main.isVisible());
  EXPECT_EQ(MaxGraphClientWidth(), 1280 - 9);
  EXPECT_EQ(MaxGraphClientHeight(), 1024 - 91);
}

TEST_F(WindowSizingTest, SetupGraphForm) {
  programState.GraphResX = 639;
  programState.GraphResY = 479;
  graphicsSettings.BackgroundColor = 0x00FF8040;  // $00BBGGRR
  QWidget form;
  QLabel* child = new QLabel("x", &form);
  form.setGeometry(30, 40, 100, 100);
  SetupGraphForm(&form);
  EXPECT_EQ(form.geometry(), QRect(0, 0, 640, 480));
  EXPECT_EQ(form.palette().color(QPalette::Window), QColor(0x40, 0x80, 0xFF));
  EXPECT_TRUE(form.autoFillBackground());
  EXPECT_EQ(child->toolTipDuration(), 100000);

  // A resolution not configured yet takes the largest client area.
  programState.GraphResX = 0;
  programState.GraphResY = 0;
  SetupGraphForm(&form);
  EXPECT_EQ(form.size(), QSize(MaxGraphClientWidth(), MaxGraphClientHeight()));
  EXPECT_GT(form.width(), 1);
}

TEST_F(WindowSizingTest, OfAMainWindowOnlyTheDrawingAreaTakesTheBackgroundColour) {
  programState.GraphResX = 639;
  programState.GraphResY = 479;
  graphicsSettings.BackgroundColor = 0x000001;  // the start value: practically black
  QMainWindow form;
  form.setMenuBar(new QMenuBar);
  form.menuBar()->addMenu("&Datei");
  form.setStatusBar(new QStatusBar);
  auto* area = new QWidget;
  form.setCentralWidget(area);
  SetupGraphForm(&form);
  EXPECT_EQ(area->palette().color(QPalette::Window), QColor(1, 0, 0));
  EXPECT_TRUE(area->autoFillBackground());
  const QPalette desktop = QApplication::palette();
  for (QWidget* w : {static_cast<QWidget*>(form.menuBar()), static_cast<QWidget*>(form.statusBar())}) {
    EXPECT_EQ(w->palette().color(QPalette::Window), desktop.color(QPalette::Window)) << w->metaObject()->className();
    EXPECT_EQ(w->palette().color(QPalette::WindowText), desktop.color(QPalette::WindowText));
  }
  EXPECT_EQ(form.palette().color(QPalette::Window), desktop.color(QPalette::Window));
}

}  // namespace
}  // namespace qorva
