#include "converter/passes.h"

#include <gtest/gtest.h>

#include "converter/tests/fixture_tables.h"

namespace converter {
namespace {

using testing::build_fixture_tables;
using testing::gb;
using testing::utf8;

struct PassCase {
  const char* what;
  std::string input;     // GB18030
  std::string expected;  // GB18030
};

TEST(CharacterPassTest, ConvertsCharactersAndKeepsEverythingElse) {
  auto tables = build_fixture_tables();
  const PassCase cases[] = {
      {"mapped characters", gb("头发干净"), gb("頭發幹淨")},
      {"ASCII passes", gb("abc 123\n"), gb("abc 123\n")},
      {"unmapped characters pass", gb("很好"), gb("很好")},
      {"four-byte character passes whole", gb("𠀀头"), gb("𠀀頭")},
      {"four-byte character is looked up", gb("𫗧"), gb("餜")},
      {"lone lead byte at the end is dropped", gb("头") + "\xB0", gb("頭")},
      {"cut four-byte character at the end is dropped", gb("头") + "\x95\x32\x82", gb("頭")},
      {"byte that cannot lead is dropped", gb("头") + "\xFF" + gb("发"), gb("頭發")},
      {"empty stays empty", "", ""},
  };
  for (const PassCase& c : cases) {
    EXPECT_EQ(character_pass(c.input, tables.characters), c.expected)
        << c.what << ": " << utf8(character_pass(c.input, tables.characters));
  }
}

// The converter's whole GB18030 part: characters, then both fix tables.
std::string convert(std::string_view utf8_text, const testing::FixtureTables& tables) {
  std::string text = character_pass(gb(utf8_text), tables.characters);
  text = fix_pass(text, tables.fixes.first);
  return utf8(fix_pass(text, tables.fixes.second));
}

TEST(FixPassTest, PhrasesTheCharacterPassGetsWrongAreFixedInContext) {
  auto tables = build_fixture_tables();
  const std::pair<const char*, const char*> cases[] = {
      {"头发", "頭髮"},           {"理发", "理髮"},
      {"干净", "乾淨"},           {"皇后", "皇后"},
      {"后来", "後來"},           {"发现", "發現"},
      {"头发很干净", "頭髮很乾淨"}, {"她理发后来了", "她理髮後來了"},
      {"ab头发cd", "ab頭髮cd"},   {"发", "發"},
      {"𠀀发", "𠀀髮"},           {"头𠀀发", "頭𠀀髮"},
  };
  for (const auto& [input, expected] : cases) EXPECT_EQ(convert(input, tables), expected) << input;
}

FixEntry entry(std::string_view phrase, std::string_view replacement, unsigned before,
               unsigned after) {
  return FixEntry{gb(phrase), gb(replacement), before, after};
}

TEST(FixPassTest, LongestWindowWinsWhateverTheTableOrder) {
  // "發夾" alone is a hair clip; the longer window is an exception that keeps 發.
  const std::vector<FixEntry> entries = {
      entry("發夾", "髮夾", 0, 2),
      entry("頭發夾", "頭發夾", 2, 2),
      entry("發", "发", 0, 0),
  };
  FixTable forward, backward;
  for (const FixEntry& e : entries) ASSERT_NE(forward.add(gb("發"), e), FixTable::AddResult::Invalid);
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) backward.add(gb("發"), *it);

  const std::pair<const char*, const char*> cases[] = {
      {"頭發夾", "頭發夾"}, {"發夾", "髮夾"}, {"發", "发"}, {"頭發", "頭发"},
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(utf8(fix_pass(gb(input), forward)), expected) << input;
    EXPECT_EQ(utf8(fix_pass(gb(input), backward)), expected) << input;
  }
}

TEST(FixPassTest, ContextBeforeIsMatchedAgainstWhatThePassWrote) {
  FixTable table;
  // The first fix also changes the character just before the second one's window ...
  ASSERT_NE(table.add(gb("幹"), entry("幹淨", "乾凈", 0, 2)), FixTable::AddResult::Invalid);
  // ... whose before bytes name the character as it stood in the input.
  ASSERT_NE(table.add(gb("化"), entry("淨化", "淨化", 2, 0)), FixTable::AddResult::Invalid);
  // Trimming by the input would take back "凈" and undo the first fix; the second fix must
  // not apply, because its window is no longer in the text.
  EXPECT_EQ(utf8(fix_pass(gb("幹淨化"), table)), "乾凈化");
  // Where the written text does hold its window, it applies as usual.
  EXPECT_EQ(utf8(fix_pass(gb("淨化"), table)), "淨化");
}

TEST(FixPassTest, ContextBeforeMustStartOnACharacter) {
  // "啊" is B0 A1. After it an "a", the last two bytes written are A1 61, which are also the
  // bytes of the private-use character U+E4E7; a window starting there would split "啊".
  std::string split_char = "\xA1\x61";
  ASSERT_EQ(utf8(split_char), "\uE4E7");
  FixTable table;
  ASSERT_NE(table.add(gb("發"), FixEntry{split_char + gb("發"), gb("錯"), 2, 0}),
            FixTable::AddResult::Invalid);
  EXPECT_EQ(utf8(fix_pass(gb("啊a發"), table)), "啊a發");
  EXPECT_EQ(utf8(fix_pass(split_char + gb("發"), table)), "錯");
}

TEST(FixPassTest, WindowsReachingPastTheTextAreSkipped) {
  FixTable table;
  table.add(gb("發"), entry("頭發", "頭髮", 2, 0));
  table.add(gb("幹"), entry("幹淨", "乾淨", 0, 2));
  const std::pair<const char*, const char*> cases[] = {
      {"發", "發"}, {"幹", "幹"}, {"頭發幹", "頭髮幹"}, {"幹淨", "乾淨"},
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(utf8(fix_pass(gb(input), table)), expected) << input;
  }
}

TEST(FixPassTest, AsciiInWindowsComparesWithoutCase) {
  FixTable table;
  ASSERT_NE(table.add(gb("發"), entry("T恤發", "T恤髮", 3, 0)), FixTable::AddResult::Invalid);
  EXPECT_EQ(utf8(fix_pass(gb("t恤發"), table)), "T恤髮");
  EXPECT_EQ(utf8(fix_pass(gb("x恤發"), table)), "x恤發");
}

TEST(UserFixPassTest, LongestTextFirstInOneScan) {
  const std::vector<std::pair<std::string, std::string>> fixes = {
      {"甲", "乙"}, {"乙", "丙"}, {"甲乙", "戊"},
  };
  UserFixTable forward, backward;
  for (const auto& [text, replacement] : fixes) ASSERT_TRUE(forward.add(text, replacement));
  for (auto it = fixes.rbegin(); it != fixes.rend(); ++it) backward.add(it->first, it->second);
  const std::pair<const char*, const char*> cases[] = {
      {"甲", "乙"},          // replaced text is not replaced again
      {"甲乙甲", "戊乙"},    // the longest text wins
      {"乙甲丁", "丙乙丁"},
      {"", ""},
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(user_fix_pass(input, forward), expected) << input;
    EXPECT_EQ(user_fix_pass(input, backward), expected) << input;
  }
}

}  // namespace
}  // namespace converter
