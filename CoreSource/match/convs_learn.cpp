// Learning at commit: the user phrase database, and the sentence service's corrections.
#include "match/convs_learn.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/imelog.h"
#include "match/convs_sentence.h"
#include "match/imeconvs2.h"
#include "platform/text.h"
#include "query/candidate_freq.h"
#include "record/engine_globals.h"
#include "record/qrdb.h"
#include "record/traditional_form.h"
#include "services/sentence_client.h"
#include "start/config_reload.h"
#include "tables/pinyin_code.h"
#include "tables/pytable.h"

namespace {

constexpr std::uint32_t kStringModes = IME_MODE_I | IME_MODE_D | IME_MODE_U | IME_MODE_V;
constexpr std::size_t kLearnTextMax = 512;

std::string_view hz_of(const ime_query_result_t& r) {
  const auto* text = reinterpret_cast<const char*>(r.hz);
  return std::string_view(text, strnlen(text, std::min<std::size_t>(r.hlen, IME_TEXT_BYTES)));
}
std::string_view thz_of(const ime_query_result_t& r) {
  const auto* text = reinterpret_cast<const char*>(r.thz);
  return std::string_view(text, strnlen(text, std::min<std::size_t>(r.thlen, IME_TEXT_BYTES)));
}

// A phrase the dictionaries offered for the whole input is not learned again when the user
// builds it from smaller pieces.
bool offered_whole(ime_conversation_t* c, std::string_view text) {
  const int count = ime_qrdb_count(c, IME_LIST_FIRST_CHOICE);
  for (int i = 0; i < count; ++i) {
    ime_query_result_t offered{};
    if (ime_qrdb_get(c, IME_LIST_FIRST_CHOICE, i, &offered) == 0 && hz_of(offered) == text) {
      return true;
    }
  }
  return false;
}

// GBK characters of a text (one or two bytes each).
std::vector<std::string_view> gbk_characters(std::string_view gbk) {
  std::vector<std::string_view> characters;
  for (std::size_t at = 0; at < gbk.size();) {
    const std::size_t length =
        static_cast<unsigned char>(gbk[at]) >= 0x81 && at + 1 < gbk.size() ? 2 : 1;
    characters.push_back(gbk.substr(at, length));
    at += length;
  }
  return characters;
}

// Split marks of the chosen segments, one per syllable: "_" ends a word.
std::string split_marks(const ime_conversation_t* c, int syllables) {
  std::string marks(static_cast<std::size_t>(syllables), '*');
  int at = 0;
  for (int i = 0; i < c->nseg && at < syllables; ++i) {
    const ime_query_result_t& segment = c->segs[i];
    const int n = std::min<int>(segment.plen, syllables - at);
    if (n <= 0) continue;
    if (segment.type == IME_RESULT_SENTENCE) {
      for (int k = 0; k < n; ++k) {
        if (hm_fen[at + k] != '\0') marks[static_cast<std::size_t>(at + k)] = hm_fen[at + k];
      }
    } else {
      marks[static_cast<std::size_t>(at + n - 1)] = '_';
    }
    at += n;
  }
  return marks;
}

// Tells the service which characters of its sentence the user changed. false when the text
// cannot be written in GBK, which ends the learning of this commit.
bool teach_service(const ime_conversation_t* c, const ime_query_result_t& phrase) {
  const std::optional<std::string> gbk =
      platform::text::from_utf8(hz_of(phrase), platform::text::Encoding::Gbk);
  if (!gbk || gbk->size() > kLearnTextMax) {
    IME_ERROR("Convert kbuf [%s] to gb failed!", std::string(hz_of(phrase)).c_str());
    return false;
  }
  const std::vector<std::string_view> chosen = gbk_characters(*gbk);
  const std::vector<std::string_view> offered =
      gbk_characters(std::string_view(hm_buf, static_cast<std::size_t>(hm_buf_len)));
  const int syllables = phrase.plen;
  const std::string marks = split_marks(c, syllables);

  std::string pinyin;
  std::string text;
  int changed = 0;
  for (int i = 0; i < syllables && i < static_cast<int>(chosen.size()); ++i) {
    const bool differs = i >= static_cast<int>(offered.size()) || chosen[i] != offered[i];
    changed += differs ? 1 : 0;
    char syllable[8] = {};
    ime_compose_py(phrase.sm[i], phrase.ym[i], syllable);
    if (ime_is_sm(syllable, std::strlen(syllable))) {
      syllable[0] = static_cast<char>(syllable[0] - 'a' + 'A');
      syllable[1] = '\0';
    }
    if (differs) pinyin += '*';
    pinyin += syllable;
    if (i + 1 < syllables) pinyin += '_';
    text += chosen[i];
    if (marks[static_cast<std::size_t>(i)] == '_') text += '_';
  }
  if (!text.empty() && text.back() == '_') text.pop_back();
  if (changed > 0 && changed < syllables) {
    const auto asked = std::chrono::steady_clock::now();
    const bool answered = QALearnText(pinyin.c_str(), text.c_str()) == 0;
    ime_sentence_service_answered(answered, std::chrono::steady_clock::now() - asked);
  }
  return true;
}

}  // namespace

bool ime_convs_join_segments(const ime_conversation_t* c, ime_query_result_t* phrase) {
  *phrase = {};
  std::string hz;
  std::string thz;
  int total = 0;
  for (int i = 0; i < c->nseg && i < IME_MAX_SEGMENTS; ++i) {
    const ime_query_result_t& segment = c->segs[i];
    const int n = segment.plen;
    if (total + n > IME_MAX_SYLLABLES) return false;
    std::memcpy(phrase->sm + total, segment.sm, static_cast<std::size_t>(n));
    std::memcpy(phrase->ym + total, segment.ym, static_cast<std::size_t>(n));
    std::memcpy(phrase->tone + total, segment.tone, static_cast<std::size_t>(n));
    total += n;
    hz += hz_of(segment);
    thz += thz_of(segment);
  }
  if (hz.size() >= IME_TEXT_BYTES || thz.size() >= IME_TEXT_BYTES) return false;
  std::memcpy(phrase->hz, hz.data(), hz.size());
  std::memcpy(phrase->thz, thz.data(), thz.size());
  phrase->hlen = static_cast<std::uint8_t>(hz.size());
  phrase->thlen = static_cast<std::uint8_t>(thz.size());
  phrase->plen = phrase->rplen = static_cast<std::uint8_t>(total);
  phrase->type = IME_RESULT_USER_WORD;
  return true;
}

void ime_convs_learn_commit(ime_conversation_t* c) {
  if (ime_mode == 2 && ime_plug_mode != 1) return;
  if ((c->mode & kStringModes) != 0) return;
  if (ime_duration < ime_duration_delay) return;
  if (c->nseg == 0 || (c->nseg == 1 && c->segs[0].type != IME_RESULT_SENTENCE)) return;

  // The user phrase keeps the traditional form too.
  for (int i = 0; i < c->nseg && i < IME_MAX_SEGMENTS; ++i) ime_make_traditional(&c->segs[i]);
  ime_query_result_t phrase;
  if (!ime_convs_join_segments(c, &phrase)) {
    IME_DEBUG("The chosen text is too long to learn.");
    return;
  }
  if (c->nseg >= 2 && offered_whole(c, hz_of(phrase))) return;

  if (phrase.plen >= IME_LEARN_SERVICE_MIN_SYLLABLES && ime_sentence_service_in_use() &&
      !teach_service(c, phrase)) {
    return;
  }
  if (ime_bypass_uphrase != 0) return;
  if (phrase.plen > IME_LEARN_MAX_SYLLABLES) {
    IME_DEBUG("Bypass user phrase [%s], phrase too long.", reinterpret_cast<const char*>(phrase.hz));
    return;
  }
  ime_add_user_phrase(&phrase);
}
