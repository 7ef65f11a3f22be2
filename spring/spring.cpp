// spring: the spring as a value.
#include "spring/spring.h"

#include <utility>

#include "foundation/error0.h"
#include "foundation/kwenvar.h"
#include "foundation/wkwenvar.h"
#include "spring/qvarech.h"

namespace qorva {

namespace {
Spring openSpring;
}  // namespace

Spring& OpenSpring() { return openSpring; }
// Bound to the parts of openSpring before any dynamic initialisation runs (constant initialisation).
Yebglob9& yebglob9 = openSpring.family;
Qvaglob& qvaglob = openSpring.product;
Aendvar& aendvar = openSpring.drawing;
Dokuvar& dokuvar = openSpring.documents;

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

CalcOutcome Calculate(const Spring& s, const YEB9WST_Record& rec) {
  // The calculation works on the current spring: the value takes its place for the calculation and
  // the current spring comes back with its message list (swapped, not copied: this runs for every
  // row of the file table).
  CalcOutcome out{s.family, s.product, {}, false};
  out.family.MaterialRec = rec;
  Error0 errors;
  const bool fatal = kwenvar.FatalError;
  const bool errorFlag = kwenvar.ErrorFlag;
  std::swap(yebglob9, out.family);
  std::swap(qvaglob, out.product);
  std::swap(error0, errors);

  TakeOverMaterial();
  CalcSpring();
  out.fatal = kwenvar.FatalError;
  for (uint16_t i = 1; i <= error0.ErrorCount; ++i) out.messages.push_back(error0.ErrorMsgs[i]);

  std::swap(yebglob9, out.family);
  std::swap(qvaglob, out.product);
  std::swap(error0, errors);
  kwenvar.FatalError = fatal;
  kwenvar.ErrorFlag = errorFlag;
  return out;
}

}  // namespace qorva
