// The simple controls: push buttons, check boxes, text labels and read-only text.
// Each draws itself plainly (a light bezel, dark text in the interface font) and says in the
// window's state what it shows.
#pragma once

#include <functional>
#include <string>

#include "platform/gfx/colour.h"
#include "platform/gfx/text.h"
#include "platform/ui/view.h"

namespace platform::ui {

// The interface font: the system font at its regular (13) and small (11) sizes.
gfx::Font system_font(double size_px = 13);
inline constexpr double kSmallSystemFontSize = 11;

// Bezel styles a button may have; they change only its look.
inline constexpr int kRoundedBezelStyle = 1;
inline constexpr int kSmallSquareBezelStyle = 10;

class Button : public View {
 public:
  using Action = std::function<void(Button& sender)>;

  explicit Button(Rect frame, std::string title = {});

  const std::string& title() const { return title_; }
  void set_title(std::string title);
  int tag() const { return tag_; }
  void set_tag(int tag) { tag_ = tag; }
  int bezel_style() const { return bezel_style_; }
  void set_bezel_style(int style);
  bool is_enabled() const { return enabled_; }
  void set_enabled(bool enabled);
  bool is_highlighted() const { return highlighted_; }

  // Run when a click ends inside the enabled button.
  void set_action(Action action) { action_ = std::move(action); }
  // Clicks the button as a person would (highlight, then the action); nothing when disabled.
  void perform_click();

  void draw(gfx::Canvas& canvas) const override;
  bool mouse_down(const MouseEvent& event) override;
  void mouse_dragged(const MouseEvent& event) override;
  void mouse_up(const MouseEvent& event) override;

 protected:
  const char* kind() const override;
  // "title", "tag", "enabled", "highlighted".
  void describe_into(plist::Dictionary& shows) const override;
  // A click that ended inside: check boxes turn before the action runs.
  virtual void clicked();
  void run_action();

 private:
  std::string title_;
  int tag_ = 0;
  int bezel_style_ = kRoundedBezelStyle;
  bool enabled_ = true;
  bool highlighted_ = false;
  Action action_;
};

class CheckBox : public Button {
 public:
  explicit CheckBox(Rect frame, std::string title = {});

  bool is_on() const { return on_; }
  // Set by the program: no action runs.
  void set_on(bool on);

  void draw(gfx::Canvas& canvas) const override;

 protected:
  const char* kind() const override;
  // Adds "on".
  void describe_into(plist::Dictionary& shows) const override;
  void clicked() override;

 private:
  bool on_ = false;
};

enum class TextAlignment { Left, Centre, Right };

// One line of text that the user cannot edit.
class TextField : public View {
 public:
  explicit TextField(Rect frame, std::string text = {});

  const std::string& text() const { return text_; }
  void set_text(std::string text);
  void set_font(gfx::Font font);
  void set_colour(gfx::Colour colour);
  void set_alignment(TextAlignment alignment);

  void draw(gfx::Canvas& canvas) const override;

 protected:
  const char* kind() const override;
  // "text".
  void describe_into(plist::Dictionary& shows) const override;

 private:
  std::string text_;
  gfx::Font font_ = system_font();
  gfx::Colour colour_{0, 0, 0, 1};
  TextAlignment alignment_ = TextAlignment::Left;
};

// Lines of text, read-only, drawn from the top; what does not fit is cut.
class TextView : public View {
 public:
  explicit TextView(Rect frame);

  const std::string& text() const { return text_; }
  void set_text(std::string text);
  bool is_empty() const { return text_.empty(); }
  bool is_editable() const { return editable_; }
  void set_editable(bool editable);
  void set_font(gfx::Font font);

  void draw(gfx::Canvas& canvas) const override;

 protected:
  const char* kind() const override;
  // "text", "editable".
  void describe_into(plist::Dictionary& shows) const override;

 private:
  std::string text_;
  bool editable_ = true;
  gfx::Font font_ = system_font();
};

}  // namespace platform::ui
