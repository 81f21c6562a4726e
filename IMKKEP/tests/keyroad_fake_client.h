// A client application for the key road's tests: one document whose text, caret and marked
// text change as a real client's would, with every marked-text and insert call recorded with
// its ranges, and queries answered from the document (or not at all).
#pragma once

#include <unistd.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/imk/input_method.h"
#include "platform/text.h"

namespace keyroad_test {

using platform::imk::Range;

struct MarkCall {
  std::string text;
  Range selection;
  Range replacement;
  platform::imk::MarkedTextStyle style;
};

struct InsertCall {
  std::string text;
  Range replacement;
};

class FakeClient : public platform::imk::Client {
 public:
  explicit FakeClient(int word_width = 64) { info_.word_width = word_width; }

  const platform::imk::ClientInfo& info() const override { return info_; }
  pid_t process_id() const override { return getpid(); }
  bool caps_lock_on() const override { return caps_lock; }
  void override_keyboard(std::string_view layout) override { keyboard = std::string(layout); }

  void set_marked_text(std::string_view text, Range selection, Range replacement,
                       platform::imk::MarkedTextStyle style) override {
    marks.push_back({std::string(text), selection, replacement, style});
    const std::u16string units = utf16(text);
    const Range target = replaced(replacement);
    replace(target, units);
    marked_length_ = units.size();
    marked_start_ = target.location;
    caret_ = target.location + (selection.location == not_found()
                                    ? units.size()
                                    : std::min<std::uint64_t>(selection.location, units.size()));
  }

  void insert_text(std::string_view text, Range replacement) override {
    if (fail_next_insert) {
      fail_next_insert = false;
      throw std::runtime_error("the application went away");
    }
    inserts.push_back({std::string(text), replacement});
    const std::u16string units = utf16(text);
    const Range target = replaced(replacement);
    replace(target, units);
    marked_length_ = 0;
    caret_ = target.location + units.size();
  }

  std::optional<Range> selected_range() override {
    ++queries;
    if (!answers_queries) return std::nullopt;
    return Range{caret_, 0};
  }

  std::optional<std::string> substring(Range range) override {
    ++queries;
    substring_requests.push_back(range);
    if (!answers_queries || range.location > document_.size() ||
        range.length > document_.size() - range.location) {
      return std::nullopt;
    }
    return utf8(document_.substr(range.location, range.length));
  }

  std::optional<platform::imk::Rect> line_rect(std::uint64_t /*index*/) override {
    if (!answers_queries) return std::nullopt;
    return platform::imk::Rect{100, 200, 0, 16};
  }

  // The document as text, and what the client shows as marked text ("" when none).
  std::string document() const { return utf8(document_); }
  std::string marked() const {
    return utf8(document_.substr(marked_start_, marked_length_));
  }
  std::uint64_t caret() const { return caret_; }
  // Every inserted text, in order.
  std::vector<std::string> inserted() const {
    std::vector<std::string> texts;
    for (const InsertCall& call : inserts) texts.push_back(call.text);
    return texts;
  }

  platform::imk::ClientInfo info_;
  bool caps_lock = false;
  bool answers_queries = true;
  bool fail_next_insert = false;
  int queries = 0;
  std::string keyboard;
  std::vector<MarkCall> marks;
  std::vector<InsertCall> inserts;
  std::vector<Range> substring_requests;

 private:
  static std::u16string utf16(std::string_view text) {
    const std::optional<std::string> bytes =
        platform::text::from_utf8(text, platform::text::Encoding::Utf16LE);
    if (!bytes) throw std::invalid_argument("the server sent text that is not UTF-8");
    std::u16string units(bytes->size() / 2, u'\0');
    std::memcpy(units.data(), bytes->data(), units.size() * 2);
    return units;
  }
  static std::string utf8(const std::u16string& units) {
    const std::string bytes(reinterpret_cast<const char*>(units.data()), units.size() * 2);
    return platform::text::to_utf8(bytes, platform::text::Encoding::Utf16LE).value_or("?");
  }
  // Where a call's text goes: the range given, else the marked text, else the caret.
  Range replaced(Range replacement) const {
    if (replacement.location != not_found()) {
      const std::uint64_t at = std::min<std::uint64_t>(replacement.location, document_.size());
      return {at, std::min<std::uint64_t>(replacement.length, document_.size() - at)};
    }
    if (marked_length_ > 0) return {marked_start_, marked_length_};
    return {caret_, 0};
  }
  void replace(Range range, const std::u16string& units) {
    document_.replace(range.location, range.length, units);
  }

  std::u16string document_;
  std::uint64_t caret_ = 0;
  std::uint64_t marked_start_ = 0;
  std::uint64_t marked_length_ = 0;
};

}  // namespace keyroad_test
