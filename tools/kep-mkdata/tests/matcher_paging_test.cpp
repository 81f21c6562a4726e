// Pages of candidates: their size, turning them, each text once, and selecting on a later page.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "CoreSource/user/imeuser2.h"
#include "matcher_fixture.h"

namespace matcher_test {
namespace {

// Every candidate of the input, page by page, turning until the page stays.
std::vector<std::vector<std::string>> all_pages(MatcherTest* test, ime_conversation_t* c) {
  std::vector<std::vector<std::string>> pages{test->page_texts()};
  for (int turns = 0; turns < 20; ++turns) {
    const int before = c->page;
    ime_convs_match(c, IME_KEY_PAGE_DOWN);
    if (c->page == before) break;
    pages.push_back(test->page_texts());
  }
  return pages;
}

TEST_F(MatcherTest, APageHoldsThePageSizeHeldToOneToNine) {
  struct Case {
    int setting;
    std::vector<std::size_t> pages;  // candidates on each page of the ten under zhong
  } cases[] = {
      {6, {6, 4}}, {0, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}}, {-3, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
      {9, {9, 1}}, {20, {9, 1}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.setting);
    ime_page_size = k.setting;
    ime_convs_reset(c_);
    type("zhong");
    std::vector<std::size_t> sizes;
    std::set<std::string> texts;
    for (const auto& shown : all_pages(this, c_)) {
      sizes.push_back(shown.size());
      texts.insert(shown.begin(), shown.end());
    }
    EXPECT_EQ(sizes, k.pages);
    EXPECT_EQ(texts.size(), 10u);
  }
}

TEST_F(MatcherTest, PageKeysStopAtBothEnds) {
  type("zhong");
  EXPECT_EQ(type("<pgup>"), IME_MATCH_SHOW);
  EXPECT_EQ(c_->page, 0);
  EXPECT_EQ(first(), "中");
  type("<pgdn>");
  EXPECT_EQ(c_->page, 1);
  EXPECT_EQ(page(), (std::vector<std::string>{"终", "肿", "仲", "衷"}));
  type("<pgdn>");
  EXPECT_EQ(c_->page, 1);  // the last page stays
  EXPECT_EQ(page().size(), 4u);
  type("<pgup>");
  EXPECT_EQ(c_->page, 0);

  // A page past the end shows the last one.
  EXPECT_EQ(ime_convs_page(c_, 7), IME_PAGE_LAST_SHOWN);
  EXPECT_EQ(c_->page, 1);
  EXPECT_EQ(first(), "终");

  ime_convs_reset(c_);
  EXPECT_EQ(type("<pgdn>"), IME_MATCH_NOT_MINE);  // nothing typed: the key is the client's
}

TEST_F(MatcherTest, SelectingOnALaterPageTakesThatPagesCandidate) {
  EXPECT_EQ(commit("zhong<pgdn>2"), "肿");
  type("zhong<pgdn>");
  EXPECT_EQ(type("5"), IME_MATCH_NOT_MINE);  // the last page holds four
  EXPECT_EQ(c_->nseg, 0);
  EXPECT_EQ(commit("4"), "衷");
}

TEST_F(MatcherTest, ZeroTurnsToTheFirstPageWithASingleCharacter) {
  ime_page_size = 1;
  type("zhongguoren");
  EXPECT_EQ(first(), "中国人");
  type("<zero>");
  EXPECT_EQ(c_->page, 2);  // 中国人, 中国, then 中
  EXPECT_EQ(first(), "中");
  EXPECT_EQ(type("1"), IME_MATCH_SHOW);  // the rest stays to be chosen
  EXPECT_EQ(output(), "中guo'ren");
}

class RepeatedWords : public MatcherTest {
  void before_start() override {
    // A second dictionary holding a word of the system dictionary.
    mkdata::DictionaryReport report;
    std::string error;
    std::filesystem::create_directories(root_.data_folder() / "Dictionary");
    ASSERT_TRUE(mkdata::write_system_dictionary({vocabulary_words()[0]},
                                                root_.data_folder() / "Dictionary/extra", &report,
                                                &error))
        << error;
  }
};

TEST_F(RepeatedWords, ATextIsShownOnceWhereverItComesFrom) {
  ime_query_result_t user_word{};
  type("zhongguo");
  user_word = c_->cands[0];
  ASSERT_EQ(first(), "中国");
  ASSERT_EQ(ime_udb_add(&user_word), 0);  // and the user's own copy of it

  ime_convs_reset(c_);
  type("zhongguo");
  int listed = 0;
  for (int i = 0; i < ime_qrdb_count(c_, IME_LIST_CANDIDATES); ++i) {
    ime_query_result_t candidate{};
    ASSERT_EQ(ime_qrdb_get(c_, IME_LIST_CANDIDATES, i, &candidate), 0);
    listed += std::string(reinterpret_cast<const char*>(candidate.hz)) == "中国";
  }
  EXPECT_EQ(listed, 3);

  std::vector<std::string> shown;
  for (const auto& texts : all_pages(this, c_)) shown.insert(shown.end(), texts.begin(), texts.end());
  EXPECT_EQ(std::count(shown.begin(), shown.end(), "中国"), 1);
  EXPECT_EQ(std::set<std::string>(shown.begin(), shown.end()).size(), shown.size());
  EXPECT_EQ(shown.size(), 11u);  // 中国 and the ten characters
}

}  // namespace
}  // namespace matcher_test
