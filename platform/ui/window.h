// A window without a screen. Its frame, level, alpha, visibility and what its owner says it
// shows are kept here; every display() draws its content into a picture and writes, atomically,
//
//   $KEP_RENDER_DIR/windows/<program>/<window>.png    (only while the window is visible)
//   $KEP_RENDER_DIR/windows/<program>/<window>.state  (an XML property list, every display)
//
// so tests and people can see what a user would. $KEP_RENDER_DIR defaults to the runtime folder.
// The folders on the way are made 0700 and refused unless private to this user (no links).
//
// Coordinates: the frame is in screen points with the origin at the bottom left; event
// locations and tracking rectangles are in window points, origin at the window's bottom left.
// One point is one pixel. The content drawer gets the picture in its own pixel convention
// (rows from the top): window point (x, y) is pixel (x, picture height - y).
//
// A window lives on its program's run loop thread; nothing here is thread-safe.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/gfx/colour.h"
#include "platform/gfx/surface.h"
#include "platform/plist.h"
#include "platform/ui/geometry.h"
#include "platform/ui/key_event.h"

namespace platform {
class RunLoop;
}

namespace platform::ui {

// Window levels, lowest first. A window at a higher level floats above all windows of lower
// levels; the candidate and status windows sit one below the maximum, above everything a user
// works in.
inline constexpr int kNormalWindowLevel = 0;
inline constexpr int kFloatingWindowLevel = 3;
inline constexpr int kModalPanelWindowLevel = 8;
inline constexpr int kMainMenuWindowLevel = 24;
inline constexpr int kStatusWindowLevel = 25;
inline constexpr int kPopUpMenuWindowLevel = 101;
inline constexpr int kScreenSaverWindowLevel = 1000;
inline constexpr int kMaximumWindowLevel = 2147483631;

// Style mask bits; a borderless window has none.
inline constexpr unsigned kBorderlessWindowMask = 0;
inline constexpr unsigned kTitledWindowMask = 1u << 0;
inline constexpr unsigned kClosableWindowMask = 1u << 1;
inline constexpr unsigned kMiniaturizableWindowMask = 1u << 2;
inline constexpr unsigned kResizableWindowMask = 1u << 3;

enum class MouseEventType { Down, Dragged, Up, Moved };

// Device-independent modifier masks of input events, the values the input-method framework
// carries too.
inline constexpr std::uint64_t kShiftKeyMask = 0x20000;
inline constexpr std::uint64_t kControlKeyMask = 0x40000;
inline constexpr std::uint64_t kAlternateKeyMask = 0x80000;
inline constexpr std::uint64_t kCommandKeyMask = 0x100000;

struct MouseEvent {
  MouseEventType type = MouseEventType::Down;
  Point location;  // window points
  // 1 for a single click, 2 for the second press of a double click.
  int click_count = 1;
  // The modifier keys held (the masks above).
  std::uint64_t modifier_flags = 0;
};

// The modifier flags of the mouse event this thread is handling, 0 outside one: what an action
// run by a control reads when a held key changes what it does.
std::uint64_t current_modifier_flags();

// Where windows write their pictures and states: $KEP_RENDER_DIR (absolute), else the runtime
// folder. A relative $KEP_RENDER_DIR is refused (std::errc::invalid_argument); so is one that
// is not private to this user, with the runtime folder's checks (runtime_dir.h), since what
// windows show is what the user types. It is created (0700) when missing.
std::optional<std::filesystem::path> render_directory(std::error_code& error);

class WindowRegistry;
class View;
class Toolbar;
class Window;

using Size = gfx::Size;

// Posted through notify::NotificationCenter::local() after a sheet of any window ended (see
// Window::end_sheet); its object is the name of the window the sheet was on. One post per
// ended sheet, after the sheet's end handler and the parent's delegate have run.
inline constexpr std::string_view kWindowDidEndSheetNotification =
    "NSWindowDidEndSheetNotification";

// Told about a window's closing and about the sheets run on it; the window does not own it.
class WindowDelegate {
 public:
  virtual ~WindowDelegate() = default;
  // Asked when a user closes the window; false keeps it open.
  virtual bool window_should_close(Window& window);
  // The window is closing, by its user or its program.
  virtual void window_will_close(Window& window);
  // Asked once as `sheet` is placed on `parent` (the window this delegate serves), with the
  // rectangle the sheet hangs from, in the parent's window points: a line of height 0 along
  // the top of the parent's content (below its toolbar), as wide as the parent. The sheet is
  // centred across the rectangle answered and hangs down from its top edge. By default the
  // rectangle is answered unchanged; an answer that is not finite counts as unchanged.
  virtual Rect will_position_sheet(Window& parent, Window& sheet, Rect rect);
  // A sheet of `parent` ended: called on the run loop after the sheet's end handler, while
  // both windows still exist (when either was destroyed in between, it is not called).
  virtual void did_end_sheet(Window& parent, Window& sheet);
};

class Window {
 public:
  // Draws the content over the background colour; see the pixel convention above.
  using ContentDrawer = std::function<void(gfx::Surface& picture)>;
  // The content's say on a mouse event, asked before the window's own handlers (as a view is
  // asked before its window): true when the content took the event.
  using ContentMouseHandler = std::function<bool(const MouseEvent& event)>;
  // Told when the pointer enters (true) or leaves (false) the tracking rectangle `tag`.
  using TrackingHandler = std::function<void(int tag, bool entered)>;

  // `program` and `name` become file names: letters, digits, '.', '_' and '-'. A window with
  // other names cannot display (std::errc::invalid_argument).
  Window(std::string program, std::string name, Rect frame,
         unsigned style_mask = kTitledWindowMask);
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  const std::string& program() const { return program_; }
  const std::string& name() const { return name_; }
  // The registry the window is in (its program's control port reaches it); nullptr when none.
  WindowRegistry* registry() const { return registry_; }

  // The title bar's text, written as "title" in the state.
  const std::string& title() const { return title_; }
  void set_title(std::string title);

  const Rect& frame() const { return frame_; }
  // False, and the frame unchanged, for a coordinate that is not finite or a negative side.
  // The size is held between the minimum and maximum sizes (the origin stays).
  bool set_frame(Rect frame);
  bool set_frame_origin(Point origin);
  Point convert_to_screen(Point in_window) const;
  // Places the window on the main screen's visible frame: centred across, and a little above
  // the middle, where a person looks first.
  void center();

  // Bounds of the frame's size, written as "minSize" and "maxSize" in the state; setting one
  // holds the frame to it at once. False, and nothing changed, for a side that is negative or
  // not a number, or a minimum above the maximum. The maximum is unbounded until set.
  const Size& min_size() const { return min_size_; }
  const Size& max_size() const { return max_size_; }
  bool set_min_size(Size size);
  bool set_max_size(Size size);

  // Not owned; nullptr for none.
  void set_delegate(WindowDelegate* delegate) { delegate_ = delegate; }
  WindowDelegate* delegate() const { return delegate_; }
  // A user's close: false, and the window left as it is, when it has no close button or its
  // delegate refuses; otherwise close().
  bool perform_close();
  // Tells the delegate the window will close, then hides it; the state says "closed" until it
  // is ordered front again.
  void close();
  bool is_closed() const { return closed_; }

  unsigned style_mask() const { return style_mask_; }
  void set_style_mask(unsigned mask);
  int level() const { return level_; }
  void set_level(int level);
  double alpha() const { return alpha_; }
  // Clamped to 0..1; false, and the value unchanged, for NaN.
  bool set_alpha(double alpha);
  bool is_opaque() const { return opaque_; }
  void set_opaque(bool opaque);
  bool has_shadow() const { return has_shadow_; }
  void set_has_shadow(bool shadow);
  const gfx::Colour& background_colour() const { return background_; }
  void set_background_colour(const gfx::Colour& colour);

  bool is_visible() const { return visible_; }
  // Shows the window (a closed one too).
  void order_front();
  // Hides the window; a hidden window is not key.
  void order_out();

  // Only windows that can become key do (by default those with a title bar); making one key
  // resigns the key of the other windows of its registry.
  virtual bool can_become_key() const;
  bool is_key() const { return key_; }
  void make_key_and_order_front();
  void resign_key();

  void set_content_drawer(ContentDrawer drawer);
  // The view tree that fills the window (its frame follows the window's size). Drawn after the
  // content drawer; mouse events go to its views before the content mouse handler; what the
  // views show is written as "views" in the state.
  void set_content_view(std::unique_ptr<View> view);
  View* content_view() const { return content_view_.get(); }
  // The toolbar along the window's top; its height is part of the frame, so the content view
  // fills what is below it. Mouse events over it go to its items; it is written as "toolbar"
  // in the state.
  void set_toolbar(std::unique_ptr<Toolbar> toolbar);
  Toolbar* toolbar() const { return toolbar_.get(); }
  // The content view's frame: the window less the toolbar, in window points.
  Rect content_rect() const;
  // The view named `identifier`, the toolbar's items first; nullptr when none is.
  View* find_view(std::string_view identifier) const;
  void set_content_mouse_handler(ContentMouseHandler handler);
  void set_tracking_handler(TrackingHandler handler);

  // A rectangle in window points; the pointer moving in or out of it is reported with the tag
  // returned (never 0). remove_tracking_rect is false for an unknown tag.
  int add_tracking_rect(Rect rect);
  bool remove_tracking_rect(int tag);
  bool has_tracking_rect(int tag) const { return tracking_.count(tag) != 0; }

  const std::string& cursor() const { return cursor_; }
  void set_cursor(std::string cursor_name);
  const std::string& tool_tip() const { return tool_tip_; }
  void set_tool_tip(std::string tip);

  // What the window shows (labels, title, page, selected row, item states ...), in whatever
  // shape its owner chooses; written as "shows" in the state.
  const plist::Dictionary& shows() const { return shows_; }
  void set_shows(plist::Dictionary shows);
  void show(std::string key, plist::Value value);

  // Injected input. A mouse event goes to the content view's views first (a down to the
  // deepest view under the pointer, then its superviews; drags and the up to the view that took
  // the down), then to the content handler, then to the window's handler of its type; a move
  // also reports the tracking rectangles entered and left. A view or the content handler may
  // destroy the window while it handles the event; the window's own handlers may not.
  void handle_mouse(const MouseEvent& event);
  // Reports an enter or exit of tracking rectangle `tag` as if the pointer crossed it; false
  // for an unknown tag.
  bool handle_tracking(int tag, bool entered);
  // A scroll wheel turned by `delta_y` points with the pointer at `location` (window points):
  // offered to the view under the pointer, then to its superviews.
  void handle_scroll(Point location, double delta_y);
  // A click in the middle of the view named `identifier` (a down and an up there), as a person
  // makes it; false with the reason in `error` when there is no such view, it is hidden, or
  // another view covers its middle.
  bool click_view(std::string_view identifier, std::string* error);
  // Characters typed while the window is key (sheets and alerts answer them); false when the
  // window did not take them.
  virtual bool key_down(std::string_view characters);

  // The keyboard. The first responder is a view of the content that accepts it (View::
  // accepts_first_responder); nullptr for none. A mouse-down on such a view makes it first
  // responder before the view gets the down.
  View* first_responder() const { return first_responder_; }
  // Makes `view` the first responder (nullptr: none): the old one is asked to resign, the new
  // one to become it. False, and the first responder unchanged, for a view that is not in this
  // window's content, is hidden or does not accept it, or when either refuses.
  bool make_first_responder(View* view);
  // The key view loop: the views of the content that accept first responder and are shown, in
  // the order of the tree (a view before its subviews, subviews in order). Selecting the next
  // (previous) one starts after (before) the first responder and wraps; false when the loop is
  // empty or the change was refused.
  bool select_next_key_view();
  bool select_previous_key_view();
  // A key press: offered to the first responder and then its superviews; a Tab (Shift-Tab)
  // nobody took selects the next (previous) key view; anything else goes to key_down with the
  // event's characters. False when nobody took it.
  bool handle_key(const KeyEvent& event);
  // The modifier keys held changed: offered like a key, then to the window's flags_changed.
  bool handle_flags_changed(std::uint64_t modifier_flags);
  // Characters typed (the control port's "key"): with a first responder, one key press per
  // character (key_events_for_characters), true when each was taken; without one, a lone Tab
  // or Shift-Tab (U+0019) walks the key view loop and anything else goes to key_down whole.
  bool type_characters(std::string_view characters);

  // Sheets. A window runs as a sheet on one parent at a time, and a parent carries one sheet
  // at a time. begin_sheet places this window at the top of `parent` (asking the parent's
  // delegate, see WindowDelegate::will_position_sheet), shows it, makes it key and displays
  // both windows; the state of the sheet says "sheetParent" (the parent's name) and that of
  // the parent "attachedSheet" (the sheet's name) while it runs. False, and nothing changed,
  // when this window is already a sheet, `parent` is this window or already carries a sheet.
  //
  // end_sheet(code) orders the sheet out, detaches it and displays both windows; then, in one
  // task on the loop given to begin_sheet and in this order: `on_end` gets the code, the
  // parent's delegate is told (did_end_sheet), and kWindowDidEndSheetNotification is posted.
  // False when the window is not running as a sheet. Both run on the loop's thread; `loop`
  // must outlive the sheet's run. A sheet destroyed while it runs ends nothing (its handler
  // never runs); a parent destroyed while it carries a sheet leaves the sheet running on no
  // window, and its end then tells no delegate.
  using SheetEndHandler = std::function<void(int return_code)>;
  bool begin_sheet(Window& parent, RunLoop& loop, SheetEndHandler on_end);
  // While it runs, a sheet stays where it hangs: a new frame keeps its size and is placed
  // again, centred across the rectangle it hangs from with its top edge there.
  //
  // Whether begin_sheet on `parent` would succeed now.
  bool can_begin_sheet(const Window& parent) const;
  bool end_sheet(int return_code);
  bool is_sheet() const { return sheet_loop_ != nullptr; }
  // The window this one runs as a sheet on; nullptr when none (or it was destroyed).
  Window* sheet_parent() const { return sheet_parent_; }
  // The sheet running on this window; nullptr when none.
  Window* attached_sheet() const { return attached_sheet_; }

  // Draws the content as it is now; nullopt when a side of the frame is below 1 or above
  // gfx::kMaxSide pixels.
  std::optional<gfx::Surface> render() const;
  // The state property list a display would write now (with the next sequence number).
  plist::Value state() const;

  // Writes the state and, when visible, the picture; the sequence grows by one every time.
  // False with `error` set when a file could not be written, the window's folder is refused
  // (see render_directory) or the picture could not be made (std::errc::value_too_large); the
  // state is written even then.
  bool display(std::error_code& error);
  // display() for callers with nobody to tell: a failure is reported on stderr (the window
  // keeps working; only its files are stale).
  void display_reporting_errors();
  // Setters mark the window only when they change something; this says the content may draw
  // differently.
  void set_needs_display() { needs_display_ = true; }
  bool needs_display() const { return needs_display_; }
  // display() when something changed since the last one; true when nothing had to be written.
  // A window whose state and picture would come out as the last successful display wrote them
  // is not written again (its sequence stays).
  bool display_if_needed(std::error_code& error);
  std::uint64_t sequence() const { return sequence_; }

  // The files display() writes.
  std::optional<std::filesystem::path> picture_path(std::error_code& error) const;
  std::optional<std::filesystem::path> state_path(std::error_code& error) const;

 protected:
  virtual void mouse_down(const MouseEvent& event);
  virtual void mouse_dragged(const MouseEvent& event);
  virtual void mouse_up(const MouseEvent& event);
  virtual void mouse_moved(const MouseEvent& event);
  virtual void mouse_entered(int tag);
  virtual void mouse_exited(int tag);
  // Modifier changes nobody in the content took; false by default.
  virtual bool flags_changed(std::uint64_t modifier_flags);

 private:
  friend class WindowRegistry;
  friend class View;
  friend class Toolbar;
  struct Tracking {
    Rect rect;
    bool inside = false;
  };

  // What the last successful display wrote: the state without its sequence, and the picture
  // (none while hidden).
  struct Written {
    plist::Dictionary state;
    std::optional<gfx::Surface> picture;
  };

  std::optional<std::filesystem::path> window_folder(std::error_code& error) const;
  // window_folder(), with its folders made and checked for writing.
  std::optional<std::filesystem::path> private_window_folder(std::error_code& error) const;
  plist::Dictionary shown_state() const;
  bool draws_picture() const;
  Size held_size(Size size) const;
  // Gives the toolbar and the content view their frames after the window or toolbar changed.
  void layout_views();
  // Writes `picture` (rendered now; nullopt when it could not be) and the state.
  bool write(std::optional<gfx::Surface> picture, std::error_code& error);
  // The content view's say on a mouse event; true when a view took it.
  bool offer_to_views(const MouseEvent& event);
  // A view of the content is being destroyed: it gets no more events.
  void forget_view(const View& view);
  // Where a sheet on this window hangs from, in this window's points, after its delegate's say.
  Rect sheet_position(Window& sheet);
  // Unhooks the sheet from its parent (both states say so); the end handler is left to the
  // caller.
  void detach_sheet();
  // Where this sheet of `size` goes: hanging from the top of the rectangle it hangs from on
  // its parent, centred across it.
  Point sheet_origin(Size size) const;
  // The views of the key view loop, in order.
  std::vector<View*> key_views() const;
  // Whether `view` is still a view of the content (compared, never followed).
  bool has_view(const View* view) const;
  bool select_key_view(int direction);
  // Offers an event to the first responder and then its superviews; true when one took it, or
  // when one removed views (or this window) on the way, which ends the walk.
  bool offer_to_responders(const std::function<bool(View& view)>& offer);

  std::string program_;
  std::string name_;
  std::string title_;
  Rect frame_;
  unsigned style_mask_;
  int level_ = kNormalWindowLevel;
  double alpha_ = 1.0;
  bool opaque_ = true;
  bool has_shadow_ = true;
  gfx::Colour background_{1, 1, 1, 1};
  bool visible_ = false;
  bool key_ = false;
  ContentDrawer drawer_;
  std::unique_ptr<View> content_view_;
  std::unique_ptr<Toolbar> toolbar_;
  Size min_size_{0, 0};
  Size max_size_{std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
  WindowDelegate* delegate_ = nullptr;
  bool closed_ = false;
  // The view that took the last mouse-down; it gets the drags and the up.
  View* mouse_view_ = nullptr;
  // Grows whenever a view of the content is destroyed: a handler that removed views leaves
  // the superviews it was offered through unsafe to walk.
  std::uint64_t view_removals_ = 0;
  // False once the window is destroyed; a handler may destroy it while it dispatches.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  ContentMouseHandler content_mouse_;
  TrackingHandler tracking_handler_;
  std::map<int, Tracking> tracking_;
  int next_tracking_tag_ = 1;
  std::string cursor_ = "arrow";
  std::string tool_tip_;
  plist::Dictionary shows_;
  std::uint64_t sequence_ = 0;
  bool needs_display_ = true;
  std::optional<Written> last_written_;
  // Whether the temporary files an interrupted write left in the window's folder were removed.
  bool swept_ = false;
  WindowRegistry* registry_ = nullptr;
  // While this window runs as a sheet: its parent (nullptr once the parent is destroyed), the
  // parent's name, the loop its end runs on and its end handler.
  Window* sheet_parent_ = nullptr;
  std::string sheet_parent_name_;
  RunLoop* sheet_loop_ = nullptr;
  SheetEndHandler sheet_end_;
  Window* attached_sheet_ = nullptr;
  // Where this sheet hangs from, in its parent's window points.
  Rect sheet_hang_;
  View* first_responder_ = nullptr;
};

}  // namespace platform::ui
