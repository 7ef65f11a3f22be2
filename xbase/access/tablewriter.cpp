// tablewriter: the table writer.
#include "xbase/access/tablewriter.h"

#include "foundation/reportwriter.h"
#include "foundation/utilstr.h"

namespace qorva {

namespace {

constexpr size_t kMaxText = 60;

TableWriter::Texts Cut(const TableWriter::Texts& texts) {
  TableWriter::Texts out;
  for (size_t i = 0; i < out.size(); ++i) out[i] = texts[i].substr(0, kMaxText);
  return out;
}

void Separator(void (*make)(std::string&)) {
  std::string s;
  make(s);
  WriteTextLine(s);
}

}  // namespace

int TableWriter::columns() const {
  int n = 2;
  while (n < kColumns && widths_[static_cast<size_t>(n)] != 0) ++n;
  return n;
}

void TableWriter::writeTab(const Texts& texts) {
  std::string line = texts[0];
  for (int i = 1; i < columns(); ++i) line += "\t" + texts[static_cast<size_t>(i)];
  OutLine(line);
}

void TableWriter::writePlain(const Texts& texts) {
  std::string line;
  for (int i = 0; i < columns(); ++i) line += PadRight(texts[static_cast<size_t>(i)], widths_[static_cast<size_t>(i)]);
  WriteTextLine(line + " ");
}

void TableWriter::Init(const Widths& widths, const Texts& titles) {
  widths_ = widths;
  texts_ = Cut(titles);
  separatorAfterRow_ = true;
  switch (OutputLayout()) {
    case ReportLayout::Tab:
      writeTab(texts_);
      break;
    case ReportLayout::Html: {
      OutLine("<TABLE BORDER = \"1\" WIDTH= \"100%\">");
      std::string line = "<TR>";
      for (int i = 0; i < columns(); ++i)
        line += "<TD><CENTER>" + HtmlEscape(texts_[static_cast<size_t>(i)]) + "</CENTER></TD>";
      OutLine(line + "</TR>");
      break;
    }
    case ReportLayout::Plain:
      Separator(DoubleSeparator);
      writePlain(texts_);
      Separator(DoubleSeparator);
  }
}

void TableWriter::WriteRow(const Texts& texts) {
  texts_ = Cut(texts);
  switch (OutputLayout()) {
    case ReportLayout::Tab:
      writeTab(texts_);
      break;
    case ReportLayout::Html: {
      std::string line = "<TR><TD>" + HtmlEscape(texts_[0]) + "</TD>";
      for (int i = 1; i < columns(); ++i)
        line += "<TD><DIV ALIGN=RIGHT>" + HtmlEscape(texts_[static_cast<size_t>(i)]) + "</DIV></TD>";
      OutLine(line + "</TR>");
      break;
    }
    case ReportLayout::Plain:
      writePlain(texts_);
      if (separatorAfterRow_) Separator(ThinSeparator);
  }
}

void TableWriter::Done() {
  if (OutputLayout() == ReportLayout::Html) OutLine("</TABLE>");
}

}  // namespace qorva
