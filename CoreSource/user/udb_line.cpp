#include "user/udb_line.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "dict/dictfmt.h"
#include "platform/text.h"

namespace {

// Reads fields left to right, refusing any read past the end of the line.
class FieldReader {
 public:
  explicit FieldReader(std::string_view line) : line_(line) {}

  std::optional<std::string_view> take(std::size_t n) {
    if (line_.size() - at_ < n) return std::nullopt;
    std::string_view field = line_.substr(at_, n);
    at_ += n;
    return field;
  }

  // n decimal digits as a number.
  std::optional<std::int64_t> number(std::size_t n) {
    std::optional<std::string_view> field = take(n);
    if (!field) return std::nullopt;
    std::int64_t value = 0;
    for (char c : *field) {
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + (c - '0');
    }
    return value;
  }

  std::optional<std::uint32_t> hex(std::size_t n) {
    std::optional<std::string_view> field = take(n);
    if (!field) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : *field) {
      int digit = hex_digit(c);
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
  }

  std::optional<char> peek() const {
    if (at_ >= line_.size()) return std::nullopt;
    return line_[at_];
  }

  static int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

 private:
  std::string_view line_;
  std::size_t at_ = 0;
};

bool text_length_fits(int length, int syllables) {
  return length >= IME_UDB_MIN_TEXT && length <= IME_UDB_TEXT_PER_SYLLABLE * syllables;
}

void copy_field(char* target, std::string_view field) {
  std::memcpy(target, field.data(), field.size());
  target[field.size()] = '\0';
}

}  // namespace

bool ime_udb_showable_text(std::string_view text) {
  if (!platform::text::is_valid_utf8(text)) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) return false;
    // U+0080..U+009F, the C1 controls (CSI among them), are C2 80..C2 9F.
    if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F) return false;
  }
  return true;
}

bool ime_udb_code_bytes(std::string_view codes) {
  for (char c : codes) {
    if (c <= 0x20 || c >= 0x7F) return false;
  }
  return true;
}

std::string ime_udb_fold_key(std::string_view initials) { return dictfmt::folded_key(initials); }

std::optional<UdbLine> ime_udb_parse_line(std::string_view line, std::string* why) {
  auto refuse = [&](std::string reason) {
    if (why != nullptr) *why = std::move(reason);
    return std::nullopt;
  };
  if (line.size() > IME_UDB_LINE_MAX) return refuse("Line too long [" + std::to_string(line.size()) + "].");
  if (line.find('\0') != std::string_view::npos) return refuse("A NUL byte in the line.");
  FieldReader reader(line);
  std::optional<std::int64_t> syllables = reader.number(2);
  if (!syllables) return refuse("Invalid line [" + std::string(line) + "]");
  const int count = static_cast<int>(*syllables);
  if (count < IME_UDB_MIN_SYLLABLES || count > IME_UDB_MAX_SYLLABLES) {
    return refuse("Invalid phrase length:" + std::to_string(count) + ".");
  }
  const std::size_t n = static_cast<std::size_t>(count);
  std::optional<std::string_view> key = reader.take(n);
  std::optional<std::string_view> initials = reader.take(n);
  std::optional<std::string_view> finals = reader.take(n);
  std::optional<std::string_view> tones = reader.take(n);
  std::optional<std::int64_t> text_length = reader.number(2);
  std::optional<std::int64_t> text2_length = reader.number(2);
  if (!key || !initials || !finals || !tones || !text_length || !text2_length) {
    return refuse("Invalid line [" + std::string(line) + "]");
  }
  const int hz = static_cast<int>(*text_length);
  const int thz = static_cast<int>(*text2_length);
  if (!text_length_fits(hz, count) || !text_length_fits(thz, count)) {
    return refuse("Invalid hz length! [" + std::to_string(hz) + "," + std::to_string(thz) + "]");
  }
  std::optional<std::string_view> text = reader.take(static_cast<std::size_t>(hz));
  std::optional<std::string_view> text2 = reader.take(static_cast<std::size_t>(thz));
  if (!text || !text2) return refuse("Invalid line [" + std::string(line) + "]");
  // Quoting the line itself would carry its bad bytes into the log.
  if (!ime_udb_code_bytes(*key) || !ime_udb_code_bytes(*initials) || !ime_udb_code_bytes(*finals)) {
    return refuse("Syllable codes that are not printable; line skipped.");
  }
  if (!ime_udb_showable_text(*text) || !ime_udb_showable_text(*text2)) {
    return refuse("A text that is not UTF-8 or holds control bytes; line skipped.");
  }

  UdbLine parsed;
  parsed.key = std::string(*key);
  UDBItem& item = parsed.item;
  std::memset(&item, 0, sizeof item);
  for (std::size_t j = 0; j < n; ++j) {
    int mask = FieldReader::hex_digit((*tones)[j]);
    if (mask < 0) return refuse("Invalid tone digit in [" + std::string(line) + "]");
    item.tones[j] = static_cast<std::uint8_t>(mask);
  }

  std::optional<char> mark = reader.peek();
  if (mark == 'x') {
    reader.take(1);
    std::optional<std::uint32_t> freq = reader.hex(8);
    if (!freq) return refuse("Invalid line [" + std::string(line) + "]");
    item.freq = *freq & 0x7FFFFFFFu;  // bit 31 is never part of a frequency
  } else {
    std::optional<std::int64_t> klass = reader.number(3);
    if (!klass) return refuse("Invalid line [" + std::string(line) + "]");
    item.freq = static_cast<std::uint32_t>(*klass > 0x7F ? 0x7F : *klass) << 24;
  }

  if (reader.peek() == ';') {
    item.used = 0;
    item.time = 0;
  } else {
    std::optional<std::int64_t> used = reader.number(3);
    std::optional<std::int64_t> time = reader.number(10);
    std::optional<std::string_view> end = reader.take(1);
    if (!used || !time || !end || *end != ";") return refuse("Invalid line [" + std::string(line) + "]");
    item.used = static_cast<std::uint8_t>(*used < 1 ? 1 : (*used > 255 ? 255 : *used));
    item.time = *time;
  }

  copy_field(item.initials, *initials);
  copy_field(item.finals, *finals);
  copy_field(item.text, *text);
  copy_field(item.text2, *text2);
  item.syllables = static_cast<std::uint8_t>(count);
  item.text_length = static_cast<std::uint8_t>(hz);
  item.text2_length = static_cast<std::uint8_t>(thz);
  return parsed;
}

std::string ime_udb_format_line(std::string_view key, const UDBItem& item) {
  const int count = item.syllables;
  if (count < IME_UDB_MIN_SYLLABLES || count > IME_UDB_MAX_SYLLABLES || key.size() != item.syllables ||
      !text_length_fits(item.text_length, count) || !text_length_fits(item.text2_length, count)) {
    return {};
  }
  const std::size_t n = item.syllables;
  std::string line;
  char head[8];
  std::snprintf(head, sizeof head, "%02d", count);
  line += head;
  line.append(key);
  line.append(item.initials, n);
  line.append(item.finals, n);
  for (std::size_t j = 0; j < n; ++j) line.push_back("0123456789abcdef"[item.tones[j] & 0x0F]);
  std::snprintf(head, sizeof head, "%02d%02d", item.text_length, item.text2_length);
  line += head;
  line.append(item.text, item.text_length);
  line.append(item.text2, item.text2_length);
  const int used = item.used > IME_UDB_USED_WRITTEN_MAX ? IME_UDB_USED_WRITTEN_MAX : item.used;
  // Ten digits hold every time up to the year 2286; the field must never grow.
  const std::int64_t time = item.time < 0 ? 0 : (item.time > 9999999999LL ? 9999999999LL : item.time);
  char tail[48];
  std::snprintf(tail, sizeof tail, "x%08x%03d%010" PRId64 ";\n", item.freq & 0x7FFFFFFFu, used, time);
  line += tail;
  return line;
}
