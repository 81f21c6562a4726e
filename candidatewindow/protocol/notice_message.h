// Message 107: a notice for the user, "name:text" in UTF-8.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kepcandidate {

inline constexpr std::size_t kMaxNoticeBytes = 10240;

struct Notice {
  std::string name;
  std::string text;
};

// nullopt unless the payload is 1 to kMaxNoticeBytes of valid UTF-8 holding exactly one ':'
// with something after it (the name before it may be empty).
std::optional<Notice> readNotice(std::string_view payload);

}  // namespace kepcandidate
