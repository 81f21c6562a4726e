// exportTo() and exportToFolder(): the body decoded into a private word list, then the
// dictionary-folder builder.
#include <strings.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include "CoreSource/base/datafolder.h"
#include "CoreSource/base/imelog.h"
#include "dictbuilder.h"
#include "platform/files.h"
#include "progress_reporter.h"
#include "scel_body.h"
#include "scel_reader.h"
#include "scel_text.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kStagingPrefix = "__new__";
constexpr std::size_t kMessageSize = 512;

// The description buffers and the builder are one per process.
std::mutex& export_mutex() {
  static std::mutex mutex;
  return mutex;
}

// The last path component; trailing slashes do not count.
std::string last_component(std::string_view target) {
  while (!target.empty() && target.back() == '/') target.remove_suffix(1);
  std::size_t slash = target.rfind('/');
  return std::string(slash == std::string_view::npos ? target : target.substr(slash + 1));
}

// Nothing, the folder itself or its parent, hidden names (the builders' lock files and private
// folders) and the staging names a refreshed dictionary is built under never name a dictionary.
bool is_refused_name(const std::string& name) {
  return name.empty() || name == "." || name == ".." || name.front() == '.' ||
         ::strncasecmp(name.c_str(), kStagingPrefix.data(), kStagingPrefix.size()) == 0;
}

// A folder itself, not a link to one.
bool is_real_folder(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder exportTo builds into: an older folder of the name removed (only a real folder,
// never what a link points at), then made afresh.
bool replace_folder(const std::string& folder) {
  struct stat st;
  if (::lstat(folder.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode)) {
      IME_ERROR("\"%s\" is not a folder; it is left as it is.", folder.c_str());
      return false;
    }
    std::error_code error;
    if (!platform::files::remove_tree(folder, error)) {
      IME_ERROR("Remove folder \"%s\" failed![%s]", folder.c_str(), error.message().c_str());
      return false;
    }
  } else if (errno != ENOENT) {
    IME_ERROR("Examine \"%s\" failed![%s]", folder.c_str(), std::strerror(errno));
    return false;
  }
  if (::mkdir(folder.c_str(), 0700) != 0) {
    IME_ERROR("Create folder \"%s\" failed![%s]", folder.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}

bool existing_folder(const std::string& folder) {
  if (is_real_folder(folder)) return true;
  IME_ERROR("Directory \"%s\" not exist.", folder.c_str());
  return false;
}

// The word list in a folder of its own from mkdtemp, removed with it.
class PrivateWordList {
 public:
  ~PrivateWordList() {
    if (file_ != nullptr) std::fclose(file_);
    if (folder_) {
      std::error_code ignored;
      platform::files::remove_tree(*folder_, ignored);
    }
  }

  bool create() {
    std::error_code error;
    folder_ = platform::files::make_temp_directory({}, "kep-scel-", error);
    if (!folder_) return false;
    path_ = (*folder_ / "words").string();
    file_ = std::fopen(path_.c_str(), "wb");
    if (file_ == nullptr) return false;
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
    return true;
  }

  bool finish() {
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed) IME_ERROR("Write the word list failed![%s]", std::strerror(errno));
    return closed;
  }

  std::FILE* file() const { return file_; }
  const std::string& path() const { return path_; }

 private:
  std::optional<fs::path> folder_;
  std::string path_;
  std::FILE* file_ = nullptr;
};

// A stop is no failure: 0, with the stop told in the stats.
int export_stopped(ScelExportStats* stats) {
  IME_INFO("Export stopped.");
  stats->stopped = true;
  return 0;
}

// At most IME_DICT_TEXT_SIZE - 1 bytes of whole characters; a zero inside the text becomes a
// blank, so what follows it still reaches dict.info.
void fill_text(char* buffer, std::string text) {
  for (char& c : text) {
    if (c == '\0') c = ' ';
  }
  int written = scel::GetUTF8(text, buffer, IME_DICT_TEXT_SIZE - 1);
  buffer[written > 0 ? written : 0] = '\0';
}

}  // namespace

int ScelReader::exportTo(const std::string& target, ScelExportStats* stats,
                         celldict::ProgressReporter* reporter) {
  ScelExportStats local;
  if (stats == nullptr) stats = &local;
  *stats = ScelExportStats{};
  if (fp_ == nullptr) return -1;
  const std::string name = last_component(target);
  if (is_refused_name(name)) {
    IME_ERROR("Refused to export to \"%s\": not a dictionary name.", name.c_str());
    close();
    return -1;
  }
  if (ime_make_data_folder() != 0) {
    close();
    return -1;
  }
  const std::string dictionaries = QAGetAppSupportPathString() + "/Dictionary";
  std::error_code error;
  if (!platform::files::make_directories(dictionaries, 0700, error) || !is_real_folder(dictionaries)) {
    IME_ERROR("The folder \"%s\" cannot hold dictionaries.", dictionaries.c_str());
    close();
    return -1;
  }
  const std::string folder = dictionaries + "/" + name;
  const int built = build_into(folder, &replace_folder, stats, reporter);
  if (built == 0 && stats->stopped && is_real_folder(folder)) {
    // Made for the build that was stopped; it holds nothing.
    std::error_code ignored;
    platform::files::remove_tree(folder, ignored);
  }
  return built;
}

int ScelReader::exportToFolder(const std::string& folder, ScelExportStats* stats,
                               celldict::ProgressReporter* reporter) {
  ScelExportStats local;
  if (stats == nullptr) stats = &local;
  *stats = ScelExportStats{};
  if (fp_ == nullptr) return -1;
  return build_into(folder, &existing_folder, stats, reporter);
}

int ScelReader::build_into(const std::string& folder, bool (*prepare)(const std::string& folder),
                           ScelExportStats* stats, celldict::ProgressReporter* reporter) {
  ScelExportStats local;
  if (stats == nullptr) stats = &local;
  std::lock_guard<std::mutex> lock(export_mutex());
  if (reporter != nullptr) {
    reporter->setProgress(celldict::kProgressDeterminate, 2 * std::int64_t{wordCount_});
    reporter->setStatus("BUILD_PREPROCESS");
  }

  PrivateWordList list;
  if (!list.create()) {
    IME_ERROR("Create temp file failed!");
    close();
    return -1;
  }
  scel::BodyCounts counts;
  const bool decoded = scel::decode_body(fp_, fileSize_, wordCount_, list.file(), &counts, reporter);
  close();
  stats->words_read = counts.words_read;
  stats->words_written = counts.words_written;
  stats->not_gbk = counts.not_gbk;
  if (!decoded || !list.finish()) return -1;
  if (counts.stopped) return export_stopped(stats);

  fill_text(sauthor, name_);
  fill_text(sdesc, remark_);
  std::snprintf(sversion, sizeof sversion, "%d", ver_);
  if (!prepare(folder)) return -1;

  IME_INFO("build dict:[%s][%s]", list.path().c_str(), folder.c_str());
  char message[kMessageSize] = "";
  ime_build_stats_t built;
  if (ime_build_dict_reporting(list.path().c_str(), folder.c_str(), uid_.c_str(), message, &built,
                               reporter) != 0) {
    if (built.stopped) return export_stopped(stats);
    IME_ERROR("Build dict failed:[%s]", message);
    return -1;
  }
  stats->records = built.records;
  IME_INFO("Build done..");
  return 0;
}
