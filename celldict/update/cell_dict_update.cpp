#include "celldict/update/cell_dict_update.h"

#include <optional>
#include <system_error>

#include "celldict/update/dict_version.h"
#include "celldict/update/downloaded_file.h"
#include "celldict/update/update_log.h"
#include "platform/files.h"

namespace celldict::update {

namespace fs = std::filesystem;

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
