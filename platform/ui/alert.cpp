#include "platform/ui/alert.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/ui/controls.h"
#include "platform/ui/view.h"

namespace platform::ui {
namespace {

constexpr double kAlertWidth = 420;
constexpr double kMargin = 20;
constexpr double kMessageHeight = 18;
constexpr double kInformativeLineHeight = 15;
constexpr double kButtonHeight = 24;
constexpr double kButtonGap = 8;
constexpr double kMinButtonWidth = 80;

int line_count(std::string_view text) {
  return 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

Alert::Alert(WindowRegistry& registry, RunLoop& loop, std::string program, std::string name)
    : Window(std::move(program), std::move(name), Rect{0, 0, kAlertWidth, 120}),
      run_(*this, registry, loop, kAlertAnswer) {
  set_level(kModalPanelWindowLevel);
  registry.add(*this);
  show_summary();
}

Alert::~Alert() = default;

void Alert::set_message_text(std::string text) {
  message_ = std::move(text);
  show_summary();
}

void Alert::set_informative_text(std::string text) {
  informative_ = std::move(text);
  show_summary();
}

int Alert::add_button(std::string key, std::string title) {
  if (running_ || key.empty() || return_code(key) >= 0) return -1;
  if (buttons_.empty()) default_key_ = key;
  buttons_.push_back(AlertButton{std::move(key), std::move(title)});
  show_summary();
  return kAlertFirstButtonReturn + static_cast<int>(buttons_.size()) - 1;
}

bool Alert::set_default_button(std::string_view key) {
  if (return_code(key) < 0) return false;
  default_key_ = std::string(key);
  show_summary();
  return true;
}

int Alert::return_code(std::string_view key) const {
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    if (buttons_[i].key == key) return kAlertFirstButtonReturn + static_cast<int>(i);
  }
  return -1;
}

std::string Alert::described_message() const {
  return "alert \"" + (message_.empty() ? name() : message_) + "\"";
}

void Alert::build_views() {
  const double informative_height =
      informative_.empty() ? 0 : line_count(informative_) * kInformativeLineHeight + kButtonGap;
  const double height =
      kMargin + kMessageHeight + informative_height + kMargin + kButtonHeight + kMargin;
  Rect placed = frame();
  placed.width = kAlertWidth;
  placed.height = height;
  set_frame(placed);

  auto root = std::make_unique<View>();
  double top = height - kMargin - kMessageHeight;
  auto& message = root->add_subview(std::make_unique<TextField>(
      Rect{kMargin, top, kAlertWidth - 2 * kMargin, kMessageHeight}, message_));
  message.set_identifier("message");
  if (!informative_.empty()) {
    const double lines = informative_height - kButtonGap;
    top -= kButtonGap + lines;
    auto& informative = root->add_subview(
        std::make_unique<TextView>(Rect{kMargin, top, kAlertWidth - 2 * kMargin, lines}));
    informative.set_text(informative_);
    informative.set_editable(false);
    informative.set_font(system_font(kSmallSystemFontSize));
    informative.set_identifier("informative");
  }
  // The first button sits at the right, the later ones to its left.
  double right = kAlertWidth - kMargin;
  for (const AlertButton& each : buttons_) {
    const double width = std::max(
        kMinButtonWidth, std::ceil(gfx::measure(each.title, system_font()).width) + 24);
    auto& button = root->add_subview(std::make_unique<Button>(
        Rect{right - width, kMargin, width, kButtonHeight}, each.title));
    button.set_identifier(each.key);
    button.set_tag(return_code(each.key));
    const std::string key = each.key;
    button.set_action([this, key](Button&) {
      if (running_) end(key, "by a click");
    });
    right -= width + kButtonGap;
  }
  set_content_view(std::move(root));
}

int Alert::run_modal() {
  if (!start(nullptr, nullptr, true)) return -1;
  if (running_) end(default_key_, "by default");
  return return_code(answer_);
}

bool Alert::begin(EndHandler on_end) { return start(std::move(on_end), nullptr, false); }

bool Alert::begin_sheet(Window& parent, EndHandler on_end) {
  return start(std::move(on_end), &parent, false);
}

bool Alert::start(EndHandler on_end, Window* parent, bool modal) {
  if (buttons_.empty() || running_) return false;
  if (parent != nullptr && !can_begin_sheet(*parent)) return false;
  running_ = true;
  answer_.clear();
  answered_by_.clear();
  parent_ = parent ? parent->name() : std::string();
  build_views();
  show_summary();
  run_.start(parent, std::move(on_end), modal, described_message(),
             [this](const DialogAnswers::Values& values, std::string_view how) {
               std::string refused = check_answer(values);
               if (refused.empty()) end(values.front(), how);
               return refused;
             });
  return true;
}

std::string Alert::check_answer(const DialogAnswers::Values& values) const {
  if (values.size() != 1) return "an alert is answered by one button key";
  if (return_code(values.front()) < 0) return "the alert has no button \"" + values.front() + "\"";
  return {};
}

bool Alert::key_down(std::string_view characters) {
  if (!running_ || (characters != "\r" && characters != " ")) return false;
  end(default_key_, "by the keyboard");
  return true;
}

void Alert::end(const std::string& key, std::string_view how) {
  running_ = false;
  answer_ = key;
  answered_by_ = std::string(how);
  show_summary();
  run_.finish(return_code(key), described_message(), key, how);
}

void Alert::show_summary() {
  plist::Dictionary shows;
  shows.set("message", message_);
  shows.set("informative", informative_);
  plist::Array buttons;
  for (const AlertButton& each : buttons_) {
    plist::Dictionary button;
    button.set("key", each.key);
    button.set("title", each.title);
    button.set("returnCode", return_code(each.key));
    button.set("default", each.key == default_key_);
    buttons.push_back(std::move(button));
  }
  shows.set("buttons", std::move(buttons));
  shows.set("default", default_key_);
  shows.set("sheet", !parent_.empty());
  if (!parent_.empty()) shows.set("parent", parent_);
  shows.set("running", running_);
  shows.set("answer", answer_);
  shows.set("answeredBy", answered_by_);
  set_shows(std::move(shows));
}

}  // namespace platform::ui
