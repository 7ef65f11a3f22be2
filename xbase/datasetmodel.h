#pragma once
// datasetmodel: the dataset model (cursor, active record buffer, bookmarks, edit states) expressed
// through a small set of engine operations, the Xbi operations, each answering with a result code.
// A descendant binds them to a table (areadataset: one work area of the engine). Qt-free; the grid
// model of xbase/ui sits on top of it.
// May call: engineState.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace qorva {

// Result codes of the Xbi operations; any other value is an engine error code.
constexpr uint16_t XbiOk = 0;
constexpr uint16_t XbiOpenFailed = 1401;
constexpr uint16_t XbiAtBof = 1402;
constexpr uint16_t XbiAtEof = 1403;
constexpr uint16_t XbiNoFileName = 1404;

enum class TDataSetState { Inactive, Browse, Edit, Insert };

// A bookmark is the physical record number of the record.
using TXbBookmark = int32_t;

// One field value of a record buffer. Null (monostate) only for a blank date. Text is the engine's
// in-memory text (Windows code page); C without trailing blanks, D in the national date format;
// N and F with decimals long double (rounded to the decimals), without decimals int64_t (also for
// 10 and more digits); L bool; M the memo block number as int64_t.
using TXbFieldValue = std::variant<std::monostate, std::string, int64_t, long double, bool>;

struct TXbFieldDef {
  std::string Name;
  char Type = 'C';
  uint8_t Len = 0;
  uint8_t Dec = 0;
  int32_t EngineNo = 0;  // field number in the table (1..)
};

// One buffered record. Modified[i]: field i was set since the buffer was filled from the table;
// only such fields are written back, so the others keep their stored bytes.
struct TXbRecordBuffer {
  std::vector<TXbFieldValue> Values;
  std::vector<uint8_t> Modified;
  bool Deleted = false;
  int32_t RecNo = 0;
  TXbBookmark Bookmark = 0;
};

// The dataset's own exception: a failed dataset operation ("Dataset error: ..." and the like).
class EXbDatasetError : public std::runtime_error {
 public:
  EXbDatasetError(uint16_t code, const std::string& message) : std::runtime_error(message), code_(code) {}
  uint16_t code() const { return code_; }

 private:
  uint16_t code_;
};

class TXbDatasetModel {
 public:
  TXbDatasetModel() = default;
  TXbDatasetModel(const TXbDatasetModel&) = delete;
  TXbDatasetModel& operator=(const TXbDatasetModel&) = delete;
  virtual ~TXbDatasetModel() = default;

  // ---- The dataset ----
  void Open();
  void Close();  // a pending edit is dropped
  bool Active() const { return state_ != TDataSetState::Inactive; }
  TDataSetState State() const { return state_; }

  void First();
  void Last();
  void Next();
  void Prior();
  int32_t MoveBy(int32_t distance);  // the distance moved
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  bool IsEmpty() const { return empty_; }
  int32_t RecNo() const { return empty_ ? 0 : active_.RecNo; }
  // Puts the cursor on record n; 0 or a number beyond the last record puts it at the end.
  void SetRecNo(int32_t n);
  // Moves to the next (forward) or prior record, from the first or last one with restart: the
  // dataset's find-first/next/prior/last. True when it found a record and moved there.
  bool FindRecord(bool restart, bool forward);
  int32_t RecordCount();

  TXbBookmark GetBookmark() const { return empty_ ? 0 : active_.Bookmark; }
  void GotoBookmark(TXbBookmark b);
  bool BookmarkValid(TXbBookmark b);
  // Reads the record of bookmark b without moving the dataset's cursor; false when there is none.
  bool ReadRecord(TXbBookmark b, TXbRecordBuffer& buf);
  // Physical order with every record shown: row n of a view is record n + 1.
  virtual bool IsSequenced() { return false; }
  static int CompareBookmarks(TXbBookmark a, TXbBookmark b) { return a < b ? -1 : (a > b ? 1 : 0); }

  const std::vector<TXbFieldDef>& FieldDefs() const { return fieldDefs_; }
  int FieldIndex(const std::string& name) const;  // -1 when the table has no such field
  const TXbFieldValue& FieldValue(int i) const;
  bool IsNull(int i) const { return std::holds_alternative<std::monostate>(FieldValue(i)); }
  std::string FieldText(int i) const;  // the value as the grid shows it
  const TXbRecordBuffer& ActiveBuffer() const { return active_; }
  bool IsRecordDeleted() const { return !empty_ && active_.Deleted; }

  void Edit();
  void Append();  // a new blank record; it goes to the end of the table at Post
  void Insert() { Append(); }
  void SetFieldValue(int i, const TXbFieldValue& value);
  bool Modified() const { return modified_; }
  void Post();
  void Cancel();
  void Delete();
  void SetRecordDeleted(bool deleted);  // false: recall
  // Posts a pending modified edit, cancels an unmodified one.
  void CheckBrowseMode();
  // After the engine was moved by a command: drops a pending edit and shows the engine's record.
  void ResyncFromEngine();
  // Reads the active record again from the table.
  void Refresh();

  // Maps a result code other than 0 to the dataset's exception.
  void CheckResult(uint16_t code);

  // Called after the cursor moved to another record.
  virtual void AfterScroll() {}

 protected:
  // ---- Xbi operations ----
  virtual uint16_t XbiOpen() = 0;
  virtual uint16_t XbiClose() = 0;
  // Fill buf from the engine's current record (buf may be nullptr: only the test).
  virtual uint16_t XbiGetRecord(TXbRecordBuffer* buf) = 0;
  virtual uint16_t XbiGetNextRecord(TXbRecordBuffer* buf) = 0;
  virtual uint16_t XbiGetPriorRecord(TXbRecordBuffer* buf) = 0;
  virtual uint16_t XbiSetToBegin() = 0;
  virtual uint16_t XbiSetToEnd() = 0;
  virtual uint16_t XbiSetRecNo(int32_t n) = 0;
  virtual uint16_t XbiGotoBookmark(TXbBookmark b) = 0;
  virtual int32_t XbiGetRecordCount() = 0;
  virtual int32_t XbiCurrentRecNo() = 0;
  virtual uint16_t XbiInitRecord(TXbRecordBuffer& buf) = 0;
  // Both write the buffer's modified fields; false when the write was refused (a lock), after the
  // refusal has been reported.
  virtual bool XbiReplaceRecord(const TXbRecordBuffer& buf) = 0;
  virtual bool XbiAppendRecord(const TXbRecordBuffer& buf) = 0;
  virtual bool XbiDeleteRecord() = 0;
  virtual bool XbiRestoreRecord() = 0;
  virtual uint16_t XbiForceReread() = 0;
  virtual bool XbiIsEmpty() = 0;
  virtual std::vector<TXbFieldDef> XbiFieldDefs() = 0;
  virtual std::string XbiGetErrorText(uint16_t code) = 0;
  // Takes the cursor state (before the first, after the last record) from where the engine stands.
  virtual void XbiSyncToEngine() {}
  virtual std::string DatasetFileName() const = 0;
  // True when the table's file is the one the dataset must not modify.
  virtual bool ReadOnly() const { return false; }

  // Brings the engine to the active record.
  void CursorToActive();
  void SetEmpty();
  void ToEnd(bool first);
  bool ReadCurrent();  // the engine's current record into the active buffer; false when none

  TDataSetState state_ = TDataSetState::Inactive;
  TXbRecordBuffer active_;
  std::vector<TXbFieldDef> fieldDefs_;
  bool bof_ = true;
  bool eof_ = true;
  bool empty_ = true;
  bool modified_ = false;
};

}  // namespace qorva
