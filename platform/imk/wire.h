// What travels between an application and the input-method server. Messages are framed as
// message ports frame theirs (port_frame.h): the frame's id names the message below, its
// sequence number pairs an answer with its request. Both sides send requests; a request that
// wants an answer carries the "wants reply" flag and is answered by a reply frame with the
// same id and sequence number.
//
// Payloads are little-endian: integers of fixed width, texts as a u32 byte count and UTF-8
// bytes, ranges as two u64, rectangles as four IEEE doubles, a marked text's style as its
// underline in one byte (0 none, 1 single, 2 thick). Every answer starts with a
// status byte. A payload that does not parse, or leaves bytes over, is malformed and ends the
// connection; a text that is not UTF-8 is refused without ending it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/imk/input_method.h"

namespace platform::imk::wire {

enum class MessageId : std::int32_t {
  // Application → server. The context id (u32) comes first in all but Hello and
  // CreateContext.
  Hello = 1,              // path, bundle id, u8 width, u8 unicode (0 no, 1 yes, 2 unknown), u8 override
  CreateContext = 2,      // → u32 context (0: refused)
  DestroyContext = 3,
  Activate = 4,           // u8 caps lock
  Deactivate = 5,         // u8 reason, new input source
  KeyDown = 6,            // characters, u16 key code, u64 flags, u8 caps lock → u8 handled
  FlagsChanged = 7,       // u16 key code, u64 flags, u8 caps lock → u8 handled
  CommitComposition = 8,
  OriginalString = 9,     // → u8 present, text
  ComposedString = 10,    // → u8 present, text
  Menu = 11,              // → u32 count, items
  InvokeMenuItem = 12,    // i32 tag
  // Server → application, while the application waits for one of its answers. Context first.
  SetMarkedText = 101,    // text, selection, replacement, style (no answer)
  InsertText = 102,       // text, replacement (no answer)
  OverrideKeyboard = 103, // layout (no answer)
  SelectedRange = 110,    // → u8 present, range
  Substring = 111,        // range → u8 present, text
  LineRect = 112,         // u64 index → u8 present, rect
};

// First byte of every answer.
enum class Status : std::uint8_t {
  Ok = 0,
  // The request was understood but refused: a text that is not UTF-8, an unknown context,
  // a request out of turn.
  Refused = 1,
};

// Socket and owner-lock file names of a connection name in the runtime folder.
std::string socket_file_name(std::string_view connection_name);
std::string lock_file_name(std::string_view connection_name);

// Builds a payload.
class Writer {
 public:
  Writer& u8(std::uint8_t value);
  Writer& u16(std::uint16_t value);
  Writer& u32(std::uint32_t value);
  Writer& i32(std::int32_t value) { return u32(static_cast<std::uint32_t>(value)); }
  Writer& u64(std::uint64_t value);
  Writer& f64(double value);
  Writer& text(std::string_view value);
  Writer& range(Range value) { return u64(value.location).u64(value.length); }
  Writer& rect(const Rect& value) {
    return f64(value.x).f64(value.y).f64(value.width).f64(value.height);
  }
  Writer& marked_style(MarkedTextStyle value) {
    return u8(static_cast<std::uint8_t>(value.underline));
  }
  const std::string& bytes() const { return bytes_; }
  std::string take() { return std::move(bytes_); }

 private:
  std::string bytes_;
};

// Reads a payload; every read checks that the bytes are there. Once a read fails, all later
// reads fail too, so a caller may check once at the end.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool u8(std::uint8_t& value);
  bool u16(std::uint16_t& value);
  bool u32(std::uint32_t& value);
  bool i32(std::int32_t& value);
  bool u64(std::uint64_t& value);
  bool f64(double& value);
  // Reads a text of any bytes; one that is not UTF-8 is read all the same and remembered,
  // see invalid_text().
  bool text(std::string& value);
  bool range(Range& value) { return u64(value.location) && u64(value.length); }
  bool rect(Rect& value) {
    return f64(value.x) && f64(value.y) && f64(value.width) && f64(value.height);
  }
  // An underline the framework does not know is a failed read.
  bool marked_style(MarkedTextStyle& value);
  // Whether the whole payload was read without a failure.
  bool complete() const { return ok_ && bytes_.empty(); }
  bool ok() const { return ok_; }
  bool invalid_text() const { return invalid_text_; }

 private:
  bool take(std::size_t size, std::string_view& out);

  std::string_view bytes_;
  bool ok_ = true;
  bool invalid_text_ = false;
};

// The hello of a client.
void write_client_info(Writer& writer, const ClientInfo& info);
bool read_client_info(Reader& reader, ClientInfo& info);

void write_menu(Writer& writer, const std::vector<MenuItem>& items);
bool read_menu(Reader& reader, std::vector<MenuItem>& items);

}  // namespace platform::imk::wire
