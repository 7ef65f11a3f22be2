#pragma once
// tablecommands: commands of the selected work area that work on a whole table: the full-text
// Search, Locate / Continue, Peek / Poke of one stored field of any record, Pack (removes records
// marked deleted) and AppendFrom (appends another table's records, fields matched by name).
// Memo and index steps go through the hook records of engineState; without them they are skipped.
// May call: recordlocks, workAreas, tableFile, engineState, nationalDates.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace qorva {

// A value handed to Locate: text, number or logical (texts in the Windows code page).
using XbValue = std::variant<std::string, long double, int64_t, bool>;

struct TableCommands {
  std::string LocateText;          // what the last Locate looks for, prepared
  uint8_t LocateField = 0;         // its field; 0 when there is none or the last scan found nothing
  bool LocateCaseSensitive = true;  // the last Locate was given without NOCASE
  bool LocateExact = false;        // the last Locate was given with EXACT
};
extern TableCommands tableCommands;
void InitTableCommands();

// Looks for text (any case) in the stored records, from the top or from after the current record.
// field: in, the field to search (0 or above FieldCount: any field); out, the field where the
// text was found, 0 when not found. A match makes its record current; true when found.
bool Search(const std::string& text, uint8_t& field, bool fromTop);

// The stored bytes of field (0: the deletion byte) of record n, read straight from the file;
// "" for a record or field out of range. Nothing moves.
std::string Peek(int32_t field, int32_t n);
// Writes value into field (0: the deletion byte) of record n straight into the file (needs the
// record or file lock on a shared table); at most the field's length, the rest keeps its bytes.
void Poke(const std::string& value, int32_t field, int32_t n);

// Locate on several fields ("NAME;CITY") with one value each: true when all matched on one
// record. Unless moveToMatch is set and a record was found, the area goes back to where it stood.
bool LocateFields(const std::string& fields, const std::vector<XbValue>& values, bool noCase, bool exact,
                  bool moveToMatch);
// Finds the first visible record from start whose field begins with (exact: equals) value.
bool Locate(const std::string& field, const XbValue& value, bool noCase, int32_t start, bool exact);
void Continue();

// Removes the records marked deleted. The compacted table is written to a new file beside the old
// one and renamed over it, so a failure leaves the table as it was. Needs the table to itself:
// false without an error when another program has it open.
bool Pack();

// Appends every record of source (a table file, or an open virtual file named with VIRTUAL FILE,
// LINKED LIST, VIRTUAL or LINKED) to the table of the current area.
void AppendFrom(const std::string& source);

}  // namespace qorva
