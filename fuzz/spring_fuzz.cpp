// A spring data file read as File > Open reads it.
#include "foundation/kwenvar.h"
#include "fuzz/fuzzsupport.h"
#include "spring/aendvar.h"
#include "spring/dokuvar.h"
#include "spring/qvaglob.h"
#include "spring/qvaio.h"

using namespace qorva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::StartSettingsOnce();
  const std::string path = fuzz::WriteInput("in.qva", data, size);
  InitSpringData();
  InitAendvar();
  InitDokuvar();
  kwenvar.ErrorFlag = false;
  ReadSpringFile(path);
  kwenvar.ErrorFlag = false;
  return 0;
}
