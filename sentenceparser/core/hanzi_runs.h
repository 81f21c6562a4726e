// Where words begin and end in a run of Chinese characters met during clipping. Characters are
// collected one at a time; after each one the positions that end a word and those that can no
// longer start one are marked, and the leading run is emitted as soon as no word can cross its
// end. A run the word libraries do not know is cut into pieces by the split libraries
// (cz/qy{n}), the positional weights (cz/weight.dat) or longest words first.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sentenceparser/core/char_classes.h"

namespace sentence {

// The longest window, in characters, examined from one start.
inline constexpr int kHanziWindowMax = 7;

enum CiState : unsigned char {
  kCiUndecided = 1,
  kCiWordEnd = 2,    // a word ends here
  kCiNoStart = 3,    // no further word can start here
};

// Pending characters. Each clip holds at most kClipTextMax characters, so the buffer never
// fills; should it, the pending run is flushed before the next character goes in.
inline constexpr int kCiCapacity = 512;
struct CiBuffer {
  std::uint16_t count;
  unsigned char state[kCiCapacity];
  unsigned char items[kCiCapacity][2];
};
extern CiBuffer Ci;

// Candidate units of one run.
inline constexpr int kQyUnitCapacity = 16;
inline constexpr int kQyUnitCharsMax = 4;
inline constexpr int kQyPositionMax = 255;  // positions are stored in a byte
struct QyUnit {
  std::uint8_t start;   // 1-based character number in the run
  std::uint8_t end;
  std::uint8_t chosen;
  std::uint8_t spare;
  std::uint16_t weight;
  char text[10];        // at most kQyUnitCharsMax characters
};
static_assert(sizeof(QyUnit) == 16, "units are 16-byte entries");
extern QyUnit Qy_Unit[kQyUnitCapacity];
extern int Cur_PreQyNum;

// Largest run, in bytes with the NUL, and the largest '+'-cut form of it.
inline constexpr std::size_t kRunBytesMax = 2 * kCiCapacity + 1;
inline constexpr std::size_t kCutRunBytesMax = 3 * kCiCapacity + 1;

// Empties the buffer and sets every state to undecided.
void ResetCi();
// Appends a GBK character (flushing first when the buffer is full).
void AppendHzchr(Dbch item);
// Marks the pending characters and emits at most one decided run as units (flush 0), or
// everything pending (flush 1).
void FixHzchr(int flush);

// Cuts a run that is no word into pieces joined by '+' in out (kCutRunBytesMax bytes); 1, or 0
// for a run of one character (copied).
int FixQy(const char* run, char* out);
// Longest words first. When the unit table fills, the rest of the run is cut into single
// characters: a run that long only builds up from words chaining into each other until the
// end of the text. Characters past kQyPositionMax stay single too.
int MaxClip(const char* run, char* out);
// A run of 3 to 6 characters cut by its split library: 1, or 0 with out empty.
int PrefixQy(const char* run, char* out);
// Every three- then two-character window of the run with its weight, as long as the table
// holds them.
void GetAllMayCi(const char* run);
// Sum of the weights of characters start..end (1-based) as a word of their count.
int GetWeightOfQy(const char* run, int start, int end);
// The weight of a character as character `position` (1-based) of a word of `length` 2 or 3;
// 0 otherwise and without a weight file.
int GetWeight(const char* character, int length, int position);
// The run with '+' before every character that does not continue a chosen unit; 1, or 0 for a
// run of one character (copied). `out` holds kCutRunBytesMax bytes.
int GetQyResult(const char* run, char* out);
// The next '+'-separated piece of text from *position into out (`out_size` bytes, longer pieces
// cut); moves *position past the '+'; the piece's length.
int GetNextItem(int* position, const char* text, char* out, std::size_t out_size);

}  // namespace sentence
