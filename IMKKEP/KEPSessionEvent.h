// The event filter: which events of the client the server looks at, and the triple
// (character, key code, modifiers) it hands to the key road.
#pragma once

#include "platform/imk/input_method.h"

namespace imkkep {

class KEPInputController;

// The first byte of the event's characters in UTF-8 (0-255), 0 when it has none. A character
// outside ASCII gives a byte of 0x80 or more.
int charCode(const platform::imk::Event& event);

// true when the event was handled.
bool KEPSessionEvent(KEPInputController* controller, const platform::imk::Event& event,
                     platform::imk::Client& client);

}  // namespace imkkep
