// The composition as the user sees it: chosen hanzi followed by the syllables still open, with
// the tones the user gave them, and the inline form with its caret.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "base/bounded_text.h"
#include "dict/cmphplug.h"
#include "record/engine_globals.h"
#include "text/candidate_text.h"

namespace {

constexpr char kSeparator = '\'';

bool in_mode(const ime_conversation_t* c, std::uint32_t flags) { return (c->mode & flags) != 0; }

// The code table shows its keys as typed, unless they fell back to pinyin.
bool code_table_shows_keys() { return ime_mode == 2 && ime_plug_mode != 1; }

bool first_segment_is_outside(const ime_conversation_t* c) {
  return c->nseg > 0 && c->segs[0].type == IME_RESULT_OTHER;
}

std::string_view output_text(const ime_conversation_t* c) {
  return {reinterpret_cast<const char*>(c->outbuf),
          std::min<std::size_t>(c->outlen, IME_OUTPUT_BYTES)};
}

std::string_view syllable(const char (&field)[IME_SYLLABLE_BYTES]) {
  return {field, strnlen(field, IME_SYLLABLE_BYTES - 1)};
}

// The syllable with the tone the user gave it, or as it is when it has none or cannot be marked.
std::string toned(std::string_view spelling, int tone) {
  if (tone >= 1 && tone <= IME_MAX_TONE) {
    char out[IME_PINYIN_STR_BYTES];
    std::string letters(spelling);
    if (ime_pinyin_str(letters.c_str(), tone, out) != nullptr) return out;
  }
  return std::string(spelling);
}

std::string_view accessory_letters(const ime_conversation_t* c) {
  return {c->accbuf, std::min<std::size_t>(c->acclen, IME_MAX_ACCESSORY_KEYS)};
}

std::size_t utf16_length(std::string_view utf8) {
  std::size_t units = 0;
  for (unsigned char byte : utf8) {
    if ((byte & 0xC0) == 0x80) continue;
    units += byte >= 0xF0 ? 2 : 1;
  }
  return units;
}

std::string_view segment_text(const ime_conversation_t* c, const ime_query_result_t& segment) {
  const std::uint8_t* field = in_mode(c, IME_MODE_TRADITIONAL) ? segment.thz : segment.hz;
  return {reinterpret_cast<const char*>(field),
          strnlen(reinterpret_cast<const char*>(field), IME_TEXT_BYTES - 1)};
}

// Walks the typed keys syllable by syllable: each syllable's own keys, then any separators.
class KeyWalk {
 public:
  explicit KeyWalk(const ime_conversation_t* c)
      : c_(c), end_(std::min<int>(c->inoff, IME_MAX_KEYS)) {}

  void over_syllable(int index) {
    if (index < 0 || index >= IME_MAX_SYLLABLES) return;
    // Double pinyin types a syllable with its scheme keys, the other schemes with its letters.
    const char(&keys)[IME_SYLLABLE_BYTES] = ime_mode == 1 ? c_->spy[index] : c_->rpy[index];
    position_ = std::min<int>(position_ + static_cast<int>(syllable(keys).size()), end_);
    while (position_ < end_ && c_->inbuf[position_] == kSeparator) ++position_;
  }
  int position() const { return position_; }

 private:
  const ime_conversation_t* c_;
  int end_;
  int position_ = 0;
};

}  // namespace

std::optional<std::string> ime_marked_buffer(const ime_conversation_t* c) {
  if (c == nullptr || c->inoff == 0 || c->outlen == 0) return std::nullopt;
  ime_bounded_text_t text(IME_PAGE_TEXT_BYTES);
  if (in_mode(c, IME_MODE_I | IME_MODE_D | IME_MODE_U | IME_MODE_V) || code_table_shows_keys() ||
      c->buildmode == 2 || ime_convs_remaining_syllables(c) == 0 || first_segment_is_outside(c)) {
    text.append(output_text(c));
    return text.take();
  }
  // The chosen hanzi lead the output text, up to its first printable ASCII byte.
  std::string_view output = output_text(c);
  std::size_t chosen = 0;
  while (chosen < output.size() && !(output[chosen] >= 0x20 && output[chosen] <= 0x7E)) ++chosen;
  text.append(output.substr(0, chosen));

  int last = ime_convs_syllable_count(c) - 1;
  for (int i = c->pyoff; i <= last; ++i) {
    text.append(toned(syllable(c->py[i]), c->tones[i]));
    if (i < last) text.append("'");
  }
  if (in_mode(c, IME_MODE_ACCESSORY)) {
    text.append(" {");
    text.append(accessory_letters(c));
    text.append("}");
  }
  return text.take();
}

std::optional<std::string> ime_marked_buffer2(const ime_conversation_t* c, int* caret) {
  if (c == nullptr || caret == nullptr) return std::nullopt;
  bool separators = *caret != IME_MARKED_NO_SEPARATORS;
  ime_bounded_text_t text(IME_PAGE_TEXT_BYTES);
  int cursor = std::min<int>(c->curpos, std::min<int>(c->inoff, IME_MAX_KEYS));
  bool all_consumed = ime_convs_remaining_syllables(c) == 0;
  if (in_mode(c, IME_MODE_I | IME_MODE_U | IME_MODE_V) || code_table_shows_keys() ||
      c->buildmode == 2 || (c->curpos >= c->inoff && all_consumed && ime_convs_syllable_count(c) > 1) ||
      first_segment_is_outside(c)) {
    text.append(output_text(c));
    *caret = c->curpos;
    return text.take();
  }

  KeyWalk walk(c);
  int consumed = 0;
  for (int s = 0; s < std::min<int>(c->nseg, IME_MAX_SEGMENTS); ++s) {
    const ime_query_result_t& segment = c->segs[s];
    text.append(segment_text(c, segment));
    int covers = segment.type == IME_RESULT_DICT_WORD ? segment.rplen : segment.plen;
    for (int k = 0; k < covers; ++k) walk.over_syllable(consumed++);
  }

  bool d_mode = in_mode(c, IME_MODE_D);
  if (!d_mode) {
    int last = ime_convs_syllable_count(c) - 1;
    bool wrote_separator = false;
    for (int i = c->pyoff; i <= last; ++i) {
      std::string_view spelling = ime_mode == 0 ? syllable(c->rpy[i]) : syllable(c->py[i]);
      text.append(toned(spelling, c->tones[i]));
      wrote_separator = separators;
      if (separators) text.append("'");
      walk.over_syllable(i);
    }
    bool keys_end_with_separator = c->inoff > 0 && c->inoff <= IME_MAX_KEYS &&
                                   c->inbuf[c->inoff - 1] == kSeparator;
    if (wrote_separator && !keys_end_with_separator) text.drop_last(kSeparator);
    if (in_mode(c, IME_MODE_ACCESSORY)) {
      text.append(" {");
      text.append(accessory_letters(c));
      text.append("}");
    }
  }
  int walked = walk.position();
  if ((ime_mode == 0 || d_mode) && walked < cursor) {
    text.append(std::string_view(c->inbuf + walked, cursor - walked));
  }
  *caret = text.str().empty() ? c->curpos : static_cast<int>(utf16_length(text.str()));
  int rest_from = std::max(cursor, walked);
  int end = std::min<int>(c->inoff, IME_MAX_KEYS);
  if (rest_from < end) text.append(std::string_view(c->inbuf + rest_from, end - rest_from));
  return text.take();
}

int ime_clear_mark(ime_conversation_t* conversation) {
  if (conversation == nullptr) return 0;
  std::size_t length = std::min<std::size_t>(conversation->outlen, IME_OUTPUT_BYTES);
  std::uint8_t* end = std::remove(conversation->outbuf, conversation->outbuf + length,
                                  static_cast<std::uint8_t>(kSeparator));
  std::size_t kept = static_cast<std::size_t>(end - conversation->outbuf);
  if (kept < IME_OUTPUT_BYTES) conversation->outbuf[kept] = '\0';
  conversation->outlen = static_cast<std::uint16_t>(kept);
  return 0;
}
