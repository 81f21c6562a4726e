// The keyboard of a window: its first responder, the key view loop and where keys go.
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/ui/view.h"
#include "platform/ui/window.h"

namespace platform::ui {
namespace {

void collect_key_views(View& view, std::vector<View*>& found) {
  if (view.is_hidden()) return;
  if (view.accepts_first_responder()) found.push_back(&view);
  for (const auto& sub : view.subviews()) collect_key_views(*sub, found);
}

bool in_tree(const View& root, const View* view) {
  if (&root == view) return true;
  for (const auto& sub : root.subviews()) {
    if (in_tree(*sub, view)) return true;
  }
  return false;
}

}  // namespace

bool Window::flags_changed(std::uint64_t) { return false; }

std::vector<View*> Window::key_views() const {
  std::vector<View*> found;
  if (content_view_) collect_key_views(*content_view_, found);
  return found;
}

bool Window::has_view(const View* view) const {
  return content_view_ && view != nullptr && in_tree(*content_view_, view);
}

bool Window::make_first_responder(View* view) {
  if (view == first_responder_) return true;
  if (view != nullptr &&
      (!has_view(view) || view->is_hidden_or_has_hidden_ancestor() ||
       !view->accepts_first_responder())) {
    return false;
  }
  // Resigning ends an editing, whose handlers may change the views or close this window.
  const std::shared_ptr<bool> alive = alive_;
  if (View* old = first_responder_) {
    if (!old->resign_first_responder()) return false;
    if (!*alive) return false;
    if (first_responder_ == old) first_responder_ = nullptr;
    needs_display_ = true;
  }
  if (view == nullptr) return true;
  if (!has_view(view)) return false;
  first_responder_ = view;
  needs_display_ = true;
  if (!view->become_first_responder()) {
    if (*alive && first_responder_ == view) first_responder_ = nullptr;
    return false;
  }
  return *alive;
}

bool Window::select_key_view(int direction) {
  const std::vector<View*> loop = key_views();
  if (loop.empty()) return false;
  const auto count = static_cast<long>(loop.size());
  long at = -1;
  for (long i = 0; i < count; ++i) {
    if (loop[static_cast<std::size_t>(i)] == first_responder_) at = i;
  }
  long next = 0;
  if (at < 0) {
    next = direction > 0 ? 0 : count - 1;
  } else {
    next = ((at + direction) % count + count) % count;
  }
  return make_first_responder(loop[static_cast<std::size_t>(next)]);
}

bool Window::select_next_key_view() { return select_key_view(1); }
bool Window::select_previous_key_view() { return select_key_view(-1); }

bool Window::offer_to_responders(const std::function<bool(View& view)>& offer) {
  const std::shared_ptr<bool> alive = alive_;
  for (View* view = first_responder_; view;) {
    const std::uint64_t removals = view_removals_;
    if (offer(*view)) return true;
    // The view may have removed views on the way up, or this window.
    if (!*alive || view_removals_ != removals) return true;
    view = view->superview();
  }
  return false;
}

bool Window::handle_key(const KeyEvent& event) {
  if (offer_to_responders([&](View& view) { return view.key_down(event); })) return true;
  const std::shared_ptr<bool> alive = alive_;
  if (event.key_code == imk::kKeyTab) {
    const bool back = (event.modifier_flags & imk::kShiftFlag) != 0;
    if (back ? select_previous_key_view() : select_next_key_view()) return true;
    if (!*alive) return true;
  }
  return !event.characters.empty() && key_down(event.characters);
}

bool Window::handle_flags_changed(std::uint64_t modifier_flags) {
  if (offer_to_responders([&](View& view) { return view.flags_changed(modifier_flags); })) {
    return true;
  }
  return flags_changed(modifier_flags);
}

bool Window::type_characters(std::string_view characters) {
  if (first_responder_ == nullptr) {
    // A window nobody types in yet: Tab brings the keyboard to its first key view.
    if (characters == "\t" && select_next_key_view()) return true;
    if (characters == "\x19" && select_previous_key_view()) return true;
    return key_down(characters);
  }
  const std::vector<KeyEvent> events = key_events_for_characters(characters);
  if (events.empty()) return false;
  const std::shared_ptr<bool> alive = alive_;
  bool all_taken = true;
  for (const KeyEvent& event : events) {
    if (!*alive) break;
    if (!handle_key(event)) all_taken = false;
  }
  return all_taken;
}

}  // namespace platform::ui
