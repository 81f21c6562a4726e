#include "sentenceparser/core/sp_file.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "CoreSource/base/imelog.h"
#include "CoreSource/base/tablefile.h"
#include "platform/files.h"

namespace sentence {

namespace {

constexpr std::size_t kPathMax = 512;

// The path with every '\' turned into '/'; false when it does not fit.
bool slash_path(const char* path, char (&out)[kPathMax]) {
  if (path == nullptr) return false;
  const std::size_t length = strnlen(path, kPathMax);
  if (length == kPathMax) return false;
  for (std::size_t i = 0; i <= length; ++i) out[i] = path[i] == '\\' ? '/' : path[i];
  return true;
}

// A file replaced or removed behind the pool's back must not be served from its old mapping.
void forget_pooled(const char* path) {
  for (QAMMap*& slot : _cached_pool) {
    if (slot != nullptr && std::strcmp(slot->path, path) == 0) {
      QAMMapClose(slot);
      slot = nullptr;
    }
  }
}

}  // namespace

SpFile* mfopen(const char* path, const char* mode) {
  if (path == nullptr || mode == nullptr) return nullptr;
  const bool writing = std::strcmp(mode, "rw") == 0 || std::strcmp(mode, "wb") == 0;
  return ime_cached_pool_open(path, writing ? QAMMAP_READ_WRITE : QAMMAP_READ_ONLY);
}

SpFile* _fopen(const char* path, int mode_bits) {
  const char* mode = nullptr;
  switch (mode_bits & (kOpenRead | kOpenWrite)) {
    case kOpenRead | kOpenWrite: mode = "rw"; break;
    case kOpenRead: mode = "rb"; break;
    case kOpenWrite: mode = "wb"; break;
    default: return nullptr;
  }
  char converted[kPathMax];
  if (!slash_path(path, converted)) return nullptr;
  return mfopen(converted, mode);
}

SpFile* _fcreat(const char* path) {
  char converted[kPathMax];
  if (!slash_path(path, converted)) return nullptr;
  return mfopen(converted, "wb");
}

void _fclose(SpFile*) {}
void mfclose() {}

std::size_t _fread(SpFile* file, void* buffer, std::size_t n) {
  if (file == nullptr || buffer == nullptr) return 0;
  return QAMMapRead(buffer, 1, n, file);
}

std::size_t _fwrite(SpFile* file, const void* buffer, std::size_t n) {
  if (file == nullptr || buffer == nullptr) return 0;
  return QAMMapWrite(buffer, 1, n, file);
}

int _fseek(SpFile* file, long offset, int origin) {
  if (file == nullptr) return -1;
  return QAMMapSeek(file, offset, origin) < 0 ? -1 : 0;
}

int mygets(char* buffer, int max, SpFile* file) {
  if (buffer == nullptr || max <= 0) return 0;
  buffer[0] = '\0';
  if (file == nullptr) return 0;
  int stored = 0;
  bool read_any = false;
  while (stored < max - 1) {
    char c = 0;
    if (QAMMapRead(&c, 1, 1, file) != 1) break;
    read_any = true;
    if (c == '\n') break;
    if (c != '\r') buffer[stored++] = c;
  }
  buffer[stored] = '\0';
  return read_any ? 1 : 0;
}

int DeleteFile(const char* path) {
  char converted[kPathMax];
  if (!slash_path(path, converted)) {
    IME_ERROR("DeleteFile: path too long or missing");
    return -1;
  }
  std::error_code error;
  if (!std::filesystem::remove(converted, error)) {
    IME_ERROR("DeleteFile %s failed: %s", converted,
              error ? error.message().c_str() : "no such file");
    return -1;
  }
  forget_pooled(converted);
  return 0;
}

int CopyFile(const char* from, const char* to, int fail_if_exists) {
  char source[kPathMax];
  char destination[kPathMax];
  if (!slash_path(from, source) || !slash_path(to, destination)) {
    IME_ERROR("CopyFile: path too long or missing");
    return -1;
  }
  std::error_code error;
  if (fail_if_exists != 0 && std::filesystem::exists(destination, error)) {
    IME_ERROR("CopyFile %s: %s exists already", source, destination);
    return -1;
  }
  if (!platform::files::copy_file_replacing(source, destination, error)) {
    IME_ERROR("CopyFile %s to %s failed: %s", source, destination, error.message().c_str());
    return -1;
  }
  forget_pooled(destination);
  return 0;
}

int _itoa(int value, char* text, int /*radix*/) {
  if (text == nullptr) return 0;
  // 12 bytes hold every int in decimal with its sign and terminator.
  const int length = std::snprintf(text, 12, "%d", value);
  return length < 0 ? 0 : length;
}

int itoa(int value, char* text, int radix) { return _itoa(value, text, radix); }

void _strupr(char* text) {
  for (; text != nullptr && *text != '\0'; ++text) {
    if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
  }
}

void _strlwr(char* text) {
  for (; text != nullptr && *text != '\0'; ++text) {
    if (*text >= 'A' && *text <= 'Z') *text = static_cast<char>(*text - 'A' + 'a');
  }
}

}  // namespace sentence
