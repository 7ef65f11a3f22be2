// A spring data file read as File > Open reads it, into a new spring of its own.
#include "foundation/programstate.h"
#include "fuzz/fuzzsupport.h"
#include "spring/springdatafile.h"
#include "spring/spring.h"

using namespace qorva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::StartSettingsOnce();
  const std::string path = fuzz::WriteInput("in.qva", data, size);
  Spring spring = NewSpring();
  programState.ErrorFlag = false;
  ReadSpringFile(spring, path);
  programState.ErrorFlag = false;
  return 0;
}
