#pragma once
// materialtable: the door from the spring calculation to the material table "yeb9wst".
// The calculation reads the table only through this interface: records by physical number (1-based),
// fields by number (1-based, in the table's field order) as text in the Windows code page, and the
// deletion mark that tells the materials that are not preferred. The program reads the dBase table
// <DbfDir>/yeb9wst.dbf through the table-access layer; tests may install a table held in memory.
//
// Behaviour every implementation keeps (that of the table-access layer):
// - open() that fails has told the user, sets programState.ErrorFlag and returns false.
// - gotoRecord(n) beyond the last record adds "DBF #<n> not found." to the message list and stands on
//   the last record; with no record to stand on (n = 0, empty table) it also sets programState.ErrorFlag.
// - Record numbers stay stable while the table is open; deleted records stay readable.
//
// The choice of a record is the table's own browse(), see BrowseMaterialTable.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "spring/materialsource.h"

namespace qorva {

// The question before the material table is packed in its browse window (DOS text, No preset).
inline const std::string kMaterialPackWarning =
    "Pack entfernt alle nicht bevorzugten Werkstoffe (die markierten Datens\x84tze) aus der "
    "Werkstofftabelle und nummeriert die \x81" "brigen neu. Gespeicherte Federn verweisen mit der "
    "Datensatznummer auf ihren Werkstoff. Trotzdem packen ?";

class MaterialTable {
 public:
  virtual ~MaterialTable() = default;

  // Opens the table name from the table folder (programState.DbfDir); ".dbf" is meant when the name has no
  // extension. A reopened table starts in physical order.
  virtual bool open(const std::string& name) = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;

  virtual uint32_t recordCount() const = 0;
  virtual int fieldCount() const = 0;
  // Name of field n; empty outside 1..fieldCount().
  virtual std::string fieldName(int n) const = 0;

  virtual bool gotoRecord(uint32_t n) = 0;
  // Physical number of the current record (0 when none).
  virtual uint32_t recNo() const = 0;
  // Text of field n of the current record (Windows code page); empty outside 1..fieldCount().
  virtual std::string fieldStr(int n) const = 0;
  // True when the current record carries the deletion mark (a material that is not preferred).
  virtual bool deleted() const = 0;

  // Orders the table by field n (numbers by value, texts by their bytes in memory, without regard to
  // case in the dBase table; equal keys in physical order) for first() / skip(); 0 goes back to
  // physical order.
  virtual void orderBy(int n) = 0;
  virtual bool first() = 0;
  virtual bool skip() = 0;
  virtual bool eof() const = 0;

  // One use of the table's browse window (mode as SelectMaterial's); true when a record was taken
  // with OK, the table then stands on it. A table without a window of its own asks the prompter:
  // viewing shows every record with its number, designation and deletion mark ("*": not
  // preferred); choosing offers the designations of the preferred materials in the table's
  // current order. Titles are DOS texts.
  virtual bool browse(uint16_t mode, const std::string& title1, const std::string& title2);
};

// One record of an in-memory table: the field texts 1..n (index 0 is field 1) and the deletion mark.
struct MaterialTableRow {
  std::vector<std::string> fields;
  bool deleted = false;
};

// A material table held in memory: for tests and as the base of tables read from a text source.
class MemoryMaterialTable : public MaterialTable {
 public:
  MemoryMaterialTable() = default;
  MemoryMaterialTable(std::vector<std::string> fieldNames, std::vector<MaterialTableRow> rows);

  bool open(const std::string& name) override;
  void close() override;
  bool isOpen() const override { return open_; }
  uint32_t recordCount() const override { return static_cast<uint32_t>(rows_.size()); }
  int fieldCount() const override { return static_cast<int>(fieldNames_.size()); }
  std::string fieldName(int n) const override;
  bool gotoRecord(uint32_t n) override;
  uint32_t recNo() const override { return current_; }
  std::string fieldStr(int n) const override;
  bool deleted() const override;
  void orderBy(int n) override;
  bool first() override;
  bool skip() override;
  bool eof() const override;

  // The name the table was last opened under.
  const std::string& openedName() const { return openedName_; }

 protected:
  std::vector<std::string> fieldNames_;
  std::vector<MaterialTableRow> rows_;

 private:
  bool open_ = false;
  std::string openedName_;
  uint32_t current_ = 0;             // physical record number, 0 = none
  std::vector<uint32_t> order_;      // record numbers in the current order
  std::size_t orderPos_ = 0;         // position of first() / skip() in order_
};

// A material table read from its text source "<DbfDir>/<name>.tsv" (the data the dBase table is
// built from).
class SourceMaterialTable : public MemoryMaterialTable {
 public:
  bool open(const std::string& name) override;
};

// The dBase material table through the table-access layer: "<DbfDir>/<name>" with ".dbf" meant when
// the name has none. first() / skip() walk every record, the deleted ones too. Field texts come
// without the blanks that pad them to the field's width, as the other tables give them.
class DbfMaterialTable : public MaterialTable {
 public:
  ~DbfMaterialTable() override;
  // The table-access layer's browse window on this table; the prompter in a run without it.
  bool browse(uint16_t mode, const std::string& title1, const std::string& title2) override;
  bool open(const std::string& name) override;
  void close() override;
  bool isOpen() const override;
  uint32_t recordCount() const override;
  int fieldCount() const override;
  std::string fieldName(int n) const override;
  bool gotoRecord(uint32_t n) override;
  uint32_t recNo() const override;
  std::string fieldStr(int n) const override;
  bool deleted() const override;
  void orderBy(int n) override;
  bool first() override;
  bool skip() override;
  bool eof() const override;

 private:
  bool open_ = false;
  std::string indexName_;
};

// Writes the material rows as the dBase table at path (replacing a table there only once the new one
// is complete): the 29 fields in their order (texts C 50, whole numbers N 11, reals N 14.4), records in
// the rows' order with their deletion marks, texts in the DOS code page, the header dated 2026-01-01 so
// that the same rows always give the same bytes. False with *error set when a row does not fit.
bool WriteMaterialTableDbf(const std::vector<MaterialSourceRow>& rows, const std::string& path, std::string* error);

// The material table that the spring calculation uses (the one installed, else the dBase table).
MaterialTable& materialTable();
// Installs t and returns the previous one (nullptr goes back to the shipped table).
std::unique_ptr<MaterialTable> installMaterialTable(std::unique_ptr<MaterialTable> t);

// Shows the open table for browsing (mode 0) or choosing (mode 1) through table.browse(). Accepting
// stores the record number in
// programState.BrowseRecNo, leaves the table on that record and clears programState.ErrorFlag; cancelling sets
// programState.ErrorFlag. Titles are DOS texts.
bool BrowseMaterialTable(MaterialTable& table, uint16_t mode, const std::string& title1,
                         const std::string& title2);

}  // namespace qorva
