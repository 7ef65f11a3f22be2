#pragma once
// lentspring: a spring put in the open spring's place while routines that work on the open spring
// run on it. The open spring comes back when the lender goes (also when an exception leaves the
// scope); a spring lent for changing takes what they did with it. Lending the open spring itself
// changes nothing.

#include "spring/spring.h"

namespace qorva {

class LentSpring {
 public:
  explicit LentSpring(Spring& s);        // s gets back what the routines left in the open spring
  explicit LentSpring(const Spring& s);  // only read: s stays as it is
  ~LentSpring();
  LentSpring(const LentSpring&) = delete;
  LentSpring& operator=(const LentSpring&) = delete;

 private:
  Spring* back_ = nullptr;  // where the open spring's contents go at the end; null: dropped
  Spring open_;             // the open spring while s takes its place
  bool lent_ = false;
};

}  // namespace qorva
