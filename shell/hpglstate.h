#pragma once
// hpglstate: the state of the help-picture interpreter (hpglinterpreter). Everything but the pen position
// carries over from one picture to the next, as the pictures rely on it. No Qt here.

#include <cstdint>

namespace qorva {

struct HpglState {
  long double PosX = -999.0L;  // current pen position in mm; reset at the start of every file
  long double PosY = -999.0L;
  long double CharWidth = 5.0L;  // character width and height in cm (SI)
  long double CharHeight = 5.0L;
  long double DirRun = 1.0L;  // label direction (DI)
  long double DirRise = 0.0L;
  long double CharSet = 1.0L;  // CS; 3 turns "a}" into the umlaut
  uint8_t Pen = 0;             // SP, or ":" inside PE
  bool PenDown = false;
  bool CommandEnd = false;  // the current command's ";" (or ETX) has been read
};

extern HpglState hpglState;

// Start values of every field (program start, and the reset for tests).
void InitHpglState();

// Plotter units (0.025 mm) to mm.
constexpr long double PlotUnitsToMm(long double u) { return u * 0.025L; }

// Palette colour of a plotter pen: 1..7 to the screen colours of the pens; 0 and pens above 7
// are passed on as they are.
int32_t PenToPalette(uint8_t pen);

}  // namespace qorva
