#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "CoreSource/base/datafolder.h"
#include "candidatewindow/app/candidate_controller.h"
#include "candidatewindow/app/vmode_panel.h"
#include "candidatewindow/protocol/ComData.h"
#include "candidatewindow/protocol/message_ids.h"
#include "candidatewindow/protocol/send_to_im.h"
#include "platform/bundle.h"
#include "platform/files.h"
#include "platform/ports.h"
#include "platform/runloop.h"

namespace kepcandidatewindow {
namespace {

namespace fs = std::filesystem;
using kepcandidate::VModeShowMessage;
using platform::plist::Array;
using platform::plist::Dictionary;
using platform::plist::Value;

struct Matched {
  std::string key;
  std::vector<std::string> items;
};

void write_text(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string key_of(const Value& row) {
  const Value* key = row.as_dictionary()->find(kVModeRowKey);
  return key && key->as_string() ? *key->as_string() : "";
}

std::vector<std::string> keys_of(const Array& rows) {
  std::vector<std::string> keys;
  for (const Value& row : rows) keys.push_back(key_of(row));
  return keys;
}

VModeShowMessage typed(std::string value) {
  VModeShowMessage message;
  message.value = std::move(value);
  return message;
}

// Serves the server port of this process and decodes the 115 messages that reach it.
class FakeServer {
 public:
  FakeServer() {
    kepcandidate::setServerProcessId(static_cast<std::int32_t>(getpid()));
    std::error_code error;
    port_ = platform::ports::LocalPort::create(
        *kepcandidate::serverPortName(getpid()),
        [this](std::int32_t id, std::string_view data) -> std::optional<std::string> {
          ids_.push_back(id);
          if (std::optional<Matched> matched = decode(data)) received_.push_back(*matched);
          loop_.stop();
          return std::nullopt;
        },
        loop_, error);
    EXPECT_TRUE(port_) << error.message();
  }
  ~FakeServer() { kepcandidate::setServerProcessId(0); }

  // What arrived within the wait; an expected message ends the wait early.
  const std::vector<Matched>& received(std::chrono::milliseconds wait = std::chrono::milliseconds(300)) {
    loop_.run_for(wait);
    return received_;
  }
  const std::vector<std::int32_t>& ids() const { return ids_; }

 private:
  static std::optional<Matched> decode(std::string_view data) {
    std::optional<Value> parsed = platform::plist::parse(data);
    const Dictionary* fields = parsed ? parsed->as_dictionary() : nullptr;
    if (!fields) return std::nullopt;
    const Value* key = fields->find("KEY");
    const Value* value = fields->find("VALUE");
    if (!key || !key->as_data() || !value || !value->as_array()) return std::nullopt;
    Matched matched{std::string(key->as_data()->begin(), key->as_data()->end()), {}};
    for (const Value& item : *value->as_array()) {
      if (!item.as_data()) return std::nullopt;
      matched.items.emplace_back(item.as_data()->begin(), item.as_data()->end());
    }
    return matched;
  }

  platform::RunLoop loop_;
  std::unique_ptr<platform::ports::LocalPort> port_;
  std::vector<std::int32_t> ids_;
  std::vector<Matched> received_;
};

class VModePanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/kep-vmode-panel.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    work_ = folder;
    fs::create_directories(work_ / "run");
    fs::permissions(work_ / "run", fs::perms::owner_all, fs::perm_options::replace);
    if (const char* home = getenv("HOME")) savedHome_ = home;
    setenv("HOME", (work_ / "home").c_str(), 1);
    setenv("KEP_RUNTIME_DIR", (work_ / "run").c_str(), 1);
    setenv("KEP_RENDER_DIR", (work_ / "render").c_str(), 1);
    setenv("KEP_SCREENS", "0,0,1000,800", 1);
    ime_datafolder_reset_for_testing();
    userTable_ = work_ / "home/Library/KEP/vmode.txt";
    bundle_ = work_ / "IMKKEP.app";
    Dictionary info;
    info.set("CFBundleIdentifier", kInputMethodBundleIdentifier);
    write_text(bundle_ / "Contents/Info.plist", platform::plist::to_xml(info));
    write_text(bundle_ / "Contents/Resources/vmode.txt", "ab shipped s1\nzz last z1,z2\n");
    write_text(userTable_, "abd third d1\nAbc second c1\nab first a1,a2\n");
  }
  void TearDown() override {
    if (savedHome_) setenv("HOME", savedHome_->c_str(), 1);
    unsetenv("KEP_RENDER_DIR");
    unsetenv("KEP_SCREENS");
    ime_datafolder_reset_for_testing();
    std::error_code ignored;
    fs::remove_all(work_, ignored);
  }

  VModePanel::BundleLocator locator() {
    return [this] { return platform::Bundle::at(bundle_); };
  }
  VModePanel::Logger logger() {
    return [this](std::string_view line) { logged_.emplace_back(line); };
  }

  fs::path work_;
  fs::path bundle_;
  fs::path userTable_;
  std::optional<std::string> savedHome_;
  std::vector<std::string> logged_;
  platform::ui::Window window_{"vmodetest", "vmode", platform::ui::Rect{10, 15, 240, 160}};
};

TEST_F(VModePanelTest, RowsAreSortedIgnoringCaseAndUserEntriesHideShippedOnes) {
  VModePanel panel(window_, locator(), logger());
  panel.showFor(typed("v"), false);
  EXPECT_EQ(keys_of(panel.rows()), (std::vector<std::string>{"ab", "Abc", "abd", "zz"}));
  const Dictionary& first = *panel.rows()[0].as_dictionary();
  EXPECT_EQ(*first.find(kVModeRowDescription)->as_string(), "first");
  EXPECT_EQ(first.find(kVModeRowItems)->as_array()->size(), 2u);

  // The table shows key and description of every row, and the first row is selected.
  const platform::ui::TableView& table = panel.table();
  ASSERT_EQ(table.number_of_rows(), 4);
  EXPECT_EQ(panel.object_value(table, kVModeKeyColumn, 3), "zz");
  EXPECT_EQ(panel.object_value(table, kVModeDescriptionColumn, 3), "last");
  EXPECT_EQ(panel.object_value(table, "ITEMS", 3), std::nullopt);
  EXPECT_EQ(panel.object_value(table, kVModeKeyColumn, 4), std::nullopt);
  EXPECT_EQ(panel.object_value(table, kVModeKeyColumn, -1), std::nullopt);
  EXPECT_EQ(table.selected_row(), 0);
  EXPECT_EQ(panel.selectedRow(), 0u);
}

TEST_F(VModePanelTest, TypedTextSelectsTheFirstRowItBeginsAndSendsExactMatches) {
  struct Case {
    const char* value;
    std::optional<std::size_t> selected;
    std::optional<std::string> sentKey;
  };
  const Case cases[] = {
      {"vab", 0, "ab"},
      {"\xEF\xBD\x96" "ab", 0, "ab"},  // a trigger of three bytes is still one character
      {"vAb", 1, std::nullopt},        // case counts, and Abc is longer than the typed key
      {"vabd", 2, "abd"},
      {"vz", 3, std::nullopt},
      {"v", 0, std::nullopt},   // the first row, selected by the load
      {"vq", 0, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    FakeServer server;
    VModePanel panel(window_, locator(), logger());
    panel.showFor(typed(c.value), false);
    EXPECT_EQ(panel.selectedRow(), c.selected);
    const std::vector<Matched>& received =
        server.received(std::chrono::milliseconds(c.sentKey ? 5000 : 300));
    if (!c.sentKey) {
      EXPECT_TRUE(server.ids().empty());
      continue;
    }
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(server.ids()[0], kepcandidate::kKEPSVModeMatched);
    EXPECT_EQ(received[0].key, *c.sentKey);
  }
}

TEST_F(VModePanelTest, ExactMatchSendsTheRowItemsAsUtf8) {
  write_text(userTable_, "ab first \xE4\xBD\xA0,x\n");
  FakeServer server;
  VModePanel panel(window_, locator(), logger());
  panel.showFor(typed("vab"), false);
  const std::vector<Matched>& received = server.received(std::chrono::milliseconds(5000));
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].items, (std::vector<std::string>{"\xE4\xBD\xA0", "x"}));
}

TEST_F(VModePanelTest, UpAndDownStopAtTheEnds) {
  VModePanel panel(window_, locator(), logger());
  panel.showFor(typed("v"), false);
  EXPECT_EQ(panel.selectedRow(), 0u);
  panel.selectPrevious();
  EXPECT_EQ(panel.selectedRow(), 0u);
  panel.selectNext();
  EXPECT_EQ(panel.selectedRow(), 1u);
  for (int step = 0; step < 2; ++step) panel.selectNext();
  EXPECT_EQ(panel.selectedRow(), 3u);
  panel.selectNext();
  EXPECT_EQ(panel.selectedRow(), 3u);
  EXPECT_EQ(panel.table().selected_row(), 3);
  panel.selectPrevious();
  EXPECT_EQ(panel.selectedRow(), 2u);
  // Text that begins no key leaves the selection where it was.
  panel.showFor(typed("vq"), false);
  EXPECT_EQ(panel.selectedRow(), 2u);
}

TEST_F(VModePanelTest, ChoosingSendsTheSelectedRow) {
  FakeServer server;
  VModePanel panel(window_, locator(), logger());
  panel.showFor(typed("vq"), false);
  EXPECT_TRUE(server.received().empty());
  panel.chooseSelected();  // the first row, selected by the load
  ASSERT_EQ(server.received(std::chrono::milliseconds(5000)).size(), 1u);

  panel.showFor(typed("vAb"), false);
  panel.selectNext();
  panel.chooseSelected();
  const std::vector<Matched>& received = server.received(std::chrono::milliseconds(5000));
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].key, "ab");
  EXPECT_EQ(received[1].key, "abd");
  EXPECT_EQ(received[1].items, std::vector<std::string>{"d1"});
}

// Pixels of the rendered panel, rows counted from the top as the table shows them.
class PanelPicture {
 public:
  explicit PanelPicture(const platform::ui::Window& window) : picture_(window.render()) {
    if (!picture_) throw std::runtime_error("the panel cannot be drawn");
  }
  // The colour of row `row`'s band where no text reaches: its right end.
  platform::gfx::Pixel bandColour(int row) const { return picture_->pixel(picture_->width() - 2, top(row) + 1); }
  // How many pixels of row `row` between x = `left` and `right` differ from the band's colour.
  int marks(int row, int left, int right) const {
    const platform::gfx::Pixel band = bandColour(row);
    int count = 0;
    for (int y = top(row); y < top(row) + kRow; ++y) {
      for (int x = left; x < right; ++x) count += picture_->pixel(x, y) == band ? 0 : 1;
    }
    return count;
  }

 private:
  static constexpr int kRow = static_cast<int>(platform::ui::TableView::kRowHeight);
  static int top(int row) { return row * kRow; }
  std::optional<platform::gfx::Surface> picture_;
};

TEST_F(VModePanelTest, PanelDrawsKeysDescriptionsAndTheSelection) {
  constexpr platform::gfx::Pixel kWhite{255, 255, 255, 255};
  VModePanel panel(window_, locator(), logger());
  PanelPicture empty(window_);
  EXPECT_EQ(empty.marks(0, 0, 240), 0);
  EXPECT_EQ(empty.bandColour(0), kWhite);

  panel.showFor(typed("v"), false);
  PanelPicture shown(window_);
  EXPECT_NE(shown.bandColour(0), kWhite);  // the selected first row
  for (int row = 1; row < 4; ++row) EXPECT_EQ(shown.bandColour(row), kWhite) << row;
  for (int row = 0; row < 4; ++row) {
    EXPECT_GT(shown.marks(row, 0, 60), 0) << "key of row " << row;
    EXPECT_GT(shown.marks(row, 60, 240), 0) << "description of row " << row;
  }
  EXPECT_EQ(shown.marks(4, 0, 240), 0);  // below the last row

  panel.selectNext();
  PanelPicture moved(window_);
  EXPECT_EQ(moved.bandColour(0), kWhite);
  EXPECT_EQ(moved.bandColour(1), shown.bandColour(0));
}

TEST_F(VModePanelTest, DoubleClickOnARowSelectsAndSendsIt) {
  FakeServer server;
  VModePanel panel(window_, locator(), logger());
  panel.showFor(typed("v"), false);
  const platform::ui::Point third{100, 160 - 2.5 * platform::ui::TableView::kRowHeight};

  // One click only selects.
  window_.handle_mouse({platform::ui::MouseEventType::Down, third, 1});
  window_.handle_mouse({platform::ui::MouseEventType::Up, third, 1});
  EXPECT_EQ(panel.selectedRow(), 2u);
  EXPECT_TRUE(server.received().empty());

  window_.handle_mouse({platform::ui::MouseEventType::Down, third, 2});
  window_.handle_mouse({platform::ui::MouseEventType::Up, third, 2});
  const std::vector<Matched>& received = server.received(std::chrono::milliseconds(5000));
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].key, "abd");
  EXPECT_EQ(received[0].items, std::vector<std::string>{"d1"});
  EXPECT_EQ(panel.selectedRow(), 2u);

  // A click below the rows chooses nothing.
  window_.handle_mouse({platform::ui::MouseEventType::Down, {100, 20}, 2});
  EXPECT_EQ(server.received().size(), 1u);
  EXPECT_EQ(panel.selectedRow(), 2u);
}

TEST_F(VModePanelTest, ChangedUserTableReloadsOncePerChange) {
  VModePanel panel(window_, locator(), logger());
  panel.showFor(typed("v"), false);
  EXPECT_TRUE(logged_.empty());

  write_text(userTable_, "aa new n1\n");
  fs::last_write_time(userTable_, fs::last_write_time(userTable_) + std::chrono::seconds(10));
  panel.showFor(typed("v"), false);
  panel.showFor(typed("v"), false);
  EXPECT_EQ(logged_, std::vector<std::string>{"vmode information has been modified."});
  EXPECT_EQ(keys_of(panel.rows()), (std::vector<std::string>{"aa", "ab", "zz"}));

  // A vanished file keeps the rows loaded before.
  fs::remove(userTable_);
  panel.showFor(typed("v"), false);
  EXPECT_EQ(logged_.size(), 1u);
  EXPECT_EQ(panel.rows().size(), 3u);
}

TEST_F(VModePanelTest, WithoutTheBundleTheListIsEmptyAndSendsNothing) {
  FakeServer server;
  VModePanel panel(window_, [] { return std::optional<platform::Bundle>(); }, logger());
  panel.showFor(typed("vab"), false);
  panel.selectNext();
  panel.chooseSelected();
  EXPECT_TRUE(panel.rows().empty());
  EXPECT_FALSE(panel.selectedRow());
  EXPECT_TRUE(server.received().empty());
}

TEST_F(VModePanelTest, CaretPlacesThePanelFivePointsBelowThePlacementRule) {
  struct Case {
    bool skinStyle;
    double y;  // caret 400, panel 160 high: 400 - (160 + 9 or 17) - 5
  };
  for (const Case& c : {Case{false, 226}, Case{true, 218}}) {
    VModePanel panel(window_, locator(), logger());
    window_.set_frame(platform::ui::Rect{10, 15, 240, 160});
    VModeShowMessage message = typed("v");
    message.caret = VModeShowMessage::Caret{100, 400};
    message.fh = 20;
    panel.showFor(message, c.skinStyle);
    EXPECT_EQ(window_.frame(), (platform::ui::Rect{100, c.y, 240, 160}));
  }
  VModePanel panel(window_, locator(), logger());
  panel.showFor(typed("v"), false);
  EXPECT_EQ(window_.frame(), (platform::ui::Rect{100, 218, 240, 160}));
}

TEST_F(VModePanelTest, ControllerShowsThePanelInPlaceOfTheCandidateWindow) {
  platform::ui::WindowRegistry registry;
  CandidateController controller;
  controller.awakeFromNib(registry);
  controller.showCandidateWindow(false);
  kepcandidate::ComData data;
  data.setObject(Value("vab"), "VALUE");
  controller.handleMessage(kepcandidate::kKEPSVModeShow, data.data());
  EXPECT_TRUE(controller.vmodePanel.is_visible());
  EXPECT_FALSE(controller.window.is_visible());
  controller.handleMessage(kepcandidate::kKEPSHideVModeWindow, "");
  EXPECT_FALSE(controller.vmodePanel.is_visible());
}

}  // namespace
}  // namespace kepcandidatewindow
