// Views: the rectangles a window's content is made of. A window given a content view draws the
// tree into its picture, sends the mouse to the deepest view under the pointer and writes what
// every view shows into its state under "views", so tests read a panel's controls the way a
// person sees them.
//
// Coordinates: a view's frame is in its superview's points, origin at the bottom left (y up);
// a view draws and takes events in its own points, (0, 0) at its bottom-left corner.
// Views live on their window's thread; nothing here is thread-safe.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/plist.h"
#include "platform/ui/geometry.h"
#include "platform/ui/key_event.h"
#include "platform/ui/window.h"

namespace platform::ui {

class View {
 public:
  explicit View(Rect frame = {});
  virtual ~View();
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  const Rect& frame() const { return frame_; }
  void set_frame(Rect frame);
  void set_frame_origin(Point origin);
  Rect bounds() const { return {0, 0, frame_.width, frame_.height}; }

  bool is_hidden() const { return hidden_; }
  void set_hidden(bool hidden);
  // Hidden itself, or inside a hidden view.
  bool is_hidden_or_has_hidden_ancestor() const;

  // A name for the view in the window's state ("" leaves it unnamed).
  const std::string& identifier() const { return identifier_; }
  void set_identifier(std::string identifier);

  View* superview() const { return superview_; }
  // The window whose content this view is part of; nullptr while it is in none.
  Window* window() const;
  const std::vector<std::unique_ptr<View>>& subviews() const { return subviews_; }

  // Takes the view; it is drawn above the earlier subviews.
  template <typename T>
  T& add_subview(std::unique_ptr<T> view) {
    T& added = *view;
    adopt(std::unique_ptr<View>(std::move(view)));
    return added;
  }
  // Destroys the subview; false when it is not one of this view's.
  bool remove_subview(View& view);
  void remove_all_subviews();

  // Window points <-> this view's points.
  Point convert_to_window(Point in_view) const;
  Point convert_from_window(Point in_window) const;

  // The window draws again at its next display.
  void set_needs_display();

  // The deepest visible view at `in_superview` (a point in the superview's points), this view
  // included; nullptr when the point is outside.
  View* hit_test(Point in_superview);

  // Draws the view itself (not its subviews) on a y-up canvas whose origin is this view's
  // bottom-left corner, clipped to its bounds.
  virtual void draw(gfx::Canvas& canvas) const;

  // Mouse events in this view's points. A view that takes the down (true) receives the drags
  // and the up that follow, wherever the pointer goes; an untaken down goes to the superview.
  virtual bool mouse_down(const MouseEvent& event);
  virtual void mouse_dragged(const MouseEvent& event);
  virtual void mouse_up(const MouseEvent& event);
  // A scroll of `delta_y` points (positive: the content moves down, showing what is above);
  // an untaken scroll goes to the superview.
  virtual bool scroll_wheel(Point location, double delta_y);

  // The keyboard. A view that accepts first responder may become its window's first
  // responder (by a click on it, the key view loop or Window::make_first_responder), which
  // gets the keys before anyone else; an untaken key goes on to its superview, then to the
  // window. Views that do not accept it never get keys except from a subview passing them on.
  virtual bool accepts_first_responder() const;
  // Asked by the window as the view becomes (or stops being) its first responder; false
  // refuses the change.
  virtual bool become_first_responder();
  virtual bool resign_first_responder();
  bool is_first_responder() const;
  // A key press; false leaves it to the superview.
  virtual bool key_down(const KeyEvent& event);
  // The modifier keys held changed to `modifier_flags`; false leaves it to the superview.
  virtual bool flags_changed(std::uint64_t modifier_flags);

  // What the view shows, for the window's state: "kind", "frame", "hidden" when hidden,
  // "identifier" when named, what describe_into adds, and "subviews" when it has any.
  plist::Value describe() const;

 protected:
  // "view", "button", "popup", ...
  virtual const char* kind() const;
  virtual void describe_into(plist::Dictionary& shows) const;
  // The tree's window changed (nullptr: the view left it).
  virtual void view_did_move_to_window();
  // The frame's size changed: views that lay out their subviews do it again.
  virtual void frame_size_did_change();

 private:
  friend class ContentRoot;
  void adopt(std::unique_ptr<View> view);
  void set_window(Window* window);

  Rect frame_;
  bool hidden_ = false;
  std::string identifier_;
  View* superview_ = nullptr;
  Window* window_ = nullptr;  // set on the root, and copied down the tree
  std::vector<std::unique_ptr<View>> subviews_;
};

}  // namespace platform::ui
