// The configuration file as the program reads it at start.
#include "foundation/kwenvar.h"
#include "fuzz/fuzzsupport.h"
#include "shell/configio.h"

using namespace qorva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::StartSettings();
  kwenvar.ProgStem = "qorva";
  kwenvar.ErrorFlag = false;
  fuzz::WriteInput("qorva.cfg", data, size);
  ReadConfigFile();
  kwenvar.ErrorFlag = false;
  return 0;
}
