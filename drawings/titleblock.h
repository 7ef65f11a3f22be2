#pragma once
// titleblock: the title block of the production drawing in its four forms (TitleBlockType 0 "DIN 6771
// min.", 1 "ISO 7200 Fig.1", 2 "ISO 7200 Fig.2", 3 "DIN 6771"), with the last drawing changes inside
// the DIN block or as a change table on top of an ISO block, the owner field with logo block or
// owner text, and the user's optional head and insert blocks.
//
// Drawn through the CAD kernel in mm relative to the block's lower-left corner: the block sets the
// kernel origin there on entry and back to (0, 0) on exit. The user's block files ("$logo_1.dx$",
// "$head_<n>.dx$", "$insert_<n>.dx$") are looked up in the user block folder first, then TempDir (UserBlockFile).

#include <cstdint>
#include <string>

#include "spring/spring.h"

namespace qorva {

struct TitleBlock {
  // Name of the organisation that uses the program; shown in the owner field.
  std::string OwnerText;
};

extern TitleBlock titleBlock;
void InitTitleBlock();  // OwnerText empty

// Outer size of the block of a type (0 x 0 for unknown types).
struct TitleBlockSize {
  long double width = 0.0L;
  long double height = 0.0L;
};
TitleBlockSize TitleBlockSizeFor(int32_t type);

// Lower-left corner of the block on the sheet for format 3 or 4 under the current TitleBlockType and
// FrameMargin. False for other formats (no origin is set for them).
bool TitleBlockOrigin(int32_t format, long double& x, long double& y);

// Height of the change table of the drawing data d on top of an ISO block:
// (min(8, ChangeCount) + 1) * 3.5 when DwgShowChanges is set and there are changes, else 0.
long double ChangeTableHeight(const DrawingData& d);

// Index label of change record n by ChangeIndexStyle: 0 "a" for 1, 1 "1", 2 "A" for 1, else empty.
std::string ChangeIndexText(int32_t n);

// Draws the title block of the TitleBlockType in force for a sheet format, with the change records
// and title-block fields of the given drawing data d.
void DrawTitleBlock(const DrawingData& d, int32_t format, const std::string& name, const std::string& name2,
                    const std::string& number);
// The change table of d on top of an ISO block (title-block coordinates): the last 8 changes at most.
void DrawChangeTable(const DrawingData& d);

}  // namespace qorva
