// errorlist: the calculation's error-message list.
#include "foundation/errorlist.h"

#include "foundation/programstate.h"

namespace qorva {

ErrorList errorList;

namespace {
constexpr const char* FatalPrefix = "Fatal  : ";
}  // namespace

void AddErrorMsg(const std::string& text) {
  // A fatal message makes the results unusable even when the full list has to drop its text.
  if (text.rfind(FatalPrefix, 0) == 0) programState.FatalError = true;
  uint16_t n = errorList.ErrorCount;
  if (n > MaxErrorMsgs) n = MaxErrorMsgs;  // never read beyond the list
  for (uint16_t i = 1; i <= n; ++i) {
    if (errorList.ErrorMsgs[i] == text) return;
  }
  if (n >= MaxErrorMsgs) {
    errorList.ErrorCount = MaxErrorMsgs;  // the 13th distinct text is dropped
    return;
  }
  ++n;
  errorList.ErrorMsgs[n] = text;
  errorList.ErrorCount = n;
}

void ClearErrors() {
  errorList.ErrorCount = 0;
  programState.FatalError = false;
  programState.ErrorFlag = false;
}

void ClearErrorList() {
  errorList.ErrorCount = 0;
  for (auto& s : errorList.ErrorMsgs) s.clear();
}

void InitErrorList() { ClearErrorList(); }

void FinalizeErrorList() {
  errorList.ErrorCount = 0;
  for (auto& s : errorList.ErrorMsgs) std::string().swap(s);
}

}  // namespace qorva
