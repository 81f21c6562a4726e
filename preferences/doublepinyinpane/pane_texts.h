// Where the double-pinyin pane finds its texts: the preferences program's string table first
// (it holds every pane's texts), then the pane's own, then the key itself so that a missing
// text shows.
#pragma once

#include <string>
#include <string_view>

#include "preferences/panekit/pane_bundle.h"

namespace dpypane {

using panekit::format_with;
using panekit::pane_resource;

std::string text(std::string_view key);

}  // namespace dpypane
