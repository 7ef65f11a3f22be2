// graphicssettings: graphics state defaults and the built-in colour table.
#include "foundation/graphicssettings.h"

namespace qorva {

GraphicsSettings graphicsSettings;

void ResetColorTable() {
  static constexpr std::array<TColor, 17> palette = {
      0x000000,  // 0 black
      0x800000,  // 1 navy blue
      0x00FF00,  // 2 green
      0xFFFF00,  // 3 cyan
      0x0000FF,  // 4 red
      0x800080,  // 5 purple
      0x000080,  // 6 maroon
      0xC0C0C0,  // 7 light grey
      0xB0B0B0,  // 8 grey
      0xFF0000,  // 9 blue
      0x00FF00,  // 10 green
      0xFFFF00,  // 11 cyan
      0x0000FF,  // 12 red
      0xFF00FF,  // 13 magenta
      0x00FFFF,  // 14 yellow
      0xFFFFFF,  // 15 white
      0x000000,  // 16 black
  };
  graphicsSettings.ColorTable = palette;
}

void InitGraphicsSettings() {
  graphicsSettings = GraphicsSettings();
  ResetColorTable();
}

void ApplyGraphicsStartValues() {
  graphicsSettings.ZoomFactor = 1.2L;
  graphicsSettings.PanFactor = 0.05L;
  graphicsSettings.GraphCorrectionX = 1.0L;
  graphicsSettings.ZoomAspect = 1.0L;
}

void FinalizeGraphicsSettings() { std::string().swap(graphicsSettings.GraphFontName); }

}  // namespace qorva
