// Folders written by the builder, read by the engine: what a user typing pinyin finds.
#include <algorithm>
#include <set>

#include "CoreSource/dict/qdict.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/record/qrdb.h"
#include "dict_fixture.h"

namespace {

namespace fs = std::filesystem;
using dict_fixture::build;

constexpr int kList = 1;

// Typed syllables ("zhong'guo", optionally with tone digits "zhong1'guo") in a conversation.
class Typed {
 public:
  explicit Typed(const std::string& pinyin) {
    conversation_ = static_cast<ime_conversation_t*>(std::calloc(1, sizeof(ime_conversation_t)));
    ime_qrdb_init_all(conversation_);
    std::fill(std::begin(tones_), std::end(tones_), 15);
    int n = 0;
    std::size_t start = 0;
    while (start <= pinyin.size()) {
      std::size_t end = std::min(pinyin.find('\'', start), pinyin.size());
      std::string syllable = pinyin.substr(start, end - start);
      if (!syllable.empty() && syllable.back() >= '1' && syllable.back() <= '4') {
        tones_[n] = 1 << (syllable.back() - '1');
        syllable.pop_back();
      }
      std::snprintf(conversation_->py[n++], IME_SYLLABLE_BYTES, "%s", syllable.c_str());
      start = end + 1;
    }
    conversation_->pynum = static_cast<std::uint16_t>(n - 1);
    count_ = n;
  }
  ~Typed() {
    ime_qrdb_free_all(conversation_);
    std::free(conversation_);
  }

  // The words found for all typed syllables, in list order.
  std::vector<std::string> words(ImeDict* dict) {
    ime_qrdb_reset(conversation_, IME_QRDB_ALL);
    ime_current_pynum = count_ - 1;
    ime_dict_query(dict, 0, conversation_, tones_, 0, count_ - 1, kList);
    std::vector<std::string> found;
    for (int i = 0; i < ime_qrdb_count(conversation_, kList); ++i) {
      found.push_back(candidate(i).hz_text());
    }
    return found;
  }

  struct Candidate : ime_query_result_t {
    std::string hz_text() const { return std::string(reinterpret_cast<const char*>(hz), hlen); }
    std::string thz_text() const { return std::string(reinterpret_cast<const char*>(thz), thlen); }
  };

  Candidate candidate(int i) {
    ime_qrdb_entry_t* entry = nullptr;
    EXPECT_EQ(ime_qrdb_get_lazy(conversation_, kList, i, &entry), 0);
    Candidate loaded{};
    EXPECT_EQ(ime_load_cz_lazy(entry, &loaded), 0);
    return loaded;
  }

  ime_conversation_t* conversation() { return conversation_; }

 private:
  ime_conversation_t* conversation_;
  int tones_[IME_MAX_SYLLABLES];
  int count_ = 0;
};

std::multiset<std::string> as_set(const std::vector<std::string>& words) {
  return {words.begin(), words.end()};
}

// Opens a folder for queries only, leaving the data folder alone.
struct OpenDict {
  explicit OpenDict(const fs::path& folder, int mode = IME_DICT_FREQ_NONE)
      : dict(ime_dict_open(folder.c_str(), mode)) {}
  ~OpenDict() { ime_dict_close(dict); }
  ImeDict* dict;
};

const std::vector<std::string> kFiveWords = {
    "zhong'guo 中国 **** 900", "zhong'hua 中华 **** 500", "guo'jia 国家 **** 800",
    "fa'hui 发挥 **** 300", "hua'fei 化肥 **** 100",
};

TEST(DictRoundTrip, AFiveLineWordListFindsZhongGuo) {
  engine_test::TempDir temp;
  auto built = build(temp / "five.dict", kFiveWords);
  ASSERT_EQ(built.result, 0) << built.message;
  EXPECT_EQ(built.stats.records, 5u);
  OpenDict open(temp / "five.dict");
  ASSERT_NE(open.dict, nullptr);
  EXPECT_EQ(open.dict->word_count, 5u);

  Typed typed("zhong'guo");
  EXPECT_EQ(typed.words(open.dict), std::vector<std::string>{"中国"});
  Typed::Candidate c = typed.candidate(0);
  EXPECT_EQ(c.type, IME_RESULT_DICT_WORD);
  EXPECT_EQ(c.plen, 2);
  EXPECT_EQ(c.rplen, 2);
  EXPECT_EQ(std::string(c.sm, 2), "zg");
  char syllable[8];
  ime_dec_py(c.sm[0], c.ym[0], syllable);
  EXPECT_STREQ(syllable, "zhong");
  ime_dec_py(c.sm[1], c.ym[1], syllable);
  EXPECT_STREQ(syllable, "guo");
  EXPECT_EQ(c.freq, 900u);
  EXPECT_EQ(c.matval, 900u);  // no counter yet
  EXPECT_EQ(c.thz_text(), "中国");  // a computed second form never shows as stars
}

TEST(DictRoundTrip, SharedFoldedKeysAreToldApartBySyllables) {
  engine_test::TempDir temp;
  ASSERT_EQ(build(temp / "ff", kFiveWords).result, 0);
  OpenDict open(temp / "ff");
  ASSERT_NE(open.dict, nullptr);
  struct Case {
    const char* typed;
    int fuzzy_f2h;
    std::multiset<std::string> words;
  };
  const std::vector<Case> cases = {
      {"hua'fei", 0, {"化肥"}},
      {"fa'hui", 0, {"发挥"}},
      {"f'h", 0, {"发挥"}},
      {"h'f", 0, {"化肥"}},
      {"f'h", 1, {"发挥", "化肥"}},
      {"z'g", 0, {"中国"}},
      {"zh'g", 0, {"中国"}},
      {"zhong'h", 0, {"中华"}},
      {"zhong'hu", 0, {}},
  };
  for (const Case& c : cases) {
    ime_fuzzy_mode = c.fuzzy_f2h;
    ime_fuzzy_f2h = c.fuzzy_f2h;
    Typed typed(c.typed);
    EXPECT_EQ(as_set(typed.words(open.dict)), c.words) << c.typed << " fuzzy " << c.fuzzy_f2h;
  }
  ime_fuzzy_mode = 0;
  ime_fuzzy_f2h = 0;
}

TEST(DictRoundTrip, ToneMasksFilterWordsWithTonesAndKeepThoseWithout) {
  engine_test::TempDir temp;
  ASSERT_EQ(build(temp / "tones", {"zhong'guo 中国 **** 9 12", "zhong'guo 种果 **** 8 33",
                                   "zhong'guo 钟郭 **** 7"})
                .result,
            0);
  OpenDict open(temp / "tones");
  ASSERT_NE(open.dict, nullptr);
  const std::vector<std::pair<const char*, std::multiset<std::string>>> cases = {
      {"zhong'guo", {"中国", "种果", "钟郭"}},
      {"zhong1'guo", {"中国", "钟郭"}},
      {"zhong3'guo", {"种果", "钟郭"}},
      {"zhong1'guo2", {"中国", "钟郭"}},
      {"zhong1'guo3", {"钟郭"}},
      {"zhong4'guo", {"钟郭"}},
  };
  for (const auto& [pinyin, words] : cases) {
    Typed typed(pinyin);
    EXPECT_EQ(as_set(typed.words(open.dict)), words) << pinyin;
  }
  Typed typed("zhong1'guo2");
  ASSERT_EQ(typed.words(open.dict).front(), "中国");
  Typed::Candidate c = typed.candidate(0);
  EXPECT_EQ(c.tone[0], 1);
  EXPECT_EQ(c.tone[1], 2);
}

TEST(DictRoundTrip, ExtendedSearchOffersLongerWordsThatBeginWithTheInput) {
  engine_test::TempDir temp;
  ASSERT_EQ(build(temp / "long", {
                "zhong'hua'ren'min'gong 中华人民共", "zhong'hua'ren'min'gong'he 中华人民共和",
                "zhong'hua'ren'min'gong'he'guo 中华人民共和国", "zhong'hua'ren'min'gu'he 中华人民古河",
                "zhong'hua'ren'min 中华人民", "zhong'hua'ren'min'de 中华人民的"})
                .result,
            0);
  OpenDict open(temp / "long");
  ASSERT_NE(open.dict, nullptr);
  struct Case {
    const char* typed;
    int fill_count;
    std::multiset<std::string> words;
  };
  const std::vector<Case> cases = {
      {"zhong'hua'ren'min'gong", 1, {"中华人民共", "中华人民共和", "中华人民共和国"}},
      {"zhong'hua'ren'min'gong", 0, {"中华人民共"}},
      {"zhong'hua'ren'min'gong'he", 1, {"中华人民共和", "中华人民共和国"}},
      {"zhong'hua'ren'min'gu", 1, {"中华人民古河"}},
      // Four syllables never reach for longer words.
      {"zhong'hua'ren'min", 1, {"中华人民"}},
  };
  for (const Case& c : cases) {
    ime_fill_count = c.fill_count;
    Typed typed(c.typed);
    EXPECT_EQ(as_set(typed.words(open.dict)), c.words) << c.typed << " fill " << c.fill_count;
  }
  ime_fill_count = 1;

  Typed typed("zhong'hua'ren'min'gong");
  std::vector<std::string> words = typed.words(open.dict);
  auto longest = std::find(words.begin(), words.end(), "中华人民共和国");
  ASSERT_NE(longest, words.end());
  Typed::Candidate c = typed.candidate(static_cast<int>(longest - words.begin()));
  EXPECT_EQ(c.plen, 7);
  EXPECT_EQ(c.rplen, 5);  // the typed syllables it consumes
}

TEST(DictRoundTrip, AnEmptyWordListOpensAndFindsNothing) {
  engine_test::TempDir temp;
  ASSERT_EQ(build(temp / "empty", {}).result, 0);
  OpenDict open(temp / "empty", IME_DICT_FREQ_KEEP);
  ASSERT_NE(open.dict, nullptr);
  EXPECT_EQ(open.dict->word_count, 0u);
  Typed typed("zhong'guo");
  EXPECT_TRUE(typed.words(open.dict).empty());
}

TEST(DictRoundTrip, SecondFormsBecomeTheTraditionalText) {
  engine_test::TempDir temp;
  ASSERT_EQ(build(temp / "trad", {"zhong'hua 中华 中華 5", "guo'jia 国家"}).result, 0);
  OpenDict open(temp / "trad");
  ASSERT_NE(open.dict, nullptr);
  Typed zh("zhong'hua");
  ASSERT_EQ(zh.words(open.dict).size(), 1u);
  EXPECT_EQ(zh.candidate(0).thz_text(), "中華");
  Typed gj("guo'jia");
  ASSERT_EQ(gj.words(open.dict).size(), 1u);
  EXPECT_EQ(gj.candidate(0).thz_text(), "国家");  // the word list gave no second form
}

TEST(DictRoundTrip, ChosenWordsRiseInTheirDictionarysFrequencyFile) {
  engine_test::ScratchHome home;
  engine_test::TempDir temp;
  ASSERT_EQ(build(temp / "mine.dict", kFiveWords).result, 0);
  ImeDict* dict = ime_dict_open((temp / "mine.dict").c_str(), IME_DICT_FREQ_KEEP);
  ASSERT_NE(dict, nullptr);
  EXPECT_EQ(fs::file_size(home.data_folder() / "mine.freq"), 5u * 4);

  Typed typed("zhong'guo");
  ASSERT_EQ(typed.words(dict).size(), 1u);
  Typed::Candidate before = typed.candidate(0);
  ime_dict_inc_freq(dict, before.index);
  ime_dict_inc_freq(dict, dict->word_count);  // beyond the words: ignored
  typed.words(dict);
  Typed::Candidate after = typed.candidate(0);
  EXPECT_GT(after.matval, before.matval);
  EXPECT_EQ(after.freq, before.freq);
  ime_dict_close(dict);

  // Reopened with counters kept they stay; recreated they are gone.
  dict = ime_dict_open((temp / "mine.dict").c_str(), IME_DICT_FREQ_KEEP);
  typed.words(dict);
  EXPECT_EQ(typed.candidate(0).matval, after.matval);
  ime_dict_close(dict);
  dict = ime_dict_open((temp / "mine.dict").c_str(), IME_DICT_FREQ_RECREATE);
  typed.words(dict);
  EXPECT_EQ(typed.candidate(0).matval, before.matval);
  ime_dict_close(dict);
}

}  // namespace
