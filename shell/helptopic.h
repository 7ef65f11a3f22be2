#pragma once
// helptopic: the current help topic. It is the topic the prompts take for their help buttons
// (messageBox.HelpTopic): setting one sets the other.

#include <cstdint>

namespace qorva {

void SetHelpTopic(uint16_t n);
uint16_t CurrentHelpTopic();

}  // namespace qorva
