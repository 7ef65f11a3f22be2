// qorva_mkmattab: builds the material table yeb9wst.dbf from its text source.
//   qorva_mkmattab <source.tsv> <table.dbf>
// The same source always gives the same bytes, so the shipped table can be checked against a rebuild.
#include <cstdio>
#include <string>

#include "spring/materialsource.h"
#include "spring/materialtable.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: qorva_mkmattab <source.tsv> <table.dbf>\n", stderr);
    return 2;
  }
  std::string error;
  const std::vector<qorva::MaterialSourceRow> rows = qorva::ReadMaterialSource(argv[1], &error);
  if (!error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  if (!qorva::WriteMaterialTableDbf(rows, argv[2], &error)) {
    std::fprintf(stderr, "%s: %s\n", argv[2], error.c_str());
    return 1;
  }
  return 0;
}
