#include "foundation/reportwriter.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "foundation/errorlist.h"
#include "foundation/filecheck.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/reportdevice.h"
#include "foundation/reportpages.h"
#include "foundation/choiceprompt.h"
#include "foundation/yesnoprompt.h"
#include "foundation/machinefacts.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/workdir.h"
#include "foundation/windowtext.h"
#include "foundation/desktopsettings.h"
#include "platform/services.h"
#include "platform/sysname.h"

namespace qorva {

ReportWriter reportWriter;

namespace {

namespace dev = OutputDeviceCode;

// The device of the current code; nullptr while the code names none.
ReportDevice* device() { return ReportDeviceFor(reportWriter.Device); }
ReportLayout layout() { return device() ? device()->layout() : ReportLayout::Plain; }
ReportDevice::PageFeed pageFeed() { return device() ? device()->pageFeed() : ReportDevice::PageFeed::None; }

bool isTabDevice() { return layout() == ReportLayout::Tab; }
bool isHtmlDevice() { return layout() == ReportLayout::Html; }
bool isPlainDevice() { return !isTabDevice() && !isHtmlDevice(); }

bool knownDevice(uint16_t d) { return ReportDeviceFor(d) != nullptr; }

std::string tempName(const std::string& name) { return WorkPath(name); }

std::string headTitle() { return programState.ProgTitle + "  V" + programState.ProgVersion; }

std::string blanks(int32_t n) { return std::string(static_cast<size_t>(std::max(n, 0)), ' '); }

bool isSeparatorOrSkip(const std::string& s) {
  std::string thin;
  std::string dbl;
  ThinSeparator(thin);
  DoubleSeparator(dbl);
  return s == SkipMarker || s == thin || s == dbl;
}

// A comment may not hold "--": the file name in the HTML head loses its doubled dashes.
std::string commentSafe(const std::string& s) {
  std::string r;
  for (char c : s) {
    if (c == '-' && !r.empty() && r.back() == '-') continue;
    r += c;
  }
  if (!r.empty() && r.back() == '-') r += '_';
  return r;
}

// Holds page breaks back for its lifetime (see ReportWriter::InPageBreak).
class PageBreakGuard {
 public:
  PageBreakGuard() : old_(reportWriter.InPageBreak) { reportWriter.InPageBreak = true; }
  ~PageBreakGuard() { reportWriter.InPageBreak = old_; }
  PageBreakGuard(const PageBreakGuard&) = delete;
  PageBreakGuard& operator=(const PageBreakGuard&) = delete;

 private:
  bool old_;
};

void copyPrologIfPending() {
  if (!reportWriter.PrologPending) return;
  if (ShareTextFile.mode() != TextFile::Mode::Write) return;
  reportWriter.PrologPending = false;
  CopyFileToOutput(reportWriter.PrologFile);
}

// A report line of HTML markup (the head's h4 line): counted like WriteTextLine, not escaped.
void htmlMarkupLine(const std::string& markup) {
  CloseHtmlTable();
  ++reportWriter.LineCounter;
  OutLine("<br>" + markup);
}

void plainPageHeader(int32_t pageNo, bool first) {
  PagePause();
  if (programState.ErrorFlag) return;
  if (desktopSettings.HeaderMode == 2 && !first) {
    OutLine(" ");
    return;
  }
  if (programState.SeparatorStyle == 4 && !first && reportWriter.LineCounter < programState.LinesPerPage / 2) return;
  reportWriter.LineCounter = 0;
  ++reportWriter.PageCounter;
  if (pageNo == 0) pageNo = reportWriter.PageCounter;

  if (programState.SeparatorStyle == 4) WriteTextLine("");
  for (int32_t i = 0; i < desktopSettings.HeaderSpaceLines; ++i) WriteTextLine("");
  std::string s;
  FrameTop(s);
  WriteTextLine(s);
  if (programState.ErrorFlag) return;

  const std::string fc(1, FrameChar());
  const auto framed = [&fc](const std::string& text, int32_t col) {
    std::string line = blanks(ReportWidth);
    OverwriteAt(fc, line, 1);
    OverwriteAt(text, line, col);
    OverwriteAt(fc, line, ReportWidth);
    return line;
  };

  std::string title = framed(reportWriter.kopfRec.title, 4);
  if (desktopSettings.HeaderMode != 2) {
    if (reportWriter.kopfRec.pageTotal == 0) {
      OverwriteAt("Bl." + BlankPad(pageNo, 2), title, 64);
    } else {
      OverwriteAt("Bl." + BlankPad(pageNo, 2) + "/" + BlankPad(reportWriter.kopfRec.pageTotal, 2), title, 60);
    }
  }
  WriteTextLine(title);

  std::string date = framed(DateStr(), 53);
  OverwriteAt(TimeStr(), date, 64);
  WriteTextLine(date);

  TrimInPlace(programState.CurrentFileName);
  std::string file;
  if (programState.FileNameHasPath) {
    file = programState.CurrentFileName;
  } else if (programState.DataDir.size() + programState.CurrentFileName.size() > 69) {
    file = programState.CurrentFileName + "." + programState.DataExt;
  } else {
    file = TrimAndAddSlash(programState.DataDir) + programState.CurrentFileName + "." + programState.DataExt;  // already DOS
  }
  WriteTextLine(framed(file, 4));

  FrameMiddle(s);
  WriteTextLine(s);
  for (int i = 1; i <= 4; ++i) {
    if (i == 4 && reportWriter.kopfRec.lines[4].empty()) break;
    WriteTextLine(framed(reportWriter.kopfRec.lines[static_cast<size_t>(i)], 4));
  }
  FrameBottom(s);
  WriteTextLine(s);
}

void handOver() {
  if (ReportDevice* d = device()) d->handOver(reportWriter.OutputFileName);
}

}  // namespace

void InitReportWriter() {
  reportWriter.Device = dev::Screen;
  reportWriter.PageCounter = 0;
  reportWriter.LineCounter = 0;
  reportWriter.PagePauseOn = false;
  reportWriter.HtmlTableOpen = false;
  reportWriter.OutputFileName = "$out.tmp";
  reportWriter.SavedExt.clear();
  reportWriter.kopfRec = ReportHead{};
  reportWriter.kopfRec.title = headTitle();
  reportWriter.InPageBreak = false;
  reportWriter.PrologPending = false;
  reportWriter.PrologFile.clear();
}

std::string HtmlEscape(const std::string& s) {
  std::string r;
  r.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': r += "&amp;"; break;
      case '<': r += "&lt;"; break;
      case '>': r += "&gt;"; break;
      default: r += c;
    }
  }
  return r;
}

// ---- Report ----

void BeginReport(const std::string& title, const std::string& line1, const std::string& line2,
                 const std::string& line3, const std::string& line4, int32_t pageTotal,
                 const std::array<std::string, 4>& titleLines) {
  reportWriter.kopfRec.title = title.empty() ? headTitle() : title;
  reportWriter.kopfRec.lines = {"", line1, line2, line3, line4};
  reportWriter.kopfRec.pageTotal = pageTotal;
  reportWriter.kopfRec.titleLines = titleLines;
  reportWriter.PageCounter = 0;
  reportWriter.LineCounter = 0;
}

void OpenOutput(uint16_t device, const std::string& /*fileName*/) {
  if (device == dev::KeepOpen) return;

  reportWriter.Device = desktopSettings.TextDevice;
  SetPromptHelp(1050);
  if (device == dev::DefaultDevice) {
    if (desktopSettings.TextDeviceQuery) {
      uint16_t index = knownDevice(desktopSettings.TextDevice) && desktopSettings.TextDevice <= 7 ? desktopSettings.TextDevice : 1;
      std::vector<std::string> names;
      for (uint16_t i = 1; i <= 7; ++i) names.push_back(ReportDeviceFor(i)->name());
      if (!AskChoice("Ausgabe auf ..", names, index) || programState.ErrorFlag) return;
      reportWriter.Device = index;
    }
  } else {
    reportWriter.Device = device;
  }
  // A code that names no device (a damaged configuration, a caller's slip) shows the report on screen.
  if (!knownDevice(reportWriter.Device)) reportWriter.Device = dev::Screen;
  reportWriter.PrologPending = false;
  reportWriter.HtmlTableOpen = false;

  if (!ReportDeviceFor(reportWriter.Device)->open() || programState.ErrorFlag) return;
  reportWriter.PageCounter = 0;
  reportWriter.LineCounter = 0;
}

void CreateOutput() {
  ShareTextFile.Assign(reportWriter.OutputFileName);
  RewriteChecked(ShareTextFile);
  if (programState.ErrorFlag) return;
  copyPrologIfPending();
}

void PageHeader(int32_t pageNo) {
  PageBreakGuard guard;
  copyPrologIfPending();
  const bool first = pageNo == 1 || (pageNo == 0 && reportWriter.PageCounter == 0);
  const std::string prog = programState.ProgTitle + " V" + programState.ProgVersion;
  if (isTabDevice()) {
    if (!first) return;
    WriteTextLine(prog + "\t" + DateStr() + "\t" + TimeStr());
    WriteTextLine(NoBlanks(ShownFileName(reportWriter.OutputFileName)));
    for (size_t i = 1; i <= 3; ++i) WriteTextLine(reportWriter.kopfRec.titleLines[i]);
    WriteTextLine(" ");
    ++reportWriter.PageCounter;
  } else if (isHtmlDevice()) {
    if (!first) return;
    OutLine("<!-- " + commentSafe(NoBlanks(ShownFileName(reportWriter.OutputFileName))) + " -->");
    OutLine("<!DOCTYPE html>");
    OutLine("<HTML>");
    // The bytes are the Windows code page (OutLine converts every line), and the head says so.
    OutLine("<head><meta charset=\"windows-1252\"><title>" + HtmlEscape(prog) + "</title></head>");
    OutLine("<BODY BGCOLOR=\"C0C0C0\">");
    OutLine("<hr>");
    htmlMarkupLine("<h4>" + HtmlEscape(prog) + "</h4>");
    OutLine("<hr>");
    for (size_t i = 1; i <= 4; ++i) OutLine("<h5>" + HtmlEscape(reportWriter.kopfRec.lines[i]) + "</h5>");
    OutLine("<hr>");
    ++reportWriter.PageCounter;
  } else {
    plainPageHeader(pageNo, first);
  }
}

void CloseOutput() {
  if (ShareTextFile.Failed()) {
    // A write of the report failed (it set the flag, but nobody has told the user yet).
    ReportError(ShareTextFile.IoResult() == io::WriteError ? "Diskette/Platte voll"
                                                           : "Fehler bei Zugriff auf Diskette/Platte");
    programState.ErrorFlag = true;
  }
  if (programState.ErrorFlag) {
    // An unfinished report replaces nothing and goes nowhere; temporary outputs are removed.
    ShareTextFile.Discard();
    reportWriter.HtmlTableOpen = false;
    reportWriter.PrologPending = false;
    if (device() && device()->temporaryOutput()) EraseFile(reportWriter.OutputFileName);
    ArrowCursor();
    return;
  }
  if (pageFeed() != ReportDevice::PageFeed::None && reportWriter.LineCounter > 0 &&
      (desktopSettings.HeaderMode == 2 || programState.SeparatorStyle == 4)) {
    OutText("\f");
  }
  if (isHtmlDevice()) {
    CloseHtmlTable();
    OutLine("</BODY>");
    OutLine("</HTML>");
  }
  if (ShareTextFile.IsOpen()) CloseChecked(ShareTextFile);
  if (!programState.ErrorFlag) handOver();
  ArrowCursor();
}

uint16_t OutputDevice() { return reportWriter.Device; }

ReportLayout OutputLayout() { return layout(); }

void MakeTempOutputFile(std::string& name) {
  // Probing must not leave the flag of a name that could not be created behind.
  const bool savedFlag = programState.ErrorFlag;
  for (int n = 1; n <= 11; ++n) {
    name = tempName("$OUT" + IntStr(n) + ".TMP");
    ShareTextFile.Assign(name);
    if (ShareTextFile.Rewrite() && ShareTextFile.Close()) break;
    ShareTextFile.Discard();
  }
  programState.ErrorFlag = savedFlag;
  reportWriter.OutputFileName = name;
}

void CopyFileToOutput(const std::string& fileName) {
  std::FILE* f = SysFopen(ResolveFileCase(fileName), "rb");
  if (!f) return;
  char buf[8192];
  size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    if (!ShareTextFile.Write(std::string_view(buf, n))) break;
  }
  std::fclose(f);
  ShareTextFile.Flush();
}

// ---- Lines ----

void OutLine(const std::string& s) { WriteLine(isHtmlDevice() ? DosToWin(s) : s); }

void OutText(const std::string& s) { WriteText(isHtmlDevice() ? DosToWin(s) : s); }

namespace {

// Plain text (screen, printer, file): the skip marker writes nothing; anything else counts as a
// line of the page, which may end first, and returns the text indented by seven blanks.
bool PlainLine(const std::string& s, std::string& out) {
  if (s == SkipMarker) return false;
  ++reportWriter.LineCounter;
  CheckPageEnd();
  out = "       " + s;
  return true;
}

}  // namespace

void WriteTextLine(const std::string& s) {
  if (isTabDevice()) {
    if (!isSeparatorOrSkip(s)) OutLine(s);
  } else if (isHtmlDevice()) {
    CloseHtmlTable();
    ++reportWriter.LineCounter;
    if (!isSeparatorOrSkip(s)) OutLine("<br>" + HtmlEscape(s));
  } else if (std::string line; PlainLine(s, line)) {
    OutLine(line);
  }
}

void WriteTextPart(const std::string& s) {
  if (isTabDevice()) {
    OutText(s);
  } else if (isHtmlDevice()) {
    OutText(HtmlEscape(s));
  } else if (std::string line; PlainLine(s, line)) {
    OutText(line);
  }
}

void WriteTableLine(const std::string& s) {
  if (isHtmlDevice()) {
    if (!reportWriter.HtmlTableOpen) OpenHtmlTable();
    OutLine("<TR><TD>" + HtmlEscape(s) + "</TD></TR>");
  } else {
    WriteTextLine(s);
  }
}

void WriteResultRow(const std::string& text, const std::string& symbol, const std::string& unit,
                    const std::string& value) {
  if (isTabDevice()) {
    OutLine(text + "\t" + symbol + "\t" + unit + "\t" + value);
    return;
  }
  if (isHtmlDevice()) {
    if (!reportWriter.HtmlTableOpen) OpenHtmlTable();
    OutLine("<TR><TD>" + HtmlEscape(text) + "</TD><TD>" + HtmlEscape(symbol) + "</TD><TD>" + HtmlEscape(unit) +
            "</TD><TD><DIV ALIGN=RIGHT>" + HtmlEscape(value) + "</DIV></TD></TR>");
    return;
  }
  std::string line = blanks(ReportWidth);
  OverwriteAt(text, line, 1);
  // A label that reaches the symbol's column keeps a blank before the symbol: the symbol moves right
  // while it still ends before the unit, else the label has a line of its own.
  int32_t symbolAt = ResultSymbolColumn;
  const auto textEnd = static_cast<int32_t>(text.size());
  if (!symbol.empty() && textEnd >= ResultSymbolColumn - 1) {
    symbolAt = textEnd + 2;
    if (symbolAt + static_cast<int32_t>(symbol.size()) >= ResultUnitColumn) {
      WriteTextLine(line);
      line = blanks(ReportWidth);
      symbolAt = ResultSymbolColumn;
    }
  }
  OverwriteAt(symbol, line, symbolAt);
  OverwriteAt(unit, line, ResultUnitColumn);
  std::string v = value;
  if (v.size() > 14) v = TrimStr(v);
  const int32_t len = static_cast<int32_t>(v.size());
  OverwriteAt(v, line, len > 14 ? ReportWidth - len : ResultValueColumn);
  WriteTextLine(line);
  if (programState.SeparatorStyle != 4) {
    std::string sep;
    ThinSeparator(sep);
    WriteTextLine(sep);
  }
}

void WriteLongText(const std::string& s) {
  if (s.empty()) return;
  if (!isPlainDevice() || s.size() <= 72) {
    WriteTableLine(s);
    return;
  }
  int32_t count = 0;
  int32_t maxLen = 0;
  // Every wrapped line is written: a cause or remedy is never cut short.
  for (const std::string& line : WrapToLines(s, ' ', 64, count, maxLen)) WriteTableLine(line);
}

void NumberedTitleLine(const std::string& text, const std::string& number, std::string& line) {
  line = blanks(64);
  OverwriteAt(text, line, 1);
  OverwriteAt("Nr.: " + number, line, 40);
}

// ---- Separators ----

namespace {
std::string ruled(char left, char fill, char right) {
  std::string s(ReportWidth, fill);
  s.front() = left;
  s.back() = right;
  return s;
}
std::string byStyle(const std::string& style1, const std::string& style2) {
  switch (programState.SeparatorStyle) {
    case 1: return style1;
    case 2: return style2;
    case 3: return blanks(ReportWidth);
    default: return SkipMarker;
  }
}
}  // namespace

void ThinSeparator(std::string& s) { s = byStyle(std::string(ReportWidth, '-'), std::string(ReportWidth, '\xC4')); }
void DoubleSeparator(std::string& s) {
  s = byStyle(std::string(ReportWidth, '='), std::string(ReportWidth, '\xCD'));
}
void FrameTop(std::string& s) { s = byStyle(std::string(ReportWidth, '*'), ruled('\xC9', '\xCD', '\xBB')); }
void FrameMiddle(std::string& s) { s = byStyle(std::string(ReportWidth, '*'), ruled('\xCC', '\xCD', '\xB9')); }
void FrameBottom(std::string& s) { s = byStyle(std::string(ReportWidth, '*'), ruled('\xC8', '\xCD', '\xBC')); }
char FrameChar() {
  switch (programState.SeparatorStyle) {
    case 1: return '*';
    case 2: return '\xBA';
    default: return ' ';
  }
}

// ---- Pages ----

void NewPage() {
  if (!isPlainDevice()) return;
  if (programState.SeparatorStyle == 4 && reportWriter.LineCounter < programState.LinesPerPage / 2) return;
  if (pageFeed() == ReportDevice::PageFeed::Line) {
    OutLine("\f");
  } else if (pageFeed() == ReportDevice::PageFeed::Bare) {
    OutText("\f");
  }
  reportWriter.LineCounter = 0;
}

void CheckPageEnd() {
  // A refused sheet or a failed write ends the report: no further page is started or asked for.
  if (reportWriter.InPageBreak || programState.ErrorFlag) return;
  if (reportWriter.LineCounter < programState.LinesPerPage) return;
  if (desktopSettings.HeaderMode == 2) {
    OutLine("\f");
    reportWriter.LineCounter = 0;
    return;
  }
  PageBreakGuard guard;
  NewPage();
  PageHeader(0);
  WriteTextLine("");
}

void NewPageIfNearEnd() {
  if (reportWriter.LineCounter > std::max(programState.LinesPerPage - 10, 10)) {
    NewPage();
    PageHeader(0);
  }
}

void PagePause() {
  if (!reportWriter.PagePauseOn) return;
  if (!AskYesNoCancel("Blatt in Drucker einlegen.  Fortfahren ?")) programState.ErrorFlag = true;
}

// ---- HTML tables ----

void OpenHtmlTable() {
  CloseHtmlTable();
  OutLine("<TABLE BORDER = \"2\" WIDTH= \"100%\">");
  reportWriter.HtmlTableOpen = true;
}

void CloseHtmlTable() {
  if (!reportWriter.HtmlTableOpen) return;
  OutLine("</TABLE>");
  reportWriter.HtmlTableOpen = false;
}

// ---- Calculation messages ----

void WriteMessageSection() {
  if (errorList.ErrorCount == 0) return;
  OutLine("");
  WriteTextLine("BEMERKUNGEN, WARNUNGEN, FEHLERMELDUNGEN");
  if (!isTabDevice()) {
    std::string s;
    DoubleSeparator(s);
    WriteTextLine(s);
    OutLine("");
    ThinSeparator(s);
    WriteTextLine(s);
  }
  if (isHtmlDevice()) OpenHtmlTable();
  for (uint16_t i = 1; i <= errorList.ErrorCount && !programState.ErrorFlag; ++i) {
    std::string cause;
    std::string remedy;
    if (!services().ErrorHelp(i, cause, remedy)) {
      cause = Utf8ToDos(NotAvailableText("Ursache"));
      remedy = Utf8ToDos(NotAvailableText("Abhilfe"));
    }
    const std::string& msg = errorList.ErrorMsgs[i];
    if (isTabDevice()) {
      OutLine(msg + "\t" + cause + "\t" + remedy);
      continue;
    }
    WriteTableLine(msg);
    WriteLongText(cause);
    WriteLongText(remedy);
    if (isPlainDevice() && programState.SeparatorStyle != 4) {
      std::string s;
      ThinSeparator(s);
      WriteTextLine(s);
    }
    if (isHtmlDevice()) {
      CloseHtmlTable();
      WriteTextLine("");
      OpenHtmlTable();
    }
  }
  if (isHtmlDevice()) CloseHtmlTable();
}

void WriteMessagePage() {
  if (errorList.ErrorCount == 0) return;
  PagePause();
  if (programState.ErrorFlag) return;
  PageHeader(0);
  WriteMessageSection();
  NewPage();
}

void ShowErrorList(const std::array<std::string, 4>& titleLines) {
  programState.ErrorFlag = false;
  if (errorList.ErrorCount == 0) {
    ShowInfoBox("Berechnung erfolgreich ohne Fehlermeldungen");
    return;
  }
  BeginReport(programState.ProgName + " V" + programState.ProgVersion, "Error Messages", titleLines[1], titleLines[2],
              titleLines[3], 1, titleLines);
  if (programState.FatalError) {
    ShowCalcMessages();
    return;
  }
  OpenOutput(dev::Screen, programState.CurrentFileName + ".txt");
  if (programState.ErrorFlag) return;
  CreateOutput();
  if (!programState.ErrorFlag) WriteMessagePage();
  CloseOutput();
}

}  // namespace qorva
