#include "foundation/ui/textprinting.h"

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/ui/programfonts.h"
#include "foundation/ui/qttext.h"
#include "foundation/windowtext.h"
#include "foundation/printsettings.h"

namespace qorva {

QFont PrintoutFont() {
  QFont font = ProgramFont(printSettings.PrintFontName);
  font.setPointSize(printSettings.PrintFontSize > 0 ? printSettings.PrintFontSize : 10);
  const FontStyleSet style = CodeToFontStyle(printSettings.PrintFontStyle);
  font.setBold(style.bold);
  font.setItalic(style.italic);
  font.setUnderline(style.underline);
  font.setStrikeOut(style.strikeOut);
  font.setStyleHint(QFont::TypeWriter);
  return font;
}

bool PrintTextSheets(QPrinter& printer, const std::vector<PrintedSheet>& sheets) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  painter.setFont(PrintoutFont());
  const QRect page = painter.viewport();
  const int lines = programState.LinesPerPage > 0 ? programState.LinesPerPage : 66;
  const int lineHeight = std::max(1, page.height() / lines);
  bool first = true;
  for (const PrintedSheet& sheet : sheets) {
    if (!first) printer.newPage();
    first = false;
    for (const PrintedLine& line : sheet.lines) {
      const QRect box(0, line.row * lineHeight, page.width(), lineHeight);
      painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                       QString::fromStdString(WinToUtf8(line.text)));
    }
  }
  return painter.end();
}

bool PrintTextPages(QPrinter& printer, const std::vector<std::string>& lines, int32_t from, int32_t to) {
  return PrintTextSheets(printer, PlanTextPrint(lines, from, to));
}

void PrintTextWithDialog(const std::string& /*fileName*/, const std::vector<std::string>& lines, int32_t pageCount) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(dosToQString(programState.CurrentFileName));
  printer.setPageOrientation(QPageLayout::Portrait);
  printer.setFromTo(1, pageCount);
  QPrintDialog dialog(&printer, QApplication::activeWindow());
  dialog.setMinMax(1, pageCount);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
  dialog.setPrintRange(QAbstractPrintDialog::PageRange);
  if (dialog.exec() != QDialog::Accepted) return;
  int32_t from = printer.fromPage();
  int32_t to = printer.toPage();
  if (from <= 0 || to <= 0) {  // all pages
    from = 1;
    to = pageCount;
  }
  if (!PrintTextPages(printer, lines, from, to)) ReportError("Drucker nicht bereit");
}

}  // namespace qorva
