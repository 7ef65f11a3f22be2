// error0: the calculation's error-message list.
#include "foundation/error0.h"

#include "foundation/kwenvar.h"

namespace qorva {

Error0 error0;

namespace {
constexpr const char* FatalPrefix = "Fatal  : ";
}  // namespace

void AddErrorMsg(const std::string& text) {
  // A fatal message makes the results unusable even when the full list has to drop its text.
  if (text.rfind(FatalPrefix, 0) == 0) kwenvar.FatalError = true;
  uint16_t n = error0.ErrorCount;
  if (n > MaxErrorMsgs) n = MaxErrorMsgs;  // never read beyond the list
  for (uint16_t i = 1; i <= n; ++i) {
    if (error0.ErrorMsgs[i] == text) return;
  }
  if (n >= MaxErrorMsgs) {
    error0.ErrorCount = MaxErrorMsgs;  // the 13th distinct text is dropped
    return;
  }
  ++n;
  error0.ErrorMsgs[n] = text;
  error0.ErrorCount = n;
}

void ClearErrors() {
  error0.ErrorCount = 0;
  kwenvar.FatalError = false;
  kwenvar.ErrorFlag = false;
}

void ClearErrorList() {
  error0.ErrorCount = 0;
  for (auto& s : error0.ErrorMsgs) s.clear();
}

void InitError0() { ClearErrorList(); }

void FinalizeError0() {
  error0.ErrorCount = 0;
  for (auto& s : error0.ErrorMsgs) std::string().swap(s);
}

}  // namespace qorva
