// What a loader remembers of the file it read last, so that a reload can skip an unchanged file.
#pragma once

#include <sys/stat.h>

#include <string>

struct ime_file_stamp_t {
  std::string path;
  long long seconds = 0;
  long long nanoseconds = 0;

  // The stamp of `path` now; false when it cannot be examined.
  static bool of(const std::string& path, ime_file_stamp_t* stamp) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return false;
    stamp->path = path;
    stamp->seconds = st.st_mtim.tv_sec;
    stamp->nanoseconds = st.st_mtim.tv_nsec;
    return true;
  }
  bool operator==(const ime_file_stamp_t&) const = default;
};
