// Engine start-up hands the user's settings to the engine: the configuration reload runs once
// the tables are loaded.
#include <gtest/gtest.h>

#include "CoreSource/base/config.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/start/config_reload.h"
#include "CoreSource/tables/vmode.h"
#include "platform/plist.h"
#include "table_fixture.h"

namespace table_test {
namespace {

using platform::plist::Dictionary;
using platform::plist::Value;

class StartupSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_dictionary_ = kIMEConfigureDictionary;
    saved_page_size_ = ime_page_size;
    saved_fuzzy_mode_ = ime_fuzzy_mode;
    saved_font_size_ = ime_font_size;
    ime_vmode_reset_for_testing();
  }
  void TearDown() override {
    kIMEConfigureDictionary = saved_dictionary_;
    ime_page_size = saved_page_size_;
    ime_fuzzy_mode = saved_fuzzy_mode_;
    ime_font_size = saved_font_size_;
    ime_vmode_reset_for_testing();
  }

 private:
  const Dictionary* saved_dictionary_ = nullptr;
  int saved_page_size_ = 0;
  int saved_fuzzy_mode_ = 0;
  int saved_font_size_ = 0;
};

TEST_F(StartupSettingsTest, StartUpAppliesTheSettingsAndLoadsTheirTables) {
  EngineRoot root;
  root.put_tiny_tables();
  root.put_resource("vmode.txt", "xl 希腊字母 α,β\n");
  Dictionary settings;
  settings.set("CandidateNumber", Value(12));
  settings.set("EnableFuzzyPinyin", Value(true));
  settings.set("FontSize", Value(20));
  settings.set("EnableAccessory", Value(true));
  kIMEConfigureDictionary = &settings;
  ime_release_acc();

  ASSERT_EQ(ime_init(), 0) << root.log_text();
  EXPECT_EQ(ime_page_size, 9);  // held to the page
  EXPECT_EQ(ime_fuzzy_mode, 1);
  EXPECT_EQ(ime_font_size, 20);
  EXPECT_EQ(ime_valid, 1);
  ASSERT_NE(kAccCodeDict, nullptr);
  EXPECT_EQ(kAccCodeDict->count("行"), 1u);
  const ime_vmode_entry_t* greek = QAVModeGetItem("xl");
  ASSERT_NE(greek, nullptr);
  EXPECT_EQ(greek->items.size(), 2u);
  std::string log = root.log_text();
  EXPECT_NE(log.find("Loading accessory table..."), std::string::npos) << log;
  EXPECT_NE(log.find("CandidateNumber 12 out of range; using 9."), std::string::npos) << log;
}

TEST_F(StartupSettingsTest, WithoutSettingsStartUpTakesTheDefaults) {
  EngineRoot root;
  root.put_tiny_tables();
  kIMEConfigureDictionary = nullptr;
  ime_page_size = 3;
  ime_fuzzy_mode = 1;
  ASSERT_EQ(ime_init(), 0) << root.log_text();
  EXPECT_EQ(ime_page_size, 6);
  EXPECT_EQ(ime_fuzzy_mode, 0);
  EXPECT_EQ(ime_font_size, 16);
}

}  // namespace
}  // namespace table_test
