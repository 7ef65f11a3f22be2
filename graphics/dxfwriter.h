#pragma once
// dxfwriter: the DXF writer. Turns the CAD kernel's calls into the line pairs of an ASCII DXF file
// (a group code line, then a value line) written through the shared text file ShareTextFile.
//
// It keeps no state of its own: the layer name, the text style and the output code are read from
// cadSettings at each call (CurrentLayerName, TextHeight, TextWidthFactor, TextAngle, TextObliqueAngle,
// CadCode), the number of decimals from cadSettings.CadDecimals; the lines it made of the last layer
// and text style are only reused while these stay the same. The caller opens the shared text file
// (Rewrite) before the first call; DxfClose writes the end marker and closes it.
//
// Each call builds its lines in one buffer and writes them at once. Coordinates are formatted from
// the bits of the value for ordinary sizes, with the digits of the general formatter.
//
// Failures: every write is checked. A failed write sets programState.ErrorFlag and the routines write
// nothing further; the file stays open for the caller to close (DxfClose). Nothing throws.
//
// Block files of the screen and STL outputs are read back by the program itself,
// so their coordinates always carry at least DxfBlockFileDecimals decimals whatever CadDecimals says.

#include <cstdint>
#include <string>

namespace qorva {

// Decimals that coordinates in block files (and wherever a caller asks for them) carry at least.
inline constexpr int32_t DxfBlockFileDecimals = 6;
// Decimals are kept within 0..DxfMaxDecimals (a negative setting writes whole numbers).
inline constexpr int32_t DxfMaxDecimals = 15;

// ---- Line pairs ----

// The group code right-aligned in 3 characters ("  0", " 10").
void DxfGroupCode(int32_t code);
// One value line, the text as it is; a line break (CR, LF, CR LF) or a ^Z inside becomes a blank,
// so that the pair layout holds.
void DxfValueStr(const std::string& s);
// A whole number without blanks.
void DxfValueInt(int32_t n);
// A coordinate real: fixed point, "." as decimal mark, the decimals of DxfDecimals(minDecimals).
void DxfValueReal(long double x, int32_t minDecimals = 0);

// The texts written by DxfValueReal / DxfValueStr, for callers and tests.
std::string DxfRealText(long double x, int32_t decimals);
std::string DxfValueText(const std::string& s);
// Decimals of coordinate reals now: CadDecimals raised to minDecimals, and to DxfBlockFileDecimals
// while CadCode is 3 or 6; kept within 0..DxfMaxDecimals.
int32_t DxfDecimals(int32_t minDecimals = 0);

// ---- Sections and tables ----

// The HEADER section: $EXTMIN/$LIMMIN (xmin, ymin), $EXTMAX/$LIMMAX (xmax, ymax), $LTSCALE and
// $DWGCODEPAGE (DxfCodePage).
void DxfHeader(long double xmin, long double ymin, long double xmax, long double ymax);
// The code page the header declares and the TEXT values of DXF files (CadCode other than 3) are in.
inline constexpr const char* DxfCodePage = "ANSI_1252";
// The value of a TEXT's group 1: while CadCode is 3 the DOS bytes as they are; else ConvertCadText,
// and DOS bytes that CadTextMode leaves unchanged go over into the Windows code page.
std::string DxfTextValue(const std::string& text);
// The TABLES section: line types, the 22 layers, the text style.
void DxfTables();
void DxfLtypeEntry(const std::string& name, const std::string& description);
void DxfLayerEntry(const std::string& name, uint8_t colour, const std::string& lineType);
// 0 SECTION, 2 BLOCKS.
void DxfBeginBlocks();
// 0 BLOCK with the current layer, its name, and the origin as base point.
void DxfBlock(const std::string& name);
// 0 ENDBLK.
void DxfEndBlock();
// 0 ENDSEC.
void DxfEndSection();
// 0 SECTION, 2 ENTITIES.
void DxfBeginEntities();

// ---- Entities (each on CurrentLayerName; coordinates and radii as coordinate reals, angles in
// degrees; minDecimals as for DxfValueReal) ----

void DxfLine(long double x1, long double y1, long double x2, long double y2, int32_t minDecimals = 0);
void DxfCircle(long double x, long double y, long double r, int32_t minDecimals = 0);
// Arc from angle a1 to a2 (counter-clockwise).
void DxfArc(long double x, long double y, long double a1, long double a2, long double r,
            int32_t minDecimals = 0);
// Left-aligned text at its base point, in the kernel's text style. While CadCode is 3 the text
// keeps its DOS bytes; else it passes ConvertCadText.
void DxfText(const std::string& text, long double x, long double y, int32_t minDecimals = 0);
// A filled quadrilateral; its outline runs 1, 2, 4, 3.
void DxfSolid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
              long double x4, long double y4, int32_t minDecimals = 0);
// An insertion of a block; the scales are written before the angle.
void DxfInsert(const std::string& name, long double x, long double y, long double angle, long double xScale,
               long double yScale, int32_t minDecimals = 0);

// Sets CurrentLayerName for colour n: "0" for 0 (and below), LayerNames[n] for 1..5, n in decimal
// from 6 on. Writes nothing.
void DxfSelectLayer(int32_t n);
// The layer name DxfSelectLayer gives for colour n.
std::string DxfLayerName(int32_t n);

// 0 EOF, then closes the shared text file (a failed close sets ErrorFlag).
void DxfClose();

}  // namespace qorva
