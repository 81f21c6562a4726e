// Terminal byte sequences to keys; a template so that tests can feed bytes from a string.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace kep_terminal {
namespace detail {

// The key an escape sequence's body ("[C", "[5~", "OP", ...) stands for; "" when unknown.
std::string escape_sequence_name(const std::string& body);
// Bytes a UTF-8 sequence led by `lead` has; 0 for a byte that cannot lead one.
std::size_t utf8_length(unsigned char lead);

}  // namespace detail

template <typename ByteSource>
std::optional<TerminalKey> decode_key(ByteSource&& next_byte) {
  constexpr int kSequenceWaitMs = 30;
  for (;;) {
    std::optional<unsigned char> byte = next_byte(-1);
    if (!byte || *byte == 0x04) return std::nullopt;  // Ctrl-D
    switch (*byte) {
      case 0x1B: {
        std::optional<unsigned char> next = next_byte(kSequenceWaitMs);
        if (!next) return TerminalKey{"esc", {}};
        if (*next != '[' && *next != 'O') continue;
        std::string body(1, static_cast<char>(*next));
        while (std::optional<unsigned char> part = next_byte(kSequenceWaitMs)) {
          body += static_cast<char>(*part);
          if (body.size() > 1 && *part >= 0x40 && *part <= 0x7E) break;  // final byte
          if (body.size() > 16) break;
        }
        std::string name = detail::escape_sequence_name(body);
        if (name.empty()) continue;
        return TerminalKey{std::move(name), {}};
      }
      case 0x7F:
      case 0x08:
        return TerminalKey{"bs", {}};
      case '\r':
      case '\n':
        return TerminalKey{"ret", {}};
      case '\t':
        return TerminalKey{"tab", {}};
      case ' ':
        return TerminalKey{"space", {}};
      case 0x14:
        return TerminalKey{"ctrl-t", {}};
      default:
        break;
    }
    if (*byte >= 33 && *byte <= 126) return TerminalKey{{}, std::string(1, static_cast<char>(*byte))};
    const std::size_t length = detail::utf8_length(*byte);
    if (length < 2) continue;  // control characters and stray continuation bytes
    std::string text(1, static_cast<char>(*byte));
    while (text.size() < length) {
      std::optional<unsigned char> part = next_byte(kSequenceWaitMs);
      if (!part || (*part & 0xC0) != 0x80) break;
      text += static_cast<char>(*part);
    }
    if (text.size() == length) return TerminalKey{{}, std::move(text)};
  }
}

}  // namespace kep_terminal
