#include "celldict/update/china_time.h"

#include <algorithm>
#include <cstdio>

#include "celldict/update/small_file.h"

namespace celldict::update {

namespace {

constexpr std::int64_t kFixedOffset = 8 * 3600;
constexpr const char* kZoneFile = "/usr/share/zoneinfo/Asia/Shanghai";
// A zone file is a few kilobytes; anything far larger is not one.
constexpr std::size_t kMaxZoneFile = 256 * 1024;
// Offsets in use lie within a day of UTC.
constexpr std::int64_t kMaxOffset = 26 * 3600;

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool has(std::size_t count) const { return bytes_.size() - at_ >= count; }
  std::size_t at() const { return at_; }
  bool skip(std::uint64_t count) {
    if (count > bytes_.size() - at_) return false;
    at_ += static_cast<std::size_t>(count);
    return true;
  }
  std::uint64_t be(int width) {
    std::uint64_t value = 0;
    for (int i = 0; i < width; ++i) value = value << 8 | static_cast<unsigned char>(bytes_[at_++]);
    return value;
  }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

struct Counts {
  std::uint64_t isut, isstd, leap, time, type, chars;
};

// Reads a header; false unless it is one.
bool read_header(Reader& in, char* version, Counts* counts) {
  if (!in.has(44)) return false;
  const char magic[4] = {static_cast<char>(in.be(1)), static_cast<char>(in.be(1)),
                         static_cast<char>(in.be(1)), static_cast<char>(in.be(1))};
  if (std::string_view(magic, 4) != "TZif") return false;
  *version = static_cast<char>(in.be(1));
  in.skip(15);
  counts->isut = in.be(4);
  counts->isstd = in.be(4);
  counts->leap = in.be(4);
  counts->time = in.be(4);
  counts->type = in.be(4);
  counts->chars = in.be(4);
  return true;
}

std::uint64_t block_size(const Counts& c, int time_width) {
  return c.time * time_width + c.time + c.type * 6 + c.chars + c.leap * (time_width + 4) +
         c.isstd + c.isut;
}

std::int64_t signed_of(std::uint64_t value, int width) {
  const int shift = 64 - 8 * width;
  return static_cast<std::int64_t>(value << shift) >> shift;
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civil_from_days(std::int64_t days, std::int64_t* year, int* month, int* day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  *day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = yoe + era * 400 + (*month <= 2 ? 1 : 0);
}

}  // namespace

ChinaTime ChinaTime::fixed() {
  ChinaTime zone;
  zone.offsets_ = {kFixedOffset};
  return zone;
}

std::optional<ChinaTime> ChinaTime::from_tzif(std::string_view bytes) {
  Reader in(bytes);
  char version = 0;
  Counts counts{};
  if (!read_header(in, &version, &counts)) return std::nullopt;
  int width = 4;
  if (version >= '2') {
    // The first block is for readers of 32-bit times; the second, with 64-bit times, follows.
    if (!in.skip(block_size(counts, 4)) || !read_header(in, &version, &counts)) return std::nullopt;
    width = 8;
  }
  if (counts.type == 0 || counts.type > 256 || counts.time > bytes.size() ||
      block_size(counts, width) > bytes.size() - in.at()) {
    return std::nullopt;
  }
  ChinaTime zone;
  for (std::uint64_t i = 0; i < counts.time; ++i) {
    const std::int64_t when = signed_of(in.be(width), width);
    if (!zone.transitions_.empty() && when <= zone.transitions_.back()) return std::nullopt;
    zone.transitions_.push_back(when);
  }
  for (std::uint64_t i = 0; i < counts.time; ++i) {
    const std::uint64_t type = in.be(1);
    if (type >= counts.type) return std::nullopt;
    zone.transition_type_.push_back(static_cast<std::uint8_t>(type));
  }
  for (std::uint64_t i = 0; i < counts.type; ++i) {
    const std::int64_t offset = signed_of(in.be(4), 4);
    in.skip(2);  // summer-time flag and abbreviation index
    if (offset < -kMaxOffset || offset > kMaxOffset) return std::nullopt;
    zone.offsets_.push_back(offset);
  }
  return zone;
}

const ChinaTime& ChinaTime::system() {
  static const ChinaTime zone = [] {
    const SmallFile file = read_small_file(kZoneFile, kMaxZoneFile);
    std::optional<ChinaTime> read;
    if (file.status == SmallFile::Status::Read) read = from_tzif(file.text);
    return read ? *read : fixed();
  }();
  return zone;
}

std::int64_t ChinaTime::offset_at(std::int64_t unix_time) const {
  // Before the first transition the first type holds; after the last, the last one's type
  // (the zone has kept one offset since).
  const auto after = std::upper_bound(transitions_.begin(), transitions_.end(), unix_time);
  if (after == transitions_.begin()) return offsets_.front();
  return offsets_[transition_type_[static_cast<std::size_t>(after - transitions_.begin() - 1)]];
}

std::string ChinaTime::format(std::int64_t unix_time) const {
  const std::int64_t local = unix_time + offset_at(unix_time);
  std::int64_t days = local / 86400;
  std::int64_t seconds = local % 86400;
  if (seconds < 0) {
    seconds += 86400;
    days -= 1;
  }
  std::int64_t year = 0;
  int month = 0;
  int day = 0;
  civil_from_days(days, &year, &month, &day);
  char text[64];
  std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d:%02d", static_cast<long long>(year),
                month, day, static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return text;
}

std::string format_china_time(std::int64_t unix_time) { return ChinaTime::system().format(unix_time); }

}  // namespace celldict::update
