#pragma once
// printpreset: the named print presets of graphics printouts, kept in the dBase table "printout.dbf"
// (one record a preset: name, x and y scale, x and y origin in mm, landscape, monochrome, fit to
// the drawing, border). The program reads and writes it through the table-access layer; the shipped
// table is made from the presets below by tools/mkprintout.

#include <string>
#include <vector>

#include "xbase/access/dbfbuild.h"

namespace qorva {

// One preset as the print window shows it (texts in the DOS code page, as all the program's texts).
struct PrintPreset {
  std::string name;
  std::string scaleX = "1";  // as the fields show them
  std::string scaleY = "1";
  std::string originX = "0";
  std::string originY = "0";
  bool landscape = false;
  bool monochrome = false;
  bool fit = false;
  bool border = false;
};

// The table's fields and the presets the program ships (A4 portrait and landscape, A3 landscape).
std::vector<TDbfBuildField> PrintPresetFields();
std::vector<PrintPreset> ShippedPrintPresets();
// Writes the shipped presets as a table; the same presets always give the same bytes.
bool WritePrintPresetTable(const std::string& path, std::string* error);

// Opens the presets table: "printout.dbf" in the working folder when it is there, else "printout"
// in the table folder (a missing table is told and sets ErrorFlag).
bool OpenPrintPresetTable();
// The current record of the open table as a preset (fields 2..5 by position, the logicals by name).
PrintPreset ReadPrintPreset();
// Appends p as a new record of the open table; false when nothing was appended.
bool AppendPrintPreset(const PrintPreset& p);

}  // namespace qorva
