#include "tools/datasources/model/vocabulary.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <unordered_map>
#include <string>

#include "tools/datasources/readers/toned_pinyin.h"
#include "tools/datasources/readers/utf8.h"

namespace datasources {

namespace {

// A word with its syllables as one text, for hashing.
std::string word_key(const std::string& text, const std::vector<std::string>& syllables) {
  std::string key = text;
  for (const std::string& syllable : syllables) key += '\t' + syllable;
  return key;
}

// The merge rules' tests of syllables and characters, each answered once: the same few
// thousand recur through hundreds of thousands of phrases.
class Checks {
 public:
  explicit Checks(const CharTable& characters) : characters_(characters) {}

  bool keyable(const std::vector<std::string>& syllables) {
    return std::all_of(syllables.begin(), syllables.end(), [&](const std::string& syllable) {
      auto [at, added] = syllables_.try_emplace(syllable, false);
      if (added) at->second = has_final_code(syllable);
      return at->second;
    });
  }

  // Every character has a reading and a two-byte GBK form.
  bool gbk(const std::string& text) {
    std::optional<std::vector<std::string>> chars = characters_of(text);
    return chars && std::all_of(chars->begin(), chars->end(), [&](const std::string& c) {
             auto [at, added] = characters_gbk_.try_emplace(c, false);
             if (added) {
               auto info = characters_.find(c);
               at->second = info != characters_.end() && info->second.gbk;
             }
             return at->second;
           });
  }

 private:
  const CharTable& characters_;
  std::unordered_map<std::string, bool> syllables_;
  std::unordered_map<std::string, bool> characters_gbk_;
};

// Words of adjacent frequencies whose weights are fitted as one.
struct Pool {
  double first_frequency = 0;
  double last_frequency = 0;
  double log_weight_sum = 0;
  double count = 0;
  double log_weight() const { return log_weight_sum / count; }
};

}  // namespace

WeightMap WeightMap::fit(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& pairs) {
  std::map<std::uint32_t, Pool> by_frequency;
  for (const auto& [frequency, weight] : pairs) {
    Pool& pool = by_frequency[frequency];
    pool.first_frequency = pool.last_frequency = frequency;
    pool.log_weight_sum += std::log(std::max<double>(weight, 1));
    pool.count += 1;
  }
  // Pool adjacent violators: a group whose mean falls below the one before it joins it.
  std::vector<Pool> pools;
  for (const auto& [frequency, pool] : by_frequency) {
    pools.push_back(pool);
    while (pools.size() > 1 && pools.back().log_weight() <= pools[pools.size() - 2].log_weight()) {
      Pool last = pools.back();
      pools.pop_back();
      pools.back().last_frequency = last.last_frequency;
      pools.back().log_weight_sum += last.log_weight_sum;
      pools.back().count += last.count;
    }
  }
  WeightMap map;
  for (const Pool& pool : pools) {
    map.points_.emplace_back(pool.first_frequency, pool.log_weight());
    if (pool.last_frequency > pool.first_frequency) map.points_.emplace_back(pool.last_frequency, pool.log_weight());
  }
  return map;
}

std::uint32_t WeightMap::operator()(std::uint32_t frequency) const {
  if (points_.empty()) return 0;
  const double f = frequency;
  auto above = std::lower_bound(points_.begin(), points_.end(), f,
                                [](const auto& point, double value) { return point.first < value; });
  double log_weight;
  if (above == points_.begin()) {
    log_weight = points_.front().second;
  } else if (above == points_.end()) {
    log_weight = points_.back().second;
  } else {
    const auto& [f0, w0] = *(above - 1);
    const auto& [f1, w1] = *above;
    log_weight = w0 + (w1 - w0) * (f - f0) / (f1 - f0);
  }
  return static_cast<std::uint32_t>(std::lround(std::exp(log_weight)));
}

std::vector<RimeEntry> merge_database_phrases(const std::vector<RimeEntry>& words,
                                              const std::vector<DatabasePhrase>& phrases,
                                              const CharTable& characters, const MergeRules& rules,
                                              MergeReport* report) {
  std::unordered_map<std::string, std::uint32_t> known;
  for (const RimeEntry& word : words) {
    if (word.syllables.size() < 2) continue;
    std::uint32_t& weight = known[word_key(word.text, word.syllables)];
    weight = std::max(weight, word.weight);
  }

  Checks checks(characters);
  std::vector<std::pair<std::uint32_t, std::uint32_t>> shared;
  std::unordered_map<std::string, const DatabasePhrase*> lacking;  // the most frequent of each word
  for (const DatabasePhrase& phrase : phrases) {
    if (phrase.frequency < rules.min_frequency) continue;
    ++report->read;
    if (phrase.syllables.size() >= MergeRules::kLongPhrase && phrase.frequency < rules.min_long_frequency) {
      ++report->long_below_floor;
      continue;
    }
    if (!checks.keyable(phrase.syllables)) {
      ++report->no_final_code;
      continue;
    }
    if (!checks.gbk(phrase.text)) {
      ++report->not_gbk;
      continue;
    }
    std::string key = word_key(phrase.text, phrase.syllables);
    if (auto found = known.find(key); found != known.end()) {
      ++report->known;
      shared.emplace_back(phrase.frequency, found->second);
      continue;
    }
    const DatabasePhrase*& kept = lacking[std::move(key)];
    if (kept == nullptr || kept->frequency < phrase.frequency) kept = &phrase;
  }

  std::vector<const DatabasePhrase*> ranked;
  ranked.reserve(lacking.size());
  for (const auto& [key, phrase] : lacking) ranked.push_back(phrase);
  std::sort(ranked.begin(), ranked.end(), [](const DatabasePhrase* a, const DatabasePhrase* b) {
    return std::tie(b->frequency, a->text, a->syllables) < std::tie(a->frequency, b->text, b->syllables);
  });
  if (ranked.size() > rules.max_phrases) {
    report->capped = ranked.size() - rules.max_phrases;
    ranked.resize(rules.max_phrases);
  }

  const WeightMap weight_of = WeightMap::fit(shared);
  std::vector<RimeEntry> merged;
  merged.reserve(ranked.size());
  for (const DatabasePhrase* phrase : ranked) {
    merged.push_back({phrase->text, phrase->syllables, weight_of(phrase->frequency)});
  }
  report->added = merged.size();
  return merged;
}

}  // namespace datasources
