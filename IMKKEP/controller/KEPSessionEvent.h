// The event filter: which events of the client the server looks at, and the triple
// (character, key code, modifiers) it hands to the key road.
#pragma once

#include <cstdint>

#include "platform/imk/input_method.h"

namespace imkkep {

class KEPInputController;

// The first byte of the event's characters in UTF-8 (0-255), 0 when it has none. A character
// outside ASCII gives a byte of 0x80 or more.
int charCode(const platform::imk::Event& event);

// The key path of the filter for a key (ch, kc, mf): function and Command keys, the
// switch-key checks, Caps Lock lower-casing, then the key road. true when handled.
bool KEPSessionKey(KEPInputController* controller, int ch, std::uint16_t kc, std::uint64_t mf);

// A modifier change: the selection hot key, the switch key (Shift or Caps Lock) and the
// Control-alone suggestion. The side-specific modifier bits come with the event's flags.
bool KEPSessionFlagsChanged(KEPInputController* controller, const platform::imk::Event& event,
                            platform::imk::Client& client);

// true when the event was handled.
bool KEPSessionEvent(KEPInputController* controller, const platform::imk::Event& event,
                     platform::imk::Client& client);

}  // namespace imkkep
