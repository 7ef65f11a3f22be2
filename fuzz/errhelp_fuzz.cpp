// The error-help file: cause and remedy looked up for the calculation's messages.
#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "fuzz/fuzzsupport.h"
#include "shell/errorhelp.h"

using namespace qorva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::StartSettingsOnce();
  fuzz::WriteInput("qorva.err", data, size);
  InitErrorList();
  for (const char* m : {"Warnung: Federkraft zu gering", "Fehler 12", "", "Spannung zu hoch"}) AddErrorMsg(m);
  for (uint16_t n = 1; n <= errorList.ErrorCount; ++n) {
    programState.ErrorFlag = false;
    std::string cause, remedy;
    GetErrorHelp(n, cause, remedy);
  }
  programState.ErrorFlag = false;
  return 0;
}
