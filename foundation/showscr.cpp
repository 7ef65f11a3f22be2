// showscr: the 22-line text screen.
#include "foundation/showscr.h"

#include <string>
#include <vector>

#include "foundation/kwenvar.h"
#include "foundation/wintext.h"
#include "platform/prompts.h"

namespace qorva {

void ShowTextScreen() {
  std::vector<std::string> lines;
  lines.reserve(22);
  for (size_t i = 1; i <= 22; ++i) lines.push_back(DosToUtf8(kwenvar.TextPage[i]));
  prompter().textScreen(DosToUtf8(kwenvar.ProgName), lines);
}

}  // namespace qorva
