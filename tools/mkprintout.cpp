// qorva_mkprintout: writes the print-preset table printout.dbf with the presets the program ships.
//   qorva_mkprintout <table.dbf>
// The same presets always give the same bytes, so the shipped table can be checked against a rebuild.
#include <cstdio>
#include <string>

#include "shell/printpreset.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: qorva_mkprintout <table.dbf>\n", stderr);
    return 2;
  }
  std::string error;
  if (!qorva::WritePrintPresetTable(argv[1], &error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  return 0;
}
