#include "platform/runtime_dir.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/files.h"

namespace platform::runtime {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

struct Choice {
  fs::path path;
  bool create_parents = false;
};

std::optional<Choice> choose(std::error_code& error) {
  if (auto explicit_dir = environment("KEP_RUNTIME_DIR")) {
    fs::path path(*explicit_dir);
    if (!path.is_absolute()) {
      // A relative folder would move with the working directory, so two programs of one
      // session could not find each other.
      error = std::make_error_code(std::errc::invalid_argument);
      return std::nullopt;
    }
    return Choice{path, true};
  }
  // A relative XDG_RUNTIME_DIR is invalid by its own rules and is ignored.
  if (auto xdg = environment("XDG_RUNTIME_DIR"); xdg && fs::path(*xdg).is_absolute()) {
    return Choice{fs::path(*xdg) / "kep", false};
  }
  return Choice{fs::path("/tmp") / ("kep-" + std::to_string(::geteuid())), false};
}

// Why a folder is refused; each compares equal to the generic error it stands for, and says in
// its message what is wrong with the folder.
enum class Refusal { link = 1, not_folder, foreign, open };

class RefusalCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "private folder"; }
  std::string message(int value) const override {
    switch (static_cast<Refusal>(value)) {
      case Refusal::link: return "refused: a symbolic link stands where a private folder belongs";
      case Refusal::not_folder: return "refused: not a folder";
      case Refusal::foreign: return "refused: the folder belongs to another user";
      case Refusal::open: return "refused: others may enter the folder (it must be private, mode 0700)";
    }
    return "refused";
  }
  std::error_condition default_error_condition(int value) const noexcept override {
    switch (static_cast<Refusal>(value)) {
      case Refusal::link:
      case Refusal::not_folder: return std::errc::not_a_directory;
      case Refusal::foreign:
      case Refusal::open: return std::errc::permission_denied;
    }
    return std::error_condition(value, *this);
  }
};

std::error_code refused(Refusal why) {
  static const RefusalCategory category;
  return {static_cast<int>(why), category};
}

bool create(const fs::path& path, bool create_parents, std::error_code& error) {
  if (create_parents) {
    if (files::make_directories(path, 0700, error)) return true;
    // A link or a file under the name: let the check below say so.
    if (error == std::errc::not_a_directory) {
      error.clear();
      return true;
    }
    return false;
  }
  if (::mkdir(path.c_str(), 0700) == 0) {
    // The umask may have taken bits we rely on (our own access); set exactly 0700.
    if (::chmod(path.c_str(), 0700) != 0) {
      error = {errno, std::generic_category()};
      return false;
    }
    return true;
  }
  if (errno == EEXIST) return true;
  error = {errno, std::generic_category()};
  return false;
}

// lstat, so that a link planted under the expected name is refused rather than followed.
bool is_private(const fs::path& path, std::error_code& error) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    error = {errno, std::generic_category()};
    return false;
  }
  if (S_ISLNK(info.st_mode)) {
    error = refused(Refusal::link);
    return false;
  }
  if (!S_ISDIR(info.st_mode)) {
    error = refused(Refusal::not_folder);
    return false;
  }
  if (info.st_uid != ::geteuid()) {
    error = refused(Refusal::foreign);
    return false;
  }
  if ((info.st_mode & 077) != 0) {
    error = refused(Refusal::open);
    return false;
  }
  return true;
}

}  // namespace

std::optional<fs::path> directory(std::error_code& error) {
  error.clear();
  auto choice = choose(error);
  if (!choice) return std::nullopt;
  if (!make_private_directory(choice->path, choice->create_parents, error)) return std::nullopt;
  return choice->path;
}

bool make_private_directory(const fs::path& path, bool create_parents, std::error_code& error) {
  error.clear();
  return create(path, create_parents, error) && is_private(path, error);
}

bool is_valid_name(std::string_view name) {
  if (name.empty() || name.size() > 100 || name.front() == '.') return false;
  for (char c : name) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '.' || c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

std::optional<fs::path> socket_path(std::string_view file_name, std::error_code& error) {
  auto folder = directory(error);
  if (!folder) return std::nullopt;
  fs::path path = *folder / fs::path(file_name);
  if (path.native().size() >= sizeof(sockaddr_un{}.sun_path)) {
    error = std::make_error_code(std::errc::filename_too_long);
    return std::nullopt;
  }
  return path;
}

}  // namespace platform::runtime
