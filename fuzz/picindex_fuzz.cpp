// The help-picture index: read whole, each entry's picture name taken from it.
#include "foundation/kwenvar.h"
#include "fuzz/fuzzsupport.h"
#include "shell/hbild.h"

using namespace qorva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::StartSettingsOnce();
  fuzz::WriteInput("qorva.dbh", data, size);
  std::vector<std::string> lines;
  int32_t n = 0;
  kwenvar.ErrorFlag = false;
  if (ReadHelpPictureIndex(lines, n)) {
    fuzz::Check(n >= 0 && n <= 130, "more entries than the index holds");
    for (int32_t k = 1; k <= n; ++k) (void)HelpPictureOfEntry(k);
    for (const std::string& l : lines) (void)HelpPictureEntry(l);
  }
  kwenvar.ErrorFlag = false;
  return 0;
}
