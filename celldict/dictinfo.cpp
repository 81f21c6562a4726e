// The description files of a dictionary folder and the process-wide texts they are made from.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "CoreSource/base/imelog.h"
#include "CoreSource/dict/dictfmt.h"
#include "dictbuilder.h"
#include "platform/files.h"

char sauthor[IME_DICT_TEXT_SIZE] = "";
char sdesc[IME_DICT_TEXT_SIZE] = "";
// The engine reads a missing or empty version as "1.0"; start from the same value.
char sversion[IME_DICT_TEXT_SIZE] = "1.0";
std::atomic<char> stopFlag{0};

namespace {

bool write_text(const std::string& path, const std::string& text) {
  std::error_code error;
  if (platform::files::write_atomic(path, text, error, dictfmt::kFileMode)) return true;
  IME_ERROR("Create file \"%s\" failed![%s]", path.c_str(), error.message().c_str());
  return false;
}

std::string one_line(const char* text) {
  return dictfmt::info_value_on_one_line(text != nullptr ? text : "");
}

}  // namespace

int ime_uid_number(const char* uid) {
  if (uid == nullptr) return 0;
  errno = 0;
  long long value = std::strtoll(uid, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int ime_creat_dict_info(const char* folder, std::uint32_t total_count, const char* user,
                        const char* description, const char* date, const char* version, int uid) {
  if (folder == nullptr) return -1;
  const std::string base(folder);
  std::string info;
  info += std::string(dictfmt::kTotalCountKey) + "\t" + std::to_string(total_count) + "\n";
  info += "USER\t" + one_line(user) + "\n";
  info += "DESCRIPTION\t" + one_line(description) + "\n";
  info += "DATE\t" + one_line(date) + "\n";
  info += "VERSION\t" + one_line(version) + "\n";
  if (!write_text(base + "/" + dictfmt::kInfoFile, info)) return -1;
  if (!write_text(base + "/" + dictfmt::kVersionFile, one_line(version))) return -1;
  if (!write_text(base + "/" + dictfmt::kUidFile, std::to_string(uid))) return -1;
  return 0;
}
