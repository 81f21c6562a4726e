// The server's key road on the engine started on the generated data of the staged root, for a
// new user in a scratch home; each test types into controllers of fake client applications.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "CoreSource/base/config.h"
#include "CoreSource/tests/engine_test_support.h"
#include "IMKKEP/engine/KEPConvertEngine.h"
#include "IMKKEP/controller/KEPInputController.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"
#include "keyroad_fake_client.h"
#include "platform/imk/keys.h"
#include "platform/runloop.h"

namespace keyroad_test {

using platform::imk::Event;

// The key events of a script such as "nihao<space>" or "ni<opt-1>", as a client sends them.
inline std::vector<Event> keys(std::string_view script) {
  std::string error;
  const auto strokes = platform::imk::parse_key_script(script, &error);
  if (!strokes) throw std::invalid_argument(error);
  std::vector<Event> events;
  for (const platform::imk::KeyStroke& stroke : *strokes) {
    events.push_back({platform::imk::EventType::KeyDown, stroke.characters, stroke.key_code,
                      stroke.modifier_flags});
  }
  return events;
}

// Log lines of the test running now.
inline std::vector<std::string>& log_lines() {
  static std::vector<std::string> lines;
  return lines;
}

class KeyRoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_test::reset_engine_caches();
    imkkep::KEPResetServerState();
    log_lines().clear();
    imkkep::set_log_sink([](const char* line) { log_lines().emplace_back(line); });
    ASSERT_EQ(imkkep::KEPSetEngineResources(), 0);
    engine_ = imkkep::KEPConvertEngine::create(loop_);
    ASSERT_NE(engine_, nullptr);
    // The settings as the first activation reads them, in a copy the tests change; the
    // reload of each activation keeps them while the file stays as it was.
    ASSERT_EQ(imkkep::IMEReload(), 0);
    ASSERT_NE(kIMEConfigureDictionary, nullptr);
    settings_ = *kIMEConfigureDictionary;
    kIMEConfigureDictionary = &settings_;
    imkkep::kConvertEngine = engine_.get();
  }

  void TearDown() override {
    controllers_.clear();
    imkkep::kConvertEngine = nullptr;
    engine_.reset();
    imkkep::IMEExit();
    imkkep::set_log_sink(nullptr);
    engine_test::reset_engine_caches();
  }

  // A controller for the client's context, activated as the framework does when the client
  // gets the keyboard.
  imkkep::KEPInputController& open(FakeClient& client) {
    controllers_.push_back(imkkep::KEPInputController::create(client));
    imkkep::KEPInputController& controller = *controllers_.back();
    controller.activateServer(client);
    return controller;
  }

  // The "handled" answer of each key of the script.
  std::vector<bool> type(imkkep::KEPInputController& controller, FakeClient& client,
                         std::string_view script) {
    std::vector<bool> answers;
    for (const Event& event : keys(script)) {
      answers.push_back(controller.handleEvent(event, client));
    }
    return answers;
  }

  void set_setting(const char* key, platform::plist::Value value) {
    settings_.set(key, std::move(value));
  }

  engine_test::TempDir home_;
  engine_test::ScopedEnv home_env_{"HOME", home_.path().string()};
  engine_test::ScopedEnv root_env_{"KEP_ROOT", std::string(KEP_STAGED_ROOT)};
  // The candidate window messages go to a runtime folder of the test's own, where nobody
  // serves the window's port.
  engine_test::TempDir runtime_;
  engine_test::ScopedEnv runtime_env_{"KEP_RUNTIME_DIR", runtime_.path().string()};
  platform::RunLoop loop_;
  std::unique_ptr<imkkep::KEPConvertEngine> engine_;
  platform::plist::Dictionary settings_;
  std::vector<std::unique_ptr<imkkep::KEPInputController>> controllers_;
};

}  // namespace keyroad_test
