// The error-help file: cause and remedy looked up for the calculation's messages.
#include "foundation/error0.h"
#include "foundation/kwenvar.h"
#include "fuzz/fuzzsupport.h"
#include "shell/helperr.h"

using namespace qorva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::StartSettingsOnce();
  fuzz::WriteInput("qorva.err", data, size);
  InitError0();
  for (const char* m : {"Warnung: Federkraft zu gering", "Fehler 12", "", "Spannung zu hoch"}) AddErrorMsg(m);
  for (uint16_t n = 1; n <= error0.ErrorCount; ++n) {
    kwenvar.ErrorFlag = false;
    std::string cause, remedy;
    GetErrorHelp(n, cause, remedy);
  }
  kwenvar.ErrorFlag = false;
  return 0;
}
