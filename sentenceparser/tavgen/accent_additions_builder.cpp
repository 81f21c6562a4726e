#include "accent_additions_builder.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <utility>

#include "given_rows.h"

namespace tavgen {

namespace {

constexpr std::pair<std::string_view, std::string_view> kInitialSwaps[] = {
    {"zh", "z"}, {"ch", "c"}, {"sh", "s"}, {"z", "zh"}, {"c", "ch"}, {"s", "sh"},
    {"n", "l"},  {"l", "n"},  {"f", "h"},  {"h", "f"},
};
constexpr std::pair<std::string_view, std::string_view> kFinalSwaps[] = {
    {"ang", "an"}, {"eng", "en"}, {"ing", "in"}, {"an", "ang"}, {"en", "eng"}, {"in", "ing"},
};

void add_if_known(std::string candidate, const std::set<std::string>& syllables, std::string_view plain,
                  std::vector<std::string>* out) {
  if (candidate == plain || !syllables.contains(candidate)) return;
  if (std::find(out->begin(), out->end(), candidate) == out->end()) out->push_back(std::move(candidate));
}

}  // namespace

std::vector<std::string> confusable_syllables(std::string_view plain, const std::set<std::string>& syllables) {
  std::vector<std::string> out;
  // A retroflex initial is swapped whole: "zhang" gives "zang", never "zhhang".
  for (const auto& [from, to] : kInitialSwaps) {
    if (!plain.starts_with(from)) continue;
    if (from.size() == 1 && plain.size() > 1 && plain[1] == 'h' && (from == "z" || from == "c" || from == "s")) {
      continue;
    }
    add_if_known(std::string(to) + std::string(plain.substr(from.size())), syllables, plain, &out);
  }
  for (const auto& [from, to] : kFinalSwaps) {
    if (!plain.ends_with(from)) continue;
    add_if_known(std::string(plain.substr(0, plain.size() - from.size())) + std::string(to), syllables, plain,
                 &out);
  }
  return out;
}

std::vector<AccentEntry> build_accent_additions(const DanRows& rows, const CharacterWeights& weights) {
  std::map<std::string, std::size_t> row_of;  // plain syllable -> row number
  std::set<std::string> with_characters;
  for (int n = 0; n < kDanLines - 1; ++n) {
    std::string plain = plain_syllable(rows.texts[n]);
    if (plain.empty()) continue;
    row_of[plain] = static_cast<std::size_t>(n);
    if (!rows.characters[n].empty()) with_characters.insert(plain);
  }

  std::map<std::string, std::vector<GbkChar>> additions;
  for (const GivenAddition& given : given_accent_additions()) {
    std::optional<std::vector<GbkChar>> codes = gb2312_text(given.characters);
    if (!codes) throw std::runtime_error("not GB2312 text: " + std::string(given.characters));
    additions[std::string(given.syllable)] = std::move(*codes);
  }

  for (std::string_view key : accent_addition_keys()) {
    const std::string plain(key);
    if (additions.contains(plain)) continue;
    auto row = row_of.find(plain);
    const std::vector<GbkChar> own = row == row_of.end() ? std::vector<GbkChar>{} : rows.characters[row->second];
    // Candidates with the weight they have under the confusable syllable they come from.
    std::vector<std::pair<GbkChar, std::uint64_t>> candidates;
    for (const std::string& other : confusable_syllables(plain, with_characters)) {
      const int n = static_cast<int>(row_of.at(other));
      const std::string source = source_syllable(rows.texts[n]);
      for (GbkChar character : rows.characters[n]) {
        candidates.emplace_back(character, weights.weight(source, character));
      }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    const std::size_t room = own.size() < kMaxRowWithAdditions ? kMaxRowWithAdditions - own.size() : 0;
    const std::size_t limit = std::min(kMaxDrawnAdditions, room);
    std::vector<GbkChar> drawn;
    for (const auto& [character, weight] : candidates) {
      if (drawn.size() >= limit) break;
      if (std::find(own.begin(), own.end(), character) != own.end()) continue;
      if (std::find(drawn.begin(), drawn.end(), character) != drawn.end()) continue;
      drawn.push_back(character);
    }
    if (!drawn.empty()) additions[plain] = std::move(drawn);
  }

  std::vector<AccentEntry> entries;
  for (auto& [syllable, characters] : additions) entries.push_back({syllable, std::move(characters)});
  return entries;
}

}  // namespace tavgen
