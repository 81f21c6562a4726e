#include "converter/chinese_converter.h"

#include <gtest/gtest.h>

#include "converter/tests/fixture_tables.h"
#include "platform/tests/test_support.h"

namespace converter {
namespace {

using platform::testing_support::TempDir;
using testing::gb;
using testing::LogCapture;

class ChineseConverterTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::write_fixture_tables(dir_.path()); }
  std::unique_ptr<ChineseConverter> make(const std::vector<std::filesystem::path>& fixes = {}) {
    return ChineseConverter::initWithFixFiles(dir_.path(), fixes);
  }
  TempDir dir_;
};

TEST_F(ChineseConverterTest, ConvertsTextThroughAllSteps) {
  auto converter = make();
  ASSERT_TRUE(converter);
  const std::pair<const char*, const char*> cases[] = {
      {"头发很干净", "頭髮很乾淨"},
      {"ASCII only 123", "ASCII only 123"},
      {"皇后后来理发", "皇后後來理髮"},
      {"𠀀发𫗧", "𠀀髮餜"},
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(converter->convertString(input), std::optional<std::string>(expected)) << input;
    EXPECT_EQ(converter->convertData(input), std::optional<std::string>(expected)) << input;
  }
}

TEST_F(ChineseConverterTest, EmptyAndInvalidTextsGiveNoResult) {
  auto converter = make();
  ASSERT_TRUE(converter);
  LogCapture log;
  EXPECT_FALSE(converter->convertString(""));
  EXPECT_TRUE(log.contains("Get string gb18030_2000 buffer length failed."));
  EXPECT_FALSE(converter->convertData("\xE5\xA4"));
  EXPECT_TRUE(log.contains("Create string object from simpData failed."));
  EXPECT_FALSE(converter->convertData("\xED\xA0\x80"));  // an encoded surrogate
}

TEST_F(ChineseConverterTest, VersionsNameEveryTable) {
  auto converter = make();
  ASSERT_TRUE(converter);
  EXPECT_EQ(converter->version(), "1.0");
  EXPECT_EQ(converter->dbVersion(),
            "CoreFix db-1 fixture fix 1, CoreFix db-2 fixture fix 2, Core han db fixture chars");
}

TEST_F(ChineseConverterTest, EachMissingTableStopsConstruction) {
  for (const char* name : {"han.db", "corefix1.db", "corefix2.db"}) {
    TempDir other;
    testing::write_fixture_tables(other.path());
    std::filesystem::remove(other.path() / name);
    LogCapture log;
    EXPECT_FALSE(ChineseConverter::initWithFixFiles(other.path(), {})) << name;
  }
}

TEST_F(ChineseConverterTest, UserFixesApplyLastAndAMissingFileIsSkipped) {
  std::error_code error;
  auto user = dir_.path() / "user.txt";
  platform::files::write_atomic(user, gb("乾淨 干淨\n很 挺\n"), error);
  LogCapture log;
  auto converter = make({dir_.path() / "missing.txt", user});
  ASSERT_TRUE(converter);
  EXPECT_TRUE(log.contains("missing.txt failed."));
  EXPECT_EQ(converter->convertString("头发很干净"), std::optional<std::string>("頭髮挺干淨"));
}

TEST_F(ChineseConverterTest, StepsWorkOnGb18030) {
  auto converter = make();
  ASSERT_TRUE(converter);
  auto one = converter->convertStepOne(gb("头发"));
  ASSERT_TRUE(one);
  EXPECT_EQ(*one, gb("頭發"));
  EXPECT_EQ(converter->convertStepTwo(*one, converter->fixdb(0)), std::optional<std::string>(gb("頭髮")));
}

}  // namespace
}  // namespace converter
