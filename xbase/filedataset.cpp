#include "xbase/filedataset.h"

#include <cstdlib>

#include "xbase/workareas.h"
#include "xbase/recordlocks.h"
#include "xbase/delimited.h"
#include "xbase/memoblob.h"
#include "xbase/tablecommands.h"
#include "xbase/enginestate.h"
#include "xbase/ndxengine.h"
#include "xbase/indexsemaphore.h"
#include "xbase/tablefile.h"

namespace qorva {

bool TXbFileDataSet::s_OpenArea() {
  if (CreateIfNotFound && !dbfFileName_.empty() && !XbFileExists(dbfFileName_) && !CreateTableFromDefs())
    XbMessageBox("Konnte \"" + dbfFileName_ + "\" nicht erzeugen", "", 0);
  std::string command = dbfFileName_;
  if (Exclusive) command += " EXCLUSIVE";
  if (!Alias.empty()) command += " ALIAS " + Alias;
  // The open's own settings, put back afterwards whatever happens.
  struct Restore {
    bool autoFix = tableFile.XbAutoFixRecCount;
    uint16_t openMode = workAreas.OpenModeOverride;
    ~Restore() {
      tableFile.XbAutoFixRecCount = autoFix;
      workAreas.OpenModeOverride = openMode;
    }
  } restore;
  tableFile.XbAutoFixRecCount = AutoFixRecCount;
  // Read only: read, deny all when exclusive, read, deny none otherwise.
  if (ReadOnlyOpen) workAreas.OpenModeOverride = Exclusive ? XbModeReadOnlyDenyAll : XbModeReadOnlyDenyNone;
  if (EncodeRecord || DecodeRecord)
    USEWithHooks(command, EncodeRecord, DecodeRecord);
  else
    USE(command);
  if (engineState.XbErrorCode != 0 || CurrentBlock() == nullptr) return false;
  if (OpenIndexList()) return true;
  // The table is not kept open without its indexes.
  const uint16_t code = engineState.XbErrorCode;
  const std::string context = XbTakeErrorContext();
  CloseArea();
  engineState.XbErrorCode = code;
  XbSetError(code, context);
  return false;
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

// Runs an index step with reports off: the index unit then raises its errors, which end only the
// step; the error code tells what happened.
uint16_t IndexStep(const std::function<void()>& step) {
  try {
    step();
  } catch (const EXbaseError&) {
  }
  return engineState.XbErrorCode;
}

// Codes that mean the index is to be built: missing (or marked for building), damaged, wrong version.
bool NeedsBuild(uint16_t code) { return code == 2 || code == 222 || code == 223; }

}  // namespace

namespace {

// Index files need the engine's index unit; it starts on first use.
void LinkIndexUnit() {
  if (!engineState.IndexUnitLinked) IndexInit();
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
  // Another program working with the indexes holds the semaphore file: they are not rebuilt now.
  if ((mode == TCreateIndexType::ciAlways || mode == TCreateIndexType::ciVerifyHeader) &&
      XbFileExists(SemaphoreFileName(CurrentBlock()->FileName)))
    mode = TCreateIndexType::ciNotFound;
  for (const IndexLine& l : lines) {
    engineState.XbErrorCode = 0;
    switch (mode) {
      case TCreateIndexType::ciAlways:
        engineState.XbErrorCode = 2;
        break;
      case TCreateIndexType::ciVerifyHeader:
      {
        int32_t stamped = -1;
        if (IndexStep([&] { stamped = IndexRecCount(l.file); }) != 0) break;
        if (stamped != RecCount()) engineState.XbErrorCode = 2;  // out of date: build it
        else IndexStep([&] { Set_Index_To(l.file, 1); });
      }
        break;
      case TCreateIndexType::ciNotFound:
      case TCreateIndexType::ciNever:
        IndexStep([&] { Set_Index_To(l.file, 1); });
        break;
    }
    if (mode != TCreateIndexType::ciNever && NeedsBuild(engineState.XbErrorCode)) {
      engineState.XbErrorCode = 0;
      XbTakeErrorContext();  // the missing index is no error any more
      bool canMake = true;
      if (OnBeforeMakeIndex) OnBeforeMakeIndex(l.file, canMake);
      if (canMake) {
        std::unique_ptr<ProgressWindow> progress;
        if (ShowProgress) {
          progress = std::make_unique<ProgressWindow>("Indexing " + l.file + "...", 100);
          SetMakeIndexProgress([p = progress.get()] { p->Step(); }, 100);
        }
        IndexStep([&] { qorva::IndexOn(l.file, l.key); });
        SetMakeIndexProgress(nullptr, 0);
        if (engineState.XbErrorCode == 0 && OnAfterMakeIndex) OnAfterMakeIndex(l.file);
      }
    }
    const uint16_t code = engineState.XbErrorCode;
    CloseIndexes();
    if (code != 0) {
      XbSetError(code, l.file);
      return false;
    }
  }
  for (const IndexLine& l : lines) {
    if (IndexStep([&] { Set_Index_To(l.file, l.order); }) != 0) {
      const uint16_t code = engineState.XbErrorCode;
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

TNdxKeyMaker TXbFileDataSet::bridge(TXbKeyMaker maker) {
  return [this, maker = std::move(maker)](uint8_t, std::string& key) {
    if (!maker) {
      key.clear();
      return;
    }
    const TXbRecordBuffer saved = active_;
    RecordToBuffer(active_);
    key = maker(*this);
    active_ = saved;
  };
}

void TXbFileDataSet::IndexOnCB(const std::string& indexFile, TXbKeyMaker keyMaker) {
  CheckBrowseMode();
  CursorToActive();
  s_SelectArea("IndexOnCB");
  LinkIndexUnit();
  qorva::IndexOnCB(indexFile, bridge(std::move(keyMaker)));
  ResyncFromEngine();
}

void TXbFileDataSet::SetIndexToCB(const std::string& indexFile, int32_t order, TXbKeyMaker keyMaker) {
  CheckBrowseMode();
  CursorToActive();
  s_SelectArea("SetIndexToCB");
  LinkIndexUnit();
  if (order < 1 || order > 16) {
    XbSetError(220, "SetIndexToCB: " + indexFile);
    return;
  }
  keyMakers_[static_cast<size_t>(order)] = keyMaker;
  if (Set_Index_ToCB(indexFile, order, bridge(std::move(keyMaker)))) Set_Order_To(1);
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
  const bool found = ndxEngine.IndexFound;
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

void TXbFileDataSet::SetExclusive(bool exclusive) {
  if (exclusive == Exclusive) return;
  const bool reopen = Active();
  if (reopen) Close();
  Exclusive = exclusive;
  if (reopen) Open();
}

bool TXbFileDataSet::WriteWithLock(const char* op, bool appendLock, const TXbLockFailedEvent& event,
                                   const std::function<void()>& write) {
  if (ReadOnlyOpen) return false;
  for (;;) {
    s_SelectArea(op);
    if (appendLock ? qorva::ALock() : RLock()) {
      engineState.XbErrorCode = 0;
      write();
      bool ok = engineState.XbErrorCode == 0;
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

bool TXbFileDataSet::Locate(const std::string& keyFields, const std::vector<XbValue>& values,
                            TLocateOptions options) {
  CheckBrowseMode();
  CursorToActive();
  s_SelectArea("Locate");
  if (IndexActive()) {
    std::string key;
    for (const XbValue& v : values) {
      if (const auto* t = std::get_if<std::string>(&v)) key += *t;
      else if (const auto* i = std::get_if<int64_t>(&v)) key += std::to_string(*i);
      else if (const auto* b = std::get_if<bool>(&v)) key += *b ? "T" : "F";
      else key += XbLTrim(XbFormatFixed(std::get<long double>(v), 20, 6));
    }
    return options.partialKey ? Find(key) : FindExact(key);
  }
  const bool found = LocateFields(keyFields, values, options.caseInsensitive, !options.partialKey, true);
  if (found) ResyncFromEngine();
  return found;
}

std::unique_ptr<TXbBlobStream> TXbFileDataSet::CreateBlobStream(int field, uint8_t mode) {
  return std::make_unique<TXbBlobStream>(*this, field, mode);
}

TXbBlobStream::TXbBlobStream(TXbFileDataSet& dataset, int field, uint8_t mode)
    : dataset_(dataset), field_(field), mode_(mode) {
  if (!dataset_.Active()) throw EXbDatasetError(1103, "DataSet must be active. " + dataset_.Alias);
  if (field < 0 || field >= static_cast<int>(dataset_.FieldDefs().size()) ||
      dataset_.FieldDefs()[static_cast<size_t>(field)].Type != 'M')
    throw EXbDatasetError(1103, "CreateBlobStream: kein Memofeld");
  dataset_.CursorToActive();
  dataset_.s_SelectArea("CreateBlobStream");
  const bool convert = dataset_.TableLanguage == TXbTableLanguage::tlOem;
  int64_t ref = 0;
  if (!dataset_.IsEmpty()) {
    if (const auto* r = std::get_if<int64_t>(&dataset_.FieldValue(field))) ref = *r;
  }
  if (mode_ == 1) {
    if (dataset_.State() != TDataSetState::Edit && dataset_.State() != TDataSetState::Insert) dataset_.Edit();
    const int32_t created = CreateBlobDescriptor(convert, static_cast<int32_t>(ref), 2);
    dataset_.SetFieldValue(field, int64_t{created});
  } else {
    CreateBlobDescriptor(convert, static_cast<int32_t>(ref), 1);
  }
}

TXbBlobStream::~TXbBlobStream() {
  try {
    dataset_.s_SelectArea("DestroyBlobStream");
    DestroyBlobDescriptor();
    // A stream that wrote nothing leaves the field empty: the block it was handed stays unused,
    // and the memo it replaced is gone.
    if (mode_ == 1 && !modified_) dataset_.SetFieldValue(field_, int64_t{0});
  } catch (...) {
    // a destructor reports nothing further: the engine has shown its error
  }
}

int32_t TXbBlobStream::Read(void* buffer, int32_t count) {
  dataset_.s_SelectArea("ReadBlobStream");
  return ReadBlobStream(buffer, count);
}

int32_t TXbBlobStream::Write(const void* buffer, int32_t count) {
  dataset_.s_SelectArea("WriteBlobStream");
  const int32_t n = WriteBlobStream(buffer, count);
  if (n > 0) modified_ = true;
  return n;
}

int32_t TXbBlobStream::Seek(int32_t offset, uint16_t origin) {
  dataset_.s_SelectArea("SeekBlobStream");
  return SeekBlobStream(offset, origin);
}

}  // namespace qorva
