// The engine's one log call and the platform probe.
#pragma once

#include <cstddef>

// Level words: ERROR and INFO lines are always written, DEBUG lines only at debug level 1 or more.
enum {
  IME_LOG_ERROR = 0,
  IME_LOG_DEBUG = 1,
  IME_LOG_INFO = 2,
};

// Longest line imelog hands on, not counting the terminating zero.
inline constexpr std::size_t IME_LOG_LINE_MAX = 1023;

// The ime.log file is rotated to ime.log.1 once appending would take it past this size.
inline constexpr long long IME_LOG_FILE_LIMIT = 1024 * 1024;

using ime_log_func_t = void (*)(const char* line);

// Receives every finished line; NULL writes the lines to standard error.
extern ime_log_func_t ime_log_func;
// 0, 1 or 2; see ime_init_debug_level().
extern int ime_debug_level;
// 1 on a little-endian processor: the byte order the engine's UTF-16 swaps assume.
extern int ime_x86_platform;
// 1 when the process runs under a translating emulator; never the case here.
extern int ime_rosetta_running;

// Writes "LEVEL|source file|line|message". The caller's format is filled with its arguments
// once; the source file and the message are then joined as plain text, so a "%" in either
// is printed as it is.
void imelog(int level, const char* source_file, int line, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// Whether a line imelog handed on was written at IME_LOG_ERROR, for hosts that show errors
// whatever their own debug switch says.
bool ime_log_line_is_error(const char* line);

// The engine's own log callback: appends the line to ime.log in the data folder, keeping one
// older file ime.log.1 so the log never grows past IME_LOG_FILE_LIMIT. The file stays open
// between lines; one removed or rotated by another process is reopened. Failures are ignored.
void _ime_log_func(const char* line);

// Sets ime_debug_level to the first i of 0, 1, 2 for which the data folder holds "debug_<i>"
// (0 when none does) and returns it.
int ime_init_debug_level();

// Records the processor's byte order and logs it; only the first call does anything.
void ime_test_platform();

// Log with this source file's name and line.
#define IME_LOG(level, ...) imelog((level), __FILE_NAME__, __LINE__, __VA_ARGS__)
#define IME_ERROR(...) IME_LOG(IME_LOG_ERROR, __VA_ARGS__)
#define IME_DEBUG(...) IME_LOG(IME_LOG_DEBUG, __VA_ARGS__)
#define IME_INFO(...) IME_LOG(IME_LOG_INFO, __VA_ARGS__)
