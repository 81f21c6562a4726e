// Process-wide state of the input-method server. Everything here is touched on the server's
// run-loop thread only; `_handleLocker` brackets each key so that port messages and
// notifications handled on the same loop never meet a half-done key.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

struct ime_conversation_t;

namespace imkkep {

// The server bundle: its resources, strings and companions are looked up by this identifier.
inline constexpr const char* kServerBundleIdentifier = "com.corvana.inputmethod.IMKKEP";

class KEPConvertEngine;
class KEPInputController;

// One conversation per input controller, by the conversation's address; the reload walks it
// to see whether any composition still shows candidates.
struct ConversationHandle {
  ime_conversation_t* convs = nullptr;  // not owned
};

// The input state one application had when it lost the keyboard.
struct AppInputState {
  std::uint32_t iflag = 0;
  std::uint32_t sflag = 0;
  std::int32_t switch_flag = 0;
  std::int32_t full_width_char = 0;
  std::int32_t full_width_punct = 0;
  std::int32_t full_width_space = 0;
  std::int32_t roman_mode = 0;
};

inline constexpr int kUnprocessedKeyCount = 512;

// The engine host; nullptr when start-up failed, and every key then goes to the client.
extern KEPConvertEngine* kConvertEngine;
extern std::mutex _handleLocker;
extern int _log_flag;
extern std::map<std::uintptr_t, ConversationHandle> kConvsTable;
extern std::map<std::string, AppInputState> kAppState;
// Closing bracket to its opening partner, for bracket pairing.
extern std::map<std::string, std::string> kMatchingCode;
// 1 for the key codes the server never handles (F1-F15, Help, Home, End).
extern int kUnprocessedKeys[kUnprocessedKeyCount];
extern int dict_needs_update;
// 0 while a status change from the candidate window is applied, so it is not echoed back.
extern std::uint8_t kUpdateFlag;
extern int pageup_mask;
extern int pagedown_mask;
extern int switch_mode;
extern int silent_mode;
// Keys handed to the engine, wrapping to 0 after 10000.
extern int inputCount;

// The controller last activated, the active application's path and its processor type.
extern KEPInputController* gActiveSession;
extern std::string kCurrentProcessName;
extern std::int32_t gActiveArch;

// Fills the unprocessed-key table and the bracket pairs; clears the tables of controllers and
// applications and resets the counters above to their start values.
void KEPResetServerState();

}  // namespace imkkep
