#include "IMKKEP/windows/KEPAccAbbrDatasource.h"

#include "CoreSource/tables/vmode.h"

namespace imkkep {

void KEPAccAbbrDatasource::load() {
  _abbr.clear();
  for (const ime_vmode_entry_t& entry : QAAbbrEntries()) {
    _abbr.insert(_abbr.end(), entry.items.begin(), entry.items.end());
  }
}

int KEPAccAbbrDatasource::number_of_rows(const platform::ui::TableView&) {
  return static_cast<int>(_abbr.size());
}

std::optional<std::string> KEPAccAbbrDatasource::object_value(const platform::ui::TableView&,
                                                              std::string_view column, int row) {
  if (column != kTextColumn || row < 0 || row >= static_cast<int>(_abbr.size())) {
    return std::nullopt;
  }
  return _abbr[row];
}

bool KEPAccAbbrDatasource::should_edit(platform::ui::TableView&, std::string_view, int row) {
  if (row >= 0 && row < static_cast<int>(_abbr.size()) && send_) {
    // A copy: sending may reach code that reloads this list.
    const std::string text = _abbr[row];
    send_(text);
  }
  return false;
}

}  // namespace imkkep
