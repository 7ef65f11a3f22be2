#pragma once
// graphicsstate: the graphics window's display list and coordinate state. Every drawing call appends one
// record to DisplayList (graphics/displaylist, read back as "type;fields" text); the window replays
// the list whenever it paints (graphics/ui). This part holds no Qt: it records, maps world to pixels,
// zooms and pans by mouse and key, and reads records back, so drawings and views can be made and
// checked without a window. The window is reached through the service GraphWindow for repaints, the
// cursor and the few operations that draw straight onto its canvas.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/services.h"
#include "graphics/displaylist.h"

namespace qorva {

// One drawing call: the type code, then its fields, each separated by ";".
using DisplayListRecord = std::string;

// Record type codes.
enum DisplayRecordType : int32_t {
  RecMoveTo = 1,      // x; y;
  RecLineTo = 2,      // x; y;
  RecCircle = 3,      // x; y; r
  RecLine = 4,        // x1; y1; x2; y2
  RecArc = 5,         // xa; ya; xb; yb; xs; ys; xe; ye (box corners, start and end point, ccw)
  RecText = 6,        // x; y; text (the rest of the line)
  RecSolid = 7,       // four corners in outline order
  RecColor = 8,       // c
  RecTextStyle = 9,   // height; width; font; angle
  RecWindow = 10,     // px1; py1; px2; py2; x1; y1; x2; y2
  RecLineStyle = 11,  // s
  RecLineWidth = 12,  // w
  RecSleep = 13,      // ms
};

// The graphics window (services().GraphWindow), nullptr in a run without a window (batch runs,
// tests): records are appended all the same and the canvas operations do nothing.
GraphWindowHost* graphWindowHost();

struct GraphicsState {
  DisplayRecordList DisplayList;
  bool GraphPrinting = false;  // while set, the replay draws on the printer as well
  // Pixel viewport: left and right column, top and bottom row of the client area.
  int32_t ViewPortX1 = 0;
  int32_t ViewPortY1 = 0;
  int32_t ViewPortX2 = 1;
  int32_t ViewPortY2 = 1;
  // World window: left, bottom, right, top edge.
  long double WorldX1 = 0.0L;
  long double WorldY1 = 0.0L;
  long double WorldX2 = 1.0L;
  long double WorldY2 = 1.0L;
  std::array<int32_t, 4> SavedViewPort{0, 0, 1, 1};
  std::array<long double, 4> SavedLimit{0.0L, 0.0L, 1.0L, 1.0L};  // x1, y1, x2, y2
  long double ScaleX = 1.0L;  // pixels per world unit
  long double ScaleY = 1.0L;
  int32_t RubberStartX = 0;
  int32_t RubberStartY = 0;
  int32_t RubberEndX = 0;
  int32_t RubberEndY = 0;

  // Fields of the one graphics window object. They are zero until the window's own creation
  // runs (GraphicsWindowCreate); the main window replaces that step, so there they stay zero.
  int32_t TextSizeMode = 0;
  bool RubberBandActive = false;
  bool DoubleClicked = false;
  int32_t CurrentColor = 0;       // only to leave out records that repeat the state in force
  uint16_t CurrentLineStyle = 0;
  uint16_t CurrentLineWidth = 0;
};

extern GraphicsState graphicsState;

// Module start values (the window fields zero, the list empty) and the graphics start values of
// the settings (ZoomFactor 1.2, PanFactor 0.05, GraphCorrectionX 1.0, ZoomAspect 1.0).
void InitGraphicsState();
// The graphics window's creation: the start values again, CurrentColor -1, CurrentLineStyle 99,
// CurrentLineWidth 1, both mouse flags cleared.
void GraphicsWindowCreate();

// ---- Numbers of the records ----

// Nearest integer, a half to the even neighbour; clamped to the 32-bit range.
int32_t Nint(long double v);
// General format with at most 8 significant digits and "." whatever the locale:
// 12.5, -0.001, 1.5E-06, 1.2345679E08, 0.
std::string GraphRealStr(long double x);
// A whole field as a real ("." or ","); false for anything else (blank, empty, trailing text).
bool GraphStrToReal(std::string_view s, long double& x);

// ---- Setting up the drawing area ----

// Viewport from fractions of the client area (y from the bottom), a window record, the world
// window, EqualAspect := aspect, then the zoom reset. A world window without width or height sets
// ErrorFlag and keeps the scales.
void SetWindow(bool aspect, bool border, long double vx1, long double vy1, long double vx2, long double vy2,
               long double x1, long double y1, long double x2, long double y2);
// New drawing area with equal aspect, one-pixel border and the whole client area.
void Header(long double x1, long double y1, long double x2, long double y2);
void ReSetWindow();
void SaveLimit();
void RestoreLimit();
void SaveViewPort();
void RetrieveViewPort();
// Zoom rectangle in viewport pixels, y counted upward; one without width or height changes nothing.
void SetScale(int32_t px1, int32_t py1, int32_t px2, int32_t py2);
void ResetZoom();
void Regen();
long double EinX(long double f);
long double EinY(long double f);

// ---- World to pixel ----

int32_t GraphCol(long double x);  // client column of world x
int32_t GraphRow(long double y);  // client row of world y
int32_t GraphLenX(long double w);
int32_t GraphLenY(long double h);

// ---- Recording ----

void circle(long double x, long double y, long double r);
void line(long double x1, long double y1, long double x2, long double y2);
// Counter-clockwise from a1 to a2 (degrees) about (x, y). Below 4 degrees the chord; a sweep of
// whole turns between different angles is the full circle.
void Arc(long double x, long double y, long double a1, long double a2, long double r);
void OutTextXY(long double x, long double y, const std::string& text);
void Solid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
           long double x4, long double y4);
void Rectangle(long double x1, long double y1, long double x2, long double y2);
void SetColor(int32_t c);
void SetLineStyle(uint16_t s);
void SetLineStyleName(const std::string& name);
void SetLineWidth(uint16_t w);
void SetTextStyle(int32_t font, long double angle, long double height, long double width);
void SleepMs(int32_t ms);

// ---- Straight onto the window canvas (no record) ----

void MoveTo(long double x, long double y);
void LineTo(long double x, long double y);
void DrawRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// ---- Display and the rest ----

void Clear();         // empties the list and repaints (background only)
void ClearViewPort(); // hourglass and a repaint that replays the list
int32_t GetColor();
// 1 for angles strictly inside 45..135, 225..315 or -135..-45 degrees, else 0.
int32_t GetDirection(long double angle);
void SetWaitCursor();
void SetOldCursor();
void SetTextSizeMode(int32_t mode);
void DrawKwendalLogo();

// ---- Zoom and pan ----

// The zoom rectangle (ZoomPixelX1 .. ZoomPixelY2): viewport pixels, y counted upward.
struct ZoomRectangle {
  int32_t x1 = 0;
  int32_t y1 = 0;
  int32_t x2 = 0;
  int32_t y2 = 0;
  bool operator==(const ZoomRectangle&) const = default;
};

ZoomRectangle CurrentZoomRectangle();

// Windows virtual key codes of the zoom and pan keys.
enum GraphKeyCode : uint16_t {
  VkEscape = 27,
  VkPageUp = 33,
  VkPageDown = 34,
  VkLeft = 37,
  VkUp = 38,
  VkRight = 39,
  VkDown = 40,
  VkAdd = 107,       // numeric-pad plus
  VkSubtract = 109,  // numeric-pad minus
  VkF5 = 116,
};

enum class GraphMouseButton { Left, Right, Middle };

// The part of z that a drag between two client-pixel corners selects, the whole client area
// (cw by ch pixels, y downward) standing for the whole of z; m stretches the x values (the zoom
// aspect under equal aspect, else 1). False, and z unchanged, for corners that share an x or a y
// or for a client area without size.
bool RubberBandZoom(const ZoomRectangle& z, int32_t sx, int32_t sy, int32_t ex, int32_t ey, int32_t cw, int32_t ch,
                    long double m, ZoomRectangle& out);
// z moved by PanFactor of its size (steps times in y): dx > 0 moves the drawing right, dy > 0 up.
ZoomRectangle PanZoom(const ZoomRectangle& z, int32_t dx, int32_t dy, int32_t steps, long double panFactor);
// z shrunk (in) or grown (out) by zoomFactor about its centre.
ZoomRectangle StepZoom(const ZoomRectangle& z, bool in, long double zoomFactor);

// Event handlers of the graphics window, in client pixels (y downward); cw, ch the client size.
void FormMouseDown(GraphMouseButton button, int32_t x, int32_t y);
void FormMouseMove(int32_t x, int32_t y);
void FormMouseUp(int32_t x, int32_t y, int32_t cw, int32_t ch);
void FormDblClick();
// Zoom and pan keys by virtual key code; true when the key was one of them.
bool processKey(uint16_t key);

// ---- Reading records back (the replay) ----

// Corner order (indices 1..4) in which a filled quadrilateral record is drawn: its own outline, or,
// when two edges of that outline cross (corners handed on in the order a DXF solid takes them,
// such as an arrowhead's tip, two sides and base centre), the outline without the crossing.
std::array<int, 4> SolidOutline(const std::array<long double, 9>& f);

// Reads one record's text. Type codes that are no number, 0, negative or above 13 give type 0
// (skip). False when a number field is bad; bad then holds that field.
bool ReadDisplayRecord(std::string_view rec, DisplayRecordFields& fields, std::string& bad);

}  // namespace qorva
