#include "table_build.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "CoreSource/dict/plugfmt.h"
#include "code_source.h"
#include "scheme_line.h"
#include "table_data.h"
#include "table_index.h"
#include "temp_file.h"

namespace codetable {

namespace {

// Progress steps as the pane's bar expects them: pairs + 30 in all.
constexpr long long kProgressExtra = 30;
constexpr long long kSortStep = 10;
constexpr long long kLineStep = 50;

class Build {
 public:
  Build(const std::string& source, const std::string& name, const std::string& folder,
        BuildObserver* observer, int version)
      : source_(source), name_(name), folder_(folder), version_(version),
        observer_(observer != nullptr ? observer : &silent_) {}

  int run(std::string* error) {
    const bool ok = build();
    observer_->stop();
    if (!ok && error != nullptr) *error = error_;
    return ok ? 0 : -1;
  }

 private:
  bool fail(std::string text) {
    error_ = std::move(text);
    return false;
  }

  bool build() {
    if (!IsTableName(name_)) return fail("Scheme name '" + name_ + "' cannot name a file.");
    struct stat st;
    if (::stat(source_.c_str(), &st) != 0) return fail("Source file '" + source_ + "' not exists!");
    if (::stat(folder_.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      return fail("Output folder '" + folder_ + "' not exists!");
    }

    observer_->status(kStatusTag);
    std::vector<CodePair> pairs;
    if (TagSrc(&error_, source_, &pairs) < 0) return false;
    const std::string skipped = skipped_report(DropOverlongTexts(&pairs));
    if (pairs.empty()) {
      return fail("Source file '" + source_ + "' holds no codes." + (skipped.empty() ? "" : " " + skipped));
    }
    const long long count = static_cast<long long>(pairs.size());
    observer_->log("MaxRow=" + std::to_string(count));
    if (!CheckPairs(pairs, version_, &error_)) return false;
    if (observer_->stop_requested()) return fail(kStoppedText);

    observer_->status(kStatusSort);
    observer_->set_progress_max(count + kProgressExtra);
    // Version 20 keeps the source's order; version 10 is looked up in code order.
    if (version_ == 10) SortPairsForCmph(&pairs);
    observer_->increment_progress(kSortStep);

    observer_->status(kStatusGenKeys);
    DataImage image;
    const bool built = version_ == 10 ? BuildCmphData(pairs, &image, &error_)
                                      : BuildSqlData(pairs, &image, &error_);
    if (!built) return false;
    if (observer_->stop_requested()) return fail(kStoppedText);
    observer_->increment_progress(count - count % kLineStep);

    TempFile data(folder_, name_ + ".qdb");
    TempFile index(folder_, name_ + ".idx");
    if (!data.ok()) return fail(data.error());
    if (!index.ok()) return fail(index.error());
    if (!data.write_all(image.bytes) || !data.close()) return fail(data.error());
    if (version_ == 10) observer_->status(kStatusGenIdx);
    const bool indexed = version_ == 10 ? WriteChmIndex(index.path(), image.keys, &error_)
                                        : WriteSqlIndex(index.path(), image.keys, &error_);
    if (!indexed) return false;
    if (!index.close()) return fail(index.error());
    if (version_ == 10) observer_->status(kStatusAppKeys);
    observer_->log("Done ...");

    if (observer_->stop_requested()) return fail(kStoppedText);
    if (!install(&data, &index)) return false;
    observer_->set_progress(count + kSortStep);
    if (version_ == 10) observer_->status(kStatusDone);
    if (!skipped.empty()) {
      observer_->log(skipped);
      observer_->report(skipped);
    }
    return true;
  }

  // "Skipped 2 texts longer than 179 bytes (lines 4, 9)."; empty when none was.
  static std::string skipped_report(const std::vector<std::size_t>& lines) {
    if (lines.empty()) return {};
    constexpr std::size_t kLinesNamed = 10;
    std::string text = "Skipped " + std::to_string(lines.size()) +
                       (lines.size() == 1 ? " text" : " texts") + " longer than " +
                       std::to_string(IME_PLUG_MAX_TEXT_BYTES) + " bytes (" +
                       (lines.size() == 1 ? "line " : "lines ");
    for (std::size_t i = 0; i < lines.size() && i < kLinesNamed; ++i) {
      if (i > 0) text += ", ";
      text += std::to_string(lines[i]);
    }
    if (lines.size() > kLinesNamed) text += ", ...";
    return text + ").";
  }

  // Moves both files into place. Should the data file fail to move, the new index is taken away
  // again: a table without its index is refused by every reader, one with a foreign index is not.
  bool install(TempFile* data, TempFile* index) {
    const std::string index_path = folder_ + "/" + name_ + ".idx";
    const std::string data_path = folder_ + "/" + name_ + ".qdb";
    if (!index->commit(index_path)) return fail(index->error());
    if (!data->commit(data_path)) {
      ::unlink(index_path.c_str());
      return fail(data->error());
    }
    // The old counters were rows of the old records; kept, they would lift the wrong ones. The
    // engine creates a zeroed file of the right size when it next opens the table.
    const std::string counters_path = folder_ + "/" + name_ + ".freq";
    if (::unlink(counters_path.c_str()) != 0 && errno != ENOENT) {
      observer_->log("Removing the old counters failed: " + counters_path);
    }
    SyncFolder(folder_);
    return true;
  }

  BuildObserver silent_;
  std::string source_;
  std::string name_;
  std::string folder_;
  int version_;
  BuildObserver* observer_;
  std::string error_;
};

}  // namespace

int BuildSQLPlug(const std::string& source, const std::string& name, const std::string& folder,
                 BuildObserver* observer, std::string* error) {
  return Build(source, name, folder, observer, 20).run(error);
}

int BuildCMPHPlug(const std::string& source, const std::string& name, const std::string& folder,
                  BuildObserver* observer, std::string* error) {
  return Build(source, name, folder, observer, 10).run(error);
}

}  // namespace codetable
