#pragma once
// drawingdata: the drawing data that belongs to a spring and is saved with it in its spring
// data file: the drawing change records, the title-block fields and the free drawing texts.
// Owns only data; the windows that edit it belong to the shell, the drawing frame reads it, and the
// spring data file (springdatafile) writes and reads it. Texts are DOS code page 437.

#include <array>
#include <cstdint>
#include <string>

namespace qorva {

constexpr uint16_t MaxChangeRecords = 25;
constexpr uint16_t MaxDrawingTexts = 8;
// The line break of a change description held in memory. The spring data file keeps a description
// on one line with "|" for each break; CR LF, CR and LF all count as one break there.
inline const std::string DescriptionLineBreak = "\n";

// One drawing change, in the order the file holds them.
struct ChangeRecord {
  std::string ChangeIndex;  // the user's own label of the change (up to 20 characters)
  std::string Date;         // up to 10
  std::string Editor;       // up to 5
  std::string Description;  // up to 255, may hold line breaks
};

// One free text on the drawing frame: position and text height in mm on the sheet, angle in degrees.
struct DrawingTextRecord {
  long double x = 0;
  long double y = 0;
  long double h = 0;
  long double phi = 0;
  std::string Text;
};

struct DrawingData {
  // [1..25]; records 1..ChangeCount are in use, the newest last. Deleting lowers the count only, so
  // a slot keeps its texts until it is overwritten.
  std::array<ChangeRecord, MaxChangeRecords + 1> ChangeRecords;
  uint16_t ChangeCount = 0;

  // [1..8]; texts 1..DrawingTextCount are in use.
  std::array<DrawingTextRecord, MaxDrawingTexts + 1> DrawingTexts;
  uint16_t DrawingTextCount = 0;
  int32_t DrawingTextMode = 0;  // 0 A4 only, 1 A3 only, 2 both, 3 none

  // Title block: rows 1 to 4 (row 4 and the "replaces" fields for DIN 6771 only) and the three
  // document fields of ISO 7200.
  std::string TitleDrawnDate;
  std::string TitleDrawnBy;
  std::string TitleCheckedDate;
  std::string TitleCheckedBy;
  std::string TitleStandardDate;
  std::string TitleStandardBy;
  std::string TitleRow4Date;
  std::string TitleRow4Name;
  std::string TitleReplaces;    // up to 15
  std::string TitleReplacedBy;  // up to 15
  std::string TitleDepartment;
  std::string TitleDocType;
  std::string TitleDocStatus;
};


// The drawing data of a new spring: empty records and texts, no changes, no drawing texts, mode 0,
// the drawn, checked and standard dates today (DateStr), every other title-block field empty.
DrawingData NewDrawingData();
// The drawing data a for a new spring: no changes, no drawing texts, mode 0, the drawn date today and
// every other title-block field empty. The record slots keep their texts.
void ResetChangeRecords(DrawingData& a);

}  // namespace qorva
