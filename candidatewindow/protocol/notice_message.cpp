#include "candidatewindow/protocol/notice_message.h"

#include <algorithm>

#include "platform/text.h"

namespace kepcandidate {

std::optional<Notice> readNotice(std::string_view payload) {
  if (payload.empty() || payload.size() > kMaxNoticeBytes) return std::nullopt;
  if (!platform::text::is_valid_utf8(payload)) return std::nullopt;
  if (std::count(payload.begin(), payload.end(), ':') != 1) return std::nullopt;
  const std::size_t colon = payload.find(':');
  // A trailing empty piece does not count as the second piece.
  if (colon + 1 == payload.size()) return std::nullopt;
  return Notice{std::string(payload.substr(0, colon)), std::string(payload.substr(colon + 1))};
}

}  // namespace kepcandidate
