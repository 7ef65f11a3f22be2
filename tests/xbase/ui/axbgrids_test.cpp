// The grid and the navigator over a small table, driven through their controls offscreen.

#include "xbase/ui/axbgrids.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include "tests/xbase/edit_support_test.h"
#include "xbase/ui/axbnav.h"
#include "xbase/uxbfds.h"

namespace qorva::xbtest {
namespace {

class GridTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    path_ = CreateTable(dir_.path() / "G.DBF", {{"NAME", 'C', 10, 0}, {"QTY", 'N', 5, 0}, {"OK", 'L', 1, 0}});
    Use(path_);
    AppendRow({std::string("Eins"), int64_t{1}, true});
    AppendRow({std::string("Zwei"), int64_t{2}, false}, true);
    AppendRow({std::string("Drei"), int64_t{3}, false});
    CloseArea();
    ds_.SetDbfFileName(path_);
    ds_.Open();
    model_ = new TXbGridModel(&ds_, &grid_);
    grid_.setDataset(model_);
    grid_.resize(400, 200);
  }
  void TearDown() override {
    grid_.setModel(nullptr);
    ds_.Close();
    EngineTest::TearDown();
  }
  QString Cell(int row, int col) { return model_->data(model_->index(row, col), Qt::DisplayRole).toString(); }
  std::string Stored(int n) {
    USE(path_);
    GO(n);
    std::string s = GetFieldText(1);
    CloseArea();
    return s;
  }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, key, mods, key == Qt::Key_Space ? " " : "");
    QApplication::sendEvent(&grid_, &e);
  }

  std::string path_;
  TXbDbf ds_;
  TXbGrid grid_;
  TXbGridModel* model_ = nullptr;
};

TEST_F(GridTest, ShowsRecordsDeletedColoursAndBoxes) {
  ASSERT_EQ(model_->rowCount(), 3);
  ASSERT_EQ(model_->columnCount(), 3);
  EXPECT_EQ(model_->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "NAME");
  EXPECT_EQ(Cell(0, 0), "Eins");
  EXPECT_EQ(Cell(2, 1), "3");
  EXPECT_EQ(model_->data(model_->index(0, 2), Qt::CheckStateRole).toInt(), Qt::Checked);
  EXPECT_EQ(model_->data(model_->index(1, 0), Qt::BackgroundRole).value<QColor>(), QColor(Qt::red));
  EXPECT_FALSE(model_->data(model_->index(0, 0), Qt::BackgroundRole).isValid());
  model_->OnChangeColors = [](int row, QColor& back, QColor&) {
    if (row == 1) back = Qt::yellow;
  };
  EXPECT_EQ(model_->data(model_->index(1, 0), Qt::BackgroundRole).value<QColor>(), QColor(Qt::yellow));
  EXPECT_EQ(ds_.RecNo(), 1);  // painting did not move the cursor
}

TEST_F(GridTest, EditingACellWritesTheTableAndBadInputIsRefused) {
  EXPECT_TRUE(model_->setData(model_->index(2, 0), QString::fromUtf8("Gr\xc3\xbc\xc3\x9f"), Qt::EditRole));
  EXPECT_EQ(Cell(2, 0), QString::fromUtf8("Gr\xc3\xbc\xc3\x9f"));
  EXPECT_EQ(Stored(3), "Gr\xfc\xdf      ");
  size_t asked = test::scriptedPrompter().asked().size();
  EXPECT_FALSE(model_->setData(model_->index(2, 1), "zwölf", Qt::EditRole));
  EXPECT_EQ(test::scriptedPrompter().asked().size(), asked + 1);
  EXPECT_EQ(Cell(2, 1), "3");
}

TEST_F(GridTest, ARefusedLockLeavesTheCellAsTheFileHoldsIt) {
  ds_.s_SelectArea("test");
  uint64_t off = RecordLockOffset(CurrentBlock()->HeaderLen, CurrentBlock()->RecLen, 1);
  int other = ::open(path_.c_str(), O_RDWR);
  ASSERT_EQ(LockRange(false, other, off, CurrentBlock()->RecLen), 0);
  model_->setData(model_->index(0, 0), "Neu", Qt::EditRole);
  EXPECT_EQ(test::scriptedPrompter().asked().back().text, "Sperren fehlgeschlagen [Post]");
  EXPECT_EQ(Cell(0, 0), "Eins");
  ::close(other);
}

TEST_F(GridTest, TitleRightClickReportsTheFieldOfAMovedColumn) {
  grid_.show();
  QSignalSpy spy(&grid_, &TXbGrid::depressTitle);
  QHeaderView* header = grid_.horizontalHeader();
  header->moveSection(2, 0);  // OK now shows first
  int x = header->sectionViewportPosition(2) + 5;
  emit header->customContextMenuRequested(QPoint(x, 5));
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy.at(0).at(0).toInt(), 2);  // the field, not the position
  EXPECT_EQ(grid_.depressedColumn(), 2);
  grid_.DepressDisabled = true;
  emit header->customContextMenuRequested(QPoint(x, 5));
  EXPECT_EQ(spy.count(), 1);
}

TEST_F(GridTest, KeysToggleBoxesRestoreRecordsAndRefuseTheAutoAppend) {
  grid_.show();
  grid_.setCurrentIndex(model_->index(0, 2));
  Key(Qt::Key_Space);
  EXPECT_EQ(model_->data(model_->index(0, 2), Qt::CheckStateRole).toInt(), Qt::Unchecked);
  grid_.setCurrentIndex(model_->index(1, 0));
  EXPECT_EQ(ds_.RecNo(), 2);
  EXPECT_TRUE(ds_.IsRecordDeleted());
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_FALSE(ds_.IsRecordDeleted());
  EXPECT_FALSE(model_->data(model_->index(1, 0), Qt::BackgroundRole).isValid());
  grid_.AutoAppend = false;
  grid_.setCurrentIndex(model_->index(2, 0));
  Key(Qt::Key_Down);
  EXPECT_EQ(grid_.currentIndex().row(), 2);
  EXPECT_EQ(model_->rowCount(), 3);
}

TEST_F(GridTest, NavigatorMovesAndItsDeleteButtonToggles) {
  TXbNavigator nav(&grid_);
  nav.ConfirmDelete = false;
  nav.button(TXbNavigator::Last)->click();
  EXPECT_EQ(ds_.RecNo(), 3);
  EXPECT_EQ(grid_.currentIndex().row(), 2);
  nav.button(TXbNavigator::Prior)->click();
  EXPECT_EQ(ds_.RecNo(), 2);
  nav.button(TXbNavigator::Delete)->click();  // a deleted record: restored
  EXPECT_FALSE(ds_.IsRecordDeleted());
  nav.button(TXbNavigator::Delete)->click();
  EXPECT_TRUE(ds_.IsRecordDeleted());
  nav.ConfirmRestore = true;
  test::scriptedPrompter().push(false);
  nav.button(TXbNavigator::Delete)->click();  // declined
  EXPECT_TRUE(ds_.IsRecordDeleted());
  nav.button(TXbNavigator::Insert)->click();
  EXPECT_EQ(model_->rowCount(), 4);
  EXPECT_EQ(ds_.RecNo(), 4);
  nav.button(TXbNavigator::First)->click();
  EXPECT_EQ(grid_.currentIndex().row(), 0);
}

}  // namespace
}  // namespace qorva::xbtest
