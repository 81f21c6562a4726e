#include "sentenceparser/service/qcp_service.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/runloop.h"
#include "platform/tests/runtime_test_support.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/learned_words.h"
#include "sentenceparser/service/tests/service_fixture.h"

namespace {

using sentence_service_test::kHao;
using sentence_service_test::kNi;
using sentence_service_test::kZhong;
using sentence_service_test::SentenceEngineTest;

const std::string kSep(1, QCP_PART_SEPARATOR);

std::string repeat(const std::string& unit, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += unit;
  return text;
}

std::string convert_failed_reply(const std::string& quoted) {
  return "003:Convert stream '" + quoted + "' failed.";
}

TEST(GbkPrefixTest, EndsOnACharacterBoundary) {
  struct Case {
    std::string text;
    std::size_t limit;
    std::size_t expected;
  };
  const Case cases[] = {
      {"", 5, 0},
      {"ab", 5, 2},
      {kNi, 1, 0},
      {kNi, 2, 2},
      {"a" + kNi, 2, 1},
      {"a\xC4", 5, 1},              // a lone lead byte at the end is left out
      {"\x81\x40\x81\x40", 3, 2},   // a trail byte in the ASCII range still belongs to its lead
      {"\x81\x40\x81\x40", 4, 4},
      {"\xFF" "ab", 3, 3},          // 0xFF leads nothing
  };
  for (const Case& c : cases) {
    EXPECT_EQ(gbk_prefix_length(c.text, c.limit), c.expected) << c.text << " / " << c.limit;
  }
}

TEST(QCErrorTest, FormatsStatusAndText) {
  EXPECT_EQ(QCError(2, "Invalid format."), "002:Invalid format.");
  EXPECT_EQ(QCError(0, "%s", "S"), "000:S");
  EXPECT_EQ(QCError(3, "Convert stream '%s' failed.", "ni"), "003:Convert stream 'ni' failed.");
  EXPECT_EQ(QCError(12, "%s", ""), "012:");
}

TEST(QCErrorTest, ALongTextIsCutAtACharacterBoundary) {
  // 1023 - 4 bytes of room: 509 whole characters fit, the 510th would be split.
  EXPECT_EQ(QCError(3, "%s", repeat(kZhong, 600).c_str()), "003:" + repeat(kZhong, 509));
  // Trail bytes in the ASCII range must not make the cut land inside a character.
  const std::string reply = QCError(3, "%s", ("a" + repeat("\x81\x40", 600)).c_str());
  EXPECT_EQ(reply, "003:a" + repeat("\x81\x40", 509));
  EXPECT_EQ(QCError(3, "%s", repeat("x", 5000).c_str()), "003:" + repeat("x", 1019));
}

using QCPMessageTest = SentenceEngineTest;

TEST_F(QCPMessageTest, AnswersEachKindOfMessage) {
  struct Case {
    std::int32_t id;
    std::string payload;
    std::optional<std::string> reply;
  };
  const Case cases[] = {
      {99, "x", std::nullopt},
      {103, "ni_hao", std::nullopt},
      {-1, "", std::nullopt},
      {100, "", convert_failed_reply("")},
      {101, "ni_hao", std::string("002:Invalid format.")},
      {101, "", std::string("002:Invalid format.")},
      {101, kSep + kNi + kHao, std::string("002:Learn failed.")},
      {101, "ni_hao" + kSep, std::string("002:Learn failed.")},
      {102, "", std::string("002:Fill failed.")},
      {102, "x_y", std::string("000:x-y")},  // no readings: the items as they are
  };
  for (const Case& c : cases) {
    EXPECT_EQ(QCPMessageCallback(c.id, c.payload), c.reply) << c.id << " '" << c.payload << "'";
  }
}

TEST_F(QCPMessageTest, ConvertsPinyinIntoTextAndOneFlagPerItem) {
  auto reply = QCPMessageCallback(QCP_MSG_CONVERT_STREAM, "ni_hao");
  ASSERT_TRUE(reply);
  ASSERT_EQ(reply->substr(0, 9), "000:" + kNi + kHao + kSep) << *reply;
  const std::string flags = reply->substr(9);
  ASSERT_EQ(flags.size(), 2u);
  ASSERT_EQ(sentence::CurrentItem, 2);
  for (int i = 0; i < 2; ++i) {
    const bool ends_word = sentence::NCM[i].flags & sentence::kItemWordEnd;
    EXPECT_EQ(flags[i], ends_word ? '_' : '0') << i;
  }
}

TEST_F(QCPMessageTest, LearnSplitsAtTheFirstSeparator) {
  struct Case {
    std::string payload;
    std::string pinyin;
    std::string text;
  };
  const Case cases[] = {
      {kSep + kNi, "", kNi},
      {"ni_hao" + kSep, "ni_hao", ""},
      {"ni_hao" + kSep + kNi + kHao + kSep + "x", "ni_hao", kNi + kHao + kSep + "x"},
  };
  for (const Case& c : cases) {
    // None of the texts has one character per syllable: nothing is learned.
    EXPECT_EQ(QCPMessageCallback(QCP_MSG_LEARN_TEXT, c.payload),
              std::optional<std::string>("002:Learn failed."));
    EXPECT_EQ(std::string(sentence::part1), c.pinyin);
    EXPECT_EQ(std::string(sentence::part2), c.text);
  }
}

TEST_F(QCPMessageTest, LearnPartsAreBoundedToWholeCharacters) {
  const std::string pinyin = repeat("a", 3000);
  const std::string text = "a" + repeat(kZhong, 1500);
  EXPECT_EQ(QCPMessageCallback(QCP_MSG_LEARN_TEXT, pinyin + kSep + text),
            std::optional<std::string>("002:Learn failed."));
  EXPECT_EQ(std::string(sentence::part1), repeat("a", 1023));
  EXPECT_EQ(std::string(sentence::part2), "a" + repeat(kZhong, 511));
}

TEST_F(QCPMessageTest, PayloadsEitherSideOfTheFixedBufferGetTheSameBoundedReply) {
  const std::string fixed = repeat("a_", 511);  // 1022 bytes
  const std::string heap = fixed + "a";         // 1023 bytes
  auto fixed_reply = QCPMessageCallback(QCP_MSG_CONVERT_STREAM, fixed);
  auto heap_reply = QCPMessageCallback(QCP_MSG_CONVERT_STREAM, heap);
  ASSERT_TRUE(fixed_reply && heap_reply);
  EXPECT_EQ(*fixed_reply, *heap_reply);
  EXPECT_EQ(fixed_reply->size(), kQCPReplyMax);
  // The quote is cut, never the reply's own text.
  EXPECT_EQ(*fixed_reply, convert_failed_reply(fixed.substr(0, 1023 - 29)));
}

TEST_F(QCPMessageTest, TooManyItemsAreRefusedWithTheFailureText) {
  const std::string too_many = repeat("a_", 300);
  EXPECT_EQ(QCPMessageCallback(QCP_MSG_CONVERT_STREAM, too_many),
            std::optional<std::string>(convert_failed_reply(too_many)));
  // A lone lead byte closing the payload is not quoted with the text.
  const std::string lone_lead = repeat("a_", 261) + "\xC4";
  EXPECT_EQ(QCPMessageCallback(QCP_MSG_CONVERT_STREAM, lone_lead),
            std::optional<std::string>(convert_failed_reply(repeat("a_", 261))));
}

TEST_F(QCPMessageTest, ALoneLeadByteAtTheEndIsNotReadPast) {
  for (const std::string& payload : {std::string("\xC4"), "ni_" + std::string("\xC4"),
                                    std::string(1100, '\xB0')}) {
    auto reply = QCPMessageCallback(QCP_MSG_CONVERT_STREAM, payload);
    ASSERT_TRUE(reply);
    EXPECT_LE(reply->size(), kQCPReplyMax);
    EXPECT_TRUE(reply->starts_with("000:") || reply->starts_with("003:")) << *reply;
  }
}

TEST_F(QCPMessageTest, NothingIsAnsweredAfterPowerOff) {
  platform::testing_support::PrivateRuntimeDir runtime;
  platform::RunLoop loop;
  ASSERT_EQ(QCPInitialize(loop), 0);
  ASSERT_TRUE(QCPMessageCallback(QCP_MSG_FILL_PY, kNi));
  QCPStopAccepting();
  EXPECT_EQ(QCPMessageCallback(QCP_MSG_CONVERT_STREAM, "ni_hao"), std::nullopt);
  EXPECT_EQ(QCPMessageCallback(QCP_MSG_LEARN_TEXT, "ni" + kSep + kNi), std::nullopt);
  EXPECT_EQ(QCPMessageCallback(QCP_MSG_FILL_PY, kNi), std::nullopt);
  QCPShutdown();
  // Serving again accepts again.
  ASSERT_EQ(QCPInitialize(loop), 0);
  EXPECT_TRUE(QCPMessageCallback(QCP_MSG_FILL_PY, kNi));
  QCPShutdown();
}

TEST_F(QCPMessageTest, ASecondServerOfThePortIsRefused) {
  platform::testing_support::PrivateRuntimeDir runtime;
  platform::testing_support::PortServerThread other(kQCPServerPortName,
                                                    [](std::int32_t, std::string_view) {
                                                      return std::optional<std::string>();
                                                    });
  ASSERT_FALSE(other.error());
  platform::RunLoop loop;
  EXPECT_NE(QCPInitialize(loop), 0);
}

// A learn request with the learned-word library loaded from a scratch data folder.
class LearnRequestTest : public SentenceEngineTest {
 protected:
  void SetUp() override {
    SentenceEngineTest::SetUp();
    sentence::InputProperty.UseLearnedWords = 1;
    ASSERT_EQ(sentence::InitData(), 0);
    sentence::AllocUserLib(0);
  }
  void TearDown() override {
    std::filesystem::permissions(apr(), std::filesystem::perms::owner_all);
    sentence::FreeData();
    SentenceEngineTest::TearDown();
  }
  std::filesystem::path apr() const { return home_.data_folder() / "apr"; }
  static std::string learned(const char* pinyin) {
    char word[300] = {};
    int count = 0;
    return sentence::in_memci(pinyin, "", word, &count, 0) == 1 ? std::string(word) : "";
  }
};

TEST_F(LearnRequestTest, ALearnedSentenceIsSavedAndReadBack) {
  EXPECT_EQ(QCPMessageCallback(QCP_MSG_LEARN_TEXT, "*ni_*hao" + kSep + kNi + kHao),
            std::optional<std::string>("000:S"));
  EXPECT_EQ(learned("ni-hao"), kNi + kHao);  // reloaded after the save
  const std::string saved = engine_test::read_file(apr() / "youxian.lib");
  EXPECT_NE(saved.find("ni-hao " + kNi + kHao + " 1 A\r\n"), std::string::npos) << saved;
}

TEST_F(LearnRequestTest, ATextThatDoesNotMatchItsPinyinIsAFailure) {
  EXPECT_EQ(QCPMessageCallback(QCP_MSG_LEARN_TEXT, "*ni_*hao" + kSep + kNi),
            std::optional<std::string>("002:Learn failed."));
  EXPECT_EQ(learned("ni-hao"), "");
}

TEST_F(LearnRequestTest, AFailedSaveIsReportedAndKeepsTheWordsInMemory) {
  const auto library = apr() / "youxian.lib";
  engine_test::write_file(library, "ni-hao " + kZhong + kZhong + " 2 A\r\n");
  sentence::LoadAutoCi(1);
  const std::string before = engine_test::read_file(library);
  // A folder in the library's place stops the rename, whoever runs the test.
  std::filesystem::rename(library, apr() / "kept");
  std::filesystem::create_directories(library / "inside");
  EXPECT_EQ(QCPMessageCallback(QCP_MSG_LEARN_TEXT, "*ni_*hao" + kSep + kNi + kHao),
            std::optional<std::string>("004:Save failed."));
  std::filesystem::remove_all(library);
  std::filesystem::rename(apr() / "kept", library);
  EXPECT_EQ(engine_test::read_file(library), before);
  char words[300] = {};
  int count = 0;
  EXPECT_EQ(sentence::in_memci("ni-hao", "", words, &count, 1), 2);
}

}  // namespace
