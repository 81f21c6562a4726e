// The V-mode and abbreviation tables: plain-text files users edit by hand.
//
// vmode.txt: one entry a line, "key title items"; abbr.txt: "key items". Fields are separated
// by blanks or tabs; the items are the rest of the line, split at every "," not preceded by
// "\" (an escaped comma stays in the item, backslash included). "#" after leading blanks
// starts a comment; a line lacking a field is skipped. A key on several lines collects the
// items of all of them under the first line's title.
//
// The shipped vmode.txt (a bundle resource) is read once per process; the user's vmode.txt and
// abbr.txt in the data folder again only when their modification time (whole seconds) changes,
// so QAVModeInit is cheap enough to call on every settings reload.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {
class Bundle;
}

struct ime_vmode_entry_t {
  std::string key;
  std::string description;         // empty in the abbreviation table
  std::vector<std::string> items;  // UTF-8 texts in file order
};

// A loaded table: entries in the order their keys first appeared, found by key.
struct ime_vmode_table_t {
  std::vector<ime_vmode_entry_t> entries;
  std::unordered_map<std::string, std::size_t> index_of;

  const ime_vmode_entry_t* find(std::string_view key) const;
};

enum class ime_vmode_format {
  VMode,         // key, title, items
  Abbreviation,  // key, items
};

// Parses the text of a vmode.txt or abbr.txt into `table` (replacing what it held). Returns the
// number of lines skipped as malformed (comments and blank lines are not counted).
int ime_vmode_parse(std::string_view text, ime_vmode_format format, ime_vmode_table_t* table);
// Splits an item list at the commas not preceded by a backslash. A trailing separating comma
// gives no empty item.
std::vector<std::string> ime_vmode_split_items(std::string_view items);

// Loads the tables: the bundle's "vmode.txt" on the first call in the process, then the data
// folder's vmode.txt and abbr.txt when their modification time changed. -1 when no bundle is
// given, else 0. A missing user file leaves the table in memory as it was.
int QAVModeInit(const platform::Bundle* bundle);
// The V-mode entry of `key`: the user's table first, then the system table; NULL when neither
// has it. The entry belongs to the table and stays valid until the next QAVModeInit that
// reloads that table, or QAVModeRelease.
const ime_vmode_entry_t* QAVModeGetItem(const char* key);
// The abbreviation entry of `key`, or NULL (same lifetime as above).
const ime_vmode_entry_t* QAAbbrGetItem(const char* key);
// Drops all three tables and what was remembered of their files, so that a later QAVModeInit
// reads them all again.
void QAVModeRelease();

// The whole tables, for the lists that show every entry (the candidate window's V-mode list,
// the accessory panel); empty when not loaded.
const std::vector<ime_vmode_entry_t>& QAVModeSystemEntries();
const std::vector<ime_vmode_entry_t>& QAVModeUserEntries();
const std::vector<ime_vmode_entry_t>& QAAbbrEntries();

// Forgets the tables and the reload state (tests start each case afresh).
void ime_vmode_reset_for_testing();
