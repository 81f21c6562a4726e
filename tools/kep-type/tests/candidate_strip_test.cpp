#include "candidate_strip.h"

#include <gtest/gtest.h>

#include "platform/plist.h"
#include "type_screen.h"

namespace kep_type {
namespace {

std::string payload(platform::plist::Dictionary dictionary) {
  return platform::plist::to_xml(platform::plist::Value(std::move(dictionary)));
}

TEST(CandidateStripTest, SplitsTheJoinedCandidates) {
  struct Case {
    std::string joined;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {"\x01你好\x01拟好\x01你", {"你好", "拟好", "你"}},
      {"?\x01啊", {"啊"}},
      {"", {}},
      {"?", {}},
      {"单", {"单"}},
  };
  for (const Case& c : cases) EXPECT_EQ(split_candidates(c.joined), c.texts) << c.joined;
}

TEST(CandidateStripTest, ShowsAPageAndHidesOn104) {
  CandidateStrip strip;
  platform::plist::Dictionary page;
  page.set("CANDIDATES", "\x01你好\x01你");
  page.set("PAGE", 1);
  page.set("TOTAL_PAGE", 3);
  page.set("PY", "ni'hao");
  strip.apply(106, payload(page));
  ASSERT_TRUE(strip.visible());
  EXPECT_EQ(strip.candidates(), (std::vector<std::string>{"你好", "你"}));
  EXPECT_EQ(strip.composition(), "ni'hao");
  EXPECT_EQ(candidates_line(strip), "1.你好 2.你 (1/3)");
  strip.apply(104, "");
  EXPECT_FALSE(strip.visible());
  EXPECT_EQ(candidates_line(strip), "");
}

TEST(CandidateStripTest, IgnoresWhatTheWindowWouldIgnore) {
  CandidateStrip strip;
  platform::plist::Dictionary page;
  page.set("CANDIDATES", "\x01甲");
  strip.apply(106, payload(page));
  platform::plist::Dictionary without_candidates;
  without_candidates.set("PAGE", 2);
  strip.apply(106, payload(without_candidates));
  strip.apply(106, "not a property list");
  strip.apply(105, "");
  EXPECT_EQ(strip.candidates(), std::vector<std::string>{"甲"});
  EXPECT_TRUE(strip.visible());
}

TEST(CandidateStripTest, ReadsTheModesOfTheStatus) {
  CandidateStrip strip;
  EXPECT_EQ(modes_line(strip.modes()), "");
  platform::plist::Dictionary status;
  status.set("ENGLISH", false);
  status.set("FULL_WIDTH_PUNCT", true);
  status.set("TRADITIONAL", true);
  status.set("PINYIN", true);
  platform::plist::Dictionary message;
  message.set("PROCESS_ID", 42);
  message.set("STATUS", status);
  strip.apply(100, payload(message));
  EXPECT_EQ(modes_line(strip.modes()), "中 | 全角标点 | 繁体 | 全拼");
  platform::plist::Dictionary english;
  english.set("ENGLISH", true);
  platform::plist::Dictionary update;
  update.set("STATUS", english);
  strip.apply(113, payload(update));
  EXPECT_EQ(modes_line(strip.modes()), "英 | 全角标点 | 繁体 | 全拼");
}

}  // namespace
}  // namespace kep_type
