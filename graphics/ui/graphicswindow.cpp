// The graphics window: replay of the display list onto the client area and the printer.
#include "graphics/ui/graphicswindow.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>
#include <QPrinter>
#include <QResizeEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"
#include "foundation/ui/programfonts.h"
#include "foundation/utilstr.h"
#include "foundation/windowtext.h"
#include "foundation/printsettings.h"
#include "platform/prompts.h"

namespace qorva {

GraphicsWindow* FKwengra = nullptr;

namespace {

constexpr long double DegToRad = std::numbers::pi_v<long double> / 180.0L;

QColor ToQColor(TColor c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

QColor Palette(int32_t n) { return ToQColor(graphicsSettings.ColorTable[static_cast<std::size_t>(n)]); }

QColor Background() { return ToQColor(graphicsSettings.BackgroundColor); }

const QColor Black(0, 0, 0);

void ShowReplayError(const std::string& text) { prompter().message("Fehler : ", text); }

// Fonts of text records by size and style: each is resolved once, however often the sizes of
// the texts alternate.
struct FontKey {
  int height = -1;
  int width = -1;
  int style = -1;
  bool printer = false;
  std::string face;
  auto operator<=>(const FontKey&) const = default;
};
struct ResolvedFont {
  QFont font;
  qreal ascent = 0;
};
// A drawing uses a handful of sizes; zooming makes new ones, so old ones are dropped in bulk.
constexpr std::size_t kMaxCachedFonts = 256;

}  // namespace

// ---- Mappings ----

namespace {

// The recording resolution, or the area itself where none is set.
long double ResOr(uint16_t res, int area) { return res > 0 ? res : std::max(area, 1); }

// Under equal aspect the smaller scale wins, as in the window's own zoom.
void EqualScales(long double& sx, long double& sy) {
  if (sx >= sy)
    sx = sy;
  else
    sy = sx;
}

}  // namespace

DeviceMapping ScreenMapping(QSize area) {
  const long double dw = std::max(area.width() - 1, 1), dh = std::max(area.height() - 1, 1);
  const long double fx = dw / ResOr(programState.GraphResX, area.width() - 1);
  const long double fy = dh / ResOr(programState.GraphResY, area.height() - 1);
  DeviceMapping m;
  m.x0 = graphicsSettings.VisibleXMin;
  m.y0 = graphicsSettings.VisibleYMin;
  m.left = graphicsState.ViewPortX1 * fx;
  m.bottom = graphicsState.ViewPortY2 * fy;
  const long double ww = graphicsSettings.VisibleXMax - graphicsSettings.VisibleXMin, wh = graphicsSettings.VisibleYMax - graphicsSettings.VisibleYMin;
  if (ww == 0.0L || wh == 0.0L) {
    m.sx = graphicsState.ScaleX * fx;
    m.sy = graphicsState.ScaleY * fy;
    return m;
  }
  m.sx = (graphicsState.ViewPortX2 - graphicsState.ViewPortX1) * fx / ww;
  m.sy = (graphicsState.ViewPortY2 - graphicsState.ViewPortY1) * fy / wh;
  if (graphicsSettings.EqualAspect) EqualScales(m.sx, m.sy);
  return m;
}

DeviceMapping PrinterMapping(const PrintPage& page) {
  const long double pw = std::max(page.size.width(), 1), ph = std::max(page.size.height(), 1);
  const long double perMm = page.dpi > 0 ? page.dpi / 25.4L : pw / 210.0L;
  const long double psx = printSettings.PrintScaleX, psy = printSettings.PrintScaleY;
  DeviceMapping m;
  const int sheet = printSettings.SheetFormat;
  if (sheet == 2 || sheet == 3) {
    // Sheet millimetres, origin at the sheet's lower-left corner: A4 upright or A3 across.
    const long double w = sheet == 2 ? 210.0L : 420.0L, h = 297.0L;
    const QRectF paper = page.paper.isEmpty() ? QRectF(0, 0, pw, ph) : page.paper;
    m.sx = perMm * psx;
    m.sy = perMm * psy;
    m.x0 = 0.0L;
    m.y0 = 0.0L;
    m.left = paper.left() + (paper.width() - w * m.sx) / 2 + printSettings.PrintOriginX * perMm;
    m.bottom = paper.top() + (paper.height() - h * m.sy) / 2 + h * m.sy + printSettings.PrintOriginY * perMm;
    return m;
  }
  // The part of the client area the viewport takes is the same part of the page.
  const long double R = ResOr(programState.GraphResX, page.size.width()), S = ResOr(programState.GraphResY, page.size.height());
  const long double vx1 = graphicsState.ViewPortX1 / R * pw, vx2 = graphicsState.ViewPortX2 / R * pw;
  const long double vy1 = graphicsState.ViewPortY1 / S * ph, vy2 = graphicsState.ViewPortY2 / S * ph;
  const long double ww = graphicsSettings.VisibleXMax - graphicsSettings.VisibleXMin, wh = graphicsSettings.VisibleYMax - graphicsSettings.VisibleYMin;
  long double sx = ww != 0.0L ? (vx2 - vx1) / ww : 1.0L, sy = wh != 0.0L ? (vy2 - vy1) / wh : 1.0L;
  // Paper shows a drawing in its own proportions, whatever the screen's shape.
  EqualScales(sx, sy);
  m.sx = sx * psx;
  m.sy = sy * psy;
  // Hung from the top left of its place on the page, as a page is read.
  m.x0 = graphicsSettings.VisibleXMin;
  m.y0 = graphicsSettings.VisibleYMax;
  m.left = vx1 + printSettings.PrintOriginX * perMm;
  m.bottom = vy1 + printSettings.PrintOriginY * perMm;
  return m;
}

// ---- Replay ----

QPointF DisplayListReplay::map(const Device& d, long double x, long double y) const {
  const DeviceMapping& m = *d.mapping;
  return QPointF(Nint((x - m.x0) * m.sx + m.left), Nint(m.bottom - (y - m.y0) * m.sy));
}

long double DisplayListReplay::lenX(const Device& d, long double l) const { return Nint(d.mapping->sx * l); }

long double DisplayListReplay::lenY(const Device& d, long double l) const { return Nint(d.mapping->sy * l); }

void DisplayListReplay::fitDevices() {
  screenMap_ = ScreenMapping(screenSize_);
  if (graphicsState.GraphPrinting) printerMap_ = PrinterMapping(page_);
}

void DisplayListReplay::applyPen(const Device& d) { d.painter->setPen(d.canvas->pen); }

void DisplayListReplay::begin(ReplayCanvas& screen, QSize screenSize, QPainter* printer, const PrintPage& page) {
  SetWaitCursor();
  screen_ = &screen;
  screenSize_ = screenSize;
  page_ = page;
  printerCanvas_ = ReplayCanvas();
  c_ = 1;
  h_ = 3.5L;
  w_ = 3.5L;
  a_ = 0.0L;
  graphicsState.CurrentLineStyle = 99;
  graphicsState.CurrentLineWidth = 1;
  const bool printing = graphicsState.GraphPrinting && printer;
  (printing ? printerCanvas_ : screen).pen.setWidth(1);
  fitDevices();
  if (printing && printSettings.PrintBorder) {
    if (programState.ScreenColor) printerCanvas_.pen.setColor(Palette(11));
    Device d{printer, &printerCanvas_, true, &printerMap_};
    const QPointF p1 = map(d, graphicsState.WorldX1, graphicsState.WorldY1), p2 = map(d, graphicsState.WorldX1, graphicsState.WorldY2),
                  p3 = map(d, graphicsState.WorldX2, graphicsState.WorldY2), p4 = map(d, graphicsState.WorldX2, graphicsState.WorldY1);
    printer->setPen(printerCanvas_.pen);
    printer->drawPolyline(QPolygonF({p1, p2, p3, p4, p1}));
  }
  fields_ = DisplayRecordFields();
  next_ = 0;
  pauseMs_ = 0;
  error_.clear();
}

void DisplayListReplay::setColor(int32_t n) {
  c_ = n;
  for (int i = 0; i < devCount_; ++i) {
    ReplayCanvas& cv = *dev_[i].canvas;
    if (n == 0) {
      cv.pen.setColor(Background());
      cv.brushColor = Background();
      cv.fontColor = Background();
    } else if (n >= 1 && n <= 16) {
      const bool colour = dev_[i].printer ? (programState.PrintColorMode == 2 || programState.PrintColorMode == 3)
                                          : programState.ScreenColor;
      cv.pen.setColor(colour ? Palette(n) : Black);
      cv.brushColor = colour ? Palette(n) : Background();
      cv.fontColor = colour ? Palette(n) : Black;
    }
  }
}

void DisplayListReplay::drawText(const Device& d) {
  ReplayCanvas& cv = *d.canvas;
  if (c_ == 0)
    cv.textColor = Background();
  else if (!programState.ScreenColor || (d.printer && programState.PrintColorMode == 1))
    cv.textColor = Black;
  else if (c_ >= 1 && c_ <= 15)
    cv.textColor = Palette(c_);

  const int s = graphicsSettings.GraphFontStyle;
  bool bold = false, italic = false, underline = false, strike = false;
  if (s >= 1 && s <= 15) {
    bold = s & 1;
    italic = s & 2;
    underline = s & 4;
    strike = s & 8;
  } else if (!d.printer) {
    italic = s & 2;
    underline = s & 4;
    strike = s & 8;
  }
  const int hpx = static_cast<int>(std::fabs(lenY(d, h_)));
  const int wpx = static_cast<int>(std::fabs(lenX(d, w_)));
  if (hpx <= 0) return;  // too small to show

  static std::map<FontKey, ResolvedFont> cache;
  const int styleKey = (bold ? 1 : 0) | (italic ? 2 : 0) | (underline ? 4 : 0) | (strike ? 8 : 0);
  FontKey key{hpx, wpx, styleKey, d.printer, graphicsSettings.GraphFontName};
  auto found = cache.find(key);
  if (found == cache.end()) {
    QFont font = ProgramFont(graphicsSettings.GraphFontName);
    // The height is that of the character cell, as the font interface of the program takes it.
    font.setPixelSize(hpx);
    const qreal cell = QFontMetricsF(font).height();
    if (cell > 0) font.setPixelSize(std::max(1, static_cast<int>(std::lround(hpx * hpx / cell))));
    // Weight 100 of a face without a thin cut is its regular one.
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strike);
    if (wpx > 0) {
      const qreal avg = QFontMetricsF(font).averageCharWidth();
      if (avg > 0) font.setStretch(std::clamp(static_cast<int>(std::lround(100.0 * wpx / avg)), 1, 4000));
    }
    if (cache.size() >= kMaxCachedFonts) cache.clear();
    found = cache.emplace(std::move(key), ResolvedFont{font, QFontMetricsF(font).ascent()}).first;
  }
  const ResolvedFont& resolved = found->second;

  const auto& f = fields_.f;
  const long double a = a_ * DegToRad;
  const QPointF at = a_ == 0.0L ? map(d, f[1], f[2] + 0.75L * h_)
                                : map(d, f[1] - 0.7L * h_ * std::sin(a), f[2] + 0.75L * h_ * std::cos(a));
  QPainter& p = *d.painter;
  p.save();
  p.setFont(resolved.font);
  p.setPen(cv.textColor);
  p.translate(at);
  p.rotate(-static_cast<double>(Nint(a_ * 10.0L)) / 10.0);
  p.drawText(QPointF(0, resolved.ascent), QString::fromStdString(WinToUtf8(fields_.text)));
  p.restore();
}

DisplayListReplay::Stop DisplayListReplay::run(QPainter* screenPainter, QPainter* printerPainter,
                                               bool honourPauses) {
  const bool printing = graphicsState.GraphPrinting && printerPainter;
  devCount_ = 0;
  if (screenPainter) dev_[devCount_++] = Device{screenPainter, screen_, false, &screenMap_};
  if (printing) dev_[devCount_++] = Device{printerPainter, &printerCanvas_, true, &printerMap_};
  for (int i = 0; i < devCount_; ++i) {
    dev_[i].painter->setRenderHint(QPainter::Antialiasing, false);
    dev_[i].painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
  const Device* textDev = nullptr;
  for (int i = 0; i < devCount_; ++i)
    if (dev_[i].printer == printing) textDev = &dev_[i];

  const auto& list = graphicsState.DisplayList;
  auto& f = fields_.f;
  Stop stop = Stop::End;
  while (next_ < list.size()) {
    const std::size_t i = next_++;
    if (!list.Read(i, fields_, error_)) {
      error_ = "'" + WinToUtf8(error_) + "' is not a valid floating point value";
      stop = Stop::BadRecord;
      break;
    }
    switch (fields_.type) {
      case RecMoveTo:
        for (int k = 0; k < devCount_; ++k) dev_[k].canvas->penPos = map(dev_[k], f[1], f[2]);
        break;
      case RecLineTo:
        for (int k = 0; k < devCount_; ++k) {
          const QPointF to = map(dev_[k], f[1], f[2]);
          applyPen(dev_[k]);
          dev_[k].painter->drawLine(dev_[k].canvas->penPos, to);
          dev_[k].canvas->penPos = to;
        }
        break;
      case RecCircle:
        for (int k = 0; k < devCount_; ++k) {
          const QPointF p1 = map(dev_[k], f[1] - fields_.r, f[2] - fields_.r);
          const QPointF p2 = map(dev_[k], f[1] + fields_.r, f[2] + fields_.r);
          applyPen(dev_[k]);
          dev_[k].painter->setBrush(Qt::NoBrush);
          dev_[k].painter->drawEllipse(QRectF(p1, p2).normalized());
        }
        break;
      case RecLine:
        for (int k = 0; k < devCount_; ++k) {
          const QPointF from = map(dev_[k], f[1], f[2]), to = map(dev_[k], f[3], f[4]);
          applyPen(dev_[k]);
          dev_[k].painter->drawLine(from, to);
          dev_[k].canvas->penPos = to;
        }
        break;
      case RecArc:
        for (int k = 0; k < devCount_; ++k) {
          const QRectF box = QRectF(map(dev_[k], f[1], f[2]), map(dev_[k], f[3], f[4])).normalized();
          const QPointF s = map(dev_[k], f[5], f[6]), e = map(dev_[k], f[7], f[8]);
          const QPointF c = box.center();
          // The arc ends where the rays from the centre through the two points meet the ellipse;
          // the painter takes angles on the circle that the ellipse is stretched from. Rows grow
          // downward; counter-clockwise from start to end.
          const double rx = std::max(box.width(), 1e-9), ry = std::max(box.height(), 1e-9);
          auto angle = [&](QPointF p) {
            return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180.0 / std::numbers::pi;
          };
          const double as = angle(s), ae = angle(e);
          double span = std::fmod(ae - as, 360.0);
          if (span <= 0) span += 360.0;  // equal points: the whole ellipse
          applyPen(dev_[k]);
          dev_[k].painter->setBrush(Qt::NoBrush);
          dev_[k].painter->drawArc(box, static_cast<int>(std::lround(as * 16)), static_cast<int>(std::lround(span * 16)));
        }
        break;
      case RecText:
        if (textDev) drawText(*textDev);
        break;
      case RecSolid: {
        const std::array<int, 4> order = SolidOutline(f);
        for (int k = 0; k < devCount_; ++k) {
          QPolygonF poly;
          for (int n : order) poly << map(dev_[k], f[2 * n - 1], f[2 * n]);
          applyPen(dev_[k]);
          dev_[k].painter->setBrush(programState.ScreenColor ? dev_[k].canvas->brushColor : Black);
          dev_[k].painter->drawPolygon(poly, Qt::OddEvenFill);
        }
        break;
      }
      case RecColor:
        setColor(fields_.value);
        break;
      case RecTextStyle:
        h_ = f[1] * 1.6L * graphicsSettings.GraphTextHeight;
        w_ = f[2] * 1.1L * graphicsSettings.GraphTextWidth;
        a_ = fields_.angle;
        break;
      case RecWindow:
        graphicsState.ViewPortX1 = Nint(f[1]);
        graphicsState.ViewPortY1 = Nint(f[2]);
        graphicsState.ViewPortX2 = Nint(f[3]);
        graphicsState.ViewPortY2 = Nint(f[4]);
        graphicsState.WorldX1 = f[5];
        graphicsState.WorldY1 = f[6];
        graphicsState.WorldX2 = f[7];
        graphicsState.WorldY2 = f[8];
        if (f[5] == f[7] || f[6] == f[8]) {
          programState.ErrorFlag = true;
          stop = Stop::WindowError;
        } else {
          SetScale(graphicsSettings.ZoomPixelX1, graphicsSettings.ZoomPixelY1, graphicsSettings.ZoomPixelX2, graphicsSettings.ZoomPixelY2);
          fitDevices();
        }
        break;
      case RecLineStyle: {
        static constexpr Qt::PenStyle styles[4] = {Qt::SolidLine, Qt::DotLine, Qt::DashDotLine, Qt::DashLine};
        const int32_t v = fields_.value;
        for (int k = 0; k < devCount_; ++k) dev_[k].canvas->pen.setStyle(v >= 1 && v <= 3 ? styles[v] : Qt::SolidLine);
        break;
      }
      case RecLineWidth:
        for (int k = 0; k < devCount_; ++k)
          dev_[k].canvas->pen.setWidth(std::max(0, dev_[k].printer ? 4 * fields_.value : fields_.value));
        break;
      case RecSleep:
        if (!printing && honourPauses && fields_.value > 0) {
          pauseMs_ = fields_.value;
          stop = Stop::Pause;
        }
        break;
      default:
        break;
    }
    if (stop != Stop::End) break;
  }
  if (stop != Stop::Pause) SetOldCursor();
  return stop;
}

DisplayListReplay::Stop ReplayDisplayList(QPainter& painter, QSize target) {
  static ReplayCanvas canvas;
  canvas = ReplayCanvas();
  painter.fillRect(QRect(QPoint(0, 0), target), Background());
  DisplayListReplay replay;
  replay.begin(canvas, target);
  const DisplayListReplay::Stop stop = replay.run(&painter, nullptr, false);
  if (stop == DisplayListReplay::Stop::BadRecord) ShowReplayError(replay.error());
  return stop;
}

PrintPage PageOf(QPrinter& printer) {
  const int dpi = printer.resolution();
  const QRect paint = printer.pageLayout().paintRectPixels(dpi);
  const QRect full = printer.pageLayout().fullRectPixels(dpi);
  PrintPage page;
  page.size = paint.size();
  page.dpi = dpi;
  page.paper = QRectF(full).translated(-paint.topLeft());
  return page;
}

bool PrintDisplayList(QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) {
    prompter().message("Fehler : ", "Drucker kann nicht geöffnet werden");
    programState.ErrorFlag = true;
    return false;
  }
  const PrintPage page = PageOf(printer);
  if (FKwengra) {
    FKwengra->PrintReplay(painter, page);
  } else {
    graphicsState.GraphPrinting = true;
    static ReplayCanvas screen;
    DisplayListReplay replay;
    replay.begin(screen, QSize(), &painter, page);
    if (replay.run(nullptr, &painter, false) == DisplayListReplay::Stop::BadRecord) ShowReplayError(replay.error());
    graphicsState.GraphPrinting = false;
  }
  painter.end();
  return true;
}

// ---- The window ----

uint16_t VirtualKeyCode(const QKeyEvent& event) {
  const bool keypad = event.modifiers() & Qt::KeypadModifier;
  switch (event.key()) {
    case Qt::Key_Escape: return VkEscape;
    case Qt::Key_PageUp: return VkPageUp;
    case Qt::Key_PageDown: return VkPageDown;
    case Qt::Key_Left: return VkLeft;
    case Qt::Key_Up: return VkUp;
    case Qt::Key_Right: return VkRight;
    case Qt::Key_Down: return VkDown;
    case Qt::Key_Plus: return keypad ? VkAdd : 187;      // the main row's key has a code of its own
    case Qt::Key_Minus: return keypad ? VkSubtract : 189;
    default: break;
  }
  if (event.key() >= Qt::Key_F1 && event.key() <= Qt::Key_F24) return static_cast<uint16_t>(112 + event.key() - Qt::Key_F1);
  return 0;
}

static void mouseDown(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  const GraphMouseButton b = e->button() == Qt::LeftButton    ? GraphMouseButton::Left
                             : e->button() == Qt::RightButton ? GraphMouseButton::Right
                                                              : GraphMouseButton::Middle;
  FormMouseDown(b, p.x(), p.y());
}

class GraphCanvasWidget : public QWidget {
 public:
  explicit GraphCanvasWidget(GraphicsWindow* form) : QWidget(form), form_(form) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    form_->canvasPaint(p);
  }
  void resizeEvent(QResizeEvent* e) override { form_->canvasResized(e->size()); }
  void mousePressEvent(QMouseEvent* e) override { mouseDown(e); }
  // A double click arrives in place of the second press: the flag first, then that press.
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    FormDblClick();
    mouseDown(e);
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    const QPoint p = e->position().toPoint();
    FormMouseMove(p.x(), p.y());
  }
  void mouseReleaseEvent(QMouseEvent* e) override { form_->mouseUp(e->position().toPoint()); }
  void keyPressEvent(QKeyEvent* e) override {
    uint16_t key = VirtualKeyCode(*e);
    if (processKey(key))
      e->accept();
    else
      e->ignore();  // the window's own keys and shortcuts
  }

 private:
  GraphicsWindow* form_;
};

GraphicsWindow::GraphicsWindow(QWidget* parent) : GraphicsWindow(parent, true) {}

GraphicsWindow::GraphicsWindow(QWidget* parent, bool runFormCreate) : QMainWindow(parent) { setup(runFormCreate); }

void GraphicsWindow::setup(bool runFormCreate) {
  setObjectName("GraphicsWindow");
  setWindowTitle("KwenGraf");
  resize(544, 386);
  setCursor(Qt::ArrowCursor);
  canvasWidget_ = new GraphCanvasWidget(this);
  setCentralWidget(canvasWidget_);
  pauseTimer_.setSingleShot(true);
  connect(&pauseTimer_, &QTimer::timeout, this, [this] { continueReplay(true); });
  if (runFormCreate) GraphicsWindowCreate();
  if (!FKwengra) FKwengra = this;
}

void InstallGraphWindow(Services& s) {
  s.GraphWindow = []() -> GraphWindowHost* { return FKwengra; };
}

GraphicsWindow::~GraphicsWindow() {
  if (FKwengra == this) FKwengra = nullptr;
}

QWidget* GraphicsWindow::canvasWidget() const { return canvasWidget_; }

void GraphicsWindow::RequestRepaint() {
  replayDue_ = true;
  // A replay held by a pause would go on over a list that has changed meanwhile; the next paint
  // starts it afresh.
  pauseTimer_.stop();
  // Only asks for the paint: a batch run draws before the window is shown and must not show it.
  canvasWidget_->update();
}

void GraphicsWindow::SetWaitCursor(bool wait) { canvasWidget_->setCursor(wait ? Qt::WaitCursor : Qt::ArrowCursor); }

void GraphicsWindow::CanvasMoveTo(int32_t x, int32_t y) { screenCanvas_.penPos = QPointF(x, y); }

void GraphicsWindow::CanvasLineTo(int32_t x, int32_t y) {
  if (!canvas_.isNull()) {
    QPainter p(&canvas_);
    p.setPen(screenCanvas_.pen);
    p.drawLine(screenCanvas_.penPos, QPointF(x, y));
  }
  screenCanvas_.penPos = QPointF(x, y);
  canvasWidget_->update();
}

void GraphicsWindow::CanvasRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (canvas_.isNull()) return;
  QPainter p(&canvas_);
  p.setPen(screenCanvas_.pen);
  p.drawPolyline(QPolygonF({QPointF(x1, y1), QPointF(x2, y1), QPointF(x2, y2), QPointF(x1, y2), QPointF(x1, y1)}));
  canvasWidget_->update();
}

void GraphicsWindow::CanvasInvertRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (canvas_.isNull()) return;
  QPainter p(&canvas_);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setCompositionMode(QPainter::RasterOp_NotDestination);
  p.setPen(QPen(Qt::black, 0));
  p.setBrush(Qt::NoBrush);
  // A stroked rectangle covers its size plus the pen: this one runs through both corners.
  p.drawRect(QRect(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1)));
  canvasWidget_->update();
}

void GraphicsWindow::FormKeyDown(uint16_t& key) { processKey(key); }

void GraphicsWindow::mouseUp(QPoint at) {
  const QSize area = canvasWidget_->size();
  if (!graphicsState.RubberBandActive || programState.GraphResX == 0 || programState.GraphResY == 0) {
    FormMouseUp(at.x(), at.y(), area.width(), area.height());
    return;
  }
  // The band was drawn on the fitted picture; the zoom reckons in the pixels the drawing was laid out
  // in, where the client area is GraphResX + 1 by GraphResY + 1.
  const DeviceMapping shown = ScreenMapping(area);
  const DeviceMapping laid = ScreenMapping(QSize(programState.GraphResX + 1, programState.GraphResY + 1));
  auto back = [&](int32_t x, int32_t y) {
    const long double wx = shown.x0 + (x - shown.left) / shown.sx, wy = shown.y0 + (shown.bottom - y) / shown.sy;
    return QPoint(Nint((wx - laid.x0) * laid.sx + laid.left), Nint(laid.bottom - (wy - laid.y0) * laid.sy));
  };
  if (shown.sx == 0.0L || shown.sy == 0.0L) {
    FormMouseUp(at.x(), at.y(), area.width(), area.height());
    return;
  }
  const QPoint start = back(graphicsState.RubberStartX, graphicsState.RubberStartY), end = back(at.x(), at.y());
  graphicsState.RubberStartX = start.x();
  graphicsState.RubberStartY = start.y();
  FormMouseUp(end.x(), end.y(), programState.GraphResX + 1, programState.GraphResY + 1);
}

void GraphicsWindow::keyPressEvent(QKeyEvent* event) {
  // Keys reach the window when the drawing area has no focus.
  uint16_t key = VirtualKeyCode(*event);
  if (processKey(key)) {
    event->accept();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void GraphicsWindow::changeEvent(QEvent* event) {
  // Every activation shows the list afresh.
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) RequestRepaint();
  QMainWindow::changeEvent(event);
}

void GraphicsWindow::canvasResized(QSize size) {
  if (size.isEmpty()) return;
  canvas_ = QImage(size, QImage::Format_RGB32);
  canvas_.fill(Background());
  replayDue_ = true;
}

void GraphicsWindow::canvasPaint(QPainter& painter) {
  if (canvas_.isNull() || canvas_.size() != canvasWidget_->size()) canvasResized(canvasWidget_->size());
  // The replay draws onto the image; the paint itself never waits and never lets other events in.
  if (replayDue_) startReplay();
  if (!canvas_.isNull()) painter.drawImage(0, 0, canvas_);
}

void GraphicsWindow::FormPaint() {
  if (canvas_.isNull() || canvas_.size() != canvasWidget_->size()) canvasResized(canvasWidget_->size());
  startReplay();
  canvasWidget_->update();
}


void GraphicsWindow::startReplay() {
  replayDue_ = false;
  pauseTimer_.stop();
  if (canvas_.isNull()) return;
  canvas_.fill(Background());
  replay_.begin(screenCanvas_, canvas_.size());
  continueReplay(false);
}

void GraphicsWindow::continueReplay(bool repaint) {
  if (canvas_.isNull()) return;
  DisplayListReplay::Stop stop;
  {
    QPainter p(&canvas_);
    stop = replay_.run(&p, nullptr, true);
  }
  if (stop == DisplayListReplay::Stop::Pause) {
    pauseTimer_.start(replay_.pauseMs());
  } else if (stop == DisplayListReplay::Stop::BadRecord) {
    // Told once per damaged list: closing the message activates the window, and every activation
    // replays the list and would meet the same record again.
    std::string key = IntStr(static_cast<int64_t>(graphicsState.DisplayList.size())) + ';' +
                      IntStr(static_cast<int64_t>(replay_.next())) + ';' +
                      graphicsState.DisplayList[replay_.next() - 1];
    if (key != reportedBadRecord_) {
      reportedBadRecord_ = std::move(key);
      // Not from inside a paint: the message box runs its own event loop.
      const std::string text = replay_.error();
      QTimer::singleShot(0, this, [text] { ShowReplayError(text); });
    }
  } else {
    reportedBadRecord_.clear();
  }
  if (repaint) canvasWidget_->update();
}

void GraphicsWindow::PrintReplay(QPainter& printer, const PrintPage& page) {
  pauseTimer_.stop();
  if (canvas_.isNull() || canvas_.size() != canvasWidget_->size()) canvasResized(canvasWidget_->size());
  graphicsState.GraphPrinting = true;
  canvas_.fill(Background());
  replay_.begin(screenCanvas_, canvas_.size(), &printer, page);
  DisplayListReplay::Stop stop;
  {
    QPainter p(&canvas_);
    stop = replay_.run(&p, &printer, false);
  }
  graphicsState.GraphPrinting = false;
  if (stop == DisplayListReplay::Stop::BadRecord) ShowReplayError(replay_.error());
  canvasWidget_->update();
}

}  // namespace qorva
