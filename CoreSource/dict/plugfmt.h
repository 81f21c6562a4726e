// Compiled code tables: the byte layout of the data file (.qdb) that the code-table compiler
// writes and the engine's code-table query reads. Header-only, so that the preferences pane can
// share it without linking the engine, and writer and reader cannot drift apart.
//
// Data file, all numbers big-endian:
//   "KEPPLUGDB " and a two-byte version, "20" (SQLite key index) or "10" (CHM key index);
//   records { u8 code length 1-63; code; u16 value length; value; u32 number };
//   version 20: the byte 1, then the u32 row count (the tail value);
//   version 10: the byte 0, then one u32 record offset per key of the CHM index, then the u32
//   position of that offset table (the tail value).
// A record's number is its weight: the table's pair count minus the pair's ordinal in the
// source, so 1 for the last pair and the pair count for the first. Version 20 also uses it as
// the record's row in the counter file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "CoreSource/base/bigendian.h"  // from the project root: the compiler includes this header too

inline constexpr char IME_PLUG_MAGIC[] = "KEPPLUGDB ";
inline constexpr std::size_t IME_PLUG_MAGIC_BYTES = 10;
inline constexpr std::size_t IME_PLUG_HEADER_BYTES = 12;  // magic and version
inline constexpr std::size_t IME_PLUG_TAIL_BYTES = 4;
inline constexpr std::string_view IME_PLUG_VERSION_SQL = "20";
inline constexpr std::string_view IME_PLUG_VERSION_CMPH = "10";
inline constexpr unsigned char IME_PLUG_SQL_END_MARK = 1;
inline constexpr unsigned char IME_PLUG_CMPH_END_MARK = 0;

// Codes are 1 to 63 bytes: readers stop at a length of 0 or of 64 and more.
inline constexpr std::size_t IME_PLUG_MAX_CODE_BYTES = 63;
inline constexpr std::size_t IME_PLUG_MAX_VALUE_BYTES = 0xFFFF;
// Longest candidate text the engine can show: its text fields hold 180 bytes with the NUL.
inline constexpr std::size_t IME_PLUG_MAX_TEXT_BYTES = 179;
// The smallest record: a one-byte code and an empty value.
inline constexpr std::size_t IME_PLUG_MIN_RECORD_BYTES = 1 + 1 + 2 + 4;

// The version-10 index holds, besides every code, "!!" and one first byte: the start of the
// run of all codes beginning with that byte.
inline constexpr std::string_view IME_PLUG_LETTER_PREFIX = "!!";
inline std::string ime_plug_letter_key(unsigned char first) {
  std::string key(IME_PLUG_LETTER_PREFIX);
  key.push_back(static_cast<char>(first));
  return key;
}

// One record as it lies in the mapped file.
struct ime_plug_record_t {
  const unsigned char* code;
  std::size_t code_length;
  const unsigned char* value;
  std::size_t value_length;
  std::uint32_t number;
  std::size_t next;  // offset of the record after this one
};

enum ime_plug_record_status {
  IME_PLUG_RECORD_OK = 0,
  IME_PLUG_RECORD_END = 1,        // a code length of 0 or 64 and more: no record here
  IME_PLUG_RECORD_TRUNCATED = 2,  // the record would reach past `end`
};

// Reads the record at `offset` of a data file whose records all lie before `end`. Nothing is
// read at or beyond `end`, so a truncated or lying file is met with a status, never a read
// out of bounds.
inline int ime_plug_read_record(const unsigned char* data, std::size_t end, std::size_t offset,
                                ime_plug_record_t* record) {
  if (offset >= end) return IME_PLUG_RECORD_TRUNCATED;
  const std::size_t code_length = data[offset];
  if (code_length == 0 || code_length > IME_PLUG_MAX_CODE_BYTES) return IME_PLUG_RECORD_END;
  std::size_t at = offset + 1;
  if (end - at < code_length + 2) return IME_PLUG_RECORD_TRUNCATED;
  record->code = data + at;
  record->code_length = code_length;
  at += code_length;
  const std::size_t value_length = (std::size_t{data[at]} << 8) | data[at + 1];
  at += 2;
  if (end - at < value_length + 4) return IME_PLUG_RECORD_TRUNCATED;
  record->value = data + at;
  record->value_length = value_length;
  at += value_length;
  record->number = ime_read_be32(data + at);
  record->next = at + 4;
  return IME_PLUG_RECORD_OK;
}

inline void ime_plug_append_be32(std::string* out, std::uint32_t value) {
  unsigned char bytes[4];
  ime_write_be32(bytes, value);
  out->append(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

inline void ime_plug_append_header(std::string* out, std::string_view version) {
  out->append(IME_PLUG_MAGIC, IME_PLUG_MAGIC_BYTES);
  out->append(version);
}

// Appends one record. The caller has checked the lengths against the limits above.
inline void ime_plug_append_record(std::string* out, std::string_view code, std::string_view value,
                                   std::uint32_t number) {
  out->push_back(static_cast<char>(code.size()));
  out->append(code);
  out->push_back(static_cast<char>((value.size() >> 8) & 0xFF));
  out->push_back(static_cast<char>(value.size() & 0xFF));
  out->append(value);
  ime_plug_append_be32(out, number);
}
