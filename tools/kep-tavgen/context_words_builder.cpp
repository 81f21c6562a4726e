#include "context_words_builder.h"

#include <map>
#include <optional>
#include <string>
#include <tuple>

namespace tavgen {

namespace {

// The class letters of the marks (sentenceparser/core/context_classes.h), after digits ('a')
// and letters ('b'); 'x' and 'y' are no class, 'z' only starts a sentence.
constexpr char kLastMarkClass = 'w';

struct Placed {
  const GapCandidate* candidate = nullptr;
  std::vector<int> positions;
  std::vector<GbkChar> characters;
};

auto score(const GapCandidate& candidate) {
  return std::make_tuple(candidate.contexts.size() + (candidate.unit ? kUnitContexts : 0), candidate.weight);
}

bool better(const Placed& a, const Placed& b) {
  const auto sa = score(*a.candidate);
  const auto sb = score(*b.candidate);
  if (sa != sb) return sa > sb;
  return a.characters < b.characters;  // the same choice on every run
}

std::optional<Placed> place(const GapCandidate& candidate, const RowPositions& positions) {
  Placed placed{&candidate, {}, {}};
  for (std::size_t i = 0; i < candidate.characters.size(); ++i) {
    const std::optional<GbkChar> code = gb2312_of_utf8(candidate.characters[i]);
    int position = 0;
    if (!code || positions.position(candidate.syllables[i], *code, &position) != RowPositions::Miss::None) {
      return std::nullopt;
    }
    placed.positions.push_back(position);
    placed.characters.push_back(*code);
  }
  return placed;
}

// The best candidate of each syllable (pair) among those seen after enough contexts.
std::vector<Placed> best_by_syllables(const GapCandidates& candidates, std::size_t contexts_min,
                                      const RowPositions& positions, ContextWordsReport* report) {
  std::map<std::vector<std::string>, Placed> best;
  for (const auto& [key, candidate] : candidates) {
    if (candidate.contexts.size() < contexts_min && !candidate.unit) continue;
    std::optional<Placed> placed = place(candidate, positions);
    if (!placed) {
      ++report->not_placed;
      continue;
    }
    auto [at, added] = best.try_emplace(candidate.syllables, *placed);
    if (!added && better(*placed, at->second)) at->second = std::move(*placed);
  }
  std::vector<Placed> words;
  for (auto& [syllables, placed] : best) words.push_back(std::move(placed));
  return words;
}

void add_words(const std::vector<Placed>& words, char left, const std::vector<char>& rights,
               ContextLibraryWords* libraries) {
  std::map<std::string, const Placed*> by_initials;
  for (const Placed& word : words) {
    std::vector<GapWord>& into = word.characters.size() == 1 ? libraries->one : libraries->two;
    for (char right : rights) into.push_back({left, right, word.candidate->syllables, word.positions});
    if (word.characters.size() != 2) continue;
    const std::string initials{word.candidate->syllables[0][0], word.candidate->syllables[1][0]};
    const Placed*& kept = by_initials[initials];
    if (kept == nullptr || better(word, *kept)) kept = &word;
  }
  for (const auto& [initials, word] : by_initials) {
    for (char right : rights) libraries->abbreviated.push_back({left, right, initials, word->characters});
  }
}

std::vector<char> classes_but(char left_out) {
  std::vector<char> classes;
  for (char c = kDigitClass; c <= kLastMarkClass; ++c) {
    if (c != left_out) classes.push_back(c);
  }
  return classes;
}

}  // namespace

ContextLibraryWords build_context_words(const GapEvidence& evidence, const RowPositions& positions,
                                        ContextWordsReport* report) {
  ContextLibraryWords libraries;
  const std::vector<Placed> after_numbers =
      best_by_syllables(evidence.after_numbers, kMeasureWordContextsMin, positions, report);
  const std::vector<Placed> between_numbers = best_by_syllables(evidence.between_numbers, 1, positions, report);
  const std::vector<Placed> after_letters = best_by_syllables(evidence.after_letters, 1, positions, report);
  add_words(after_numbers, kDigitClass, classes_but(kDigitClass), &libraries);
  add_words(between_numbers, kDigitClass, {kDigitClass}, &libraries);
  add_words(after_letters, kLetterClass, classes_but(kLetterClass), &libraries);
  report->after_numbers = after_numbers.size();
  report->between_numbers = between_numbers.size();
  report->after_letters = after_letters.size();
  return libraries;
}

}  // namespace tavgen
