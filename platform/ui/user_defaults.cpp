#include "platform/ui/user_defaults.h"

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "platform/files.h"

namespace platform::ui {

namespace fs = std::filesystem;

namespace {

class DefaultsCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "user defaults"; }
  std::string message(int value) const override {
    switch (static_cast<DefaultsError>(value)) {
      case DefaultsError::home_unset: return "HOME is not set, so there is no defaults folder";
      case DefaultsError::home_relative:
        return "HOME is not an absolute path, so the defaults folder would move with the "
               "working directory";
      case DefaultsError::bad_identifier: return "the bundle identifier cannot name a file";
      case DefaultsError::file_unreadable:
        return "the defaults file cannot be read; it is left as it is and nothing is saved";
      case DefaultsError::file_damaged:
        return "the defaults file is not a property-list dictionary; it is left as it is and "
               "nothing is saved";
    }
    return "user defaults error";
  }
  std::error_condition default_error_condition(int value) const noexcept override {
    switch (static_cast<DefaultsError>(value)) {
      case DefaultsError::home_unset:
      case DefaultsError::home_relative:
      case DefaultsError::bad_identifier: return std::errc::invalid_argument;
      case DefaultsError::file_unreadable: return std::errc::permission_denied;
      case DefaultsError::file_damaged: return std::errc::illegal_byte_sequence;
    }
    return std::error_condition(value, *this);
  }
};

bool usable_identifier(std::string_view identifier) {
  return !identifier.empty() && identifier != "." && identifier != ".." &&
         identifier.find('/') == std::string_view::npos &&
         identifier.find('\0') == std::string_view::npos;
}

struct FileState {
  std::optional<plist::Dictionary> values;  // set when the file holds a dictionary
  std::error_code refusal;                  // file_unreadable or file_damaged
  std::error_code cause;                    // the system's reason it could not be read
};

// A missing file is an empty dictionary; anything else that is not a dictionary is refused.
FileState read_state(const fs::path& path) {
  FileState state;
  std::error_code error;
  std::optional<std::string> bytes = files::read_file(path, error);
  if (!bytes) {
    if (error == std::errc::no_such_file_or_directory) {
      state.values.emplace();
      return state;
    }
    state.refusal = make_error_code(DefaultsError::file_unreadable);
    state.cause = error;
    return state;
  }
  std::optional<plist::Value> parsed = plist::parse(*bytes);
  if (!parsed || !parsed->is_dictionary()) {
    state.refusal = make_error_code(DefaultsError::file_damaged);
    return state;
  }
  state.values = std::move(*parsed->as_dictionary());
  return state;
}

}  // namespace

std::error_code make_error_code(DefaultsError error) {
  static const DefaultsCategory category;
  return {static_cast<int>(error), category};
}

std::optional<UserDefaults> UserDefaults::open(std::string_view identifier,
                                               std::error_code& error) {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    error = DefaultsError::home_unset;
    return std::nullopt;
  }
  fs::path home_path(home);
  if (!home_path.is_absolute()) {
    error = DefaultsError::home_relative;
    return std::nullopt;
  }
  if (!usable_identifier(identifier)) {
    error = DefaultsError::bad_identifier;
    return std::nullopt;
  }
  return at(home_path / "Library" / "Preferences" / (std::string(identifier) + ".plist"));
}

UserDefaults UserDefaults::at(fs::path file) {
  UserDefaults defaults(std::move(file));
  defaults.load();
  return defaults;
}

void UserDefaults::load() {
  FileState state = read_state(path_);
  load_error_ = state.refusal;
  read_error_ = state.cause;
  values_ = state.values ? std::move(*state.values) : plist::Dictionary{};
  changed_ = false;
}

void UserDefaults::register_defaults(const plist::Dictionary& defaults) {
  for (const auto& [key, value] : defaults.entries()) registered_.set(key, value);
}

const plist::Value* UserDefaults::object(std::string_view key) const {
  if (const plist::Value* own = values_.find(key)) return own;
  return registered_.find(key);
}

std::optional<std::string> UserDefaults::string(std::string_view key) const {
  const plist::Value* value = object(key);
  return value ? value->string_value() : std::nullopt;
}

std::optional<std::int64_t> UserDefaults::integer(std::string_view key) const {
  const plist::Value* value = object(key);
  return value ? value->integer_value() : std::nullopt;
}

std::optional<bool> UserDefaults::boolean(std::string_view key) const {
  const plist::Value* value = object(key);
  return value ? value->bool_value() : std::nullopt;
}

const plist::Array* UserDefaults::array(std::string_view key) const {
  const plist::Value* value = object(key);
  return value ? value->as_array() : nullptr;
}

void UserDefaults::set(std::string key, plist::Value value) {
  if (const plist::Value* old = values_.find(key); old != nullptr && *old == value) return;
  values_.set(std::move(key), std::move(value));
  changed_ = true;
}

void UserDefaults::remove(std::string_view key) {
  if (values_.erase(key)) changed_ = true;
}

bool UserDefaults::synchronize(std::error_code& error) {
  if (!changed_) return true;
  if (load_error_) {
    error = load_error_;
    return false;
  }
  if (FileState now = read_state(path_); now.refusal) {
    error = now.refusal;
    return false;
  }
  if (!files::make_directories(path_.parent_path(), 0700, error)) return false;
  if (!files::write_atomic(path_, plist::to_xml(plist::Value(values_)), error, 0600)) return false;
  changed_ = false;
  return true;
}

}  // namespace platform::ui
