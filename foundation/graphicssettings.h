#pragma once
// graphicssettings: graphics state and graphics settings: zoom and pan steps, the zoom rectangle and
// visible world window, background colour, graphics font and the colour table.

#include <array>
#include <cstdint>
#include <string>

namespace qorva {

// A colour value $00BBGGRR.
using TColor = std::uint32_t;

struct GraphicsSettings {
  uint16_t MaxColorIndex = 16;
  long double ZoomFactor = 1.02L;  // the graphics start values (ApplyGraphicsStartValues) make it 1.2
  long double PanFactor = 0.02L;   // ... and 0.05
  long double GraphCorrectionX = 1.0L;
  int32_t ZoomPixelX1 = 0;
  int32_t ZoomPixelY1 = 0;
  int32_t ZoomPixelX2 = 640;
  int32_t ZoomPixelY2 = 480;
  long double VisibleXMin = 0.0L;
  long double VisibleYMin = 0.0L;
  long double VisibleXMax = 1.0L;
  long double VisibleYMax = 1.0L;
  bool EqualAspect = true;
  long double ZoomAspect = 1.0L;
  TColor BackgroundColor = 0x000001;  // a colour value, practically black; not a colour number
  std::string GraphFontName = "Arial";
  long double GraphTextWidth = 0.8L;
  long double GraphTextHeight = 1.0L;
  uint16_t GraphFontStyle = 3;            // 1 bold, 2 italic, 4 underline, 8 strike-out
  std::array<TColor, 17> ColorTable{};    // [0..16]; 0..15 configurable, 16 black
};

extern GraphicsSettings graphicsSettings;

// Writes the 17 entries of ColorTable (EGA order plus black at 16).
void ResetColorTable();

// Start-up initialization: every default, ResetColorTable at its end.
void InitGraphicsSettings();

// The graphics module's start-up change of the settings: ZoomFactor 1.2, PanFactor 0.05,
// GraphCorrectionX 1.0, ZoomAspect 1.0. InitAllSettings runs it after the settings modules; the
// graphics window's creation repeats it.
void ApplyGraphicsStartValues();

void FinalizeGraphicsSettings();

}  // namespace qorva
