// materialtable: the in-memory material table, the shipped table read from its text source, and the
// record choice until the table browse window exists.
#include "spring/materialtable.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <optional>


#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/windowtext.h"
#include "platform/prompts.h"
#include "platform/services.h"
#include "platform/sysname.h"
#include "spring/materialsource.h"
#include "xbase/access/dbfbuild.h"
#include "xbase/access/tablehost.h"
#include "xbase/access/tableaccess.h"

namespace qorva {

// ---- MemoryMaterialTable ----

MemoryMaterialTable::MemoryMaterialTable(std::vector<std::string> fieldNames, std::vector<MaterialTableRow> rows)
    : fieldNames_(std::move(fieldNames)), rows_(std::move(rows)) {}

bool MemoryMaterialTable::open(const std::string& name) {
  openedName_ = name;
  open_ = true;
  current_ = rows_.empty() ? 0 : 1;
  orderBy(0);
  return true;
}

void MemoryMaterialTable::close() {
  open_ = false;
  current_ = 0;
  order_.clear();
  orderPos_ = 0;
}

std::string MemoryMaterialTable::fieldName(int n) const {
  if (n < 1 || n > fieldCount()) return std::string();
  return fieldNames_[static_cast<std::size_t>(n - 1)];
}

bool MemoryMaterialTable::gotoRecord(uint32_t n) {
  if (n >= 1 && n <= recordCount()) {
    current_ = n;
    return true;
  }
  if (n > recordCount()) AddErrorMsg("DBF #" + IntStr(n) + " not found.");
  if (rows_.empty() || n == 0) {
    // No record to stand on: nothing may be read as if it were the asked one.
    if (n == 0) AddErrorMsg("DBF #0 not found.");
    programState.ErrorFlag = true;
    return false;
  }
  current_ = recordCount();
  return true;
}

std::string MemoryMaterialTable::fieldStr(int n) const {
  if (!open_ || current_ < 1 || current_ > recordCount() || n < 1) return std::string();
  const auto& f = rows_[current_ - 1].fields;
  if (static_cast<std::size_t>(n) > f.size()) return std::string();
  return f[static_cast<std::size_t>(n - 1)];
}

bool MemoryMaterialTable::deleted() const {
  if (!open_ || current_ < 1 || current_ > recordCount()) return false;
  return rows_[current_ - 1].deleted;
}

void MemoryMaterialTable::orderBy(int n) {
  order_.clear();
  for (uint32_t i = 1; i <= recordCount(); ++i) order_.push_back(i);
  orderPos_ = 0;
  if (n < 1) return;
  // A field is ordered either by value or by its bytes, never by a mix of both: a mixed order has no
  // consistent ranking, and sorting by one could run off the list.
  std::vector<std::string> keys(rows_.size());
  std::vector<long double> values(rows_.size(), 0.0L);
  bool numeric = true;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const auto& f = rows_[i].fields;
    if (static_cast<std::size_t>(n) <= f.size()) keys[i] = f[static_cast<std::size_t>(n - 1)];
    const std::string trimmed = TrimStr(keys[i]);
    // A blank number field holds 0.
    if (!trimmed.empty() && (!TryStrToReal(trimmed, values[i]) || !std::isfinite(values[i]))) numeric = false;
  }
  std::stable_sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) {
    return numeric ? values[a - 1] < values[b - 1] : keys[a - 1] < keys[b - 1];
  });
}

bool MemoryMaterialTable::first() {
  orderPos_ = 0;
  if (order_.empty()) return false;
  current_ = order_[0];
  return true;
}

bool MemoryMaterialTable::skip() {
  if (orderPos_ < order_.size()) ++orderPos_;
  if (orderPos_ >= order_.size()) return false;
  current_ = order_[orderPos_];
  return true;
}

bool MemoryMaterialTable::eof() const { return orderPos_ >= order_.size(); }

// ---- The dBase table ----

DbfMaterialTable::~DbfMaterialTable() {
  if (open_) DbfCloseTable();
}

bool DbfMaterialTable::open(const std::string& name) {
  if (open_) close();
  DbfOpenTable(name);
  if (programState.ErrorFlag || !tableHost.Table.Active()) {
    programState.ErrorFlag = true;
    return false;
  }
  // A reopened table walks all its records in physical order, whatever an earlier choice hid.
  DbfShowDeleted();
  const std::string stem = FileNameOf(name);
  indexName_ = stem.substr(0, stem.find('.'));
  open_ = true;
  return true;
}

void DbfMaterialTable::close() {
  if (!open_) return;
  DbfCloseTable();
  open_ = false;
}

bool DbfMaterialTable::isOpen() const { return open_ && tableHost.Table.Active(); }

uint32_t DbfMaterialTable::recordCount() const {
  return isOpen() ? static_cast<uint32_t>(std::max(DbfRecCount(), 0)) : 0;
}

int DbfMaterialTable::fieldCount() const { return isOpen() ? tableHost.Table.FieldCount() : 0; }

std::string DbfMaterialTable::fieldName(int n) const {
  std::string name;
  if (isOpen()) DbfFieldName(n, name);
  return name;
}

bool DbfMaterialTable::gotoRecord(uint32_t n) {
  if (!isOpen() || n == 0) {
    if (n == 0) AddErrorMsg("DBF #0 not found.");
    programState.ErrorFlag = true;
    return false;
  }
  const bool before = programState.ErrorFlag;
  programState.ErrorFlag = false;
  DbfGoto(static_cast<int32_t>(std::min<uint32_t>(n, INT32_MAX)));
  const bool failed = programState.ErrorFlag;
  programState.ErrorFlag = before || failed;
  return !failed;
}

uint32_t DbfMaterialTable::recNo() const { return isOpen() ? static_cast<uint32_t>(std::max(DbfRecNo(), 0)) : 0; }

std::string DbfMaterialTable::fieldStr(int n) const {
  std::string s;
  if (isOpen() && n >= 1 && n <= fieldCount()) DbfGetFieldStr(n, s);
  // A text field comes padded with blanks to its width; the designations are printed and joined
  // as the material's own texts, so the padding goes (numbers carry none after their digits).
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

bool DbfMaterialTable::deleted() const { return isOpen() && DbfDeleted(); }

bool DbfMaterialTable::browse(uint16_t mode, const std::string& title1, const std::string& title2) {
  if (!isOpen()) return false;
  // A run without the table window asks the prompter, as for a table without a window of its own.
  if (!services().DbfBrowseWindow.installed()) return MaterialTable::browse(mode, title1, title2);
  tableHost.Table.SetTitles(DosToWin(title1), DosToWin(title2));  // the window's titles are Windows texts
  // In this table the marked records are the materials that are not preferred, and spring files
  // refer to materials by record number.
  tableHost.Table.SetPackWarning(kMaterialPackWarning);
  // Through the access layer: a look that may change the table has it on the user's copy.
  DbfBrowse("", mode);
  tableHost.Table.SetPackWarning("");
  return !programState.ErrorFlag && programState.LastKey == 13;
}

void DbfMaterialTable::orderBy(int n) {
  if (!isOpen()) return;
  if (n < 1 || n > fieldCount()) {
    tableHost.Table.SetIndexTo("");
    return;
  }
  DbfIndexOnTemp(fieldName(n), indexName_);
}

bool DbfMaterialTable::first() {
  if (!isOpen()) return false;
  DbfFirst();
  return !DbfEof() && DbfRecNo() >= 1;
}

bool DbfMaterialTable::skip() {
  if (!isOpen()) return false;
  DbfSkip(1);
  return !DbfEof();
}

bool DbfMaterialTable::eof() const { return !isOpen() || DbfEof(); }

// ---- Building the dBase table from the source rows ----

namespace {

// Field names of the table (at most 10 characters each); the spring reads the fields by number.
constexpr std::array<const char*, MaterialFieldCount + 1> kDbfFieldNames{
    "",          "TEXT1",     "TEXT2",      "TEXT3",      "TEXT4",      "EMODINT",   "RHO",       "RM0",
    "DR0",       "RMMAX",     "RMSLOPE",    "GOODMANT0",  "SIGO",       "SIGOSLOPE", "SIGH0",     "SIGH0SLOPE",
    "GOODSLOPE", "SIGOSHOT",  "SIGOSLOPES", "SIGH0SHOT",  "SIGH0SLOPS", "GOODSLOPES", "DMIN",     "DMAX",
    "VALUE24",   "VALUE25",   "VALUE26",    "SIGMAFACT",  "TEXT28",     "LISTNO"};
constexpr uint8_t kTextLen = 50, kIntLen = 11, kRealLen = 14, kRealDec = 4;

}  // namespace

bool WriteMaterialTableDbf(const std::vector<MaterialSourceRow>& rows, const std::string& path, std::string* error) {
  std::vector<TDbfBuildField> fields;
  for (int n = 1; n <= MaterialFieldCount; ++n) {
    TDbfBuildField f;
    f.Name = kDbfFieldNames[static_cast<size_t>(n)];
    switch (MaterialFieldTypeOf(n)) {
      case MaterialFieldType::Text: f.Type = 'C'; f.Len = kTextLen; break;
      case MaterialFieldType::Integer: f.Type = 'N'; f.Len = kIntLen; break;
      case MaterialFieldType::Real: f.Type = 'N'; f.Len = kRealLen; f.Dec = kRealDec; break;
    }
    fields.push_back(f);
  }
  std::vector<TDbfBuildRow> table;
  for (const MaterialSourceRow& r : rows) {
    TDbfBuildRow row;
    row.Deleted = r.deleted;
    row.Values.assign(r.fields.begin() + 1, r.fields.end());
    table.push_back(std::move(row));
  }
  // A fixed date: the same source gives the same bytes.
  return DbfWriteTable(path, fields, table, LocalDateTime{2026, 1, 1, 0, 0, 0, 4}, error);
}

// ---- The table read from its text source ----

// Reads "<DbfDir>/<name>.tsv", the readable source the dBase table is built from.
bool SourceMaterialTable::open(const std::string& name) {
  std::string stem = name;
  const std::size_t dot = stem.find('.', FileDir(stem).size());
  if (dot != std::string::npos) stem.erase(dot);
  const std::string path = ResolveFileCase(TrimAndAddSlash(programState.DbfDir) + stem + ".tsv");

  std::string error;
  std::vector<MaterialSourceRow> source;
  if (!FileCanOpen(path)) {
    error = DosToUtf8(path) + " nicht gefunden !";
  } else {
    source = ReadMaterialSource(SysName(path), &error);
  }
  if (!error.empty()) {
    close();
    // Paths and the reader's texts are UTF-8 already.
    prompter().message("Fehler : ", error);
    programState.ErrorFlag = true;
    return false;
  }
  fieldNames_.clear();
  for (int n = 1; n <= MaterialFieldCount; ++n) fieldNames_.push_back(MaterialFieldName(n));
  rows_.clear();
  for (const auto& r : source) {
    MaterialTableRow row;
    row.deleted = r.deleted;
    // The access layer hands texts over in the Windows code page.
    for (int n = 1; n <= MaterialFieldCount; ++n) row.fields.push_back(OemToAnsiStr(r.fields[n]));
    rows_.push_back(std::move(row));
  }
  return MemoryMaterialTable::open(name);
}

namespace {

std::unique_ptr<MaterialTable>& installedTable() {
  static std::unique_ptr<MaterialTable> table;
  return table;
}

std::string PromptTitle(const std::string& title1, const std::string& title2) {
  std::string prompt = TrimStr(title1);
  const std::string t2 = TrimStr(title2);
  if (!prompt.empty() && !t2.empty()) prompt += " ";
  return DosToUtf8(prompt + t2);
}

bool ShowInPrompter(MaterialTable& table, const std::string& title1, const std::string& title2) {
  const uint32_t start = table.recNo();
  std::vector<std::string> lines;
  for (uint32_t n = 1; n <= table.recordCount(); ++n) {
    if (!table.gotoRecord(n)) break;
    lines.push_back(BlankPad(n, 5) + (table.deleted() ? " * " : "   ") + WinToUtf8(TrimStr(table.fieldStr(1))));
  }
  if (start >= 1) table.gotoRecord(start);
  prompter().textScreen(PromptTitle(title1, title2), lines);
  return true;
}

}  // namespace

bool MaterialTable::browse(uint16_t mode, const std::string& title1, const std::string& title2) {
  MaterialTable& table = *this;
  if (mode != 1) return ShowInPrompter(table, title1, title2);
  const uint32_t start = table.recNo();
  std::vector<uint32_t> recs;
  std::vector<std::string> entries;
  int preselect = 0;
  for (bool ok = table.first(); ok && !table.eof(); ok = table.skip()) {
    if (table.deleted()) continue;
    if (table.recNo() == start) preselect = static_cast<int>(recs.size());
    recs.push_back(table.recNo());
    entries.push_back(WinToUtf8(TrimStr(table.fieldStr(1))));
  }
  if (start >= 1) table.gotoRecord(start);
  if (entries.empty()) return false;
  const std::optional<int> chosen = prompter().choice(PromptTitle(title1, title2), entries, preselect);
  if (!chosen || *chosen < 0 || static_cast<std::size_t>(*chosen) >= recs.size()) return false;
  return table.gotoRecord(recs[static_cast<std::size_t>(*chosen)]);
}

MaterialTable& materialTable() {
  auto& t = installedTable();
  if (!t) t = std::make_unique<DbfMaterialTable>();
  return *t;
}

std::unique_ptr<MaterialTable> installMaterialTable(std::unique_ptr<MaterialTable> t) {
  auto& cur = installedTable();
  std::unique_ptr<MaterialTable> old = std::move(cur);
  cur = std::move(t);
  return old;
}

bool BrowseMaterialTable(MaterialTable& table, uint16_t mode, const std::string& title1,
                         const std::string& title2) {
  const bool accepted = table.browse(mode, title1, title2);
  if (accepted && table.recNo() >= 1) {
    programState.BrowseRecNo = static_cast<int32_t>(table.recNo());
    programState.ErrorFlag = false;
    return true;
  }
  programState.ErrorFlag = true;
  return false;
}

}  // namespace qorva
