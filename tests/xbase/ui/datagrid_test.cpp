// The grid and the navigator over a small table, driven through their controls offscreen.

#include "xbase/ui/datagrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <memory>

#include "tests/xbase/edit_support_test.h"
#include "xbase/ui/datanavigator.h"
#include "xbase/filedataset.h"
#include "xbase/nationaldates.h"

namespace qorva::xbtest {
namespace {

class GridTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    path_ = CreateTable(dir_.path() / "G.DBF",
                        {{"NAME", 'C', 10, 0}, {"QTY", 'N', 5, 0}, {"OK", 'L', 1, 0}, {"DAY", 'D', 8, 0}});
    Use(path_);
    AppendRow({std::string("Eins"), int64_t{1}, true, std::string("01/02/2024")});
    AppendRow({std::string("Zwei"), int64_t{2}, false, std::string("")}, true);
    AppendRow({std::string("Drei"), int64_t{3}, false, std::string("")});
    CloseArea();
    ds_.SetDbfFileName(path_);
    ds_.Open();
    model_ = new DataGridModel(&ds_, &grid_);
    grid_.setDataset(model_);
    grid_.resize(400, 200);
  }
  void TearDown() override {
    grid_.setModel(nullptr);
    ds_.Close();
    EngineTest::TearDown();
  }
  QString Cell(int row, int col) { return model_->data(model_->index(row, col), Qt::DisplayRole).toString(); }
  // Field `field` of record n as the file holds it.
  // Read in an area of its own, as another program would.
  std::string Stored(int n, int field = 1) {
    Select(20);
    USE(path_ + " ALIAS OTHER");
    GO(n);
    const std::string raw(reinterpret_cast<const char*>(CurrentBlock()->RawRecord.data()), CurrentBlock()->RawRecord.size());
    CloseArea();
    const size_t offset[] = {0, 1, 11, 16, 17}, len[] = {0, 10, 5, 1, 8};
    return raw.substr(offset[field], len[field]);
  }
  int32_t StoredCount() {
    Select(20);
    USE(path_ + " ALIAS OTHER");
    const int32_t n = RecCount();
    CloseArea();
    return n;
  }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, key, mods, key == Qt::Key_Space ? " " : "");
    QApplication::sendEvent(&grid_, &e);
  }

  std::string path_;
  TXbDbf ds_;
  DataGrid grid_;
  DataGridModel* model_ = nullptr;
};

TEST_F(GridTest, ShowsRecordsDeletedColoursAndBoxes) {
  ASSERT_EQ(model_->rowCount(), 3);
  ASSERT_EQ(model_->columnCount(), 4);
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
  QSignalSpy spy(&grid_, &DataGrid::depressTitle);
  QHeaderView* header = grid_.horizontalHeader();
  header->moveSection(2, 0);  // OK now shows first
  int x = header->sectionViewportPosition(2) + 5;
  emit header->customContextMenuRequested(QPoint(x, 5));
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy.at(0).at(0).toInt(), 2);  // the field, not the position
  EXPECT_EQ(grid_.depressedColumn(), 2);
  // Its title is drawn pressed, the others raised.
  struct Probe : QHeaderView {
    using QHeaderView::QHeaderView;
    static QStyle::State StateOf(QHeaderView* h, int logical) {
      QStyleOptionHeader opt;
      (h->*(&Probe::initStyleOptionForIndex))(&opt, logical);
      return opt.state;
    }
  };
  EXPECT_TRUE(Probe::StateOf(header, 2) & QStyle::State_Sunken);
  EXPECT_FALSE(Probe::StateOf(header, 0) & QStyle::State_Sunken);
  grid_.setDepressDisabled(true);
  EXPECT_EQ(grid_.depressedColumn(), -1) << "switching resets the pressed title";
  emit header->customContextMenuRequested(QPoint(x, 5));
  EXPECT_EQ(spy.count(), 1);
  EXPECT_EQ(grid_.depressedColumn(), -1);
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
  // Allowed, Down past the last record begins a new one; Up leaves it, untouched, dropped.
  grid_.AutoAppend = true;
  Key(Qt::Key_Down);
  EXPECT_EQ(ds_.State(), TDataSetState::Insert);
  EXPECT_EQ(grid_.currentIndex().row(), 3);
  Key(Qt::Key_Down);
  EXPECT_EQ(model_->rowCount(), 4) << "one new record at a time";
  Key(Qt::Key_Up);
  EXPECT_EQ(grid_.currentIndex().row(), 2);
  QApplication::processEvents();
  EXPECT_EQ(ds_.State(), TDataSetState::Browse);
  EXPECT_EQ(model_->rowCount(), 3);
  EXPECT_EQ(StoredCount(), 3);
}

TEST_F(GridTest, NavigatorMovesAndItsDeleteButtonToggles) {
  DataNavigator nav(&grid_);
  nav.ConfirmDelete = false;
  nav.button(DataNavigator::Last)->click();
  EXPECT_EQ(ds_.RecNo(), 3);
  EXPECT_EQ(grid_.currentIndex().row(), 2);
  nav.button(DataNavigator::Prior)->click();
  EXPECT_EQ(ds_.RecNo(), 2);
  nav.button(DataNavigator::Delete)->click();  // a deleted record: restored
  EXPECT_FALSE(ds_.IsRecordDeleted());
  nav.button(DataNavigator::Delete)->click();
  EXPECT_TRUE(ds_.IsRecordDeleted());
  nav.ConfirmRestore = true;
  test::scriptedPrompter().push(false);
  nav.button(DataNavigator::Delete)->click();  // declined
  EXPECT_TRUE(ds_.IsRecordDeleted());
  nav.button(DataNavigator::First)->click();
  EXPECT_EQ(grid_.currentIndex().row(), 0);
}

TEST_F(GridTest, PlusBeginsARecordThatIsDroppedUntouchedAndPostedWhenFilled) {
  grid_.show();
  DataNavigator nav(&grid_);
  EXPECT_FALSE(nav.button(DataNavigator::Post)->isEnabled());
  nav.button(DataNavigator::Insert)->click();
  EXPECT_EQ(ds_.State(), TDataSetState::Insert);
  EXPECT_EQ(model_->rowCount(), 4) << "a row of its own";
  EXPECT_EQ(grid_.currentIndex().row(), 3);
  EXPECT_TRUE(nav.button(DataNavigator::Post)->isEnabled());
  EXPECT_EQ(StoredCount(), 3) << "nothing written yet";
  // Left untouched, it is dropped.
  nav.button(DataNavigator::First)->click();
  EXPECT_EQ(ds_.State(), TDataSetState::Browse);
  EXPECT_EQ(model_->rowCount(), 3);
  EXPECT_EQ(StoredCount(), 3);
  // Clicking another row drops it too.
  nav.button(DataNavigator::Insert)->click();
  grid_.setCurrentIndex(model_->index(1, 0));
  QApplication::processEvents();
  EXPECT_EQ(ds_.State(), TDataSetState::Browse);
  EXPECT_EQ(model_->rowCount(), 3);
  EXPECT_EQ(StoredCount(), 3);
  // Filled and posted, it is written at the end of the table.
  nav.button(DataNavigator::Insert)->click();
  EXPECT_TRUE(model_->setData(model_->index(3, 0), "Vier", Qt::EditRole));
  EXPECT_EQ(Cell(3, 0), "Vier");
  EXPECT_EQ(StoredCount(), 3);
  nav.button(DataNavigator::Post)->click();
  EXPECT_EQ(StoredCount(), 4);
  EXPECT_EQ(Stored(4), "Vier      ");
  EXPECT_EQ(model_->rowCount(), 4);
  EXPECT_EQ(ds_.RecNo(), 4);
}

TEST_F(GridTest, TheNavigatorFollowsADatasetSetAfterIt) {
  // The browse window makes its navigator before it has a table.
  DataGrid grid;
  DataNavigator nav(&grid);
  EXPECT_FALSE(nav.button(DataNavigator::Insert)->isEnabled());
  auto* model = new DataGridModel(&ds_, &grid);
  grid.setDataset(model);
  EXPECT_TRUE(nav.button(DataNavigator::Insert)->isEnabled());
  EXPECT_TRUE(nav.button(DataNavigator::Edit)->isEnabled());
  EXPECT_FALSE(nav.button(DataNavigator::Cancel)->isEnabled());
  nav.button(DataNavigator::Insert)->click();
  EXPECT_EQ(ds_.State(), TDataSetState::Insert);
  EXPECT_TRUE(nav.button(DataNavigator::Cancel)->isEnabled());
  nav.button(DataNavigator::Cancel)->click();
  EXPECT_EQ(model->rowCount(), 3);
  grid.setModel(nullptr);
}

TEST_F(GridTest, EditPostAndCancelButtonsEditTheCurrentRecord) {
  DataNavigator nav(&grid_);
  nav.button(DataNavigator::Edit)->click();
  EXPECT_EQ(ds_.State(), TDataSetState::Edit);
  EXPECT_FALSE(nav.button(DataNavigator::Edit)->isEnabled());
  model_->setData(model_->index(0, 0), "Anders", Qt::EditRole);
  EXPECT_EQ(Cell(0, 0), "Anders") << "the pending edit shows";
  EXPECT_EQ(Stored(1), "Eins      ") << "not written before Post";
  nav.button(DataNavigator::Cancel)->click();
  EXPECT_EQ(ds_.State(), TDataSetState::Browse);
  EXPECT_EQ(Cell(0, 0), "Eins");
  nav.button(DataNavigator::Edit)->click();
  model_->setData(model_->index(0, 1), "42", Qt::EditRole);
  nav.button(DataNavigator::Post)->click();
  EXPECT_EQ(Stored(1, 2), "   42");
  EXPECT_EQ(Cell(0, 1), "42");
}

TEST_F(GridTest, DateCellsTakeTheMaskAndRefuseImpossibleDates) {
  struct Mask {
    uint8_t format;
    bool century;
    const char* mask;
  } masks[] = {{0, true, "00/00/0000; "}, {5, false, "00.00.00; "}, {1, true, "0000.00.00; "}, {3, true, "00-00-0000; "}};
  for (const Mask& m : masks) {
    nationalDates.CenturyDates = m.century;
    SetDateFormat(m.format);
    EXPECT_EQ(XbDateEditMask(), m.mask) << int(m.format);
  }
  nationalDates.CenturyDates = true;
  SetDateFormat(0);
  QStyleOptionViewItem opt;
  std::unique_ptr<QWidget> editor(grid_.itemDelegate()->createEditor(grid_.viewport(), opt, model_->index(0, 3)));
  auto* line = qobject_cast<QLineEdit*>(editor.get());
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->inputMask(), "00/00/0000");  // the blank is Qt's own default, a space
  EXPECT_EQ(line->text(), "//");
  struct Case {
    const char* typed;
    const char* stored;
    bool message;
  } cases[] = {{"02/31/2024", "        ", true}, {"03/15/2024", "20240315", false}, {"  /  /    ", "        ", false}};
  for (const Case& c : cases) {
    const size_t asked = test::scriptedPrompter().asked().size();
    model_->setData(model_->index(2, 3), QString::fromLatin1(c.typed), Qt::EditRole);
    EXPECT_EQ(Stored(3, 4), c.stored) << c.typed;
    ASSERT_EQ(test::scriptedPrompter().asked().size(), asked + (c.message ? 1 : 0)) << c.typed;
    if (c.message) {
      EXPECT_EQ(test::scriptedPrompter().asked().back().text, "        Invalid date       ");
    }
  }
}

TEST_F(GridTest, LogicalFieldsShowTheirTextsAndEveryBoxStyle) {
  model_->setDisplayValues(2, "Ja;Nein");
  EXPECT_EQ(Cell(0, 2), "Ja");
  EXPECT_EQ(Cell(2, 2), "Nein");
  grid_.show();
  grid_.setCurrentIndex(model_->index(2, 2));
  Key(Qt::Key_Space);
  EXPECT_EQ(Cell(2, 2), "Ja");
  EXPECT_EQ(Stored(3, 3), "T");
  // A box drawn into a cell 60 x 20: the square is 20 x 20 in the middle, its frame 2 inside.
  auto draw = [&](TXbBooleanBox box, int row) {
    grid_.setBooleanBox(box);
    QImage img(60, 20, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    QStyleOptionViewItem opt;
    opt.rect = QRect(0, 0, 60, 20);
    opt.state = QStyle::State_Enabled;
    opt.palette.setColor(QPalette::Base, Qt::white);
    opt.palette.setColor(QPalette::Text, Qt::black);
    grid_.itemDelegate()->paint(&p, opt, model_->index(row, 2));
    return img;
  };
  struct Case {
    TXbBooleanBox box;
    int row;  // 0 true, 1 false (deleted: red ground)
    QPoint at;
    QColor want;
  } cases[] = {
      {TXbBooleanBox::bbCheckBox, 0, QPoint(30, 10), Qt::black},      // the cross
      {TXbBooleanBox::bbCheckBox, 0, QPoint(22, 10), Qt::black},      // the frame
      {TXbBooleanBox::bbCheckBox, 2, QPoint(30, 10), Qt::black},      // toggled above: true
      {TXbBooleanBox::bbFillBoxRed, 0, QPoint(30, 10), Qt::red},
      {TXbBooleanBox::bbFillBox, 0, QPoint(30, 10), Qt::black},
      {TXbBooleanBox::bbDotRed, 0, QPoint(30, 10), Qt::red},
      {TXbBooleanBox::bbDot, 0, QPoint(22, 10), Qt::white},          // no frame
      {TXbBooleanBox::bbRButton, 0, QPoint(30, 10), Qt::black},
      {TXbBooleanBox::bbCheckMark, 0, QPoint(22, 10), Qt::white},    // no frame
      {TXbBooleanBox::bbCheckMark, 0, QPoint(27, 15), Qt::black},    // the tick's lowest point
      {TXbBooleanBox::bbCheckBox, 1, QPoint(30, 10), Qt::red},       // false on a deleted record: the red ground
  };
  for (const Case& c : cases) {
    const QImage img = draw(c.box, c.row);
    EXPECT_EQ(img.pixelColor(c.at), c.want) << static_cast<int>(c.box) << " row " << c.row << " at " << c.at.x() << "," << c.at.y();
  }
  // bbText writes the field's own words.
  grid_.setBooleanBox(TXbBooleanBox::bbText);
  const QImage text = draw(TXbBooleanBox::bbText, 0);
  int dark = 0;
  for (int x = 0; x < 60; ++x)
    for (int y = 0; y < 20; ++y) dark += text.pixelColor(x, y).lightness() < 128;
  EXPECT_GT(dark, 5) << "a word is written";
}

TEST_F(GridTest, AStoredColumnLayoutSetsColumnsWidthsTitlesAndFonts) {
  std::vector<TXbColumn> cols;
  ASSERT_TRUE(ReadSavedColumns({"cvColumn=2", "cvWidthStr=80"}, cols));
  ASSERT_EQ(cols.size(), 3u);
  EXPECT_EQ(cols[2].Width, 80);
  EXPECT_FALSE(cols[0].Width);
  EXPECT_FALSE(ReadSavedColumns({"cvColumn=2", "zwei"}, cols)) << "a column index that is no number";
  EXPECT_EQ(cols.size(), 3u) << "nothing read";
  cols.clear();
  ASSERT_TRUE(ReadSavedColumns({"cvWidthStr=50",  // before the first column: nothing
                                "0", "cvFieldNameStr=QTY", "cvTitleCaptionStr=Menge", "cvColorStr=clYellow",
                                "cvAlignmentStr=taCenter", "cvFontStr=Arial,clRed,1290", "cvColumn=1",
                                "cvFieldNameStr=NAME", "cvReadOnlyStr=true", "cvTitleAlignmentStr=taRightJustify",
                                "cvColorStr=$0000FF"},
                               cols));
  ASSERT_EQ(cols.size(), 2u);
  EXPECT_FALSE(cols[0].Width);
  ASSERT_TRUE(cols[0].Font);
  EXPECT_EQ(cols[0].Font->family(), "Arial");
  EXPECT_EQ(cols[0].Font->pointSize(), 10);
  EXPECT_TRUE(cols[0].Font->bold());
  EXPECT_TRUE(cols[0].Font->underline());
  EXPECT_FALSE(cols[0].Font->italic());
  EXPECT_EQ(cols[0].FontColor, QColor(Qt::red));
  EXPECT_EQ(cols[1].Color, QColor(255, 0, 0)) << "blue in the high byte";
  grid_.setSavedColumns({"0", "cvFieldNameStr=QTY", "cvTitleCaptionStr=Menge", "cvColorStr=clYellow",
                         "cvAlignmentStr=taCenter", "cvWidthStr=77", "cvColumn=1", "cvFieldNameStr=NAME",
                         "cvReadOnlyStr=TRUE"});
  QHeaderView* header = grid_.horizontalHeader();
  EXPECT_EQ(header->logicalIndex(0), 1) << "QTY first";
  EXPECT_EQ(header->logicalIndex(1), 0);
  EXPECT_TRUE(grid_.isColumnHidden(2)) << "fields without a column are not shown";
  EXPECT_TRUE(grid_.isColumnHidden(3));
  EXPECT_EQ(grid_.columnWidth(1), 77);
  EXPECT_EQ(model_->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Menge");
  EXPECT_EQ(model_->data(model_->index(0, 1), Qt::BackgroundRole).value<QColor>(), QColor(Qt::yellow));
  EXPECT_EQ(model_->data(model_->index(1, 1), Qt::BackgroundRole).value<QColor>(), QColor(Qt::red))
      << "a deleted record keeps its colour";
  EXPECT_EQ(model_->data(model_->index(0, 1), Qt::TextAlignmentRole).toInt(), static_cast<int>(Qt::AlignHCenter | Qt::AlignVCenter));
  EXPECT_FALSE(model_->flags(model_->index(0, 0)) & Qt::ItemIsEditable) << "NAME read-only";
  EXPECT_TRUE(model_->flags(model_->index(0, 1)) & Qt::ItemIsEditable);
}

}  // namespace
}  // namespace qorva::xbtest
