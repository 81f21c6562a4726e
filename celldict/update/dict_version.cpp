#include "celldict/update/dict_version.h"

#include <cstddef>
#include <algorithm>
#include <limits>

#include "celldict/update/china_time.h"
#include "celldict/update/small_file.h"
#include "celldict/update/update_log.h"

namespace celldict::update {

namespace {
// "%d" of a 32-bit number, with room for blanks around it.
constexpr std::size_t kMaxVersionFile = 64;
}  // namespace

std::int32_t version_number(std::string_view text) {
  std::size_t at = text.find_first_not_of(" \t\r\n");
  if (at == std::string_view::npos) return 0;
  bool negative = false;
  if (text[at] == '-' || text[at] == '+') negative = text[at++] == '-';
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = std::min(value * 10 + (text[at] - '0'), kLimit);
  }
  if (negative) return static_cast<std::int32_t>(-value);
  return static_cast<std::int32_t>(std::min(value, kLimit - 1));
}

std::optional<std::string> local_version_text(const std::filesystem::path& folder) {
  const std::filesystem::path path = folder / "version.info";
  const SmallFile file = read_small_file(path, kMaxVersionFile);
  if (file.status == SmallFile::Status::Missing) {
    updlog("Version file at '%s' not found.", path.c_str());
    return std::nullopt;
  }
  if (file.status != SmallFile::Status::Read || file.text.empty()) {
    updlog("No content in version file '%s'.", path.c_str());
    return std::nullopt;
  }
  return format_china_time(version_number(file.text));
}

}  // namespace celldict::update
