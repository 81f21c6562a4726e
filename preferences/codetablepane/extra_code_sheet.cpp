#include "preferences/codetablepane/extra_code_sheet.h"

#include <sys/stat.h>

#include <vector>

#include "platform/ui/window_registry.h"
#include "preferences/codetable/extra_codes.h"
#include "preferences/codetable/extra_codes_text.h"
#include "preferences/codetablepane/dialogs.h"
#include "preferences/codetablepane/pane_log.h"
#include "preferences/panekit/pane_bundle.h"

namespace codetablepane {

using platform::ui::Rect;

namespace {

constexpr double kWidth = 460;
constexpr double kHeight = 340;

bool exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

ExtraCodeSheet::ExtraCodeSheet(platform::RunLoop& loop, platform::ui::Window& parent)
    : loop_(loop), parent_(parent), window_(parent.program(), kExtraCodeSheetName, Rect{0, 0, kWidth, kHeight}) {
  if (parent.registry() != nullptr) parent.registry()->add(window_);
  build_views();
}

ExtraCodeSheet::~ExtraCodeSheet() {
  alert_.reset();
  if (window_.is_sheet()) window_.order_out();
}

void ExtraCodeSheet::build_views() {
  auto root = std::make_unique<platform::ui::View>(Rect{0, 0, kWidth, kHeight});
  auto text = std::make_unique<platform::ui::TextView>(Rect{20, 60, kWidth - 40, kHeight - 80});
  text->set_identifier("newCodeView");
  text->set_editable(true);
  _newCodeView = &root->add_subview(std::move(text));
  const auto button = [&root](Rect frame, const char* identifier, const char* title, std::function<void()> action) {
    auto made = std::make_unique<platform::ui::Button>(frame, title);
    made->set_identifier(identifier);
    made->set_action([action = std::move(action)](platform::ui::Button&) { action(); });
    root->add_subview(std::move(made));
  };
  button(Rect{kWidth - 220, 16, 96, 28}, "quitNewCode", "Cancel", [this] { quitNewCode(); });
  button(Rect{kWidth - 116, 16, 96, 28}, "saveNewCode", "Save", [this] { saveNewCode(); });
  window_.set_content_view(std::move(root));
}

void ExtraCodeSheet::error(const std::string& key) {
  run_alert(alert_, parent_, loop_, "CodeTableError", "ERROR_TITLE", panekit::pane_string(key));
}

bool ExtraCodeSheet::open(const std::string& path) {
  if (window_.is_sheet()) return false;
  std::string why;
  if (!codetable::CreateExtraCodes(path, &why)) {
    pane_log(why);
    error("ERROR_CREATE_DB");
    return false;
  }
  std::vector<codetable::ExtraCode> codes;
  if (!codetable::ReadExtraCodes(path, &codes, &why)) {
    pane_log(why);
    error("ERROR_LIST_DB");
    return false;
  }
  path_ = path;
  _newCodeView->set_text(codetable::FormatExtraCodes(panekit::pane_string("EXDB_HEADER"), codes));
  if (!window_.begin_sheet(parent_, loop_, [](int) {})) return false;
  window_.make_first_responder(_newCodeView);
  return true;
}

void ExtraCodeSheet::saveNewCode() {
  if (!window_.is_sheet()) return;
  // The sheet closes whatever the outcome; a failure is told after.
  const std::string text = _newCodeView->text();
  close();
  if (!exists(path_)) {
    error("ERROR_FIND_DB");
    return;
  }
  std::string why;
  if (!codetable::ReplaceExtraCodes(path_, codetable::ParseExtraCodes(text), &why)) {
    pane_log(why);
    error("ERROR_CLEAR_DB");
  }
}

void ExtraCodeSheet::quitNewCode() { close(); }

void ExtraCodeSheet::close() {
  if (window_.is_sheet()) window_.end_sheet(0);
}

}  // namespace codetablepane
