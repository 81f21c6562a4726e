// The key editors: ime_convs_push_key (edit, then split the keys after the chosen part up to the
// cursor), ime_push_simple_key (edit only, for the string modes) and ime_convs_pop_key.
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/imelog.h"
#include "match/convs_editor.h"
#include "match/imeconvs1.h"
#include "match/imeconvs2.h"
#include "record/engine_globals.h"
#include "record/qrdb.h"
#include "split/py_split_rules.h"
#include "split/py_splitter.h"
#include "tables/suggestion.h"

namespace {

bool is_letter(char key) { return key >= 'a' && key <= 'z'; }
bool is_printable(int key) { return key >= 32 && key <= 126; }

void set_dmode(ime_conversation_t* c, bool on) {
  if (on) {
    c->mode |= IME_MODE_D;
  } else {
    c->mode &= ~IME_MODE_D;
  }
}

// D-mode from the last key on: deleting back to here leaves it again.
int enter_dmode_at_end(ime_conversation_t* c) {
  c->dpos = c->inoff > 0 ? static_cast<std::uint16_t>(c->inoff - 1) : IME_NO_DPOS;
  set_dmode(c, true);
  return 0;
}

// The typed letters of syllable i (the normalized spelling can be longer: "xio^" is "xiong").
int typed_length(const ime_conversation_t* c, int i) {
  if (i < 0 || i >= IME_MAX_SYLLABLES) return 0;
  return static_cast<int>(strnlen(c->rpy[i], IME_SYLLABLE_BYTES));
}

int recount_pyoff(ime_conversation_t* c) {
  int consumed = 0;
  for (int i = 0; i < c->nseg && i < IME_MAX_SEGMENTS; ++i) {
    consumed += ime_convs_segment_syllables(&c->segs[i]);
  }
  c->pyoff = static_cast<std::uint16_t>(consumed);
  return consumed;
}

std::vector<std::string> split_parts(const char* text) {
  std::vector<std::string> parts;
  std::string part;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '\'' || *p == '_') {
      parts.push_back(part);
      part.clear();
    } else {
      part += static_cast<char>(*p >= 'A' && *p <= 'Z' ? *p - 'A' + 'a' : *p);
    }
  }
  parts.push_back(part);
  return parts;
}

bool starts_string_mode_letter(const std::string& syllable) {
  return !syllable.empty() && (syllable[0] == 'i' || syllable[0] == 'u' || syllable[0] == 'v');
}

// Splits the keys from the chosen part up to the cursor (`whole`: up to the end, the cursor
// moving there) into the syllables after the chosen ones.
int split_keys(ime_conversation_t* c, bool whole) {
  const int end = whole ? c->inoff : c->curpos;
  for (int i = 0; i < end && i < IME_MAX_KEYS; ++i) {
    if (!is_letter(c->inbuf[i]) && c->inbuf[i] != '\'') {
      set_dmode(c, true);
      return 0;
    }
  }
  if (whole) ime_convs_set_cursor(c, c->inoff);
  const int span = ime_convs_chosen_key_span(c);
  if (c->curpos == 0 || span >= c->curpos) return enter_dmode_at_end(c);

  const std::string taken(c->inbuf + span, static_cast<std::size_t>(c->curpos - span));
  set_dmode(c, false);
  if (suggestted_mode == 0 && selectedSuggestions != nullptr && selectedSuggestions->count(taken)) {
    suggestted_mode = 1;
  }
  char split[IME_MAX_KEYS * 2 + 2];
  char raw[IME_MAX_KEYS * 2 + 2];
  if (QASplitBuffer(taken.c_str(), split, sizeof split, raw, sizeof raw) <= 0) {
    return enter_dmode_at_end(c);
  }
  const std::vector<std::string> syllables = split_parts(split);
  const std::vector<std::string> typed = split_parts(raw);
  const int first = c->pyoff;
  const int count = static_cast<int>(syllables.size());
  if (count == 0 || typed.size() != syllables.size() || first + count > IME_MAX_SYLLABLES) {
    return enter_dmode_at_end(c);
  }
  for (int i = 0; i < count; ++i) {
    const std::string normalized = QANormalizeSyllable(syllables[i]);
    ime_convs_set_syllable(c, first + i, normalized.c_str(), typed[i].c_str());
    if (starts_string_mode_letter(normalized)) {
      ime_qrdb_reset(c, IME_LIST_PHRASES);
      if (i + 1 < count) c->dpos = static_cast<std::uint16_t>(c->curpos - 1);
    }
  }
  c->pynum = static_cast<std::uint16_t>(first + count - 1);
  for (int i = first; i < first + count; ++i) {
    const char* s = c->py[i];
    const bool mode_letter_alone = s[1] == '\0' && (s[0] == 'i' || s[0] == 'u' || s[0] == 'v');
    if (mode_letter_alone || !is_letter(s[0])) return enter_dmode_at_end(c);
  }
  set_dmode(c, false);
  return 0;
}

// Un-chooses the last segment; its syllables become the remaining input again.
void unchoose_last_segment(ime_conversation_t* c) {
  c->pynum = static_cast<std::uint16_t>(c->pyoff > 0 ? c->pyoff - 1 : 0);
  --c->nseg;
  recount_pyoff(c);
  set_dmode(c, false);
  ime_forget_hanzi_cache();
}

// Deleting back to where the raw part began leaves D-mode; the segments chosen before the raw
// part stay chosen.
void leave_raw_part_deleted(ime_conversation_t* c) {
  if (c->inoff != c->dpos) return;
  set_dmode(c, false);
  c->dpos = IME_NO_DPOS;
  recount_pyoff(c);
  ime_forget_hanzi_cache();
}

const ime_key_editor_t kPinyinEditor = {
    .chosen_key_span = ime_convs_chosen_key_span,
    .left_step = typed_length,
    .split_keys = split_keys,
    .unchoose_last_segment = unchoose_last_segment,
    .after_delete = leave_raw_part_deleted,
    .splits_on_suggest = true,
};

}  // namespace

int ime_convs_segment_syllables(const ime_query_result_t* segment) {
  if (segment == nullptr) return 0;
  return segment->type == IME_RESULT_DICT_WORD ? segment->rplen : segment->plen;
}

int ime_convs_chosen_key_span(const ime_conversation_t* c) {
  return ime_convs_key_span(c, typed_length);
}

int ime_convs_push_key(ime_conversation_t* c, int key) {
  if (c == nullptr) return -1;
  return ime_convs_edit_keys(c, key, kPinyinEditor);
}

int ime_push_simple_key(ime_conversation_t* c, int key) {
  if (c == nullptr) return 0;
  const int typed = key == IME_KEY_COMMIT_RAW ? '.' : key;
  if (is_printable(typed)) {
    ime_convs_insert_key(c, static_cast<char>(typed));
  } else {
    switch (key) {
      case IME_KEY_RIGHT:
        ime_convs_set_cursor(c, c->curpos + 1);
        break;
      case IME_KEY_OPTION_DOWN:
        ime_convs_set_cursor(c, c->inoff);
        break;
      case IME_KEY_OPTION_LEFT:
      case IME_KEY_LEFT:
        // The mode letter in front is not edited.
        if (c->curpos > 1) ime_convs_set_cursor(c, c->curpos - 1);
        break;
      case IME_KEY_OPTION_UP:
        if (c->curpos > 1) ime_convs_set_cursor(c, 1);
        break;
      case IME_KEY_BACKSPACE:
        if (c->curpos > 1 || (c->curpos == 1 && c->inoff == 1)) ime_convs_delete_key_before(c);
        break;
      case IME_KEY_DELETE:
        if ((c->curpos >= 1 && c->curpos < c->inoff) || (c->curpos == 0 && c->inoff == 1)) {
          ime_convs_delete_key_at(c);
        }
        break;
      default:
        break;
    }
  }
  ime_convs_set_output(c, c->inbuf, c->inoff);
  return 0;
}

int ime_convs_pop_key(ime_conversation_t* c) {
  if (c == nullptr || c->inoff == 0) return -1;
  if (ime_convs_is_split(c)) {
    char* last = c->py[c->pynum];
    std::size_t length = strnlen(last, IME_SYLLABLE_BYTES);
    if (length > 0) last[length - 1] = '\0';
    if (length <= 1 && c->pynum > 0) --c->pynum;
  }
  ime_convs_set_cursor(c, c->inoff);
  ime_convs_delete_key_before(c);
  if (c->inoff > 0 && c->inbuf[c->inoff - 1] == '\'') ime_convs_delete_key_before(c);
  if (c->inoff == 0) return ime_convs_reset(c);
  c->nseg = 0;
  c->pyoff = 0;
  c->page = 0;
  ime_convs_forget_shown(c);
  if (ime_convs_is_split(c) && c->cmpoff > c->pynum) c->cmpoff = c->pynum;
  if (c->pynum == 0) ime_qrdb_reset(c, IME_LIST_PHRASES);
  return 0;
}
