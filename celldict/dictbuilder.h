// Builds a dictionary folder (dict.db, dict_idx.db, dict.info, version.info, uid.info; the
// format is in CoreSource/dictfmt.h) from a word list, one word a line:
//
//   pinyin word [second-form [frequency [tones]]]
//
// fields separated by one blank: the syllables joined by "'" ("zhong'guo"), the word in
// GB18030, its second form (the traditional form in GB18030, or "*" when it is to be computed),
// a decimal frequency and one tone digit per syllable. Missing fields default to the word, 0
// and "unknown tone".
//
// One build runs at a time in a process: the description buffers and the stop flag below are
// shared by the whole process.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace celldict {
class ProgressReporter;
}

// Texts written into dict.info and version.info: USER, DESCRIPTION and VERSION. Whoever starts
// a build fills them first (at most 511 bytes and a terminating zero each).
inline constexpr std::size_t IME_DICT_TEXT_SIZE = 512;
extern char sauthor[IME_DICT_TEXT_SIZE];
extern char sdesc[IME_DICT_TEXT_SIZE];
extern char sversion[IME_DICT_TEXT_SIZE];
// A stop request polled between lines by builds without a progress reporter: such a stopped
// build completes the folder with the words read so far and still reports success.
extern std::atomic<char> stopFlag;

// Longest word-list line, and longest second-form, frequency and tone fields; a line with a
// longer one is rejected rather than cut.
inline constexpr std::size_t IME_DICT_LINE_MAX = 511;
inline constexpr std::size_t IME_DICT_FIELD_MAX = 63;

struct ime_build_stats_t {
  std::uint32_t lines = 0;     // lines read, empty ones included
  std::uint32_t records = 0;   // words written
  std::uint32_t rejected = 0;  // lines skipped because they cannot make a valid record
  bool stopped = false;        // the reporter asked to stop (the build returned -1)
};

// Builds the folder's files from the word list. `folder` must exist. 0 on success (also when
// stopped); -1 with the reason in `message` (512 bytes) otherwise.
//
// The new files are written into a private folder inside `folder` and moved into place only
// when complete, dict.info last, so a failed build never leaves a folder that looks valid: its
// own partial files are removed, and a dict.info left from an earlier build is removed once the
// new files start replacing the old ones. What to do with the folder itself is the caller's
// decision.
int ime_build_dict(const char* wordlist_path, const char* folder, const char* uid, char* message);
// The same, also counting what was read, written and rejected (`stats` may be NULL).
int ime_build_dict_with_stats(const char* wordlist_path, const char* folder, const char* uid,
                              char* message, ime_build_stats_t* stats);
// The same, watched by `reporter` (may be NULL, then it is ime_build_dict_with_stats): the
// statuses "BUILD_PROCESS" and "DARUZ_DICT_IMPORT_DONE", an indeterminate bar while the lines
// are read and sorted, then about a hundred reports of the records written (a determinate bar,
// its range left as the watcher set it, and the records added since the last report). A stop
// it asks for is heard between lines, before the sort and before the description files, and
// gives -1 ("Stopped.") with nothing of the build left in `folder`; stopFlag is not polled.
int ime_build_dict_reporting(const char* wordlist_path, const char* folder, const char* uid,
                             char* message, ime_build_stats_t* stats,
                             celldict::ProgressReporter* reporter);

// Writes dict.info (TOTAL_COUNT, USER, DESCRIPTION, DATE, VERSION), version.info (the version,
// no line end) and uid.info (the uid, no line end), each atomically. Control characters in the
// texts become blanks, so no value can add a line of its own. 0, or -1 when a file cannot be
// written (the files before it stay written).
int ime_creat_dict_info(const char* folder, std::uint32_t total_count, const char* user,
                        const char* description, const char* date, const char* version, int uid);

// The leading decimal number of a uid text, as "%d" prints it: "1234abc" gives 1234, a text
// without leading digits 0; values beyond the range of int are clamped.
int ime_uid_number(const char* uid);

// One word-list line, split into its fields.
struct ime_wordlist_line_t {
  std::string pinyin;
  std::string word;
  std::string second;
  std::uint32_t frequency = 0;
  std::string tones;
};

// One line of the intermediate list: the record of one word with its index key.
struct ime_sorted_line_t {
  std::string key;
  std::string initials;
  std::string finals;
  std::string word;
  std::string second;
  std::uint32_t frequency = 0;
  std::string tones;
};

enum {
  IME_LINE_END = 0,   // end of the file
  IME_LINE_READ = 1,  // a line was read
  IME_LINE_BAD = -1,  // a line was consumed but cannot be used (too long, no word, ...)
};

// Reads the next word-list line. A last line without a line end is still read; a carriage
// return before the line end is dropped; an empty line reads as a line with empty fields.
int ime_py_fgets1(std::FILE* file, ime_wordlist_line_t* line);

// Turns a word-list line into its intermediate line, or explains in `why` why it cannot be
// stored: a syllable without a final code, a word that is not one two-byte GB18030 character
// per syllable, a second form of another length, ...
bool ime_make_sorted_line(const ime_wordlist_line_t& line, std::string* sorted, std::string* why);

// Reads one intermediate line back into its fields. False for a line that is not one.
bool _ime_py_fgets2(std::string_view text, ime_sorted_line_t* line);

// Splits a pinyin text at "'" into syllables of 1 to 6 lower-case letters. Returns their
// number, or -1 when the text has more than 60 syllables, an empty or too long syllable, or a
// character other than a-z.
int ime_split_py(std::string_view pinyin, char syllables[][8]);

// Writes the final code of each syllable into `out` (at least `count` bytes): the engine's
// code of the syllable without its first letter, "P", "Q", "R" for "a", "e", "o". Returns
// `count`, or -1 when a syllable has no code (its record could not be read back).
int ime_get_enc_ym(const char syllables[][8], int count, char* out);
