// Punctuation typed outside a composition, from the generated punct.def: full-width forms and
// quotes and brackets that come out in pairs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CoreSource/record/bracket.h"
#include "table_fixture.h"

namespace table_test {
namespace {

// The shipped map loaded through the engine's loader, and a conversation in punctuation mode.
class PunctPairingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.put_resource("punct.def", mkdata::write_punctuation(mkdata::default_punctuation()));
    ASSERT_EQ(ime_load_punct(), 0);
    ASSERT_EQ(ime_new_conversation(&c_), 0);
    c_->full_width_punct = 1;
  }
  void TearDown() override { ime_free_conversation(&c_); }

  // What each key gives, in order; "-" for no answer.
  std::vector<std::string> typed(const std::string& keys) {
    std::vector<std::string> out;
    for (char key : keys) out.push_back(ime_symbol_string(c_, key).value_or("-"));
    return out;
  }

  EngineRoot root_;
  ime_conversation_t* c_ = nullptr;
};

using Texts = std::vector<std::string>;

TEST_F(PunctPairingTest, QuotesAlternateBetweenOpeningAndClosing) {
  EXPECT_EQ(typed("\"\"\""), (Texts{"“", "”", "“"}));
  EXPECT_EQ(typed("''"), (Texts{"‘", "’"}));
  // Each quote keeps its own state.
  EXPECT_EQ(typed("\"'\"'"), (Texts{"”", "‘", "“", "’"}));
}

TEST_F(PunctPairingTest, AngleBracketsCloseWithThePartnerOfWhatOpened) {
  EXPECT_EQ(typed("<<>>"), (Texts{"《", "〈", "〉", "》"}));
  EXPECT_EQ(typed(">"), Texts{"》"});  // nothing open: the first form
  EXPECT_EQ(c_->bracket_angle->count, 0u);
}

TEST_F(PunctPairingTest, BracesSwapTheirFormsInTraditionalMode) {
  EXPECT_EQ(typed("{{}}"), (Texts{"『", "「", "」", "』"}));
  c_->mode |= IME_MODE_TRADITIONAL;
  EXPECT_EQ(typed("{"), Texts{"「"});
  EXPECT_EQ(typed("}"), Texts{"」"});
  EXPECT_EQ(typed("}"), Texts{"」"});  // empty stack
}

TEST_F(PunctPairingTest, OtherKeysGiveTheirWholeEntry) {
  EXPECT_EQ(typed(",._$a "), (Texts{"，", "。", "——", "¥", "-", "-"}));
}

TEST_F(PunctPairingTest, FullWidthCharacterModeComesFirst) {
  c_->full_width_char = 1;
  EXPECT_EQ(typed("!~A\" "), (Texts{"！", "～", "Ａ", "＂", "-"}));
  EXPECT_EQ(c_->iflag, 0u);  // no pairing state touched
  c_->full_width_char = 0;
  c_->full_width_punct = 0;
  EXPECT_EQ(typed("!,"), (Texts{"-", "-"}));
  EXPECT_EQ(ime_symbol_string(c_, 10), std::nullopt);
  EXPECT_EQ(ime_symbol_string(c_, 200), std::nullopt);
}

TEST_F(PunctPairingTest, AnEntryThatCannotBeHalvedIsGivenWhole) {
  ime_parse_punct("< 《\n\" ab“\n", ime_punct);
  EXPECT_EQ(typed("<<\"\""), (Texts{"《", "《", "ab“", "ab“"}));
}

TEST_F(PunctPairingTest, ResetForgetsOpenQuotesAndBrackets) {
  typed("\"<{");
  ime_convs_reset_pairing(c_);
  EXPECT_EQ(c_->iflag & IME_PAIR_ALL, 0u);
  EXPECT_EQ(typed("\">}"), (Texts{"“", "》", "』"}));
}

TEST_F(PunctPairingTest, EndlessOpeningBracketsStayBounded) {
  for (int i = 0; i < 5000; ++i) ime_symbol_string(c_, '<');
  EXPECT_EQ(c_->bracket_angle->count, IME_BRACKET_DEPTH);
  EXPECT_LE(c_->bracket_angle->capacity, IME_BRACKET_DEPTH);
  // The most recent pairs still close correctly (5000 opens alternate 1, 2, ..., last pushed 2).
  EXPECT_EQ(typed(">>"), (Texts{"〉", "》"}));
  for (std::uint32_t i = 0; i < IME_BRACKET_DEPTH; ++i) ime_symbol_string(c_, '>');
  EXPECT_EQ(c_->bracket_angle->count, 0u);
  EXPECT_EQ(typed(">"), Texts{"》"});
}

TEST_F(PunctPairingTest, AConversationWithoutStacksStillPairs) {
  ime_convs_close_brackets(c_);
  EXPECT_EQ(typed("<>{}"), (Texts{"《", "》", "『", "』"}));
}

TEST(BracketStackTest, GrowsBySixteenAndPopsZeroWhenEmpty) {
  ime_bracket_t stack{};
  EXPECT_EQ(bracket_pop(&stack), 0);
  EXPECT_EQ(bracket_push(&stack, 1), -1);  // no buffer yet
  ASSERT_EQ(bracket_init(&stack), 0);
  EXPECT_EQ(stack.capacity, IME_BRACKET_STEP);
  for (int i = 1; i <= 17; ++i) EXPECT_EQ(bracket_push(&stack, static_cast<std::uint8_t>(1 + i % 2)), i);
  EXPECT_EQ(stack.capacity, 2 * IME_BRACKET_STEP);
  for (int i = 17; i >= 1; --i) EXPECT_EQ(bracket_pop(&stack), 1 + i % 2);
  EXPECT_EQ(bracket_pop(&stack), 0);
  bracket_close(&stack.buffer);
  EXPECT_EQ(stack.buffer, nullptr);
  EXPECT_EQ(bracket_pop(nullptr), 0);
}

}  // namespace
}  // namespace table_test
