#include "platform/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

namespace platform::files {

namespace {

std::mutex root_mutex;
std::optional<fs::path> cached_root;

std::error_code last_error() { return {errno, std::generic_category()}; }

fs::path find_root() {
  const char* env = std::getenv("KEP_ROOT");
  if (env && *env) return fs::path(env);
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    fs::path staged = exe.parent_path().parent_path() / "root";
    if (fs::is_directory(staged, ec)) return staged;
  }
  return fs::path("/");
}

}  // namespace

bool write_all(int fd, std::string_view data) {
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

fs::path root() {
  std::lock_guard lock(root_mutex);
  if (!cached_root) cached_root = find_root();
  return *cached_root;
}

void reset_root_cache() {
  std::lock_guard lock(root_mutex);
  cached_root.reset();
}

fs::path under_root(std::string_view absolute_path) {
  std::string_view relative = absolute_path;
  while (!relative.empty() && relative.front() == '/') relative.remove_prefix(1);
  return root() / fs::path(relative);
}

bool make_directories(const fs::path& path, unsigned mode, std::error_code& error) {
  error.clear();
  if (path.empty()) {
    error = std::make_error_code(std::errc::invalid_argument);
    return false;
  }
  // Create each missing component ourselves so every new folder gets `mode`.
  fs::path current;
  for (const auto& part : path) {
    current /= part;
    if (::mkdir(current.c_str(), mode) == 0) continue;
    if (errno != EEXIST) {
      error = last_error();
      return false;
    }
  }
  if (!fs::is_directory(path, error)) {
    if (!error) error = std::make_error_code(std::errc::not_a_directory);
    return false;
  }
  return true;
}

std::optional<std::string> read_file(const fs::path& path, std::error_code& error) {
  error.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = last_error();
    return std::nullopt;
  }
  std::string out;
  char buffer[65536];
  while (true) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = last_error();
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    out.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return out;
}

namespace {

bool is_temporary_name(const std::string& name) {
  // "." + the target's name + "." + the six characters mkstemp fills in.
  constexpr std::size_t kSuffix = 7;
  if (name.size() < 2 + kSuffix || name.front() != '.') return false;
  if (name[name.size() - kSuffix] != '.') return false;
  return std::all_of(name.end() - (kSuffix - 1), name.end(),
                     [](unsigned char c) { return std::isalnum(c) != 0; });
}

void sync_folder(const fs::path& folder) {
  int dir_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd >= 0) {
    ::fsync(dir_fd);
    ::close(dir_fd);
  }
}

fs::path folder_of(const fs::path& path) {
  return path.parent_path().empty() ? fs::path(".") : path.parent_path();
}

}  // namespace

void remove_stale_temporaries(const fs::path& folder) {
  std::error_code error;
  const auto now = std::chrono::system_clock::now();
  for (const fs::directory_entry& entry : list_directory(folder, error, /*include_hidden=*/true)) {
    if (!is_temporary_name(entry.path().filename().string())) continue;
    struct stat st {};
    // lstat: a link or folder under such a name is not ours to remove.
    if (::lstat(entry.path().c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    auto changed = std::chrono::system_clock::from_time_t(st.st_mtim.tv_sec);
    if (now - changed > kStaleTemporaryAge) ::unlink(entry.path().c_str());
  }
}

std::optional<AtomicReplacement> AtomicReplacement::begin(const fs::path& path, unsigned mode,
                                                          std::error_code& error) {
  error.clear();
  fs::path folder = folder_of(path);
  remove_stale_temporaries(folder);
  std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    error = last_error();
    return std::nullopt;
  }
  AtomicReplacement replacement(fd, temporary, path);
  if (::fchmod(fd, mode) != 0) {
    error = last_error();
    return std::nullopt;
  }
  return replacement;
}

AtomicReplacement::AtomicReplacement(AtomicReplacement&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      temporary_(std::exchange(other.temporary_, {})),
      target_(std::move(other.target_)) {}

AtomicReplacement::~AtomicReplacement() {
  // The caller may still be reporting why the write failed.
  int saved = errno;
  if (fd_ >= 0) ::close(fd_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  errno = saved;
}

bool AtomicReplacement::commit(std::error_code& error, Durability durability) {
  error.clear();
  if (fd_ < 0 || temporary_.empty()) {
    error = std::make_error_code(std::errc::bad_file_descriptor);
    return false;
  }
  const bool flushed = durability == Durability::Flushed;
  bool ok = !flushed || ::fsync(fd_) == 0;
  if (!ok) error = last_error();
  if (::close(std::exchange(fd_, -1)) != 0 && ok) {
    ok = false;
    error = last_error();
  }
  if (ok && ::rename(temporary_.c_str(), target_.c_str()) != 0) {
    ok = false;
    error = last_error();
  }
  if (!ok) return false;  // the destructor removes the temporary file
  temporary_.clear();
  // Make the rename itself durable.
  if (flushed) sync_folder(folder_of(target_));
  return true;
}

bool write_atomic(const fs::path& path, std::string_view data, std::error_code& error,
                  unsigned mode, Durability durability) {
  std::optional<AtomicReplacement> replacement = AtomicReplacement::begin(path, mode, error);
  if (!replacement) return false;
  if (!write_all(replacement->descriptor(), data)) {
    error = last_error();
    return false;
  }
  return replacement->commit(error, durability);
}

std::optional<FileLock> FileLock::acquire(const fs::path& path, bool wait, std::error_code& error) {
  error.clear();
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    error = last_error();
    return std::nullopt;
  }
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB));
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    error = last_error();
    ::close(fd);
    return std::nullopt;
  }
  return FileLock(fd);
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);  // closing the descriptor drops the flock
}

std::optional<MappedFile> MappedFile::open(const fs::path& path, bool writable,
                                           std::error_code& error) {
  error.clear();
  int fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  if (fd < 0) {
    error = last_error();
    return std::nullopt;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    error = last_error();
    ::close(fd);
    return std::nullopt;
  }
  if (st.st_size <= 0) {
    error = std::make_error_code(std::errc::invalid_argument);
    ::close(fd);
    return std::nullopt;
  }
  int protection = PROT_READ | (writable ? PROT_WRITE : 0);
  void* address = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), protection, MAP_SHARED, fd, 0);
  if (address == MAP_FAILED) {
    error = last_error();
    ::close(fd);
    return std::nullopt;
  }
  MappedFile mapped;
  mapped.data_ = static_cast<unsigned char*>(address);
  mapped.size_ = static_cast<std::size_t>(st.st_size);
  mapped.fd_ = fd;
  mapped.writable_ = writable;
  return mapped;
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      fd_(std::exchange(other.fd_, -1)),
      writable_(other.writable_) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    fd_ = std::exchange(other.fd_, -1);
    writable_ = other.writable_;
  }
  return *this;
}

MappedFile::~MappedFile() { release(); }

void MappedFile::release() {
  if (data_) ::munmap(data_, size_);
  if (fd_ >= 0) ::close(fd_);
  data_ = nullptr;
  size_ = 0;
  fd_ = -1;
}

std::vector<fs::directory_entry> list_directory(const fs::path& folder, std::error_code& error,
                                                bool include_hidden) {
  error.clear();
  std::vector<fs::directory_entry> entries;
  fs::directory_iterator it(folder, error);
  if (error) return entries;
  for (; it != fs::directory_iterator(); it.increment(error)) {
    if (error) return {};
    if (!include_hidden && it->path().filename().string().starts_with(".")) continue;
    entries.push_back(*it);
  }
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return a.path().filename().string() < b.path().filename().string();
  });
  return entries;
}

bool copy_file_replacing(const fs::path& source, const fs::path& destination, std::error_code& error) {
  std::optional<std::string> contents = read_file(source, error);
  if (!contents) return false;
  struct stat st {};
  unsigned mode = ::stat(source.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
  return write_atomic(destination, *contents, error, mode);
}

bool remove_tree(const fs::path& path, std::error_code& error) {
  error.clear();
  // std::filesystem::remove_all removes a symbolic link itself, never what it points at.
  fs::remove_all(path, error);
  return !error;
}

std::optional<fs::path> make_temp_directory(const fs::path& parent, std::string_view prefix,
                                            std::error_code& error) {
  error.clear();
  fs::path base = parent.empty() ? fs::temp_directory_path(error) : parent;
  if (error) return std::nullopt;
  std::string pattern = (base / (std::string(prefix) + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    error = last_error();
    return std::nullopt;
  }
  return fs::path(pattern);
}

}  // namespace platform::files
