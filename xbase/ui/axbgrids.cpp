#include "xbase/ui/axbgrids.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <algorithm>
#include <charconv>

#include "foundation/ui/qttext.h"
#include "platform/prompts.h"
#include "xbase/xbcommon.h"

namespace qorva {

namespace {

constexpr size_t CacheRows = 512;

QString WinToQ(const std::string& win) { return dosToQString(XbAnsiToOem(win)); }
std::string QToWin(const QString& q) { return XbOemToAnsi(qStringToDos(q)); }

// The typed text as a value of the field; false when it is no value of that type.
bool ParseValue(const TXbFieldDef& f, const QString& text, TXbFieldValue& out) {
  std::string s = QToWin(text.trimmed());
  switch (f.Type) {
    case 'C': out = QToWin(text).substr(0, f.Len); return true;
    case 'D':
      if (s.empty()) {
        out = std::monostate{};
        return true;
      }
      out = s;
      return true;
    case 'N':
    case 'F': {
      for (char& c : s)
        if (c == ',') c = '.';
      if (s.empty()) s = "0";
      if (f.Dec > 0) {
        double v = 0;
        auto r = std::from_chars(s.data(), s.data() + s.size(), v);
        if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
        out = static_cast<long double>(v);
      } else {
        int64_t v = 0;
        auto r = std::from_chars(s.data(), s.data() + s.size(), v);
        if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
        out = v;
      }
      return true;
    }
    case 'L': {
      QString t = text.trimmed().toUpper();
      out = t == "T" || t == "Y" || t == "J" || t == "TRUE";
      return true;
    }
    default: return false;
  }
}

}  // namespace

bool XbGuarded(const std::function<void()>& action) {
  try {
    action();
    return true;
  } catch (const EXbaseHalt&) {
    // the stop message has been shown by the engine's error policy
  } catch (const EXbDatasetError& e) {
    prompter().message("", XbAnsiToUtf8(e.what()));
  } catch (const EXbaseError& e) {
    prompter().message("", XbAnsiToUtf8(e.what()));
  }
  return false;
}

TXbGridModel::TXbGridModel(TXbPrimDataset* dataset, QObject* parent)
    : QAbstractTableModel(parent), dataset_(dataset) {
  reload();
}

void TXbGridModel::reload() {
  beginResetModel();
  cache_.clear();
  cacheIndex_.clear();
  order_.clear();
  rows_ = 0;
  XbGuarded([&] {
    if (!dataset_ || !dataset_->Active()) return;
    sequenced_ = dataset_->IsSequenced();
    if (sequenced_) {
      rows_ = dataset_->RecordCount();
    } else {
      // another order: the rows are the records as the cursor meets them
      TXbBookmark back = dataset_->GetBookmark();
      dataset_->First();
      while (!dataset_->IsEmpty()) {
        order_.push_back(dataset_->GetBookmark());
        if (dataset_->MoveBy(1) == 0) break;
      }
      rows_ = static_cast<int>(order_.size());
      if (back > 0) dataset_->GotoBookmark(back);
    }
  });
  endResetModel();
}

void TXbGridModel::refreshActive() {
  int row = activeRow();
  auto it = cacheIndex_.find(row);
  if (it != cacheIndex_.end()) {
    cache_.erase(it->second);
    cacheIndex_.erase(it);
  }
  if (row >= 0) emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

TXbBookmark TXbGridModel::bookmarkOfRow(int row) const {
  if (row < 0 || row >= rows_) return 0;
  return sequenced_ ? row + 1 : order_[static_cast<size_t>(row)];
}

int TXbGridModel::activeRow() const {
  if (!dataset_ || !dataset_->Active() || dataset_->IsEmpty()) return -1;
  TXbBookmark b = dataset_->GetBookmark();
  if (sequenced_) return b >= 1 && b <= rows_ ? b - 1 : -1;
  for (size_t i = 0; i < order_.size(); ++i)
    if (order_[i] == b) return static_cast<int>(i);
  return -1;
}

void TXbGridModel::goToRow(int row) {
  TXbBookmark b = bookmarkOfRow(row);
  if (b > 0 && b != dataset_->GetBookmark()) XbGuarded([&] { dataset_->GotoBookmark(b); });
}

const TXbRecordBuffer* TXbGridModel::record(int row) const {
  auto it = cacheIndex_.find(row);
  if (it != cacheIndex_.end()) {
    cache_.splice(cache_.begin(), cache_, it->second);
    return &it->second->second;
  }
  TXbRecordBuffer buf;
  bool ok = false;
  XbGuarded([&] { ok = dataset_->ReadRecord(bookmarkOfRow(row), buf); });
  if (!ok) return nullptr;
  cache_.emplace_front(row, std::move(buf));
  cacheIndex_[row] = cache_.begin();
  if (cache_.size() > CacheRows) {
    cacheIndex_.erase(cache_.back().first);
    cache_.pop_back();
  }
  return &cache_.front().second;
}

int TXbGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int TXbGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() || !dataset_ ? 0 : static_cast<int>(dataset_->FieldDefs().size());
}

QVariant TXbGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= columnCount()) return {};
  return WinToQ(dataset_->FieldDefs()[static_cast<size_t>(section)].Name);
}

QVariant TXbGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_) return {};
  const TXbFieldDef& f = dataset_->FieldDefs()[static_cast<size_t>(index.column())];
  // the active record shows its pending edit
  const TXbRecordBuffer* rec = nullptr;
  if (dataset_->State() != TDataSetState::Browse && index.row() == activeRow())
    rec = &dataset_->ActiveBuffer();
  else
    rec = record(index.row());
  if (!rec) return {};
  const TXbFieldValue& v = rec->Values[static_cast<size_t>(index.column())];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
      if (f.Type == 'L') return role == Qt::EditRole ? QVariant(std::get_if<bool>(&v) && *std::get_if<bool>(&v)) : QVariant();
      if (const auto* s = std::get_if<std::string>(&v)) return WinToQ(*s);
      if (const auto* n = std::get_if<int64_t>(&v)) return QString::number(*n);
      if (const auto* r = std::get_if<long double>(&v)) return QString::number(static_cast<double>(*r), 'f', f.Dec);
      return QString();
    }
    case Qt::CheckStateRole:
      if (f.Type != 'L') return {};
      return std::get_if<bool>(&v) && *std::get_if<bool>(&v) ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
      return f.Type == 'N' || f.Type == 'F' ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::BackgroundRole:
    case Qt::ForegroundRole: {
      QColor back, text;
      if (rec->Deleted) {
        back = Colors.DeletedColor;
        text = Colors.DeletedTextColor;
      }
      if (OnChangeColors) OnChangeColors(index.row(), back, text);
      QColor c = role == Qt::BackgroundRole ? back : text;
      return c.isValid() ? QVariant(c) : QVariant();
    }
    default: return {};
  }
}

Qt::ItemFlags TXbGridModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags fl = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (!index.isValid() || ReadOnly) return fl;
  char t = dataset_->FieldDefs()[static_cast<size_t>(index.column())].Type;
  if (t == 'L') return fl | Qt::ItemIsUserCheckable;
  if (t == 'M') return fl;
  return fl | Qt::ItemIsEditable;
}

bool TXbGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || ReadOnly) return false;
  const TXbFieldDef f = dataset_->FieldDefs()[static_cast<size_t>(index.column())];
  TXbFieldValue v;
  if (role == Qt::CheckStateRole && f.Type == 'L') {
    v = value.toInt() == Qt::Checked;
  } else if (role == Qt::EditRole) {
    if (f.Type == 'L' && value.typeId() == QMetaType::Bool)
      v = value.toBool();
    else if (!ParseValue(f, value.toString(), v)) {
      prompter().message("", "Ung\xc3\xbcltige Eingabe");
      return false;
    }
  } else {
    return false;
  }
  goToRow(index.row());
  bool ok = XbGuarded([&] {
    dataset_->Edit();
    dataset_->SetFieldValue(index.column(), v);
    dataset_->Post();
  });
  if (!ok) XbGuarded([&] { dataset_->Cancel(); });
  // whatever happened, the row shows what the table holds
  if (dataset_->RecordCount() != rows_ && sequenced_) {
    reload();
  } else {
    refreshActive();
  }
  return ok;
}

TXbGrid::TXbGrid(QWidget* parent) : QTableView(parent) {
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setSelectionMode(QAbstractItemView::SingleSelection);
  horizontalHeader()->setSectionsMovable(true);
  horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  connect(horizontalHeader(), &QHeaderView::customContextMenuRequested, this, [this](const QPoint& at) {
    if (DepressDisabled) return;
    int logical = horizontalHeader()->logicalIndexAt(at);  // the field, wherever its column was moved
    if (logical < 0) return;
    depressed_ = logical;
    viewport()->update();
    emit depressTitle(logical);
  });
  if (auto* corner = findChild<QAbstractButton*>()) {
    corner->disconnect();
    connect(corner, &QAbstractButton::clicked, this, [this] { emit cornerLeftClick(); });
    corner->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(corner, &QWidget::customContextMenuRequested, this, [this] { emit cornerRightClick(); });
  }
}

void TXbGrid::setDataset(TXbGridModel* model) {
  model_ = model;
  setModel(model);
  depressed_ = -1;
  // Each column as wide as its field holds (a long text up to 40 characters), so that values that
  // differ only at their end can be told apart, and never narrower than its title.
  const QFontMetrics text(font());
  const QFontMetrics title(horizontalHeader()->font());
  const auto& defs = model->dataset()->FieldDefs();
  for (int c = 0; c < model->columnCount() && c < static_cast<int>(defs.size()); ++c) {
    const TXbFieldDef& f = defs[static_cast<size_t>(c)];
    int chars = 12;
    switch (f.Type) {
      case 'C': chars = std::min<int>(f.Len, 40); break;
      case 'N':
      case 'F': chars = f.Len; break;
      case 'D': chars = 10; break;
      case 'L': chars = 3; break;
      default: break;
    }
    const int cell = text.horizontalAdvance(QString(chars, QLatin1Char('0'))) * 9 / 10 + 12;
    const int head = title.horizontalAdvance(QString::fromStdString(f.Name)) + 16;
    setColumnWidth(c, std::max(cell, head));
  }
  int row = model->activeRow();
  if (row >= 0) setCurrentIndex(model->index(row, 0));
}

void TXbGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (model_ && current.isValid() && current.row() != previous.row()) model_->goToRow(current.row());
}

void TXbGrid::toggleCurrent() {
  QModelIndex at = currentIndex();
  if (!model_ || !at.isValid() || model_->ReadOnly) return;
  if (model_->dataset()->FieldDefs()[static_cast<size_t>(at.column())].Type != 'L') return;
  bool on = model_->data(at, Qt::CheckStateRole).toInt() == Qt::Checked;
  model_->setData(at, on ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

void TXbGrid::keyPressEvent(QKeyEvent* event) {
  if (!model_) {
    QTableView::keyPressEvent(event);
    return;
  }
  TXbPrimDataset* ds = model_->dataset();
  QModelIndex at = currentIndex();
  bool logical = at.isValid() && ds->FieldDefs()[static_cast<size_t>(at.column())].Type == 'L';
  if (event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier) && !model_->ReadOnly &&
      ds->IsRecordDeleted()) {
    if (ConfirmRestore) {
      auto answer = prompter().yesNo("Datensatz restaurieren ?", true);
      if (!answer || !*answer) return;
    }
    XbGuarded([&] { ds->SetRecordDeleted(false); });
    model_->refreshActive();
    return;
  }
  if (logical && (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    toggleCurrent();
    return;
  }
  if (logical && !event->text().isEmpty() && event->text()[0].isPrint()) return;  // no typing into a box
  if (!AutoAppend && event->key() == Qt::Key_Down && at.row() == model_->rowCount() - 1) return;
  QTableView::keyPressEvent(event);
}

}  // namespace qorva
