// Which applications the server leaves alone: the settings' silent list names applications by
// path ("|"-separated), and the counter flag turns it into the list of the only ones served.
#pragma once

#include <string>
#include <string_view>

namespace imkkep {

struct SilentVerdict {
  bool silent = false;
  // The listed path that matched (the application's name in the notice); "" when none did.
  std::string listed_path;
  // The bundle at the listed path has the application's identifier: the application is known
  // by that path from then on.
  bool by_bundle_identifier = false;
};

// Whether the application at `application_path` with `bundle_identifier` is silent under
// `silent_lists`. A listed path matches when the bundle there has the application's bundle
// identifier, or when it is the application's path or a folder holding it (whole path
// components: "/opt/A" covers "/opt/A/bin/x" but not "/opt/AB"). Empty entries match nothing.
// `counter_list` inverts the verdict.
SilentVerdict KEPCheckSilentList(std::string_view silent_lists, std::string_view application_path,
                                 std::string_view bundle_identifier, bool counter_list);

}  // namespace imkkep
