#pragma once
// drawingchanges: the commands of the drawing changes (new, modify, delete, list, print, drawing
// information), the printed change log and the rules by which the change entry and the drawing
// information windows store what was typed. The windows themselves belong to the window part,
// reached through the services ChangeEntry and DrawingInfo; without them the user is told, and an
// edit stores nothing and sets ErrorFlag, as Cancel does.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/services.h"
#include "spring/drawingdata.h"
#include "spring/spring.h"

namespace qorva {

namespace ChangeCommand {
constexpr uint16_t New = 1;
constexpr uint16_t ModifyLast = 2;
constexpr uint16_t DeleteLast = 3;
constexpr uint16_t List = 4;
constexpr uint16_t Print = 5;
constexpr uint16_t DrawingInfo = 6;
}  // namespace ChangeCommand

// Carries out one command of the Documentation menu (codes above) on the spring s.
void ChangeRecordCommand(Spring& s, uint16_t code);
// The change entry and the drawing information windows: Done when they stored, Cancelled when not
// (their Cancel button sets ErrorFlag, their title bar does not), Failed with ErrorFlag set when
// there is no window.
Outcome ShowChangeEntry(uint16_t n);
Outcome ShowDrawingInfo();
// Writes the change log of the spring s to the report device (0: the configured or asked device).
void PrintChangeRecords(const Spring& s, uint16_t device);
// The label of record i in the log: its number with ChangeIndexStyle 1, else a, b, c, ...
std::string ChangeLabel(uint16_t i);

// What the change entry window hands over on OK (DOS code page), stored as change record n of a.
// The texts are cut to their lengths (20, 10, 5, 255); the description keeps its line breaks.
void StoreChangeEntry(DrawingData& a, uint16_t n, const std::string& changeIndex, const std::string& date,
                      const std::string& editor, const std::string& description);

// What the drawing information window hands over on OK (DOS code page).
struct DrawingInfoInput {
  std::string replaces, replacedBy;
  std::array<std::string, 5> rowDate, rowName;  // [1..4]; row 4 empty in the ISO 7200 layout
  // The rows of the drawing-text grid in order: x, y, h, phi, text.
  std::vector<std::array<std::string, 5>> texts;
  int32_t mode = 0;
  std::array<std::string, 3> iso;  // department, document type, document status
};
// Stores the fields in a; the ISO 7200 fields only when TitleBlockType is 1 or 2. The drawing texts:
// row 1 always, then each following row while its text is not blank, at most eight; numbers that
// are no numbers become 0.
void StoreDrawingInfo(DrawingData& a, const DrawingInfoInput& in);

// Whether the title block is laid out after DIN 6771 (TitleBlockType 0 or 3) rather than ISO 7200.
bool DinTitleBlock();

}  // namespace qorva
