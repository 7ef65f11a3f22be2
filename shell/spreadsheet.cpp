#include "shell/spreadsheet.h"

#include <unistd.h>
#include <xlsxwriter.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/spreadsheetapp.h"
#include "foundation/windowtext.h"
#include "foundation/desktopsettings.h"
#include "foundation/filecheck.h"
#include "foundation/workdir.h"
#include "foundation/xlsexport.h"
#include "foundation/xlsimport.h"
#include "platform/launcher.h"
#include "platform/services.h"
#include "platform/sysname.h"
#include "spring/resultreport.h"
#include "spring/springdatafile.h"
#include "shell/springfile.h"

namespace qorva {

namespace {

constexpr size_t kMaxSheetRows = 1048576;
constexpr size_t kMaxSheetColumns = 16384;

// A text file's lines without their line ends.
bool ReadLines(const std::string& fileName, std::vector<std::string>& lines) {
  std::FILE* f = SysFopen(fileName, "rb");
  if (!f) return false;
  std::string all;
  char buf[65536];
  size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) all.append(buf, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok) return false;
  size_t pos = 0;
  while (pos < all.size()) {
    size_t end = all.find('\n', pos);
    if (end == std::string::npos) end = all.size();
    std::string line = all.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    pos = end + 1;
  }
  return true;
}

}  // namespace

bool CellNumber(const std::string& text, double& value) {
  const size_t b = text.find_first_not_of(' ');
  if (b == std::string::npos) return false;
  std::string t = text.substr(b, text.find_last_not_of(' ') - b + 1);
  // Only plain decimals: no "inf", "nan", hexadecimal or thousands separators.
  if (t.find_first_not_of("0123456789+-.,eE") != std::string::npos) return false;
  if (t.find_first_of("0123456789") == std::string::npos) return false;
  // A leading zero before another digit marks a code ("007"), which as a number would lose it.
  const size_t digits = t.find_first_not_of("+-");
  if (digits + 1 < t.size() && t[digits] == '0' && t[digits + 1] >= '0' && t[digits + 1] <= '9') return false;
  const size_t comma = t.find(',');
  if (comma != std::string::npos) {
    if (t.find('.') != std::string::npos || t.find(',', comma + 1) != std::string::npos) return false;
    t[comma] = '.';
  }
  const char* first = t.data();
  if (*first == '+') ++first;
  const auto [end, ec] = std::from_chars(first, t.data() + t.size(), value);
  return ec == std::errc() && end == t.data() + t.size() && std::isfinite(value);
}

bool WriteRowsToXlsx(const GridRows& rows, const std::string& xlsxPath, std::string& error,
                     const std::vector<bool>& textColumns) {
  if (rows.size() > kMaxSheetRows) {
    error = xlsxPath + ": mehr als " + IntStr(static_cast<int64_t>(kMaxSheetRows)) + " Zeilen";
    return false;
  }
  return WriteXlsxWorkbook(xlsxPath, [&rows, &textColumns](lxw_worksheet* ws) {
    for (size_t r = 0; r < rows.size(); ++r) {
      const size_t columns = std::min(rows[r].size(), kMaxSheetColumns);
      for (size_t c = 0; c < columns; ++c) {
        const std::string& text = rows[r][c];
        if (text.empty()) continue;
        double v = 0;
        const auto row = static_cast<lxw_row_t>(r);
        const auto col = static_cast<lxw_col_t>(c);
        const bool asText = c < textColumns.size() && textColumns[c];
        if ((!asText && CellNumber(text, v) ? worksheet_write_number(ws, row, col, v, nullptr)
                                 : worksheet_write_string(ws, row, col, text.c_str(), nullptr)) != LXW_NO_ERROR)
          return false;
      }
    }
    return true;
  }, error);
}

bool ReadTabText(const std::string& fileName, GridRows& rows) {
  std::vector<std::string> lines;
  if (!ReadLines(fileName, lines)) return false;
  for (const std::string& line : lines) {
    GridRow cells;
    size_t pos = 0;
    while (true) {
      const size_t tab = line.find('\t', pos);
      cells.push_back(DosToUtf8(line.substr(pos, tab == std::string::npos ? std::string::npos : tab - pos)));
      if (tab == std::string::npos) break;
      pos = tab + 1;
    }
    rows.push_back(std::move(cells));
  }
  return true;
}

std::string NewWorkbookPath(const std::string& kind) {
  const std::string base = TrimAndAddSlash(programState.TempDir) + programState.ProgStem + "-" + kind + "-";
  std::error_code ec;
  for (int64_t n = 1;; ++n) {
    std::string path = base + IntStr(n) + ".xlsx";
    if (!std::filesystem::exists(SysPath(path), ec)) return path;
  }
}

void ExportGridToExcel(const GridRows& rows) {
  const std::string path = NewWorkbookPath("table");
  std::string error;
  if (!WriteRowsToXlsx(rows, path, error, FileTableTextColumns())) {
    ReportError(error);
    return;
  }
  if (!launcher().openDocument(path)) ShowDosMessage("Could not start Excel" + MissingProgramHint(DesktopOpener));
}

void CreateExcelObject() {
  if (programState.CurrentFileName.empty()) {
    ShowInfoBox("Zuerst m\x81ssen Sie Ihre Eingabedaten speichern (Men\x81 \"Datei->Speichern\")");
    programState.ErrorFlag = true;
    return;
  }
  WaitCursor();
  // The desktop opens the workbooks; without its opener there is no spreadsheet program to start.
  if (!launcher().programExists("xdg-open")) {
    ShowInfoBox("Excel kann nicht gestartet werden" + MissingProgramHint(DesktopOpener));
    EndWaitCursor();
    programState.ErrorFlag = true;
    return;
  }
  EndWaitCursor();
}

void ExcelExport(const Spring& s) {
  programState.ErrorFlag = false;
  if (programState.InputModified) {
    // Saved under its own name as File > Save does, without the overwrite question.
    if (SaveSpringFile(s, programState.CurrentFileName)) programState.InputModified = false;
  }
  if (programState.ErrorFlag) return;
  spreadsheetApp.ExcelApp.workbookPath = NewWorkbookPath("file");
  ExportTextToExcel(programState.CurrentFileName);
}

void ExcelPrintout(const Spring& s) {
  programState.ErrorFlag = false;
  if (programState.FatalError) {
    ShowCalcMessages();
    return;
  }
  const bool savedQuery = desktopSettings.TextDeviceQuery;
  const uint16_t savedDevice = desktopSettings.TextDevice;
  desktopSettings.TextDeviceQuery = false;
  desktopSettings.TextDevice = 6;  // tab-separated text in the temporary folder
  const int32_t before = programState.TempFileNo;
  PrintSpringResults(s, 0);
  desktopSettings.TextDeviceQuery = savedQuery;
  desktopSettings.TextDevice = savedDevice;
  if (programState.ErrorFlag) return;
  if (programState.TempFileNo == before) {  // nothing was written
    programState.ErrorFlag = true;
    return;
  }
  // The report's tab-separated copy, where the report writer puts it: the run's work folder.
  const std::string text = WorkPath("$$" + IntStr(programState.TempFileNo) + ".txt");
  GridRows rows;
  if (!ReadTabText(text, rows)) {
    ReportError(text + " nicht gefunden oder kein Zugriffsrecht !");
    programState.ErrorFlag = true;
    return;
  }
  const std::string path = NewWorkbookPath("printout");
  std::string error;
  if (!WriteRowsToXlsx(rows, path, error)) {
    ReportError(error);
    programState.ErrorFlag = true;
    return;
  }
  if (!launcher().openDocument(path)) {
    ShowInfoBox("Excel kann nicht gestartet werden" + MissingProgramHint(DesktopOpener));
    programState.ErrorFlag = true;
  }
}

bool ReadSpringLinesFromXlsx(const std::string& xlsxPath, std::vector<std::string>& lines, std::string& error) {
  // A spring file is one column of a few hundred lines: only column A is read, and a workbook
  // with more rows than any spring file has is refused before it can take the memory.
  constexpr size_t kMaxSpringFileLines = 1000;
  std::vector<XlsxRow> rows;
  if (!ReadXlsxRows(xlsxPath, rows, error, 1, kMaxSpringFileLines)) return false;
  lines.clear();
  for (const XlsxRow& row : rows) lines.push_back(row.empty() ? std::string() : Utf8ToDos(row[0]));
  if (lines.empty()) {
    error = xlsxPath + ": Tabelle leer";
    return false;
  }
  return true;
}

SpringFileRead ReadSpringFromXlsx(const std::string& xlsxPath, const std::string& name, const Spring& base) {
  std::vector<std::string> lines;
  std::string error;
  if (!ReadSpringLinesFromXlsx(xlsxPath, lines, error)) {
    SpringFileRead failed;
    failed.spring = base;
    failed.error = error;
    return failed;
  }
  // The lines are read as the spring data file they were exported from, in memory.
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return ReadSpringText(bytes, name, base);
}

bool ExcelImport(Spring& s) {
  auto& k = programState;
  k.ErrorFlag = false;
  std::string chosen;
  AskOpenFile(TrimAndAddSlash(k.TempDir) + "*.xlsx", "*.xlsx", chosen);
  if (k.ErrorFlag) return false;
  // Named as the workbook in the messages; the spring takes them over only when they read well.
  const std::string name = FileBaseName(chosen) + "." + k.DataExt;
  const SpringFileRead read = ReadSpringFromXlsx(chosen, name, s);
  return TakeOverSpring(s, read, name) && !k.ErrorFlag;
}

}  // namespace qorva
