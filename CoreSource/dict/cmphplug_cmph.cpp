// Version-10 code tables: a CHM perfect hash finds where a code's run (or the run of all codes
// with one first byte) starts in the data file, whose records are sorted by code; the query
// walks on from there.
//
// A perfect hash answers any key, member or not, with some slot, so every landing is checked
// against the record found there before the walk trusts it.
#include <cstring>
#include <string>
#include <string_view>

#include "base/imelog.h"
#include "dict/cmphplug_detail.h"
#include "dict/plugfmt.h"
#include "record/qrdb.h"

namespace {

constexpr std::int64_t kFirstOrder = 1000;
constexpr std::int64_t kWeightBase = 100;
constexpr std::uint32_t kTopBit = 0x80000000u;

struct Walk {
  const KEPPlugTable* table;
  const unsigned char* data;
  const unsigned char* code;
  std::size_t length;
  ime_conversation_t* conversation;
  int list;
};

// The record offset the index gives for `key`, or -1 when the slot or the offset lies outside
// the file.
std::int64_t start_of(const KEPPlugTable* table, std::string_view key) {
  const cmph_uint32 h = cmph_search(table->cmph, key.data(), static_cast<cmph_uint32>(key.size()));
  if (h >= cmph_size(table->cmph)) return -1;
  const std::uint64_t slot = std::uint64_t{table->tail} + std::uint64_t{h} * 4;
  if (slot + 4 > static_cast<std::uint64_t>(table->data.length) - IME_PLUG_TAIL_BYTES) {
    IME_ERROR("Offset is out the size:[%llu,%lld]", static_cast<unsigned long long>(slot),
              static_cast<long long>(table->data.length));
    return -1;
  }
  const auto* data = static_cast<const unsigned char*>(table->data.address);
  const std::uint32_t start = ime_read_be32(data + slot);
  if (start < IME_PLUG_HEADER_BYTES || start >= table->records_end) return -1;
  return start;
}

bool begins_with(const ime_plug_record_t& record, const unsigned char* code, std::size_t length) {
  return record.code_length >= length && std::memcmp(record.code, code, length) == 0;
}

// Same length, every typed byte the wildcard or equal to the stored one.
bool matches(const ime_plug_record_t& record, const unsigned char* code, std::size_t length) {
  if (record.code_length != length) return false;
  for (std::size_t k = 0; k < length; ++k) {
    const char typed = static_cast<char>(code[k]);
    if ((ime_plug_any_char == 0 || typed != ime_plug_any_char) && code[k] != record.code[k]) {
      return false;
    }
  }
  return true;
}

// A record's value holds one or more texts separated by blanks; each is a candidate.
void take(const Walk& walk, const ime_plug_record_t& record) {
  const std::int64_t distance = record.code_length > walk.length ? record.code_length - walk.length
                                                                 : walk.length - record.code_length;
  const std::uint32_t matval =
      ime_plug_sort_value(std::int64_t{record.number} - distance + kWeightBase) | kTopBit;
  std::size_t at = 0;
  while (at < record.value_length) {
    const void* blank = std::memchr(record.value + at, ' ', record.value_length - at);
    const std::size_t end =
        blank != nullptr ? static_cast<std::size_t>(static_cast<const unsigned char*>(blank) - record.value)
                         : record.value_length;
    if (end > at) {
      // Earlier answers first: the first sort value falls with every entry already listed.
      const int listed = ime_qrdb_count(walk.conversation, walk.list);
      const std::uint32_t order = ime_plug_sort_value(kFirstOrder - (listed > 0 ? listed : 0));
      ime_plug_add_candidate(walk.conversation, walk.list, record.code, record.code_length,
                             record.value + at, end - at, 0, order, matval);
    }
    at = end + 1;
  }
}

// Walks records from `offset` while `keep_going` accepts them, taking those `wanted` accepts.
template <typename KeepGoing, typename Wanted>
void walk_records(const Walk& walk, std::size_t offset, KeepGoing keep_going, Wanted wanted) {
  ime_plug_record_t record;
  for (;;) {
    const int status = ime_plug_read_record(walk.data, walk.table->records_end, offset, &record);
    if (status == IME_PLUG_RECORD_END) {
      if (offset < walk.table->records_end && walk.data[offset] != IME_PLUG_CMPH_END_MARK) {
        IME_ERROR("The key length is:%d", walk.data[offset]);
      }
      return;
    }
    if (status != IME_PLUG_RECORD_OK || !keep_going(record)) return;
    if (wanted(record)) take(walk, record);
    offset = record.next;
  }
}

// The run of every code beginning with `first`, or -1 when the table has none.
std::int64_t letter_run(const Walk& walk, unsigned char first) {
  const std::int64_t start = start_of(walk.table, ime_plug_letter_key(first));
  ime_plug_record_t record;
  if (start < 0 ||
      ime_plug_read_record(walk.data, walk.table->records_end, static_cast<std::size_t>(start),
                           &record) != IME_PLUG_RECORD_OK ||
      record.code[0] != first) {
    return -1;
  }
  return start;
}

}  // namespace

int ime_plug_query_cmph(KEPPlugTable* table, int mode, const char* code, int length,
                        ime_conversation_t* conversation, int list) {
  const Walk walk{table, static_cast<const unsigned char*>(table->data.address),
                  reinterpret_cast<const unsigned char*>(code), static_cast<std::size_t>(length),
                  conversation, list};
  const unsigned char first = walk.code[0];
  const bool wildcard = ime_plug_any_char != 0 && std::memchr(code, ime_plug_any_char, walk.length);
  if (wildcard) mode = IME_PLUG_EXACT;
  auto in_letter_run = [&](const ime_plug_record_t& r) { return r.code[0] == first; };
  auto matching = [&](const ime_plug_record_t& r) { return matches(r, walk.code, walk.length); };

  // A wildcard first key has no run to start from: every record is looked at.
  if (wildcard && static_cast<char>(first) == ime_plug_any_char) {
    walk_records(walk, IME_PLUG_HEADER_BYTES, [](const ime_plug_record_t&) { return true; }, matching);
    return 0;
  }

  if (mode == IME_PLUG_PREFIX) {
    auto prefixed = [&](const ime_plug_record_t& r) { return begins_with(r, walk.code, walk.length); };
    // Only a landing on the typed code's own run is its start; a landing elsewhere, even on a
    // longer code that begins with it, may have passed over some of the codes wanted.
    const std::int64_t start = start_of(table, std::string_view(code, walk.length));
    ime_plug_record_t record;
    if (start >= 0 &&
        ime_plug_read_record(walk.data, table->records_end, static_cast<std::size_t>(start),
                             &record) == IME_PLUG_RECORD_OK &&
        record.code_length == walk.length && prefixed(record)) {
      walk_records(walk, static_cast<std::size_t>(start), prefixed, prefixed);
      return 0;
    }
    // The typed code is no code of its own, only the start of longer ones: find them in the
    // run of their first byte.
    const std::int64_t run = letter_run(walk, first);
    if (run >= 0) walk_records(walk, static_cast<std::size_t>(run), in_letter_run, prefixed);
    return 0;
  }

  const std::int64_t run = letter_run(walk, first);
  if (run >= 0) walk_records(walk, static_cast<std::size_t>(run), in_letter_run, matching);
  return 0;
}
