#include "xbase/ui/datagrid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QTimer>
#include <algorithm>
#include <charconv>

#include "foundation/ui/qttext.h"
#include "platform/prompts.h"
#include "xbase/enginestate.h"
#include "xbase/nationaldates.h"

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
      // The mask's blanks and separators alone are the blank date.
      if (s.find_first_of("0123456789") == std::string::npos) {
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

DataGridModel::DataGridModel(TXbDatasetModel* dataset, QObject* parent)
    : QAbstractTableModel(parent), dataset_(dataset) {
  reload();
}

int DataGridModel::insertRow() const {
  return dataset_ && dataset_->State() == TDataSetState::Insert ? rows_ : -1;
}

void DataGridModel::reload() {
  beginResetModel();
  cache_.clear();
  cacheIndex_.clear();
  // A pending edit or insert stays pending: the rows are those of the table as it is.
  const bool pending = dataset_ && dataset_->State() != TDataSetState::Browse && dataset_->Active();
  if (!pending) {
    order_.clear();
    rows_ = 0;
  }
  XbGuarded([&] {
    if (!dataset_ || !dataset_->Active()) return;
    if (pending) {
      if (sequenced_) rows_ = dataset_->RecordCount();
      return;
    }
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

void DataGridModel::refreshActive() {
  int row = activeRow();
  auto it = cacheIndex_.find(row);
  if (it != cacheIndex_.end()) {
    cache_.erase(it->second);
    cacheIndex_.erase(it);
  }
  if (row >= 0) emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

TXbBookmark DataGridModel::bookmarkOfRow(int row) const {
  if (row < 0 || row >= rows_) return 0;
  return sequenced_ ? row + 1 : order_[static_cast<size_t>(row)];
}

int DataGridModel::activeRow() const {
  if (insertRow() >= 0) return insertRow();
  if (!dataset_ || !dataset_->Active() || dataset_->IsEmpty()) return -1;
  TXbBookmark b = dataset_->GetBookmark();
  if (sequenced_) return b >= 1 && b <= rows_ ? b - 1 : -1;
  for (size_t i = 0; i < order_.size(); ++i)
    if (order_[i] == b) return static_cast<int>(i);
  return -1;
}

void DataGridModel::goToRow(int row) {
  if (row == insertRow()) return;
  TXbBookmark b = bookmarkOfRow(row);
  // A record being inserted carries the bookmark it started from: leaving it always ends it.
  if (b > 0 && (b != dataset_->GetBookmark() || dataset_->State() == TDataSetState::Insert))
    XbGuarded([&] { dataset_->GotoBookmark(b); });
}

const TXbRecordBuffer* DataGridModel::record(int row) const {
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

int DataGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_ + (insertRow() >= 0 ? 1 : 0);
}

void DataGridModel::setDisplayValues(int field, const QString& values) {
  const qsizetype semi = values.indexOf(';');
  if (semi < 0) {
    boolTexts_.erase(field);
    return;
  }
  boolTexts_[field] = {values.left(semi), values.mid(semi + 1)};
  if (rowCount() > 0) emit dataChanged(index(0, field), index(rowCount() - 1, field));
}

QString DataGridModel::trueText(int field) const {
  auto it = boolTexts_.find(field);
  return it != boolTexts_.end() ? it->second.first : QStringLiteral("True");
}

QString DataGridModel::falseText(int field) const {
  auto it = boolTexts_.find(field);
  return it != boolTexts_.end() ? it->second.second : QStringLiteral("False");
}

void DataGridModel::setColumns(const std::vector<TXbColumn>& columns) {
  beginResetModel();
  columns_ = columns;
  endResetModel();
}

const TXbColumn* DataGridModel::columnOf(int field) const {
  for (size_t i = 0; i < columns_.size(); ++i) {
    const TXbColumn& c = columns_[i];
    const int f = c.FieldName.isEmpty() ? static_cast<int>(i) : dataset_->FieldIndex(QToWin(c.FieldName));
    if (f == field) return &c;
  }
  return nullptr;
}

int DataGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() || !dataset_ ? 0 : static_cast<int>(dataset_->FieldDefs().size());
}

QVariant DataGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Vertical) return role == Qt::DisplayRole ? QVariant(section == insertRow() ? QString("*") : QString::number(section + 1)) : QVariant();
  if (section < 0 || section >= columnCount()) return {};
  const TXbColumn* c = columnOf(section);
  switch (role) {
    case Qt::DisplayRole:
      if (c && c->TitleCaption) return *c->TitleCaption;
      return WinToQ(dataset_->FieldDefs()[static_cast<size_t>(section)].Name);
    case Qt::FontRole: return c && c->TitleFont ? QVariant(*c->TitleFont) : QVariant();
    case Qt::BackgroundRole: return c && c->TitleColor ? QVariant(*c->TitleColor) : QVariant();
    case Qt::TextAlignmentRole: return c && c->TitleAlignment ? QVariant(static_cast<int>(*c->TitleAlignment)) : QVariant();
    default: return {};
  }
}

QVariant DataGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const TXbFieldDef& f = dataset_->FieldDefs()[static_cast<size_t>(index.column())];
  // the active record shows its pending edit, a record being inserted its buffer
  const TXbRecordBuffer* rec = nullptr;
  if (dataset_->State() != TDataSetState::Browse && index.row() == activeRow())
    rec = &dataset_->ActiveBuffer();
  else
    rec = record(index.row());
  if (!rec) return {};
  const TXbFieldValue& v = rec->Values[static_cast<size_t>(index.column())];
  const TXbColumn* col = columnOf(index.column());
  const bool on = std::get_if<bool>(&v) && *std::get_if<bool>(&v);
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
      if (f.Type == 'L') return role == Qt::EditRole ? QVariant(on) : QVariant(on ? trueText(index.column()) : falseText(index.column()));
      if (const auto* s = std::get_if<std::string>(&v)) return WinToQ(*s);
      if (const auto* n = std::get_if<int64_t>(&v)) return QString::number(*n);
      if (const auto* r = std::get_if<long double>(&v)) return QString::number(static_cast<double>(*r), 'f', f.Dec);
      return QString();
    }
    case Qt::CheckStateRole:
      if (f.Type != 'L') return {};
      return on ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
      if (col && col->Alignment) return static_cast<int>(*col->Alignment);
      return f.Type == 'N' || f.Type == 'F' ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::FontRole: return col && col->Font ? QVariant(*col->Font) : QVariant();
    case Qt::BackgroundRole:
    case Qt::ForegroundRole: {
      QColor back = col && col->Color ? *col->Color : QColor();
      QColor text = col && col->FontColor ? *col->FontColor : QColor();
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

Qt::ItemFlags DataGridModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags fl = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (!index.isValid() || ReadOnly) return fl;
  if (const TXbColumn* c = columnOf(index.column()); c && c->ReadOnly) return fl;
  char t = dataset_->FieldDefs()[static_cast<size_t>(index.column())].Type;
  if (t == 'L') return fl | Qt::ItemIsUserCheckable;
  if (t == 'M') return fl;
  return fl | Qt::ItemIsEditable;
}

bool DataGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
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
  // A record being edited or inserted takes the value into its buffer: the Post button or
  // leaving the row writes it.
  if (dataset_->State() != TDataSetState::Browse && index.row() == activeRow()) {
    bool ok = XbGuarded([&] { dataset_->SetFieldValue(index.column(), v); });
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    return ok;
  }
  // A row that is no record of the table (the rows changed under an open editor) takes nothing:
  // the value must never land in whichever record is current.
  const TXbBookmark target = bookmarkOfRow(index.row());
  if (target <= 0) return false;
  goToRow(index.row());
  if (dataset_->GetBookmark() != target) return false;
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

QString XbDateEditMask() {
  const QString year = nationalDates.CenturyDates ? "0000" : "00";
  const QString sep(QChar::fromLatin1(nationalDates.DateSeparator));
  const QString mask = nationalDates.XbDateFormat == 1 ? year + sep + "00" + sep + "00" : "00" + sep + "00" + sep + year;
  return mask + "; ";
}

namespace {

// A colour as a stored layout names it: a colour constant ("clRed") or a number (decimal or "$"
// hexadecimal, blue in the high byte).
std::optional<QColor> LayoutColor(const QString& text) {
  static const std::map<QString, QColor> named = {
      {"CLBLACK", QColor(0, 0, 0)},         {"CLMAROON", QColor(128, 0, 0)},    {"CLGREEN", QColor(0, 128, 0)},
      {"CLOLIVE", QColor(128, 128, 0)},     {"CLNAVY", QColor(0, 0, 128)},      {"CLPURPLE", QColor(128, 0, 128)},
      {"CLTEAL", QColor(0, 128, 128)},      {"CLGRAY", QColor(128, 128, 128)},  {"CLSILVER", QColor(192, 192, 192)},
      {"CLRED", QColor(255, 0, 0)},         {"CLLIME", QColor(0, 255, 0)},      {"CLYELLOW", QColor(255, 255, 0)},
      {"CLBLUE", QColor(0, 0, 255)},        {"CLFUCHSIA", QColor(255, 0, 255)}, {"CLAQUA", QColor(0, 255, 255)},
      {"CLWHITE", QColor(255, 255, 255)},   {"CLWINDOW", QColor(255, 255, 255)}, {"CLWINDOWTEXT", QColor(0, 0, 0)},
      {"CLBTNFACE", QColor(192, 192, 192)}, {"CLMONEYGREEN", QColor(192, 220, 192)}, {"CLSKYBLUE", QColor(166, 202, 240)},
      {"CLCREAM", QColor(255, 251, 240)},   {"CLMEDGRAY", QColor(160, 160, 164)}};
  const QString t = text.trimmed().toUpper();
  if (auto it = named.find(t); it != named.end()) return it->second;
  bool ok = false;
  const qlonglong v = t.startsWith('$') ? t.mid(1).toLongLong(&ok, 16) : t.toLongLong(&ok, 10);
  if (!ok || v < 0 || v > 0xFFFFFF) return std::nullopt;
  return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

Qt::Alignment LayoutAlignment(const QString& text) {
  const QString t = text.trimmed().toUpper();
  if (t == "TARIGHTJUSTIFY") return Qt::AlignRight | Qt::AlignVCenter;
  if (t == "TACENTER") return Qt::AlignHCenter | Qt::AlignVCenter;
  return Qt::AlignLeft | Qt::AlignVCenter;
}

// "name, colour, size code": size = low byte, style bits 256 bold, 512 italic, 1024 underline,
// 2048 strike-out.
void LayoutFont(const QString& text, std::optional<QFont>& font, std::optional<QColor>& colour) {
  const QStringList parts = text.split(',');
  QFont f;
  if (!parts.isEmpty() && !parts[0].trimmed().isEmpty()) f.setFamily(parts[0].trimmed());
  if (parts.size() > 1) {
    if (auto c = LayoutColor(parts[1])) colour = c;
  }
  if (parts.size() > 2) {
    bool ok = false;
    const int code = parts[2].trimmed().toInt(&ok);
    if (ok) {
      if ((code & 0xFF) > 0) f.setPointSize(code & 0xFF);
      f.setBold(code & 256);
      f.setItalic(code & 512);
      f.setUnderline(code & 1024);
      f.setStrikeOut(code & 2048);
    }
  }
  font = f;
}

}  // namespace

bool ReadSavedColumns(const std::vector<std::string>& lines, std::vector<TXbColumn>& columns) {
  std::vector<TXbColumn> out = columns;
  int current = -1;
  for (const std::string& raw : lines) {
    const QString line = dosToQString(raw).trimmed();
    static const char* keys[] = {"cvColumn",       "cvColorStr",          "cvWidthStr",     "cvFontStr",
                                 "cvAlignmentStr", "cvReadOnlyStr",       "cvTitleColorStr", "cvTitleCaptionStr",
                                 "cvTitleAlignmentStr", "cvTitleFontStr", "cvFieldNameStr"};
    QString key, value = line;
    for (const char* k : keys) {
      const QString prefix = QString::fromLatin1(k) + "=";
      if (line.startsWith(prefix)) {
        key = k;
        value = line.mid(prefix.size());
        break;
      }
    }
    if (key.isEmpty() || key == "cvColumn") {
      bool ok = false;
      const int n = value.trimmed().toInt(&ok);
      if (!ok || n < 0 || n > 255) return false;
      while (static_cast<int>(out.size()) <= n) out.emplace_back();
      current = n;
      continue;
    }
    if (current < 0) continue;  // nothing to set before the first column
    TXbColumn& c = out[static_cast<size_t>(current)];
    if (key == "cvColorStr") c.Color = LayoutColor(value);
    else if (key == "cvWidthStr") {
      bool ok = false;
      const int w = value.trimmed().toInt(&ok);
      if (ok) c.Width = w;
    } else if (key == "cvFontStr") LayoutFont(value, c.Font, c.FontColor);
    else if (key == "cvAlignmentStr") c.Alignment = LayoutAlignment(value);
    else if (key == "cvReadOnlyStr") c.ReadOnly = value.trimmed().toUpper() == "TRUE";
    else if (key == "cvTitleColorStr") c.TitleColor = LayoutColor(value);
    else if (key == "cvTitleCaptionStr") c.TitleCaption = value;
    else if (key == "cvTitleAlignmentStr") c.TitleAlignment = LayoutAlignment(value);
    else if (key == "cvTitleFontStr") {
      std::optional<QColor> unused;
      LayoutFont(value, c.TitleFont, unused);
    } else if (key == "cvFieldNameStr") c.FieldName = value.trimmed();
  }
  columns = std::move(out);
  return true;
}

DataGridDelegate::DataGridDelegate(DataGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

namespace {

bool IsLogical(const DataGrid* grid, const QModelIndex& index) {
  const DataGridModel* m = grid->gridModel();
  return m && index.isValid() && index.column() < m->columnCount() &&
         m->dataset()->FieldDefs()[static_cast<size_t>(index.column())].Type == 'L';
}

}  // namespace

void DataGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  if (!IsLogical(grid_, index)) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  const DataGridModel* m = grid_->gridModel();
  const QVariant back = index.data(Qt::BackgroundRole), fore = index.data(Qt::ForegroundRole);
  const bool selected = option.state & QStyle::State_Selected;
  const QBrush brush = selected ? option.palette.highlight() : back.isValid() ? QBrush(back.value<QColor>()) : option.palette.base();
  QColor ink = selected ? option.palette.highlightedText().color()
                        : fore.isValid() ? fore.value<QColor>() : option.palette.text().color();
  if (!(option.state & QStyle::State_Enabled)) ink = Qt::gray;
  painter->save();
  painter->fillRect(option.rect, brush);
  const bool on = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
  const TXbBooleanBox box = grid_->booleanBox();
  if (box == TXbBooleanBox::bbText) {
    painter->setPen(ink);
    const QVariant align = index.data(Qt::TextAlignmentRole);
    painter->drawText(option.rect.adjusted(2, 0, -2, 0),
                      align.isValid() ? align.toInt() : static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter),
                      on ? m->trueText(index.column()) : m->falseText(index.column()));
    painter->restore();
    return;
  }
  // A square of the cell's height, centred; in a cell higher than wide, of its width at the top.
  const QRect r = option.rect;
  const QRect square = r.width() > r.height() ? QRect(r.left() + (r.width() - r.height()) / 2, r.top(), r.height(), r.height())
                                              : QRect(r.left(), r.top(), r.width(), r.width());
  const QRect frame = square.adjusted(2, 2, -2, -2);
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->setBrush(Qt::NoBrush);
  painter->setPen(QPen(ink, 1));
  switch (box) {
    case TXbBooleanBox::bbCheckBox:
    case TXbBooleanBox::bbFillBox:
    case TXbBooleanBox::bbFillBoxRed: painter->drawRect(frame.adjusted(0, 0, -1, -1)); break;
    case TXbBooleanBox::bbRButton:
    case TXbBooleanBox::bbRButtonRed: painter->drawEllipse(frame.adjusted(0, 0, -1, -1)); break;
    default: break;
  }
  if (on) {
    const bool red = box == TXbBooleanBox::bbFillBoxRed || box == TXbBooleanBox::bbRButtonRed || box == TXbBooleanBox::bbDotRed;
    const QColor mark = red ? QColor(Qt::red) : ink;
    painter->setPen(QPen(mark, 2));
    switch (box) {
      case TXbBooleanBox::bbCheckBox: {
        const QRect in = frame.adjusted(3, 3, -3, -3);
        painter->drawLine(in.topLeft(), in.bottomRight());
        painter->drawLine(in.bottomLeft(), in.topRight());
        break;
      }
      case TXbBooleanBox::bbCheckMark: {
        const QPoint pts[] = {QPoint(frame.left() + 2, frame.center().y()),
                              QPoint(frame.left() + frame.width() / 3, frame.bottom() - 2),
                              QPoint(frame.right() - 2, frame.top())};
        painter->drawPolyline(pts, 3);
        break;
      }
      case TXbBooleanBox::bbFillBox:
      case TXbBooleanBox::bbFillBoxRed: painter->fillRect(frame.adjusted(1, 1, -1, -1), mark); break;
      default:  // the round marks
        painter->setPen(Qt::NoPen);
        painter->setBrush(mark);
        painter->drawEllipse(frame.adjusted(2, 2, -2, -2));
        break;
    }
  }
  painter->restore();
}

QWidget* DataGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const DataGridModel* m = grid_->gridModel();
  if (m && index.isValid() && m->dataset()->FieldDefs()[static_cast<size_t>(index.column())].Type == 'D') {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName("XbDateEdit");
    edit->setFrame(false);
    edit->setInputMask(XbDateEditMask());
    return edit;
  }
  return QStyledItemDelegate::createEditor(parent, option, index);
}

bool DataGridDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) {
  if (IsLogical(grid_, index)) {
    // A press on a logical cell toggles it; its release and double click do nothing more.
    if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      grid_->setCurrentIndex(index);
      grid_->toggleCurrent();
      return true;
    }
    if (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonDblClick) return true;
  }
  return QStyledItemDelegate::editorEvent(event, model, option, index);
}

namespace {

// The title of the depressed column is drawn pressed.
class DataGridHeader : public QHeaderView {
 public:
  DataGridHeader(DataGrid* grid) : QHeaderView(Qt::Horizontal, grid), grid_(grid) {}

 protected:
  void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override {
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    if (logicalIndex == grid_->depressedColumn()) {
      option->state |= QStyle::State_Sunken;
      option->state &= ~QStyle::State_Raised;
    }
  }

 private:
  DataGrid* grid_;
};

}  // namespace

void DataGrid::setDepressDisabled(bool disabled) {
  depressed_ = -1;
  horizontalHeader()->viewport()->update();
  depressDisabled_ = disabled;
}

DataGrid::DataGrid(QWidget* parent) : QTableView(parent) {
  setHorizontalHeader(new DataGridHeader(this));
  setItemDelegate(new DataGridDelegate(this));
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setSelectionMode(QAbstractItemView::SingleSelection);
  horizontalHeader()->setSectionsMovable(true);
  horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  connect(horizontalHeader(), &QHeaderView::customContextMenuRequested, this, [this](const QPoint& at) {
    if (depressDisabled_) return;
    int logical = horizontalHeader()->logicalIndexAt(at);  // the field, wherever its column was moved
    if (logical < 0) return;
    depressed_ = logical;
    viewport()->update();
    horizontalHeader()->viewport()->update();
    emit depressTitle(logical);
  });
  if (auto* corner = findChild<QAbstractButton*>()) {
    corner->disconnect();
    connect(corner, &QAbstractButton::clicked, this, [this] { emit cornerLeftClick(); });
    corner->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(corner, &QWidget::customContextMenuRequested, this, [this] { emit cornerRightClick(); });
  }
}

void DataGrid::setDataset(DataGridModel* model) {
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
  applyColumns();
  int row = model->activeRow();
  if (row >= 0) setCurrentIndex(model->index(row, 0));
  connect(model, &QAbstractItemModel::dataChanged, this, &DataGrid::activeChanged);
  connect(model, &QAbstractItemModel::modelReset, this, &DataGrid::activeChanged);
  emit activeChanged();
}

void DataGrid::setBooleanBox(TXbBooleanBox box) {
  booleanBox_ = box;
  viewport()->update();
}

void DataGrid::setSavedColumns(const std::vector<std::string>& lines) {
  std::vector<TXbColumn> columns;
  if (!ReadSavedColumns(lines, columns)) return;
  columns_ = std::move(columns);
  applyColumns();
}

void DataGrid::applyColumns() {
  if (!model_ || columns_.empty()) return;
  model_->setColumns(columns_);
  QHeaderView* header = horizontalHeader();
  const int fields = model_->columnCount();
  std::vector<bool> shown(static_cast<size_t>(fields), false);
  int visual = 0;
  for (size_t i = 0; i < columns_.size(); ++i) {
    const TXbColumn& c = columns_[i];
    const int field = c.FieldName.isEmpty() ? static_cast<int>(i)
                                            : model_->dataset()->FieldIndex(QToWin(c.FieldName));
    if (field < 0 || field >= fields || shown[static_cast<size_t>(field)]) continue;
    shown[static_cast<size_t>(field)] = true;
    header->moveSection(header->visualIndex(field), visual++);
    if (c.Width) setColumnWidth(field, *c.Width);
  }
  // A stored layout shows its columns only.
  for (int f = 0; f < fields; ++f) setColumnHidden(f, !shown[static_cast<size_t>(f)]);
}

void DataGrid::resync() {
  if (!model_) return;
  QModelIndex at = currentIndex();
  model_->reload();
  const int row = model_->activeRow();
  if (row >= 0) setCurrentIndex(model_->index(row, at.isValid() ? at.column() : 0));
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  emit activeChanged();
  if (!model_ || !current.isValid() || current.row() == previous.row()) return;
  const bool pending = model_->dataset()->State() != TDataSetState::Browse;
  model_->goToRow(current.row());
  // Leaving a record being inserted or edited posted it, or dropped it when untouched: the rows
  // change once this move is done.
  if (pending && model_->dataset()->State() == TDataSetState::Browse)
    QTimer::singleShot(0, this, [this] { resync(); });
}

void DataGrid::toggleCurrent() {
  QModelIndex at = currentIndex();
  if (!model_ || !at.isValid() || model_->ReadOnly) return;
  if (model_->dataset()->FieldDefs()[static_cast<size_t>(at.column())].Type != 'L') return;
  bool on = model_->data(at, Qt::CheckStateRole).toInt() == Qt::Checked;
  model_->setData(at, on ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

void DataGrid::endEdit(bool keep) {
  if (state() != QAbstractItemView::EditingState) return;
  QWidget* editor = indexWidget(currentIndex());
  if (!editor) return;
  if (keep) commitData(editor);
  closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void DataGrid::keyPressEvent(QKeyEvent* event) {
  if (!model_) {
    QTableView::keyPressEvent(event);
    return;
  }
  TXbDatasetModel* ds = model_->dataset();
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
  if (event->key() == Qt::Key_Down && at.isValid() && at.row() == model_->rowCount() - 1 &&
      event->modifiers() == Qt::NoModifier) {
    // Past the last record: a new record, as "+" begins it, unless the grid may not append.
    if (!AutoAppend || model_->ReadOnly || ds->State() != TDataSetState::Browse) return;
    XbGuarded([&] { ds->Append(); });
    resync();
    return;
  }
  QTableView::keyPressEvent(event);
}

}  // namespace qorva
