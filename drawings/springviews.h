#pragma once
// springviews: every picture of a spring: the production drawing on an A4 sheet, the two
// summary pages "Quick 1" and "Quick 3", the force-travel, Goodman and Haigh-Goodman diagrams and
// the front and side views at full size. It draws nothing itself: every line and text goes through
// the CAD kernel, so one composition serves the screen and every CAD file format. Geometry is in
// millimetres; only texts are in the display unit system. No state of its own: every routine draws
// the spring it is given, and the view number of the choice prompt lives in programState.ViewChoice.

#include <cstdint>
#include <string>
#include <vector>

#include "spring/spring.h"

namespace qorva {

// The entries of the view choice and the argument view of DrawSpringView.
enum SpringView : uint16_t {
  ViewProduction = 1,   // "Fertigungszeichnung"
  ViewQuick1 = 2,       // "Quick 1"
  ViewForceTravel = 3,  // "Diagramm F - s"
  ViewGoodman = 4,      // "Goodman"
  ViewHaighGoodman = 5, // "Haigh-Goodman"
  ViewQuick3 = 6,       // "Quick 3"
  ViewFront = 7,        // "Feder VA"
  ViewSide = 8,         // "Feder SA"
  ViewBack = 9,         // "zurück ..": ends the choice
};

// One view of the spring s on the output device (a CadOutput code; None: the user chooses the
// output); view 0 offers the choice again and again until "zurück ..", a cancel or a failed pass.
// While the calculation stopped fatally the message list is offered instead and nothing is drawn.
void DrawSpringView(const Spring& s, uint16_t device, uint16_t view);
// The view chosen in the settings (ResultGraphic) of the spring s on the screen.
void RedrawCurrentView(const Spring& s);
// The view RedrawCurrentView draws for a ResultGraphic value.
uint16_t ViewOfResultGraphic(int32_t resultGraphic);

// The coil of s with its free strip end and the dimensions De, t and Di, about the coil centre (0, 0).
void DrawSpringFrontView(const Spring& s);
// The coil of s from the side with its axis and the dimension b.
void DrawSpringSideView(const Spring& s);

// Ruled value tables of the spring s, top-left corner at (x, y), text height h.
void DrawForceTable(const Spring& s, long double x, long double y, long double h);
void DrawDimensionTable(const Spring& s, long double x, long double y, long double h);
void DrawMaterialTable(const Spring& s, long double x, long double y, long double h);
// A cell text broken at blanks into lines of at most width characters (a longer word is cut).
std::vector<std::string> WrapCellText(const std::string& text, std::size_t width);
// The force-travel diagram of s, lower-left corner of the axes at (x0, y0), axis lengths in mm.
void DrawCharacteristic(const Spring& s, long double x0, long double y0, long double xlen, long double ylen);

// The entity part of the views 2, 6 and 1 of the spring s (their blocks must be defined).
void DrawQuick1Page(const Spring& s);
void DrawQuick3Page(const Spring& s);
void DrawProductionPage(const Spring& s);

}  // namespace qorva
