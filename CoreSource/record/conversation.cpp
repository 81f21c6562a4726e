#include "record/conversation.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

#include "base/datafolder.h"
#include "record/bracket.h"
#include "record/qrdb.h"

// A conversation is handed out as one zeroed block and freed as one, so it must be plain data.
static_assert(std::is_trivial_v<ime_conversation_t> && std::is_standard_layout_v<ime_conversation_t>);
// The cursor must reach one past the last key.
static_assert(IME_MAX_KEYS <= UINT16_MAX);

int ime_new_conversation(ime_conversation_t** conversation) {
  if (conversation == nullptr) return -1;
  auto* created = static_cast<ime_conversation_t*>(std::calloc(1, sizeof(ime_conversation_t)));
  if (created == nullptr) return -1;
  created->pynum = IME_PY_NOT_SPLIT;
  created->dpos = IME_NO_DPOS;
  created->seen = new (std::nothrow) ime_seen_texts_t();
  created->shown = new (std::nothrow) ime_shown_indexes_t();
  if (created->seen == nullptr || created->shown == nullptr ||
      ime_qrdb_init_all(created) != 0 || ime_convs_open_brackets(created) != 0) {
    ime_free_conversation(&created);
    return -1;
  }
  *conversation = created;
  // The conversation works without a data folder; learning needs one later.
  ime_make_data_folder();
  return 0;
}

int ime_free_conversation(ime_conversation_t** conversation) {
  if (conversation == nullptr || *conversation == nullptr) return 0;
  ime_conversation_t* c = *conversation;
  ime_qrdb_free_all(c);
  ime_convs_close_brackets(c);
  delete c->seen;
  delete c->shown;
  std::free(c);
  *conversation = nullptr;
  return 0;
}

int ime_convs_syllable_count(const ime_conversation_t* conversation) {
  if (conversation == nullptr || conversation->pynum >= IME_MAX_SYLLABLES) return 0;
  return conversation->pynum + 1;
}

bool ime_convs_is_split(const ime_conversation_t* conversation) {
  return ime_convs_syllable_count(conversation) > 0;
}

int ime_convs_remaining_syllables(const ime_conversation_t* conversation) {
  int count = ime_convs_syllable_count(conversation);
  if (count == 0 || conversation->pyoff >= count) return 0;
  return count - conversation->pyoff;
}

namespace {

void copy_syllable(char* to, const char* from) {
  std::size_t length = from != nullptr ? strnlen(from, IME_SYLLABLE_BYTES - 1) : 0;
  std::memcpy(to, from, length);
  std::memset(to + length, 0, IME_SYLLABLE_BYTES - length);
}

}  // namespace

int ime_convs_set_syllable(ime_conversation_t* conversation, int i, const char* normalized,
                           const char* typed) {
  if (conversation == nullptr || normalized == nullptr || i < 0 || i >= IME_MAX_SYLLABLES) {
    return -1;
  }
  copy_syllable(conversation->py[i], normalized);
  copy_syllable(conversation->rpy[i], typed != nullptr ? typed : normalized);
  return 0;
}

int ime_convs_insert_key(ime_conversation_t* conversation, char key) {
  if (conversation == nullptr || conversation->inoff >= IME_MAX_KEYS) return -1;
  int end = conversation->inoff;
  int at = std::min<int>(conversation->curpos, end);
  std::memmove(conversation->inbuf + at + 1, conversation->inbuf + at,
               static_cast<std::size_t>(end - at));
  conversation->inbuf[at] = key;
  conversation->inoff = static_cast<std::uint16_t>(end + 1);
  conversation->curpos = static_cast<std::uint16_t>(at + 1);
  return 0;
}

namespace {

int delete_key(ime_conversation_t* conversation, int at) {
  int end = std::min<int>(conversation->inoff, IME_MAX_KEYS);
  if (at < 0 || at >= end) return -1;
  std::memmove(conversation->inbuf + at, conversation->inbuf + at + 1,
               static_cast<std::size_t>(end - at - 1));
  conversation->inbuf[end - 1] = '\0';
  conversation->inoff = static_cast<std::uint16_t>(end - 1);
  return 0;
}

}  // namespace

int ime_convs_delete_key_before(ime_conversation_t* conversation) {
  if (conversation == nullptr) return -1;
  int cursor = ime_convs_set_cursor(conversation, conversation->curpos);
  if (delete_key(conversation, cursor - 1) != 0) return -1;
  conversation->curpos = static_cast<std::uint16_t>(cursor - 1);
  return 0;
}

int ime_convs_delete_key_at(ime_conversation_t* conversation) {
  if (conversation == nullptr) return -1;
  return delete_key(conversation, ime_convs_set_cursor(conversation, conversation->curpos));
}

int ime_convs_set_cursor(ime_conversation_t* conversation, int position) {
  if (conversation == nullptr) return 0;
  int end = std::min<int>(conversation->inoff, IME_MAX_KEYS);
  conversation->curpos = static_cast<std::uint16_t>(std::clamp(position, 0, end));
  return conversation->curpos;
}

int ime_convs_add_accessory_key(ime_conversation_t* conversation, char letter) {
  if (conversation == nullptr || conversation->acclen >= IME_MAX_ACCESSORY_KEYS) return -1;
  conversation->accbuf[conversation->acclen++] = letter;
  return 0;
}

int ime_convs_add_segment(ime_conversation_t* conversation, const ime_query_result_t* segment) {
  if (conversation == nullptr || segment == nullptr || conversation->nseg >= IME_MAX_SEGMENTS) {
    return -1;
  }
  conversation->segs[conversation->nseg++] = *segment;
  return 0;
}

int ime_convs_page_capacity(int page_size) {
  return std::clamp(page_size, 1, IME_MAX_PAGE_CANDIDATES);
}

int ime_convs_add_candidate(ime_conversation_t* conversation, const ime_query_result_t* candidate,
                            int page_size) {
  if (conversation == nullptr || candidate == nullptr ||
      conversation->ncand >= ime_convs_page_capacity(page_size)) {
    return -1;
  }
  conversation->cands[conversation->ncand++] = *candidate;
  return 0;
}

int ime_convs_set_output(ime_conversation_t* conversation, const void* text, std::size_t length) {
  if (conversation == nullptr) return -1;
  conversation->outlen = 0;
  if (length > IME_OUTPUT_BYTES || (length > 0 && text == nullptr)) return -1;
  if (length > 0) std::memcpy(conversation->outbuf, text, length);
  conversation->outlen = static_cast<std::uint16_t>(length);
  return 0;
}

int ime_convs_cycle_tone(ime_conversation_t* conversation, int n) {
  // Before any split there is no syllable to give a tone; a record emptied by a reset has
  // pynum 0 and no keys, which must not count as one syllable either.
  if (conversation == nullptr || conversation->inoff == 0 || n < 0 ||
      n >= ime_convs_remaining_syllables(conversation)) {
    return -1;
  }
  std::uint8_t& tone = conversation->tones[conversation->pyoff + n];
  tone = tone >= IME_MAX_TONE ? 0 : static_cast<std::uint8_t>(tone + 1);
  return tone;
}
