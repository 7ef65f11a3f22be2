#include "xbase/uxbfds.h"

#include <cstdlib>

#include "xbase/dbf4.h"
#include "xbase/dbf4lock.h"
#include "xbase/delimited.h"
#include "xbase/dbf4search.h"
#include "xbase/xbcommon.h"
#include "xbase/xbndx.h"

namespace qorva {

bool TXbFileDataSet::s_OpenArea() {
  std::string command = dbfFileName_;
  if (Exclusive) command += " EXCLUSIVE";
  if (!Alias.empty()) command += " ALIAS " + Alias;
  USE(command);
  if (xbcommon.XbErrorCode != 0 || CurrentBlock() == nullptr) return false;
  return OpenIndexList();
}

namespace {

struct IndexLine {
  int32_t order = 0;
  std::string file;
  std::string key;
};

bool ParseIndexLine(const std::string& line, IndexLine& out) {
  const size_t a = line.find(',');
  const size_t b = a == std::string::npos ? a : line.find(',', a + 1);
  if (b == std::string::npos) return false;
  out.order = std::atoi(line.substr(0, a).c_str());
  out.file = line.substr(a + 1, b - a - 1);
  out.key = line.substr(b + 1, 100);
  return true;
}

// Codes that mean the index is to be built: missing (or marked for building), damaged, wrong version.
bool NeedsBuild(uint16_t code) { return code == 2 || code == 222 || code == 223; }

}  // namespace

namespace {

// Index files need the engine's index unit; it starts on first use.
void LinkIndexUnit() {
  if (!xbcommon.IndexUnitLinked) IndexInit();
}

}  // namespace

bool TXbFileDataSet::OpenIndexList() {
  if (IndexList.empty()) return true;
  LinkIndexUnit();
  XbQuietErrors quiet;
  TCreateIndexType mode = CreateIndex;
  std::vector<IndexLine> lines;
  for (const std::string& text : IndexList) {
    IndexLine l;
    if (!ParseIndexLine(text, l)) {
      XbSetError(220, "IndexList: " + text);
      return false;
    }
    lines.push_back(l);
  }
  for (const IndexLine& l : lines) {
    xbcommon.XbErrorCode = 0;
    switch (mode) {
      case TCreateIndexType::ciAlways:
        xbcommon.XbErrorCode = 2;
        break;
      case TCreateIndexType::ciVerifyHeader:
        if (IndexRecCount(l.file) != RecCount()) xbcommon.XbErrorCode = 2;
        else Set_Index_To(l.file, 1);
        break;
      case TCreateIndexType::ciNotFound:
      case TCreateIndexType::ciNever:
        Set_Index_To(l.file, 1);
        break;
    }
    if (mode != TCreateIndexType::ciNever && NeedsBuild(xbcommon.XbErrorCode)) {
      xbcommon.XbErrorCode = 0;
      bool canMake = true;
      if (OnBeforeMakeIndex) OnBeforeMakeIndex(l.file, canMake);
      if (canMake) {
        qorva::IndexOn(l.file, l.key);
        if (xbcommon.XbErrorCode == 0 && OnAfterMakeIndex) OnAfterMakeIndex(l.file);
      }
    }
    const uint16_t code = xbcommon.XbErrorCode;
    CloseIndexes();
    if (code != 0) {
      XbSetError(code, l.file);
      return false;
    }
  }
  for (const IndexLine& l : lines) {
    Set_Index_To(l.file, l.order);
    if (xbcommon.XbErrorCode != 0) {
      const uint16_t code = xbcommon.XbErrorCode;
      CloseIndexes();
      XbSetError(code, l.file);
      return false;
    }
  }
  Set_Order_To(1);
  return true;
}

void TXbFileDataSet::IndexOn(const std::string& keyExpression, const std::string& indexFile) {
  CheckBrowseMode();
  CursorToActive();
  s_SelectArea("IndexOn");
  LinkIndexUnit();
  qorva::IndexOn(indexFile, keyExpression);
  ResyncFromEngine();
}

void TXbFileDataSet::SetIndexTo(const std::string& indexFiles) {
  CheckBrowseMode();
  CursorToActive();
  s_SelectArea("SetIndexTo");
  LinkIndexUnit();
  SetIndexList(indexFiles);
  ResyncFromEngine();
}

void TXbFileDataSet::SetIndexToLFN(const std::string& indexFile, int32_t order) {
  CheckBrowseMode();
  CursorToActive();
  s_SelectArea("SetIndexToLFN");
  LinkIndexUnit();
  if (Set_Index_To(indexFile, order)) Set_Order_To(1);
  ResyncFromEngine();
}

bool TXbFileDataSet::Find(const std::string& key) {
  CheckBrowseMode();
  s_SelectArea("Find");
  qorva::Find(key.substr(0, 100));
  const bool found = xbndx.IndexFound;
  if (dEOF()) Last();
  else ResyncFromEngine();
  return found;
}

bool TXbFileDataSet::FindExact(const std::string& key) {
  s_SelectArea("FindExact");
  const bool wasExact = SetExactFind();
  const bool found = Find(key);
  if (!wasExact) ClearExactFind();
  return found;
}

int32_t TXbFileDataSet::FileRecordCount() {
  s_SelectArea("RecCount");
  return RecCount();
}

std::string TXbFileDataSet::Peek(int32_t field, int32_t n) {
  s_SelectArea("Peek");
  return qorva::Peek(field, n);
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
