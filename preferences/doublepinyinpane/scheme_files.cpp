#include "preferences/doublepinyinpane/scheme_files.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "platform/bundle.h"
#include "platform/files.h"
#include "platform/text.h"

namespace dpypane {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kExtension = "spc";

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool has_scheme_extension(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  // A leading dot starts a hidden name, not an extension.
  return dot != std::string_view::npos && dot > 0 && same_name(name.substr(dot + 1), kExtension);
}

// C0 controls, DEL and the C1 controls (U+0080..U+009F, encoded 0xC2 0x80..0x9F).
bool has_control_character(std::string_view name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (byte < 0x20 || byte == 0x7f) return true;
    if (byte == 0xc2 && i + 1 < name.size()) {
      const auto next = static_cast<unsigned char>(name[i + 1]);
      if (next >= 0x80 && next <= 0x9f) return true;
    }
  }
  return false;
}

}  // namespace

std::optional<fs::path> builtin_scheme_folder() {
  const auto bundle =
      platform::Bundle::at(platform::files::under_root("/Library/Input Methods/IMKKEP.app"));
  if (!bundle) return std::nullopt;
  return bundle->resources_path();
}

fs::path user_scheme_folder() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return fs::path(home) / "Library/KEP";
}

std::vector<SchemeRecord> list_schemes(const fs::path& folder, bool user) {
  std::vector<SchemeRecord> schemes;
  if (folder.empty()) return schemes;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    std::error_code kind_error;
    if (!has_scheme_extension(name) || !it->is_regular_file(kind_error)) continue;
    schemes.push_back({folder, name, user});
  }
  std::sort(schemes.begin(), schemes.end(),
            [](const SchemeRecord& a, const SchemeRecord& b) { return a.name < b.name; });
  return schemes;
}

bool same_name(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return lower(x) == lower(y);
         });
}

bool is_plain_file_name(std::string_view name) {
  return !name.empty() && name.front() != '.' && name.find('/') == std::string_view::npos &&
         !has_control_character(name) && platform::text::is_valid_utf8(name);
}

std::string with_scheme_extension(std::string name) {
  if (!has_scheme_extension(name)) name += ".spc";
  return name;
}

namespace {

std::vector<std::string> names_in(const fs::path& folder) {
  std::vector<std::string> names;
  if (folder.empty()) return names;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    names.push_back(it->path().filename().string());
  }
  return names;
}

bool taken(const std::vector<SchemeRecord>& rows, std::string_view name, int except,
           const std::vector<std::string>& files) {
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (static_cast<int>(row) != except && same_name(rows[row].name, name)) return true;
  }
  // A file of the folder, listed or not (one made since the list was read), takes the name
  // too, unless it is the row's own.
  const bool has_own = except >= 0 && static_cast<std::size_t>(except) < rows.size() &&
                       rows[except].user;
  return std::any_of(files.begin(), files.end(), [&](const std::string& file) {
    return same_name(file, name) && !(has_own && rows[except].name == file);
  });
}

}  // namespace

bool name_taken(const std::vector<SchemeRecord>& rows, std::string_view name, int except,
                const fs::path& user_folder) {
  return taken(rows, name, except, names_in(user_folder));
}

std::optional<std::string> free_new_name(const std::vector<SchemeRecord>& rows,
                                         const fs::path& user_folder) {
  const std::vector<std::string> files = names_in(user_folder);
  for (int number = 0; number < 1000; ++number) {
    const std::string name =
        number == 0 ? std::string("NewSPC.spc") : "NewSPC" + std::to_string(number) + ".spc";
    if (!taken(rows, name, -1, files)) return name;
  }
  return std::nullopt;
}

ReadScheme read_scheme(const SchemeRecord& scheme) {
  ReadScheme read;
  std::error_code error;
  if (!fs::exists(scheme.file(), error)) return read;
  read.outcome = ReadScheme::Outcome::Unreadable;
  if (fs::file_size(scheme.file(), error) > kMaxSchemeBytes || error) return read;
  std::optional<std::string> text = platform::files::read_file(scheme.file(), error);
  if (!text || text->size() > kMaxSchemeBytes || !platform::text::is_valid_utf8(*text)) return read;
  read.outcome = ReadScheme::Outcome::Read;
  read.text = std::move(*text);
  return read;
}

bool write_scheme(const SchemeRecord& scheme, std::string_view text, std::string* why) {
  if (!scheme.user) {
    *why = "a shipped scheme is not written";
    return false;
  }
  if (!is_plain_file_name(scheme.name) || scheme.base.empty()) {
    *why = "not a plain file name";
    return false;
  }
  std::error_code error;
  if (!platform::files::make_directories(scheme.base, 0700, error) ||
      !platform::files::write_atomic(scheme.file(), text, error)) {
    *why = error.message();
    return false;
  }
  return true;
}

}  // namespace dpypane
