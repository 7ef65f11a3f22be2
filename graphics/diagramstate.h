#pragma once
// diagramstate: the one diagram state of the diagram library (paper size and position of the diagram,
// its value limits, the last point of a polyline) and the limits last confirmed in the limits
// dialog. One diagram at a time; every drawing starts with DiagramReset (diagrams).

#include <array>

namespace qorva {

struct DiagramState {
  // DiagramCoords
  long double DiagramXLength = 160.0L;  // paper length of the x axis, mm
  long double DiagramYLength = 120.0L;  // paper length of the y axis, mm
  long double DiagramXOrigin = 0.0L;    // paper position of the value point (xmin, ymin), mm
  long double DiagramYOrigin = 0.0L;
  long double DiagramXMin = 0.0L;
  long double DiagramXMax = 160.0L;
  long double DiagramYMin = 100.0L;
  long double DiagramYMax = 120.0L;
  long double DiagramXRange = 1.0L;  // xmax - xmin, recomputed by DiagramSetLimits/DiagramScaleLimits
  long double DiagramYRange = 1.0L;
  long double DiagramLastX = 0.0L;  // last point of DiagramMoveTo/DiagramLineTo, in values
  long double DiagramLastY = 0.0L;
  // xmin, ymin, xmax, ymax last confirmed in the limits dialog; lives for the whole run.
  std::array<long double, 4> DiagramEnteredLimits = {0.0L, 0.0L, 1.0L, 1.0L};
};

extern DiagramState diagramState;
// Program start: diagram defaults and DiagramEnteredLimits 0, 0, 1, 1.
void InitDiagramState();

}  // namespace qorva
