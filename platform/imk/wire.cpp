#include "platform/imk/wire.h"

#include <bit>

#include "platform/text.h"

namespace platform::imk::wire {
namespace {

enum class Unicode : std::uint8_t { No = 0, Yes = 1, Unknown = 2 };

template <typename T>
void append_little_endian(std::string& out, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    out.push_back(static_cast<char>(static_cast<std::uint64_t>(value) >> (8 * i)));
  }
}

template <typename T>
T read_little_endian(std::string_view bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
  }
  return static_cast<T>(value);
}

}  // namespace

std::string socket_file_name(std::string_view connection_name) {
  return std::string(connection_name) + ".imk";
}

std::string lock_file_name(std::string_view connection_name) {
  return std::string(connection_name) + ".imk.lock";
}

Writer& Writer::u8(std::uint8_t value) {
  bytes_.push_back(static_cast<char>(value));
  return *this;
}

Writer& Writer::u16(std::uint16_t value) {
  append_little_endian(bytes_, value);
  return *this;
}

Writer& Writer::u32(std::uint32_t value) {
  append_little_endian(bytes_, value);
  return *this;
}

Writer& Writer::u64(std::uint64_t value) {
  append_little_endian(bytes_, value);
  return *this;
}

Writer& Writer::f64(double value) { return u64(std::bit_cast<std::uint64_t>(value)); }

Writer& Writer::text(std::string_view value) {
  u32(static_cast<std::uint32_t>(value.size()));
  bytes_.append(value);
  return *this;
}

bool Reader::take(std::size_t size, std::string_view& out) {
  if (!ok_ || bytes_.size() < size) {
    ok_ = false;
    return false;
  }
  out = bytes_.substr(0, size);
  bytes_.remove_prefix(size);
  return true;
}

bool Reader::u8(std::uint8_t& value) {
  std::string_view bytes;
  if (!take(1, bytes)) return false;
  value = static_cast<std::uint8_t>(bytes[0]);
  return true;
}

bool Reader::u16(std::uint16_t& value) {
  std::string_view bytes;
  if (!take(2, bytes)) return false;
  value = read_little_endian<std::uint16_t>(bytes);
  return true;
}

bool Reader::u32(std::uint32_t& value) {
  std::string_view bytes;
  if (!take(4, bytes)) return false;
  value = read_little_endian<std::uint32_t>(bytes);
  return true;
}

bool Reader::i32(std::int32_t& value) {
  std::uint32_t raw = 0;
  if (!u32(raw)) return false;
  value = static_cast<std::int32_t>(raw);
  return true;
}

bool Reader::u64(std::uint64_t& value) {
  std::string_view bytes;
  if (!take(8, bytes)) return false;
  value = read_little_endian<std::uint64_t>(bytes);
  return true;
}

bool Reader::f64(double& value) {
  std::uint64_t raw = 0;
  if (!u64(raw)) return false;
  value = std::bit_cast<double>(raw);
  return true;
}

bool Reader::text(std::string& value) {
  std::uint32_t size = 0;
  std::string_view bytes;
  if (!u32(size) || !take(size, bytes)) return false;
  if (!text::is_valid_utf8(bytes)) invalid_text_ = true;
  value.assign(bytes);
  return true;
}

bool Reader::marked_style(MarkedTextStyle& value) {
  std::uint8_t underline = 0;
  if (!u8(underline)) return false;
  if (underline > static_cast<std::uint8_t>(Underline::Thick)) {
    ok_ = false;
    return false;
  }
  value.underline = static_cast<Underline>(underline);
  return true;
}

void write_client_info(Writer& writer, const ClientInfo& info) {
  Unicode unicode = !info.supports_unicode ? Unicode::Unknown
                    : *info.supports_unicode ? Unicode::Yes
                                             : Unicode::No;
  writer.text(info.application_path)
      .text(info.bundle_identifier)
      .u8(static_cast<std::uint8_t>(info.word_width))
      .u8(static_cast<std::uint8_t>(unicode))
      .u8(info.can_override_keyboard ? 1 : 0);
}

bool read_client_info(Reader& reader, ClientInfo& info) {
  std::uint8_t width = 0, unicode = 0, override_keyboard = 0;
  if (!reader.text(info.application_path) || !reader.text(info.bundle_identifier) ||
      !reader.u8(width) || !reader.u8(unicode) || !reader.u8(override_keyboard)) {
    return false;
  }
  if ((width != 32 && width != 64) || unicode > static_cast<std::uint8_t>(Unicode::Unknown) ||
      override_keyboard > 1) {
    return false;
  }
  info.word_width = width;
  info.supports_unicode.reset();
  if (unicode != static_cast<std::uint8_t>(Unicode::Unknown)) {
    info.supports_unicode = unicode == static_cast<std::uint8_t>(Unicode::Yes);
  }
  info.can_override_keyboard = override_keyboard == 1;
  return true;
}

void write_menu(Writer& writer, const std::vector<MenuItem>& items) {
  writer.u32(static_cast<std::uint32_t>(items.size()));
  for (const MenuItem& item : items) {
    writer.i32(item.tag)
        .text(item.title)
        .i32(item.state)
        .text(item.key_equivalent)
        .u64(item.key_modifiers)
        .u8(item.enabled ? 1 : 0)
        .u8(item.separator ? 1 : 0);
  }
}

bool read_menu(Reader& reader, std::vector<MenuItem>& items) {
  std::uint32_t count = 0;
  if (!reader.u32(count)) return false;
  items.clear();
  // Nothing is reserved for the count: a count the payload cannot hold fails at the first
  // item that is missing.
  for (std::uint32_t i = 0; i < count; ++i) {
    MenuItem item;
    std::uint8_t enabled = 0, separator = 0;
    if (!reader.i32(item.tag) || !reader.text(item.title) || !reader.i32(item.state) ||
        !reader.text(item.key_equivalent) || !reader.u64(item.key_modifiers) ||
        !reader.u8(enabled) || !reader.u8(separator) || enabled > 1 || separator > 1) {
      return false;
    }
    item.enabled = enabled == 1;
    item.separator = separator == 1;
    items.push_back(std::move(item));
  }
  return true;
}

}  // namespace platform::imk::wire
