#include "sentenceparser/core/sp_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "sentenceparser/core/tests/core_test_support.h"

namespace {

using namespace sentence;
using engine_test::LogCapture;

class SpFileTest : public sentence_test::CoreTest {};

std::string read_all(SpFile* file, std::size_t n) {
  std::string bytes(n, '\0');
  bytes.resize(_fread(file, bytes.data(), n));
  return bytes;
}

TEST_F(SpFileTest, BackslashIsAFolderSeparator) {
  write("main/x.inx", "index");
  std::string name = (dir_.path() / "main").string() + "\\x.inx";
  const std::string asked = name;
  SpFile* file = _fopen(name.c_str(), kOpenRead);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(read_all(file, 16), "index");
  EXPECT_EQ(name, asked);  // the caller's text is not rewritten
}

TEST_F(SpFileTest, SamePathGivesTheSameHandleRewound) {
  const std::string path = write("lib.dat", "0123456789");
  SpFile* first = _fopen(path.c_str(), kOpenRead);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(read_all(first, 4), "0123");
  _fclose(first);
  SpFile* again = _fopen(path.c_str(), kOpenRead);
  EXPECT_EQ(again, first);
  EXPECT_EQ(read_all(again, 4), "0123");
  ASSERT_EQ(_fseek(again, 7, 0), 0);
  EXPECT_EQ(read_all(again, 8), "789");
}

TEST_F(SpFileTest, OpenModes) {
  const std::string path = write("rw.dat", "abcd");
  EXPECT_EQ(_fopen(path.c_str(), 0), nullptr);
  EXPECT_EQ(_fopen((dir_.path() / "missing.dat").c_str(), kOpenRead), nullptr);

  SpFile* reader = _fopen(path.c_str(), kOpenRead);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(_fwrite(reader, "X", 1), 0u);

  SpFile* writer = _fopen(path.c_str(), kOpenRead | kOpenWrite);
  ASSERT_NE(writer, nullptr);
  ASSERT_EQ(_fseek(writer, 2, 0), 0);
  EXPECT_EQ(_fwrite(writer, "XY", 2), 2u);
  EXPECT_EQ(_fwrite(writer, "Z", 1), 0u);  // writes never grow the file
  EXPECT_EQ(engine_test::read_file(path), "abXY");
}

TEST_F(SpFileTest, MyGetsSplitsLines) {
  struct Case {
    const char* name;
    std::string contents;
    int max;
    std::vector<std::string> lines;
  } cases[] = {
      {"crlf", "ab\r\ncd", 256, {"ab", "cd"}},
      {"final-newline", "ab\ncd\n", 256, {"ab", "cd"}},
      {"empty-lines", "\n\r\nx", 256, {"", "", "x"}},
      {"limit", "abcde\n", 3, {"ab", "cd", "e"}},
  };
  for (const auto& c : cases) {
    SpFile* file = _fopen(write(c.name, c.contents).c_str(), kOpenRead);
    ASSERT_NE(file, nullptr) << c.name;
    std::vector<std::string> lines;
    char buffer[256];
    while (mygets(buffer, c.max, file)) {
      ASSERT_LT(std::strlen(buffer), static_cast<std::size_t>(c.max));
      lines.emplace_back(buffer);
      ASSERT_LT(lines.size(), 10u);
    }
    EXPECT_EQ(lines, c.lines) << c.name;
    EXPECT_STREQ(buffer, "");
  }
}

TEST_F(SpFileTest, CopyFileReplacesAndIsSeenThroughThePool) {
  const std::string from = write("from.lib", "new contents");
  const std::string to = write("to.lib", "old");
  SpFile* before = _fopen(to.c_str(), kOpenRead);
  ASSERT_NE(before, nullptr);
  EXPECT_EQ(read_all(before, 3), "old");

  ASSERT_EQ(CopyFile(from.c_str(), to.c_str(), 0), 0);
  EXPECT_EQ(engine_test::read_file(to), "new contents");
  EXPECT_EQ(read_all(_fopen(to.c_str(), kOpenRead), 32), "new contents");
}

TEST_F(SpFileTest, CopyAndDeleteFailuresAreLoggedAndReturned) {
  LogCapture log;
  const std::string from = write("a.lib", "a");
  const std::string to = write("b.lib", "b");
  EXPECT_EQ(CopyFile(from.c_str(), to.c_str(), 1), -1);
  EXPECT_EQ(engine_test::read_file(to), "b");
  EXPECT_EQ(CopyFile((dir_.path() / "none").c_str(), to.c_str(), 0), -1);
  EXPECT_EQ(engine_test::read_file(to), "b");
  EXPECT_EQ(DeleteFile((dir_.path() / "none").c_str()), -1);
  EXPECT_EQ(log.lines().size(), 3u);

  SpFile* pooled = _fopen(to.c_str(), kOpenRead);
  ASSERT_NE(pooled, nullptr);
  EXPECT_EQ(DeleteFile(to.c_str()), 0);
  EXPECT_FALSE(std::filesystem::exists(to));
  EXPECT_EQ(_fopen(to.c_str(), kOpenRead), nullptr);  // not served from the old mapping
}

TEST(SpTextTest, DecimalTextAndCase) {
  struct Case {
    int value;
    const char* text;
  } cases[] = {{0, "0"}, {7, "7"}, {-42, "-42"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
  for (const auto& c : cases) {
    char text[12];
    EXPECT_EQ(_itoa(c.value, text, 16), static_cast<int>(std::strlen(c.text)));
    EXPECT_STREQ(text, c.text);
    EXPECT_EQ(itoa(c.value, text, 10), static_cast<int>(std::strlen(c.text)));
  }
  char text[] = "Mgrm0.Inx\xB0\xA1";
  _strlwr(text);
  EXPECT_STREQ(text, "mgrm0.inx\xB0\xA1");
  _strupr(text);
  EXPECT_STREQ(text, "MGRM0.INX\xB0\xA1");
}

}  // namespace
