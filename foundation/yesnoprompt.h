#pragma once
// yesnoprompt: yes/no questions (a radio dialog with "&Ja" and "&Nein") and the yes/no/cancel box.

#include <string>

namespace qorva {

// answer becomes 'J' or 'N'; 'N' (any case) preselects "&Nein". Cancel sets ErrorFlag, answer unchanged.
void AskYesNo(const std::string& prompt, char& answer);
// AskYesNo on 'J'/'N' preset from value; value := answer is not 'N'. Cancel leaves value unchanged.
void AskYesNoBool(const std::string& prompt, bool& value);
// Yes/No/Cancel box captioned ProgTitle: true on Yes; false on No; false and ErrorFlag set on Cancel.
bool AskYesNoCancel(const std::string& text);
bool AskYesNoCancelB(const std::string& text);

}  // namespace qorva
