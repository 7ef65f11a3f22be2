// spring: the spring as a value.
#include "spring/spring.h"

#include <utility>

#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "spring/calculation.h"

namespace qorva {

Spring NewSpring() {
  Spring s;
  SetStartInputs(s.family, s.product);
  s.drawing = NewDrawingData();
  s.documents = NewDocumentLinkList();
  return s;
}

void ClearTitleLines(Spring& s) {
  for (std::size_t i = 1; i <= 3; ++i) s.TitleLines[i].clear();
}

CalcOutcome Calculate(const Spring& s, const MaterialRecord& rec) {
  // Only the parts the calculation reads are copied: this runs for every row of the file table.
  Spring copy;
  copy.family = s.family;
  copy.product = s.product;
  copy.family.MaterialRec = rec;
  // The message list and the flags are the last calculation's: they come back as they were.
  ErrorList errors;
  const bool fatal = programState.FatalError;
  const bool errorFlag = programState.ErrorFlag;
  std::swap(errorList, errors);

  TakeOverMaterial(copy.family);
  CalcSpring(copy);
  CalcOutcome out{std::move(copy.family), std::move(copy.product), {}, programState.FatalError};
  for (uint16_t i = 1; i <= errorList.ErrorCount; ++i) out.messages.push_back(errorList.ErrorMsgs[i]);

  std::swap(errorList, errors);
  programState.FatalError = fatal;
  programState.ErrorFlag = errorFlag;
  return out;
}

}  // namespace qorva
