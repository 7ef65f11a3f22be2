// The diagram limits dialog offscreen: what it shows, what OK, Cancel, Esc, the close button and
// help do, and a diagram drawn with the dialog in between.

#include "graphics/ui/diagramlimitsdialog.h"
#include "platform/services.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "foundation/cadsettings.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/settings.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "graphics/diagramstate.h"
#include "graphics/diagrams.h"
#include "graphics/cadkernel.h"
#include "graphics/graphicsstate.h"
#include "tests/support/testsupport.h"
#include "tests/support/ui/nextmodal.h"

namespace qorva {
namespace {

void Key(QWidget* w, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QApplication::sendEvent(w, &release);
}

// Runs act on the next modal window once it is shown; fails instead of hanging when none comes.
void OnNextModal(std::function<void(DiagramLimitsDialog*)> act) {
  test::OnNextModalOf<DiagramLimitsDialog>(std::move(act), nullptr, "no limits dialog appeared");
}

class LimitsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitDiagramState();
    InitCadKernel();
    InitGraphicsState();
    programState.TempDir = dir.path().string();
    programState.CadDir = dir.path().string();
    cadSettings.ExecCadFile = false;
    services().ShowHelpText = [this](uint16_t topic, uint16_t mode) {
      help.emplace_back(topic, mode);
      programState.ErrorFlag = true;  // whatever the help left behind
    };
  }
  void TearDown() override {
    services().DiagramLimitsDialog = nullptr;
    services().ShowHelpText = nullptr;
    InitDiagramState();
    InitCadKernel();
    InitAllSettings();
  }
  std::vector<std::pair<uint16_t, uint16_t>> help;
  test::ScratchDir dir;
};

TEST_F(LimitsDialogTest, ShowsTheLastConfirmedLimitsAndCalculateFillsInTheProposal) {
  DiagramLimitsDialog form;
  EXPECT_EQ(form.windowTitle(), QString::fromLatin1(programState.ProgName.c_str()));
  EXPECT_EQ(form.xMinEdit->text().toStdString(), RealStr3(0));
  EXPECT_EQ(form.xMaxEdit->text().toStdString(), RealStr3(1));
  EXPECT_EQ(form.okButton->text(), "OK");
  EXPECT_EQ(form.cancelButton->text(), "Abbrechen");
  EXPECT_EQ(form.helpButton->text(), "&Hilfetext");
  EXPECT_TRUE(form.okButton->isDefault());
  EXPECT_FALSE(form.limitsGroupBox->isEnabled());
  // Tab order: Calculate, ymax, ymin, xmin, xmax, OK, Abbrechen, help.
  const std::vector<QWidget*> order = {form.calculateButton, form.yMaxEdit, form.yMinEdit, form.xMinEdit,
                                       form.xMaxEdit,   form.okButton, form.cancelButton, form.helpButton};
  for (size_t i = 0; i + 1 < order.size(); ++i) EXPECT_EQ(order[i]->nextInFocusChain(), order[i + 1]) << i;

  SetProposedLimits(form, -200, 0, 1600, 12.5L);
  form.calculateButton->click();
  EXPECT_EQ(form.xMinEdit->text().toStdString(), RealStr3(-200));
  EXPECT_EQ(form.yMaxEdit->text().toStdString(), RealStr3(12.5L));
  EXPECT_EQ(form.xMaxEdit->text().toStdString(), RealStr3(1600));
}

TEST_F(LimitsDialogTest, OkStoresTheTypedLimitsAndTextThatIsNoNumberCountsAsZero) {
  DiagramLimitsDialog form;
  form.xMinEdit->setText("10");
  form.yMinEdit->setText("abc");
  form.xMaxEdit->setText("1,5e3");
  form.yMaxEdit->setText(" 250.5");
  form.okButton->click();
  EXPECT_EQ(form.result(), QDialog::Accepted);
  const std::array<long double, 4> expected = {10, 0, 1500, 250.5L};
  EXPECT_EQ(diagramState.DiagramEnteredLimits, expected);
  EXPECT_FALSE(programState.ErrorFlag);
  // The next dialog shows them.
  DiagramLimitsDialog next;
  EXPECT_EQ(next.xMaxEdit->text().toStdString(), RealStr3(1500));
}

TEST_F(LimitsDialogTest, CancelAndEscSetTheFlagTheCloseButtonDoesNot) {
  const std::array<long double, 4> before = diagramState.DiagramEnteredLimits;
  {
    DiagramLimitsDialog form;
    form.xMaxEdit->setText("99");
    form.cancelButton->click();
    EXPECT_TRUE(programState.ErrorFlag);
    EXPECT_EQ(diagramState.DiagramEnteredLimits, before);
  }
  programState.ErrorFlag = false;
  {
    DiagramLimitsDialog form;
    form.show();
    Key(&form, Qt::Key_Escape);
    EXPECT_TRUE(programState.ErrorFlag);
    EXPECT_FALSE(form.isVisible());
  }
  programState.ErrorFlag = false;
  {
    DiagramLimitsDialog form;
    form.show();
    form.xMaxEdit->setText("99");
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(programState.ErrorFlag);
    EXPECT_EQ(diagramState.DiagramEnteredLimits, before);
  }
}

TEST_F(LimitsDialogTest, HelpShowsItsTextAndClearsTheFlag) {
  DiagramLimitsDialog form;
  form.show();
  form.helpButton->click();
  ASSERT_EQ(help.size(), 1u);
  EXPECT_EQ(help[0], std::make_pair(uint16_t{1950}, uint16_t{1}));
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(form.isVisible()) << "the dialog stays open";
}

// A DXF run whose output code the user chose: the dialog comes up inside DiagramAxes.
class DiagramWithDialogTest : public LimitsDialogTest {
 protected:
  void SetUp() override {
    LimitsDialogTest::SetUp();
    InstallDiagramLimitsDialog(services());
    desktopSettings.DiagramLimitsQuery = true;
    desktopSettings.CadBatchMode = true;
    utilstr.ProgramParams.clear();
    programState.CurrentFileName = (dir / "diagramm").string();
    CadBeginOutput(1);
    ASSERT_FALSE(programState.ErrorFlag);
    CadPageSetup(0, 0, 160, 120, 1);
    CadWriteTables(2);
    CadBeginEntities();
    DiagramReset();
  }
  void TearDown() override {
    CadEndSection();
    CadEndOutput();
    LimitsDialogTest::TearDown();
  }
};

TEST_F(DiagramWithDialogTest, TypedLimitsAreTakenAndWidenedToNiceValues) {
  QString caption, xLabel, yLabel;
  OnNextModal([&](DiagramLimitsDialog* f) {
    EXPECT_EQ(f->focusWidget(), f->calculateButton);
    caption = f->windowTitle();
    xLabel = f->xAxisLabel->text();
    yLabel = f->yAxisLabel->text();
    f->calculateButton->click();
    EXPECT_EQ(f->xMaxEdit->text().toStdString(), RealStr3(1600));
    f->xMaxEdit->setText("1000");
    f->yMaxEdit->setText("260");
    f->okButton->click();
  });
  DiagramAxes("s [mm]", "F [N]", "Kennlinie", 0, 0, 1550, 480, 1);
  EXPECT_EQ(caption, "Kennlinie");
  EXPECT_EQ(xLabel, "s [mm]");
  EXPECT_EQ(yLabel, "F [N]");
  EXPECT_NEAR(static_cast<double>(diagramState.DiagramXMax), 1000.0, 1e-9);
  EXPECT_NEAR(static_cast<double>(diagramState.DiagramYMax), 300.0, 1e-9);
  EXPECT_FALSE(programState.ErrorFlag);
}

TEST_F(DiagramWithDialogTest, EnterInAnEditConfirmsTheLimits) {
  OnNextModal([](DiagramLimitsDialog* f) {
    f->xMinEdit->setText("0");
    f->yMinEdit->setText("0");
    f->xMaxEdit->setText("650");
    f->yMaxEdit->setText("90");
    f->yMaxEdit->setFocus();
    Key(f->yMaxEdit, Qt::Key_Return);
  });
  DiagramAxes("s [mm]", "F [N]", "Kennlinie", 0, 0, 1550, 480, 1);
  const std::array<long double, 4> entered = {0, 0, 650, 90};
  EXPECT_EQ(diagramState.DiagramEnteredLimits, entered);
  EXPECT_NEAR(static_cast<double>(diagramState.DiagramXMax), 700.0, 1e-9);  // 650 widened to the step of 100
  EXPECT_NEAR(static_cast<double>(diagramState.DiagramYMax), 90.0, 1e-9);
  EXPECT_FALSE(programState.ErrorFlag);
}

TEST_F(DiagramWithDialogTest, CancelKeepsTheComputedLimitsAndLeavesNoError) {
  OnNextModal([](DiagramLimitsDialog* f) {
    f->xMaxEdit->setText("1000");
    f->cancelButton->click();
  });
  DiagramAxes("s [mm]", "F [N]", "Kennlinie", 0, 0, 1550, 480, 1);
  EXPECT_NEAR(static_cast<double>(diagramState.DiagramXMax), 1600.0, 1e-9);
  EXPECT_NEAR(static_cast<double>(diagramState.DiagramYMax), 500.0, 1e-9);
  EXPECT_FALSE(programState.ErrorFlag);
}

}  // namespace
}  // namespace qorva
