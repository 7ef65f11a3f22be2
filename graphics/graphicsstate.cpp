// graphicsstate: recording drawing calls into the display list and the coordinate state of the window.
#include "graphics/graphicsstate.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>

#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"

namespace qorva {

GraphicsState graphicsState;

namespace {

constexpr long double DegToRad = std::numbers::pi_v<long double> / 180.0L;

// A state record goes into the list only when it changes the state in force.
template <class T>
void AppendState(T& current, T value, DisplayRecordType type) {
  if (value == current) return;
  graphicsState.DisplayList.AddValue(type, value);
  current = value;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Integer of a whole field, 0 when it is none (as the program's StrToInt0).
int32_t FieldInt0(std::string_view s) {
  s = Trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  int32_t v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || s.empty()) return 0;
  return v;
}

// Panning and zooming far out run against the ends of the pixel range, never past them.
int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

GraphWindowHost* graphWindowHost() { return services().GraphWindow().value_or(nullptr); }

void InitGraphicsState() {
  graphicsState = GraphicsState{};
  ApplyGraphicsStartValues();
}

void GraphicsWindowCreate() {
  DisplayRecordList list = std::move(graphicsState.DisplayList);
  const bool printing = graphicsState.GraphPrinting;
  InitGraphicsState();
  graphicsState.DisplayList = std::move(list);
  graphicsState.GraphPrinting = printing;
  graphicsState.CurrentColor = -1;
  graphicsState.CurrentLineStyle = 99;
  graphicsState.CurrentLineWidth = 1;
  graphicsState.RubberBandActive = false;
  graphicsState.DoubleClicked = false;
}

// ---- Numbers ----

int32_t Nint(long double v) {
  if (std::isnan(v)) return 0;
  // Pixel values: a double rounds far faster and differs only a hair's breadth from a tie.
  if (std::fabs(v) < 2147483647.0L) return static_cast<int32_t>(std::nearbyint(static_cast<double>(v)));
  const long double r = std::nearbyint(v);  // the default rounding mode: a half to the even one
  if (r >= static_cast<long double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (r <= static_cast<long double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}

std::string GraphRealStr(long double x) {
  // A value that is no number would make the record unreadable; it is drawn at 0.
  if (x == 0.0L || !std::isfinite(x)) return "0";
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 7);
  std::string_view sci(buf, static_cast<std::size_t>(r.ptr - buf));  // [-]d.dddddddE[+-]xx
  const bool negative = sci.front() == '-';
  if (negative) sci.remove_prefix(1);
  const std::size_t epos = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, epos))
    if (c != '.') digits += c;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  int exp = 0;
  std::string_view es = sci.substr(epos + 1);
  if (!es.empty() && es.front() == '+') es.remove_prefix(1);
  std::from_chars(es.data(), es.data() + es.size(), exp);
  return DisplayNumberText(negative, digits, exp);
}

bool GraphStrToReal(std::string_view s, long double& x) {
  s = Trim(s);
  if (s.empty()) return false;
  char buf[128];
  if (s.size() >= sizeof buf) return false;
  std::size_t n = 0;
  for (char c : s) buf[n++] = c == ',' ? '.' : c;
  const char* b = buf;
  if (*b == '+') ++b;
  // Records carry at most 8 significant digits: a double holds them exactly and reads far faster.
  double v = 0.0;
  auto r = std::from_chars(b, buf + n, v, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != buf + n) return false;
  x = v;
  return true;
}

// ---- Drawing area ----

void SetWindow(bool aspect, bool border, long double vx1, long double vy1, long double vx2, long double vy2,
               long double x1, long double y1, long double x2, long double y2) {
  const long double R = programState.GraphResX;
  const long double S = programState.GraphResY;
  graphicsState.ViewPortX1 = Nint(R * vx1);
  graphicsState.ViewPortX2 = Nint(R * vx2);
  graphicsState.ViewPortY1 = Nint(S * (1.0L - vy2));
  graphicsState.ViewPortY2 = Nint(S * (1.0L - vy1));
  if (border) {
    ++graphicsState.ViewPortX1;
    ++graphicsState.ViewPortY1;
    --graphicsState.ViewPortX2;
    --graphicsState.ViewPortY2;
  }
  graphicsState.DisplayList.AddWindow({graphicsState.ViewPortX1, graphicsState.ViewPortY1, graphicsState.ViewPortX2, graphicsState.ViewPortY2},
                                 {x1, y1, x2, y2});
  graphicsState.WorldX1 = x1;
  graphicsState.WorldY1 = y1;
  graphicsState.WorldX2 = x2;
  graphicsState.WorldY2 = y2;
  graphicsSettings.EqualAspect = aspect;
  if (x1 == x2 || y1 == y2) {
    programState.ErrorFlag = true;
    return;
  }
  SetScale(graphicsState.ViewPortX1, graphicsState.ViewPortY1, graphicsState.ViewPortX2, graphicsState.ViewPortY2);
}

void Header(long double x1, long double y1, long double x2, long double y2) {
  // The zoom aspect (the x scale that fills the window over the one equal aspect leaves) comes from
  // the drawing before; without a size of its own (or of the window) it keeps the value it has.
  const long double w = graphicsState.WorldX2 - graphicsState.WorldX1;
  const long double h = graphicsState.WorldY2 - graphicsState.WorldY1;
  if (programState.GraphResX > 0 && programState.GraphResY > 0 && w != 0.0L && h != 0.0L) {
    graphicsSettings.ZoomAspect = static_cast<long double>(programState.GraphResX) / w / (programState.GraphResY / h);
  }
  SetWindow(true, true, 0, 0, 1, 1, x1, y1, x2, y2);
  SetLineStyle(0);
  SaveLimit();
}

void ReSetWindow() {
  SetWindow(false, false, 0, 0, 1, 1, 0, 0, 1, 1);
  ResetZoom();
}

void SaveLimit() {
  graphicsState.SavedLimit = {graphicsState.WorldX1, graphicsState.WorldY1, graphicsState.WorldX2, graphicsState.WorldY2};
}

void RestoreLimit() {
  const auto& s = graphicsState.SavedLimit;
  SetWindow(true, true, 0, 0, 1, 1, s[0], s[1], s[2], s[3]);
}

void SaveViewPort() {
  graphicsState.SavedViewPort = {graphicsState.ViewPortX1, graphicsState.ViewPortY1, graphicsState.ViewPortX2, graphicsState.ViewPortY2};
}

void RetrieveViewPort() {
  graphicsState.ViewPortX1 = graphicsState.SavedViewPort[0];
  graphicsState.ViewPortY1 = graphicsState.SavedViewPort[1];
  graphicsState.ViewPortX2 = graphicsState.SavedViewPort[2];
  graphicsState.ViewPortY2 = graphicsState.SavedViewPort[3];
}

void SetScale(int32_t px1, int32_t py1, int32_t px2, int32_t py2) {
  if (px2 == px1 || py2 == py1) return;
  const long double vw = static_cast<long double>(graphicsState.ViewPortX2) - graphicsState.ViewPortX1;
  const long double vh = static_cast<long double>(graphicsState.ViewPortY2) - graphicsState.ViewPortY1;
  // A viewport or world window without extent gives no scale; the one in force stays.
  if (vw == 0.0L || vh == 0.0L) return;
  const long double ww = graphicsState.WorldX2 - graphicsState.WorldX1;
  const long double wh = graphicsState.WorldY2 - graphicsState.WorldY1;
  if (ww == 0.0L || wh == 0.0L) return;
  graphicsSettings.ZoomPixelX1 = px1;
  graphicsSettings.ZoomPixelY1 = py1;
  graphicsSettings.ZoomPixelX2 = px2;
  graphicsSettings.ZoomPixelY2 = py2;
  auto ld = [](int32_t v) { return static_cast<long double>(v); };
  graphicsSettings.VisibleXMin = graphicsState.WorldX1 + (ld(px1) - graphicsState.ViewPortX1) / vw * ww;
  graphicsSettings.VisibleXMax = graphicsState.WorldX1 + (ld(px2) - graphicsState.ViewPortX1) / vw * ww;
  graphicsSettings.VisibleYMin = graphicsState.WorldY1 + (ld(py1) - graphicsState.ViewPortY1) / vh * wh;
  graphicsSettings.VisibleYMax = graphicsState.WorldY1 + (ld(py2) - graphicsState.ViewPortY1) / vh * wh;
  graphicsState.ScaleX = vw / (graphicsSettings.VisibleXMax - graphicsSettings.VisibleXMin);
  graphicsState.ScaleY = vh / (graphicsSettings.VisibleYMax - graphicsSettings.VisibleYMin);
  // Equal aspect: one world unit is as many pixels across as down (pixels are square), whatever the
  // window's shape; the smaller scale wins so that the drawing fits.
  if (graphicsSettings.EqualAspect && programState.GraphResX > 0 && programState.GraphResY > 0) {
    if (graphicsState.ScaleX >= graphicsState.ScaleY)
      graphicsState.ScaleX = graphicsState.ScaleY;
    else
      graphicsState.ScaleY = graphicsState.ScaleX;
  }
}

void ResetZoom() { SetScale(graphicsState.ViewPortX1, graphicsState.ViewPortY1, graphicsState.ViewPortX2, graphicsState.ViewPortY2); }

void Regen() {
  RestoreLimit();
  SetWindow(true, true, 0, 0, 1, 1, 0, 0, 1, 1);
  ResetZoom();
  SetScale(graphicsSettings.ZoomPixelX1, graphicsSettings.ZoomPixelY1, graphicsSettings.ZoomPixelX2, graphicsSettings.ZoomPixelY2);
  ClearViewPort();
}

long double EinX(long double f) { return f * (graphicsState.WorldX2 - graphicsState.WorldX1); }
long double EinY(long double f) { return f * (graphicsState.WorldY2 - graphicsState.WorldY1); }

// ---- World to pixel ----

// A view panned far off the drawing maps it to the ends of the pixel range, not past them.
int32_t GraphCol(long double x) {
  return Clamp32(int64_t{Nint((x - graphicsSettings.VisibleXMin) * graphicsState.ScaleX)} + graphicsState.ViewPortX1);
}
int32_t GraphRow(long double y) {
  return Clamp32(int64_t{graphicsState.ViewPortY2} - Nint((y - graphicsSettings.VisibleYMin) * graphicsState.ScaleY));
}
int32_t GraphLenX(long double w) { return Nint(graphicsState.ScaleX * w); }
int32_t GraphLenY(long double h) { return Nint(graphicsState.ScaleY * h); }

// ---- Recording ----

void circle(long double x, long double y, long double r) {
  graphicsState.DisplayList.AddCircle(x, y, r);
}

void line(long double x1, long double y1, long double x2, long double y2) {
  graphicsState.DisplayList.AddLine(x1, y1, x2, y2);
}

void Arc(long double x, long double y, long double a1, long double a2, long double r) {
  const long double turn = a2 - a1;
  long double sweep = std::fmod(turn, 360.0L);
  if (sweep < 0.0L) sweep += 360.0L;
  // A whole number of turns between different angles is the full circle, not a chord of length 0.
  constexpr long double eps = 1e-9L;
  if (std::fabs(turn) > 360.0L - eps && (sweep < eps || sweep > 360.0L - eps)) {
    circle(x, y, r);
    return;
  }
  const long double c1 = std::cos(a1 * DegToRad), s1 = std::sin(a1 * DegToRad);
  const long double c2 = std::cos(a2 * DegToRad), s2 = std::sin(a2 * DegToRad);
  if (sweep < 4.0L) {
    line(x + r * c1, y + r * s1, x + r * c2, y + r * s2);
    return;
  }
  graphicsState.DisplayList.AddEight(RecArc, {x - r, y - r, x + r, y + r, x + r * c1, y + r * s1, x + r * c2, y + r * s2});
}

void OutTextXY(long double x, long double y, const std::string& text) {
  graphicsState.DisplayList.AddText(x, y, text);
}

void Solid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
           long double x4, long double y4) {
  graphicsState.DisplayList.AddEight(RecSolid, {x1, y1, x2, y2, x3, y3, x4, y4});
}

void Rectangle(long double x1, long double y1, long double x2, long double y2) {
  line(x1, y1, x2, y1);
  line(x2, y1, x2, y2);
  line(x2, y2, x1, y2);
  line(x1, y2, x1, y1);
}

void SetColor(int32_t c) {
  if (c > static_cast<int32_t>(graphicsSettings.MaxColorIndex)) return;
  AppendState(graphicsState.CurrentColor, c, RecColor);
}

void SetLineStyle(uint16_t s) { AppendState(graphicsState.CurrentLineStyle, s, RecLineStyle); }

void SetLineStyleName(const std::string& name) {
  uint16_t s = 0;
  if (name == "DOTTED" || name == "PUNKT")
    s = 1;
  else if (name == "CENTER" || name == "DASHDOT" || name == "STRICHPUNKT")
    s = 2;
  else if (name == "DASHED" || name == "HIDDEN" || name == "VERDECKT")
    s = 3;
  SetLineStyle(s);
}

void SetLineWidth(uint16_t w) { AppendState(graphicsState.CurrentLineWidth, w, RecLineWidth); }

void SetTextStyle(int32_t font, long double angle, long double height, long double width) {
  graphicsState.DisplayList.AddTextStyle(height, width, font, angle);
}

void SleepMs(int32_t ms) {
  graphicsState.DisplayList.AddValue(RecSleep, ms);
}

// ---- Canvas ----

void MoveTo(long double x, long double y) {
  if (GraphWindowHost* host = graphWindowHost()) host->CanvasMoveTo(GraphCol(x), GraphRow(y));
}

void LineTo(long double x, long double y) {
  if (GraphWindowHost* host = graphWindowHost()) host->CanvasLineTo(GraphCol(x), GraphRow(y));
}

void DrawRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (GraphWindowHost* host = graphWindowHost()) host->CanvasRectangle(x1, y1, x2, y2);
}

// ---- Display ----

void Clear() {
  graphicsState.DisplayList.clear();
  if (GraphWindowHost* host = graphWindowHost()) host->RequestRepaint();
}

void ClearViewPort() {
  SetWaitCursor();
  if (GraphWindowHost* host = graphWindowHost()) host->RequestRepaint();
}

int32_t GetColor() { return graphicsState.CurrentColor; }

int32_t GetDirection(long double angle) {
  return ((angle > 45.0L && angle < 135.0L) || (angle > 225.0L && angle < 315.0L) ||
          (angle > -135.0L && angle < -45.0L))
             ? 1
             : 0;
}

void SetWaitCursor() {
  if (GraphWindowHost* host = graphWindowHost()) host->SetWaitCursor(true);
}

void SetOldCursor() {
  if (GraphWindowHost* host = graphWindowHost()) host->SetWaitCursor(false);
}

void SetTextSizeMode(int32_t mode) { graphicsState.TextSizeMode = mode; }

void DrawKwendalLogo() {
  // The maker's mark: a block letter K beside a wound strip, on a sheet of 160 by 120.
  Header(0, 0, 160, 120);
  SetLineStyle(0);
  SetColor(9);
  Solid(40, 30, 52, 30, 52, 90, 40, 90);     // stem of the K
  Solid(52, 58, 84, 90, 98, 90, 60, 52);     // upper arm
  Solid(58, 62, 84, 30, 98, 30, 66, 64);     // lower leg
  SetColor(13);
  Solid(104, 30, 120, 30, 120, 34, 104, 34);  // the strip leaving the coil
  Solid(116, 34, 120, 34, 120, 86, 116, 86);
  Solid(104, 86, 120, 86, 120, 90, 104, 90);
  Solid(104, 46, 108, 46, 108, 86, 104, 86);
  SetColor(9);
  MoveTo(0, 0);
}

// ---- Zoom and pan ----


ZoomRectangle CurrentZoomRectangle() {
  return ZoomRectangle{graphicsSettings.ZoomPixelX1, graphicsSettings.ZoomPixelY1, graphicsSettings.ZoomPixelX2, graphicsSettings.ZoomPixelY2};
}

bool RubberBandZoom(const ZoomRectangle& z, int32_t sx, int32_t sy, int32_t ex, int32_t ey, int32_t cw, int32_t ch,
                    long double m, ZoomRectangle& out) {
  if (sx == ex || sy == ey || cw <= 0 || ch <= 0) return false;
  const long double xa = std::min(sx, ex), xb = std::max(sx, ex);
  const long double ya = std::min(sy, ey), yb = std::max(sy, ey);
  const long double zw = static_cast<long double>(z.x2) - z.x1, zh = static_cast<long double>(z.y2) - z.y1;
  out.x1 = Nint(m * (xa / cw * zw + z.x1));
  out.x2 = Nint(m * (xb / cw * zw + z.x1));
  out.y1 = Nint((ch - yb) / ch * zh + z.y1);
  out.y2 = Nint((ch - ya) / ch * zh + z.y1);
  return true;
}

ZoomRectangle PanZoom(const ZoomRectangle& z, int32_t dx, int32_t dy, int32_t steps, long double panFactor) {
  const int32_t px = Nint((static_cast<long double>(z.x2) - z.x1) * panFactor);
  const int32_t py = Nint((static_cast<long double>(z.y2) - z.y1) * panFactor * steps);
  // The rectangle moves against the drawing: what is shown moves the way of the key.
  const int64_t mx = dx > 0 ? -px : (dx < 0 ? px : 0);
  const int64_t my = dy > 0 ? -py : (dy < 0 ? py : 0);
  return ZoomRectangle{Clamp32(z.x1 + mx), Clamp32(z.y1 + my), Clamp32(z.x2 + mx), Clamp32(z.y2 + my)};
}

ZoomRectangle StepZoom(const ZoomRectangle& z, bool in, long double zoomFactor) {
  const int64_t cx = (int64_t{z.x1} + z.x2) / 2, cy = (int64_t{z.y1} + z.y2) / 2;  // truncating toward zero
  const long double w = static_cast<long double>(z.x2) - z.x1, h = static_cast<long double>(z.y2) - z.y1;
  // A factor that is no positive number (a damaged configuration) would divide by zero or turn the
  // view inside out: that step leaves the view.
  if (!(zoomFactor > 0.0L) || !std::isfinite(zoomFactor)) return z;
  const int64_t hx = Nint(in ? w / zoomFactor : w * zoomFactor) / 2;
  const int64_t hy = Nint(in ? h / zoomFactor : h * zoomFactor) / 2;
  return ZoomRectangle{Clamp32(cx - hx), Clamp32(cy - hy), Clamp32(cx + hx), Clamp32(cy + hy)};
}

namespace {

void SetZoom(const ZoomRectangle& z) { SetScale(z.x1, z.y1, z.x2, z.y2); }

void InvertRubberBand() {
  const GraphicsState& k = graphicsState;
  // A band of no size yet has nothing to show.
  if (k.RubberStartX == k.RubberEndX && k.RubberStartY == k.RubberEndY) return;
  if (GraphWindowHost* host = graphWindowHost()) host->CanvasInvertRectangle(k.RubberStartX, k.RubberStartY, k.RubberEndX, k.RubberEndY);
}

}  // namespace

void FormMouseDown(GraphMouseButton button, int32_t x, int32_t y) {
  if (button == GraphMouseButton::Right) {
    ResetZoom();
    ClearViewPort();
  } else if (button == GraphMouseButton::Left && graphicsState.DoubleClicked) {
    // The whole view: every drawing area fills its viewport.
    RestoreLimit();
    ResetZoom();
    ReSetWindow();
    ClearViewPort();
  } else if (button == GraphMouseButton::Left && !graphicsState.RubberBandActive) {
    graphicsState.RubberBandActive = true;
    graphicsState.RubberStartX = graphicsState.RubberEndX = x;
    graphicsState.RubberStartY = graphicsState.RubberEndY = y;
  }
  graphicsState.DoubleClicked = false;
}

void FormMouseMove(int32_t x, int32_t y) {
  if (!graphicsState.RubberBandActive) return;
  InvertRubberBand();  // erases the band drawn before
  graphicsState.RubberEndX = x;
  graphicsState.RubberEndY = y;
  InvertRubberBand();
}

void FormMouseUp(int32_t x, int32_t y, int32_t cw, int32_t ch) {
  if (!graphicsState.RubberBandActive) return;
  graphicsState.RubberEndX = x;
  graphicsState.RubberEndY = y;
  graphicsState.RubberBandActive = false;
  const long double m = graphicsSettings.EqualAspect ? graphicsSettings.ZoomAspect : 1.0L;
  ZoomRectangle z;
  if (!RubberBandZoom(CurrentZoomRectangle(), graphicsState.RubberStartX, graphicsState.RubberStartY, x, y, cw, ch, m, z))
    return;
  SetWaitCursor();
  SetZoom(z);
  ClearViewPort();  // the repaint also removes the band
}

void FormDblClick() { graphicsState.DoubleClicked = true; }

bool processKey(uint16_t key) {
  // The key pair, DOS style: "+" or "-" for the zoom keys, else character 0 and a scan letter.
  char scan = 0;
  switch (key) {
    case VkEscape:
    case VkF5: scan = '?'; break;
    case VkPageUp: scan = 'I'; break;
    case VkPageDown: scan = 'Q'; break;
    case VkLeft: scan = 'K'; break;
    case VkUp: scan = 'H'; break;
    case VkRight: scan = 'M'; break;
    case VkDown: scan = 'P'; break;
    case VkAdd:
    case VkSubtract: scan = ' '; break;
    default: return false;
  }
  programState.LastKey = key == VkAdd ? '+' : (key == VkSubtract ? '-' : '\0');
  programState.LastScanKey = scan;
  // The repaint asked for here runs after the handler, so it shows the step applied below.
  if (scan == '?') ResetZoom();
  ClearViewPort();
  const ZoomRectangle z = CurrentZoomRectangle();
  switch (key) {
    case VkEscape:
    case VkF5: ResetZoom(); break;
    case VkPageUp: SetZoom(PanZoom(z, 0, 1, 5, graphicsSettings.PanFactor)); break;
    case VkPageDown: SetZoom(PanZoom(z, 0, -1, 5, graphicsSettings.PanFactor)); break;
    case VkLeft: SetZoom(PanZoom(z, -1, 0, 1, graphicsSettings.PanFactor)); break;
    case VkUp: SetZoom(PanZoom(z, 0, 1, 1, graphicsSettings.PanFactor)); break;
    case VkRight: SetZoom(PanZoom(z, 1, 0, 1, graphicsSettings.PanFactor)); break;
    case VkDown: SetZoom(PanZoom(z, 0, -1, 1, graphicsSettings.PanFactor)); break;
    case VkAdd: SetZoom(StepZoom(z, true, graphicsSettings.ZoomFactor)); break;
    case VkSubtract: SetZoom(StepZoom(z, false, graphicsSettings.ZoomFactor)); break;
    default: break;
  }
  return true;
}

// ---- Reading records ----

namespace {

int Orientation(long double ax, long double ay, long double bx, long double by, long double cx, long double cy) {
  const long double v = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
  return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

// True when segments p-q and r-s cross at a point inside both.
bool Cross(const std::array<long double, 9>& f, int p, int q, int r, int s) {
  auto x = [&](int i) { return f[2 * i - 1]; };
  auto y = [&](int i) { return f[2 * i]; };
  const int o1 = Orientation(x(p), y(p), x(q), y(q), x(r), y(r));
  const int o2 = Orientation(x(p), y(p), x(q), y(q), x(s), y(s));
  const int o3 = Orientation(x(r), y(r), x(s), y(s), x(p), y(p));
  const int o4 = Orientation(x(r), y(r), x(s), y(s), x(q), y(q));
  return o1 * o2 < 0 && o3 * o4 < 0;
}

}  // namespace

std::array<int, 4> SolidOutline(const std::array<long double, 9>& f) {
  if (Cross(f, 2, 3, 4, 1)) return {1, 2, 4, 3};
  if (Cross(f, 1, 2, 3, 4)) return {1, 3, 2, 4};
  return {1, 2, 3, 4};
}

bool ReadDisplayRecord(std::string_view rec, DisplayRecordFields& fields, std::string& bad) {
  std::size_t semi = rec.find(';');
  const int32_t type = FieldInt0(rec.substr(0, semi));
  std::string_view rest = semi == std::string_view::npos ? std::string_view() : rec.substr(semi + 1);
  fields.type = (type >= 1 && type <= 13) ? type : 0;
  if (fields.type == 0) return true;
  if (type == RecColor || type >= RecLineStyle) {
    fields.value = FieldInt0(rest);
    return true;
  }
  // A field up to the next ";" (a missing ";" fails like a bad number) or the rest of the line.
  auto upToSemicolon = [&](long double& out) {
    const std::size_t p = rest.find(';');
    std::string_view field = p == std::string_view::npos ? rest : rest.substr(0, p);
    if (p == std::string_view::npos || !GraphStrToReal(field, out)) {
      bad.assign(field);
      return false;
    }
    rest.remove_prefix(p + 1);
    return true;
  };
  auto restOfLine = [&](long double& out) {
    if (!GraphStrToReal(rest, out)) {
      bad.assign(rest);
      return false;
    }
    return true;
  };
  auto& f = fields.f;
  if (!upToSemicolon(f[1]) || !upToSemicolon(f[2])) return false;
  switch (type) {
    case RecCircle:
      return restOfLine(fields.r);
    case RecLine:
      return upToSemicolon(f[3]) && restOfLine(f[4]);
    case RecArc:
    case RecSolid:
    case RecWindow:
      for (int i = 3; i <= 7; ++i)
        if (!upToSemicolon(f[i])) return false;
      return restOfLine(f[8]);
    case RecText:
      fields.text.assign(rest);
      return true;
    case RecTextStyle: {
      const std::size_t p = rest.find(';');
      if (p == std::string_view::npos) {
        bad.assign(rest);
        return false;
      }
      rest.remove_prefix(p + 1);
      return restOfLine(fields.angle);
    }
    default:
      return true;  // move-to and line-to
  }
}

}  // namespace qorva
