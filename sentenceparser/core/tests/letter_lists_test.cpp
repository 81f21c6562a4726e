#include "sentenceparser/core/letter_lists.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/tests/core_test_support.h"

namespace {

using namespace sentence;
using sentence_test::gbk;
using sentence_test::utf8;

std::string letter_list(const char* key, int* count = nullptr) {
  char output[256];
  const int n = GetJJppDan(key, output);
  if (count) *count = n;
  return output;
}

TEST(LetterListTest, LengthsAndFirstCharacters) {
  struct Case {
    char letter;
    int length;
    const char* first_ten;
  } cases[] = {
      {'a', 78, "按安案爱阿奥岸澳埃碍"},  {'b', 125, "不部本表报保并比办北"},
      {'c', 125, "次从产出成长重种场程"}, {'d', 125, "的大地对到定多动第等"},
      {'e', 52, "而二尔额儿阿恩恶俄耳"},  {'f', 125, "法副发方分放府服费反"},
      {'g', 125, "个国工公关合高过各管"}, {'h', 125, "和或会行合后化好还活"},
      {'i', 125, "产次从出成长重种场程"}, {'j', 125, "就经家进机建加济其计"},
      {'k', 125, "可开会科口看况款克快"}, {'l', 125, "了理来力利量立两里领"},
      {'m', 125, "名民们面万目门美明无"}, {'n', 125, "年能内农南那难女你念"},
      {'o', 14, "欧偶殴呕耦讴藕鸥哦瓯"},  {'p', 125, "片批品平配评便排破培"},
      {'q', 125, "去其全区企前起将期情"}, {'r', 102, "人日入任如然认容热让"},
      {'s', 125, "是上生时市实设社十事"}, {'t', 125, "他同体条提通统天题特"},
      {'u', 125, "上是生时市实设社十事"}, {'v', 125, "中在作这主政制展自长"},
      {'w', 125, "为我外务文位问万委物"}, {'x', 125, "下新行学现系性小些向"},
      {'y', 125, "一有业要以用于员应说"}, {'z', 125, "在中作这主政制展自长"},
  };
  for (const auto& c : cases) {
    for (const char key : {c.letter, static_cast<char>(c.letter - 'a' + 'A')}) {
      const char text[3] = {key, 'x', '\0'};
      int count = 0;
      const std::string list = letter_list(text, &count);
      EXPECT_EQ(count, c.length) << key;
      EXPECT_EQ(list.size(), 2u * c.length) << key;
      EXPECT_EQ(utf8(list.substr(0, 20)), c.first_ten) << key;
    }
  }
}

TEST(LetterListTest, ChShZhListsReorderTheirPlainLetters) {
  const std::string c = letter_list("c"), i = letter_list("i");
  const std::string s = letter_list("s"), u = letter_list("u");
  const std::string z = letter_list("z"), v = letter_list("V");
  EXPECT_EQ(i, c.substr(4, 2) + c.substr(0, 4) + c.substr(6));
  EXPECT_EQ(u, s.substr(2, 2) + s.substr(0, 2) + s.substr(4));
  EXPECT_EQ(v, z.substr(2, 2) + z.substr(0, 2) + z.substr(4));
  EXPECT_EQ(utf8(letter_list("o")), "欧偶殴呕耦讴藕鸥哦瓯怄噢沤区");
}

TEST(LetterListTest, OtherKeysComeBack) {
  int count = 0;
  EXPECT_EQ(letter_list("5", &count), "5");
  EXPECT_EQ(count, 1);
  EXPECT_EQ(letter_list("", &count), "");
  EXPECT_EQ(count, 1);
  EXPECT_EQ(letter_list(gbk("中国").c_str(), &count), gbk("中国"));
  EXPECT_EQ(count, 2);
  const std::string long_key(400, '7');
  EXPECT_EQ(letter_list(long_key.c_str(), &count), std::string(254, '7'));
  EXPECT_EQ(count, 127);
}

TEST(ContextLineTest, RecordNumbers) {
  struct Case {
    std::string key;
    int record;
  } cases[] = {
      {"QTb", 27},           {"\xB0\xA1" "a", 104},  {"JSa", 0},
      {"XWz", 103},          {"SZB", 53},            {"\xD7\xF9" "a", (3755 + 3) * 26},
      {"\xD8\xA1" "c", (3756 + 3) * 26 + 2},       {"\xD7\xFA" "a", -1},
      {"QT5", -1},           {"ABa", -1},            {"Q", -1},
      {"", -1},              {"\xA3\xC1" "a", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(compute_danmodi_line(c.key.c_str()), c.record) << testing::PrintToString(c.key);
  }
}

// py/danmodi.{inx,lib} written as the generator stores them.
class ContextListTest : public sentence_test::CoreTest {
 protected:
  void SetUp() override {
    data_path_ = dir_.path().string() + "/";
    InputProperty.DataPath = data_path_.data();
  }
  void TearDown() override {
    InputProperty.DataPath = nullptr;
    CoreTest::TearDown();
  }
  void add_record(int record, std::uint32_t start, std::uint16_t count) {
    if (index_.size() < 6u * (record + 1)) index_.resize(6u * (record + 1), '\0');
    const unsigned char bytes[6] = {static_cast<unsigned char>(start), static_cast<unsigned char>(start >> 8),
                                    static_cast<unsigned char>(start >> 16), static_cast<unsigned char>(start >> 24),
                                    static_cast<unsigned char>(count), static_cast<unsigned char>(count >> 8)};
    std::memcpy(index_.data() + 6 * record, bytes, 6);
  }
  // Appends characters to the list file; returns their start, in characters.
  std::uint32_t add_characters(const std::string& gbk_text) {
    const auto start = static_cast<std::uint32_t>(list_.size() / 2);
    for (char c : gbk_text) list_ += static_cast<char>(c ^ kDanmodiXorKey);
    return start;
  }
  void save() {
    write("py/danmodi.inx", index_);
    write("py/danmodi.lib", list_);
  }
  std::string context_list(const std::string& key, int* result) {
    char output[259];
    std::memset(output, 'x', sizeof output);
    *result = gethead_interchr(key.c_str(), output);
    return *result ? std::string(output) : std::string(output, 1);
  }
  std::string data_path_;
  std::string index_;
  std::string list_;
};

TEST_F(ContextListTest, ListsOfTheRecord) {
  const std::string zhong = gbk("中");
  const std::uint32_t short_start = add_characters(gbk("甲乙丙"));
  std::string many;
  for (int i = 0; i < 300; ++i) many += std::string{static_cast<char>(0xC0 + i / 94), static_cast<char>(0xA1 + i % 94)};
  const std::uint32_t long_start = add_characters(many);
  add_record(compute_danmodi_line("QTb"), short_start, 3);
  add_record(compute_danmodi_line((zhong + "a").c_str()), long_start, 300);
  add_record(compute_danmodi_line("XWa"), 0, 0);
  add_record(compute_danmodi_line("SZa"), long_start + 290, 20);  // runs past the end of the list
  save();

  int result = 0;
  EXPECT_EQ(utf8(context_list("QTb", &result)), "甲乙丙");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(context_list(zhong + "A", &result), many.substr(0, 2 * kContextListMax));
  EXPECT_EQ(result, 1);
  struct Missing {
    std::string key;
  } missing[] = {{"XWa"}, {"SZa"}, {"QTc"}, {"QT5"}, {gbk("国") + "a"},
                       {"\xF7\xFE" "a"}};  // the last record lies beyond the index
  for (const auto& m : missing) {
    EXPECT_EQ(context_list(m.key, &result), "x") << testing::PrintToString(m.key);
    EXPECT_EQ(result, 0);
  }
}

TEST_F(ContextListTest, NoFilesNoList) {
  int result = 1;
  EXPECT_EQ(context_list("QTb", &result), "x");
  EXPECT_EQ(result, 0);
  InputProperty.DataPath = nullptr;
  EXPECT_EQ(context_list("QTb", &result), "x");
  EXPECT_EQ(result, 0);
}

TEST_F(ContextListTest, LetterChoiceMergesContextFirst) {
  const std::string zhong = gbk("中");
  add_record(compute_danmodi_line((zhong + "b").c_str()), add_characters(gbk("甲不乙")), 3);
  std::string many;
  for (int i = 0; i < 125; ++i) many += std::string{static_cast<char>(0xC8), static_cast<char>(0xA1 + i % 94)} ;
  many = many.substr(0, 2 * 94);  // 94 distinct characters
  many += gbk("天地人") + many.substr(0, 2 * 28);  // 125 characters, above the merge limit
  add_record(compute_danmodi_line((zhong + "t").c_str()), add_characters(many), 125);
  save();
  const std::string letters_b = letter_list("b");

  char output[kRepeatHzOutput];
  int count = GetJpDan(zhong.c_str(), "B", output);
  std::string expected = gbk("甲不乙");
  for (std::size_t i = 0; i < letters_b.size(); i += 2) {
    if (letters_b.compare(i, 2, gbk("不")) != 0) expected += letters_b.substr(i, 2);
  }
  EXPECT_EQ(std::string(output), expected);
  EXPECT_EQ(count, static_cast<int>(expected.size() / 2));

  count = GetJpDan(zhong.c_str(), "t", output);
  EXPECT_EQ(std::string(output), many);
  EXPECT_EQ(count, 125);

  // No context list for a digit before the key: the letter list alone.
  count = GetJpDan("5", "b", output);
  EXPECT_EQ(std::string(output), letters_b);
  EXPECT_EQ(count, 125);
  count = GetJpDan(nullptr, "b", output);
  EXPECT_EQ(std::string(output), letters_b);

  // The single-character choice reaches the context through its prefix.
  EXPECT_EQ(GetRepeatHz(zhong.c_str(), "B", output, 0), 1u);
  EXPECT_EQ(utf8(output), "甲");
  EXPECT_EQ(GetRepeatHz("", "B", output, 0), 1u);
  EXPECT_EQ(utf8(output), "不");
}

}  // namespace
