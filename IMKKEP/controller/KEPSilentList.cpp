#include "IMKKEP/controller/KEPSilentList.h"

#include "platform/bundle.h"

namespace imkkep {
namespace {

// Whether `path` is `prefix` or lies inside the folder `prefix`.
bool covers(std::string_view prefix, std::string_view path) {
  while (prefix.size() > 1 && prefix.back() == '/') prefix.remove_suffix(1);
  if (path.substr(0, prefix.size()) != prefix) return false;
  return path.size() == prefix.size() || prefix == "/" || path[prefix.size()] == '/';
}

bool bundle_is(std::string_view listed_path, std::string_view bundle_identifier) {
  if (bundle_identifier.empty()) return false;
  std::optional<platform::Bundle> bundle = platform::Bundle::at(std::string(listed_path));
  return bundle && bundle->identifier() == bundle_identifier;
}

}  // namespace

SilentVerdict KEPCheckSilentList(std::string_view silent_lists, std::string_view application_path,
                                 std::string_view bundle_identifier, bool counter_list) {
  SilentVerdict verdict;
  std::size_t start = 0;
  while (start <= silent_lists.size()) {
    std::size_t end = silent_lists.find('|', start);
    if (end == std::string_view::npos) end = silent_lists.size();
    const std::string_view entry = silent_lists.substr(start, end - start);
    start = end + 1;
    if (entry.empty()) continue;
    const bool by_identifier = bundle_is(entry, bundle_identifier);
    if (by_identifier || covers(entry, application_path)) {
      verdict.silent = true;
      verdict.listed_path = std::string(entry);
      verdict.by_bundle_identifier = by_identifier;
      break;
    }
  }
  if (counter_list) verdict.silent = !verdict.silent;
  return verdict;
}

}  // namespace imkkep
