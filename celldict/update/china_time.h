// Unix times as China Standard Time ("Asia/Shanghai") wall-clock texts, the form the update
// service names versions in. The offsets come from the system's time-zone database when it can
// be read (the zone kept summer time from 1986 to 1991), else the fixed UTC+8 the zone has
// kept since.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace celldict::update {

class ChinaTime {
 public:
  // The zone from /usr/share/zoneinfo/Asia/Shanghai, read once; fixed() when that file is
  // missing or damaged.
  static const ChinaTime& system();
  static ChinaTime fixed();
  // The zone from the bytes of a TZif file; nullopt for anything that is not a sound one.
  static std::optional<ChinaTime> from_tzif(std::string_view bytes);

  // Seconds east of UTC at the Unix time.
  std::int64_t offset_at(std::int64_t unix_time) const;
  // "%04d-%02d-%02d %02d:%02d:%02d" of the local time.
  std::string format(std::int64_t unix_time) const;

 private:
  std::vector<std::int64_t> transitions_;      // ascending Unix times
  std::vector<std::uint8_t> transition_type_;  // index into offsets_, one per transition
  std::vector<std::int64_t> offsets_;          // seconds east of UTC; [0] before the first
};

// ChinaTime::system().format(unix_time).
std::string format_china_time(std::int64_t unix_time);

}  // namespace celldict::update
