#include "tools/datasources/readers/bzip2_file.h"

#include <bzlib.h>

#include <cstdio>
#include <memory>

namespace datasources {

std::optional<std::string> read_bzip2_file(const std::filesystem::path& path, std::string* error,
                                           std::size_t limit) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) {
    *error = "cannot open " + path.string();
    return std::nullopt;
  }
  int status = BZ_OK;
  BZFILE* stream = BZ2_bzReadOpen(&status, file.get(), 0, 0, nullptr, 0);
  if (status != BZ_OK) {
    *error = path.string() + " is not bzip2 data";
    return std::nullopt;
  }
  std::string text;
  char buffer[1 << 16];
  while (status == BZ_OK) {
    int got = BZ2_bzRead(&status, stream, buffer, sizeof buffer);
    if (status != BZ_OK && status != BZ_STREAM_END) break;
    text.append(buffer, static_cast<std::size_t>(got));
    if (text.size() > limit) {
      status = BZ_MEM_ERROR;
      break;
    }
  }
  int close_status = BZ_OK;
  BZ2_bzReadClose(&close_status, stream);
  if (status != BZ_STREAM_END) {
    *error = path.string() + " is damaged or too large (bzip2 status " + std::to_string(status) + ")";
    return std::nullopt;
  }
  return text;
}

}  // namespace datasources
