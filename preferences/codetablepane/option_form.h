// The options of a scheme as controls: the longest code, the wildcard, the two switches and the
// two methods. The pane shows the selected scheme's in them, the build sheet a new scheme's.
#pragma once

#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/radio_matrix.h"
#include "platform/ui/view.h"
#include "preferences/codetable/scheme_line.h"

namespace codetablepane {

// The longest code a table may have: keys are 1 to 63 bytes.
inline constexpr int kMaxKeyLimit = 63;

class OptionForm {
 public:
  // Adds the controls to `view` with their labels, top line at `top`; their identifiers are
  // `prefix` + "MaxKey", "WildCard", "AutoConfirm", "ShowLeft", "Match", "Sort".
  void add_to(platform::ui::View& view, double left, double top, const std::string& prefix);

  // Shows a scheme's options; without one, empty fields, switches on and the first methods.
  void show(const codetable::SchemeLine* scheme);
  void set_enabled(bool enabled);

  // The longest code as typed: its leading digits, 0 when there are none.
  int max_key_length() const;
  bool max_key_is_empty() const { return max_key_->text().empty(); }
  const std::string& wildcard_text() const { return wildcard_->text(); }
  // The options as shown, on top of `scheme` (its charsets are kept). A wildcard field that
  // does not hold one wildcard character gives "*".
  codetable::SchemeLine read(codetable::SchemeLine scheme) const;

  platform::ui::TextField* max_key_field() const { return max_key_; }
  platform::ui::TextField* wildcard_field() const { return wildcard_; }
  void clear_fields();

 private:
  platform::ui::TextField* max_key_ = nullptr;
  platform::ui::TextField* wildcard_ = nullptr;
  platform::ui::CheckBox* auto_confirm_ = nullptr;
  platform::ui::CheckBox* show_left_ = nullptr;
  platform::ui::RadioMatrix* match_ = nullptr;
  platform::ui::RadioMatrix* sort_ = nullptr;
};

}  // namespace codetablepane
