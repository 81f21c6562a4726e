// A text that stands in for a fixed buffer: appends stop at its limit, cutting at a character
// boundary, and nothing is appended after a cut (so the text never resumes past a gap).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/text.h"

class ime_bounded_text_t {
 public:
  // `buffer_bytes` is the size of the buffer imitated, its NUL included.
  explicit ime_bounded_text_t(std::size_t buffer_bytes)
      : limit_(buffer_bytes > 0 ? buffer_bytes - 1 : 0) {}

  // Appends what fits of `utf8`; false when it was cut (or an earlier append was).
  bool append(std::string_view utf8) {
    if (cut_) return false;
    std::string_view kept = platform::text::utf8_prefix(utf8, room());
    text_.append(kept);
    cut_ = kept.size() != utf8.size();
    return !cut_;
  }
  // Removes a last byte equal to `byte`.
  void drop_last(char byte) {
    if (!text_.empty() && text_.back() == byte) text_.pop_back();
  }
  std::size_t room() const { return limit_ - text_.size(); }
  bool was_cut() const { return cut_; }
  const std::string& str() const { return text_; }
  std::string take() { return std::move(text_); }

 private:
  std::size_t limit_;
  std::string text_;
  bool cut_ = false;
};
