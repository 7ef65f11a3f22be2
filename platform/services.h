#pragma once
// services: every call a lower layer makes up to the window or to the run that started it, in one
// record. The window installs its record whole when it starts (shell/ui WindowServices), a run
// without a window its own (shell/startup BatchServices); the tests install what they need.
//
// A call to a slot that is not installed is treated one way: the user is told "<name> nicht
// verfügbar !" and the call reports that it did not run (false, or no value). What a run without
// a window does instead (no repaint, the screen for the window's size, ...) is installed as that
// run's own service (HeadlessServices), not left to the caller.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace qorva {

// Tells the user that the service name is not available.
void ReportNotAvailable(const std::string& name);

// How a command that works a window of a service ended: done, cancelled by the user, or failed
// (the window is not there, a file it needs cannot be read); a failure has been told.
enum class Outcome { Done, Cancelled, Failed };

// One upward call: its name as the user reads it and the installed function.
template <class Sig>
class Port;

template <class R, class... P>
class Port<R(P...)> {
 public:
  // void calls report whether they ran; the others give their value, none when not installed.
  using Result = std::conditional_t<std::is_void_v<R>, bool, std::optional<R>>;

  explicit Port(const char* name) : name_(name) {}
  Port& operator=(std::function<R(P...)> call) {
    call_ = std::move(call);
    return *this;
  }
  bool installed() const { return static_cast<bool>(call_); }
  const char* name() const { return name_; }

  Result operator()(P... args) const {
    if (!call_) {
      ReportNotAvailable(name_);
      return Result{};
    }
    if constexpr (std::is_void_v<R>) {
      call_(std::forward<P>(args)...);
      return true;
    } else {
      return call_(std::forward<P>(args)...);
    }
  }

 private:
  const char* name_;
  std::function<R(P...)> call_;
};

// What the diagram limits dialog shows: the axis titles, the diagram's title and the computed limits.
struct DiagramLimitsRequest {
  std::string xTitle;
  std::string yTitle;
  std::string title;
  long double xmin = 0.0L;
  long double ymin = 0.0L;
  long double xmax = 1.0L;
  long double ymax = 1.0L;
};

// What the graphics window does for the display list: repaints and drawing straight on its canvas.
class GraphWindowHost {
 public:
  virtual ~GraphWindowHost() = default;
  // Invalidate and show: the next paint replays the whole list.
  virtual void RequestRepaint() = 0;
  virtual void SetWaitCursor(bool wait) = 0;
  // Drawing straight onto the window canvas, in client pixels; lost at the next repaint.
  virtual void CanvasMoveTo(int32_t x, int32_t y) = 0;
  virtual void CanvasLineTo(int32_t x, int32_t y) = 0;
  virtual void CanvasRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
  // The same outline with every pixel inverted: drawn twice, it vanishes (the rubber band).
  virtual void CanvasInvertRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
};

// The help-picture navigator: the entries to page through (DOS texts) and the one shown.
struct HelpPictureNavigatorRequest {
  std::string caption;               // DOS text
  std::vector<std::string> entries;  // "name    : description"
  int32_t preselect = 0;             // 1-based, 0 none
};
struct HelpPictureNavigatorResult {
  bool ended = true;     // OK or Esc: the browser ends
  int32_t action = 0;    // what the user asked for: show (0), append, insert, delete or change the entry
  int32_t selected = 0;  // 1-based, 0 none
};

struct Services {
  // ---- help and messages
  // Help text of topic for a prompt or window (mode as the help buttons pass it).
  Port<void(uint16_t topic, uint16_t mode)> ShowHelpText{"Hilfe"};
  // The text of a help topic (UTF-8) as the hint of a control; empty: no hint.
  Port<std::string(uint16_t topic)> ReadHelpText{"Hinweise"};
  // Cause and remedy (DOS code page) of calculation message n.
  Port<void(uint16_t n, std::string& cause, std::string& remedy)> ErrorHelp{"Ursache und Abhilfe"};
  // The calculation's messages with cause and remedy (or that there are none).
  Port<void()> ShowCalcMessages{"Meldungsliste"};
  // Shows a message with its cause and remedy (DOS texts), lets the user edit and save them: Done,
  // Cancelled when the user cancelled the save question, Failed when the edit could not be saved.
  Port<Outcome(const std::string& message, const std::string& cause, const std::string& remedy)> ErrorHelpWindow{
      "Fehlerhilfe"};
  // The help picture "start" in the window at program start.
  Port<void()> ShowStartPicture{"Startbild"};
  // The help-picture navigator window.
  Port<HelpPictureNavigatorResult(const HelpPictureNavigatorRequest& request)> HelpPictureNavigator{"Hilfebilder"};

  // ---- reports and printing
  // The report viewer; printFileName is the DOS text its print command prints.
  Port<void(const std::string& printFileName)> ReportViewer{"Ausgabefenster"};
  // Print dialog and printer for a text file's lines (pageCount >= 1).
  Port<void(const std::string& fileName, const std::vector<std::string>& lines, int32_t pageCount)> TextPrint{
      "Drucker"};

  // ---- windows of the layers below
  // The diagram limits dialog; reads and writes diagramState.DiagramEnteredLimits, sets ErrorFlag when cancelled.
  Port<void(const DiagramLimitsRequest& request)> DiagramLimitsDialog{"Diagrammgrenzen"};
  // The plot program's settings window on cmdLine; true when closed with OK.
  Port<bool(std::string& cmdLine)> VentrixSettingsWindow{"VENTRIX-Einstellungen"};
  // The table-access layer's browse window.
  Port<void(const std::string& option, uint16_t mode)> DbfBrowseWindow{"Tabellenfenster"};
  // The graphics window the display list is shown in; none in a run without a window.
  Port<GraphWindowHost*()> GraphWindow{"Grafikfenster"};
  // The engine's one-line message window (UTF-8 texts, size in pixels) and its end.
  Port<void(const std::string& caption, const std::string& text, int32_t width, int32_t height)>
      MessageWindowShow{"Meldungsfenster"};
  Port<void()> MessageWindowHide{"Meldungsfenster schlie\u00dfen"};
  // Lets the window paint and react while the engine waits for a lock another program holds.
  Port<void()> ProcessPendingEvents{"Fensterereignisse"};
  // The engine's progress window with a count (index builds): open with its caption (UTF-8) and
  // number of steps, count up, close.
  Port<void(const std::string& caption, int32_t steps)> ProgressOpen{"Fortschrittsanzeige"};
  Port<void(int32_t position)> ProgressStep{"Fortschrittsanzeige z\u00e4hlen"};
  Port<void()> ProgressClose{"Fortschrittsanzeige schlie\u00dfen"};

  // ---- the documentation menu's windows
  // Edits change record n modally (the change entry window): Done with OK, Cancelled otherwise.
  Port<Outcome(uint16_t n)> ChangeEntry{"\u00c4nderungseintrag"};
  // Edits the title-block fields and the drawing texts modally (the drawing information window):
  // Done with OK, Cancelled otherwise.
  Port<Outcome()> DrawingInfo{"Zeichnungsinformationen"};
  // Edits and launches the document links modally (the document window): Done with OK, Cancelled
  // otherwise.
  Port<Outcome()> DocumentLinks{"Dokumentverweise"};

  // ---- the main window's size, for the configuration
  // Largest client width and height the main window can have.
  Port<int32_t()> MaxClientWidth{"Fensterbreite"};
  Port<int32_t()> MaxClientHeight{"Fensterh\u00f6he"};
  // Makes the main window's client area that size.
  Port<void(int32_t width, int32_t height)> SetClientSize{"Fenstergr\u00f6\u00dfe"};
  // Main window height / (client height + 46), the frame part of the dialog-scale estimate.
  Port<long double()> WindowHeightRatio{"Fensterrahmen"};
};

// The installed services.
Services& services();
// Installs s whole and returns what was installed before.
Services installServices(Services s);

// What a run without a window installs for the window's slots: no graphics window, no repaint,
// no message or progress window, no hints, the screen in place of the main window.
Services HeadlessServices();

// Every slot by its name as the user reads it (UTF-8), and whether it is installed.
struct ServiceState {
  std::string name;
  bool installed = false;
};
std::vector<ServiceState> ServiceList();

// Offers the calculation's messages.
void ShowCalcMessages();
// Shows the start picture.
void ShowStartPicture();

// "<name> nicht verfügbar !" (UTF-8), as the user is told it.
std::string NotAvailableText(const std::string& name);

}  // namespace qorva
