// Helpers for view tests: views that log or paint, and readers for the "views" a state holds.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/plist.h"
#include "platform/ui/view.h"

namespace platform::ui::test_support {

// Logs what reaches it, e.g. "inner down 5,6 x1"; takes the down (and scrolls) when told.
class RecordingView : public View {
 public:
  RecordingView(std::string name, Rect frame, std::vector<std::string>& log,
                bool takes_down = true, bool takes_scroll = false)
      : View(frame), name_(std::move(name)), log_(log), takes_down_(takes_down),
        takes_scroll_(takes_scroll) {}

  bool mouse_down(const MouseEvent& e) override {
    record("down", e);
    return takes_down_;
  }
  void mouse_dragged(const MouseEvent& e) override { record("drag", e); }
  void mouse_up(const MouseEvent& e) override { record("up", e); }
  bool scroll_wheel(Point location, double delta_y) override {
    log_.push_back(name_ + " scroll " + std::to_string(static_cast<int>(location.x)) + "," +
                   std::to_string(static_cast<int>(location.y)) + " " +
                   std::to_string(static_cast<int>(delta_y)));
    return takes_scroll_;
  }

 private:
  void record(const char* what, const MouseEvent& e) {
    log_.push_back(name_ + " " + what + " " + std::to_string(static_cast<int>(e.location.x)) +
                   "," + std::to_string(static_cast<int>(e.location.y)) + " x" +
                   std::to_string(e.click_count));
  }

  std::string name_;
  std::vector<std::string>& log_;
  bool takes_down_;
  bool takes_scroll_;
};

// Fills its whole bounds with one colour (its clip shows where it may draw).
class FilledView : public View {
 public:
  FilledView(Rect frame, gfx::Colour colour) : View(frame), colour_(colour) {}
  void draw(gfx::Canvas& canvas) const override {
    canvas.fill(Rect{-1000, -1000, 3000, 3000}, colour_);
  }

 private:
  gfx::Colour colour_;
};

inline const plist::Dictionary* dictionary_at(const plist::Dictionary& in, std::string_view key) {
  const plist::Value* value = in.find(key);
  return value ? value->as_dictionary() : nullptr;
}

inline const plist::Array* array_at(const plist::Dictionary& in, std::string_view key) {
  const plist::Value* value = in.find(key);
  return value ? value->as_array() : nullptr;
}

inline std::string string_at(const plist::Dictionary& in, std::string_view key) {
  const plist::Value* value = in.find(key);
  return value && value->as_string() ? *value->as_string() : std::string("<none>");
}

inline std::optional<std::int64_t> integer_at(const plist::Dictionary& in,
                                              std::string_view key) {
  const plist::Value* value = in.find(key);
  return value && value->is_integer() ? value->integer_value() : std::nullopt;
}

inline std::optional<bool> bool_at(const plist::Dictionary& in, std::string_view key) {
  const plist::Value* value = in.find(key);
  return value && value->is_bool() ? value->bool_value() : std::nullopt;
}

// Strings of an array; "<not a string>" for other values.
inline std::vector<std::string> strings(const plist::Array* array) {
  std::vector<std::string> out;
  if (array == nullptr) return out;
  for (const plist::Value& value : *array) {
    out.push_back(value.as_string() ? *value.as_string() : "<not a string>");
  }
  return out;
}

// What view describes: the dictionary itself.
inline plist::Dictionary described(const View& view) {
  plist::Value value = view.describe();
  return value.as_dictionary() ? *value.as_dictionary() : plist::Dictionary{};
}

inline plist::Dictionary read_state_file(const std::filesystem::path& path) {
  std::error_code error;
  auto value = plist::read_file(path, error);
  if (!value || !value->as_dictionary()) return {};
  return *value->as_dictionary();
}

}  // namespace platform::ui::test_support
