#pragma once
// settings: runs the start-up initializations of all settings modules in their fixed
// order; also the reset for tests.

namespace qorva {

// 1 spreadsheetApp, 2 programState, 3 desktopSettings, 4 errorList, graphicsSettings, printSettings, 5 cadSettings, 6 view3d, then the graphics
// module's start values (ZoomFactor 1.2, PanFactor 0.05). Reads no file.
void InitAllSettings();

// Program end: the finalizations of the settings modules (strings released, ExcelApp cleared).
void FinalizeAllSettings();

}  // namespace qorva
