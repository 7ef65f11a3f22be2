#pragma once
// textprinting: printing a DOS text file on a QPrinter, one sheet per text page (a page ends at each
// line that begins with a form feed), in the configured printout font; the line height divides the
// printable height into LinesPerPage lines.

#include <string>
#include <vector>

#include "foundation/reportpages.h"

class QFont;
class QPrinter;
class QWidget;

namespace qorva {

// The printout font: PrintFontName, PrintFontSize and the style of PrintFontStyle.
QFont PrintoutFont();

// Prints the sheets on printer (which is begun and ended here); false when it cannot be begun.
bool PrintTextSheets(QPrinter& printer, const std::vector<PrintedSheet>& sheets);

// Prints pages from..to of lines on printer; false when the printer cannot be begun.
bool PrintTextPages(QPrinter& printer, const std::vector<std::string>& lines, int32_t from, int32_t to);

// The print dialog (document title CurrentFileName, portrait, pages 1..pageCount offered and
// preselected), then the chosen pages. Cancelling prints nothing and sets no flag.
void PrintTextWithDialog(const std::string& fileName, const std::vector<std::string>& lines, int32_t pageCount);

}  // namespace qorva
