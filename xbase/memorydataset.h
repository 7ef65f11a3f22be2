#pragma once
// memorydataset: the dataset bound to a virtual file of the engine, a table that lives only in memory.
// Its fields come from DbfFields alone (memo fields become 10-digit numbers, since a memory table
// has no memo file). It can be filled from the DBF file DbfFileName at open and written back to
// it at close. Records are written without locks: the virtual file is private to the dataset.
// AppendMode says where new records go; in the sorted modes the key of a record is what KeyMaker
// returns for it (it reads the record through the dataset's fields), else the stored text of the
// first field.
// Writing back never puts the disk file at risk: the new table is written beside it and renamed
// over it only when complete; a failed write leaves the old file as it was.
// May call: datasetcommands, areadataset, datasetmodel, memorytables, workAreas, recordlocks, tableFile, engineState.

#include <cstdint>
#include <string>
#include <vector>

#include "xbase/datasetcommands.h"
#include "xbase/tablefile.h"
#include "xbase/memorytables.h"

namespace qorva {

class TXbMemoryDataSet : public TXbCommandDataSet {
 public:
  TXbMemoryDataSet() { Name = "XbVFile"; }
  // Writes back (SaveToDisk) before the virtual file and its buffer go.
  ~TXbMemoryDataSet() override;

  bool PopulateFromDisk = false;  // fill the virtual file from DbfFileName at open
  bool SaveToDisk = false;        // write it back at close when modified
  bool ShowProgress = true;       // progress window while reading or writing 100 records or more
  // The key of the record the dataset's fields show, for the sorted modes.
  TXbKeyMaker KeyMaker;

  LStatusType AppendMode() const { return appendMode_; }
  // On an open dataset: ASCENDING and DESCENDING sort the records by their keys at once.
  void SetAppendMode(LStatusType mode);

  // True when the virtual file differs from its disk file.
  bool VFileModified() const { return vfileModified_; }

  // On an open dataset only the name changes (the contents now differ from that file).
  void SetDbfFileName(const std::string& name);

  // Appends the records of DbfFileName (when it exists); false when it could not be read, with
  // the engine's error set.
  virtual bool ReadFromDisk();
  // Writes every record to DbfFileName; false (the file as it was, the error set) when it failed.
  virtual bool WriteToDisk();

 protected:
  bool s_OpenArea() override;
  bool s_AppendWithLock() override;
  bool s_ReplaceWithLock() override;
  bool s_DeleteWithLock() override;
  bool s_RestoreWithLock() override;
  void s_SetModified() override { vfileModified_ = true; }
  uint16_t XbiClose() override;
  uint16_t XbiGotoBookmark(TXbBookmark b) override;

 private:
  // The field table of DbfFields; false when there is none (with its message) or a line is malformed.
  bool FieldTable(std::vector<TDbfFieldEntry>& fields) const;
  // The key function installed on the virtual file.
  std::string KeyOfCurrent();
  bool AfterOpen();
  bool ReadRecords();
  bool WriteRecords(const std::string& tempName, const std::vector<TDbfFieldEntry>& fields);
  void CloseVirtualFile();

  LStatusType appendMode_ = FIFO;
  bool vfileModified_ = false;
  std::vector<uint8_t> buffer_;  // the virtual file's binary record
  // A rewritten record of a sorted file moved from one number to another: the cursor follows it.
  TXbBookmark movedFrom_ = 0;
  TXbBookmark movedTo_ = 0;
};

// The published component.
using TXbVFile = TXbMemoryDataSet;

}  // namespace qorva
