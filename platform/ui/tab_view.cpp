#include "platform/ui/tab_view.h"

#include <algorithm>

#include "platform/ui/control_drawing.h"
#include "platform/ui/controls.h"

namespace platform::ui {
namespace {

constexpr double kLabelPadding = 20;

}  // namespace

TabView::TabView(Rect frame) : View(frame) {}

View& TabView::add_tab(std::string identifier, std::string label) {
  auto content = std::make_unique<View>(content_rect());
  content->set_identifier(identifier);
  View& added = add_subview(std::move(content));
  tabs_.push_back(Tab{std::move(identifier), std::move(label), &added});
  if (selected_ < 0) {
    selected_ = 0;
  } else {
    added.set_hidden(true);
  }
  set_needs_display();
  return added;
}

void TabView::select_tab_at(int index) {
  if (index < 0 || index >= number_of_tabs()) return;
  selected_ = index;
  for (int i = 0; i < number_of_tabs(); ++i) tabs_[i].content->set_hidden(i != selected_);
  set_needs_display();
}

View* TabView::tab_content(int index) const {
  if (index < 0 || index >= number_of_tabs()) return nullptr;
  return tabs_[index].content;
}

std::optional<Rect> TabView::label_rect(int index) const {
  if (index < 0 || index >= number_of_tabs()) return std::nullopt;
  const gfx::Font font = system_font();
  double x = 0;
  for (int i = 0;; ++i) {
    const double width = gfx::measure(tabs_[i].label, font).width + kLabelPadding;
    if (i == index) return Rect{x, frame().height - kTabHeight, width, kTabHeight};
    x += width;
  }
}

void TabView::draw(gfx::Canvas& canvas) const {
  const double row_bottom = frame().height - kTabHeight;
  canvas.fill(Rect{0, row_bottom, frame().width, kTabHeight}, look::kBezel);
  const gfx::Font font = system_font();
  for (int i = 0; i < number_of_tabs(); ++i) {
    const Rect label = *label_rect(i);
    if (i == selected_) {
      canvas.fill(label, look::kWhite);
      canvas.stroke(Rect{label.x + 0.5, label.y + 0.5, label.width - 1, label.height - 1},
                    look::kBorder, 1);
    }
    look::text_in_box(canvas, tabs_[i].label, font, label, look::Align::Centre, look::kText);
  }
  canvas.line(gfx::Point{0, row_bottom + 0.5}, gfx::Point{frame().width, row_bottom + 0.5},
              look::kBorder, 1);
}

bool TabView::mouse_down(const MouseEvent& event) {
  for (int i = 0; i < number_of_tabs(); ++i) {
    if (contains(*label_rect(i), event.location)) {
      select_tab_at(i);
      return true;
    }
  }
  return false;
}

const char* TabView::kind() const { return "tabs"; }

void TabView::describe_into(plist::Dictionary& shows) const {
  plist::Array labels;
  for (const Tab& tab : tabs_) labels.push_back(tab.label);
  shows.set("tabs", std::move(labels));
  shows.set("selected", selected_);
}

Rect TabView::content_rect() const {
  return Rect{0, 0, frame().width, std::max(0.0, frame().height - kTabHeight)};
}

void TabView::frame_size_did_change() {
  for (const Tab& tab : tabs_) tab.content->set_frame(content_rect());
}

}  // namespace platform::ui
