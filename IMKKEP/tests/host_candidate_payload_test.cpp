// The candidate part of message 106, read from pages the engine cut.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CoreSource/record/qrdb.h"
#include "CoreSource/split/imesp.h"
#include "CoreSource/text/candidate_text.h"
#include "IMKKEP/companions/KEPMessageReceive.h"
#include "IMKKEP/tests/host_engine_fixture.h"

namespace {

namespace plist = platform::plist;

std::vector<std::string> split_candidates(const std::string& text) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : text) {
    if (c == '\x01') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

std::string text_of(const std::uint8_t* field) { return reinterpret_cast<const char*>(field); }

const plist::Value& key(const plist::Dictionary& payload, const char* name) {
  static const plist::Value missing;
  const plist::Value* value = payload.find(name);
  return value != nullptr ? *value : missing;
}

class CandidateBufferTest : public host_test::StagedEngine {
 protected:
  plist::Dictionary payload() {
    plist::Dictionary built;
    imkkep::CandidateBuffer(convs_, built);
    return built;
  }
  std::vector<std::string> page_texts(bool traditional) {
    std::vector<std::string> texts;
    for (int i = 0; i < convs_->ncand && i < ime_page_size; ++i) {
      texts.push_back(text_of(traditional ? convs_->cands[i].thz : convs_->cands[i].hz));
    }
    return texts;
  }
};

TEST_F(CandidateBufferTest, CarriesTheMarkedTextAndThePageJoinedBySeparators) {
  type("zhong");
  ASSERT_GT(convs_->ncand, 1);
  plist::Dictionary sent = payload();

  int caret = 0;
  std::optional<std::string> marked = ime_marked_buffer2(convs_, &caret);
  ASSERT_TRUE(marked.has_value());
  EXPECT_EQ(key(sent, "PY").string_value(), *marked);
  EXPECT_EQ(key(sent, "CARET").integer_value(), caret);
  ASSERT_TRUE(key(sent, "CANDIDATES").is_string());
  const std::string& candidates = *key(sent, "CANDIDATES").as_string();
  EXPECT_NE(candidates.front(), '\x01') << "nothing stands before the first candidate";
  EXPECT_EQ(split_candidates(candidates), page_texts(false));
  EXPECT_EQ(key(sent, "PAGE").integer_value(), 1);
  EXPECT_EQ(key(sent, "TRADITIONAL").bool_value(), false);
  EXPECT_EQ(key(sent, "SHOW_PAGE").bool_value(), false);
  EXPECT_EQ(key(sent, "SP"), plist::Value()) << "no key display outside double pinyin";
}

TEST_F(CandidateBufferTest, ShowsNoMoreCandidatesThanThePageSizeInForce) {
  type("zhong");
  ASSERT_GT(convs_->ncand, 3);
  ime_page_size = 3;
  EXPECT_EQ(split_candidates(*key(payload(), "CANDIDATES").as_string()).size(), 3u);
}

TEST_F(CandidateBufferTest, TraditionalOutputSendsTheTraditionalTexts) {
  type("guo");
  convs_->mode |= IME_MODE_TRADITIONAL;
  plist::Dictionary sent = payload();

  std::vector<std::string> traditional = page_texts(true);
  EXPECT_NE(traditional, page_texts(false)) << "the page holds a character whose forms differ";
  EXPECT_EQ(split_candidates(*key(sent, "CANDIDATES").as_string()), traditional);
  EXPECT_EQ(key(sent, "TRADITIONAL").bool_value(), true);

  settings_.set("HideTraditionalTip", true);
  sent = payload();
  EXPECT_EQ(key(sent, "TRADITIONAL").bool_value(), false);
  EXPECT_EQ(split_candidates(*key(sent, "CANDIDATES").as_string()), traditional)
      << "hiding the marker keeps the traditional texts";
}

TEST_F(CandidateBufferTest, WithoutMarkedTextTheListStartsWithAQuestionMark) {
  plist::Dictionary sent = payload();
  EXPECT_FALSE(sent.contains("PY"));
  EXPECT_EQ(key(sent, "CARET").integer_value(), 0);
  EXPECT_EQ(key(sent, "CANDIDATES").string_value(), "?");
  EXPECT_EQ(key(sent, "TOTAL_PAGE").integer_value(), 1);
}

TEST_F(CandidateBufferTest, DoublePinyinShowsTheKeyDisplayUnlessHidden) {
  type("zhong");
  ime_mode = 1;
  std::snprintf(ime_sp_buffer, sizeof ime_sp_buffer, "%s", "vs");
  EXPECT_EQ(key(payload(), "SP").string_value(), "vs");
  settings_.set("HideDPDisplay", true);
  EXPECT_EQ(key(payload(), "SP").string_value(), "-");
  ime_sp_buffer[0] = '\0';
}

struct PageCountCase {
  int entries;
  int pages;
};

class TotalPageTest : public ::testing::TestWithParam<PageCountCase> {};

TEST_P(TotalPageTest, CountsPagesOfTheMergedListWithSixAPage) {
  engine_test::ScratchHome home;
  int saved_page_size = ime_page_size;
  ime_page_size = 6;
  ime_conversation_t* convs = nullptr;
  ASSERT_EQ(ime_new_conversation(&convs), 0);
  ime_qrdb_entry_t entry{};
  entry.type = IME_RESULT_OTHER;
  for (int i = 0; i < GetParam().entries; ++i) ime_qrdb_add(convs, IME_LIST_CANDIDATES, &entry);

  plist::Dictionary sent;
  imkkep::CandidateBuffer(convs, sent);
  EXPECT_EQ(key(sent, "TOTAL_PAGE").integer_value(), GetParam().pages);
  ime_free_conversation(&convs);
  ime_page_size = saved_page_size;
}

INSTANTIATE_TEST_SUITE_P(Entries, TotalPageTest,
                         ::testing::Values(PageCountCase{0, 1}, PageCountCase{1, 1},
                                           PageCountCase{6, 1}, PageCountCase{7, 2},
                                           PageCountCase{12, 2}, PageCountCase{13, 3}));

}  // namespace
