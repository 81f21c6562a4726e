#include "head_end_words_builder.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>

#include "library_key.h"
#include "library_weights.h"
#include "sentenceparser/core/library_layout.h"

namespace tavgen {

namespace {

struct Wanted {
  char marker = 0;
  std::uint64_t frequency = 0;
};

// The GBK text of a main-library word, read back through the rows its positions point into.
class RowDecoder {
 public:
  explicit RowDecoder(const DanRows& rows) : rows_(rows) {
    for (int n = 0; n < kDanLines; ++n) row_of_text_[rows.texts[n]] = n;
  }

  // "" when a syllable has no row or a position lies outside it.
  std::string text(const LibraryWord& word) {
    std::string gbk;
    for (std::size_t i = 0; i < word.syllables.size(); ++i) {
      const int row = row_of(word.syllables[i]);
      if (row < 0 || word.positions[i] < 0 ||
          static_cast<std::size_t>(word.positions[i]) >= rows_.characters[row].size()) {
        return {};
      }
      append_gbk(rows_.characters[row][word.positions[i]], &gbk);
    }
    return gbk;
  }

 private:
  int row_of(const std::string& syllable) {
    auto [at, added] = row_of_syllable_.try_emplace(syllable, -1);
    if (added) {
      const std::optional<KeyedSyllable> keyed = keyed_syllable(syllable);
      const auto row = keyed ? row_of_text_.find(keyed->marked) : row_of_text_.end();
      if (row != row_of_text_.end()) at->second = row->second;
    }
    return at->second;
  }

  const DanRows& rows_;
  std::unordered_map<std::string, int> row_of_text_;
  std::unordered_map<std::string, int> row_of_syllable_;
};

std::string joined(const std::vector<std::string>& syllables) {
  std::string text;
  for (const std::string& syllable : syllables) text += syllable + ' ';
  return text;
}

// Texts of 2..kHeadEndWordMax GB2312 characters (as GBK) and the markers they are wanted with.
std::unordered_map<std::string, std::vector<Wanted>> wanted_texts(const std::vector<TaggedWord>& tagged) {
  std::unordered_map<std::string, std::vector<Wanted>> wanted;
  Gb2312Cache gb2312;
  for (const TaggedWord& word : tagged) {
    if (word.frequency < kHeadEndFrequencyMin) continue;
    const char marker = tagged_with(word, kHeadTags) ? 'h' : tagged_with(word, kEndTags) ? 'e' : 0;
    if (marker == 0) continue;
    const std::optional<std::vector<GbkChar>> characters = gb2312.text(word.text);
    if (!characters || characters->size() < 2 || characters->size() > static_cast<std::size_t>(kHeadEndWordMax)) {
      continue;
    }
    wanted[gbk_bytes(*characters)].push_back({marker, word.frequency});
  }
  return wanted;
}

std::vector<LibraryWord> head_end_words_of(int n, const std::vector<LibraryWord>& main,
                                           const std::unordered_map<std::string, std::vector<Wanted>>& wanted,
                                           RowDecoder& decoder, HeadEndReport* report) {
  // The wanted words the library holds, each in its heaviest reading.
  std::unordered_map<std::string, const LibraryWord*> held;
  for (const LibraryWord& word : main) {
    const std::string text = decoder.text(word);
    if (wanted.count(text) == 0) continue;
    const LibraryWord*& kept = held[text];
    if (kept == nullptr || adjusted_weight(word.weight, word.flags, n) > adjusted_weight(kept->weight, kept->flags, n)) {
      kept = &word;
    }
  }
  for (const auto& [text, markers] : wanted) {
    if (text.size() == 2u * n && held.count(text) == 0) report->not_in_main += markers.size();
  }
  std::unordered_map<std::string, int> rivals;  // by syllables: the heaviest adjusted weight
  for (const auto& [text, word] : held) rivals[joined(word->syllables)] = 0;
  for (const LibraryWord& word : main) {
    auto rival = rivals.find(joined(word.syllables));
    if (rival != rivals.end()) rival->second = std::max(rival->second, adjusted_weight(word.weight, word.flags, n));
  }

  struct Choice {
    std::uint64_t frequency = 0;
    std::string text;
    LibraryWord word;
  };
  std::map<std::pair<std::string, char>, Choice> chosen;  // by syllables and marker
  for (const auto& [text, word] : held) {
    const int rival = rivals[joined(word->syllables)];
    LibraryWord raised = *word;
    while (raised.weight < sentence::kStoredValueMax && adjusted_weight(raised.weight, raised.flags, n) < rival) {
      ++raised.weight;
    }
    if (adjusted_weight(raised.weight, raised.flags, n) < rival) {
      ++report->below_rivals;
      continue;
    }
    for (const Wanted& as : wanted.at(text)) {
      raised.marker = as.marker;
      Choice choice{as.frequency, text, raised};
      auto [at, added] = chosen.try_emplace({joined(raised.syllables), as.marker}, choice);
      // The most frequent; between equals the first in GBK order, whatever order the words came in.
      const bool more = std::make_tuple(as.frequency, at->second.text) > std::make_tuple(at->second.frequency, text);
      if (!added && more) at->second = std::move(choice);
    }
  }
  std::vector<LibraryWord> words;
  for (auto& [key, choice] : chosen) {
    (choice.word.marker == 'h' ? report->heads : report->ends) += 1;
    words.push_back(std::move(choice.word));
  }
  return words;
}

}  // namespace

std::array<std::vector<LibraryWord>, kHeadEndWordMax + 1> build_head_end_words(
    const std::vector<TaggedWord>& tagged, const LibraryWords& library, const DanRows& rows, HeadEndReport* report) {
  const std::unordered_map<std::string, std::vector<Wanted>> wanted = wanted_texts(tagged);
  RowDecoder decoder(rows);
  std::array<std::vector<LibraryWord>, kHeadEndWordMax + 1> words;
  for (int n = 2; n <= kHeadEndWordMax; ++n) words[n] = head_end_words_of(n, library.main[n], wanted, decoder, report);
  return words;
}

}  // namespace tavgen
