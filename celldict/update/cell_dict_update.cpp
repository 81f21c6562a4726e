#include "celldict/update/cell_dict_update.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <system_error>

#include "celldict/update/dict_version.h"
#include "celldict/update/update_log.h"
#include "platform/files.h"

namespace celldict::update {

namespace fs = std::filesystem;

namespace {

// A private temporary folder holding the downloaded file, removed with it.
class DownloadedFile {
 public:
  static std::optional<DownloadedFile> write(const std::string& name, const std::string& body,
                                             std::error_code& error) {
    auto folder = platform::files::make_temp_directory({}, "kep-celldict-", error);
    if (!folder) return std::nullopt;
    DownloadedFile file(*folder / name);
    const int fd = ::open(file.path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
      error.assign(errno, std::generic_category());
      return std::nullopt;
    }
    const bool written = platform::files::write_all(fd, body);
    const int saved = errno;
    if (::close(fd) != 0 || !written) {
      error.assign(written ? errno : saved, std::generic_category());
      return std::nullopt;
    }
    return file;
  }

  DownloadedFile(DownloadedFile&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }
  DownloadedFile(const DownloadedFile&) = delete;
  DownloadedFile& operator=(const DownloadedFile&) = delete;
  DownloadedFile& operator=(DownloadedFile&&) = delete;
  ~DownloadedFile() {
    if (path_.empty()) return;
    std::error_code ignored;
    platform::files::remove_tree(path_.parent_path(), ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  explicit DownloadedFile(fs::path path) : path_(std::move(path)) {}
  fs::path path_;
};

}  // namespace

DownloadOutcome downloadFile(const UpdateLine& line, const ScanResult& scan,
                             const fs::path& dictionary_folder, const TransferLimits& limits) {
  using Status = DownloadOutcome::Status;
  DownloadOutcome outcome;
  const auto installed = scan.uidInfo.find(line.uid);
  if (installed == scan.uidInfo.end()) {
    updlog("uidInfo dictionary has no entry for '%s'.", loggable(line.uid).c_str());
    return outcome;
  }
  const std::optional<std::string> local = local_version_text(installed->second);
  if (!local) return outcome;
  if (!needs_download(*local, line.version)) {
    updlog("No need to update :[%s,%s]", local->c_str(), loggable(line.version).c_str());
    outcome.status = Status::UpToDate;
    return outcome;
  }
  const std::optional<std::string> body = download_cell_dict(line.url, limits);
  if (!body) {
    outcome.status = Status::DownloadFailed;
    return outcome;
  }
  const std::string name = installed->second.filename().string();
  std::error_code error;
  std::optional<DownloadedFile> file = DownloadedFile::write(name, *body, error);
  if (!file) {
    updlog("Write the downloaded data from '%s' to file failed! (%s)", loggable(line.url).c_str(),
           error.message().c_str());
    outcome.status = Status::DownloadFailed;
    return outcome;
  }
  updlog("Now import the %s uid=%s", file->path().c_str(), line.uid.c_str());
  ImportResult imported = importDaruzCellFile(dictionary_folder, file->path(), name);
  if (!imported.imported()) {
    outcome.status = Status::ImportFailed;
    return outcome;
  }
  outcome.status = Status::Imported;
  outcome.samples = std::move(imported.samples);
  return outcome;
}

}  // namespace celldict::update
