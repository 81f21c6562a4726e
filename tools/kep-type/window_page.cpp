#include "window_page.h"

#include <system_error>

#include "platform/plist.h"

namespace kep_type {

namespace {

constexpr const char* kWindowFolder = "windows/IMKKEPCandidateWindow";

int integer_or_zero(const platform::plist::Dictionary& dictionary, std::string_view key) {
  const platform::plist::Value* value = dictionary.find(key);
  if (value == nullptr) return 0;
  const std::optional<std::int64_t> number = value->integer_value();
  return number && *number >= INT32_MIN && *number <= INT32_MAX ? static_cast<int>(*number) : 0;
}

}  // namespace

std::filesystem::path candidate_state_path(const std::filesystem::path& render_folder) {
  return render_folder / kWindowFolder / "candidate.state";
}

std::optional<WindowPage> read_window_page(const std::filesystem::path& render_folder) {
  std::error_code error;
  std::optional<platform::plist::Value> state =
      platform::plist::read_file(candidate_state_path(render_folder), error);
  if (!state || state->as_dictionary() == nullptr) return std::nullopt;
  const platform::plist::Dictionary& dictionary = *state->as_dictionary();
  WindowPage page;
  page.picture = render_folder / kWindowFolder / "candidate.png";
  if (const platform::plist::Value* visible = dictionary.find("visible")) {
    page.visible = visible->bool_value().value_or(false);
  }
  if (const platform::plist::Value* sequence = dictionary.find("sequence")) {
    page.sequence = static_cast<std::uint64_t>(sequence->integer_value().value_or(0));
  }
  const platform::plist::Value* shows = dictionary.find("shows");
  if (shows == nullptr || shows->as_dictionary() == nullptr) return page;
  const platform::plist::Dictionary& shown = *shows->as_dictionary();
  if (const platform::plist::Value* labels = shown.find("labels");
      labels != nullptr && labels->as_array() != nullptr) {
    for (const platform::plist::Value& label : *labels->as_array()) {
      if (const std::string* text = label.as_string()) page.labels.push_back(*text);
    }
  }
  page.page = integer_or_zero(shown, "page");
  page.total = integer_or_zero(shown, "total");
  return page;
}

std::string window_page_line(const WindowPage& page) {
  std::string line;
  if (!page.visible || page.labels.empty()) {
    line = "(no candidates)";
  } else {
    for (const std::string& label : page.labels) line += (line.empty() ? "" : " ") + label;
    if (page.total > 1) {
      line += " (" + std::to_string(page.page) + "/" + std::to_string(page.total) + ")";
    }
  }
  return line + "  [" + page.picture.string() + "]";
}

}  // namespace kep_type
