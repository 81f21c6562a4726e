// The two passes of a build: word list -> intermediate lines (checked, keyed), sorted in
// memory by bytes; sorted lines -> records in dict.db and one index entry per key.
#include "dictbuilder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <ctime>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "CoreSource/base/imelog.h"
#include "CoreSource/dict/dictfmt.h"
#include "CoreSource/dict/dictindex.h"
#include "platform/files.h"
#include "progress_reporter.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMessageSize = 512;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Intermediate lines in one buffer; sorting moves only their spans.
class LineStore {
 public:
  void add(std::string_view line) {
    spans_.push_back({bytes_.size(), line.size()});
    bytes_.append(line);
  }
  void sort() {
    std::sort(spans_.begin(), spans_.end(),
              [this](const Span& a, const Span& b) { return view(a) < view(b); });
  }
  std::size_t size() const { return spans_.size(); }
  std::string_view operator[](std::size_t i) const { return view(spans_[i]); }

 private:
  struct Span {
    std::size_t offset;
    std::size_t length;
  };
  // string_view compares as unsigned bytes, the order of "sort" in the C locale.
  std::string_view view(const Span& s) const { return std::string_view(bytes_).substr(s.offset, s.length); }
  std::string bytes_;
  std::vector<Span> spans_;
};

std::string today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday);
  return text;
}

// The watcher's side of a build: its stop request and about a hundred reports of the records
// written. Without a watcher the process-wide stopFlag ends a pass early instead.
class BuildWatch {
 public:
  explicit BuildWatch(celldict::ProgressReporter* reporter) : reporter_(reporter) {}

  bool watched() const { return reporter_ != nullptr; }
  // Whether the watcher asked to stop (asked again only until it did); false without one.
  bool stop_asked() {
    if (!stop_seen_ && reporter_ != nullptr) stop_seen_ = reporter_->isStopped();
    return stop_seen_;
  }
  // Whether the unwatched build is to end its pass here, completing the folder all the same.
  bool cut_short() const { return reporter_ == nullptr && stopFlag.load(); }

  void status(std::string_view key) const {
    if (reporter_ != nullptr) reporter_->setStatus(key);
  }
  void indeterminate() const {
    if (reporter_ != nullptr) reporter_->setProgress(celldict::kProgressIndeterminate, 0);
  }
  // The step of the reports: a hundredth of the lines read, at least 1.
  void set_total_lines(std::uint32_t lines) { step_ = std::max<std::uint32_t>(lines / 100, 1); }
  void record_written(std::uint32_t records) {
    if (reporter_ == nullptr || records % step_ != 0) return;
    reporter_->setProgress(celldict::kProgressDeterminate, 0);
    reporter_->setProgress(celldict::kProgressAddValue, records - reported_);
    reported_ = records;
  }

 private:
  celldict::ProgressReporter* reporter_;
  std::uint32_t step_ = 1;
  std::uint32_t reported_ = 0;
  bool stop_seen_ = false;
};

class FolderBuild {
 public:
  FolderBuild(const char* folder, char* message, ime_build_stats_t* stats,
              celldict::ProgressReporter* reporter)
      : folder_(folder), message_(message), stats_(stats), watch_(reporter) {}

  ~FolderBuild() {
    dictindex::close(index_);
    records_.reset();
    if (staging_) {
      std::error_code ignored;
      platform::files::remove_tree(*staging_, ignored);
    }
  }

  int run(const char* wordlist_path, const char* uid) {
    if (!prepare(wordlist_path)) return -1;
    if (!read_word_list()) return -1;
    if (watch_.stop_asked()) return stopped();
    lines_.sort();
    if (!write_records()) return -1;
    if (watch_.stop_asked()) return stopped();
    watch_.indeterminate();
    if (!commit(uid)) return -1;
    watch_.status("DARUZ_DICT_IMPORT_DONE");
    IME_INFO("Dictionary \"%s\" built: %u words, %u lines rejected.", folder_.c_str(),
             stats_->records, stats_->rejected);
    return 0;
  }

 private:
  bool fail(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    char text[kMessageSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    IME_ERROR("%s", text);
    if (message_ != nullptr) std::snprintf(message_, kMessageSize, "%s", text);
    return false;
  }

  // Nothing of the build reaches the folder: the private folder goes with the build.
  int stopped() {
    IME_INFO("Build of \"%s\" stopped.", folder_.c_str());
    stats_->stopped = true;
    if (message_ != nullptr) std::snprintf(message_, kMessageSize, "Stopped.");
    return -1;
  }

  std::string staged(const char* name) const { return (*staging_ / name).string(); }
  std::string final_path(const char* name) const { return folder_ + "/" + name; }

  bool prepare(const char* wordlist_path) {
    struct stat st;
    if (::stat(folder_.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      return fail("Directory \"%s\" not exist.", folder_.c_str());
    }
    std::error_code error;
    staging_ = platform::files::make_temp_directory(folder_, ".build-", error);
    if (!staging_) {
      return fail("Create temp folder in \"%s\" failed![%s]", folder_.c_str(),
                  error.message().c_str());
    }
    const std::string index_base = staged(dictfmt::kIndexName);
    index_ = dictindex::open_create(index_base);
    if (index_ == nullptr) return fail("Create db \"%s\" failed!", index_base.c_str());
    wordlist_.reset(std::fopen(wordlist_path, "rb"));
    if (!wordlist_) {
      return fail("Open file \"%s\" failed![%s]", wordlist_path, std::strerror(errno));
    }
    records_.reset(std::fopen(staged(dictfmt::kRecordFile).c_str(), "wb"));
    if (!records_) return fail("Open file \"%s\" failed!", staged(dictfmt::kRecordFile).c_str());
    watch_.status("BUILD_PROCESS");
    watch_.indeterminate();
    return true;
  }

  bool read_word_list() {
    ime_wordlist_line_t line;
    std::string sorted;
    std::string why;
    while (!watch_.cut_short()) {
      int status = ime_py_fgets1(wordlist_.get(), &line);
      if (status == IME_LINE_END) break;
      ++stats_->lines;
      if (watch_.stop_asked()) return true;  // run() stops
      if (status == IME_LINE_BAD) {
        reject("a field is longer than its buffer or the line holds a zero byte");
        continue;
      }
      if (line.pinyin.empty() && line.word.empty()) continue;  // an empty line
      if (!ime_make_sorted_line(line, &sorted, &why)) {
        reject(why.c_str());
        continue;
      }
      lines_.add(sorted);
    }
    if (std::ferror(wordlist_.get())) return fail("Read the word list failed![%s]", std::strerror(errno));
    wordlist_.reset();
    watch_.set_total_lines(stats_->lines);
    return true;
  }

  void reject(const char* why) {
    ++stats_->rejected;
    IME_DEBUG("Word list line %u skipped: %s.", stats_->lines, why);
  }

  bool write_records() {
    std::optional<std::string> key;  // the key of the current group
    std::uint64_t group_offset = 0;
    std::uint32_t group_count = 0;
    ime_sorted_line_t line;
    for (std::size_t i = 0; i < lines_.size() && !watch_.cut_short(); ++i) {
      if (watch_.stop_asked()) return true;  // run() stops
      if (!_ime_py_fgets2(lines_[i], &line)) return fail("Invalid intermediate line %zu.", i);
      if (!key || line.key != *key) {
        if (key && !store_key(*key, group_offset, group_count)) return false;
        key = line.key;
        group_offset = written_;
        group_count = 0;
      }
      std::string record = dictfmt::encode_record(line.initials, line.finals, line.tones, line.word,
                                                  line.second, stats_->records, line.frequency);
      // Offsets in the index are 32-bit.
      if (written_ + record.size() > std::numeric_limits<std::uint32_t>::max()) {
        return fail("Dictionary \"%s\" is larger than 4 GB.", folder_.c_str());
      }
      if (std::fwrite(record.data(), 1, record.size(), records_.get()) != record.size()) {
        return fail("Write file \"%s\" failed![%s]", staged(dictfmt::kRecordFile).c_str(),
                    std::strerror(errno));
      }
      written_ += record.size();
      ++group_count;
      ++stats_->records;
      watch_.record_written(stats_->records);
    }
    if (key && group_count > 0 && !store_key(*key, group_offset, group_count)) return false;

    std::FILE* records = records_.get();
    if (std::fflush(records) != 0 || ::fsync(fileno(records)) != 0) {
      return fail("Write file \"%s\" failed![%s]", staged(dictfmt::kRecordFile).c_str(),
                  std::strerror(errno));
    }
    records_.reset();
    const bool index_written = dictindex::close(index_);
    index_ = nullptr;
    if (!index_written) return fail("Write db \"%s\" failed!", staged(dictfmt::kIndexFile).c_str());
    return true;
  }

  // The key's own entry, then the key added to the list of every prefix of 4 letters or more
  // that is a key itself. Sorted input stores a prefix before the keys that extend it.
  bool store_key(const std::string& key, std::uint64_t offset, std::uint32_t count) {
    auto value = dictfmt::encode_index_value(static_cast<std::uint32_t>(offset), count);
    if (dictindex::insert(index_, key, value) != dictindex::StoreResult::Stored) {
      return fail("Insert key for '%s' failed!", key.c_str());
    }
    const auto shortest = static_cast<std::size_t>(dictfmt::kMinListedPrefix);
    for (std::size_t length = key.size() - 1; key.size() > shortest && length >= shortest; --length) {
      std::string prefix = key.substr(0, length);
      std::optional<std::string> old = dictindex::fetch(index_, prefix);
      if (!old) continue;
      std::string grown = dictfmt::append_longer_key(*old, key);
      if (dictindex::replace(index_, prefix, grown) != dictindex::StoreResult::Stored) {
        return fail("Replace key \"%s\" failed!", prefix.c_str());
      }
    }
    return true;
  }

  // Moves the finished files into the folder. The old dict.info goes first, so that between
  // the moves the folder is never a valid mix of old and new files.
  bool commit(const char* uid) {
    const std::string info = final_path(dictfmt::kInfoFile);
    if (::unlink(info.c_str()) != 0 && errno != ENOENT) {
      return fail("Remove file \"%s\" failed![%s]", info.c_str(), std::strerror(errno));
    }
    for (const char* name : {dictfmt::kRecordFile, dictfmt::kIndexFile}) {
      // Exactly the folder's mode, whatever the umask of the build took away.
      if (::chmod(staged(name).c_str(), dictfmt::kFileMode) != 0) {
        return fail("Set the mode of \"%s\" failed![%s]", staged(name).c_str(), std::strerror(errno));
      }
      if (::rename(staged(name).c_str(), final_path(name).c_str()) != 0) {
        return fail("Move file \"%s\" failed![%s]", final_path(name).c_str(), std::strerror(errno));
      }
    }
    if (ime_creat_dict_info(folder_.c_str(), stats_->records, sauthor, sdesc, today().c_str(),
                            sversion, ime_uid_number(uid)) != 0) {
      return fail("Write the description files of \"%s\" failed!", folder_.c_str());
    }
    return true;
  }

  std::string folder_;
  char* message_;
  ime_build_stats_t* stats_;
  std::optional<fs::path> staging_;
  dictindex::Handle* index_ = nullptr;
  FilePtr wordlist_;
  FilePtr records_;
  LineStore lines_;
  std::uint64_t written_ = 0;  // bytes of dict.db so far
  BuildWatch watch_;
};

}  // namespace

int ime_build_dict_reporting(const char* wordlist_path, const char* folder, const char* uid,
                             char* message, ime_build_stats_t* stats,
                             celldict::ProgressReporter* reporter) {
  ime_build_stats_t local;
  if (stats == nullptr) stats = &local;
  *stats = ime_build_stats_t{};
  if (message != nullptr) message[0] = '\0';
  if (wordlist_path == nullptr || folder == nullptr) {
    if (message != nullptr) std::snprintf(message, kMessageSize, "No word list or folder given.");
    return -1;
  }
  FolderBuild build(folder, message, stats, reporter);
  return build.run(wordlist_path, uid);
}

int ime_build_dict_with_stats(const char* wordlist_path, const char* folder, const char* uid,
                              char* message, ime_build_stats_t* stats) {
  return ime_build_dict_reporting(wordlist_path, folder, uid, message, stats, nullptr);
}

int ime_build_dict(const char* wordlist_path, const char* folder, const char* uid, char* message) {
  return ime_build_dict_with_stats(wordlist_path, folder, uid, message, nullptr);
}
