#include "platform/screen.h"

#include <utility>

namespace qorva {

namespace {
std::unique_ptr<ScreenMetrics>& current() {
  static std::unique_ptr<ScreenMetrics> m = std::make_unique<FixedScreenMetrics>(1024, 768);
  return m;
}
}  // namespace

const ScreenMetrics& screenMetrics() { return *current(); }

std::unique_ptr<ScreenMetrics> installScreenMetrics(std::unique_ptr<ScreenMetrics> m) {
  if (!m) m = std::make_unique<FixedScreenMetrics>(1024, 768);
  std::swap(current(), m);
  return m;
}

}  // namespace qorva
