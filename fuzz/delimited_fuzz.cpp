// Comma-delimited text appended to a sound table; every record appended reads back.
#include <fstream>
#include <iterator>

#include "fuzz/fuzzsupport.h"
#include "fuzz/xbfuzz.h"
#include "xbase/workareas.h"
#include "xbase/delimited.h"

using namespace qorva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::StartEngine();
  static const std::string table = fuzz::MakeTable("dl.dbf", 0);
  // Every input starts from the empty table (written back as bytes: no file rewrite per input).
  static const std::string empty = [] {
    std::ifstream in(table, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }();
  fuzz::WriteInput("dl.dbf", reinterpret_cast<const uint8_t*>(empty.data()), empty.size());
  const std::string text = fuzz::WriteInput("in.txt", data, size);
  try {
    USE(table + " EXCLUSIVE");
    const int32_t before = RecCount();
    const int32_t added = AppendFromDelimited(text, false);
    engineState.XbErrorCode = 0;
    fuzz::Check(RecCount() == before + added, "appended records and count disagree");
    for (int32_t n = before + 1; n <= RecCount(); ++n) {
      GO(n);
      for (uint8_t f = 1; f <= FieldCount(); ++f) (void)GetFieldText(f);
    }
  } catch (EXbaseError&) {
  }
  try {
    CloseArea();
  } catch (EXbaseError&) {
  }
  return 0;
}
