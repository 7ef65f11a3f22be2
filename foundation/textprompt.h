#pragma once
// textprompt: the text prompt and the number prompts built on it. A cancelled prompt sets ErrorFlag and
// leaves the variable unchanged. The number prompts ask again after a text that is no number or a
// value outside lo..hi (both bounds belong to the range), each time with a beep and an error box.

#include <cstdint>
#include <string>

namespace qorva {

// text is the preset and the result; maxLength limits what can be typed (<= 0: no limit).
void AskText(const std::string& prompt, int32_t maxLength, std::string& text);
// Preset written with three significant digits; accepting it unedited keeps x at full precision.
void AskReal(const std::string& prompt, long double& x, long double lo, long double hi);
void AskDouble(const std::string& prompt, double& x, double lo, double hi);
// x, lo and hi in mm; asked in inch with UnitSystem 1 (" [inch]"), else in mm (" [mm]").
void AskLength(const std::string& prompt, long double& x, long double lo, long double hi);
// lo > hi is taken as the bounds exchanged.
void AskInteger(const std::string& prompt, int32_t& x, int32_t lo, int32_t hi);
void AskLongint(const std::string& prompt, int32_t& x, int32_t lo, int32_t hi);
void AskWord(const std::string& prompt, uint16_t& x, uint16_t lo, uint16_t hi);

}  // namespace qorva
