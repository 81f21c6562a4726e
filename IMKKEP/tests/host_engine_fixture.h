// The engine started on the generated data of the staged root, for a new user in a scratch
// home, with settings a test may change.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "CoreSource/base/config.h"
#include "CoreSource/base/datafolder.h"
#include "CoreSource/dict/dictpool.h"
#include "CoreSource/match/imeconvs1.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/start/startup.h"
#include "CoreSource/tests/engine_test_support.h"
#include "platform/plist.h"

namespace host_test {

class StagedEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_test::reset_engine_caches();
    kIMEConfigureDictionary = &settings_;
    ASSERT_EQ(ime_set_default_resources(), 0);
    ASSERT_EQ(ime_make_data_folder(), 0);
    ASSERT_EQ(ime_init(), 0) << ime_init_failure();
    ASSERT_EQ(ime_load_phrase(), 0);
    ime_mode = 0;
    ASSERT_EQ(ime_new_conversation(&convs_), 0);
    ime_convs_reset(convs_);
  }
  void TearDown() override {
    // Matching made it the engine's current conversation.
    if (ime_current_convs == convs_) ime_current_convs = nullptr;
    ime_free_conversation(&convs_);
    ime_exit();
    kIMEConfigureDictionary = nullptr;
    engine_test::reset_engine_caches();
  }

  // Types the letters into the conversation as the key road does in full pinyin.
  void type(const std::string& keys) {
    for (char key : keys) ASSERT_GE(ime_convs_match(convs_, key), 0) << "key " << key;
  }

  engine_test::TempDir home_;
  engine_test::ScopedEnv home_env_{"HOME", home_.path().string()};
  engine_test::ScopedEnv root_env_{"KEP_ROOT", std::string(KEP_STAGED_ROOT)};
  platform::plist::Dictionary settings_;
  ime_conversation_t* convs_ = nullptr;
};

}  // namespace host_test
