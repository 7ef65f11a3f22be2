// The material window driven through its controls: the lists of preferred and of all materials,
// a row loading its own record, Cancel bringing the old material back, a typed-in material and
// typed tolerances kept, and the close box as Cancel.
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

#include "spring/calculation.h"
#include "spring/ui/materialwindow.h"
#include "tests/spring/springfixture.h"

namespace qorva {
namespace {

using test::RoundSteel;
using test::Row;

class MaterialWindowTest : public test::SpringTest {
 protected:
  void SetUp() override {
    SpringTest::SetUp();
    // Record 2 is not preferred; the list numbers (field 29) are not the record numbers.
    useTable({Row(RoundSteel("Stahl A").set(29, "7")), Row(RoundSteel("Stahl B").set(29, "8"), true),
              Row(RoundSteel("Stahl C").set(5, "190000").set(29, "1"))});
    spring.family.MaterialNumber = 1;
    spring.family.MaterialSource = 0;
    ASSERT_TRUE(LoadMaterialByNumber(spring.family, 1));
    TakeOverMaterial(spring.family);
  }
  static QStringList Rows(const MaterialWindow& w) {
    QStringList rows;
    for (int i = 0; i < w.materialComboBox->count(); ++i) rows << w.materialComboBox->itemText(i).trimmed();
    return rows;
  }
  // Chooses the row that names the designation.
  static void Choose(MaterialWindow& w, const QString& designation) {
    for (int i = 0; i < w.materialComboBox->count(); ++i)
      if (w.materialComboBox->itemText(i).contains(designation)) w.materialComboBox->setCurrentIndex(i);
    w.materialComboBoxChanged();
  }
};

TEST_F(MaterialWindowTest, PreferredListLeavesOutMarkedRecordsTheFullListHasThem) {
  MaterialWindow w(spring, 0.2L, 10);
  w.FormShow();
  EXPECT_EQ(Rows(w), QStringList({"7: Stahl A C75S 1.1248", "1: Stahl C C75S 1.1248"}));
  EXPECT_EQ(w.materialComboBox->currentText().trimmed(), "7: Stahl A C75S 1.1248");
  w.materialSourceRadioGroupClicked(1);
  EXPECT_EQ(Rows(w).size(), 3);
  EXPECT_TRUE(Rows(w).contains("8: Stahl B C75S 1.1248"));
  EXPECT_FALSE(w.materialValuesGroupBox->isEnabled());
}

TEST_F(MaterialWindowTest, UmlautsOfTheTableShowAsTheyAre) {
  // The table gives its texts in the Windows code page.
  useTable({Row(RoundSteel("Stahl \xC4").set(2, "Federband verg\xFCtet").set(29, "7"))});
  MaterialWindow w(spring, 0.2L, 10);
  w.FormShow();
  EXPECT_EQ(Rows(w), QStringList({QString::fromUtf8("7: Stahl \xC3\x84 Federband verg\xC3\xBCtet 1.1248")}));
}

TEST_F(MaterialWindowTest, ARowLoadsItsOwnRecordAndOkKeepsIt) {
  MaterialWindow w(spring, 0.2L, 10);
  w.FormShow();
  Choose(w, "Stahl C");
  // Record 3, whatever list number it carries.
  EXPECT_EQ(spring.family.MaterialNumber, 3);
  EXPECT_EQ(w.materialNameEdit->text(), "Stahl C");
  EXPECT_EQ(w.elasticModulusEdit->text(), "190000");
  w.okButtonClicked();
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(spring.family.MaterialNumber, 3);
  EXPECT_EQ(spring.family.MaterialText, "Stahl C");
}

// Two digits typed on the list choose the row of that number, counted from 1 in the list's order.
TEST_F(MaterialWindowTest, TwoDigitsTypedOnTheListChooseThatRow) {
  MaterialWindow w(spring, 0.2L, 10);
  w.FormShow();
  w.materialSourceRadioGroupClicked(1);  // all three records, in the table's order
  const struct {
    const char* typed;
    uint16_t material;  // afterwards
  } cases[] = {
      {"03", 3},   // row 3: Stahl C
      {"02", 2},   // row 2: Stahl B
      {"0", 2},    // one digit chooses nothing yet ...
      {"1", 1},    // ... the second makes it row 01
      {"09", 1},   // no row 9: nothing changes
      {"0x3", 1},  // another key starts afresh: "3" waits for its second digit ...
      {"1", 1},    // ... row 31 does not exist
      {"03", 3},
  };
  for (const auto& c : cases) {
    for (const char* k = c.typed; *k; ++k) {
      const int key = *k >= '0' && *k <= '9' ? Qt::Key_0 + (*k - '0') : Qt::Key_X;
      w.materialComboBoxKeyPressed(key);
    }
    EXPECT_EQ(spring.family.MaterialNumber, c.material) << c.typed;
  }
  EXPECT_EQ(w.materialNameEdit->text(), "Stahl C");
  // Keys reach the choice through the list itself.
  QKeyEvent zero(QEvent::KeyPress, Qt::Key_0, Qt::NoModifier, "0"), two(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, "2");
  QCoreApplication::sendEvent(w.materialComboBox, &zero);
  QCoreApplication::sendEvent(w.materialComboBox, &two);
  EXPECT_EQ(spring.family.MaterialNumber, 2);
  EXPECT_EQ(w.materialComboBox->currentIndex(), 1);
}

TEST_F(MaterialWindowTest, CancelAndTheCloseBoxBringBackTheMaterialOfTheStart) {
  for (bool closeBox : {false, true}) {
    SCOPED_TRACE(closeBox);
    MaterialWindow w(spring, 0.2L, 10);
    w.FormShow();
    Choose(w, "Stahl C");
    ASSERT_EQ(spring.family.MaterialNumber, 3);
    if (closeBox) {
      w.show();
      w.close();
    } else {
      w.cancelButtonClicked();
    }
    EXPECT_TRUE(programState.ErrorFlag);
    EXPECT_EQ(spring.family.MaterialNumber, 1);
    EXPECT_EQ(spring.family.MaterialText, "Stahl A");
    programState.ErrorFlag = false;
  }
}

TEST_F(MaterialWindowTest, ATypedMaterialSurvivesTheCalculation) {
  MaterialWindow w(spring, 0.2L, 10);
  w.FormShow();
  w.materialSourceRadioGroupClicked(2);
  EXPECT_TRUE(w.materialValuesGroupBox->isEnabled());
  EXPECT_FALSE(w.materialComboBox->isEnabled());
  EXPECT_EQ(w.materialNameEdit->text(), "Stahl A");  // the edits keep what they showed
  w.materialNameEdit->setText("Eigener Stahl");
  w.elasticModulusEdit->setText("180000");
  w.densityEdit->setText("7.7");
  w.tensileStrengthEdit->setText("1500");
  w.permissibleStressEdit->setText("1000");
  w.okButtonClicked();
  EXPECT_EQ(spring.family.MaterialSource, 2);
  CalcSpring(spring);
  EXPECT_EQ(spring.family.MaterialText, "Eigener Stahl");
  EXPECT_DOUBLE_EQ(static_cast<double>(spring.family.EModulus), 180000.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(spring.family.Density), 7.7);
  EXPECT_DOUBLE_EQ(static_cast<double>(spring.family.TensileStrength), 1500.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(spring.family.PermissibleStress), 1000.0);
  // Shown again, the window offers the typed values.
  MaterialWindow again(spring, 0.2L, 10);
  again.FormShow();
  EXPECT_TRUE(again.materialSourceRadioGroup[2]->isChecked());
  EXPECT_EQ(again.elasticModulusEdit->text(), "180000");
}

TEST_F(MaterialWindowTest, TypedTolerancesAreStoredInMillimetres) {
  struct Case {
    uint16_t units;
    const char *t, *w;
    double wantT, wantW;
  };
  const Case cases[] = {{0, "0.02", "0.1", 0.02, 0.1}, {1, "0.001", "0.004", 0.0254, 0.1016}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.units);
    desktopSettings.UnitSystem = c.units;
    MaterialWindow w(spring, 0.2L, 10);
    w.FormShow();
    w.toleranceStandardComboBox->setCurrentIndex(0);
    w.toleranceStandardComboBoxChanged();
    EXPECT_TRUE(w.thicknessToleranceEdit->isEnabled());
    w.thicknessToleranceEdit->setText(c.t);
    w.widthToleranceEdit->setText(c.w);
    w.surfaceRadioGroup[2]->setChecked(true);
    w.okButtonClicked();
    EXPECT_EQ(spring.family.ToleranceStandard, 0);
    EXPECT_NEAR(static_cast<double>(spring.family.ThicknessTolerance), c.wantT, 1e-9);
    EXPECT_NEAR(static_cast<double>(spring.family.WidthTolerance), c.wantW, 1e-9);
    EXPECT_EQ(spring.family.SurfaceKind, 3);
  }
  desktopSettings.UnitSystem = 0;
}

TEST_F(MaterialWindowTest, AStandardToleranceFillsAndLocksTheFields) {
  MaterialWindow w(spring, 0.2L, 10);
  w.FormShow();
  w.toleranceStandardComboBox->setCurrentIndex(1);
  w.toleranceStandardComboBoxChanged();
  EXPECT_FALSE(w.thicknessToleranceEdit->isEnabled());
  EXPECT_FALSE(w.thicknessToleranceEdit->text().isEmpty());
  w.okButtonClicked();
  EXPECT_EQ(spring.family.ToleranceStandard, 1);
}

}  // namespace
}  // namespace qorva
