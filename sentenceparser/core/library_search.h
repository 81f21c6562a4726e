// A bucket of a word library: its index entry, checked against the data file, and a binary
// search over its fixed-size records. Shared by the word, abbreviation and context lookups.
#pragma once

#include <cstdint>

#include "sentenceparser/core/sp_file.h"

namespace sentence {

// Longest record of any word library (main library, 7 syllables).
inline constexpr int kRecordMax = 24;

struct Bucket {
  SpFile* data = nullptr;
  std::int64_t first = 0;  // record number of the bucket's first record
  int count = 0;
  int width = 0;
};

// Opens the index and data files (names relative to the data path) and reads index entry
// `number`. False when a file is missing, the entry lies outside the index, the count is 0, or
// the records would reach past the end of the data file; the data file is opened only after
// the entry named some records.
bool open_bucket(const char* index_name, const char* data_name, std::int64_t number, int width,
                 Bucket* bucket);

// Record k (0-based within the bucket) into `record` (kRecordMax bytes). False outside.
bool read_record(const Bucket& bucket, int k, unsigned char* record);

// Binary search for a record whose first `length` bytes equal `compared`; its number in the
// bucket with the record in `record`, or -1.
int search_bucket(const Bucket& bucket, const unsigned char* compared, int length,
                  unsigned char* record);

// The record k bytes compare equal to `compared` over `length` bytes (false when unreadable).
bool record_matches(const Bucket& bucket, int k, const unsigned char* compared, int length,
                    unsigned char* record);

// The records equal to the match over `length` bytes: those before it toward the bucket's
// start, then those after it toward its end. `visit` gets each record and returns false to stop.
template <typename Visit>
void visit_neighbours(const Bucket& bucket, int match, const unsigned char* compared, int length,
                      Visit visit) {
  unsigned char record[kRecordMax];
  for (int k = match - 1; k >= 0 && record_matches(bucket, k, compared, length, record); --k) {
    if (!visit(static_cast<const unsigned char*>(record))) return;
  }
  for (int k = match + 1; k < bucket.count && record_matches(bucket, k, compared, length, record);
       ++k) {
    if (!visit(static_cast<const unsigned char*>(record))) return;
  }
}

// The base-26 number of the key's first four bytes, 0..456975; -1 unless they are all
// lower-case letters.
int four_letter_bucket(const char* key);

// <data path><name> into `path` (512 bytes); false when there is no data path or it does not fit.
bool library_path(const char* name, char* path);

}  // namespace sentence
