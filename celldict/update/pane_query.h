// The dictionary pane's "update now" query: the scan (always asking for the uid 4), the
// request, and the reply turned into one row per dictionary whose version differs from the
// local one, or into the one status the pane shows instead.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "celldict/update/update_fetch.h"

namespace celldict::update {

// One dictionary to download and rebuild.
struct UpdateRow {
  std::string uid;
  std::string version;  // the service's version text
  std::string url;
  std::filesystem::path folder;  // the installed dictionary folder
  bool operator==(const UpdateRow&) const = default;
};

struct PaneQueryOutcome {
  enum class Status {
    Rows,            // `rows` holds at least one row
    NoDictFound,     // no Dictionary folder, nothing to ask for, or an empty reply
    QueryFailed,     // the transfer failed, or the reply is a web page
    UpToDate,        // the reply names nothing newer
  };
  Status status = Status::NoDictFound;
  std::vector<UpdateRow> rows;  // in reply order
  // The pane's string key of the status ("NO_DARUZ_DICT_FOUND", ...); empty for Rows.
  std::string_view status_key() const;
};

// A reply line's local version text: that of the staging folder "__new__<name>" when one is
// waiting to be swapped in (a pending update counts), else the installed folder's; nullopt,
// logged, when neither can be read.
std::optional<std::string> pending_or_local_version(const std::filesystem::path& installed_folder);

// The query for the dictionaries under `dictionary_folder` sent to the service at
// `service_base` ("http://host[:port]"), and the reply classified. Reply lines with other than
// three fields, uids with no folder and folders without a version are logged and skipped.
PaneQueryOutcome query_update_rows(const std::filesystem::path& dictionary_folder,
                                   std::string_view service_base, const TransferLimits& limits);

}  // namespace celldict::update
