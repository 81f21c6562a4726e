// The text of a source file the generator reads, with the reason when it cannot be read.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/files.h"

namespace tavgen {

inline std::optional<std::string> read_source_text(const std::filesystem::path& path, std::string* error) {
  std::error_code ec;
  std::optional<std::string> text = platform::files::read_file(path, ec);
  if (!text) *error = "cannot read " + path.string() + ": " + ec.message();
  return text;
}

}  // namespace tavgen
