#pragma once
// tableaccess: the table-access layer. The rest of the program opens, browses, reads and writes dBase
// tables only through these procedures; they all act on the one table the host keeps open
// (tableHost.Table), so one table is open through the layer at a time. A caller opens, optionally
// orders (DbfIndexOnTemp), sets the titles, goes to a stored record, browses, tests ErrorFlag, reads
// the chosen record number and fields, and closes the table before it returns.
//
// Record numbers are the physical positions in the table file; field numbers are 1-based. Table
// names without "." get ".dbf" and are looked for in DbfDir. A table that cannot be changed where it
// is (a folder that cannot be written, a read-only table, a full disk) is opened there for reading;
// only when a caller is about to change it (an edit browse, a field written, a record appended) does
// the layer copy it to the run's work folder (workdir.h) and work on the copy. A table the program
// ships (in its data folder, datafolder.h) is never written there: its first change copies it to the
// user's copies, where the change stays and from where it is read from then on.
// May call: tableHost, the engine, foundation.

#include <cstdint>
#include <functional>
#include <string>

namespace qorva {

struct TableAccess {
  // Whether files can be created in a folder. Empty: a real probe (a file of a unique name is
  // created, written and removed). Tests replace it where the operating system would allow anything.
  std::function<bool(const std::string& dir)> FolderWritable;
};
extern TableAccess tableAccess;
void InitTableAccess();

// Opens table name from DbfDir (see above). A missing or unreadable table is reported and sets
// ErrorFlag; with ErrorFlag already set nothing is opened. buffer and size are accepted and not used.
// A copy to the work folder that fails (also of the table's memo file) is reported when the change
// is asked for, sets ErrorFlag and changes nothing: the table stays open for reading.
void DbfOpenTable(const std::string& name, void* buffer = nullptr, int32_t size = 0);
// Opens the table file at the full path.
void DbfOpenFile(const std::string& path);
void DbfCloseTable();
// Titles of the browse window in the DOS code page.
void DbfSetTitles(const std::string& title1, const std::string& title2);
// One modal browse: the outcome is in ErrorFlag, LastKey, BrowseRecNo and the current record.
// Without a browse window installed it ends as cancelled (ErrorFlag set, position unchanged).
void DbfBrowse(const std::string& option, uint16_t mode);
// Goes to record n: above the count "DBF #<n> not found." goes to the message list and the last
// record is taken; below 1 record 1. On an empty table the position stays and ErrorFlag is set.
void DbfGoto(int32_t n);
// n outside 1..DbfRecCount becomes 1, then goes there.
void DbfGoChecked(int32_t n);
void DbfFirst();
void DbfSkip(int32_t n);
bool DbfEof();
int32_t DbfRecNo();
int32_t DbfRecCount();
// Name of field n, "" outside 1..field count.
void DbfFieldName(int32_t n, std::string& name);
// Field n of the current record as text (Windows code page; numbers right-aligned in the field).
void DbfGetFieldStr(int32_t n, std::string& s);
// By-name access: names longer than 10 characters are cut; a name the table lacks is reported and
// sets ErrorFlag.
bool DbfGetFieldBool(const std::string& name);
void DbfSetFieldStr(const std::string& name, const std::string& value);
void DbfSetFieldInt(const std::string& name, int64_t value);
void DbfSetFieldFloat(const std::string& name, long double value);
void DbfSetFieldBool(const std::string& name, bool value);
// Appends a copy of the current record with the values set so far under the append lock; the
// edited record stays as stored. False when the lock was refused.
bool DbfAppendRec();
bool DbfDeleted();
void DbfShowDeleted();
// Builds the order of the open table by the key (a field name or a dBase expression of the fields)
// under the name indexFile; it controls
// the walk once DbfIndexOnTemp (or the browse window) selects it.
void DbfIndexOn(const std::string& key, const std::string& indexFile);
// path := the run's work folder (ended with a separator) + name.
void DbfTempPath(const std::string& name, std::string& path);
// Orders the table by the key under name in the work folder; DbfRecNo still gives physical numbers.
void DbfIndexOnTemp(const std::string& key, const std::string& name);
void DbfNoOp();

}  // namespace qorva
