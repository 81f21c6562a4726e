// Where a preference pane finds what it shows: its own bundle (images, its interface strings,
// its Info.plist), the preferences program's bundle (the pane's name) and the texts of both.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "platform/bundle.h"
#include "platform/gfx/surface.h"

namespace panekit {

// The pane's own bundle, found from the library this code was loaded from; nullopt when the
// code runs outside a bundle (a benchmark, a test that links it directly). Each pane links its
// own copy of this code, bound to itself, so each finds its own bundle.
const std::optional<platform::Bundle>& own_bundle();
// The bundle of the running program.
const std::optional<platform::Bundle>& host_bundle();

// A text of the pane's own table; the key itself when it has none, so a missing text shows.
std::string pane_string(std::string_view key);
// A text of the host program's table, `default_text` when missing.
std::string host_string(std::string_view key, std::string_view default_text);

// Each "%@" of `format` in turn replaced by the next argument; those left over stay.
std::string format_with(std::string_view format,
                        std::initializer_list<std::string_view> arguments);
inline std::string format_with(std::string_view format, std::string_view argument) {
  return format_with(format, {argument});
}

// A resource of the pane's bundle; nullopt when it has none.
std::optional<std::filesystem::path> pane_resource(std::string_view name);
// The picture `name` of the pane's bundle (its toolbar icon); nullopt when missing or unreadable.
std::optional<platform::gfx::Surface> pane_icon(std::string_view name);
// The "toolTip" of the pane's Info.plist.
std::optional<std::string> pane_tool_tip();

}  // namespace panekit
