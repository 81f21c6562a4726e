// Which letter strings the splitter accepts as (the start of) a pinyin syllable. Built from the
// engine's own list of syllables, so the splitter works the same with or without the pinyin
// tables loaded, in the engine and in the data generator alike.
#pragma once

#include <string_view>

// Letters of the longest syllable ("zhuang").
inline constexpr std::size_t IME_PY_MAX_LETTERS = 6;

// True when `letters` is a whole syllable of the table.
bool ime_py_is_syllable(std::string_view letters);
// True when `letters` is a syllable or the beginning of one ("zho" of "zhong"): an input
// the user may still be typing.
bool ime_py_is_prefix(std::string_view letters);
