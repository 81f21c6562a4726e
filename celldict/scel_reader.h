// Reads a cell dictionary (.scel): load() checks the fixed header and keeps its texts;
// exportTo() decodes the body into a word list and builds the dictionary folder of that name
// under Dictionary/ in the data folder through the dictionary-folder builder.
//
// The file is little-endian, texts UTF-16LE; see scel_format.h for the layout. One export runs
// at a time in a process: the builder's description buffers are shared (dictbuilder.h).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace celldict {
class ProgressReporter;
}

// Status of ScelReader::load().
enum : std::int32_t {
  SCEL_OK = 0,
  SCEL_NO_FILE = -1,      // nothing at the path
  SCEL_CANNOT_OPEN = -2,  // the file cannot be opened for reading
  SCEL_SHORT = -99,       // a short read, or a header text that is not text
  SCEL_BAD_MAGIC = -100,
  SCEL_BAD_VERSION = -101,
};

// What an export did, for status texts and tests.
struct ScelExportStats {
  std::uint32_t words_read = 0;      // words decoded from the body
  std::uint32_t words_written = 0;   // lines handed to the builder
  std::uint32_t not_gbk = 0;         // words skipped: no two-byte GBK form
  std::uint32_t records = 0;         // records the builder stored
  bool stopped = false;              // the reporter asked to stop; nothing was built
};

class ScelReader {
 public:
  ScelReader();
  ~ScelReader();
  ScelReader(const ScelReader&) = delete;
  ScelReader& operator=(const ScelReader&) = delete;

  // 0 or one of the statuses above. Gives up a file opened before. On success the file stays
  // open, positioned at the body.
  std::int32_t load(const std::string& path);

  // Builds "<data folder>/Dictionary/<last component of target>"; 0 or -1. Needs a successful
  // load() before; the file is closed afterwards either way. A target whose last component is
  // empty, ".", "..", hidden or a staging name ("__new__...") is refused and nothing is
  // touched. `stats` may be null.
  //
  // With a `reporter`: before the body, a determinate bar of twice the word count and the
  // status "BUILD_PREPROCESS"; the words decoded so far every hundredth of the word count (every
  // word below 100 words); then the builder reports the same way. A stop it asks for is heard
  // before each group, before each word and after each group, and by the builder; a stopped
  // export returns 0 with stats->stopped set and builds nothing (exportTo removes the folder
  // it made; the dictionary pane builds through the staged import instead, which replaces an
  // installed folder only once the new one is complete).
  int exportTo(const std::string& target, ScelExportStats* stats = nullptr,
               celldict::ProgressReporter* reporter = nullptr);

  // The same, into an existing folder given whole (the updater's private staging folder).
  // Nothing outside that folder is removed or created.
  int exportToFolder(const std::string& folder, ScelExportStats* stats = nullptr,
                     celldict::ProgressReporter* reporter = nullptr);

  const std::string& name() const { return name_; }
  const std::string& type() const { return type_; }
  const std::string& remark() const { return remark_; }
  const std::vector<std::string>& samples() const { return samples_; }
  const std::string& uid() const { return uid_; }
  std::int32_t version() const { return ver_; }
  std::uint32_t wordCount() const { return wordCount_; }
  const std::string& file() const { return file_; }

 private:
  void close();
  void clear_fields();
  std::int32_t read_header();
  // Decodes the body into a private word list and builds `folder` from it; `prepare` runs
  // once the body is known to be good, before the build (exportTo makes the folder there).
  int build_into(const std::string& folder, bool (*prepare)(const std::string& folder),
                 ScelExportStats* stats, celldict::ProgressReporter* reporter);

  std::uint32_t size_ = 0;
  std::uint32_t magic_ = 0;
  std::uint32_t version_ = 0;
  std::uint32_t md5_[4] = {};
  std::string uid_;
  std::int32_t ver_ = 0;
  std::uint32_t pyCount_ = 0;
  std::uint32_t wordCount_ = 0;
  std::uint32_t pyTotalCount_ = 0;
  std::uint32_t wordTotalCount_ = 0;
  std::string name_;
  std::string type_;
  std::string remark_;
  std::vector<std::string> samples_;
  std::string file_;
  std::FILE* fp_ = nullptr;
  std::uint64_t fileSize_ = 0;
};
