// The context-word and head-and-end libraries as the generator's writers lay them out, read by
// the service: words between digits, letters and marks (IsDotWord, IsDotJPWord) and words that
// begin or end a sentence (IsHeadEndWord), through whole conversions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sentenceparser/core/tests/segmentation_fixture.h"
#include "sentenceparser/core/word_lookup.h"
#include "tools/kep-tavgen/context_library_writer.h"

namespace sentence::testing {
namespace {

class GeneratedGapLibrariesTest : public LibrarySegmentationTest {
 protected:
  void SetUp() override {
    LibrarySegmentationTest::SetUp();
    // The first character of a row is what a syllable alone becomes.
    Characters({{"ge", "革个"}, {"dao", "道到"}, {"gong", "工公"}, {"li", "里"}, {"gu", "古股"},
                {"dan", "单但"}, {"shi", "是事"}, {"ta", "他"}, {"lai", "来"}, {"er", "而"}, {"yi", "以已"}});
  }
  static tavgen::LibraryWord Word(std::vector<std::string> syllables, std::vector<int> positions, int weight,
                                  char marker = 0) {
    return {std::move(syllables), std::move(positions), weight, 10, 0x40, marker};
  }
  std::string Converted(const std::string& input) {
    std::string sentence, ends;
    return Convert(input, &sentence, &ends) == kConvertOk ? sentence : "failed: " + sentence;
  }
};

TEST_F(GeneratedGapLibrariesTest, WordsBetweenDigitsLettersAndMarks) {
  tavgen::ContextLibraryWords words;
  for (char right : {'d', 'e'}) {
    words.one.push_back({'a', right, {"ge"}, {1}});
    words.two.push_back({'a', right, {"gong", "li"}, {1, 0}});
    words.abbreviated.push_back({'a', right, "gl", {0xB9AB, 0xC0EF}});  // 公里
  }
  words.one.push_back({'a', 'a', {"dao"}, {1}});
  words.one.push_back({'b', 'd', {"gu"}, {1}});
  std::string error;
  ASSERT_TRUE(tavgen::write_context_libraries(tav_, words, &error)) << error;

  const struct {
    const char* input;
    const char* sentence;
  } cases[] = {
      {"3_ge_,", "3个,"},      {"3_ge_。", "3个。"},         {"3_ge", "3革"},  // nothing fixed after it
      {"3_ge_!", "3革!"},      {"，_ge_,", "，革,"},         {"1_dao_2", "1到2"},
      {"1_dao_,", "1道,"},     {"3_gong_li_,", "3公里,"},    {"3_G_L_,", "3公里,"},
      {"Ａ_gu_,", "Ａ股,"},
  };
  for (const auto& c : cases) EXPECT_EQ(Converted(sentence_test::gbk(c.input)), c.sentence) << c.input;
}

TEST_F(GeneratedGapLibrariesTest, WordsThatBeginOrEndASentence) {
  MainWords(2, {Word({"dan", "shi"}, {0, 0}, 60), Word({"dan", "shi"}, {1, 0}, 30),
                Word({"er", "yi"}, {0, 0}, 60), Word({"er", "yi"}, {0, 1}, 30)});
  std::string error;
  ASSERT_TRUE(tavgen::write_head_end_library(tav_, 2, {Word({"dan", "shi"}, {1, 0}, 60, 'h'),
                                                       Word({"er", "yi"}, {0, 1}, 60, 'e')},
                                             &error))
      << error;
  const struct {
    const char* input;
    const char* sentence;
  } cases[] = {
      {"dan_shi_ta_lai", "但是他来"}, {"ta_lai_dan_shi", "他来单是"},
      {"ta_lai_er_yi", "他来而已"},   {"er_yi_ta_lai", "而以他来"},
  };
  for (const auto& c : cases) EXPECT_EQ(Converted(c.input), c.sentence) << c.input;
}

}  // namespace
}  // namespace sentence::testing
