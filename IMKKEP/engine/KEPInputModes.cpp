#include "IMKKEP/engine/KEPInputModes.h"

#include "CoreSource/record/conversation.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/companions/KEPMessageReceive.h"

namespace imkkep {

void KEPSetMenuItemOn(int tag, bool on) {
  if (platform::ui::MenuItem* item = IMEGetMenuItem(tag)) {
    item->state = on ? platform::ui::kStateOn : platform::ui::kStateOff;
  }
}

bool KEPMenuItemOn(int tag) {
  const platform::ui::MenuItem* item = IMEGetMenuItem(tag);
  return item != nullptr && item->state == platform::ui::kStateOn;
}

namespace {

// A mode that is one field of the conversation and one check mark, shown in the status.
int set_shown_mode(ime_conversation_t* conversation, std::int32_t ime_conversation_t::*field,
                   int tag, int on) {
  if (conversation != nullptr) conversation->*field = on == 1 ? 1 : 0;
  KEPSetMenuItemOn(tag, on == 1);
  KEPUpdateStatus();
  return 0;
}

}  // namespace

int KEPSetFullPunctMode(ime_conversation_t* conversation, int on) {
  return set_shown_mode(conversation, &ime_conversation_t::full_width_punct, kMenuFullPunct, on);
}

int KEPSetFullCharMode(ime_conversation_t* conversation, int on) {
  return set_shown_mode(conversation, &ime_conversation_t::full_width_char, kMenuFullWidthRoman,
                        on);
}

int KEPSetEnglishMode(ime_conversation_t* conversation, int on) {
  if (conversation == nullptr) return 0;
  if (on == 1) {
    conversation->roman_mode = 1;
    conversation->sflag = static_cast<std::uint32_t>(conversation->full_width_punct);
    KEPSetFullPunctMode(conversation, 0);
  } else {
    conversation->roman_mode = 0;
    KEPSetFullPunctMode(conversation, conversation->sflag != 0 ? 1 : 0);
  }
  KEPSetMenuItemOn(kMenuRoman, on == 1);
  KEPUpdateStatus();
  return 0;
}

int KEPSetEnglishMode2(ime_conversation_t* conversation, int on) {
  return set_shown_mode(conversation, &ime_conversation_t::roman_mode, kMenuRoman, on);
}

int KEPSetHZSpace(ime_conversation_t* conversation) {
  if (conversation == nullptr) return 0;
  KEPSetMenuItemOn(kMenuFullWidthSpace, conversation->full_width_space == 0);
  conversation->full_width_space = conversation->full_width_space == 0 ? 1 : 0;
  return 0;
}

int KEPSwitchSimplTrad(ime_conversation_t* conversation) {
  if (conversation == nullptr) return 0;
  conversation->mode ^= IME_MODE_TRADITIONAL;
  KEPSetMenuItemOn(kMenuTradOutput, (conversation->mode & IME_MODE_TRADITIONAL) != 0);
  KEPUpdateStatus();
  return 0;
}

}  // namespace imkkep
