#pragma once
// helppictures: the help-picture index "<progstem>.dbh" in PltDir, the browser that pages through its
// pictures in the main window with the navigator window (helppicturewindow), and one picture shown by name.
// No Qt here: the navigator is the service HelpPictureNavigator.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "foundation/utilfile.h"
#include "platform/services.h"

namespace qorva {

// Navigator actions.
constexpr int32_t HelpPicShow = 0;
constexpr int32_t HelpPicAppend = 1;
constexpr int32_t HelpPicInsert = 2;
constexpr int32_t HelpPicDelete = 3;
constexpr int32_t HelpPicChange = 9;

// At most this many index lines become entries.
constexpr int32_t MaxHelpPictures = 130;

// TrimAndAddSlash(PltDir) + ProgStem in lower case + ".dbh"; the user's copy once the user changed the
// shipped index (datafolder.h).
std::string HelpPictureIndexName();

// One field of an index line from pos on: a leading "," is skipped; a field not in double quotes
// is reported ("DBH file error") and read all the same, up to the next double quote or the end.
void ReadDbhField(const std::string& line, size_t& pos, std::string& field);
// "name","description" and the line end.
void WriteDbhLine(TextFile& f, const std::string& name, const std::string& description);

// The entry of an index line: the name padded or cut to 8, ": ", the description.
std::string HelpPictureEntry(const std::string& line);
// The picture of an entry: its first 8 characters without blanks, in lower case.
std::string HelpPictureOfEntry(const std::string& entry);

// The index as read: every line (edits keep them all) and the entries of the first 130.
struct HelpPictureIndex {
  std::vector<std::string> lines;
  std::vector<std::string> entries;
};
// The index, or none when it cannot be read (a file that is there but cannot be read is reported as
// not found).
std::optional<HelpPictureIndex> ReadHelpPictureIndex();

// Clears the drawing and sets the 160 x 120 mm picture area.
void ClearHelpPictureArea();
// Clears the drawing, sets the 160 x 120 mm picture area and draws the file. A missing picture is
// reported and the picture "null" drawn in its place; false then (ErrorFlag stays set).
bool DrawHelpPictureFile(const std::string& fileName);

// The picture name in PltDir, as a help picture (SheetFormat 1); false as DrawHelpPictureFile.
bool ShowHelpPicture(const std::string& name);

// Pages through the index; see the navigator's actions. Done when the user ended it with OK or Esc
// (or, in the demonstration, after the first picture); Cancelled when the user cancelled a step;
// Failed, after telling the user, when the navigator is missing or a changed index could not be
// written. Ending with OK or Esc, Cancelled and Failed leave ErrorFlag set for the menu command.
Outcome HelpPictureBrowser();

}  // namespace qorva
