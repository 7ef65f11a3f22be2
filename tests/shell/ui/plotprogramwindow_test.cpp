// The plot program's command-line window: the line its controls compose with the kernel's builder
// (start values, every switch in one line, the interface rules, the fitted scale), and how OK,
// Abbrechen and the close box hand the line back.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "graphics/plotcommand.h"
#include "shell/ui/plotprogramwindow.h"
#include "tests/support/ui/nextmodal.h"

namespace qorva {
namespace {

// Runs act on the plot program's window once it is up.
void OnWindow(std::function<void(PlotProgramWindow*)> act) {
  test::OnNextModalOf<QDialog>([act](QDialog* d) {
    auto* w = dynamic_cast<PlotProgramWindow*>(d);
    ASSERT_NE(w, nullptr);
    act(w);
  });
}

class VentrixWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    programState.TempDir = "/tmp/plot";
    programState.HelpLevel = 0;
  }
  void TearDown() override { InitAllSettings(); }
  // The part of the line after the program and the DXF work file.
  static std::string Switches(const PlotProgramWindow& w) {
    const std::string head = "WVENTRIX " + ShellQuote(VentrixWorkFileArg());
    EXPECT_EQ(w.CommandLine.rfind(head, 0), 0u) << w.CommandLine;
    return w.CommandLine.substr(head.size());
  }
};

TEST_F(VentrixWindowTest, TheControlsComposeTheLine) {
  PlotProgramWindow w;
  EXPECT_EQ(Switches(w), " /CHPL") << "the start values add no switch";
  EXPECT_TRUE(w.parallelPortEdit->isEnabled());
  EXPECT_FALSE(w.serialPortEdit->isEnabled());
  EXPECT_FALSE(w.postscriptFontComboBox->isEnabled());

  w.outputInterfaceRadioGroup[0]->click();  // serial
  EXPECT_TRUE(w.serialPortEdit->isEnabled());
  EXPECT_FALSE(w.parallelPortEdit->isEnabled());
  EXPECT_EQ(Switches(w), " /CHPL /D1");
  w.serialPortEdit->setText("2");
  EXPECT_EQ(Switches(w), " /CHPL /D1 /P3");

  w.scaleEdit->setText("1,0");
  EXPECT_EQ(Switches(w), " /CHPL /D1 /P3") << "1,0 is 1";
  w.autoScaleCheckBox->click();
  EXPECT_EQ(w.scaleEdit->text(), "0");
  EXPECT_FALSE(w.scaleEdit->isEnabled());
  EXPECT_EQ(Switches(w), " /CHPL /D1 /P3 '/M*'") << "a fitted scale; quoted for the shell";
}

TEST_F(VentrixWindowTest, PostscriptToAFileWithEverySwitch) {
  PlotProgramWindow w;
  w.outputFormatRadioGroup[1]->click();
  EXPECT_TRUE(w.postscriptFontComboBox->isEnabled());
  w.outputInterfaceRadioGroup[2]->click();
  EXPECT_TRUE(w.outputFolderEdit->isEnabled());
  w.outputFolderEdit->setText("/tmp/aus gabe");
  w.serialPortEdit->setText("4");  // plays no part
  // The numbers go as typed, the rotation after the shifts and the text width.
  w.scaleEdit->setText("100.25");
  w.rotatePlotCheckBox->click();
  w.originShiftXEdit->setText("1234.5");
  w.originShiftYEdit->setText("-2,5");
  w.textWidthFactorEdit->setText("0,8");
  w.postscriptFontComboBox->setCurrentIndex(4);
  EXPECT_EQ(Switches(w), " /CPS /D3 /F'/tmp/aus gabe/ventrix' /M100.25 /X1234.5 /Y-2,5 /B0,8 /R /THelvetica");
}

TEST_F(VentrixWindowTest, OkTakesTheLineCancelKeepsTheOldOneTheCloseBoxTakesIt) {
  std::string line = "alte zeile";
  OnWindow([](PlotProgramWindow* w) {
    EXPECT_EQ(w->CommandLine, "alte zeile") << "a preset stays until a control changes";
    w->cancelButton->click();
  });
  EXPECT_FALSE(EditVentrixCommandLine(line));
  EXPECT_EQ(line, "alte zeile");

  OnWindow([](PlotProgramWindow* w) {
    w->rotatePlotCheckBox->click();
    w->okButton->click();
  });
  EXPECT_TRUE(EditVentrixCommandLine(line));
  EXPECT_NE(line.find(" /R"), std::string::npos) << line;

  OnWindow([](PlotProgramWindow* w) { w->close(); });
  EXPECT_TRUE(EditVentrixCommandLine(line));
}

}  // namespace
}  // namespace qorva
