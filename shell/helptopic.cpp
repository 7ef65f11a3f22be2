#include "shell/helptopic.h"

#include "foundation/messagebox.h"

namespace qorva {

void SetHelpTopic(uint16_t n) { SetPromptHelp(n); }

uint16_t CurrentHelpTopic() { return messageBox.HelpTopic; }

}  // namespace qorva
