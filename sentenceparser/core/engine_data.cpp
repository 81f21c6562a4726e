// The engine's data start-up and release: the per-user "apr" folder that holds the learned
// words, the cleared tables, the single-character table and the word caches.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "CoreSource/base/datafolder.h"
#include "CoreSource/base/imelog.h"
#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/learned_words.h"
#include "sentenceparser/core/span_memo.h"
#include "sentenceparser/core/word_cache.h"

namespace sentence {

namespace {

namespace fs = std::filesystem;

constexpr const char* kLearnedFiles[] = {"youxian.lib", "user.dan"};

// An empty file that is never followed through a link; one already there is kept.
bool create_empty_file(const fs::path& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    IME_ERROR("Create %s failed: %s", path.c_str(), std::strerror(errno));
    return false;
  }
  ::close(fd);
  return true;
}

// The "apr" folder of the data folder. A folder already there is left as it is; anything else
// under that name (a plain file, a link) is removed and replaced by a new folder holding the
// two empty learned-word files.
bool prepare_apr_folder() {
  if (ime_make_data_folder() != 0) return false;
  const char* data_folder = QAGetAppSupportPath();
  if (data_folder == nullptr) return false;
  const fs::path apr = fs::path(data_folder) / "apr";

  std::error_code error;
  fs::file_status status = fs::symlink_status(apr, error);
  if (fs::is_directory(status)) return true;
  if (fs::exists(status)) {
    // remove_all on a link removes the link, never what it points at.
    fs::remove_all(apr, error);
    if (error) {
      IME_ERROR("Remove %s failed: %s", apr.c_str(), error.message().c_str());
      return false;
    }
  }
  if (::mkdir(apr.c_str(), 0700) != 0) {
    IME_ERROR("Create folder %s failed: %s", apr.c_str(), std::strerror(errno));
    return false;
  }
  ::chmod(apr.c_str(), 0700);  // the umask may have taken bits the folder needs
  bool made = true;
  for (const char* name : kLearnedFiles) made = create_empty_file(apr / name) && made;
  return made;
}

}  // namespace

int InitData() {
  const bool apr_ready = prepare_apr_folder();
  ClearPyRc();
  EnterChr[0] = '\r';
  EnterChr[1] = '\n';
  EnterChr[2] = '\0';
  LoadDan();
  // Cache slots are sized from the table's rows, so they follow it.
  jpcache_init();
  incache_init();
  return apr_ready ? 0 : -1;
}

void FreeData() {
  FreeUserLib(0);
  FreeDan();
  FreeJPCache();
  FreeCache();
}

}  // namespace sentence
