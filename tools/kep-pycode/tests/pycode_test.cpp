// Pinyin code files: compiled from GB18030 source lists and read back as the pinyin and
// second forms of texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "CoreSource/base/bigendian.h"
#include "CoreSource/base/imelog.h"
#include "CoreSource/tests/engine_test_support.h"
#include "imetools.h"
#include "platform/text.h"

namespace {

namespace fs = std::filesystem;
using platform::text::Encoding;

std::string gb(const std::string& utf8) { return *platform::text::from_utf8(utf8, Encoding::Gb18030); }

struct CodeFile {
  engine_test::TempDir dir;
  fs::path path = dir.path() / "py.mb";

  // Compiles source lines written in UTF-8 (stored as GB18030).
  int build(const std::string& utf8_source, const std::string& raw_tail = "") {
    engine_test::write_file(dir.path() / "source.txt", gb(utf8_source) + raw_tail);
    ime_pycode_node_t root{};
    return ime_build_pinyin_from_file(&root, (dir.path() / "source.txt").c_str(), path.c_str(),
                                      "test", "a test table", "tester");
  }
  std::string bytes() const { return engine_test::read_file(path); }

  // pinyin and second form of `text`, or "-" when the lookup fails.
  std::string phrase(const std::string& text, const ime_pycode_override_t* overrides = nullptr, int count = 0) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    std::string pinyin;
    std::u16string second;
    if (ime_build_phrase_string(file.get(), text, &pinyin, &second, overrides, count) != 0) return "-";
    std::string be;
    for (char16_t u : second) {
      be.push_back(static_cast<char>(u >> 8));
      be.push_back(static_cast<char>(u & 0xFF));
    }
    return pinyin + " " + *platform::text::convert(be, Encoding::Utf16BE, Encoding::Utf8);
  }
};

constexpr const char* kSource =
    "zhong 中\n"
    "zhong 种 種 50\n"
    "zhong 重 重 30 ABCD_EFGH\n"
    "chong 重 重 40\n"
    "xing 行 行 9\n"
    "hang 行 行 5\n"
    "le 了 了 5\n"
    "liao 了 瞭 9\n"
    "lia 了 了 9\n";

std::uint32_t index_entry(const std::string& file, const std::string& utf8) {
  std::string utf16 = *platform::text::convert(utf8, Encoding::Utf8, Encoding::Utf16BE);
  unsigned unit = (static_cast<unsigned char>(utf16[0]) << 8) | static_cast<unsigned char>(utf16[1]);
  std::size_t at = file.size() - IME_PYCODE_TRAILER_BYTES - IME_PYCODE_INDEX_BYTES + 4 * (unit - IME_PYCODE_FIRST_UNIT);
  return ime_read_be32(reinterpret_cast<const unsigned char*>(file.data() + at));
}

TEST(PinyinCodeFileTest, TextsGetTheirMostUsedReadingsAndSecondForms) {
  CodeFile code;
  ASSERT_EQ(code.build(kSource), 0);
  EXPECT_TRUE(fs::exists(code.dir.path() / "py.mb.i"));
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"中", "zhong 中"},
      {"重", "chong 重"},           // 40 beats 30
      {"种行", "zhong'xing 種行"},
      {"了", "liao 瞭"},            // of 5, 9, 9 the first 9 along the chain (the last written)
      {"中a", "-"},                 // outside the index
      {"国", "-"},                  // no record
  };
  for (const Case& c : cases) EXPECT_EQ(code.phrase(c.text), c.expected) << c.text;

  ime_pycode_override_t hang{"hang", 0};
  std::u16string unit = u"行";
  hang.index = unit[0] - IME_PYCODE_FIRST_UNIT;
  EXPECT_EQ(code.phrase("种行", &hang, 1), "zhong'hang 種行");
}

TEST(PinyinCodeFileTest, RecordsCarryDefaultsAndChainThroughTheirCharacter) {
  CodeFile code;
  ASSERT_EQ(code.build(kSource), 0);
  std::string file = code.bytes();
  EXPECT_EQ(file.substr(file.size() - 8), "KEP10000");
  EXPECT_EQ(file.substr(file.size() - IME_PYCODE_TRAILER_BYTES, 4), std::string("test"));

  // 中 has only its pinyin and character: frequency 0, the default tag, itself as second form.
  std::uint32_t zhong = index_entry(file, "中");
  ASSERT_GT(zhong, 0u);
  const auto* record = reinterpret_cast<const unsigned char*>(file.data() + zhong);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record), 6), std::string("zhong\0", 6));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record + 6), 4), "____");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record + 10), 2), gb("中"));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record + 12), 2), gb("中"));
  EXPECT_EQ(ime_read_be32(record + 14), 0u);
  EXPECT_EQ(ime_read_be32(record + 18), 0u);  // the first line
  EXPECT_EQ(ime_read_be32(record + 22), 0u);  // no earlier record of 中

  // 重: the index points at the record written last, which points at the earlier one.
  std::uint32_t last = index_entry(file, "重");
  const auto* later = reinterpret_cast<const unsigned char*>(file.data() + last);
  std::uint32_t earlier_at = ime_read_be32(later + 22);
  ASSERT_GT(earlier_at, 0u);
  ASSERT_LT(earlier_at, last);
  const auto* earlier = reinterpret_cast<const unsigned char*>(file.data() + earlier_at);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(later + 6), 4), "ABCD");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(earlier), 5), "chong");
  EXPECT_EQ(ime_read_be32(earlier + 22), 0u);
}

TEST(PinyinCodeFileTest, LinesThatCannotBeStoredAreSkipped) {
  CodeFile code;
  std::string source = "zhuangg 中\nzhong a\nzhong 𠀀\nZhong 中\nzhong\n\nguo 国\n";
  engine_test::LogCapture log;
  ASSERT_EQ(code.build(source, "zhong \xFF\xFE\n"), 0);  // the last line is not GB18030
  EXPECT_EQ(code.phrase("中"), "-");
  EXPECT_EQ(code.phrase("国"), "guo 国");
  bool reported = false;
  for (const std::string& line : engine_test::LogCapture::lines()) {
    reported |= line.find("at line 1.") != std::string::npos;
  }
  EXPECT_TRUE(reported);
}

TEST(PinyinCodeFileTest, DamagedFilesFailTheLookupWithoutReadingOutside) {
  CodeFile good;
  ASSERT_EQ(good.build(kSource), 0);
  std::string file = good.bytes();
  std::size_t index_at = file.size() - IME_PYCODE_TRAILER_BYTES - IME_PYCODE_INDEX_BYTES;
  std::u16string zhong = u"中";
  std::size_t zhong_entry = index_at + 4 * (zhong[0] - IME_PYCODE_FIRST_UNIT);
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
  } cases[] = {
      {"cut", [](std::string& b) { b.resize(b.size() / 2); }},
      {"empty", [](std::string& b) { b.clear(); }},
      {"index entry beyond the records",
       [&](std::string& b) { ime_write_be32(reinterpret_cast<unsigned char*>(b.data() + zhong_entry), 0x7FFFFFF0); }},
      {"index entry inside the top offsets",
       [&](std::string& b) { ime_write_be32(reinterpret_cast<unsigned char*>(b.data() + zhong_entry), 8); }},
  };
  for (const Case& c : cases) {
    CodeFile code;
    std::string bytes = file;
    c.damage(bytes);
    engine_test::write_file(code.path, bytes);
    EXPECT_EQ(code.phrase("中"), "-") << c.what;
  }

  // A record whose chain leads back to itself stops after the most readings a character has.
  CodeFile looped;
  std::string bytes = file;
  std::uint32_t record = index_entry(file, "中");
  ime_write_be32(reinterpret_cast<unsigned char*>(bytes.data() + record + 22), record);
  engine_test::write_file(looped.path, bytes);
  EXPECT_EQ(looped.phrase("中"), "zhong 中");
}

TEST(PinyinCodeFileTest, WithoutAFileTheResourceIsTriedAndItsAbsenceReported) {
  engine_test::TempDir root;
  engine_test::ScopedEnv env("KEP_ROOT", root.path().string());
  engine_test::reset_engine_caches();
  engine_test::LogCapture log;
  char pinyin[64];
  unsigned char second[64];
  std::size_t pinyin_length = sizeof pinyin, second_length = sizeof second;
  EXPECT_EQ(ime_build_phrase(nullptr, "中", pinyin, &pinyin_length, second, &second_length, nullptr, 0), -1);
  ASSERT_FALSE(engine_test::LogCapture::lines().empty());
  EXPECT_NE(engine_test::LogCapture::lines().back().find("Open Pinyin code file failed!"), std::string::npos);
  engine_test::reset_engine_caches();
}

TEST(ByteOrderTest, SwapsOnlyOnALittleEndianHost) {
  int saved = ime_x86_platform;
  ime_x86_platform = 1;
  EXPECT_EQ(ime_swap_bin32(0x01020304u), 0x04030201u);
  EXPECT_EQ(ime_swap_bin16(0x0102), 0x0201);
  unsigned char units[4] = {0x4E, 0x2D, 0x56, 0xFD};
  ime_swap_str(units, sizeof units);
  EXPECT_EQ(units[0], 0x2D);
  EXPECT_EQ(units[3], 0x56);
  unsigned char out[4];
  int32cpy(out, 0x01020304u);
  EXPECT_EQ(out[0], 0x01);  // stored big-endian
  ime_x86_platform = 0;
  EXPECT_EQ(ime_swap_bin32(0x01020304u), 0x01020304u);
  ime_x86_platform = saved;

  char copy[4] = {'x', 'x', 'x', 'x'};
  _strcpy(copy, "abcdef", 3);
  EXPECT_EQ(std::string(copy, 4), "abcx");
  _strcpy(copy, "z", 3);
  EXPECT_STREQ(copy, "z");
}

}  // namespace
