#include <gtest/gtest.h>

#include <string>
#include <vector>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include "candidatewindow/app/vmode_panel.h"
#include "candidatewindow/app/vmode_script.h"

namespace kepcandidatewindow {
namespace {

using platform::plist::Array;
using platform::plist::Dictionary;
using platform::plist::Value;

class ScriptAddRowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state_ = luaL_newstate();
    ASSERT_NE(state_, nullptr);
    lua_register(state_, "ScriptAddRow", ScriptAddRow);
    setScriptRowTarget(&rows_);
  }
  void TearDown() override {
    setScriptRowTarget(nullptr);
    lua_close(state_);
  }

  // The number the call in `chunk` returned, or a failure when the chunk did not run.
  int run(const std::string& call) {
    const std::string chunk = "return " + call;
    if (luaL_loadstring(state_, chunk.c_str()) != 0 || lua_pcall(state_, 0, 1, 0) != 0) {
      ADD_FAILURE() << lua_tostring(state_, -1);
      lua_pop(state_, 1);
      return 99;
    }
    EXPECT_EQ(lua_type(state_, -1), LUA_TNUMBER) << call;
    const int result = static_cast<int>(lua_tointeger(state_, -1));
    lua_pop(state_, 1);
    return result;
  }

  lua_State* state_ = nullptr;
  Array rows_;
};

TEST_F(ScriptAddRowTest, RefusedCallsAddNoRow) {
  struct Case {
    const char* call;
    int result;
  };
  const Case cases[] = {
      {R"(ScriptAddRow("k", "d"))", -1},
      {R"(ScriptAddRow("k", "d", {}, 1))", -1},
      {R"(ScriptAddRow(1, "d", {}))", -2},
      {R"(ScriptAddRow("k", {}, {}))", -2},
      {R"(ScriptAddRow("k", "d", "x"))", -2},
      {R"(ScriptAddRow("", "d", {"a"}))", -3},
      {R"(ScriptAddRow("k", "", {"a"}))", -3},
      {R"(ScriptAddRow("k", "d", {"a", ""}))", -3},
      {R"(ScriptAddRow("\255k", "d", {"a"}))", -4},
      {R"(ScriptAddRow("k", "d\192", {"a"}))", -4},
      {R"(ScriptAddRow("k", "d", {"a", "\237\160\128"}))", -4},
      {R"(ScriptAddRow("#k", "d", {"a"}))", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(run(c.call), c.result) << c.call;
    EXPECT_TRUE(rows_.empty()) << c.call;
  }
}

TEST_F(ScriptAddRowTest, AppendsARowWithTheKeysTheListReads) {
  rows_.emplace_back(Dictionary{});  // rows are appended, not sorted or replaced
  ASSERT_EQ(run(R"(ScriptAddRow("mail", "addresses", {"a@b", 7, "c\228\189\160", {}}))"), 0);
  ASSERT_EQ(rows_.size(), 2u);
  const Dictionary* row = rows_[1].as_dictionary();
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(*row->find(kVModeRowKey), Value("mail"));
  EXPECT_EQ(*row->find(kVModeRowDescription), Value("addresses"));
  EXPECT_EQ(*row->find(kVModeRowItems), Value(Array{"a@b", "c\xE4\xBD\xA0"}));
}

TEST_F(ScriptAddRowTest, RowsGoToThePanelThatIsAlive) {
  platform::ui::Window window{"vmodetest", "vmode", platform::ui::Rect{0, 0, 10, 10}};
  {
    VModePanel panel(window, [] { return std::optional<platform::Bundle>(); });
    ASSERT_EQ(run(R"(ScriptAddRow("k", "d", {"x"}))"), 0);
    ASSERT_EQ(panel.rows().size(), 1u);
    EXPECT_EQ(*panel.rows()[0].as_dictionary()->find(kVModeRowKey), Value("k"));
  }
  EXPECT_EQ(scriptRowTarget(), nullptr);
  EXPECT_EQ(run(R"(ScriptAddRow("k", "d", {"x"}))"), 0);
  EXPECT_TRUE(rows_.empty());
}

}  // namespace
}  // namespace kepcandidatewindow
