// The pinyin of a sentence from the engine's own hanzi readings: each character's most used
// reading, toneless. Polyphones may come out wrong; every converter is given the same syllables.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sentence_accuracy {

// The syllables of a UTF-8 sentence, one per character; nullopt when the engine is not started,
// the sentence is not GB18030 text, or a character has no reading.
std::optional<std::vector<std::string>> engine_syllables(const std::string& sentence);

// The pieces of a UTF-8 sentence, one per character: the syllable of each hanzi, read within
// its run of hanzi (engine_syllables), and every character typed as it is (typed_as_is);
// nullopt when a run has no reading.
std::optional<std::vector<std::string>> engine_pieces(const std::string& sentence);

}  // namespace sentence_accuracy
