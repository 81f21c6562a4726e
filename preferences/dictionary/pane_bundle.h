// Where the dictionary pane finds what it shows: its own bundle (images, its interface strings,
// the update service's address), the preferences program's bundle (the pane's name) and the
// program's user defaults.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/bundle.h"

namespace platform::ui {
class UserDefaults;
}

namespace dictpane {

// The pane's own bundle, found from the library this code was loaded from; nullopt when the
// code runs outside a bundle (a benchmark, a test that links it directly).
const std::optional<platform::Bundle>& own_bundle();
// The bundle of the running program.
const std::optional<platform::Bundle>& host_bundle();

// A text of the pane's own table; the key itself when it has none, so a missing text shows.
std::string pane_string(std::string_view key);
// A text of the host program's table, `default_text` when missing.
std::string host_string(std::string_view key, std::string_view default_text);

// "%@" in `format` replaced by `argument` (once).
std::string format_with(std::string_view format, std::string_view argument);

// A resource of the pane's bundle; nullopt when it has none.
std::optional<std::filesystem::path> pane_resource(std::string_view name);

// The user's dictionary folder: "$HOME/Library/KEP/Dictionary"; empty when HOME is not an
// absolute path.
std::filesystem::path dictionary_folder();

// The key of the update service's base address in the pane's Info.plist, which the
// preferences program's user default of the same key overrides.
inline constexpr std::string_view kServiceAddressKey = "KEPCellDictUpdateURL";
std::string service_base_address(const platform::ui::UserDefaults* defaults);

}  // namespace dictpane
