#pragma once
// txtwriter: the TXT drawing file (the CAD kernel's TXT output), a tab-separated listing of the drawing's
// sections, blocks and entities, one record per line. The file is the shared text file for the
// whole output run; the writer keeps no state of its own.
//
// Numbers are written by TxtReal: CadDecimals decimals, at least 3 characters wide, "," as decimal
// mark when CadTxtDecimal is 2. Write failures set programState.ErrorFlag (the shared text file does so);
// nothing here throws.

#include <cstdint>
#include <string>

namespace qorva {

// Which opening of the shared text file is the TXT file, so that nothing is written into a file
// that another module opened through it meanwhile.
struct TxtFileState {
  bool Open = false;
  std::string FileName;
  bool Failed = false;  // a write failed, or the shared text file was taken over
};

extern TxtFileState txtFile;
// Drops an open TXT file and resets the state.
void InitTxtFileState();

// The number field of a TXT record.
std::string TxtReal(long double x);

// Creates the TXT file through the shared text file. False when it cannot be created.
bool TxtBegin(const std::string& fileName);
void TxtMinMax(long double xmin, long double ymin, long double xmax, long double ymax);
void TxtTables();
void TxtBeginBlocks();
void TxtBlock(const std::string& name);
void TxtEndBlock();
void TxtBeginEntities();
void TxtLine(long double x1, long double y1, long double x2, long double y2);
void TxtCircle(long double x, long double y, long double r);
// A full turn (a1 = a2, or 0 and 360 either way round) is written as a CIRCLE record.
void TxtArc(long double x, long double y, long double a1, long double a2, long double r);
void TxtText(const std::string& text, long double x, long double y);
void TxtSolid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
              long double x4, long double y4);
void TxtInsert(const std::string& name, long double x, long double y, long double angle, long double sx,
               long double sy);
// Writes nothing; sets the kernel's CurrentLayerName for colour layer n.
void TxtSetColor(int32_t n);
// Writes "EOF" and closes the file. False when any write of the file failed.
bool TxtClose();
// Drops a TXT file left open by a failed run (the old file of that name stays).
void TxtAbandon();

// Registers the TXT writer as the CAD kernel's TXT output.
void RegisterTxtWriter();

}  // namespace qorva
