// The per-user hanzi frequency file hzfreq.db: one 8-byte row of counters per hanzi index of
// the pinyin tables, mapped read-write so that a change is a store.
//
// A row holds two independent little-endian 32-bit counters: bytes 0-3 count the character
// chosen when typed by its full syllable, bytes 4-7 when typed by its initial alone. They must
// not share bytes, or raising one would change the other.
//
// Every program that opens the file uses the one size below; a program that expected another
// size would otherwise recreate the file and wipe the counters another program keeps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/tablefile.h"

inline constexpr long long IME_HZFREQ_FILE_SIZE = 960000;
inline constexpr int IME_HZFREQ_ROW_BYTES = 8;
inline constexpr int IME_HZFREQ_INITIAL_ONLY_AT = 4;
// Only hanzi indexes of pinyin.db have counters; the extension table's start here.
inline constexpr std::uint32_t IME_HZFREQ_MAX_INDEX = 100000;

extern ime_mmap_t ime_freq_info;

// A new hanzi information database starts the counters afresh: when the data folder's
// hzdb.info is missing or its first line differs from the resource's, hzfreq.db is replaced by
// a zeroed one and the resource's hzdb.info copied into the data folder, under the counter
// lock (base/counterfile.h). Without a resource hzdb.info the counters are left alone. 0 or -1.
int ime_sync_hzdb_version();

// Ensures "<data folder>/hzfreq.db" of IME_HZFREQ_FILE_SIZE bytes and maps it read-write, a
// counter file. A file of another size is resized keeping the counters it holds. 0 or -1.
int ime_load_hzfreq();
void ime_unload_hzfreq();

// The counter of hanzi `index` (full-syllable or initial-only): 0 for an index without a row in
// the mapped file, or when the file is not loaded.
std::uint32_t ime_hzfreq_read(std::uint32_t index, bool initial_only);
// Stores a counter; nothing for an index without a row. true when stored. The file is mapped
// anew first when another process has replaced it.
bool ime_hzfreq_write(std::uint32_t index, bool initial_only, std::uint32_t value);

// The first line of a version file (at most 29 bytes, line end removed); empty when unreadable.
std::string ime_read_version_line(const std::string& path, std::size_t max_bytes = 29);
