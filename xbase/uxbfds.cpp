#include "xbase/uxbfds.h"

#include "xbase/dbf4.h"
#include "xbase/dbf4lock.h"
#include "xbase/delimited.h"
#include "xbase/xbcommon.h"

namespace qorva {

bool TXbFileDataSet::s_OpenArea() {
  std::string command = dbfFileName_;
  if (Exclusive) command += " EXCLUSIVE";
  if (!Alias.empty()) command += " ALIAS " + Alias;
  USE(command);
  return xbcommon.XbErrorCode == 0 && CurrentBlock() != nullptr;
}

bool TXbFileDataSet::WriteWithLock(const char* op, bool appendLock, const TXbLockFailedEvent& event,
                                   const std::function<void()>& write) {
  if (ReadOnlyOpen) return false;
  for (;;) {
    s_SelectArea(op);
    if (appendLock ? qorva::ALock() : RLock()) {
      xbcommon.XbErrorCode = 0;
      write();
      bool ok = xbcommon.XbErrorCode == 0;
      MoveOffInvisible();
      if (CurrentBlock() && CurrentBlock()->LockState != 0) Unlock();
      return ok;
    }
    if (event && event(*this)) continue;
    XbMessageBox(std::string("Sperren fehlgeschlagen [") + op + "]", "", 0);
    return false;
  }
}

bool TXbFileDataSet::s_AppendWithLock() {
  return WriteWithLock("Insert", true, OnALockFailedOnInsert, [] { qorva::Append(); });
}

bool TXbFileDataSet::s_ReplaceWithLock() {
  return WriteWithLock("Post", false, OnRLockFailedOnPost, [] { Replace(); });
}

bool TXbFileDataSet::s_DeleteWithLock() {
  return WriteWithLock("Delete", false, OnRLockFailedOnDelete, [] { DeleteRec(); });
}

bool TXbFileDataSet::s_RestoreWithLock() {
  return WriteWithLock("Restore", false, OnRLockFailedOnRestore, [] { RecallRec(); });
}

bool TXbFileDataSet::ALock() {
  s_SelectArea("ALock");
  return qorva::ALock();
}

bool TXbFileDataSet::FLock() {
  s_SelectArea("FLock");
  return qorva::FLock();
}

void TXbFileDataSet::UnLock() {
  s_SelectArea("UnLock");
  Unlock();
}

int32_t TXbFileDataSet::AppendFromDelimited(const std::string& file) {
  CheckBrowseMode();
  s_SelectArea("AppendFromDelimited");
  TDbfControlBlock* cb = CurrentBlock();
  bool held = cb->Exclusive || cb->LockState == 1 || cb->LockState == 2;
  if (!held && !qorva::ALock()) {
    XbMessageBox("Sperren fehlgeschlagen [Insert]", "", 0);
    return 0;
  }
  int32_t n = qorva::AppendFromDelimited(file, ShowProgress);
  if (!held) Unlock();
  ResyncFromEngine();
  return n;
}

int32_t TXbFileDataSet::CopyToDelimited(const std::string& file) {
  CheckBrowseMode();
  CursorToActive();
  s_SelectArea("CopyToDelimited");
  int32_t at = qorva::RecNo();
  int32_t n = qorva::CopyToDelimited(file);
  GoIfValid(at);
  CursorToActive();
  return n;
}

}  // namespace qorva
