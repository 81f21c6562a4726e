// The per-user hanzi frequency file hzfreq.db: one 8-byte row of counters per hanzi index of
// the pinyin tables, mapped read-write so that a change is a store.
//
// Every program that opens the file uses the one size below; a program that expected another
// size would otherwise recreate the file and wipe the counters another program keeps.
#pragma once

#include <cstddef>
#include <string>

#include "tablefile.h"

inline constexpr long long IME_HZFREQ_FILE_SIZE = 960000;
inline constexpr int IME_HZFREQ_ROW_BYTES = 8;

extern ime_mmap_t ime_freq_info;

// A new hanzi information database starts the counters afresh: when the data folder's
// hzdb.info is missing or its first line differs from the resource's, hzfreq.db is deleted
// and the resource's hzdb.info copied into the data folder. Without a resource hzdb.info the
// counters are left alone. 0 or -1.
int ime_sync_hzdb_version();

// Ensures "<data folder>/hzfreq.db" of IME_HZFREQ_FILE_SIZE bytes and maps it read-write.
// A file of another size is resized keeping the counters it holds. 0 or -1.
int ime_load_hzfreq();
void ime_unload_hzfreq();

// Ensures a counter file of `size` bytes at `path`: created zero-filled when missing, resized
// (keeping its leading bytes, zero-filled beyond) when of another size. Written atomically.
int ime_ensure_counter_file(const char* path, long long size);

// The first line of a version file (at most 29 bytes, line end removed); empty when unreadable.
std::string ime_read_version_line(const std::string& path, std::size_t max_bytes = 29);
