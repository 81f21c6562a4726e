// The about window: its front face (version, two links) and its back face (the credits), the
// flip between them, and where the links lead.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "IMKKEP/windows/KEPAboutFace.h"
#include "IMKKEP/windows/LinkFieldView.h"
#include "platform/runloop.h"
#include "platform/ui/controls.h"
#include "platform/ui/window_registry.h"

namespace imkkep {

inline constexpr const char* kUnknownVersion = "1.6.0 ???";

// "A.B.C BUILD" from the four blank-separated words of kepver.txt in `resources` (a line end
// after them is not part of the build word); anything else gives kUnknownVersion.
std::string KEPVersionString(const std::filesystem::path& resources);
// The credits: the plain text of ack.rtf in `resources` when it reads as RTF, else the list
// built into the server.
std::string KEPCreditsText(const std::filesystem::path& resources);

class KEPAbout {
 public:
  // The faces, hidden, in `registry` (nullptr: unreachable by the control port); the texts
  // come from the server bundle's `resources`.
  KEPAbout(platform::RunLoop& loop, platform::ui::WindowRegistry* registry,
           const std::filesystem::path& resources);
  ~KEPAbout();
  KEPAbout(const KEPAbout&) = delete;
  KEPAbout& operator=(const KEPAbout&) = delete;

  void showAbout();
  void showAck();
  void showBackAbout();
  void closeAbout();
  void gotoBlog();
  void donate();

  KEPAboutFace& aboutWindow() { return *about_window_; }
  KEPAboutFace& ackWindow() { return *ack_window_; }
  platform::ui::TextField& versionString() { return *version_string_; }
  platform::ui::TextView& ackView() { return *ack_view_; }
  LinkFieldView& linkField1() { return *link_field_1_; }
  LinkFieldView& linkField2() { return *link_field_2_; }

 private:
  void buildFront(const std::filesystem::path& resources);
  void buildBack(const std::filesystem::path& resources);

  platform::ui::WindowRegistry* registry_;
  std::unique_ptr<KEPAboutFace> about_window_;
  std::unique_ptr<KEPAboutFace> ack_window_;
  platform::ui::TextField* version_string_ = nullptr;
  platform::ui::TextView* ack_view_ = nullptr;
  LinkFieldView* link_field_1_ = nullptr;
  LinkFieldView* link_field_2_ = nullptr;
};

}  // namespace imkkep
