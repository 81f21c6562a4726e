// Where the dictionary pane keeps the user's dictionaries and finds the update service.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "preferences/panekit/pane_bundle.h"

namespace platform::ui {
class UserDefaults;
}

namespace dictpane {

// The pane's bundle and texts, shared with the other panes.
using panekit::format_with;
using panekit::host_bundle;
using panekit::host_string;
using panekit::own_bundle;
using panekit::pane_resource;
using panekit::pane_string;

// The user's dictionary folder: "$HOME/Library/KEP/Dictionary"; empty when HOME is not an
// absolute path.
std::filesystem::path dictionary_folder();

// The key of the update service's base address in the pane's Info.plist, which the
// preferences program's user default of the same key overrides.
inline constexpr std::string_view kServiceAddressKey = "KEPCellDictUpdateURL";
std::string service_base_address(const platform::ui::UserDefaults* defaults);

}  // namespace dictpane
