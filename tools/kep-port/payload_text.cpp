#include "payload_text.h"

#include <cstdio>

#include "platform/plist.h"
#include "platform/text.h"

namespace kep_port {
namespace {

void append_escaped_byte(std::string& out, unsigned char byte) {
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
  out += escaped;
}

// Printable UTF-8 stays; other bytes are escaped. In a property list's XML the line layout
// stays and 0x01 becomes '|'.
std::string escape(std::string_view bytes, bool property_list) {
  std::string out;
  for (std::size_t at = 0; at < bytes.size();) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte >= 0x80) {
      std::size_t length = platform::text::utf8_sequence_length(byte);
      if (length > 1 && at + length <= bytes.size() &&
          platform::text::is_valid_utf8(bytes.substr(at, length))) {
        out.append(bytes.substr(at, length));
        at += length;
      } else {
        append_escaped_byte(out, byte);
        ++at;
      }
      continue;
    }
    if (property_list && (byte == '\n' || byte == '\t')) {
      out += static_cast<char>(byte);
    } else if (property_list && byte == 0x01) {
      out += '|';
    } else if (byte == '\\' && !property_list) {
      out += "\\\\";
    } else if (byte == '\n') {
      out += "\\n";
    } else if (byte < 0x20 || byte == 0x7f) {
      append_escaped_byte(out, byte);
    } else {
      out += static_cast<char>(byte);
    }
    ++at;
  }
  return out;
}

}  // namespace

std::string payload_text(std::string_view payload) {
  std::string xml;
  if (payload.starts_with("<?xml") || payload.starts_with("<plist")) {
    xml = payload;  // shown as sent, even where a parser would balk at its control bytes
  } else if (payload.starts_with("bplist00")) {
    if (auto value = platform::plist::parse(payload)) xml = platform::plist::to_xml(*value);
  }
  if (xml.empty()) return escape(payload, false);
  while (xml.back() == '\n') xml.pop_back();
  return escape(xml, true);
}

}  // namespace kep_port
