#include "candidatewindow/skin/skin_package.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <system_error>
#include <vector>

#include "CoreSource/base/datafolder.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/unique_fd.h"

namespace kepskin {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxNameBytes = 255;  // one path component, as the file system allows
constexpr std::size_t kMaxDepth = 32;       // folders within folders in one entry's path
constexpr const char* kSkinDescription = "skin.ini";

struct Failure {
  int status = kPackageInstalled;
  std::string message;
};

struct ZipDiscard {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipDiscard>;

struct Entry {
  zip_uint64_t index = 0;
  std::string name;  // as the archive spells it, for messages
  std::vector<std::string> components;
  bool is_folder = false;
  std::uint64_t declared_size = 0;
};

std::string errno_text(int code) { return std::error_code(code, std::generic_category()).message(); }

std::string zip_code_text(int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string text = zip_error_strerror(&error);
  zip_error_fini(&error);
  return text;
}

ZipArchive open_archive(const std::string& path, Failure& failure) {
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
  if (archive == nullptr) failure = {kPackageUnreadable, "cannot open " + path + ": " + zip_code_text(code)};
  return ZipArchive(archive);
}

// The entry's name in UTF-8: packages made on Chinese systems spell names in GB 18030
// without flagging it, and skin.ini (decoded from GB 18030) names the pictures that way.
std::optional<std::string> entry_name(zip_t* archive, zip_uint64_t index, Failure& failure) {
  const char* raw = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
  if (raw == nullptr) {
    failure = {kPackageUnreadable, "entry " + std::to_string(index) + " has no readable name"};
    return std::nullopt;
  }
  std::string_view bytes(raw);
  if (platform::text::is_valid_utf8(bytes)) return std::string(bytes);
  if (auto decoded = platform::text::to_utf8(bytes, platform::text::Encoding::Gb18030)) return decoded;
  failure = {kPackageRefused, "entry " + std::to_string(index) + " has a name in no known encoding"};
  return std::nullopt;
}

// The first C0, DEL or C1 control character of a UTF-8 name, as its code; nullopt when none.
// Such a name would reach file listings, logs and terminals as a command, not as text.
std::optional<unsigned> control_character(std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x20 || byte == 0x7f) return byte;
    const auto next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0u;
    if (byte == 0xc2 && next >= 0x80 && next < 0xa0) return next;
  }
  return std::nullopt;
}

// Splits a name into the components of a path inside the destination; a backslash counts as
// a separator. Refuses what could reach outside: absolute paths and "..".
bool split_entry_path(Entry& entry, Failure& failure) {
  std::string path = entry.name;
  std::replace(path.begin(), path.end(), '\\', '/');
  const auto refuse = [&](const std::string& why) {
    failure = {kPackageRefused, "entry \"" + entry.name + "\" " + why};
    return false;
  };
  if (path.empty()) return refuse("has an empty name");
  if (path.front() == '/') return refuse("has an absolute path");
  if (path.back() == '/') entry.is_folder = true;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string component = path.substr(start, end - start);
    start = end + 1;
    if (component.empty() || component == ".") continue;
    if (component == "..") return refuse("leads out of its folder");
    if (component.size() > kMaxNameBytes) return refuse("has a name part too long");
    entry.components.push_back(std::move(component));
  }
  if (entry.components.size() > kMaxDepth) return refuse("lies too deep");
  if (entry.components.empty() && !entry.is_folder) return refuse("names no file");
  return true;
}

// Refuses links, devices, fifos and sockets by the Unix mode kept in the external attributes.
bool check_file_type(zip_t* archive, Entry& entry, Failure& failure) {
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(archive, entry.index, 0, &system, &attributes) != 0) {
    failure = {kPackageUnreadable, "entry \"" + entry.name + "\" has unreadable attributes"};
    return false;
  }
  if (system != ZIP_OPSYS_UNIX && system != ZIP_OPSYS_OS_X) return true;
  const mode_t mode = static_cast<mode_t>(attributes >> 16);
  if ((mode & S_IFMT) == 0 || S_ISREG(mode)) return true;
  if (S_ISDIR(mode)) {
    entry.is_folder = true;
    return true;
  }
  const char* kind = S_ISLNK(mode)                     ? "a symbolic link"
                     : (S_ISCHR(mode) || S_ISBLK(mode)) ? "a device"
                     : S_ISFIFO(mode)                   ? "a fifo"
                     : S_ISSOCK(mode)                   ? "a socket"
                                                        : "of an unknown kind";
  failure = {kPackageRefused, "entry \"" + entry.name + "\" is " + kind};
  return false;
}

// Every entry checked against the limits and made a safe relative path, before anything is
// written.
std::optional<std::vector<Entry>> plan_entries(zip_t* archive, const PackageLimits& limits, Failure& failure) {
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  if (count < 0) {
    failure = {kPackageUnreadable, "the archive's entries cannot be counted"};
    return std::nullopt;
  }
  if (static_cast<std::uint64_t>(count) > limits.max_entries) {
    failure = {kPackageRefused, "the archive holds " + std::to_string(count) + " entries, more than " +
                                    std::to_string(limits.max_entries)};
    return std::nullopt;
  }
  std::vector<Entry> entries;
  std::uint64_t total = 0;
  for (zip_uint64_t index = 0; index < static_cast<zip_uint64_t>(count); ++index) {
    Entry entry;
    entry.index = index;
    auto name = entry_name(archive, index, failure);
    if (!name) return std::nullopt;
    if (auto control = control_character(*name)) {
      char code[8];
      std::snprintf(code, sizeof code, "%02X", *control);
      failure = {kPackageRefused, "entry " + std::to_string(index) + " has the control character U+00" + code +
                                      " in its name"};
      return std::nullopt;
    }
    entry.name = std::move(*name);
    if (!split_entry_path(entry, failure) || !check_file_type(archive, entry, failure)) return std::nullopt;

    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, index, 0, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0) {
      failure = {kPackageUnreadable, "entry \"" + entry.name + "\" cannot be examined"};
      return std::nullopt;
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && stat.encryption_method != ZIP_EM_NONE) {
      failure = {kPackageRefused, "entry \"" + entry.name + "\" is encrypted"};
      return std::nullopt;
    }
    entry.declared_size = stat.size;
    if (entry.is_folder && entry.declared_size != 0) {
      failure = {kPackageRefused, "folder entry \"" + entry.name + "\" holds data"};
      return std::nullopt;
    }
    if (entry.declared_size > limits.max_entry_bytes) {
      failure = {kPackageRefused, "entry \"" + entry.name + "\" is larger than " +
                                      std::to_string(limits.max_entry_bytes) + " bytes"};
      return std::nullopt;
    }
    total += entry.declared_size;  // each term is bounded, so this cannot wrap
    if (total > limits.max_total_bytes) {
      failure = {kPackageRefused, "the archive unpacks to more than " + std::to_string(limits.max_total_bytes) +
                                      " bytes"};
      return std::nullopt;
    }
    if (!entry.components.empty()) entries.push_back(std::move(entry));
  }
  return entries;
}

bool is_description(const Entry& entry, std::size_t depth) {
  return !entry.is_folder && entry.components.size() == depth + 1 && entry.components[depth] == kSkinDescription;
}

// A skin folder holds skin.ini itself: a package with skin.ini at its top stays as it is; one
// whose entries all lie in a single top-level folder holding skin.ini loses that folder.
bool arrange_as_skin(std::vector<Entry>& entries, Failure& failure) {
  if (std::any_of(entries.begin(), entries.end(), [](const Entry& e) { return is_description(e, 0); })) return true;
  const auto not_a_skin = [&] {
    failure = {kPackageNotASkin, std::string("the package holds no ") + kSkinDescription +
                                     " at its top or in one top-level folder"};
    return false;
  };
  if (entries.empty()) return not_a_skin();
  const std::string& top = entries.front().components.front();
  for (const Entry& entry : entries) {
    const bool inside = entry.components.front() == top && (entry.is_folder || entry.components.size() > 1);
    if (!inside) return not_a_skin();
  }
  if (std::none_of(entries.begin(), entries.end(), [](const Entry& e) { return is_description(e, 1); })) {
    return not_a_skin();
  }
  for (Entry& entry : entries) entry.components.erase(entry.components.begin());
  std::erase_if(entries, [](const Entry& e) { return e.components.empty(); });
  return true;
}

// Opens (creating when missing) the folder `name` inside `parent`, never through a link.
platform::UniqueFd enter_folder(int parent, const std::string& name, const Entry& entry, Failure& failure) {
  const bool created = ::mkdirat(parent, name.c_str(), 0755) == 0;
  if (!created && errno != EEXIST) {
    failure = {kPackageDestinationFailed, "cannot create folder \"" + name + "\": " + errno_text(errno)};
    return {};
  }
  platform::UniqueFd folder(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!folder) {
    failure = {kPackageRefused, "entry \"" + entry.name + "\" clashes with a file of the same name"};
    return {};
  }
  if (created && ::fchmod(folder.get(), 0755) != 0) {
    failure = {kPackageDestinationFailed, "cannot set the mode of folder \"" + name + "\": " + errno_text(errno)};
    return {};
  }
  return folder;
}

// Copies the entry's data, reading no more than it declares (plus one byte to notice a lie).
bool copy_data(zip_t* archive, const Entry& entry, int output, Failure& failure) {
  zip_file_t* file = zip_fopen_index(archive, entry.index, 0);
  if (file == nullptr) {
    failure = {kPackageUnreadable, "entry \"" + entry.name + "\" cannot be read: " + zip_strerror(archive)};
    return false;
  }
  std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> closer(file, zip_fclose);
  char buffer[64 * 1024];
  std::uint64_t copied = 0;
  for (;;) {
    const std::uint64_t wanted = std::min<std::uint64_t>(sizeof buffer, entry.declared_size - copied + 1);
    const zip_int64_t got = zip_fread(file, buffer, wanted);
    if (got < 0) {
      failure = {kPackageUnreadable, "entry \"" + entry.name + "\" is damaged: " + zip_file_strerror(file)};
      return false;
    }
    if (got == 0) break;
    copied += static_cast<std::uint64_t>(got);
    if (copied > entry.declared_size) {
      failure = {kPackageRefused, "entry \"" + entry.name + "\" holds more than the " +
                                      std::to_string(entry.declared_size) + " bytes it declares"};
      return false;
    }
    if (!platform::files::write_all(output, std::string_view(buffer, static_cast<std::size_t>(got)))) {
      failure = {kPackageDestinationFailed, "cannot write \"" + entry.name + "\": " + errno_text(errno)};
      return false;
    }
  }
  if (copied < entry.declared_size) {
    failure = {kPackageUnreadable, "entry \"" + entry.name + "\" is shorter than it declares"};
    return false;
  }
  const int closed = zip_fclose(closer.release());
  if (closed != 0) {
    failure = {kPackageUnreadable, "entry \"" + entry.name + "\" is damaged: " + zip_code_text(closed)};
    return false;
  }
  return true;
}

bool write_entry(zip_t* archive, int root, const Entry& entry, Failure& failure) {
  const std::size_t folders = entry.is_folder ? entry.components.size() : entry.components.size() - 1;
  platform::UniqueFd current(::fcntl(root, F_DUPFD_CLOEXEC, 0));
  if (!current) {
    failure = {kPackageDestinationFailed, "cannot open the folder being built: " + errno_text(errno)};
    return false;
  }
  for (std::size_t i = 0; i < folders; ++i) {
    current = enter_folder(current.get(), entry.components[i], entry, failure);
    if (!current) return false;
  }
  if (entry.is_folder) return true;
  const std::string& leaf = entry.components.back();
  platform::UniqueFd output(
      ::openat(current.get(), leaf.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (!output) {
    if (errno == EEXIST) {
      failure = {kPackageRefused, "entry \"" + entry.name + "\" appears twice or clashes with a folder"};
    } else {
      failure = {kPackageDestinationFailed, "cannot create \"" + entry.name + "\": " + errno_text(errno)};
    }
    return false;
  }
  if (::fchmod(output.get(), 0644) != 0) {
    failure = {kPackageDestinationFailed, "cannot set the mode of \"" + entry.name + "\": " + errno_text(errno)};
    return false;
  }
  return copy_data(archive, entry, output.get(), failure);
}

// Puts the complete folder `built` at `destination`. An existing destination is swapped out
// in one step where the file system allows it, else moved aside and put back on failure.
bool swap_into_place(const fs::path& built, const fs::path& destination, Failure& failure) {
  std::error_code ignored;
  struct stat existing;
  if (::lstat(destination.c_str(), &existing) != 0) {
    if (::rename(built.c_str(), destination.c_str()) == 0) return true;
    failure = {kPackageDestinationFailed, "cannot move the new folder to " + destination.string() + ": " +
                                              errno_text(errno)};
    return false;
  }
  if (::renameat2(AT_FDCWD, built.c_str(), AT_FDCWD, destination.c_str(), RENAME_EXCHANGE) == 0) {
    platform::files::remove_tree(built, ignored);  // now holds the old folder
    return true;
  }
  const std::string name = destination.filename().string();
  auto aside = platform::files::make_temp_directory(destination.parent_path(), "." + name + ".old-", ignored);
  if (!aside || ::rmdir(aside->c_str()) != 0 || ::rename(destination.c_str(), aside->c_str()) != 0) {
    failure = {kPackageDestinationFailed, "cannot move the old " + destination.string() + " aside"};
    return false;
  }
  if (::rename(built.c_str(), destination.c_str()) != 0) {
    const int saved = errno;
    ::rename(aside->c_str(), destination.c_str());
    failure = {kPackageDestinationFailed, "cannot move the new folder to " + destination.string() + ": " +
                                              errno_text(saved)};
    return false;
  }
  platform::files::remove_tree(*aside, ignored);
  return true;
}

// Removes the folder being built unless it was moved into place.
class BuildFolder {
 public:
  explicit BuildFolder(fs::path path) : path_(std::move(path)) {}
  BuildFolder(const BuildFolder&) = delete;
  BuildFolder& operator=(const BuildFolder&) = delete;
  ~BuildFolder() {
    std::error_code ignored;
    if (!placed_) platform::files::remove_tree(path_, ignored);
  }
  const fs::path& path() const { return path_; }
  void placed() { placed_ = true; }

 private:
  fs::path path_;
  bool placed_ = false;
};

Failure unpack(const std::string& archive_path, fs::path destination, bool as_skin, const PackageLimits& limits) {
  Failure failure;
  if (destination.filename().empty()) destination = destination.parent_path();
  if (destination.filename().empty()) return {kPackageDestinationFailed, "no destination folder named"};

  ZipArchive archive = open_archive(archive_path, failure);
  if (!archive) return failure;
  auto entries = plan_entries(archive.get(), limits, failure);
  if (!entries) return failure;
  if (as_skin && !arrange_as_skin(*entries, failure)) return failure;

  fs::path parent = destination.parent_path();
  if (parent.empty()) parent = ".";
  std::error_code error;
  auto made = platform::files::make_temp_directory(parent, "." + destination.filename().string() + ".new-", error);
  if (!made) return {kPackageDestinationFailed, "cannot create a folder in " + parent.string() + ": " + error.message()};
  BuildFolder build(*made);
  platform::UniqueFd root(::open(build.path().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!root) return {kPackageDestinationFailed, "cannot open " + build.path().string() + ": " + errno_text(errno)};
  for (const Entry& entry : *entries) {
    if (!write_entry(archive.get(), root.get(), entry, failure)) return failure;
  }
  if (::fchmod(root.get(), 0755) != 0) {
    return {kPackageDestinationFailed, "cannot set the mode of the new folder: " + errno_text(errno)};
  }
  if (!swap_into_place(build.path(), destination, failure)) return failure;
  build.placed();
  return failure;
}

bool ends_with_package_extension(const std::string& name) {
  constexpr std::string_view extension = ".ssf";
  if (name.size() < extension.size()) return false;
  return std::equal(extension.begin(), extension.end(), name.end() - static_cast<long>(extension.size()),
                    [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace

int extractSkinFile(const std::string& archive, const std::string& destination, std::string& message,
                    const PackageLimits& limits) {
  Failure failure = unpack(archive, destination, false, limits);
  message = failure.message;
  return failure.status;
}

std::optional<std::string> skin_name_for_package(const fs::path& archive) {
  std::string name = archive.filename().string();
  if (ends_with_package_extension(name)) name.resize(name.size() - 4);
  if (name.empty() || name.front() == '.' || name.find('/') != std::string::npos || name.size() > kMaxNameBytes ||
      control_character(name)) {
    return std::nullopt;  // "." and ".." start with a dot too
  }
  return name;
}

std::optional<fs::path> install_skin_package(const fs::path& archive, const fs::path& skins_folder,
                                             std::string& error, const PackageLimits& limits) {
  auto name = skin_name_for_package(archive);
  if (!name) {
    error = "\"" + archive.filename().string() + "\" gives no usable skin name";
    return std::nullopt;
  }
  std::error_code made;
  if (!platform::files::make_directories(skins_folder, 0755, made)) {
    error = "cannot create " + skins_folder.string() + ": " + made.message();
    return std::nullopt;
  }
  const fs::path destination = skins_folder / *name;
  Failure failure = unpack(archive.string(), destination, true, limits);
  if (failure.status != kPackageInstalled) {
    error = "cannot install " + archive.string() + ": " + failure.message;
    return std::nullopt;
  }
  return destination;
}

std::optional<fs::path> skins_folder(std::string& error) {
  if (ime_make_data_folder() != 0) {
    error = ime_data_folder_error();
    if (error.empty()) error = "the data folder cannot be created";
    return std::nullopt;
  }
  fs::path folder = fs::path(QAGetAppSupportPathString()) / "Skins";
  std::error_code made;
  if (!platform::files::make_directories(folder, 0755, made)) {
    error = "cannot create " + folder.string() + ": " + made.message();
    return std::nullopt;
  }
  return folder;
}

}  // namespace kepskin
