#pragma once
// view3d: the 3-D view defaults: the three default view angles and the two 3-D flags.

#include <array>

namespace qorva {

struct View3d {
  std::array<long double, 4> View3DAngles{};  // [1..3] in radians: -15, 90, 210 degrees at start
  bool Edit3DAngles = true;
  bool No3DTo2D = true;  // inverse of the configuration window's check box "3D->2D DXF/IGES"
};

extern View3d view3d;

void InitView3d();

}  // namespace qorva
