#include "foundation/xlsexport.h"

#include <locale.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <vector>

#include "foundation/filecheck.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/reportpages.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/spreadsheetapp.h"
#include "foundation/windowtext.h"
#include "platform/launcher.h"
#include "platform/sysname.h"

namespace qorva {

namespace {
constexpr size_t kMaxRows = 1048576;  // rows of one .xlsx sheet
}

bool WriteTextToXlsx(const std::string& textFile, const std::string& xlsxPath, std::string& error) {
  std::vector<std::string> lines;
  if (!ReadTextLines(textFile, lines)) {
    error = textFile + " nicht gefunden oder kein Zugriffsrecht !";
    programState.ErrorFlag = true;
    return false;
  }
  if (lines.empty()) lines.emplace_back();  // at least one row
  if (lines.size() > kMaxRows) {
    error = textFile + ": mehr als " + IntStr(static_cast<int64_t>(kMaxRows)) + " Zeilen";
    programState.ErrorFlag = true;
    return false;
  }
  const bool ok = WriteXlsxWorkbook(ResolveFileCase(xlsxPath), [&lines](lxw_worksheet* ws) {
    for (size_t row = 0; row < lines.size(); ++row) {
      if (lines[row].empty()) continue;
      if (worksheet_write_string(ws, static_cast<lxw_row_t>(row), 0, DosToUtf8(lines[row]).c_str(), nullptr) !=
          LXW_NO_ERROR)
        return false;
    }
    return true;
  }, error);
  if (!ok) programState.ErrorFlag = true;
  return ok;
}

namespace {

// The library formats its numbers (cell values, page margins) with printf, which follows the user's
// locale once Qt has started: "0,7" in a workbook is no number to any reader. While it writes, this
// thread formats numbers as C does.
class CNumbersForThisThread {
 public:
  CNumbersForThisThread() {
    const locale_t current = duplocale(uselocale(static_cast<locale_t>(0)));
    if (current == static_cast<locale_t>(0)) return;
    numeric_ = newlocale(LC_NUMERIC_MASK, "C", current);
    if (numeric_ == static_cast<locale_t>(0)) {
      freelocale(current);
      return;
    }
    previous_ = uselocale(numeric_);
  }
  ~CNumbersForThisThread() {
    if (numeric_ == static_cast<locale_t>(0)) return;
    uselocale(previous_);
    freelocale(numeric_);
  }
  CNumbersForThisThread(const CNumbersForThisThread&) = delete;
  CNumbersForThisThread& operator=(const CNumbersForThisThread&) = delete;

 private:
  locale_t numeric_ = static_cast<locale_t>(0);
  locale_t previous_ = static_cast<locale_t>(0);
};

}  // namespace

bool WriteXlsxWorkbook(const std::string& path, const std::function<bool(lxw_worksheet*)>& fill, std::string& error) {
  const std::string temp = path + ".tmp~" + IntStr(static_cast<int64_t>(::getpid()));
  const CNumbersForThisThread cNumbers;
  lxw_workbook* wb = workbook_new(SysName(temp).c_str());
  lxw_worksheet* ws = wb ? workbook_add_worksheet(wb, nullptr) : nullptr;
  bool ok = ws != nullptr && fill(ws);
  if (wb && workbook_close(wb) != LXW_NO_ERROR) ok = false;
  if (ok && SysRename(temp, path) != 0) ok = false;
  if (!ok) {
    SysUnlink(temp);
    error = path + ": file write error";
  }
  return ok;
}

void ExportTextToExcel(const std::string& fileName) {
  if (fileName.empty()) {
    ShowDosMessage("File not found. Use \"File->Save\"");
    programState.ErrorFlag = true;
    return;
  }
  std::string full;
  AskReadFile(fileName, full);
  if (programState.ErrorFlag) return;
  ExcelAppState& app = spreadsheetApp.ExcelApp;
  if (app.workbookPath.empty()) app.workbookPath = TrimAndAddSlash(programState.TempDir) + programState.ProgStem + ".xlsx";
  std::string error;
  app.active = true;
  const bool ok = WriteTextToXlsx(full, app.workbookPath, error);
  app.active = false;
  if (!ok) {
    ReportError(error);
    return;
  }
  if (!launcher().openDocument(app.workbookPath))
    ReportError(app.workbookPath + " not found" + MissingProgramHint(DesktopOpener));
}

}  // namespace qorva
