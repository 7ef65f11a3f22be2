// The about and system-information windows: their texts, the system facts as lines (a name the
// system does not tell left out, an unreadable drive in one line, megabytes with thousands), and
// the logo they leave in the main window's drawing.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <unistd.h>

#include <algorithm>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "graphics/graphicsdraw.h"
#include "graphics/graphicsstate.h"
#include "shell/ui/about.h"
#include "shell/ui/systeminfowindow.h"

namespace qorva {
namespace {

class AboutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitGraphicsState();
    GraphicsWindowCreate();
    programState.ProgName = "QORVA";
    programState.ProgTitle = "QORVA - Konstantkraftfeder";
    programState.ProgVersion = "1.0";
  }
  void TearDown() override {
    InitGraphicsState();
    InitAllSettings();
  }
  // Draws a line and returns its record.
  static DisplayListRecord DrawLine() {
    line(0, 0, 10, 10);
    return graphicsState.DisplayList.back();
  }
  // Whether the drawing was cleared of lineRecord and holds the logo (seven filled shapes and more).
  static bool JustTheLogo(const DisplayListRecord& lineRecord) {
    const auto& l = graphicsState.DisplayList;
    return std::find(l.begin(), l.end(), lineRecord) == l.end() && l.size() >= 7;
  }
};

TEST(SystemInfo, FactsBecomeTheWindowsLines) {
  SystemFacts f;
  f.computer = "werkbank";
  f.user = "ingrid";
  f.programFile = "/opt/Qorva/bin/qorva";
  f.volumeKnown = true;
  f.fileSystem = "ext4";
  f.totalMB = 500000;
  f.freeMB = 12.4;
  f.operatingSystem = "6.1 Debian GNU/Linux 12 (bookworm)";
  f.clockMHz = 2893.6;
  f.summary = "werkbank/6.1/2.9GHz/16000MB/500GB/";
  f.addresses = {"192.168.1.7"};
  EXPECT_EQ(SystemInfoLines(f), std::vector<std::string>({
                                    "PC Name     : werkbank",
                                    "User        : ingrid",
                                    "File name   : /opt/Qorva/bin/qorva",  // as it is, not in lower case
                                    "File syst.  : ext4",
                                    "HD total    : 500.000 MB",
                                    "HD free     :     12 MB",
                                    "Operat.sys. : 6.1 Debian GNU/Linux 12 (bookworm)",
                                    "Clock speed : 2894 MHz",
                                    "werkbank/6.1/2.9GHz/16000MB/500GB/",
                                    "IP-Adress:",
                                    "192.168.1.7",
                                }));
  f.computer.clear();
  f.user.clear();
  f.volumeKnown = false;
  f.addresses.clear();
  const auto lines = SystemInfoLines(f);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "File name   : /opt/Qorva/bin/qorva");
  EXPECT_EQ(lines[1], "File system error");
  EXPECT_EQ(lines.back(), "IP-Adress:");
  EXPECT_EQ(MegabyteText(1234567.4), "1.234.567");
  EXPECT_EQ(MegabyteText(0), "     0");
}

TEST(SystemInfo, TheFactsOfThisComputer) {
  const SystemFacts f = GatherSystemFacts();
  char self[4096] = {};
  ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
  EXPECT_EQ(f.programFile, self);
  EXPECT_TRUE(f.volumeKnown);
  EXPECT_FALSE(f.fileSystem.empty());
  EXPECT_GT(f.totalMB, 0);
  EXPECT_GE(f.totalMB, f.freeMB);
  EXPECT_FALSE(f.operatingSystem.empty());
}

TEST_F(AboutTest, TheAboutBoxNamesTheProgramAndLeavesTheLogo) {
  const DisplayListRecord drawn = DrawLine();
  AboutBox box;
  EXPECT_EQ(box.windowTitle(), "QORVA");
  EXPECT_EQ(box.programTitleLabel->text(), "QORVA - Konstantkraftfeder");
  EXPECT_EQ(box.versionLabel->text(), "Version 1.0 für Linux");
  EXPECT_TRUE(box.fileVersionLabel->text().startsWith("File Version : 1.0   (")) << box.fileVersionLabel->text().toStdString();
  EXPECT_TRUE(JustTheLogo(drawn)) << "the drawing was cleared and holds the logo";
}

TEST_F(AboutTest, TheSystemInfoShowsItsLinesOnceItIsShown) {
  const DisplayListRecord drawn = DrawLine();
  SystemInfoWindow box;
  EXPECT_EQ(box.windowTitle(), "QORVA System Info");
  EXPECT_TRUE(JustTheLogo(drawn));
  EXPECT_TRUE(box.systemInfoTextEdit->isReadOnly());
  box.show();
  const QString text = box.systemInfoTextEdit->toPlainText();
  EXPECT_TRUE(text.contains("File name   : ")) << text.toStdString();
  EXPECT_TRUE(text.contains("IP-Adress:"));
  box.hide();
  box.show();
  EXPECT_EQ(box.systemInfoTextEdit->toPlainText(), text) << "the lines are added once";
}

}  // namespace
}  // namespace qorva
