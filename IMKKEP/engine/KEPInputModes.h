// The input modes: every setter writes the conversation and the input menu's check mark
// together, and the status the candidate window shows is read back from the check marks.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

struct ime_conversation_t;

namespace imkkep {

class KEPInputController;

// Each setter switches on only for `on` exactly 1, and returns 0.
int KEPSetFullPunctMode(ime_conversation_t* conversation, int on);
int KEPSetFullCharMode(ime_conversation_t* conversation, int on);
// English with the punctuation rule: entering saves the punctuation width and turns it half,
// leaving gives the saved width back.
int KEPSetEnglishMode(ime_conversation_t* conversation, int on);
// English alone, punctuation untouched (switch keys and Caps Lock).
int KEPSetEnglishMode2(ime_conversation_t* conversation, int on);
// Toggles the full-width space; the status shows no space, so nothing is sent.
int KEPSetHZSpace(ime_conversation_t* conversation);
// Toggles traditional output, every other mode bit kept.
int KEPSwitchSimplTrad(ime_conversation_t* conversation);
// Applies the engine-wide scheme `ime_mode`, falling back to full pinyin when its double-pinyin
// scheme or code table cannot be used, and tells the candidate window (message 100).
int KEPSetPinyinMode(KEPInputController* controller);

// Sets the check mark of the menu item with `tag`; nothing when the menu has no such item.
void KEPSetMenuItemOn(int tag, bool on);
// Whether that item is checked (state exactly 1); a missing item reads as off.
bool KEPMenuItemOn(int tag);

// The options of a code table, from the first line of its ".pct" file: "|"-separated fields,
// empty ones counted, at least five.
struct PlugSchemeLine {
  int max_len = 0;      // 1..63
  char any_char = 0;    // the wildcard; 0 when its field is empty
  int auto_fill = 0;
  int show_left = 0;
  int query_type = 0;
};
std::optional<PlugSchemeLine> ParsePlugSchemeLine(std::string_view line);

// A settings value naming a file in a folder: not empty, no "/" and no "..".
bool IsPlainSchemeName(std::string_view name);

// The modifier mask of the input menu's shortcut for `slot_type` (2, 3, 4, 6, 7, 8, 9), its key
// into `key`; 0 and ' ' for no shortcut or another slot type. Entries of "MenuShortcut" that
// are missing or not 5 characters give the slot's default.
std::uint64_t GetShortcutModifier(int slot_type, char* key);
// Gives each shortcut slot's item its shortcut, or takes it away when the slot has none.
void KEPApplyMenuShortcuts();

}  // namespace imkkep
