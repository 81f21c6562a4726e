#include "platform/ui/open_panel.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "platform/ui/control_command.h"
#include "platform/ui/controls.h"
#include "platform/ui/view.h"

namespace platform::ui {
namespace fs = std::filesystem;
namespace {

constexpr double kPanelWidth = 480;
constexpr double kPanelHeight = 150;
constexpr double kMargin = 20;
constexpr double kLineHeight = 18;
constexpr double kButtonWidth = 90;
constexpr double kButtonHeight = 24;
constexpr double kButtonGap = 8;

std::string lower_ascii(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

fs::path home_folder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home == '/') return fs::path(home).lexically_normal();
  return "/";
}

std::string joined(const std::vector<std::string>& words, std::string_view between) {
  std::string text;
  for (const std::string& word : words) {
    if (!text.empty()) text += between;
    text += word;
  }
  return text;
}

}  // namespace

OpenPanel::OpenPanel(WindowRegistry& registry, RunLoop& loop, std::string program,
                     std::string name)
    : Window(std::move(program), std::move(name), Rect{0, 0, kPanelWidth, kPanelHeight}),
      directory_(home_folder()), run_(*this, registry, loop, kOpenPanelAnswer) {
  set_title("Open");
  set_level(kModalPanelWindowLevel);
  registry.add(*this);
  show_summary();
}

OpenPanel::~OpenPanel() = default;

void OpenPanel::set_can_choose_files(bool choose) {
  choose_files_ = choose;
  show_summary();
}

void OpenPanel::set_can_choose_directories(bool choose) {
  choose_directories_ = choose;
  show_summary();
}

void OpenPanel::set_allows_multiple_selection(bool multiple) {
  multiple_ = multiple;
  show_summary();
}

void OpenPanel::set_allowed_file_types(std::vector<std::string> types) {
  for (std::string& type : types) {
    if (!type.empty() && type.front() == '.') type.erase(0, 1);
  }
  std::erase_if(types, [](const std::string& type) { return type.empty(); });
  types_ = std::move(types);
  show_summary();
}

void OpenPanel::set_prompt(std::string prompt) {
  prompt_ = std::move(prompt);
  show_summary();
}

void OpenPanel::set_directory(const fs::path& directory) {
  std::error_code error;
  fs::path absolute = fs::absolute(directory, error);
  if (error) return;
  directory_ = absolute.lexically_normal();
  show_summary();
}

std::vector<std::string> OpenPanel::filenames() const {
  std::vector<std::string> names;
  for (const fs::path& item : chosen_) names.push_back(item.string());
  return names;
}

std::string OpenPanel::described() const {
  return "open panel \"" + (title().empty() ? name() : title()) + "\"";
}

void OpenPanel::build_views() {
  auto root = std::make_unique<View>();
  double top = kPanelHeight - kMargin - kLineHeight;
  auto& heading = root->add_subview(std::make_unique<TextField>(
      Rect{kMargin, top, kPanelWidth - 2 * kMargin, kLineHeight}, title()));
  heading.set_identifier("title");
  top -= kLineHeight + 4;
  auto& folder = root->add_subview(std::make_unique<TextField>(
      Rect{kMargin, top, kPanelWidth - 2 * kMargin, kLineHeight}, directory_.string()));
  folder.set_identifier("directory");
  folder.set_font(system_font(kSmallSystemFontSize));
  top -= kLineHeight;
  std::string kinds = choose_files_ && choose_directories_ ? "Files and folders"
                      : choose_directories_                 ? "Folders"
                                                            : "Files";
  kinds += types_.empty() ? " of any type" : " of type " + joined(types_, ", ");
  auto& types = root->add_subview(std::make_unique<TextField>(
      Rect{kMargin, top, kPanelWidth - 2 * kMargin, kLineHeight}, kinds));
  types.set_identifier("types");
  types.set_font(system_font(kSmallSystemFontSize));

  // The items come by answers: there is nothing to click the prompt for.
  const double right = kPanelWidth - kMargin;
  auto& open = root->add_subview(std::make_unique<Button>(
      Rect{right - kButtonWidth, kMargin, kButtonWidth, kButtonHeight}, prompt_));
  open.set_identifier("ok");
  open.set_enabled(false);
  auto& cancel = root->add_subview(std::make_unique<Button>(
      Rect{right - 2 * kButtonWidth - kButtonGap, kMargin, kButtonWidth, kButtonHeight},
      "Cancel"));
  cancel.set_identifier("cancel");
  cancel.set_action([this](Button&) {
    if (running_) end(kPanelCancelReturn, {}, "by a click");
  });
  set_content_view(std::move(root));
}

int OpenPanel::run_modal() {
  if (!start(nullptr, nullptr, true)) return -1;
  if (running_) end(kPanelCancelReturn, {}, "by default");
  return return_code_;
}

bool OpenPanel::begin(EndHandler on_end) { return start(std::move(on_end), nullptr, false); }

bool OpenPanel::begin_sheet(Window& parent, EndHandler on_end) {
  return start(std::move(on_end), &parent, false);
}

bool OpenPanel::start(EndHandler on_end, Window* parent, bool modal) {
  if (running_) return false;
  if (parent != nullptr && !can_begin_sheet(*parent)) return false;
  running_ = true;
  chosen_.clear();
  return_code_ = -1;
  answered_by_.clear();
  parent_ = parent ? parent->name() : std::string();
  build_views();
  show_summary();
  run_.start(parent, std::move(on_end), modal, described(),
             [this](const DialogAnswers::Values& values, std::string_view how) {
               std::vector<fs::path> chosen;
               std::string refused = check_answer(values, chosen);
               if (refused.empty()) {
                 const int code = chosen.empty() ? kPanelCancelReturn : kPanelOKReturn;
                 end(code, std::move(chosen), how);
               }
               return refused;
             });
  return true;
}

std::string OpenPanel::check_answer(const DialogAnswers::Values& values,
                                    std::vector<fs::path>& chosen) const {
  chosen.clear();
  if (values.size() == 1 && values.front() == kOpenPanelCancel) return {};
  if (values.empty()) return "an open panel is answered by paths or \"cancel\"";
  if (values.size() > 1 && !multiple_) {
    return "the panel takes one item, not " + std::to_string(values.size());
  }
  for (const std::string& value : values) {
    fs::path item;
    if (std::string refused = check_path(value, item); !refused.empty()) {
      chosen.clear();
      return refused;
    }
    chosen.push_back(std::move(item));
  }
  return {};
}

std::string OpenPanel::check_path(const std::string& value, fs::path& item) const {
  if (value.empty()) return "an empty path";
  fs::path given = fs::path(value).is_absolute() ? fs::path(value) : directory_ / value;
  // "a/b/" names b.
  while (!given.has_filename() && given.has_relative_path()) given = given.parent_path();
  std::error_code error;
  const fs::path name = given.filename();
  if (!given.has_relative_path() || name == "." || name == "..") {
    // The root, or a folder reached through dots: resolved whole.
    item = fs::canonical(given, error);
  } else {
    // The folders on the way are resolved; the item itself is what was named.
    item = fs::canonical(given.parent_path(), error) / name;
  }
  if (error) return "no such file or folder: " + given.string();
  const fs::file_status status = fs::symlink_status(item, error);
  if (error || status.type() == fs::file_type::not_found) {
    return "no such file or folder: " + item.string();
  }
  switch (status.type()) {
    case fs::file_type::directory:
      if (!choose_directories_) return item.string() + " is a folder; the panel chooses files";
      break;
    case fs::file_type::regular:
      if (!choose_files_) return item.string() + " is a file; the panel chooses folders";
      break;
    case fs::file_type::symlink:
      return item.string() + " is a symbolic link, neither a file nor a folder";
    default:
      return item.string() + " is neither a file nor a folder";
  }
  if (types_.empty()) return {};
  std::string extension = item.filename().extension().string();
  if (!extension.empty()) extension = lower_ascii(extension.substr(1));
  for (const std::string& type : types_) {
    if (!extension.empty() && lower_ascii(type) == extension) return {};
  }
  return item.string() + " is not of an allowed type (" + joined(types_, ", ") + ")";
}

bool OpenPanel::key_down(std::string_view characters) {
  if (!running_ || characters != "\x1b") return false;
  end(kPanelCancelReturn, {}, "by the keyboard");
  return true;
}

void OpenPanel::end(int return_code, std::vector<fs::path> chosen, std::string_view how) {
  running_ = false;
  return_code_ = return_code;
  chosen_ = std::move(chosen);
  if (!chosen_.empty()) directory_ = chosen_.front().parent_path();
  answered_by_ = std::string(how);
  std::string answer(kOpenPanelCancel);
  if (!chosen_.empty()) {
    answer.clear();
    for (const fs::path& item : chosen_) {
      if (!answer.empty()) answer += ' ';
      answer += '"' + item.string() + '"';
    }
  }
  show_summary();
  run_.finish(return_code, described(), answer, how);
}

void OpenPanel::show_summary() {
  plist::Dictionary shows;
  shows.set("prompt", prompt_);
  shows.set("directory", directory_.string());
  shows.set("canChooseFiles", choose_files_);
  shows.set("canChooseDirectories", choose_directories_);
  shows.set("allowsMultipleSelection", multiple_);
  plist::Array types;
  for (const std::string& type : types_) types.push_back(type);
  shows.set("allowedFileTypes", std::move(types));
  shows.set("sheet", !parent_.empty());
  if (!parent_.empty()) shows.set("parent", parent_);
  shows.set("running", running_);
  shows.set("returnCode", return_code_);
  plist::Array chosen;
  for (const fs::path& item : chosen_) chosen.push_back(item.string());
  shows.set("filenames", std::move(chosen));
  shows.set("answeredBy", answered_by_);
  set_shows(std::move(shows));
}

}  // namespace platform::ui
