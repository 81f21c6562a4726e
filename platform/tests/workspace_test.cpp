// The workspace recorder: which addresses it takes, and that each request reads back as the
// one line it wrote, whatever its text holds.
#include "platform/workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/tests/runtime_test_support.h"

namespace platform::workspace {
namespace {

using testing_support::PrivateRuntimeDir;

std::vector<std::vector<std::string>> requests() {
  std::error_code error;
  auto log = read_log(error);
  EXPECT_FALSE(error) << error.message();
  return log;
}

// The fields after the time and the program's name.
std::vector<std::string> request_of(const std::vector<std::string>& line) {
  return line.size() < 2 ? line : std::vector<std::string>(line.begin() + 2, line.end());
}

struct UrlCase {
  const char* url;
  bool accepted;
};

TEST(WorkspaceTest, OnlyWebAddressesWithAHostAreRecorded) {
  const UrlCase cases[] = {
      {"https://kep.example.org/wordpress/?page_id=15", true},
      {"http://kep.example.org", true},
      {"HTTPS://kep.example.org/", true},
      {"http://user@kep.example.org:8080/path", true},
      {"ftp://kep.example.org/file", false},
      {"file:///etc/passwd", false},
      {"javascript:alert(1)", false},
      {"http://", false},
      {"https:///path", false},
      {"http://:80/", false},
      {"http:kep.example.org", false},
      {"kep.example.org", false},
      {"", false},
      {"https://kep.example.org/\nopen-url\thttps://evil.example", false},
  };
  for (const UrlCase& c : cases) {
    PrivateRuntimeDir runtime;
    std::error_code error;
    EXPECT_EQ(open_url(c.url, error), c.accepted) << c.url;
    if (c.accepted) {
      EXPECT_FALSE(error) << c.url;
      const auto log = requests();
      ASSERT_EQ(log.size(), 1u) << c.url;
      EXPECT_EQ(request_of(log[0]), (std::vector<std::string>{"open-url", c.url}));
    } else {
      EXPECT_EQ(error, std::errc::invalid_argument) << c.url;
      EXPECT_TRUE(requests().empty()) << c.url;
    }
  }
}

TEST(WorkspaceTest, TabsLineEndsAndBackslashesInArgumentsReadBackAsWritten) {
  PrivateRuntimeDir runtime;
  const std::string document = "/tmp/notes\twith tab\nand line\r\\end\\t.rtf";
  const std::string application = "com.example.editor\\n";
  std::error_code error;
  ASSERT_TRUE(open_document(document, application, error)) << error.message();

  const auto log = requests();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(request_of(log[0]), (std::vector<std::string>{"open-document", document, application}));
  std::error_code ignored;
  auto text = files::read_file(*log_path(ignored), ignored);
  ASSERT_TRUE(text);
  EXPECT_EQ(std::count(text->begin(), text->end(), '\n'), 1);
}

TEST(WorkspaceTest, RequestsAreKeptInOrderWithTimeAndProgram) {
  PrivateRuntimeDir runtime;
  std::error_code error;
  ASSERT_TRUE(open_application("com.example.manager", error));
  ASSERT_TRUE(activate_application("KEPWindow", error));
  ASSERT_TRUE(select_input_source("US", error));
  ASSERT_TRUE(open_url("https://kep.example.org/", error));
  ASSERT_TRUE(open_document("/a.rtf", "", error));
  ASSERT_TRUE(hide_cursor(error));
  ASSERT_TRUE(unhide_cursor(error));

  const auto log = requests();
  const std::vector<std::vector<std::string>> expected = {
      {"open-application", "com.example.manager"},
      {"activate-application", "KEPWindow"},
      {"select-input-source", "US"},
      {"open-url", "https://kep.example.org/"},
      {"open-document", "/a.rtf", ""},
      {"hide-cursor"},
      {"unhide-cursor"},
  };
  ASSERT_EQ(log.size(), expected.size());
  for (std::size_t i = 0; i < log.size(); ++i) {
    EXPECT_EQ(request_of(log[i]), expected[i]);
    ASSERT_GE(log[i].size(), 2u);
    // 2026-12-10T22:31:23Z
    EXPECT_EQ(log[i][0].size(), 20u) << log[i][0];
    EXPECT_EQ(log[i][0].back(), 'Z');
    EXPECT_EQ(log[i][1], std::string(program_invocation_short_name).substr(0, 15));
  }
}

TEST(WorkspaceTest, NoLogReadsAsNoRequests) {
  PrivateRuntimeDir runtime;
  EXPECT_TRUE(requests().empty());
}

TEST(WorkspaceTest, ARefusedRuntimeFolderRecordsNothingAndSaysWhy) {
  testing_support::ScopedEnv relative("KEP_RUNTIME_DIR", std::string("relative/folder"));
  std::error_code error;
  EXPECT_FALSE(select_input_source("US", error));
  EXPECT_EQ(error, std::errc::invalid_argument);
  error.clear();
  EXPECT_FALSE(hide_cursor(error));
  EXPECT_EQ(error, std::errc::invalid_argument);
}

}  // namespace
}  // namespace platform::workspace
