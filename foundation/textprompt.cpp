// textprompt: the text prompt and the number prompts.
#include "foundation/textprompt.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/utilmath.h"
#include "foundation/utilstr.h"
#include "foundation/windowtext.h"
#include "foundation/desktopsettings.h"
#include "platform/prompts.h"

namespace qorva {

void AskText(const std::string& prompt, int32_t maxLength, std::string& text) {
  const std::optional<std::string> typed = prompter().text(DosToUtf8(prompt), maxLength, DosToUtf8(text));
  if (!typed) {
    programState.ErrorFlag = true;
    return;
  }
  if (programState.ErrorFlag) return;
  text = Utf8ToDos(*typed);
}

namespace {

std::string InvalidInputText(const std::string& t) { return "Ung\x81ltige Eingabe \"" + t + "\" !"; }

std::string RangeText(const std::string& lo, const std::string& hi) {
  return "G\x81ltiger Wertebereich: " + lo + " .. " + hi + " !";
}

// One number prompt: the value asked for so far, the text shown as preset, and the judgement of a
// typed text. The dialog (where it can) and the loop below judge with the same state, so a text the
// dialog accepted is accepted again here.
template <class Traits>
class NumberAsk {
 public:
  using T = typename Traits::Value;
  NumberAsk(T x, T lo, T hi) : x_(x), v_(x), lo_(lo), hi_(hi), preset_(Traits::Str(x)) {}

  const std::string& preset() const { return preset_; }
  T value() const { return v_; }

  // Empty when t is accepted, else the message; the preset becomes what is asked next.
  std::string judge(const std::string& t) {
    // Only an edited text is read, so accepting the shown preset keeps the value at full precision.
    if (t != preset_) {
      T nv{};
      if (!Traits::Parse(t, nv)) {
        v_ = x_;
        preset_ = Traits::Str(v_);
        return InvalidInputText(t);
      }
      v_ = nv;
    }
    if (v_ < lo_ || v_ > hi_) {
      preset_ = Traits::Str(v_);
      return RangeText(Traits::Str(lo_), Traits::Str(hi_));
    }
    return {};
  }

 private:
  T x_, v_, lo_, hi_;
  std::string preset_;
};

// Asks until a text is accepted or the prompt is cancelled. Every round waits for an answer, so a
// prompter that cannot answer (it cancels) ends the loop at once.
template <class Traits>
bool RunNumberPrompt(const std::string& prompt, int maxLength, NumberAsk<Traits>& ask) {
  const std::string shownPrompt = DosToUtf8(prompt);
  const NumberCheck check = [&ask](const std::string& typed) {
    NumberVerdict verdict;
    const std::string message = ask.judge(Utf8ToDos(typed));
    verdict.accepted = message.empty();
    verdict.message = DosToUtf8(message);
    verdict.nextText = DosToUtf8(ask.preset());
    return verdict;
  };
  for (;;) {
    const std::optional<std::string> typed = prompter().number(shownPrompt, maxLength, DosToUtf8(ask.preset()), check);
    if (!typed) {
      programState.ErrorFlag = true;
      return false;
    }
    if (programState.ErrorFlag) return false;
    const std::string message = ask.judge(Utf8ToDos(*typed));
    if (message.empty()) return true;
    prompter().beep();
    ShowErrorBox(message);
  }
}

struct RealTraits {
  using Value = long double;
  static std::string Str(long double x) { return RealStr3(x); }
  static bool Parse(const std::string& t, long double& v) { return TryStrToReal(t, v); }
};

// StrToInt0 reads a text that is no integer as 0; only a written zero is a real 0.
bool IsZeroText(const std::string& t) {
  size_t p = 0;
  while (p < t.size() && t[p] == ' ') ++p;
  if (p < t.size() && (t[p] == '+' || t[p] == '-')) ++p;
  if (p < t.size() && t[p] == '$') {
    ++p;
  } else if (p + 1 < t.size() && t[p] == '0' && (t[p + 1] == 'x' || t[p + 1] == 'X')) {
    p += 2;
  }
  if (p >= t.size()) return false;
  return std::all_of(t.begin() + static_cast<std::ptrdiff_t>(p), t.end(), [](char c) { return c == '0'; });
}

struct IntTraits {
  using Value = int32_t;
  static std::string Str(int32_t x) { return IntStr(x); }
  static bool Parse(const std::string& t, int32_t& v) {
    v = StrToInt0(t);
    return v != 0 || IsZeroText(t);
  }
};

}  // namespace

void AskReal(const std::string& prompt, long double& x, long double lo, long double hi) {
  NumberAsk<RealTraits> ask(x, lo, hi);
  if (RunNumberPrompt(prompt, 30, ask)) x = ask.value();
}

void AskDouble(const std::string& prompt, double& x, double lo, double hi) {
  long double v = x;
  AskReal(prompt, v, lo, hi);  // v stays x unless a value was accepted
  x = static_cast<double>(v);
}

void AskLength(const std::string& prompt, long double& x, long double lo, long double hi) {
  if (desktopSettings.UnitSystem == 1) {
    long double v = MmToInch(x);
    const long double before = v;
    AskReal(prompt + " [inch]", v, MmToInch(lo), MmToInch(hi));
    // Unchanged inches give back the exact mm value, not a round trip through the conversion.
    if (v != before) x = InchToMm(v);
  } else {
    AskReal(prompt + " [mm]", x, lo, hi);
  }
}

void AskInteger(const std::string& prompt, int32_t& x, int32_t lo, int32_t hi) {
  if (lo > hi) std::swap(lo, hi);
  NumberAsk<IntTraits> ask(x, lo, hi);
  if (RunNumberPrompt(prompt, 12, ask)) x = ask.value();
}

void AskLongint(const std::string& prompt, int32_t& x, int32_t lo, int32_t hi) {
  int32_t v = x;
  AskInteger(prompt, v, lo, hi);
  x = v;
}

void AskWord(const std::string& prompt, uint16_t& x, uint16_t lo, uint16_t hi) {
  int32_t v = x;
  AskInteger(prompt, v, lo, hi);
  x = static_cast<uint16_t>(v);
}

}  // namespace qorva
