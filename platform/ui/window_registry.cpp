#include "platform/ui/window_registry.h"

#include <cstdio>
#include <vector>

namespace platform::ui {

WindowRegistry::~WindowRegistry() {
  for (auto& [name, window] : windows_) window->registry_ = nullptr;
}

bool WindowRegistry::add(Window& window) {
  if (window.registry_ != nullptr) return window.registry_ == this && find(window.name()) == &window;
  auto [place, inserted] = windows_.emplace(window.name(), &window);
  if (!inserted) return false;
  window.registry_ = this;
  return true;
}

void WindowRegistry::remove(Window& window) {
  auto found = windows_.find(window.name());
  if (found == windows_.end() || found->second != &window) return;
  windows_.erase(found);
  window.registry_ = nullptr;
}

Window* WindowRegistry::find(std::string_view name) const {
  auto found = windows_.find(name);
  return found == windows_.end() ? nullptr : found->second;
}

void WindowRegistry::resign_key_except(const Window& window) {
  for (auto& [name, other] : windows_) {
    if (other != &window) other->resign_key();
  }
}

std::string WindowRegistry::perform(std::string_view command_text) {
  std::string error;
  auto command = parse_control_command(command_text, &error);
  if (!command) return "error: " + error;
  if (command->verb == ControlVerb::Answer) {
    std::string refused = answers_.answer(command->kind, command->values);
    display_changed_windows();
    return refused.empty() ? std::string(kControlOk) : "error: " + refused;
  }
  Window* window = find(command->window);
  if (window == nullptr) return "error: no window \"" + command->window + "\"";
  std::string reply = run(*command, *window);
  display_changed_windows();
  return reply;
}

std::string WindowRegistry::run(const ControlCommand& command, Window& window) {
  // A handler may close and destroy the window; later events of the command then go nowhere.
  auto mouse = [&](MouseEventType type, int clicks = 1) {
    if (find(command.window) != &window) return;
    window.handle_mouse(MouseEvent{type, command.location, clicks, command.modifier_flags});
  };
  switch (command.verb) {
    case ControlVerb::Down: mouse(MouseEventType::Down); break;
    case ControlVerb::Drag: mouse(MouseEventType::Dragged); break;
    case ControlVerb::Up: mouse(MouseEventType::Up); break;
    case ControlVerb::Move: mouse(MouseEventType::Moved); break;
    case ControlVerb::Double:
      // As a person's double click arrives: two presses, the second counting two.
      mouse(MouseEventType::Down, 1);
      mouse(MouseEventType::Up, 1);
      mouse(MouseEventType::Down, 2);
      mouse(MouseEventType::Up, 2);
      break;
    case ControlVerb::Scroll:
      if (find(command.window) == &window) window.handle_scroll(command.location, command.delta_y);
      break;
    case ControlVerb::Enter:
    case ControlVerb::Exit:
      if (!window.handle_tracking(command.tag, command.verb == ControlVerb::Enter)) {
        return "error: no tracking rectangle " + std::to_string(command.tag) + " in \"" +
               window.name() + "\"";
      }
      break;
    case ControlVerb::Click: {
      std::string why;
      if (!window.click_view(command.view, &why)) return "error: " + why;
      break;
    }
    case ControlVerb::Close:
      if (!window.perform_close()) return "error: \"" + window.name() + "\" did not close";
      break;
    case ControlVerb::Show:
      window.make_key_and_order_front();
      break;
    case ControlVerb::Answer:
      break;
    case ControlVerb::Key:
      if (!window.type_characters(command.characters)) {
        return "error: \"" + window.name() + "\" did not take the keys";
      }
      break;
    case ControlVerb::KeyCode: {
      std::optional<std::string> characters;
      if (command.has_characters) characters = command.characters;
      const KeyEvent event = key_event_for_code(static_cast<std::uint16_t>(command.key_code),
                                                command.modifier_flags, std::move(characters));
      if (!window.handle_key(event)) {
        return "error: \"" + window.name() + "\" did not take the key";
      }
      break;
    }
    case ControlVerb::Flags:
      if (!window.handle_flags_changed(command.modifier_flags)) {
        return "error: \"" + window.name() + "\" did not take the modifier flags";
      }
      break;
  }
  return std::string(kControlOk);
}

void WindowRegistry::display_changed_windows() {
  // A window may go away while another displays (an owner reacting); look each up again.
  std::vector<std::string> names;
  for (const auto& [name, window] : windows_) names.push_back(name);
  for (const std::string& name : names) {
    Window* window = find(name);
    if (window == nullptr) continue;
    std::error_code error;
    if (!window->display_if_needed(error)) {
      std::fprintf(stderr, "window %s/%s not written: %s\n", window->program().c_str(),
                   name.c_str(), error.message().c_str());
    }
  }
}

}  // namespace platform::ui
