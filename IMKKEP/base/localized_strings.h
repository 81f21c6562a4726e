// Interface strings of a bundle: Resources/English.lproj/Localizable.strings, a property-list
// dictionary of key to text.
#pragma once

#include <string>
#include <string_view>

namespace imkkep {

// The text for `key` in the bundle with identifier `bundle_identifier`; `default_text` when the
// bundle, its table or the key is missing.
std::string LocalizedString(std::string_view bundle_identifier, std::string_view key,
                            std::string_view default_text);

}  // namespace imkkep
