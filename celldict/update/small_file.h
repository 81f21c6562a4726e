// Reads the small description files of a dictionary folder (uid.info, version.info) without
// trusting their size: a file is read only up to a bound, and one longer than that is known as
// such rather than cut silently.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace celldict::update {

struct SmallFile {
  enum class Status { Read, Missing, Unreadable, TooLong };
  Status status = Status::Missing;
  std::string text;  // the whole file when Read
  std::string why;   // the system's reason when Unreadable
};

// A regular file (links followed) of at most `limit` bytes.
SmallFile read_small_file(const std::filesystem::path& path, std::size_t limit);

}  // namespace celldict::update
