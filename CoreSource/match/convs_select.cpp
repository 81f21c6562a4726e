// Selecting a candidate of the page: it becomes a chosen segment, its frequency is learned, and
// the composition either goes on with the syllables after it or is committed.
#include "match/convs_steps.h"
#include "match/imeconvs1.h"
#include "match/imeconvs2.h"
#include "record/engine_globals.h"
#include "record/qrdb.h"
#include "split/py_splitter.h"

namespace {

constexpr std::uint32_t kStringModes = IME_MODE_I | IME_MODE_U | IME_MODE_V;

// Nothing before the cursor is split yet (the cursor was moved to the start, or the split was
// dropped): the keys are split first instead of selecting. Raw D-mode keys typed after the
// start are committed as they stand, and the string modes have no split at all.
bool nothing_split(const ime_conversation_t* c) {
  if ((c->mode & kStringModes) != 0) return false;
  if (c->inoff > 0 && c->curpos == 0) return true;
  return c->pynum == IME_PY_NOT_SPLIT && (c->mode & IME_MODE_D) == 0;
}

bool every_syllable_consumed(const ime_conversation_t* c) {
  return c->pynum == IME_PY_NOT_SPLIT || c->pyoff >= c->pynum + 1;
}

int commit(ime_conversation_t* c) {
  ime_convs_build_result(c, IME_BUILD_COMMIT);
  return IME_MATCH_COMMITTED;
}

// Splits the keys after the chosen part up to the end and shows what they give.
int split_rest(ime_conversation_t* c) {
  const int pushed = ime_convs_push_key(c, IME_KEY_RETRY);
  if (pushed == IME_PUSH_NOTHING_LEFT) return IME_MATCH_SHOW;
  if (pushed != 0) return IME_MATCH_NOT_MINE;
  return ime_convs_requery_and_show(c);
}

}  // namespace

int ime_convs_select(ime_conversation_t* c, int number) {
  if (nothing_split(c)) {
    ime_convs_set_cursor(c, c->inoff);
    suggestted_mode = 0;
    return split_rest(c);
  }
  if ((c->mode & IME_MODE_D) != 0) return IME_MATCH_COMMITTED;  // the raw keys in outbuf
  const int listed = ime_qrdb_count(c, IME_LIST_CANDIDATES);
  if (listed <= 0) return IME_MATCH_SHOW;
  if (number < 1 || number > ime_current_page_size() || number > c->ncand) {
    return IME_MATCH_NOT_MINE;
  }
  const ime_query_result_t chosen = c->cands[number - 1];
  if (ime_convs_add_segment(c, &chosen) != 0) return IME_MATCH_NOT_MINE;

  ime_convs_learn_selection(c, number - 1);

  // Remember the phrases of the whole input: a phrase the user then builds from smaller pieces
  // that a dictionary already holds is not learned again.
  if (c->pyoff == 0 && chosen.plen < c->pynum + 1 && (ime_am_flag & 1) != 0 &&
      ime_qrdb_count(c, IME_LIST_PHRASES) > 0) {
    ime_qrdb_reset(c, IME_LIST_FIRST_CHOICE);
    ime_qrdb_copy(c, IME_LIST_FIRST_CHOICE, IME_LIST_PHRASES);
  }

  c->pyoff = static_cast<std::uint16_t>(c->pyoff + ime_convs_segment_syllables(&chosen));
  c->page = 0;
  ime_convs_forget_shown(c);

  if ((listed == 1 && number == 1) || (c->mode & IME_MODE_V) != 0) return commit(c);
  if (every_syllable_consumed(c)) {
    if (c->curpos >= c->inoff) return commit(c);
    return split_rest(c);
  }
  if (chosen.type == IME_RESULT_OTHER) return commit(c);
  return ime_convs_requery_and_show(c);
}
