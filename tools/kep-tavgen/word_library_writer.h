// Writes the sentence service's word libraries in the layouts its readers expect
// (sentenceparser/core/library_layout.h): used by kep-tavgen and by the tests' fixtures.
//
// Every index is sized for all its bucket numbers (uint32 first record, uint16 count). A library
// without words is written as its index alone: every count is 0, so no reader opens the data
// file, and an empty file could not be mapped anyway.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tavgen {

// One word: its syllables ("zhong", "guo"; one-vowel syllables plain, "a"), the position of each
// character in its syllable's pydan.tab row, and the bytes' values before escaping.
struct LibraryWord {
  std::vector<std::string> syllables;
  std::vector<int> positions;
  int weight = 0;               // full-pinyin weight, 0..121 or an escaped value
  int abbreviation_weight = 0;  // abbreviation weight
  unsigned char flags = 0;      // 0x40 preferred / offered for abbreviation; split marks
  char marker = 0;              // head-and-end library: 'h' or 'e'
};

// A record byte is never 0: flags 0 are stored as 0x80, a bit no reader gives a meaning to
// (the split marks are 0x20 >> d for d = 0..5, 0x40 the preferred bit).
inline constexpr unsigned char kFlagsPresent = 0x80;

// A bucket's (and main/mgrm0j.inx's initials') records are counted in 16 bits: more are refused.
inline constexpr std::size_t kBucketRecordMax = 65535;

// main/mgrm<N-2>.inx/.dat for the words of `n` syllables (and main/mgrm0j.inx for n = 2) under
// `tav`; words whose syllables have no final code or whose bytes cannot be stored are refused
// with the reason in `error`, as is a bucket of more than kBucketRecordMax records. Files are
// written atomically. False on failure. Homophones are stored heaviest first.
bool write_main_library(const std::filesystem::path& tav, int n, std::vector<LibraryWord> words,
                        std::string* error);
// mpp/w<N>.inx/.dat (weights and flags are not stored).
bool write_whole_library(const std::filesystem::path& tav, int n, std::vector<LibraryWord> words,
                         std::string* error);
// mpp/j10<N>.inx/.dat; a key's "h" record comes before its "e" record; a key may have one of
// each at most.
bool write_head_end_library(const std::filesystem::path& tav, int n,
                            std::vector<LibraryWord> words, std::string* error);
// mpp/bd1, mpp/bd2 and mpp/bdj2 as valid libraries without words.
bool write_empty_context_libraries(const std::filesystem::path& tav, std::string* error);

// One record of a library in the layout all word libraries share: an index entry per bucket
// number, the bucket's records sorted by the bytes a reader compares.
struct LibraryRecord {
  long bucket = 0;
  std::string compared;  // the bytes a reader's binary search compares
  std::string bytes;     // the whole record
  int weight = 0;        // equal compared bytes: heaviest first
  int marker_rank = 0;   // head-and-end: "h" before "e"
};

// Base-26 number of `count` lower-case letters of `key` from `offset`; -1 for another byte or a
// key too short.
long letter_number(const std::string& key, std::size_t offset, int count);

// `index_name` with `numbers` index entries and `data_name` under `tav` for the records, or the
// index alone when there are none; false, with the reason in `error`, for a bucket of more than
// kBucketRecordMax records or a file that cannot be written.
bool write_library_records(const std::filesystem::path& tav, const std::string& index_name,
                           const std::string& data_name, long numbers, std::vector<LibraryRecord> records,
                           std::string* error);

}  // namespace tavgen
