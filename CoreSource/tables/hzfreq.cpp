#include "tables/hzfreq.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "base/counterfile.h"
#include "base/datafolder.h"
#include "base/imelog.h"
#include "platform/files.h"

ime_mmap_t ime_freq_info = {};

namespace {

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

void remove_file(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
    IME_ERROR("Delete file \"%s\" failed!:%s", path.c_str(), std::strerror(errno));
  }
}

}  // namespace

std::string ime_read_version_line(const std::string& path, std::size_t max_bytes) {
  std::error_code error;
  std::optional<std::string> text = platform::files::read_file(path, error);
  if (!text) return {};
  std::string line = text->substr(0, text->find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line.substr(0, max_bytes);
}

int ime_sync_hzdb_version() {
  const std::string& folder = QAGetAppSupportPathString();
  if (folder.empty()) return -1;
  char resource[512];
  if (ime_get_resource_filename("!hzdb.info", resource) != 0 || !exists(resource)) {
    // Deleting the counters without a version to record would delete them at every start.
    IME_ERROR("No hzdb.info among the resources; the hanzi counters are kept.");
    return 0;
  }
  // Another process starting now must not find the version recorded before the counters
  // were reset, nor reset the counters this one has mapped.
  IMECounterLock lock;
  if (!lock.held()) return -1;
  std::string user_info = folder + "/hzdb.info";
  std::string counters = folder + "/hzfreq.db";
  if (exists(user_info) && ime_read_version_line(user_info) == ime_read_version_line(resource)) {
    return 0;
  }
  IME_DEBUG("New hanzi database version [%s], the hanzi counters start afresh.",
            ime_read_version_line(resource).c_str());
  if (ime_counter_file_ensure(counters.c_str(), IME_HZFREQ_FILE_SIZE, IME_COUNTERS_ZERO) != 0) {
    return -1;
  }
  remove_file(user_info);
  if (QACopyFile(resource, folder.c_str()) != 0) {
    IME_ERROR("Copy \"%s\" to \"%s\" failed!", resource, folder.c_str());
    return -1;
  }
  return 0;
}

int ime_load_hzfreq() {
  if (ime_freq_info.address != nullptr) return 0;
  const std::string& folder = QAGetAppSupportPathString();
  if (folder.empty()) return -1;
  std::string path = folder + "/hzfreq.db";
  if (path.size() >= sizeof ime_freq_info.path) return -1;
  IMECounterLock lock;
  if (!lock.held() ||
      ime_counter_file_ensure(path.c_str(), IME_HZFREQ_FILE_SIZE, IME_COUNTERS_RESIZE) != 0 ||
      ime_counter_file_map(path.c_str(), IME_HZFREQ_FILE_SIZE, &ime_freq_info.fd,
                           &ime_freq_info.address) != 0) {
    ime_freq_info = {};
    return -1;
  }
  std::memcpy(ime_freq_info.path, path.c_str(), path.size() + 1);
  ime_freq_info.length = IME_HZFREQ_FILE_SIZE;
  return 0;
}

void ime_unload_hzfreq() { ime_munmap(&ime_freq_info); }

namespace {

// The counter's bytes in the mapping, or NULL when the row lies beyond the mapped file.
unsigned char* counter_bytes(std::uint32_t index, bool initial_only) {
  if (ime_freq_info.address == nullptr || index >= IME_HZFREQ_MAX_INDEX) return nullptr;
  const std::uint64_t at = std::uint64_t{index} * IME_HZFREQ_ROW_BYTES +
                           (initial_only ? IME_HZFREQ_INITIAL_ONLY_AT : 0);
  if (ime_freq_info.length < 0 || at + 4 > static_cast<std::uint64_t>(ime_freq_info.length)) {
    return nullptr;
  }
  return static_cast<unsigned char*>(ime_freq_info.address) + at;
}

}  // namespace

std::uint32_t ime_hzfreq_read(std::uint32_t index, bool initial_only) {
  const unsigned char* bytes = counter_bytes(index, initial_only);
  if (bytes == nullptr) return 0;
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

bool ime_hzfreq_write(std::uint32_t index, bool initial_only, std::uint32_t value) {
  if (ime_freq_info.address != nullptr) {
    ime_counter_file_follow(ime_freq_info.path, ime_freq_info.length, &ime_freq_info.fd,
                            &ime_freq_info.address);
  }
  unsigned char* bytes = counter_bytes(index, initial_only);
  if (bytes == nullptr) return false;
  for (int k = 0; k < 4; ++k) bytes[k] = static_cast<unsigned char>(value >> (8 * k));
  return true;
}
