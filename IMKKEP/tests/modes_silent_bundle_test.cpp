// An application the silent list names by its bundle is known by the listed path from then on:
// the notices of silent mode name the bundle, wherever the application was run from.
#include "modes_fixture.h"

#include <filesystem>
#include <optional>

#include "IMKKEP/tests/host_window_fixture.h"

namespace keyroad_test {
namespace {

constexpr int kMenuSilent = 1009;

class SilentBundleTest : public ModesTest {
 protected:
  void SetUp() override {
    ModesTest::SetUp();
    std::filesystem::create_directories(bundle_ / "Contents");
    engine_test::write_file(bundle_ / "Contents/Info.plist",
                            "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                            "<key>CFBundleIdentifier</key><string>com.example.editor</string>"
                            "</dict></plist>");
    set_setting("KeepSilent", true);
    set_setting("SilentLists", platform::plist::Value("/opt/A|" + bundle_.string()));
  }

  // The text of the next notice the candidate window receives.
  std::optional<std::string> notice() {
    std::optional<host_test::WindowMessage> message;
    while ((message = window_.message(seen_++))) {
      if (message->id == 107) return message->payload;
    }
    return std::nullopt;
  }

  engine_test::TempDir folder_;
  std::filesystem::path bundle_ = folder_.path() / "Editor.app";
  host_test::FakeCandidateWindow window_;
  std::size_t seen_ = 0;
};

TEST_F(SilentBundleTest, AnApplicationMatchedByItsBundleTakesTheListedPathAsItsName) {
  ASSERT_TRUE(window_.serving());
  FakeClient client;
  client.info_.application_path = "/tmp/elsewhere/editor";
  client.info_.bundle_identifier = "com.example.editor";
  imkkep::KEPInputController& controller = open(client);
  EXPECT_EQ(imkkep::silent_mode, 1);
  EXPECT_EQ(imkkep::kCurrentProcessName, bundle_.string());
  EXPECT_EQ(notice(), "Silent Mode:" + bundle_.string() + " enter silent mode.");
  // Leaving silent mode from the menu names the same application.
  controller.invokeMenuItem(kMenuSilent, client);
  EXPECT_EQ(imkkep::silent_mode, 0);
  EXPECT_EQ(notice(), "Silent Mode:" + bundle_.string() + " Back to input mode.");
}

TEST_F(SilentBundleTest, OtherApplicationsKeepTheirOwnPath) {
  struct Case {
    const char* path;
    const char* identifier;
    bool silent;
  };
  for (const Case& c : {Case{"/opt/A/bin/tool", "com.example.tool", true},
                        Case{"/tmp/elsewhere/editor", "com.example.other", false}}) {
    SCOPED_TRACE(c.path);
    FakeClient client;
    client.info_.application_path = c.path;
    client.info_.bundle_identifier = c.identifier;
    open(client).deactivateServer(client, platform::imk::DeactivationReason::FocusMoved, {});
    EXPECT_EQ(imkkep::silent_mode, c.silent ? 1 : 0);
    EXPECT_EQ(imkkep::kCurrentProcessName, c.path);
  }
}

}  // namespace
}  // namespace keyroad_test
