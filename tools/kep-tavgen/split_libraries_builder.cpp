#include "split_libraries_builder.h"

#include <map>
#include <optional>

#include "platform/files.h"
#include "sentenceparser/core/chr_substitution.h"
#include "sentenceparser/core/reading_library_layout.h"

namespace tavgen {

namespace {

constexpr int kMaxCutPositions = 4;
constexpr std::size_t kWordPieceMax = 4;

std::array<GbkChar, kGb2312HanziCount> hanzi_by_number() {
  std::array<GbkChar, kGb2312HanziCount> codes{};
  for (unsigned lead = 0xB0; lead <= 0xF7; ++lead) {
    for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
      const GbkChar code = static_cast<GbkChar>((lead << 8) | trail);
      const int number = hanzi_key_number(code);
      if (number >= 0) codes[number] = code;
    }
  }
  return codes;
}

std::size_t u16_at(const std::string& bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]) | (static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 1])) << 8);
}

struct Cut {
  int singles = 0;
  int pieces = 0;
  int words = 0;
  std::vector<std::size_t> lengths;  // from the left
};

// Whether `a` is the better cut: fewer singles, fewer pieces, then longer pieces from the left.
bool better(const Cut& a, const Cut& b) {
  if (a.singles != b.singles) return a.singles < b.singles;
  if (a.pieces != b.pieces) return a.pieces < b.pieces;
  return a.lengths > b.lengths;
}

void search(const std::string& run, std::size_t at, Cut* current, std::optional<Cut>* best,
            const std::unordered_set<std::string>& words) {
  const std::size_t characters = run.size() / 2;
  if (at == characters) {
    if (current->words > 0 && current->pieces > 1 && (!*best || better(*current, **best))) *best = *current;
    return;
  }
  for (std::size_t length = std::min(kWordPieceMax, characters - at); length >= 1; --length) {
    const bool word = length >= 2 && words.count(run.substr(2 * at, 2 * length)) != 0;
    if (length >= 2 && !word) continue;
    current->lengths.push_back(length);
    ++current->pieces;
    current->singles += length == 1;
    current->words += word;
    search(run, at + length, current, best, words);
    current->words -= word;
    current->singles -= length == 1;
    --current->pieces;
    current->lengths.pop_back();
  }
}

}  // namespace

std::unordered_set<std::string> kept_cz_words(const CzLibraries& cz) {
  static const std::array<GbkChar, kGb2312HanziCount> codes = hanzi_by_number();
  std::unordered_set<std::string> words;
  for (std::size_t n = 2; n <= 4; ++n) {
    const HanziKeyedFiles& files = cz.words[n];
    const std::size_t width = 2 * n - 2;
    for (int group = 0; group < kHanziKeyedEntries && 4u * group + 4 <= files.index.size(); ++group) {
      const std::size_t first = u16_at(files.index, 4u * group);
      const std::size_t count = u16_at(files.index, 4u * group + 2);
      for (std::size_t r = first; r < first + count && (r + 1) * width <= files.records.size(); ++r) {
        std::string rest = files.records.substr(r * width, width);
        sentence::undo_chr_substitution(reinterpret_cast<unsigned char*>(rest.data()), rest.size(), true);
        std::string word;
        append_gbk(codes[group], &word);
        words.insert(word + rest);
      }
    }
  }
  return words;
}

int split_code(const std::vector<GbkChar>& run, const std::unordered_set<std::string>& words) {
  if (sentence::split_record_width(static_cast<int>(run.size())) == 0) return 0;
  const std::string bytes = gbk_bytes(run);
  Cut current;
  std::optional<Cut> best;
  search(bytes, 0, &current, &best, words);
  if (!best || best->pieces - 1 > kMaxCutPositions) return 0;
  int code = 0;
  std::size_t position = 0;
  for (std::size_t i = 0; i + 1 < best->lengths.size(); ++i) {
    position += best->lengths[i];
    code = code * 10 + static_cast<int>(position);
  }
  return code;
}

bool build_split_libraries(const std::vector<datasources::RimeEntry>& vocabulary, Gb2312Cache& gb2312,
                           const std::unordered_set<std::string>& cz_words, SplitLibraries* libraries,
                           std::string* error) {
  std::map<std::vector<GbkChar>, std::uint64_t> runs;  // distinct runs, heaviest weight
  for (const datasources::RimeEntry& entry : vocabulary) {
    // Every GB2312 hanzi is three bytes of UTF-8: other lengths need no conversion.
    if (entry.text.size() < 3 * sentence::kSplitRunMin || entry.text.size() > 3 * sentence::kSplitRunMax) continue;
    std::optional<std::vector<GbkChar>> characters = gb2312.text(entry.text);
    if (!characters || characters->size() < static_cast<std::size_t>(sentence::kSplitRunMin) ||
        characters->size() > static_cast<std::size_t>(sentence::kSplitRunMax) ||
        cz_words.count(gbk_bytes(*characters)) != 0) {
      continue;
    }
    std::uint64_t& weight = runs[std::move(*characters)];
    weight = std::max<std::uint64_t>(weight, entry.weight);
  }

  std::array<std::vector<HanziKeyedRecord>, 7> records;
  libraries->uncut = 0;
  libraries->beyond_first_level = 0;
  for (const auto& [run, weight] : runs) {
    if (hanzi_key_number(run[0]) > sentence::kSplitFirstLevelMax) {
      ++libraries->beyond_first_level;
      continue;
    }
    const int code = split_code(run, cz_words);
    if (code == 0) {
      ++libraries->uncut;
      continue;
    }
    HanziKeyedRecord record;
    record.first = run[0];
    record.rest = gbk_bytes(std::vector<GbkChar>(run.begin() + 1, run.end()));
    record.rest.push_back(static_cast<char>(code & 0xFF));
    record.rest.push_back(static_cast<char>((code >> 8) & 0xFF));
    record.weight = weight;
    records[run.size()].push_back(std::move(record));
  }
  for (int n = sentence::kSplitRunMin; n <= sentence::kSplitRunMax; ++n) {
    // The characters as GBK text (high bytes only); the code after them stays as it is.
    const HanziKeyedStorage storage{sentence::split_record_width(n) - 2, false};
    if (!write_hanzi_keyed_library(std::move(records[n]), sentence::split_record_width(n), &libraries->runs[n],
                                   error, storage)) {
      return false;
    }
  }
  return true;
}

bool write_split_libraries(const std::filesystem::path& tav, const SplitLibraries& libraries, std::string* error) {
  std::error_code ec;
  if (!platform::files::make_directories(tav / "cz", 0755, ec)) {
    *error = "cannot create " + (tav / "cz").string() + ": " + ec.message();
    return false;
  }
  for (int n = sentence::kSplitRunMin; n <= sentence::kSplitRunMax; ++n) {
    const std::string base = sentence::split_library_name(n, "");
    if (!write_hanzi_keyed_files(tav / base, libraries.runs[n], error)) return false;
  }
  return true;
}

}  // namespace tavgen
