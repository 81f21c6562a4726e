// A started engine on the tiny tables with one conversation, for the tests of the queries and
// counters built on the tables. The engine-wide switches the queries read are restored after.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "CoreSource/base/freq.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/record/qrdb.h"
#include "table_fixture.h"

namespace table_test {

class QueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.put_tiny_tables();
    ASSERT_EQ(ime_init(), 0) << root_.log_text();
    ASSERT_EQ(ime_new_conversation(&c_), 0);
    ime_freq_mode = 0;
    ime_query_all = 1;
    ime_fuzzy_mode = 0;
  }
  void TearDown() override {
    ime_free_conversation(&c_);
    ime_freq_mode = saved_freq_mode_;
    ime_query_all = saved_query_all_;
    ime_fuzzy_mode = saved_fuzzy_;
    ime_fuzzy_z2zh = saved_z2zh_;
  }

  // Types the syllables as split.
  void split(const std::vector<const char*>& syllables) {
    for (std::size_t i = 0; i < syllables.size(); ++i) {
      ime_convs_set_syllable(c_, static_cast<int>(i), syllables[i], nullptr);
      for (const char* k = syllables[i]; *k != '\0'; ++k) ime_convs_insert_key(c_, *k);
    }
    c_->pynum = static_cast<std::uint16_t>(syllables.size() - 1);
  }

  // The candidates of a list in its order, loaded through the result lists.
  std::vector<ime_query_result_t> candidates(int code) {
    std::vector<ime_query_result_t> found;
    for (int i = 0; i < ime_qrdb_count(c_, code); ++i) {
      ime_query_result_t candidate{};
      EXPECT_EQ(ime_qrdb_get(c_, code, i, &candidate), 0) << i;
      found.push_back(candidate);
    }
    return found;
  }
  std::vector<std::string> texts(int code, bool traditional = false) {
    std::vector<std::string> found;
    for (const ime_query_result_t& c : candidates(code)) {
      found.emplace_back(reinterpret_cast<const char*>(traditional ? c.thz : c.hz));
    }
    return found;
  }

  EngineRoot root_;
  ime_conversation_t* c_ = nullptr;

 private:
  int saved_freq_mode_ = ime_freq_mode;
  int saved_query_all_ = ime_query_all;
  int saved_fuzzy_ = ime_fuzzy_mode;
  int saved_z2zh_ = ime_fuzzy_z2zh;
};

}  // namespace table_test
