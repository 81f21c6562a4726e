// The accessory panel's grid of characters: up to ten 32-point buttons a row, one per item of
// the chosen category; a click on a button sends its title to the application.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/view.h"

namespace imkkep {

class CharAccMatrixView : public platform::ui::View {
 public:
  using SendText = std::function<void(std::string_view text)>;

  static constexpr int kCell = 33;
  static constexpr int kButton = 32;
  static constexpr int kMinimumHeight = 206;
  static constexpr int kColumns = 10;

  CharAccMatrixView(platform::ui::Rect frame, SendText send);

  // Rebuilds the buttons: `rows` x `columns` cells filled row by row, the first `count` get a
  // button. The view grows to rows x 33 points (at least 206), keeping its origin and width.
  void setRowColumnCount(int rows, int columns, int count);
  // Titles the button of a cell; cells outside the grid are ignored.
  void setTitle(std::string title, int row, int column);

  int rows() const { return _row; }
  int columns() const { return _col; }
  int count() const { return _count; }
  const std::vector<platform::ui::Button*>& buttons() const { return _buttons; }

 protected:
  const char* kind() const override { return "character-grid"; }
  void describe_into(platform::plist::Dictionary& shows) const override;

 private:
  void sendAccText(platform::ui::Button& sender);

  int _row = 0;
  int _col = 0;
  int _count = 0;
  std::vector<platform::ui::Button*> _buttons;
  SendText send_;
};

}  // namespace imkkep
