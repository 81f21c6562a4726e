#include "query/readings.h"

#include <cstring>
#include <string>
#include <string_view>

#include "base/imelog.h"
#include "platform/text.h"
#include "query/pyquery.h"
#include "tables/hzinfo.h"
#include "tables/pytable.h"

namespace {

struct Reading {
  std::string syllable;
  int tone = 0;
};

// "xing2" -> xing, tone 2; a reading without a tone digit has tone 0.
Reading split_tone(const std::string& reading) {
  Reading split{reading, 0};
  if (!reading.empty() && reading.back() >= '1' && reading.back() <= '4') {
    split.tone = reading.back() - '0';
    split.syllable.pop_back();
  }
  return split;
}

// The syllable the user typed for the character at `position`, empty when there is none.
std::string_view typed_syllable(const ime_conversation_t* conversation, std::size_t position) {
  if (conversation == nullptr) return {};
  const std::size_t at = conversation->pyoff + position;
  if (at >= static_cast<std::size_t>(ime_convs_syllable_count(conversation))) return {};
  const char* syllable = conversation->py[at];
  return std::string_view(syllable, strnlen(syllable, IME_SYLLABLE_BYTES));
}

Reading choose(const QAHzInfoEntry& entry, std::string_view typed) {
  const bool initial = ime_is_sm(typed.data(), typed.size());
  for (const std::string& each : entry.readings) {
    Reading reading = split_tone(each);
    const bool fits = initial ? std::string_view(reading.syllable).starts_with(typed)
                              : reading.syllable == typed;
    if (!typed.empty() && fits) return reading;
  }
  return split_tone(entry.readings.front());
}

}  // namespace

int ime_fill_py(const ime_conversation_t* conversation, const char* text, std::size_t length,
                char* pinyin, std::size_t pinyin_size, std::uint8_t* tones, std::size_t tone_count) {
  if (ime_hzdb == nullptr) {
    IME_ERROR("hzdb not initialized.");
    return -1;
  }
  if (text == nullptr || pinyin == nullptr || pinyin_size == 0 || tones == nullptr) return -1;
  std::optional<std::string> utf8 =
      platform::text::to_utf8(std::string_view(text, length), platform::text::Encoding::Gb18030);
  if (!utf8) {
    IME_ERROR("Create string object failed.");
    return -1;
  }
  std::string joined;
  std::size_t count = 0;
  for (std::size_t at = 0; at < utf8->size(); ++count) {
    const std::size_t bytes = platform::text::utf8_sequence_length(static_cast<unsigned char>((*utf8)[at]));
    if (bytes == 0 || bytes > utf8->size() - at) {
      IME_ERROR("Create substring failed![%zu]", count);
      return -1;
    }
    const std::string hanzi = utf8->substr(at, bytes);
    at += bytes;
    QAHzInfoEntry entry;
    const int found = QAHzInfoLookup(ime_hzdb, hanzi, &entry);
    if (found != 0 || entry.readings.empty()) {
      IME_ERROR("Query substring [%s] failed! ret=%d", hanzi.c_str(), found);
      return -1;
    }
    if (entry.hanzi != hanzi) {
      IME_ERROR("Hanzi not equal [%zu,%zu][%s,%s]", hanzi.size(), entry.hanzi.size(),
                hanzi.c_str(), entry.hanzi.c_str());
      return -1;
    }
    if (count >= tone_count) return -1;
    const Reading reading = choose(entry, typed_syllable(conversation, count));
    tones[count] = reading.tone == 0 ? 0 : static_cast<std::uint8_t>(_ime_tone_val(reading.tone));
    if (!joined.empty()) joined += '-';
    joined += reading.syllable;
  }
  if (joined.size() >= pinyin_size) return -1;
  std::memcpy(pinyin, joined.c_str(), joined.size() + 1);
  return static_cast<int>(count);
}
