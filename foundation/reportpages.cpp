#include "foundation/reportpages.h"

#include <algorithm>
#include <utility>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "platform/launcher.h"
#include "platform/services.h"

namespace qorva {

// ---- Font style code ----

int32_t FontStyleToCode(const FontStyleSet& style) {
  return (style.bold ? 1 : 0) + (style.italic ? 2 : 0) + (style.underline ? 4 : 0) + (style.strikeOut ? 8 : 0);
}

FontStyleSet CodeToFontStyle(int32_t code) {
  if (code < 0) return {};
  return {(code & 1) != 0, (code & 2) != 0, (code & 4) != 0, (code & 8) != 0};
}

// ---- File conversion ----

void CopyDosToWinFile(const std::string& source, const std::string& dest) {
  TextFile in;
  TextFile out;
  in.Assign(source);
  if (!in.Reset()) {
    programState.ErrorFlag = true;
    return;
  }
  out.Assign(dest);
  if (!out.Rewrite()) {
    programState.ErrorFlag = true;
    return;
  }
  std::string line;
  do {
    if (!in.ReadLn(line) || !out.WriteLn(DosToWin(line))) {
      // The old copy stays as it was; the flag is already set by the failed step.
      programState.ErrorFlag = true;
      out.Discard();
      return;
    }
  } while (!in.Eof());
  in.Close();
  if (!out.Close()) programState.ErrorFlag = true;
}

// ---- Printed pages ----

bool IsFormFeedLine(const std::string& line) { return !line.empty() && line.front() == '\f'; }

int32_t CountTextPages(const std::vector<std::string>& lines) {
  int32_t page = 1;
  int32_t last = 0;
  for (const std::string& line : lines) {
    if (IsFormFeedLine(line)) {
      ++page;
    } else {
      last = page;
    }
  }
  return last;
}

std::vector<PrintedSheet> PlanTextPrint(const std::vector<std::string>& lines, int32_t from, int32_t to) {
  std::vector<PrintedSheet> sheets;
  if (from < 1 || to < from) return sheets;
  sheets.push_back(PrintedSheet{from, {}});
  int32_t page = 1;
  int32_t row = 0;
  for (const std::string& line : lines) {
    if (IsFormFeedLine(line)) {
      ++page;
      if (page >= from + 1 && page <= to) sheets.push_back(PrintedSheet{page, {}});
      row = 0;
      continue;
    }
    if (page >= from && page <= to) sheets.back().lines.push_back(PrintedLine{row, DosToWin(line)});
    ++row;
  }
  return sheets;
}

bool ReadTextLines(const std::string& fileName, std::vector<std::string>& lines) {
  lines.clear();
  const bool savedFlag = programState.ErrorFlag;
  TextFile f;
  f.Assign(fileName);
  bool ok = f.Reset();
  std::string line;
  while (ok && !f.Eof()) {
    ok = f.ReadLn(line);
    if (ok) lines.push_back(line);
  }
  if (f.IsOpen()) f.Close();
  programState.ErrorFlag = savedFlag;
  return ok;
}

void PrintTextFile(const std::string& fileName) {
  std::vector<std::string> lines;
  if (!FileCanOpen(fileName) || !ReadTextLines(fileName, lines)) {
    ShowDosMessage(fileName + " not found !");
    return;
  }
  if (programState.ErrorFlag) return;
  services().TextPrint(fileName, lines, std::max<int32_t>(1, CountTextPages(lines)));
}

// ---- External programs ----

std::string ProgramForDocument(const std::string& program) {
  const std::string p = TrimStr(program);
  // Paths written into settings on Windows name programs this machine does not have: the
  // desktop's program for the document stands in for them.
  return !p.empty() && launcher().programExists(p) ? p : DesktopOpener;
}

bool StartProgramOnDocument(const std::string& program, const std::string& document) {
  const std::string p = ProgramForDocument(program);
  if (p != DesktopOpener) return launcher().startProgram(p, {document});
  return launcher().openDocument(document);
}

}  // namespace qorva
