#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "sentenceparser/core/library_layout.h"
#include "tools/kep-tavgen/library_key.h"
#include "tools/kep-tavgen/word_library_writer.h"

namespace tavgen {
namespace {

namespace fs = std::filesystem;

class ScratchFolder {
 public:
  ScratchFolder() {
    char pattern[] = "/tmp/tavlib-test-XXXXXX";
    if (mkdtemp(pattern) != nullptr) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::string read(const fs::path& path) {
  std::error_code ec;
  return platform::files::read_file(path, ec).value_or("<missing>");
}

struct Entry {
  std::uint32_t first;
  std::uint16_t count;
  bool operator==(const Entry&) const = default;
};

Entry entry(const std::string& index, long number) {
  const auto byte = [&](std::size_t at) { return static_cast<std::uint32_t>(static_cast<unsigned char>(index.at(at))); };
  const std::size_t at = static_cast<std::size_t>(number) * 6;
  return {byte(at) | byte(at + 1) << 8 | byte(at + 2) << 16 | byte(at + 3) << 24,
          static_cast<std::uint16_t>(byte(at + 4) | byte(at + 5) << 8)};
}

// Independent of the writer: base-26 value of lower-case letters.
long number(const char* letters) {
  long value = 0;
  for (const char* c = letters; *c != '\0'; ++c) value = value * 26 + (*c - 'a');
  return value;
}

std::size_t nonempty_entries(const std::string& index) {
  std::size_t used = 0;
  for (std::size_t at = 0; at + 6 <= index.size(); at += 6) used += entry(index, at / 6).count != 0;
  return used;
}

LibraryWord word(std::vector<std::string> syllables, std::vector<int> positions, int weight = 50,
                 int abbreviation = 10, unsigned char flags = 0x40) {
  return {std::move(syllables), std::move(positions), weight, abbreviation, flags, 0};
}

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

TEST(LibraryKeyTest, KeysFollowTheServiceLayout) {
  const struct {
    std::vector<std::string> syllables;
    const char* key;  // "" for no key
  } cases[] = {
      {{"zhong", "guo"}, "zghut*"},  // two syllables: initials, second letters, codes
      {{"a", "ai"}, "aapi<V"},       // "a" is keyed as "aP", its second letter lower-cased
      {{"zhong", "guo", "ren"}, "zgrt*h"},
      {{"e", "er", "o", "lve"}, "eeol.`>?"},
      {{"zhong"}, "zt"},
      {{"zhx", "guo"}, ""},  // no final code
      {{"Zhong", "guo"}, ""},
      {{}, ""},
      {{"a", "a", "a", "a", "a", "a", "a", "a"}, ""},
  };
  for (const auto& c : cases) {
    const std::optional<std::string> key = library_word_key(c.syllables);
    EXPECT_EQ(key.value_or(""), c.key) << ::testing::PrintToString(c.syllables);
  }
}

TEST(WordLibraryWriterTest, TwoSyllableWordsFillTheirBucketsAndTheInitialsIndex) {
  ScratchFolder tav;
  std::string error;
  ASSERT_TRUE(write_main_library(tav.path(), 2,
                                 {word({"zhong", "guo"}, {0, 1}, 50, 20, 0x40),
                                  word({"zhong", "guo"}, {3, 1}, 80, 5, 0x00),
                                  word({"zhang", "guo"}, {2, 0}, 10, 0, 0x00),
                                  word({"a", "guo"}, {4, 5}, 32, 9, 0x40)},
                                 &error))
      << error;
  const std::string index = read(tav.path() / "main/mgrm0.inx");
  const std::string data = read(tav.path() / "main/mgrm0.dat");
  const std::string initials = read(tav.path() / "main/mgrm0j.inx");
  ASSERT_EQ(index.size(), 26u * 26 * 26 * 26 * 6);
  ASSERT_EQ(initials.size(), 26u * 26 * 6);
  ASSERT_EQ(data.size(), 4u * 7);

  EXPECT_EQ(entry(index, number("agpu")), (Entry{0, 1}));
  EXPECT_EQ(entry(index, number("zghu")), (Entry{1, 3}));
  EXPECT_EQ(nonempty_entries(index), 2u);
  EXPECT_EQ(entry(initials, 656), (Entry{1, 3}));  // Z and G
  EXPECT_EQ(entry(initials, number("ag")), (Entry{0, 1}));
  EXPECT_EQ(nonempty_entries(initials), 2u);

  // Codes, positions, weight, abbreviation weight, flags; sorted by code, heaviest homophone
  // first; 0, 9, 10 and 32 stored as their escapes; flags 0 stored as 0x80.
  EXPECT_EQ(data.substr(0, 7), bytes({'<', '*', 4, 5, 123, 122, 0x40}));
  EXPECT_EQ(data.substr(7, 7), bytes({'m', '*', 2, 127, 126, 127, 0x80}));
  EXPECT_EQ(data.substr(14, 7), bytes({'t', '*', 3, 1, 80, 5, 0x80}));
  EXPECT_EQ(data.substr(21, 7), bytes({'t', '*', 127, 1, 50, 20, 0x40}));
  EXPECT_EQ(data.find('\0'), std::string::npos);
}

TEST(WordLibraryWriterTest, LongWordsSortByTheirLaterInitialsBeforeTheirCodes) {
  ScratchFolder tav;
  std::string error;
  // Same first four syllables; the fifth's initial decides although its code sorts the other way.
  ASSERT_TRUE(write_main_library(tav.path(), 5,
                                 {word({"zhong", "hua", "ren", "min", "gong"}, {0, 1, 2, 3, 4}),
                                  word({"zhong", "hua", "ren", "min", "bu"}, {0, 1, 2, 3, 5})},
                                 &error))
      << error;
  const std::string index = read(tav.path() / "main/mgrm3.inx");
  const std::string data = read(tav.path() / "main/mgrm3.dat");
  ASSERT_EQ(data.size(), 2u * 14);
  EXPECT_EQ(entry(index, number("zhrm")), (Entry{0, 2}));
  EXPECT_EQ(data.substr(0, 6), "bt!h1~");
  EXPECT_EQ(data.substr(14, 6), "gt!h18");
  EXPECT_EQ(data.substr(6, 5), bytes({127, 1, 2, 3, 5}));
}

TEST(WordLibraryWriterTest, EachLengthUsesItsBucketLettersAndRecordWidth) {
  const struct {
    int n;
    std::vector<std::string> syllables;
    const char* bucket;
    std::size_t index_entries;
  } cases[] = {
      {3, {"zhong", "guo", "ren"}, "zgr", 26 * 26 * 26},
      {4, {"zhong", "guo", "ren", "min"}, "zgrm", 26 * 26 * 26 * 26},
      {6, {"a", "b", "c", "d", "e", "f"}, "abcd", 26 * 26 * 26 * 26},
      {7, {"wo", "men", "shi", "zhong", "guo", "ren", "a"}, "wmsz", 26 * 26 * 26 * 26},
  };
  for (const auto& c : cases) {
    ScratchFolder tav;
    std::vector<std::string> syllables = c.syllables;
    for (std::string& s : syllables) {
      if (s.size() == 1 && s != "a" && s != "e") s += "a";  // "ba", "ca", ...
    }
    std::string error;
    ASSERT_TRUE(write_main_library(tav.path(), c.n, {word(syllables, std::vector<int>(c.n, 7))}, &error)) << error;
    const std::string index = read(tav.path() / sentence::main_library_name(c.n, ".inx"));
    EXPECT_EQ(index.size(), c.index_entries * 6) << c.n;
    EXPECT_EQ(entry(index, number(c.bucket)), (Entry{0, 1})) << c.n;
    EXPECT_EQ(read(tav.path() / sentence::main_library_name(c.n, ".dat")).size(),
              static_cast<std::size_t>(sentence::main_record_width(c.n)));
  }
}

TEST(WordLibraryWriterTest, WholeAndHeadEndRecordsKeepTheKeyAfterItsThirdByte) {
  ScratchFolder tav;
  std::string error;
  ASSERT_TRUE(write_whole_library(tav.path(), 2, {word({"zhong", "guo"}, {0, 1})}, &error)) << error;
  EXPECT_EQ(read(tav.path() / "mpp/w2.dat"), bytes({'u', 't', '*', 127, 1}));
  EXPECT_EQ(entry(read(tav.path() / "mpp/w2.inx"), number("zgh")), (Entry{0, 1}));

  LibraryWord head = word({"zhong", "guo"}, {0, 1}, 40, 0, 0x00);
  head.marker = 'h';
  LibraryWord end = word({"zhong", "guo"}, {2, 1}, 30, 0, 0x40);
  end.marker = 'e';
  ASSERT_TRUE(write_head_end_library(tav.path(), 2, {end, head}, &error)) << error;
  const std::string data = read(tav.path() / "mpp/j102.dat");
  ASSERT_EQ(data.size(), 2u * 11);
  EXPECT_EQ(data.substr(0, 11), bytes({'u', 't', '*', 127, 1, 127, 127, 40, 127, 0x80, 'h'}));
  EXPECT_EQ(data.substr(11, 11), bytes({'u', 't', '*', 2, 1, 127, 127, 30, 127, 0x40, 'e'}));

  LibraryWord again = head;
  again.positions = {5, 5};
  EXPECT_FALSE(write_head_end_library(tav.path(), 2, {head, again}, &error));
  LibraryWord unmarked = head;
  unmarked.marker = 'x';
  EXPECT_FALSE(write_head_end_library(tav.path(), 2, {unmarked}, &error));
  EXPECT_NE(error.find("zhong guo"), std::string::npos) << error;
}

TEST(WordLibraryWriterTest, UnstorableWordsAreRefusedAndNothingIsWritten) {
  const struct {
    const char* what;
    int n;
    LibraryWord word;
  } cases[] = {
      {"no final code", 2, word({"zhx", "guo"}, {0, 1})},
      {"position 122", 2, word({"zhong", "guo"}, {122, 1})},
      {"negative position", 2, word({"zhong", "guo"}, {-1, 1})},
      {"weight 200", 2, word({"zhong", "guo"}, {0, 1}, 200)},
      {"abbreviation weight 127", 2, word({"zhong", "guo"}, {0, 1}, 50, 127)},
      {"one position short", 2, word({"zhong", "guo"}, {0})},
      {"syllable count", 3, word({"zhong", "guo"}, {0, 1})},
      {"eight syllables", 8, word({"a", "a", "a", "a", "a", "a", "a", "a"}, {0, 0, 0, 0, 0, 0, 0, 0})},
  };
  for (const auto& c : cases) {
    ScratchFolder tav;
    std::string error;
    EXPECT_FALSE(write_main_library(tav.path(), c.n, {word({"zhong", "guo"}, {0, 1}), c.word}, &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_FALSE(fs::exists(tav.path() / "main")) << c.what;
  }
}

TEST(WordLibraryWriterTest, CountsBeyondSixteenBitsAreRefused) {
  ScratchFolder tav;
  std::string error;
  std::vector<LibraryWord> one_bucket(kBucketRecordMax + 1, word({"zhong", "guo"}, {0, 1}));
  EXPECT_FALSE(write_main_library(tav.path(), 2, one_bucket, &error));
  EXPECT_NE(error.find("65536"), std::string::npos) << error;

  // Two buckets that fit, but not together under their initials.
  std::vector<LibraryWord> two_buckets(40000, word({"zhong", "guo"}, {0, 1}));
  two_buckets.resize(80000, word({"zhang", "ge"}, {0, 1}));
  EXPECT_FALSE(write_main_library(tav.path(), 2, two_buckets, &error));
  EXPECT_NE(error.find("80000"), std::string::npos) << error;
  two_buckets.resize(kBucketRecordMax);
  EXPECT_TRUE(write_main_library(tav.path(), 2, two_buckets, &error)) << error;
  EXPECT_EQ(entry(read(tav.path() / "main/mgrm0j.inx"), 656), (Entry{0, 65535}));
}

TEST(WordLibraryWriterTest, LibrariesWithoutWordsAreAnIndexOfZeroCounts) {
  ScratchFolder tav;
  std::string error;
  ASSERT_TRUE(write_head_end_library(tav.path(), 3, {[] {
                                        LibraryWord w = word({"zhong", "guo", "ren"}, {0, 1, 2});
                                        w.marker = 'h';
                                        return w;
                                      }()},
                                      &error));
  ASSERT_TRUE(fs::exists(tav.path() / "mpp/j103.dat"));
  ASSERT_TRUE(write_head_end_library(tav.path(), 3, {}, &error)) << error;
  EXPECT_FALSE(fs::exists(tav.path() / "mpp/j103.dat"));  // the earlier run's data goes
  ASSERT_TRUE(write_empty_context_libraries(tav.path(), &error)) << error;
  const struct {
    const char* name;
    std::size_t entries;
  } cases[] = {{"mpp/j103.inx", 26 * 26 * 26},
               {"mpp/bd1.inx", 26 * 26 * 26},
               {"mpp/bd2.inx", 26 * 26 * 26},
               {"mpp/bdj2.inx", 26 * 26 * 26 * 26}};
  for (const auto& c : cases) {
    const std::string index = read(tav.path() / c.name);
    EXPECT_EQ(index.size(), c.entries * 6) << c.name;
    EXPECT_EQ(index.find_first_not_of('\0'), std::string::npos) << c.name;
  }
  for (const char* name : {"mpp/bd1.dat", "mpp/bd2.dat", "mpp/bdj2.dat"}) EXPECT_FALSE(fs::exists(tav.path() / name));
}

}  // namespace
}  // namespace tavgen
