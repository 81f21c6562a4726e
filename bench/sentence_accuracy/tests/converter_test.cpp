// How a sentence with digits and marks is given to the converters.
#include <gtest/gtest.h>

#include "converter.h"

namespace sentence_accuracy {
namespace {

TEST(ConverterPieces, DigitsAndMarksAreTypedAsTheyAre) {
  const struct {
    const char* character;
    bool as_is;
  } cases[] = {{"3", true}, {",", true}, {"，", true}, {"。", true}, {"（", true}, {"、", true},
               {"３", true}, {"个", false}, {"镕", false}, {"a", true}};
  for (const auto& c : cases) EXPECT_EQ(typed_as_is(c.character), c.as_is) << c.character;
  EXPECT_TRUE(is_syllable("zhuang"));
  EXPECT_FALSE(is_syllable("3"));
  EXPECT_FALSE(is_syllable("，"));
  EXPECT_FALSE(is_syllable(""));
  EXPECT_FALSE(is_syllable("Zh"));
}

TEST(ConverterPieces, EachRunOfSyllablesIsConvertedOnItsOwn) {
  std::vector<std::vector<std::string>> runs;
  const auto convert_run = [&runs](const std::vector<std::string>& syllables) {
    runs.push_back(syllables);
    return "<" + typed_keys(syllables) + ">";
  };
  EXPECT_EQ(converted_by_runs({"3", "ge", "，", "xi", "an", "。"}, convert_run), "3<ge>，<xi'an>。");
  EXPECT_EQ(runs, (std::vector<std::vector<std::string>>{{"ge"}, {"xi", "an"}}));
  runs.clear();
  EXPECT_EQ(converted_by_runs({"zhong", "guo"}, convert_run), "<zhong'guo>");
  EXPECT_EQ(converted_by_runs({"1", "2"}, convert_run), "12");
  EXPECT_EQ(runs.size(), 1u);
}

}  // namespace
}  // namespace sentence_accuracy
