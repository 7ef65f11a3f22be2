// The material choice goes through the table browse window: the preferred materials listed by
// designation, the current material selected, and the chosen row's physical record taken over.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/windowtext.h"
#include "platform/services.h"
#include "spring/materialsource.h"
#include "spring/materialtable.h"
#include "spring/spring.h"
#include "spring/materialrecord.h"
#include "tests/support/testsupport.h"
#include "tests/support/ui/nextmodal.h"
#include "xbase/access/tablehost.h"
#include "xbase/access/ui/browsewindow.h"
#include "xbase/ui/datagrid.h"

namespace qorva {
namespace {

const std::string kData = std::string(QORVA_SOURCE_DIR) + "/data";

class MaterialChoiceWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    previous_ = installServices(HeadlessServices());
    services().DbfBrowseWindow = ShowTableBrowseWindow;
    installMaterialTable(nullptr);  // the program's own dBase table
    programState.DbfDir = kData;
    programState.TempDir = scratch_.path().string();
    test::scriptedPrompter().clear();
  }
  void TearDown() override {
    InitTableHost();
    installServices(std::move(previous_));
    InitAllSettings();
    test::scriptedPrompter().clear();
  }
  test::ScratchDir scratch_;
  Services previous_;
  // The family part of a spring, whose material SelectMaterial chooses.
  FamilyData family_ = NewSpring().family;
};

TEST_F(MaterialChoiceWindowTest, TheChosenRowsRecordBecomesTheSpringsMaterial) {
  std::string error;
  const std::vector<MaterialSourceRow> rows = ReadMaterialSource(kData + "/yeb9wst.tsv", &error);
  ASSERT_EQ(error, "");
  size_t preferred = 0;
  for (const auto& r : rows) preferred += r.deleted ? 0 : 1;
  family_.MaterialNumber = 12;
  std::string firstName;
  test::OnNextModalOf<QDialog>([&](QDialog* d) {
    auto* w = dynamic_cast<BrowseWindow*>(d);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->xbdbf.RecNo(), 12) << "the current material is the selected row";
    auto* m = w->XbGrid1->gridModel();
    EXPECT_EQ(static_cast<size_t>(m->rowCount()), preferred) << "only the preferred materials";
    EXPECT_LE(m->data(m->index(0, 0), Qt::DisplayRole).toString().toUpper(),
              m->data(m->index(1, 0), Qt::DisplayRole).toString().toUpper())
        << "listed by designation";
    firstName = m->data(m->index(0, 0), Qt::DisplayRole).toString().trimmed().toStdString();
    w->XbGrid1->setCurrentIndex(m->index(0, 0));
    w->okButton->click();
  });
  SelectMaterial(family_, 1);
  EXPECT_FALSE(programState.ErrorFlag);
  const uint16_t chosen = family_.MaterialNumber;
  ASSERT_GE(chosen, 1);
  ASSERT_LE(chosen, rows.size());
  EXPECT_FALSE(rows[chosen - 1].deleted);
  EXPECT_EQ(DosToUtf8(family_.MaterialRec.Text1), firstName);
  EXPECT_FALSE(tableHost.Table.Active()) << "the table is closed again";

  // Cancel keeps the material.
  test::OnNextModalOf<QDialog>([](QDialog* d) { static_cast<BrowseWindow*>(d)->cancelButton->click(); });
  SelectMaterial(family_, 1);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(family_.MaterialNumber, chosen);
}

// OK at once takes the material the window opened on: the grid's current row is the current
// material's, not the first row.
TEST_F(MaterialChoiceWindowTest, OkAtOnceKeepsTheCurrentMaterial) {
  for (uint16_t current : {12, 3, 17}) {
    family_.MaterialNumber = current;
    int shownRow = -1;
    test::OnNextModalOf<QDialog>([&](QDialog* d) {
      auto* w = dynamic_cast<BrowseWindow*>(d);
      ASSERT_NE(w, nullptr);
      shownRow = w->XbGrid1->currentIndex().row();
      w->okButton->click();
    });
    SelectMaterial(family_, 1);
    EXPECT_FALSE(programState.ErrorFlag) << current;
    EXPECT_EQ(family_.MaterialNumber, current);
    EXPECT_GE(shownRow, 0) << current;
    // Enter in the grid chooses as OK does.
    test::OnNextModalOf<QDialog>([&](QDialog* d) {
      auto* w = dynamic_cast<BrowseWindow*>(d);
      ASSERT_NE(w, nullptr);
      w->XbGrid1->setFocus();
      QTest::keyClick(w->XbGrid1, Qt::Key_Return);
    });
    SelectMaterial(family_, 1);
    EXPECT_FALSE(programState.ErrorFlag) << current;
    EXPECT_EQ(family_.MaterialNumber, current) << "Enter";
  }
}

}  // namespace
}  // namespace qorva
