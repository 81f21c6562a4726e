#include "platform/ui/screens.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace platform::ui {
namespace {

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    std::size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

std::optional<double> parse_number(std::string_view text) {
  text = trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  return parse_coordinate(text);
}

std::optional<Rect> make_rect(const double* values) {
  if (!(values[2] > 0) || !(values[3] > 0)) return std::nullopt;
  return Rect{values[0], values[1], values[2], values[3]};
}

std::optional<Screen> parse_entry(std::string_view entry, std::string* error) {
  auto fail = [&](const std::string& why) -> std::optional<Screen> {
    if (error) *error = "screen \"" + std::string(entry) + "\": " + why;
    return std::nullopt;
  };
  std::vector<std::string_view> fields = split(entry, ',');
  if (fields.size() != 4 && fields.size() != 8) return fail("expected 4 or 8 numbers");
  double values[8] = {};
  for (std::size_t i = 0; i < fields.size(); ++i) {
    auto value = parse_number(fields[i]);
    if (!value) return fail("\"" + std::string(trim(fields[i])) + "\" is not a usable number");
    values[i] = *value;
  }
  auto frame = make_rect(values);
  if (!frame) return fail("width and height must be above zero");
  Screen screen{*frame, *frame};
  if (fields.size() == 8) {
    auto visible = make_rect(values + 4);
    if (!visible) return fail("visible width and height must be above zero");
    screen.visible_frame = *visible;
  }
  return screen;
}

}  // namespace

Screen default_screen() { return Screen{Rect{0, 0, 1440, 900}, Rect{0, 0, 1440, 878}}; }

std::optional<std::vector<Screen>> parse_screens(std::string_view text, std::string* error) {
  if (!text.empty() && text.back() == ';') text.remove_suffix(1);
  std::vector<std::string_view> entries = split(text, ';');
  if (entries.size() > kMaxScreens) {
    if (error) *error = "more than " + std::to_string(kMaxScreens) + " screens";
    return std::nullopt;
  }
  std::vector<Screen> parsed;
  for (std::string_view entry : entries) {
    auto screen = parse_entry(entry, error);
    if (!screen) return std::nullopt;
    parsed.push_back(*screen);
  }
  return parsed;
}

std::vector<Screen> screens() {
  const char* value = std::getenv("KEP_SCREENS");
  if (value == nullptr || *value == '\0') return {default_screen()};
  std::string error;
  if (auto parsed = parse_screens(value, &error)) return *parsed;

  static std::mutex mutex;
  static std::string last_complaint;
  std::lock_guard lock(mutex);
  if (last_complaint != value) {
    last_complaint = value;
    std::fprintf(stderr, "KEP_SCREENS refused (%s); using one 1440x900 screen\n", error.c_str());
  }
  return {default_screen()};
}

Screen main_screen() { return screens().front(); }

}  // namespace platform::ui
