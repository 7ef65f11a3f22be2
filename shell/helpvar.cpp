#include "shell/helpvar.h"

#include "foundation/msgbox.h"

namespace qorva {

void SetHelpTopic(uint16_t n) { SetPromptHelp(n); }

uint16_t CurrentHelpTopic() { return msgbox.HelpTopic; }

}  // namespace qorva
