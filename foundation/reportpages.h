#pragma once
// reportpages: what the text viewer and the printout of a report share without a window: the copy of a
// DOS text file into the display code page, the font style code of the printout font, the division
// of a text file into printed pages at form-feed lines, the printing entry that the report writer
// calls, and starting a program on a document.
//
// The print dialog and printer are the service TextPrint; without it the user is told that the
// printer is not available (nothing else in a headless run could print).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qorva {

// ---- Font style code: bold 1, italic 2, underline 4, strike-out 8 ----

struct FontStyleSet {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  bool operator==(const FontStyleSet&) const = default;
};

int32_t FontStyleToCode(const FontStyleSet& style);
// Codes above 15 keep their four low bits; negative codes give the plain style.
FontStyleSet CodeToFontStyle(int32_t code);

// ---- File conversion ----

// Writes dest as a copy of the text file source, every line through DosToWin, at least one line.
// dest is replaced only by a complete copy. Failures set ErrorFlag and report nothing.
void CopyDosToWinFile(const std::string& source, const std::string& dest);

// ---- Printed pages ----

// One printed line: its row on the sheet (0 at the top; y = row x line height) and its text in
// the Windows code page.
struct PrintedLine {
  int32_t row = 0;
  std::string text;
};
// One sheet of the printout, with the number of the text page it shows.
struct PrintedSheet {
  int32_t page = 1;
  std::vector<PrintedLine> lines;
};

// True for a line that begins with a form feed (character 12): it starts the next page.
bool IsFormFeedLine(const std::string& line);
// The number of the last page that holds a line other than a form-feed line (0 for no such line).
int32_t CountTextPages(const std::vector<std::string>& lines);
// The sheets that printing pages from..to of lines gives, in order. No page limit.
std::vector<PrintedSheet> PlanTextPrint(const std::vector<std::string>& lines, int32_t from, int32_t to);
// Reads a DOS text file into lines; false (ErrorFlag untouched) when it cannot be read.
bool ReadTextLines(const std::string& fileName, std::vector<std::string>& lines);

// Prints fileName (a DOS text file) after a print dialog; the printer service gets the file's lines and its
// page count (at least 1). A missing file is reported as fileName + " not found !".
void PrintTextFile(const std::string& fileName);

// ---- External programs ----

// Opens document in program: started with the document as its one argument when the program
// exists, else (a Windows path or a program this machine lacks) with the desktop's program for the
// document. False when neither could be started.
bool StartProgramOnDocument(const std::string& program, const std::string& document);
// The program StartProgramOnDocument runs for program: program itself when it exists, else the
// desktop's opener.
std::string ProgramForDocument(const std::string& program);

}  // namespace qorva
