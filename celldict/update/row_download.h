// The work of one row of the pane's update sheet, off the interface thread: download the new
// cell dictionary, check it and rebuild the dictionary into its staging folder, telling the
// row's reporter and heeding its stop.
//
// The reporter hears "DOWNLOAD_DARUZ_DICT", then a determinate bar of the size once the server
// tells it (commands 1 and 2; no size keeps the bar indeterminate), an indeterminate bar when
// the whole body arrived, then the rebuild's statuses and progress ("BUILD_PROCESS", ...) and
// command 4 when the dictionary is staged. Failures set "DARUZ_DICT_DOWNLOAD_FAILED" or
// "SOGOUD_DICT_LOAD_FAILED".
#pragma once

#include <filesystem>

#include "celldict/update/pane_query.h"
#include "celldict/update/update_fetch.h"

namespace celldict {
class ProgressReporter;
}

namespace celldict::update {

enum class RowOutcome {
  Staged,          // the staging folder is complete, no lock file left
  Stopped,         // the reporter asked to stop; no staging folder of this run, no lock file
  DownloadFailed,  // transfer failed, fewer than 8 bytes, no cell-dictionary magic, or the
                   // temporary file could not be written; nothing touched
  LoadFailed,      // the body's header is not a cell dictionary's; nothing touched
  ImportFailed,    // the rebuild failed or another builder holds the dictionary
};

// Runs the row: `row.url` (http or https only, with `limits`' time-outs and size limit; its
// abort flag, when set, is heeded as well) into a private mkdtemp file, then the staged import
// of `row.folder`'s dictionary under `dictionary_folder`. Blocks the calling thread.
RowOutcome run_update_row(const UpdateRow& row, const std::filesystem::path& dictionary_folder,
                          ProgressReporter& reporter, const TransferLimits& limits);

}  // namespace celldict::update
