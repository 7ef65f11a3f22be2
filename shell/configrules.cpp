// configrules: take-over rules of the configuration window.
#include "shell/configrules.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "foundation/utilstr.h"

namespace qorva {

namespace {
int32_t Round(long double x) { return static_cast<int32_t>(std::lround(x)); }
}  // namespace

int32_t TakeGraphRes(const std::string& typed, int32_t screenExtent, int32_t frameExtent) {
  const int64_t entry = static_cast<int64_t>(StrToInt0(typed)) - 1;
  const int32_t res = static_cast<int32_t>(std::clamp<int64_t>(entry, 0, 5000));
  return res == 0 ? std::max(0, screenExtent - frameExtent) : res;
}

WindowSize FitXToY(int32_t y, int32_t maxWidth, int32_t maxHeight) {
  (void)maxHeight;
  WindowSize s{Round(y * 4.0L / 3.0L), y};
  if (s.x > maxWidth) s = {maxWidth, Round(maxWidth * 3.0L / 4.0L)};
  return s;
}

WindowSize FitYToX(int32_t x, int32_t maxWidth, int32_t maxHeight) {
  (void)maxWidth;
  WindowSize s{x, Round(x * 3.0L / 4.0L)};
  if (s.y > maxHeight) s = {Round(maxHeight * 4.0L / 3.0L), maxHeight};
  return s;
}

TextWindowRect TakeTextWindow(const std::string& left, const std::string& top, const std::string& width,
                              const std::string& height, int32_t graphYField) {
  TextWindowRect r;
  r.Left = StrToInt0(left);
  r.Top = StrToInt0(top);
  r.Width = StrToInt0(width);
  r.Height = StrToInt0(height);
  if (r.Left < 0 || r.Left > 1000) r.Left = 10;
  if (r.Top < 0 || r.Top > 450) r.Top = 40;
  if (r.Width < 50 || r.Width > 1000) r.Width = 700;
  if (r.Height < 50 || r.Height > graphYField) r.Height = graphYField - 20;
  return r;
}

TextWindowRect DefaultTextWindow(int32_t graphXField, int32_t graphYField, int32_t fontSize) {
  TextWindowRect r;
  r.Left = 20;
  r.Top = 40;
  r.Width = graphXField >= 641 ? Round(fontSize * 700.0L / 10.0L) : 620;
  if (r.Width == 0) r.Width = 700;
  r.Height = graphYField - 20;
  return r;
}

long double TakeDimensionFactor(long double typed) { return typed < 0.01L ? 1.0L : typed; }

long double NonZeroOrOne(long double typed) { return typed == 0 ? 1.0L : typed; }

TitleBlockView TitleBlockViewFor(int32_t titleBlockType, int32_t frameMargin) {
  TitleBlockView v;
  const bool iso = titleBlockType == 1 || titleBlockType == 2;
  v.indexAndRelease = !iso;
  v.marginEnabled = iso;
  v.forceMargin5 = !iso;
  v.showChanges = iso;
  v.borders = (iso ? frameMargin : 0) == 1;
  return v;
}

std::string LayerNameProblem(const std::string& name) {
  if (name.empty()) return "Layer: Name fehlt";
  if (name.front() == ' ' || name.back() == ' ') return "Layer \"" + name + "\": keine Leerzeichen am Anfang oder Ende";
  for (unsigned char c : name) {
    if (c < 32 || c == 127) return "Layer \"" + name + "\": Steuerzeichen im Namen";
    if (std::string_view("<>/\\\":;?*=`").find(static_cast<char>(c)) != std::string_view::npos)
      return "Layer \"" + name + "\": Zeichen " + std::string(1, static_cast<char>(c)) + " nicht erlaubt";
  }
  return "";
}

bool ValidLayerColour(int32_t colour) { return colour >= 1 && colour <= 255; }

std::string LayerColourProblem(const std::string& typed) {
  long double x = 0;
  const std::string t = TrimStr(typed);
  if (TryStrToReal(t, x) && x == std::floor(x) && ValidLayerColour(static_cast<int32_t>(x))) return "";
  return "Farbe \"" + typed + "\": nur 1 bis 255";
}

int32_t VentrixLineIndex(int32_t selectedRow) { return selectedRow < 0 || selectedRow >= 5 ? 0 : selectedRow; }

std::string ColourName(int32_t number) {
  static const std::array<const char*, 16> names = {
      "rot",         "gelb",         "gr\x81n",         "cyan",           "blau",      "magenta",
      "wei\xE1",     "dunkel blau",  "dunkel gr\x81n",  "dunkel cyan",    "dunkel rot", "dunkel magenta",
      "braun",       "hell grau",    "dunkel grau",     "schwarz"};
  return number >= 1 && number <= 16 ? names[static_cast<size_t>(number - 1)] : "";
}

}  // namespace qorva
