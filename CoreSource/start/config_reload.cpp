#include "start/config_reload.h"

#include <cstring>
#include <iterator>
#include <optional>

#include "base/datafolder.h"
#include "base/freq.h"
#include "base/imelog.h"
#include "base/settings_keys.h"
#include "platform/bundle.h"
#include "record/conversation.h"
#include "record/engine_globals.h"
#include "split/py_autocorrect.h"
#include "tables/accode.h"
#include "tables/vmode.h"

// The settings' defaults, so that a host reading them before the first reload sees the
// configuration out of the box.
int ime_full_convert = 0;
int ime_font_size = 16;
int ime_candidate_alpha = 95;
int ime_shadow = 1;
int ime_big5_output = 0;
int ime_bypass_uphrase = 0;
int ime_switch_key = 1;
int ime_smart_www = 1;
int ime_keep_keypad = 1;
int ime_show_tip = 1;
int ime_switch_big5 = 1;
int ime_fix_freq = 0;
int ime_duration_delay = IME_DEFAULT_DURATION_DELAY;

namespace {

constexpr std::size_t kColorDigits = 6;
constexpr int kFixedHzfreqVal = 9;

struct SettingSwitch {
  const char* key;
  int* global;
};

// The fuzzy pairs and the spelling corrections, in the order they are read.
const SettingSwitch kFuzzyPairs[] = {
    {"fuzzy_k2g", &ime_fuzzy_k2g},       {"fuzzy_f2h", &ime_fuzzy_f2h},
    {"fuzzy_l2n", &ime_fuzzy_l2n},       {"fuzzy_l2r", &ime_fuzzy_l2r},
    {"fuzzy_z2zh", &ime_fuzzy_z2zh},     {"fuzzy_c2ch", &ime_fuzzy_c2ch},
    {"fuzzy_s2sh", &ime_fuzzy_s2sh},     {"fuzzy_an2ang", &ime_fuzzy_an2ang},
    {"fuzzy_en2eng", &ime_fuzzy_en2eng}, {"fuzzy_in2ing", &ime_fuzzy_in2ing},
    {"fuzzy_ian2iang", &ime_fuzzy_ian2iang}, {"fuzzy_uan2uang", &ime_fuzzy_uan2uang},
};
const SettingSwitch kCorrections[] = {
    {"gn2ng", &ime_auto_gn2ng},   {"mg2ng", &ime_auto_mg2ng},       {"iou2iu", &ime_auto_iou2iu},
    {"uei2ui", &ime_auto_uei2ui}, {"uen2un", &ime_auto_uen2un},     {"ion2iong", &ime_auto_ion2iong},
    {"ve2ue", &ime_auto_ve2ue},
};

void read_switches(const SettingSwitch* first, const SettingSwitch* last) {
  for (const SettingSwitch* item = first; item != last; ++item) {
    *item->global = ime_setting_bool(item->key);
  }
}

bool is_hex_digit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A colour is kept only as six hex digits: anything else would either overrun the 7-byte
// global or reach the candidate window as a colour it cannot read.
void read_color(const char* key, char (&global)[7]) {
  const ImeSettingKey* entry = ime_setting_key(key);
  const char* fallback = entry != nullptr && entry->text != nullptr ? entry->text : "000000";
  const char* value = ime_setting_string(key);
  bool usable = value != nullptr && std::strlen(value) == kColorDigits;
  for (std::size_t i = 0; usable && i < kColorDigits; ++i) usable = is_hex_digit(value[i]);
  std::memcpy(global, usable ? value : fallback, kColorDigits);
  global[kColorDigits] = '\0';
}

// CandidateNumber divides the candidate list into pages of a fixed 9-slot array: 0 would
// divide by zero and more than 9 would run past the page.
int read_page_size() {
  int wanted = ime_setting_int("CandidateNumber");
  int held = ime_convs_page_capacity(wanted);
  if (held != wanted) IME_ERROR("CandidateNumber %d out of range; using %d.", wanted, held);
  return held;
}

// The input scheme is chosen from the settings only when the host asked for a fresh choice
// (-1); a scheme the host set survives reloads.
void choose_scheme() {
  if (ime_mode != -1) return;
  if (ime_setting_bool("EnableDoublePinyin")) {
    ime_mode = 1;
  } else if (ime_setting_bool("EnablePlug")) {
    ime_mode = 2;
  } else {
    ime_mode = 0;
  }
}

void reload_vmode_tables() {
  const char* identifier = ime_bundle_name != nullptr ? ime_bundle_name : IME_DEFAULT_BUNDLE_NAME;
  std::optional<platform::Bundle> bundle = platform::Bundle::find(identifier);
  if (QAVModeInit(bundle ? &*bundle : nullptr) != 0) {
    IME_ERROR("Load V-mode tables of '%s' failed!", identifier);
  }
}

}  // namespace

int ime_config_reload() {
  ime_full_convert = full_convert_installed();
  if (ime_setting_bool("EnableAccessory")) {
    IME_ERROR("Loading accessory table...");
    if (ime_load_acc() != 0) IME_ERROR("Load acc-code  failed!");
  }
  ime_query_all = 1;
  ime_smart_www = 1;

  ime_page_size = read_page_size();
  choose_scheme();
  ime_hzfreq_val = kFixedHzfreqVal;

  ime_font_size = ime_setting_int("FontSize");
  ime_fix_freq = 0;
  ime_freq_mode = ime_setting_int("FrequencyAdjustStrategy");
  ime_big5_output = ime_setting_bool("TraditionalOutput");
  ime_switch_big5 = 1;

  ime_bypass_uphrase = ime_setting_bool("BypassUserWords");
  ime_fuzzy_mode = ime_setting_bool("EnableFuzzyPinyin");
  ime_auto_mode = ime_setting_bool("EnableAutoCorrect");
  ime_duration_delay = IME_DEFAULT_DURATION_DELAY;
  ime_keep_keypad = 1;
  ime_fill_count = ime_setting_bool("ExpendedSearch");
  ime_show_tip = 1;

  // Switched off, the pairs keep their values; nothing consults them until switched on again.
  if (ime_fuzzy_mode) read_switches(std::begin(kFuzzyPairs), std::end(kFuzzyPairs));
  if (ime_auto_mode) read_switches(std::begin(kCorrections), std::end(kCorrections));

  ime_candidate_alpha = ime_setting_int("Opacity");
  read_color("CandidateForgroundColor", ime_candidate_fcolor);
  read_color("CandidateBackgroundColor", ime_candidate_bcolor);
  ime_switch_key = ime_setting_int("Switcher");
  ime_shadow = ime_setting_bool("CloseShadow") ? 0 : 1;

  reload_vmode_tables();
  ime_valid = 1;
  return 0;
}
