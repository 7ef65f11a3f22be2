#pragma once
// stlwriter: the STL file (the CAD kernel's STL output). Every drawn edge becomes a vertical
// wall of two triangles between the heights StlZ0 and StlHeight (cadSettings), so
// the flat drawing turns into a surface model. StlType (cadSettings) chooses binary
// (0) or ASCII (1) STL.
//
// The STL output has no blocks of its own: the kernel writes them into block
// files and reads them back at every insertion, and it divides circles and arcs
// into the segments that reach StlLine.
//
// Coordinates are stored in single precision, as both STL formats hold them; a
// wall whose ends meet (or lie a few units of the last place apart), or whose
// heights are equal, at that precision has no area and is left out. Failures set programState.ErrorFlag and drop the file (an
// old file of that name stays); nothing here throws.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/utilfile.h"

namespace qorva {

// Normal x, y, z, then vertex 1, 2 and 3 (x, y, z each), as the binary file
// holds them.
using StlFacetRecord = std::array<float, 12>;

struct StlFileState {
  std::string StlSolidName = "MYSOLID";   // after "solid" and "endsolid" of ASCII files
  uint32_t StlFacetCount = 0;             // facets written or collected in this file
  std::string StlFileName;                // the file of the current run
  std::vector<StlFacetRecord> StlFacets;  // binary output: the facets until StlEnd
  TextFile StlTextFile;                   // the output file, a file of its own (ASCII: written as
                                          // drawn; binary: at StlEnd)
  bool Open = false;
  bool Binary = true;
  bool Failed = false;
};

extern StlFileState stlFile;
// Drops an open STL file; the solid name goes back to "MYSOLID".
void InitStlFileState();

// ASCII number: scientific notation of the single-precision value with as many
// digits as it needs to read back unchanged, at least 3 significant ones
// ("1.00E+01", "-5.00E-01", "2.504E+02").
std::string StlNum(long double x);

// Starts the file. An empty name shows "invalid File name" and sets ErrorFlag.
// False on failure.
bool StlBegin(const std::string &fileName, const std::string &solidName);
void StlPageSetup(long double xmin, long double ymin, long double xmax, long double ymax, long double height);
void StlLine(long double x1, long double y1, long double x2, long double y2);
// The walls along the outline 1-2, 2-3, 3-4, 4-1; no top or bottom face.
void StlSolid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
              long double x4, long double y4);
// Texts do not go into STL files.
void StlText(const std::string &text, long double x, long double y);
// The wall above the edge from (x1, y1) to (x2, y2): two facets whose normal
// points to the left of that direction, their vertices counter-clockwise about
// it.
void StlWall(long double x1, long double y1, long double x2, long double y2);
void StlFacet(const StlFacetRecord &facet);
// Completes and closes the file. False when it could not be written.
bool StlEnd();
// Drops the file of a failed run.
void StlAbandon();

// Registers the STL writer as the CAD kernel's STL output.
void RegisterStlWriter();

}  // namespace qorva
