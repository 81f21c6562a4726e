// The windows of one program by name, and the control commands (control_command.h) run on them.
// Windows leave the registry when destroyed; a registry destroyed first lets its windows go.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/ui/control_command.h"
#include "platform/ui/dialog_answers.h"
#include "platform/ui/window.h"

namespace platform::ui {

class WindowRegistry {
 public:
  WindowRegistry() = default;
  ~WindowRegistry();
  WindowRegistry(const WindowRegistry&) = delete;
  WindowRegistry& operator=(const WindowRegistry&) = delete;

  // False when another window of the same name is registered here, or the window belongs to
  // another registry.
  bool add(Window& window);
  void remove(Window& window);
  Window* find(std::string_view name) const;

  // Makes every window but `window` resign the key.
  void resign_key_except(const Window& window);

  // Parses and runs a command; "ok" or "error: ..." for the sender. After a command that ran,
  // every window whose state changed displays again, so its files show the effect.
  std::string perform(std::string_view command_text);
  void display_changed_windows();

  // The answers the program's dialogs take.
  DialogAnswers& answers() { return answers_; }

 private:
  std::string run(const ControlCommand& command, Window& window);

  std::map<std::string, Window*, std::less<>> windows_;
  DialogAnswers answers_;
};

}  // namespace platform::ui
