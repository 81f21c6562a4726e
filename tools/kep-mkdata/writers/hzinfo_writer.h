// Writes the hanzi information file (hzdb.db) and its perfect-hash index (hzdb.idx) in the
// form CoreSource/hzinfo.h describes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "CoreSource/tables/hzinfo.h"

namespace mkdata {

struct HzInfoFiles {
  std::string database;  // hzdb.db
  std::string index;     // hzdb.idx
};

// nullopt with the reason when there are no entries, a hanzi is empty or repeated, or the
// index cannot be built.
std::optional<HzInfoFiles> write_hzinfo(const std::vector<QAHzInfoEntry>& entries,
                                        std::string* error);

}  // namespace mkdata
