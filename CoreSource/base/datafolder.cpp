#include "base/datafolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/imelog.h"
#include "platform/bundle.h"
#include "platform/files.h"
#include "platform/plist.h"
#include "platform/text.h"

namespace fs = std::filesystem;

const char* ime_bundle_name = nullptr;
char ime_default_res[512] = "";

namespace {

constexpr std::size_t kPathMax = 512;  // engine path buffers, terminating zero included

char support_path_buffer[kPathMax];
bool support_path_known = false;
std::string support_path_string;
std::string support_path_error;

char home_buffer[kPathMax];
bool home_known = false;
char home_each_call_buffer[kPathMax];

std::map<std::string, std::string, std::less<>> resource_cache;

bool path_exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool copy_bounded(std::string_view text, char* out, std::size_t size) {
  if (out == nullptr || size == 0 || text.size() >= size) return false;
  std::memcpy(out, text.data(), text.size());
  out[text.size()] = '\0';
  return true;
}

// HOME as an absolute folder without trailing slashes, or the reason it cannot be used.
std::optional<std::string> home_from_environment(std::string& error) {
  const char* home = std::getenv("HOME");
  if (home == nullptr) {
    error = "HOME is not set; the data folder $HOME/Library/KEP cannot be named";
    return std::nullopt;
  }
  if (home[0] == '\0') {
    error = "HOME is empty; the data folder $HOME/Library/KEP cannot be named";
    return std::nullopt;
  }
  if (home[0] != '/') {
    error = std::string("HOME \"") + home + "\" is not an absolute path";
    return std::nullopt;
  }
  std::string value(home);
  while (value.size() > 1 && value.back() == '/') value.pop_back();
  if (value == "/") value.clear();  // "/" + "/Library/KEP" would give a doubled slash
  return value;
}

const char* compute_support_path(bool log_failure) {
  if (support_path_known) return support_path_buffer;
  std::string error;
  std::optional<std::string> home = home_from_environment(error);
  if (home) {
    std::string path = *home + "/Library/KEP";
    if (copy_bounded(path, support_path_buffer, sizeof support_path_buffer)) {
      support_path_known = true;
      support_path_string = path;
      support_path_error.clear();
      return support_path_buffer;
    }
    error = "the data folder path under HOME is longer than " + std::to_string(kPathMax - 1) +
            " bytes";
  }
  support_path_error = error;
  if (log_failure) IME_ERROR("No data folder: %s.", error.c_str());
  return nullptr;
}

const char* home_directory_into(char* buffer, std::size_t size) {
  std::string error;
  std::optional<std::string> home = home_from_environment(error);
  if (!home) {
    IME_ERROR("No home folder: %s.", error.c_str());
    return nullptr;
  }
  std::string value = home->empty() ? "/" : *home;
  if (!copy_bounded(value, buffer, size)) {
    IME_ERROR("The home folder path is too long.");
    return nullptr;
  }
  return buffer;
}

}  // namespace

int ime_set_default_resources() {
  if (ime_bundle_name == nullptr || ime_bundle_name[0] == '\0') {
    ime_bundle_name = IME_DEFAULT_BUNDLE_NAME;
  }
  std::string folder = platform::files::under_root(IME_DEFAULT_RESOURCE_FOLDER).string();
  if (!copy_bounded(folder, ime_default_res, sizeof ime_default_res)) {
    IME_ERROR("The default resource folder \"%s\" is too long.", folder.c_str());
    ime_default_res[0] = '\0';
    return -1;
  }
  return 0;
}

const char* QAGetAppSupportPath() { return compute_support_path(true); }

const char* ime_data_folder_quiet() { return compute_support_path(false); }

std::string ime_data_folder_error() {
  compute_support_path(false);
  return support_path_known ? std::string() : support_path_error;
}

int QACopyAppSupportPath(char* buffer, std::size_t size) {
  const char* path = QAGetAppSupportPath();
  if (path == nullptr) {
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    return -1;
  }
  return copy_bounded(path, buffer, size) ? 0 : -1;
}

const std::string& QAGetAppSupportPathString() {
  static const std::string empty;
  return QAGetAppSupportPath() != nullptr ? support_path_string : empty;
}

std::string QACopyAppSupportPathString() { return QAGetAppSupportPathString(); }

std::string QACopyAppSupportPathURL() {
  const std::string& path = QAGetAppSupportPathString();
  if (path.empty()) return {};
  static const char hex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (unsigned char c : path) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      url.push_back(static_cast<char>(c));
    } else {
      url.push_back('%');
      url.push_back(hex[c >> 4]);
      url.push_back(hex[c & 0x0F]);
    }
  }
  url.push_back('/');
  return url;
}

int ime_make_data_folder() {
  const char* path = QAGetAppSupportPath();
  if (path == nullptr) return -1;
  std::error_code error;
  if (!platform::files::make_directories(path, 0700, error)) {
    IME_ERROR("Create directory '%s' failed!:%s", path, error.message().c_str());
    return -1;
  }
  std::string refusal = ime_data_folder_refusal(path);
  if (!refusal.empty()) {
    IME_ERROR("The data folder '%s' is refused: %s.", path, refusal.c_str());
    return -1;
  }
  return 0;
}

std::string ime_data_folder_refusal(const char* path) {
  struct stat st;
  // A folder reached through a link is judged by the folder itself.
  if (::stat(path, &st) != 0) return std::string("it cannot be examined (") + std::strerror(errno) + ")";
  if (!S_ISDIR(st.st_mode)) return "it is not a folder";
  if (st.st_uid != ::geteuid()) {
    return "it belongs to user " + std::to_string(st.st_uid) + ", not to this user (" +
           std::to_string(::geteuid()) + ")";
  }
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    return std::string("others can write to it (mode ") + mode + "); make it private with chmod 700";
  }
  return {};
}

const char* QAGetHomeDirectory() {
  if (home_known) return home_buffer;
  if (home_directory_into(home_buffer, sizeof home_buffer) == nullptr) return nullptr;
  home_known = true;
  return home_buffer;
}

const char* IMEGetHomeDirectory() {
  return home_directory_into(home_each_call_buffer, sizeof home_each_call_buffer);
}

void AddToResDict(const char* name, const char* path) {
  if (name == nullptr || path == nullptr || !path_exists(path)) return;
  resource_cache.try_emplace(name, path);
}

int ime_get_resource_filename(const char* name, char* out) {
  if (name == nullptr || out == nullptr) return -1;
  const bool skip_data_folder = name[0] == '!';
  const std::string bare(skip_data_folder ? name + 1 : name);
  if (bare.empty() || !platform::text::is_valid_utf8(bare)) {
    IME_ERROR("Create resource string failed!");
    return -1;
  }

  auto answer = [&](const std::string& path, bool cache) -> int {
    if (!copy_bounded(path, out, kPathMax)) {
      IME_ERROR("The path of resource \"%s\" is too long.", bare.c_str());
      out[0] = '\0';
      return -1;
    }
    if (cache) AddToResDict(bare.c_str(), out);
    return 0;
  };

  if (auto hit = resource_cache.find(bare); hit != resource_cache.end()) {
    return answer(hit->second, false);
  }

  if (!skip_data_folder) {
    if (const char* folder = QAGetAppSupportPath()) {
      std::string path = std::string(folder) + "/" + bare;
      if (path_exists(path)) return answer(path, true);
    }
  }

  if (ime_bundle_name != nullptr && ime_bundle_name[0] != '\0') {
    if (std::optional<platform::Bundle> bundle = platform::Bundle::find(ime_bundle_name)) {
      if (std::optional<fs::path> resource = bundle->resource(bare)) {
        std::error_code error;
        fs::path absolute = fs::absolute(*resource, error);
        if (!error) return answer(absolute.string(), true);
      }
    }
  }

  return answer(std::string(ime_default_res) + "/" + bare, true);
}

char* QAChangePostfix(const char* source, const char* suffix, char* out, std::size_t out_size) {
  if (source == nullptr || suffix == nullptr || out == nullptr || out_size == 0) return nullptr;
  std::string_view path(source);
  // Only a dot of the file name starts an extension, never one in a folder name.
  std::size_t name_start = path.rfind('/');
  name_start = name_start == std::string_view::npos ? 0 : name_start + 1;
  std::size_t dot = path.rfind('.');
  std::string_view stem = (dot != std::string_view::npos && dot >= name_start)
                              ? path.substr(0, dot) : path;
  std::string result(stem);
  result += suffix;
  if (!copy_bounded(result, out, out_size)) {
    out[0] = '\0';
    return nullptr;
  }
  return out;
}

int full_convert_installed() {
  for (const char* part : {"cz", "main", "mpp", "py"}) {
    std::string path = platform::files::under_root(std::string("/Library/TAV/") + part).string();
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return 0;
  }
  return 1;
}

int ime_get_osversion(int* major, int* minor, int* revision) {
  fs::path file = platform::files::under_root("/System/Library/CoreServices/SystemVersion.plist");
  std::error_code error;
  std::optional<platform::plist::Value> root = platform::plist::read_file(file, error);
  if (!root) return -1;
  const platform::plist::Dictionary* dict = root->as_dictionary();
  if (dict == nullptr) return -1;
  const platform::plist::Value* version = dict->find("ProductVersion");
  if (version == nullptr || version->as_string() == nullptr) return -1;

  int parts[3];
  int count = 0;
  std::string_view text = *version->as_string();
  std::size_t at = 0;
  while (at < text.size() && count < 3) {
    std::size_t end = text.find_first_of(".>/?", at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view token = text.substr(at, end - at);
    at = end + 1;
    if (token.empty()) continue;  // a run of separators counts as one
    if (token.size() > 9) return -1;
    int value = 0;
    for (char c : token) {
      if (c < '0' || c > '9') return -1;
      value = value * 10 + (c - '0');
    }
    parts[count++] = value;
  }
  if (count < 3) return -1;
  if (major) *major = parts[0];
  if (minor) *minor = parts[1];
  if (revision) *revision = parts[2];
  return 0;
}

int QACopyFile(const char* source, const char* destination_folder) {
  if (source == nullptr || destination_folder == nullptr) return -1;
  struct stat st;
  if (::stat(source, &st) != 0 || !S_ISREG(st.st_mode)) {
    IME_ERROR("Copy file \"%s\" failed: no such file.", source);
    return -1;
  }
  if (::stat(destination_folder, &st) != 0 || !S_ISDIR(st.st_mode)) {
    IME_ERROR("Copy file \"%s\" failed: no folder \"%s\".", source, destination_folder);
    return -1;
  }
  fs::path destination = fs::path(destination_folder) / fs::path(source).filename();
  std::error_code error;
  if (!platform::files::copy_file_replacing(source, destination, error)) {
    IME_ERROR("Copy file \"%s\" to \"%s\" failed!:%s", source, destination.c_str(),
              error.message().c_str());
    return -1;
  }
  return 0;
}

int QADeleteFile(const char* path) {
  if (path == nullptr) return -1;
  struct stat st;
  // A link is removed as a link; its target is never walked.
  if (::lstat(path, &st) != 0) {
    IME_ERROR("Make fsref object for \"%s\" failed!", path);
    return -1;
  }
  if (!S_ISDIR(st.st_mode)) {
    if (::unlink(path) != 0) {
      IME_ERROR("Delete file \"%s\" failed!", path);
      return -1;
    }
    return 0;
  }

  std::error_code error;
  std::vector<fs::directory_entry> entries =
      platform::files::list_directory(path, error, /*include_hidden=*/true);
  if (error) {
    IME_ERROR("open director \"%s\" failed!", path);
    return -1;
  }
  // Check everything before deleting anything, so a refused folder keeps all its files.
  for (const fs::directory_entry& entry : entries) {
    fs::file_status status = entry.symlink_status(error);
    if (error) {
      IME_ERROR("open director \"%s\" failed!", path);
      return -1;
    }
    if (fs::is_directory(status)) {
      IME_ERROR("The directory has sub-directory!");
      return -1;
    }
    if (!fs::is_regular_file(status) && !fs::is_symlink(status)) {
      IME_ERROR("This directory has no regular file.");
      return -1;
    }
  }
  for (const fs::directory_entry& entry : entries) {
    if (::unlink(entry.path().c_str()) != 0) {
      IME_ERROR("Delete object \"%s\" failed!", entry.path().c_str());
    }
  }
  if (::rmdir(path) != 0) {
    IME_ERROR("Delete the directory \"%s\" failed!", path);
    return -1;
  }
  return 0;
}

void ime_datafolder_reset_for_testing() {
  support_path_known = false;
  support_path_buffer[0] = '\0';
  support_path_string.clear();
  support_path_error.clear();
  home_known = false;
  home_buffer[0] = '\0';
  resource_cache.clear();
}
