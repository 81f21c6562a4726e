// The engine side of the code-table tests: a scratch data folder, a conversation, and the
// answers the engine's code-table query gives for a typed code.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CoreSource/base/freq.h"
#include "CoreSource/dict/cmphplug.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/record/qrdb.h"
#include "CoreSource/tests/engine_test_support.h"
#include "codetable_fixture.h"

namespace plug_test {

// The result list the code-table matcher fills.
inline constexpr int kList = 1;

class PlugTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(ime_new_conversation(&conversation_), 0);
    saved_mode_ = ime_mode;
    saved_freq_mode_ = ime_freq_mode;
    ime_mode = 2;
    ime_plug_mode = 0;
    ime_plug_query_type = 0;
  }
  void TearDown() override {
    ime_plug_close();
    ime_free_conversation(&conversation_);
    ime_mode = saved_mode_;
    ime_freq_mode = saved_freq_mode_;
    ime_plug_query_type = 0;
  }

  // Builds a table from `source` and opens it as the engine's table.
  void open(const std::string& source, int version, char wildcard = '*', int max_len = 3) {
    ASSERT_EQ(codetable_test::build_table(dir_, "t", source, version), "");
    ASSERT_EQ(ime_plug_open(pct().c_str(), wildcard, max_len), 0);
  }
  std::string pct() const { return dir_ / "t.pct"; }

  // The candidates of a typed code, best first as the code-table scheme sorts them.
  std::vector<ime_query_result_t> results(const std::string& code) {
    std::vector<ime_query_result_t> out;
    EXPECT_EQ(ime_plug_query(conversation_, kList, code.data(), static_cast<int>(code.size())), 0);
    ime_qrdb_sort(conversation_, kList);
    for (int i = 0; i < ime_qrdb_count(conversation_, kList); ++i) {
      ime_query_result_t result;
      EXPECT_EQ(ime_qrdb_get(conversation_, kList, i, &result), 0);
      out.push_back(result);
    }
    return out;
  }
  std::vector<std::string> texts(const std::string& code) {
    std::vector<std::string> out;
    for (const ime_query_result_t& r : results(code)) out.emplace_back(reinterpret_cast<const char*>(r.hz), r.hlen);
    return out;
  }

  engine_test::ScratchHome home_;
  engine_test::LogCapture log_;
  codetable_test::ScratchDir dir_;
  ime_conversation_t* conversation_ = nullptr;

 private:
  int saved_mode_ = 0;
  int saved_freq_mode_ = 0;
};

inline std::vector<std::string> sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

}  // namespace plug_test
