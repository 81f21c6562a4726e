// Text fields and text views: shown text, and the editing of it.
#include <cmath>

#include "platform/ui/control_drawing.h"
#include "platform/ui/controls.h"

namespace platform::ui {
namespace {

// Points kept free between a text control's edge and its text.
constexpr double kTextInset = 2;

look::Align align_of(TextAlignment alignment) {
  switch (alignment) {
    case TextAlignment::Centre: return look::Align::Centre;
    case TextAlignment::Right: return look::Align::Right;
    case TextAlignment::Left: break;
  }
  return look::Align::Left;
}

bool ends_an_editing(const KeyEvent& event) {
  switch (event.key_code) {
    case imk::kKeyReturn:
    case imk::kKeyKeypadEnter:
    case imk::kKeyTab:
    case imk::kKeyEscape:
      return true;
    default:
      return false;
  }
}

void describe_editing(const TextEditor& editor, plist::Dictionary& shows) {
  shows.set("editing", true);
  shows.set("caret", static_cast<std::int64_t>(editor.caret()));
  plist::Dictionary selection;
  selection.set("location", static_cast<std::int64_t>(editor.selection_start()));
  selection.set("length", static_cast<std::int64_t>(editor.selection_length()));
  shows.set("selection", std::move(selection));
}

bool is_extending(const MouseEvent& event) {
  return (event.modifier_flags & kShiftKeyMask) != 0;
}

}  // namespace

// TextField ------------------------------------------------------------------------------------

TextField::TextField(Rect frame, std::string text) : View(frame), text_(std::move(text)) {}

void TextField::set_text(std::string text) {
  text_ = std::move(text);
  if (editor_ && !editor_->set_text(text_)) editor_->set_text({});
  set_needs_display();
}

void TextField::set_font(gfx::Font font) {
  font_ = std::move(font);
  set_needs_display();
}

void TextField::set_colour(gfx::Colour colour) {
  colour_ = colour;
  set_needs_display();
}

void TextField::set_alignment(TextAlignment alignment) {
  alignment_ = alignment;
  set_needs_display();
}

void TextField::set_editable(bool editable) {
  // The keyboard leaves first, so the editing ends as any other does.
  if (!editable && is_first_responder()) window()->make_first_responder(nullptr);
  if (!editable && editor_) end_editing(TextMovement::Other);
  editable_ = editable;
  set_needs_display();
}

void TextField::set_enabled(bool enabled) {
  if (!enabled && is_first_responder()) window()->make_first_responder(nullptr);
  if (!enabled && editor_) end_editing(TextMovement::Other);
  enabled_ = enabled;
  set_needs_display();
}

void TextField::set_limits(TextLimits limits) {
  limits_ = std::move(limits);
  if (editor_) editor_->set_limits(limits_);
}

void TextField::set_end_editing_handler(EndEditingHandler<TextField> handler) {
  end_editing_ = std::move(handler);
}

bool TextField::begin_editing() {
  if (!accepts_first_responder() || window() == nullptr) return false;
  if (is_first_responder()) {
    if (!editor_) start_editing();
    return true;
  }
  return window()->make_first_responder(this);
}

bool TextField::select_text(std::size_t start, std::size_t length) {
  if (!editor_) return false;
  editor_->select(start, length);
  set_needs_display();
  return true;
}

void TextField::start_editing() {
  text_before_editing_ = text_;
  editor_.emplace(text_, false);
  editor_->set_limits(limits_);
  editor_->select_all();
  set_needs_display();
}

void TextField::end_editing(TextMovement movement) {
  if (!editor_) return;
  text_ = movement == TextMovement::Cancel ? text_before_editing_ : editor_->text();
  editor_.reset();
  set_needs_display();
  if (!end_editing_) return;
  // Copies: the handler may destroy this field.
  EndEditingHandler<TextField> handler = end_editing_;
  const std::string text = text_;
  handler(*this, text, movement);
}

std::size_t TextField::position_at(double x) const {
  return look::character_at(text(), font_, x - kTextInset);
}

bool TextField::accepts_first_responder() const { return editable_ && enabled_; }

bool TextField::become_first_responder() {
  if (!editor_) start_editing();
  return true;
}

bool TextField::resign_first_responder() {
  // Last: the end-editing handler may destroy this field.
  end_editing(TextMovement::Other);
  return true;
}

bool TextField::key_down(const KeyEvent& event) {
  if (!editable_ || !enabled_) return false;
  const bool resting = !editor_;
  if (resting) {
    // Ended by Return: those keys are for the window now; any other starts a new editing.
    if (ends_an_editing(event)) return false;
    start_editing();
  }
  const EditOutcome outcome = editor_->handle_key(event);
  if (outcome == EditOutcome::NotTaken) {
    // A key the field does not type leaves it resting.
    if (resting) editor_.reset();
    return false;
  }
  const std::optional<TextMovement> ending = ending_of(outcome);
  if (!ending) {
    set_needs_display();
    return true;
  }
  if (*ending == TextMovement::Return || *ending == TextMovement::Cancel) {
    end_editing(*ending);
    return true;
  }
  // The keyboard moves on before the handler hears of the end, so the handler sees the new
  // first responder; it may destroy this field.
  const TextMovement movement = *ending;
  EndEditingHandler<TextField> handler = end_editing_;
  end_editing_ = nullptr;
  end_editing(movement);
  end_editing_ = handler;
  const std::string text = text_;
  if (Window* window = this->window()) {
    if (movement == TextMovement::Tab) {
      window->select_next_key_view();
    } else {
      window->select_previous_key_view();
    }
  }
  if (handler) handler(*this, text, movement);
  return true;
}

bool TextField::mouse_down(const MouseEvent& event) {
  if (!editable_ || !enabled_) return false;
  // In a window, only the first responder edits (the old one may have refused to resign).
  if (window() != nullptr && !is_first_responder()) return true;
  if (!editor_) start_editing();
  const std::size_t at = position_at(event.location.x);
  if (is_extending(event)) {
    editor_->extend_selection(at);
  } else {
    editor_->set_caret(at);
  }
  set_needs_display();
  return true;
}

void TextField::mouse_dragged(const MouseEvent& event) {
  if (!editor_) return;
  editor_->extend_selection(position_at(event.location.x));
  set_needs_display();
}

void TextField::draw(gfx::Canvas& canvas) const {
  const gfx::Colour& colour = enabled_ ? colour_ : look::kDisabledText;
  if (editable_) look::text_field_frame(canvas, bounds());
  if (editor_) {
    look::editing_line_in_box(canvas, *editor_, font_, bounds(), colour, kTextInset);
    return;
  }
  look::text_in_box(canvas, text_, font_, bounds(), align_of(alignment_), colour, kTextInset);
}

const char* TextField::kind() const { return "text"; }

void TextField::describe_into(plist::Dictionary& shows) const {
  shows.set("text", text());
  if (editable_) shows.set("editable", true);
  if (!enabled_) shows.set("enabled", false);
  if (editor_) describe_editing(*editor_, shows);
}

// TextView -------------------------------------------------------------------------------------

TextView::TextView(Rect frame) : View(frame) {}

void TextView::set_text(std::string text) {
  if (editor_.set_text(std::move(text))) set_needs_display();
}

void TextView::set_editable(bool editable) {
  if (!editable && is_first_responder()) window()->make_first_responder(nullptr);
  editable_ = editable;
  set_needs_display();
}

void TextView::set_font(gfx::Font font) {
  font_ = std::move(font);
  set_needs_display();
}

void TextView::set_limits(TextLimits limits) { editor_.set_limits(std::move(limits)); }

void TextView::set_end_editing_handler(EndEditingHandler<TextView> handler) {
  end_editing_ = std::move(handler);
}

double TextView::line_height() const { return look::line_height(font_); }

bool TextView::accepts_first_responder() const { return editable_; }

bool TextView::resign_first_responder() {
  set_needs_display();
  const TextMovement movement = resign_movement_;
  resign_movement_ = TextMovement::Other;
  if (end_editing_) {
    // Copies: the handler may destroy this view.
    EndEditingHandler<TextView> handler = end_editing_;
    const std::string text = editor_.text();
    handler(*this, text, movement);
  }
  return true;
}

bool TextView::key_down(const KeyEvent& event) {
  if (!editable_) return false;
  switch (editor_.handle_key(event)) {
    case EditOutcome::Done:
    case EditOutcome::Refused:
      set_needs_display();
      return true;
    case EditOutcome::Backtab:
      if (Window* window = this->window()) {
        // Leaving resigns this view, which tells the handler how it was left.
        resign_movement_ = TextMovement::Backtab;
        window->select_previous_key_view();
        if (window->first_responder() == this) resign_movement_ = TextMovement::Other;
      }
      return true;
    default:
      return false;
  }
}

bool TextView::mouse_down(const MouseEvent& event) {
  if (!editable_) return false;
  const double from_top = frame().height - kTextInset - event.location.y;
  const auto line = static_cast<std::size_t>(std::max(0.0, std::floor(from_top / line_height())));
  // The click's line (the last one below the text), then the place in it.
  const std::string& text = editor_.text();
  std::size_t start = 0;
  std::size_t characters_before = 0;
  for (std::size_t i = 0; i < line; ++i) {
    const std::size_t newline = text.find('\n', start);
    if (newline == std::string::npos) break;
    for (std::size_t at = start; at <= newline; ++at) {
      if ((static_cast<unsigned char>(text[at]) & 0xc0) != 0x80) ++characters_before;
    }
    start = newline + 1;
  }
  const std::size_t end = std::min(text.find('\n', start), text.size());
  const std::size_t at =
      characters_before +
      look::character_at(std::string_view(text).substr(start, end - start), font_,
                         event.location.x - kTextInset);
  if (is_extending(event)) {
    editor_.extend_selection(at);
  } else {
    editor_.set_caret(at);
  }
  set_needs_display();
  return true;
}

void TextView::draw(gfx::Canvas& canvas) const {
  canvas.fill(bounds(), look::kWhite);
  const Point top_left{kTextInset, frame().height - kTextInset};
  if (is_first_responder()) {
    look::editing_lines(canvas, editor_, font_, top_left, line_height(), look::kText, true);
    return;
  }
  // Every line in one layout from the top-left; the view's clip cuts what does not fit.
  if (!text().empty()) {
    gfx::draw_text(canvas, text(), font_, gfx::Point{top_left.x, top_left.y}, look::kText);
  }
}

const char* TextView::kind() const { return "textview"; }

void TextView::describe_into(plist::Dictionary& shows) const {
  shows.set("text", text());
  shows.set("editable", editable_);
  if (is_first_responder()) describe_editing(editor_, shows);
}

}  // namespace platform::ui
