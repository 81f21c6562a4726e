// Developer tool for dictionary folders: builds one from a word list and looks words up in it
// the way the engine does.
//
//   kep-dict [-v] build <folder> <word list>   word list in GB18030 or UTF-8
//   kep-dict [-v] query <folder> <pinyin>      e.g. zhong'guo, or zhong1'guo2 with tones
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CoreSource/base/imelog.h"
#include "CoreSource/dict/qdict.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/record/qrdb.h"
#include "celldict/dictbuilder.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

namespace fs = std::filesystem;
namespace text = platform::text;

constexpr int kUsage = 2;
constexpr int kFailed = 1;
// Word lists are read whole to find their encoding; anything larger is surely not one.
constexpr std::uintmax_t kWordListMax = 1u << 30;

// Engine log lines are kept and shown only when something fails, or at once with -v.
bool verbose = false;
std::vector<std::string>& held_log() {
  static std::vector<std::string> lines;
  return lines;
}
void hold_log_line(const char* line) {
  if (verbose) {
    std::fprintf(stderr, "%s\n", line);
  } else {
    held_log().emplace_back(line);
  }
}
void show_held_log() {
  for (const std::string& line : held_log()) std::fprintf(stderr, "%s\n", line.c_str());
  held_log().clear();
}

int usage() {
  std::fprintf(stderr,
               "usage: kep-dict [-v] build <folder> <word list>\n"
               "       kep-dict [-v] query <folder> <pinyin>\n"
               "A word list holds one word a line: pinyin (syllables joined by '), the word, and\n"
               "optionally its traditional form, a frequency and tone digits, separated by one\n"
               "blank; GB18030 or UTF-8. Pinyin to query may carry tone digits: zhong1'guo2.\n");
  return kUsage;
}

// A word list in GB18030, as the builder reads it: UTF-8 (with or without a byte-order mark)
// and UTF-16 with a mark are converted, GB18030 is taken as it is.
std::optional<std::string> word_list_in_gb18030(const std::string& bytes, std::string* error) {
  text::ByteOrderMark bom = text::detect_bom(bytes);
  std::string_view body(bytes);
  std::optional<text::Encoding> from;
  if (bom.encoding) {
    from = bom.encoding;
    body.remove_prefix(bom.length);
  } else if (text::is_valid_utf8(body)) {
    from = text::Encoding::Utf8;
  }
  if (from) {
    auto converted = text::convert(body, *from, text::Encoding::Gb18030);
    if (!converted) *error = "the word list cannot be converted to GB18030";
    return converted;
  }
  if (!text::to_utf8(body, text::Encoding::Gb18030)) {
    *error = "the word list is neither UTF-8 nor GB18030 text";
    return std::nullopt;
  }
  return bytes;
}

// A private copy of the converted word list, removed when done.
class TempWordList {
 public:
  bool write(const std::string& bytes, std::string* error) {
    const char* tmp = std::getenv("TMPDIR");
    path_ = std::string(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp") + "/kep-dict-XXXXXX";
    int fd = ::mkstemp(path_.data());
    if (fd < 0) {
      *error = "cannot create a temporary file: " + std::string(std::strerror(errno));
      path_.clear();
      return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        *error = "cannot write a temporary file: " + std::string(std::strerror(errno));
        ::close(fd);
        return false;
      }
      done += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0;
  }
  ~TempWordList() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

int run_build(const std::string& folder, const std::string& list_path) {
  std::error_code error;
  if (fs::exists(folder, error) && !fs::is_directory(folder, error)) {
    std::fprintf(stderr, "kep-dict: %s exists and is not a folder\n", folder.c_str());
    return kFailed;
  }
  if (!fs::is_regular_file(list_path, error)) {
    std::fprintf(stderr, "kep-dict: no word list file %s\n", list_path.c_str());
    return kFailed;
  }
  if (fs::file_size(list_path, error) > kWordListMax) {
    std::fprintf(stderr, "kep-dict: %s is larger than 1 GB\n", list_path.c_str());
    return kFailed;
  }
  auto bytes = platform::files::read_file(list_path, error);
  if (!bytes) {
    std::fprintf(stderr, "kep-dict: cannot read %s: %s\n", list_path.c_str(), error.message().c_str());
    return kFailed;
  }
  std::string why;
  std::optional<std::string> gb18030 = word_list_in_gb18030(*bytes, &why);
  if (!gb18030) {
    std::fprintf(stderr, "kep-dict: %s: %s\n", list_path.c_str(), why.c_str());
    return kFailed;
  }
  TempWordList converted;
  std::string build_from = list_path;
  if (*gb18030 != *bytes) {
    if (!converted.write(*gb18030, &why)) {
      std::fprintf(stderr, "kep-dict: %s\n", why.c_str());
      return kFailed;
    }
    build_from = converted.path();
  }
  if (!platform::files::make_directories(folder, 0755, error)) {
    std::fprintf(stderr, "kep-dict: cannot create %s: %s\n", folder.c_str(), error.message().c_str());
    return kFailed;
  }

  char name[512];
  QALastName(fs::path(folder).lexically_normal().string().c_str(), name, sizeof name);
  std::snprintf(sauthor, sizeof sauthor, "%s", name);
  char message[512] = "";
  ime_build_stats_t stats;
  if (ime_build_dict_with_stats(build_from.c_str(), folder.c_str(), "0", message, &stats) != 0) {
    show_held_log();
    std::fprintf(stderr, "kep-dict: build failed: %s\n", message);
    return kFailed;
  }
  std::printf("%u records written to %s", stats.records, folder.c_str());
  if (stats.rejected > 0) {
    std::printf(" (%u %s skipped%s)", stats.rejected, stats.rejected == 1 ? "line" : "lines",
                verbose ? "" : "; -v lists them");
  }
  std::printf("\n");
  return 0;
}

struct TypedSyllable {
  std::string letters;
  int tone_mask = 15;
};

std::optional<std::vector<TypedSyllable>> parse_pinyin(std::string_view pinyin) {
  std::vector<TypedSyllable> syllables;
  std::size_t start = 0;
  while (true) {
    std::size_t end = pinyin.find('\'', start);
    std::string_view part = pinyin.substr(start, end == std::string_view::npos ? end : end - start);
    TypedSyllable syllable;
    if (!part.empty() && part.back() >= '1' && part.back() <= '4') {
      syllable.tone_mask = 1 << (part.back() - '1');
      part.remove_suffix(1);
    }
    if (part.empty() || part.size() > 6) return std::nullopt;
    for (char c : part) {
      if (c < 'a' || c > 'z') return std::nullopt;
    }
    syllable.letters = std::string(part);
    syllables.push_back(syllable);
    if (syllables.size() > 30) return std::nullopt;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return syllables;
}

std::string spelled_pinyin(const ime_query_result_t& word) {
  std::string pinyin;
  for (int k = 0; k < word.plen; ++k) {
    char syllable[8];
    ime_dec_py(word.sm[k], word.ym[k], syllable);
    if (k > 0) pinyin += '\'';
    pinyin += syllable;
  }
  return pinyin;
}

int run_query(const std::string& folder, const std::string& pinyin) {
  auto syllables = parse_pinyin(pinyin);
  if (!syllables) {
    std::fprintf(stderr,
                 "kep-dict: \"%s\" is not 1 to 30 syllables of 1 to 6 letters a-z joined by ', each "
                 "with an optional tone digit 1-4\n",
                 pinyin.c_str());
    return kUsage;
  }
  // No frequency file: looking words up must not touch the user's counters.
  ImeDict* dict = ime_dict_open(folder.c_str(), IME_DICT_FREQ_NONE);
  if (dict == nullptr) {
    show_held_log();
    std::fprintf(stderr, "kep-dict: %s is not a readable dictionary folder\n", folder.c_str());
    return kFailed;
  }
  auto* conversation = static_cast<ime_conversation_t*>(std::calloc(1, sizeof(ime_conversation_t)));
  if (conversation == nullptr || ime_qrdb_init_all(conversation) != 0) {
    std::free(conversation);
    ime_dict_close(dict);
    std::fprintf(stderr, "kep-dict: out of memory\n");
    return kFailed;
  }
  int tones[IME_MAX_SYLLABLES];
  std::fill(std::begin(tones), std::end(tones), 15);
  const int count = static_cast<int>(syllables->size());
  for (int i = 0; i < count; ++i) {
    std::snprintf(conversation->py[i], IME_SYLLABLE_BYTES, "%s", (*syllables)[i].letters.c_str());
    tones[i] = (*syllables)[i].tone_mask;
  }
  conversation->pynum = static_cast<std::uint16_t>(count - 1);
  ime_current_pynum = count - 1;
  ime_dict_query(dict, 0, conversation, tones, 0, count - 1, 1);

  std::vector<ime_query_result_t> words;
  for (int i = 0; i < ime_qrdb_count(conversation, 1); ++i) {
    ime_qrdb_entry_t* entry = nullptr;
    ime_query_result_t word{};
    if (ime_qrdb_get_lazy(conversation, 1, i, &entry) == 0 && ime_load_cz_lazy(entry, &word) == 0) {
      words.push_back(word);
    }
  }
  std::stable_sort(words.begin(), words.end(), [](const auto& a, const auto& b) {
    if (a.plen != b.plen) return a.plen < b.plen;
    return a.matval > b.matval;
  });
  for (const ime_query_result_t& word : words) {
    std::printf("%.*s\t%s\t%u\n", word.hlen, reinterpret_cast<const char*>(word.hz),
                spelled_pinyin(word).c_str(), word.freq);
  }
  if (words.empty()) std::fprintf(stderr, "kep-dict: no words for %s\n", pinyin.c_str());
  ime_qrdb_free_all(conversation);
  std::free(conversation);
  ime_dict_close(dict);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "-v") {
    verbose = true;
    ime_debug_level = 1;
    args.erase(args.begin());
  }
  ime_log_func = hold_log_line;
  if (args.size() != 3) return usage();
  if (args[0] == "build") return run_build(args[1], args[2]);
  if (args[0] == "query") return run_query(args[1], args[2]);
  return usage();
}
