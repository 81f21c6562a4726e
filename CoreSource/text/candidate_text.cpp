// The candidate page as tagged text and as a property list.
#include "text/candidate_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "base/bounded_text.h"
#include "dict/cmphplug.h"
#include "platform/plist.h"
#include "record/engine_globals.h"
#include "record/qrdb.h"
#include "split/imesp.h"

namespace {

namespace plist = platform::plist;

constexpr const char* kHeaderToneMarks[4] = {"ā", "á", "ǎ", "à"};
constexpr const char* kTraditionalTag = "[繁] ";
constexpr const char* kTraditionalName = "Traditional Chinese";

enum : int {
  kPlistCandidatePage = 1,
  kPlistEmptyVModePage = 0,
  kPlistTypeOther = 0,
  kPlistTypeDictWord = 1,
  kPlistTypeUserWord = 2,
  kPlistTypeDoublePinyin = 8,
  kPlistTypePages = 9,
  kPlistTypeTraditional = 10,
};

bool traditional(const ime_conversation_t* c) { return (c->mode & IME_MODE_TRADITIONAL) != 0; }

std::string_view field_text(const std::uint8_t (&field)[IME_TEXT_BYTES]) {
  return {reinterpret_cast<const char*>(field), strnlen(reinterpret_cast<const char*>(field),
                                                        IME_TEXT_BYTES - 1)};
}

int shown_count(const ime_conversation_t* c) {
  return std::min<int>(c->ncand, ime_convs_page_capacity(ime_page_size));
}

int candidate_list_size(const ime_conversation_t* c) {
  // Counting reads the list only; the list API simply takes no const record.
  int count = ime_qrdb_count(const_cast<ime_conversation_t*>(c), IME_LIST_CANDIDATES);
  return count > 0 ? count : 0;
}

std::string page_of_pages(const ime_conversation_t* c) {
  char text[32];
  std::snprintf(text, sizeof text, "%d/%d", c->page + 1,
                ime_page_count(candidate_list_size(c), ime_page_size));
  return text;
}

// The tone the user gave the syllable being chosen; 0 when none.
int current_tone(const ime_conversation_t* c) {
  if (ime_convs_remaining_syllables(c) == 0) return 0;
  int tone = c->tones[c->pyoff];
  return tone >= 1 && tone <= IME_MAX_TONE ? tone : 0;
}

std::string_view double_pinyin_keys() {
  return {ime_sp_buffer, strnlen(ime_sp_buffer, sizeof ime_sp_buffer)};
}

// The text after the candidates: page header, traditional tag, end tag, key display.
std::string page_tail(const ime_conversation_t* c) {
  std::string tail = "(" + page_of_pages(c) + ")";
  if (int tone = current_tone(c)) tail += std::string(" ") + kHeaderToneMarks[tone - 1];
  if (traditional(c)) tail += kTraditionalTag;
  tail += "{E}";
  if (ime_mode == 1) tail += "{P}" + std::string(double_pinyin_keys()) + "{E}";
  return tail;
}

}  // namespace

std::string_view ime_candidate_text(const ime_conversation_t* c, const ime_query_result_t& cand) {
  return ime_valid && traditional(c) ? field_text(cand.thz) : field_text(cand.hz);
}

std::string_view ime_candidate_code_hint(const ime_conversation_t* c, const ime_query_result_t& cand) {
  if (ime_mode != 2 || ime_plug_mode != 0) return {};
  std::size_t code_length = std::min<std::size_t>(cand.plen, IME_MAX_SYLLABLES);
  std::size_t typed = std::min<std::size_t>(c->inoff, IME_MAX_KEYS);
  if (ime_plug_show_left && typed < code_length) {
    return {cand.sm + typed, code_length - typed};
  }
  if (ime_plug_any_char != 0 && std::memchr(c->inbuf, ime_plug_any_char, typed) != nullptr) {
    return {cand.sm, code_length};
  }
  return {};
}

int ime_page_count(int entries, int page_size) {
  int size = ime_convs_page_capacity(page_size);
  if (entries < 0) entries = 0;
  int pages = entries / size;
  if (entries % size != 0 || entries < size) ++pages;
  return pages;
}

std::optional<std::string> ime_candidate_buffer(const ime_conversation_t* c) {
  if (c == nullptr) return std::nullopt;
  if (c->ncand == 0) {
    if (c->mode & IME_MODE_V) return std::string(IME_VMODE_EMPTY_PAGE);
    return std::nullopt;
  }
  // The tail is short and always shown; the candidates share what is left of the buffer, and
  // the first one that does not fit is cut at a character boundary and ends the list.
  std::string tail = page_tail(c);
  ime_bounded_text_t body(IME_PAGE_TEXT_BYTES - std::min(tail.size(), IME_PAGE_TEXT_BYTES - 1));
  body.append("{N}");
  for (int i = 0; i < shown_count(c); ++i) {
    const ime_query_result_t& cand = c->cands[i];
    bool user_word = cand.type == IME_RESULT_USER_WORD;
    std::string before = std::to_string(i + 1) + (user_word ? "{E}{U}" : "");
    std::string after = std::string(user_word ? "{E}{N}" : "") + std::string(ime_candidate_code_hint(c, cand)) + " ";
    std::string_view text = ime_candidate_text(c, cand);
    if (before.size() + after.size() > body.room()) break;
    std::size_t room_for_text = body.room() - before.size() - after.size();
    std::string_view kept = platform::text::utf8_prefix(text, room_for_text);
    body.append(before);
    body.append(kept);
    body.append(after);
    if (kept.size() != text.size()) break;
  }
  return body.take() + std::string(platform::text::utf8_prefix(tail, IME_PAGE_TEXT_BYTES - 1));
}

std::optional<std::string> ime_candidate_buffer2(const ime_conversation_t* c) {
  if (c == nullptr) return std::nullopt;
  auto entry = [](int type, std::string value) {
    plist::Dictionary dictionary;
    dictionary.set("TYPE", plist::Value(type));
    dictionary.set("VALUE", plist::Value(std::move(value)));
    return plist::Value(std::move(dictionary));
  };
  plist::Array page;
  if (c->ncand == 0) {
    if (!(c->mode & IME_MODE_V)) return std::nullopt;
    page.push_back(plist::Value(kPlistEmptyVModePage));
    page.push_back(entry(kPlistTypeOther, "V"));
    return plist::to_xml(plist::Value(std::move(page)));
  }
  int count = shown_count(c);
  page.push_back(plist::Value(kPlistCandidatePage));
  page.push_back(plist::Value(count));
  for (int i = 0; i < count; ++i) {
    const ime_query_result_t& cand = c->cands[i];
    int type = cand.type == IME_RESULT_USER_WORD   ? kPlistTypeUserWord
               : cand.type == IME_RESULT_DICT_WORD ? kPlistTypeDictWord
                                                   : kPlistTypeOther;
    page.push_back(entry(type, std::string(ime_candidate_text(c, cand)) + std::string(ime_candidate_code_hint(c, cand))));
  }
  page.push_back(entry(kPlistTypePages, page_of_pages(c)));
  if (traditional(c)) page.push_back(entry(kPlistTypeTraditional, kTraditionalName));
  if (ime_mode == 1) page.push_back(entry(kPlistTypeDoublePinyin, std::string(double_pinyin_keys())));
  return plist::to_xml(plist::Value(std::move(page)));
}
