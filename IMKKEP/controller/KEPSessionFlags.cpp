// The modifier-change half of the event filter. Events carry the device-independent masks and,
// in their low bits, which physical modifier keys are down; nothing here remembers key-ups.
#include <string>

#include "CoreSource/base/config.h"
#include "CoreSource/match/imeconvs1.h"
#include "CoreSource/record/conversation.h"
#include "IMKKEP/controller/KEPActiveInputArea.h"
#include "IMKKEP/controller/KEPHandleInput.h"
#include "IMKKEP/controller/KEPHandleInput_keys.h"
#include "IMKKEP/controller/KEPInputController.h"
#include "IMKKEP/engine/KEPInputModes.h"
#include "IMKKEP/companions/KEPMessageReceive.h"
#include "IMKKEP/controller/KEPSessionEvent.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"
#include "platform/imk/keys.h"

namespace imkkep {
namespace {

using namespace platform::imk;  // modifier masks and side bits

constexpr std::uint64_t kSideBits = 0xffff;

struct HotKey {
  std::uint64_t flag;
  std::uint64_t left;
  std::uint64_t right;
};

// The modifier whose lone press picks candidate 2 (left key) or 3 (right key).
HotKey selection_hot_key() {
  switch (ime_config_get_int("SelectionHotKey", 0)) {
    case 1:
      return {kControlFlag, kLeftControlBit, kRightControlBit};
    case 2:
      return {kOptionFlag, kLeftOptionBit, kRightOptionBit};
    case 3:
      return {kCommandFlag, kLeftCommandBit, kRightCommandBit};
    default:
      return {kShiftFlag, kLeftShiftBit, kRightShiftBit};
  }
}

// The side bits of an event and the HID usages of the keys they stand for.
struct SideKey {
  std::uint64_t bit;
  int usage;
};
constexpr SideKey kSideKeys[] = {
    {kLeftControlBit, 224},  {kLeftShiftBit, 225},  {kLeftOptionBit, 226},
    {kLeftCommandBit, 227},  {kRightControlBit, 228}, {kRightShiftBit, 229},
    {kRightOptionBit, 230},  {kRightCommandBit, 231},
};

// "Left Shift, Right Command": the modifier keys the side bits say are down.
std::string side_keys_down(std::uint64_t side) {
  std::string names;
  for (const SideKey& key : kSideKeys) {
    if ((side & key.bit) == 0) continue;
    if (!names.empty()) names += ", ";
    names += modifierKeyString(key.usage);
  }
  return names;
}

bool setting(const char* key) { return ime_config_get_bool(key, 0) != 0; }

// English on: what was typed goes in as letters (or is dropped with inline editing off) and
// the windows close.
void enter_english(KEPInputController* controller) {
  ime_conversation_t* c = controller->conversation();
  if (c->roman_mode == 0) KEPSetEnglishMode2(c, 1);
  if (c->inoff > 0) {
    if (!setting("IgnoreInline")) {
      KEPUpdateActiveInputArea(controller, kCommitLetters);
      ime_convs_reset(c);
    } else {
      ime_convs_reset(c);
      KEPUpdateActiveInputArea(controller, kShowMarkedText);
    }
  } else {
    ime_convs_reset(c);
  }
  KEPHideVModeWindow(controller);
  KEPHideCandidateWindow(controller);
}

}  // namespace

bool KEPSessionFlagsChanged(KEPInputController* controller, const Event& event, Client& client) {
  ime_conversation_t* c = controller->conversation();
  const std::uint64_t side = event.modifier_flags & kSideBits;
  const std::uint64_t mf = event.modifier_flags & kDeviceIndependentFlags;
  const std::uint16_t kc = event.key_code;
  if (_log_flag != 0) {
    if (const std::string down = side_keys_down(side); !down.empty()) {
      KEPLog("Modifier keys down: %s.", down.c_str());
    }
  }

  if (c->inoff > 0 && c->ncand > 0) {
    if (setting("ApplyHotKeySelection")) {
      const HotKey hot = selection_hot_key();
      if (mf == hot.flag && (side & hot.left) != 0) return KEPSessionKey(controller, '2', 19, 0);
      if (mf == hot.flag && (side & hot.right) != 0) return KEPSessionKey(controller, '3', 20, 0);
    }
    // Every other change is refused on the key path, which also disarms the switch key, so a
    // stray Shift tap cannot commit the letters in the middle of a word. Caps Lock alone goes
    // on: its light has already changed, and the mode must follow it.
    if (kc != 0 && kc != kKeyCapsLock) return KEPSessionKey(controller, 0, kc, 0);
  }

  if ((mf & kCommandFlag) != 0) return false;
  const bool caps_switch = switch_mode == static_cast<int>(kCapsLockFlag);
  const bool shift_switch = switch_mode == static_cast<int>(kShiftFlag);
  if (mf == static_cast<std::uint64_t>(switch_mode)) {
    KEPLog("The changer is match the switcher key.[%x,%x,%x]", static_cast<unsigned>(mf),
           static_cast<unsigned>(controller->lastModifier), static_cast<unsigned>(kc));
    const std::uint64_t last = controller->lastModifier;
    // Shift let go last from a chord (Control+Shift, Control released first) does not count.
    if (caps_switch ||
        (shift_switch && (last == 0 || (last & kShiftFlag) == 0 || last == kShiftFlag))) {
      c->switch_flag = 1;
    }
  }
  const bool reverse = setting("ReverseCapsLock");
  if (caps_switch && mf == kCapsLockFlag) {
    KEPLog("Caps lock key pressed.");
    if (!reverse) {
      enter_english(controller);
      KEPLog("[CAPS] Set the input mode to English mode.");
    } else if (c->roman_mode != 0) {
      KEPSetEnglishMode2(c, 0);
    }
  }
  if (caps_switch && mf == 0) {
    KEPSetEnglishMode2(c, (client.caps_lock_on() != reverse) ? 1 : 0);
  }
  if (shift_switch && mf == 0 && c->switch_flag != 0) {
    if (c->roman_mode != 0 && (c->mode & IME_MODE_D) == 0) {
      KEPSetEnglishMode2(c, 0);
      KEPLog("[SHIFT] Set the input mode to Chinese mode.");
    } else {
      enter_english(controller);
      KEPLog("[SHIFT] Set the input mode to English mode.");
    }
    c->switch_flag = 0;
  }
  controller->lastModifier = mf;
  if ((mf & kControlFlag) != 0 && c->inoff > 0) {
    KEPLog("Key suggest pressed.");
    return KEPHandleInput(controller, 0, IME_KEY_SUGGEST, mf);
  }
  return false;
}

}  // namespace imkkep
