#include "tables/accode.h"

#include <cstring>
#include <optional>
#include <string_view>

#include "base/datafolder.h"
#include "base/filestamp.h"
#include "base/imelog.h"
#include "platform/files.h"

ime_acc_dict_t* kAccCodeDict = nullptr;

namespace {

// The file the table was last loaded from.
ime_file_stamp_t loaded_stamp;

constexpr std::size_t kHanziBytes = 3;
constexpr std::size_t kCodesAt = 4;

void parse_line(std::string_view line, ime_acc_dict_t* dict) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (line.empty() || line[0] == ';' || line.size() > IME_ACC_LINE_MAX) return;
  if (line.size() <= kCodesAt) return;  // a hanzi without codes adds nothing
  std::vector<std::string> codes;
  std::string_view rest = line.substr(kCodesAt);
  while (!rest.empty()) {
    std::size_t blank = rest.find(' ');
    std::string_view code = rest.substr(0, blank);
    if (!code.empty()) codes.emplace_back(code.substr(0, IME_ACC_CODE_MAX));
    if (blank == std::string_view::npos) break;
    rest.remove_prefix(blank + 1);
  }
  if (!codes.empty()) (*dict)[std::string(line.substr(0, kHanziBytes))] = std::move(codes);
}

}  // namespace

void ime_parse_acc_lines(const std::string& text, ime_acc_dict_t* dict) {
  std::string_view rest(text);
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    parse_line(rest.substr(0, end), dict);
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
}

int ime_load_acc() {
  char path[512];
  if (ime_get_resource_filename("fzm.db", path) != 0) {
    IME_ERROR("No resouce file 'fzm.db' found.");
    return -1;
  }
  ime_file_stamp_t stamp;
  bool exists = ime_file_stamp_t::of(path, &stamp);
  if (exists && kAccCodeDict != nullptr && stamp == loaded_stamp) {
    IME_DEBUG("[%s] not changed.", path);
    return 0;
  }
  std::error_code error;
  std::optional<std::string> text = platform::files::read_file(path, error);
  if (!exists || !text) {
    IME_ERROR("Open acc file '%s' failed.", path);
    return -1;
  }
  auto* dict = new (std::nothrow) ime_acc_dict_t();
  if (dict == nullptr) {
    IME_ERROR("Create dictionary for acc-code failed.");
    return -2;
  }
  ime_parse_acc_lines(*text, dict);
  delete kAccCodeDict;
  kAccCodeDict = dict;
  loaded_stamp = stamp;
  return 0;
}

void ime_release_acc() {
  delete kAccCodeDict;
  kAccCodeDict = nullptr;
  loaded_stamp = {};
}
