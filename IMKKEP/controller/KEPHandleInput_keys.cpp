#include "IMKKEP/controller/KEPHandleInput_keys.h"
#include "platform/imk/keys.h"

#include <array>
#include <cstdio>

#include "CoreSource/record/conversation.h"

namespace imkkep {
namespace {

using namespace platform::imk;  // key codes and modifier masks

constexpr std::uint32_t kStringModes = IME_MODE_I | IME_MODE_D | IME_MODE_U;
constexpr std::uint32_t kAnyStringMode = kStringModes | IME_MODE_V;

bool in_list(std::string_view word, std::initializer_list<std::string_view> words) {
  for (std::string_view candidate : words) {
    if (word == candidate) return true;
  }
  return false;
}

// '.' in V mode enters the typed text unless there is a list to page through.
int vmode_page_down(const KeyMappingState& state) {
  return state.candidates_in_list3 ? IME_KEY_PAGE_DOWN : IME_KEY_COMMIT_RAW;
}

int page_down_key(int ch, const KeyMappingState& state) {
  const bool vmode = (state.mode & IME_MODE_V) != 0;
  if (ch == '.' && state.smart_web_prefixes) {
    if (vmode) return vmode_page_down(state);
    return ContinuesWebPrefix(state.syllables, '.') ? IME_KEY_COMMIT_RAW : IME_KEY_PAGE_DOWN;
  }
  return vmode ? vmode_page_down(state) : IME_KEY_PAGE_DOWN;
}

MappedKey engine(int code) { return {KeyMeaning::EngineKey, code}; }

}  // namespace

int DigitOfKeyCode(std::uint16_t kc) {
  // Key codes of the digits 1 to 9: not in digit order on the keyboard's matrix.
  static constexpr std::array<std::uint16_t, 9> kDigitKeyCodes = {18, 19, 20, 21, 23,
                                                                  22, 26, 28, 25};
  for (std::size_t i = 0; i < kDigitKeyCodes.size(); ++i) {
    if (kDigitKeyCodes[i] == kc) return static_cast<int>(i) + 1;
  }
  return 0;
}

bool IsPageUpChar(int ch, std::uint16_t kc, int mask) {
  return ((mask & 1) != 0 && ch == ',') || ((mask & 2) != 0 && kc == kKeyUp) ||
         ((mask & 4) != 0 && ch == '-') || ((mask & 8) != 0 && ch == '[');
}

bool IsPageDownChar(int ch, std::uint16_t kc, int mask) {
  return ((mask & 1) != 0 && ch == '.') || ((mask & 2) != 0 && kc == kKeyDown) ||
         ((mask & 4) != 0 && ch == '=') || ((mask & 8) != 0 && ch == ']');
}

bool ContinuesWebPrefix(std::string_view syllables, int ch) {
  if (ch == '.') return in_list(syllables, {"www", "ftp", "mail", "blog"});
  if (ch == ':') return in_list(syllables, {"http", "https", "ftp", "smb"});
  return false;
}

MappedKey KEPEngineKey(int ch, std::uint16_t kc, std::uint64_t mf, const KeyMappingState& state) {
  const bool vmode = (state.mode & IME_MODE_V) != 0;
  if (vmode && (ch == ' ' || kc == kKeySpace) && !state.candidates_in_list1) {
    return {KeyMeaning::VModeSelect, 0};
  }
  if (ch == '0' && state.composing && !state.double_pinyin && (state.mode & kAnyStringMode) == 0) {
    return engine(IME_KEY_ZERO);
  }
  if (mf == kOptionFlag) {
    if (const int digit = DigitOfKeyCode(kc); digit != 0) {
      if (!state.tone_control) return {KeyMeaning::Swallow, 0};
      return engine(IME_KEY_TONE_BASE + digit - 1);
    }
  }
  if (ch == ' ' || kc == kKeySpace) return engine(IME_KEY_SPACE);
  if (kc == kKeyReturn || ch == '\r' || ch == 3) return engine(IME_KEY_RETURN);
  if (kc == kKeyDelete || ch == 8) return engine(IME_KEY_BACKSPACE);
  if (kc == kKeyForwardDelete) return engine(IME_KEY_DELETE);
  if (mf == kOptionFlag && state.composing) {
    if (kc == kKeyDown) return engine(IME_KEY_OPTION_DOWN);
    if (kc == kKeyUp) return engine(IME_KEY_OPTION_UP);
  }
  if ((state.mode & kStringModes) == 0 && IsPageDownChar(ch, kc, state.pagedown_mask)) {
    return engine(page_down_key(ch, state));
  }
  if ((state.mode & IME_MODE_D) == 0 && IsPageUpChar(ch, kc, state.pageup_mask)) {
    return engine(IME_KEY_PAGE_UP);
  }
  if (kc == kKeyLeft) return engine(mf == kOptionFlag ? IME_KEY_OPTION_LEFT : IME_KEY_LEFT);
  if (kc == kKeyRight) return engine(IME_KEY_RIGHT);
  if (kc == kKeyEscape) return {KeyMeaning::Cancel, 0};
  const std::uint64_t control_option = kControlFlag | kOptionFlag;
  if ((mf & control_option) == control_option && ch >= '1' && ch <= '9') {
    return engine('0' - ch);  // deletes the user word shown as that candidate
  }
  if (kc == IME_KEY_SUGGEST) return engine(IME_KEY_SUGGEST);
  // A character outside ASCII is no key of the engine's; given as a byte it would read as a
  // negative code, which the engine takes for "delete a user word".
  if (ch <= 0 || ch >= 0x80) return {KeyMeaning::NotHandled, 0};
  return engine(ch);
}

std::string modifierKeyString(int usage) {
  switch (usage) {
    case 224: return "Left Control";
    case 225: return "Left Shift";
    case 226: return "Left Alt";
    case 227: return "Left Command";
    case 228: return "Right Control";
    case 229: return "Right Shift";
    case 230: return "Right Alt";
    case 231: return "Right Command";
    default: {
      char text[24];
      std::snprintf(text, sizeof text, "Unknown 0x%02x", static_cast<unsigned>(usage));
      return text;
    }
  }
}

}  // namespace imkkep
