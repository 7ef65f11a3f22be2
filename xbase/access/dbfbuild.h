#pragma once
// dbfbuild: writes a whole dBase table from given rows, for data the program ships (built by a tool
// and checked by a test). The table is written under a work name beside the target and renamed over
// it only when complete; the header date is the one given, so equal rows always give equal bytes.
// May call: the engine (tableFile, workAreas, recordlocks, engine, engineState), the clock seam.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace qorva {

struct TDbfBuildField {
  std::string Name;  // at most 10 characters
  char Type = 'C';   // C, N or L
  uint8_t Len = 0;
  uint8_t Dec = 0;
};

struct TDbfBuildRow {
  bool Deleted = false;
  // One text per field: C in the DOS code page; N as a number ("." or "," as decimal mark, blank is
  // 0); L as T, Y, J (true) or F, N, blank (false).
  std::vector<std::string> Values;
};

// Writes the rows as a table of DOS text at path. Every value is checked before a byte is written: a
// text longer than its field, a number that is none or does not fit its field without changing
// (width, decimals) gives false with *error naming the row (1-based) and the field.
bool DbfWriteTable(const std::string& path, const std::vector<TDbfBuildField>& fields,
                   const std::vector<TDbfBuildRow>& rows, const LocalDateTime& date, std::string* error);

}  // namespace qorva
