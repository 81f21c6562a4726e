// The pinyin splitter: turns the typed letters of a composition (without its chosen part) into
// syllables. It applies the automatic corrections, looks the letters up in the table of
// suggested splits, and cuts them greedily (py_split_rules.h).
//
// One splitter record per process: the engine's start-up runs its init, its exit the finalize.
#pragma once

#include <cstddef>
#include <string_view>

#include "split/py_autocorrect.h"
#include "split/py_context.h"
#include "split/py_split_rules.h"
#include "split/py_suggestions.h"

struct QASplitter {
  const char* name;                // "Pinyin"
  QASuggestionTable* suggestions;  // NULL before init and after finalize
  // 0, or -1 when the table cannot be made (logged). A table resource that is missing or
  // unreadable is logged and leaves the table empty: splitting works without suggestions.
  int (*init)(QASplitter* splitter);
  // The split of `letters`; NULL when they cannot be split. Released with QAContextObjectRelease.
  QAContextObject* (*proc)(QASplitter* splitter, std::string_view letters);
  // Releases the table; writes the user's chosen suggestions (qy.cfg) before releasing them.
  void (*finalize)(QASplitter* splitter);
};

QASplitter* QAGetPYSplitter();

// 1 when the last QASplitBuffer found a suggested split for its letters.
extern int has_suggestted;

// Splits the NUL-terminated `letters` with the process's splitter and writes the syllables
// joined with "'" into `split_out` and the typed letters of each syllable, joined the same
// way, into `raw_out` (`split_size` and `raw_size` bytes, NUL-terminated). With an odd
// suggestted_mode the suggested split is taken when there is one. Syllables keep their
// correction markers (QANormalizeSyllable resolves them).
// Returns the bytes written to split_out; 0 for no letters; -1 without a splitter, letters or
// output buffers; -2 when the letters cannot be split or the output does not fit (both outputs
// are then empty).
int QASplitBuffer(const char* letters, char* split_out, std::size_t split_size, char* raw_out,
                  std::size_t raw_size);
