#include "services/service_reply.h"

namespace {

constexpr std::size_t kStatusDigits = 3;
constexpr std::size_t kHeaderLength = 4;  // three digits and the separator
constexpr char kSeparator = ':';

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<ime_service_reply_t> ime_parse_service_reply(const std::optional<std::string>& reply) {
  if (!reply || reply->size() < kHeaderLength) return std::nullopt;
  const std::string& bytes = *reply;
  int status = 0;
  for (std::size_t i = 0; i < kStatusDigits; ++i) {
    if (!is_digit(bytes[i])) return std::nullopt;
    status = status * 10 + (bytes[i] - '0');
  }
  if (bytes[kStatusDigits] != kSeparator) return std::nullopt;
  return ime_service_reply_t{status, std::string_view(bytes).substr(kHeaderLength)};
}
