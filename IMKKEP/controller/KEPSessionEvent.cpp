#include "IMKKEP/controller/KEPSessionEvent.h"

#include <exception>

#include "CoreSource/base/config.h"
#include "CoreSource/match/imeconvs1.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/controller/KEPHandleInput.h"
#include "IMKKEP/controller/KEPHandleInput_keys.h"
#include "platform/imk/keys.h"
#include "IMKKEP/controller/KEPInputController.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"

namespace imkkep {
namespace {

using namespace platform::imk;  // key codes and modifier masks

using platform::imk::EventType;

constexpr std::uint64_t kDeviceIndependentMask = 0x1f0000;
constexpr std::uint32_t kFreshConversation = 0xFFFFFFFFu;

bool is_function_key(std::uint16_t kc) {
  // F1 to F12.
  for (std::uint16_t code : {122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111}) {
    if (kc == code) return true;
  }
  return false;
}

}  // namespace

bool KEPSessionKey(KEPInputController* controller, int ch, std::uint16_t kc, std::uint64_t mf) {
  ime_conversation_t* c = controller->conversation();
  controller->lastModifier = 0;
  c->switch_flag = 0;
  KEPLog("Now check modifier flag.[%x][%x](%x,%x,%x)", static_cast<unsigned>(mf),
         static_cast<unsigned>(kc), static_cast<unsigned>(ch), c->inoff, c->mode);
  if (is_function_key(kc)) {
    KEPLog("Bypass the function key....");
    return false;
  }
  const bool cursor_to_end =
      mf == kCommandFlag && kc == kKeyRight && c->inoff > 0 && c->inoff > c->curpos;
  if (!cursor_to_end && ((mf & kCommandFlag) != 0 || (ch == 0 && kc != IME_KEY_SUGGEST))) {
    KEPLog("Do not handle the key.");
    return false;
  }
  if (switch_mode == static_cast<int>(kShiftFlag)) {
    if (c->inoff == 0 && mf == kCapsLockFlag) {
      KEPLog("Do not handle [2]");
      return false;
    }
    if ((mf & (kCapsLockFlag | kShiftFlag)) == (kCapsLockFlag | kShiftFlag)) {
      KEPLog("Do not handle [3]");
      return false;
    }
  }
  if (mf == kCapsLockFlag) {
    const bool reverse = ime_config_get_bool("ReverseCapsLock", 0) != 0;
    if (reverse != (c->roman_mode != 0)) {
      KEPLog("Set english....[%x][%x]", static_cast<unsigned>(mf), static_cast<unsigned>(ch));
      if (ch >= 'A' && ch <= 'Z') ch += 'a' - 'A';
    }
  }
  KEPLog("Now handle event :[%c][%x][%x]", ch, static_cast<unsigned>(kc),
         static_cast<unsigned>(mf));
  return KEPHandleInput(controller, ch, kc, mf);
}

int charCode(const platform::imk::Event& event) {
  if (event.characters.empty()) return 0;
  return static_cast<unsigned char>(event.characters.front());
}

bool KEPSessionEvent(KEPInputController* controller, const platform::imk::Event& event,
                     platform::imk::Client& client) {
  if (ime_config_get_bool("SupportNonUnicode", 0) == 0 &&
      client.info().supports_unicode == false) {
    KEPLog("IM Client does not support unicode.");
    return false;
  }
  if (event.type == EventType::FlagsChanged) {
    return KEPSessionFlagsChanged(controller, event, client);
  }
  return KEPSessionKey(controller, charCode(event), event.key_code,
                       event.modifier_flags & kDeviceIndependentMask);
}

bool KEPInputController::handleEvent(const platform::imk::Event& event,
                                     platform::imk::Client& client) {
  inProcessing = true;
  if (kConvertEngine == nullptr ||
      (event.type != EventType::KeyDown && event.type != EventType::FlagsChanged)) {
    inProcessing = false;
    return false;
  }
  ime_conversation_t* c = _convsHandle;
  KEPLog("Now start handle event.[%d,%d, %x,%x,%x]", static_cast<int>(event.type), c->inoff,
         static_cast<unsigned>(event.key_code), static_cast<unsigned>(charCode(event)),
         static_cast<unsigned>(event.modifier_flags));
  bool handled = false;
  {
    std::lock_guard<std::mutex> lock(_handleLocker);
    if (c->iflag == kFreshConversation) {
      c->iflag = 0;
      if (ime_config_get_bool("ProportionalWidthPunctation", 0) == 0) c->full_width_punct = 1;
    }
    // The menu's check mark is the record of traditional output.
    if (const platform::ui::MenuItem* item = IMEGetMenuItem(kMenuTradOutput)) {
      if (item->state == platform::ui::kStateOn) {
        c->mode |= IME_MODE_TRADITIONAL;
      } else {
        c->mode &= ~IME_MODE_TRADITIONAL;
      }
    }
    try {
      handled = KEPSessionEvent(this, event, client);
    } catch (const std::exception& error) {
      KEPLogAlways("Warning: Catch exception! ....Description:[%s]", error.what());
      recoverFromFailedKey();
      handled = false;
    } catch (...) {
      KEPLogAlways("Warning: Catch exception! ....Description:[%s]", "unknown exception");
      recoverFromFailedKey();
      handled = false;
    }
  }
  KEPLog("Event handled done.[%d,%d, %x,%x,%x]", static_cast<int>(event.type), c->inoff,
         static_cast<unsigned>(event.key_code), static_cast<unsigned>(charCode(event)),
         static_cast<unsigned>(event.modifier_flags));
  inProcessing = false;
  return handled;
}

// Commits what was typed and starts afresh after a key whose handling failed. The client that
// made the key fail may fail the commit too; the key is then lost but the server goes on.
void KEPInputController::recoverFromFailedKey() {
  try {
    KEPSessionFix(this);
  } catch (const std::exception& error) {
    KEPLogAlways("Warning: the composition could not be committed after a failure:[%s]",
                 error.what());
  } catch (...) {
    KEPLogAlways("Warning: the composition could not be committed after a failure.");
  }
  ime_convs_reset(_convsHandle);
}

}  // namespace imkkep
