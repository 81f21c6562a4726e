// The sheet that edits a scheme's extra codes as text: one "code text count" line per code
// under a commented header. Saving replaces every row of the scheme's ".ex" database by the
// lines, through bound statements, so any text is stored as typed.
#pragma once

#include <memory>
#include <string>

#include "platform/runloop.h"
#include "platform/ui/alert.h"
#include "platform/ui/controls.h"
#include "platform/ui/window.h"

namespace codetablepane {

inline constexpr const char* kExtraCodeSheetName = "PCTNewCode";

class ExtraCodeSheet {
 public:
  ExtraCodeSheet(platform::RunLoop& loop, platform::ui::Window& parent);
  ~ExtraCodeSheet();
  ExtraCodeSheet(const ExtraCodeSheet&) = delete;
  ExtraCodeSheet& operator=(const ExtraCodeSheet&) = delete;

  // Opens `path` (creating the database when it does not exist) and shows its codes in the
  // sheet; false, after an error alert, when it cannot.
  bool open(const std::string& path);
  // The sheet's buttons: save the text and close, or close without saving.
  void saveNewCode();
  void quitNewCode();

  bool is_open() const { return window_.is_sheet(); }
  platform::ui::Window& window() { return window_; }

 private:
  void build_views();
  void error(const std::string& key);
  void close();

  platform::RunLoop& loop_;
  platform::ui::Window& parent_;
  platform::ui::Window window_;
  std::unique_ptr<platform::ui::Alert> alert_;
  platform::ui::TextView* _newCodeView = nullptr;
  std::string path_;
};

}  // namespace codetablepane
