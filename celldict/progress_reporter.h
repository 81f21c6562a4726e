// What a long dictionary build tells whoever watches it (a sheet's progress bar, an update
// row) and how it is asked to stop. Builds call it from their worker thread; an implementation
// hands the changes to its own thread and reads its stop request atomically.
#pragma once

#include <cstdint>
#include <string_view>

namespace celldict {

// Commands of setProgress.
enum ProgressCommand : int {
  kProgressIndeterminate = 0,  // the bar turns indeterminate and animates
  kProgressDeterminate = 1,    // determinate; a value above 0 becomes the maximum (value 0)
  kProgressSetValue = 2,       // the value becomes the argument
  kProgressAddValue = 3,       // the argument is added to the value
  kProgressHide = 4,           // the bar stops and is hidden (where the watcher has one)
};

class ProgressReporter {
 public:
  virtual ~ProgressReporter() = default;
  virtual void setProgress(int command, std::int64_t value) = 0;
  // A key of the watcher's interface strings: "BUILD_PREPROCESS", "BUILD_PROCESS",
  // "DARUZ_DICT_IMPORT_DONE".
  virtual void setStatus(std::string_view status_key) = 0;
  virtual bool isStopped() const = 0;
};

}  // namespace celldict
