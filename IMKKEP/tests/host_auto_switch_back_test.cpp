// Power-off with "AutoSwitchBack": the user is left on a keyboard that types letters.
#include <string>
#include <vector>

#include "host_engine_fixture.h"
#include "workspace_requests.h"

namespace host_test {
namespace {

class AutoSwitchBackTest : public ServerHome {
 protected:
  // Starts the engine as the first activation does, on settings the test then changes.
  void start() {
    ASSERT_EQ(imkkep::IMEInit(), 0);
    ASSERT_EQ(imkkep::IMEReload(), 0);
    ASSERT_NE(kIMEConfigureDictionary, nullptr);
    settings_ = *kIMEConfigureDictionary;
    kIMEConfigureDictionary = &settings_;
  }

  platform::plist::Dictionary settings_;
};

struct SwitchBackCase {
  const char* name;
  bool auto_switch_back;
  const char* keyboard_layout;  // nullptr: not set
  std::vector<std::vector<std::string>> expected;
};

TEST_F(AutoSwitchBackTest, SwitchesBackToTheAsciiKeyboardOnlyWhenAsked) {
  const SwitchBackCase cases[] = {
      {"off", false, "com.example.keylayout.German", {}},
      {"on, no layout", true, nullptr, {{"select-input-source", "US"}}},
      {"on, empty layout", true, "", {{"select-input-source", "US"}}},
      {"on, chosen layout", true, "com.example.keylayout.German",
       {{"select-input-source", "com.example.keylayout.German"}}},
  };
  for (const SwitchBackCase& c : cases) {
    SCOPED_TRACE(c.name);
    engine_test::TempDir runtime;
    engine_test::ScopedEnv runtime_env("KEP_RUNTIME_DIR", runtime.path().string());
    start();
    settings_.set("AutoSwitchBack", platform::plist::Value(c.auto_switch_back));
    if (c.keyboard_layout != nullptr) {
      settings_.set("KeyboardLayout", platform::plist::Value(std::string(c.keyboard_layout)));
    } else {
      settings_.erase("KeyboardLayout");
    }
    ServerLogCapture::lines().clear();

    imkkep::IMEExit();
    EXPECT_EQ(server_test::workspace_requests(), c.expected);
    const std::string switched =
        "ASCII input source is '" +
        (c.expected.empty() ? std::string() : c.expected[0][1]) +
        "'. Switch to this language input source.";
    EXPECT_EQ(ServerLogCapture::logged(switched), !c.expected.empty());
    EXPECT_EQ(ServerLogCapture::logged("Current input source is "
                                       "'com.corvana.inputmethod.IMKKEP'."),
              c.auto_switch_back);
  }
}

TEST_F(AutoSwitchBackTest, ARefusedRecorderIsLogged) {
  start();
  settings_.set("AutoSwitchBack", platform::plist::Value(true));
  engine_test::ScopedEnv relative("KEP_RUNTIME_DIR", std::string("relative"));
  imkkep::IMEExit();
  EXPECT_TRUE(ServerLogCapture::logged("Get the current ASCII input source failed!"));
}

}  // namespace
}  // namespace host_test
