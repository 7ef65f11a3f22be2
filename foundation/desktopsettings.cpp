// desktopsettings: defaults of the Windows-side settings.
#include "foundation/desktopsettings.h"

#include "foundation/programstate.h"

namespace qorva {

DesktopSettings desktopSettings;

void InitDesktopSettings() {
  DesktopSettings w;
  const std::string cur = CurrentDirString();
  w.ConfigDir = cur;
  w.WorkingDir = cur;
  w.DefaultDataDir = cur;
  // Degree sign and superscript two as DOS code page 437 bytes (0xF8, 0xFD).
  w.UnitSystemNames[0] = "metrisch (mm, N, MPa, Nmm, \xF8" "C)";
  w.UnitSystemNames[1] = "englisch (in, lbf, psi, lbfin, degF)";
  w.UnitSystemNames[2] = "metrisch (mm, kN, MPa, Nm, \xF8" "C)";
  w.UnitSystemNames[3] = "metrisch (mm, N, N/mm\xFD, Nmm, \xF8" "C)";
  w.UnitSystemNames[4] = "metrisch (mm, kN, N/mm\xFD, Nm, \xF8" "C)";
  desktopSettings = std::move(w);
}

void FinalizeDesktopSettings() {
  for (auto& s : desktopSettings.RecentFiles) std::string().swap(s);
  for (auto& s : desktopSettings.UnitSystemNames) std::string().swap(s);
}

}  // namespace qorva
