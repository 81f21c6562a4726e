#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/files.h"
#include "tavgen_fixture.h"
#include "tools/kep-tavgen/context_library_writer.h"
#include "tools/kep-tavgen/library_key.h"

namespace tavgen {
namespace {

namespace fs = std::filesystem;
using testing::gbs;

class ContextLibraryWriterTest : public ::testing::Test {
 protected:
  ContextLibraryWriterTest() {
    char pattern[] = "/tmp/tavctx-test-XXXXXX";
    if (mkdtemp(pattern) != nullptr) tav_ = pattern;
  }
  ~ContextLibraryWriterTest() override {
    std::error_code ec;
    fs::remove_all(tav_, ec);
  }
  std::string read(const char* name) const {
    std::error_code ec;
    return platform::files::read_file(tav_ / name, ec).value_or("<missing>");
  }
  // Index entry `number`: first record, count.
  std::pair<unsigned, unsigned> entry(const char* index_name, long number) const {
    const std::string index = read(index_name);
    const auto byte = [&](std::size_t at) { return static_cast<unsigned>(static_cast<unsigned char>(index.at(at))); };
    const std::size_t at = static_cast<std::size_t>(number) * 6;
    return {byte(at) | byte(at + 1) << 8 | byte(at + 2) << 16 | byte(at + 3) << 24, byte(at + 4) | byte(at + 5) << 8};
  }
  static long number(const char* letters) {
    long value = 0;
    for (const char* c = letters; *c != '\0'; ++c) value = value * 26 + (*c - 'a');
    return value;
  }
  static char code(const char* syllable) { return keyed_syllable(syllable)->code; }

  fs::path tav_;
};

TEST_F(ContextLibraryWriterTest, RecordsFollowTheServiceLookupTexts) {
  ContextLibraryWords words;
  words.one = {{'a', 'd', {"ge"}, {1}}, {'a', 'a', {"ge"}, {0}}, {'a', 'd', {"gu"}, {10}}};
  words.two = {{'a', 'd', {"gong", "li"}, {1, 0}}, {'a', 'e', {"gong", "li"}, {2, 3}}};
  words.abbreviated = {{'a', 'd', "gl", gbs("公里")}};
  std::string error;
  ASSERT_TRUE(write_context_libraries(tav_, words, &error)) << error;

  // bd1: bucket (initial, left, right), record: code, position.
  EXPECT_EQ(read("mpp/bd1.inx").size(), 26u * 26 * 26 * 6);
  const std::string one = read("mpp/bd1.dat");
  ASSERT_EQ(one.size(), 3u * 2);
  const auto gaa = entry("mpp/bd1.inx", number("gaa"));
  const auto gad = entry("mpp/bd1.inx", number("gad"));
  EXPECT_EQ(gaa.second, 1u);
  EXPECT_EQ(gad.second, 2u);
  EXPECT_EQ(one.substr(gaa.first * 2, 2), (std::string{code("ge"), 127}));  // position 0 escaped
  const std::string ge{code("ge"), 1};
  const std::string gu{code("gu"), static_cast<char>(126)};  // position 10 escaped
  const std::string bucket = one.substr(gad.first * 2, 4);
  EXPECT_EQ(bucket, code("ge") < code("gu") ? ge + gu : gu + ge);  // sorted by the code

  // bd2: bucket (initials, left), record: right class, codes, positions.
  const auto gla = entry("mpp/bd2.inx", number("gla"));
  EXPECT_EQ(gla.second, 2u);
  EXPECT_EQ(read("mpp/bd2.dat"), (std::string{'d', code("gong"), code("li"), 1, 127} +
                                  std::string{'e', code("gong"), code("li"), 2, 3}));

  // bdj2: bucket (initials, left, right), the word's GBK bytes.
  EXPECT_EQ(entry("mpp/bdj2.inx", number("glad")), (std::pair<unsigned, unsigned>{0, 1}));
  EXPECT_EQ(read("mpp/bdj2.dat"), "\xB9\xAB\xC0\xEF");
}

TEST_F(ContextLibraryWriterTest, UnstorableWordsAreRefused) {
  const struct {
    const char* what;
    ContextLibraryWords words;
  } cases[] = {
      {"a key twice", {{{'a', 'd', {"ge"}, {1}}, {'a', 'd', {"ge"}, {2}}}, {}, {}}},
      {"a class that is no letter", {{{'a', ',', {"ge"}, {1}}}, {}, {}}},
      {"two syllables in bd1", {{{'a', 'd', {"ge", "ge"}, {1, 1}}}, {}, {}}},
      {"no final code", {{{'a', 'd', {"gx"}, {1}}}, {}, {}}},
      {"position 122", {{{'a', 'd', {"ge"}, {122}}}, {}, {}}},
      {"a bd2 key twice", {{}, {{'a', 'd', {"gong", "li"}, {1, 0}}, {'a', 'd', {"gong", "li"}, {0, 0}}}, {}}},
      {"an abbreviation twice", {{}, {}, {{'a', 'd', "gl", gbs("公里")}, {'a', 'd', "gl", gbs("公理")}}}},
      {"one initial", {{}, {}, {{'a', 'd', "g", gbs("公里")}}}},
      {"no hanzi", {{}, {}, {{'a', 'd', "gl", {0xA3AC, 0xA3AC}}}}},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(write_context_libraries(tav_, c.words, &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
}

TEST_F(ContextLibraryWriterTest, NoWordsLeaveIndexesOfZeroCountsAndNoDataFiles) {
  std::string error;
  ASSERT_TRUE(write_context_libraries(tav_, {{{'a', 'd', {"ge"}, {1}}}, {}, {}}, &error)) << error;
  ASSERT_TRUE(fs::exists(tav_ / "mpp/bd1.dat"));
  ASSERT_TRUE(write_context_libraries(tav_, {}, &error)) << error;
  for (const char* name : {"mpp/bd1.dat", "mpp/bd2.dat", "mpp/bdj2.dat"}) EXPECT_FALSE(fs::exists(tav_ / name)) << name;
  EXPECT_EQ(read("mpp/bdj2.inx").size(), 26u * 26 * 26 * 26 * 6);
  EXPECT_EQ(read("mpp/bd1.inx").find_first_not_of('\0'), std::string::npos);
}

}  // namespace
}  // namespace tavgen
