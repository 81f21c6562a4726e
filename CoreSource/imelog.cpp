#include "imelog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "datafolder.h"
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

void _ime_log_func(const char* line) {
  if (line == nullptr) return;
  const char* folder = ime_data_folder_quiet();
  if (folder == nullptr) return;

  std::string path = std::string(folder) + "/ime.log";
  std::size_t length = std::strlen(line);

  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && st.st_size > 0 &&
      st.st_size + static_cast<long long>(length) + 1 > IME_LOG_FILE_LIMIT) {
    std::string older = path + ".1";
    ::rename(path.c_str(), older.c_str());
  }

  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return;
  // One write per line, so lines of several processes do not interleave.
  std::string record(line, length);
  record.push_back('\n');
  platform::files::write_all(fd, record);
  ::close(fd);
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
