// The engine started the way the server starts it, on the generated data of the staged root,
// for a new user in a scratch home; the server's log lines are kept for the test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CoreSource/base/config.h"
#include "CoreSource/match/imeconvs1.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/tests/engine_test_support.h"
#include "IMKKEP/engine/KEPConvertEngine.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"
#include "platform/plist.h"

namespace host_test {

// The server's log lines while alive, with logging switched on.
class ServerLogCapture {
 public:
  ServerLogCapture() {
    lines().clear();
    imkkep::_log_flag = 1;
    imkkep::set_log_sink(&ServerLogCapture::collect);
  }
  ~ServerLogCapture() {
    imkkep::set_log_sink(nullptr);
    imkkep::_log_flag = 0;
  }
  ServerLogCapture(const ServerLogCapture&) = delete;
  ServerLogCapture& operator=(const ServerLogCapture&) = delete;
  static std::vector<std::string>& lines() {
    static std::vector<std::string> collected;
    return collected;
  }
  static bool logged(const std::string& line) {
    return std::find(lines().begin(), lines().end(), line) != lines().end();
  }

 private:
  static void collect(const char* line) { lines().emplace_back(line); }
};

// A scratch home and the staged root, the engine not started yet.
class ServerHome : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_test::reset_engine_caches();
    ASSERT_EQ(imkkep::KEPSetEngineResources(), 0);
  }
  void TearDown() override {
    imkkep::IMEExit();
    engine_test::reset_engine_caches();
  }
  std::filesystem::path data_folder() const { return home_.path() / "Library/KEP"; }

  engine_test::TempDir home_;
  engine_test::ScopedEnv home_env_{"HOME", home_.path().string()};
  engine_test::ScopedEnv root_env_{"KEP_ROOT", std::string(KEP_STAGED_ROOT)};
  ServerLogCapture log_;
};

// The engine started and reloaded as at the first activation, with a conversation to type
// into and settings a test may change.
class StagedEngine : public ServerHome {
 protected:
  void SetUp() override {
    ServerHome::SetUp();
    ASSERT_EQ(imkkep::IMEInit(), 0);
    ASSERT_EQ(imkkep::IMEReload(), 0);
    ASSERT_NE(kIMEConfigureDictionary, nullptr);
    settings_ = *kIMEConfigureDictionary;
    kIMEConfigureDictionary = &settings_;
    ime_mode = 0;
    ASSERT_EQ(ime_new_conversation(&convs_), 0);
    ime_convs_reset(convs_);
  }
  void TearDown() override {
    // Matching made it the engine's current conversation.
    if (ime_current_convs == convs_) ime_current_convs = nullptr;
    ime_free_conversation(&convs_);
    ServerHome::TearDown();
  }

  // Types the letters into the conversation as the key road does in full pinyin.
  void type(const std::string& keys) {
    for (char key : keys) ASSERT_GE(ime_convs_match(convs_, key), 0) << "key " << key;
  }

  platform::plist::Dictionary settings_;
  ime_conversation_t* convs_ = nullptr;
};

}  // namespace host_test
