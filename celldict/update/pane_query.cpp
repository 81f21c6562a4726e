#include "celldict/update/pane_query.h"

#include <system_error>

#include "celldict/update/dict_version.h"
#include "celldict/update/small_file.h"
#include "celldict/update/uid_scan.h"
#include "celldict/update/update_log.h"
#include "celldict/update/update_reply.h"

namespace celldict::update {

namespace fs = std::filesystem;

namespace {

PaneQueryOutcome outcome_of(PaneQueryOutcome::Status status) {
  PaneQueryOutcome outcome;
  outcome.status = status;
  return outcome;
}

}  // namespace

std::string_view PaneQueryOutcome::status_key() const {
  switch (status) {
    case Status::Rows: return "";
    case Status::NoDictFound: return "NO_DARUZ_DICT_FOUND";
    case Status::QueryFailed: return "QUERY_UPDATE_LIST_FAILED";
    case Status::UpToDate: return "DARUZ_DICT_IS_UPTODATE";
  }
  return "";
}

std::optional<std::string> pending_or_local_version(const fs::path& installed_folder) {
  const fs::path staging =
      installed_folder.parent_path() / (std::string(kStagingPrefix) + installed_folder.filename().string());
  std::error_code error;
  if (fs::exists(staging / "version.info", error)) {
    if (std::optional<std::string> staged = local_version_text(staging)) return staged;
  }
  return local_version_text(installed_folder);
}

PaneQueryOutcome query_update_rows(const fs::path& dictionary_folder, std::string_view service_base,
                                   const TransferLimits& limits) {
  using Status = PaneQueryOutcome::Status;
  const std::optional<ScanResult> scan = getScanID(dictionary_folder, {.always_ask_notice_uid = true});
  if (!scan || scan->query.empty()) return outcome_of(Status::NoDictFound);
  const std::optional<std::string> reply = fetch_update_reply(service_base, scan->query, limits);
  if (!reply) return outcome_of(Status::QueryFailed);
  if (reply->empty()) return outcome_of(Status::NoDictFound);
  if (looks_like_html(*reply)) {
    log_web_page_reply(*reply);
    return outcome_of(Status::QueryFailed);
  }
  PaneQueryOutcome outcome = outcome_of(Status::UpToDate);
  for (UpdateLine& line : parse_reply(*reply)) {
    const auto installed = scan->uidInfo.find(line.uid);
    if (installed == scan->uidInfo.end()) {
      updlog("uidInfo dictionary has no entry for '%s'.", loggable(line.uid).c_str());
      continue;
    }
    const std::optional<std::string> local = pending_or_local_version(installed->second);
    if (!local) continue;
    if (!needs_download(*local, line.version)) {
      updlog("UID %s is up to date..", line.uid.c_str());
      continue;
    }
    updlog("Downloaded from '%s'. UID=%s VER=%s", loggable(line.url).c_str(), line.uid.c_str(),
           loggable(line.version).c_str());
    outcome.rows.push_back({std::move(line.uid), std::move(line.version), std::move(line.url),
                            installed->second});
  }
  if (!outcome.rows.empty()) outcome.status = Status::Rows;
  return outcome;
}

}  // namespace celldict::update
