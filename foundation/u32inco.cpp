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
  int32_t pre = index;
  if (pre == 0 || pre > n) pre = 1;
  std::vector<std::string> entries;
  entries.reserve(static_cast<size_t>(n));
  for (int32_t i = 1; i <= n; ++i) entries.push_back(DosToUtf8(kwenvar.TextPage[static_cast<size_t>(i)]));
  const std::optional<int> chosen = prompter().choice(DosToUtf8(prompt), entries, pre - 1);
  if (!chosen) {
    kwenvar.ErrorFlag = true;
    return;
  }
  // A flag set while the dialog was open (or left set by the caller) keeps the old index.
  if (kwenvar.ErrorFlag || *chosen < 0 || *chosen >= n) return;
  index = static_cast<uint16_t>(*chosen + 1);
}

}  // namespace qorva
