// Writes the seed corpora of the fuzz targets whose inputs the project ships no file of, made by
// the program's own writers from its own data: indexes, memo files, delimited text, a workbook,
// configuration and session files, and the key expressions of its tables.
// Usage: qorva_fuzz_seeds <source folder> <corpus folder>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "foundation/programstate.h"
#include "fuzz/fuzzsupport.h"
#include "fuzz/xbfuzz.h"
#include "shell/configio.h"
#include "shell/spreadsheet.h"
#include "xbase/workareas.h"
#include "xbase/delimited.h"
#include "xbase/memo.h"
#include "xbase/ndxengine.h"

using namespace qorva;
namespace fs = std::filesystem;

namespace {

void Put(const fs::path& dir, const std::string& name, const std::string& bytes) {
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary) << bytes;
}

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: qorva_fuzz_seeds <source folder> <corpus folder>\n";
    return 2;
  }
  const fs::path source = argv[1], out = argv[2];
  const std::string help = Read(source / "data" / "qorva.hlp");
  fuzz::StartSettings();
  fuzz::StartEngine();

  // Indexes over the table the index target opens, by each kind of key.
  const std::string table = fuzz::MakeTable("ix.dbf", 120);
  int k = 0;
  for (const char* expr : {"NAME", "QTY", "UPPER(NAME)+STR(QTY,6)", "SUBSTR(NAME,7,2)"}) {
    USE(table + " EXCLUSIVE");
    const std::string file = fuzz::Folder() + "seed.ndx";
    if (MakeIndex(file, expr, false, 0, false, false)) Put(out / "ndx", "key" + std::to_string(++k), Read(file));
    CloseArea();
  }
  // Memo files of the three families holding pieces of the help texts; the first byte picks the family.
  for (int family = 0; family < 3; ++family) {
    const uint8_t version = family == 0 ? 0x83 : family == 1 ? 0x8B : 0xF5;
    const std::string memoTable = fuzz::MakeTable("seedm.dbf", 0, version);
    USE(memoTable + " EXCLUSIVE");
    for (size_t at = 0; at < 6; ++at) AddMemo(help.substr(std::min(at * 500, help.size()), 300 + at * 250));
    CloseArea();
    const std::string memo = Read(fuzz::Folder() + (version == 0xF5 ? "seedm.fpt" : "seedm.dbt"));
    Put(out / "memo", "family" + std::to_string(family), std::string(1, static_cast<char>(family)) + memo);
  }
  // Key and search expressions as the program and its users write them.
  k = 0;
  for (const char* expr : {"NAME", "UPPER(NAME)+STR(QTY,6)", "IIF(QTY > 50, 'gross', 'klein') + TRIM(NAME)",
                           "DTOS(DATE()) + SUBSTR(NAME, 2, 3)", "VAL(SUBSTR(NAME,2)) * 2.5 - QTY / 4",
                           "'r00' $ NAME .AND. .NOT. DELETED()", "LEN(TRIM(NAME)) = 8 .OR. QTY <= 7"})
    Put(out / "expr", "expr" + std::to_string(++k), expr);
  // The table of the delimited target written as delimited text.
  {
    const std::string t = fuzz::MakeTable("seedd.dbf", 12);
    USE(t);
    CopyToDelimited(fuzz::Folder() + "seed.txt");
    CloseArea();
    Put(out / "delimited", "table", Read(fuzz::Folder() + "seed.txt"));
  }
  // The start spring as OLE > Export writes it.
  {
    GridRows rows;
    std::ifstream in(source / "data" / "null.qva", std::ios::binary);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      rows.push_back({line});
    }
    std::string error;
    const std::string book = fuzz::Folder() + "seed.xlsx";
    if (WriteRowsToXlsx(rows, book, error)) Put(out / "xlsx", "null", Read(book));
  }
  // Configuration and session as the program writes them.
  programState.ProgStem = "qorva";
  WriteConfigFile();
  WriteSessionFile();
  Put(out / "config", "written", Read(fuzz::Folder() + "qorva.cfg"));
  Put(out / "session", "written", Read(fuzz::Folder() + "qorva.cff"));
  return 0;
}
