#pragma once
// diagrams: x-y diagrams drawn through the CAD kernel on whatever output is open. Values are mapped
// onto a paper rectangle (diagramState); axis limits are rounded outward to nice values; curves are
// clipped to the diagram area. Calling order per diagram: DiagramSetSize, DiagramSetOrigin,
// DiagramAxes (limits in display units), DiagramScaleLimits when the data are in other units, then
// curves, markers and texts.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/services.h"

namespace qorva {

// The limits dialog is the service DiagramLimitsDialog (platform/services.h), offered the titles
// (DOS code page) and the proposed nice limits; it reads and writes diagramState.DiagramEnteredLimits and
// sets programState.ErrorFlag when cancelled. Cancelled or not there: the computed limits are used.

void DiagramReset();
void DiagramSetSize(long double xlen, long double ylen);
void DiagramSetOrigin(long double x0, long double y0);
// Stores the limits. Equal limits are widened so the mapping stays defined.
void DiagramSetLimits(long double xmin, long double ymin, long double xmax, long double ymax);
// Divides the x limits by fx and the y limits by fy (a factor of 0 or not finite is ignored).
void DiagramScaleLimits(long double fx, long double fy);

// Value -> paper mm.
long double DiagramX(long double x);
long double DiagramY(long double y);
long double DiagramDX(long double dx);
long double DiagramDY(long double dy);
// Text size factor: max(xlen / 160, ylen / 110).
long double DiagramTextFactor();

void DiagramMoveTo(long double x, long double y);
void DiagramLineTo(long double x, long double y);
// Line clipped to the diagram area (a 1 % margin is allowed for segments wholly near the area).
void DiagramLine(long double x1, long double y1, long double x2, long double y2);
void DiagramLineUnclipped(long double x1, long double y1, long double x2, long double y2);
void DiagramCircle(long double x, long double y, long double r);  // r in y units
void DiagramMarker(long double x, long double y, long double r);  // r in paper mm
void DiagramText(const std::string& text, long double x, long double y);
void DiagramTextStyle(int32_t font, long double angle, long double height, long double width);
// Filled arrowhead with its tip at the paper point (x, y): kind 1 points to +x, kind 2 to +y.
void DiagramArrow(int32_t kind, long double x, long double y, long double size);
// Rounds the limits, offers the limits dialog where wanted, sets the limits and draws the title,
// axes, ticks, tick values, axis titles, zero axes and grid.
void DiagramAxes(const std::string& xTitle, const std::string& yTitle, const std::string& title,
                 long double xmin, long double ymin, long double xmax, long double ymax, uint16_t style);
// True when DiagramAxes would offer the limits dialog (a dialog is installed or not).
bool DiagramLimitsQueryWanted();

}  // namespace qorva
