#pragma once
// Local date and time for report headers and file headers; tests pin it.

#include <memory>

namespace qorva {

struct LocalDateTime {
  int year = 2000, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
  int weekday = 6;  // 0 = Sunday .. 6 = Saturday
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime now() const = 0;
};

class SystemClock : public Clock {
 public:
  LocalDateTime now() const override;
};

class FixedClock : public Clock {
 public:
  explicit FixedClock(LocalDateTime t) : t_(t) {}
  LocalDateTime now() const override { return t_; }
  void set(LocalDateTime t) { t_ = t; }

 private:
  LocalDateTime t_;
};

const Clock& clock();
std::unique_ptr<Clock> installClock(std::unique_ptr<Clock> c);  // nullptr restores the system clock

}  // namespace qorva
