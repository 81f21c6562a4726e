#include "pane_harness.h"

#include <algorithm>
#include <map>

namespace dictpane_test {

std::map<std::string, std::string> tree_of(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    files[fs::relative(entry.path(), folder).string()] =
        entry.is_regular_file() ? read_file(entry.path()) : std::string("<folder>");
  }
  return files;
}

scel::WriterContents cell_dict(const std::string& uid, std::size_t count, const std::string& name,
                               const std::string& remark, std::int32_t version) {
  static const std::vector<std::string> kSyllables = {"zhong", "guo", "ren", "min", "da",
                                                      "xue",   "shi", "jie", "he",  "ping"};
  static const std::vector<std::string> kCharacters = {"中", "国", "人", "民", "大",
                                                       "学", "世", "界", "和", "平"};
  scel::WriterContents contents;
  contents.uid = uid;
  contents.name = name;
  contents.remark = remark;
  contents.samples = {"中国"};
  contents.version = version;
  for (std::size_t i = 0; i < count; ++i) {
    // Every word its own: two syllables and two characters picked by the digits of i.
    const std::size_t a = i % 10, b = (i / 10) % 10;
    std::vector<std::string> syllables = {kSyllables[a], kSyllables[b]};
    std::string text = kCharacters[a] + kCharacters[b];
    for (std::size_t rest = i / 100; rest > 0; rest /= 10) {
      syllables.push_back(kSyllables[rest % 10]);
      text += kCharacters[rest % 10];
    }
    contents.words.push_back({syllables, text, static_cast<float>(i % 1000)});
  }
  return contents;
}

std::string cell_dict_bytes(const scel::WriterContents& contents) {
  std::string error;
  auto bytes = scel::encode_file(contents, &error);
  EXPECT_TRUE(bytes.has_value()) << error;
  return bytes.value_or("");
}

void write_cell_dict(const fs::path& path, const scel::WriterContents& contents) {
  write_file(path, cell_dict_bytes(contents));
}

PostCounter::PostCounter(platform::RunLoop& loop, const std::string& name,
                         const std::string& object) {
  std::error_code error;
  center_ = platform::notify::DistributedCenter::create(loop, error);
  EXPECT_TRUE(center_) << error.message();
  if (center_) {
    center_->add_observer(name, object, [this](const platform::notify::Notification&) { ++count_; });
  }
}

void PaneTest::SetUp() {
  fs::create_directories(scratch());
  start_pane(KEP_DICTIONARY_PANE_BUNDLE);
  if (HasFatalFailure()) return;
  show_in_window("DictionaryPaneTest", 460);
}

std::vector<std::vector<std::string>> PaneTest::rows() const {
  std::vector<std::vector<std::string>> shown;
  platform::ui::TableView* list = table();
  if (list == nullptr || list->data_source() == nullptr) return shown;
  platform::ui::TableDataSource& source = *list->data_source();
  const int count = source.number_of_rows(*list);
  for (int row = 0; row < count; ++row) {
    std::vector<std::string> cells;
    for (const char* column : {"NAME", "AUTHOR", "DATE", "COUNT"}) {
      cells.push_back(source.object_value(*list, column, row).value_or("<none>"));
    }
    auto image = source.image_value(*list, "TYPE", row);
    cells.push_back(image ? image->name : "<no image>");
    shown.push_back(std::move(cells));
  }
  std::sort(shown.begin(), shown.end());
  return shown;
}

}  // namespace dictpane_test
