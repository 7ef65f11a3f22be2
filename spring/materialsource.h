#pragma once
// materialsource: reader of the material table's readable source data/yeb9wst.tsv, from which the
// table yeb9wst.dbf is built and with which tests fill an in-memory material table.
// The file is tab-separated text: a header line with the column names (DELETED, the 29 field names,
// SOURCE), then one line per material in physical record order. DELETED holds "*" for a material that
// is not preferred (the table's deletion mark) or nothing. Number fields hold a number ("," or "." as
// decimal mark; 0 where no value is published). Texts are ASCII or UTF-8 and are returned in the DOS
// code page. Reads no global state.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qorva {

inline constexpr int32_t MaterialFieldCount = 29;

struct MaterialSourceRow {
  bool deleted = false;
  std::array<std::string, MaterialFieldCount + 1> fields;  // [1..29] as in the table, index 0 unused
  std::string source;                                      // where the row's values are published
  int32_t line = 0;                                        // line in the file
};

enum class MaterialFieldType { Text, Integer, Real };

// Type of table field n (1..29); Text outside the range.
MaterialFieldType MaterialFieldTypeOf(int32_t n);
// Column name of table field n (1..29) as the file's header spells it; "" outside the range.
std::string MaterialFieldName(int32_t n);

// Reads the whole file; path is the system's (UTF-8) name of it, as the messages show it. On success returns the rows and clears *error; on any malformed line returns no
// rows and sets *error to "<path> line <n>: <what is wrong>" (after the path plain ASCII: texts from the
// file are quoted with anything unprintable as "?"). error may be null.
std::vector<MaterialSourceRow> ReadMaterialSource(const std::string& path, std::string* error);

// Parses the text of a number field as the reader accepts it (blanks around it, "," or "." as decimal
// mark; Integer fields take whole numbers that fit 32 bits). False for anything else.
bool ParseMaterialNumber(MaterialFieldType type, const std::string& text, long double* value);

}  // namespace qorva
