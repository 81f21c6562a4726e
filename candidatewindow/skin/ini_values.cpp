#include "candidatewindow/skin/ini_values.h"

#include <iniparser.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "candidatewindow/skin/skin_log.h"
#include "platform/files.h"
#include "platform/text.h"

namespace kepskin {

namespace {

constexpr std::size_t kMaxComposedKey = 127;

int log_parser_error(const char* format, ...) {
  char line[512];
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  std::string text(line);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  skin_log("skin.ini: %s", text.c_str());
  return length;
}

// Closes and unlinks the temporary copy whatever happens.
class PrivateTempFile {
 public:
  PrivateTempFile() {
    std::error_code error;
    std::string pattern = (std::filesystem::temp_directory_path(error) / "kep-skin-ini-XXXXXX").string();
    if (error) pattern = "/tmp/kep-skin-ini-XXXXXX";
    fd_ = mkstemp(pattern.data());
    if (fd_ >= 0) path_ = pattern;
  }
  ~PrivateTempFile() {
    if (fd_ >= 0) {
      close(fd_);
      unlink(path_.c_str());
    }
  }
  PrivateTempFile(const PrivateTempFile&) = delete;
  PrivateTempFile& operator=(const PrivateTempFile&) = delete;
  int fd() const { return fd_; }
  const std::string& path() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
};

bool compose_scheme_key(int scheme, std::string_view key, std::string& composed) {
  if (scheme < 0 || scheme > 3) return false;
  composed = kSchemeNames[scheme];
  composed += ':';
  composed += key;
  return composed.size() <= kMaxComposedKey;
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

int read_item(const std::string& item) {
  if (item.size() >= 2 && item[0] == '0' && (item[1] == 'x' || item[1] == 'X')) {
    errno = 0;
    unsigned long long value = std::strtoull(item.c_str() + 2, nullptr, 16);
    if (errno == ERANGE || value > 0xFFFFFFFFull) value = 0xFFFFFFFFull;
    return static_cast<int>(static_cast<std::uint32_t>(value));
  }
  errno = 0;
  long long value = std::strtoll(item.c_str(), nullptr, 10);
  if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

}  // namespace

void IniDeleter::operator()(IniHandle* dictionary) const { iniparser_freedict(dictionary); }

std::string lower_key(std::string_view key) {
  std::string lowered(key);
  for (char& c : lowered)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lowered;
}

IniDictionary parse_ini_text(std::string_view utf8_text) {
  static const bool callback_set = (iniparser_set_error_callback(log_parser_error), true);
  (void)callback_set;
  PrivateTempFile copy;
  if (copy.fd() < 0) {
    skin_log("skin.ini: no temporary file for parsing");
    return nullptr;
  }
  if (!platform::files::write_all(copy.fd(), utf8_text)) return nullptr;
  return IniDictionary(iniparser_load(copy.path().c_str()));
}

int ini_getint(const IniHandle* dictionary, std::string_view key, int fallback) {
  const char* value = ini_getstring(dictionary, key, nullptr);
  if (!value) return fallback;
  errno = 0;
  const long long number = std::strtoll(value, nullptr, 0);
  if (errno == ERANGE || number > 0xFFFFFFFFll || number < std::numeric_limits<int>::min())
    return number < 0 ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
  // 0x80000000..0xFFFFFFFF are packed colours: keep their bits.
  return number > std::numeric_limits<int>::max() ? static_cast<int>(static_cast<std::uint32_t>(number))
                                                  : static_cast<int>(number);
}

const char* ini_getstring(const IniHandle* dictionary, std::string_view key, const char* fallback) {
  if (!dictionary) return fallback;
  return iniparser_getstring(dictionary, lower_key(key).c_str(), fallback);
}

int _iniparser_getint(const IniHandle* dictionary, int scheme, std::string_view key, int fallback) {
  std::string composed;
  if (!compose_scheme_key(scheme, key, composed)) return fallback;
  return ini_getint(dictionary, composed, fallback);
}

int _iniparser_getbool(const IniHandle* dictionary, int scheme, std::string_view key, int fallback) {
  std::string composed;
  if (!dictionary || !compose_scheme_key(scheme, key, composed)) return fallback;
  return iniparser_getboolean(dictionary, lower_key(composed).c_str(), fallback);
}

const char* _iniparser_getstring(const IniHandle* dictionary, int scheme, std::string_view key,
                                 const char* fallback) {
  std::string composed;
  if (!compose_scheme_key(scheme, key, composed)) return fallback;
  return ini_getstring(dictionary, composed, fallback);
}

std::string iniparser_getnsstring(const IniHandle* dictionary, std::string_view key,
                                  std::string_view fallback) {
  const char* value = ini_getstring(dictionary, key, nullptr);
  if (!value || !platform::text::is_valid_utf8(value)) return std::string(fallback);
  return value;
}

int GetIntItems(std::string_view text, std::span<int> items) {
  if (text.empty()) return 0;
  std::size_t stored = 0;
  std::size_t start = 0;
  while (stored < items.size()) {
    const std::size_t comma = text.find(',', start);
    const std::string_view raw = text.substr(start, comma == std::string_view::npos ? text.npos : comma - start);
    std::string item;
    for (char c : raw)
      if (!is_blank(c)) item += c;
    items[stored++] = read_item(item);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return static_cast<int>(stored);
}

}  // namespace kepskin
