#include "platform/net/http.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tools/kep-httpd/test_server.h"

namespace platform::net {
namespace {

using namespace std::chrono_literals;
using kep_httpd::TestHttpServer;

// Bounds that only a hung transfer passes; every test waits for its end condition.
constexpr auto kGenerous = 20s;

FetchOptions quick_options() {
  FetchOptions options;
  options.connect_timeout = 10s;
  options.total_timeout = 30s;
  return options;
}

std::chrono::steady_clock::duration time_of(auto&& action) {
  const auto start = std::chrono::steady_clock::now();
  action();
  return std::chrono::steady_clock::now() - start;
}

TEST(HttpAddressTest, OnlyHttpAndHttpsAddressesAreAllowed) {
  const std::pair<const char*, bool> cases[] = {
      {"http://127.0.0.1/x", true}, {"https://example.invalid/", true},
      {"HTTP://host/", true},       {"HttpS://host/", true},
      {"file:///etc/passwd", false}, {"ftp://127.0.0.1/x", false},
      {"http:/host", false},        {" http://host/", false},
      {"httpx://host/", false},     {"", false},
      {"gopher://host/", false},    {"http", false},
  };
  for (const auto& [address, allowed] : cases) {
    EXPECT_EQ(is_allowed_address(address), allowed) << address;
  }
}

TEST(HttpFetchTest, OtherSchemesAreRefusedBeforeAnythingIsFetched) {
  for (const char* address : {"file:///etc/passwd", "ftp://127.0.0.1:1/x", "FILE:///etc/hosts"}) {
    FetchResult result = fetch(address, quick_options());
    EXPECT_EQ(result.error, FetchError::BadAddress) << address;
    EXPECT_TRUE(result.body.empty()) << address;
    EXPECT_FALSE(result.message.empty()) << address;
  }
}

TEST(HttpFetchTest, BodiesArriveWithAndWithoutALength) {
  TestHttpServer server(
      "/sized length hello\\nworld\n"
      "/chunked chunked some chunked text\n"
      "/empty length\n");
  const std::pair<const char*, const char*> cases[] = {
      {"/sized", "hello\nworld"}, {"/chunked", "some chunked text"}, {"/empty", ""}};
  for (const auto& [path, body] : cases) {
    FetchResult result = fetch(server.url(path), quick_options());
    EXPECT_TRUE(result.ok()) << path << ": " << result.message;
    EXPECT_EQ(result.http_status, 200) << path;
    EXPECT_EQ(result.body, body) << path;
    EXPECT_TRUE(result.message.empty()) << path;
  }
}

TEST(HttpFetchTest, BinaryBodiesArriveWhole) {
  TestHttpServer server("/file.scel length @file.scel\n/chunked chunked @file.scel\n");
  std::string content;
  for (int i = 0; i < 200000; ++i) content += static_cast<char>((i * 7) % 256);
  std::ofstream(server.folder() / "file.scel", std::ios::binary) << content;
  for (const char* path : {"/file.scel", "/chunked"}) {
    FetchResult result = fetch(server.url(path), quick_options());
    ASSERT_TRUE(result.ok()) << path << ": " << result.message;
    EXPECT_EQ(result.body, content) << path;
  }
}

TEST(HttpFetchTest, TheSizeLimitRefusesAnnouncedAndArrivingBodies) {
  // The announced one comes a piece a minute: only a refusal by its announced length ends it
  // within the bound.
  TestHttpServer server(
      "/announced slow 60000 0123456789\n"
      "/chunked chunked 0123456789\n"
      "/exact length 01234\n");
  FetchOptions options = quick_options();
  options.max_body_bytes = 5;
  for (const char* path : {"/announced", "/chunked"}) {
    FetchResult result;
    EXPECT_LT(time_of([&] { result = fetch(server.url(path), options); }), kGenerous) << path;
    EXPECT_EQ(result.error, FetchError::TooLarge) << path << ": " << result.message;
    EXPECT_TRUE(result.body.empty()) << path;
  }
  FetchResult exact = fetch(server.url("/exact"), options);
  EXPECT_TRUE(exact.ok()) << exact.message;
  EXPECT_EQ(exact.body, "01234");
}

TEST(HttpFetchTest, ChunkedBodiesAreCutOffAsTheyPassTheLimit) {
  TestHttpServer server("/big chunked @big\n");
  std::ofstream(server.folder() / "big", std::ios::binary) << std::string(4 << 20, 'x');
  FetchOptions options = quick_options();
  options.max_body_bytes = 100000;
  std::uint64_t most_received = 0;
  options.progress = [&](std::uint64_t received, std::optional<std::uint64_t>) {
    most_received = std::max(most_received, received);
    return true;
  };
  FetchResult result = fetch(server.url("/big"), options);
  EXPECT_EQ(result.error, FetchError::TooLarge) << result.message;
  EXPECT_LE(most_received, options.max_body_bytes);
}

TEST(HttpFetchTest, RedirectsAreFollowedWithinTheLimitAndOnlyToTheWeb) {
  TestHttpServer server("/data length the data\n");
  server.set_rules("/data length the data\n/go redirect " + server.url("/data") +
                   "\n/twice redirect /go\n/loop redirect /loop\n"
                   "/to-file redirect file:///etc/passwd\n"
                   "/to-ftp redirect ftp://127.0.0.1:1/data\n");
  struct Case {
    const char* path;
    FetchError error;
    const char* body;
  };
  const Case cases[] = {
      {"/go", FetchError::None, "the data"},
      {"/twice", FetchError::None, "the data"},
      {"/loop", FetchError::HttpStatus, ""},
      {"/to-file", FetchError::BadAddress, ""},
      {"/to-ftp", FetchError::BadAddress, ""},
  };
  FetchOptions options = quick_options();
  options.max_redirects = 2;
  for (const Case& c : cases) {
    FetchResult result = fetch(server.url(c.path), options);
    EXPECT_EQ(result.error, c.error) << c.path << ": " << result.message;
    EXPECT_EQ(result.body, c.body) << c.path;
  }
  // The loop was asked once and followed twice, no more.
  const auto requests = server.requests();
  EXPECT_EQ(std::count(requests.begin(), requests.end(), "GET /loop\t-"), 3);
}

TEST(HttpFetchTest, NoRedirectIsFollowedWhenNoneIsAllowed) {
  TestHttpServer server("/data length the data\n/go redirect /data\n");
  FetchOptions options = quick_options();
  options.max_redirects = 0;
  FetchResult result = fetch(server.url("/go"), options);
  EXPECT_EQ(result.error, FetchError::HttpStatus) << result.message;
  EXPECT_EQ(server.requests(), std::vector<std::string>{"GET /go\t-"});
}

TEST(HttpFetchTest, AServerThatNeverAnswersTimesOut) {
  TestHttpServer server("/never never\n");
  FetchOptions options = quick_options();
  options.total_timeout = 1s;
  FetchResult result;
  const auto elapsed = time_of([&] { result = fetch(server.url("/never"), options); });
  EXPECT_EQ(result.error, FetchError::TimedOut) << result.message;
  EXPECT_GE(elapsed, 1s);
  EXPECT_LT(elapsed, kGenerous);
}

TEST(HttpFetchTest, StatusesOtherThanSuccessAndCutBodiesFail) {
  TestHttpServer server(
      "/missing status 404 not here\n"
      "/broken status 500 oops\n"
      "/created status 201 made\n"
      "/cut cut 10 0123456789abcdefghij\n");
  struct Case {
    const char* path;
    FetchError error;
    long status;
    const char* body;
  };
  const Case cases[] = {
      {"/missing", FetchError::HttpStatus, 404, ""},
      {"/broken", FetchError::HttpStatus, 500, ""},
      {"/no-rule", FetchError::HttpStatus, 404, ""},
      {"/created", FetchError::None, 201, "made"},
      {"/cut", FetchError::TransferFailed, 200, ""},
  };
  for (const Case& c : cases) {
    FetchResult result = fetch(server.url(c.path), quick_options());
    EXPECT_EQ(result.error, c.error) << c.path << ": " << result.message;
    EXPECT_EQ(result.http_status, c.status) << c.path;
    EXPECT_EQ(result.body, c.body) << c.path;
    EXPECT_EQ(result.message.empty(), c.error == FetchError::None) << c.path;
  }
}

TEST(HttpFetchTest, ARefusedConnectionFails) {
  std::string address;
  {
    TestHttpServer server("/x length x\n");
    address = server.url("/x");
  }
  FetchResult result = fetch(address, quick_options());
  EXPECT_EQ(result.error, FetchError::ConnectFailed) << result.message;
}

TEST(HttpFetchTest, ProgressReportsTheReceivedBytesAndTheAnnouncedSize) {
  TestHttpServer server("/sized length @body\n/chunked chunked @body\n");
  const std::string body(300000, 'b');
  std::ofstream(server.folder() / "body", std::ios::binary) << body;
  for (bool sized : {true, false}) {
    std::vector<std::pair<std::uint64_t, std::optional<std::uint64_t>>> reports;
    FetchOptions options = quick_options();
    options.progress = [&](std::uint64_t received, std::optional<std::uint64_t> total) {
      reports.emplace_back(received, total);
      return true;
    };
    FetchResult result = fetch(server.url(sized ? "/sized" : "/chunked"), options);
    ASSERT_TRUE(result.ok()) << result.message;
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().first, body.size()) << sized;
    for (std::size_t i = 1; i < reports.size(); ++i) {
      EXPECT_GE(reports[i].first, reports[i - 1].first) << sized;
      EXPECT_NE(reports[i], reports[i - 1]) << "a report that says nothing new";
    }
    const std::optional<std::uint64_t> total =
        sized ? std::optional<std::uint64_t>(body.size()) : std::nullopt;
    EXPECT_EQ(reports.back().second, total) << sized;
  }
}

TEST(HttpFetchTest, TheAbortFlagAndTheProgressCallbackStopASlowTransfer) {
  // 100 pieces, one every 200 ms: the whole body takes 20 s, more than the bound.
  TestHttpServer server("/slow slow 200 @body\n");
  const std::string body(100 * 1024, 's');
  std::ofstream(server.folder() / "body", std::ios::binary) << body;
  for (bool by_flag : {true, false}) {
    std::atomic<bool> abort{false};
    std::uint64_t last_received = 0;
    FetchOptions options = quick_options();
    options.abort = &abort;
    options.progress = [&](std::uint64_t received, std::optional<std::uint64_t>) {
      last_received = received;
      if (received == 0) return true;
      if (by_flag) abort = true;
      return by_flag;
    };
    FetchResult result;
    const auto elapsed = time_of([&] { result = fetch(server.url("/slow"), options); });
    EXPECT_EQ(result.error, FetchError::Aborted) << by_flag << ": " << result.message;
    EXPECT_TRUE(result.body.empty());
    EXPECT_GT(last_received, 0u);
    EXPECT_LT(last_received, body.size());
    EXPECT_LT(elapsed, kGenerous);
  }
}

TEST(HttpFetchTest, TheUserAgentAndTheQueryReachTheServerAsSent) {
  TestHttpServer server("/dict/upt_cell_dict.php length 4|2010-01-01 08:00:00|http://x/\n");
  FetchOptions options = quick_options();
  options.user_agent = "KEP_UPDATER";
  FetchResult with_agent =
      fetch(server.url("/dict/upt_cell_dict.php?id=4|id=1234|id=567"), options);
  EXPECT_TRUE(with_agent.ok()) << with_agent.message;
  EXPECT_EQ(with_agent.body, "4|2010-01-01 08:00:00|http://x/");
  FetchResult without_agent = fetch(server.url("/dict/upt_cell_dict.php?a=%7C&b=c"), quick_options());
  EXPECT_TRUE(without_agent.ok()) << without_agent.message;
  EXPECT_EQ(server.requests(),
            (std::vector<std::string>{"GET /dict/upt_cell_dict.php?id=4|id=1234|id=567\tKEP_UPDATER",
                                      "GET /dict/upt_cell_dict.php?a=%7C&b=c\t-"}));
}

TEST(HttpFetchTest, RepliesFollowTheRulesAsTheyAreChanged) {
  TestHttpServer server("/reply length first\n");
  EXPECT_EQ(fetch(server.url("/reply"), quick_options()).body, "first");
  server.set_rules("/reply length second\n");
  EXPECT_EQ(fetch(server.url("/reply"), quick_options()).body, "second");
  server.set_rules("/reply status 503 gone\n");
  EXPECT_EQ(fetch(server.url("/reply"), quick_options()).http_status, 503);
}

TEST(HttpFetchTest, FetchesRunSideBySideOnSeveralThreads) {
  TestHttpServer server("/a length alpha\n/b chunked beta\n/never never\n");
  std::vector<FetchResult> results(3);
  std::vector<std::thread> threads;
  const char* paths[] = {"/a", "/b", "/never"};
  for (int i = 0; i < 3; ++i) {
    threads.emplace_back([&, i] {
      FetchOptions options = quick_options();
      options.total_timeout = 2s;
      results[i] = fetch(server.url(paths[i]), options);
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(results[0].body, "alpha");
  EXPECT_EQ(results[1].body, "beta");
  EXPECT_EQ(results[2].error, FetchError::TimedOut);
}

TEST(HttpErrorTextTest, EveryErrorHasItsOwnText) {
  const FetchError errors[] = {FetchError::None,       FetchError::BadAddress,
                               FetchError::ConnectFailed, FetchError::TimedOut,
                               FetchError::TooLarge,   FetchError::HttpStatus,
                               FetchError::Aborted,    FetchError::TransferFailed};
  std::set<std::string> texts;
  for (FetchError error : errors) texts.insert(error_text(error));
  EXPECT_EQ(texts.size(), std::size(errors));
}

}  // namespace
}  // namespace platform::net
