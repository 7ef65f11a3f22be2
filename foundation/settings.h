#pragma once
// settings: runs the start-up initializations of all settings modules in their fixed
// order; also the reset for tests.

namespace qorva {

// 1 varexcel, 2 kwenvar, 3 wkwenvar, 4 error0, hgvar, wprinvar, 5 cad8var, 6 view3d, then the graphics
// module's start values (ZoomFactor 1.2, PanFactor 0.05). Reads no file.
void InitAllSettings();

// Program end: the finalizations of the settings modules (strings released, ExcelApp cleared).
void FinalizeAllSettings();

}  // namespace qorva
