// Dictionary folders as the engine reads them (the format is in dictfmt.h): opened once,
// asked for the words whose syllables match a span of the typed pinyin, and loaded into full
// candidates only when shown. Each dictionary counts how often its words are chosen in a
// frequency file of its own, "<data folder>/<folder name without extension>.freq".
//
// Everything read from a folder is checked against the files before use: an index entry that
// points outside dict.db, a word number beyond TOTAL_COUNT or a damaged record is skipped with
// a log line, and a folder whose dict.info contradicts its dict.db does not open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "base/freq.h"
#include "dict/dictindex.h"
#include "record/conversation.h"
#include "record/qrdb.h"

// Frequency modes of ime_dict_open.
enum {
  IME_DICT_FREQ_KEEP = 0,      // keep the counters of the frequency file
  IME_DICT_FREQ_RECREATE = 1,  // start the frequency file afresh, zeroed
  IME_DICT_INFO_ONLY = -1,     // read dict.info only; the dictionary cannot be queried
  // Query without a frequency file (developer tools): counters read as 0, changes are dropped,
  // and no file of the data folder is touched.
  IME_DICT_FREQ_NONE = 2,
};

struct ImeDict {
  char path[512];
  std::map<std::string, std::string> info;  // dict.info
  QAFreq* freq;                             // NULL without a frequency file
  std::uint32_t word_count;                 // TOTAL_COUNT
  dictindex::Handle* index;
  unsigned char* db;  // dict.db, mapped read-only; NULL when empty
  int fd;
  std::size_t db_length;
  bool shipped;  // the engine bundle's system dictionary
};

// 0 when `path` is a folder holding dict.info, dict.db and dict_idx.db, else -1 (logged).
int ime_check_dict(const char* path);
// Opens a dictionary folder; NULL when it is not valid or a file cannot be read (logged).
// `shipped` marks the system dictionary of the engine bundle, whose index is not re-verified.
ImeDict* ime_dict_open(const char* path, int mode, bool shipped = false);
// Releases everything of the record. 0.
int ime_dict_close(ImeDict* dict);

// The steps of opening, each 0 or -1 (logged).
int ime_load_dict_info(ImeDict* dict);
int ime_load_dict_db(ImeDict* dict);
int ime_load_dict_freq(ImeDict* dict, int mode);

// Adds to result list `list_code` of the conversation an entry (type 2) for each word of the
// dictionary whose syllables match the typed syllables first..last: same folded initials,
// tone masks (`tones`, one per syllable of the conversation, indexed from 0; 15 is any tone)
// sharing a bit with the word's, and each syllable accepted by the syllable test. With extended
// search on (ime_fill_count) and more than four syllables, words longer than the typed input
// whose first syllables match it are added too. Returns the number of entries added for the
// span itself; 0 for spans of more than 30 syllables. A negative list code counts the words
// without adding them.
int ime_dict_query(ImeDict* dict, int dbid, ime_conversation_t* conversation, const int* tones,
                   int first, int last, int list_code);

// Counter changes of a word; nothing without a frequency file or for a word number not below
// the word count.
void ime_dict_inc_freq(ImeDict* dict, std::uint32_t word_number);
void ime_dict_dec_freq(ImeDict* dict, std::uint32_t word_number);
// Sets the ranking half of the counter to value & 0xFF.
void ime_dict_set_freq(ImeDict* dict, std::uint32_t word_number, std::uint32_t value);
// Marks a word the user deleted: its ranking half cleared, so it sinks below every word in use.
// In the class-ranked mode the counter keeps its low byte with bit 7 set.
void ime_dict_mark_deleted(ImeDict* dict, std::uint32_t word_number);
// The word's counter (0 without one).
std::uint32_t ime_get_item_freq(const ime_qrdb_entry_t* entry);

// The folded initials of syllables first..last (stopping below syllable 60) into `out`
// (at least 61 bytes), zero-terminated. Returns their number.
int ime_get_py_key(const char syllables[][IME_SYLLABLE_BYTES], int first, int last, char* out);
// Splits a syllable of `length` letters (at most 6) into its initial ("zh", "ch", "sh" or the
// first letter) at out[0] and its final at out[7], both zero-terminated (`out`: 14 bytes).
void ime_get_sy(const char* syllable, int length, char* out);
// The syllable text of an initial letter and a final code into `out` (8 bytes).
void ime_dec_py(char initial, char final_code, char* out);
// The last component of `path` without its extension, into `out` (`size` bytes); returns out.
char* QALastName(const char* path, char* out, std::size_t size = 512);
