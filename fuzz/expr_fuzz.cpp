// A dBase expression as a user types it (browse window search, index key): compiled for a sound
// table and evaluated on its records.
#include "fuzz/fuzzsupport.h"
#include "fuzz/xbfuzz.h"
#include "xbase/workareas.h"
#include "xbase/expressionevaluator.h"
#include "xbase/expressionparser.h"

using namespace qorva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  fuzz::StartEngine();
  static const std::string table = fuzz::MakeTable("ex.dbf", 3);
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    USE(table);
    std::string message;
    TExprControlBlock* block = CompileUserExpr(text, message);
    engineState.XbErrorCode = 0;
    if (block) {
      for (int32_t n = 1; n <= RecCount(); ++n) {
        GO(n);
        EvalExpr(block);
        engineState.XbErrorCode = 0;
      }
      FreeExpr(block);
    }
  } catch (EXbaseError&) {
  }
  try {
    CloseArea();
  } catch (EXbaseError&) {
  }
  return 0;
}
