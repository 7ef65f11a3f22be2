// A table file as anyone may have written it: opened, walked and read field by field.
#include <sys/stat.h>

#include "fuzz/fuzzsupport.h"
#include "fuzz/xbfuzz.h"
#include "xbase/workareas.h"
#include "xbase/tablefile.h"

using namespace qorva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::StartEngine();
  const std::string path = fuzz::WriteInput("in.dbf", data, size);
  try {
    USE(path);
    if (engineState.XbErrorCode == 0 && CurrentBlock()) {
      const TDbfControlBlock& cb = *CurrentBlock();
      // The records counted are whole records of the file.
      fuzz::Check(cb.RecCount == 0 || cb.HeaderLen + int64_t{cb.RecCount} * cb.RecLen <= static_cast<int64_t>(size),
                  "record count past the file's end");
      for (int32_t n = 1; n <= std::min(RecCount(), 200); ++n) {
        GO(n);
        for (uint8_t f = 1; f <= FieldCount(); ++f) (void)GetFieldText(f);
      }
      CloseArea();
    }
  } catch (EXbaseError&) {
  }
  return 0;
}
