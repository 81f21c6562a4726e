#include "scheme_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>

#include "temp_file.h"

namespace codetable {

namespace {

bool ends_with_pct(std::string_view file) {
  if (file.size() < 4) return false;
  std::string tail(file.substr(file.size() - 4));
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".pct";
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool is_regular_file(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

struct CloseDir {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string real_path(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : std::string();
}

// Copies `from` into a temporary file of `folder` named after `final_name`.
bool copy_aside(const std::string& from, TempFile* to, std::string* error) {
  const int fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = "Cannot open '" + from + "': " + std::strerror(errno);
    return false;
  }
  char buffer[1 << 16];
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *error = "Cannot read '" + from + "': " + std::strerror(errno);
      ok = false;
      break;
    }
    if (n == 0) break;
    if (!to->write_all(std::string_view(buffer, static_cast<std::size_t>(n)))) {
      *error = to->error();
      ok = false;
      break;
    }
  }
  ::close(fd);
  if (ok && !to->close()) {
    *error = to->error();
    ok = false;
  }
  return ok;
}

}  // namespace

std::vector<InstalledScheme> ListSchemes(const std::string& folder, const SchemeLog& log) {
  std::vector<InstalledScheme> schemes;
  std::unique_ptr<DIR, CloseDir> dir(::opendir(folder.c_str()));
  if (!dir) return schemes;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string file = entry->d_name;
    if (!ends_with_pct(file)) continue;
    const std::string name = file.substr(0, file.size() - 4);
    const std::string path = folder + "/" + file;
    if (!IsTableName(name) || !is_regular_file(path)) continue;
    std::optional<SchemeLine> line = ReadSchemeFile(path);
    if (!line) continue;
    if (!is_regular_file(folder + "/" + name + ".idx")) {
      if (log) log("IDX file for " + file + " not found.");
      continue;
    }
    if (!is_regular_file(folder + "/" + name + ".qdb")) {
      if (log) log("DB file for " + file + " not found.");
      continue;
    }
    schemes.push_back({file, name, std::move(*line)});
  }
  // By name as a person reads it, case aside; spellings that differ only in case by their bytes.
  std::sort(schemes.begin(), schemes.end(), [](const InstalledScheme& a, const InstalledScheme& b) {
    const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    if (!equal_ignoring_case(a.file, b.file)) {
      return std::lexicographical_compare(a.file.begin(), a.file.end(), b.file.begin(), b.file.end(),
                                          [&](char x, char y) { return lower(x) < lower(y); });
    }
    return a.file < b.file;
  });
  return schemes;
}

int FindScheme(const std::vector<InstalledScheme>& schemes, std::string_view wanted) {
  if (schemes.empty()) return -1;
  if (ends_with_pct(wanted)) wanted.remove_suffix(4);
  // The name as spelled first: "t" and "T" may both be installed.
  for (std::size_t i = 0; i < schemes.size(); ++i) {
    if (schemes[i].name == wanted) return static_cast<int>(i);
  }
  for (std::size_t i = 0; i < schemes.size(); ++i) {
    if (equal_ignoring_case(schemes[i].name, wanted)) return static_cast<int>(i);
  }
  return 0;
}

ImportOutcome ImportScheme(const std::string& scheme_path, const std::string& folder,
                           std::string* missing, std::string* error) {
  std::string ignored;
  if (error == nullptr) error = &ignored;
  const std::string source_folder = folder_of(scheme_path);
  const std::string real_source = real_path(source_folder);
  if (!real_source.empty() && real_source == real_path(folder)) return ImportOutcome::kInsideFolder;

  const std::string name = GetLastName(scheme_path, "");
  if (!IsTableName(name)) return ImportOutcome::kBadName;
  if (!ReadSchemeFile(scheme_path)) return ImportOutcome::kNotScheme;
  const std::string index_from = source_folder + "/" + name + ".idx";
  const std::string data_from = source_folder + "/" + name + ".qdb";
  if (!is_regular_file(index_from)) {
    if (missing != nullptr) *missing = name + ".idx";
    return ImportOutcome::kMissingIndex;
  }
  if (!is_regular_file(data_from)) {
    if (missing != nullptr) *missing = name + ".qdb";
    return ImportOutcome::kMissingData;
  }

  TempFile index(folder, name + ".idx");
  TempFile data(folder, name + ".qdb");
  TempFile scheme(folder, name + ".pct");
  for (const TempFile* file : {&index, &data, &scheme}) {
    if (!file->ok()) {
      *error = file->error();
      return ImportOutcome::kFailed;
    }
  }
  if (!copy_aside(index_from, &index, error) || !copy_aside(data_from, &data, error) ||
      !copy_aside(scheme_path, &scheme, error)) {
    return ImportOutcome::kFailed;
  }
  // The index first and the scheme file last: until the scheme is in place nobody picks the
  // table by it, and a data file that failed to move takes its new index away again.
  const std::string base = folder + "/" + name;
  if (!index.commit(base + ".idx")) {
    *error = index.error();
    return ImportOutcome::kFailed;
  }
  if (!data.commit(base + ".qdb")) {
    ::unlink((base + ".idx").c_str());
    *error = data.error();
    return ImportOutcome::kFailed;
  }
  if (!scheme.commit(base + ".pct")) {
    *error = scheme.error();
    return ImportOutcome::kFailed;
  }
  ::unlink((base + ".freq").c_str());
  SyncFolder(folder);
  return ImportOutcome::kImported;
}

bool RemoveScheme(const std::string& folder, const std::string& file) {
  if (!ends_with_pct(file)) return false;
  const std::string name = file.substr(0, file.size() - 4);
  if (!IsTableName(name)) return false;
  for (const std::string& each : {file, name + ".idx", name + ".qdb"}) {
    ::unlink((folder + "/" + each).c_str());
  }
  return true;
}

}  // namespace codetable
