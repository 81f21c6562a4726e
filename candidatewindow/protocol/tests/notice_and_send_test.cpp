#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "candidatewindow/protocol/message_ids.h"
#include "candidatewindow/protocol/notice_message.h"
#include "candidatewindow/protocol/send_to_im.h"
#include "platform/ports.h"
#include "platform/runloop.h"

namespace kepcandidate {
namespace {

TEST(NoticeReader, Table) {
  struct Case {
    std::string payload;
    bool shown;
    std::string name;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"Dictionary:updated", true, "Dictionary", "updated"},
      {":only text", true, "", "only text"},
      {"a:b:c", false, "", ""},
      {"a::", false, "", ""},
      {"trailing:", false, "", ""},
      {"no colon", false, "", ""},
      {"", false, "", ""},
      {"bad\xff:utf8", false, "", ""},
      {"n:" + std::string(kMaxNoticeBytes - 2, 'x'), true, "n", std::string(kMaxNoticeBytes - 2, 'x')},
      {"n:" + std::string(kMaxNoticeBytes - 1, 'x'), false, "", ""},
  };
  for (const Case& c : cases) {
    std::optional<Notice> notice = readNotice(c.payload);
    ASSERT_EQ(notice.has_value(), c.shown) << c.payload.substr(0, 20);
    if (notice) {
      EXPECT_EQ(notice->name, c.name);
      EXPECT_EQ(notice->text, c.text);
    }
  }
}

class SendToIM : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/kep-send-im.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    runtime_ = folder;
    setenv("KEP_RUNTIME_DIR", runtime_.c_str(), 1);
    setServerProcessId(0);
  }
  void TearDown() override {
    setServerProcessId(0);
    std::error_code ignored;
    std::filesystem::remove_all(runtime_, ignored);
  }
  std::string runtime_;
};

TEST_F(SendToIM, NoServerToAddressBeforeAProcessId) {
  EXPECT_FALSE(serverPortName(0));
  EXPECT_FALSE(serverPortName(-3));
  EXPECT_EQ(serverPortName(77), "com.corvana.inputmethod.kep.imkcandishow.77");
  EXPECT_EQ(SendMessageToIM(kKEPSUpdateStatus, "x"), -1);
  setServerProcessId(-12);
  EXPECT_EQ(SendMessageToIM(kKEPSUpdateStatus, "x"), -1);
}

TEST_F(SendToIM, AbsentServerFailsAndAServingOneGetsTheRequest) {
  setServerProcessId(static_cast<std::int32_t>(getpid()));
  EXPECT_EQ(SendMessageToIM(kKEPSUpdateStatus, "x"), -2);

  platform::RunLoop loop;
  std::vector<std::pair<std::int32_t, std::string>> received;
  std::error_code error;
  auto port = platform::ports::LocalPort::create(
      *serverPortName(getpid()),
      [&](std::int32_t id, std::string_view data) -> std::optional<std::string> {
        received.emplace_back(id, std::string(data));
        loop.stop();
        return std::nullopt;
      },
      loop, error);
  ASSERT_TRUE(port) << error.message();
  EXPECT_EQ(SendMessageToIM(kKEPSVModeMatched, "payload"), 0);
  loop.run_for(std::chrono::seconds(5));
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].first, kKEPSVModeMatched);
  EXPECT_EQ(received[0].second, "payload");
}

}  // namespace
}  // namespace kepcandidate
