#pragma once
// cadsettings: CAD layers and colour layers, plot-program command lines, CAD text style,
// output options and drawing options, and the state of one output run of the CAD kernel (CadRun).

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

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

struct CadSettings {
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
};

// Descriptions the configuration window shows beside layers 1 to 5 (index 0 unused).
inline constexpr std::array<const char*, 6> LayerDescriptions = {
    "", "Ausgezogene  Linie   0.50 mm", "Ausgezogene  Linie   0.35 mm", "Ausgezogene  Linie   0.25 mm",
    "Gestrichelte Linie   0.25 mm", "Mittellinie          0.25 mm"};

extern CadSettings cadSettings;

class CadWriter;

// The page of the current drawing.
struct CadPageLimits {
  long double xmin = 0.0L;
  long double xmax = 160.0L;
  long double ymin = 0.0L;
  long double ymax = 120.0L;
  long double width = 160.0L;
  long double height = 120.0L;
};

// Drawing state of the CAD kernel; set by the kernel, not by the configuration. Reset with the
// settings (InitCadSettings).
struct CadDrawingState {
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

// The files, blocks, page and read-back of a run. Reset by InitCadKernel.
struct CadRunFiles {
  long double InsX = 0.0L;  // insertion transform of the block being read back
  long double InsY = 0.0L;
  long double InsAngle = 0.0L;  // degrees, counter-clockwise
  long double InsScaleX = 1.0L;
  long double InsScaleY = 1.0L;
  int32_t BlockDepth = 0;  // 0 outside a read-back, 1..4 while reading
  CadPageLimits PageLimits;
  // True while the shared text file holds the output of the run (DXF, plot work file) or a block
  // file (screen and STL-like outputs, between CadBeginBlock and CadEndBlock); ShareName is the
  // name the kernel opened it under.
  bool ShareFileOpen = false;
  std::string ShareName;
  // The writer the run opened, and whether it is still open.
  CadWriter* RunWriter = nullptr;
  bool WriterOpen = false;
  // Set when a failure abandoned the run: every file of the run is closed and the primitives do
  // nothing until the next CadBeginOutput.
  bool Broken = false;
  // Between a CadBeginBlock that started a block and its CadEndBlock.
  bool BlockOpen = false;
  // The plot program's work file with PrintBorder: the border waits for the ENTITIES section.
  bool BorderPending = false;
  // A BLOCKS section was written, and the blocks the run defined (lower case, as DXF compares
  // block names).
  bool BlocksWritten = false;
  std::vector<std::string> DefinedBlocks;
};

// The state of one output run of the CAD kernel.
struct CadRun : CadDrawingState, CadRunFiles {};

extern CadRun cadrun;

// The default plot-program command line, byte for byte as stored configurations hold it.
// The plot program by its name alone: no folder until the user sets one (it is then looked for on PATH).
inline constexpr const char* DefaultVentrixCmdLine = "WVENTRIX VENTRIX.DXF /M1.0";

// Sets VentrixCmdLines 1..5 to the default command line, VentrixCmdCount and VentrixCmdChoice to 1,
// ColorLayerColors[16..31] to 1..16 and ColorLayerWidths[16..31] to 1.
void ResetVentrixAndColorLayers();

// Start-up initialization: ResetVentrixAndColorLayers first, then the other defaults.
void InitCadSettings();
void FinalizeCadSettings();

}  // namespace qorva
