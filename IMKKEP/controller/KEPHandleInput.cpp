#include "IMKKEP/controller/KEPHandleInput.h"

#include <sys/time.h>

#include <optional>
#include <string>

#include "CoreSource/base/config.h"
#include "CoreSource/match/imeconvs1.h"
#include "CoreSource/match/imeconvs2.h"
#include "CoreSource/match/imeconvs_plug.h"
#include "CoreSource/match/imeconvs_sp.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/record/qrdb.h"
#include "CoreSource/split/imesp.h"
#include "CoreSource/start/config_reload.h"
#include "CoreSource/text/candidate_text.h"
#include "CoreSource/text/punct.h"
#include "IMKKEP/controller/KEPActiveInputArea.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/controller/KEPHandleInput_keys.h"
#include "platform/imk/keys.h"
#include "IMKKEP/controller/KEPInputController.h"
#include "IMKKEP/companions/KEPMessageReceive.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"

namespace imkkep {
namespace {

using namespace platform::imk;  // key codes and modifier masks

constexpr std::uint64_t kRefusedModifiers = 0xc00000;
constexpr std::uint32_t kStringModes = IME_MODE_I | IME_MODE_D | IME_MODE_U;
// dpos of a composition begun by a capital letter: raw keys from the first.
constexpr std::uint16_t kRawFromStart = 999;
constexpr int kInputCountWrap = 10000;
// U+3000, the ideographic space.
constexpr const char* kFullWidthSpace = "\u3000";

bool is_lower(int ch) { return ch >= 'a' && ch <= 'z'; }
bool is_upper(int ch) { return ch >= 'A' && ch <= 'Z'; }
bool is_digit(int ch) { return ch >= '0' && ch <= '9'; }
bool is_printable(int ch) { return ch >= 0x20 && ch < 0x7f; }

bool setting(const char* key, int fallback) { return ime_config_get_bool(key, fallback) != 0; }

long long now_microseconds(timeval* now) {
  gettimeofday(now, nullptr);
  return static_cast<long long>(now->tv_sec) * 1000000 + now->tv_usec;
}

void record_key(ime_conversation_t* c, int ch) {
  c->curkey = c->lastkey = static_cast<std::uint32_t>(ch);
  gettimeofday(&c->keytime, nullptr);
}

void hide_windows(KEPInputController* controller) {
  KEPHideVModeWindow(controller);
  KEPHideCandidateWindow(controller);
}

// Drops the composition and the marked text that showed it.
void clear_composition(KEPInputController* controller) {
  ime_convs_reset(controller->conversation());
  KEPUpdateActiveInputArea(controller, kShowMarkedText);
}

bool list_has_entries(ime_conversation_t* c, int list) { return ime_qrdb_count(c, list) > 0; }

// The syllables typed so far, joined; the raw keys while they are not split.
std::string typed_syllables(const ime_conversation_t* c) {
  const int count = ime_convs_syllable_count(c);
  if (count == 0) return std::string(c->inbuf, c->inoff);
  std::string joined;
  for (int i = 0; i < count; ++i) joined += c->rpy[i];
  return joined;
}

// In double pinyin a key the scheme types at this position belongs to the composition.
bool is_scheme_key_here(int ch, int typed) {
  if (ch <= 0 || ch >= IME_SP_KEYS) return false;
  const ime_sp_parts_t& parts = typed % 2 == 0 ? ime_schema.initials[ch] : ime_schema.finals[ch];
  return parts.length[0] != 0;
}

int match_in_scheme(ime_conversation_t* c, int key) {
  switch (ime_mode) {
    case 0: return ime_convs_match(c, key);
    case 1: return ime_convs_match_sp(c, key);
    case 2: {
      if (ime_plug_mode == 1 && (is_digit(key) || key == IME_KEY_SPACE)) {
        return ime_convs_match(c, key);
      }
      c->mode &= ~IME_MODE_SENTENCE;
      const int result = ime_convs_match_plug(c, key);
      if (result == IME_MATCH_RETRY && ime_plug_mode != 0 && c->inbuf[0] != 'i' &&
          c->inbuf[0] != 'u') {
        return ime_convs_match(c, IME_KEY_RETRY);
      }
      return result;
    }
    default: return IME_MATCH_SHOW;
  }
}

// The confirming key that commits the composition before a held-back punctuation key: the
// first candidate, or the typed letters when there is none.
int confirming_key(const ime_conversation_t* c) {
  return c->ncand > 0 ? int{'1'} : int{IME_KEY_SPACE};
}

// Punctuation typed while composing is held back and the composition is committed first,
// except where the punctuation continues what is typed (a web address, a scheme key).
std::optional<int> held_back_punctuation(const ime_conversation_t* c, int ch) {
  if (!setting("PunctConfirm", 1) || ime_mode == 2) return std::nullopt;
  if (ch == ' ' || ch == '\'' || ch == '@') return std::nullopt;
  if ((c->mode & (IME_MODE_D | IME_MODE_U | IME_MODE_V)) != 0) return std::nullopt;
  if (IsPageUpChar(ch, 0, pageup_mask) || IsPageDownChar(ch, 0, pagedown_mask)) {
    return std::nullopt;
  }
  if (!is_printable(ch) || is_lower(ch) || is_upper(ch) || is_digit(ch)) return std::nullopt;
  if (ime_mode == 1 && is_scheme_key_here(ch, c->inoff)) return std::nullopt;
  if (ContinuesWebPrefix(typed_syllables(c), ch)) return std::nullopt;
  return ch;
}

// A closing bracket typed right after its opening partner puts the caret between them.
void pair_brackets(KEPInputController* controller, const std::string& symbol) {
  const auto partner = kMatchingCode.find(symbol);
  if (partner == kMatchingCode.end()) {
    KEPLog("NO matching code for %s", symbol.c_str());
    return;
  }
  platform::imk::Client& client = controller->client();
  const std::optional<platform::imk::Range> selected = client.selected_range();
  if (!selected || selected->location == client.not_found() || selected->location < 2) return;
  const std::uint64_t caret = selected->location;
  const std::optional<std::string> before = client.substring({caret - 2, 1});
  if (!before || *before != partner->second) return;
  const std::uint64_t not_found = client.not_found();
  // A blank nobody sees: it only carries the caret back between the brackets.
  constexpr MarkedTextStyle kPlain{Underline::None};
  client.set_marked_text(" ", {not_found, 0}, {caret - 1, 0}, kPlain);
  client.set_marked_text("", {not_found, 0}, {not_found, 0}, kPlain);
}

// After a digit these stay half-width, so that 3.14, 50% and 10:30 come out as typed.
bool stays_after_digit(int ch) {
  return ch > 0 && ch < 0x80 && std::string_view("\"%&'*+-.:=").find(static_cast<char>(ch)) !=
                                     std::string_view::npos;
}

// Nothing typed and an ASCII key that is not a letter: the key's symbol (true), or the key
// itself for the client (false).
bool symbol_without_composition(KEPInputController* controller, int ch, std::uint16_t kc) {
  ime_conversation_t* c = controller->conversation();
  const auto pass = [&] {
    record_key(c, ch);
    return false;
  };
  if (switch_mode == static_cast<int>(kCapsLockFlag)) {
    const bool light = controller->client().caps_lock_on();
    KEPLog("Check the led light....[%d]", light ? 1 : 0);
    if (light != setting("ReverseCapsLock", 0)) return pass();
  } else if (c->full_width_punct == 0) {
    return pass();
  }
  if (ime_keep_keypad != 0) {
    for (auto [keypad_ch, keypad_kc] : {std::pair{'/', 75}, {'=', 81}, {'*', 67}, {'-', 78},
                                        {'+', 69}, {'.', 65}}) {
      if (ch == keypad_ch && kc == keypad_kc) return pass();
    }
  }
  if (kc == kKeyReturn) return pass();
  if (is_digit(static_cast<int>(c->curkey)) && stays_after_digit(ch)) return pass();
  const std::optional<std::string> symbol = ime_symbol_string(c, ch);
  if (!symbol) {
    KEPLog("The string is null..for inCharCode='%c'", ch);
    return pass();
  }
  KEPSendStringToClient(controller, *symbol);
  record_key(c, ch);
  pair_brackets(controller, *symbol);
  return true;
}

// Shows what the matcher left: the candidate page, or the V-mode list's text.
void show_composition(KEPInputController* controller) {
  ime_conversation_t* c = controller->conversation();
  const bool vmode = (c->mode & IME_MODE_V) != 0;
  const bool raw = (c->mode & IME_MODE_D) != 0;
  const bool own_list = list_has_entries(c, IME_LIST_PHRASES);
  if (!raw) {
    if (!vmode || own_list) {
      if (std::optional<std::string> page = ime_candidate_buffer(c)) {
        KEPSendInputText(controller, page, 1);
      } else {
        KEPHideVModeWindow(controller);
      }
    } else {
      KEPSendStringToUI(controller, 111, ime_marked_buffer(c));
    }
  }
  if (list_has_entries(c, IME_LIST_CANDIDATES) && !raw && (!vmode || own_list)) {
    if (vmode) KEPHideVModeWindow(controller);
  } else {
    KEPHideCandidateWindow(controller);
  }
}

// Gives the engine key to the matcher and shows or commits what it made of it; a punctuation
// key held back goes in after the committed text.
bool drive_engine(KEPInputController* controller, int code, std::optional<int> held) {
  ime_conversation_t* c = controller->conversation();
  if (++inputCount > kInputCountWrap) inputCount = 0;
  int result = match_in_scheme(c, code);
  if (result == IME_MATCH_NOT_MINE) return false;
  if (held) {
    // A first candidate that covers only the first syllables leaves the rest typed: keep
    // choosing until the whole composition is committed, so the punctuation follows it.
    for (int choices = 0; result == IME_MATCH_SHOW && c->inoff > 0 && choices < IME_MAX_SEGMENTS;
         ++choices) {
      result = match_in_scheme(c, confirming_key(c));
    }
  }
  if (result == IME_MATCH_SHOW || result == IME_MATCH_COMMITTED) {
    KEPUpdateActiveInputArea(controller,
                             result == IME_MATCH_COMMITTED ? kCommitComposed : kShowMarkedText);
    if (held && (result == IME_MATCH_COMMITTED || c->inoff == 0)) {
      const std::optional<std::string> symbol =
          c->full_width_punct != 0 ? ime_symbol_string(c, *held) : std::nullopt;
      KEPSendStringToClient(controller, symbol.value_or(std::string(1, static_cast<char>(*held))));
    } else if (held) {
      KEPLogAlways("The composition could not be committed; '%c' dropped.", *held);
    }
  }
  if (result == IME_MATCH_COMMITTED || c->inoff == 0) {
    ime_convs_reset(c);
    hide_windows(controller);
  } else if (c->pynum != IME_PY_NOT_SPLIT) {
    show_composition(controller);
  }
  KEPLog("Now end of the handle event. [%d]", result);
  return true;
}

}  // namespace

bool KEPHandleInput(KEPInputController* controller, int ch, std::uint16_t kc, std::uint64_t mf) {
  ime_conversation_t* c = controller->conversation();
  const bool composing = c->inoff > 0;

  if ((mf & kRefusedModifiers) != 0 || (kc < kUnprocessedKeyCount && kUnprocessedKeys[kc] != 0)) {
    KEPLog("Do not hanlde [4]");
    return false;
  }
  if (silent_mode == 0 && !composing && ch == ' ' &&
      (mf == 0 || mf == static_cast<std::uint64_t>(switch_mode)) && c->full_width_space != 0 &&
      c->roman_mode == 0) {
    KEPSendStringToClient(controller, kFullWidthSpace);
    return true;
  }
  if (!composing) {
    switch (kc) {
      case kKeyLeft: case kKeyRight: case kKeyDown: case kKeyUp: case kKeyDelete:
      case kKeyForwardDelete: case kKeyPageUp: case kKeyPageDown: case kKeyHome: case kKeyEnd:
        KEPLog("Redirect the arrow key...");
        return false;
      default: break;
    }
  }
  if (silent_mode == 0 && c->full_width_char != 0) {
    KEPLog("Full character output..");
    if (composing) {
      clear_composition(controller);
      hide_windows(controller);
    }
    const std::optional<std::string> symbol = ime_symbol_string(c, ch);
    if (!symbol) {
      KEPLog("Do not hanlde [5] [%c]", ch);
      return false;
    }
    KEPSendStringToClient(controller, *symbol);
    return true;
  }
  if (silent_mode != 0 || c->roman_mode != 0) {
    record_key(c, ch);
    if (silent_mode != 0 && composing) ime_convs_reset(c);
    if (!is_lower(ch) || silent_mode != 0 || switch_mode == static_cast<int>(kShiftFlag)) {
      return false;
    }
    const bool upper = switch_mode == static_cast<int>(kCapsLockFlag) && (mf & kShiftFlag) != 0;
    KEPSendStringToClient(controller, std::string(1, static_cast<char>(upper ? ch - 32 : ch)));
    return true;
  }

  int key_ch = ch;
  if (!composing && ch >= 1 && ch <= 127 && !is_lower(ch) && !is_upper(ch)) {
    if (kc == kKeyDelete && (c->mode & IME_MODE_ACCESSORY) != 0) {
      return drive_engine(controller, IME_KEY_BACKSPACE, std::nullopt);
    }
    return symbol_without_composition(controller, ch, kc);
  }
  if (!composing && is_upper(ch)) {
    c->mode |= IME_MODE_D;
    c->dpos = kRawFromStart;
  }
  if (ime_show_tip != 0 && (c->mode & IME_MODE_V) != 0 &&
      !list_has_entries(c, IME_LIST_PHRASES) && (kc == kKeyUp || kc == kKeyDown)) {
    if (kc == kKeyUp) KEPSendVModeUp();
    else KEPSendVModeDown();
    return true;
  }
  if (ime_mode != 2 && composing && setting("PunctSelect", 0)) {
    if (key_ch == ';') key_ch = '2';
    else if (key_ch == '\'') key_ch = '3';
    else if (key_ch == '`') key_ch = '\'';
  }
  timeval now{};
  const long long since = static_cast<long long>(c->keytime.tv_sec) * 1000000 + c->keytime.tv_usec;
  ime_duration = now_microseconds(&now) - since;

  if (ime_mode != 2 && (c->mode & kStringModes) == 0 && is_lower(key_ch) && composing &&
      c->page < 2 && c->lastkey == '.' &&
      !((c->mode & IME_MODE_V) != 0 && !list_has_entries(c, IME_LIST_CANDIDATES))) {
    match_in_scheme(c, IME_KEY_COMMIT_RAW);
  }

  const std::optional<int> held = composing ? held_back_punctuation(c, key_ch) : std::nullopt;
  if (held) key_ch = confirming_key(c);

  KeyMappingState state;
  state.composing = composing;
  state.double_pinyin = ime_mode == 1;
  state.mode = c->mode;
  state.candidates_in_list1 = list_has_entries(c, IME_LIST_PHRASES);
  state.candidates_in_list3 = list_has_entries(c, IME_LIST_CANDIDATES);
  state.tone_control = setting("ToneControl", 0);
  state.pageup_mask = pageup_mask;
  state.pagedown_mask = pagedown_mask;
  state.smart_web_prefixes = ime_valid != 0 && ime_smart_www != 0;
  const std::string syllables = typed_syllables(c);
  state.syllables = syllables;
  const MappedKey mapped =
      held ? MappedKey{KeyMeaning::EngineKey, key_ch} : KEPEngineKey(key_ch, kc, mf, state);
  switch (mapped.meaning) {
    case KeyMeaning::NotHandled: return false;
    case KeyMeaning::Swallow: return true;
    case KeyMeaning::VModeSelect:
      KEPSendVModeSelect();
      c->lastkey = ' ';
      return true;
    case KeyMeaning::Cancel:
      if (KEPAbout* about = KEPAppDelegate::shared().about()) about->closeAbout();
      clear_composition(controller);
      hide_windows(controller);
      return true;
    case KeyMeaning::EngineKey: break;
  }
  if (mapped.code >= IME_KEY_TONE_BASE && mapped.code <= IME_KEY_TONE_LAST) {
    KEPLog("Now press tone key:%x.", mapped.code);
  }
  c->curkey = static_cast<std::uint32_t>(mapped.code);
  c->lastkey = static_cast<std::uint32_t>(key_ch);
  c->keytime = now;

  return drive_engine(controller, mapped.code, held);
}

}  // namespace imkkep
