// Opening, closing, counters and the small helpers of dictionary folders. The query and the
// lazy loader are in qdict_query.cpp.
#include "dict/qdict.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>
#include <string>

#include "base/imelog.h"
#include "dict/dictfmt.h"
#include "tables/pinyin_code.h"

namespace {

constexpr off_t kInfoFileMax = 64 * 1024;

std::string file_in(const ImeDict* dict, const char* name) {
  return std::string(dict->path) + "/" + name;
}

bool is_regular_file(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// TOTAL_COUNT must be a plain decimal number; anything else marks a damaged dict.info.
bool parse_count(const std::string& text, std::uint32_t* count) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *count);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

int ime_check_dict(const char* path) {
  struct stat st;
  if (path == nullptr || ::stat(path, &st) != 0 || !S_ISDIR(st.st_mode)) {
    IME_ERROR("Directory \"%s\" not exist.", path != nullptr ? path : "");
    return -1;
  }
  for (const char* name : {dictfmt::kInfoFile, dictfmt::kRecordFile, dictfmt::kIndexFile}) {
    if (!is_regular_file(std::string(path) + "/" + name)) {
      IME_ERROR("Dictionary \"%s\" is not valid. Missing file \"%s\".", path, name);
      return -1;
    }
  }
  return 0;
}

int ime_load_dict_info(ImeDict* dict) {
  const std::string path = file_in(dict, dictfmt::kInfoFile);
  struct stat st;
  // A handful of short lines; anything much larger is not a dict.info.
  if (::stat(path.c_str(), &st) == 0 && st.st_size > kInfoFileMax) {
    IME_ERROR("Dictionary \"%s\" is damaged: dict.info has %lld bytes.", dict->path,
              static_cast<long long>(st.st_size));
    return -1;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    IME_ERROR("Open dict \"%s\" information file failed!", dict->path);
    return -1;
  }
  dict->info.clear();
  std::string line;
  while (std::getline(in, line)) {
    if (auto entry = dictfmt::parse_info_line(line)) dict->info[entry->first] = entry->second;
  }
  dict->word_count = 0;
  auto total = dict->info.find(dictfmt::kTotalCountKey);
  if (total == dict->info.end()) {
    IME_ERROR("Dictionary \"%s\" has no %s; none of its words is offered.", dict->path,
              dictfmt::kTotalCountKey);
  } else if (!parse_count(total->second, &dict->word_count)) {
    IME_ERROR("Dictionary \"%s\" has an invalid %s \"%s\".", dict->path, dictfmt::kTotalCountKey,
              total->second.c_str());
    return -1;
  }
  return 0;
}

int ime_load_dict_db(ImeDict* dict) {
  const std::string path = file_in(dict, dictfmt::kRecordFile);
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    IME_ERROR("Open dict db \"%s\" failed!", path.c_str());
    return -1;
  }
  dict->fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (dict->fd < 0 || ::fstat(dict->fd, &st) != 0) {
    IME_ERROR("Open file \"%s\" failed!", path.c_str());
    return -1;
  }
  dict->db_length = static_cast<std::size_t>(st.st_size);
  // Every record is at least one one-syllable record long; a count the file cannot hold means
  // dict.info and dict.db do not belong together (a cut or swapped file).
  if (dict->word_count > dict->db_length / dictfmt::kMinRecordSize) {
    IME_ERROR("Dictionary \"%s\" is damaged: %u words cannot fit in %zu bytes of dict.db.",
              dict->path, dict->word_count, dict->db_length);
    return -1;
  }
  if (dict->db_length > 0) {
    void* address = ::mmap(nullptr, dict->db_length, PROT_READ, MAP_SHARED, dict->fd, 0);
    if (address == MAP_FAILED) {
      IME_ERROR("Map the dict db \"%s\" to memory failed!", path.c_str());
      return -1;
    }
    dict->db = static_cast<unsigned char*>(address);
  }
  const std::string index_base = file_in(dict, dictfmt::kIndexName);
  dict->index = dictindex::open_read(
      index_base, dict->shipped ? dictindex::Check::Trusted : dictindex::Check::Verify);
  if (dict->index == nullptr) {
    IME_ERROR("Open index \"%s\" failed!", index_base.c_str());
    return -1;
  }
  return 0;
}

int ime_load_dict_freq(ImeDict* dict, int mode) {
  // An empty dictionary has no counters to keep.
  if (mode == IME_DICT_FREQ_NONE || dict->word_count == 0) return 0;
  if (dict->word_count > static_cast<std::uint32_t>(INT_MAX)) {
    IME_ERROR("Open freq object failed!");
    return -1;
  }
  char path[sizeof dict->path];
  std::snprintf(path, sizeof path, "%s", dict->path);
  std::size_t length = std::strlen(path);
  if (length > 1 && path[length - 1] == '/') path[length - 1] = '\0';
  char name[sizeof dict->path];
  QALastName(path, name, sizeof name);
  dict->freq = QAFreqOpen(name, static_cast<int>(dict->word_count),
                          mode == IME_DICT_FREQ_RECREATE ? 1 : 0);
  if (dict->freq == nullptr) {
    IME_ERROR("Open freq object failed!");
    return -1;
  }
  return 0;
}

ImeDict* ime_dict_open(const char* path, int mode, bool shipped) {
  if (ime_check_dict(path) != 0) {
    IME_ERROR("Dict [%s] not valid.", path != nullptr ? path : "");
    return nullptr;
  }
  auto* dict = new (std::nothrow) ImeDict();
  if (dict == nullptr) {
    IME_ERROR("New dict for \"%s\" failed!", path);
    return nullptr;
  }
  dict->fd = -1;
  if (std::strlen(path) >= sizeof dict->path) {
    IME_ERROR("Dictionary path \"%s\" is too long.", path);
    ime_dict_close(dict);
    return nullptr;
  }
  std::snprintf(dict->path, sizeof dict->path, "%s", path);
  dict->shipped = shipped;
  if (ime_load_dict_info(dict) != 0) {
    ime_dict_close(dict);
    return nullptr;
  }
  if (mode == IME_DICT_INFO_ONLY) return dict;
  // dict.db first: the word count is checked against it before a frequency file is sized
  // with it.
  if (ime_load_dict_db(dict) != 0 || ime_load_dict_freq(dict, mode) != 0) {
    ime_dict_close(dict);
    return nullptr;
  }
  return dict;
}

int ime_dict_close(ImeDict* dict) {
  if (dict == nullptr) return 0;
  QAFreqClose(dict->freq);
  if (dict->db != nullptr) ::munmap(dict->db, dict->db_length);
  if (dict->fd >= 0) ::close(dict->fd);
  dictindex::close(dict->index);
  delete dict;
  return 0;
}

namespace {

// The counter row of a word, or -1 when the dictionary keeps none for it.
int counter_row(const ImeDict* dict, std::uint32_t word_number) {
  if (dict == nullptr || dict->freq == nullptr || word_number >= dict->word_count) return -1;
  return static_cast<int>(word_number);
}

}  // namespace

void ime_dict_inc_freq(ImeDict* dict, std::uint32_t word_number) {
  int row = counter_row(dict, word_number);
  if (row >= 0) QAFreqIncreaseValue(dict->freq, row);
}

void ime_dict_dec_freq(ImeDict* dict, std::uint32_t word_number) {
  int row = counter_row(dict, word_number);
  if (row >= 0) QAFreqDecreaseValue(dict->freq, row);
}

void ime_dict_set_freq(ImeDict* dict, std::uint32_t word_number, std::uint32_t value) {
  int row = counter_row(dict, word_number);
  if (row >= 0) QAFreqSetValue(dict->freq, row, value & 0xFF);
}

void ime_dict_mark_deleted(ImeDict* dict, std::uint32_t word_number) {
  int row = counter_row(dict, word_number);
  if (row < 0) return;
  const std::uint32_t counter = QAFreqGetValue(dict->freq, row);
  // The count-ranked mode would read the marker byte as a count and raise the word.
  QAFreqStoreValue(dict->freq, row,
                   ime_freq_mode == 0 ? (counter & 0xFFu) | 0x80u : counter & ~QAFREQ_COUNT_MAX & 0x7FFFFFFFu);
}

std::uint32_t ime_get_item_freq(const ime_qrdb_entry_t* entry) {
  if (entry == nullptr || entry->type != IME_RESULT_DICT_WORD || entry->index < 0) return 0;
  const auto* dict = static_cast<const ImeDict*>(entry->source);
  int row = counter_row(dict, static_cast<std::uint32_t>(entry->index));
  return row >= 0 ? QAFreqGetValue(dict->freq, row) : 0;
}

int ime_get_py_key(const char syllables[][IME_SYLLABLE_BYTES], int first, int last, char* out) {
  int length = 0;
  for (int i = first; i >= 0 && i <= last && i < IME_MAX_SYLLABLES; ++i) {
    out[length++] = dictfmt::fold_initial(syllables[i][0]);
  }
  out[length] = '\0';
  return length;
}

void ime_get_sy(const char* syllable, int length, char* out) {
  std::memset(out, 0, 14);
  if (syllable == nullptr || length <= 0) return;
  if (length > 6) length = 6;
  int initial = (length >= 2 && syllable[1] == 'h' &&
                 (syllable[0] == 'z' || syllable[0] == 'c' || syllable[0] == 's'))
                    ? 2
                    : 1;
  std::memcpy(out, syllable, static_cast<std::size_t>(initial));
  std::memcpy(out + 7, syllable + initial, static_cast<std::size_t>(length - initial));
}

void ime_dec_py(char initial, char final_code, char* out) {
  ime_compose_py(initial, final_code, out);
}

char* QALastName(const char* path, char* out, std::size_t size) {
  if (out == nullptr || size == 0) return out;
  std::string_view text(path != nullptr ? path : "");
  std::size_t slash = text.rfind('/');
  std::string_view last = slash == std::string_view::npos ? text : text.substr(slash + 1);
  std::size_t dot = last.rfind('.');
  if (dot != std::string_view::npos && dot > 0) last = last.substr(0, dot);
  std::snprintf(out, size, "%.*s", static_cast<int>(last.size()), last.data());
  return out;
}
