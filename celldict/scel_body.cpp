#include "scel_body.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "CoreSource/base/imelog.h"
#include "CoreSource/dict/dictfmt.h"
#include "dictbuilder.h"
#include "platform/text.h"
#include "progress_reporter.h"
#include "scel_format.h"
#include "scel_text.h"

namespace scel {

namespace {

namespace text = platform::text;

constexpr std::size_t kSyllableIndexes = 1u << 16;

// Reads from the file, never past the size it had when opened: every length is compared with
// what is left before anything is allocated or read for it.
class BoundedInput {
 public:
  BoundedInput(std::FILE* file, std::uint64_t size) : file_(file), size_(size) {
    long at = std::ftell(file);
    position_ = at < 0 ? size : static_cast<std::uint64_t>(at);
  }

  std::uint64_t left() const { return position_ < size_ ? size_ - position_ : 0; }
  unsigned long long position() const { return position_; }

  bool read(void* into, std::size_t count) {
    if (count > left()) return false;
    if (count > 0 && std::fread(into, 1, count, file_) != count) {
      position_ = size_;  // the file shrank or failed: nothing more can be trusted
      return false;
    }
    position_ += count;
    return true;
  }
  bool read(std::string* into, std::size_t count) {
    if (count > left()) return false;
    into->resize(count);
    return read(into->data(), count);
  }
  bool u16(std::uint16_t* value) {
    unsigned char bytes[2];
    if (!read(bytes, sizeof bytes)) return false;
    *value = static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
    return true;
  }
  bool u32(std::uint32_t* value) {
    unsigned char bytes[4];
    if (!read(bytes, sizeof bytes)) return false;
    *value = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
             (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
    return true;
  }

 private:
  std::FILE* file_;
  std::uint64_t size_;
  std::uint64_t position_;
};

// A syllable becomes a word-list field and the builder's input: nothing but 1 to 6 letters.
bool is_syllable(std::string_view syllable) {
  if (syllable.empty() || syllable.size() > kMaxSyllableLetters) return false;
  for (char c : syllable) {
    if (c < 'a' || c > 'z') return false;
  }
  return true;
}

class BodyDecoder {
 public:
  BodyDecoder(std::FILE* in, std::uint64_t file_size, std::FILE* out, BodyCounts* counts,
              celldict::ProgressReporter* reporter, std::uint32_t word_count)
      : in_(in, file_size), out_(out), counts_(counts), reporter_(reporter),
        step_(std::max<std::uint32_t>(word_count / 100, 1)), syllables_(kSyllableIndexes),
        known_(kSyllableIndexes, false) {}

  bool run(std::uint32_t word_count) {
    if (!read_pinyin_table()) return false;
    while (counts_->words_read < word_count && !stop_asked()) {
      if (!read_group()) return false;
      if (reporter_ != nullptr && stop_asked()) break;
    }
    if (std::fflush(out_) != 0 || std::ferror(out_)) {
      IME_ERROR("Write the word list failed![%s]", std::strerror(errno));
      return false;
    }
    return true;
  }

 private:
  // The watcher's stop request (latched), or the process-wide flag when nobody watches.
  bool stop_asked() {
    if (reporter_ == nullptr) return stopFlag.load();
    if (!counts_->stopped) counts_->stopped = reporter_->isStopped();
    return counts_->stopped;
  }

  bool malformed(const char* what) {
    IME_ERROR("Read the cell dictionary failed: %s. at:0x%llx", what, in_.position());
    return false;
  }

  bool read_pinyin_table() {
    std::uint32_t count = 0;
    if (!in_.u32(&count)) return malformed("no pinyin table");
    if (count > in_.left() / kPinyinEntryHeadBytes) return malformed("more pinyin entries than the file holds");
    std::string units;
    for (std::uint32_t i = 0; i < count; ++i) {
      std::uint16_t index = 0;
      std::uint16_t length = 0;
      if (!in_.u16(&index) || !in_.u16(&length)) return malformed("pinyin table cut short");
      if (length > kMaxEntryBytes || length % 2 != 0) return malformed("pinyin entry of a bad length");
      if (!in_.read(&units, length)) return malformed("pinyin entry beyond the file");
      std::optional<std::string> syllable = text::to_utf8(units, text::Encoding::Utf16LE);
      if (!syllable || !is_syllable(*syllable)) {
        IME_ERROR("Invalid py at:0x%llx: not 1 to 6 letters a-z.", in_.position());
        return false;
      }
      syllables_[index] = std::move(*syllable);
      known_[index] = true;
    }
    return true;
  }

  bool read_group() {
    std::uint16_t words = 0;
    std::uint16_t list_bytes = 0;
    if (!in_.u16(&words) || !in_.u16(&list_bytes)) return malformed("word group cut short");
    if (list_bytes > kMaxSyllableListBytes || list_bytes % 2 != 0) {
      return malformed("syllable list of a bad length");
    }
    unsigned char list[kMaxSyllableListBytes];
    if (!in_.read(list, list_bytes)) return malformed("syllable list beyond the file");
    pinyin_.clear();
    syllable_count_ = list_bytes / 2u;
    for (std::size_t i = 0; i < syllable_count_; ++i) {
      const auto index = static_cast<std::uint16_t>(list[2 * i] | (list[2 * i + 1] << 8));
      if (!known_[index]) {
        IME_ERROR("Invalid py index 0x%x. at:0x%llx", index, in_.position());
        return false;
      }
      if (i > 0) pinyin_ += '\'';
      pinyin_ += syllables_[index];
    }
    if (words > in_.left() / kMinWordBytes) return malformed("more words than the file holds");
    for (std::uint16_t i = 0; i < words && !stop_asked(); ++i) {
      if (!read_word()) return false;
    }
    return true;
  }

  bool read_word() {
    std::uint16_t length = 0;
    if (!in_.u16(&length)) return malformed("word cut short");
    if (length > kMaxEntryBytes || length % 2 != 0) return malformed("word of a bad length");
    if (!in_.read(&word_, length)) return malformed("word beyond the file");
    if (length / 2u != syllable_count_) {
      IME_ERROR("Word of %u characters in a group of %zu syllables. at:0x%llx", length / 2u,
                syllable_count_, in_.position());
      return false;
    }
    unsigned char tail[kWordTailBytes];
    if (!in_.read(tail, sizeof tail)) return malformed("word cut short");
    ++counts_->words_read;
    if (has_word_list_separator(word_)) {
      IME_ERROR("Invalid word: it holds a blank, a line end or a zero. at:0x%llx", in_.position());
      return false;
    }
    if (pinyin_.empty() || word_.empty()) {
      IME_ERROR("Invalid converted the database value.");
      return false;
    }
    // A record holds two bytes per syllable: words outside the two-byte forms are left out.
    std::optional<std::string> gb = text::convert(word_, text::Encoding::Utf16LE, text::Encoding::Gb18030);
    if (!gb || gb->size() != word_.size() || !dictfmt::is_two_byte_gb18030(*gb)) {
      ++counts_->not_gbk;
      IME_DEBUG("Word left out, no two-byte GB18030 form. at:0x%llx", in_.position());
      return true;
    }
    return write_line(*gb, frequency_value(tail + kWordTailBytes - 4));
  }

  bool write_line(const std::string& gb, double frequency) {
    char number[32];
    std::snprintf(number, sizeof number, "%.0f", frequency);
    line_.clear();
    line_ += pinyin_;
    line_ += ' ';
    line_ += gb;
    line_ += ' ';
    line_.append(gb.size(), '*');
    line_ += ' ';
    line_ += number;
    line_ += ' ';
    line_.append(syllable_count_, ' ');
    line_ += '\n';
    if (std::fwrite(line_.data(), 1, line_.size(), out_) != line_.size()) {
      IME_ERROR("Write the word list failed![%s]", std::strerror(errno));
      return false;
    }
    ++counts_->words_written;
    if (reporter_ != nullptr && counts_->words_written % step_ == 0) {
      reporter_->setProgress(celldict::kProgressSetValue, counts_->words_written);
    }
    return true;
  }

  BoundedInput in_;
  std::FILE* out_;
  BodyCounts* counts_;
  celldict::ProgressReporter* reporter_;
  std::uint32_t step_;  // words between two reports
  std::vector<std::string> syllables_;  // by syllable index
  std::vector<bool> known_;
  std::string pinyin_;  // of the current group
  std::size_t syllable_count_ = 0;
  std::string word_;
  std::string line_;
};

}  // namespace

double frequency_value(const unsigned char bytes[4]) {
  const std::uint32_t bits = (static_cast<std::uint32_t>(bytes[0]) << 24) |
                             (static_cast<std::uint32_t>(bytes[1]) << 16) |
                             (static_cast<std::uint32_t>(bytes[2]) << 8) | bytes[3];
  float value = 0;
  static_assert(sizeof value == sizeof bits);
  std::memcpy(&value, &bits, sizeof value);
  constexpr double kLargest = std::numeric_limits<std::uint32_t>::max();
  if (!(value > 0)) return 0;  // NaN, negative and negative zero
  if (static_cast<double>(value) > kLargest) return kLargest;
  return value;
}

bool decode_body(std::FILE* in, std::uint64_t file_size, std::uint32_t word_count, std::FILE* out,
                 BodyCounts* counts, celldict::ProgressReporter* reporter) {
  BodyDecoder decoder(in, file_size, out, counts, reporter, word_count);
  return decoder.run(word_count);
}

}  // namespace scel
