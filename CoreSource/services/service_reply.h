// The reply format the engine's helper services share: three status digits, one separator
// byte ':', then the payload ("000:text" on success, "%03d:message" on failure).
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct ime_service_reply_t {
  int status;                // the three digits as a number; 0 is success
  std::string_view payload;  // the bytes after the separator; points into the reply
};

// Splits a reply. nullopt when there is no reply data, or it is shorter than the four-byte
// header, or its status is not three digits, or byte 3 is not ':'. The result points into
// `reply`, which must outlive it.
std::optional<ime_service_reply_t> ime_parse_service_reply(const std::optional<std::string>& reply);
