#include "cz_libraries.h"

#include <set>

#include "platform/files.h"

namespace tavgen {

namespace {

HanziKeyedRecord record_of(const std::vector<GbkChar>& characters, std::size_t length, std::uint64_t weight) {
  HanziKeyedRecord record;
  record.first = characters[0];
  for (std::size_t i = 1; i < length; ++i) append_gbk(characters[i], &record.rest);
  record.weight = weight;
  return record;
}

}  // namespace

std::vector<CzWord> cz_words_of(const std::vector<std::string>& texts, std::uint64_t weight) {
  std::vector<CzWord> words;
  Gb2312Cache gb2312;
  for (const std::string& text : texts) {
    std::optional<std::vector<GbkChar>> characters = gb2312.text(text);
    if (characters && !characters->empty()) words.push_back({std::move(*characters), weight});
  }
  return words;
}

bool build_cz_libraries(const std::vector<CzWord>& words, const std::vector<GbkChar>& given_first,
                        const std::vector<GbkChar>& given_second, const std::vector<CzWord>& places,
                        CzLibraries* libraries, std::string* error) {
  std::array<std::vector<HanziKeyedRecord>, 5> by_length;
  for (const CzWord& word : words) {
    const std::size_t n = word.characters.size();
    if (n >= 2 && n <= 4) by_length[n].push_back(record_of(word.characters, n, word.weight));
  }
  for (std::size_t n = 2; n <= 4; ++n) {
    if (!write_hanzi_keyed_library(std::move(by_length[n]), 2 * n - 2, &libraries->words[n], error)) return false;
  }

  // Prefixes of the words the libraries kept.
  std::set<std::pair<GbkChar, std::string>> dropped;
  for (std::size_t n = 3; n <= 4; ++n) {
    for (const HanziKeyedRecord& record : libraries->words[n].dropped) dropped.emplace(record.first, record.rest);
  }
  std::array<std::vector<HanziKeyedRecord>, 4> prefixes;
  for (const CzWord& word : words) {
    const std::size_t n = word.characters.size();
    if (n < 3 || n > 4) continue;
    if (!dropped.empty() && dropped.count({word.characters[0], record_of(word.characters, n, 0).rest}) != 0) continue;
    for (std::size_t p = 2; p < n; ++p) prefixes[p].push_back(record_of(word.characters, p, word.weight));
  }
  for (std::size_t p = 2; p <= 3; ++p) {
    if (!write_hanzi_keyed_library(std::move(prefixes[p]), 2 * p - 2, &libraries->prefixes[p], error)) return false;
  }

  std::vector<HanziKeyedRecord> given;
  for (GbkChar first : given_first) {
    for (GbkChar second : given_second) given.push_back(record_of({first, second}, 2, 0));
  }
  if (!write_hanzi_keyed_library(std::move(given), 2, &libraries->given_names, error)) return false;

  std::vector<HanziKeyedRecord> place_records;
  for (const CzWord& place : places) {
    const std::size_t n = place.characters.size();
    if (n < 2 || 2 * n - 2 > kPlaceRecordBytes) continue;
    HanziKeyedRecord record = record_of(place.characters, n, place.weight);
    record.rest.resize(kPlaceRecordBytes, '0');
    place_records.push_back(std::move(record));
  }
  return write_hanzi_keyed_library(std::move(place_records), kPlaceRecordBytes, &libraries->places, error);
}

bool write_cz_libraries(const std::filesystem::path& tav, const CzLibraries& libraries, std::string* error) {
  std::error_code ec;
  const std::filesystem::path folder = tav / "cz";
  if (!platform::files::make_directories(folder, 0755, ec)) {
    *error = "cannot create " + folder.string() + ": " + ec.message();
    return false;
  }
  for (std::size_t n = 2; n <= 4; ++n) {
    if (!write_hanzi_keyed_files(folder / ("cz" + std::to_string(n)), libraries.words[n], error)) return false;
  }
  for (std::size_t p = 2; p <= 3; ++p) {
    if (!write_hanzi_keyed_files(folder / ("pcz" + std::to_string(p)), libraries.prefixes[p], error)) return false;
  }
  return write_hanzi_keyed_files(folder / "rm3", libraries.given_names, error) &&
         write_hanzi_keyed_files(folder / "dm", libraries.places, error);
}

}  // namespace tavgen
