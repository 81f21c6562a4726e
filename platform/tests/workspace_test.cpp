// The workspace recorder: which addresses it takes, and that each request reads back as the
// one line it wrote, whatever its text holds.
#include "platform/workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/tests/runtime_test_support.h"
#include "platform/text.h"

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

// The log's one line as written, without its line end.
std::string raw_line() {
  std::error_code ignored;
  auto text = files::read_file(*log_path(ignored), ignored);
  EXPECT_TRUE(text);
  if (!text) return {};
  EXPECT_EQ(std::count(text->begin(), text->end(), '\n'), 1) << *text;
  return text->substr(0, text->find('\n'));
}

// The last tab-separated field of a line as written.
std::string last_raw_field(const std::string& line) { return line.substr(line.rfind('\t') + 1); }

// No byte that a terminal acts on: C0 (the tab between fields aside), DEL, C1, nor anything
// that is not UTF-8.
void expect_inert(const std::string& line) {
  EXPECT_TRUE(text::is_valid_utf8(line)) << line;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto byte = static_cast<unsigned char>(line[i]);
    EXPECT_FALSE((byte < 0x20 && byte != '\t') || byte == 0x7f) << "byte " << i << " of " << line;
    const bool c1 = byte == 0xc2 && i + 1 < line.size() && static_cast<unsigned char>(line[i + 1]) < 0xa0;
    EXPECT_FALSE(c1) << "byte " << i << " of " << line;
  }
}

TEST(WorkspaceTest, ControlCharactersAndBrokenUtf8AreWrittenAsVisibleEscapes) {
  struct Case {
    const char* name;
    std::string argument;
    std::string written;
  } cases[] = {
      {"escape sequence", "/tmp/\x1b[2J\x1b]0;title\x07.rtf", "/tmp/\\x1b[2J\\x1b]0;title\\x07.rtf"},
      {"delete", "a\x7f" "b", "a\\x7fb"},
      {"nul", std::string("a\0b", 3), "a\\x00b"},
      {"C1 introducer", "/tmp/\xc2\x9b" "31m.rtf", "/tmp/\\xc2\\x9b31m.rtf"},
      {"C1 next line", "x\xc2\x85y", "x\\xc2\\x85y"},
      {"no-break space stays", "x\xc2\xa0y", "x\xc2\xa0y"},
      {"Chinese stays", "/home/用户/文档.rtf", "/home/用户/文档.rtf"},
      {"stray byte", "a\xff" "b", "a\\xffb"},
      {"cut sequence", "a\xe4\xb8", "a\\xe4\\xb8"},
      {"surrogate", "\xed\xa0\x80", "\\xed\\xa0\\x80"},
      {"overlong slash", "\xc0\xaf", "\\xc0\\xaf"},
      {"lone continuation", "\x9b[31m", "\\x9b[31m"},
      {"written escape stays text", "\\x1b", "\\\\x1b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PrivateRuntimeDir runtime;
    std::error_code error;
    ASSERT_TRUE(open_document("/a.rtf", c.argument, error)) << error.message();
    const std::string line = raw_line();
    expect_inert(line);
    EXPECT_EQ(last_raw_field(line), c.written);
    const auto log = requests();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(request_of(log[0]), (std::vector<std::string>{"open-document", "/a.rtf", c.argument}));
  }
}

TEST(WorkspaceTest, AnAddressWithAC1CharacterIsRecordedEscaped) {
  PrivateRuntimeDir runtime;
  std::error_code error;
  const std::string url = "https://kep.example.org/\xc2\x9b" "2J";
  ASSERT_TRUE(open_url(url, error)) << error.message();
  const std::string line = raw_line();
  expect_inert(line);
  EXPECT_EQ(last_raw_field(line), "https://kep.example.org/\\xc2\\x9b2J");
}

TEST(WorkspaceTest, AddressesLongerThanTheBoundAreRefused) {
  const std::string prefix = "https://kep.example.org/";
  const struct {
    std::size_t size;
    bool accepted;
  } cases[] = {{kMaxUrlBytes, true}, {kMaxUrlBytes + 1, false}, {1u << 20, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    PrivateRuntimeDir runtime;
    const std::string url = prefix + std::string(c.size - prefix.size(), 'a');
    std::error_code error;
    EXPECT_EQ(open_url(url, error), c.accepted);
    if (c.accepted) {
      const auto log = requests();
      ASSERT_EQ(log.size(), 1u);
      EXPECT_EQ(request_of(log[0]), (std::vector<std::string>{"open-url", url}));
    } else {
      EXPECT_EQ(error, std::errc::value_too_large);
      EXPECT_TRUE(requests().empty());
    }
  }
}

TEST(WorkspaceTest, ALongFieldIsCutAtACharacterBoundaryAndMarked) {
  struct Case {
    const char* name;
    std::string unit;     // repeated past the bound
    std::string written;  // the unit as written
    std::string lead;     // put before the units, so the bound falls inside one
  } cases[] = {
      {"Chinese", "中", "中", ""},
      {"Chinese after one byte", "中", "中", "a"},
      {"escapes", "\x1b", "\\x1b", "ab"},
      {"C1 escapes", "\xc2\x85", "\\xc2\\x85", "a"},
      {"plain", "a", "a", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PrivateRuntimeDir runtime;
    std::string argument = c.lead;
    while (argument.size() < (1u << 20)) argument += c.unit;
    std::error_code error;
    ASSERT_TRUE(open_document(argument, "", error)) << error.message();

    const std::string line = raw_line();
    expect_inert(line);
    const std::size_t start = line.find("\topen-document\t") + std::string("\topen-document\t").size();
    const std::string field = line.substr(start, line.rfind('\t') - start);
    const std::string mark = "\\[cut]";
    ASSERT_GE(field.size(), mark.size());
    ASSERT_EQ(field.substr(field.size() - mark.size()), mark);
    const std::string kept = field.substr(0, field.size() - mark.size());
    EXPECT_LE(kept.size(), kMaxLogFieldBytes);
    // As many whole units as fit: one more would pass the bound.
    EXPECT_GT(kept.size() + c.written.size(), kMaxLogFieldBytes);
    ASSERT_EQ(kept.substr(0, c.lead.size()), c.lead);
    const std::size_t units = (kept.size() - c.lead.size()) / c.written.size();
    std::string expected = c.lead;
    for (std::size_t i = 0; i < units; ++i) expected += c.written;
    EXPECT_EQ(kept, expected);
    // The field after it is whole.
    EXPECT_EQ(line.substr(line.rfind('\t')), "\t");
  }
}

}  // namespace
}  // namespace platform::workspace
