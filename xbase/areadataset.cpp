#include "xbase/areadataset.h"

#include <charconv>
#include <algorithm>
#include <cmath>

#include "xbase/workareas.h"
#include "xbase/enginestate.h"
#include "xbase/tablefile.h"
#include "xbase/nationaldates.h"

namespace qorva {

namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

std::string RTrim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

long double RoundTo(long double v, int dec) {
  if (!std::isfinite(v)) return 0;
  long double f = std::pow(10.0L, dec);
  return std::round(v * f) / f;
}

}  // namespace

TXbDataSet::~TXbDataSet() {
  try {
    Close();
    CloseTable();
  } catch (...) {
    // a failing close at destruction has been reported by the engine
  }
}

void TXbDataSet::s_SelectArea(const std::string& routine) {
  if (area_ == 0 || !AreaBlock(area_)) {
    XbSetError(1103, "Datenbank ist nicht offen [" + Name + "." + routine + "]");
    throw EXbDatasetError(1103, "Dataset error: " + XbErrorText(1103));
  }
  if (SelectedArea() != area_) Select(area_);
  engineState.AnsiTables = TableLanguage == TXbTableLanguage::tlAnsi;
}

void TXbDataSet::SetDbfFileName(const std::string& name) {
  bool wasOpen = Active();
  Close();
  std::string n = Trim(name);
  if (!n.empty() && n.back() != '.') {
    size_t slash = n.find_last_of('/');
    size_t dot = n.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) n += ".DBF";
  }
  dbfFileName_ = n;
  if (wasOpen && !n.empty()) Open();
}

void TXbDataSet::SetHideDeletedRecs(bool hide) {
  if (hide == hideDeleted_) return;
  hideDeleted_ = hide;
  if (!Active()) return;
  CheckBrowseMode();
  CursorToActive();
  s_SelectArea("SetHideDeletedRecs");
  SetIgnoreDel(hide);
  MoveOffInvisible();
  beforeFirst_ = afterLast_ = false;
  if (dEOF()) afterLast_ = true;
  ResyncFromEngine();
}

bool TXbDataSet::IsSequenced() {
  if (!Active() || hideDeleted_) return false;
  s_SelectArea("IsSequenced");
  return !IndexActive();
}

void TXbDataSet::CloseTable() {
  if (area_ == 0) return;
  if (AreaBlock(area_)) {
    Select(area_);
    CloseArea();
  }
  area_ = 0;
}

uint16_t TXbDataSet::XbiOpen() {
  if (area_ == 0 || AreaBlock(area_)) {
    // the lowest free area, kept by the dataset
    if (area_ != 0) CloseTable();
    Select(0);
    area_ = SelectedArea();
  } else {
    Select(area_);
  }
  engineState.AnsiTables = TableLanguage == TXbTableLanguage::tlAnsi;
  engineState.XbErrorCode = 0;
  if (!s_OpenArea() || !CurrentBlock()) {
    uint16_t code = engineState.XbErrorCode;
    area_ = 0;
    return code != 0 ? code : XbiOpenFailed;
  }
  SetIgnoreDel(hideDeleted_);
  beforeFirst_ = afterLast_ = true;
  return XbiOk;
}

uint16_t TXbDataSet::XbiClose() {
  CloseTable();
  return XbiOk;
}

std::vector<TXbFieldDef> TXbDataSet::XbiFieldDefs() {
  s_SelectArea("FieldDefs");
  std::vector<TXbFieldDef> defs;
  for (int32_t n = 1; n <= FieldCount(); ++n) {
    TXbFieldDef d;
    d.Name = Field(n);
    d.Type = FieldType(n);
    d.Len = FieldLen(n);
    d.Dec = FieldDec(n);
    d.EngineNo = n;
    if (d.Name.empty() || std::string("CDNFLM").find(d.Type) == std::string::npos) continue;
    defs.push_back(d);
  }
  return defs;
}

void TXbDataSet::RecordToBuffer(TXbRecordBuffer& buf) {
  buf.Values.assign(fieldDefs_.size(), TXbFieldValue{});
  buf.Modified.assign(fieldDefs_.size(), 0);
  for (size_t i = 0; i < fieldDefs_.size(); ++i) {
    const TXbFieldDef& d = fieldDefs_[i];
    int32_t n = d.EngineNo;
    switch (d.Type) {
      case 'C': buf.Values[i] = RTrim(GetFieldText(n)); break;
      case 'D': {
        // A virtual file keeps no stored form to tell a blank date by: a date without digits is one.
        std::string t = FieldEmpty(n) ? std::string() : GetFieldText(n);
        if (t.find_first_of(DigitChars) != std::string::npos) buf.Values[i] = std::move(t);
        break;
      }
      case 'N':
      case 'F':
        if (d.Dec > 0)
          buf.Values[i] = RoundTo(GetFieldReal(n), d.Dec);
        else
          buf.Values[i] = GetFieldInt(n);
        break;
      case 'L': buf.Values[i] = GetFieldBool(n); break;
      case 'M': buf.Values[i] = static_cast<int64_t>(GetFieldMemo(n)); break;
      default: break;
    }
  }
  buf.Deleted = Deleted();
  buf.RecNo = qorva::RecNo();
  buf.Bookmark = buf.RecNo;
}

void TXbDataSet::BufferToRecord(const TXbRecordBuffer& buf) {
  for (size_t i = 0; i < fieldDefs_.size() && i < buf.Values.size(); ++i) {
    if (i >= buf.Modified.size() || !buf.Modified[i]) continue;
    const TXbFieldDef& d = fieldDefs_[i];
    const TXbFieldValue& v = buf.Values[i];
    int32_t n = d.EngineNo;
    switch (d.Type) {
      case 'C': {
        const auto* s = std::get_if<std::string>(&v);
        SetFieldText(n, s ? *s : std::string());
        break;
      }
      case 'D': {
        // A text the engine takes for no date is refused: the record gets the blank date.
        std::string date = Trim(std::get_if<std::string>(&v) ? *std::get_if<std::string>(&v) : std::string());
        if (date.find_first_of(DigitChars) == std::string::npos) date.clear();  // the blank date's text
        if (!date.empty() && !ValidDate(date)) {
          XbMessageBox("        Invalid date       ", "", 0);
          date.clear();
        }
        SetFieldText(n, date);
        break;
      }
      case 'N':
      case 'F':
        if (const auto* r = std::get_if<long double>(&v))
          SetFieldReal(n, *r);
        else if (const auto* k = std::get_if<int64_t>(&v))
          SetFieldInt(n, *k);
        else
          SetFieldInt(n, 0);
        break;
      case 'L': {
        const auto* b = std::get_if<bool>(&v);
        SetFieldBool(n, b && *b);
        break;
      }
      case 'M': {
        const auto* k = std::get_if<int64_t>(&v);
        SetFieldMemo(n, k ? static_cast<int32_t>(*k) : 0);
        break;
      }
      default: break;
    }
  }
}

uint16_t TXbDataSet::XbiGetRecord(TXbRecordBuffer* buf) {
  s_SelectArea("XbiGetRecord");
  if (RecCount() == 0 || beforeFirst_) return XbiAtBof;
  if (afterLast_ || dEOF() || qorva::RecNo() < 1 || qorva::RecNo() > RecCount()) return XbiAtEof;
  if (buf) RecordToBuffer(*buf);
  return XbiOk;
}

uint16_t TXbDataSet::XbiGetNextRecord(TXbRecordBuffer* buf) {
  s_SelectArea("XbiGetNextRecord");
  if (afterLast_) return XbiAtEof;
  if (beforeFirst_) {
    GoTop();
    beforeFirst_ = false;
  } else {
    SKIP(1);
  }
  if (engineState.XbErrorCode != 0) return engineState.XbErrorCode;
  if (RecCount() == 0 || dEOF()) {
    afterLast_ = true;
    return XbiAtEof;
  }
  if (buf) RecordToBuffer(*buf);
  return XbiOk;
}

uint16_t TXbDataSet::XbiGetPriorRecord(TXbRecordBuffer* buf) {
  s_SelectArea("XbiGetPriorRecord");
  if (beforeFirst_) return XbiAtBof;
  if (afterLast_) {
    GoBottom();
    afterLast_ = false;
  } else {
    SKIP(-1);
  }
  if (engineState.XbErrorCode != 0) return engineState.XbErrorCode;
  if (RecCount() == 0 || dBOF() || dEOF()) {
    beforeFirst_ = true;
    return XbiAtBof;
  }
  if (buf) RecordToBuffer(*buf);
  return XbiOk;
}

uint16_t TXbDataSet::XbiSetToBegin() {
  s_SelectArea("XbiSetToBegin");
  GoTop();
  beforeFirst_ = true;
  afterLast_ = false;
  return XbiOk;
}

uint16_t TXbDataSet::XbiSetToEnd() {
  s_SelectArea("XbiSetToEnd");
  GoBottom();
  afterLast_ = true;
  beforeFirst_ = false;
  return XbiOk;
}

uint16_t TXbDataSet::XbiSetRecNo(int32_t n) { return XbiGotoBookmark(n); }

uint16_t TXbDataSet::XbiGotoBookmark(TXbBookmark b) {
  s_SelectArea("SafeGo");
  if (b >= 1 && b <= RecCount()) {
    GO(b);
    beforeFirst_ = afterLast_ = false;
    return engineState.XbErrorCode;
  }
  XbiSetToEnd();
  return XbiAtEof;
}

int32_t TXbDataSet::XbiGetRecordCount() {
  s_SelectArea("XbiGetRecordCount");
  return RecCount();
}

int32_t TXbDataSet::XbiCurrentRecNo() {
  s_SelectArea("XbiCurrentRecNo");
  return qorva::RecNo();
}

uint16_t TXbDataSet::XbiInitRecord(TXbRecordBuffer& buf) {
  s_SelectArea("XbiInitRecord");
  // the blank record as the dataset shows it, without touching the engine's current record
  buf.Values.assign(fieldDefs_.size(), TXbFieldValue{});
  buf.Modified.assign(fieldDefs_.size(), 0);
  for (size_t i = 0; i < fieldDefs_.size(); ++i) {
    switch (fieldDefs_[i].Type) {
      case 'C': buf.Values[i] = std::string(); break;
      case 'N':
      case 'F':
        if (fieldDefs_[i].Dec > 0)
          buf.Values[i] = 0.0L;
        else
          buf.Values[i] = int64_t{0};
        break;
      case 'L': buf.Values[i] = false; break;
      case 'M': buf.Values[i] = int64_t{0}; break;
      default: break;
    }
  }
  return XbiOk;
}

bool TXbDataSet::XbiReplaceRecord(const TXbRecordBuffer& buf) {
  s_SelectArea("XbiReplaceRecord");
  if (beforeFirst_ || afterLast_) return false;
  RereadRecord();  // the fields not edited keep what the file holds now
  BufferToRecord(buf);
  return s_ReplaceWithLock();
}

bool TXbDataSet::XbiAppendRecord(const TXbRecordBuffer& buf) {
  s_SelectArea("XbiAppendRecord");
  ClearRecord();
  SetDeletedFlag(false);
  BufferToRecord(buf);
  bool ok = s_AppendWithLock();
  beforeFirst_ = afterLast_ = false;
  return ok;
}

bool TXbDataSet::XbiDeleteRecord() {
  s_SelectArea("XbiDeleteRecord");
  return s_DeleteWithLock();
}

bool TXbDataSet::XbiRestoreRecord() {
  s_SelectArea("XbiRestoreRecord");
  return s_RestoreWithLock();
}

uint16_t TXbDataSet::XbiForceReread() {
  s_SelectArea("XbiForceReread");
  RefreshCount();
  if (!beforeFirst_ && !afterLast_ && qorva::RecNo() >= 1 && qorva::RecNo() <= RecCount()) RereadRecord();
  return engineState.XbErrorCode;
}

bool TXbDataSet::XbiIsEmpty() {
  s_SelectArea("XbiIsEmpty");
  if (RecCount() == 0) return true;
  if (!hideDeleted_) return false;
  int32_t at = qorva::RecNo();
  GoTop();
  bool empty = dEOF();
  if (at >= 1 && at <= RecCount()) GO(at);
  return empty;
}

void TXbDataSet::XbiSyncToEngine() {
  s_SelectArea("ResyncFromEngine");
  beforeFirst_ = false;
  afterLast_ = dEOF() || qorva::RecNo() < 1 || qorva::RecNo() > RecCount();
}

std::string TXbDataSet::XbiGetErrorText(uint16_t code) { return XbErrorText(code); }

bool TXbDataSet::Lookup(const std::string& keyFields, const std::vector<XbValue>& values,
                        const std::vector<std::string>& resultFields, std::vector<TXbFieldValue>& result) {
  CheckBrowseMode();
  CursorToActive();
  s_SelectArea("XbiLookup");
  const int32_t at = qorva::RecNo();
  const bool wasBefore = beforeFirst_, wasAfter = afterLast_;
  result.clear();
  const bool found = LocateFields(keyFields, values, false, true, true);
  if (found) {
    TXbRecordBuffer buf;
    RecordToBuffer(buf);
    for (const std::string& name : resultFields) {
      const int i = FieldIndex(name);
      result.push_back(i < 0 ? TXbFieldValue{} : buf.Values[static_cast<size_t>(i)]);
    }
  }
  // The dataset stays where it was.
  if (at >= 1 && at <= RecCount()) GO(at);
  beforeFirst_ = wasBefore;
  afterLast_ = wasAfter;
  CursorToActive();
  return found;
}

std::string TXbDateField::GetText() const {
  const TXbFieldValue& v = dataset_.FieldValue(field_);
  const auto* s = std::get_if<std::string>(&v);
  if (!s) return "";
  std::string t = *s;
  std::string check = t;
  return ValidDate(check) ? t.substr(0, 10) : t;
}

void TXbDateField::SetAsString(const std::string& text) {
  std::string t = Trim(text).substr(0, 10);
  // The blank date as a mask leaves it: nothing but blanks and the format's separators.
  auto unblanked = [](std::string s) {
    s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
    return s;
  };
  if (t.empty() || unblanked(t) == unblanked(BlankDateText(nationalDates.XbDateFormat))) {
    dataset_.SetFieldValue(field_, TXbFieldValue{});
    return;
  }
  std::string date = t;
  if (!ValidDate(date)) throw EXbDatasetError(XbiOpenFailed, "'" + t + "' is not a valid date");
  dataset_.SetFieldValue(field_, date);
}

bool TXbDataSet::ParseFieldDef(const std::string& line, TXbFieldLine& out) const {
  std::vector<std::string> items;
  size_t start = 0;
  for (;;) {
    size_t comma = line.find(',', start);
    items.push_back(Trim(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (items.size() != 4 || items[0].empty() || items[1].empty()) return false;
  out.Name = items[0].substr(0, 10);
  char t = items[1][0];
  out.Type = (t >= 'a' && t <= 'z') ? static_cast<char>(t - 32) : t;
  auto num = [](const std::string& s, int32_t& v) {
    v = 0;
    if (s.empty()) return true;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && v >= 0;
  };
  if (!num(items[2], out.Len) || !num(items[3], out.Dec)) return false;
  if (out.Type == 'X') return true;
  const TXbFieldLine given = out;
  if (CheckFieldDef(out)) {
    auto def = [](const TXbFieldLine& f) {
      return f.Name + "," + std::string(1, f.Type) + "," + std::to_string(f.Len) + "," + std::to_string(f.Dec);
    };
    XbMessageBox(XbOemToAnsi("Invalid field definition for " + Name + ": " + def(given) +
                             ". Will use corrected definition: " + def(out)),
                 "", 0);
  }
  return true;
}

bool TXbDataSet::CheckFieldDef(TXbFieldLine& def) {
  TXbFieldLine given = def;
  if (def.Type == 'B' || def.Type == 'G' || def.Type == 'P') def.Type = 'M';
  if (std::string("CDFLMN").find(def.Type) == std::string::npos) def.Type = 'C';
  switch (def.Type) {
    case 'N':
    case 'F':
      if (def.Len > 20) def.Len = 20;
      if (def.Len < 1) def.Len = 1;
      if (def.Dec > 18) def.Dec = 18;
      if (def.Dec > 0 && def.Len - def.Dec < 2) def.Dec = std::max(0, def.Len - 2);
      break;
    case 'C':
      if (def.Len > 254) {
        def.Len = 254;
        def.Dec = 0;
      }
      if (def.Len < 1) def.Len = 1;
      break;
    case 'D': def.Len = 8; def.Dec = 0; break;
    case 'L': def.Len = 1; def.Dec = 0; break;
    case 'M': def.Len = 10; def.Dec = 0; break;
    default: break;
  }
  return def.Type != given.Type || def.Len != given.Len || def.Dec != given.Dec;
}

bool TXbDataSet::CreateTableFromDefs() {
  if (DbfFields.empty()) {
    XbMessageBox("FieldList.Count ist <= 0 beim Versuch, eine Datenbank zu erzeugen", "", 0);
    return false;
  }
  std::vector<TDbfFieldEntry> entries(1);
  for (const std::string& line : DbfFields) {
    if (std::count(line.begin(), line.end(), ',') != 3) return false;
    TXbFieldLine f;
    if (!ParseFieldDef(line, f)) return false;
    if (f.Type == 'X') continue;
    TDbfFieldEntry e;
    e.Name = f.Name;
    e.Type = f.Type;
    e.Len = static_cast<uint8_t>(f.Len);
    e.Dec = static_cast<uint8_t>(f.Dec);
    entries.push_back(e);
  }
  if (entries.size() < 2) return false;
  bool prev = engineState.XbReportErrors;
  engineState.XbReportErrors = false;
  engineState.XbErrorCode = 0;
  TDbfControlBlock cb;
  CreateDBF(cb, dbfFileName_, static_cast<uint16_t>(entries.size() - 1), entries);
  engineState.XbReportErrors = prev;
  return engineState.XbErrorCode == 0;
}

}  // namespace qorva
