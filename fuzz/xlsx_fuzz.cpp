// A workbook as OLE > Import meets it: read whole, and as the spring import reads it (column A,
// at most as many rows as a spring file has).
#include "foundation/xlsimport.h"
#include "fuzz/fuzzsupport.h"

using namespace qorva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::WriteInput("in.xlsx", data, size);
  std::vector<XlsxRow> rows;
  std::string error;
  if (ReadXlsxRows(path, rows, error, 1, 1000)) {
    fuzz::Check(rows.size() <= 1000, "more rows than asked for");
    for (const XlsxRow& r : rows) fuzz::Check(r.size() <= 1, "more columns than asked for");
  }
  rows.clear();
  ReadXlsxRows(path, rows, error, 64, 5000);
  return 0;
}
