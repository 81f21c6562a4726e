#include "base/imelog.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "base/datafolder.h"
#include "platform/files.h"

ime_log_func_t ime_log_func = nullptr;
int ime_debug_level = 0;
int ime_x86_platform = 0;
int ime_rosetta_running = 0;

namespace {

const char* level_word(int level) {
  switch (level) {
    case IME_LOG_ERROR: return "ERROR";
    case IME_LOG_DEBUG: return "DEBUG";
    case IME_LOG_INFO: return "INFO";
    default: return "unknown";
  }
}

// A cut line must not end inside a UTF-8 sequence, or every reader of the log chokes on it.
std::size_t utf8_safe_length(const char* text, std::size_t length) {
  std::size_t start = length;
  // Walk back over continuation bytes to the lead byte of the last sequence.
  while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80 &&
         length - start < 3) {
    --start;
  }
  if (start == 0) return length;
  unsigned char lead = static_cast<unsigned char>(text[start - 1]);
  std::size_t need = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3
                                     : (lead & 0xF8) == 0xF0 ? 4 : 1;
  std::size_t have = length - (start - 1);
  return have < need ? start - 1 : length;
}

// ime.log stays open between lines; each line is one write under an exclusive lock on the
// file, so that the processes sharing the log neither interleave lines nor rotate it twice.
struct LogFile {
  std::string path;
  int fd = -1;
  pid_t owner = 0;  // a forked child must not share the parent's open file (nor its lock)
  dev_t device = 0;
  ino_t inode = 0;
};

LogFile log_file;

std::mutex& log_mutex() {
  static std::mutex mutex;
  // A fork while another thread writes a line would leave the child's copy locked for good.
  static const bool fork_safe = [] {
    ::pthread_atfork([] { mutex.lock(); }, [] { mutex.unlock(); }, [] { mutex.unlock(); });
    return true;
  }();
  (void)fork_safe;
  return mutex;
}

void close_log() {
  if (log_file.fd >= 0) ::close(log_file.fd);
  log_file.fd = -1;
}

bool open_log(const std::string& path) {
  close_log();
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    if (fd >= 0) ::close(fd);
    return false;
  }
  log_file = {path, fd, ::getpid(), st.st_dev, st.st_ino};
  return true;
}

// Whether the open file is still the one named `path` (another process may have removed or
// rotated it), and its size.
bool still_named(const std::string& path, long long* size) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || st.st_dev != log_file.device ||
      st.st_ino != log_file.inode) {
    return false;
  }
  *size = st.st_size;
  return true;
}

// Appends one line, rotating the log to ime.log.1 first when the line would take it past the
// limit. A file replaced under us is reopened and the steps run again; the tries are bounded
// so that a folder that keeps changing cannot hold the caller.
void append_to_log(const std::string& path, const std::string& record) {
  if (log_file.fd >= 0 && (log_file.path != path || log_file.owner != ::getpid())) close_log();
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (log_file.fd < 0 && !open_log(path)) return;
    if (::flock(log_file.fd, LOCK_EX) != 0) return;
    long long size = 0;
    if (!still_named(path, &size)) {
      close_log();  // also drops the lock
      continue;
    }
    // Should the rename fail, the line is still written: a long log beats a lost line.
    if (size > 0 && size + static_cast<long long>(record.size()) > IME_LOG_FILE_LIMIT &&
        ::rename(path.c_str(), (path + ".1").c_str()) == 0) {
      close_log();
      continue;
    }
    platform::files::write_all(log_file.fd, record);
    ::flock(log_file.fd, LOCK_UN);
    return;
  }
}

}  // namespace

void imelog(int level, const char* source_file, int line, const char* format, ...) {
  if (level == IME_LOG_DEBUG && ime_debug_level < 1) return;

  char message[IME_LOG_LINE_MAX + 1];
  message[0] = '\0';
  if (format != nullptr) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
  }

  char text[IME_LOG_LINE_MAX + 1];
  int full = std::snprintf(text, sizeof text, "%s|%15s|%5d|%s", level_word(level),
                           source_file != nullptr ? source_file : "", line, message);
  if (full < 0) return;
  if (static_cast<std::size_t>(full) > IME_LOG_LINE_MAX) {
    text[utf8_safe_length(text, IME_LOG_LINE_MAX)] = '\0';
  }

  if (ime_log_func != nullptr) {
    ime_log_func(text);
  } else {
    std::fprintf(stderr, "%s\n", text);
  }
}

bool ime_log_line_is_error(const char* line) {
  static constexpr char kPrefix[] = "ERROR|";
  return line != nullptr && std::strncmp(line, kPrefix, sizeof kPrefix - 1) == 0;
}

void _ime_log_func(const char* line) {
  if (line == nullptr) return;
  const char* folder = ime_data_folder_quiet();
  if (folder == nullptr) return;
  std::string record(line);
  record.push_back('\n');
  std::lock_guard<std::mutex> guard(log_mutex());
  append_to_log(std::string(folder) + "/ime.log", record);
}

int ime_init_debug_level() {
  ime_debug_level = 0;
  const char* folder = ime_data_folder_quiet();
  if (folder == nullptr) return ime_debug_level;
  for (int i = 0; i <= 2; ++i) {
    std::string marker = std::string(folder) + "/debug_" + std::to_string(i);
    struct stat st;
    if (::stat(marker.c_str(), &st) == 0) {
      ime_debug_level = i;
      break;
    }
  }
  return ime_debug_level;
}

void ime_test_platform() {
  static bool probed = false;
  if (probed) return;
  probed = true;

  const std::uint16_t probe = 1;
  unsigned char first_byte;
  std::memcpy(&first_byte, &probe, 1);
  ime_x86_platform = first_byte == 1 ? 1 : 0;
  // Linux runs no translated processes of ours.
  ime_rosetta_running = 0;

  IME_DEBUG("Rosetta is %s.", ime_rosetta_running ? "running" : "not running");
#if defined(__x86_64__) || defined(__i386__)
  IME_DEBUG("Current platform is :%s", "Intel");
#else
  IME_DEBUG("Current platform is :%s", ime_x86_platform ? "little-endian" : "big-endian");
#endif
}
