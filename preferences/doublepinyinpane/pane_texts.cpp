#include "preferences/doublepinyinpane/pane_texts.h"

#include <dlfcn.h>

#include "platform/ui/localized_strings.h"

namespace dpypane {

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

std::string text(std::string_view key) {
  const auto& own = own_bundle();
  const std::string fallback =
      own ? platform::ui::localized_string(*own, key, key) : std::string(key);
  return host_text(key, fallback);
}

std::string host_text(std::string_view key, std::string_view default_text) {
  const auto& host = host_bundle();
  return host ? platform::ui::localized_string(*host, key, default_text)
              : std::string(default_text);
}

std::string format_with(std::string_view format,
                        std::initializer_list<std::string_view> arguments) {
  std::string result;
  auto next = arguments.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format.compare(i, 2, "%@") == 0 && next != arguments.end()) {
      result += *next++;
      ++i;
    } else {
      result += format[i];
    }
  }
  return result;
}

std::optional<fs::path> pane_resource(std::string_view name) {
  const auto& bundle = own_bundle();
  return bundle ? bundle->resource(name) : std::nullopt;
}

}  // namespace dpypane
