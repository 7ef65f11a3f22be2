// The four input forms driven as a user drives them: how each way of leaving a form treats the
// fields and the cancel state, Calc, the "<" and "< ISO" buttons, the unit switch, the pre-design's
// ratio fields, the drawing texts' limits and characters, hints and help buttons.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/desktopsettings.h"
#include "shell/ui/settingswindow.h"
#include "shell/ui/applicationform.h"
#include "shell/ui/dimensionsform.h"
#include "shell/ui/predesignform.h"
#include "shell/ui/inputforms.h"
#include "spring/springdatafile.h"
#include "spring/calculation.h"
#include "spring/spring.h"
#include "tests/spring/springfixture.h"
#include "tests/support/ui/nextmodal.h"

namespace qorva {
namespace {

class InputFormsTest : public test::SpringTest {
 protected:
  void SetUp() override {
    SpringTest::SetUp();
    useTableEndingInStartMaterial();
    NameTheProgram();
    open_ = NewSpring();
    ASSERT_TRUE(LoadMaterialByNumber(open_.family, open_.family.MaterialNumber));
    CalcSpring(open_);
    ASSERT_FALSE(programState.FatalError);
    spring_ = open_;
    services().ShowCalcMessages = [] {};
    services().ReadHelpText = [](uint16_t topic) { return "Hinweis " + std::to_string(topic); };
    // Help leaves the flag set, as a help module that failed would; the forms clear it.
    services().ShowHelpText = [this](uint16_t topic, uint16_t mode) {
      helpShown.emplace_back(topic, mode);
      programState.ErrorFlag = true;
    };
    programState.ErrorFlag = false;
    programState.InputModified = false;
  }

  static void Type(QLineEdit* e, const QString& text) {
    ASSERT_NE(e, nullptr);
    e->setFocus();
    e->selectAll();
    // Key events carry ASCII only; other characters arrive as the input method delivers them.
    bool ascii = true;
    for (QChar c : text) ascii = ascii && c.unicode() < 128;
    if (ascii) QTest::keyClicks(e, text);
    else e->insert(text);
  }
  static QLineEdit* Edit(QWidget* form, const char* name) { return form->findChild<QLineEdit*>(name); }
  static QPushButton* Button(QWidget* form, const char* name) { return form->findChild<QPushButton*>(name); }

  std::vector<std::pair<uint16_t, uint16_t>> helpShown;
  // The spring the window would hold: the tests of Calc and of the input sequence open the forms
  // over it.
  Spring open_;
  // The start spring calculated, as a value of its own: the forms are opened over it.
  Spring spring_;
};

// How each form is shown over a spring from its command, the field a user changes and whether the
// change arrived in a spring.
struct FormUnderTest {
  const char* name;
  std::function<Outcome(Spring&)> show;
  const char* edit;
  const char* typed;
  std::function<bool(const Spring&)> taken;
  bool closeBoxReads;
};

std::vector<FormUnderTest> Forms() {
  return {
      {"drawing texts", [](Spring& s) { return EditDrawingText(s); }, "drawingNameEdit", "Neu",
       [](const Spring& s) { return s.family.DrawingName == "Neu"; }, true},
      {"application", [](Spring& s) { return ShowApplicationForm(s, nullptr); }, "temperatureEdit", "80",
       [](const Spring& s) { return s.family.OperatingTemperature == 80; }, false},
      {"dimensions", [](Spring& s) { return ShowDimensionsForm(s, nullptr); }, "outerDiameterEdit", "90",
       [](const Spring& s) { return s.product.OuterDiameter == 90; }, false},
      {"pre-design", [](Spring& s) { return ShowPreDesignForm(s, nullptr); }, "forceEdit", "40",
       [](const Spring& s) { return s.product.Force2 == 40; }, false},
  };
}

TEST_F(InputFormsTest, OkCancelEscAndTheCloseBox) {
  enum Ending { Ok, CancelButton, Esc, CloseBox };
  const std::pair<Ending, const char*> endings[] = {
      {Ok, "OK"}, {CancelButton, "Abbrechen"}, {Esc, "Esc"}, {CloseBox, "close box"}};
  for (const FormUnderTest& form : Forms()) {
    for (const auto& [ending, endingName] : endings) {
      SCOPED_TRACE(std::string(form.name) + ", " + endingName);
      SetUp();
      test::OnNextModalOf<QDialog>([&, ending = ending](QDialog* d) {
        QLineEdit* e = Edit(d, form.edit);
        Type(e, form.typed);
        switch (ending) {
          case Ok: QTest::mouseClick(Button(d, "okButton"), Qt::LeftButton); break;
          case CancelButton: QTest::mouseClick(Button(d, "cancelButton"), Qt::LeftButton); break;
          case Esc: QTest::keyClick(e, Qt::Key_Escape); break;
          case CloseBox: d->close(); break;
        }
      });
      const Outcome shown = form.show(spring_);
      const bool cancelled = ending == CancelButton || ending == Esc;
      EXPECT_EQ(programState.ErrorFlag, cancelled);
      const bool read = ending == Ok || (ending == CloseBox && form.closeBoxReads);
      EXPECT_EQ(form.taken(spring_), read);
      EXPECT_EQ(shown, read ? Outcome::Done : Outcome::Cancelled) << "the outcome says whether it took the fields";
    }
  }
}

// Each form opened over one of two copies of a spring reads its fields into that copy only: the
// other copy and the window's spring keep their values.
TEST_F(InputFormsTest, AFormChangesOnlyTheSpringItIsOpenedOver) {
  for (const FormUnderTest& form : Forms()) {
    SCOPED_TRACE(form.name);
    SetUp();
    Spring other = spring_;
    test::OnNextModalOf<QDialog>([&](QDialog* d) {
      Type(Edit(d, form.edit), form.typed);
      QTest::mouseClick(Button(d, "okButton"), Qt::LeftButton);
    });
    form.show(spring_);
    EXPECT_TRUE(form.taken(spring_));
    EXPECT_FALSE(form.taken(other));
    EXPECT_FALSE(form.taken(open_));
  }
}

TEST_F(InputFormsTest, CalcThenCancelKeepsTheValuesAndMarksTheInputChanged) {
  for (const FormUnderTest& form : Forms()) {
    if (std::string(form.name) == "drawing texts") continue;  // no Calc there
    SCOPED_TRACE(form.name);
    SetUp();
    const long double turnsBefore = open_.product.TurnCount;
    bool stayedOpen = false;
    test::OnNextModalOf<QDialog>([&](QDialog* d) {
      Type(Edit(d, form.edit), form.typed);
      QTest::mouseClick(Button(d, "calculateButton"), Qt::LeftButton);
      stayedOpen = d->isVisible();
      EXPECT_FALSE(programState.ErrorFlag);
      QTest::mouseClick(Button(d, "cancelButton"), Qt::LeftButton);
    });
    form.show(open_);
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(programState.ErrorFlag) << "cancelled";
    EXPECT_TRUE(form.taken(open_)) << "what Calc read stays in the spring";
    EXPECT_TRUE(programState.InputModified) << "so leaving the program asks before it is lost";
    if (std::string(form.name) != "application") {
      EXPECT_NE(open_.product.TurnCount, turnsBefore) << "calculated";
    }
  }
}

TEST_F(InputFormsTest, StaticLoadDisablesTheFrequencyWhichKeepsItsValue) {
  spring_.family.LoadType = 2;
  spring_.family.LoadFrequency = 5;
  test::OnNextModalOf<ApplicationForm>([](ApplicationForm* f) {
    EXPECT_TRUE(f->loadFrequencyEdit->isEnabled());
    f->loadTypeRadioGroup->Item(0)->click();
    EXPECT_FALSE(f->loadFrequencyEdit->isEnabled());
    QTest::mouseClick(f->okButton, Qt::LeftButton);
  });
  ShowApplicationForm(spring_, nullptr);
  EXPECT_EQ(spring_.family.LoadType, 1);
  EXPECT_EQ(spring_.family.LoadFrequency, 5);

  // Opened for a static load the field starts disabled; "dynamisch" enables it.
  spring_.family.LoadFrequency = 0.5L;
  test::OnNextModalOf<ApplicationForm>([](ApplicationForm* f) {
    EXPECT_FALSE(f->loadFrequencyEdit->isEnabled());
    f->loadTypeRadioGroup->Item(1)->click();
    EXPECT_TRUE(f->loadFrequencyEdit->isEnabled());
    EXPECT_EQ(f->loadFrequencyEdit->text(), "0.5");
    Type(f->loadFrequencyEdit, "12");
    QTest::mouseClick(f->okButton, Qt::LeftButton);
  });
  ShowApplicationForm(spring_, nullptr);
  EXPECT_EQ(spring_.family.LoadType, 2);
  EXPECT_EQ(spring_.family.LoadFrequency, 12);
}

TEST_F(InputFormsTest, TemperatureButtonGivesTwentyDegreesInTheShownUnit) {
  const std::pair<uint16_t, const char*> cases[] = {{0, "20"}, {1, "68"}};
  for (const auto& [system, shown] : cases) {
    SCOPED_TRACE(system);
    desktopSettings.UnitSystem = system;
    spring_.family.OperatingTemperature = 150;
    ApplicationForm f(spring_);
    f.FormShow();
    f.roomTemperatureButton->click();
    EXPECT_EQ(f.temperatureEdit->text(), shown);
    f.okButton->click();
    EXPECT_NEAR(static_cast<double>(spring_.family.OperatingTemperature), 20.0, 1e-9);
  }
}

TEST_F(InputFormsTest, IsoButtonsRoundUpToTheStandardStrip) {
  struct Case {
    const char* edit;
    const char* button;
    const char* typed;
    const char* standard;
  };
  const Case cases[] = {
      {"thicknessEdit", "standardThicknessButton", "0.42", "0.5"},
      {"thicknessEdit", "standardThicknessButton", "0.5", "0.5"},    // on a standard value: stays
      {"thicknessEdit", "standardThicknessButton", "0.08", "0.08"},  // the first of the series
      {"widthEdit", "standardWidthButton", "50.4", "50"},    // 99 % of it is 49.896: falls back to 50
      {"widthEdit", "standardWidthButton", "50.6", "60"},    // 50.094 is above 50
      {"widthEdit", "standardWidthButton", "50", "50"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.edit) + " " + c.typed);
    DimensionsForm f(spring_);
    Edit(&f, c.edit)->setText(c.typed);
    Button(&f, c.button)->click();
    EXPECT_EQ(Edit(&f, c.edit)->text(), c.standard);
    Button(&f, c.button)->click();
    EXPECT_EQ(Edit(&f, c.edit)->text(), c.standard) << "pressed again keeps it";
  }
}

TEST_F(InputFormsTest, DnButtonTakesTheInnerDiameter) {
  spring_.product.InnerDiameter = 80.04L;  // shown as "80"
  spring_.product.BendingDiameter = 80;
  DimensionsForm f(spring_);
  f.bendingDiameterFromInnerButton->click();
  EXPECT_EQ(f.bendingDiameterEdit->text(), f.innerDiameterEdit->text());
  f.okButton->click();
  EXPECT_EQ(spring_.product.BendingDiameter, spring_.product.InnerDiameter);
}

// Two switches show the same numbers again and leave the values exactly as they were; from unit
// systems 2, 3 and 4 they end in system 0.
TEST_F(InputFormsTest, UnitSwitchTwiceReturnsTheSameNumbers) {
  for (uint16_t start : {0, 2, 3, 4}) {
    SCOPED_TRACE(start);
    SetUp();
    desktopSettings.UnitSystem = start;
    spring_.product.OuterDiameter = 85.256789L;  // more digits than the field shows
    spring_.product.Force2 = 30.5L;
    spring_.product.Travel2 = 600.123456L;
    const ProductData product = spring_.product;
    const FamilyData family = spring_.family;

    DimensionsForm geo(spring_);
    const QString de = geo.outerDiameterEdit->text();
    ASSERT_NE(StrToLength(de.toStdString()), spring_.product.OuterDiameter) << "the field shows it rounded";
    geo.unitSystemButton->click();
    EXPECT_EQ(desktopSettings.UnitSystem, 1);
    EXPECT_EQ(geo.outerDiameterUnitLabel->text(), "in");
    EXPECT_NE(geo.outerDiameterEdit->text(), de);
    geo.unitSystemButton->click();
    EXPECT_EQ(desktopSettings.UnitSystem, 0);
    EXPECT_EQ(geo.outerDiameterUnitLabel->text(), "mm");
    EXPECT_EQ(geo.outerDiameterEdit->text(), de);
    geo.okButton->click();
    EXPECT_FALSE(programState.InputModified) << "switching alone changes no value";
    EXPECT_EQ(spring_.product.OuterDiameter, product.OuterDiameter);
    EXPECT_EQ(spring_.product.InnerDiameter, product.InnerDiameter);
    EXPECT_EQ(spring_.family.BandThickness, family.BandThickness);
    EXPECT_EQ(spring_.family.BandWidth, family.BandWidth);

    desktopSettings.UnitSystem = start;
    PredesignForm pre(spring_);
    Type(pre.widthThicknessRatioEdit, "80");  // typed, not yet read
    pre.unitSystemButton->click();
    EXPECT_EQ(pre.forceUnitLabel->text(), "lbf");
    pre.unitSystemButton->click();
    EXPECT_EQ(desktopSettings.UnitSystem, 0);
    EXPECT_EQ(pre.forceEdit->text(), "30.5");
    EXPECT_EQ(pre.widthThicknessRatioEdit->text(), "80") << "a typed ratio is no unit's and stays";
    EXPECT_EQ(spring_.product.Force2, product.Force2);
    EXPECT_EQ(spring_.product.Travel2, product.Travel2);
    EXPECT_EQ(spring_.product.WidthThicknessRatio, 80);
    EXPECT_TRUE(programState.InputModified) << "the switch read the typed ratio into the spring";
  }
}

TEST_F(InputFormsTest, PreDesignShowsTheRatiosOfTheCurrentSpring) {
  open_.product.WidthThicknessRatio = 7;
  open_.product.StressRatio = 9;
  ASSERT_GT(open_.family.Stress2, 0);
  {
    PredesignForm f(open_);
    EXPECT_EQ(f.widthThicknessRatioEdit->text(), "100") << "b 50 / t 0.5";
    EXPECT_EQ(f.stressRatioEdit->text(),
              QString::fromStdString(RealStr3(open_.family.PermissibleStress / open_.family.Stress2)));
    EXPECT_NE(f.stressRatioEdit->text(), "9");
  }
  // A spring without thickness and stress shows the stored ratios.
  open_.family.BandThickness = 0;
  open_.family.Stress2 = 0;
  {
    PredesignForm f(open_);
    EXPECT_EQ(f.widthThicknessRatioEdit->text(), "7");
    EXPECT_EQ(f.stressRatioEdit->text(), "9");
    f.defaultWidthThicknessRatioButton->click();
    f.defaultStressRatioButton->click();
    EXPECT_EQ(f.widthThicknessRatioEdit->text(), "100");
    EXPECT_EQ(f.stressRatioEdit->text(), "1.05");

    // Calc designs the spring; the wanted values stay as typed.
    Type(f.widthThicknessRatioEdit, "80");
    f.calculateButton->click();
    ASSERT_FALSE(programState.FatalError);
    ASSERT_GT(open_.family.BandThickness, 0);
    EXPECT_EQ(open_.product.WidthThicknessRatio, 80);
    EXPECT_EQ(f.widthThicknessRatioEdit->text(), "80");
    EXPECT_FALSE(programState.ErrorFlag);
  }
}

TEST_F(InputFormsTest, PreDesignKeepsTheTypedTravelThroughCalcAndOk) {
  // The spring designed straight from a travel of 500.
  open_.product.Force2 = 30;
  open_.product.Travel2 = 500;
  open_.product.WidthThicknessRatio = 100;
  open_.product.StressRatio = 1;
  PreDesign(open_);
  ASSERT_FALSE(programState.FatalError);
  ASSERT_NE(open_.product.Travel2, 500) << "the result differs from the wish, which is what the form must not take";
  const long double outer = open_.product.OuterDiameter;

  SetUp();
  test::OnNextModalOf<QDialog>([&](QDialog* d) {
    Type(Edit(d, "forceEdit"), "30");
    Type(Edit(d, "travelEdit"), "500");
    Type(Edit(d, "widthThicknessRatioEdit"), "100");
    Type(Edit(d, "stressRatioEdit"), "1");
    QTest::mouseClick(Button(d, "calculateButton"), Qt::LeftButton);
    EXPECT_EQ(Edit(d, "travelEdit")->text(), "500");
    EXPECT_EQ(Edit(d, "forceEdit")->text(), "30");
    QTest::mouseClick(Button(d, "okButton"), Qt::LeftButton);
  });
  ShowPreDesignForm(open_, nullptr);
  EXPECT_EQ(open_.product.OuterDiameter, outer) << "OK designs from the typed 500 again";
}

TEST_F(InputFormsTest, DrawingTextsStopAtTheirLimits) {
  test::OnNextModalOf<DrawingTextsForm>([](DrawingTextsForm* f) {
    Type(f->drawingNameEdit, QString(80, 'N'));
    Type(f->drawingName2Edit, QString(80, 'M'));
    Type(f->drawingNumberEdit, QString(80, '9'));
    Type(f->remarkLine1Edit, QString(80, 'a'));
    Type(f->remarkLine2Edit, QString(80, 'b'));
    QTest::keyClick(f->remarkLine2Edit, Qt::Key_Return);  // OK is the default button
  });
  EditDrawingText(spring_);
  ASSERT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(spring_.family.DrawingName, std::string(25, 'N'));
  EXPECT_EQ(spring_.family.DrawingName2, std::string(30, 'M'));
  EXPECT_EQ(spring_.family.DrawingNumber, std::string(18, '9'));
  EXPECT_EQ(spring_.TitleLines[1], std::string(25, 'N') + "  Zeichn.Nr.: " + std::string(18, '9'));
  EXPECT_EQ(spring_.TitleLines[1].size(), 25u + 2 + 10 + 2 + 18);
  EXPECT_EQ(spring_.TitleLines[2], std::string(65, 'a'));
  EXPECT_EQ(spring_.TitleLines[3], std::string(65, 'b'));
}

// Umlauts and "|" typed into the drawing texts reach the spring file and come back from it.
TEST_F(InputFormsTest, TypedDrawingTextsSurviveTheSpringFile) {
  test::ScratchDir dir;
  programState.DataDir = dir.path().string() + "/";
  programState.TempDir = dir.path().string() + "/";
  open_.family.DrawingName = "Gr\x94\xE1" "e";  // shown with its umlauts
  test::OnNextModalOf<DrawingTextsForm>([](DrawingTextsForm* f) {
    EXPECT_EQ(f->drawingNameEdit->text(), QString::fromUtf8("Größe"));
    Type(f->drawingNameEdit, QString::fromUtf8("Feder|Größe"));
    Type(f->drawingNumberEdit, "A|1");
    Type(f->remarkLine1Edit, QString::fromUtf8("Zeile|für"));
    QTest::mouseClick(f->okButton, Qt::LeftButton);
  });
  EditDrawingText(open_);
  const std::string name = "Feder|Gr\x94\xE1" "e";
  ASSERT_EQ(open_.family.DrawingName, name);
  ASSERT_TRUE(WriteSpringFile(open_, (dir / "bar.qva").string()));

  open_.family.DrawingName.clear();
  open_.family.DrawingNumber.clear();
  open_.TitleLines = {};
  ASSERT_TRUE(ReadSpringFile(open_, (dir / "bar.qva").string()));
  EXPECT_EQ(open_.family.DrawingName, name);
  EXPECT_EQ(open_.family.DrawingNumber, "A|1");
  EXPECT_EQ(open_.TitleLines[1], name + "  Zeichn.Nr.: A|1");
  EXPECT_EQ(open_.TitleLines[2], "Zeile|f\x81r");
}

TEST_F(InputFormsTest, CaptionsAndHints) {
  programState.HelpLevel = 0;
  {
    ApplicationForm eins(spring_);
    EXPECT_EQ(eins.windowTitle(), "QORVA Anwendung");
    EXPECT_EQ(eins.loadTypeRadioGroup->title(), "Art der Beanspruchung");
    EXPECT_EQ(eins.loadTypeRadioGroup->Item(0)->text(), "statisch oder quasistatisch");
    EXPECT_EQ(eins.loadFrequencyEdit->toolTip(), "") << "no hints at help level 0";
    DimensionsForm geo(spring_);
    EXPECT_EQ(geo.outerDiameterLabel->text(), QString::fromUtf8("Außendurchmesser De"));
    EXPECT_EQ(geo.outerDiameterEdit->toolTip(), "Hinweis 5040") << "the dimensions always have their hints";
    PredesignForm pre(spring_);
    EXPECT_EQ(pre.travelLabel->text(), "Federweg s max");
    EXPECT_EQ(pre.stressRatioEdit->toolTip(), "Hinweis 5140");
  }
  programState.HelpLevel = 1;
  programState.ProgTitle = "Feder f\x81r alle";
  ApplicationForm eins(spring_);
  EXPECT_EQ(eins.loadTypeRadioGroup->toolTip(), "Hinweis 5270");
  EXPECT_EQ(eins.temperatureLabel->toolTip(), "Hinweis 5350");
  EXPECT_EQ(eins.loadFrequencyEdit->toolTip(), "Hinweis 5280");
  DrawingTextsForm text;
  EXPECT_EQ(text.windowTitle(), QString::fromUtf8("Feder für alle"));
  EXPECT_EQ(text.drawingName2Label->text(), "Zeichnungsname 2");
}

TEST_F(InputFormsTest, HelpButtonsShowTheirTopicAndClearTheCancelState) {
  ApplicationForm eins(spring_);
  DimensionsForm geo(spring_);
  PredesignForm pre(spring_);
  struct Case {
    QWidget* form;
    const char* button;
    uint16_t topic;
    uint16_t mode;
  };
  const Case cases[] = {
      {&eins, "helpTextButton", 9020, 1}, {&geo, "helpButton", 1000, 1}, {&geo, "helpPictureButton", 5020, 2},
      {&pre, "helpButton", 1000, 1},       {&pre, "helpPictureButton", 5020, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.form->objectName().toStdString()) + " " + c.button);
    helpShown.clear();
    Button(c.form, c.button)->click();
    ASSERT_EQ(helpShown.size(), 1u);
    EXPECT_EQ(helpShown[0], std::make_pair(c.topic, c.mode));
    EXPECT_FALSE(programState.ErrorFlag);
  }
}

// A new spring through the program's own forms, the material browser accepting the current material.
TEST_F(InputFormsTest, InputSequenceThroughTheForms) {
  int messages = 0;
  services().ShowCalcMessages = [&] { ++messages; };
  browser = [](MaterialTable&, uint16_t, const std::string&, const std::string&) { return true; };
  test::scriptedPrompter().push(1);  // "&Nachrechnung"
  test::OnNextModalOf<DrawingTextsForm>([&](DrawingTextsForm* f) {
    Type(f->drawingNameEdit, "Neu");
    test::OnNextModalOf<ApplicationForm>([&](ApplicationForm* a) {
      a->loadTypeRadioGroup->Item(0)->click();
      test::OnNextModalOf<DimensionsForm>([&](DimensionsForm* g) {
        Type(g->outerDiameterEdit, "90");
        QTest::mouseClick(g->okButton, Qt::LeftButton);
      });
      QTest::mouseClick(a->okButton, Qt::LeftButton);
    });
    QTest::mouseClick(f->okButton, Qt::LeftButton);
  });
  open_.product.MeanDiameter = 0;
  InputSequence(open_, DefaultInputSteps(open_, nullptr));
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(open_.family.DrawingName, "Neu");
  EXPECT_EQ(open_.family.LoadType, 1);
  EXPECT_EQ(open_.product.OuterDiameter, 90);
  EXPECT_EQ(open_.product.MeanDiameter, 85) << "calculated with the new dimensions";
  EXPECT_TRUE(programState.InputModified);
  EXPECT_EQ(messages, 1);
}

}  // namespace
}  // namespace qorva
