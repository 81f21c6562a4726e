// The window program at full typing speed: pages that wait together are drawn once, a page the
// window already shows is not written again, and a render folder that fails is reported once
// per outage.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "candidatewindow/app/candidate_controller.h"
#include "candidatewindow/app/message_service.h"
#include "candidatewindow/app/tests/window_scratch.h"
#include "candidatewindow/protocol/ComData.h"
#include "candidatewindow/protocol/message_ids.h"
#include "platform/ports.h"
#include "platform/runloop.h"

namespace kepcandidatewindow {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string page_payload(int page, const std::string& candidates) {
  kepcandidate::ComData data;
  data.setObject(candidates, "CANDIDATES");
  data.setObject(100 + page, "X");
  data.setObject(400, "Y");
  data.setObject(page, "PAGE");
  data.setObject(9, "TOTAL_PAGE");
  data.setObject("pinyin", "PY");
  return data.data();
}

std::string activation_payload() {
  kepcandidate::ComData data;
  data.setObject(4242, "PROCESS_ID");
  return data.data();
}

std::int64_t shown_page(const platform::ui::Window& window) {
  const platform::plist::Value* page = window.shows().find("page");
  return page ? page->integer_value().value_or(-1) : -1;
}

struct FileStamp {
  ino_t inode = 0;
  std::int64_t changed_ns = 0;
  bool operator==(const FileStamp&) const = default;
};

FileStamp stamp(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return {info.st_ino, static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec};
}

int count_lines_with(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class WindowPaceTest : public ::testing::Test {
 protected:
  void SetUp() override { controller_.awakeFromNib(registry_); }

  fs::path candidate_file(const char* extension) {
    return scratch_.path() / "render" / "windows" / kProgramName / (std::string("candidate") + extension);
  }

  candidate_test::WindowScratch scratch_{std::nullopt, 0};
  platform::ui::WindowRegistry registry_;
  CandidateController controller_;
};

TEST_F(WindowPaceTest, PagesWaitingOnThePortAreAppliedAndDrawnOnce) {
  platform::RunLoop loop;
  std::error_code error;
  auto service = registerMessageService(controller_, loop, error);
  ASSERT_TRUE(service) << error.message();
  auto port = platform::ports::RemotePort::open(kepcandidate::kCandidateWindowPortName, error);
  ASSERT_TRUE(port) << error.message();

  // Queued before the window's loop turns, as they are when typing outruns it.
  constexpr int kPages = 10;
  ASSERT_EQ(port->send(kepcandidate::kKEPSMessageActivated, activation_payload(), 2s, 2s, false).status,
            platform::ports::SendStatus::Success);
  for (int page = 1; page <= kPages; ++page) {
    const std::string candidates = "第" + std::to_string(page) + "\x01页";
    ASSERT_EQ(port->send(kepcandidate::kKEPSMessageTextInput, page_payload(page, candidates), 2s, 2s, false)
                  .status,
              platform::ports::SendStatus::Success);
  }
  const std::uint64_t before = controller_.window.sequence();
  const auto give_up = std::chrono::steady_clock::now() + 30s;
  while (shown_page(controller_.window) != kPages && std::chrono::steady_clock::now() < give_up) {
    loop.run_for(20ms);
  }
  ASSERT_EQ(shown_page(controller_.window), kPages);
  // The last page is on disk already: nothing waits for a later turn.
  EXPECT_EQ(controller_.window.sequence(), before + 1) << "one display for the whole batch";
  EXPECT_FALSE(controller_.window.needs_display());
  std::optional<platform::plist::Value> state = platform::plist::read_file(candidate_file(".state"), error);
  ASSERT_TRUE(state && state->as_dictionary()) << error.message();
  EXPECT_EQ(state->as_dictionary()->find("sequence")->integer_value(), static_cast<std::int64_t>(before + 1));
  EXPECT_EQ(state->as_dictionary()->find("shows")->as_dictionary()->find("page")->integer_value(), kPages);

  // A later page on its own is displayed by itself, with the next sequence number.
  ASSERT_EQ(port->send(kepcandidate::kKEPSMessageTextInput, page_payload(3, "再\x01来"), 2s, 2s, false).status,
            platform::ports::SendStatus::Success);
  while (shown_page(controller_.window) != 3 && std::chrono::steady_clock::now() < give_up) loop.run_for(20ms);
  ASSERT_EQ(shown_page(controller_.window), 3);
  EXPECT_EQ(controller_.window.sequence(), before + 2);
}

TEST_F(WindowPaceTest, ThePageTheWindowShowsIsNotWrittenAgain) {
  controller_.handleMessage(kepcandidate::kKEPSMessageActivated, activation_payload());
  const std::string page = page_payload(2, "你好\x01你");
  controller_.handleMessage(kepcandidate::kKEPSMessageTextInput, page);
  ASSERT_TRUE(controller_.window.is_visible());
  const std::uint64_t sequence = controller_.window.sequence();
  const FileStamp picture = stamp(candidate_file(".png"));
  const FileStamp state = stamp(candidate_file(".state"));

  for (std::int32_t id : {kepcandidate::kKEPSMessageTextInput, kepcandidate::kKEPSMessageShowCandidateWindow}) {
    controller_.applyMessage(id, page);
    EXPECT_FALSE(controller_.window.needs_display()) << id << ": nothing to draw";
    controller_.displayChangedWindows();
    EXPECT_EQ(controller_.window.sequence(), sequence) << id;
    EXPECT_EQ(stamp(candidate_file(".png")), picture) << id;
    EXPECT_EQ(stamp(candidate_file(".state")), state) << id;
  }
  // Hidden twice: one write; the same page after it shows the window again.
  controller_.handleMessage(kepcandidate::kKEPSMessageHiddenCandidateWindow, "");
  controller_.handleMessage(kepcandidate::kKEPSMessageHiddenCandidateWindow, "");
  EXPECT_EQ(controller_.window.sequence(), sequence + 1);
  controller_.handleMessage(kepcandidate::kKEPSMessageTextInput, page);
  EXPECT_TRUE(controller_.window.is_visible());
  EXPECT_EQ(controller_.window.sequence(), sequence + 2);

  // A new appearance draws the same page anew.
  kepcandidate::ComData red;
  red.setObject(4242, "PROCESS_ID");
  red.setObject("ff0000", "BACKGROUND_COLOR");
  controller_.handleMessage(kepcandidate::kKEPSMessageActivated, red.data());
  controller_.handleMessage(kepcandidate::kKEPSMessageTextInput, page);
  EXPECT_EQ(controller_.window.sequence(), sequence + 3);
  EXPECT_FALSE(stamp(candidate_file(".png")) == picture);
}

TEST_F(WindowPaceTest, ARenderFolderThatFailsIsReportedOncePerOutage) {
  controller_.handleMessage(kepcandidate::kKEPSMessageActivated, activation_payload());
  controller_.handleMessage(kepcandidate::kKEPSMessageTextInput, page_payload(1, "一"));
  const fs::path windows = scratch_.path() / "render" / "windows";
  ASSERT_TRUE(fs::exists(windows / kProgramName));

  // The windows folder replaced by a file: every write fails.
  fs::remove_all(windows);
  { std::FILE* file = std::fopen(windows.c_str(), "w"); ASSERT_TRUE(file); std::fclose(file); }
  testing::internal::CaptureStderr();
  for (int page = 2; page <= 8; ++page) {
    controller_.handleMessage(kepcandidate::kKEPSMessageTextInput, page_payload(page, "第\x01页" + std::to_string(page)));
  }
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(count_lines_with(log, "\n"), 1) << log;
  EXPECT_EQ(count_lines_with(log, "window candidate not written: refused"), 1) << log;

  // Back again: said once, then quiet.
  fs::remove(windows);
  testing::internal::CaptureStderr();
  for (int page = 9; page <= 12; ++page) {
    controller_.handleMessage(kepcandidate::kKEPSMessageTextInput, page_payload(page, "好\x01页" + std::to_string(page)));
  }
  log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(log, std::string(kProgramName) + ": window candidate written again\n");
  EXPECT_EQ(shown_page(controller_.window), 12);
  EXPECT_TRUE(fs::exists(candidate_file(".png")));

  // A second outage is reported again.
  fs::remove_all(windows);
  { std::FILE* file = std::fopen(windows.c_str(), "w"); ASSERT_TRUE(file); std::fclose(file); }
  testing::internal::CaptureStderr();
  controller_.handleMessage(kepcandidate::kKEPSMessageTextInput, page_payload(13, "再"));
  controller_.handleMessage(kepcandidate::kKEPSMessageTextInput, page_payload(14, "次"));
  log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(count_lines_with(log, "window candidate not written"), 1) << log;
}

}  // namespace
}  // namespace kepcandidatewindow
