// view3d: 3-D view defaults.
#include "foundation/view3d.h"

#include <numbers>

namespace qorva {

View3d view3d;

void InitView3d() {
  constexpr long double deg = std::numbers::pi_v<long double> / 180.0L;
  view3d = View3d();
  view3d.View3DAngles[1] = -15.0L * deg;
  view3d.View3DAngles[2] = 90.0L * deg;
  view3d.View3DAngles[3] = 210.0L * deg;
}

}  // namespace qorva
