#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>
#include <utility>
#include <vector>

#include "platform/net/http.h"
#include "test_server.h"

namespace kep_httpd {
namespace {

using namespace std::chrono_literals;
using platform::net::fetch;
using platform::net::FetchError;
using platform::net::FetchOptions;

bool ended_cleanly(std::optional<int> status) {
  return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

TEST(KepHttpdTest, BadLinesAreReportedOnceAndTheOthersServed) {
  TestHttpServer server("/a length alpha\n/b fast beta\n/c status 99 x\n");
  EXPECT_EQ(fetch(server.url("/a"), {}).body, "alpha");
  EXPECT_EQ(fetch(server.url("/b"), {}).http_status, 404);
  EXPECT_EQ(fetch(server.url("/a"), {}).body, "alpha");
  const std::string errors = server.errors();
  const std::string first = "rules: line 2: unknown mode 'fast' (line skipped)\n";
  EXPECT_NE(errors.find(first), std::string::npos) << errors;
  EXPECT_NE(errors.find("rules: line 3: '99' is not a final HTTP status"), std::string::npos)
      << errors;
  // Read at start and for each of three requests, reported once while the text is the same.
  EXPECT_EQ(errors.find(first), errors.rfind(first)) << errors;
}

TEST(KepHttpdTest, AMissingBodyFileOrRulesFileIsAServerErrorSaidOnStderr) {
  TestHttpServer server("/f length @absent.bin\n");
  auto result = fetch(server.url("/f"), {});
  EXPECT_EQ(result.http_status, 500);
  EXPECT_NE(server.errors().find("line 1: cannot read the body file"), std::string::npos)
      << server.errors();
  std::filesystem::remove(server.folder() / "rules");
  EXPECT_EQ(fetch(server.url("/f"), {}).http_status, 500);
  EXPECT_NE(server.errors().find("cannot read the rules file"), std::string::npos)
      << server.errors();
  EXPECT_TRUE(ended_cleanly(server.stop()));
}

// Runs kep-httpd to its end with these arguments: its wait status (-1 when it did not end)
// and its stderr.
std::pair<int, std::string> run_to_end(std::vector<std::string> arguments,
                                       const std::filesystem::path& folder) {
  const std::filesystem::path stderr_path = folder / "stderr";
  const pid_t pid = spawn_kep_httpd(std::move(arguments), stderr_path);
  auto status = wait_for_child(pid, 20s);
  if (!status) {
    ::kill(pid, SIGKILL);
    wait_for_child(pid, 20s);
  }
  std::ifstream in(stderr_path);
  return {status.value_or(-1), std::string(std::istreambuf_iterator<char>(in), {})};
}

TEST(KepHttpdTest, StartsOnlyWithItsRulesFileAndPortFile) {
  std::string pattern = (std::filesystem::temp_directory_path() / "kep-httpd-test-XXXXXX").string();
  ASSERT_TRUE(::mkdtemp(pattern.data()));
  const std::filesystem::path folder = pattern;
  const std::string rules = (folder / "absent").string();
  const std::string port = (folder / "port").string();
  struct Case {
    std::vector<std::string> arguments;
    int exit_status;
    std::string error;
  };
  const Case cases[] = {
      {{"--rules", rules, "--port-file", port}, 1,
       "kep-httpd: cannot read the rules file " + rules + ": No such file or directory\n"},
      {{"--rules", rules}, 2, "usage: kep-httpd"},
      {{"--port-file", port, "--rules"}, 2, "usage: kep-httpd"},
      {{"--rules", rules, "--port-file", port, "--verbose", "1"}, 2, "usage: kep-httpd"},
  };
  for (const Case& c : cases) {
    const auto [status, errors] = run_to_end(c.arguments, folder);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.exit_status) << status << errors;
    EXPECT_TRUE(errors.starts_with(c.error)) << errors;
    EXPECT_FALSE(std::filesystem::exists(port));
  }
  std::filesystem::remove_all(folder);
}

TEST(KepHttpdTest, EndsCleanlyWhileRequestsWaitWithBothLogged) {
  TestHttpServer server("/never never\n/slow slow 60000 @big\n");
  std::ofstream(server.folder() / "big") << std::string(10000, 'b');
  std::thread waiting([&] {
    FetchOptions options;
    options.total_timeout = 60s;
    fetch(server.url("/never?q=1"), options);
  });
  std::thread slow([&] {
    FetchOptions options;
    options.total_timeout = 60s;
    fetch(server.url("/slow"), options);
  });
  // Both requests are logged on arrival; then the server is ended under them.
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (server.requests().size() < 2 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(10ms);
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(ended_cleanly(server.stop())) << server.errors();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
  waiting.join();
  slow.join();
  auto requests = server.requests();
  std::sort(requests.begin(), requests.end());
  EXPECT_EQ(requests, (std::vector<std::string>{"GET /never?q=1\t-", "GET /slow\t-"}));
}

}  // namespace
}  // namespace kep_httpd
