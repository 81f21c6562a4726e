#include "platform/imk/context_client.h"

#include <cstdio>

#include "platform/imk/server_connection.h"
#include "platform/imk/wire.h"
#include "platform/text.h"

namespace platform::imk {
namespace {

using wire::MessageId;

// A text the server would send that is not UTF-8 is dropped here, as the other direction is
// refused at the server: the application never receives bytes it cannot decode.
bool sendable(std::string_view text, const char* what) {
  if (text::is_valid_utf8(text)) return true;
  std::fprintf(stderr, "input method: %s that is not UTF-8 not sent\n", what);
  return false;
}

// An answer's "present" byte and the value after it; nullopt for "none" and for an answer
// that does not parse, or whose text is not UTF-8.
template <typename T, typename ReadValue>
std::optional<T> read_answer(const std::optional<std::string>& answer, ReadValue read_value) {
  if (!answer) return std::nullopt;
  wire::Reader reader(*answer);
  std::uint8_t present = 0;
  if (!reader.u8(present) || present != 1) return std::nullopt;
  T value{};
  if (!read_value(reader, value) || !reader.complete() || reader.invalid_text()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

const ClientInfo& ContextClient::info() const { return connection_.info(); }

pid_t ContextClient::process_id() const { return connection_.peer(); }

void ContextClient::set_marked_text(std::string_view text, Range selection, Range replacement,
                                    MarkedTextStyle style) {
  if (!sendable(text, "marked text")) return;
  wire::Writer writer;
  writer.u32(context_).text(text).range(selection).range(replacement).marked_style(style);
  connection_.notify(MessageId::SetMarkedText, writer.take());
}

void ContextClient::insert_text(std::string_view text, Range replacement) {
  if (!sendable(text, "inserted text")) return;
  wire::Writer writer;
  writer.u32(context_).text(text).range(replacement);
  connection_.notify(MessageId::InsertText, writer.take());
}

std::optional<Range> ContextClient::selected_range() {
  wire::Writer writer;
  writer.u32(context_);
  return read_answer<Range>(connection_.ask(MessageId::SelectedRange, writer.take()),
                            [](wire::Reader& reader, Range& range) { return reader.range(range); });
}

std::optional<std::string> ContextClient::substring(Range range) {
  wire::Writer writer;
  writer.u32(context_).range(range);
  return read_answer<std::string>(
      connection_.ask(MessageId::Substring, writer.take()),
      [](wire::Reader& reader, std::string& text) { return reader.text(text); });
}

std::optional<Rect> ContextClient::line_rect(std::uint64_t index) {
  wire::Writer writer;
  writer.u32(context_).u64(index);
  return read_answer<Rect>(connection_.ask(MessageId::LineRect, writer.take()),
                           [](wire::Reader& reader, Rect& rect) { return reader.rect(rect); });
}

void ContextClient::override_keyboard(std::string_view layout) {
  if (!info().can_override_keyboard || !sendable(layout, "keyboard layout")) return;
  wire::Writer writer;
  writer.u32(context_).text(layout);
  connection_.notify(MessageId::OverrideKeyboard, writer.take());
}

}  // namespace platform::imk
