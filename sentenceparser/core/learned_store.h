// The learned-word table in memory and its guards, shared by the insert and lookup code and the
// file code. One service thread uses them.
#pragma once

#include <cstdint>

#include "sentenceparser/core/learned_words.h"

namespace sentence {

struct LearnedEntry {
  char text[kLearnedLineRoom];
  std::uint16_t in_use;
};

extern LearnedEntry UBItem[kLearnedBuckets][kLearnedSlots];
extern std::int16_t AutoCiHead[kLearnedBuckets];
extern int UBLoadCount;
extern int AllowWriteUB;
extern int AllowWriteUD;
extern int UserLibMan;
extern char UserDan[kUserDanRows][256];
extern int HaveUserDan;

// The four fields of a stored line; false when it has fewer than four.
struct LearnedFields {
  char pinyin[41];
  char word[41];
  char count[41];
  char type[41];
};
// Splits at blanks and tabs into at most four fields; a field of 40 or more bytes is cut at 40
// bytes and ends the line. Returns the number of fields.
int split_learned_line(const char* line, LearnedFields* fields);

// Empties every bucket.
void clear_learned_table();

}  // namespace sentence
