#pragma once
// areadataset: the dataset over one work area of the engine. Opens its table in an area of its own,
// selects that area before every engine call (the engine has one current area for the whole
// program), converts between the engine's record and the dataset's record buffers, and leaves the
// way a table is opened and how records are written under locks to its descendants (filedataset).
// May call: datasetmodel, workAreas, engineState, tableFile.

#include <cstdint>
#include <string>
#include <vector>

#include "xbase/tablecommands.h"
#include "xbase/datasetmodel.h"

namespace qorva {

enum class TXbTableLanguage { tlOem, tlAnsi };

// One line of field definitions: "name,type,length,decimals".
struct TXbFieldLine {
  std::string Name;
  char Type = 'C';
  int32_t Len = 0;
  int32_t Dec = 0;
};

class TXbDataSet : public TXbDatasetModel {
 public:
  TXbDataSet() = default;
  ~TXbDataSet() override;

  std::string Name = "XbDataSet";
  TXbTableLanguage TableLanguage = TXbTableLanguage::tlOem;
  std::vector<std::string> DbfFields;  // field definitions for CreateTableFromDefs

  // Closes an open dataset, trims the name, adds ".DBF" to a name without extension that does not
  // end in "."; reopens when it was open.
  void SetDbfFileName(const std::string& name);
  const std::string& DbfFileName() const { return dbfFileName_; }

  bool IsSequenced() override;
  bool HideDeletedRecs() const { return hideDeleted_; }
  void SetHideDeletedRecs(bool hide);

  uint8_t WorkArea() const { return area_; }
  // Gives up the work area (closes the table).
  void CloseTable();

  // Parses one definition line; false for a malformed line. Type "X" gives Type 'X' (no field).
  // A definition the engine cannot take is corrected, and the correction is shown.
  bool ParseFieldDef(const std::string& line, TXbFieldLine& out) const;
  // Corrects a definition to one the engine accepts; true when it had to change it.
  static bool CheckFieldDef(TXbFieldLine& def);

  // Looks the values up in the key fields ("NAME;CITY", exact, case counts) and gives the values of
  // resultFields of the record found, without moving the dataset. False when none matched.
  bool Lookup(const std::string& keyFields, const std::vector<XbValue>& values,
              const std::vector<std::string>& resultFields, std::vector<TXbFieldValue>& result);
  // Creates DbfFileName from DbfFields; false (with the message) when it could not.
  bool CreateTableFromDefs();

  // Selects the dataset's area; a dataset without a table is engine error 1103.
  void s_SelectArea(const std::string& routine);

 protected:
  // How the table is opened into the selected (free) area: true when it is open.
  virtual bool s_OpenArea() = 0;
  // Record writes of the current area; false when refused (and reported).
  virtual bool s_AppendWithLock() = 0;
  virtual bool s_ReplaceWithLock() = 0;
  virtual bool s_DeleteWithLock() = 0;
  virtual bool s_RestoreWithLock() = 0;

  uint16_t XbiOpen() override;
  uint16_t XbiClose() override;
  uint16_t XbiGetRecord(TXbRecordBuffer* buf) override;
  uint16_t XbiGetNextRecord(TXbRecordBuffer* buf) override;
  uint16_t XbiGetPriorRecord(TXbRecordBuffer* buf) override;
  uint16_t XbiSetToBegin() override;
  uint16_t XbiSetToEnd() override;
  uint16_t XbiSetRecNo(int32_t n) override;
  uint16_t XbiGotoBookmark(TXbBookmark b) override;
  int32_t XbiGetRecordCount() override;
  int32_t XbiCurrentRecNo() override;
  uint16_t XbiInitRecord(TXbRecordBuffer& buf) override;
  bool XbiReplaceRecord(const TXbRecordBuffer& buf) override;
  bool XbiAppendRecord(const TXbRecordBuffer& buf) override;
  bool XbiDeleteRecord() override;
  bool XbiRestoreRecord() override;
  uint16_t XbiForceReread() override;
  bool XbiIsEmpty() override;
  std::vector<TXbFieldDef> XbiFieldDefs() override;
  std::string XbiGetErrorText(uint16_t code) override;
  void XbiSyncToEngine() override;
  std::string DatasetFileName() const override { return dbfFileName_; }

  void RecordToBuffer(TXbRecordBuffer& buf);
  // Writes the buffer's modified fields into the engine's record (field -1: all modified fields).
  void BufferToRecord(const TXbRecordBuffer& buf);

  uint8_t area_ = 0;
  bool beforeFirst_ = true;
  bool afterLast_ = true;
  bool hideDeleted_ = false;
  std::string dbfFileName_;
};

// A date field of a dataset as text: what the grid shows and what the user types.
class TXbDateField {
 public:
  TXbDateField(TXbDatasetModel& dataset, int field) : dataset_(dataset), field_(field) {}
  // The date in the engine's format, cut to 10 characters when it is a valid date.
  std::string GetText() const;
  // The blank date's text (or nothing) clears the field; a two-digit year gets its century; any
  // other text that is no date raises the dataset's error "'<text>' is not a valid date".
  void SetAsString(const std::string& text);

 private:
  TXbDatasetModel& dataset_;
  int field_;
};

}  // namespace qorva
