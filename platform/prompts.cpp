#include "platform/prompts.h"

#include "platform/batchprompter.h"

namespace qorva {
namespace {
std::unique_ptr<Prompter>& current() {
  static std::unique_ptr<Prompter> p = std::make_unique<BatchPrompter>();
  return p;
}
}  // namespace

Prompter& prompter() { return *current(); }

std::unique_ptr<Prompter> installPrompter(std::unique_ptr<Prompter> p) {
  if (!p) p = std::make_unique<BatchPrompter>();
  std::swap(current(), p);
  return p;
}

}  // namespace qorva
