// The extra codes of a code table (".ex"): codes the user adds by hand, kept in an SQLite
// database with table exdb(key char(12), val char(64), freq integer) and the index ix_exdb on
// (key, val). The pane replaces all rows on each save.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace codetable {

struct ExtraCode {
  std::string key;
  std::string value;
  std::int64_t count = 0;

  bool operator==(const ExtraCode&) const = default;
};

// Creates the database with its table and index when the file does not exist. false with the
// reason.
bool CreateExtraCodes(const std::string& path, std::string* error);
// Replaces every row by `codes` in one transaction (creating the database when missing), so a
// failure keeps the old rows. Values are bound, so any text, quotes included, is stored as it is.
bool ReplaceExtraCodes(const std::string& path, const std::vector<ExtraCode>& codes, std::string* error);
// Every row, in table order.
bool ReadExtraCodes(const std::string& path, std::vector<ExtraCode>* codes, std::string* error);

}  // namespace codetable
