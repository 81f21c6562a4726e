#include "preferences/codetablepane/option_form.h"

#include <memory>

namespace codetablepane {

using platform::ui::Rect;

namespace {

constexpr double kLabelWidth = 110;
constexpr double kLine = 26;

platform::ui::TextField* add_field(platform::ui::View& view, Rect frame, const std::string& identifier,
                                   platform::ui::TextLimits limits) {
  auto field = std::make_unique<platform::ui::TextField>(frame);
  field->set_identifier(identifier);
  field->set_editable(true);
  field->set_limits(std::move(limits));
  return &view.add_subview(std::move(field));
}

platform::ui::RadioMatrix* add_methods(platform::ui::View& view, Rect frame, const std::string& identifier,
                                       const char* first, const char* second) {
  auto matrix = std::make_unique<platform::ui::RadioMatrix>(frame, 1, 2);
  matrix->set_identifier(identifier);
  matrix->set_title(0, 0, first);
  matrix->set_title(0, 1, second);
  return &view.add_subview(std::move(matrix));
}

}  // namespace

void OptionForm::add_to(platform::ui::View& view, double left, double top, const std::string& prefix) {
  const auto label = [&](double y, const char* text) {
    view.add_subview(std::make_unique<platform::ui::TextField>(Rect{left, y, kLabelWidth, 20}, text));
  };
  const double field_left = left + kLabelWidth;
  label(top, "Longest code:");
  platform::ui::TextLimits digits;
  digits.max_characters = 2;
  digits.accepts = [](char32_t c) { return c >= U'0' && c <= U'9'; };
  max_key_ = add_field(view, Rect{field_left, top, 40, 20}, prefix + "MaxKey", digits);
  label(top - kLine, "Wildcard:");
  wildcard_ = add_field(view, Rect{field_left, top - kLine, 40, 20}, prefix + "WildCard", {});

  auto check = [&](double y, const std::string& identifier, const char* title) {
    auto box = std::make_unique<platform::ui::CheckBox>(Rect{left, y, 240, 22}, title);
    box->set_identifier(identifier);
    return &view.add_subview(std::move(box));
  };
  auto_confirm_ = check(top - 2 * kLine, prefix + "AutoConfirm", "Confirm a full code at once");
  show_left_ = check(top - 3 * kLine, prefix + "ShowLeft", "Show the codes still to type");
  label(top - 4 * kLine, "Match:");
  match_ = add_methods(view, Rect{field_left, top - 4 * kLine, 220, 20}, prefix + "Match", "Prefix", "Exact");
  label(top - 5 * kLine, "Order:");
  sort_ = add_methods(view, Rect{field_left, top - 5 * kLine, 220, 20}, prefix + "Sort", "Source", "Code");
}

void OptionForm::show(const codetable::SchemeLine* scheme) {
  if (scheme == nullptr) {
    clear_fields();
    auto_confirm_->set_on(true);
    show_left_->set_on(true);
    match_->select_cell(0, 0);
    sort_->select_cell(0, 0);
    return;
  }
  max_key_->set_text(std::to_string(scheme->max_key_length));
  const char wildcard = scheme->wildcard;
  wildcard_->set_text(wildcard == codetable::kDefaultWildcard || wildcard == '\0' ? "" : std::string(1, wildcard));
  auto_confirm_->set_on(scheme->auto_confirm != 0);
  show_left_->set_on(scheme->show_left != 0);
  match_->select_cell(0, scheme->match_method == 0 ? 0 : 1);
  sort_->select_cell(0, scheme->sort_method == 0 ? 0 : 1);
}

void OptionForm::clear_fields() {
  max_key_->set_text("");
  wildcard_->set_text("");
}

void OptionForm::set_enabled(bool enabled) {
  max_key_->set_enabled(enabled);
  wildcard_->set_enabled(enabled);
  auto_confirm_->set_enabled(enabled);
  show_left_->set_enabled(enabled);
  match_->set_enabled(enabled);
  sort_->set_enabled(enabled);
}

int OptionForm::max_key_length() const {
  int value = 0;
  for (char c : max_key_->text()) {
    if (c < '0' || c > '9' || value > kMaxKeyLimit) break;
    value = value * 10 + (c - '0');
  }
  return value;
}

codetable::SchemeLine OptionForm::read(codetable::SchemeLine scheme) const {
  scheme.max_key_length = max_key_length();
  scheme.wildcard = codetable::IsWildcard(wildcard_->text()) ? wildcard_->text().front()
                                                             : codetable::kDefaultWildcard;
  scheme.auto_confirm = auto_confirm_->is_on() ? 1 : 0;
  scheme.show_left = show_left_->is_on() ? 1 : 0;
  scheme.match_method = match_->selected_column() == 0 ? 0 : 1;
  scheme.sort_method = sort_->selected_column() == 0 ? 0 : 1;
  return scheme;
}

}  // namespace codetablepane
