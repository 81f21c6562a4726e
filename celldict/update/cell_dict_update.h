// One dictionary the update service named: compare its version with the installed folder's,
// download the new cell dictionary and rebuild it into the staging folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "celldict/update/staged_import.h"
#include "celldict/update/uid_scan.h"
#include "celldict/update/update_fetch.h"
#include "celldict/update/update_reply.h"

namespace celldict::update {

struct DownloadOutcome {
  enum class Status { UpToDate, Skipped, DownloadFailed, Imported, ImportFailed };
  Status status = Status::Skipped;
  // The new dictionary's sample words, when it was imported.
  std::vector<std::string> samples;
};

// The steps for one reply line: the uid must be one the scan found; an equal version text
// means nothing is fetched; the body goes to a private temporary file (removed afterwards)
// and is imported as the installed folder's staging folder.
DownloadOutcome downloadFile(const UpdateLine& line, const ScanResult& scan,
                             const std::filesystem::path& dictionary_folder,
                             const TransferLimits& limits);

}  // namespace celldict::update
