#include "services/service_reply.h"

#include <gtest/gtest.h>

namespace {

TEST(ServiceReplyTest, OnlyAWholeHeaderIsAccepted) {
  struct Case {
    std::optional<std::string> reply;
    int status;            // -1: refused
    const char* payload;
  };
  const Case cases[] = {
      {std::string("000:text"), 0, "text"},
      {std::string("000:"), 0, ""},
      {std::string("003:Convert stream 'x' failed."), 3, "Convert stream 'x' failed."},
      {std::string("999::"), 999, ":"},
      {std::string("000"), -1, nullptr},
      {std::string("0"), -1, nullptr},
      {std::string(), -1, nullptr},
      {std::nullopt, -1, nullptr},
      {std::string("000-text"), -1, nullptr},
      {std::string("00a:text"), -1, nullptr},
      {std::string(" 00:text"), -1, nullptr},
      {std::string("-01:text"), -1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply.value_or("(no reply)"));
    std::optional<ime_service_reply_t> parsed = ime_parse_service_reply(c.reply);
    if (c.status < 0) {
      EXPECT_FALSE(parsed);
      continue;
    }
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->status, c.status);
    EXPECT_EQ(parsed->payload, c.payload);
  }
}

TEST(ServiceReplyTest, ThePayloadKeepsEveryByteAfterTheHeader) {
  std::optional<std::string> reply = std::string("000:a\0b\xFF", 8);
  std::optional<ime_service_reply_t> parsed = ime_parse_service_reply(reply);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->payload, std::string_view("a\0b\xFF", 4));
}

}  // namespace
