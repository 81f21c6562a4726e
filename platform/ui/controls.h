// The simple controls: push buttons, check boxes, text labels and fields, and text views.
// Each draws itself plainly (a light bezel, dark text in the interface font) and says in the
// window's state what it shows.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "platform/gfx/colour.h"
#include "platform/gfx/text.h"
#include "platform/ui/text_editor.h"
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

// Told that the editing of a text ended, with the text it ended with (for Cancel, the text from
// before the editing) and how it ended.
template <typename Sender>
using EndEditingHandler =
    std::function<void(Sender& sender, const std::string& text, TextMovement movement)>;

// One line of text: a label, or, made editable, a field the user types in. An editable,
// enabled field accepts first responder; becoming it starts an editing with the whole text
// selected, and a click then puts the caret where it fell. While it edits, text() is the text
// typed so far. Return ends the editing (the field stays first responder; the next key typed
// starts another, replacing the selected text), Tab and Shift-Tab end it and move to the next
// or previous key view, Escape puts back the text from before the editing and ends it;
// losing first responder ends it too (TextMovement::Other). Each end tells the end-editing
// handler, last.
class TextField : public View {
 public:
  explicit TextField(Rect frame, std::string text = {});

  const std::string& text() const { return editor_ ? editor_->text() : text_; }
  // Also replaces the text being edited (the caret goes to its end).
  void set_text(std::string text);
  void set_font(gfx::Font font);
  void set_colour(gfx::Colour colour);
  void set_alignment(TextAlignment alignment);

  bool is_editable() const { return editable_; }
  // A field made read-only while it edits ends the editing.
  void set_editable(bool editable);
  bool is_enabled() const { return enabled_; }
  void set_enabled(bool enabled);
  // What typing may add; applies from the next editing on (and to the one under way).
  void set_limits(TextLimits limits);
  void set_end_editing_handler(EndEditingHandler<TextField> handler);

  bool is_editing() const { return editor_.has_value(); }
  // The editing under way; nullptr when none.
  const TextEditor* editor() const { return editor_ ? &*editor_ : nullptr; }
  // Makes the field its window's first responder, which starts an editing with the whole text
  // selected; false when it is not editable, disabled, hidden or in no window.
  bool begin_editing();
  // Selects characters of the text being edited; false when none is.
  bool select_text(std::size_t start, std::size_t length);

  void draw(gfx::Canvas& canvas) const override;
  bool mouse_down(const MouseEvent& event) override;
  void mouse_dragged(const MouseEvent& event) override;
  bool accepts_first_responder() const override;
  bool become_first_responder() override;
  bool resign_first_responder() override;
  bool key_down(const KeyEvent& event) override;

 protected:
  const char* kind() const override;
  // "text"; an editable field adds "editable", a disabled one "enabled", and one editing
  // "editing", "caret" and "selection" ("location", "length"), in characters.
  void describe_into(plist::Dictionary& shows) const override;

 private:
  void start_editing();
  // Ends the editing with `movement` and tells the handler; this field may be gone after.
  void end_editing(TextMovement movement);
  std::size_t position_at(double x) const;

  std::string text_;
  gfx::Font font_ = system_font();
  gfx::Colour colour_{0, 0, 0, 1};
  TextAlignment alignment_ = TextAlignment::Left;
  bool editable_ = false;
  bool enabled_ = true;
  TextLimits limits_;
  EndEditingHandler<TextField> end_editing_;
  std::optional<TextEditor> editor_;
  std::string text_before_editing_;
};

// Lines of text drawn from the top; what does not fit is cut. An editable text view accepts
// first responder and is typed in while it is (its caret and selection stay between times):
// Return and Tab type themselves, Shift-Tab moves to the previous key view. Losing first
// responder tells the end-editing handler (TextMovement::Other, or Backtab).
class TextView : public View {
 public:
  explicit TextView(Rect frame);

  const std::string& text() const { return editor_.text(); }
  // The caret goes to the end. Text that is not UTF-8 is refused (the text stays).
  void set_text(std::string text);
  bool is_empty() const { return text().empty(); }
  bool is_editable() const { return editable_; }
  void set_editable(bool editable);
  void set_font(gfx::Font font);
  void set_limits(TextLimits limits);
  void set_end_editing_handler(EndEditingHandler<TextView> handler);
  const TextEditor& editor() const { return editor_; }
  TextEditor& editor() { return editor_; }

  void draw(gfx::Canvas& canvas) const override;
  bool mouse_down(const MouseEvent& event) override;
  bool accepts_first_responder() const override;
  bool resign_first_responder() override;
  bool key_down(const KeyEvent& event) override;

 protected:
  const char* kind() const override;
  // "text", "editable"; while first responder "editing", "caret" and "selection".
  void describe_into(plist::Dictionary& shows) const override;

 private:
  double line_height() const;

  TextEditor editor_{{}, true};
  bool editable_ = true;
  gfx::Font font_ = system_font();
  EndEditingHandler<TextView> end_editing_;
  TextMovement resign_movement_ = TextMovement::Other;
};

}  // namespace platform::ui
