// The session file (recent files, windows) as the program reads it at start.
#include "foundation/programstate.h"
#include "fuzz/fuzzsupport.h"
#include "shell/configio.h"

using namespace qorva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::StartSettings();
  programState.ProgStem = "qorva";
  programState.ErrorFlag = false;
  fuzz::WriteInput("qorva.cff", data, size);
  ReadSessionFile();
  programState.ErrorFlag = false;
  return 0;
}
