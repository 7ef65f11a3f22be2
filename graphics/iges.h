#pragma once
// iges: the IGES writer (the CAD kernel's IGES output). Writes a two-dimensional drawing in millimetres as fixed
// ASCII IGES: lines (110), arcs and circles (100), filled quadrilaterals (106 form 11), notes (212),
// blocks as subfigure definitions (308) and insertions as subfigure instances (408), with a
// transformation matrix (124) when an insertion is rotated or mirrored.
//
// Directory entries go straight into the output; the parameter data of the same entities is collected
// in a temporary file in the run's work folder ("KWENIGES-<unique>.$$$") and appended when the
// output ends.
// That file is removed when the output ends or fails. The output itself is written under a temporary
// name and only replaces the named file when it is complete.
//
// No routine throws. A failed write sets programState.ErrorFlag, closes and drops both files, and every
// later call of the run does nothing.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qorva {

struct Iges {
  // Records written so far per section.
  int32_t CountS = 0;
  int32_t CountG = 0;
  int32_t CountD = 0;
  int32_t CountP = 0;
  int32_t CountT = 0;
  int32_t IgesParamPtr = 1;    // P record where the next entity's parameters begin
  int32_t IgesCurrentDE = -1;  // directory-entry number of the entity being written (1, 3, 5, ...)
  int32_t IgesParamLines = 0;  // P records of the entity being written
  uint8_t IgesLineFont = 1;
  uint8_t IgesColor = 0;
  bool IgesInSubfigure = false;
  int32_t IgesMemberCount = 0;
  int32_t IgesBlockCount = 0;
};

extern Iges iges;
// Resets the writer state (not the files).
void IgesReset();
// Reset for tests and program start: state and files (an open output is dropped).
void InitIges();

// Program colours 0..15 to IGES colour numbers.
extern const std::array<uint8_t, 16> IgesColorTable;

// ---- Values and records ----

// Three decimals, "." as decimal mark: 160 gives 160.000.
std::string IgesReal(long double x);
// A string as Hollerith constant: FILE gives 4HFILE.
std::string Hollerith(const std::string& s);
// One 80-column record: data, blanks, the pointer ending in column 72, the letter and the 7-digit
// sequence number.
std::string IgesRecordLine(const std::string& data, const std::string& pointer, char letter, int32_t seq);
// Cuts parameter data into pieces of at most width characters. Pieces end after a delimiter that lies
// outside any Hollerith string; a string longer than a whole piece fills its pieces to the full width,
// so that no blank enters its text.
std::vector<std::string> IgesSplitParams(const std::string& data, int32_t width = 64);

// ---- Output run ----

// Creates the output (under a temporary name) and the parameter file in the work folder. False on
// failure (nothing is left behind).
bool IgesOpenOutput(const std::string& fileName);
// Creates the parameter file in the work folder (done by IgesOpenOutput). False on failure.
bool IgesOpenParamFile();
// Start and global sections; also resets the state. name: the file's name for the global section.
void IgesGlobalSection(const std::string& name, long double maxCoord);
void IgesLine(long double x1, long double y1, long double x2, long double y2);
void IgesArc(long double cx, long double cy, long double xs, long double ys, long double xe, long double ye);
void IgesCircle(long double cx, long double cy, long double r);
void IgesSolid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
               long double x4, long double y4);
void IgesNote(const std::string& text, long double x, long double y);
void IgesSetColor(int32_t n);
void IgesBeginSubfigure(const std::string& name);
void IgesEndSubfigure();
// An instance at (x, y), rotated by angle degrees and scaled by sx, sy.
void IgesInsert(const std::string& name, long double x, long double y, long double angle, long double sx = 1.0L,
                long double sy = 1.0L);
// Subfigure entry (1..IgesBlockCount) of that exact name; 0 when none.
int32_t IgesFindBlock(const std::string& name);
// Appends the parameter data and the terminate section and closes the output. False when any step
// of the run failed (the output is then dropped).
bool IgesEnd();
// Drops the output and the parameter file; safe when nothing is open.
void IgesAbandon();
// True once a step of the current run failed.
bool IgesFailed();
// The parameter file of the open run (empty when none).
std::string IgesParamFileName();

// Registers the writer as the CAD kernel's IGES output.
void RegisterIgesWriter();

}  // namespace qorva
