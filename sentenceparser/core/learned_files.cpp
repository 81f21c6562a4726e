// The learned-word files in the data folder's "apr" folder: youxian.lib with its backup and
// user.dan; loading at start-up, saving after a learn and at power-off or exit.
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "CoreSource/base/datafolder.h"
#include "CoreSource/base/imelog.h"
#include "platform/files.h"
#include "sentenceparser/core/fill_pinyin.h"
#include "sentenceparser/core/learned_store.h"
#include "sentenceparser/core/text_clip.h"

namespace sentence {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kLineReadMax = 255;
constexpr std::size_t kFileReadMax = 8u << 20;  // far above a full library
constexpr std::size_t kBareWordMinBytes = 4;
constexpr std::size_t kBareWordMaxBytes = 14;

// Whether the library in memory is the file's contents: set by loading, cleared by saving. A
// save of a library that is not loaded would put an empty table over the file.
bool library_loaded = false;
bool order_loaded = false;

fs::path apr_file(const char* name) {
  const char* data_folder = QAGetAppSupportPath();
  return fs::path(data_folder == nullptr ? "" : data_folder) / "apr" / name;
}

// Calls `line` for each line of at most kLineReadMax bytes (a longer line comes in pieces);
// CR is dropped, LF ends a line. False when the file cannot be read.
template <typename LineFn>
bool for_each_line(const fs::path& path, LineFn line) {
  std::error_code error;
  std::error_code size_error;
  if (fs::file_size(path, size_error) > kFileReadMax && !size_error) return false;
  const auto bytes = platform::files::read_file(path, error);
  if (!bytes) return false;
  std::string current;
  for (char c : *bytes) {
    if (c == '\r') continue;
    if (c == '\n') {
      line(current);
      current.clear();
      continue;
    }
    current += c;
    if (current.size() == kLineReadMax) {
      line(current);
      current.clear();
    }
  }
  if (!current.empty()) line(current);
  return true;
}

bool bare_word_shape(const char* word) {
  const std::size_t length = std::strlen(word);
  if (length < kBareWordMinBytes || length > kBareWordMaxBytes || length % 2 != 0) return false;
  const auto lead = static_cast<unsigned char>(word[0]);
  const auto trail = static_cast<unsigned char>(word[1]);
  return lead >= 0xA1 && lead <= 0xF7 && trail > 0xA0;
}

// A word-only line's pinyin: the word clipped into the words the libraries know, then read back
// through them, so a polyphone character is read as the word around it reads it. Only lower-case
// syllables, one per character, count: an item the fill cannot read comes back as its own text.
bool pinyin_of_word(const char* word, char* pinyin, std::size_t room) {
  char clipped[kHzClipOutputSize] = {};
  if (HzClip(word, clipped, sizeof clipped) != 1) return false;
  char filled[kHzClipOutputSize] = {};
  FillPy(clipped, filled, sizeof filled);
  std::size_t syllables = 1;
  for (const char* c = filled; *c != '\0'; ++c) {
    if (*c == '-') {
      ++syllables;
    } else if (*c < 'a' || *c > 'z') {
      return false;
    }
  }
  const std::size_t length = std::strlen(filled);
  if (length == 0 || length >= room || syllables != std::strlen(word) / 2) return false;
  std::memcpy(pinyin, filled, length + 1);
  return true;
}

void load_line(const std::string& line) {
  LearnedFields fields;
  const int count = split_learned_line(line.c_str(), &fields);
  char pinyin[64] = {};
  char number[64] = "1";
  const char* type = "U";
  if (count == 1) {
    if (!bare_word_shape(fields.pinyin)) return;
    std::memcpy(fields.word, fields.pinyin, sizeof fields.word);
    if (!pinyin_of_word(fields.word, pinyin, sizeof pinyin)) return;
  } else if (count >= 2) {
    std::memcpy(pinyin, fields.pinyin, sizeof fields.pinyin);
    if (count >= 3) std::memcpy(number, fields.count, sizeof fields.count);
    if (count == 4) type = fields.type;
  } else {
    return;
  }
  save_memci(pinyin, fields.word, number, type, 0);
}

std::string library_text() {
  std::string text;
  for (const auto& bucket : UBItem) {
    for (const LearnedEntry& entry : bucket) {
      const std::size_t length = ::strnlen(entry.text, kLearnedLineRoom);
      if (entry.in_use == 0 || length == 0 || length >= kLearnedLineRoom) continue;
      text.append(entry.text, length);
      text += "\r\n";
    }
  }
  return text;
}

}  // namespace

void BakeupUserLib() {
  const fs::path library = apr_file("youxian.lib");
  const fs::path backup = apr_file("youxian.bak");
  std::error_code error;
  if (!fs::is_regular_file(library, error)) return;
  const auto library_size = fs::file_size(library, error);
  if (error) return;
  std::error_code backup_error;
  const auto backup_size = fs::file_size(backup, backup_error);
  if (!backup_error && backup_size >= library_size) return;
  const auto bytes = platform::files::read_file(library, error);
  if (!bytes || !platform::files::write_atomic(backup, *bytes, error, 0600)) {
    IME_ERROR("Backing up youxian.lib failed: %s", error.message().c_str());
  }
}

int LoadAutoCi(int reload) {
  if (reload == 0 && library_loaded) return 0;
  AllowWriteUB = 1;
  clear_learned_table();
  library_loaded = true;
  return for_each_line(apr_file("youxian.lib"), load_line) ? 1 : 0;
}

int SaveAutoCi(int force) {
  IME_INFO("Save auto ci...");
  if (force == 0 && UBLoadCount != 1) {
    IME_INFO("Save auto ci returned.");
    return 0;
  }
  if (!library_loaded) {
    IME_INFO("Save auto ci returned: the learned words are not loaded.");
    return 0;
  }
  std::error_code error;
  if (!platform::files::write_atomic(apr_file("youxian.lib"), library_text(), error, 0600)) {
    IME_ERROR("Create youxian.lib file failed! %s", error.message().c_str());
    return 0;
  }
  clear_learned_table();
  AllowWriteUB = 0;
  library_loaded = false;
  return 1;
}

int LoadUserDan(int reload) {
  if (reload == 0 && order_loaded) return 0;
  AllowWriteUD = 1;
  std::memset(UserDan, 0, sizeof UserDan);
  order_loaded = true;
  int row = 0;
  const bool read = for_each_line(apr_file("user.dan"), [&row](const std::string& line) {
    if (row >= kUserDanRows) return;
    std::memcpy(UserDan[row], line.c_str(), line.size() < 255 ? line.size() : 255);
    ++row;
  });
  HaveUserDan = read ? 1 : 0;
  return read ? 1 : 0;
}

int SaveUserDan() {
  if (UBLoadCount != 1 || !order_loaded) return 0;
  std::string text;
  for (const auto& row : UserDan) {
    text.append(row, ::strnlen(row, sizeof row - 1));
    text += "\r\n";
  }
  std::error_code error;
  if (!platform::files::write_atomic(apr_file("user.dan"), text, error, 0600)) {
    IME_ERROR("Open user.dan failed! %s", error.message().c_str());
    return 0;
  }
  std::memset(UserDan, 0, sizeof UserDan);
  AllowWriteUD = 0;
  order_loaded = false;
  return 1;
}

int AllocUserLib(int reload) {
  UBLoadCount = 0;
  AllowWriteUB = 0;
  AllowWriteUD = 0;
  UserLibMan = 0;
  library_loaded = false;
  order_loaded = false;
  BakeupUserLib();
  const int loaded = LoadAutoCi(reload);
  LoadUserDan(reload);
  UBLoadCount = 1;
  return loaded;
}

void FreeUserLib(int at_power_off) {
  if (UBLoadCount <= 0) return;
  if (UserLibMan == 0) {
    UserLibMan = at_power_off != 0 ? 1 : 0;
    SaveAutoCi(at_power_off);
    SaveUserDan();
  }
  --UBLoadCount;
}

}  // namespace sentence
