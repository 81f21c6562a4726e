// The code-table pane as the preferences program holds it, with the user's table folder and a
// scratch folder for the tables' sources.
#pragma once

#include <string>
#include <vector>

#include "preferences/panekit/testing/pane_fixture.h"

namespace codetablepane_test {

namespace fs = std::filesystem;
using panekit_test::names_in;
using panekit_test::read_file;
using panekit_test::write_file;

class PaneTest : public panekit_test::PaneFixture {
 protected:
  void SetUp() override;
  void TearDown() override { stop_pane(); }

  fs::path tables() const { return home() / "Library/KEP/PlugCodeTable"; }
  fs::path scratch() const { return temp_.path() / "scratch"; }

  // A complete table in `folder`: built from `source`, with `line` as its scheme line.
  void make_table(const fs::path& folder, const std::string& name, const std::string& source,
                  const std::string& line = "5|*|1|1|0|0|a-z|a-z");
  // Shows the pane with these settings, as the program does when the pane is first shown.
  void show(platform::plist::Dictionary prefs);

  // The informative text of the last alert of that name; empty when none ran.
  std::string alert_text(const std::string& name) const;
  // The rows of the scheme list, in order.
  std::vector<std::string> rows() const;

  platform::plist::Dictionary prefs_;
};

}  // namespace codetablepane_test
