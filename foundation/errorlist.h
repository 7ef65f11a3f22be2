#pragma once
// errorlist: the error-message list of the calculation (ErrorMsgList): at most 12 distinct
// texts in order of arrival, each beginning with its kind ("Fatal  : ", "Fehler : ", "Warnung: ").
// A "Fatal  : " text also sets programState.FatalError, even when the full list drops it.

#include <array>
#include <cstdint>
#include <string>

namespace qorva {

constexpr uint16_t MaxErrorMsgs = 12;

struct ErrorList {
  uint16_t ErrorCount = 0;                          // 0..12
  std::array<std::string, MaxErrorMsgs + 1> ErrorMsgs;  // [1..12], index 0 unused
};

extern ErrorList errorList;

// Adds text unless an equal text (whole, case-sensitive) is among 1..ErrorCount; a 13th distinct
// text is dropped and ErrorCount stays 12.
void AddErrorMsg(const std::string& text);
// ErrorCount := 0, programState.FatalError := false, programState.ErrorFlag := false; texts stay in place.
void ClearErrors();
// ErrorCount := 0 and all 12 entries emptied.
void ClearErrorList();

// Start-up initialization of the module (runs ClearErrorList) and its finalization.
void InitErrorList();
void FinalizeErrorList();

}  // namespace qorva
