#pragma once
// cadkernel: the CAD kernel. Every primitive is passed on at once to the writer of the output that
// cadSettings.CadCode selects (CadOutput); the kernel keeps no entity list. It also holds the drawing
// state (current point, text style, layer, origin offset, dimension scale), the page, the block
// mechanism and the read-back of block files.
//
// Every output is a CadWriter, found in one registry by its output (CadWriterFor). The kernel
// registers its own for the screen (through graphicsdraw), the DXF file and the plot program's work
// file; the IGES, TXT and STL writers register themselves (RegisterCadWriter). An output without a
// registered writer is refused by CadBeginOutput. The block files of the outputs that keep their
// blocks in files are written through dxfwriter.
//
// The plot program's work file also defines the user's block files (logo, head and insert blocks)
// as DXF blocks, and inserts only blocks it defines.
//
// No routine returns an error code or throws: failures set programState.ErrorFlag. Any failure inside an
// output run closes every file the run opened.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "foundation/cadsettings.h"

namespace qorva {

// The outputs of the kernel. The numbers are the program's own at its edges (command line,
// configuration, prompts); cadSettings.CadCode holds one of them.
enum class CadOutput : uint16_t { None = 0, Dxf = 1, Iges = 2, Screen = 3, Plot = 4, Txt = 5, Stl = 6 };
inline constexpr uint16_t CadOutputCount = 7;

// What the program calls an output (the text the output choice shows) and the extension of the
// file it writes (empty: no file of its own the user names).
struct CadOutputKind {
  const char* name;
  const char* extension;
};

// The entry of a code; a code outside 0..6 gets that of None.
const CadOutputKind& CadOutputInfo(uint16_t code);
inline const CadOutputKind& CadOutputInfo(CadOutput o) { return CadOutputInfo(static_cast<uint16_t>(o)); }
// Whether the code is an output to a file the user names (DXF, IGES, TXT, STL).
bool CadFileOutput(uint16_t code);
inline uint16_t CadCodeOf(CadOutput o) { return static_cast<uint16_t>(o); }

// Settings of the kernel that outlive a run. The state of a run is cadrun (cadsettings.h).
struct CadKernel {
  // Folder of the user's own block files (logo, head and insert blocks). Searched before TempDir
  // when a user block is read back; never cleaned. Empty: TrimAndAddSlash(DataDir) + "blocks".
  std::string UserBlockDir;
};

extern CadKernel cadKernel;
// Resets cadKernel and the files, blocks, page and read-back of cadrun.
void InitCadKernel();

// An arc as it reaches a file writer: centre, radius, angles in degrees (counter-clockwise from a1
// to a2) and the start and end points the angles give.
struct CadArcCall {
  long double x, y, a1, a2, r;
  long double xs, ys, xe, ye;
};

// The writer of one output. Coordinates arrive with the origin offset added. A writer reports
// failures by setting programState.ErrorFlag (or through failed()); it must not throw.
class CadWriter {
 public:
  virtual ~CadWriter() = default;
  // File extension of the output, without dot ("igs", "txt", "stl"), as CadOutputInfo gives it.
  virtual std::string extension() const = 0;
  // Creates the output file (the name is chosen already). False when it cannot be created.
  virtual bool open(const std::string& fileName) = 0;
  // Completes and closes the file. False when that failed.
  virtual bool close() = 0;
  // Closes and drops whatever is open after a failure; must be safe when nothing is open.
  virtual void abandon() = 0;

  virtual void pageSetup(long double xmin, long double ymin, long double xmax, long double ymax,
                         long double height) = 0;
  virtual void writeTables(int32_t /*level*/) {}
  virtual void beginBlocks() {}
  virtual void beginBlock(const std::string& /*name*/) {}
  virtual void endBlock() {}
  virtual void endSection() {}
  virtual void beginEntities() {}
  virtual void insertBlock(const std::string& /*name*/, long double /*x*/, long double /*y*/,
                           long double /*angle*/, long double /*sx*/, long double /*sy*/) {}

  virtual void line(long double x1, long double y1, long double x2, long double y2) = 0;
  virtual void circle(long double x, long double y, long double r) = 0;
  virtual void arc(const CadArcCall& a) = 0;
  virtual void text(const std::string& text, long double x, long double y) = 0;
  virtual void solid(long double x1, long double y1, long double x2, long double y2, long double x3,
                     long double y3, long double x4, long double y4) = 0;
  virtual void setColor(int32_t /*n*/) {}
  virtual void textStyle(int32_t /*font*/, long double /*angle*/, long double /*height*/, long double /*width*/) {}
  virtual void lineStyle(uint16_t /*style*/) {}
  // After the run, also a failed one: ok when the output is complete.
  virtual void finish(bool /*ok*/) {}

  // STL-like outputs: blocks go through block files that are read back at every insertion, and
  // circles and arcs reach line() as segments (circle() and arc() are then never called).
  virtual bool blocksAsFiles() const { return false; }
  // Circles and arcs reach line() as segments.
  virtual bool arcsAsSegments() const { return blocksAsFiles(); }
  // arc() gets the end points of the arc (xs, ys, xe, ye); else they are left at 0 and the
  // kernel spares the four sines and cosines.
  virtual bool arcEndPoints() const { return true; }
  // What the kernel adds to every page of this output around the caller's drawing.
  // The wall height of a solid output is asked for at each page set-up (not in a command-line run).
  virtual bool asksPageHeight() const { return false; }
  // The page border (when PrintBorder is set): drawn at the page set-up, or held back until the
  // entities begin, where a file wants its entities.
  enum class PageBorder { None, AtPageSetup, WithEntities };
  virtual PageBorder pageBorder() const { return PageBorder::None; }
  // The footer line with date, time, program and data file.
  virtual bool pageFooter() const { return false; }
  // Whether the logo block name goes onto the page (false for outputs without logos).
  virtual bool logoPresent(const std::string& /*name*/) const { return false; }
  // The user's blocks are defined in the output's own BLOCKS section.
  virtual bool definesUserBlocks() const { return false; }
  // The user's logo, head and insert blocks from block files go onto the drawing frame.
  virtual bool takesUserBlocks() const { return false; }
  // Width factor of dimension texts.
  virtual long double textWidthFactor() const { return cadSettings.CadTextWidth; }
  // Texts of block files are converted for the file (the screen reads its own back as written).
  virtual bool convertsBlockTexts() const { return true; }

  // What the output asks the user when it is chosen from the output choice; false: cancelled.
  virtual bool askSettings() { return true; }
  // Primitives reach the writer outside an output run as well (else only while its file is open).
  virtual bool takesCallsOutsideRun() const { return false; }
  // A diagram drawn for this output, when the caller named it, offers its limits to the user first.
  virtual bool asksDiagramLimits() const { return true; }

  // True once a write has failed (a writer may also just set programState.ErrorFlag).
  virtual bool failed() const { return false; }
  // The file a write failure is reported for; empty: the run's file (cadrun.CadFileName).
  virtual std::string fileName() const { return {}; }
};

// What the current output's writer says of itself (the defaults when there is no output).
bool CadOutputBlocksAsFiles();
bool CadOutputTakesUserBlocks();
long double CadOutputTextWidthFactor();
bool CadOutputConvertsBlockTexts();

// Registers the writer of an output (nullptr removes it). Returns the previous one.
std::unique_ptr<CadWriter> RegisterCadWriter(CadOutput output, std::unique_ptr<CadWriter> writer);
// The writer of an output code; nullptr for none or a code without a writer.
CadWriter* CadWriterFor(uint16_t code);
// Whether the output the run's caller named (not one the user chose) asks for diagram limits.
bool CadRequestedOutputAsksDiagramLimits();

// Output run.
void CadBeginOutput(uint16_t code);  // 0 = ask the user
void CadEndOutput();
// Asks the output (into cadSettings.CadCode) and what that output asks when chosen (the plot program's
// command line, plotcommand). False, with ErrorFlag set, when the user cancelled.
bool CadChooseCode();
void CadSetCode(uint16_t code);
// Message of a plot-program start result (WinExec-style numbers); empty when it started.
std::string CadExecResultText(int32_t r);

// State.
void CadSetOrigin(long double x, long double y);
void CadSetDimScale(long double s);
void CadSetStlZ(long double z0, long double height);
void CadTextStyle(int32_t font, long double angle, long double height, long double width);
void CadTextStyleFit(int32_t font, const std::string& text, long double angle, long double height,
                     long double width, long double available);
void CadSetColor(int32_t n);
void CadSetLineStyle(uint16_t style);
void CadMoveTo(long double x, long double y);

// Primitives.
void CadLine(long double x1, long double y1, long double x2, long double y2);
void CadCircle(long double x, long double y, long double r);
void CadArc(long double x, long double y, long double startAngle, long double endAngle, long double r);
void CadText(const std::string& text, long double x, long double y);
void CadSolid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
              long double x4, long double y4);

// Composite operations.
void CadLineTo(long double x, long double y);
void CadRectangle(long double x1, long double y1, long double x2, long double y2);
void CadHorzLine(long double x, long double y, long double length);
void CadVertLine(long double x, long double y, long double length);
void CadPolarMoveTo(long double r, long double phi);  // radians, about (0, 0)
void CadPolarLineTo(long double r, long double phi);
void CadWriteLine(const std::string& text);
void CadSpiral(long double r0, long double turns, long double pitch, int32_t segmentsPerTurn,
               long double startAngle);

// Arcs and circles as line segments (STL).
void CadArcSegments(long double xs, long double ys, long double xe, long double ye, long double sweep);
void CadCircleSegments(long double x, long double y, long double r);

// Page, sections and blocks.
void CadPageSetup(long double xmin, long double ymin, long double xmax, long double ymax, long double height);
void CadPageSetupDefault();
void CadWriteTables(int32_t level);
void CadBeginBlocks();
void CadBeginBlock(const std::string& name);
void CadEndBlock();
void CadEndSection();
void CadBeginEntities();
void CadInsertBlock(const std::string& name, long double x, long double y, long double angle, long double sx,
                    long double sy);
void CadInsertBlockOffset(const std::string& name, long double x, long double y, long double angle,
                          long double sx, long double sy);
void ReadBlockFile(const std::string& name, long double x, long double y, long double angle, long double sx,
                   long double sy);

// Drawing under the insertion transform.
void CadInsLine(long double x1, long double y1, long double x2, long double y2);
void CadInsCircle(long double x, long double y, long double r);
void CadInsArc(long double x, long double y, long double a1, long double a2, long double r);
void CadInsText(const std::string& text, long double x, long double y);
void CadInsSolid(long double x1, long double y1, long double x2, long double y2, long double x3,
                 long double y3, long double x4, long double y4);

// Block files. The program's own ones are "$<name>.dx$" in the run's work folder (workdir.h), so
// that runs never read each other's; a block the run defined is read from there. Names with a path
// separator name no block.
std::string BlockTempFile(const std::string& name);
std::string UserBlockFolder();
// The user's block file of that name: in the user block folder, else in TempDir when no run of the
// program wrote it. Empty when there is none.
std::string UserBlockFile(const std::string& name);
// Deletes the block files this program wrote in the work folder; user block files are left alone.
void CadDeleteBlockFiles();

}  // namespace qorva
