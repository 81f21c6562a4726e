#include "celldict/update/row_download.h"

#include <optional>
#include <string>
#include <system_error>

#include "celldict/progress_reporter.h"
#include "celldict/scel_reader.h"
#include "celldict/update/downloaded_file.h"
#include "celldict/update/staged_import.h"
#include "celldict/update/update_log.h"

namespace celldict::update {

namespace {

// The transfer's progress as bar commands: determinate once the size is known (64-bit sizes
// pass whole), indeterminate again when everything arrived, for the rebuild that follows. A
// stop ends the transfer at its next block.
class DownloadProgress {
 public:
  explicit DownloadProgress(ProgressReporter& reporter) : reporter_(reporter) {}

  bool operator()(std::uint64_t received, std::optional<std::uint64_t> total) {
    if (reporter_.isStopped()) return false;
    if (total_ == 0 && total && *total > 0) {
      total_ = *total;
      reporter_.setProgress(kProgressDeterminate, static_cast<std::int64_t>(total_));
    }
    if (total_ > 0) reporter_.setProgress(kProgressSetValue, static_cast<std::int64_t>(received));
    if (received > 0 && total && received == *total) reporter_.setProgress(kProgressIndeterminate, 0);
    return true;
  }

 private:
  ProgressReporter& reporter_;
  std::uint64_t total_ = 0;
};

RowOutcome rebuild(const DownloadedFile& file, const std::filesystem::path& dictionary_folder,
                   const std::string& name, ProgressReporter& reporter) {
  reporter.setStatus("BUILD_PROCESS");
  ScelReader reader;
  const std::int32_t loaded = reader.load(file.path().string());
  if (loaded != SCEL_OK) {
    updlog("Load scel database from '%s' failed![%d]", file.path().c_str(), loaded);
    reporter.setStatus("SOGOUD_DICT_LOAD_FAILED");
    return RowOutcome::LoadFailed;
  }
  ImportOptions options;
  options.reporter = &reporter;
  const ImportResult imported = importLoadedCellDict(reader, dictionary_folder, name, options);
  switch (imported.status) {
    case ImportResult::Status::Imported:
      reporter.setProgress(kProgressHide, 0);
      return RowOutcome::Staged;
    case ImportResult::Status::Stopped:
      return RowOutcome::Stopped;
    default:
      return RowOutcome::ImportFailed;
  }
}

}  // namespace

RowOutcome run_update_row(const UpdateRow& row, const std::filesystem::path& dictionary_folder,
                          ProgressReporter& reporter, const TransferLimits& limits) {
  reporter.setStatus("DOWNLOAD_DARUZ_DICT");
  TransferLimits watched = limits;
  watched.progress = DownloadProgress(reporter);
  const std::optional<std::string> body = download_cell_dict(row.url, watched);
  if (reporter.isStopped()) {
    updlog("User stopped.");
    return RowOutcome::Stopped;
  }
  if (!body) {
    updlog("The download for uid %s failed.", loggable(row.uid).c_str());
    reporter.setStatus("DARUZ_DICT_DOWNLOAD_FAILED");
    return RowOutcome::DownloadFailed;
  }
  const std::string name = row.folder.filename().string();
  std::error_code error;
  std::optional<DownloadedFile> file = DownloadedFile::write(name, *body, error);
  if (!file) {
    updlog("Write data to a temporary file for '%s' failed! (%s)", name.c_str(), error.message().c_str());
    reporter.setStatus("DARUZ_DICT_DOWNLOAD_FAILED");
    return RowOutcome::DownloadFailed;
  }
  return rebuild(*file, dictionary_folder, name, reporter);
}

}  // namespace celldict::update
