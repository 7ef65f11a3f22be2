// spring: the spring as a value.
#include "spring/spring.h"

#include <utility>

#include "foundation/error0.h"
#include "foundation/kwenvar.h"
#include "spring/qvarech.h"

namespace qorva {

Spring NewSpring() {
  Spring s;
  SetStartInputs(s.family, s.product);
  s.drawing = NewAendvar();
  s.documents = NewDokuvar();
  return s;
}

void ClearTitleLines(Spring& s) {
  for (std::size_t i = 1; i <= 3; ++i) s.TitleLines[i].clear();
}

CalcOutcome Calculate(const Spring& s, const YEB9WST_Record& rec) {
  // Only the parts the calculation reads are copied: this runs for every row of the file table.
  Spring copy;
  copy.family = s.family;
  copy.product = s.product;
  copy.family.MaterialRec = rec;
  // The message list and the flags are the last calculation's: they come back as they were.
  Error0 errors;
  const bool fatal = kwenvar.FatalError;
  const bool errorFlag = kwenvar.ErrorFlag;
  std::swap(error0, errors);

  TakeOverMaterial(copy.family);
  CalcSpring(copy);
  CalcOutcome out{std::move(copy.family), std::move(copy.product), {}, kwenvar.FatalError};
  for (uint16_t i = 1; i <= error0.ErrorCount; ++i) out.messages.push_back(error0.ErrorMsgs[i]);

  std::swap(error0, errors);
  kwenvar.FatalError = fatal;
  kwenvar.ErrorFlag = errorFlag;
  return out;
}

}  // namespace qorva
