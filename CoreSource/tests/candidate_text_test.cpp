// What the server shows of a conversation: the page text, the marked texts and tone marks.
#include "text/candidate_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dict/cmphplug.h"
#include "platform/plist.h"
#include "platform/text.h"
#include "record/engine_globals.h"
#include "record/qrdb.h"
#include "split/imesp.h"

namespace {

struct ToneCase {
  const char* syllable;
  int tone;
  const char* marked;  // nullptr: no answer
};

class PinyinStrTest : public ::testing::TestWithParam<ToneCase> {};

TEST_P(PinyinStrTest, MarksTheVowelTheSpellingRulesName) {
  const ToneCase& c = GetParam();
  char out[IME_PINYIN_STR_BYTES];
  std::memset(out, 'X', sizeof out);
  const char* result = ime_pinyin_str(c.syllable, c.tone, out);
  if (c.marked == nullptr) {
    EXPECT_EQ(result, nullptr);
  } else {
    ASSERT_EQ(result, out);
    EXPECT_STREQ(out, c.marked);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Syllables, PinyinStrTest,
    ::testing::Values(ToneCase{"lue", 4, "lüè"}, ToneCase{"lve", 4, "lüè"},
                      ToneCase{"nve", 3, "nüě"}, ToneCase{"lv", 3, "lǚ"}, ToneCase{"nv", 1, "nǖ"},
                      ToneCase{"gui", 1, "guī"}, ToneCase{"xiong", 2, "xióng"},
                      ToneCase{"ang", 1, "āng"}, ToneCase{"diu", 1, "diū"},
                      ToneCase{"zhuang", 4, "zhuàng"}, ToneCase{"shou", 3, "shǒu"},
                      ToneCase{"xue", 2, "xué"}, ToneCase{"ju", 4, "jù"},
                      ToneCase{"er", 2, "ér"}, ToneCase{"e", 4, "è"}, ToneCase{"o", 2, "ó"},
                      ToneCase{"zhong", 0, "zhong"}, ToneCase{"m", 2, nullptr},
                      ToneCase{"", 1, nullptr}, ToneCase{"gui", 5, nullptr},
                      ToneCase{"gui", -1, nullptr}, ToneCase{"xyz", 1, nullptr},
                      ToneCase{"zhuanggg", 1, nullptr}));

// Engine globals the texts read, restored after each test.
class CandidateTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = {ime_page_size, ime_mode, ime_valid, ime_plug_mode, ime_plug_show_left};
    saved_any_ = ime_plug_any_char;
    std::memcpy(saved_sp_, ime_sp_buffer, sizeof saved_sp_);
    ime_page_size = 6;
    ime_mode = 0;
    ime_valid = 1;
    ASSERT_EQ(ime_new_conversation(&c_), 0);
  }
  void TearDown() override {
    ime_free_conversation(&c_);
    ime_page_size = saved_[0];
    ime_mode = saved_[1];
    ime_valid = saved_[2];
    ime_plug_mode = saved_[3];
    ime_plug_show_left = saved_[4];
    ime_plug_any_char = saved_any_;
    std::memcpy(ime_sp_buffer, saved_sp_, sizeof saved_sp_);
  }

  static ime_query_result_t candidate(int type, const std::string& hz, const std::string& thz) {
    ime_query_result_t r{};
    r.type = static_cast<std::uint8_t>(type);
    std::string_view kept = platform::text::utf8_prefix(hz, IME_TEXT_BYTES - 1);
    std::memcpy(r.hz, kept.data(), kept.size());
    kept = platform::text::utf8_prefix(thz, IME_TEXT_BYTES - 1);
    std::memcpy(r.thz, kept.data(), kept.size());
    return r;
  }
  void show(const ime_query_result_t& r) { ASSERT_EQ(ime_convs_add_candidate(c_, &r, 9), 0); }
  // List 3 is what the page count is taken from.
  void fill_list3(int entries) {
    ime_qrdb_entry_t entry{};
    entry.type = IME_RESULT_HANZI;
    for (int i = 0; i < entries; ++i) ime_qrdb_add(c_, IME_LIST_CANDIDATES, &entry);
  }
  void type(const std::string& keys) {
    for (char key : keys) ASSERT_EQ(ime_convs_insert_key(c_, key), 0);
  }
  void split(std::initializer_list<const char*> syllables) {
    int i = 0;
    for (const char* s : syllables) ime_convs_set_syllable(c_, i++, s, nullptr);
    c_->pynum = static_cast<std::uint16_t>(i - 1);
  }

  ime_conversation_t* c_ = nullptr;
  std::vector<int> saved_;
  char saved_any_ = 0;
  char saved_sp_[IME_SP_DISPLAY_BYTES];
};

TEST_F(CandidateTextTest, PageCountRoundsUpAndNeverShowsZeroPages) {
  struct {
    int entries, page_size, pages;
  } cases[] = {{13, 6, 3}, {12, 6, 2}, {3, 6, 1}, {0, 6, 1}, {10, 0, 10}, {30, 40, 4}};
  for (const auto& c : cases) {
    EXPECT_EQ(ime_page_count(c.entries, c.page_size), c.pages) << c.entries << "/" << c.page_size;
  }
}

TEST_F(CandidateTextTest, TaggedPageMarksUserWordsToneAndTraditionalMode) {
  fill_list3(13);
  c_->page = 1;
  split({"zhong", "guo"});
  c_->tones[0] = 4;
  show(candidate(IME_RESULT_DICT_WORD, "中国", "中國"));
  show(candidate(IME_RESULT_USER_WORD, "种果", "種果"));
  EXPECT_EQ(ime_candidate_buffer(c_), "{N}1中国 2{E}{U}种果{E}{N} (2/3) à{E}");

  c_->mode |= IME_MODE_TRADITIONAL;
  c_->tones[0] = 0;
  EXPECT_EQ(ime_candidate_buffer(c_), "{N}1中國 2{E}{U}種果{E}{N} (2/3)[繁] {E}");
  // Before the tables are loaded the traditional texts are not trusted.
  ime_valid = 0;
  EXPECT_EQ(ime_candidate_buffer(c_), "{N}1中国 2{E}{U}种果{E}{N} (2/3)[繁] {E}");
}

TEST_F(CandidateTextTest, PageShowsNoMoreThanThePageSize) {
  ime_page_size = 2;
  fill_list3(3);
  for (const char* text : {"一", "二", "三"}) show(candidate(IME_RESULT_HANZI, text, text));
  EXPECT_EQ(ime_candidate_buffer(c_), "{N}1一 2二 (1/2){E}");
}

TEST_F(CandidateTextTest, DoublePinyinAndCodeTableAddTheirKeys) {
  fill_list3(1);
  ime_mode = 1;
  std::strcpy(ime_sp_buffer, "vs'go");
  show(candidate(IME_RESULT_HANZI, "中", "中"));
  EXPECT_EQ(ime_candidate_buffer(c_), "{N}1中 (1/1){E}{P}vs'go{E}");

  ime_mode = 2;
  ime_plug_mode = 0;
  ime_plug_show_left = 1;
  ime_query_result_t coded = candidate(IME_RESULT_OTHER, "中", "中");
  std::memcpy(coded.sm, "khlg", 4);
  coded.plen = 4;
  c_->cands[0] = coded;
  type("kh");
  EXPECT_EQ(ime_candidate_buffer(c_), "{N}1中lg (1/1){E}");
  ime_plug_show_left = 0;
  ime_plug_any_char = 'z';
  type("z");
  EXPECT_EQ(ime_candidate_buffer(c_), "{N}1中khlg (1/1){E}");
}

TEST_F(CandidateTextTest, EmptyPageIsTheVModeMarkOrNothing) {
  EXPECT_EQ(ime_candidate_buffer(c_), std::nullopt);
  EXPECT_EQ(ime_candidate_buffer2(c_), std::nullopt);
  c_->mode |= IME_MODE_V;
  EXPECT_EQ(ime_candidate_buffer(c_), IME_VMODE_EMPTY_PAGE);
  auto page = platform::plist::parse(*ime_candidate_buffer2(c_));
  ASSERT_TRUE(page && page->as_array());
  const auto& items = *page->as_array();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].integer_value(), 0);
  EXPECT_EQ(items[1].as_dictionary()->find("VALUE")->string_value(), "V");
}

TEST_F(CandidateTextTest, APageOfLongCandidatesIsCutAtACharacterBoundary) {
  fill_list3(9);
  ime_page_size = 9;
  std::string long_text;
  for (int i = 0; i < 59; ++i) long_text += "长";
  for (int i = 0; i < 9; ++i) show(candidate(IME_RESULT_USER_WORD, long_text, long_text));
  std::optional<std::string> page = ime_candidate_buffer(c_);
  ASSERT_TRUE(page);
  EXPECT_LE(page->size(), IME_PAGE_TEXT_BYTES - 1);
  EXPECT_TRUE(platform::text::is_valid_utf8(*page));
  EXPECT_TRUE(page->starts_with("{N}1{E}{U}" + long_text + "{E}{N} 2{E}{U}"));
  // The header stays; the cut candidate still closes its tag.
  EXPECT_TRUE(page->ends_with("{E}{N} (1/1){E}")) << *page;
}

TEST_F(CandidateTextTest, PropertyListPageCarriesTypesPageAndModes) {
  fill_list3(7);
  ime_mode = 1;
  std::strcpy(ime_sp_buffer, "vs");
  c_->mode |= IME_MODE_TRADITIONAL;
  show(candidate(IME_RESULT_USER_WORD, "中国", "中國"));
  show(candidate(IME_RESULT_DICT_WORD, "种果", "種果"));
  show(candidate(IME_RESULT_HANZI, "中", "中"));
  auto page = platform::plist::parse(*ime_candidate_buffer2(c_));
  ASSERT_TRUE(page && page->as_array());
  const auto& items = *page->as_array();
  ASSERT_EQ(items.size(), 8u);
  EXPECT_EQ(items[0].integer_value(), 1);
  EXPECT_EQ(items[1].integer_value(), 3);
  struct {
    int type;
    std::string value;
  } expected[] = {{2, "中國"}, {1, "種果"}, {0, "中"}, {9, "1/2"}, {10, "Traditional Chinese"},
                  {8, "vs"}};
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const auto* entry = items[i + 2].as_dictionary();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->find("TYPE")->integer_value(), expected[i].type) << i;
    EXPECT_EQ(entry->find("VALUE")->string_value(), expected[i].value) << i;
  }
}

TEST_F(CandidateTextTest, MarkedBufferShowsChosenHanziThenTonedSyllables) {
  type("zhongguoren");
  split({"zhong", "guo", "ren"});
  c_->pyoff = 1;
  c_->tones[1] = 2;
  const std::string output = "中guoren";
  ime_convs_set_output(c_, output.data(), output.size());
  EXPECT_EQ(ime_marked_buffer(c_), "中guó'ren");
  c_->mode |= IME_MODE_ACCESSORY;
  ime_convs_add_accessory_key(c_, 'a');
  EXPECT_EQ(ime_marked_buffer(c_), "中guó'ren {a}");
  // In a string mode the output is shown as it stands.
  c_->mode = IME_MODE_V;
  EXPECT_EQ(ime_marked_buffer(c_), output);
  c_->outlen = 0;
  EXPECT_EQ(ime_marked_buffer(c_), std::nullopt);
}

TEST_F(CandidateTextTest, InlineMarkedTextPutsTheCaretAfterTheComposition) {
  type("xi'an");
  split({"xi", "an"});
  int caret = 0;
  EXPECT_EQ(ime_marked_buffer2(c_, &caret), "xi'an");
  EXPECT_EQ(caret, 5);
  caret = IME_MARKED_NO_SEPARATORS;
  EXPECT_EQ(ime_marked_buffer2(c_, &caret), "xian");
  EXPECT_EQ(caret, 4);

  // A chosen segment replaces the letters it covers; a tone shows on the rest.
  ime_query_result_t west = candidate(IME_RESULT_HANZI, "西", "西");
  west.plen = 1;
  ime_convs_add_segment(c_, &west);
  c_->pyoff = 1;
  c_->tones[1] = 1;
  caret = 0;
  EXPECT_EQ(ime_marked_buffer2(c_, &caret), "西ān");
  EXPECT_EQ(caret, 3);  // UTF-16 units
}

TEST_F(CandidateTextTest, InlineMarkedTextKeepsTheKeysAfterTheCursor) {
  type("nihaoma");
  ime_convs_set_cursor(c_, 5);
  split({"ni", "hao"});
  int caret = 0;
  EXPECT_EQ(ime_marked_buffer2(c_, &caret), "ni'haoma");
  EXPECT_EQ(caret, 6);
  // A typed trailing separator stays; keys the splitter left over follow the syllables.
  ime_free_conversation(&c_);
  ASSERT_EQ(ime_new_conversation(&c_), 0);
  type("ni'");
  split({"ni"});
  caret = 0;
  EXPECT_EQ(ime_marked_buffer2(c_, &caret), "ni'");
  EXPECT_EQ(caret, 3);
}

TEST_F(CandidateTextTest, InlineMarkedTextIsCutAtACharacterBoundary) {
  std::string long_text;
  for (int i = 0; i < 59; ++i) long_text += "长";
  type("aaaa");
  split({"a", "a", "a", "a"});
  for (const char* first : {"𠀀", "", ""}) {
    ime_query_result_t segment = candidate(IME_RESULT_HANZI, first + long_text, first + long_text);
    segment.plen = 1;
    ime_convs_add_segment(c_, &segment);
  }
  c_->pyoff = 3;
  int caret = 0;
  std::optional<std::string> text = ime_marked_buffer2(c_, &caret);
  ASSERT_TRUE(text);
  EXPECT_LE(text->size(), IME_PAGE_TEXT_BYTES - 1);
  EXPECT_GT(text->size(), IME_PAGE_TEXT_BYTES - 4);
  EXPECT_TRUE(platform::text::is_valid_utf8(*text));
  // The caret counts UTF-16 units: the four-byte character takes two.
  EXPECT_EQ(caret, static_cast<int>(2 + (text->size() - 4) / 3));
}

TEST_F(CandidateTextTest, ClearMarkRemovesEverySeparator) {
  const std::string output = "zhong'guo'ren'";
  ime_convs_set_output(c_, output.data(), output.size());
  EXPECT_EQ(ime_clear_mark(c_), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(c_->outbuf), c_->outlen), "zhongguoren");
}

}  // namespace
