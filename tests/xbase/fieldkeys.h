#pragma once
// Key expressions that name one field of the current area: a small stand-in for the expression
// compiler, installed in the same hook records, for the index tests and benchmarks.

#include <string>

#include "xbase/dbf4.h"
#include "xbase/xbcommon.h"
#include "xbase/xbndx.h"

namespace qorva::xbtest {

struct FieldKey {
  uint8_t field = 0;
  TExprShape shape;
  std::string text;
  double value = 0;
};

inline FieldKey* AsFieldKey(TExprControlBlock* b) { return reinterpret_cast<FieldKey*>(b); }

inline void InstallFieldKeys() {
  xbcommon.ParserUnitLinked = true;
  TParserHooks& h = xbcommon.ParserHooks;
  h.AssignExpr = [](const std::string& text) -> TExprControlBlock* {
    const uint8_t f = FieldNo(XbAllTrim(text));
    if (f == 0) {
      XbSetError(230, text);
      return nullptr;
    }
    auto* k = new FieldKey;
    const TDbfFieldEntry& e = CurrentBlock()->Fields[f];
    k->field = f;
    k->shape = {e.Type, e.Type == 'D' ? uint16_t{8} : uint16_t{e.Len}, e.Dec};
    return reinterpret_cast<TExprControlBlock*>(k);
  };
  h.FreeExpr = [](TExprControlBlock*& b) {
    delete AsFieldKey(b);
    b = nullptr;
  };
  h.EvalExpr = [](TExprControlBlock*& b) -> void* {
    FieldKey* k = AsFieldKey(b);
    const TDbfControlBlock& cb = *CurrentBlock();
    const TDbfFieldEntry& e = cb.Fields[k->field];
    std::string raw(cb.RawRecord.begin() + e.Offset, cb.RawRecord.begin() + e.Offset + e.Len);
    if (e.Type == 'C') {
      k->text = raw;
      return k->text.data();
    }
    if (e.Type == 'D') {
      k->value = DbfDateToJulian(raw);
    } else {
      long double v = 0;
      XbParseReal(raw, v);
      k->value = static_cast<double>(v);
    }
    return &k->value;
  };
  xbndx.ExprShape = [](TExprControlBlock* b) { return AsFieldKey(b)->shape; };
}

}  // namespace qorva::xbtest
