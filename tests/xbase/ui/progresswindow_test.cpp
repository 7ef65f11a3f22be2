#include "xbase/ui/progresswindow.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QLabel>
#include <QPalette>
#include <QProgressDialog>
#include <QWidget>

#include "platform/services.h"
#include "xbase/enginestate.h"

namespace qorva {
namespace {

QString shownText() {
  auto* label = XbMsgWindow()->findChild<QLabel*>("XbMsgText");
  return label ? label->text() : QString();
}

TEST(XbMsgWindow, ProgressWindowCountsDownItsBarAndHides) {
  InstallQtXbMsgView(services());
  {
    TXbProgress100 progress;
    ASSERT_NE(XbMsgWindow(), nullptr);
    EXPECT_TRUE(XbMsgWindow()->isVisible());
    EXPECT_EQ(XbMsgWindow()->windowTitle(), "Progress");
    EXPECT_EQ(shownText(), QString(100, '|'));
    progress.Step();
    EXPECT_EQ(shownText(), QString(99, '|'));
    progress.Hide();
    EXPECT_FALSE(XbMsgWindow()->isVisible());
  }
  services() = HeadlessServices();
}

TEST(XbMsgWindow, TheIndexProgressIsADialogThatCounts) {
  InstallQtXbMsgView(services());
  {
    ProgressWindow progress("Indexing M\xFCller.ndx...", 100);
    auto* dialog = qobject_cast<QProgressDialog*>(XbProgressDialog());
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Indexing M\xc3\xbcller.ndx..."));
    EXPECT_EQ(dialog->maximum(), 100);
    EXPECT_EQ(dialog->value(), 0);
    for (int i = 0; i < 3; ++i) progress.Step();
    EXPECT_EQ(dialog->value(), 3);
    for (int i = 0; i < 200; ++i) progress.Step();
    EXPECT_EQ(dialog->value(), 100) << "never past its end";
  }
  EXPECT_EQ(XbProgressDialog(), nullptr) << "closed with its owner";
  services() = HeadlessServices();
}

TEST(XbMsgWindow, MessageWithoutCaptionIsFramelessAndShowsUmlauts) {
  InstallQtXbMsgView(services());
  TXbMsg msg;
  msg.Show("Datei wird gepackt: M\xE4rz.dbf");  // the engine's texts are in the Windows code page
  ASSERT_NE(XbMsgWindow(), nullptr);
  EXPECT_TRUE(XbMsgWindow()->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(XbMsgWindow()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(XbMsgWindow()->palette().color(QPalette::Window), QColor(255, 255, 0));
  EXPECT_EQ(shownText(), QString::fromUtf8("Datei wird gepackt: M\xC3\xA4rz.dbf"));
  EXPECT_GE(XbMsgWindow()->width(), msg.Width());
  msg.Hide();
  services() = HeadlessServices();
}

}  // namespace
}  // namespace qorva
