#pragma once
// tablehost: the carrier of the one table that the table-access layer (tableAccess) keeps open. It holds
// what the table browse window holds besides its widgets: the open table in a work area of the
// engine, the current record with a pending edit, the two titles, whether deleted records are
// hidden, the controlling order and the browse options. Batch runs and tests read tables through it
// without any window; the browse window installs itself as BrowseWindow and shows this state.
//
// Record numbers are physical (1-based) whatever order controls the walk. Engine failures never
// stop the program here: they are shown as "Fehler : Database #<code>" and set ErrorFlag.
// May call: the engine (workAreas, recordlocks, tableCommands, expressionParser, expressionevaluator, engineState, engine) and foundation.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qorva {

// The browse window is the shell service DbfBrowseWindow (platform/services.h): it shows the host's
// table modally and ends with Accept() or Cancel() (or neither, when the user closes the window by
// its close box).

class BrowseHost {
 public:
  BrowseHost() = default;
  ~BrowseHost();
  BrowseHost(const BrowseHost&) = delete;
  BrowseHost& operator=(const BrowseHost&) = delete;

  // Opens the table file at path (a table open before is closed first), shared, in physical order
  // on its first record; readOnly: for reading only, where the file cannot or need not be written.
  // A failure is shown and sets ErrorFlag; nothing is open then.
  void OpenFile(const std::string& path, bool readOnly = false);
  // Opens path in place of the open table (a copy of it) and keeps the current record, the order
  // and what is hidden. False when it cannot be opened (shown, ErrorFlag set; nothing is open then).
  bool Reopen(const std::string& path, bool readOnly);
  // Closes the table for a while, so that another user in this program (the browse window) may have
  // the file alone, and keeps the current record, the order and the settings for Resume().
  void Suspend();
  // Opens the suspended table again as it was; false when it cannot be opened (shown).
  bool Resume();
  // The table is open for reading only: a pending edit cannot be written.
  bool ReadOnly() const { return active_ && readOnly_; }
  // Drops a pending edit and closes the table; the order goes with it.
  void CloseFile();
  bool Active() const { return active_; }
  // The full path of the open table ("" when none).
  const std::string& FileName() const { return fileName_; }

  // Display texts (Windows code page).
  void SetTitles(const std::string& title1, const std::string& title2);
  const std::string& Title1() const { return title1_; }
  const std::string& Title2() const { return title2_; }
  // What a pack of this table does beyond removing marked records (DOS text; empty: nothing). The
  // browse window asks with it before a pack, No preset; the caller sets it for one browse.
  void SetPackWarning(const std::string& text) { packWarning_ = text; }
  const std::string& PackWarning() const { return packWarning_; }

  // One modal use of the browse window: modes 1, 4 and 5 choose a record (1 hides the deleted
  // records, 4 shows them, 5 keeps the setting), every other mode edits. Without a window nobody can
  // accept a record: the browse ends as cancelled.
  void Browse(const std::string& option, uint16_t mode);
  // OK: ErrorFlag cleared, a pending edit posted, LastKey #13, BrowseRecNo := RecNo, BrowseCol := column.
  void Accept(int32_t column);
  // Cancel or Esc: ErrorFlag set, LastKey #27; a pending edit is not posted.
  void Cancel();
  bool PickAndClose() const { return pickAndClose_; }
  bool HideDeletedRecs() const { return hideDeleted_; }
  // The table was opened from the run's work folder (a copy: changes do not reach the table folder).
  bool OpenedFromTempDir() const;

  // Goes to physical record n and drops a pending edit. A number outside 1..RecordCount (also any
  // number on an empty table) leaves the position as it is, sets ErrorFlag and returns false.
  bool Go(int32_t n);
  // First record of the current order (after posting a pending edit); on an empty order Eof.
  void First();
  // n records on (back for n < 0) in the current order after posting a pending edit; running off
  // the end sets Eof and stays on the last record. n = 0 re-reads the current record, dropping the
  // pending edit.
  void Skip(int32_t n);
  bool Eof() const { return !active_ || atEof_; }  // no table: nothing to walk
  int32_t RecNo() const { return recNo_; }
  int32_t RecordCount();
  uint8_t FieldCount();
  // Name of field n, "" outside 1..FieldCount.
  std::string FieldName(int32_t n);
  // Field n of the current record as the engine gives it as text ("" outside 1..FieldCount).
  std::string SField(int32_t n);
  bool Deleted();
  void ShowDeleted() { hideDeleted_ = false; }

  // By-name access: the name is cut to 10 characters and compared without regard to case. A name the
  // table lacks is shown ("Feld '<name>' nicht gefunden") and sets ErrorFlag.
  bool GetFieldBool(const std::string& name);
  // Put the current record into edit and change the engine's copy of it at once.
  void SetFieldStr(const std::string& name, const std::string& value);
  void SetFieldInt(const std::string& name, int64_t value);
  void SetFieldFloat(const std::string& name, long double value);
  void SetFieldBool(const std::string& name, bool value);
  bool Editing() const { return editing_; }
  // Writes a pending edit to the file under a record lock.
  void Post();
  // Appends the engine's copy of the current record (with the values set so far) under the append
  // lock; the edited record itself stays as stored. On an empty table the values set so far make the
  // first record. False when the lock is refused. The new record becomes current.
  bool AppendRecLocked();

  // Builds the order of the table by the key (a dBase expression such as NAME, UPPER(NAME) or
  // DTOS(BORN)+NAME) under the name indexFile; SetIndexTo with that name makes it the controlling
  // order, with "" the physical order comes back. Character keys ignore case and read ä, ö, ü, ß as
  // two letters; numbers and dates go by value. A key that does not compile is shown (false).
  bool IndexOn(const std::string& key, const std::string& indexFile);  // false: not built
  void SetIndexTo(const std::string& indexFile);
  bool Indexed() const { return indexed_; }
  // The key of the order last built ("" when none).
  const std::string& KeyExpression() const { return keyExpr_; }

 private:
  friend void InitTableHost();
  bool enter();  // selects the table's work area; false when no table is open
  void leave();
  bool engineOk();  // shows an engine error and sets ErrorFlag; false then
  bool refuseReadOnly();  // a write to a table open for reading: shown, ErrorFlag set, true
  bool readRecord(int32_t n);
  bool emptyTable();
  void dropEdit();
  bool hidden(int32_t n);
  // The current order: its length, the record at a position (0-based), the position of a record.
  int32_t orderSize();
  int32_t orderAt(int32_t pos) const;
  int32_t orderPos(int32_t rec);  // -1 when not in the order
  void buildOrder();
  uint8_t fieldByName(const std::string& name);
  // Writes a field of the current record, found by name, inside the table's work area; a write the
  // engine took marks the record as being edited.
  void setField(const std::string& name, const std::function<void(uint8_t)>& write);

  // What Reopen and Resume restore.
  struct KeptState {
    std::string path;
    bool readOnly = false;
    int32_t recNo = 0;
    std::string key;
    std::string built;
    bool indexed = false;
  };
  KeptState keptState() const;
  bool openKept(const KeptState& k);

  KeptState suspended_;
  bool active_ = false;
  bool readOnly_ = false;
  uint8_t area_ = 0;
  uint8_t savedArea_ = 1;
  std::string fileName_;
  std::string title1_, title2_;
  std::string packWarning_;
  bool hideDeleted_ = false;
  bool pickAndClose_ = false;
  int32_t recNo_ = 0;
  bool atEof_ = false;
  bool editing_ = false;
  bool indexed_ = false;
  std::string keyExpr_;      // key of the order last built, a dBase expression
  std::string builtIndex_;   // name of the order last built
  std::vector<int32_t> order_;  // physical record numbers in key order
};

struct TableHost {
  BrowseHost Table;
  int32_t BrowseCol = 1;          // grid column current at the last OK
};
extern TableHost tableHost;

// Closes the table and puts every setting back (start-up and reset for tests); the window stays.
void InitTableHost();

}  // namespace qorva
