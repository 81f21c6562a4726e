// Which engine lines reach the server's log: errors whatever the debug switch says, the rest
// only with the switch on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CoreSource/base/imelog.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"
#include "IMKKEP/engine/KEPConvertEngine.h"

namespace {

std::vector<std::string>& collected() {
  static std::vector<std::string> lines;
  return lines;
}

class ServerLogLevelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    collected().clear();
    saved_func_ = ime_log_func;
    saved_level_ = ime_debug_level;
    saved_flag_ = imkkep::_log_flag;
    ime_log_func = imkkep::MyLogFunc;
    ime_debug_level = 1;
    imkkep::set_log_sink([](const char* line) { collected().emplace_back(line); });
  }
  void TearDown() override {
    imkkep::set_log_sink(nullptr);
    ime_log_func = saved_func_;
    ime_debug_level = saved_level_;
    imkkep::_log_flag = saved_flag_;
  }

  ime_log_func_t saved_func_ = nullptr;
  int saved_level_ = 0;
  int saved_flag_ = 0;
};

TEST_F(ServerLogLevelsTest, EngineErrorsAreAlwaysLoggedTheRestOnlyWithTheSwitch) {
  struct Case {
    int level;
    int switch_on;
    bool logged;
  } cases[] = {
      {IME_LOG_ERROR, 0, true},  {IME_LOG_ERROR, 1, true}, {IME_LOG_DEBUG, 0, false},
      {IME_LOG_DEBUG, 1, true},  {IME_LOG_INFO, 0, false}, {IME_LOG_INFO, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "level " << c.level << " switch " << c.switch_on);
    collected().clear();
    imkkep::_log_flag = c.switch_on;
    imelog(c.level, "udb_store.cpp", 43, "Write udb.lib failed![%s]", "/home/u/udb.lib: File too large");
    if (c.logged) {
      ASSERT_EQ(collected().size(), 1u);
      EXPECT_NE(collected()[0].find("|Write udb.lib failed![/home/u/udb.lib: File too large]"), std::string::npos)
          << collected()[0];
    } else {
      EXPECT_TRUE(collected().empty());
    }
  }
}

TEST_F(ServerLogLevelsTest, OnlyTheErrorPrefixMarksAnError) {
  imkkep::_log_flag = 0;
  for (const char* line : {"ERROR|x.cpp|1|kept", "ERRORS|x.cpp|1|not an error", "INFO|ERROR|1|no",
                           "DEBUG|x.cpp|1|ERROR|no", "", "ERROR"}) {
    imkkep::MyLogFunc(line);
  }
  EXPECT_EQ(collected(), std::vector<std::string>{"ERROR|x.cpp|1|kept"});
  EXPECT_TRUE(ime_log_line_is_error("ERROR|"));
  EXPECT_FALSE(ime_log_line_is_error(nullptr));
}

}  // namespace
