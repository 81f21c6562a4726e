// The dictionary pane as the preferences program holds it, shown in the preferences window, with
// the user's dictionary folder and cell dictionaries made for the tests.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "celldict/scel_writer.h"
#include "platform/files.h"
#include "platform/notify.h"
#include "platform/ui/controls.h"
#include "platform/ui/progress_indicator.h"
#include "platform/ui/table_view.h"
#include "platform/ui/view.h"
#include "platform/ui/window.h"
#include "preferences/panekit/testing/pane_fixture.h"

namespace dictpane_test {

namespace fs = std::filesystem;
using platform::plist::Dictionary;
using platform::plist::Value;

using panekit_test::names_in;
using panekit_test::read_file;
using panekit_test::write_file;

// The dictionary pane's staged bundle, loaded once.
struct LoadedBundle {
  static panekit_test::LoadedBundle& get() {
    return panekit_test::LoadedBundle::get(KEP_DICTIONARY_PANE_BUNDLE);
  }
};

// Every file under a folder with its bytes, to show a folder was left byte for byte.
std::map<std::string, std::string> tree_of(const fs::path& folder);

// A cell dictionary of `count` two-character words.
scel::WriterContents cell_dict(const std::string& uid, std::size_t count,
                               const std::string& name = "Test words",
                               const std::string& remark = "for the pane's tests",
                               std::int32_t version = 1262304000);
void write_cell_dict(const fs::path& path, const scel::WriterContents& contents);
std::string cell_dict_bytes(const scel::WriterContents& contents);

// Distributed notifications of one name and object seen on the loop.
class PostCounter {
 public:
  PostCounter(platform::RunLoop& loop, const std::string& name, const std::string& object);
  int count() const { return count_; }

 private:
  std::unique_ptr<platform::notify::DistributedCenter> center_;
  int count_ = 0;
};

class PaneTest : public panekit_test::PaneFixture {
 protected:
  void SetUp() override;
  void TearDown() override { stop_pane(); }

  fs::path dictionaries() const { return home() / "Library/KEP/Dictionary"; }
  fs::path scratch() const { return temp_.path() / "scratch"; }

  platform::ui::TableView* table() const { return find_as<platform::ui::TableView>("dictList"); }
  // The dictionary table's rows: NAME, AUTHOR, DATE, COUNT and the TYPE picture's name.
  std::vector<std::vector<std::string>> rows() const;
};

}  // namespace dictpane_test
