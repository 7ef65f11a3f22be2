#include "graphics/diagrams.h"

#include <cmath>
#include <utility>

#include "foundation/cadsettings.h"
#include "foundation/programstate.h"
#include "foundation/utilmath.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "foundation/printsettings.h"
#include "graphics/diagramstate.h"
#include "graphics/cadkernel.h"
#include "platform/services.h"

namespace qorva {

namespace {

// More ticks than any paper can show: the tick loops stop there whatever the step says.
constexpr int32_t MaxTicks = 1000;

// Paper per value unit of one axis; 0 when the axis has no usable range, so that every value maps
// onto the origin instead of dividing by zero.
long double Scale(long double length, long double vmin, long double vmax) {
  const long double range = vmax - vmin;
  if (range == 0.0L || !std::isfinite(range)) return 0.0L;
  const long double s = length / range;
  return std::isfinite(s) ? s : 0.0L;
}

// Nice limits of one axis and whether their ticks can be drawn (a finite step that divides the
// range into a bounded number of ticks).
struct NiceAxis {
  long double min = 0.0L;
  long double max = 1.0L;
  long double step = 1.0L;
};

NiceAxis Nice(long double vmin, long double vmax) {
  NiceAxis a;
  NiceAxisRange(a.min, a.max, a.step, vmin, vmax, 6);
  // Ranges beyond what long double can subtract give no finite step; such an axis keeps its
  // limits with one interval (the values were not finite in the first place or overflow).
  if (!std::isfinite(a.min) || !std::isfinite(a.max) || !std::isfinite(a.step) || a.step <= 0.0L ||
      !(a.max > a.min)) {
    a.min = std::isfinite(vmin) ? vmin : 0.0L;
    a.max = std::isfinite(vmax) ? vmax : 0.0L;
    if (!(a.max > a.min) || !std::isfinite(a.max - a.min)) {
      a.min = 0.0L;
      a.max = 1.0L;
    }
    a.step = a.max - a.min;
  }
  return a;
}

// The tick values min, min + step, ... up to max, accumulated by addition. The loop ends half a step
// beyond max rather than at a fixed 1e-5, so tiny steps keep all their ticks and huge ones do not
// gain one beyond the axis through rounding.
template <typename F>
void ForEachTick(const NiceAxis& a, F&& f) {
  long double v = a.min;
  const long double end = a.max + a.step / 2.0L;
  for (int32_t i = 0; i <= MaxTicks && v < end; ++i) {
    f(v);
    const long double next = v + a.step;
    if (next == v) break;  // a step below the precision of v would never reach the end
    v = next;
  }
}

// A value point that can be mapped onto the paper.
bool Finite(long double x, long double y) { return std::isfinite(x) && std::isfinite(y); }

bool InsideWidened(long double x, long double y) {
  const DiagramState& d = diagramState;
  const long double mx = 0.01L * std::fabs(d.DiagramXRange);
  const long double my = 0.01L * std::fabs(d.DiagramYRange);
  const long double x0 = std::fmin(d.DiagramXMin, d.DiagramXMax);
  const long double x1 = std::fmax(d.DiagramXMin, d.DiagramXMax);
  const long double y0 = std::fmin(d.DiagramYMin, d.DiagramYMax);
  const long double y1 = std::fmax(d.DiagramYMin, d.DiagramYMax);
  return x0 - mx < x && x < x1 + mx && y0 - my < y && y < y1 + my;
}

// Liang-Barsky: cuts the segment to the rectangle; false when no part of it lies inside.
bool ClipToArea(long double& x1, long double& y1, long double& x2, long double& y2) {
  const DiagramState& d = diagramState;
  const long double xmin = std::fmin(d.DiagramXMin, d.DiagramXMax);
  const long double xmax = std::fmax(d.DiagramXMin, d.DiagramXMax);
  const long double ymin = std::fmin(d.DiagramYMin, d.DiagramYMax);
  const long double ymax = std::fmax(d.DiagramYMin, d.DiagramYMax);
  const long double dx = x2 - x1;
  const long double dy = y2 - y1;
  long double t0 = 0.0L, t1 = 1.0L;
  const long double p[4] = {-dx, dx, -dy, dy};
  const long double q[4] = {x1 - xmin, xmax - x1, y1 - ymin, ymax - y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0L) {
      if (q[i] < 0.0L) return false;  // parallel to this side and outside it
      continue;
    }
    const long double t = q[i] / p[i];
    if (p[i] < 0.0L) {
      if (t > t1) return false;
      if (t > t0) t0 = t;
    } else {
      if (t < t0) return false;
      if (t < t1) t1 = t;
    }
  }
  if (!(t0 < t1)) return false;  // also a segment that only touches a corner
  const long double nx1 = x1 + t0 * dx, ny1 = y1 + t0 * dy;
  const long double nx2 = x1 + t1 * dx, ny2 = y1 + t1 * dy;
  x1 = nx1;
  y1 = ny1;
  x2 = nx2;
  y2 = ny2;
  return true;
}

void SetDiagramLimitsKeepRange(long double xmin, long double ymin, long double xmax, long double ymax) {
  diagramState.DiagramXMin = xmin;
  diagramState.DiagramYMin = ymin;
  diagramState.DiagramXMax = xmax;
  diagramState.DiagramYMax = ymax;
  diagramState.DiagramXRange = xmax - xmin;
  diagramState.DiagramYRange = ymax - ymin;
}

}  // namespace


void DiagramReset() {
  const auto entered = diagramState.DiagramEnteredLimits;
  diagramState = DiagramState{};
  diagramState.DiagramEnteredLimits = entered;
  DiagramSetSize(160.0L, 120.0L);
  DiagramSetOrigin(0.0L, 0.0L);
}

void DiagramSetSize(long double xlen, long double ylen) {
  diagramState.DiagramXLength = xlen;
  diagramState.DiagramYLength = ylen;
}

void DiagramSetOrigin(long double x0, long double y0) {
  diagramState.DiagramXOrigin = x0;
  diagramState.DiagramYOrigin = y0;
}

void DiagramSetLimits(long double xmin, long double ymin, long double xmax, long double ymax) {
  // Equal limits would leave the mapping without a scale: widened as the axis rounding does.
  if (xmin == xmax) {
    xmin -= 1.0L;
    xmax += 1.0L;
  }
  if (ymin == ymax) {
    ymin -= 1.0L;
    ymax += 1.0L;
  }
  SetDiagramLimitsKeepRange(xmin, ymin, xmax, ymax);
}

void DiagramScaleLimits(long double fx, long double fy) {
  // A unit factor of 0 (a unit without a conversion) would make every limit infinite.
  if (fx != 0.0L && std::isfinite(fx)) {
    diagramState.DiagramXMin /= fx;
    diagramState.DiagramXMax /= fx;
  }
  if (fy != 0.0L && std::isfinite(fy)) {
    diagramState.DiagramYMin /= fy;
    diagramState.DiagramYMax /= fy;
  }
  diagramState.DiagramXRange = diagramState.DiagramXMax - diagramState.DiagramXMin;
  diagramState.DiagramYRange = diagramState.DiagramYMax - diagramState.DiagramYMin;
}

long double DiagramX(long double x) {
  const DiagramState& d = diagramState;
  return (x - d.DiagramXMin) * Scale(d.DiagramXLength, d.DiagramXMin, d.DiagramXMax) + d.DiagramXOrigin;
}

long double DiagramY(long double y) {
  const DiagramState& d = diagramState;
  return (y - d.DiagramYMin) * Scale(d.DiagramYLength, d.DiagramYMin, d.DiagramYMax) + d.DiagramYOrigin;
}

long double DiagramDX(long double dx) {
  return dx * Scale(diagramState.DiagramXLength, diagramState.DiagramXMin, diagramState.DiagramXMax);
}

long double DiagramDY(long double dy) {
  return dy * Scale(diagramState.DiagramYLength, diagramState.DiagramYMin, diagramState.DiagramYMax);
}

long double DiagramTextFactor() {
  const long double f = std::fmax(diagramState.DiagramXLength / 160.0L, diagramState.DiagramYLength / 110.0L);
  // A diagram without size keeps the lettering of the standard size rather than texts of height 0.
  return (f > 0.0L && std::isfinite(f)) ? f : 1.0L;
}

void DiagramMoveTo(long double x, long double y) {
  // A value that is no number has no place on the paper (a file would hold "nan"); the next
  // DiagramLineTo from it draws nothing either.
  if (Finite(x, y)) CadMoveTo(DiagramX(x), DiagramY(y));
  diagramState.DiagramLastX = x;
  diagramState.DiagramLastY = y;
}

void DiagramLineTo(long double x, long double y) {
  DiagramLine(diagramState.DiagramLastX, diagramState.DiagramLastY, x, y);
  diagramState.DiagramLastX = x;
  diagramState.DiagramLastY = y;
}

void DiagramLine(long double x1, long double y1, long double x2, long double y2) {
  if (!Finite(x1, y1) || !Finite(x2, y2)) return;
  // Points just beside the frame (curves ending on it through rounding) are drawn as they are.
  if (InsideWidened(x1, y1) && InsideWidened(x2, y2)) {
    DiagramLineUnclipped(x1, y1, x2, y2);
    return;
  }
  // Otherwise only the part inside the area, also for a segment that only crosses it.
  if (ClipToArea(x1, y1, x2, y2)) DiagramLineUnclipped(x1, y1, x2, y2);
}

void DiagramLineUnclipped(long double x1, long double y1, long double x2, long double y2) {
  CadLine(DiagramX(x1), DiagramY(y1), DiagramX(x2), DiagramY(y2));
}

void DiagramCircle(long double x, long double y, long double r) {
  if (Finite(x, y) && std::isfinite(r)) CadCircle(DiagramX(x), DiagramY(y), DiagramDY(r));
}

void DiagramMarker(long double x, long double y, long double r) {
  if (Finite(x, y) && std::isfinite(r)) CadCircle(DiagramX(x), DiagramY(y), r);
}

void DiagramText(const std::string& text, long double x, long double y) {
  if (Finite(x, y)) CadText(text, DiagramX(x), DiagramY(y));
}

void DiagramTextStyle(int32_t font, long double angle, long double height, long double width) {
  const long double f = DiagramTextFactor();
  CadTextStyle(font, angle, height * f, width * f);
}

void DiagramArrow(int32_t kind, long double x, long double y, long double size) {
  const long double h = size / 8.0L;
  if (kind == 1)
    CadSolid(x, y, x - size, y + h, x - size, y - h, x, y);
  else if (kind == 2)
    CadSolid(x, y, x - h, y - size, x + h, y - size, x, y);
}

bool DiagramLimitsQueryWanted() {
  return CadRequestedOutputAsksDiagramLimits() && desktopSettings.DiagramLimitsQuery && utilstr.ProgramParams.size() < 2;
}

void DiagramAxes(const std::string& xTitle, const std::string& yTitle, const std::string& title,
                 long double xmin, long double ymin, long double xmax, long double ymax, uint16_t /*style*/) {
  if (xmax < xmin) std::swap(xmin, xmax);
  if (ymax < ymin) std::swap(ymin, ymax);

  const DiagramState& d = diagramState;
  printSettings.SheetFormat = 1;
  CadSetColor(4);
  DiagramTextStyle(2, 0.0L, 3.5L, 2.5L);
  const long double n = static_cast<long double>(title.size());
  CadText(title, std::fmax(d.DiagramXOrigin, d.DiagramXOrigin + d.DiagramXLength / 2.0L - n * 3.5L / 2.0L),
          d.DiagramYOrigin + d.DiagramYLength + 3.0L);
  CadSetColor(17);

  NiceAxis ax = Nice(xmin, xmax);
  NiceAxis ay = Nice(ymin, ymax);

  if (DiagramLimitsQueryWanted()) {
    DiagramLimitsRequest req{xTitle, yTitle, title, ax.min, ay.min, ax.max, ay.max};
    // The dialog reports Cancel through ErrorFlag; a flag set before it belongs to the caller and
    // must neither turn OK into Cancel nor be lost.
    const bool flagBefore = programState.ErrorFlag;
    programState.ErrorFlag = false;
    const bool shown = services().DiagramLimitsDialog(req);
    const bool cancelled = !shown || programState.ErrorFlag;
    programState.ErrorFlag = flagBefore;
    if (!cancelled) {
      // Limits typed the wrong way round are ordered like the caller's: a mirrored axis would
      // end its ticks after the first one.
      const auto& e = diagramState.DiagramEnteredLimits;
      ax = Nice(std::fmin(e[0], e[2]), std::fmax(e[0], e[2]));
      ay = Nice(std::fmin(e[1], e[3]), std::fmax(e[1], e[3]));
    }
  }

  DiagramSetLimits(ax.min, ay.min, ax.max, ay.max);

  // x zero axis with its arrowhead, 5 % of the range beyond the frame.
  if (ay.min <= 0.0L && 0.0L <= ay.max) {
    const long double xe = ax.max + 0.05L * d.DiagramXRange;
    DiagramLineUnclipped(ax.min, 0.0L, xe, 0.0L);
    DiagramArrow(1, DiagramX(xe), DiagramY(0.0L), 0.04L * d.DiagramXLength);
  }

  DiagramTextStyle(2, 0.0L, 2.2L, 1.65L);
  ForEachTick(ax, [&](long double v) {
    DiagramLineUnclipped(v, ay.min, v, ay.min - 0.01L * d.DiagramYRange);
    const std::string s = RealStrAuto(v);
    DiagramText(s, v - static_cast<long double>(s.size()) * 0.01L * (ax.max - ax.min),
                ay.min - 0.05L * d.DiagramYRange);
  });
  DiagramText(xTitle, ax.max + 0.06L * (ax.max - ax.min), ay.min - 0.05L * d.DiagramYRange);

  if (ax.min <= 0.0L && 0.0L <= ax.max) {
    const long double ye = ay.max + 0.05L * d.DiagramYRange;
    DiagramLineUnclipped(0.0L, ay.min, 0.0L, ye);
    DiagramArrow(2, DiagramX(0.0L), DiagramY(ye), 0.04L * d.DiagramYLength);
  }

  DiagramTextStyle(2, 0.0L, 2.2L, 1.65L);
  ForEachTick(ay, [&](long double w) {
    DiagramLineUnclipped(ax.min, w, ax.min - 0.01L * d.DiagramXRange, w);
    DiagramText(RealStrAuto(w), ax.min - 0.1L * d.DiagramXRange, w - 0.01L * d.DiagramYRange);
  });
  DiagramText(yTitle, ax.min - 0.1L * d.DiagramXRange, ay.max + 0.07L * d.DiagramYRange);

  // Grid; the outermost lines are the frame.
  CadSetColor(17);
  CadSetLineStyle(1);
  ForEachTick(ax, [&](long double v) { DiagramLineUnclipped(v, ay.min, v, ay.max); });
  ForEachTick(ay, [&](long double w) { DiagramLineUnclipped(ax.min, w, ax.max, w); });
}

}  // namespace qorva
