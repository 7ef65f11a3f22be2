#pragma once
// delimited: a table as comma-delimited text and back. One line per record, the values of the
// C, D, N, F and L fields in field order separated by ","; texts in double quotes without their
// trailing blanks, dates as their eight stored digits, numbers without leading blanks, logicals as
// their stored letter. Memo fields have no value in a line. What the export writes the import reads
// back. Texts are in the Windows code page (records are converted as they are read and written).
// Double quotes inside a text are written as they are and read as quote marks, not as text: such
// a text does not come back whole.
// May call: recordlocks, workAreas, tableFile, engineState, nationalDates.

#include <cstdint>
#include <string>

namespace qorva {

constexpr size_t MaxLineLen = 2048;       // characters of a line that are used
constexpr size_t MaxDelimitedValue = 255;  // characters of one value that are used

// Writes the visible records of the current area (in index order when an index controls it) to
// file (extension TXT when it has none), through a new file put in the old one's place. Returns
// the number of records written; the area is left at its end. 0 for a virtual file.
int32_t CopyToDelimited(const std::string& file);
// Appends one record per non-empty line of file (extension TXT when it has none) to the current
// area; a shared table must be locked for appending first. A file that cannot be opened appends
// nothing. Returns the number of records appended.
int32_t AppendFromDelimited(const std::string& file, bool showProgress);

// The value that starts at pos of line (pos moves behind its comma): blanks and tabs before it are
// skipped, quote marks are not part of it, and between a first and a second quote mark commas are.
std::string GetDelimitedField(const std::string& line, size_t& pos);

}  // namespace qorva
