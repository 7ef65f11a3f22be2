#include "fuzz/xbfuzz.h"

#include <cstdio>
#include <vector>

#include "fuzz/fuzzsupport.h"
#include "xbase/workareas.h"
#include "xbase/recordlocks.h"
#include "xbase/memo.h"
#include "xbase/tablefile.h"
#include "xbase/engine.h"
#include "xbase/ndxengine.h"
#include "xbase/expressionparser.h"

namespace qorva::fuzz {

void StartEngine() {
  static bool started = false;
  if (!started) {
    XbStartEngine();
    InitExpressionParser();
    IndexInit();
    started = true;
  }
  XbSetErrorReport(false);
  for (int a = 1; a <= 33; ++a) {
    Select(a);
    if (CurrentBlock()) CloseArea();
  }
  Select(1);
  engineState.XbErrorCode = 0;
  XbTakeErrorContext();
}

std::string MakeTable(const std::string& name, int records, uint8_t version) {
  const std::string path = Folder() + name;
  std::vector<TDbfFieldEntry> defs(4);
  defs[1].Name = "NAME", defs[1].Type = 'C', defs[1].Len = 10;
  defs[2].Name = "QTY", defs[2].Type = 'N', defs[2].Len = 6;
  defs[3].Name = "NOTE", defs[3].Type = 'M', defs[3].Len = 10;
  TDbfControlBlock cb;
  CreateDBF(cb, path, 3, defs);
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  if (f) {
    std::fputc(version, f);
    std::fclose(f);
  }
  const std::string memo = Folder() + name.substr(0, name.rfind('.')) + (version == 0xF5 ? ".fpt" : ".dbt");
  std::remove((Folder() + name.substr(0, name.rfind('.')) + ".dbt").c_str());
  NewMemoFile(memo, version, version == 0xF5 ? 64 : 512, "fuzz");
  USE(path + " EXCLUSIVE");
  for (int i = 1; i <= records; ++i) {
    char text[16];
    std::snprintf(text, sizeof text, "r%07d", i);
    ClearRecord();
    SetFieldText(1, text);
    SetFieldInt(2, i * 7 % 100);
    Append();
  }
  CloseArea();
  engineState.XbErrorCode = 0;
  return path;
}

}  // namespace qorva::fuzz
