#pragma once
// cad8var: CAD layers and colour layers, plot-program command lines, CAD text style,
// output options and drawing options, and the working state of the CAD kernel.

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace qorva {

// An array numbered Lo..Hi as the program numbers it (e.g. ColorLayerColors[16..31]).
// An index outside Lo..Hi is a programming error and throws std::out_of_range.
template <typename T, int Lo, int Hi>
struct OffsetArray {
  static_assert(Hi >= Lo);
  static constexpr int low = Lo;
  static constexpr int high = Hi;
  std::array<T, static_cast<std::size_t>(Hi - Lo + 1)> data{};

  T& operator[](int i) { return data.at(slot(i)); }
  const T& operator[](int i) const { return data.at(slot(i)); }
  static constexpr std::size_t size() { return static_cast<std::size_t>(Hi - Lo + 1); }
  bool operator==(const OffsetArray&) const = default;

 private:
  static std::size_t slot(int i) {
    if (i < Lo || i > Hi) throw std::out_of_range("OffsetArray index");
    return static_cast<std::size_t>(i - Lo);
  }
};

struct Cad8var {
  uint16_t CadCode = 3;  // 3 = screen
  std::array<std::string, 6> LayerNames = {"0", "1", "2", "3", "4", "5"};
  std::array<int32_t, 6> LayerColors = {1, 2, 2, 2, 3, 1};
  std::array<int32_t, 6> LayerWidths = {3, 1, 1, 1, 2, 3};
  OffsetArray<int32_t, 16, 31> ColorLayerColors;  // 1..16 at start
  OffsetArray<int32_t, 16, 31> ColorLayerWidths;  // all 1 at start
  bool LayerMonochrome = false;
  std::string CadTextFont = "TXT8";
  long double CadTextWidth = 1.0L;
  long double CadTextAngle = 0.0L;  // degrees
  bool ExecCadFile = true;
  int32_t CadDecimals = 6;
  long double DimensionFactor = 1.0L;
  long double ArcResolution = 0.5L;
  int32_t StlType = 0;  // 0 binary, 1 ASCII
  uint16_t VentrixCmdCount = 1;
  std::array<std::string, 6> VentrixCmdLines;  // [1..5], index 0 unused
  uint16_t VentrixCmdChoice = 1;
  std::string ReleaseField;
  bool PolyArcToLines = true;  // configuration only: "Polyline Arc -> Lines ?"

  // Drawing options: true leaves the named element out of drawings.
  bool DwgNoMakerTitle = false;
  bool DwgNoFileName = false;
  bool DwgNoDate = false;
  bool DwgNoLogo = false;
  bool DwgNoFooter = false;
  bool DwgNoTitleBlock = false;
  bool DwgNoCopyright = false;
  bool DwgNoGridBorder = false;
  bool DwgNoMmScale = false;
  bool DwgShowChanges = false;
  bool DwgHeadBlocks = false;
  bool DwgInsertBlocks = false;

  // Working state of the CAD kernel; set by the kernel, not by the configuration.
  long double CurX = 0.0L;  // current point without the origin offset
  long double CurY = 0.0L;
  long double TextHeight = 5.0L;
  long double TextWidthFactor = 1.0L;
  long double TextAngle = 0.0L;         // degrees
  long double TextObliqueAngle = 0.0L;  // degrees; a copy of CadTextAngle
  std::string CurrentLayerName = "0";
  long double OriginX = 0.0L;
  long double OriginY = 0.0L;
  long double DimScale = 1.0L;
  bool BlocksSection = false;
  std::string CadFileName = std::string(59, ' ');
  uint16_t CadRequestedCode = 0;
  long double StlZ0 = 0.0L;
  long double StlHeight = 1.0L;
};

// Descriptions the configuration window shows beside layers 1 to 5 (index 0 unused).
inline constexpr std::array<const char*, 6> LayerDescriptions = {
    "", "Ausgezogene  Linie   0.50 mm", "Ausgezogene  Linie   0.35 mm", "Ausgezogene  Linie   0.25 mm",
    "Gestrichelte Linie   0.25 mm", "Mittellinie          0.25 mm"};

extern Cad8var cad8var;

// The default plot-program command line, byte for byte as stored configurations hold it.
inline constexpr const char* DefaultVentrixCmdLine = "C:\\VENTRIX\\WVENTRIX VENTRIX.DXF /M1.0";

// Sets VentrixCmdLines 1..5 to the default command line, VentrixCmdCount and VentrixCmdChoice to 1,
// ColorLayerColors[16..31] to 1..16 and ColorLayerWidths[16..31] to 1.
void ResetVentrixAndColorLayers();

// Start-up initialization: ResetVentrixAndColorLayers first, then the other defaults.
void InitCad8var();
void FinalizeCad8var();

}  // namespace qorva
