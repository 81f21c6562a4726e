// Helpers for window tests: a private render folder, and a window that logs its events.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/tests/test_support.h"
#include "platform/ui/window.h"

namespace platform::ui::test_support {

// Points KEP_RENDER_DIR at a fresh folder for the life of the object.
struct RenderDir {
  platform::testing_support::TempDir dir;
  platform::testing_support::ScopedEnv env{"KEP_RENDER_DIR", dir.path().string()};
  // A file the windows of "TestProgram" write.
  std::filesystem::path file(const std::string& name) const {
    return dir.path() / "windows" / "TestProgram" / name;
  }
};

// Logs what reaches its own handlers, e.g. "down 10,5 x1" ("down 10,5 x1 flags=0x20000" with
// modifier keys held), "enter 3", "key [y]"; it takes the keys "y" and " " only.

class RecordingWindow : public Window {
 public:
  RecordingWindow(std::string name, Rect frame) : Window("TestProgram", std::move(name), frame) {}
  std::vector<std::string> log;

  bool key_down(std::string_view characters) override {
    log.push_back("key [" + std::string(characters) + "]");
    return characters == "y" || characters == " ";
  }

 protected:
  void mouse_down(const MouseEvent& e) override { record("down", e); }
  void mouse_dragged(const MouseEvent& e) override { record("drag", e); }
  void mouse_up(const MouseEvent& e) override { record("up", e); }
  void mouse_moved(const MouseEvent& e) override { record("move", e); }
  void mouse_entered(int tag) override { log.push_back("enter " + std::to_string(tag)); }
  void mouse_exited(int tag) override { log.push_back("exit " + std::to_string(tag)); }

 private:
  void record(const char* what, const MouseEvent& e) {
    std::string line = std::string(what) + " " + std::to_string(static_cast<int>(e.location.x)) +
                       "," + std::to_string(static_cast<int>(e.location.y)) + " x" +
                       std::to_string(e.click_count);
    if (e.modifier_flags != 0) {
      char flags[32];
      std::snprintf(flags, sizeof flags, " flags=0x%llx",
                    static_cast<unsigned long long>(e.modifier_flags));
      line += flags;
    }
    log.push_back(line);
  }
};

}  // namespace platform::ui::test_support
