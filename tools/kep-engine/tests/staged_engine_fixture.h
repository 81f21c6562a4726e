// The engine started the way the server starts it, on the generated data of the staged root,
// for a new user: a fresh home whose data folder the start creates.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "CoreSource/tests/engine_test_support.h"
#include "session/engine_host.h"

class StagedEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_test::reset_engine_caches();
    std::string error;
    ASSERT_TRUE(kep_session::start_engine_host(&error)) << error;
  }
  void TearDown() override {
    kep_session::stop_engine_host();
    engine_test::reset_engine_caches();
  }
  std::filesystem::path data_folder() const { return home_.path() / "Library/KEP"; }

  engine_test::TempDir home_;
  engine_test::ScopedEnv home_env_{"HOME", home_.path().string()};
  engine_test::ScopedEnv root_env_{"KEP_ROOT", std::string(KEP_STAGED_ROOT)};
};
