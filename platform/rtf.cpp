#include "platform/rtf.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {
namespace {

constexpr std::size_t kMaxDepth = 256;
// Control words are at most 32 letters, parameters at most 10 digits; longer is not RTF.
constexpr std::size_t kMaxWordLength = 32;
constexpr std::size_t kMaxParameterDigits = 10;
constexpr int kDefaultCodePage = 1252;
constexpr char32_t kReplacement = 0xFFFD;

void append_utf8(std::string& out, char32_t ch) {
  if (ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) ch = kReplacement;
  if (ch < 0x80) {
    out += static_cast<char>(ch);
  } else if (ch < 0x800) {
    out += static_cast<char>(0xC0 | (ch >> 6));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else if (ch < 0x10000) {
    out += static_cast<char>(0xE0 | (ch >> 12));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (ch >> 18));
    out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  }
}

// Bytes of a Windows code page turned into UTF-8 through iconv; what the code page does not
// define, or a code page iconv does not know, becomes U+FFFD.
class CodePage {
 public:
  explicit CodePage(int number) { open(number); }
  ~CodePage() { close(); }
  CodePage(const CodePage&) = delete;
  CodePage& operator=(const CodePage&) = delete;

  void open(int number) {
    close();
    const std::string name = number == 936 ? "GBK" : "CP" + std::to_string(number);
    converter_ = ::iconv_open("UTF-8", name.c_str());
  }

  void decode(std::string_view bytes, std::string& out) {
    while (!bytes.empty()) {
      if (static_cast<unsigned char>(bytes.front()) < 0x80) {
        out += bytes.front();
        bytes.remove_prefix(1);
        continue;
      }
      if (converter_ == reinterpret_cast<iconv_t>(-1)) {
        append_utf8(out, kReplacement);
        bytes.remove_prefix(1);
        continue;
      }
      ::iconv(converter_, nullptr, nullptr, nullptr, nullptr);
      std::array<char, 256> buffer;
      char* in = const_cast<char*>(bytes.data());
      std::size_t in_left = bytes.size();
      char* to = buffer.data();
      std::size_t to_left = buffer.size();
      const std::size_t result = ::iconv(converter_, &in, &in_left, &to, &to_left);
      const int why = errno;
      out.append(buffer.data(), to - buffer.data());
      const std::size_t used = bytes.size() - in_left;
      bytes.remove_prefix(used);
      if (result != static_cast<std::size_t>(-1)) continue;
      if (why == E2BIG && used > 0) continue;
      // Not a character of the code page, or one cut short: replace its first byte.
      append_utf8(out, kReplacement);
      bytes.remove_prefix(1);
    }
  }

 private:
  void close() {
    if (converter_ != reinterpret_cast<iconv_t>(-1)) ::iconv_close(converter_);
    converter_ = reinterpret_cast<iconv_t>(-1);
  }
  iconv_t converter_ = reinterpret_cast<iconv_t>(-1);
};

bool is_letter(char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }
bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }

int hex_value(char ch) {
  if (is_digit(ch)) return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return -1;
}

// Destinations whose text is not part of the document's text.
bool is_skipped_destination(std::string_view word) {
  static constexpr std::string_view kSkipped[] = {
      "fonttbl", "colortbl", "stylesheet", "info",   "pict",    "header",    "headerl",
      "headerr", "headerf",  "footer",     "footerl", "footerr", "footerf",  "listtable",
      "listoverridetable",   "generator",  "fldinst",
  };
  for (std::string_view skipped : kSkipped) {
    if (word == skipped) return true;
  }
  return false;
}

// Control words that stand for a character.
char32_t character_of(std::string_view word) {
  static constexpr struct {
    std::string_view word;
    char32_t ch;
  } kCharacters[] = {
      {"par", U'\n'},       {"line", U'\n'},      {"sect", U'\n'},       {"page", U'\n'},
      {"tab", U'\t'},       {"bullet", 0x2022},   {"emdash", 0x2014},    {"endash", 0x2013},
      {"emspace", 0x2003},  {"enspace", 0x2002},  {"lquote", 0x2018},    {"rquote", 0x2019},
      {"ldblquote", 0x201C}, {"rdblquote", 0x201D},
  };
  for (const auto& entry : kCharacters) {
    if (word == entry.word) return entry.ch;
  }
  return 0;
}

class Reader {
 public:
  explicit Reader(std::string_view rtf) : rtf_(rtf), code_page_(kDefaultCodePage) {}

  std::optional<std::string> read() {
    while (position_ < rtf_.size()) {
      const char ch = rtf_[position_++];
      switch (ch) {
        case '{':
          if (finished_ || groups_.size() >= kMaxDepth) return std::nullopt;
          groups_.push_back(groups_.empty() ? Group{} : groups_.back());
          fallback_left_ = 0;
          break;
        case '}':
          if (groups_.empty()) return std::nullopt;
          flush_bytes();
          groups_.pop_back();
          fallback_left_ = 0;
          if (groups_.empty()) finished_ = true;
          break;
        case '\\':
          if (finished_ || !control()) return std::nullopt;
          break;
        case '\r':
        case '\n':
          break;
        default:
          if (finished_) {
            if (ch != ' ' && ch != '\t') return std::nullopt;
          } else {
            byte(ch);
          }
      }
    }
    if (!finished_) return std::nullopt;
    flush_bytes();
    return std::move(text_);
  }

 private:
  struct Group {
    bool skipped = false;
    int fallback_count = 1;
  };

  Group& group() { return groups_.back(); }

  // True when this character stands in for the \uN before it and is dropped.
  bool fallback() {
    if (fallback_left_ == 0) return false;
    --fallback_left_;
    return true;
  }

  void byte(char ch) {
    if (fallback() || group().skipped) return;
    bytes_ += ch;
  }

  void character(char32_t ch) {
    if (fallback() || group().skipped) return;
    flush_bytes();
    append_character(ch);
  }

  void append_character(char32_t ch) {
    if (high_surrogate_ != 0) {
      const char32_t high = high_surrogate_;
      high_surrogate_ = 0;
      if (ch >= 0xDC00 && ch <= 0xDFFF) {
        append_utf8(text_, 0x10000 + ((high - 0xD800) << 10) + (ch - 0xDC00));
        return;
      }
      append_utf8(text_, kReplacement);
    }
    if (ch >= 0xD800 && ch <= 0xDBFF) {
      high_surrogate_ = ch;
      return;
    }
    append_utf8(text_, ch);
  }

  void flush_bytes() {
    if (!bytes_.empty()) {
      if (high_surrogate_ != 0) {
        high_surrogate_ = 0;
        append_utf8(text_, kReplacement);
      }
      code_page_.decode(bytes_, text_);
      bytes_.clear();
    }
  }

  // After a backslash: a control symbol or a control word with its parameter.
  bool control() {
    if (position_ >= rtf_.size()) return false;
    const char first = rtf_[position_];
    if (!is_letter(first)) {
      ++position_;
      return symbol(first);
    }
    const std::size_t word_start = position_;
    while (position_ < rtf_.size() && is_letter(rtf_[position_])) {
      if (position_ - word_start >= kMaxWordLength) return false;
      ++position_;
    }
    const std::string_view word = rtf_.substr(word_start, position_ - word_start);
    std::optional<long long> parameter;
    const bool negative = position_ + 1 < rtf_.size() && rtf_[position_] == '-' && is_digit(rtf_[position_ + 1]);
    if (negative) ++position_;
    const std::size_t digits_start = position_;
    while (position_ < rtf_.size() && is_digit(rtf_[position_])) {
      if (position_ - digits_start >= kMaxParameterDigits) return false;
      ++position_;
    }
    if (position_ > digits_start) {
      long long value = 0;
      for (std::size_t i = digits_start; i < position_; ++i) value = value * 10 + (rtf_[i] - '0');
      parameter = negative ? -value : value;
    }
    if (position_ < rtf_.size() && rtf_[position_] == ' ') ++position_;
    return control_word(word, parameter);
  }

  bool symbol(char ch) {
    switch (ch) {
      case '\\':
      case '{':
      case '}':
        byte(ch);
        return true;
      case '~':
        character(0x00A0);
        return true;
      case '_':
        character(0x2011);
        return true;
      case '-':
        fallback();
        return true;
      case '*':
        group().skipped = true;
        return true;
      case '\r':
      case '\n':
        character(U'\n');
        return true;
      case '\'': {
        if (position_ + 2 > rtf_.size()) return false;
        const int high = hex_value(rtf_[position_]);
        const int low = hex_value(rtf_[position_ + 1]);
        if (high < 0 || low < 0) return false;
        position_ += 2;
        byte(static_cast<char>(high * 16 + low));
        return true;
      }
      default:
        // Other symbols (formula characters, index subentries) carry no text.
        fallback();
        return true;
    }
  }

  bool control_word(std::string_view word, std::optional<long long> parameter) {
    if (word == "bin") {
      // Raw bytes follow; they may hold braces and backslashes of their own.
      const long long length = parameter.value_or(0);
      if (length < 0 || static_cast<unsigned long long>(length) > rtf_.size() - position_) return false;
      position_ += static_cast<std::size_t>(length);
      fallback();
      return true;
    }
    if (word == "u" && parameter) {
      if (fallback() || group().skipped) return true;
      long long value = *parameter;
      if (value < 0) value += 65536;
      flush_bytes();
      append_character(value >= 0 && value <= 0xFFFF ? static_cast<char32_t>(value) : kReplacement);
      fallback_left_ = group().fallback_count;
      return true;
    }
    if (word == "uc") {
      group().fallback_count = static_cast<int>(std::clamp(parameter.value_or(1), 0LL, 255LL));
      return true;
    }
    if (word == "ansicpg" && parameter && *parameter > 0 && *parameter < 100000) {
      flush_bytes();
      code_page_.open(static_cast<int>(*parameter));
      return true;
    }
    if (is_skipped_destination(word)) {
      group().skipped = true;
      return true;
    }
    if (const char32_t ch = character_of(word)) {
      character(ch);
      return true;
    }
    fallback();
    return true;
  }

  std::string_view rtf_;
  std::size_t position_ = 0;
  std::vector<Group> groups_;
  bool finished_ = false;
  CodePage code_page_;
  // Code page bytes not yet decoded, so that a character of several \'hh decodes whole.
  std::string bytes_;
  char32_t high_surrogate_ = 0;
  int fallback_left_ = 0;
  std::string text_;
};

}  // namespace

std::optional<std::string> rtf_plain_text(std::string_view rtf) {
  if (!rtf.starts_with("{\\rtf")) return std::nullopt;
  return Reader(rtf).read();
}

}  // namespace platform
