#include "platform/ui/geometry.h"

#include <charconv>
#include <cmath>

namespace platform::ui {

std::optional<double> parse_coordinate(std::string_view text) {
  constexpr double kLimit = 1e6;
  double value = 0;
  auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || failure != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  if (!std::isfinite(value) || std::fabs(value) > kLimit) return std::nullopt;
  return value;
}

}  // namespace platform::ui
