// The input state each application keeps across switches while "KeepWindowState" is on: the
// seven mode values of its conversation, saved when it loses the keyboard and given back when
// it gets it again.
#pragma once

#include <string>

struct ime_conversation_t;

namespace imkkep {

// Saves the conversation's modes as `application`'s state; nothing without a name.
void KEPSaveAppInputState(const std::string& application, const ime_conversation_t* conversation);
// Gives the conversation `application`'s saved modes; false when none were saved. The pairing
// of quotes and brackets (the high half of `iflag`) belongs to the conversation's own text and
// is kept.
bool KEPRestoreAppInputState(const std::string& application, ime_conversation_t* conversation);

}  // namespace imkkep
