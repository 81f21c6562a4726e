// The typing session the drivers use: keys mapped as the server maps them, punctuation that
// commits the composition before it, quotes and brackets paired across compositions.
#include <gtest/gtest.h>

#include "matcher_fixture.h"
#include "session/key_script.h"
#include "session/outcome_text.h"
#include "session/typing_session.h"

namespace {

using kep_session::KeyOutcome;

class SessionTest : public matcher_test::MatcherTest {
 protected:
  void SetUp() override {
    MatcherTest::SetUp();
    session_.emplace(*kep_session::TypingSession::open(false));
  }
  void TearDown() override {
    session_.reset();
    MatcherTest::TearDown();
  }
  // Every text the keys committed, in order.
  std::vector<std::string> commits(const std::string& script) {
    std::string error;
    auto keys = kep_session::parse_key_script(script, &error);
    EXPECT_TRUE(keys) << error;
    std::vector<std::string> texts;
    for (const kep_session::Key& key : keys.value_or(std::vector<kep_session::Key>{})) {
      last_ = session_->type(key);
      texts.insert(texts.end(), last_.commits.begin(), last_.commits.end());
    }
    return texts;
  }
  std::optional<kep_session::TypingSession> session_;
  KeyOutcome last_;
};

using Texts = std::vector<std::string>;

TEST_F(SessionTest, PunctuationCommitsTheCompositionFirst) {
  struct Case {
    const char* keys;
    Texts committed;
  } cases[] = {
      {"nihao,", {"你好", "，"}},
      {"zhongguo.", {"中国", "。"}},
      {"zhong!", {"中", "！"}},
      // After a digit these stay as typed, so numbers read as numbers.
      {"3.14", {"3", ".", "1", "4"}},
      // A capital letter starts a raw string.
      {"Hello<space>", {"Hello"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.keys);
    EXPECT_EQ(commits(k.keys), k.committed);
    EXPECT_EQ(session_->conversation()->inoff, 0);
  }
}

TEST_F(SessionTest, QuotesAndBracketsPairAcrossCompositions) {
  EXPECT_EQ(commits("\"nihao\""), (Texts{"“", "你好", "”"}));
  EXPECT_EQ(commits("\"\""), (Texts{"“", "”"}));
  // Angle brackets: an opening key inside an open pair gives the inner form, and the closing
  // keys answer in reverse order.
  EXPECT_EQ(commits("<lt>zhongguo<lt>ren>>"), (Texts{"《", "中国", "〈", "人", "〉", "》"}));
  // A closing key with nothing open gives the first form.
  EXPECT_EQ(commits(">"), (Texts{"》"}));
  EXPECT_EQ(commits("{zhong}"), (Texts{"『", "中", "』"}));
}

TEST_F(SessionTest, EachKeyShowsTheMarkedTextAndThePage) {
  commits("zhongguo");
  EXPECT_EQ(last_.marked, "zhong'guo");
  EXPECT_EQ(last_.caret, 9);
  EXPECT_EQ(last_.candidates.front(), "中国");
  EXPECT_EQ(last_.page, 1);
  EXPECT_EQ(kep_session::outcome_lines({kep_session::KeyKind::Character, 'o'}, last_),
            "key: o\nmarked: zhong'guo\npage: 1.中国 2.中 3.种 4.重 5.钟 6.众 (1/2)\n");
  commits("<pgdn>");
  EXPECT_EQ(last_.page, 2);
  EXPECT_EQ(commits("<esc>"), Texts{});
  EXPECT_EQ(last_.marked, "");
  EXPECT_TRUE(last_.candidates.empty());
  // With nothing composed, editing keys belong to the application.
  commits("<bs>");
  EXPECT_EQ(last_.passed, "<bs>");
}

TEST(KeyScript, NamedKeysAndErrors) {
  std::string error;
  auto keys = kep_session::parse_key_script("a<space><lt><tone3>", &error);
  ASSERT_TRUE(keys);
  ASSERT_EQ(keys->size(), 4u);
  EXPECT_EQ(kep_session::key_name((*keys)[0]), "a");
  EXPECT_EQ(kep_session::key_name((*keys)[1]), "<space>");
  EXPECT_EQ(kep_session::key_name((*keys)[2]), "<lt>");
  EXPECT_EQ(kep_session::key_name((*keys)[3]), "<tone3>");
  EXPECT_FALSE(kep_session::parse_key_script("<nokey>", &error));
  EXPECT_EQ(error, "unknown key <nokey>");
  EXPECT_FALSE(kep_session::parse_key_script("a<space", &error));
  EXPECT_FALSE(kep_session::parse_key_script("\xE4\xB8\xAD", &error));
}

}  // namespace
