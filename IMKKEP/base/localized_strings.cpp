#include "IMKKEP/base/localized_strings.h"

#include <system_error>

#include "platform/bundle.h"
#include "platform/plist.h"

namespace imkkep {

namespace {
constexpr const char* kStringsTable = "English.lproj/Localizable.strings";
}

std::string LocalizedString(std::string_view bundle_identifier, std::string_view key,
                            std::string_view default_text) {
  std::optional<platform::Bundle> bundle = platform::Bundle::find(bundle_identifier);
  if (!bundle) return std::string(default_text);
  std::error_code error;
  std::optional<platform::plist::Value> table =
      platform::plist::read_file(bundle->resources_path() / kStringsTable, error);
  const platform::plist::Dictionary* strings = table ? table->as_dictionary() : nullptr;
  const platform::plist::Value* text = strings ? strings->find(key) : nullptr;
  if (text == nullptr || !text->is_string()) return std::string(default_text);
  return *text->as_string();
}

}  // namespace imkkep
