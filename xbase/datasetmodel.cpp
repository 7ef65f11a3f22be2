#include "xbase/datasetmodel.h"

#include <charconv>
#include <cmath>

namespace qorva {

void TXbDatasetModel::CheckResult(uint16_t code) {
  if (code == XbiOk) return;
  if (code == XbiNoFileName) throw EXbDatasetError(code, "The FileName property of the dataset not set");
  if (code == XbiOpenFailed || code == XbiAtBof || code == XbiAtEof)
    throw EXbDatasetError(code, "Dataset error: " + std::to_string(code));
  throw EXbDatasetError(code, "Dataset error: " + XbiGetErrorText(code));
}

void TXbDatasetModel::Open() {
  if (Active()) return;
  if (DatasetFileName().empty()) CheckResult(XbiNoFileName);
  CheckResult(XbiOpen());
  fieldDefs_ = XbiFieldDefs();
  state_ = TDataSetState::Browse;
  First();
}

void TXbDatasetModel::Close() {
  if (!Active()) return;
  state_ = TDataSetState::Inactive;
  modified_ = false;
  SetEmpty();
  fieldDefs_.clear();
  XbiClose();
}

void TXbDatasetModel::SetEmpty() {
  active_ = TXbRecordBuffer{};
  active_.Values.assign(fieldDefs_.size(), TXbFieldValue{});
  active_.Modified.assign(fieldDefs_.size(), 0);
  empty_ = true;
  bof_ = eof_ = true;
}

bool TXbDatasetModel::ReadCurrent() {
  TXbRecordBuffer buf;
  if (XbiGetRecord(&buf) != XbiOk) return false;
  active_ = std::move(buf);
  empty_ = false;
  return true;
}

void TXbDatasetModel::CursorToActive() {
  if (!empty_) CheckResult(XbiGotoBookmark(active_.Bookmark));
}

void TXbDatasetModel::First() { ToEnd(true); }
void TXbDatasetModel::Last() { ToEnd(false); }

void TXbDatasetModel::ToEnd(bool first) {
  CheckBrowseMode();
  CheckResult(first ? XbiSetToBegin() : XbiSetToEnd());
  TXbRecordBuffer buf;
  uint16_t r = first ? XbiGetNextRecord(&buf) : XbiGetPriorRecord(&buf);
  if (r == XbiAtEof || r == XbiAtBof) {
    SetEmpty();
  } else {
    CheckResult(r);
    active_ = std::move(buf);
    empty_ = false;
    bof_ = first;
    eof_ = !first;
  }
  AfterScroll();
}

int32_t TXbDatasetModel::MoveBy(int32_t distance) {
  CheckBrowseMode();
  if (empty_ || distance == 0) return 0;
  CursorToActive();
  int32_t moved = 0;
  bool forward = distance > 0;
  bof_ = eof_ = false;
  while (moved != distance) {
    TXbRecordBuffer buf;
    uint16_t r = forward ? XbiGetNextRecord(&buf) : XbiGetPriorRecord(&buf);
    if (r == XbiAtEof || r == XbiAtBof) {
      (forward ? eof_ : bof_) = true;
      break;
    }
    CheckResult(r);
    active_ = std::move(buf);
    moved += forward ? 1 : -1;
  }
  if (moved != 0) AfterScroll();
  return moved;
}

void TXbDatasetModel::Next() { MoveBy(1); }
void TXbDatasetModel::Prior() { MoveBy(-1); }

void TXbDatasetModel::SetRecNo(int32_t n) {
  CheckBrowseMode();
  if (empty_ || n == active_.RecNo) return;
  if (n < 1 || n > XbiGetRecordCount()) {
    // outside the table: the cursor goes to the end, as the engine's safe go does
    if (!eof_) Last();
    return;
  }
  if (XbiSetRecNo(n) != XbiOk || !ReadCurrent()) return;
  bof_ = eof_ = false;
  AfterScroll();
}

bool TXbDatasetModel::FindRecord(bool restart, bool forward) {
  CheckBrowseMode();
  if (!Active()) return false;
  CursorToActive();
  if (restart) CheckResult(forward ? XbiSetToBegin() : XbiSetToEnd());
  TXbRecordBuffer buf;
  const uint16_t r = forward ? XbiGetNextRecord(&buf) : XbiGetPriorRecord(&buf);
  if (r != XbiOk) {
    // nothing there: the cursor stays on its record
    if (r != XbiAtBof && r != XbiAtEof) CheckResult(r);
    CursorToActive();
    return false;
  }
  active_ = std::move(buf);
  empty_ = false;
  bof_ = eof_ = false;
  AfterScroll();
  return true;
}

int32_t TXbDatasetModel::RecordCount() {
  if (!Active()) throw EXbDatasetError(XbiOpenFailed, "Cannot perform this operation on a closed dataset");
  return XbiGetRecordCount();
}

void TXbDatasetModel::GotoBookmark(TXbBookmark b) {
  CheckBrowseMode();
  CheckResult(XbiGotoBookmark(b));
  TXbRecordBuffer buf;
  CheckResult(XbiGetRecord(&buf));
  active_ = std::move(buf);
  empty_ = false;
  bof_ = eof_ = false;
  AfterScroll();
}

bool TXbDatasetModel::BookmarkValid(TXbBookmark b) {
  if (!Active() || b < 1) return false;
  bool ok = XbiGotoBookmark(b) == XbiOk && XbiGetRecord(nullptr) == XbiOk && XbiCurrentRecNo() == b;
  CursorToActive();
  return ok;
}

bool TXbDatasetModel::ReadRecord(TXbBookmark b, TXbRecordBuffer& buf) {
  if (!Active() || b < 1) return false;
  bool ok = XbiGotoBookmark(b) == XbiOk && XbiGetRecord(&buf) == XbiOk;
  CursorToActive();
  return ok;
}

int TXbDatasetModel::FieldIndex(const std::string& name) const {
  for (size_t i = 0; i < fieldDefs_.size(); ++i) {
    const std::string& f = fieldDefs_[i].Name;
    if (f.size() != name.size()) continue;
    bool same = true;
    for (size_t k = 0; k < f.size() && same; ++k) {
      auto up = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
      same = up(f[k]) == up(name[k]);
    }
    if (same) return static_cast<int>(i);
  }
  return -1;
}

const TXbFieldValue& TXbDatasetModel::FieldValue(int i) const {
  static const TXbFieldValue none;
  if (i < 0 || static_cast<size_t>(i) >= active_.Values.size()) return none;
  return active_.Values[static_cast<size_t>(i)];
}

std::string TXbDatasetModel::FieldText(int i) const {
  const TXbFieldValue& v = FieldValue(i);
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  if (const auto* n = std::get_if<int64_t>(&v)) return std::to_string(*n);
  if (const auto* b = std::get_if<bool>(&v)) return *b ? "T" : "F";
  if (const auto* r = std::get_if<long double>(&v)) {
    int dec = (i >= 0 && static_cast<size_t>(i) < fieldDefs_.size()) ? fieldDefs_[static_cast<size_t>(i)].Dec : 2;
    char out[80];
    auto res = std::to_chars(out, out + sizeof out, static_cast<double>(*r), std::chars_format::fixed, dec);
    return res.ec == std::errc() ? std::string(out, res.ptr) : std::string();
  }
  return "";
}

void TXbDatasetModel::Edit() {
  if (state_ == TDataSetState::Edit || state_ == TDataSetState::Insert) return;
  if (!Active()) throw EXbDatasetError(XbiOpenFailed, "Cannot perform this operation on a closed dataset");
  if (ReadOnly()) throw EXbDatasetError(XbiOpenFailed, "Cannot modify a read-only dataset");
  if (empty_) {
    Append();
    return;
  }
  CursorToActive();
  CheckResult(XbiGetRecord(&active_));  // edit what the file holds now
  state_ = TDataSetState::Edit;
  modified_ = false;
}

void TXbDatasetModel::Append() {
  CheckBrowseMode();
  if (!Active()) throw EXbDatasetError(XbiOpenFailed, "Cannot perform this operation on a closed dataset");
  if (ReadOnly()) throw EXbDatasetError(XbiOpenFailed, "Cannot modify a read-only dataset");
  TXbRecordBuffer buf;
  buf.Values.assign(fieldDefs_.size(), TXbFieldValue{});
  buf.Modified.assign(fieldDefs_.size(), 0);
  XbiInitRecord(buf);
  buf.Bookmark = empty_ ? 0 : active_.Bookmark;  // where Cancel returns to
  active_ = std::move(buf);
  state_ = TDataSetState::Insert;
  modified_ = false;
}

void TXbDatasetModel::SetFieldValue(int i, const TXbFieldValue& value) {
  if (state_ != TDataSetState::Edit && state_ != TDataSetState::Insert)
    throw EXbDatasetError(XbiOpenFailed, "Dataset not in edit or insert mode");
  if (i < 0 || static_cast<size_t>(i) >= fieldDefs_.size())
    throw EXbDatasetError(XbiOpenFailed, "Field index out of range");
  active_.Values[static_cast<size_t>(i)] = value;
  active_.Modified[static_cast<size_t>(i)] = 1;
  modified_ = true;
}

void TXbDatasetModel::Post() {
  if (state_ == TDataSetState::Edit) {
    TXbBookmark at = active_.Bookmark;
    CheckResult(XbiGotoBookmark(at));
    XbiReplaceRecord(active_);
    state_ = TDataSetState::Browse;
    modified_ = false;
    // Whether written or refused, the screen shows what the file holds.
    if (XbiGotoBookmark(at) != XbiOk || !ReadCurrent()) ResyncFromEngine();
  } else if (state_ == TDataSetState::Insert) {
    TXbBookmark back = active_.Bookmark;
    bool written = XbiAppendRecord(active_);
    state_ = TDataSetState::Browse;
    modified_ = false;
    if (written) {
      int32_t n = XbiCurrentRecNo();
      if (n < 1 || XbiGotoBookmark(n) != XbiOk || !ReadCurrent()) ResyncFromEngine();
    } else if (back < 1 || XbiGotoBookmark(back) != XbiOk || !ReadCurrent()) {
      ResyncFromEngine();
    }
    bof_ = eof_ = false;
  }
  empty_ = empty_ && XbiIsEmpty();
  AfterScroll();
}

void TXbDatasetModel::Cancel() {
  if (state_ != TDataSetState::Edit && state_ != TDataSetState::Insert) return;
  TXbBookmark back = active_.Bookmark;
  state_ = TDataSetState::Browse;
  modified_ = false;
  if (back < 1 || XbiGotoBookmark(back) != XbiOk || !ReadCurrent()) ResyncFromEngine();
  AfterScroll();
}

void TXbDatasetModel::CheckBrowseMode() {
  if (state_ != TDataSetState::Edit && state_ != TDataSetState::Insert) return;
  if (modified_)
    Post();
  else
    Cancel();
}

void TXbDatasetModel::Delete() {
  if (state_ == TDataSetState::Insert) {
    Cancel();
    return;
  }
  CheckBrowseMode();
  if (empty_ || ReadOnly()) return;
  TXbBookmark at = active_.Bookmark;
  CursorToActive();
  XbiDeleteRecord();
  // With deleted records hidden the engine has moved on to a visible record.
  if (XbiGotoBookmark(at) != XbiOk || !ReadCurrent() || (active_.Deleted && XbiIsEmpty())) {
    ResyncFromEngine();
    return;
  }
  AfterScroll();
}

void TXbDatasetModel::SetRecordDeleted(bool deleted) {
  if (empty_ || active_.Deleted == deleted) return;
  if (deleted) {
    Delete();
    return;
  }
  if (state_ == TDataSetState::Insert) {
    Cancel();
    return;
  }
  CheckBrowseMode();
  if (ReadOnly()) return;
  TXbBookmark at = active_.Bookmark;
  CursorToActive();
  XbiRestoreRecord();
  if (XbiGotoBookmark(at) != XbiOk || !ReadCurrent()) ResyncFromEngine();
  AfterScroll();
}

void TXbDatasetModel::ResyncFromEngine() {
  if (state_ == TDataSetState::Inactive) return;
  state_ = TDataSetState::Browse;
  modified_ = false;
  XbiSyncToEngine();
  if (XbiIsEmpty()) {
    SetEmpty();
  } else if (ReadCurrent()) {
    bof_ = eof_ = false;
  } else {
    // The engine stands past an end: show the last record.
    CheckResult(XbiSetToEnd());
    TXbRecordBuffer buf;
    if (XbiGetPriorRecord(&buf) == XbiOk) {
      active_ = std::move(buf);
      empty_ = false;
      bof_ = false;
      eof_ = true;
    } else {
      SetEmpty();
    }
  }
  AfterScroll();
}

void TXbDatasetModel::Refresh() {
  CheckBrowseMode();
  CheckResult(XbiForceReread());
  if (empty_ || XbiGotoBookmark(active_.Bookmark) != XbiOk || !ReadCurrent()) ResyncFromEngine();
}

}  // namespace qorva
