#pragma once
// shellservices: the services of the application shell that the spring modules call (the help topic
// of the next prompt or window, the list of calculation messages with cause and remedy). The shell
// installs its own functions here when it starts; until then the calls do nothing visible.

#include <cstdint>
#include <functional>

namespace qorva {

struct Shellservices {
  std::function<void(uint16_t topic)> SetHelpTopicHook;
  std::function<void()> ShowCalcMessagesHook;
};

extern Shellservices shellservices;

// Help topic for the help buttons of the next prompt or window.
void SetHelpTopic(uint16_t topic);
// Offers the calculation's messages with cause and remedy (or tells that there are none).
void ShowCalcMessages();

}  // namespace qorva
