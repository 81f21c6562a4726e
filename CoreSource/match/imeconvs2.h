// Candidate gathering, result building, paging and learning: after every change to the keys the
// matchers call ime_convs_match_py2 (fill the result lists for the unchosen syllables and compose
// a whole-sentence candidate), ime_convs_build_result (merge the lists into list 3, the list the
// pages are cut from, and write the output text) and ime_convs_page (cut a page out of list 3,
// each text once). A selection that finishes the input builds with
// IME_BUILD_COMMIT, which writes the committed text and learns the phrase.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "record/conversation.h"

// Modes of ime_convs_build_result.
enum {
  IME_BUILD_KEY = 0,      // after a key: list 3 and the marked output
  IME_BUILD_COMMIT = 1,   // after the last selection: the committed text, then learning
  IME_BUILD_RAW = 2,      // commit the typed letters
  IME_BUILD_LIST = 9,     // rebuild list 3 only; the output text stays as it is
};

// Results of ime_convs_page.
enum {
  IME_PAGE_SHOWN = 0,
  IME_PAGE_LAST_SHOWN = 1,  // the page asked for lies past the end; the last one is shown
  IME_PAGE_NONE = -1,
};

// ---- Engine-wide state of the composition being matched (one engine thread) ----------------

// The syllable and tones for which list 2 (the single hanzi of the first unchosen syllable) was
// last filled; list 2 is kept while they stay the same. Cleared whenever the split may have
// changed in a way the cache cannot see.
extern char last_py[128];
extern std::uint8_t last_tone[IME_MAX_SYLLABLES];
void ime_forget_hanzi_cache();

// Set while the whole input (nothing chosen yet) is a user abbreviation; its items go in front
// of list 3 at the next build.
extern int ime_has_abbr;
extern std::vector<std::string> ime_abbr_result;

// The sentence service's text for the whole input (GBK, kept while nothing is chosen) and its
// split marks, one per syllable.
inline constexpr int IME_HM_BUF_BYTES = 1024;
extern char hm_buf[IME_HM_BUF_BYTES];
extern int hm_buf_len;
extern char hm_fen[IME_MAX_SYLLABLES];

// Microseconds between the previous key and the key being matched, set by the host before each
// key. A commit is learned only when its selecting key came at least ime_duration_delay
// (config_reload.h) after the key before it, so a burst of keys typed ahead is not learned.
extern long long ime_duration;

// The page size in force: the setting held to 1..9.
int ime_current_page_size();

// ---- Interfaces -------------------------------------------------------------------------------

// Fills the result lists for the syllables after the chosen part (phrases into list 1, single
// hanzi of the first one into list 2) and composes `sentence` when no phrase covers them all:
// by the sentence service when it is enabled and answers, else greedily. -1 without keys, else 0.
int ime_convs_match_py2(ime_conversation_t* conversation);

// Builds list 3 (abbreviation strings, the sentence, list 1, list 2) and the output text for
// `mode` (IME_BUILD_*); with IME_BUILD_COMMIT also learns the committed phrase. 0.
int ime_convs_build_result(ime_conversation_t* conversation, int mode);

// Shows page n of list 3 in `cands`/`ncand`, a text shown once (of two dictionary words with the
// same text, the one consuming more typed syllables stays). IME_PAGE_SHOWN, IME_PAGE_LAST_SHOWN
// (n lay past the end: the last page is shown) or IME_PAGE_NONE (nothing shown).
int ime_convs_page(ime_conversation_t* conversation, int n);
// Show page `page` - 1 / + 1 and move `page` when that page exists. 0.
int ime_convs_pre_page(ime_conversation_t* conversation);
int ime_convs_next_page(ime_conversation_t* conversation);

// The index in list 3 of candidate i of the page shown; -1 when there is none.
int ime_convs_candidate_list_index(const ime_conversation_t* conversation, int i);

// Forgets the candidates found so far (`shown`, `seen`): list 3 is about to change.
void ime_convs_forget_shown(ime_conversation_t* conversation);
