#include "base/settings_keys.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "base/config.h"
#include "engine_test_support.h"
#include "platform/plist.h"

using namespace engine_test;
using platform::plist::Dictionary;
using platform::plist::Value;

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = kIMEConfigureDictionary; }
  void TearDown() override { kIMEConfigureDictionary = saved_; }
  const Dictionary* saved_ = nullptr;
};

// The settings the shipped file turns on although a reader of a file without them keeps them
// off: the sentence service is installed with the system, but an older settings file never
// asked for it.
bool shipped_on(const char* name) { return std::strcmp(name, "EnableTAV") == 0; }

// Reads every key of the table through the typed readers and compares with its default (or,
// reading the shipped file, with what that file turns on).
void expect_defaults(ImeSettingReader reader, bool shipped = false) {
  for (const ImeSettingKey& key : ime_setting_keys()) {
    SCOPED_TRACE(key.name);
    switch (key.type) {
      case ImeSettingType::Bool:
        EXPECT_EQ(ime_setting_bool(key.name, reader),
                  (shipped && shipped_on(key.name)) || key.default_number(reader) != 0 ? 1 : 0);
        break;
      case ImeSettingType::Int:
      case ImeSettingType::Real:
        EXPECT_EQ(ime_setting_int(key.name, reader),
                  static_cast<int>(std::lround(key.default_number(reader))));
        break;
      case ImeSettingType::String: {
        const char* value = ime_setting_string(key.name);
        if (key.text == nullptr) {
          EXPECT_EQ(value, nullptr);
        } else {
          ASSERT_NE(value, nullptr);
          EXPECT_STREQ(value, key.text);
        }
        break;
      }
    }
  }
}

TEST_F(SettingsTest, EveryKeyReadsItsDefaultWhenAbsent) {
  kIMEConfigureDictionary = nullptr;
  expect_defaults(ImeSettingReader::Engine);
  expect_defaults(ImeSettingReader::Server);
  Dictionary empty;
  kIMEConfigureDictionary = &empty;
  expect_defaults(ImeSettingReader::Engine);
  expect_defaults(ImeSettingReader::Server);
}

TEST_F(SettingsTest, TableHoldsTheReadersDefaults) {
  Dictionary empty;
  kIMEConfigureDictionary = &empty;
  EXPECT_EQ(ime_setting_int("PageUpMask"), 7);
  EXPECT_EQ(ime_setting_int("PageDownMask"), 7);
  EXPECT_EQ(ime_setting_int("FontSize"), 16);
  EXPECT_EQ(ime_setting_int("Opacity"), 95);
  EXPECT_EQ(ime_setting_bool("CloseSuggestionTip"), 1);
  EXPECT_EQ(ime_setting_bool("ProportionalWidthPunctation", ImeSettingReader::Engine), 1);
  EXPECT_EQ(ime_setting_bool("ProportionalWidthPunctation", ImeSettingReader::Server), 0);
  EXPECT_EQ(ime_setting_key("Opacity")->type, ImeSettingType::Real);

  std::set<std::string> names;
  for (const ImeSettingKey& key : ime_setting_keys()) {
    EXPECT_TRUE(names.insert(key.name).second) << "duplicate " << key.name;
    EXPECT_EQ(ime_setting_key(key.name), &key);
  }
  EXPECT_EQ(ime_setting_key("NoSuchKey"), nullptr);
}

TEST_F(SettingsTest, ValuesConvertByTheirOwnConversion) {
  Dictionary settings;
  settings.set("CandidateNumber", Value("1"));
  settings.set("VMode", Value("1"));
  settings.set("Opacity", Value(80.0));
  settings.set("EnableTAV", Value(true));
  settings.set("FontSize", Value(std::int64_t{1} << 40));
  settings.set("Switcher", Value("not a number"));
  kIMEConfigureDictionary = &settings;

  EXPECT_EQ(ime_setting_int("CandidateNumber"), 1);
  EXPECT_EQ(ime_config_get_bool("CandidateNumber", 0), 1);
  EXPECT_EQ(ime_setting_bool("VMode"), 1);
  EXPECT_EQ(ime_setting_int("Opacity"), 80);
  EXPECT_EQ(ime_setting_bool("EnableTAV"), 1);
  EXPECT_EQ(ime_setting_int("FontSize"), INT_MAX);
  EXPECT_EQ(ime_setting_int("Switcher"), 1);  // unreadable: the default
}

TEST_F(SettingsTest, StringReadsShareOneBoundedBuffer) {
  Dictionary settings;
  settings.set("FontName", Value("Noto Sans CJK SC"));
  settings.set("SkinPath", Value("/skins/blue"));
  settings.set("FormatString", Value(""));
  std::string long_text;
  while (long_text.size() < 3000) long_text += "\xe4\xb8\xad";  // 3-byte characters
  settings.set("SilentLists", Value(long_text));
  kIMEConfigureDictionary = &settings;

  const char* first = ime_setting_string("FontName");
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first, "Noto Sans CJK SC");
  const char* second = ime_setting_string("SkinPath");
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "/skins/blue");

  EXPECT_EQ(ime_setting_string("FormatString"), nullptr);
  EXPECT_STREQ(ime_config_get_string("FormatString", "fallback"), "fallback");

  const char* cut = ime_setting_string("SilentLists");
  ASSERT_NE(cut, nullptr);
  EXPECT_EQ(std::strlen(cut), 2046u);  // 682 whole characters fit in 2047 bytes
  EXPECT_EQ(std::string(cut), long_text.substr(0, 2046));
}

TEST_F(SettingsTest, UnknownKeysAreLoggedAndReadAsNothing) {
  LogCapture log;
  EXPECT_EQ(ime_setting_int("CandidateNumbr"), 0);
  EXPECT_EQ(ime_setting_bool("Vmode"), 0);
  EXPECT_EQ(ime_setting_string("fontname"), nullptr);
  EXPECT_EQ(LogCapture::lines().size(), 3u);
}

TEST_F(SettingsTest, ShippedSettingsFileAgreesWithTheTable) {
  std::error_code error;
  std::optional<Value> shipped =
      platform::plist::read_file(fs::path(KEP_SOURCE_DIR) / "resources/imkkep.plist", error);
  ASSERT_TRUE(shipped) << error.message();
  const Dictionary* file = shipped->as_dictionary();
  ASSERT_NE(file, nullptr);

  for (const ImeSettingKey& key : ime_setting_keys()) {
    SCOPED_TRACE(key.name);
    const Value* value = file->find(key.name);
    if (!key.has_default) {
      EXPECT_EQ(value, nullptr);
      continue;
    }
    ASSERT_NE(value, nullptr);
    // Where the engine and the server disagree, the file settles it the server's way.
    const double expected = key.default_number(ImeSettingReader::Server);
    switch (key.type) {
      case ImeSettingType::Bool:
        ASSERT_TRUE(value->is_bool());
        EXPECT_EQ(*value->bool_value(), shipped_on(key.name) || expected != 0);
        break;
      case ImeSettingType::Int:
        ASSERT_TRUE(value->is_integer());
        EXPECT_EQ(*value->integer_value(), static_cast<std::int64_t>(expected));
        break;
      case ImeSettingType::Real:
        ASSERT_TRUE(value->is_real());
        EXPECT_DOUBLE_EQ(*value->real_value(), expected);
        break;
      case ImeSettingType::String:
        ASSERT_TRUE(value->is_string());
        EXPECT_EQ(*value->as_string(), key.text);
        break;
    }
  }
  for (const auto& [name, value] : file->entries()) {
    EXPECT_NE(ime_setting_key(name), nullptr) << "key outside the table: " << name;
  }

  // Read through the engine, the shipped file gives what an empty file gives the server, but
  // for what it turns on.
  kIMEConfigureDictionary = file;
  expect_defaults(ImeSettingReader::Server, true);
}

}  // namespace
