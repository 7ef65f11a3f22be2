#pragma once
// graphicsdraw: the procedural face of the graphics window. The CAD kernel's screen output, the help
// pictures and the start screen draw through these routines; each forwards to the recording
// operations of graphicsState, so they work with or without a window on the screen.

#include <cstdint>
#include <memory>
#include <string>

namespace qorva {

// The screen drawing object. Creating it creates the (empty) display list; it lives as long as the
// program. The routines below act on the graphics window and need no instance to be called.
class GraphicsDraw {
 public:
  GraphicsDraw();           // GraphInit
  virtual ~GraphicsDraw();  // GraphDone: frees the display list
  GraphicsDraw(const GraphicsDraw&) = delete;
  GraphicsDraw& operator=(const GraphicsDraw&) = delete;
};

// The one instance; the main window creates it before anything is drawn.
extern std::unique_ptr<GraphicsDraw> GraphDraw;

void GraphClear();
void GraphSetWindow(bool aspect, bool border, long double vx1, long double vy1, long double vx2, long double vy2,
                    long double x1, long double y1, long double x2, long double y2);
void GraphHeader(long double x1, long double y1, long double x2, long double y2);
void GraphCircle(long double x, long double y, long double r);
void GraphLine(long double x1, long double y1, long double x2, long double y2);
void GraphArc(long double x, long double y, long double a1, long double a2, long double r);
// text is a DOS text; it is recorded converted for display.
void GraphText(long double x, long double y, const std::string& text);
void GraphSolid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
                long double x4, long double y4);
void GraphSetColor(int32_t c);         // palette colour number 0..16
void GraphSetDosColor(uint8_t n);      // DOS/DXF colour number
int32_t DosColorToPalette(uint8_t n);
void GraphSetLineStyle(uint16_t s);    // 0 solid, 1 dotted, 2 dash-dot, 3 dashed
void GraphSetTextStyle(int32_t font, long double angle, long double height, long double width);
void GraphSetTextJustify(int32_t horizontal, int32_t vertical);  // texts are placed by their start point
void GraphClearViewPort();
void GraphLogo();
// A plain message with an OK button and the program's title as caption (text is a DOS text).
void GraphMessage(const std::string& text);
void GraphWaitCursor();
void GraphArrowCursor();

// Whether the file can be opened for reading; when not, the message
// "<name without blanks> nicht gefunden !" and ErrorFlag. The shared text file is left alone.
bool CheckFileFound(const std::string& name);
// Path of the current spring data file ("" without a current file).
std::string GetDataFilePath();

}  // namespace qorva
