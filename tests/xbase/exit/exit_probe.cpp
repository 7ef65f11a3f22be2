// A program that ends with the table-access layer's table and its order index still open, linked
// as the program is (the layer before the engine): its statics go in that order at exit.
// Usage: xbase_exit_probe <table folder> <work folder> <table>
#include "foundation/programstate.h"
#include "xbase/access/tableaccess.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  qorva::programState.DbfDir = argv[1];
  qorva::programState.TempDir = argv[2];
  qorva::DbfOpenTable(argv[3]);
  qorva::DbfIndexOnTemp("NAME", "order");
  return qorva::programState.ErrorFlag ? 3 : 0;
}
