#include "IMKKEP/controller/KEPAppInputState.h"

#include "CoreSource/record/conversation.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"

namespace imkkep {
namespace {

// Bits 16-31 of iflag hold the open quotes and brackets of the text typed so far.
constexpr std::uint32_t kPairingBits = 0xFFFF0000u;

}  // namespace

void KEPSaveAppInputState(const std::string& application, const ime_conversation_t* c) {
  if (application.empty()) return;
  KEPLog("Now keep %s state :%x, %x", application.c_str(), c->iflag, c->sflag);
  AppInputState& state = kAppState[application];
  state.iflag = c->iflag;
  state.sflag = c->sflag;
  state.switch_flag = c->switch_flag;
  state.roman_mode = c->roman_mode;
  state.full_width_punct = c->full_width_punct;
  state.full_width_char = c->full_width_char;
  state.full_width_space = c->full_width_space;
}

bool KEPRestoreAppInputState(const std::string& application, ime_conversation_t* c) {
  const auto found = kAppState.find(application);
  if (application.empty() || found == kAppState.end()) {
    KEPLog("No entry read from %s", application.c_str());
    return false;
  }
  const AppInputState& state = found->second;
  // A fresh conversation (all bits set) takes the saved value whole: it has no text yet.
  const std::uint32_t own_pairing = c->iflag == 0xFFFFFFFFu ? 0 : c->iflag & kPairingBits;
  c->iflag = (state.iflag & ~kPairingBits) | own_pairing;
  c->sflag = state.sflag;
  c->switch_flag = state.switch_flag;
  c->roman_mode = state.roman_mode;
  c->full_width_punct = state.full_width_punct;
  c->full_width_char = state.full_width_char;
  c->full_width_space = state.full_width_space;
  KEPLog("Read iflag, sflag from %s, %x,%x switch_flag=%d punct=%d char=%d space=%d",
         application.c_str(), c->iflag, c->sflag, c->switch_flag, c->full_width_punct,
         c->full_width_char, c->full_width_space);
  return true;
}

}  // namespace imkkep
