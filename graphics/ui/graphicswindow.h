#pragma once
// The graphics window and the replay of its display list. GraphicsWindow keeps the picture in an image
// of its client area; a repaint request replays the whole list onto that image, a plain paint
// only shows it, and the canvas operations draw straight onto it. Pause records are played out by
// a timer, never by waiting inside a paint.

#include <QColor>
#include <QImage>
#include <QMainWindow>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QTimer>
#include <cstddef>
#include <string>

#include "graphics/graphicsstate.h"

class QKeyEvent;
class QPainter;
class QPrinter;

namespace qorva {

// Pen, brush, font and text colour of one canvas; they outlast a replay, as a canvas does.
struct ReplayCanvas {
  QPen pen{QColor(0, 0, 0), 1};
  QColor brushColor{255, 255, 255};
  QColor fontColor{0, 0, 0};
  QColor textColor{0, 0, 0};
  QPointF penPos;
};

// A printer page: its printable area in device pixels (the painter's origin is that area's corner),
// the device's dots per inch, and the whole sheet of paper in the same pixels.
struct PrintPage {
  QSize size;
  double dpi = 0.0;  // 0: the page is taken as 210 mm wide
  QRectF paper;      // empty: the printable area is the paper
};

// Where world units land on one device: column left + (x - x0) * sx, row bottom - (y - y0) * sy.
struct DeviceMapping {
  long double x0 = 0.0L;
  long double y0 = 0.0L;
  long double left = 0.0L;
  long double bottom = 0.0L;
  long double sx = 1.0L;
  long double sy = 1.0L;
};

// The screen's mapping for the window state in force (graphicsState, graphicsSettings): the viewport, laid out in
// the recording resolution GraphResX x GraphResY, is fitted to a drawing area of the given size, so
// the drawing fits whatever size the window has; under equal aspect one world unit is as many pixels
// across as down.
DeviceMapping ScreenMapping(QSize area);
// The printer's mapping for the window state in force. A drawing sheet (SheetFormat 2 and 3, world
// units are millimetres of the sheet) prints true to scale times the print scales, the sheet centred
// on the paper; anything else is fitted to the printable area with square world units, then scaled.
// The print origin moves it by millimetres.
DeviceMapping PrinterMapping(const PrintPage& page);

// One replay of DisplayList, which can stop at a pause record and go on later.
class DisplayListReplay {
 public:
  enum class Stop { End, Pause, WindowError, BadRecord };

  // Starts afresh: hourglass, the start values, the printer border. screenSize is the size of the
  // drawing area the screen painter draws on. printer may be null; it is drawn on only while
  // GraphPrinting is set.
  void begin(ReplayCanvas& screen, QSize screenSize, QPainter* printer = nullptr, const PrintPage& page = {});
  // Plays records from the current one on until the end or, with pauses honoured, a pause record
  // (the record after it is next). The painters are those of this stretch of the replay.
  Stop run(QPainter* screenPainter, QPainter* printerPainter, bool honourPauses);

  std::size_t next() const { return next_; }
  int32_t pauseMs() const { return pauseMs_; }
  // Message text of a bad record (UTF-8).
  const std::string& error() const { return error_; }

 private:
  struct Device {
    QPainter* painter = nullptr;
    ReplayCanvas* canvas = nullptr;
    bool printer = false;
    DeviceMapping* mapping = nullptr;
  };
  // Both mappings after a change of the window state.
  void fitDevices();
  QPointF map(const Device& d, long double x, long double y) const;
  long double lenX(const Device& d, long double l) const;
  long double lenY(const Device& d, long double l) const;
  void applyPen(const Device& d);
  void drawText(const Device& d);
  void setColor(int32_t n);

  ReplayCanvas* screen_ = nullptr;
  ReplayCanvas printerCanvas_;
  QSize screenSize_;
  PrintPage page_;
  DeviceMapping screenMap_;
  DeviceMapping printerMap_;
  DisplayRecordFields fields_;
  int32_t c_ = 1;
  long double h_ = 3.5L;
  long double w_ = 3.5L;
  long double a_ = 0.0L;
  std::size_t next_ = 0;
  int32_t pauseMs_ = 0;
  std::string error_;
  Device dev_[2];
  int devCount_ = 0;
};

// Replays the whole display list onto painter (a target of the given size, first filled with the
// background colour), skipping pauses. A bad record ends it with its message through the prompter.
DisplayListReplay::Stop ReplayDisplayList(QPainter& painter, QSize target);

// The printer's page as the replay takes it.
PrintPage PageOf(QPrinter& printer);
// Prints the display list: GraphPrinting is set for a replay onto the printer page and the window.
// False, after telling the user and setting ErrorFlag, when the printer cannot be opened.
bool PrintDisplayList(QPrinter& printer);

// The Windows virtual key code of a key press as the zoom keys know it (0 for keys without one).
uint16_t VirtualKeyCode(const QKeyEvent& event);

class GraphCanvasWidget;

class GraphicsWindow : public QMainWindow, public GraphWindowHost {
  Q_OBJECT
 public:
  explicit GraphicsWindow(QWidget* parent = nullptr);
  ~GraphicsWindow() override;

  // The replay onto the client area (and the printer while printing).
  void FormPaint();
  // A replay onto a printer page, inside a print job the caller opened.
  void PrintReplay(QPainter& printer, const PrintPage& page);

  // The picture of the client area as last drawn.
  const QImage& canvasImage() const { return canvas_; }
  // True while a pause record holds the replay.
  bool replayPaused() const { return pauseTimer_.isActive(); }
  QWidget* canvasWidget() const;

  // GraphWindowHost
  void RequestRepaint() override;
  void SetWaitCursor(bool wait) override;
  void CanvasMoveTo(int32_t x, int32_t y) override;
  void CanvasLineTo(int32_t x, int32_t y) override;
  void CanvasRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
  void CanvasInvertRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;

  // Zoom and pan: the rubber band of the left button, the whole view of the right button and of a
  // double click, and the keys. The key is a Windows virtual key code (VirtualKeyCode).
  void FormKeyDown(uint16_t& key);

 protected:
  // For a window that replaces the graphics window's own creation step (the main window): the
  // window fields keep their zero start.
  GraphicsWindow(QWidget* parent, bool runFormCreate);
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  friend class GraphCanvasWidget;
  void setup(bool runFormCreate);
  void canvasPaint(QPainter& painter);
  void canvasResized(QSize size);
  // The end of a mouse drag: the corners go to the zoom in the pixels the drawing was laid out in.
  void mouseUp(QPoint at);
  void startReplay();
  void continueReplay(bool repaint);

  GraphCanvasWidget* canvasWidget_ = nullptr;
  QImage canvas_;
  ReplayCanvas screenCanvas_;
  DisplayListReplay replay_;
  QTimer pauseTimer_;
  bool replayDue_ = true;
  std::string reportedBadRecord_;  // the bad record last told, with the size of its list
};

// The graphics window (the main window once it exists).
extern GraphicsWindow* FKwengra;

// Makes FKwengra, the first graphics window made, the window the display list shows in (the
// service GraphWindow).
void InstallGraphWindow(Services& s);

}  // namespace qorva
