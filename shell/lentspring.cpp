// lentspring: a spring in the open spring's place for a while.
#include "shell/lentspring.h"

#include <utility>

namespace qorva {

LentSpring::LentSpring(Spring& s) : back_(&s), lent_(&s != &OpenSpring()) {
  if (lent_) open_ = std::exchange(OpenSpring(), s);
}

LentSpring::LentSpring(const Spring& s) : lent_(&s != &OpenSpring()) {
  if (lent_) open_ = std::exchange(OpenSpring(), s);
}

LentSpring::~LentSpring() {
  if (!lent_) return;
  Spring used = std::exchange(OpenSpring(), std::move(open_));
  if (back_) *back_ = std::move(used);
}

}  // namespace qorva
