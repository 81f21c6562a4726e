// A clickable line of text in the about window: blue, underlined while the pointer is over it,
// the pointing hand shown meanwhile; a click runs its action.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/ui/view.h"

namespace imkkep {

class LinkFieldView : public platform::ui::View {
 public:
  // A link whose text is this does nothing when clicked.
  static constexpr std::string_view kNotDefined = "Not defined";

  explicit LinkFieldView(platform::ui::Rect frame);

  const std::string& text() const { return text_; }
  // An empty text is ignored.
  void setText(std::string_view text);
  // What a click does (the target performing its selector); none: nothing.
  void setAction(std::function<void()> action) { action_ = std::move(action); }
  bool hover() const { return hover_; }

  // The pointer crossed the link's tracking rectangle.
  void mouseEntered();
  void mouseExited();

  void draw(platform::gfx::Canvas& canvas) const override;
  bool mouse_down(const platform::ui::MouseEvent& event) override;
  void mouse_up(const platform::ui::MouseEvent& event) override;

 protected:
  const char* kind() const override { return "link"; }
  void describe_into(platform::plist::Dictionary& shows) const override;
  void view_did_move_to_window() override;

 private:
  std::string text_ = "HelloWorld";
  std::string last_cursor_;
  bool hover_ = false;
  std::function<void()> action_;
};

}  // namespace imkkep
