#include "celldict/update/china_time.h"

#include "celldict/update/dict_version.h"
#include "update_test_support.h"

namespace {

using namespace update_test;
using celldict::update::ChinaTime;
using namespace std::string_literals;

constexpr std::int64_t k2010 = 1262304000;  // 2010-01-01 00:00:00 UTC
// Summer time of 1986 in the zone: 1986-05-04 02:00 local (UTC+8) to 1986-09-14 02:00 (UTC+9).
constexpr std::int64_t kSummerStart = 515527200;
constexpr std::int64_t kSummerEnd = 527014800;

void put_be(std::string& out, std::uint64_t value, int width) {
  for (int i = width - 1; i >= 0; --i) out += static_cast<char>(value >> (8 * i) & 0xff);
}

// A TZif header for `times` transitions and two types.
std::string header(char version, std::uint32_t times, std::uint32_t types) {
  std::string out = "TZif";
  out += version;
  out += std::string(15, '\0');
  for (std::uint32_t count : {0u, 0u, 0u, times, types, 8u}) put_be(out, count, 4);
  return out;
}

// The data block: two transitions into summer time and back; types +8 and +9.
std::string block(int width) {
  std::string out;
  put_be(out, static_cast<std::uint64_t>(kSummerStart), width);
  put_be(out, static_cast<std::uint64_t>(kSummerEnd), width);
  out += '\1';
  out += '\0';
  put_be(out, 8 * 3600, 4);
  out += "\0\0"s;
  put_be(out, 9 * 3600, 4);
  out += "\1\4"s;
  out += std::string("CST\0CDT\0", 8);
  return out;
}

std::string version1() { return header('\0', 2, 2) + block(4); }
std::string version2() {
  // Readers of 64-bit times skip the first block.
  return header('2', 0, 1) + std::string(6 + 8, '\0') + header('2', 2, 2) + block(8) + "\nCST-8\n";
}

TEST(ChinaTime, FixedOffsetIsUtcPlusEight) {
  const ChinaTime zone = ChinaTime::fixed();
  EXPECT_EQ(zone.format(k2010), "2010-01-01 08:00:00");
  EXPECT_EQ(zone.format(k2010 - 1), "2010-01-01 07:59:59");
  EXPECT_EQ(zone.format(0), "1970-01-01 08:00:00");
  EXPECT_EQ(zone.format(-8 * 3600 - 1), "1969-12-31 23:59:59");
  EXPECT_EQ(zone.format(951782400), "2000-02-29 08:00:00");
  EXPECT_EQ(zone.format(2147483647), "2038-01-19 11:14:07");
  EXPECT_EQ(zone.format(-2147483647 - 1), "1901-12-14 04:45:52");
}

TEST(ChinaTime, ZoneFilesGiveSummerTime) {
  for (const std::string& file : {version1(), version2()}) {
    auto zone = ChinaTime::from_tzif(file);
    ASSERT_TRUE(zone);
    EXPECT_EQ(zone->format(kSummerStart - 1), "1986-05-04 01:59:59");
    EXPECT_EQ(zone->format(kSummerStart), "1986-05-04 03:00:00");
    EXPECT_EQ(zone->format(kSummerEnd - 1), "1986-09-14 01:59:59");
    EXPECT_EQ(zone->format(kSummerEnd), "1986-09-14 01:00:00");
    EXPECT_EQ(zone->format(k2010), "2010-01-01 08:00:00");
  }
}

TEST(ChinaTime, DamagedZoneFilesAreRefused) {
  const std::string good = version1();
  std::vector<std::string> damaged = {"", "TZif", "TZjf" + good.substr(4), good.substr(0, good.size() - 1)};
  // A transition naming a type that does not exist.
  std::string bad_type = good;
  bad_type[44 + 8] = '\7';
  damaged.push_back(bad_type);
  // Transitions out of order.
  damaged.push_back(header('\0', 2, 2) + [] {
    std::string b = block(4);
    std::swap_ranges(b.begin(), b.begin() + 4, b.begin() + 4);
    return b;
  }());
  // Counts far beyond the file.
  damaged.push_back(header('\0', 0xffffffffu, 2) + block(4));
  damaged.push_back(header('\0', 2, 0) + block(4));
  // An offset no zone has.
  std::string far = good;
  far[44 + 10] = '\x7f';
  damaged.push_back(far);
  for (const std::string& file : damaged) EXPECT_FALSE(ChinaTime::from_tzif(file)) << file.size();
}

TEST(ChinaTime, SystemZoneAgreesOnTodaysOffset) {
  // With or without the time-zone database, the zone is UTC+8 since 1992.
  EXPECT_EQ(celldict::update::format_china_time(k2010), "2010-01-01 08:00:00");
}

TEST(DictVersion, VersionFileIsReadAsAChinaTimeText) {
  TempDir folder;
  LogLines log;
  write_file(folder / "version.info", "1262304000");
  EXPECT_EQ(celldict::update::local_version_text(folder.path()), "2010-01-01 08:00:00");
  using celldict::update::needs_download;
  EXPECT_FALSE(needs_download("2010-01-01 08:00:00", "2010-01-01 08:00:00"));
  EXPECT_TRUE(needs_download("2010-01-01 08:00:00", "2010-01-01 07:59:59"));
  EXPECT_TRUE(needs_download("2010-01-01 08:00:00", "2010-01-01 08:00:01"));

  write_file(folder / "version.info", "");
  EXPECT_FALSE(celldict::update::local_version_text(folder.path()));
  EXPECT_TRUE(log.has("No content in version file"));
  write_file(folder / "version.info", std::string(100, '1'));
  EXPECT_FALSE(celldict::update::local_version_text(folder.path()));
  fs::remove(folder / "version.info");
  EXPECT_FALSE(celldict::update::local_version_text(folder.path()));
  EXPECT_TRUE(log.has("Version file at '" + (folder / "version.info").string() + "' not found."));
}

TEST(DictVersion, NumberIsTheLeadingIntegerHeldTo32Bits) {
  using celldict::update::version_number;
  EXPECT_EQ(version_number("1262304000"), 1262304000);
  EXPECT_EQ(version_number(" 12abc"), 12);
  EXPECT_EQ(version_number("-5"), -5);
  EXPECT_EQ(version_number("abc"), 0);
  EXPECT_EQ(version_number("99999999999999999999"), 2147483647);
  EXPECT_EQ(version_number("-99999999999999999999"), -2147483647 - 1);
}

}  // namespace
