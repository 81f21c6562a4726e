// Typing writes nothing to the server's log while the debug switch is off: errors are always
// logged, so nothing that is normal while typing may log as one, or the log would grow with
// every key.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CoreSource/base/imelog.h"
#include "host_window_fixture.h"
#include "keyroad_fixture.h"

namespace keyroad_test {
namespace {

class QuietTypingTest : public KeyRoadTest {
 protected:
  void SetUp() override {
    KeyRoadTest::SetUp();
    saved_func_ = ime_log_func;
    ime_log_func = imkkep::MyLogFunc;  // as the server program sets it
    imkkep::_log_flag = 0;
    // No sentence service runs here; one that cannot be reached is an outage, logged once,
    // not a per-key line.
    set_setting("EnableTAV", platform::plist::Value(false));
  }
  void TearDown() override {
    ime_log_func = saved_func_;
    KeyRoadTest::TearDown();
  }

  ime_log_func_t saved_func_ = nullptr;
};

TEST_F(QuietTypingTest, KeysOfEveryKindLogNothing) {
  platform::testing_support::PrivateRuntimeDir runtime;
  host_test::FakeCandidateWindow window;
  ASSERT_TRUE(window.serving());
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  const std::vector<std::string> scripts = {
      "nihao<space>zhongguo2women<space>",                   // commits and choices
      "zhonghuarenmingongheguo<bs><bs><esc>",                // a long composition given up
      "ni<pgdn><pgup><down><up><left><right><enter>",         // paging and moving
      ",.;'[]\\/<space>123<space>",                           // punctuation and digits
      "<caps-a><caps-b><caps-c><caps-n><caps-i>",             // Caps Lock on, nothing composed
      "vxl<space>",                                           // V-mode
      "<ctrl-a><opt-a><cmd-a>",                               // keys left to the application
  };
  for (const std::string& script : scripts) {
    SCOPED_TRACE(script);
    log_lines().clear();
    for (int round = 0; round < 3; ++round) type(controller, client, script);
    EXPECT_EQ(log_lines(), std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace keyroad_test
