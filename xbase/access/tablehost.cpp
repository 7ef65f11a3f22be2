// tablehost: the one open table of the table-access layer, without a window.
#include "xbase/access/tablehost.h"

#include <algorithm>
#include <cstdlib>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/workdir.h"
#include "platform/services.h"
#include "xbase/workareas.h"
#include "xbase/recordlocks.h"
#include "xbase/tablecommands.h"
#include "xbase/enginestate.h"
#include "xbase/engine.h"
#include "xbase/ndxengine.h"
#include "xbase/expressionevaluator.h"
#include "xbase/expressionparser.h"

namespace qorva {

TableHost tableHost;

namespace {

// Engine work of the host runs with the table's area selected and the engine's reporting off: a
// failure becomes the host's message instead of stopping the program. The caller's area comes back.
class AreaScope {
 public:
  explicit AreaScope(uint8_t area) : saved_(workAreas.CurrentArea), quiet_(XbSetErrorReport(false)) {
    workAreas.CurrentArea = area;
    engineState.XbErrorCode = 0;
  }
  ~AreaScope() {
    workAreas.CurrentArea = saved_;
    engineState.XbReportErrors = quiet_;
  }
  AreaScope(const AreaScope&) = delete;
  AreaScope& operator=(const AreaScope&) = delete;

 private:
  uint8_t saved_;
  bool quiet_;
};

void ReportEngineError(uint16_t code) {
  XbTakeErrorContext();
  engineState.XbErrorCode = 0;
  ReportError("Fehler : Database #" + IntStr(code));
  programState.ErrorFlag = true;
}

std::string CutName(const std::string& name) { return name.substr(0, std::min<size_t>(name.size(), 10)); }

// Runs an engine command that may interrupt its caller (the index unit raises its errors): the
// failure stays in the engine's error state, where engineOk shows it; nothing leaves the layer.
template <class F>
void Contained(F&& command) {
  try {
    command();
  } catch (EXbaseError&) {
    if (engineState.XbErrorCode == 0) engineState.XbErrorCode = 254;
  }
}

// The layer's own table is closed while the engine still stands: at program end the statics go
// in an order of their own, and the engine's may go before the host's.
void CloseAtExit() { tableHost.Table.CloseFile(); }

bool TextIsTrue(const std::string& s) {
  const std::string t = XbUpperStr(XbAllTrim(s));
  return !t.empty() && (t[0] == 'T' || t[0] == 'Y' || t[0] == 'J');
}

}  // namespace

BrowseHost::~BrowseHost() {
  if (!active_) return;
  try {
    CloseFile();
  } catch (...) {
  }
}

bool BrowseHost::engineOk() {
  if (engineState.XbErrorCode == 0) return true;
  ReportEngineError(engineState.XbErrorCode);
  return false;
}

void BrowseHost::OpenFile(const std::string& path, bool readOnly) {
  if (active_) CloseFile();
  static const bool closedAtExit = std::atexit(CloseAtExit) == 0;
  (void)closedAtExit;
  if (!engineState.DbfUnitLinked) XbStartEngine();
  const uint8_t saved = workAreas.CurrentArea;
  const bool quiet = XbSetErrorReport(false);
  engineState.XbErrorCode = 0;
  Select(0);
  const uint8_t area = workAreas.CurrentArea;
  bool ok = engineState.XbErrorCode == 0 && area >= 1 && area <= MaxUserAreas;
  if (ok) {
    const uint16_t savedMode = workAreas.OpenModeOverride;
    if (readOnly) workAreas.OpenModeOverride = XbModeReadOnlyDenyNone;
    USE(path);
    workAreas.OpenModeOverride = savedMode;
    ok = engineState.XbErrorCode == 0 && CurrentBlock() != nullptr;
  }
  if (ok) {
    // The host hides deleted records itself; the engine shows every record.
    SetIgnoreDel(false);
    ok = engineState.XbErrorCode == 0;
    if (!ok) CloseArea();
  }
  const uint16_t code = engineState.XbErrorCode;
  workAreas.CurrentArea = saved;
  engineState.XbReportErrors = quiet;
  if (!ok) {
    ReportEngineError(code != 0 ? code : 215);
    return;
  }
  active_ = true;
  readOnly_ = readOnly;
  area_ = area;
  fileName_ = path;
  recNo_ = 0;
  atEof_ = false;
  editing_ = false;
  indexed_ = false;
  order_.clear();
  builtIndex_.clear();
  if (RecordCount() > 0) readRecord(1);
  else atEof_ = true;
}

BrowseHost::KeptState BrowseHost::keptState() const {
  return {fileName_, readOnly_, recNo_, keyExpr_, builtIndex_, indexed_};
}

bool BrowseHost::openKept(const KeptState& k) {
  OpenFile(k.path, k.readOnly);
  if (!active_) return false;
  keyExpr_ = k.key;
  builtIndex_ = k.built;
  if (!k.key.empty() && !k.built.empty()) buildOrder();
  indexed_ = k.indexed && !k.key.empty();
  if (k.recNo >= 1 && k.recNo <= RecordCount()) readRecord(k.recNo);
  return true;
}

bool BrowseHost::Reopen(const std::string& path, bool readOnly) {
  KeptState k = keptState();
  k.path = path;
  k.readOnly = readOnly;
  return openKept(k);
}

void BrowseHost::Suspend() {
  if (!active_) return;
  Post();
  suspended_ = keptState();
  CloseFile();
}

bool BrowseHost::Resume() {
  if (suspended_.path.empty()) return active_;
  const KeptState k = suspended_;
  suspended_ = KeptState{};
  return openKept(k);
}

void BrowseHost::CloseFile() {
  if (!active_) return;
  uint16_t failed = 0;
  {
    AreaScope scope(area_);
    CloseArea();
    failed = engineState.XbErrorCode;
  }
  // Held-back records that could not be written at close are a failed write like any other.
  if (failed != 0) ReportEngineError(failed);
  active_ = false;
  readOnly_ = false;
  area_ = 0;
  recNo_ = 0;
  atEof_ = false;
  editing_ = false;
  indexed_ = false;
  order_.clear();
  builtIndex_.clear();
}

void BrowseHost::SetTitles(const std::string& title1, const std::string& title2) {
  title1_ = title1;
  title2_ = title2;
}

bool BrowseHost::OpenedFromTempDir() const {
  const std::string work = WorkFolder();
  if (!active_ || TrimStr(work).empty()) return false;
  return FileDir(fileName_) == work;
}

void BrowseHost::Browse(const std::string& option, uint16_t mode) {
  if (mode == 1) hideDeleted_ = true;
  else if (mode != 5) hideDeleted_ = false;
  pickAndClose_ = option == "CLOSE";
  if (!services().DbfBrowseWindow.installed()) {
    ReportNotAvailable(services().DbfBrowseWindow.name());
    Cancel();
    return;
  }
  const bool edit = mode != 1 && mode != 4 && mode != 5;
  if (edit && OpenedFromTempDir())
    ShowDosMessage("Kein Schreibrecht f\x81r dbf-Ordner !  Bearbeitung im Tempor\x84r-Ordner.");
  services().DbfBrowseWindow(option, mode);
}

void BrowseHost::Accept(int32_t column) {
  programState.ErrorFlag = false;
  Post();
  programState.ErrorFlag = false;
  programState.LastKey = 13;
  programState.BrowseRecNo = recNo_;
  tableHost.BrowseCol = column;
}

void BrowseHost::Cancel() {
  programState.ErrorFlag = true;
  programState.LastKey = 27;
}

bool BrowseHost::readRecord(int32_t n) {
  AreaScope scope(area_);
  GO(n);
  if (!engineOk()) return false;
  recNo_ = n;
  atEof_ = false;
  editing_ = false;
  return true;
}

void BrowseHost::dropEdit() {
  if (!editing_) return;
  editing_ = false;
  if (recNo_ >= 1) readRecord(recNo_);
}

bool BrowseHost::Go(int32_t n) {
  if (!active_) {
    programState.ErrorFlag = true;
    return false;
  }
  if (n < 1 || n > RecordCount()) {
    // An empty table has no record to stand on: whatever was read stays, and the caller learns it.
    programState.ErrorFlag = true;
    return false;
  }
  editing_ = false;  // dropped even when the engine cannot read record n
  return readRecord(n);
}

bool BrowseHost::hidden(int32_t n) {
  if (!hideDeleted_) return false;
  AreaScope scope(area_);
  return Peek(0, n) == "*";
}

int32_t BrowseHost::orderSize() {
  return indexed_ ? static_cast<int32_t>(order_.size()) : std::max(RecordCount(), 0);
}

int32_t BrowseHost::orderAt(int32_t pos) const { return indexed_ ? order_[static_cast<size_t>(pos)] : pos + 1; }

int32_t BrowseHost::orderPos(int32_t rec) {
  if (!indexed_) return rec >= 1 && rec <= RecordCount() ? rec - 1 : -1;
  const auto at = std::find(order_.begin(), order_.end(), rec);
  return at == order_.end() ? -1 : static_cast<int32_t>(at - order_.begin());
}

void BrowseHost::First() {
  if (!active_) return;
  Post();
  const int32_t size = orderSize();
  for (int32_t pos = 0; pos < size; ++pos) {
    const int32_t n = orderAt(pos);
    if (hidden(n)) continue;
    readRecord(n);
    return;
  }
  atEof_ = true;
}

void BrowseHost::Skip(int32_t n) {
  if (!active_) return;
  if (n == 0) {
    editing_ = false;
    if (recNo_ >= 1) readRecord(recNo_);
    return;
  }
  Post();
  int32_t pos = orderPos(recNo_);
  if (pos < 0) {
    atEof_ = true;
    return;
  }
  const int32_t size = orderSize();
  const int32_t step = n > 0 ? 1 : -1;
  int64_t left = n > 0 ? int64_t{n} : -int64_t{n};
  int32_t target = recNo_;
  while (left > 0) {
    pos += step;
    if (pos < 0 || pos >= size) break;
    const int32_t r = orderAt(pos);
    if (hidden(r)) continue;
    target = r;
    --left;
  }
  if (target != recNo_) readRecord(target);
  // Running off the end leaves the last record current with Eof set; off the start, the first.
  atEof_ = left > 0 && n > 0;
}

int32_t BrowseHost::RecordCount() {
  if (!active_) return 0;
  AreaScope scope(area_);
  const int32_t count = qorva::RecCount();
  return engineOk() ? count : 0;
}

uint8_t BrowseHost::FieldCount() {
  if (!active_) return 0;
  AreaScope scope(area_);
  return qorva::FieldCount();
}

std::string BrowseHost::FieldName(int32_t n) {
  if (!active_ || n < 1 || n > FieldCount()) return "";
  AreaScope scope(area_);
  return Field(n);
}

std::string BrowseHost::SField(int32_t n) {
  if (!active_ || n < 1 || n > FieldCount() || recNo_ < 1) return "";
  AreaScope scope(area_);
  std::string s = qorva::SField(n);
  return engineOk() ? s : "";
}

bool BrowseHost::Deleted() {
  if (!active_ || recNo_ < 1) return false;
  AreaScope scope(area_);
  return qorva::Deleted();
}

uint8_t BrowseHost::fieldByName(const std::string& name) {
  if (!active_) {
    programState.ErrorFlag = true;
    return 0;
  }
  const std::string cut = CutName(name);
  uint8_t n = 0;
  {
    AreaScope scope(area_);
    n = FieldNo(XbAllTrim(cut));
  }
  if (n == 0) {
    ReportError("Feld '" + WinToDos(cut) + "' nicht gefunden");
    programState.ErrorFlag = true;
  }
  return n;
}

bool BrowseHost::GetFieldBool(const std::string& name) {
  const uint8_t n = fieldByName(name);
  if (n == 0 || recNo_ < 1) return false;
  AreaScope scope(area_);
  const bool value = FieldType(n) == 'L' ? qorva::GetFieldBool(n) : TextIsTrue(qorva::SField(n));
  return engineOk() && value;
}

namespace {

// A number field holds whole numbers unless it has decimals.
void WriteNumber(uint8_t n, long double v) {
  if (FieldDec(n) > 0) SetFieldReal(n, v);
  else qorva::SetFieldInt(n, static_cast<int64_t>(v));
}

}  // namespace

bool BrowseHost::refuseReadOnly() {
  if (!ReadOnly()) return false;
  ReportError("Tabelle " + WinToDos(fileName_) + " ist nur zum Lesen ge\x94" "ffnet");
  programState.ErrorFlag = true;
  return true;
}

void BrowseHost::setField(const std::string& name, const std::function<void(uint8_t)>& write) {
  const uint8_t n = fieldByName(name);
  // An empty table has no record to change, but the values of its first one can be set.
  if (n == 0 || (recNo_ < 1 && !emptyTable()) || refuseReadOnly()) return;
  AreaScope scope(area_);
  write(n);
  if (engineOk()) editing_ = true;
}

void BrowseHost::SetFieldStr(const std::string& name, const std::string& value) {
  setField(name, [&](uint8_t n) {
    switch (FieldType(n)) {
      case 'N':
      case 'F': {
        long double v = 0;
        XbParseReal(value, v);  // text that is no number reads as 0
        WriteNumber(n, v);
        break;
      }
      case 'L': qorva::SetFieldBool(n, TextIsTrue(value)); break;
      case 'M': break;  // memo text goes through the memo module, not a field
      default: SetFieldText(n, value); break;
    }
  });
}

void BrowseHost::SetFieldInt(const std::string& name, int64_t value) {
  setField(name, [&](uint8_t n) {
    switch (FieldType(n)) {
      case 'N':
      case 'F': qorva::SetFieldInt(n, value); break;
      case 'L': qorva::SetFieldBool(n, value != 0); break;
      case 'M': break;
      default: SetFieldText(n, IntStr(value)); break;
    }
  });
}

void BrowseHost::SetFieldFloat(const std::string& name, long double value) {
  setField(name, [&](uint8_t n) {
    switch (FieldType(n)) {
      case 'N':
      case 'F': WriteNumber(n, value); break;
      case 'L': qorva::SetFieldBool(n, value != 0); break;
      case 'M': break;
      default: SetFieldText(n, XbAllTrim(XbFormatFixed(value, 24, FieldDec(n) > 0 ? FieldDec(n) : 6))); break;
    }
  });
}

void BrowseHost::SetFieldBool(const std::string& name, bool value) {
  setField(name, [&](uint8_t n) {
    switch (FieldType(n)) {
      case 'L': qorva::SetFieldBool(n, value); break;
      case 'N':
      case 'F': qorva::SetFieldInt(n, value ? 1 : 0); break;
      case 'M': break;
      default: SetFieldText(n, value ? "T" : "F"); break;
    }
  });
}

void BrowseHost::Post() {
  if (!active_ || !editing_) return;
  editing_ = false;
  bool rebuild = false;
  {
    AreaScope scope(area_);
    if (!RLock()) {
      engineState.XbErrorCode = 0;
      ReportError("Sperren fehlgeschlagen [Post]");
      programState.ErrorFlag = true;
    } else {
      Contained([] { Replace(); });
      const bool ok = engineOk();
      UnlockRec();
      rebuild = ok && indexed_;
    }
  }
  if (rebuild) buildOrder();
  if (recNo_ >= 1) readRecord(recNo_);
}

bool BrowseHost::emptyTable() { return active_ && RecordCount() == 0; }

bool BrowseHost::AppendRecLocked() {
  if (!active_ || (recNo_ < 1 && !emptyTable()) || refuseReadOnly()) return false;
  int32_t added = 0;
  {
    AreaScope scope(area_);
    if (!ALock()) {
      engineState.XbErrorCode = 0;
      return false;
    }
    Contained([] { AppendStored(); });
    if (engineOk()) added = qorva::RecNo();
    Unlock();
    engineState.XbErrorCode = 0;
  }
  editing_ = false;
  if (added < 1) {
    if (recNo_ >= 1) readRecord(recNo_);
    return false;
  }
  if (indexed_ || !builtIndex_.empty()) buildOrder();
  readRecord(added);
  return true;
}

// The order as the index file holds it now. The engine keeps the open file current on every post
// and append, so reading it again is all that an edit needs; a table opened again opens its index
// file again (and builds it anew when it is gone).
void BrowseHost::buildOrder() {
  order_.clear();
  if (!active_ || keyExpr_.empty() || builtIndex_.empty()) return;
  {
    AreaScope scope(area_);
    if (!engineState.IndexUnitLinked) IndexInit();
    try {
      if (OrderBlock(1) == nullptr) {
        engineState.XbErrorCode = 0;
        bool open = false;
        if (XbFileExists(IndexFileName(builtIndex_))) {
          try {
            open = qorva::SetIndexTo(builtIndex_, 1);
          } catch (EXbaseError&) {
            open = false;
          }
        }
        engineState.XbErrorCode = 0;
        XbTakeErrorContext();
        if (!open && MakeIndex(builtIndex_, keyExpr_, false, 1, false, false)) qorva::SetIndexTo(builtIndex_, 1);
      }
      if (OrderBlock(1) != nullptr) {
        Set_Order_To(1);
        for (GoTop(); engineState.XbErrorCode == 0 && !dEOF(); SKIP(1)) order_.push_back(qorva::RecNo());
        Set_Order_To(0);
      }
    } catch (EXbaseError&) {
      order_.clear();
    }
    engineOk();
  }
  if (recNo_ >= 1) readRecord(recNo_);
}

bool BrowseHost::IndexOn(const std::string& key, const std::string& indexFile) {
  if (!active_) {
    programState.ErrorFlag = true;
    return false;
  }
  // The key is a dBase expression of the table's fields; one that does not compile is shown.
  std::string message;
  {
    AreaScope scope(area_);
    TExprHolder compiled(CompileUserExpr(key, message));
    engineState.XbErrorCode = 0;
  }
  if (!message.empty()) {
    ReportError(WinToDos(message));
    programState.ErrorFlag = true;
    return false;
  }
  Post();
  // A new index file replaces the order in force.
  uint16_t failed = 0;
  {
    AreaScope scope(area_);
    if (!engineState.IndexUnitLinked) IndexInit();
    CloseIndexes();
    engineState.XbErrorCode = 0;
    try {
      if (MakeIndex(indexFile, key, false, 1, false, false)) qorva::SetIndexTo(indexFile, 1);
    } catch (EXbaseError&) {
    }
    failed = engineState.XbErrorCode;
    if (failed != 0) CloseIndexes();
  }
  if (failed != 0) {
    ReportEngineError(failed);
    keyExpr_.clear();
    builtIndex_.clear();
    indexed_ = false;
    order_.clear();
    return false;
  }
  keyExpr_ = key;
  builtIndex_ = indexFile;
  buildOrder();
  return true;
}

void BrowseHost::SetIndexTo(const std::string& indexFile) {
  if (!active_) return;
  if (TrimStr(indexFile).empty()) {
    indexed_ = false;
    return;
  }
  if (indexFile != builtIndex_ || keyExpr_.empty()) {
    ReportError("Index " + WinToDos(indexFile) + ".ndx nicht gefunden");
    programState.ErrorFlag = true;
    return;
  }
  indexed_ = true;
}

void InitTableHost() {
  BrowseHost& h = tableHost.Table;
  h.CloseFile();
  h.title1_.clear();
  h.title2_.clear();
  h.packWarning_.clear();
  h.hideDeleted_ = false;
  h.pickAndClose_ = false;
  h.keyExpr_.clear();
  tableHost.BrowseCol = 1;
}

}  // namespace qorva
