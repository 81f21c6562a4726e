// Every test meets the input menu of a fresh server. The menu lives as long as the process,
// and activations, menu actions and shortcuts leave their check marks and key equivalents in
// it; run one test at a time, each process starts with it fresh, so a whole run must too.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "CoreSource/tests/engine_test_support.h"
#include "IMKKEP/app/KEPAppDelegate.h"

namespace server_test {
namespace {

// What running changes of an item.
struct ItemState {
  int state;
  std::string key_equivalent;
  std::uint64_t key_modifiers;
  bool enabled;
};

class FreshMenu : public ::testing::EmptyTestEventListener {
 public:
  void OnTestProgramStart(const ::testing::UnitTest& /*unit_test*/) override {
    // Built on the staged root, as the tests' server builds it.
    engine_test::ScopedEnv root("KEP_ROOT", std::string(KEP_STAGED_ROOT));
    for (const platform::ui::MenuItem& item : imkkep::KEPAppDelegate::shared().menu().items()) {
      fresh_.push_back({item.state, item.key_equivalent, item.key_modifiers, item.enabled});
    }
  }

  void OnTestStart(const ::testing::TestInfo& /*test_info*/) override {
    const auto& items = imkkep::KEPAppDelegate::shared().menu().items();
    for (std::size_t i = 0; i < items.size() && i < fresh_.size(); ++i) {
      // The menu hands out its items for changes by tag; separators have none to change.
      platform::ui::MenuItem* item = imkkep::IMEGetMenuItem(items[i].tag);
      if (item == nullptr || item != &items[i]) continue;
      item->state = fresh_[i].state;
      item->key_equivalent = fresh_[i].key_equivalent;
      item->key_modifiers = fresh_[i].key_modifiers;
      item->enabled = fresh_[i].enabled;
    }
  }

 private:
  std::vector<ItemState> fresh_;
};

const bool kInstalled = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshMenu);
  return true;
}();

}  // namespace
}  // namespace server_test
