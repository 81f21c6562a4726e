#include "start/config_reload.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/config.h"
#include "base/freq.h"
#include "engine_test_support.h"
#include "platform/plist.h"
#include "record/engine_globals.h"
#include "split/py_autocorrect.h"
#include "tables/accode.h"
#include "tables/vmode.h"

using namespace engine_test;
using platform::plist::Dictionary;
using platform::plist::Value;

namespace {

// Every integer global the reload writes, so each test can start from and restore a known state.
std::vector<int*> reloaded_globals() {
  return {&ime_full_convert, &ime_font_size, &ime_candidate_alpha, &ime_shadow, &ime_big5_output,
          &ime_bypass_uphrase, &ime_switch_key, &ime_smart_www, &ime_keep_keypad, &ime_show_tip,
          &ime_switch_big5, &ime_fix_freq, &ime_duration_delay, &ime_page_size, &ime_mode,
          &ime_valid, &ime_freq_mode, &ime_hzfreq_val, &ime_fill_count, &ime_query_all,
          &ime_fuzzy_mode, &ime_fuzzy_k2g, &ime_fuzzy_f2h, &ime_fuzzy_l2n, &ime_fuzzy_l2r,
          &ime_fuzzy_z2zh, &ime_fuzzy_c2ch, &ime_fuzzy_s2sh, &ime_fuzzy_an2ang,
          &ime_fuzzy_en2eng, &ime_fuzzy_in2ing, &ime_fuzzy_ian2iang, &ime_fuzzy_uan2uang,
          &ime_auto_mode, &ime_auto_gn2ng, &ime_auto_mg2ng, &ime_auto_iou2iu, &ime_auto_uei2ui,
          &ime_auto_uen2un, &ime_auto_ion2iong, &ime_auto_ve2ue};
}

constexpr int kUntouched = 77;

// A scratch home and root (no sentence engine, no bundle unless a test adds one), the settings
// dictionary pointed at `settings_`, and every global the reload writes restored afterwards.
class ConfigReloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_dictionary_ = kIMEConfigureDictionary;
    kIMEConfigureDictionary = &settings_;
    for (int* global : reloaded_globals()) saved_.push_back(*global);
    std::memcpy(saved_fcolor_, ime_candidate_fcolor, sizeof saved_fcolor_);
    std::memcpy(saved_bcolor_, ime_candidate_bcolor, sizeof saved_bcolor_);
    reset_engine_caches();
    ime_vmode_reset_for_testing();
  }
  void TearDown() override {
    kIMEConfigureDictionary = saved_dictionary_;
    std::vector<int*> globals = reloaded_globals();
    for (std::size_t i = 0; i < globals.size(); ++i) *globals[i] = saved_[i];
    std::memcpy(ime_candidate_fcolor, saved_fcolor_, sizeof saved_fcolor_);
    std::memcpy(ime_candidate_bcolor, saved_bcolor_, sizeof saved_bcolor_);
    ime_vmode_reset_for_testing();
    ime_release_acc();
    reset_engine_caches();
  }

  // Sets every global to a value no reload produces, so a test sees what the reload wrote.
  void scramble_globals() {
    for (int* global : reloaded_globals()) *global = kUntouched;
    std::strcpy(ime_candidate_fcolor, "zzzzzz");
    std::strcpy(ime_candidate_bcolor, "zzzzzz");
  }

  void write_bundle_info(const char* identifier) {
    write_file(root_ / "Library/Components/KEP.component/Contents/Info.plist",
               std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n"
                           "<dict>\n\t<key>CFBundleIdentifier</key>\n\t<string>") +
                   identifier + "</string>\n</dict>\n</plist>\n");
  }

  ScratchHome home_;
  TempDir root_;
  ScopedEnv root_env_{"KEP_ROOT", root_.path().string()};
  LogCapture log_;
  Dictionary settings_;

 private:
  const Dictionary* saved_dictionary_ = nullptr;
  std::vector<int> saved_;
  char saved_fcolor_[7];
  char saved_bcolor_[7];
};

bool logged(const std::string& text) {
  for (const std::string& line : LogCapture::lines()) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

TEST_F(ConfigReloadTest, AnEmptyDictionaryGivesTheDefaultsAndTheFixedValues) {
  const Dictionary* dictionaries[] = {nullptr, &settings_};
  for (const Dictionary* dictionary : dictionaries) {
    SCOPED_TRACE(dictionary == nullptr ? "no dictionary" : "empty dictionary");
    kIMEConfigureDictionary = dictionary;
    scramble_globals();
    ime_mode = -1;
    EXPECT_EQ(ime_config_reload(), 0);
    struct Expected {
      const char* name;
      int value;
      int actual;
    };
    const Expected expected[] = {
        {"ime_page_size", 6, ime_page_size},          {"ime_mode", 0, ime_mode},
        {"ime_font_size", 16, ime_font_size},         {"ime_candidate_alpha", 95, ime_candidate_alpha},
        {"ime_switch_key", 1, ime_switch_key},        {"ime_shadow", 1, ime_shadow},
        {"ime_freq_mode", 0, ime_freq_mode},          {"ime_big5_output", 0, ime_big5_output},
        {"ime_bypass_uphrase", 0, ime_bypass_uphrase}, {"ime_fuzzy_mode", 0, ime_fuzzy_mode},
        {"ime_auto_mode", 0, ime_auto_mode},          {"ime_fill_count", 1, ime_fill_count},
        {"ime_full_convert", 0, ime_full_convert},    {"ime_query_all", 1, ime_query_all},
        {"ime_smart_www", 1, ime_smart_www},          {"ime_keep_keypad", 1, ime_keep_keypad},
        {"ime_show_tip", 1, ime_show_tip},            {"ime_hzfreq_val", 9, ime_hzfreq_val},
        {"ime_fix_freq", 0, ime_fix_freq},            {"ime_switch_big5", 1, ime_switch_big5},
        {"ime_duration_delay", 260000, ime_duration_delay}, {"ime_valid", 1, ime_valid},
        // Switched off, the pairs are not read and keep what they held.
        {"ime_fuzzy_l2n", kUntouched, ime_fuzzy_l2n}, {"ime_auto_gn2ng", kUntouched, ime_auto_gn2ng},
    };
    for (const Expected& e : expected) EXPECT_EQ(e.actual, e.value) << e.name;
    EXPECT_STREQ(ime_candidate_fcolor, "ffffff");
    EXPECT_STREQ(ime_candidate_bcolor, "000000");
  }
}

TEST_F(ConfigReloadTest, EverySettingReachesItsGlobal) {
  struct Setting {
    const char* key;
    Value value;
    int* global;
    int expected;
  };
  const std::vector<Setting> table = {
      {"CandidateNumber", Value(8), &ime_page_size, 8},
      {"FontSize", Value(22), &ime_font_size, 22},
      {"FrequencyAdjustStrategy", Value(1), &ime_freq_mode, 1},
      {"TraditionalOutput", Value(true), &ime_big5_output, 1},
      {"BypassUserWords", Value(true), &ime_bypass_uphrase, 1},
      {"EnableFuzzyPinyin", Value(true), &ime_fuzzy_mode, 1},
      {"EnableAutoCorrect", Value(true), &ime_auto_mode, 1},
      {"ExpendedSearch", Value(false), &ime_fill_count, 0},
      {"Opacity", Value(60.0), &ime_candidate_alpha, 60},
      {"Switcher", Value(0), &ime_switch_key, 0},
      {"CloseShadow", Value(true), &ime_shadow, 0},
      {"fuzzy_k2g", Value(true), &ime_fuzzy_k2g, 1},
      {"fuzzy_f2h", Value(true), &ime_fuzzy_f2h, 1},
      {"fuzzy_l2n", Value(true), &ime_fuzzy_l2n, 1},
      {"fuzzy_l2r", Value(true), &ime_fuzzy_l2r, 1},
      {"fuzzy_z2zh", Value(true), &ime_fuzzy_z2zh, 1},
      {"fuzzy_c2ch", Value(true), &ime_fuzzy_c2ch, 1},
      {"fuzzy_s2sh", Value(true), &ime_fuzzy_s2sh, 1},
      {"fuzzy_an2ang", Value(true), &ime_fuzzy_an2ang, 1},
      {"fuzzy_en2eng", Value(true), &ime_fuzzy_en2eng, 1},
      {"fuzzy_in2ing", Value(true), &ime_fuzzy_in2ing, 1},
      {"fuzzy_ian2iang", Value(true), &ime_fuzzy_ian2iang, 1},
      {"fuzzy_uan2uang", Value(true), &ime_fuzzy_uan2uang, 1},
      {"gn2ng", Value(false), &ime_auto_gn2ng, 0},
      {"mg2ng", Value(false), &ime_auto_mg2ng, 0},
      {"iou2iu", Value(false), &ime_auto_iou2iu, 0},
      {"uei2ui", Value(false), &ime_auto_uei2ui, 0},
      {"uen2un", Value(false), &ime_auto_uen2un, 0},
      {"ion2iong", Value(false), &ime_auto_ion2iong, 0},
      {"ve2ue", Value(false), &ime_auto_ve2ue, 0},
  };
  for (const Setting& s : table) settings_.set(s.key, s.value);
  settings_.set("CandidateForgroundColor", Value("12abEF"));
  settings_.set("CandidateBackgroundColor", Value("fedcba"));
  scramble_globals();
  ime_config_reload();
  for (const Setting& s : table) EXPECT_EQ(*s.global, s.expected) << s.key;
  EXPECT_STREQ(ime_candidate_fcolor, "12abEF");
  EXPECT_STREQ(ime_candidate_bcolor, "fedcba");

  // The fuzzy pairs and corrections are read only while their switch is on: switched off, a
  // reload leaves them as they are.
  settings_.set("EnableFuzzyPinyin", Value(false));
  settings_.set("EnableAutoCorrect", Value(false));
  settings_.set("fuzzy_l2n", Value(false));
  settings_.set("gn2ng", Value(true));
  ime_config_reload();
  EXPECT_EQ(ime_fuzzy_mode, 0);
  EXPECT_EQ(ime_auto_mode, 0);
  EXPECT_EQ(ime_fuzzy_l2n, 1);
  EXPECT_EQ(ime_auto_gn2ng, 0);
}

TEST_F(ConfigReloadTest, ThePageSizeIsHeldToOneThroughNine) {
  const std::pair<Value, int> cases[] = {
      {Value(0), 1}, {Value(-4), 1}, {Value(1), 1},    {Value(5), 5},
      {Value(9), 9}, {Value(10), 9}, {Value(1000), 9}, {Value("7"), 7},
  };
  for (const auto& [value, expected] : cases) {
    settings_.set("CandidateNumber", value);
    ime_page_size = kUntouched;
    ime_config_reload();
    EXPECT_EQ(ime_page_size, expected) << ime_config_get_int("CandidateNumber", -999);
  }
  EXPECT_TRUE(logged("CandidateNumber 1000 out of range; using 9."));
}

TEST_F(ConfigReloadTest, ColoursAreKeptOnlyAsSixHexDigits) {
  const std::pair<const char*, const char*> cases[] = {
      {"a0b1c2", "a0b1c2"}, {"fff", "ffffff"},     {"1234567", "ffffff"},
      {"12345g", "ffffff"}, {"", "ffffff"},        {"中文字符串呀", "ffffff"},
  };
  for (const auto& [value, expected] : cases) {
    settings_.set("CandidateForgroundColor", Value(value));
    ime_config_reload();
    EXPECT_STREQ(ime_candidate_fcolor, expected) << value;
    EXPECT_STREQ(ime_candidate_bcolor, "000000");
  }
}

TEST_F(ConfigReloadTest, TheSchemeIsChosenOnlyWhenTheHostAsksForIt) {
  struct Case {
    int mode_before;
    bool double_pinyin;
    bool plug;
    int mode_after;
  };
  const Case cases[] = {
      {-1, false, false, 0}, {-1, true, false, 1}, {-1, false, true, 2}, {-1, true, true, 1},
      {2, true, false, 2},   {0, true, true, 0},   {1, false, true, 1},
  };
  for (const Case& c : cases) {
    settings_.set("EnableDoublePinyin", Value(c.double_pinyin));
    settings_.set("EnablePlug", Value(c.plug));
    ime_mode = c.mode_before;
    ime_config_reload();
    EXPECT_EQ(ime_mode, c.mode_after) << c.mode_before << c.double_pinyin << c.plug;
  }
}

TEST_F(ConfigReloadTest, TheSentenceEngineCountsOnlyWhenItsLibrariesAreInstalled) {
  ime_config_reload();
  EXPECT_EQ(ime_full_convert, 0);
  for (const char* part : {"cz", "main", "mpp", "py"}) {
    std::filesystem::create_directories(root_ / "Library/TAV" / part);
  }
  ime_config_reload();
  EXPECT_EQ(ime_full_convert, 1);
}

TEST_F(ConfigReloadTest, TablesAreReloadedAndTheirFailuresDoNotStopTheReload) {
  // Nothing to load from: both failures are logged, the settings still arrive.
  settings_.set("EnableAccessory", Value(true));
  settings_.set("CandidateNumber", Value(4));
  ime_valid = 0;
  EXPECT_EQ(ime_config_reload(), 0);
  EXPECT_TRUE(logged("Load acc-code  failed!"));
  EXPECT_TRUE(logged("Load V-mode tables of 'com.corvana.kep' failed!"));
  EXPECT_EQ(ime_page_size, 4);
  EXPECT_EQ(ime_valid, 1);

  // With the files in place the reload loads them.
  write_bundle_info("com.corvana.kep");
  write_file(root_ / "Library/Components/KEP.component/Contents/Resources/vmode.txt",
             "xl 希腊字母 α,β,γ\n");
  write_file(home_.data_folder() / "fzm.db", "中 l\n");
  write_file(home_.data_folder() / "abbr.txt", "kep 输入法\n");
  reset_engine_caches();
  LogCapture::lines().clear();
  ime_config_reload();
  EXPECT_FALSE(logged("failed!"));
  ASSERT_NE(kAccCodeDict, nullptr);
  EXPECT_EQ(kAccCodeDict->count("中"), 1u);
  const ime_vmode_entry_t* greek = QAVModeGetItem("xl");
  ASSERT_NE(greek, nullptr);
  EXPECT_EQ(greek->items, (std::vector<std::string>{"α", "β", "γ"}));
  const ime_vmode_entry_t* abbreviation = QAAbbrGetItem("kep");
  ASSERT_NE(abbreviation, nullptr);
  EXPECT_EQ(abbreviation->items, std::vector<std::string>{"输入法"});

  // Without EnableAccessory the accessory table is not touched.
  ime_release_acc();
  settings_.set("EnableAccessory", Value(false));
  ime_config_reload();
  EXPECT_EQ(kAccCodeDict, nullptr);
}

}  // namespace
