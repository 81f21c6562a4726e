#include "library_words_builder.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <tuple>

#include "library_key.h"
#include "library_weights.h"
#include "row_positions.h"
#include "sentenceparser/core/syllable_list.h"
#include "tools/datasources/readers/utf8.h"

namespace tavgen {

namespace {

std::string word_text_key(const std::vector<std::string>& characters, const std::vector<std::string>& syllables,
                          std::size_t first, std::size_t count) {
  std::string key;
  for (std::size_t i = first; i < first + count; ++i) key += characters[i];
  for (std::size_t i = first; i < first + count; ++i) key += '\t' + syllables[i];
  return key;
}

struct Candidate {
  std::vector<std::string> characters;  // UTF-8, one per syllable
  std::vector<std::string> syllables;
  std::uint64_t weight = 0;
  std::string key;  // the service's word key
  LibraryWord word;
};

// Heaviest first; the rest only makes the order the same on every run.
bool heavier(const Candidate& a, const Candidate& b) {
  return std::tie(b.weight, a.characters, a.syllables) < std::tie(a.weight, b.characters, b.syllables);
}

// Positions of every character, or false with the miss counted.
bool place(const Candidate& candidate, const RowPositions& rows, Gb2312Cache& gb2312, std::vector<int>* positions,
           LibraryWordsReport* report) {
  positions->clear();
  for (std::size_t i = 0; i < candidate.characters.size(); ++i) {
    std::optional<GbkChar> code = gb2312(candidate.characters[i]);
    if (!code) {
      ++report->not_gb2312;
      return false;
    }
    int position = 0;
    switch (rows.position(candidate.syllables[i], *code, &position)) {
      case RowPositions::Miss::None: break;
      case RowPositions::Miss::NoRow: ++report->no_row; return false;
      case RowPositions::Miss::BeyondRow: ++report->beyond_row; return false;
      case RowPositions::Miss::NotInRow: ++report->not_in_row; return false;
    }
    positions->push_back(position);
  }
  return true;
}

// The distinct words of 2..7 characters with one syllable each, heaviest first.
std::vector<Candidate> distinct_words(const std::vector<datasources::RimeEntry>& vocabulary,
                                      LibraryWordsReport* report) {
  std::unordered_map<std::string, std::size_t> seen;
  std::vector<Candidate> words;
  for (const datasources::RimeEntry& entry : vocabulary) {
    const std::size_t n = entry.syllables.size();
    if (n < 2 || n > static_cast<std::size_t>(kLibraryWordMax)) continue;
    std::optional<std::vector<std::string>> characters = datasources::characters_of(entry.text);
    if (!characters || characters->size() != n) {
      if (characters && characters->size() >= 2 && characters->size() <= kLibraryWordMax) ++report->not_gb2312;
      continue;
    }
    auto [at, added] = seen.try_emplace(word_text_key(*characters, entry.syllables, 0, n), words.size());
    if (!added) {
      words[at->second].weight = std::max<std::uint64_t>(words[at->second].weight, entry.weight);
      continue;
    }
    Candidate candidate;
    candidate.characters = std::move(*characters);
    candidate.syllables = entry.syllables;
    candidate.weight = entry.weight;
    words.push_back(std::move(candidate));
  }
  report->read = words.size();
  std::sort(words.begin(), words.end(), heavier);
  return words;
}

// The other spelling of a word with "lve"/"nve" or "lue"/"nue", or nullopt.
std::optional<std::vector<std::string>> other_spelling(const std::vector<std::string>& syllables) {
  static const std::map<std::string, std::string> kOther = {
      {"lve", "lue"}, {"lue", "lve"}, {"nve", "nue"}, {"nue", "nve"}};
  std::vector<std::string> other = syllables;
  bool changed = false;
  for (std::string& syllable : other) {
    if (auto found = kOther.find(syllable); found != kOther.end()) {
      syllable = found->second;
      changed = true;
    }
  }
  return changed ? std::optional(other) : std::nullopt;
}

void set_stored_weight(Candidate* candidate) {
  const int n = static_cast<int>(candidate->syllables.size());
  candidate->word.weight = stored_weight_for(target_weight(candidate->weight, n), candidate->word.flags, n);
}

// How much an abbreviation is typed for the word rather than for its characters: its weight,
// times the square of how far it outweighs its characters on their own (their geometric mean).
// Initials stand for a word that is used as a unit (中国 for zg) rather than for a pair of very
// common characters that are mostly typed one by one (这个).
// Homophones (one key) keep their order after the stored byte's rounding: the lookup keeps the
// first of equal weights it meets, which depends on where its binary search lands, so a lighter
// word that rounded to its heavier homophone's weight could win. Each lighter one is stepped
// down until it weighs less, as far as the byte allows.
void separate_homophones(std::vector<Candidate>* words) {
  std::map<std::string, std::vector<Candidate*>> by_key;
  for (Candidate& c : *words) by_key[std::to_string(c.syllables.size()) + c.key].push_back(&c);
  for (auto& [key, group] : by_key) {
    std::sort(group.begin(), group.end(), [](const Candidate* a, const Candidate* b) { return heavier(*a, *b); });
    for (std::size_t i = 1; i < group.size(); ++i) {
      const int n = static_cast<int>(group[i]->syllables.size());
      const int above = adjusted_weight(group[i - 1]->word.weight, group[i - 1]->word.flags, n);
      int& stored = group[i]->word.weight;
      while (stored > 1 && adjusted_weight(stored, group[i]->word.flags, n) >= above) --stored;
    }
  }
}

long double abbreviation_interest(const Candidate& word, const CharacterWeights& weights, Gb2312Cache& gb2312) {
  long double log_characters = 0;
  for (std::size_t i = 0; i < word.characters.size(); ++i) {
    std::optional<GbkChar> code = gb2312(word.characters[i]);
    const std::uint64_t weight = code ? weights.weight(word.syllables[i], *code) : 0;
    log_characters += std::log(static_cast<long double>(weight > 0 ? weight : 1));
  }
  const long double log_word = std::log(static_cast<long double>(word.weight > 0 ? word.weight : 1));
  const long double cohesion = log_word - log_characters / static_cast<long double>(word.characters.size());
  return std::exp(log_word + 2 * cohesion);
}

void assign_shares(std::vector<Candidate>* words, const CharacterWeights& weights, Gb2312Cache& gb2312) {
  std::map<std::string, std::vector<std::size_t>> groups;  // by the initials
  for (std::size_t i = 0; i < words->size(); ++i) {
    const Candidate& c = (*words)[i];
    groups[c.key.substr(0, c.syllables.size())].push_back(i);
  }
  for (const auto& [initials, members] : groups) {
    std::vector<long double> interests;
    for (std::size_t i : members) interests.push_back(abbreviation_interest((*words)[i], weights, gb2312));
    const std::vector<int> shares = percent_shares(interests);
    for (std::size_t k = 0; k < members.size(); ++k) (*words)[members[k]].word.abbreviation_weight = shares[k];
  }
}

// Keeps each index entry within its 16-bit count, dropping its lightest words.
void trim_index_entries(std::vector<Candidate>* words, LibraryWordsReport* report) {
  std::map<std::string, std::size_t> counts;
  std::vector<Candidate> kept;
  kept.reserve(words->size());
  std::sort(words->begin(), words->end(), heavier);
  for (Candidate& c : *words) {
    const std::size_t n = c.syllables.size();
    // Two-syllable words share main/mgrm0j.inx's entry of their initials, which spans buckets.
    const std::size_t letters = n == 2 ? 2 : n == 3 ? 3 : 4;
    if (++counts[std::to_string(n) + c.key.substr(0, letters)] > kBucketRecordMax) {
      ++report->trimmed;
      continue;
    }
    kept.push_back(std::move(c));
  }
  *words = std::move(kept);
}

// Two syllables, three, and four or more: each pool keeps its own heaviest phrases, so that the
// common short words do not crowd out the set phrases.
std::size_t whole_pool(std::size_t syllables) { return std::min<std::size_t>(syllables, 4); }

std::vector<const Candidate*> whole_phrases(const std::vector<Candidate>& words) {
  std::map<std::string, std::vector<const Candidate*>> by_key;
  for (const Candidate& c : words) by_key[c.key].push_back(&c);
  std::map<std::size_t, std::vector<const Candidate*>> pools;
  for (auto& [key, homophones] : by_key) {
    std::sort(homophones.begin(), homophones.end(), [](const Candidate* a, const Candidate* b) { return heavier(*a, *b); });
    // A spelling copy is the same word: compare with the words of other characters only.
    const Candidate* first = homophones.front();
    const Candidate* rival = nullptr;
    for (const Candidate* other : homophones) {
      if (other->characters != first->characters) {
        rival = other;
        break;
      }
    }
    if (rival == nullptr || first->weight >= kWholePhraseDominance * rival->weight) {
      pools[whole_pool(first->syllables.size())].push_back(first);
    }
  }
  std::vector<const Candidate*> phrases;
  for (auto& [pool, members] : pools) {
    std::sort(members.begin(), members.end(), [](const Candidate* a, const Candidate* b) { return heavier(*a, *b); });
    if (members.size() > kWholePhraseCount) members.resize(kWholePhraseCount);
    phrases.insert(phrases.end(), members.begin(), members.end());
  }
  return phrases;
}

}  // namespace

void VocabularyIndex::add(const std::vector<std::string>& characters, const std::vector<std::string>& syllables,
                          std::uint64_t weight) {
  std::uint64_t& kept = weights_[word_text_key(characters, syllables, 0, characters.size())];
  kept = std::max(kept, weight);
}

std::uint64_t VocabularyIndex::weight(const std::vector<std::string>& characters,
                                      const std::vector<std::string>& syllables, std::size_t first,
                                      std::size_t count) const {
  auto found = weights_.find(word_text_key(characters, syllables, first, count));
  return found == weights_.end() ? 0 : found->second;
}

unsigned char best_split_marks(const std::vector<std::string>& characters, const std::vector<std::string>& syllables,
                               const VocabularyIndex& vocabulary) {
  const int n = static_cast<int>(characters.size());
  if (n < 3 || n > kLibraryWordMax || syllables.size() != characters.size()) return 0;
  // Every division: bit k - 1 of `cuts` set = a cut after syllable k.
  std::optional<std::tuple<int, int, double>> best;  // singles, pieces, -log weight
  unsigned char best_marks = 0;
  for (unsigned cuts = 1; cuts < (1u << (n - 1)); ++cuts) {
    int singles = 0, pieces = 0, words = 0;
    double log_weight = 0;
    bool usable = true;
    for (int start = 0; start < n && usable;) {
      int end = start + 1;
      while (end < n && (cuts & (1u << (end - 1))) == 0) ++end;
      ++pieces;
      if (end - start == 1) {
        ++singles;
      } else {
        const std::uint64_t weight = vocabulary.weight(characters, syllables, start, end - start);
        usable = weight > 0;
        log_weight += std::log(static_cast<double>(std::max<std::uint64_t>(weight, 1)));
        ++words;
      }
      start = end;
    }
    if (!usable || words == 0) continue;
    const std::tuple<int, int, double> score{singles, pieces, -log_weight};
    if (!best || score < *best) {
      best = score;
      best_marks = 0;
      for (int k = 1; k < n; ++k) {
        if (cuts & (1u << (k - 1))) best_marks |= split_mark_after(k);
      }
    }
  }
  return best_marks;
}

LibraryWords build_library_words(const std::vector<datasources::RimeEntry>& vocabulary, const DanRows& rows,
                                 const CharacterWeights& weights, LibraryWordsReport* report) {
  const RowPositions positions(rows, weights);
  Gb2312Cache gb2312;
  std::vector<Candidate> words;
  VocabularyIndex index;
  std::unordered_map<std::string, bool> present;  // characters and syllables of the kept words
  for (Candidate& candidate : distinct_words(vocabulary, report)) {
    if (!place(candidate, positions, gb2312, &candidate.word.positions, report)) continue;
    std::optional<std::string> key = library_word_key(candidate.syllables);
    if (!key) {
      ++report->no_row;
      continue;
    }
    candidate.key = std::move(*key);
    candidate.word.syllables = candidate.syllables;
    index.add(candidate.characters, candidate.syllables, candidate.weight);
    present[word_text_key(candidate.characters, candidate.syllables, 0, candidate.characters.size())] = true;
    words.push_back(std::move(candidate));
  }

  for (Candidate& c : words) {
    c.word.flags = best_split_marks(c.characters, c.syllables, index);
    if (c.weight >= kPreferredWordWeight) c.word.flags |= 0x40;
    set_stored_weight(&c);
  }
  separate_homophones(&words);
  assign_shares(&words, weights, gb2312);

  const std::size_t originals = words.size();
  for (std::size_t i = 0; i < originals; ++i) {
    std::optional<std::vector<std::string>> other = other_spelling(words[i].syllables);
    if (!other || present.count(word_text_key(words[i].characters, *other, 0, other->size())) != 0) continue;
    Candidate copy = words[i];
    copy.syllables = *other;
    std::optional<std::string> key = library_word_key(copy.syllables);
    LibraryWordsReport not_counted;  // the word itself is counted already
    if (!key || !place(copy, positions, gb2312, &copy.word.positions, &not_counted)) continue;
    copy.key = std::move(*key);
    copy.word.syllables = copy.syllables;
    copy.word.flags &= static_cast<unsigned char>(~0x40);
    copy.word.abbreviation_weight = 0;
    set_stored_weight(&copy);
    words.push_back(std::move(copy));
    ++report->spelling_copies;
  }
  trim_index_entries(&words, report);

  LibraryWords libraries;
  for (const Candidate* phrase : whole_phrases(words)) {
    libraries.whole[phrase->syllables.size()].push_back(phrase->word);
    ++report->whole[phrase->syllables.size()];
  }
  for (Candidate& c : words) {
    ++report->main[c.syllables.size()];
    libraries.main[c.syllables.size()].push_back(std::move(c.word));
  }
  return libraries;
}

}  // namespace tavgen
