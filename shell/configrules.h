#pragma once
// configrules: the rules by which the configuration window takes its fields over, kept apart from
// the window so they work (and are tested) without a display. Every routine is a pure function of
// the texts typed and the sizes it is given.

#include <cstdint>
#include <string>

#include "foundation/printsettings.h"

namespace qorva {

// A graphics window size field (shown as the setting + 1): the entry - 1 within 0..5000; a result
// of 0 becomes the screen extent minus the configuration window's frame.
int32_t TakeGraphRes(const std::string& typed, int32_t screenExtent, int32_t frameExtent);

// The "<" buttons beside the x and y fields: the other side at 4:3, within the largest client area.
struct WindowSize {
  int32_t x = 0;
  int32_t y = 0;
};
WindowSize FitXToY(int32_t y, int32_t maxWidth, int32_t maxHeight);
WindowSize FitYToX(int32_t x, int32_t maxWidth, int32_t maxHeight);

// The text window's fields as taken over: left outside 0..1000 becomes 10, top outside 0..450
// becomes 40, width outside 50..1000 becomes 700, a height below 50 or above the graphics height
// field y becomes y - 20.
TextWindowRect TakeTextWindow(const std::string& left, const std::string& top, const std::string& width,
                              const std::string& height, int32_t graphYField);
// The text window's built-in place ("<" and the "Auto" mode) for the graphics fields x and y and
// the printout font size.
TextWindowRect DefaultTextWindow(int32_t graphXField, int32_t graphYField, int32_t fontSize);

// Below 0.01 the dimension factor becomes 1.0.
long double TakeDimensionFactor(long double typed);
// A factor that is taken as 1.0 when it is 0.
long double NonZeroOrOne(long double typed);

// What the title-block choice shows on the drawing page.
struct TitleBlockView {
  bool indexAndRelease = true;  // the index and release-field controls
  bool marginEnabled = false;   // the frame-margin list
  bool forceMargin5 = true;     // the frame margin is set to "5 mm"
  bool showChanges = false;     // "Änderungen anzeigen ?"
  bool borders = false;         // the two border check boxes (only with "10 mm")
};
TitleBlockView TitleBlockViewFor(int32_t titleBlockType, int32_t frameMargin);

// A DXF layer name as the window accepts it: "" when it will do, else the message to show. A name
// must not be empty and must not hold blanks at its ends, control characters or any of
// <>/\":;?*=` (which the DXF writer would have to replace).
std::string LayerNameProblem(const std::string& name);
// DXF colour numbers 1..255; 0 (by block) and anything else cannot stand in a layer table.
bool ValidLayerColour(int32_t colour);
// A colour cell as the window accepts it: "" or the message to show.
std::string LayerColourProblem(const std::string& typed);

// The command line that "Config" and "Edit" act on for a list row (-1 when none is selected):
// no selection and rows of 5 or more give the first line.
int32_t VentrixLineIndex(int32_t selectedRow);

// The colour chooser's names of colour numbers 1..16 (DOS code page).
std::string ColourName(int32_t number);

}  // namespace qorva
