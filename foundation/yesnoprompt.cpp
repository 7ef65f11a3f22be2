// yesnoprompt: yes/no questions.
#include "foundation/yesnoprompt.h"

#include "foundation/programstate.h"
#include "foundation/windowtext.h"
#include "platform/prompts.h"

namespace qorva {

void AskYesNo(const std::string& prompt, char& answer) {
  const bool presetYes = !(answer == 'N' || answer == 'n');
  const std::optional<bool> yes = prompter().yesNo(DosToUtf8(prompt), presetYes);
  if (!yes) {
    programState.ErrorFlag = true;
    return;
  }
  if (programState.ErrorFlag) return;
  answer = *yes ? 'J' : 'N';
}

void AskYesNoBool(const std::string& prompt, bool& value) {
  char answer = value ? 'J' : 'N';
  AskYesNo(prompt, answer);
  if (programState.ErrorFlag) return;
  value = answer != 'N';
}

bool AskYesNoCancel(const std::string& text) {
  switch (prompter().yesNoCancel(DosToUtf8(programState.ProgTitle), DosToUtf8(text))) {
    case YesNoCancel::Yes:
      return true;
    case YesNoCancel::No:
      return false;
    case YesNoCancel::Cancel:
      break;
  }
  programState.ErrorFlag = true;
  return false;
}

bool AskYesNoCancelB(const std::string& text) { return AskYesNoCancel(text); }

}  // namespace qorva
