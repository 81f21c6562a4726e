#include "tables/suggestion.h"

#include <optional>
#include <string_view>

#include "base/datafolder.h"
#include "base/imelog.h"
#include "platform/files.h"

std::set<std::string>* selectedSuggestions = nullptr;

namespace {

std::string suggestion_file() {
  const std::string& folder = QAGetAppSupportPathString();
  return folder.empty() ? std::string() : folder + "/qy.cfg";
}

}  // namespace

int ime_load_suggestion() {
  std::string path = suggestion_file();
  if (path.empty()) return -1;
  auto* list = new (std::nothrow) std::set<std::string>();
  if (list == nullptr) {
    IME_ERROR("Create selectd suggesttions dictionary failed.");
    return -1;
  }
  std::error_code error;
  if (std::optional<std::string> text = platform::files::read_file(path, error)) {
    std::string_view rest(*text);
    while (!rest.empty()) {
      std::size_t end = rest.find('\n');
      std::string_view line = rest.substr(0, end);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (line.empty()) break;
      list->emplace(line);
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
  }
  delete selectedSuggestions;
  selectedSuggestions = list;
  return 0;
}

int ime_save_suggestion() {
  if (selectedSuggestions == nullptr) return 0;
  std::string text;
  // An empty line would end the list when it is read back.
  for (const std::string& suggestion : *selectedSuggestions) {
    if (!suggestion.empty()) text += suggestion + "\n";
  }
  delete selectedSuggestions;
  selectedSuggestions = nullptr;

  std::string path = suggestion_file();
  std::error_code error;
  if (path.empty() || !platform::files::write_atomic(path, text, error, 0600)) {
    IME_ERROR("Write suggestions to '%s' failed!: %s", path.c_str(),
              path.empty() ? "no data folder" : error.message().c_str());
    return -1;
  }
  return 0;
}
