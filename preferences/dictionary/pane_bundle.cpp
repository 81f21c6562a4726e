#include "preferences/dictionary/pane_bundle.h"

#include <cstdlib>

#include "platform/ui/user_defaults.h"

namespace dictpane {

namespace fs = std::filesystem;

fs::path dictionary_folder() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return fs::path(home) / "Library/KEP/Dictionary";
}

std::string service_base_address(const platform::ui::UserDefaults* defaults) {
  if (defaults != nullptr) {
    if (auto address = defaults->string(kServiceAddressKey); address && !address->empty()) {
      return *address;
    }
  }
  const auto& bundle = own_bundle();
  if (!bundle) return {};
  const platform::plist::Value* value = bundle->info().find(kServiceAddressKey);
  return value != nullptr ? value->string_value().value_or("") : "";
}

}  // namespace dictpane
