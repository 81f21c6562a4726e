#include "celldict/update/uid_scan.h"

#include "update_test_support.h"

namespace {

using namespace update_test;
using celldict::update::getScanID;

class UidScanTest : public ::testing::Test {
 protected:
  fs::path dictionaries() const { return scratch_.path() / "Dictionary"; }
  TempDir scratch_;
  LogLines log_;
};

TEST_F(UidScanTest, QueryPutsTheNoticeUidFirstAndTheOthersInNameOrder) {
  const fs::path a = install(dictionaries(), "a.scel", "1234");
  const fs::path b = install(dictionaries(), "b.SCEL", "4");
  const fs::path c = install(dictionaries(), "c.Scel", "567");
  auto scan = getScanID(dictionaries());
  ASSERT_TRUE(scan);
  EXPECT_EQ(scan->query, "id=4|id=1234|id=567");
  EXPECT_EQ(scan->uidInfo, (std::map<std::string, fs::path>{{"1234", a}, {"4", b}, {"567", c}}));
}

TEST_F(UidScanTest, OnlyTheNoticeUidOrOnlyOthers) {
  install(dictionaries(), "a.scel", "4");
  EXPECT_EQ(getScanID(dictionaries())->query, "id=4");
  fs::remove_all(dictionaries() / "a.scel");
  install(dictionaries(), "a.scel", "1234");
  EXPECT_EQ(getScanID(dictionaries())->query, "id=1234");
}

// "d00.scel", "d01.scel", ...: names in the order of the cases.
std::string folder_name(int n) {
  char name[16];
  std::snprintf(name, sizeof name, "d%02d.scel", n);
  return name;
}

TEST_F(UidScanTest, FoldersWithoutAValidUidAreSkippedAndTheScanGoesOn) {
  struct Case {
    const char* uid_text;
    bool kept;
  } cases[] = {
      {"12a3", false}, {"-5", false},        {"", false},         {" 12", false},
      {"12\n", false}, {"12345678901", false}, {"+7", false},      {"1234567890", true},
      {"1111111111111111111111111111111111111111", false},
      {"0", true},     {"007", true},
  };
  int n = 0;
  for (const Case& c : cases) install(dictionaries(), folder_name(n++), c.uid_text);
  install(dictionaries(), "zz.scel", "99");
  auto scan = getScanID(dictionaries());
  ASSERT_TRUE(scan);
  n = 0;
  for (const Case& c : cases) {
    const fs::path folder = dictionaries() / folder_name(n++);
    bool found = false;
    for (const auto& [uid, path] : scan->uidInfo) found = found || path == folder;
    EXPECT_EQ(found, c.kept) << "uid.info '" << c.uid_text << "'";
  }
  EXPECT_EQ(scan->query, "id=1234567890|id=0|id=7|id=99");
  EXPECT_TRUE(log_.has("uid.info holds no uid ('-5')")) << log_.all();
  EXPECT_TRUE(log_.has("uid.info is too long")) << log_.all();
}

TEST_F(UidScanTest, OnlyVisibleCellDictionaryFoldersCount) {
  install(dictionaries(), ".hidden.scel", "1");
  install(dictionaries(), "__new__a.scel", "2");
  install(dictionaries(), "__NEW__b.scel", "3");
  install(dictionaries(), "scel", "5");         // not longer than four characters
  install(dictionaries(), "words", "6");        // not a cell dictionary's name
  install(dictionaries(), "x.scel.bak", "8");
  write_file(dictionaries() / "file.scel", "9");  // a file, not a folder
  fs::create_directories(dictionaries() / "nouid.scel");
  install(dictionaries(), "ok.scel", "10");
  auto scan = getScanID(dictionaries());
  ASSERT_TRUE(scan);
  EXPECT_EQ(scan->query, "id=10");
  EXPECT_EQ(scan->uidInfo.size(), 1u);
}

TEST_F(UidScanTest, AUidNamedTwiceIsKeptForTheFirstFolder) {
  const fs::path first = install(dictionaries(), "a.scel", "77");
  install(dictionaries(), "b.scel", "77");
  auto scan = getScanID(dictionaries());
  ASSERT_TRUE(scan);
  EXPECT_EQ(scan->query, "id=77");
  EXPECT_EQ(scan->uidInfo.at("77"), first);
}

TEST_F(UidScanTest, EmptyOrMissingFolder) {
  EXPECT_FALSE(getScanID(dictionaries()));
  fs::create_directories(dictionaries());
  auto scan = getScanID(dictionaries());
  ASSERT_TRUE(scan);
  EXPECT_EQ(scan->query, "");
  EXPECT_TRUE(scan->uidInfo.empty());
}

TEST_F(UidScanTest, AnUnreadableUidFileSkipsOnlyItsFolder) {
  install(dictionaries(), "a.scel", "1");
  // A folder in the file's place cannot be read as one.
  fs::create_directories(dictionaries() / "b.scel" / "uid.info");
  install(dictionaries(), "c.scel", "3");
  auto scan = getScanID(dictionaries());
  ASSERT_TRUE(scan);
  EXPECT_EQ(scan->query, "id=1|id=3");
}

TEST(ParseUid, WholeTextMustBeDigits) {
  using celldict::update::parse_uid;
  EXPECT_EQ(parse_uid("1234"), "1234");
  EXPECT_EQ(parse_uid("0004"), "4");
  EXPECT_EQ(parse_uid("000"), "0");
  EXPECT_FALSE(parse_uid("-5"));
  EXPECT_FALSE(parse_uid("4 "));
  EXPECT_FALSE(parse_uid(std::string("4\0", 2)));
}

}  // namespace
