// cadsettings: CAD settings defaults.
#include "foundation/cadsettings.h"

namespace qorva {

CadSettings cadSettings;
CadRun cadrun;

void ResetVentrixAndColorLayers() {
  for (int i = 1; i <= 5; ++i) cadSettings.VentrixCmdLines[static_cast<std::size_t>(i)] = DefaultVentrixCmdLine;
  cadSettings.VentrixCmdCount = 1;
  cadSettings.VentrixCmdChoice = 1;
  for (int layer = 16; layer <= 31; ++layer) {
    cadSettings.ColorLayerColors[layer] = layer - 15;
    cadSettings.ColorLayerWidths[layer] = 1;
  }
}

void InitCadSettings() {
  cadSettings = CadSettings();
  static_cast<CadDrawingState&>(cadrun) = CadDrawingState();
  ResetVentrixAndColorLayers();
}

void FinalizeCadSettings() {
  for (auto& s : cadSettings.LayerNames) std::string().swap(s);
  for (auto& s : cadSettings.VentrixCmdLines) std::string().swap(s);
  std::string().swap(cadSettings.CadTextFont);
  std::string().swap(cadSettings.ReleaseField);
  std::string().swap(cadrun.CurrentLayerName);
  std::string().swap(cadrun.CadFileName);
}

}  // namespace qorva
