#include "preferences/dictionary/pane_bundle.h"

#include <dlfcn.h>

#include <cstdlib>

#include "platform/ui/localized_strings.h"
#include "platform/ui/user_defaults.h"

namespace dictpane {

namespace fs = std::filesystem;

namespace {

// The bundle whose Contents/MacOS holds `file`.
std::optional<platform::Bundle> bundle_of_executable(const fs::path& file) {
  const fs::path macos = file.parent_path();
  if (macos.filename() != "MacOS" || macos.parent_path().filename() != "Contents") {
    return std::nullopt;
  }
  return platform::Bundle::at(macos.parent_path().parent_path());
}

}  // namespace

const std::optional<platform::Bundle>& own_bundle() {
  static const std::optional<platform::Bundle> bundle = []() -> std::optional<platform::Bundle> {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<const void*>(&own_bundle), &info) == 0 ||
        info.dli_fname == nullptr) {
      return std::nullopt;
    }
    std::error_code error;
    const fs::path library = fs::canonical(info.dli_fname, error);
    if (error) return std::nullopt;
    return bundle_of_executable(library);
  }();
  return bundle;
}

const std::optional<platform::Bundle>& host_bundle() {
  static const std::optional<platform::Bundle> bundle = []() -> std::optional<platform::Bundle> {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error) return std::nullopt;
    return bundle_of_executable(exe);
  }();
  return bundle;
}

std::string pane_string(std::string_view key) {
  const auto& bundle = own_bundle();
  return bundle ? platform::ui::localized_string(*bundle, key, key) : std::string(key);
}

std::string host_string(std::string_view key, std::string_view default_text) {
  const auto& bundle = host_bundle();
  return bundle ? platform::ui::localized_string(*bundle, key, default_text)
                : std::string(default_text);
}

std::string format_with(std::string_view format, std::string_view argument) {
  std::string text(format);
  const std::size_t at = text.find("%@");
  if (at != std::string::npos) text.replace(at, 2, argument);
  return text;
}

std::optional<fs::path> pane_resource(std::string_view name) {
  const auto& bundle = own_bundle();
  return bundle ? bundle->resource(name) : std::nullopt;
}

fs::path dictionary_folder() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return fs::path(home) / "Library/KEP/Dictionary";
}

std::string service_base_address(const platform::ui::UserDefaults* defaults) {
  if (defaults != nullptr) {
    if (auto address = defaults->string(kServiceAddressKey); address && !address->empty()) {
      return *address;
    }
  }
  const auto& bundle = own_bundle();
  if (!bundle) return {};
  const platform::plist::Value* value = bundle->info().find(kServiceAddressKey);
  return value != nullptr ? value->string_value().value_or("") : "";
}

}  // namespace dictpane
