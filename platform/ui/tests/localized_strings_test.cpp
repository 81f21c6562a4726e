#include "platform/ui/localized_strings.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "platform/tests/test_support.h"

namespace platform::ui {
namespace {

namespace fs = std::filesystem;
using testing_support::ScopedEnv;
using testing_support::TempDir;

// Lookups find bundles under the root prefix, which each test sets afresh.
struct FreshRoot {
  FreshRoot() { forget(); }
  ~FreshRoot() { forget(); }
  static void forget() {
    files::reset_root_cache();
    Bundle::reset_cache();
  }
};

class LocalizedStringsTest : public testing::Test {
 protected:
  // A bundle under the root with the given table bytes (none when nullopt).
  fs::path make_bundle(const std::string& name, const std::string& identifier,
                       std::optional<std::string> table) {
    fs::path folder = root_.path() / "Library" / (name + ".app");
    fs::create_directories(folder / "Contents/Resources/English.lproj");
    plist::Dictionary info;
    info.set("CFBundleIdentifier", plist::Value(identifier));
    std::error_code ec;
    EXPECT_TRUE(plist::save_atomic(folder / "Contents/Info.plist", plist::Value(info), ec));
    if (table) write_table(folder, *table);
    return folder;
  }

  static void write_table(const fs::path& bundle, const std::string& bytes) {
    std::error_code ec;
    ASSERT_TRUE(files::write_atomic(table_path(bundle), bytes, ec)) << ec.message();
  }

  static fs::path table_path(const fs::path& bundle) {
    return bundle / "Contents/Resources/English.lproj/Localizable.strings";
  }

  static std::string table(std::initializer_list<std::pair<const char*, plist::Value>> entries) {
    plist::Dictionary strings;
    for (const auto& [key, value] : entries) strings.set(key, value);
    return plist::to_xml(plist::Value(strings));
  }

  TempDir root_;
  ScopedEnv env_{"KEP_ROOT", root_.path().string()};
  FreshRoot fresh_;
};

TEST_F(LocalizedStringsTest, KeysAnswerTheirTextOrTheDefault) {
  make_bundle("Good", "com.example.good",
              table({{"BUTTON_OK", "OK"}, {"TITLE", "偏好设置"}, {"COUNT", 3}, {"EMPTY", ""}}));
  struct Case {
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"BUTTON_OK", "OK"},   {"TITLE", "偏好设置"},
      {"EMPTY", ""},         // an empty text is a text, not a missing key
      {"COUNT", "default"},  // not a string
      {"MISSING", "default"}, {"button_ok", "default"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(localized_string("com.example.good", c.key, "default"), c.expected) << c.key;
  }
  EXPECT_EQ(localized_string("com.example.nobody", "BUTTON_OK", "fallback"), "fallback");
}

TEST_F(LocalizedStringsTest, DamagedOrMissingTablesGiveTheDefault) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"NoTable", std::nullopt},
      {"Garbage", std::string("\x00\x01not a property list\xff", 23)},
      {"Truncated", table({{"BUTTON_OK", "OK"}}).substr(0, 90)},
      {"Array", plist::to_xml(plist::Value(plist::Array{plist::Value("BUTTON_OK")}))},
      {"Empty", std::string()},
  };
  for (const auto& [name, bytes] : cases) {
    std::string identifier = std::string("com.example.") + name;
    make_bundle(name, identifier, bytes);
    EXPECT_EQ(localized_string(identifier, "BUTTON_OK", "fallback"), "fallback") << name;
  }
}

TEST_F(LocalizedStringsTest, EachBundleHasItsOwnTable) {
  fs::path first = make_bundle("First", "com.example.first", table({{"NAME", "first"}}));
  fs::path second = make_bundle("Second", "com.example.second", table({{"NAME", "second"}}));
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(localized_string(*Bundle::at(first), "NAME", ""), "first");
    EXPECT_EQ(localized_string(*Bundle::at(second), "NAME", ""), "second");
  }
}

TEST_F(LocalizedStringsTest, AChangedTableIsReadAgain) {
  fs::path bundle = make_bundle("Changing", "com.example.changing", table({{"NAME", "aaaa"}}));
  EXPECT_EQ(localized_string("com.example.changing", "NAME", "-"), "aaaa");

  // Replaced by a new file, then rewritten in place. Each text has its own length: a rewrite
  // within one clock tick that keeps the size and the inode is not told apart from the old file.
  write_table(bundle, table({{"NAME", "bbbbb"}}));
  EXPECT_EQ(localized_string("com.example.changing", "NAME", "-"), "bbbbb");
  std::string bytes = table({{"NAME", "cccccc"}});
  {
    FILE* file = std::fopen(table_path(bundle).c_str(), "w");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::fclose(file);
  }
  EXPECT_EQ(localized_string("com.example.changing", "NAME", "-"), "cccccc");

  // Damaged, then removed.
  write_table(bundle, "<plist><dict><key>NAME</key>");
  EXPECT_EQ(localized_string("com.example.changing", "NAME", "-"), "-");
  write_table(bundle, table({{"NAME", "ddddddd"}}));
  EXPECT_EQ(localized_string("com.example.changing", "NAME", "-"), "ddddddd");
  fs::remove(table_path(bundle));
  EXPECT_EQ(localized_string("com.example.changing", "NAME", "-"), "-");
}

}  // namespace
}  // namespace platform::ui
