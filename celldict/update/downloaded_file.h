// A downloaded cell dictionary on disk for the import to read: a file in a private mkdtemp
// folder of the system's temporary folder, written with O_EXCL and mode 0600, removed with its
// folder when the object goes.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace celldict::update {

class DownloadedFile {
 public:
  // The body written as `name` in a new private folder; nullopt with `error` when it cannot be.
  static std::optional<DownloadedFile> write(const std::string& name, std::string_view body,
                                             std::error_code& error);

  DownloadedFile(DownloadedFile&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }
  DownloadedFile(const DownloadedFile&) = delete;
  DownloadedFile& operator=(const DownloadedFile&) = delete;
  DownloadedFile& operator=(DownloadedFile&&) = delete;
  ~DownloadedFile();

  const std::filesystem::path& path() const { return path_; }

 private:
  explicit DownloadedFile(std::filesystem::path path) : path_(std::move(path)) {}
  std::filesystem::path path_;
};

}  // namespace celldict::update
