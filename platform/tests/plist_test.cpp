#include "platform/plist.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/tests/test_support.h"

namespace platform::plist {
namespace {

Dictionary sample() {
  Dictionary inner;
  inner.set("Nested", Value(true));
  Dictionary dict;
  dict.set("Zeta", Value(1));
  dict.set("Alpha", Value("text with <&> and \xE4\xB8\xAD"));
  dict.set("Negative", Value(-42));
  dict.set("Opacity", Value(95.0));
  dict.set("Flag", Value(false));
  dict.set("Blob", Value(Data{0, 1, 2, 250, 255}));
  dict.set("When", Value(Date{86400}));
  dict.set("List", Value(Array{Value("a"), Value(2), Value(Array{})}));
  dict.set("Inner", Value(inner));
  return dict;
}

TEST(PlistTest, XmlRoundTripKeepsValuesAndKeyOrder) {
  Value original(sample());
  auto parsed = parse(to_xml(original));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(*parsed, original);
  std::vector<std::string> keys;
  for (const auto& [key, value] : parsed->as_dictionary()->entries()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"Zeta", "Alpha", "Negative", "Opacity", "Flag", "Blob",
                                            "When", "List", "Inner"}));
  EXPECT_TRUE(parsed->as_dictionary()->find("Opacity")->is_real());
}

TEST(PlistTest, SettingsConversions) {
  struct Case {
    Value value;
    std::optional<std::int64_t> integer;
    std::optional<bool> boolean;
  } cases[] = {
      {Value("1"), 1, true},
      {Value("0"), 0, false},
      {Value("YES"), std::nullopt, true},
      {Value(true), 1, true},
      {Value(95.7), 95, true},
      {Value(0), 0, false},
      {Value(Array{}), std::nullopt, std::nullopt},
      {Value(""), std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.value.integer_value(), c.integer) << to_xml(c.value);
    EXPECT_EQ(c.value.bool_value(), c.boolean) << to_xml(c.value);
  }
  EXPECT_EQ(Value(12).string_value(), std::optional<std::string>("12"));
}

TEST(PlistTest, DictionarySetKeepsPlaceAndErase) {
  Dictionary dict;
  dict.set("a", Value(1));
  dict.set("b", Value(2));
  dict.set("a", Value(3));
  ASSERT_EQ(dict.size(), 2u);
  EXPECT_EQ(dict.entries()[0].first, "a");
  EXPECT_EQ(dict.find("a")->integer_value(), 3);
  EXPECT_TRUE(dict.erase("a"));
  EXPECT_FALSE(dict.erase("a"));
  EXPECT_FALSE(dict.contains("a"));
}

TEST(PlistTest, RejectsGarbageAndDeepNesting) {
  EXPECT_FALSE(parse(""));
  EXPECT_FALSE(parse("not a property list"));
  EXPECT_FALSE(parse("<?xml version=\"1.0\"?><plist><dict><key>a</key>"));
  std::string deep = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
  for (int i = 0; i < 200; ++i) deep += "<array>";
  for (int i = 0; i < 200; ++i) deep += "</array>";
  deep += "</plist>";
  EXPECT_FALSE(parse(deep));
}

TEST(PlistTest, SaveAtomicWritesReadableFile) {
  testing_support::TempDir dir;
  auto path = dir.path() / "imkkep.plist";
  std::error_code ec;
  ASSERT_TRUE(save_atomic(path, Value(sample()), ec));
  auto read = read_file(path, ec);
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, Value(sample()));
  EXPECT_FALSE(read_file(dir.path() / "missing.plist", ec));
  EXPECT_TRUE(ec);
}

}  // namespace
}  // namespace platform::plist
