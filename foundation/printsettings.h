#pragma once
// printsettings: graphics printouts (scale, origin, border, orientation, sheet) and the
// text viewer and printed-report font.

#include <cstdint>
#include <string>

namespace qorva {

struct TextWindowRect {
  int32_t Left = 10;
  int32_t Top = 40;
  int32_t Width = 700;
  int32_t Height = 440;
};

struct PrintSettings {
  double PrintScaleX = 1.0;
  double PrintScaleY = 1.0;
  int32_t PrintOriginX = 0;  // mm
  int32_t PrintOriginY = 0;  // mm
  bool PrintBorder = false;
  double DefaultPrintScaleX = 1.0;
  double DefaultPrintScaleY = 1.0;
  int32_t DefaultPrintOriginX = 0;
  int32_t DefaultPrintOriginY = 0;
  bool DefaultPrintBorder = false;
  uint16_t PrintOrientation = 2;  // 1 portrait, 2 landscape
  bool GraphPrintDialog = true;
  uint16_t PrintPresetNo = 0;
  uint16_t SheetFormat = 0;  // 0 none, 1 help picture or diagram, 2 A4 portrait frame, 3 A3 landscape frame
  TextWindowRect TextWindowPos;
  std::string PrintFontName = "Courier New";
  uint16_t PrintFontSize = 10;
  uint16_t PrintFontStyle = 3;
};

extern PrintSettings printSettings;

void InitPrintSettings();
void FinalizePrintSettings();

}  // namespace qorva
