#include "danmodi_writer.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>

namespace tavgen {

namespace {

static_assert(static_cast<std::uint64_t>(kDanmodiRecords) * sentence::kContextListMax <= 0xFFFFFFFFu,
              "every start fits the index's 32 bits");

int letter_number(char letter) {
  if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
  return letter >= 'a' && letter <= 'z' ? letter - 'a' : -1;
}

void append_le(std::uint64_t value, int bytes, std::string* out) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

int danmodi_record(ContextClass context, char letter) {
  const int n = letter_number(letter);
  return n < 0 ? -1 : static_cast<int>(context) * 26 + n;
}

int danmodi_record(GbkChar context, char letter) {
  const int n = letter_number(letter);
  const int sequence = gb2312_sequence(context);
  return n < 0 || sequence == 0 ? -1 : (sequence + 3) * 26 + n;
}

std::vector<std::vector<GbkChar>> build_danmodi_lists(const std::vector<ContextWord>& words) {
  // (record, character) -> summed weight
  std::unordered_map<std::uint64_t, std::uint64_t> weights;
  auto add = [&](int record, GbkChar character, std::uint64_t weight) {
    if (record < 0 || !is_gb2312_hanzi(character)) return;
    weights[(static_cast<std::uint64_t>(record) << 16) | character] += weight;
  };
  for (const ContextWord& word : words) {
    if (word.characters.empty() || word.characters.size() != word.initials.size()) continue;
    add(danmodi_record(ContextClass::Qt, word.initials[0]), word.characters[0], word.weight);
    for (std::size_t i = 0; i + 1 < word.characters.size(); ++i) {
      add(danmodi_record(word.characters[i], word.initials[i + 1]), word.characters[i + 1], word.weight);
    }
  }
  std::vector<std::vector<std::pair<GbkChar, std::uint64_t>>> weighted(kDanmodiRecords);
  for (const auto& [key, weight] : weights) {
    weighted[key >> 16].emplace_back(static_cast<GbkChar>(key & 0xFFFF), weight);
  }
  std::vector<std::vector<GbkChar>> lists(kDanmodiRecords);
  for (std::size_t record = 0; record < weighted.size(); ++record) {
    auto& candidates = weighted[record];
    std::sort(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) {
      return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    const std::size_t count = std::min(candidates.size(), static_cast<std::size_t>(sentence::kContextListMax));
    lists[record].reserve(count);
    for (std::size_t i = 0; i < count; ++i) lists[record].push_back(candidates[i].first);
  }
  return lists;
}

DanmodiFiles write_danmodi(const std::vector<std::vector<GbkChar>>& lists) {
  if (lists.size() > static_cast<std::size_t>(kDanmodiRecords)) {
    throw std::invalid_argument("more context lists than danmodi records");
  }
  DanmodiFiles files;
  files.index.reserve(kDanmodiRecords * kDanmodiRecordBytes);
  std::uint64_t start = 0;  // in characters
  for (int record = 0; record < kDanmodiRecords; ++record) {
    const std::size_t available = static_cast<std::size_t>(record) < lists.size() ? lists[record].size() : 0;
    const std::size_t count = std::min(available, static_cast<std::size_t>(sentence::kContextListMax));
    append_le(count == 0 ? 0 : start, 4, &files.index);
    append_le(count, 2, &files.index);
    for (std::size_t i = 0; i < count; ++i) {
      const GbkChar character = lists[record][i];
      files.library.push_back(static_cast<char>((character >> 8) ^ sentence::kDanmodiXorKey));
      files.library.push_back(static_cast<char>((character & 0xFF) ^ sentence::kDanmodiXorKey));
    }
    start += count;
  }
  return files;
}

}  // namespace tavgen
