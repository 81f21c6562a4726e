// Interface strings of a bundle: Resources/English.lproj/Localizable.strings, a property-list
// dictionary of key to text. Every program with windows looks its texts up here.
#pragma once

#include <string>
#include <string_view>

#include "platform/bundle.h"

namespace platform::ui {

// The text for `key` in the bundle's table; `default_text` when the table or the key is
// missing, the table cannot be read or is not a dictionary, or the value is not a string.
// Tables are cached per bundle path and read again once the file changes.
std::string localized_string(const Bundle& bundle, std::string_view key,
                             std::string_view default_text);

// The same for the bundle with identifier `bundle_identifier` under the root prefix;
// `default_text` when there is no such bundle.
std::string localized_string(std::string_view bundle_identifier, std::string_view key,
                             std::string_view default_text);

}  // namespace platform::ui
