// The body of a cell dictionary turned into the builder's word list: one line per word,
//
//   pinyin word stars frequency tones
//
// the syllables joined by "'", the word in GB18030, one "*" per byte of it (the second form,
// computed by the builder), the frequency as a whole number and one blank per character (no
// tone known). Every count and length is checked against what is left of the file first.
#pragma once

#include <cstdint>
#include <cstdio>

namespace celldict {
class ProgressReporter;
}

namespace scel {

struct BodyCounts {
  std::uint32_t words_read = 0;     // words decoded
  std::uint32_t words_written = 0;  // lines written
  std::uint32_t not_gbk = 0;        // words with no two-byte GB18030 form, left out
  bool stopped = false;             // the reporter asked to stop
};

// Reads the body from `in` (positioned at its start, `file_size` bytes in all) until
// `word_count` words are decoded or a stop is asked for, and writes the lines to `out`.
// False, logged, when the body is malformed or cut short, or a line cannot be written.
//
// Without a reporter the process-wide stopFlag ends the body early (the words so far are
// kept). With one, its isStopped() is asked before each group, before each word and after each
// group (a stop sets counts->stopped), and it hears the words written every hundredth of
// `word_count` (every word below 100 words).
bool decode_body(std::FILE* in, std::uint64_t file_size, std::uint32_t word_count, std::FILE* out,
                 BodyCounts* counts, celldict::ProgressReporter* reporter = nullptr);

// The frequency field (big-endian IEEE single) as the word list's whole number: NaN and
// negative values give 0, values beyond 2^32-1 give 2^32-1.
double frequency_value(const unsigned char bytes[4]);

}  // namespace scel
