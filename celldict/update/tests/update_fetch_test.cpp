#include "celldict/update/update_fetch.h"

#include <chrono>

#include "celldict/update/cell_dict_update.h"
#include "tools/kep-httpd/test_server.h"
#include "update_test_support.h"

namespace {

using namespace update_test;
using namespace std::chrono_literals;
using celldict::update::download_cell_dict;
using celldict::update::fetch_update_reply;
using celldict::update::TransferLimits;
using kep_httpd::TestHttpServer;

// The smallest body that passes the check: a size word and the magic.
const std::string kMagicOnly("\x08\0\0\0\x44\x43\x53\x01", 8);

TransferLimits short_limits() {
  TransferLimits limits;
  limits.connect_timeout = 5s;
  limits.total_timeout = 20s;
  limits.max_body_bytes = 4096;
  return limits;
}

TEST(UpdateFetch, TheQueryGoesUnencodedWithTheUpdatersAgent) {
  EXPECT_EQ(celldict::update::update_query_address("http://h:1/", "id=4|id=1"),
            "http://h:1/dict/upt_cell_dict.php?id=4|id=1");
  TestHttpServer server("/dict/upt_cell_dict.php length 1234|2010-01-01 08:00:00|u\\n");
  auto reply = fetch_update_reply(server.url(""), "id=4|id=1234|id=567", short_limits());
  EXPECT_EQ(reply, "1234|2010-01-01 08:00:00|u\n");
  EXPECT_EQ(server.requests(),
            (std::vector<std::string>{"GET /dict/upt_cell_dict.php?id=4|id=1234|id=567\tKEP_UPDATER"}));
}

TEST(UpdateFetch, AFailedQueryIsNoReply) {
  LogLines log;
  TestHttpServer server("/dict/upt_cell_dict.php status 500 oops");
  EXPECT_FALSE(fetch_update_reply(server.url(""), "id=1", short_limits()));
  EXPECT_TRUE(log.has("Query '")) << log.all();
}

TEST(UpdateFetch, DownloadsAreCheckedForLengthAndMagic) {
  TestHttpServer server(
      "/good.scel length @good\n"
      "/eight.scel length @eight\n"
      "/seven.scel length 1234567\n"
      "/wrong.scel length 0123456789abcdef\n"
      "/big.scel length @big\n"
      "/chunked-big.scel chunked @big\n"
      "/missing.scel status 404 gone\n");
  const std::string good = cell_dict_bytes(cell_dict("1", 1));
  write_file(server.folder() / "good", good);
  write_file(server.folder() / "eight", kMagicOnly);
  write_file(server.folder() / "big", kMagicOnly + std::string(5000, 'x'));
  LogLines log;
  TransferLimits limits = short_limits();
  limits.max_body_bytes = 4096 + good.size();
  EXPECT_EQ(download_cell_dict(server.url("/good.scel"), limits), good);
  limits.max_body_bytes = 4096;
  EXPECT_EQ(download_cell_dict(server.url("/eight.scel"), limits), kMagicOnly);
  struct Refused {
    const char* path;
    const char* log;
  } refused[] = {
      {"/seven.scel", "failed!"},     {"/wrong.scel", "Invalid downloaded file from"},
      {"/big.scel", "failed!"},       {"/chunked-big.scel", "failed!"},
      {"/missing.scel", "failed!"},
  };
  for (const Refused& r : refused) {
    LogLines one;
    EXPECT_FALSE(download_cell_dict(server.url(r.path), limits)) << r.path;
    EXPECT_TRUE(one.has(std::string("'") + server.url(r.path) + "'")) << one.all();
    EXPECT_TRUE(one.has(r.log)) << r.path << "\n" << one.all();
  }
}

TEST(UpdateFetch, OnlyHttpAndHttpsAreFetched) {
  TempDir folder;
  write_file(folder / "local.scel", kMagicOnly);
  TestHttpServer server("/redirected.scel redirect file://" + (folder / "local.scel").string() + "\n");
  for (const std::string& url : {"file://" + (folder / "local.scel").string(),
                                 std::string("ftp://127.0.0.1/x.scel"), server.url("/redirected.scel"),
                                 std::string("/relative.scel")}) {
    LogLines log;
    EXPECT_FALSE(download_cell_dict(url, short_limits())) << url;
    EXPECT_TRUE(log.has("Download file from '")) << log.all();
  }
}

TEST(UpdateFetch, AServerThatNeverAnswersTimesOut) {
  LogLines log;
  TestHttpServer server("/never.scel never");
  TransferLimits limits = short_limits();
  limits.total_timeout = 1s;
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(download_cell_dict(server.url("/never.scel"), limits));
  // Not the speed of the machine: only that the time-out, not the server, ended the transfer.
  EXPECT_LT(std::chrono::steady_clock::now() - started, 20s);
}

TEST(UpdateFetch, TheAbortFlagEndsATransfer) {
  LogLines log;
  TestHttpServer server("/never.scel never");
  std::atomic<bool> abort{true};
  TransferLimits limits = short_limits();
  limits.total_timeout = 60s;
  limits.abort = &abort;
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(download_cell_dict(server.url("/never.scel"), limits));
  EXPECT_LT(std::chrono::steady_clock::now() - started, 30s);
}

class DownloadFileTest : public ::testing::Test {
 protected:
  fs::path dictionaries() const { return scratch_.path() / "Dictionary"; }
  celldict::update::ScanResult scan() { return *celldict::update::getScanID(dictionaries()); }
  TempDir scratch_;
  LogLines log_;
};

TEST_F(DownloadFileTest, AnEqualVersionDownloadsNothing) {
  install(dictionaries(), "a.scel", "1234", "1262304000");
  TestHttpServer server("/a.scel length @a");
  write_file(server.folder() / "a", cell_dict_bytes(cell_dict("1234", 1262304000)));
  using Status = celldict::update::DownloadOutcome::Status;
  const auto outcome = celldict::update::downloadFile(
      {"1234", "2010-01-01 08:00:00", server.url("/a.scel")}, scan(), dictionaries(), short_limits());
  EXPECT_EQ(outcome.status, Status::UpToDate);
  EXPECT_TRUE(log_.has("No need to update :[2010-01-01 08:00:00,2010-01-01 08:00:00]")) << log_.all();
  EXPECT_TRUE(server.requests().empty());

  // One second older on the service still counts as new.
  TransferLimits limits = short_limits();
  limits.max_body_bytes = 1 << 20;
  const auto older = celldict::update::downloadFile(
      {"1234", "2010-01-01 07:59:59", server.url("/a.scel")}, scan(), dictionaries(), limits);
  EXPECT_EQ(older.status, Status::Imported) << log_.all();
  EXPECT_EQ(server.requests(), (std::vector<std::string>{"GET /a.scel\tKEP_UPDATER"}));
  EXPECT_TRUE(fs::exists(dictionaries() / "__new__a.scel" / "dict.info"));
  EXPECT_EQ(older.samples, (std::vector<std::string>{"中国", "你好"}));
}

TEST_F(DownloadFileTest, UnknownUidsAndFailedDownloadsChangeNothing) {
  install(dictionaries(), "a.scel", "1234");
  TestHttpServer server("/bad.scel length not a cell dictionary at all\n");
  using Status = celldict::update::DownloadOutcome::Status;
  EXPECT_EQ(celldict::update::downloadFile({"99", "x", server.url("/bad.scel")}, scan(), dictionaries(),
                                           short_limits())
                .status,
            Status::Skipped);
  EXPECT_TRUE(log_.has("uidInfo dictionary has no entry for '99'.")) << log_.all();
  EXPECT_EQ(celldict::update::downloadFile({"1234", "x", server.url("/bad.scel")}, scan(),
                                           dictionaries(), short_limits())
                .status,
            Status::DownloadFailed);
  EXPECT_EQ(names_in(dictionaries()), (std::vector<std::string>{"a.scel"}));
}

TEST_F(DownloadFileTest, AnEightByteBodyWithTheMagicFailsToLoadAndStagesNothing) {
  install(dictionaries(), "a.scel", "1234");
  TestHttpServer server("/eight.scel length @eight");
  write_file(server.folder() / "eight", kMagicOnly);
  using Status = celldict::update::DownloadOutcome::Status;
  EXPECT_EQ(celldict::update::downloadFile({"1234", "x", server.url("/eight.scel")}, scan(),
                                           dictionaries(), short_limits())
                .status,
            Status::ImportFailed);
  EXPECT_TRUE(log_.has("Download successed.")) << log_.all();
  EXPECT_TRUE(log_.has("Load scel database from '")) << log_.all();
  EXPECT_EQ(names_in(dictionaries()), (std::vector<std::string>{"a.scel"}));
}

}  // namespace
