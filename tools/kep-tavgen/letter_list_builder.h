// The built-in character list of each initial letter: the given head, then the commonest GB2312
// characters read with a syllable of that letter. The i, u and v lists stand for the ch-, sh- and
// zh- initials and are the c, s and z lists with a ch-, sh- or zh- character leading.
#pragma once

#include <array>
#include <vector>

#include "character_weights.h"

namespace tavgen {

using LetterLists = std::array<std::vector<GbkChar>, 26>;

// Characters of the whole list for a letter 'a'..'z'.
int letter_list_length(char letter);

// The c, s or z list reordered as the i, u or v list.
std::vector<GbkChar> derive_retroflex_list(char letter, const std::vector<GbkChar>& source);

// Throws std::runtime_error when a given head character is not a GB2312 character.
LetterLists build_letter_lists(const CharacterWeights& weights);

}  // namespace tavgen
