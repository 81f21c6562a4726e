#include "platform/ui/user_defaults.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "platform/tests/test_support.h"

namespace platform::ui {
namespace {

namespace fs = std::filesystem;
using testing_support::ScopedEnv;
using testing_support::TempDir;

constexpr const char* kIdentifier = "com.example.prefs";

class UserDefaultsTest : public testing::Test {
 protected:
  fs::path file() const { return home_.path() / "Library/Preferences/com.example.prefs.plist"; }

  UserDefaults open() {
    std::error_code error;
    std::optional<UserDefaults> defaults = UserDefaults::open(kIdentifier, error);
    EXPECT_TRUE(defaults) << error.message();
    return defaults ? std::move(*defaults) : UserDefaults::at(file());
  }

  void write_file(const std::string& bytes) {
    std::error_code error;
    ASSERT_TRUE(files::make_directories(file().parent_path(), 0700, error));
    ASSERT_TRUE(files::write_atomic(file(), bytes, error)) << error.message();
  }

  std::string file_bytes() {
    std::error_code error;
    return files::read_file(file(), error).value_or("<missing>");
  }

  TempDir home_;
  ScopedEnv env_{"HOME", home_.path().string()};
};

TEST_F(UserDefaultsTest, WritesReadBackThroughTheFileAndDefaultsAreNeverWritten) {
  {
    UserDefaults defaults = open();
    EXPECT_EQ(defaults.path(), file());
    EXPECT_FALSE(defaults.load_error());
    plist::Dictionary registered;
    registered.set("LastPane", "Fuzzy");
    registered.set("Width", 400);
    defaults.register_defaults(registered);
    EXPECT_EQ(defaults.string("LastPane"), "Fuzzy");

    defaults.set("LastPane", "Skin");
    defaults.set("Count", 7);
    defaults.set("Enabled", true);
    defaults.set("Order", plist::Array{plist::Value("a"), plist::Value("b")});
    std::error_code error;
    ASSERT_TRUE(defaults.synchronize(error)) << error.message();
    EXPECT_FALSE(defaults.has_changes());
  }
  EXPECT_EQ(fs::status(file()).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);

  UserDefaults again = open();
  EXPECT_EQ(again.string("LastPane"), "Skin");
  EXPECT_EQ(again.integer("Count"), 7);
  EXPECT_EQ(again.boolean("Enabled"), true);
  ASSERT_NE(again.array("Order"), nullptr);
  EXPECT_EQ(*again.array("Order"), (plist::Array{plist::Value("a"), plist::Value("b")}));
  // The registered values belonged to the other run only.
  EXPECT_EQ(again.object("Width"), nullptr);
  EXPECT_EQ(again.values().size(), 4u);
  EXPECT_EQ(again.integer("Missing"), std::nullopt);
  EXPECT_EQ(again.array("Count"), nullptr);
}

TEST_F(UserDefaultsTest, OwnValuesWinOverRegisteredOnesAndRemovingShowsTheDefaultAgain) {
  UserDefaults defaults = open();
  plist::Dictionary first;
  first.set("A", 1);
  first.set("B", 1);
  defaults.register_defaults(first);
  plist::Dictionary later;
  later.set("B", 2);
  defaults.register_defaults(later);
  EXPECT_EQ(defaults.integer("A"), 1);
  EXPECT_EQ(defaults.integer("B"), 2);
  EXPECT_FALSE(defaults.has_changes());

  defaults.set("A", 5);
  EXPECT_EQ(defaults.integer("A"), 5);
  defaults.remove("A");
  EXPECT_EQ(defaults.integer("A"), 1);
}

TEST_F(UserDefaultsTest, SynchronizeWritesOnlyWhenSomethingChanged) {
  write_file(plist::to_xml(plist::Value(plist::Dictionary{})));
  UserDefaults defaults = open();
  defaults.set("Key", "value");
  std::error_code error;
  ASSERT_TRUE(defaults.synchronize(error));
  std::string written = file_bytes();
  EXPECT_NE(written.find("<key>Key</key>"), std::string::npos);

  // Unchanged, or set to the value it has: the file stays as someone else leaves it.
  write_file("edited by hand");
  defaults.set("Key", "value");
  EXPECT_FALSE(defaults.has_changes());
  ASSERT_TRUE(defaults.synchronize(error));
  EXPECT_EQ(file_bytes(), "edited by hand");

  // Removing a key that is not there is no change either.
  defaults.remove("Absent");
  EXPECT_FALSE(defaults.has_changes());
}

TEST_F(UserDefaultsTest, ADamagedOrUnreadableFileReadsEmptyAndIsNeverWrittenOver) {
  struct Case {
    const char* name;
    std::string bytes;          // written to the file, unless the file is a folder
    bool folder;                // a folder where the file belongs cannot be read
    DefaultsError expected;
  };
  const Case cases[] = {
      {"garbage", "this is not a property list", false, DefaultsError::file_damaged},
      {"empty", "", false, DefaultsError::file_damaged},
      {"array", plist::to_xml(plist::Value(plist::Array{plist::Value(1)})), false,
       DefaultsError::file_damaged},
      {"truncated", "<?xml version=\"1.0\"?><plist><dict><key>A</key>", false,
       DefaultsError::file_damaged},
      {"folder", "", true, DefaultsError::file_unreadable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ec;
    fs::remove_all(file(), ec);
    if (c.folder) {
      fs::create_directories(file() / "inside");
    } else {
      write_file(c.bytes);
    }
    UserDefaults defaults = open();
    EXPECT_EQ(defaults.load_error(), c.expected);
    EXPECT_TRUE(defaults.values().empty());
    if (c.folder) {
      EXPECT_EQ(defaults.read_error(), std::errc::is_a_directory);
    }

    plist::Dictionary registered;
    registered.set("A", "registered");
    defaults.register_defaults(registered);
    defaults.set("B", "mine");
    EXPECT_EQ(defaults.string("A"), "registered");
    EXPECT_EQ(defaults.string("B"), "mine");

    std::error_code error;
    EXPECT_FALSE(defaults.synchronize(error));
    EXPECT_EQ(error, c.expected) << error.message();
    EXPECT_TRUE(defaults.has_changes());
    if (c.folder) {
      EXPECT_TRUE(fs::is_directory(file() / "inside"));
    } else {
      EXPECT_EQ(file_bytes(), c.bytes);
    }

    // Still refused once the file is repaired: this object never saw its values.
    if (!c.folder) {
      write_file(plist::to_xml(plist::Value(plist::Dictionary{})));
      EXPECT_FALSE(defaults.synchronize(error));
      EXPECT_EQ(error, c.expected);
    }
  }
}

TEST_F(UserDefaultsTest, AFileDamagedAfterItWasReadIsLeftAlone) {
  UserDefaults defaults = open();
  defaults.set("Key", 1);
  write_file("damaged meanwhile");
  std::error_code error;
  EXPECT_FALSE(defaults.synchronize(error));
  EXPECT_EQ(error, DefaultsError::file_damaged);
  EXPECT_EQ(error, std::errc::illegal_byte_sequence);
  EXPECT_EQ(file_bytes(), "damaged meanwhile");
}

TEST_F(UserDefaultsTest, HomeAndIdentifierMustNameAPrivateFile) {
  struct Case {
    const char* name;
    std::optional<std::string> home;
    const char* identifier;
    DefaultsError expected;
  };
  const Case cases[] = {
      {"unset", std::nullopt, kIdentifier, DefaultsError::home_unset},
      {"empty", std::string(), kIdentifier, DefaultsError::home_unset},
      {"relative", std::string("some/home"), kIdentifier, DefaultsError::home_relative},
      {"slash", home_.path().string(), "com.example/../../x", DefaultsError::bad_identifier},
      {"dots", home_.path().string(), "..", DefaultsError::bad_identifier},
      {"no identifier", home_.path().string(), "", DefaultsError::bad_identifier},
  };
  for (const Case& c : cases) {
    ScopedEnv home("HOME", c.home);
    std::error_code error;
    EXPECT_FALSE(UserDefaults::open(c.identifier, error)) << c.name;
    EXPECT_EQ(error, c.expected) << c.name;
    EXPECT_EQ(error, std::errc::invalid_argument) << c.name;
    EXPECT_FALSE(error.message().empty());
  }
  EXPECT_FALSE(fs::exists(home_.path() / "Library"));
}

}  // namespace
}  // namespace platform::ui
