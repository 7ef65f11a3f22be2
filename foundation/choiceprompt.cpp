// choiceprompt: the choice prompt.
#include "foundation/choiceprompt.h"

#include <vector>

#include "foundation/programstate.h"
#include "foundation/windowtext.h"
#include "platform/prompts.h"

namespace qorva {

bool AskChoice(const std::string& prompt, const std::vector<std::string>& entries, uint16_t& index) {
  const int32_t n = static_cast<int32_t>(entries.size());
  int32_t pre = index;
  if (pre == 0 || pre > n) pre = 1;
  std::vector<std::string> shown;
  shown.reserve(entries.size());
  for (const std::string& e : entries) shown.push_back(DosToUtf8(e));
  const std::optional<int> chosen = prompter().choice(DosToUtf8(prompt), shown, pre - 1);
  if (!chosen) {
    programState.ErrorFlag = true;
    return false;
  }
  // A flag set while the dialog was open (or left set by the caller) keeps the old index.
  if (programState.ErrorFlag || *chosen < 0 || *chosen >= n) return true;
  index = static_cast<uint16_t>(*chosen + 1);
  return true;
}

}  // namespace qorva
