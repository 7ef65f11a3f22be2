// The help-picture index: read whole, each entry's picture name taken from it.
#include "foundation/programstate.h"
#include "fuzz/fuzzsupport.h"
#include "shell/helppictures.h"

using namespace qorva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::StartSettingsOnce();
  fuzz::WriteInput("qorva.dbh", data, size);
  programState.ErrorFlag = false;
  if (const std::optional<HelpPictureIndex> index = ReadHelpPictureIndex()) {
    fuzz::Check(index->entries.size() <= 130 && index->entries.size() <= index->lines.size(),
                "more entries than the index holds");
    for (const std::string& e : index->entries) (void)HelpPictureOfEntry(e);
    for (const std::string& l : index->lines) (void)HelpPictureEntry(l);
  }
  programState.ErrorFlag = false;
  return 0;
}
