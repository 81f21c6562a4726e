#include "preferences/panekit/pane_bundle.h"

#include <dlfcn.h>

#include "platform/gfx/image.h"
#include "platform/ui/localized_strings.h"

namespace panekit {

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

std::optional<platform::gfx::Surface> pane_icon(std::string_view name) {
  std::optional<fs::path> icon = pane_resource(name);
  if (!icon) return std::nullopt;
  return platform::gfx::load_image(*icon, nullptr);
}

std::optional<std::string> pane_tool_tip() {
  const auto& bundle = own_bundle();
  if (!bundle) return std::nullopt;
  const platform::plist::Value* tip = bundle->info().find("toolTip");
  if (tip == nullptr) return std::nullopt;
  return tip->string_value();
}

}  // namespace panekit
