// The conversation record: the engine's whole state for one input context (the keys typed,
// their syllables, the candidates, the chosen segments, the output and the modes), and the
// candidate record it is made of. A conversation is one zero-filled block; every field below
// is plain data so that zero is its empty state.
#pragma once

#include <sys/time.h>

#include <cstdint>

inline constexpr int IME_MAX_SYLLABLES = 60;
inline constexpr int IME_SYLLABLE_BYTES = 7;
inline constexpr int IME_MAX_KEYS = 256;
inline constexpr int IME_MAX_ACCESSORY_KEYS = 128;
inline constexpr int IME_MAX_PAGE_CANDIDATES = 9;
inline constexpr int IME_TEXT_BYTES = 180;
inline constexpr int IME_RESULT_LISTS = 7;

// Candidate types.
enum {
  IME_RESULT_HANZI = 1,
  IME_RESULT_DICT_WORD = 2,
  IME_RESULT_USER_WORD = 3,
  IME_RESULT_SENTENCE = 4,
  IME_RESULT_VMODE = 5,
  IME_RESULT_OTHER = 6,
};

// Mode flags of ime_conversation_t::mode.
enum : std::uint32_t {
  IME_MODE_SENTENCE = 0x1,
  IME_MODE_I = 0x10,
  IME_MODE_D = 0x20,
  IME_MODE_U = 0x40,
  IME_MODE_V = 0x80,
  IME_MODE_TRADITIONAL = 0x100,
  IME_MODE_ACCESSORY = 0x400,
};

// Owned by the result-list module.
struct ime_qrdb_t;
// Outside result objects, the duplicates check and the distinct-candidate indexes of paging,
// and the bracket-pairing stacks: owned by the modules that fill them.
struct ime_result_objects_t;
struct ime_seen_texts_t;
struct ime_shown_indexes_t;
struct ime_bracket_t;

struct ime_query_result_t {
  std::uint8_t type;  // IME_RESULT_*
  std::uint8_t flag;
  std::uint8_t jp;
  std::uint32_t index;  // entry in its source; the hanzi index for single characters
  char sm[IME_MAX_SYLLABLES];  // initial letter of each syllable
  char ym[IME_MAX_SYLLABLES];  // final code of each syllable
  std::uint8_t plen;           // syllables of the entry
  std::uint8_t rplen;          // typed syllables a dictionary word consumes
  std::uint8_t tone[IME_MAX_SYLLABLES];
  std::uint8_t hz[IME_TEXT_BYTES];   // UTF-8
  std::uint8_t thz[IME_TEXT_BYTES];  // traditional text, UTF-8
  std::uint8_t hlen;
  std::uint8_t thlen;
  std::uint32_t freq;    // first sort key
  std::uint32_t matval;  // second sort key
  std::int32_t dbid;     // source dictionary; -2 V-mode strings
  void* lazy;            // the source record the entry was loaded from
};

struct ime_conversation_t {
  char py[IME_MAX_SYLLABLES][IME_SYLLABLE_BYTES];   // syllables, normalized spelling
  char rpy[IME_MAX_SYLLABLES][IME_SYLLABLE_BYTES];  // syllables as typed
  char spy[IME_MAX_SYLLABLES][IME_SYLLABLE_BYTES];  // double pinyin: the keys of each syllable
  std::uint16_t pynum;   // index of the last syllable; 0xFFFF while not split
  std::uint16_t pyoff;   // syllables consumed by the chosen segments
  std::uint16_t cmpoff;  // syllable the sentence composition has reached
  char inbuf[IME_MAX_KEYS];
  std::uint16_t inoff;
  char accbuf[IME_MAX_ACCESSORY_KEYS];
  std::uint16_t acclen;
  std::uint8_t outbuf[256];
  std::uint16_t outlen;
  ime_query_result_t sentence;
  std::uint16_t page;
  ime_query_result_t cands[IME_MAX_PAGE_CANDIDATES];
  std::uint16_t ncand;
  ime_query_result_t segs[IME_MAX_SYLLABLES];
  std::uint16_t nseg;
  std::uint16_t dpos;  // key count at which D-mode began; 0xFFFF none
  std::uint8_t curpos;
  std::uint32_t mode;   // IME_MODE_*
  std::uint32_t iflag;  // kept for the server; bits 16-31 hold the quote and bracket pairing
  std::uint32_t sflag;
  std::uint8_t keyflag;
  std::uint32_t curkey;
  std::uint32_t lastkey;
  struct timeval keytime;
  std::uint32_t buildmode;
  std::uint8_t tones[IME_MAX_SYLLABLES];
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

// Allocates a zero-filled conversation into `*conversation` and creates the data folder when
// it is missing. 0, or -1 when the memory cannot be had.
int ime_new_conversation(ime_conversation_t** conversation);
// Frees the conversation and clears the pointer. 0.
int ime_free_conversation(ime_conversation_t** conversation);
