#pragma once
// resultreport: the standard result report "Konstantkraftfeder" of a spring (inputs, material,
// forces, travel, stresses, fatigue life, mass, work and the calculation messages) through the
// report writer (reportWriter) to the configured text output.

#include <cstdint>

namespace qorva {

struct Spring;

// Writes the report of the spring s to the output device (OutputDeviceCode; 0, the callers'
// choice, is the configured text output) with the name CurrentFileName + ".TXT". While FatalError
// is set the calculation messages are offered instead (ShowCalcMessages) and nothing is written.
// A cancelled or failed output sets ErrorFlag.
void PrintSpringResults(const Spring& s, uint16_t device = 0);

// The fatigue-life rows (load cycles to fracture and life in hours) of s when it is dynamic and the
// permissible stroke stress of the calculation is above 0; nothing otherwise, and nothing once
// ErrorFlag is set (the report has stopped).
void WriteFatigueLifeLines(const Spring& s);

}  // namespace qorva
