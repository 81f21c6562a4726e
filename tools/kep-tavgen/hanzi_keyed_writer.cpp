#include "hanzi_keyed_writer.h"

#include <algorithm>
#include <array>
#include <map>

#include "platform/files.h"
#include "sentenceparser/core/chr_substitution.h"

namespace tavgen {

namespace {

void append_u16(std::size_t value, std::string* out) {
  out->push_back(static_cast<char>(value & 0xFF));
  out->push_back(static_cast<char>((value >> 8) & 0xFF));
}

// Records a reader can address: every group's first record number and count fit 16 bits.
class GroupBudget {
 public:
  bool fits_with(int group) const {
    if (counts_[group] + 1 > kHanziKeyedRecordMax) return false;
    // Starting positions are the sums of the groups before: the largest is that of the last
    // non-empty group, i.e. everything except that group's own records.
    const int last = std::max(last_, group);
    const std::size_t total = total_ + 1;
    const std::size_t last_count = counts_[last] + (last == group ? 1 : 0);
    return total - last_count <= kHanziKeyedRecordMax;
  }
  void add(int group) {
    ++counts_[group];
    ++total_;
    last_ = std::max(last_, group);
  }

 private:
  std::array<std::size_t, kHanziKeyedEntries> counts_{};
  std::size_t total_ = 0;
  int last_ = -1;
};

}  // namespace

int hanzi_key_number(GbkChar code) {
  const int sequence = gb2312_sequence(code);
  return sequence == 0 ? -1 : sequence - 1;
}

bool write_hanzi_keyed_library(std::vector<HanziKeyedRecord> records, std::size_t record_length,
                               HanziKeyedFiles* files, std::string* error, HanziKeyedStorage storage) {
  // Merge duplicates, keyed by (group, plain bytes): the order the groups are written in.
  std::map<std::pair<int, std::string>, std::uint64_t> merged;
  std::array<GbkChar, kHanziKeyedEntries> code_of_group{};
  for (HanziKeyedRecord& record : records) {
    const int group = hanzi_key_number(record.first);
    if (group < 0) {
      *error = "a record's first character is not a GB2312 hanzi";
      return false;
    }
    if (record.rest.size() != record_length) {
      *error = "a record of " + std::to_string(record.rest.size()) + " bytes where " +
               std::to_string(record_length) + " are stored";
      return false;
    }
    code_of_group[group] = record.first;
    auto [at, added] = merged.try_emplace({group, std::move(record.rest)}, record.weight);
    if (!added) at->second = std::max(at->second, record.weight);
  }

  struct Entry {
    int group;
    std::string rest;
    std::uint64_t weight;
  };
  std::vector<Entry> entries;  // in group, then plain-byte order
  entries.reserve(merged.size());
  for (auto& [key, weight] : merged) entries.push_back({key.first, key.second, weight});
  merged.clear();

  // Heaviest first; ties in key order so that the result does not depend on the input order.
  std::vector<std::size_t> by_weight(entries.size());
  for (std::size_t i = 0; i < by_weight.size(); ++i) by_weight[i] = i;
  std::stable_sort(by_weight.begin(), by_weight.end(),
                   [&](std::size_t a, std::size_t b) { return entries[a].weight > entries[b].weight; });
  GroupBudget budget;
  std::vector<bool> keep(entries.size(), false);
  files->dropped.clear();
  for (std::size_t i : by_weight) {
    const Entry& entry = entries[i];
    if (budget.fits_with(entry.group)) {
      budget.add(entry.group);
      keep[i] = true;
    } else {
      files->dropped.push_back({code_of_group[entry.group], entry.rest, entry.weight});
    }
  }

  std::array<std::size_t, kHanziKeyedEntries> first{};
  std::array<std::size_t, kHanziKeyedEntries> count{};
  files->records.clear();
  files->kept = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!keep[i]) continue;
    const int group = entries[i].group;
    if (count[group] == 0) first[group] = files->kept;
    ++count[group];
    ++files->kept;
    std::string stored = entries[i].rest;
    sentence::apply_chr_substitution(reinterpret_cast<unsigned char*>(stored.data()),
                                     std::min(stored.size(), storage.substituted), storage.full);
    files->records += stored;
  }
  files->index.clear();
  files->index.reserve(kHanziKeyedEntries * 4);
  for (int group = 0; group < kHanziKeyedEntries; ++group) {
    append_u16(count[group] == 0 ? 0 : first[group], &files->index);
    append_u16(count[group], &files->index);
  }
  return true;
}

bool write_hanzi_keyed_files(const std::filesystem::path& base, const HanziKeyedFiles& files, std::string* error) {
  std::error_code ec;
  for (const auto& [suffix, bytes] : {std::pair{".inx", &files.index}, std::pair{".lib", &files.records}}) {
    const std::filesystem::path path = base.string() + suffix;
    if (!platform::files::write_atomic(path, *bytes, ec)) {
      *error = "cannot write " + path.string() + ": " + ec.message();
      return false;
    }
  }
  return true;
}

}  // namespace tavgen
