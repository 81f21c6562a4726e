// How `kep-port serve` shows a message's payload: a property list as its XML, with the byte
// 0x01 that joins candidate lists shown as '|'; any other payload as text with the bytes that
// are not printable UTF-8 escaped, so that every message prints on one line.
#pragma once

#include <string>
#include <string_view>

namespace kep_port {

std::string payload_text(std::string_view payload);

}  // namespace kep_port
