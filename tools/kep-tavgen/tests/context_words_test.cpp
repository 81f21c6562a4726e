#include <gtest/gtest.h>

#include "tavgen_fixture.h"
#include "tools/kep-tavgen/tav_sources.h"

namespace tavgen {
namespace {

using testing::gbs;

TEST(ContextWordsTest, OnlyGb2312WordsWithOneSyllablePerCharacterAreKept) {
  const std::vector<datasources::RimeEntry> entries = {
      {"中国", {"zhong", "guo"}, 120},
      {"国", {"guo"}, 7},
      {"中國", {"zhong", "guo"}, 50},     // a traditional character outside GB2312
      {"中国人", {"zhong", "guo"}, 50},   // a syllable short
      {"ab", {"a", "b"}, 50},             // not Chinese
      {"略", {"lve"}, 9},
      {"中", {"Zhong"}, 9},               // no lower-case initial
      {"", {}, 9},
  };
  std::vector<ContextWord> words;
  append_context_words(entries, &words);
  ASSERT_EQ(words.size(), 3u);
  EXPECT_EQ(words[0].characters, gbs("中国"));
  EXPECT_EQ(words[0].initials, "zg");
  EXPECT_EQ(words[0].weight, 120u);
  EXPECT_EQ(words[1].characters, gbs("国"));
  EXPECT_EQ(words[2].initials, "l");
}

}  // namespace
}  // namespace tavgen
