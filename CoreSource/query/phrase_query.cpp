#include "query/phrase_query.h"

#include "base/imelog.h"
#include "dict/dictpool.h"
#include "dict/qdict.h"
#include "query/pyquery.h"
#include "record/engine_globals.h"
#include "user/imeuser2.h"

namespace {

// A span can be asked for only inside the syllables the conversation holds.
bool span_usable(const ime_conversation_t* conversation, int first, int last) {
  return conversation != nullptr && first >= 0 && last >= first &&
         last < ime_convs_syllable_count(conversation);
}

}  // namespace

int ime_query_phrase(ime_conversation_t* conversation, int dictionary, int first, int last,
                     int list_code) {
  if (!span_usable(conversation, first, last) || dictionary < 0 || dictionary >= ime_dict_count ||
      ime_dict_pool[dictionary] == nullptr) {
    return 0;
  }
  ImeDict* dict = ime_dict_pool[dictionary];
  int tones[IME_MAX_SYLLABLES];
  for (int i = 0; i < IME_MAX_SYLLABLES; ++i) {
    tones[i] = _ime_tone_val(conversation->tones[i]);  // no tone given: any
  }
  IME_DEBUG("Query dict, total %d pynum, start=%d", last, first);
  IME_DEBUG("Dict->[%s] wc=%u", dict->path, dict->word_count);
  const int whole = ime_dict_query(dict, dictionary, conversation, tones, first, last, list_code);
  if (whole > 0) {
    ime_am_flag |= 1;
    IME_DEBUG("Set am flag:[%d,%d]", first, last);
  }
  int total = whole;
  for (int end = last - 1; end > first; --end) {
    total += ime_dict_query(dict, dictionary, conversation, tones, first, end, list_code);
  }
  IME_DEBUG("Total %d words.(dbid=%d) am_flag=%d", total, dictionary, ime_am_flag);
  return whole;
}

int ime_query_phrase_list(ime_conversation_t* conversation, int first, int last, int list_code) {
  if (!span_usable(conversation, first, last)) return 0;
  ime_udb_query(conversation, first, last, list_code);
  for (int d = 0; d < ime_dict_count; ++d) {
    ime_query_phrase(conversation, d, first, last, list_code);
  }
  return 0;
}
