// ScelReader::load(): the header's checks and texts.
#include "scel_fixture.h"

namespace {

namespace fs = std::filesystem;
using namespace scel_fixture;

TEST(ScelLoad, HeaderTextsRoundTrip) {
  engine_test::TempDir temp;
  const scel::WriterContents c = contents();
  const fs::path path = write(temp / "cities.scel", file_bytes(c));
  ScelReader reader;
  ASSERT_EQ(reader.load(path), SCEL_OK);
  EXPECT_EQ(reader.name(), c.name);
  EXPECT_EQ(reader.type(), c.type);
  EXPECT_EQ(reader.remark(), c.remark);
  EXPECT_EQ(reader.samples(), c.samples);
  EXPECT_EQ(reader.uid(), "1234");
  EXPECT_EQ(reader.version(), 1700000000);
  EXPECT_EQ(reader.wordCount(), 4u);
  EXPECT_EQ(reader.file(), path.string());
}

TEST(ScelLoad, StatusesOfBadFiles) {
  engine_test::TempDir temp;
  const std::string good = file_bytes(contents());
  std::string bad_magic = good;
  bad_magic[4] = 0x45;
  std::string version_two = good;
  put32(version_two, scel::kFormatVersionOffset, 2);
  std::string bad_text = good;  // a lone high surrogate in the name
  bad_text.replace(scel::kNameOffset, 4, std::string("\x00\xD8\x41\x00", 4));
  fs::create_directories(temp / "folder.scel");
  struct Case {
    const char* name;
    std::string bytes;  // not written when empty
    std::int32_t status;
  };
  const std::vector<Case> cases = {
      {"magic.scel", bad_magic, SCEL_BAD_MAGIC},
      {"version.scel", version_two, SCEL_BAD_VERSION},
      {"cut-header.scel", good.substr(0, scel::kHeaderBytes - 1), SCEL_SHORT},
      {"cut-in-magic.scel", good.substr(0, 6), SCEL_SHORT},
      {"bad-magic-cut.scel", bad_magic.substr(0, 8), SCEL_BAD_MAGIC},
      {"cut-before-version.scel", good.substr(0, 10), SCEL_SHORT},
      {"bad-text.scel", bad_text, SCEL_SHORT},
      {"missing.scel", "", SCEL_NO_FILE},
      {"folder.scel", "", SCEL_CANNOT_OPEN},
  };
  for (const Case& c : cases) {
    if (!c.bytes.empty()) write(temp / c.name, c.bytes);
    ScelReader reader;
    EXPECT_EQ(reader.load(temp / c.name), c.status) << c.name;
    // Whatever failed, no file stays open for an export.
    EXPECT_EQ(reader.exportToFolder(temp.path()), -1) << c.name;
  }
}

TEST(ScelLoad, TextEndsAtADoubleZeroAndKeepsALoneZero) {
  engine_test::TempDir temp;
  std::string bytes = file_bytes(contents());
  const std::string uid = utf16("1234") + std::string(60 - 8, '\0');
  bytes.replace(scel::kUidOffset, uid.size(), uid);
  const std::string name = utf16("ab") + std::string(2, '\0') + utf16("cd") + std::string(4, '\0');
  bytes.replace(scel::kNameOffset, name.size(), name);
  // A type that fills its field to the last unit has no end mark at all.
  const std::string type = utf16(std::string(260, 'x'));
  bytes.replace(scel::kTypeOffset, type.size(), type);
  ScelReader reader;
  ASSERT_EQ(reader.load(write(temp / "zero.scel", bytes)), SCEL_OK);
  EXPECT_EQ(reader.uid(), "1234");
  EXPECT_EQ(reader.name(), std::string("ab\0cd", 5));
  EXPECT_EQ(reader.type(), std::string(260, 'x'));
}

TEST(ScelLoad, SamplesSplitAtCarriageReturnAndBlank) {
  engine_test::TempDir temp;
  struct Case {
    std::string text;
    std::vector<std::string> samples;
  };
  const std::vector<Case> cases = {
      {"北京\r 上海\r 广州", {"北京", "上海", "广州"}},
      {"a\rb c", {"a\rb c"}},  // neither character alone separates
      {"", {}},
      {"one\r ", {"one"}},
  };
  for (const Case& c : cases) {
    std::string bytes = file_bytes(contents());
    std::string field = utf16(c.text);
    field.resize(scel::kSamplesBytes, '\0');
    bytes.replace(scel::kSamplesOffset, field.size(), field);
    ScelReader reader;
    ASSERT_EQ(reader.load(write(temp / "samples.scel", bytes)), SCEL_OK);
    EXPECT_EQ(reader.samples(), c.samples) << c.text;
  }
}

TEST(ScelLoad, AFailedLoadForgetsTheFileLoadedBefore) {
  engine_test::TempDir temp;
  ScelReader reader;
  ASSERT_EQ(reader.load(write(temp / "good.scel", file_bytes(contents()))), SCEL_OK);
  EXPECT_EQ(reader.load(temp / "missing.scel"), SCEL_NO_FILE);
  EXPECT_EQ(reader.name(), "");
  EXPECT_EQ(reader.wordCount(), 0u);
  EXPECT_EQ(reader.exportToFolder(temp.path()), -1);
}

}  // namespace
