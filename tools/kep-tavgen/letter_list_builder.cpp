#include "letter_list_builder.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>

#include "given_rows.h"

namespace tavgen {

namespace {

GbkChar gb2312_char(std::string_view utf8) {
  std::optional<GbkChar> code = gb2312_of_utf8(utf8);
  if (!code) throw std::runtime_error("not a GB2312 character: " + std::string(utf8));
  return *code;
}

std::vector<GbkChar> gb2312_list(std::string_view utf8) {
  std::optional<std::vector<GbkChar>> codes = gb2312_text(utf8);
  if (!codes) throw std::runtime_error("not GB2312 text: " + std::string(utf8));
  return *codes;
}

// Characters by their weight summed over the letter's syllables, heaviest first; equal weights
// in GB2312 order.
std::vector<GbkChar> characters_of_letter(const CharacterWeights& weights, char letter) {
  std::map<GbkChar, std::uint64_t> summed;
  for (const auto& [syllable, characters] : weights.syllables()) {
    if (syllable.empty() || syllable[0] != letter) continue;
    for (const auto& [character, weight] : characters) summed[character] += weight;
  }
  std::vector<GbkChar> ordered;
  for (const auto& [character, weight] : summed) ordered.push_back(character);
  std::stable_sort(ordered.begin(), ordered.end(),
                   [&](GbkChar a, GbkChar b) { return summed.at(a) > summed.at(b); });
  return ordered;
}

std::vector<GbkChar> build_list(const GivenLetterHead& given, const CharacterWeights& weights) {
  std::vector<GbkChar> list = gb2312_list(given.head);
  const std::size_t length = static_cast<std::size_t>(given.length);
  if (list.size() > length) list.resize(length);
  for (GbkChar character : characters_of_letter(weights, given.letter)) {
    if (list.size() >= length) break;
    if (std::find(list.begin(), list.end(), character) == list.end()) list.push_back(character);
  }
  return list;
}

}  // namespace

int letter_list_length(char letter) {
  for (const GivenLetterHead& given : given_letter_heads()) {
    if (given.letter == letter) return given.length;
  }
  return 0;
}

std::vector<GbkChar> derive_retroflex_list(char letter, const std::vector<GbkChar>& source) {
  std::vector<GbkChar> list = source;
  auto find = [&](std::string_view utf8) { return std::find(list.begin(), list.end(), gb2312_char(utf8)); };
  if (letter == 'i') {
    auto chan = find("产");
    if (chan != list.end()) std::rotate(list.begin(), chan, chan + 1);
  } else if (letter == 'u' || letter == 'v') {
    auto first = find(letter == 'u' ? "上" : "中");
    auto second = find(letter == 'u' ? "是" : "在");
    if (first != list.end() && second != list.end()) std::iter_swap(first, second);
  }
  return list;
}

LetterLists build_letter_lists(const CharacterWeights& weights) {
  LetterLists lists;
  for (const GivenLetterHead& given : given_letter_heads()) {
    if (given.letter == 'i' || given.letter == 'u' || given.letter == 'v') continue;
    lists[given.letter - 'a'] = build_list(given, weights);
  }
  lists['i' - 'a'] = derive_retroflex_list('i', lists['c' - 'a']);
  lists['u' - 'a'] = derive_retroflex_list('u', lists['s' - 'a']);
  lists['v' - 'a'] = derive_retroflex_list('v', lists['z' - 'a']);
  return lists;
}

}  // namespace tavgen
