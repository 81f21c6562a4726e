// Writes a hanzi-keyed library (cz/cz*, cz/pcz*, cz/rm3, cz/dm, cz/qy*): an index of one 4-byte
// entry (uint16 first record, uint16 count, little-endian) per GB2312 character number 0..6762,
// and fixed-size records holding the key without its first character, sorted within a group by
// their plain bytes and stored under the record substitution (see HanziKeyedStorage).
//
// The first record number has 16 bits, so every non-empty group must start below 65536. When
// the records do not fit, the lightest ones that would push a group's start (or a count) past
// that limit are left out, heaviest kept first; the caller reports them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gb2312.h"

namespace tavgen {

inline constexpr int kHanziKeyedEntries = kGb2312HanziCount;
inline constexpr std::size_t kHanziKeyedRecordMax = 65535;

struct HanziKeyedRecord {
  GbkChar first = 0;     // the key's first character, a GB2312 hanzi
  std::string rest;      // plain bytes, exactly the library's record length
  std::uint64_t weight = 0;
};

struct HanziKeyedFiles {
  std::string index;
  std::string records;
  std::size_t kept = 0;
  std::vector<HanziKeyedRecord> dropped;  // left out for the 16-bit limit, heaviest first
};

// 0-based GB2312 hanzi number of a code (0..6762), or -1 for another code.
int hanzi_key_number(GbkChar code);

// How records are stored: the first `substituted` bytes of each record under the substitution
// (`full`: every byte; otherwise only the bytes 0x80-0xFF, as GBK text), the rest as they are.
// The split libraries keep a binary code after their characters that must stay readable.
struct HanziKeyedStorage {
  std::size_t substituted = SIZE_MAX;
  bool full = true;
};

// Duplicate keys are merged (the heaviest weight counts). false with the reason in `error` when
// a record's first character is not a GB2312 hanzi or its rest is not `record_length` bytes.
bool write_hanzi_keyed_library(std::vector<HanziKeyedRecord> records, std::size_t record_length,
                               HanziKeyedFiles* files, std::string* error, HanziKeyedStorage storage = {});

// `base` + ".inx" and `base` + ".lib", atomically; the folder must exist.
bool write_hanzi_keyed_files(const std::filesystem::path& base, const HanziKeyedFiles& files, std::string* error);

}  // namespace tavgen
