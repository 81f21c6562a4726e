// The abbreviation list of the accessory panel: the texts of the abbreviation table, one row
// each. A double click on a row sends its text to the application; the list is never edited.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/table_view.h"

namespace imkkep {

class KEPAccAbbrDatasource : public platform::ui::TableDataSource {
 public:
  using SendText = std::function<void(std::string_view text)>;
  static constexpr const char* kTextColumn = "TEXT";

  explicit KEPAccAbbrDatasource(SendText send) : send_(std::move(send)) {}

  // Takes the texts of the abbreviation table in its own order, every text of every key.
  void load();
  const std::vector<std::string>& texts() const { return _abbr; }

  int number_of_rows(const platform::ui::TableView& table) override;
  std::optional<std::string> object_value(const platform::ui::TableView& table,
                                          std::string_view column, int row) override;
  bool should_edit(platform::ui::TableView& table, std::string_view column, int row) override;

 private:
  std::vector<std::string> _abbr;
  SendText send_;
};

}  // namespace imkkep
