#include "pane_harness.h"

#include "platform/ui/alert.h"
#include "platform/ui/table_view.h"
#include "preferences/codetable/table_build.h"

namespace codetablepane_test {

void PaneTest::SetUp() {
  fs::create_directories(scratch());
  start_pane(KEP_CODETABLE_PANE_BUNDLE);
}

void PaneTest::show(platform::plist::Dictionary prefs) {
  prefs_ = std::move(prefs);
  show_in_window("CodeTablePaneTest", 460);
  pane_->loadPrefs(prefs_);
}

void PaneTest::make_table(const fs::path& folder, const std::string& name, const std::string& source,
                          const std::string& line) {
  fs::create_directories(folder);
  const fs::path text = scratch() / (name + ".source.txt");
  write_file(text, source);
  std::string error;
  ASSERT_EQ(codetable::BuildSQLPlug(text, name, folder, nullptr, &error), 0) << error;
  write_file(folder / (name + ".pct"), line);
}

std::string PaneTest::alert_text(const std::string& name) const {
  auto* alert = dynamic_cast<platform::ui::Alert*>(window(name));
  return alert != nullptr ? alert->informative_text() : std::string();
}

std::vector<std::string> PaneTest::rows() const {
  std::vector<std::string> shown;
  auto* list = find_as<platform::ui::TableView>("schemeList");
  if (list == nullptr || list->data_source() == nullptr) return shown;
  const int count = list->data_source()->number_of_rows(*list);
  for (int row = 0; row < count; ++row) {
    shown.push_back(list->data_source()->object_value(*list, "NAME", row).value_or("<none>"));
  }
  return shown;
}

}  // namespace codetablepane_test
