// The key road after the event filter: one key (its character's first byte, its key code and
// its device-independent modifiers) decided, fed to the engine and shown.
#pragma once

#include <cstdint>

namespace imkkep {

class KEPInputController;

// true when the key was consumed; false lets the client have it. `ch` is 0-255 (0 for none).
bool KEPHandleInput(KEPInputController* controller, int ch, std::uint16_t kc, std::uint64_t mf);

}  // namespace imkkep
