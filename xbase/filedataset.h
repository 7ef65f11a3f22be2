#pragma once
// filedataset: the dataset bound to a DBF file. Opens it with USE (exclusive, read-only), and writes
// records under the engine's locks: an append lock for new records, a record lock for rewriting,
// deleting and recalling, each released right after the write. A refused lock asks the matching
// retry event; without one (or when it declines) "Sperren fehlgeschlagen [<op>]" is shown and the
// file stays as it was.
// May call: datasetcommands, areadataset, delimited, datasetmodel, workAreas, recordlocks, engineState.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "xbase/tablecommands.h"
#include "xbase/datasetcommands.h"
#include "xbase/tablefile.h"
#include "xbase/ndxengine.h"

namespace qorva {

class TXbBlobStream;

class TXbFileDataSet : public TXbCommandDataSet {
 public:
  // Answers whether to try the refused lock again.
  using TXbLockFailedEvent = std::function<bool(TXbFileDataSet& sender)>;

  bool Exclusive = false;
  // Changes Exclusive; an open dataset is closed and opened again with it.
  void SetExclusive(bool exclusive);
  bool ReadOnlyOpen = false;  // the dataset writes nothing; the file is opened for reading only
  std::string Alias;
  // A missing table is created from DbfFields at open.
  bool CreateIfNotFound = true;
  // The record count is taken from the file's size at open (a header left short by a program
  // that ended while appending).
  bool AutoFixRecCount = false;
  // The program's own record coding: when either is set the table is opened with them (bytes after
  // the deletion byte; encode on the way to the file, decode on the way from it).
  TRecordHook EncodeRecord;
  TRecordHook DecodeRecord;

  TXbLockFailedEvent OnRLockFailedOnPost;
  TXbLockFailedEvent OnALockFailedOnInsert;
  TXbLockFailedEvent OnRLockFailedOnDelete;
  TXbLockFailedEvent OnRLockFailedOnRestore;

  // Explicit locks of the dataset's table.
  bool ALock();
  bool FLock();
  void UnLock();

  // Appends the records of a delimited text file; the number appended.
  int32_t AppendFromDelimited(const std::string& file);
  // Writes the visible records as delimited text; the number written. The cursor stays.
  int32_t CopyToDelimited(const std::string& file);

  // When the indexes of IndexList are built at open: when missing or damaged (NotFound), always,
  // when their stamped record count differs from the table's (VerifyHeader), or never.
  enum class TCreateIndexType { ciNotFound, ciAlways, ciVerifyHeader, ciNever };
  TCreateIndexType CreateIndex = TCreateIndexType::ciNotFound;
  // Lines "order,index file,key expression", opened with the table in their orders.
  std::vector<std::string> IndexList;
  // Before an index of the list is built; canMake false keeps it from being built.
  std::function<void(const std::string& name, bool& canMake)> OnBeforeMakeIndex;
  std::function<void(const std::string& name)> OnAfterMakeIndex;

  // Builds indexFile (options such as " UNIQUE" after the name) from the key expression and makes
  // it the only, controlling order.
  virtual void IndexOn(const std::string& keyExpression, const std::string& indexFile);
  // A key made by the program for the record in the active buffer (filled from the engine's
  // current record while the key is made).
  using TXbKeyMaker = std::function<std::string(TXbFileDataSet& dataset)>;
  // Builds indexFile with keys from keyMaker (empty keys without one) as the only, controlling order.
  virtual void IndexOnCB(const std::string& indexFile, TXbKeyMaker keyMaker);
  // Opens indexFile under order 1..16 with keyMaker for its keys; order 1 controls. An order outside
  // 1..16 keeps nothing and is the engine's error 220.
  virtual void SetIndexToCB(const std::string& indexFile, int32_t order, TXbKeyMaker keyMaker);
  // Opens the blank-separated index files as orders 1, 2, ...; order 1 controls. "" closes them.
  virtual void SetIndexTo(const std::string& indexFiles);
  // Opens one index file, whose name may hold blanks, under order 1..16; order 1 controls.
  virtual void SetIndexToLFN(const std::string& indexFile, int32_t order);
  // Seeks key (at most 100 characters) in the controlling order; past the last key the dataset
  // stands on its last record and the result is false.
  bool Find(const std::string& key);
  // The same, the key matching whole.
  bool FindExact(const std::string& key);
  // Field `field` of record n as stored (the table's code page), without moving.
  std::string Peek(int32_t field, int32_t n);
  // Records in the file, those marked deleted included, whatever is hidden.
  int32_t FileRecordCount();

  // Goes to the first record whose fields ("NAME;CITY") hold the values. With an index in force the
  // values, as one text, are sought as its key instead (the fields and the case are not used).
  struct TLocateOptions {
    bool caseInsensitive = false;
    bool partialKey = false;
  };
  bool Locate(const std::string& keyFields, const std::vector<XbValue>& values, TLocateOptions options);

  // A memo field (index into FieldDefs) of the current record as a byte stream: mode 0 reads it,
  // mode 1 writes a new memo that replaces it when the record is posted. The dataset must stay open
  // while the stream lives.
  std::unique_ptr<TXbBlobStream> CreateBlobStream(int field, uint8_t mode);
  bool ShowProgress = true;

 protected:
  friend class TXbBlobStream;
  bool ReadOnly() const override { return ReadOnlyOpen; }
  bool s_OpenArea() override;
  bool OpenIndexList();
  bool s_AppendWithLock() override;
  bool s_ReplaceWithLock() override;
  bool s_DeleteWithLock() override;
  bool s_RestoreWithLock() override;

 private:
  TNdxKeyMaker bridge(TXbKeyMaker maker);
  std::array<TXbKeyMaker, 17> keyMakers_;  // [1..16] by order
  bool WriteWithLock(const char* op, bool appendLock, const TXbLockFailedEvent& event,
                     const std::function<void()>& write);
};

// One memo of a dataset's record as bytes; text is converted between the table's DOS code page and
// the Windows code page when the table keeps DOS text, decided on the first piece.
class TXbBlobStream {
 public:
  TXbBlobStream(TXbFileDataSet& dataset, int field, uint8_t mode);
  ~TXbBlobStream();  // a written memo is completed and its field set
  TXbBlobStream(const TXbBlobStream&) = delete;
  TXbBlobStream& operator=(const TXbBlobStream&) = delete;

  int32_t Read(void* buffer, int32_t count);
  int32_t Write(const void* buffer, int32_t count);
  // origin 0 from the start, 1 from the current position, 2 from the end -> the new position.
  int32_t Seek(int32_t offset, uint16_t origin);

 private:
  TXbFileDataSet& dataset_;
  int field_;
  uint8_t mode_;
  bool modified_ = false;
};

// The dataset the program's windows use.
using TXbDbf = TXbFileDataSet;

}  // namespace qorva
