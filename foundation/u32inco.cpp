// u32inco: the choice prompt.
#include "foundation/u32inco.h"

#include <algorithm>
#include <vector>

#include "foundation/kwenvar.h"
#include "foundation/wintext.h"
#include "platform/prompts.h"

namespace qorva {

void AskChoice(const std::string& prompt, int32_t count, uint16_t& index) {
  const int32_t n = std::clamp<int32_t>(count, 0, static_cast<int32_t>(kwenvar.TextPage.size()) - 1);
  AskChoice(prompt, std::vector<std::string>(kwenvar.TextPage.begin() + 1, kwenvar.TextPage.begin() + 1 + n), index);
}

bool AskChoice(const std::string& prompt, const std::vector<std::string>& entries, uint16_t& index) {
  const int32_t n = static_cast<int32_t>(entries.size());
  int32_t pre = index;
  if (pre == 0 || pre > n) pre = 1;
  std::vector<std::string> shown;
  shown.reserve(entries.size());
  for (const std::string& e : entries) shown.push_back(DosToUtf8(e));
  const std::optional<int> chosen = prompter().choice(DosToUtf8(prompt), shown, pre - 1);
  if (!chosen) {
    kwenvar.ErrorFlag = true;
    return false;
  }
  // A flag set while the dialog was open (or left set by the caller) keeps the old index.
  if (kwenvar.ErrorFlag || *chosen < 0 || *chosen >= n) return true;
  index = static_cast<uint16_t>(*chosen + 1);
  return true;
}

}  // namespace qorva
