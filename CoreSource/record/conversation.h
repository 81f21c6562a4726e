// The conversation record: the engine's whole state for one input context (the keys typed,
// their syllables, the candidates, the chosen segments, the output and the modes), the
// candidate record it is made of, the mode flags, the engine key codes and the matchers'
// result codes.
//
// A conversation is one zero-filled block of plain data. Its fixed arrays are written only
// through the bounded helpers at the end of this header (or with the same bounds checked by
// the caller), so no key, syllable, segment, candidate or accessory letter can land past them.
#pragma once

#include <sys/time.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

inline constexpr int IME_MAX_SYLLABLES = 60;
inline constexpr int IME_SYLLABLE_BYTES = 7;  // six letters and the NUL
inline constexpr int IME_MAX_KEYS = 256;
inline constexpr int IME_MAX_ACCESSORY_KEYS = 128;
inline constexpr int IME_MAX_PAGE_CANDIDATES = 9;
inline constexpr int IME_MAX_SEGMENTS = 60;
inline constexpr int IME_TEXT_BYTES = 180;
inline constexpr int IME_OUTPUT_BYTES = 256;
inline constexpr int IME_RESULT_LISTS = 7;
// The highest tone a syllable can be given (tones cycle 0, 1, 2, 3, 4, 0).
inline constexpr int IME_MAX_TONE = 4;

// `pynum` while the keys are not split, and `dpos` while D-mode has not begun.
inline constexpr std::uint16_t IME_PY_NOT_SPLIT = 0xFFFF;
inline constexpr std::uint16_t IME_NO_DPOS = 0xFFFF;

// Candidate types (ime_query_result_t::type and the result-list entries).
enum {
  IME_RESULT_HANZI = 1,
  IME_RESULT_DICT_WORD = 2,
  IME_RESULT_USER_WORD = 3,
  IME_RESULT_SENTENCE = 4,
  IME_RESULT_VMODE = 5,
  IME_RESULT_OTHER = 6,
};

// `dbid` of the candidates that come from no dictionary.
inline constexpr std::int32_t IME_DBID_VMODE = -2;
inline constexpr std::int32_t IME_DBID_ABBREVIATION = 0;
// `matval` of abbreviation strings: above every match value a query gives.
inline constexpr std::uint32_t IME_MATVAL_ABBREVIATION = 0x7F000000u;

// Mode flags of ime_conversation_t::mode.
enum : std::uint32_t {
  IME_MODE_SENTENCE = 0x1,      // `sentence` holds a composed sentence worth showing
  IME_MODE_I = 0x10,            // the keys are an i-mode string
  IME_MODE_D = 0x20,            // the keys are taken raw
  IME_MODE_U = 0x40,            // the keys are a u-mode string
  IME_MODE_V = 0x80,            // the keys are a V-mode string
  IME_MODE_TRADITIONAL = 0x100, // candidates and output use `thz`
  IME_MODE_ACCESSORY = 0x400,   // letters after Tab narrow the page
};
// The flags a reset clears; the traditional flag outlives compositions.
inline constexpr std::uint32_t IME_MODE_STRING_FLAGS =
    IME_MODE_I | IME_MODE_D | IME_MODE_U | IME_MODE_V | IME_MODE_ACCESSORY;

// Result-list codes (ime_qrdb_*). List 3 is the merged candidate list pages are cut from.
enum {
  IME_LIST_PHRASES = 1,         // phrases from the first unchosen syllable, and strings
  IME_LIST_HANZI = 2,           // single hanzi of the first unchosen syllable
  IME_LIST_CANDIDATES = 3,      // merged candidates
  IME_LIST_LATER_HANZI = 5,     // single hanzi at a later syllable (composition)
  IME_LIST_LATER_PHRASES = 6,   // phrases from a later syllable (composition)
  IME_LIST_FIRST_CHOICE = 7,    // the phrase list kept from the first selection
  IME_LIST_SPARE = 8,           // kept and reset with the others; nothing fills it
};

// Engine key codes: the argument of the matchers. 32-126 are typed characters ("'" separates
// syllables; "1"-"9" select a candidate of the page); -1..-9 delete the user word shown as
// candidate 1..9.
enum : int {
  IME_KEY_TAB = 9,  // accessory mode on a candidate page, else tone key 0
  IME_KEY_SEPARATOR = '\'',
  IME_KEY_PAGE_UP = 4256,
  IME_KEY_PAGE_DOWN = 4257,
  IME_KEY_BACKSPACE = 4258,
  IME_KEY_SPACE = 4260,
  IME_KEY_DELETE = 4261,
  IME_KEY_RETURN = 4262,
  IME_KEY_OPTION_LEFT = 4264,  // cursor one key left
  IME_KEY_RIGHT = 4265,
  IME_KEY_COMMIT_RAW = 4272,   // enters a "."
  IME_KEY_ZERO = 4273,         // first page holding a one-syllable candidate
  IME_KEY_SUGGEST = 4274,      // Control alone: next suggested split
  IME_KEY_LEFT = 4276,         // cursor back over the syllable before it
  IME_KEY_OPTION_UP = 4277,    // cursor to the start of the unchosen part
  IME_KEY_OPTION_DOWN = 4278,  // cursor to the end
  IME_KEY_TONE_BASE = 7104,    // + n (0..8): cycle the tone of the n-th remaining syllable
  IME_KEY_TONE_LAST = 7112,
  IME_KEY_RETRY = 9999,        // split the keys again
};

// Matcher results.
enum : int {
  IME_MATCH_SHOW = 0,          // the conversation changed and is to be shown
  IME_MATCH_COMMITTED = 9999,  // text was committed into `outbuf`
  IME_MATCH_NOT_MINE = -1,     // the key is not the engine's
  IME_MATCH_RETRY = -9999,     // code table missed: give the key again as IME_KEY_RETRY
};

// Owned by the result-list module (qrdb.h).
struct ime_qrdb_t;
struct ime_result_objects_t;
// Owned by the bracket pairing of the candidate text.
struct ime_bracket_t;

// The duplicates check of paging: candidate text -> its index in list 3.
struct ime_seen_texts_t {
  std::unordered_map<std::string, int> index_of;
};
// Indexes into list 3 of the distinct candidates found so far, in order.
struct ime_shown_indexes_t {
  std::vector<int> indexes;
};

struct ime_query_result_t {
  std::uint8_t type;  // IME_RESULT_*
  std::uint8_t flag;  // the loaders' own
  std::uint8_t jp;    // single hanzi: 1 when matched by its initial only
  std::uint32_t index;  // entry in its source; the hanzi index for single characters
  char sm[IME_MAX_SYLLABLES];  // initial letter of each syllable
  char ym[IME_MAX_SYLLABLES];  // final code of each syllable
  std::uint8_t plen;           // syllables of the entry
  std::uint8_t rplen;          // typed syllables a dictionary word consumes
  std::uint8_t tone[IME_MAX_SYLLABLES];
  std::uint8_t hz[IME_TEXT_BYTES];   // UTF-8, NUL-terminated
  std::uint8_t thz[IME_TEXT_BYTES];  // traditional text, UTF-8, NUL-terminated
  std::uint8_t hlen;
  std::uint8_t thlen;
  std::uint32_t freq;    // first sort key
  std::uint32_t matval;  // second sort key
  std::int32_t dbid;     // source dictionary; IME_DBID_VMODE, IME_DBID_ABBREVIATION
  void* lazy;            // the source record the entry was loaded from
};

struct ime_conversation_t {
  char py[IME_MAX_SYLLABLES][IME_SYLLABLE_BYTES];   // syllables, normalized spelling
  char rpy[IME_MAX_SYLLABLES][IME_SYLLABLE_BYTES];  // syllables as typed
  char spy[IME_MAX_SYLLABLES][IME_SYLLABLE_BYTES];  // double pinyin: the keys of each syllable
  std::uint16_t pynum;   // index of the last syllable; IME_PY_NOT_SPLIT while not split
  std::uint16_t pyoff;   // syllables consumed by the chosen segments
  std::uint16_t cmpoff;  // syllable the sentence composition has reached
  char inbuf[IME_MAX_KEYS];
  std::uint16_t inoff;
  char accbuf[IME_MAX_ACCESSORY_KEYS];
  std::uint16_t acclen;
  std::uint8_t outbuf[IME_OUTPUT_BYTES];
  std::uint16_t outlen;
  ime_query_result_t sentence;
  std::uint16_t page;
  ime_query_result_t cands[IME_MAX_PAGE_CANDIDATES];
  std::uint16_t ncand;
  ime_query_result_t segs[IME_MAX_SEGMENTS];
  std::uint16_t nseg;
  std::uint16_t dpos;  // key count at which D-mode began; IME_NO_DPOS none
  // Index into `inbuf`, 0..inoff. Sixteen bits: after 256 keys the cursor stands at 256,
  // which a byte cannot hold.
  std::uint16_t curpos;
  std::uint32_t mode;   // IME_MODE_*
  std::uint32_t iflag;  // kept for the server; bits 16-31 hold the quote and bracket pairing
  std::uint32_t sflag;
  std::uint8_t keyflag;
  std::uint32_t curkey;
  std::uint32_t lastkey;
  struct timeval keytime;
  std::uint32_t buildmode;  // mode of the last result build (2: raw keys committed)
  std::uint8_t tones[IME_MAX_SYLLABLES];  // tone the user gave each syllable, 0-4
  ime_qrdb_t* lists[IME_RESULT_LISTS];  // list codes 2, 5, 1, 7, 6, 3, 8 in this order
  ime_result_objects_t* results;
  ime_seen_texts_t* seen;
  ime_shown_indexes_t* shown;
  ime_bracket_t* bracket_angle;
  ime_bracket_t* bracket_brace;
  std::int32_t full_width_punct;
  std::int32_t full_width_char;
  std::int32_t full_width_space;
  std::int32_t roman_mode;
  std::int32_t switch_flag;
};

// Allocates a conversation into `*conversation`: zero-filled, its result lists, result objects,
// `seen` and `shown` created, `pynum` and `dpos` marking "not split" and "no D-mode". Creates
// the data folder when it is missing. 0, or -1 when memory is short (nothing is kept).
int ime_new_conversation(ime_conversation_t** conversation);
// Frees the conversation with everything it owns and clears the pointer. 0.
int ime_free_conversation(ime_conversation_t** conversation);

// ---- Bounded access -------------------------------------------------------------------------
// Every helper refuses (returns -1, changes nothing) rather than write past an array.

// Syllables split so far (0 while not split or when `pynum` is out of range).
int ime_convs_syllable_count(const ime_conversation_t* conversation);
// True while the keys are split into at least one syllable.
bool ime_convs_is_split(const ime_conversation_t* conversation);
// Syllables after the chosen segments (0 when none or not split).
int ime_convs_remaining_syllables(const ime_conversation_t* conversation);

// Stores syllable i (0..59): the normalized spelling and the letters as typed (`typed` NULL:
// the same), each cut to six letters. `pynum` is not changed. 0 or -1.
int ime_convs_set_syllable(ime_conversation_t* conversation, int i, const char* normalized,
                           const char* typed);

// Inserts a key at the cursor and moves the cursor past it. -1 with 256 keys held.
int ime_convs_insert_key(ime_conversation_t* conversation, char key);
// Deletes the key before the cursor / at the cursor. -1 when there is none.
int ime_convs_delete_key_before(ime_conversation_t* conversation);
int ime_convs_delete_key_at(ime_conversation_t* conversation);
// Moves the cursor to `position`, held to 0..inoff (so 256 after 256 keys). Returns it.
int ime_convs_set_cursor(ime_conversation_t* conversation, int position);

// Appends an accessory letter. -1 with 128 held.
int ime_convs_add_accessory_key(ime_conversation_t* conversation, char letter);
// Appends a chosen segment. -1 with 60 held.
int ime_convs_add_segment(ime_conversation_t* conversation, const ime_query_result_t* segment);
// Appends a candidate to the page shown; the page holds at most `page_size` (itself at most
// 9) candidates. -1 when the page is full.
int ime_convs_add_candidate(ime_conversation_t* conversation, const ime_query_result_t* candidate,
                            int page_size);
// The page size a page is cut with: the setting held to 1..9.
int ime_convs_page_capacity(int page_size);
// Replaces the output text; -1 (and an empty output) when it is longer than the buffer.
int ime_convs_set_output(ime_conversation_t* conversation, const void* text, std::size_t length);

// Tone key n (0..8): the tone of the n-th remaining syllable goes 0, 1, 2, 3, 4, 0. Returns the
// new tone, or -1 when nothing is split yet or n is beyond the remaining syllables; nothing
// changes then.
int ime_convs_cycle_tone(ime_conversation_t* conversation, int n);
