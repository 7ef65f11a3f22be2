#include "platform/clock.h"

#include <ctime>
#include <utility>

namespace qorva {

LocalDateTime SystemClock::now() const {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_wday};
}

namespace {
std::unique_ptr<Clock>& current() {
  static std::unique_ptr<Clock> c = std::make_unique<SystemClock>();
  return c;
}
}  // namespace

const Clock& clock() { return *current(); }

std::unique_ptr<Clock> installClock(std::unique_ptr<Clock> c) {
  if (!c) c = std::make_unique<SystemClock>();
  std::swap(current(), c);
  return c;
}

}  // namespace qorva
