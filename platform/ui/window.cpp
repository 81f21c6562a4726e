#include "platform/ui/window.h"

#include <cairo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/runtime_dir.h"
#include "platform/ui/content_root.h"
#include "platform/ui/rect_values.h"
#include "platform/ui/screens.h"
#include "platform/ui/toolbar.h"
#include "platform/ui/view.h"
#include "platform/ui/window_registry.h"

namespace platform::ui {
namespace {

thread_local std::uint64_t current_flags = 0;

// Sets the current event's modifier flags for the life of the object; events handled inside
// it (a handler injecting another) restore the outer one's.
class CurrentFlags {
 public:
  explicit CurrentFlags(std::uint64_t flags) : outer_(current_flags) { current_flags = flags; }
  ~CurrentFlags() { current_flags = outer_; }
  CurrentFlags(const CurrentFlags&) = delete;
  CurrentFlags& operator=(const CurrentFlags&) = delete;

 private:
  std::uint64_t outer_;
};

double unit(double component) {
  if (std::isnan(component)) return 0;
  return std::clamp(component, 0.0, 1.0);
}

// Pixels for a side in points: partly covered pixels count, so the whole frame fits.
std::optional<int> pixels(double points) {
  if (!(points >= 1) || points > gfx::kMaxSide) return std::nullopt;
  return static_cast<int>(std::ceil(points));
}

std::error_code last_error() { return {errno, std::generic_category()}; }

// Pictures and states are replaced at typing speed and need not survive a crash of the system.
// Renamed over the old file, a new one is written out to disk at once on ext4 (its guard for
// programs that replace files without flushing them), which costs more than drawing the page;
// swapped with the old file instead, it is not, and the old one is then removed. Readers see
// the old file or the new one, never a mix, either way. The temporary file is named as
// files::write_atomic names its own, so an interrupted write is swept away as theirs are.
bool replace_snapshot(const std::filesystem::path& path, std::string_view data,
                      std::error_code& error) {
  std::string temporary = path.parent_path().native();
  temporary += "/.";
  temporary += path.filename().native();
  temporary += ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    error = last_error();
    return false;
  }
  bool ok = ::fchmod(fd, 0644) == 0 && files::write_all(fd, data);
  if (!ok) error = last_error();
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = last_error();
  }
  if (ok) {
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) {
      ::unlink(temporary.c_str());  // now the old snapshot
      return true;
    }
    // No old file to swap with yet, or a file system that cannot swap.
    if (::rename(temporary.c_str(), path.c_str()) == 0) return true;
    error = last_error();
  }
  ::unlink(temporary.c_str());
  return false;
}

}  // namespace

std::optional<std::filesystem::path> render_directory(std::error_code& error) {
  error.clear();
  const char* configured = std::getenv("KEP_RENDER_DIR");
  if (configured == nullptr || *configured == '\0') return runtime::directory(error);
  std::filesystem::path folder(configured);
  if (!folder.is_absolute()) {
    error = std::make_error_code(std::errc::invalid_argument);
    return std::nullopt;
  }
  // What the windows show (candidates typed, a password among them) is for this user only.
  if (!runtime::make_private_directory(folder, true, error)) return std::nullopt;
  return folder;
}

bool WindowDelegate::window_should_close(Window&) { return true; }
void WindowDelegate::window_will_close(Window&) {}

namespace {

bool is_size(Size size) {
  return !std::isnan(size.width) && !std::isnan(size.height) && size.width >= 0 &&
         size.height >= 0;
}

plist::Dictionary size_dictionary(Size size) {
  plist::Dictionary shows;
  shows.set("width", size.width);
  shows.set("height", size.height);
  return shows;
}

// The first view of the tree under `view` named `identifier`.
View* find_in(View* view, std::string_view identifier) {
  if (view == nullptr) return nullptr;
  if (view->identifier() == identifier) return view;
  for (const auto& sub : view->subviews()) {
    if (View* found = find_in(sub.get(), identifier)) return found;
  }
  return nullptr;
}

bool is_inside(const View* view, const View* ancestor) {
  for (; view; view = view->superview()) {
    if (view == ancestor) return true;
  }
  return false;
}

}  // namespace

Window::Window(std::string program, std::string name, Rect frame, unsigned style_mask)
    : program_(std::move(program)), name_(std::move(name)), style_mask_(style_mask) {
  if (!set_frame(frame)) frame_ = Rect{};
}

Window::~Window() {
  *alive_ = false;
  // A sheet leaves its parent; a parent leaves its sheet running on no window.
  if (is_sheet()) detach_sheet();
  if (attached_sheet_ != nullptr) attached_sheet_->sheet_parent_ = nullptr;
  // The views go while every member is still there for them to tell.
  toolbar_.reset();
  content_view_.reset();
  if (registry_) registry_->remove(*this);
}

void Window::set_title(std::string title) {
  if (title == title_) return;
  title_ = std::move(title);
  needs_display_ = true;
}

bool Window::set_frame(Rect frame) {
  if (!is_finite(frame) || frame.width < 0 || frame.height < 0) return false;
  const Size held = held_size(Size{frame.width, frame.height});
  frame.width = held.width;
  frame.height = held.height;
  if (sheet_parent_ != nullptr) {
    const Point hung = sheet_origin(held);
    frame.x = hung.x;
    frame.y = hung.y;
  }
  if (frame == frame_) return true;
  frame_ = frame;
  layout_views();
  needs_display_ = true;
  return true;
}

Size Window::held_size(Size size) const {
  return Size{std::clamp(size.width, min_size_.width, max_size_.width),
              std::clamp(size.height, min_size_.height, max_size_.height)};
}

bool Window::set_min_size(Size size) {
  if (!is_size(size) || size.width > max_size_.width || size.height > max_size_.height) {
    return false;
  }
  if (size.width != min_size_.width || size.height != min_size_.height) needs_display_ = true;
  min_size_ = size;
  set_frame(frame_);
  return true;
}

bool Window::set_max_size(Size size) {
  if (!is_size(size) || size.width < min_size_.width || size.height < min_size_.height) {
    return false;
  }
  if (size.width != max_size_.width || size.height != max_size_.height) needs_display_ = true;
  max_size_ = size;
  set_frame(frame_);
  return true;
}

void Window::center() {
  const Rect area = main_screen().visible_frame;
  const double spare_height = area.height - frame_.height;
  set_frame_origin(Point{std::floor(area.x + (area.width - frame_.width) / 2),
                         std::floor(area.y + spare_height - spare_height / 3)});
}

bool Window::perform_close() {
  if ((style_mask_ & kClosableWindowMask) == 0) return false;
  if (delegate_ != nullptr && !delegate_->window_should_close(*this)) return false;
  close();
  return true;
}

void Window::close() {
  if (closed_) return;
  if (delegate_ != nullptr) delegate_->window_will_close(*this);
  order_out();
  closed_ = true;
  needs_display_ = true;
}

void Window::layout_views() {
  double toolbar_height = 0;
  if (toolbar_) {
    toolbar_height = std::min(toolbar_->height(), frame_.height);
    toolbar_->set_frame(
        Rect{0, frame_.height - toolbar_height, frame_.width, toolbar_height});
  }
  if (content_view_) content_view_->set_frame(content_rect());
}

Rect Window::content_rect() const {
  const double toolbar_height = toolbar_ ? std::min(toolbar_->height(), frame_.height) : 0;
  return Rect{0, 0, frame_.width, frame_.height - toolbar_height};
}

void Window::set_toolbar(std::unique_ptr<Toolbar> toolbar) {
  std::unique_ptr<Toolbar> old = std::move(toolbar_);
  old.reset();
  mouse_view_ = nullptr;
  toolbar_ = std::move(toolbar);
  if (toolbar_) ContentRoot::attach(*toolbar_, this);
  layout_views();
  needs_display_ = true;
}

View* Window::find_view(std::string_view identifier) const {
  if (identifier.empty()) return nullptr;
  if (View* found = find_in(toolbar_.get(), identifier)) return found;
  return find_in(content_view_.get(), identifier);
}

bool Window::click_view(std::string_view identifier, std::string* error) {
  auto fail = [&](std::string why) {
    if (error) *error = std::move(why);
    return false;
  };
  View* view = find_view(identifier);
  if (view == nullptr) {
    return fail("no view \"" + std::string(identifier) + "\" in \"" + name_ + "\"");
  }
  if (view->is_hidden_or_has_hidden_ancestor()) {
    return fail("view \"" + std::string(identifier) + "\" is hidden");
  }
  const Rect bounds = view->bounds();
  const Point middle = view->convert_to_window(
      Point{std::floor(bounds.width / 2), std::floor(bounds.height / 2)});
  View* root = toolbar_ && is_inside(view, toolbar_.get()) ? toolbar_.get() : content_view_.get();
  if (!is_inside(root->hit_test(middle), view)) {
    return fail("view \"" + std::string(identifier) + "\" is covered or outside the window");
  }
  const std::shared_ptr<bool> alive = alive_;
  handle_mouse(MouseEvent{MouseEventType::Down, middle});
  if (*alive) handle_mouse(MouseEvent{MouseEventType::Up, middle});
  return true;
}

bool Window::set_frame_origin(Point origin) {
  return set_frame(Rect{origin.x, origin.y, frame_.width, frame_.height});
}

Point Window::convert_to_screen(Point in_window) const {
  return Point{frame_.x + in_window.x, frame_.y + in_window.y};
}

void Window::set_style_mask(unsigned mask) {
  if (mask == style_mask_) return;
  style_mask_ = mask;
  needs_display_ = true;
}

void Window::set_level(int level) {
  if (level == level_) return;
  level_ = level;
  needs_display_ = true;
}

bool Window::set_alpha(double alpha) {
  if (std::isnan(alpha)) return false;
  const double clamped = std::clamp(alpha, 0.0, 1.0);
  if (clamped == alpha_) return true;
  alpha_ = clamped;
  needs_display_ = true;
  return true;
}

void Window::set_opaque(bool opaque) {
  if (opaque == opaque_) return;
  opaque_ = opaque;
  needs_display_ = true;
}

void Window::set_has_shadow(bool shadow) {
  if (shadow == has_shadow_) return;
  has_shadow_ = shadow;
  needs_display_ = true;
}

void Window::set_background_colour(const gfx::Colour& colour) {
  const gfx::Colour kept{unit(colour.red), unit(colour.green), unit(colour.blue), unit(colour.alpha)};
  if (kept == background_) return;
  background_ = kept;
  needs_display_ = true;
}

void Window::order_front() {
  closed_ = false;
  if (visible_) return;
  visible_ = true;
  needs_display_ = true;
}

void Window::order_out() {
  if (!visible_ && !key_) return;
  visible_ = false;
  key_ = false;
  needs_display_ = true;
}

bool Window::can_become_key() const { return (style_mask_ & kTitledWindowMask) != 0; }

void Window::make_key_and_order_front() {
  order_front();
  if (!can_become_key()) return;
  if (registry_) registry_->resign_key_except(*this);
  if (key_) return;
  key_ = true;
  needs_display_ = true;
}

void Window::resign_key() {
  if (!key_) return;
  key_ = false;
  needs_display_ = true;
}

void Window::set_content_drawer(ContentDrawer drawer) {
  drawer_ = std::move(drawer);
  needs_display_ = true;
}

void Window::set_content_view(std::unique_ptr<View> view) {
  // The old tree leaves first, so its views clear mouse_view_ as they go.
  std::unique_ptr<View> old = std::move(content_view_);
  old.reset();
  mouse_view_ = nullptr;
  content_view_ = std::move(view);
  if (content_view_) {
    content_view_->set_frame(content_rect());
    ContentRoot::attach(*content_view_, this);
  }
  needs_display_ = true;
}

void Window::forget_view(const View& view) {
  ++view_removals_;
  if (mouse_view_ == &view) mouse_view_ = nullptr;
  // A view leaving takes the keyboard with it; it is not asked to resign.
  if (first_responder_ == &view) {
    first_responder_ = nullptr;
    needs_display_ = true;
  }
}

void Window::set_content_mouse_handler(ContentMouseHandler handler) {
  content_mouse_ = std::move(handler);
}

void Window::set_tracking_handler(TrackingHandler handler) {
  tracking_handler_ = std::move(handler);
}

int Window::add_tracking_rect(Rect rect) {
  int tag = next_tracking_tag_++;
  if (next_tracking_tag_ <= 0) next_tracking_tag_ = 1;
  tracking_[tag] = Tracking{rect, false};
  return tag;
}

bool Window::remove_tracking_rect(int tag) { return tracking_.erase(tag) != 0; }

void Window::set_cursor(std::string cursor_name) {
  if (cursor_name == cursor_) return;
  cursor_ = std::move(cursor_name);
  needs_display_ = true;
}

void Window::set_tool_tip(std::string tip) {
  if (tip == tool_tip_) return;
  tool_tip_ = std::move(tip);
  needs_display_ = true;
}

void Window::set_shows(plist::Dictionary shows) {
  if (shows == shows_) return;
  shows_ = std::move(shows);
  needs_display_ = true;
}

void Window::show(std::string key, plist::Value value) {
  if (const plist::Value* shown = shows_.find(key); shown != nullptr && *shown == value) return;
  shows_.set(std::move(key), std::move(value));
  needs_display_ = true;
}

std::uint64_t current_modifier_flags() { return current_flags; }

void Window::handle_mouse(const MouseEvent& event) {
  const CurrentFlags flags(event.modifier_flags);
  if (event.type == MouseEventType::Moved) {
    // Handlers may add or remove rectangles: walk a snapshot of the tags.
    std::vector<int> tags;
    for (const auto& [tag, tracking] : tracking_) tags.push_back(tag);
    for (int tag : tags) {
      auto found = tracking_.find(tag);
      if (found == tracking_.end()) continue;
      bool inside = contains(found->second.rect, event.location);
      if (inside != found->second.inside) handle_tracking(tag, inside);
    }
  }
  // Views and the content handler may close and destroy this window while they handle it.
  const std::shared_ptr<bool> alive = alive_;
  if (offer_to_views(event) || !*alive) return;
  if (content_mouse_) {
    ContentMouseHandler content = content_mouse_;
    if (content(event)) return;
  }
  switch (event.type) {
    case MouseEventType::Down: mouse_down(event); break;
    case MouseEventType::Dragged: mouse_dragged(event); break;
    case MouseEventType::Up: mouse_up(event); break;
    case MouseEventType::Moved: mouse_moved(event); break;
  }
}

bool Window::offer_to_views(const MouseEvent& event) {
  if ((!content_view_ && !toolbar_) || event.type == MouseEventType::Moved) return false;
  const std::shared_ptr<bool> alive = alive_;
  if (event.type != MouseEventType::Down) {
    View* taker = mouse_view_;
    if (taker == nullptr) return false;
    MouseEvent local = event;
    local.location = taker->convert_from_window(event.location);
    if (event.type == MouseEventType::Dragged) {
      taker->mouse_dragged(local);
    } else {
      taker->mouse_up(local);
      if (*alive) mouse_view_ = nullptr;
    }
    return true;
  }

  mouse_view_ = nullptr;
  View* hit = toolbar_ ? toolbar_->hit_test(event.location) : nullptr;
  if (hit == nullptr) hit = content_view_ ? content_view_->hit_test(event.location) : nullptr;
  if (hit != nullptr && hit != first_responder_ && hit->accepts_first_responder()) {
    // The old first responder's end of editing may change the views under the pointer.
    const std::uint64_t removals = view_removals_;
    make_first_responder(hit);
    if (!*alive) return true;
    if (view_removals_ != removals) {
      hit = toolbar_ ? toolbar_->hit_test(event.location) : nullptr;
      if (hit == nullptr) hit = content_view_ ? content_view_->hit_test(event.location) : nullptr;
    }
  }
  for (View* view = hit; view;) {
    MouseEvent local = event;
    local.location = view->convert_from_window(event.location);
    const std::uint64_t removals = view_removals_;
    // Set before asking, so a view destroyed while it handles the down clears it again.
    mouse_view_ = view;
    const bool taken = view->mouse_down(local);
    if (!*alive) return true;
    if (taken) return true;
    if (mouse_view_ == view) mouse_view_ = nullptr;
    // A handler that removed views may have taken the superviews with them.
    if (view_removals_ != removals) return true;
    view = view->superview();
  }
  return false;
}

void Window::handle_scroll(Point location, double delta_y) {
  if (!content_view_ || !std::isfinite(delta_y)) return;
  for (View* view = content_view_->hit_test(location); view;) {
    const std::uint64_t removals = view_removals_;
    const std::shared_ptr<bool> alive = alive_;
    if (view->scroll_wheel(view->convert_from_window(location), delta_y)) return;
    if (!*alive || view_removals_ != removals) return;
    view = view->superview();
  }
}

bool Window::handle_tracking(int tag, bool entered) {
  auto found = tracking_.find(tag);
  if (found == tracking_.end()) return false;
  found->second.inside = entered;
  if (tracking_handler_) tracking_handler_(tag, entered);
  if (entered) {
    mouse_entered(tag);
  } else {
    mouse_exited(tag);
  }
  return true;
}

bool Window::key_down(std::string_view) { return false; }
void Window::mouse_down(const MouseEvent&) {}
void Window::mouse_dragged(const MouseEvent&) {}
void Window::mouse_up(const MouseEvent&) {}
void Window::mouse_moved(const MouseEvent&) {}
void Window::mouse_entered(int) {}
void Window::mouse_exited(int) {}

std::optional<gfx::Surface> Window::render() const {
  auto width = pixels(frame_.width);
  auto height = pixels(frame_.height);
  if (!width || !height) return std::nullopt;
  auto picture = gfx::Surface::create(*width, *height);
  if (!picture) return std::nullopt;
  cairo_t* cairo = cairo_create(picture->cairo());
  cairo_set_operator(cairo, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgba(cairo, background_.red, background_.green, background_.blue,
                        background_.alpha);
  cairo_paint(cairo);
  cairo_destroy(cairo);
  cairo_surface_flush(picture->cairo());
  if (drawer_) {
    drawer_(*picture);
    cairo_surface_flush(picture->cairo());
  }
  if (content_view_ || toolbar_) {
    gfx::Canvas canvas(*picture, gfx::Orientation::y_up);
    if (content_view_) ContentRoot::draw_tree(*content_view_, canvas);
    if (toolbar_) ContentRoot::draw_tree(*toolbar_, canvas);
  }
  return picture;
}

plist::Dictionary Window::shown_state() const {
  plist::Dictionary state;
  state.set("frame", rect_dictionary(frame_));
  state.set("title", title_);
  state.set("visible", visible_);
  state.set("closed", closed_);
  state.set("minSize", size_dictionary(min_size_));
  state.set("maxSize", size_dictionary(max_size_));
  state.set("key", key_);
  state.set("level", level_);
  state.set("alpha", alpha_);
  state.set("opaque", opaque_);
  state.set("shadow", has_shadow_);
  state.set("cursor", cursor_);
  state.set("tooltip", tool_tip_);
  state.set("shows", shows_);
  if (is_sheet()) state.set("sheetParent", sheet_parent_name_);
  if (attached_sheet_ != nullptr) state.set("attachedSheet", attached_sheet_->name());
  if (first_responder_ != nullptr) state.set("firstResponder", first_responder_->identifier());
  if (content_view_) state.set("views", content_view_->describe());
  if (toolbar_) state.set("toolbar", toolbar_->describe());
  return state;
}

plist::Value Window::state() const {
  plist::Dictionary state = shown_state();
  state.set("sequence", static_cast<std::int64_t>(sequence_ + 1));
  return state;
}

std::optional<std::filesystem::path> Window::window_folder(std::error_code& error) const {
  if (!runtime::is_valid_name(program_) || !runtime::is_valid_name(name_)) {
    error = std::make_error_code(std::errc::invalid_argument);
    return std::nullopt;
  }
  auto base = render_directory(error);
  if (!base) return std::nullopt;
  return *base / "windows" / program_;
}

std::optional<std::filesystem::path> Window::picture_path(std::error_code& error) const {
  auto folder = window_folder(error);
  if (!folder) return std::nullopt;
  return *folder / (name_ + ".png");
}

std::optional<std::filesystem::path> Window::state_path(std::error_code& error) const {
  auto folder = window_folder(error);
  if (!folder) return std::nullopt;
  return *folder / (name_ + ".state");
}

std::optional<std::filesystem::path> Window::private_window_folder(std::error_code& error) const {
  auto folder = window_folder(error);
  if (!folder) return std::nullopt;
  // Each level is made here and checked like the render folder itself, so nobody can have
  // made it first, or left a link there that writes would follow.
  if (!runtime::make_private_directory(folder->parent_path(), false, error) ||
      !runtime::make_private_directory(*folder, false, error)) {
    return std::nullopt;
  }
  return folder;
}

bool Window::draws_picture() const { return visible_ && frame_.width >= 1 && frame_.height >= 1; }

bool Window::display(std::error_code& error) {
  std::optional<gfx::Surface> picture;
  if (draws_picture()) picture = render();
  return write(std::move(picture), error);
}

bool Window::write(std::optional<gfx::Surface> picture, std::error_code& error) {
  error.clear();
  // Until this write has succeeded, nothing on disk is known to match the window.
  last_written_.reset();
  auto folder = private_window_folder(error);
  if (!folder) return false;
  if (!swept_) {
    files::remove_stale_temporaries(*folder);
    swept_ = true;
  }

  // A window smaller than a pixel has nothing to show; one too large cannot be drawn.
  std::error_code picture_error;
  if (draws_picture()) {
    if (!picture) {
      picture_error = std::make_error_code(std::errc::value_too_large);
    } else {
      // Packed for speed: a snapshot for whoever looks, rewritten at typing speed.
      const std::optional<std::string> png = picture->png_bytes(gfx::PngCompression::Fast);
      if (!png) {
        picture_error = std::make_error_code(std::errc::io_error);
      } else {
        replace_snapshot(*folder / (name_ + ".png"), *png, picture_error);
      }
    }
  } else {
    picture.reset();
  }
  plist::Dictionary shown = shown_state();
  plist::Dictionary written = shown;
  written.set("sequence", static_cast<std::int64_t>(sequence_ + 1));
  if (!replace_snapshot(*folder / (name_ + ".state"), plist::to_xml(written), error)) return false;
  ++sequence_;
  needs_display_ = false;
  if (picture_error) {
    error = picture_error;
    return false;
  }
  last_written_ = Written{std::move(shown), std::move(picture)};
  return true;
}

void Window::display_reporting_errors() {
  std::error_code error;
  if (!display(error)) {
    std::fprintf(stderr, "window %s/%s not written: %s\n", program_.c_str(), name_.c_str(),
                 error.message().c_str());
  }
}

namespace {

bool same_pixels(const gfx::Surface& one, const gfx::Surface& other) {
  if (one.width() != other.width() || one.height() != other.height()) return false;
  cairo_surface_flush(one.cairo());
  cairo_surface_flush(other.cairo());
  const int stride = cairo_image_surface_get_stride(one.cairo());
  if (stride != cairo_image_surface_get_stride(other.cairo())) return false;
  const unsigned char* a = cairo_image_surface_get_data(one.cairo());
  const unsigned char* b = cairo_image_surface_get_data(other.cairo());
  const auto row_bytes = static_cast<std::size_t>(one.width()) * 4;
  for (int y = 0; y < one.height(); ++y) {
    if (std::memcmp(a + static_cast<std::ptrdiff_t>(y) * stride,
                    b + static_cast<std::ptrdiff_t>(y) * stride, row_bytes) != 0) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool Window::display_if_needed(std::error_code& error) {
  error.clear();
  if (!needs_display_) return true;
  // Owners mark the content as changed without knowing whether it looks different: what would
  // be written is compared with what was, and the same window is not written again.
  if (!last_written_ || last_written_->state != shown_state()) return display(error);
  if (!draws_picture()) {
    needs_display_ = false;
    return true;
  }
  std::optional<gfx::Surface> picture = render();
  if (picture && last_written_->picture && same_pixels(*picture, *last_written_->picture)) {
    needs_display_ = false;
    return true;
  }
  return write(std::move(picture), error);
}

}  // namespace platform::ui
