// A program's user defaults: $HOME/Library/Preferences/<CFBundleIdentifier>.plist, an XML
// property-list dictionary replaced atomically on synchronize.
//
// A file that exists but cannot be read, or does not hold a dictionary, is never written over:
// its contents are unknown, and a write would lose whatever the user keeps there. Such a file
// reads as empty (registered defaults and this run's own writes still answer), and synchronize
// refuses, for the life of the object, to replace it, saying why. The file is also checked again
// just before each write, so one damaged by someone else since it was read is left alone too.
// A missing file is simply created.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/plist.h"

namespace platform::ui {

// Why user defaults cannot be opened or saved. Each compares equal to the generic condition it
// stands for and says in its message what is wrong.
enum class DefaultsError {
  home_unset = 1,     // HOME is not set or empty
  home_relative,      // HOME is not an absolute path
  bad_identifier,     // empty, ".", "..", or holding a '/' or a NUL
  file_unreadable,    // the file exists but cannot be read; left as it is
  file_damaged,       // the file is not a property-list dictionary; left as it is
};

std::error_code make_error_code(DefaultsError error);

class UserDefaults {
 public:
  // The defaults of the program whose bundle identifier is `identifier`, read from the file
  // under $HOME. nullopt (with `error`) when HOME is unset or relative or the identifier cannot
  // name a file; a file that cannot be read does not fail here (see load_error()).
  static std::optional<UserDefaults> open(std::string_view identifier, std::error_code& error);

  // The same for an explicit file.
  static UserDefaults at(std::filesystem::path file);

  const std::filesystem::path& path() const { return path_; }

  // Why the file read as empty: file_unreadable or file_damaged; empty when it was read or is
  // missing.
  std::error_code load_error() const { return load_error_; }
  // The system's own reason the file could not be read (for example permission denied).
  std::error_code read_error() const { return read_error_; }

  // Values answered for keys the user has not set; later registrations replace earlier ones.
  // They are never written to the file.
  void register_defaults(const plist::Dictionary& defaults);

  // The value for `key`: the user's own, else the registered default, else nullptr.
  const plist::Value* object(std::string_view key) const;
  // Typed reads, converting like the settings readers do ("1" reads as 1 and true, numbers
  // read as strings); nullopt / nullptr when the key is absent or cannot convert.
  std::optional<std::string> string(std::string_view key) const;
  std::optional<std::int64_t> integer(std::string_view key) const;
  std::optional<bool> boolean(std::string_view key) const;
  const plist::Array* array(std::string_view key) const;

  // Sets or removes the user's own value; a change marks the defaults for the next synchronize.
  void set(std::string key, plist::Value value);
  void remove(std::string_view key);

  // The user's own values only.
  const plist::Dictionary& values() const { return values_; }
  bool has_changes() const { return changed_; }

  // Writes the user's own values when they changed since the last write or read. false with
  // `error` when the file is refused (see above) or the write fails; the old file is then
  // untouched and the changes stay pending.
  bool synchronize(std::error_code& error);

 private:
  explicit UserDefaults(std::filesystem::path path) : path_(std::move(path)) {}
  void load();

  std::filesystem::path path_;
  plist::Dictionary values_;
  plist::Dictionary registered_;
  std::error_code load_error_;
  std::error_code read_error_;
  bool changed_ = false;
};

}  // namespace platform::ui

template <>
struct std::is_error_code_enum<platform::ui::DefaultsError> : std::true_type {};
