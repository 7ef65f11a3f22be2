// showscr: the text screen.
#include "foundation/showscr.h"

#include "foundation/kwenvar.h"
#include "foundation/wintext.h"
#include "platform/prompts.h"

namespace qorva {

void ShowTextScreen(const std::vector<std::string>& lines) {
  std::vector<std::string> shown;
  shown.reserve(lines.size());
  for (const std::string& line : lines) shown.push_back(DosToUtf8(line));
  prompter().textScreen(DosToUtf8(kwenvar.ProgName), shown);
}

}  // namespace qorva
