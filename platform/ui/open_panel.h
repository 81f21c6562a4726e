// An open panel: the dialog in which a user chooses files or folders to open, in a window of
// its own (with its own state file) or as a sheet on a parent window (Window::begin_sheet: the
// parent's delegate places it and is told of its end, and the sheet-ended notification is
// posted).
//
// Nothing is browsed here: the panel ends by an answer given through the control port
//
//   answer open-panel PATH...     (kep-ui PROGRAM answer open-panel PATH...)
//   answer open-panel cancel
//
// by its Cancel button (view "cancel") or by Escape. An answer is checked against the panel's
// rules before it is taken: every path must exist; it is made absolute (a relative path is
// taken from the panel's directory) and canonical, links and "." or ".." in the folders on the
// way resolved, but the chosen item itself is not followed: a symbolic link is neither a file
// nor a folder and is refused. An item must be a file or a folder as the panel allows, and,
// when file types are set, end in one of them: extensions are compared without regard to
// ASCII case ("A.SCEL" is a "scel"), for folders as well as files. More than one path needs
// multiple selection. A refused answer is told to its sender and the panel keeps waiting; a
// refused queued answer is logged and passed over.
//
// Run modally with nothing queued, the panel cancels and says so in the dialog log. End
// handlers run on the run loop with kPanelOKReturn or kPanelCancelReturn.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runloop.h"
#include "platform/ui/dialog_answers.h"
#include "platform/ui/dialog_run.h"
#include "platform/ui/window.h"
#include "platform/ui/window_registry.h"

namespace platform::ui {

inline constexpr int kPanelOKReturn = 1;
inline constexpr int kPanelCancelReturn = 0;

class OpenPanel : public Window {
 public:
  using EndHandler = std::function<void(int return_code)>;

  // The panel joins `registry` (the program's control port reaches it) under `name`; end
  // handlers are queued on `loop`. Both must outlive the panel. It starts in the home folder
  // ($HOME when absolute, else "/"), choosing one file of any type.
  OpenPanel(WindowRegistry& registry, RunLoop& loop, std::string program,
            std::string name = "open-panel");
  ~OpenPanel() override;

  bool can_choose_files() const { return choose_files_; }
  void set_can_choose_files(bool choose);
  bool can_choose_directories() const { return choose_directories_; }
  void set_can_choose_directories(bool choose);
  bool allows_multiple_selection() const { return multiple_; }
  void set_allows_multiple_selection(bool multiple);
  // Extensions without their dot ("scel"; a leading dot is dropped); empty: any type.
  const std::vector<std::string>& allowed_file_types() const { return types_; }
  void set_allowed_file_types(std::vector<std::string> types);
  // The title of the button that would open ("Open" at first); the window's title is the
  // panel's title ("Open" at first).
  const std::string& prompt() const { return prompt_; }
  void set_prompt(std::string prompt);

  // Where the panel starts, and after an OK the folder that holds the first item chosen.
  // A relative folder is taken from the working folder.
  const std::filesystem::path& directory() const { return directory_; }
  void set_directory(const std::filesystem::path& directory);

  // Shows the panel, takes the answer queued for it (or cancels, logged), hides it and returns
  // the return code.
  int run_modal();
  // Shows the panel, as a window of its own or as a sheet at the top of `parent`, until an
  // answer (one queued already is taken at once), the Cancel button or Escape ends it;
  // `on_end` then runs on the loop with the return code. False, and nothing shown, while it
  // runs already, or for a sheet on a window that carries one.
  bool begin(EndHandler on_end);
  bool begin_sheet(Window& parent, EndHandler on_end);
  bool is_running() const { return running_; }

  // The items chosen by the last OK, absolute and canonical (see above); empty after a cancel.
  const std::vector<std::filesystem::path>& urls() const { return chosen_; }
  std::vector<std::string> filenames() const;
  // The return code of the last run; -1 before one ended.
  int return_code() const { return return_code_; }

  bool can_become_key() const override { return true; }
  // Escape cancels.
  bool key_down(std::string_view characters) override;

 private:
  bool start(EndHandler on_end, Window* parent, bool modal);
  void build_views();
  // "" when the answer may be taken, the items it chooses in `chosen` (none for a cancel);
  // else why it is refused.
  std::string check_answer(const DialogAnswers::Values& values,
                           std::vector<std::filesystem::path>& chosen) const;
  // "" with the item in `item` when one path passes the rules, else why not.
  std::string check_path(const std::string& value, std::filesystem::path& item) const;
  void end(int return_code, std::vector<std::filesystem::path> chosen, std::string_view how);
  void show_summary();
  std::string described() const;

  bool choose_files_ = true;
  bool choose_directories_ = false;
  bool multiple_ = false;
  std::vector<std::string> types_;
  std::string prompt_ = "Open";
  std::filesystem::path directory_;
  std::string parent_;
  std::vector<std::filesystem::path> chosen_;
  int return_code_ = -1;
  std::string answered_by_;
  bool running_ = false;
  DialogRun run_;
};

}  // namespace platform::ui
