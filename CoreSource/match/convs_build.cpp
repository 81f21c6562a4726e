// Result building: list 3 (the list the pages are cut from) and the output text, the marked text
// while composing and the committed text at the end.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "match/convs_learn.h"
#include "match/imeconvs1.h"
#include "match/imeconvs2.h"
#include "platform/text.h"
#include "record/engine_globals.h"
#include "record/qrdb.h"
#include "record/traditional_form.h"
#include "text/candidate_text.h"
#include "text/mode_strings.h"
#include "text/result_text.h"

namespace {

constexpr std::uint32_t kRawStringModes = IME_MODE_I | IME_MODE_D | IME_MODE_U | IME_MODE_V;
constexpr int kMaxAbbreviationItems = 128;

bool code_table_answers() { return ime_mode == 2 && ime_plug_mode != 1; }

std::string_view text_of(const std::uint8_t* text, std::uint8_t length) {
  const auto* bytes = reinterpret_cast<const char*>(text);
  return std::string_view(bytes, strnlen(bytes, std::min<std::size_t>(length, IME_TEXT_BYTES)));
}

// Appends to the output, cut at a character boundary when the buffer is full. false once cut.
bool append_output(ime_conversation_t* c, std::string_view text) {
  const std::size_t room = IME_OUTPUT_BYTES - std::min<std::size_t>(c->outlen, IME_OUTPUT_BYTES);
  const std::string_view fits = platform::text::utf8_prefix(text, room);
  std::memcpy(c->outbuf + c->outlen, fits.data(), fits.size());
  c->outlen = static_cast<std::uint16_t>(c->outlen + fits.size());
  if (c->outlen < IME_OUTPUT_BYTES) c->outbuf[c->outlen] = '\0';
  return fits.size() == text.size();
}

void output_keys(ime_conversation_t* c) {
  c->outlen = 0;
  append_output(c, std::string_view(c->inbuf, c->inoff));
}

// The typed letters as they stand, each syllable with the tone the user gave it marked.
void output_typed_letters(ime_conversation_t* c) {
  c->outlen = 0;
  if (!ime_convs_is_split(c)) {
    output_keys(c);
    return;
  }
  int at = 0;
  for (int i = 0; i <= c->pynum && i < IME_MAX_SYLLABLES; ++i) {
    if (at < c->inoff && c->inbuf[at] == '\'') append_output(c, std::string_view(c->inbuf + at++, 1));
    const char* typed = c->rpy[i];
    char marked[IME_PINYIN_STR_BYTES];
    const char* shown = c->tones[i] != 0 && ime_pinyin_str(typed, c->tones[i], marked) != nullptr
                            ? marked
                            : typed;
    append_output(c, shown);
    at += static_cast<int>(strnlen(typed, IME_SYLLABLE_BYTES));
  }
  if (at < c->inoff) append_output(c, std::string_view(c->inbuf + at, c->inoff - at));
}

void add_abbreviations(ime_conversation_t* c) {
  int added = 0;
  for (const std::string& item : ime_abbr_result) {
    if (item.size() >= IME_ABBR_ITEM_LIMIT || added >= kMaxAbbreviationItems) continue;
    ime_query_result_t result{};
    result.type = IME_RESULT_OTHER;
    result.dbid = IME_DBID_ABBREVIATION;
    result.matval = IME_MATVAL_ABBREVIATION;
    ime_text_field_set(result.hz, &result.hlen, item);
    ime_text_field_set(result.thz, &result.thlen, item);
    ime_qrdb_add_result2(c, IME_LIST_CANDIDATES, &result);
    ++added;
  }
  ime_abbr_result.clear();
}

void add_sentence(ime_conversation_t* c) {
  const int count = ime_qrdb_add_result2(c, IME_LIST_CANDIDATES, &c->sentence);
  ime_qrdb_entry_t* entry = nullptr;
  if (count > 0 && ime_qrdb_get_lazy(c, IME_LIST_CANDIDATES, count - 1, &entry) == 0) {
    entry->type = IME_RESULT_SENTENCE;  // a result object, ranked and learned as a sentence
  }
}

void build_candidate_list(ime_conversation_t* c) {
  ime_qrdb_reset(c, IME_LIST_CANDIDATES);
  ime_convs_forget_shown(c);  // the indexes they hold point into the list being replaced
  if (ime_has_abbr != 0) add_abbreviations(c);
  if ((c->mode & IME_MODE_SENTENCE) != 0) add_sentence(c);
  ime_qrdb_copy(c, IME_LIST_CANDIDATES, IME_LIST_PHRASES);
  ime_qrdb_copy(c, IME_LIST_CANDIDATES, IME_LIST_HANZI);
}

// The chosen segments' text, then the syllables still to choose.
void output_composition(ime_conversation_t* c, int mode) {
  c->outlen = 0;
  const bool traditional = (c->mode & IME_MODE_TRADITIONAL) != 0;
  int consumed = 0;
  for (int i = 0; i < c->nseg && i < IME_MAX_SEGMENTS; ++i) {
    ime_query_result_t& segment = c->segs[i];
    if (traditional) ime_make_traditional(&segment);
    append_output(c, traditional ? text_of(segment.thz, segment.thlen)
                                 : text_of(segment.hz, segment.hlen));
    consumed += ime_convs_segment_syllables(&segment);
  }
  if (code_table_answers()) {
    if (mode != IME_BUILD_COMMIT) output_keys(c);
    return;
  }
  if (c->nseg > 0 && c->segs[0].type == IME_RESULT_OTHER) return;
  for (int i = consumed; ime_convs_is_split(c) && i <= c->pynum && i < IME_MAX_SYLLABLES; ++i) {
    if (i > consumed) append_output(c, "'");
    append_output(c, std::string_view(c->py[i], strnlen(c->py[i], IME_SYLLABLE_BYTES)));
  }
  if (c->inoff > 0 && c->inbuf[c->inoff - 1] == '\'') append_output(c, "'");
}

}  // namespace

int ime_convs_build_result(ime_conversation_t* c, int mode) {
  if (c == nullptr) return -1;
  c->buildmode = static_cast<std::uint32_t>(mode);
  if (mode == IME_BUILD_RAW) {
    if ((c->mode & kRawStringModes) != 0) return 0;  // the keys are the output already
    if (ime_mode == 1 || code_table_answers()) {
      output_keys(c);
    } else {
      output_typed_letters(c);
    }
    return 0;
  }
  build_candidate_list(c);
  // A list rebuild leaves the output alone; writing it again here would repeat the chosen text.
  if (mode == IME_BUILD_LIST) return 0;
  output_composition(c, mode);
  if (mode == IME_BUILD_COMMIT) ime_convs_learn_commit(c);
  return 0;
}
