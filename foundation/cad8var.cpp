// cad8var: CAD settings defaults.
#include "foundation/cad8var.h"

namespace qorva {

Cad8var cad8var;
CadRun cadrun;

void ResetVentrixAndColorLayers() {
  for (int i = 1; i <= 5; ++i) cad8var.VentrixCmdLines[static_cast<std::size_t>(i)] = DefaultVentrixCmdLine;
  cad8var.VentrixCmdCount = 1;
  cad8var.VentrixCmdChoice = 1;
  for (int layer = 16; layer <= 31; ++layer) {
    cad8var.ColorLayerColors[layer] = layer - 15;
    cad8var.ColorLayerWidths[layer] = 1;
  }
}

void InitCad8var() {
  cad8var = Cad8var();
  static_cast<CadDrawingState&>(cadrun) = CadDrawingState();
  ResetVentrixAndColorLayers();
}

void FinalizeCad8var() {
  for (auto& s : cad8var.LayerNames) std::string().swap(s);
  for (auto& s : cad8var.VentrixCmdLines) std::string().swap(s);
  std::string().swap(cad8var.CadTextFont);
  std::string().swap(cad8var.ReleaseField);
  std::string().swap(cadrun.CurrentLayerName);
  std::string().swap(cadrun.CadFileName);
}

}  // namespace qorva
