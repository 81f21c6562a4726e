#include "celldict/update/update_reply.h"

#include "update_test_support.h"

namespace {

using namespace update_test;
using celldict::update::looks_like_html;
using celldict::update::parse_reply;
using celldict::update::UpdateLine;

TEST(UpdateReply, LinesOfThreeFieldsAreTakenOthersLoggedAndSkipped) {
  LogLines log;
  const auto lines = parse_reply(
      "1234|2010-01-01 08:00:00|http://a/1.scel\n"
      "567|2011-02-03 04:05:06\n"
      "\n"
      "4|2012-01-01 00:00:00|http://a/4.scel|extra\n"
      "4|2013-01-01 00:00:00|http://a/4.scel\r\n"
      "||\n");
  EXPECT_EQ(lines, (std::vector<UpdateLine>{{"1234", "2010-01-01 08:00:00", "http://a/1.scel"},
                                            {"4", "2013-01-01 00:00:00", "http://a/4.scel"},
                                            {"", "", ""}}));
  EXPECT_TRUE(log.has("Response line '567|2011-02-03 04:05:06' invalid.")) << log.all();
  EXPECT_TRUE(log.has("Response line '4|2012-01-01 00:00:00|http://a/4.scel|extra' invalid."));
  EXPECT_EQ(log.count("invalid."), 2);
}

TEST(UpdateReply, ALastLineWithoutLineEndCounts) {
  EXPECT_EQ(parse_reply("1|v|u").size(), 1u);
  EXPECT_TRUE(parse_reply("").empty());
  EXPECT_TRUE(parse_reply("\n\n\n").empty());
}

TEST(UpdateReply, OnlyTheFirstThousandLinesAreLookedAt) {
  LogLines log;
  std::string reply;
  for (int i = 0; i < 1500; ++i) reply += std::to_string(i) + "|v|u\n";
  const auto lines = parse_reply(reply);
  ASSERT_EQ(lines.size(), celldict::update::kMaxReplyLines);
  EXPECT_EQ(lines.back().uid, "999");
  EXPECT_TRUE(log.has("more than 1000 lines"));
  // Invalid lines count too: a flood of them is not logged line by line without end.
  LogLines flood_log;
  parse_reply(std::string(5000, '\n') + [] {
    std::string bad;
    for (int i = 0; i < 3000; ++i) bad += "x\n";
    return bad;
  }());
  EXPECT_EQ(flood_log.count("invalid."), 1000);
}

TEST(UpdateReply, LoggedLinesCannotForgeLogLines) {
  LogLines log;
  parse_reply(std::string("a\x1b[31m|b\r\rc\n"));
  EXPECT_TRUE(log.has("Response line 'a\\x1B[31m|b\\x0D\\x0Dc' invalid.")) << log.all();
}

TEST(UpdateReply, HtmlPagesAreRecognisedInAnyCase) {
  EXPECT_TRUE(looks_like_html("<html><body>login</body></html>"));
  EXPECT_TRUE(looks_like_html("x\n<TITLE>Portal</TITLE>"));
  EXPECT_TRUE(looks_like_html("<HtMl>"));
  EXPECT_FALSE(looks_like_html("1234|2010-01-01 08:00:00|http://a/html.scel"));
  EXPECT_FALSE(looks_like_html("<htm>"));
}

}  // namespace
