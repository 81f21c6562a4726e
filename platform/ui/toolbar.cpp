#include "platform/ui/toolbar.h"

#include <algorithm>
#include <cmath>

#include "platform/gfx/image.h"
#include "platform/gfx/path.h"
#include "platform/ui/control_drawing.h"
#include "platform/ui/controls.h"

namespace platform::ui {
namespace {

constexpr double kPadding = 4;
constexpr double kItemGap = 4;
constexpr double kIconLabelGap = 2;
constexpr double kMinItemWidth = 48;
constexpr gfx::Colour kToolbarFill{0.86, 0.86, 0.86, 1};
constexpr gfx::Colour kSelectedFill{0.74, 0.74, 0.74, 1};

double icon_side(const Toolbar* toolbar) { return toolbar && toolbar->is_small() ? 24 : 32; }
double label_height(const Toolbar* toolbar) { return toolbar && toolbar->is_small() ? 13 : 15; }
gfx::Font label_font(const Toolbar* toolbar) {
  return system_font(toolbar && toolbar->is_small() ? 10 : kSmallSystemFontSize);
}

const char* display_mode_name(ToolbarDisplayMode mode) {
  switch (mode) {
    case ToolbarDisplayMode::IconAndLabel: return "iconAndLabel";
    case ToolbarDisplayMode::IconOnly: return "iconOnly";
    case ToolbarDisplayMode::LabelOnly: return "labelOnly";
    case ToolbarDisplayMode::Default: break;
  }
  return "default";
}

const char* size_mode_name(ToolbarSizeMode mode) {
  switch (mode) {
    case ToolbarSizeMode::Regular: return "regular";
    case ToolbarSizeMode::Small: return "small";
    case ToolbarSizeMode::Default: break;
  }
  return "default";
}

}  // namespace

// ToolbarItem ----------------------------------------------------------------------------------

ToolbarItem::ToolbarItem(std::string identifier) { set_identifier(std::move(identifier)); }

Toolbar* ToolbarItem::toolbar() const { return dynamic_cast<Toolbar*>(superview()); }

void ToolbarItem::set_label(std::string label) {
  label_ = std::move(label);
  if (Toolbar* bar = toolbar()) bar->relayout();
  set_needs_display();
}

const std::string& ToolbarItem::palette_label() const {
  return palette_label_.empty() ? label_ : palette_label_;
}

void ToolbarItem::set_palette_label(std::string label) {
  palette_label_ = std::move(label);
  set_needs_display();
}

void ToolbarItem::set_tool_tip(std::string tip) {
  tool_tip_ = std::move(tip);
  set_needs_display();
}

void ToolbarItem::set_image(std::optional<gfx::Surface> image) {
  image_ = std::move(image);
  image_path_.clear();
  set_needs_display();
}

bool ToolbarItem::set_image_path(const std::filesystem::path& path, std::string* error) {
  std::optional<gfx::Surface> image = gfx::load_image(path, error);
  const bool loaded = image.has_value();
  set_image(std::move(image));
  image_path_ = path.string();
  return loaded;
}

void ToolbarItem::set_selectable(bool selectable) {
  selectable_ = selectable;
  if (!selectable) {
    if (Toolbar* bar = toolbar(); bar && bar->selected_item_identifier() == identifier()) {
      bar->set_selected_item_identifier("");
    }
  }
  set_needs_display();
}

void ToolbarItem::set_enabled(bool enabled) {
  enabled_ = enabled;
  if (!enabled) pressed_ = false;
  set_needs_display();
}

Rect ToolbarItem::image_rect() const {
  const Toolbar* bar = toolbar();
  if (bar && !bar->shows_icons()) return Rect{};
  const double side = icon_side(bar);
  return Rect{std::floor((frame().width - side) / 2), frame().height - kPadding - side, side, side};
}

Rect ToolbarItem::label_rect() const {
  const Toolbar* bar = toolbar();
  if (bar && !bar->shows_labels()) return Rect{};
  const double height = label_height(bar);
  // Alone, the label is centred; under an icon it sits at the bottom.
  const double y = bar && !bar->shows_icons() ? std::floor((frame().height - height) / 2)
                                               : kPadding;
  return Rect{0, y, frame().width, height};
}

double ToolbarItem::preferred_width() const {
  const Toolbar* bar = toolbar();
  double width = kMinItemWidth;
  if (!bar || bar->shows_icons()) width = std::max(width, icon_side(bar) + 2 * kPadding);
  if (!bar || bar->shows_labels()) {
    width = std::max(width, std::ceil(gfx::measure(label_, label_font(bar)).width) + 2 * kPadding);
  }
  return width;
}

void ToolbarItem::perform_click() {
  if (!enabled_) return;
  pressed_ = false;
  if (Toolbar* bar = toolbar(); bar && selectable_) bar->set_selected_item_identifier(identifier());
  set_needs_display();
  if (!action_) return;
  // A copy: the action may remove this item.
  Action action = action_;
  action(*this);
}

void ToolbarItem::draw(gfx::Canvas& canvas) const {
  const Toolbar* bar = toolbar();
  const bool selected = bar && !identifier().empty() && bar->selected_item_identifier() == identifier();
  if (selected || pressed_) {
    canvas.fill(gfx::Path::rounded_rectangle(Rect{1, 1, frame().width - 2, frame().height - 2}, 4),
                pressed_ ? look::kBezelPressed : kSelectedFill);
  }
  const double alpha = enabled_ ? 1 : 0.4;
  const Rect icon = image_rect();
  if (icon.width > 0 && image_) canvas.draw(*image_, icon, alpha);
  const Rect label = label_rect();
  if (label.width > 0) {
    look::text_in_box(canvas, label_, label_font(bar), label, look::Align::Centre,
                      enabled_ ? look::kText : look::kDisabledText, 2);
  }
}

bool ToolbarItem::mouse_down(const MouseEvent& event) {
  if (!enabled_) return false;
  pressed_ = contains(bounds(), event.location);
  set_needs_display();
  return true;
}

void ToolbarItem::mouse_up(const MouseEvent& event) {
  pressed_ = false;
  set_needs_display();
  // Last: the action may remove this item.
  if (enabled_ && contains(bounds(), event.location)) perform_click();
}

const char* ToolbarItem::kind() const { return "toolbaritem"; }

void ToolbarItem::describe_into(plist::Dictionary& shows) const {
  shows.set("label", label_);
  shows.set("paletteLabel", palette_label());
  shows.set("toolTip", tool_tip_);
  shows.set("image", image_path_);
  shows.set("hasImage", image_.has_value());
  shows.set("selectable", selectable_);
  shows.set("enabled", enabled_);
  const Toolbar* bar = toolbar();
  shows.set("selected", bar && bar->selected_item_identifier() == identifier());
}

// Toolbar --------------------------------------------------------------------------------------

Toolbar::Toolbar(std::string identifier) { set_identifier(std::move(identifier)); }

ToolbarItem* Toolbar::add_item(std::string identifier, std::string label) {
  if (identifier.empty() || item(identifier) != nullptr) return nullptr;
  auto made = std::make_unique<ToolbarItem>(std::move(identifier));
  ToolbarItem& added = add_subview(std::move(made));
  added.set_label(std::move(label));
  relayout();
  return &added;
}

ToolbarItem* Toolbar::item(std::string_view identifier) const {
  for (const auto& sub : subviews()) {
    auto* found = dynamic_cast<ToolbarItem*>(sub.get());
    if (found && found->identifier() == identifier) return found;
  }
  return nullptr;
}

std::vector<ToolbarItem*> Toolbar::items() const {
  std::vector<ToolbarItem*> all;
  for (const auto& sub : subviews()) {
    if (auto* found = dynamic_cast<ToolbarItem*>(sub.get())) all.push_back(found);
  }
  return all;
}

bool Toolbar::set_selected_item_identifier(std::string_view identifier) {
  if (!identifier.empty()) {
    const ToolbarItem* chosen = item(identifier);
    if (chosen == nullptr || !chosen->is_selectable()) return false;
  }
  if (selected_ != identifier) {
    selected_ = std::string(identifier);
    set_needs_display();
  }
  return true;
}

void Toolbar::set_display_mode(ToolbarDisplayMode mode) {
  display_mode_ = mode;
  relayout();
}

void Toolbar::set_size_mode(ToolbarSizeMode mode) {
  size_mode_ = mode;
  relayout();
}

void Toolbar::set_visible(bool visible) {
  set_hidden(!visible);
  relayout();
}

bool Toolbar::shows_icons() const { return display_mode_ != ToolbarDisplayMode::LabelOnly; }
bool Toolbar::shows_labels() const { return display_mode_ != ToolbarDisplayMode::IconOnly; }

double Toolbar::height() const {
  if (is_hidden()) return 0;
  double inside = 0;
  if (shows_icons()) inside += icon_side(this);
  if (shows_labels()) inside += label_height(this);
  if (shows_icons() && shows_labels()) inside += kIconLabelGap;
  // The items' own padding and the toolbar's around them.
  return inside + 4 * kPadding;
}

void Toolbar::relayout() {
  const double item_height = height() - 2 * kPadding;
  double x = kPadding;
  for (ToolbarItem* each : items()) {
    const double width = each->preferred_width();
    each->set_frame(Rect{x, kPadding, width, std::max(0.0, item_height)});
    x += width + kItemGap;
  }
  if (Window* owner = window(); owner && owner->toolbar() == this) {
    owner->layout_views();
    owner->set_needs_display();
  }
  set_needs_display();
}

void Toolbar::frame_size_did_change() {
  const double item_height = std::max(0.0, frame().height - 2 * kPadding);
  for (ToolbarItem* each : items()) {
    Rect placed = each->frame();
    if (placed.height == item_height) continue;
    placed.height = item_height;
    each->set_frame(placed);
  }
}

void Toolbar::draw(gfx::Canvas& canvas) const {
  canvas.fill(bounds(), kToolbarFill);
  // The line that parts the toolbar from the content.
  canvas.line(gfx::Point{0, 0.5}, gfx::Point{frame().width, 0.5}, look::kBorder, 1);
}

const char* Toolbar::kind() const { return "toolbar"; }

void Toolbar::describe_into(plist::Dictionary& shows) const {
  shows.set("displayMode", display_mode_name(display_mode_));
  shows.set("sizeMode", size_mode_name(size_mode_));
  shows.set("visible", !is_hidden());
  shows.set("selected", selected_);
  plist::Array identifiers;
  for (const ToolbarItem* each : items()) identifiers.push_back(plist::Value(each->identifier()));
  shows.set("items", std::move(identifiers));
}

}  // namespace platform::ui
