// printpreset: the named print presets.
#include "shell/printpreset.h"

#include "foundation/datafolder.h"
#include "foundation/programstate.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "xbase/access/tableaccess.h"

namespace qorva {

namespace {

std::string Field(int32_t n) {
  std::string s;
  DbfGetFieldStr(n, s);
  return TrimStr(s);
}

std::string Logical(bool b) { return b ? "T" : "F"; }

}  // namespace

std::vector<TDbfBuildField> PrintPresetFields() {
  return {{"NAME", 'C', 25, 0},      {"XSCALE", 'N', 8, 3},    {"YSCALE", 'N', 8, 3},
          {"XORIGIN", 'N', 5, 0},    {"YORIGIN", 'N', 5, 0},   {"LANDSCAPE", 'L', 1, 0},
          {"MONOCHROM", 'L', 1, 0},  {"VARIABLE", 'L', 1, 0},  {"BORDERLINE", 'L', 1, 0}};
}

std::vector<PrintPreset> ShippedPrintPresets() {
  return {
      {"A4 Hochformat", "1", "1", "0", "0", false, false, true, true},
      {"A4 Querformat", "1", "1", "0", "0", true, false, true, true},
      {"A3 Querformat", "1", "1", "0", "0", true, false, true, true},
  };
}

bool WritePrintPresetTable(const std::string& path, std::string* error) {
  std::vector<TDbfBuildRow> rows;
  for (const PrintPreset& p : ShippedPrintPresets()) {
    rows.push_back({false, {p.name, p.scaleX, p.scaleY, p.originX, p.originY, Logical(p.landscape),
                            Logical(p.monochrome), Logical(p.fit), Logical(p.border)}});
  }
  LocalDateTime date;
  date.year = 2026;
  date.month = 12;
  date.day = 1;
  return DbfWriteTable(path, PrintPresetFields(), rows, date, error);
}

bool OpenPrintPresetTable() {
  programState.ErrorFlag = false;
  const std::string inWorkingDir = TrimAndAddSlash(desktopSettings.WorkingDir) + "printout.dbf";
  // A program started in its own data folder (tools/run.sh) finds the shipped table there: that one
  // goes through the table folder, where a change is kept in the user's copy.
  if (!TrimStr(desktopSettings.WorkingDir).empty() && !IsShippedFolder(desktopSettings.WorkingDir) && FileCanOpen(inWorkingDir)) {
    DbfOpenFile(inWorkingDir);
  } else {
    DbfOpenTable("printout");
  }
  return !programState.ErrorFlag;
}

PrintPreset ReadPrintPreset() {
  PrintPreset p;
  p.name = WinToDos(Field(1));  // the table speaks the Windows code page
  p.scaleX = Field(2);
  p.scaleY = Field(3);
  p.originX = Field(4);
  p.originY = Field(5);
  p.landscape = DbfGetFieldBool("landscape");
  p.monochrome = DbfGetFieldBool("monochrom");
  p.fit = DbfGetFieldBool("variable");
  p.border = DbfGetFieldBool("borderline");
  return p;
}

bool AppendPrintPreset(const PrintPreset& p) {
  DbfSetFieldStr("name", DosToWin(p.name));
  DbfSetFieldFloat("xscale", StrToReal(p.scaleX));
  DbfSetFieldFloat("yscale", StrToReal(p.scaleY));
  DbfSetFieldInt("xorigin", StrToInt0(p.originX));
  DbfSetFieldInt("yorigin", StrToInt0(p.originY));
  DbfSetFieldBool("landscape", p.landscape);
  DbfSetFieldBool("monochrom", p.monochrome);
  DbfSetFieldBool("variable", p.fit);
  DbfSetFieldBool("borderline", p.border);
  return DbfAppendRec();
}

}  // namespace qorva
