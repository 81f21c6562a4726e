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
      // Just outside the 64-bit range: no value, so the reader's default applies.
      {Value("9223372036854775807"), INT64_MAX, true},
      {Value("9223372036854775808"), std::nullopt, false},
      {Value("-9223372036854775809"), std::nullopt, false},
      {Value("9.3e18"), std::nullopt, false},
      {Value("-1.5"), -1, true},
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

// A binary property list of one dictionary entry; key and value are encoded string objects.
std::string binary_entry(std::string_view key_object, std::string_view value_object) {
  std::string out = "bplist00";
  std::string offsets;
  offsets += static_cast<char>(out.size());
  out += "\xD1\x01\x02";  // dictionary: key object 1, value object 2
  offsets += static_cast<char>(out.size());
  out += key_object;
  offsets += static_cast<char>(out.size());
  out += value_object;
  auto table = static_cast<char>(out.size());
  out += offsets;
  out += std::string(6, '\0') + "\x01\x01";                 // offset and reference sizes
  out += std::string(7, '\0') + "\x03";                      // three objects
  out += std::string(8, '\0');                               // the root is object 0
  out += std::string(7, '\0') + table;                        // where the offsets start
  return out;
}

using namespace std::string_literals;
const std::string kAsciiK = "\x51k"s;                     // "k"
const std::string kUtf16ZhongWen = "\x62\x4E\x2D\x65\x87"s;  // "中文"
const std::string kUtf16ZhongNul = "\x62\x4E\x2D\x00\x00"s;  // "中" U+0000

TEST(PlistTest, NulInsideStringOrKeyIsRefused) {
  // The same list without the NUL reads, so only the NUL is what is refused.
  auto intact = parse(binary_entry(kAsciiK, kUtf16ZhongWen));
  ASSERT_TRUE(intact);
  Dictionary expected;
  expected.set("k", Value("\xE4\xB8\xAD\xE6\x96\x87"));
  EXPECT_EQ(*intact, Value(expected));

  const std::string cases[] = {
      binary_entry(kAsciiK, kUtf16ZhongNul),
      binary_entry(kUtf16ZhongNul, kAsciiK),
      binary_entry(kAsciiK, "\x53""a\0b"s),
      "<plist version=\"1.0\"><string>a&#0;b</string></plist>",
      "<plist version=\"1.0\"><string>a\0b</string></plist>"s,
      "<plist version=\"1.0\"><dict><key>k\0z</key><string>v</string></dict></plist>"s,
  };
  for (const auto& bytes : cases) EXPECT_FALSE(parse(bytes)) << testing::PrintToString(bytes);
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
