// The sentence service's whole-sentence candidate: the unchosen syllables go to the service, its
// GBK sentence comes back with split marks, and the sentence's readings are filled in so it can
// be learned like any other phrase.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "match/convs_sentence.h"
#include "match/imeconvs2.h"
#include "query/readings.h"
#include "record/engine_globals.h"
#include "record/traditional_form.h"
#include "services/sentence_client.h"
#include "tables/pinyin_code.h"
#include "tables/py_syllables.h"
#include "tables/pytable.h"
#include "text/result_text.h"

namespace {

using Clock = std::chrono::steady_clock;

// A syllable as the service expects it: a bare initial as its upper-case first letter, and the
// fuzzy spellings the service does not know in full.
std::string service_syllable(const char* syllable) {
  std::string text(syllable, strnlen(syllable, IME_SYLLABLE_BYTES));
  if (ime_is_sm(text.c_str(), text.size())) {
    return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(text[0]))));
  }
  if (ime_fuzzy_mode != 0) {
    if (text == "zuang" && ime_fuzzy_z2zh != 0) return "zhuang";
    if (text == "cuang" && ime_fuzzy_c2ch != 0) return "chuang";
    if (text == "suang" && ime_fuzzy_s2sh != 0) return "shuang";
  }
  return text;
}

// Letters the user is still typing ("zho" of "zhong"): the service has no character for them.
bool unfinished(const std::string& syllable) {
  return ime_py_is_prefix(syllable) && !ime_py_is_syllable(syllable);
}

// The request for the syllables pyoff..pynum; nullopt when one of them is unfinished, which the
// service refuses and so is not worth a round trip on every key.
std::optional<std::string> service_request(const ime_conversation_t* c) {
  std::string request;
  for (int i = c->pyoff; i <= c->pynum && i < IME_MAX_SYLLABLES; ++i) {
    const std::string syllable = service_syllable(c->py[i]);
    if (unfinished(syllable)) return std::nullopt;
    if (!request.empty()) request += '_';
    request += syllable;
  }
  return request;
}

// The characters of a GBK text joined by "_".
std::string joined_characters(const std::string& gbk) {
  std::string joined;
  for (std::size_t at = 0; at < gbk.size();) {
    const std::size_t length = static_cast<unsigned char>(gbk[at]) >= 0x81 ? 2 : 1;
    if (!joined.empty()) joined += '_';
    joined.append(gbk, at, length);
    at += length;
  }
  return joined;
}

std::vector<std::string> split_at(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// The tone bit of a user-given tone 1-4 (0: none given).
std::uint8_t tone_bit(int tone) { return tone >= 1 && tone <= 4 ? 1u << (tone - 1) : 0; }

void clear_sentence(ime_conversation_t* c) {
  std::memset(&c->sentence, 0, sizeof c->sentence);
  c->mode &= ~IME_MODE_SENTENCE;
}

}  // namespace

ime_service_sentence ime_compose_by_service(ime_conversation_t* c) {
  const int remaining = ime_convs_remaining_syllables(c);
  if (remaining <= 0) return ime_service_sentence::Failed;
  const std::optional<std::string> request = service_request(c);
  if (!request) return ime_service_sentence::Failed;

  std::string gbk;
  std::string marks;
  const Clock::time_point asked = Clock::now();
  const bool answered =
      QAConvertStream(request->c_str(), &gbk, &marks) == QCP_CONVERT_OK && !gbk.empty();
  ime_sentence_service_answered(answered, Clock::now() - asked);
  if (!answered) return ime_service_sentence::Failed;

  char readings[IME_MAX_SYLLABLES * 8] = {};
  std::uint8_t tones[IME_MAX_SYLLABLES] = {};
  const bool own_readings = ime_fill_py(c, gbk.data(), gbk.size(), readings, sizeof readings,
                                        tones, sizeof tones) > 0;
  std::vector<std::string> service_readings;
  if (!own_readings) {
    std::string filled;
    if (!ime_sentence_service_in_use() || QAFillPY(joined_characters(gbk).c_str(), &filled) != 0) {
      return ime_service_sentence::Failed;
    }
    service_readings = split_at(filled, '-');
    if (static_cast<int>(service_readings.size()) != remaining) return ime_service_sentence::Failed;
    // The service writes a character it cannot read as the character itself: no reading.
    for (const std::string& reading : service_readings) {
      if (!ime_py_is_syllable(reading)) return ime_service_sentence::Failed;
    }
  }

  // A tone the user gave the first syllable must be one its character can have.
  const std::uint8_t wanted = tone_bit(c->tones[c->pyoff]);
  if (wanted != 0 && (tones[0] & wanted) == 0) {
    clear_sentence(c);
    return ime_service_sentence::None;
  }
  if (c->pyoff == 0) {
    hm_buf_len = static_cast<int>(std::min<std::size_t>(gbk.size(), IME_HM_BUF_BYTES - 1));
    std::memcpy(hm_buf, gbk.data(), static_cast<std::size_t>(hm_buf_len));
    hm_buf[hm_buf_len] = '\0';
  }

  clear_sentence(c);
  ime_query_result_t& s = c->sentence;
  if (!ime_sentence_text_from_gbk(gbk, s.hz, &s.hlen)) return ime_service_sentence::None;
  for (int j = 0; j < remaining; ++j) {
    const char* syllable = own_readings ? c->py[c->pyoff + j] : service_readings[j].c_str();
    ime_decompose_py(syllable, &s.sm[j], &s.ym[j]);
    s.tone[j] = own_readings ? tones[j] : 0;
  }
  s.plen = s.rplen = static_cast<std::uint8_t>(remaining);
  s.type = IME_RESULT_SENTENCE;
  // Most sentences are replaced by the next key unseen in traditional form: that form is asked
  // of the converter only when wanted.
  ime_defer_traditional(&s);
  if ((c->mode & IME_MODE_TRADITIONAL) != 0) ime_make_traditional(&s);
  for (int j = 0; j < remaining && j < static_cast<int>(marks.size()); ++j) {
    hm_fen[c->pyoff + j] = marks[static_cast<std::size_t>(j)];
  }
  c->mode |= IME_MODE_SENTENCE;
  return ime_service_sentence::Composed;
}
