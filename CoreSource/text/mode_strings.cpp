// Abbreviation and V-mode candidates.
#include "text/mode_strings.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "base/imelog.h"
#include "base/settings_keys.h"
#include "record/qrdb.h"
#include "tables/vmode.h"
#include "text/result_text.h"

namespace {

// A candidate made of a text alone, in both its simplified and traditional fields.
ime_query_result_t string_result(std::uint8_t type, std::int32_t dbid, std::string_view text) {
  ime_query_result_t result{};
  result.type = type;
  result.dbid = dbid;
  ime_text_field_set(result.hz, &result.hlen, text);
  ime_text_field_set(result.thz, &result.thlen, text);
  return result;
}

// The composition becomes a string of no syllables: nothing left to split or choose.
void clear_composition(ime_conversation_t* conversation) {
  conversation->ncand = 0;
  conversation->pynum = 0;
  conversation->pyoff = 1;
  ime_qrdb_reset(conversation, IME_QRDB_ALL);
}

std::string keys_before_cursor(const ime_conversation_t* conversation) {
  std::size_t count = std::min<std::size_t>(conversation->curpos, conversation->inoff);
  count = std::min<std::size_t>(count, IME_MAX_KEYS);
  return std::string(conversation->inbuf, count);
}

}  // namespace

int ime_build_abbr_str(ime_conversation_t* conversation, const char* key) {
  if (conversation == nullptr || key == nullptr) return -1;
  if (!ime_setting_bool("EnableUserString")) return -1;
  const ime_vmode_entry_t* entry = QAAbbrGetItem(key);
  if (entry == nullptr) {
    IME_DEBUG("No abbr found for %s", key);
    return -1;
  }
  clear_composition(conversation);
  conversation->page = 0;
  if (conversation->shown != nullptr) conversation->shown->indexes.clear();
  if (conversation->seen != nullptr) conversation->seen->index_of.clear();

  for (const std::string& item : entry->items) {
    if (item.size() >= IME_ABBR_ITEM_LIMIT) continue;
    ime_query_result_t result = string_result(IME_RESULT_OTHER, IME_DBID_ABBREVIATION, item);
    result.matval = IME_MATVAL_ABBREVIATION;
    ime_qrdb_add_result(conversation, IME_LIST_PHRASES, &result);
    // The first page is ready before the page is cut: the string modes show it at once.
    ime_convs_add_candidate(conversation, &result, IME_MAX_PAGE_CANDIDATES);
  }
  conversation->mode &= ~IME_MODE_D;
  return 0;
}

int ime_build_abbr_prefix(ime_conversation_t* conversation) {
  if (conversation->curpos == 0) return 0;
  if (ime_build_abbr_str(conversation, keys_before_cursor(conversation).c_str()) != 0) {
    clear_composition(conversation);
    return 0;
  }
  // One more than the abbreviation strings shown, so that a found abbreviation counts even
  // when none of its items could be shown; the page itself keeps its real count.
  return conversation->ncand + 1;
}

int ime_build_vmode_str(ime_conversation_t* conversation) {
  if (conversation == nullptr) return -1;
  int count = ime_build_abbr_prefix(conversation);
  conversation->mode &= ~IME_MODE_SENTENCE;
  std::string keys = keys_before_cursor(conversation);
  if (keys.size() < 2) return -1;

  const ime_vmode_entry_t* entry = QAVModeGetItem(keys.c_str() + 1);
  if (entry == nullptr || entry->items.empty()) return count - 1;
  int added = 0;
  for (const std::string& item : entry->items) {
    if (added == IME_VMODE_ITEM_LIMIT) break;
    ime_query_result_t result = string_result(IME_RESULT_VMODE, IME_DBID_VMODE, item);
    ime_qrdb_add_result(conversation, IME_LIST_PHRASES, &result);
    ++added;
  }
  return added;
}
