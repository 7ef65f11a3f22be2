// A help picture's plotter commands, drawn into the display list.
#include "fuzz/fuzzsupport.h"
#include "graphics/graphicsstate.h"
#include "shell/hpglinterpreter.h"
#include "shell/hpglstate.h"

using namespace qorva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  fuzz::StartSettingsOnce();
  InitGraphicsState();
  GraphicsWindowCreate();
  InitHpglState();
  DrawHpglText(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
