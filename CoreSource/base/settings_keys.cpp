#include "base/settings_keys.h"

#include <cmath>

#include "base/config.h"
#include "base/imelog.h"

namespace {

constexpr ImeSettingKey boolean(const char* name, bool on) {
  return {name, ImeSettingType::Bool, true, on ? 1.0 : 0.0, nullptr, false, 0};
}
constexpr ImeSettingKey integer(const char* name, int value) {
  return {name, ImeSettingType::Int, true, static_cast<double>(value), nullptr, false, 0};
}
constexpr ImeSettingKey real(const char* name, double value) {
  return {name, ImeSettingType::Real, true, value, nullptr, false, 0};
}
constexpr ImeSettingKey text(const char* name, const char* value) {
  return {name, ImeSettingType::String, value != nullptr, 0, value, false, 0};
}

constexpr ImeSettingKey kKeys[] = {
    boolean("AutoUpdate", true),
    boolean("DaruzDictAutoUpdate", true),
    boolean("DaruzDictAutoUpdates", false),
    boolean("HideDaruzUpdateWindow", false),
    boolean("EnableAccessory", false),
    integer("CandidateNumber", 6),
    boolean("EnableDoublePinyin", false),
    text("SPC", nullptr),
    boolean("EnablePlug", false),
    text("CodeTableScheme", nullptr),
    text("FontName", nullptr),
    integer("FontSize", 16),
    real("Opacity", 95),
    boolean("CloseShadow", false),
    text("CandidateForgroundColor", "ffffff"),
    text("CandidateBackgroundColor", "000000"),
    text("ColorScheme", "Default"),
    boolean("ShowPage", false),
    boolean("ApplyHotKeySelection", false),
    integer("SelectionHotKey", 0),
    text("SkinPath", nullptr),
    integer("SkinLayout", 0),
    boolean("EnableDaruzSkin", false),
    boolean("HideDaruzStatusBar", false),
    boolean("EnableFuzzyPinyin", false),
    boolean("fuzzy_z2zh", false),
    boolean("fuzzy_c2ch", false),
    boolean("fuzzy_s2sh", false),
    boolean("fuzzy_k2g", false),
    boolean("fuzzy_f2h", false),
    boolean("fuzzy_l2n", false),
    boolean("fuzzy_an2ang", false),
    boolean("fuzzy_en2eng", false),
    boolean("fuzzy_in2ing", false),
    boolean("fuzzy_ian2iang", false),
    boolean("fuzzy_uan2uang", false),
    boolean("fuzzy_l2r", false),
    boolean("EnableAutoCorrect", false),
    boolean("gn2ng", true),
    boolean("mg2ng", true),
    boolean("iou2iu", true),
    boolean("uei2ui", true),
    boolean("uen2un", true),
    boolean("ion2iong", true),
    boolean("ve2ue", true),
    integer("FrequencyAdjustStrategy", 0),
    boolean("TraditionalOutput", false),
    boolean("BypassUserWords", false),
    integer("SmartDelay", 350),
    boolean("ExpendedSearch", true),
    integer("Switcher", 1),
    boolean("ToneControl", false),
    boolean("FullWidthSpace", false),
    // The engine takes proportional punctuation when the key is absent; the server, which
    // decides the punctuation width of a fresh conversation, takes full-width.
    {"ProportionalWidthPunctation", ImeSettingType::Bool, true, 1, nullptr, true, 0},
    boolean("EnableTAV", false),
    boolean("EnableUserString", false),
    boolean("VMode", false),
    boolean("ReverseCapsLock", false),
    boolean("KeepWindowState", false),
    boolean("KeepSilent", false),
    boolean("CounterSilentList", false),
    text("SilentLists", nullptr),
    boolean("SupportNonUnicode", false),
    boolean("IgnoreInline", false),
    boolean("HideDPDisplay", false),
    boolean("HideTraditionalTip", false),
    boolean("AutoSwitchBack", false),
    boolean("PunctConfirm", true),
    boolean("CloseSuggestionTip", true),
    boolean("AssignSpaces", false),
    boolean("PunctSelect", false),
    integer("PageUpMask", 7),
    integer("PageDownMask", 7),
    // The hotkey pane supplies its own shortcuts when this is absent.
    text("MenuShortcut", nullptr),
    text("KeyboardLayout", nullptr),
    text("FormatString", nullptr),
};

const ImeSettingKey* known_key(const char* key) {
  const ImeSettingKey* entry = key != nullptr ? ime_setting_key(key) : nullptr;
  if (entry == nullptr) IME_ERROR("Unknown setting \"%s\".", key != nullptr ? key : "(null)");
  return entry;
}

}  // namespace

std::span<const ImeSettingKey> ime_setting_keys() { return kKeys; }

const ImeSettingKey* ime_setting_key(std::string_view name) {
  for (const ImeSettingKey& entry : kKeys) {
    if (name == entry.name) return &entry;
  }
  return nullptr;
}

int ime_setting_int(const char* key, ImeSettingReader reader) {
  const ImeSettingKey* entry = known_key(key);
  if (entry == nullptr) return 0;
  return ime_config_get_int(key, static_cast<int>(std::lround(entry->default_number(reader))));
}

int ime_setting_bool(const char* key, ImeSettingReader reader) {
  const ImeSettingKey* entry = known_key(key);
  if (entry == nullptr) return 0;
  return ime_config_get_bool(key, entry->default_number(reader) != 0 ? 1 : 0);
}

const char* ime_setting_string(const char* key) {
  const ImeSettingKey* entry = known_key(key);
  if (entry == nullptr) return nullptr;
  return ime_config_get_string(key, entry->text);
}
