// The version of an installed dictionary folder, as the update service writes versions: its
// version.info holds the cell dictionary's Unix time, which the service names as a China
// Standard Time text. Only an equal text means the folder is up to date; any other, older or
// newer, is worth a download.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace celldict::update {

// The leading integer of a version.info text (blanks, a sign, digits), held to the 32-bit
// range the cell dictionary stores; 0 when there is none.
std::int32_t version_number(std::string_view text);

// The folder's version text, "%04d-%02d-%02d %02d:%02d:%02d"; nullopt, logged, when
// version.info is missing, empty or cannot be read.
std::optional<std::string> local_version_text(const std::filesystem::path& folder);

inline bool needs_download(std::string_view local_text, std::string_view service_text) {
  return local_text != service_text;
}

}  // namespace celldict::update
