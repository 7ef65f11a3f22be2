// spring: the spring as a value.
#include "spring/spring.h"

#include "foundation/error0.h"
#include "foundation/kwenvar.h"
#include "foundation/wkwenvar.h"
#include "spring/qvarech.h"

namespace qorva {

Spring CurrentSpring() {
  Spring s;
  s.TitleLines = kwenvar.TitleLines;
  s.family = yebglob9;
  s.product = qvaglob;
  s.drawing = aendvar;
  s.documents = dokuvar;
  s.TitleBlockType = wkwenvar.TitleBlockType;
  s.material = DesignationOf(yebglob9.MaterialRec);
  return s;
}

void MakeCurrent(const Spring& s) {
  kwenvar.TitleLines = s.TitleLines;
  yebglob9 = s.family;
  qvaglob = s.product;
  aendvar = s.drawing;
  dokuvar = s.documents;
  wkwenvar.TitleBlockType = s.TitleBlockType;
}

CalcOutcome Calculate(const Spring& s, const YEB9WST_Record& rec) { return Calculate(Spring(s), rec); }

CalcOutcome Calculate(Spring&& s, const YEB9WST_Record& rec) {
  // The calculation works on the current spring: it is set aside, the value calculated in its
  // place, and put back with its message list.
  Yebglob9 family = std::move(yebglob9);
  Qvaglob product = qvaglob;
  Error0 errors = std::move(error0);
  const bool fatal = kwenvar.FatalError;
  const bool errorFlag = kwenvar.ErrorFlag;

  CalcOutcome out{std::move(s), {}, false};
  yebglob9 = std::move(out.spring.family);
  qvaglob = out.spring.product;
  error0 = Error0{};
  yebglob9.MaterialRec = rec;
  TakeOverMaterial();
  CalcSpring();

  out.fatal = kwenvar.FatalError;
  out.spring.family = std::move(yebglob9);
  out.spring.product = qvaglob;
  for (uint16_t i = 1; i <= error0.ErrorCount; ++i) out.messages.push_back(error0.ErrorMsgs[i]);

  yebglob9 = std::move(family);
  qvaglob = product;
  error0 = std::move(errors);
  kwenvar.FatalError = fatal;
  kwenvar.ErrorFlag = errorFlag;
  return out;
}

}  // namespace qorva
