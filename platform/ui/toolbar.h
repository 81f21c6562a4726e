// A window's toolbar: a row of items along the window's top, each an icon over a label. A click
// on an item selects it (when it is selectable) and runs its action; the window's state holds
// the toolbar under "toolbar": its items in order, each named by its identifier, and the
// selected one.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/surface.h"
#include "platform/ui/view.h"

namespace platform::ui {

class Toolbar;

enum class ToolbarDisplayMode { Default, IconAndLabel, IconOnly, LabelOnly };
enum class ToolbarSizeMode { Default, Regular, Small };

class ToolbarItem : public View {
 public:
  using Action = std::function<void(ToolbarItem& sender)>;

  explicit ToolbarItem(std::string identifier);

  const std::string& label() const { return label_; }
  void set_label(std::string label);
  // The name in the customisation palette; the label when unset.
  const std::string& palette_label() const;
  void set_palette_label(std::string label);
  const std::string& tool_tip() const { return tool_tip_; }
  void set_tool_tip(std::string tip);

  const std::optional<gfx::Surface>& image() const { return image_; }
  void set_image(std::optional<gfx::Surface> image);
  // Loads the icon from a PNG or JPEG file; false with the reason in `error` and no icon when
  // it cannot be read. The path is written in the state either way.
  bool set_image_path(const std::filesystem::path& path, std::string* error = nullptr);

  // Selectable items stay selected after a click (the pane a preferences window shows).
  bool is_selectable() const { return selectable_; }
  void set_selectable(bool selectable);
  bool is_enabled() const { return enabled_; }
  void set_enabled(bool enabled);
  void set_action(Action action) { action_ = std::move(action); }

  // Where the label and the icon are drawn, in this item's points (empty when not drawn).
  Rect label_rect() const;
  Rect image_rect() const;

  // Selects the item when selectable, then runs its action; nothing when disabled.
  void perform_click();

  void draw(gfx::Canvas& canvas) const override;
  bool mouse_down(const MouseEvent& event) override;
  void mouse_up(const MouseEvent& event) override;

 protected:
  const char* kind() const override;
  // "label", "paletteLabel", "toolTip", "image" (the path), "hasImage", "selectable",
  // "enabled", "selected".
  void describe_into(plist::Dictionary& shows) const override;

 private:
  friend class Toolbar;
  Toolbar* toolbar() const;
  // The width the item needs for its label and icon in the toolbar's modes.
  double preferred_width() const;

  std::string label_;
  std::string palette_label_;
  std::string tool_tip_;
  std::optional<gfx::Surface> image_;
  std::string image_path_;
  bool selectable_ = false;
  bool enabled_ = true;
  bool pressed_ = false;
  Action action_;
};

class Toolbar : public View {
 public:
  explicit Toolbar(std::string identifier);

  // Adds an item at the end; item identifiers are unique within the toolbar, so a repeated
  // one is refused (nullptr).
  ToolbarItem* add_item(std::string identifier, std::string label);
  ToolbarItem* item(std::string_view identifier) const;
  std::vector<ToolbarItem*> items() const;

  // "" when no item is selected. Selecting an unknown or unselectable item is refused (false);
  // "" clears the selection.
  const std::string& selected_item_identifier() const { return selected_; }
  bool set_selected_item_identifier(std::string_view identifier);

  ToolbarDisplayMode display_mode() const { return display_mode_; }
  void set_display_mode(ToolbarDisplayMode mode);
  ToolbarSizeMode size_mode() const { return size_mode_; }
  void set_size_mode(ToolbarSizeMode mode);
  bool is_visible() const { return !is_hidden(); }
  void set_visible(bool visible);

  // The height the toolbar takes from its window's top in its modes (0 while hidden).
  double height() const;
  // Whether icons and labels are drawn in the current display mode.
  bool shows_icons() const;
  bool shows_labels() const;
  bool is_small() const { return size_mode_ == ToolbarSizeMode::Small; }

  void draw(gfx::Canvas& canvas) const override;

 protected:
  const char* kind() const override;
  // "displayMode", "sizeMode", "visible", "selected" and "items" (the identifiers in order).
  void describe_into(plist::Dictionary& shows) const override;
  void frame_size_did_change() override;

 private:
  friend class ToolbarItem;
  // Lays the items out from the left and tells the window when the height changed.
  void relayout();

  std::string selected_;
  ToolbarDisplayMode display_mode_ = ToolbarDisplayMode::Default;
  ToolbarSizeMode size_mode_ = ToolbarSizeMode::Default;
};

}  // namespace platform::ui
