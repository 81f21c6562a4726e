#include "IMKKEP/KEPStatus.h"

#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"

namespace imkkep {

namespace {
constexpr int kDoublePinyinScheme = 1;
}

platform::plist::Dictionary KEPGetStatus() {
  // The engine's current conversation is the active controller's.
  const ime_conversation_t* convs = ime_current_convs;
  auto on = [convs](std::int32_t ime_conversation_t::*field) {
    return convs != nullptr && convs->*field == 1;
  };
  platform::plist::Dictionary status;
  status.set(kStatusFullWidthPunct, on(&ime_conversation_t::full_width_punct));
  status.set(kStatusFullWidthRoman, on(&ime_conversation_t::full_width_char));
  status.set(kStatusEnglish, on(&ime_conversation_t::roman_mode));
  status.set(kStatusPinyin, ime_mode != kDoublePinyinScheme);
  status.set(kStatusTraditional,
             convs != nullptr && (convs->mode & IME_MODE_TRADITIONAL) != 0);
  return status;
}

}  // namespace imkkep
