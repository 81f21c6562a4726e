#include <gtest/gtest.h>

#include "request_log.h"
#include "rules.h"

namespace kep_httpd {
namespace {

TEST(RulesTest, LinesBecomeRulesWithTheirModesArgumentsAndBodies) {
  const RuleSet set = parse_rules(
      "# a comment\n"
      "\n"
      "/plain length hello world  \n"
      "  /lines chunked one\\ntwo\\\\n\\t\r\n"
      "/slow slow 250 @data/body.bin\n"
      "/cut cut 3 abcdef\n"
      "/never never\n"
      "/gone status 410 gone\\n\n"
      "/moved redirect http://127.0.0.1:1/x\n"
      "/empty length\n",
      "/rules/folder");
  EXPECT_TRUE(set.problems.empty()) << set.problems.front();
  struct Expected {
    const char* path;
    Mode mode;
    long number;
    const char* location;
    const char* text;
    const char* file;
    int line;
  };
  const Expected expected[] = {
      {"/plain", Mode::Length, 0, "", "hello world  ", nullptr, 3},
      {"/lines", Mode::Chunked, 0, "", "one\ntwo\\n\\t", nullptr, 4},
      {"/slow", Mode::Slow, 250, "", "", "/rules/folder/data/body.bin", 5},
      {"/cut", Mode::Cut, 3, "", "abcdef", nullptr, 6},
      {"/never", Mode::Never, 0, "", "", nullptr, 7},
      {"/gone", Mode::Status, 410, "", "gone\n", nullptr, 8},
      {"/moved", Mode::Redirect, 0, "http://127.0.0.1:1/x", "", nullptr, 9},
      {"/empty", Mode::Length, 0, "", "", nullptr, 10},
  };
  ASSERT_EQ(set.rules.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const Rule& rule = set.rules[i];
    const Expected& want = expected[i];
    SCOPED_TRACE(want.path);
    EXPECT_EQ(rule.path, want.path);
    EXPECT_EQ(rule.mode, want.mode);
    EXPECT_EQ(rule.number, want.number);
    EXPECT_EQ(rule.location, want.location);
    EXPECT_EQ(rule.text, want.text);
    EXPECT_EQ(rule.body_file.has_value(), want.file != nullptr);
    if (want.file) {
      EXPECT_EQ(rule.body_file->string(), want.file);
    }
    EXPECT_EQ(rule.line, want.line);
  }
}

TEST(RulesTest, BadLinesAreReportedWithTheirNumbersAndSkipped) {
  const std::pair<const char*, const char*> cases[] = {
      {"/x fast body", "line 1: unknown mode 'fast'"},
      {"/x", "line 1: no mode"},
      {"x length body", "line 1: the path 'x' does not start with '/'"},
      {"/x slow", "line 1: the mode needs an argument"},
      {"/x slow soon", "line 1: 'soon' is not milliseconds (0 to 600000)"},
      {"/x slow -5 body", "line 1: '-5' is not milliseconds (0 to 600000)"},
      {"/x status 99 body", "line 1: '99' is not a final HTTP status (200 to 599)"},
      {"/x status 404x body", "line 1: '404x' is not a final HTTP status (200 to 599)"},
      {"/x redirect", "line 1: the mode needs an argument"},
      {"/x cut 6 abcdef", "line 1: cut 6 is not below the body's length (6 bytes)"},
      {"/x length @", "line 1: '@' names no body file"},
  };
  for (const auto& [line, problem] : cases) {
    const RuleSet set = parse_rules(std::string(line) + "\n/ok length fine\n", "/f");
    ASSERT_EQ(set.problems.size(), 1u) << line;
    EXPECT_EQ(set.problems[0], problem);
    ASSERT_EQ(set.rules.size(), 1u) << line;
    EXPECT_EQ(set.rules[0].path, "/ok");
    EXPECT_EQ(set.rules[0].line, 2);
  }
}

TEST(RulesTest, TheFirstRuleForAPathAnswers) {
  const RuleSet set = parse_rules("/a length first\n/a length second\n/b length b\n", "/");
  ASSERT_NE(find_rule(set, "/a"), nullptr);
  EXPECT_EQ(find_rule(set, "/a")->text, "first");
  EXPECT_EQ(find_rule(set, "/b")->text, "b");
  EXPECT_EQ(find_rule(set, "/c"), nullptr);
  EXPECT_EQ(find_rule(set, "/a/"), nullptr);
}

TEST(RequestLogTest, LinesHoldTheTargetAsReceivedAndAPrintableAgent) {
  EXPECT_EQ(log_line("GET", "/p?id=4|id=5&x=%7C", "KEP_UPDATER"),
            "GET /p?id=4|id=5&x=%7C\tKEP_UPDATER\n");
  EXPECT_EQ(log_line("POST", "/p", nullptr), "POST /p\t-\n");
  EXPECT_EQ(log_line("GET", "/p", "a\tb\nGET /forged\x7f"), "GET /p\ta?b?GET /forged?\n");
}

}  // namespace
}  // namespace kep_httpd
