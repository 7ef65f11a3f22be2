// graphicsdraw: the screen drawing routines, forwarded to the graphics window's recording.
#include "graphics/graphicsdraw.h"

#include "foundation/programstate.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/windowtext.h"
#include "graphics/graphicsstate.h"
#include "platform/prompts.h"

namespace qorva {

std::unique_ptr<GraphicsDraw> GraphDraw;

GraphicsDraw::GraphicsDraw() { graphicsState.DisplayList.clear(); }

GraphicsDraw::~GraphicsDraw() { graphicsState.DisplayList.release(); }

void GraphClear() { Clear(); }

void GraphSetWindow(bool aspect, bool border, long double vx1, long double vy1, long double vx2, long double vy2,
                    long double x1, long double y1, long double x2, long double y2) {
  SetWindow(aspect, border, vx1, vy1, vx2, vy2, x1, y1, x2, y2);
}

void GraphHeader(long double x1, long double y1, long double x2, long double y2) { Header(x1, y1, x2, y2); }

void GraphCircle(long double x, long double y, long double r) { circle(x, y, r); }

void GraphLine(long double x1, long double y1, long double x2, long double y2) { line(x1, y1, x2, y2); }

void GraphArc(long double x, long double y, long double a1, long double a2, long double r) { Arc(x, y, a1, a2, r); }

void GraphText(long double x, long double y, const std::string& text) { OutTextXY(x, y, DosToWin(text)); }

void GraphSolid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
                long double x4, long double y4) {
  Solid(x1, y1, x2, y2, x3, y3, x4, y4);
}

void GraphSetColor(int32_t c) { SetColor(c); }

void GraphSetDosColor(uint8_t n) { SetColor(DosColorToPalette(n)); }

int32_t DosColorToPalette(uint8_t n) {
  int32_t v = n;
  if (v > 16) v %= 16;
  // DXF red, yellow, green, cyan, blue, magenta, white onto the palette entries of those colours.
  static constexpr int32_t low[8] = {0, 12, 14, 10, 11, 9, 13, 15};
  if (v <= 7) return low[v];
  if (v <= 15) return v - 7;
  return 16;
}

void GraphSetLineStyle(uint16_t s) { SetLineStyle(s); }

void GraphSetTextStyle(int32_t font, long double angle, long double height, long double width) {
  SetTextStyle(font, angle, height, width);
}

void GraphSetTextJustify(int32_t, int32_t) {}

void GraphClearViewPort() { ClearViewPort(); }

void GraphLogo() { DrawKwendalLogo(); }

void GraphMessage(const std::string& text) { prompter().message(DosToUtf8(programState.ProgTitle), DosToUtf8(text)); }

void GraphWaitCursor() { SetWaitCursor(); }

void GraphArrowCursor() { SetOldCursor(); }

bool CheckFileFound(const std::string& name) {
  if (FileCanOpen(name)) return true;
  std::string shown;
  for (char c : name)
    if (c != ' ') shown += c;
  GraphMessage(shown + " nicht gefunden !");
  programState.ErrorFlag = true;
  return false;
}

std::string GetDataFilePath() {
  if (programState.CurrentFileName.empty()) return std::string();
  if (programState.FileNameHasPath) return programState.CurrentFileName;
  return TrimAndAddSlash(programState.DataDir) + programState.CurrentFileName + "." + programState.DataExt;
}

}  // namespace qorva
