// shellservices: hooks to the shell's services; empty hooks do nothing.
#include "spring/shellservices.h"

namespace qorva {

Shellservices shellservices;

void SetHelpTopic(uint16_t topic) {
  if (shellservices.SetHelpTopicHook) shellservices.SetHelpTopicHook(topic);
}

void ShowCalcMessages() {
  if (shellservices.ShowCalcMessagesHook) shellservices.ShowCalcMessagesHook();
}

}  // namespace qorva
