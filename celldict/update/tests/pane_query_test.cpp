// The pane's query: what it asks, and how each kind of answer is classified.
#include "celldict/update/pane_query.h"

#include <chrono>

#include "tools/kep-httpd/test_server.h"
#include "update_test_support.h"

namespace {

using namespace update_test;
using namespace std::chrono_literals;
using celldict::update::PaneQueryOutcome;
using celldict::update::query_update_rows;
using celldict::update::TransferLimits;
using celldict::update::UpdateRow;
using kep_httpd::TestHttpServer;
using Status = PaneQueryOutcome::Status;

// 1262304000 is 2010-01-01 00:00:00 UTC, 08:00:00 in China Standard Time.
constexpr const char* kInstalledVersion = "2010-01-01 08:00:00";

TransferLimits short_limits() {
  TransferLimits limits;
  limits.connect_timeout = 5s;
  limits.total_timeout = 20s;
  return limits;
}

class PaneQueryTest : public ::testing::Test {
 protected:
  fs::path dictionaries() const { return scratch_.path() / "Dictionary"; }
  // The outcome of a query answered with `rule` ("length BODY", "status 500 x", ...).
  PaneQueryOutcome ask(const std::string& rule) {
    server_.set_rules("/dict/upt_cell_dict.php " + rule + "\n");
    return query_update_rows(dictionaries(), server_.url(""), short_limits());
  }

  TempDir scratch_;
  LogLines log_;
  TestHttpServer server_{""};
};

TEST_F(PaneQueryTest, WithoutADictionaryFolderNothingIsAsked) {
  const PaneQueryOutcome outcome = ask("length 1234|x|u");
  EXPECT_EQ(outcome.status, Status::NoDictFound);
  EXPECT_EQ(outcome.status_key(), "NO_DARUZ_DICT_FOUND");
  EXPECT_TRUE(server_.requests().empty());
}

TEST_F(PaneQueryTest, TheNoticeUidIsAlwaysAskedForFirstAndNeverTwice) {
  fs::create_directories(dictionaries());
  ask("length ");
  install(dictionaries(), "a.scel", "1234");
  install(dictionaries(), "b.scel", "4");
  install(dictionaries(), "c.scel", "12a");
  ask("length ");
  EXPECT_EQ(server_.requests(),
            (std::vector<std::string>{"GET /dict/upt_cell_dict.php?id=4\tKEP_UPDATER",
                                      "GET /dict/upt_cell_dict.php?id=4|id=1234\tKEP_UPDATER"}));
}

TEST_F(PaneQueryTest, EachKindOfAnswerGivesItsStatus) {
  install(dictionaries(), "a.scel", "1234");
  struct Case {
    const char* rule;
    Status status;
    const char* key;
  } cases[] = {
      {"length ", Status::NoDictFound, "NO_DARUZ_DICT_FOUND"},
      {"length \\n", Status::UpToDate, "DARUZ_DICT_IS_UPTODATE"},
      {"length <HTML><BODY>portal</BODY></HTML>", Status::QueryFailed, "QUERY_UPDATE_LIST_FAILED"},
      {"length <Title>x</Title>", Status::QueryFailed, "QUERY_UPDATE_LIST_FAILED"},
      {"status 500 1234|2011-01-01 08:00:00|u", Status::QueryFailed, "QUERY_UPDATE_LIST_FAILED"},
      {"cut 5 1234|2011-01-01 08:00:00|u", Status::QueryFailed, "QUERY_UPDATE_LIST_FAILED"},
      {"length 1234|2010-01-01 08:00:00|u\\n", Status::UpToDate, "DARUZ_DICT_IS_UPTODATE"},
      {"length 999|2011-01-01 08:00:00|u\\n", Status::UpToDate, "DARUZ_DICT_IS_UPTODATE"},
  };
  for (const Case& c : cases) {
    const PaneQueryOutcome outcome = ask(c.rule);
    EXPECT_EQ(outcome.status, c.status) << c.rule << "\n" << log_.all();
    EXPECT_EQ(outcome.status_key(), c.key) << c.rule;
    EXPECT_TRUE(outcome.rows.empty()) << c.rule;
  }
  EXPECT_EQ(log_.count("============= DATA =============="), 2);
  EXPECT_TRUE(log_.has("<HTML><BODY>portal</BODY></HTML>"));
  EXPECT_EQ(log_.count("============== END =============="), 2);
}

TEST_F(PaneQueryTest, EveryDifferentVersionIsARowAndBadLinesAreSkipped) {
  const fs::path a = install(dictionaries(), "a.scel", "1234");
  const fs::path b = install(dictionaries(), "b.scel", "567");
  const fs::path c = install(dictionaries(), "c.scel", "89");
  const PaneQueryOutcome outcome = ask(
      "length 1234|2011-01-01 08:00:00\\n"                  // two fields
      "1234|2011-01-01 08:00:00|http://x/a.scel\\n"         // newer
      "567|2011-01-01 08:00:00|http://x/b.scel|extra\\n"    // four fields
      "\\n"
      "567|2009-12-31 08:00:00|http://x/b.scel\\n"          // older, still a row
      "89|2010-01-01 08:00:00|http://x/c.scel\\n"           // the same
      "999|2011-01-01 08:00:00|http://x/none.scel\\n");     // no folder
  ASSERT_EQ(outcome.status, Status::Rows) << log_.all();
  EXPECT_EQ(outcome.status_key(), "");
  EXPECT_EQ(outcome.rows, (std::vector<UpdateRow>{{"1234", "2011-01-01 08:00:00", "http://x/a.scel", a},
                                                   {"567", "2009-12-31 08:00:00", "http://x/b.scel", b}}));
  EXPECT_EQ(log_.count("invalid."), 2) << log_.all();
  EXPECT_TRUE(log_.has("UID 89 is up to date..")) << log_.all();
}

TEST_F(PaneQueryTest, AStagedUpdateCountsAsTheLocalVersion) {
  install(dictionaries(), "a.scel", "1234");
  write_file(dictionaries() / "__new__a.scel" / "version.info", "1293840000");  // 2011-01-01 08:00:00
  EXPECT_EQ(ask("length 1234|2011-01-01 08:00:00|http://x/a.scel\\n").status, Status::UpToDate);
  EXPECT_EQ(ask(std::string("length 1234|") + kInstalledVersion + "|http://x/a.scel\\n").status, Status::Rows);
  // An empty staged version does not count; the installed one answers.
  write_file(dictionaries() / "__new__a.scel" / "version.info", "");
  EXPECT_EQ(ask(std::string("length 1234|") + kInstalledVersion + "|http://x/a.scel\\n").status,
            Status::UpToDate);
}

TEST_F(PaneQueryTest, AFolderWithoutAVersionIsSkipped) {
  const fs::path a = install(dictionaries(), "a.scel", "1234");
  fs::remove(a / "version.info");
  EXPECT_EQ(ask("length 1234|2011-01-01 08:00:00|http://x/a.scel\\n").status, Status::UpToDate);
  EXPECT_TRUE(log_.has("Version file at '")) << log_.all();
}

}  // namespace
