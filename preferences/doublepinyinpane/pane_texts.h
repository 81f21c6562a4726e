// Where the double-pinyin pane finds its texts and pictures: the preferences program's string
// table first (it holds every pane's texts), then the pane's own, then the key itself so that a
// missing text shows.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "platform/bundle.h"

namespace dpypane {

// The pane's own bundle, found from the library this code was loaded from.
const std::optional<platform::Bundle>& own_bundle();
// The bundle of the running program.
const std::optional<platform::Bundle>& host_bundle();

std::string text(std::string_view key);
// The host's text only, `default_text` when it has none (the pane's name).
std::string host_text(std::string_view key, std::string_view default_text);
// Each "%@" of `format` in turn replaced by the next argument.
std::string format_with(std::string_view format,
                        std::initializer_list<std::string_view> arguments);

std::optional<std::filesystem::path> pane_resource(std::string_view name);

}  // namespace dpypane
