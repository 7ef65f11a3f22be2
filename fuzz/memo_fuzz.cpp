// A memo file beside a sound table whose records refer to its first blocks: every memo read, then
// a memo added that must read back as written. The first byte picks the family (DBT III, DBT IV,
// FPT).
#include "fuzz/fuzzsupport.h"
#include "fuzz/xbfuzz.h"
#include "xbase/workareas.h"
#include "xbase/recordlocks.h"
#include "xbase/memo.h"

using namespace qorva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  fuzz::StartEngine();
  static const uint8_t versions[] = {0x83, 0x8B, 0xF5};
  const uint8_t version = versions[data[0] % 3];
  static std::string tables[3];
  std::string& table = tables[data[0] % 3];
  const std::string name = std::string("m") + std::to_string(data[0] % 3);
  if (table.empty()) table = fuzz::MakeTable(name + ".dbf", 0, version);
  const std::string memoFile = fuzz::WriteInput(name + (version == 0xF5 ? ".fpt" : ".dbt"), data + 1, size - 1);
  (void)memoFile;
  try {
    USE(table + " EXCLUSIVE");
    if (engineState.XbErrorCode != 0) return 0;
    // Records referring to blocks 1..8 (negated too), written into the empty table.
    if (RecCount() == 0)
      for (int32_t ref : {1, 2, 3, -1, 5, 8}) {
        ClearRecord();
        SetFieldMemo(3, ref);
        Append();
      }
    for (int32_t n = 1; n <= RecCount(); ++n) {
      GO(n);
      std::string text;
      engineState.XbErrorCode = 0;
      ReadMemo(GetFieldMemo(3), text);
      engineState.XbErrorCode = 0;
      GetMemo(GetFieldMemo(3));
    }
    engineState.XbErrorCode = 0;
    const std::string written = "a memo\r\nof two lines";
    const int32_t ref = AddMemo(written);
    if (engineState.XbErrorCode == 0 && ref != 0) {
      std::string back;
      fuzz::Check(ReadMemo(ref, back) && back == written, "a memo added does not read back as written");
    }
  } catch (EXbaseError&) {
  }
  try {
    CloseArea();
  } catch (EXbaseError&) {
  }
  return 0;
}
