#include "services/ccclient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <map>

#include "base/imelog.h"
#include "platform/tests/runtime_test_support.h"

namespace {

using namespace std::chrono_literals;
using platform::testing_support::PortServerThread;
using platform::testing_support::PrivateRuntimeDir;

// A stand-in converter service whose reply is chosen by the request text.
std::optional<std::string> canned_reply(std::int32_t id, std::string_view payload) {
  static const std::map<std::string, std::optional<std::string>, std::less<>> replies = {
      {"ok", std::string("000:好")},
      {"empty", std::string("000:")},
      {"error", std::string("002:Create string object for input data failed!")},
      {"none", std::nullopt},
      {"short", std::string("00")},
      {"no-separator", std::string("000")},
      {"wrong-separator", std::string("000-好")},
      {"not-digits", std::string("0a0:text")},
      {"nothing", std::string()},
  };
  if (id != QA_MSG_CONVERT_CHINESE) return std::nullopt;
  auto it = replies.find(payload);
  return it == replies.end() ? std::nullopt : it->second;
}

class ConverterClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ime_log_func = [](const char*) {};  // the failures below are expected; keep them quiet
  }
  void TearDown() override { ime_log_func = nullptr; }
};

TEST_F(ConverterClientTest, RepliesAreCheckedBeforeTheyAreRead) {
  PrivateRuntimeDir runtime;
  PortServerThread service("KEPCCServerPort", canned_reply);
  ASSERT_FALSE(service.error()) << service.error().message();
  struct Case {
    const char* request;
    int result;
    const char* out;  // expected out text; nullptr: left as it was
  };
  const Case cases[] = {
      {"ok", 3, "好"},         {"empty", 0, ""},        {"error", -5, nullptr},
      {"none", -5, nullptr},   {"short", -5, nullptr},  {"no-separator", -5, nullptr},
      {"not-digits", -5, nullptr}, {"nothing", -5, nullptr}, {"wrong-separator", -5, nullptr},
  };
  for (const Case& c : cases) {
    std::string out = "before";
    EXPECT_EQ(QAConvertChinese(c.request, std::strlen(c.request), &out), c.result) << c.request;
    EXPECT_EQ(out, c.out ? c.out : "before") << c.request;
  }
}

TEST_F(ConverterClientTest, NoReplyAndEmptyReplyStayApartInTheGenericRequest) {
  PrivateRuntimeDir runtime;
  PortServerThread service("KEPCCServerPort", canned_reply);
  ASSERT_FALSE(service.error());
  std::optional<std::string> reply = std::string("stale");
  EXPECT_EQ(QASendDataToServer("KEPCCServerPort", QA_MSG_CONVERT_CHINESE, "none", &reply), 0);
  EXPECT_FALSE(reply);
  EXPECT_EQ(QASendDataToServer("KEPCCServerPort", QA_MSG_CONVERT_CHINESE, "nothing", &reply), 0);
  EXPECT_EQ(reply, std::optional<std::string>(""));
}

TEST_F(ConverterClientTest, ServiceNotRunningFailsAtOnce) {
  PrivateRuntimeDir runtime;
  std::string out = "before";
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(QAConvertChinese("头", 3, &out), -2);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
  EXPECT_EQ(out, "before");
  std::optional<std::string> reply;
  EXPECT_EQ(QASendDataToServer("KEPCCServerPort", 100, "x", &reply), -2);
  EXPECT_EQ(QASendDataToServer(nullptr, 100, "x", &reply), -2);
}

TEST_F(ConverterClientTest, MissingArgumentsAreRefused) {
  std::string out;
  EXPECT_EQ(QAConvertChinese(nullptr, 3, &out), -1);
  EXPECT_EQ(QAConvertChinese("头", 3, nullptr), -1);
}

}  // namespace
