// The help text files: both files looked up for topics below and above 4000.
#include "fuzz/fuzzsupport.h"
#include "shell/help.h"

using namespace qorva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::StartSettingsOnce();
  fuzz::WriteInput("kwendal.hlp", data, size);
  fuzz::WriteInput("qorva.hlp", data, size);
  for (uint16_t topic : {1, 100, 4001, 9999}) {
    std::string text;
    ReadHelpText(topic, text);
    (void)LookUpHelpTopic(topic);
  }
  return 0;
}
