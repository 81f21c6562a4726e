// When the checker asks the update service: on request, when no check was ever recorded, or
// once more than the check interval has passed since the last one.
#pragma once

#include <cstdint>
#include <optional>

namespace kepcelldictupdater {

// `last_check` and `now` are Unix times. A last check in the future means the clock was set
// back since; it counts as due rather than waiting, maybe for years, for the clock to pass it.
inline bool check_due(bool requested, std::optional<std::int64_t> last_check, std::int64_t now,
                      double interval_seconds) {
  if (requested || !last_check || *last_check > now) return true;
  return static_cast<double>(now - *last_check) > interval_seconds;
}

}  // namespace kepcelldictupdater
