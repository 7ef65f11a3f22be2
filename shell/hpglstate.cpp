// hpglstate: the interpreter's state.
#include "shell/hpglstate.h"

namespace qorva {

HpglState hpglState;

void InitHpglState() { hpglState = HpglState{}; }

int32_t PenToPalette(uint8_t pen) {
  static constexpr int32_t palette[8] = {0, 12, 14, 10, 11, 9, 13, 15};
  return pen < 8 ? palette[pen] : pen;
}

}  // namespace qorva
