#include "xbase/datasetcommands.h"

#include "xbase/workareas.h"
#include "xbase/recordlocks.h"
#include "xbase/tablecommands.h"
#include "xbase/enginestate.h"

namespace qorva {

void TXbCommandDataSet::AppendRec() {
  CheckBrowseMode();
  s_SelectArea("AppendRec");
  if (!s_AppendWithLock()) return;
  s_SetModified();
  ResyncFromEngine();
}

bool TXbCommandDataSet::AppendFrom(const std::string& file) {
  CheckBrowseMode();
  CursorToActive();
  s_SelectArea("AppendFrom");
  int32_t at = qorva::RecNo();
  TDbfControlBlock* cb = CurrentBlock();
  bool held = cb->Exclusive || cb->LockState == 1;
  if (!held && !FLock()) {
    XbMessageBox("Sperren fehlgeschlagen [Insert]", "", 0);
    return false;
  }
  engineState.XbErrorCode = 0;
  qorva::AppendFrom(file);
  bool ok = engineState.XbErrorCode == 0;
  if (!held) Unlock();
  s_SelectArea("AppendFrom");
  if (!GoIfValid(at)) GoBottom();
  s_SetModified();
  ResyncFromEngine();
  return ok;
}

bool TXbCommandDataSet::Pack() {
  CheckBrowseMode();
  s_SelectArea("Pack");
  bool ok = qorva::Pack();
  s_SetModified();
  ResyncFromEngine();
  return ok;
}

void TXbCommandDataSet::Go(int32_t n) {
  CheckBrowseMode();
  s_SelectArea("Go");
  GO(n);
  beforeFirst_ = afterLast_ = false;
  ResyncFromEngine();
}

void TXbCommandDataSet::Skip(int32_t n) {
  if (n != 0) {
    MoveBy(n);
    return;
  }
  CursorToActive();
  s_SelectArea("Skip");
  SKIP(0);
  ResyncFromEngine();
}

bool TXbCommandDataSet::Search(const std::string& text, uint8_t& hit, bool fromTop) {
  CheckBrowseMode();
  CursorToActive();
  s_SelectArea("Search");
  bool found = qorva::Search(text, hit, fromTop);
  if (found && !dEOF() && !dBOF()) {
    beforeFirst_ = afterLast_ = false;
    ResyncFromEngine();
  } else {
    CursorToActive();
  }
  return found;
}

bool TXbCommandDataSet::Deleted() {
  if (IsEmpty()) return false;
  CursorToActive();
  s_SelectArea("Deleted");
  return qorva::Deleted();
}

int TXbCommandDataSet::FieldByName(const std::string& name) {
  int i = FieldIndex(name.substr(0, 10));
  if (i < 0) throw EXbDatasetError(XbiOpenFailed, Name + ": Field '" + name.substr(0, 10) + "' not found");
  return i;
}

void TXbCommandDataSet::EditForSet() {
  if (State() != TDataSetState::Edit && State() != TDataSetState::Insert) Edit();
}

bool TXbCommandDataSet::GetFieldBool(const std::string& name) {
  const TXbFieldValue& v = FieldValue(FieldByName(name));
  const auto* b = std::get_if<bool>(&v);
  return b && *b;
}

void TXbCommandDataSet::SetFieldStr(const std::string& name, const std::string& value) {
  int i = FieldByName(name);
  EditForSet();
  SetFieldValue(i, value);
}

void TXbCommandDataSet::SetFieldBool(const std::string& name, bool value) {
  int i = FieldByName(name);
  EditForSet();
  SetFieldValue(i, value);
}

void TXbCommandDataSet::SetFieldInt(const std::string& name, int64_t value) {
  int i = FieldByName(name);
  EditForSet();
  if (FieldDefs()[static_cast<size_t>(i)].Dec > 0)
    SetFieldValue(i, static_cast<long double>(value));
  else
    SetFieldValue(i, value);
}

void TXbCommandDataSet::SetFieldFloat(const std::string& name, long double value) {
  int i = FieldByName(name);
  EditForSet();
  SetFieldValue(i, value);
}

}  // namespace qorva
