// A pane of fixed size whose name is a text of the host's table and whose icon and tool tip
// come from its own bundle: what every pane of this program answers the same way.
#pragma once

#include <optional>
#include <string>

#include "preferences/host/pane_protocol.h"
#include "preferences/panekit/pane_bundle.h"

namespace panekit {

class FixedPane : public preferences::PreferencePane {
 public:
  // `name_key`: the pane's name in the host's table (none when missing); `icon`: the picture of
  // the pane's bundle.
  FixedPane(std::string name_key, std::string icon)
      : name_key_(std::move(name_key)), icon_(std::move(icon)) {}

  std::string paneName() override { return host_string(name_key_, ""); }
  std::optional<platform::gfx::Surface> paneIcon() override { return pane_icon(icon_); }
  std::optional<std::string> paneToolTip() override { return pane_tool_tip(); }
  bool allowsHorizontalResizing() override { return false; }
  bool allowsVerticalResizing() override { return false; }

 private:
  std::string name_key_;
  std::string icon_;
};

}  // namespace panekit
