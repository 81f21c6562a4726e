// Double-pinyin schemes: reading scheme files, turning typed keys into syllables, and the
// shipped schemes' layouts.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "split/imesp.h"
#include "engine_test_support.h"

namespace {

using engine_test::TempDir;
using engine_test::write_file;

// Loads `text` as a scheme file.
void load(const std::string& text) {
  TempDir dir;
  write_file(dir / "s.spc", text);
  ASSERT_EQ(ime_load_sp_config((dir / "s.spc").c_str()), 0);
}

std::vector<std::string> parts(const ime_sp_parts_t& key) {
  std::vector<std::string> out;
  for (int slot = 0; slot < IME_SP_PARTS_PER_KEY; ++slot) {
    if (key.length[slot] != 0) out.emplace_back(key.part[slot], key.length[slot]);
  }
  return out;
}
std::vector<std::string> initials(unsigned char key) { return parts(ime_schema.initials[key]); }
std::vector<std::string> finals(unsigned char key) { return parts(ime_schema.finals[key]); }

// Every part of the scheme, as "i<key>=part" or "f<key>=part", and the prefix.
std::vector<std::string> everything() {
  std::vector<std::string> out;
  for (int key = 0; key < IME_SP_KEYS; ++key) {
    for (const std::string& p : initials(key)) out.push_back("i" + std::string(1, char(key)) + "=" + p);
    for (const std::string& p : finals(key)) out.push_back("f" + std::string(1, char(key)) + "=" + p);
  }
  if (ime_schema.prefix != 0) out.push_back(std::string("prefix=") + ime_schema.prefix);
  return out;
}

struct ParseCase {
  const char* name;
  std::string text;
  std::vector<std::string> scheme;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class SchemeFiles : public testing::TestWithParam<ParseCase> {
 protected:
  engine_test::LogCapture log_;
};

TEST_P(SchemeFiles, Read) {
  load(GetParam().text);
  EXPECT_EQ(everything(), GetParam().scheme);
}

INSTANTIATE_TEST_SUITE_P(
    Quirks, SchemeFiles,
    testing::Values(
        ParseCase{"initial_on_a_key", "[sm]\nzh=v\n", {"iv=zh"}},
        ParseCase{"one_part_on_two_keys", "[sm]\nzh=v\nzh=a\n", {"ia=zh", "iv=zh"}},
        ParseCase{"fourth_part_dropped", "[ym]\nuan=r\nvan=r\ner=r\nxx=r\n", {"fr=uan", "fr=van", "fr=er"}},
        ParseCase{"prefix_and_nothing_else_in_zm", "[zm]\nprefix=o\nfoo=o\n", {"prefix=o"}},
        ParseCase{"uppercase_sections", "[SM]\nzh=v\n[YM]\nong=s\n[ZM]\nprefix=$\n", {"fs=ong", "iv=zh", "prefix=$"}},
        ParseCase{"blank_before_equals_is_part_of_the_part", "[sm]\nzh =v\n", {"iv=zh "}},
        ParseCase{"blank_after_equals_is_the_key", "[sm]\nzh= v\n", {"i =zh"}},
        ParseCase{"leading_blanks_and_tabs_skipped", "[sm]\n \t zh=v\n", {"iv=zh"}},
        ParseCase{"lines_before_a_section_ignored", "zh=v\n[sm]\nch=i\n", {"ii=ch"}},
        ParseCase{"other_sections_ignored", "[Sm]\nzh=v\n[ ym ]\nong=s\n", {}},
        ParseCase{"bracket_without_end_keeps_the_section", "[ym]\n[sm\niu=q\n", {"fq=iu"}},
        ParseCase{"comments_and_malformed_lines", "[sm]\n  ; zh=v\nzh\n=v\nzh=\n\n", {}},
        ParseCase{"six_letters_fit", "[ym]\nabcdef=x\nabcdefg=y\n", {"fx=abcdef"}},
        ParseCase{"key_outside_ascii_refused", "[sm]\nzh=\xe4\xb8\xad\nch=i\n", {"ii=ch"}},
        ParseCase{"crlf_lines", "[sm]\r\nzh=v\r\n[zm]\r\nprefix=$\r\n", {"iv=zh", "prefix=$"}},
        // A line of 127 bytes is read; a longer one is refused whole, its tail included.
        ParseCase{"line_of_127_bytes", "[sm]\nzh=v" + std::string(123, ' ') + "\n", {"iv=zh"}},
        ParseCase{"longer_line_refused_whole", "[sm]\n" + std::string(127, ' ') + "ch=i\nsh=u\n", {"iu=sh"}}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(SchemeFiles, LoadReplacesTheSchemeAndAMissingFileKeepsIt) {
  load("[sm]\nzh=v\n");
  load("[sm]\nch=i\n");
  EXPECT_EQ(everything(), std::vector<std::string>{"ii=ch"});
  EXPECT_EQ(ime_load_sp_config("/nonexistent/scheme.spc"), -1);
  EXPECT_EQ(everything(), std::vector<std::string>{"ii=ch"});
}

struct Split {
  std::vector<std::string> syllables;
  std::vector<std::string> keys;
  std::string display;
};

Split split(const std::string& keys, int capacity = IME_MAX_SYLLABLES) {
  std::unique_ptr<char[][IME_SYLLABLE_BYTES]> syllables(new char[capacity][IME_SYLLABLE_BYTES]());
  std::unique_ptr<char[][IME_SYLLABLE_BYTES]> syllable_keys(new char[capacity][IME_SYLLABLE_BYTES]());
  int count = -1;
  EXPECT_EQ(ime_get_py(keys.data(), static_cast<int>(keys.size()), syllables.get(), syllable_keys.get(), &count,
                       capacity),
            0);
  Split out;
  for (int i = 0; i < count; ++i) {
    out.syllables.emplace_back(syllables[i]);
    out.keys.emplace_back(syllable_keys[i]);
  }
  out.display.assign(ime_sp_buffer, static_cast<std::size_t>(ime_sp_buffer_len));
  return out;
}

using Syllables = std::vector<std::string>;

class KeysToPinyin : public testing::Test {
 protected:
  engine_test::LogCapture log_;
};

const char* const kSmallScheme =
    "[sm]\nzh=v\n[ym]\na=a\nong=s\nuo=o\nang=h\nie=x\nui=v\nv=v\n[zm]\nprefix=$\n";

TEST_F(KeysToPinyin, PairsAndTheirDisplay) {
  load(kSmallScheme);
  Split s = split("va");
  EXPECT_EQ(s.syllables, Syllables{"zha"});
  EXPECT_EQ(s.keys, Syllables{"va"});
  EXPECT_EQ(s.display, "va");

  s = split("vsgo");
  EXPECT_EQ(s.syllables, (Syllables{"zhong", "guo"}));
  EXPECT_EQ(s.keys, (Syllables{"vs", "go"}));
  EXPECT_EQ(s.display, "vs'go");
}

TEST_F(KeysToPinyin, InitialsAloneSeparatorsAndGivenBackKeys) {
  load(kSmallScheme);
  // A separator closes an initial typed alone.
  Split s = split("v'go");
  EXPECT_EQ(s.syllables, (Syllables{"zh", "guo"}));
  EXPECT_EQ(s.display, "v'go");
  // No final of x follows zh: x begins the next syllable.
  s = split("vxx");
  EXPECT_EQ(s.syllables, (Syllables{"zh", "xie"}));
  EXPECT_EQ(s.keys, (Syllables{"v", "xx"}));
  EXPECT_EQ(s.display, "v'xx");
  // The last key alone is a syllable of its initial.
  EXPECT_EQ(split("gov").syllables, (Syllables{"guo", "zh"}));
  // The key letter itself completes a syllable no part of the key makes: l + v.
  EXPECT_EQ(split("lv").syllables, Syllables{"lv"});
}

TEST_F(KeysToPinyin, KeysThatBeginNoSyllable) {
  load(kSmallScheme);
  for (const std::string keys : {"1a", "va1", "Va", ";", "v\xe4"}) {
    EXPECT_TRUE(split(keys).syllables.empty()) << keys;
  }
}

TEST_F(KeysToPinyin, ZeroInitialWithOwnLetterOrPrefixKey) {
  load(kSmallScheme);
  EXPECT_EQ(split("aa").syllables, Syllables{"a"});
  EXPECT_EQ(split("ah").syllables, Syllables{"ang"});
  EXPECT_EQ(split("ai").syllables, Syllables{"ai"});
  EXPECT_EQ(split("oo").syllables, Syllables{"o"});

  load("[ym]\na=a\nang=h\nuo=o\no=o\n[zm]\nprefix=o\n");
  EXPECT_EQ(split("oa").syllables, Syllables{"a"});
  EXPECT_EQ(split("oh").syllables, Syllables{"ang"});
  EXPECT_EQ(split("oo").syllables, Syllables{"o"});
  // q types no final: it begins the next syllable, and o stands alone.
  const Split s = split("oq");
  EXPECT_EQ(s.syllables, (Syllables{"o", "q"}));
  EXPECT_EQ(s.display, "o'q");
}

TEST_F(KeysToPinyin, BoundedBySlotsAndDisplay) {
  load(kSmallScheme);
  EXPECT_EQ(split("vsgovsgo", 3).syllables, (Syllables{"zhong", "guo", "zhong"}));
  const std::string many(2 * 100, 'a');  // 100 syllables "a"
  const Split s = split(many, 100);
  EXPECT_EQ(s.syllables.size(), 100u);
  EXPECT_EQ(s.display.size(), static_cast<std::size_t>(IME_SP_DISPLAY_BYTES - 1));
  int count = 0;
  char slots[1][IME_SYLLABLE_BYTES];
  EXPECT_EQ(ime_get_py(nullptr, 1, slots, slots, &count), -1);
  EXPECT_EQ(ime_get_py("a", 1, slots, slots, &count, 0), -1);
}

// The shipped schemes, keys typed as their published layouts give them.
struct ShippedCase {
  const char* file;
  std::string keys;
  Syllables syllables;
};

void PrintTo(const ShippedCase& c, std::ostream* os) { *os << c.file << " " << c.keys; }

class ShippedSchemes : public testing::TestWithParam<ShippedCase> {
 protected:
  engine_test::LogCapture log_;
};

TEST_P(ShippedSchemes, TypeTheirLayout) {
  const std::string path = std::string(KEP_SOURCE_DIR) + "/resources/doublepinyin/" + GetParam().file;
  ASSERT_EQ(ime_load_sp_config(path.c_str()), 0) << path;
  EXPECT_EQ(split(GetParam().keys).syllables, GetParam().syllables) << GetParam().keys;
}

const Syllables kWords = {"shuang", "xiang", "jiong", "lve", "nv", "chuai", "ying", "zhun", "qiu", "xue"};
const Syllables kZeroInitials = {"a", "ai", "an", "ang", "ao", "e", "ei", "en", "eng", "er", "o", "ou"};

INSTANTIATE_TEST_SUITE_P(
    Layouts, ShippedSchemes,
    testing::Values(
        ShippedCase{"ziranma.spc", "vsgo", {"zhong", "guo"}},
        ShippedCase{"ziranma.spc", "udxdjsltnviyyyvpqqxt", kWords},
        ShippedCase{"ziranma.spc", "aaaianahaoeeeienegerooou", kZeroInitials},
        ShippedCase{"xiaohe.spc", "vsgo", {"zhong", "guo"}},
        ShippedCase{"xiaohe.spc", "ulxljsltnvikykvyqqxt", kWords},
        ShippedCase{"xiaohe.spc", "aaaianahaoeeeienegerooou", kZeroInitials},
        ShippedCase{"weiruan.spc", "vsgo", {"zhong", "guo"}},
        ShippedCase{"weiruan.spc", "udxdjsltnyiyy;vpqqxt", kWords},
        ShippedCase{"weiruan.spc", "oaoloj" "ohokoeozofogoroo" "ob", kZeroInitials},
        ShippedCase{"ziguang.spc", "uhgo", {"zhong", "guo"}},
        ShippedCase{"ziguang.spc", "igxgjhlnnvayy;umqjxn", kWords},
        ShippedCase{"ziguang.spc", "oaoporosoqoeokowotojoooz", kZeroInitials}),
    [](const testing::TestParamInfo<ShippedCase>& info) {
      std::string name = info.param.file;
      name = name.substr(0, name.find('.')) + "_" + std::to_string(info.index);
      return name;
    });

}  // namespace
