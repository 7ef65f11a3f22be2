// textscreen: the text screen.
#include "foundation/textscreen.h"

#include "foundation/programstate.h"
#include "foundation/windowtext.h"
#include "platform/prompts.h"

namespace qorva {

void ShowTextScreen(const std::vector<std::string>& lines) {
  std::vector<std::string> shown;
  shown.reserve(lines.size());
  for (const std::string& line : lines) shown.push_back(DosToUtf8(line));
  prompter().textScreen(DosToUtf8(programState.ProgName), shown);
}

}  // namespace qorva
