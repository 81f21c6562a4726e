// Code-table answers as candidates of a result list.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/imelog.h"
#include "dict/cmphplug_detail.h"
#include "record/qrdb.h"

namespace {

constexpr std::uint32_t kTopBit = 0x80000000u;
constexpr std::int64_t kSqlLengthWeight = 10000;

}  // namespace

std::uint32_t ime_plug_sort_value(std::int64_t value) {
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(value, 0, INT32_MAX));
}

int ime_plug_add_candidate(ime_conversation_t* conversation, int list, const unsigned char* code,
                           std::size_t code_length, const unsigned char* text,
                           std::size_t text_length, std::uint32_t index, std::uint32_t freq,
                           std::uint32_t matval) {
  if (text_length == 0) return -1;
  if (text_length >= IME_TEXT_BYTES) {
    IME_ERROR("Plug text of %zu bytes does not fit a candidate, skipped.", text_length);
    return -1;
  }
  ime_query_result_t result = {};
  result.type = IME_RESULT_OTHER;
  result.index = index;
  std::memcpy(result.hz, text, text_length);
  std::memcpy(result.thz, text, text_length);
  result.hlen = static_cast<std::uint8_t>(text_length);
  result.thlen = static_cast<std::uint8_t>(text_length);
  // The code stands where a pinyin candidate keeps its initials; a longer code keeps its start.
  const std::size_t kept = std::min<std::size_t>(code_length, IME_MAX_SYLLABLES);
  std::memcpy(result.sm, code, kept);
  result.plen = static_cast<std::uint8_t>(kept);
  result.freq = freq;
  result.matval = matval;
  return ime_qrdb_add_result2(conversation, list, &result) >= 0 ? 0 : -1;
}

void QACMPHPlugAddSQL(ime_conversation_t* conversation, const char* code, int code_length,
                      const char* text, int text_length, int typed_length, int list,
                      std::uint32_t number, std::int64_t score) {
  if (code == nullptr || text == nullptr || code_length < 0 || text_length < 0) return;
  // Codes nearer the typed length rank higher: an exact code beats the longer ones it prefixes.
  const std::int64_t distance = std::llabs(static_cast<long long>(ime_plug_max_len) -
                                           (static_cast<long long>(code_length) - typed_length));
  const std::uint32_t value = ime_plug_sort_value(distance * kSqlLengthWeight + score);
  // The list sorts on its signed keys, so the first sort value stays below the top bit; the
  // second carries it as the stored candidates always have.
  ime_plug_add_candidate(conversation, list, reinterpret_cast<const unsigned char*>(code),
                         static_cast<std::size_t>(code_length),
                         reinterpret_cast<const unsigned char*>(text),
                         static_cast<std::size_t>(text_length), number, value, value | kTopBit);
}
