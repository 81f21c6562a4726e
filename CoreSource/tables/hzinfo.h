// The hanzi information file: a short record per character, found through a minimal perfect
// hash over the characters.
//
// hzdb.db: records {u8 length n; n bytes under the record codec}; a table of u32 big-endian
// record offsets, one per hash value; the table's offset in the last 4 bytes (u32 big-endian).
// The first record is a header naming the format, the number of keys and the CRC-32 of the
// index file, so a damaged file or an index of another build is refused before it is parsed.
// hzdb.idx (the same name with the extension ".idx"): the CMPH index dumped by the library.
//
// A record's text: the hanzi, a tab, its readings joined by "," (each a syllable and its tone
// digit 1-4, none for the neutral tone; the most used first), a tab, its traditional forms,
// a tab, and its GB set ('1' GB2312, 'K' GBK, 'X' beyond GBK).
#pragma once

#include <cmph.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/qammap.h"

inline constexpr std::size_t QAHZINFO_RECORD_MAX = 255;
inline constexpr const char* QAHZINFO_MAGIC = "KEPHZDB";
inline constexpr int QAHZINFO_FORMAT = 1;

struct QAHzInfo {
  cmph_t* index;
  QAMMap* file;
  std::uint32_t table_offset;
  std::uint32_t slot_count;  // hash values of the index; the table holds exactly this many
};

// The opened hanzi information database of the engine (NULL when it could not be opened).
extern QAHzInfo* ime_hzdb;

// NULL, with the reason logged, when either file is missing, damaged or not of one build.
QAHzInfo* QAHzInfoOpen(const char* path);
// 0 with the decoded record in `out` and its length in `*out_length`, which on entry holds
// the capacity of `out`; -1 without a handle or for a hash value out of range; -2 when the
// slot or the record lies outside the file; -3 when the record is longer than `out`.
int QAHzInfoQuery(QAHzInfo* handle, const char* key, std::size_t key_length, char* out,
                  std::size_t* out_length);
void QAHzInfoClose(QAHzInfo* handle);

// The fields of a record.
struct QAHzInfoEntry {
  std::string hanzi;
  std::vector<std::string> readings;  // "xing2", "hang2", "de"
  std::string traditional;
  char gb_set = 'X';
};

// The record text of an entry; readings that would take it past QAHZINFO_RECORD_MAX bytes
// are left out from the last one on.
std::string QAHzInfoFormatRecord(const QAHzInfoEntry& entry);
bool QAHzInfoParseRecord(std::string_view record, QAHzInfoEntry* entry);

// The header record's text, and its reading.
std::string QAHzInfoFormatHeader(std::uint32_t key_count, std::uint32_t index_crc);
bool QAHzInfoParseHeader(std::string_view record, std::uint32_t* key_count,
                         std::uint32_t* index_crc);

// The entry of one hanzi (UTF-8): 0; -1 when the file has no record for it (or there is no
// handle); -2 when its slot or record lies outside the file.
int QAHzInfoLookup(QAHzInfo* handle, std::string_view hanzi, QAHzInfoEntry* entry);

// Opens "!hzdb.db" (resources only) into ime_hzdb. 0 or -1.
int ime_load_hzdb();
void ime_unload_hzdb();
