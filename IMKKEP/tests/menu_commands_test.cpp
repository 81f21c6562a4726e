// The input menu's commands: chosen by tag as a client chooses them, each leaves exactly one
// request for the desktop's workspace, and a missing document leaves none.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "CoreSource/tests/engine_test_support.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/tests/companions_fixture.h"
#include "modes_fixture.h"
#include "platform/bundle.h"
#include "platform/files.h"
#include "workspace_requests.h"

namespace keyroad_test {
namespace {

namespace fs = std::filesystem;

class MenuCommandsTest : public ModesTest {
 protected:
  static bool logged_containing(const std::string& text) {
    return std::any_of(log_lines().begin(), log_lines().end(), [&](const std::string& line) {
      return line.find(text) != std::string::npos;
    });
  }

  fs::path user_data_folder() const { return home_.path() / "Library/KEP"; }
};

struct CommandCase {
  int tag;
  std::vector<std::string> request;
};

TEST_F(MenuCommandsTest, EachCommandChosenByTagRecordsItsRequest) {
  const CommandCase cases[] = {
      {imkkep::kMenuUserDictionaryManager, {"open-application", "com.corvana.jev2"}},
      {imkkep::kMenuHelp, {"open-url", "https://kep.example.org/wordpress/?page_id=15"}},
      {imkkep::kMenuOtherSoftware, {"open-url", "https://kep.example.org/wordpress/?page_id=477"}},
      {imkkep::kMenuBlog, {"open-url", "https://kep.example.org/wordpress/?cat=1"}},
  };
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  std::vector<std::vector<std::string>> expected;
  for (const CommandCase& command : cases) {
    ASSERT_NE(imkkep::IMEGetMenuItem(command.tag), nullptr) << command.tag;
    controller.invokeMenuItem(command.tag, client);
    expected.push_back(command.request);
    EXPECT_EQ(server_test::workspace_requests(), expected) << "tag " << command.tag;
  }
}

TEST_F(MenuCommandsTest, PreferencesAreLaunchedToTheFront) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  companions_test::launches().clear();
  controller.invokeMenuItem(imkkep::kMenuPreferences, client);
  ASSERT_EQ(companions_test::launched_names(), std::vector<std::string>{"IMKKEPPreferences"});
  EXPECT_TRUE(companions_test::launches().back().to_front);
  EXPECT_TRUE(server_test::workspace_requests().empty()) << "a launch is not a workspace request";
}

TEST_F(MenuCommandsTest, TheCommandsAreListedAfterTheAccessoryItemBehindASeparator) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  const auto items = controller.menu();
  const auto accessory = std::find_if(items.begin(), items.end(), [](const auto& item) {
    return item.tag == imkkep::kMenuAccessory;
  });
  ASSERT_NE(accessory, items.end());
  std::vector<int> after;
  for (auto item = accessory + 1; item != items.end(); ++item) after.push_back(item->tag);
  ASSERT_EQ(after.size(), 8u);
  EXPECT_TRUE((accessory + 1)->separator);
  EXPECT_EQ(std::vector<int>(after.begin() + 1, after.end()),
            (std::vector<int>{imkkep::kMenuPreferences, imkkep::kMenuUserDictionaryManager, imkkep::kMenuReleaseNote,
                              imkkep::kMenuHelp, imkkep::kMenuOtherSoftware, imkkep::kMenuBlog,
                              imkkep::kMenuAbout}));
  EXPECT_EQ(imkkep::IMEGetMenuItem(imkkep::kMenuReleaseNote)->title, "Release Notes");
}

TEST_F(MenuCommandsTest, ReleaseNotesShippedWithTheServerAreOpened) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  controller.invokeMenuItem(imkkep::kMenuReleaseNote, client);
  const auto recorded = server_test::workspace_requests();
  ASSERT_EQ(recorded.size(), 1u);
  ASSERT_EQ(recorded[0].size(), 3u);
  EXPECT_EQ(recorded[0][0], "open-document");
  EXPECT_EQ(fs::path(recorded[0][1]).filename(), "ReleaseNote.rtf");
  EXPECT_TRUE(fs::exists(recorded[0][1])) << recorded[0][1];
  EXPECT_NE(recorded[0][1].find("IMKKEP.app/Contents/Resources"), std::string::npos);
  EXPECT_EQ(recorded[0][2], "");
}

TEST_F(MenuCommandsTest, TheUsersOwnReleaseNotesWin) {
  const fs::path own = user_data_folder() / "ReleaseNote.rtf";
  engine_test::write_file(own, "{\\rtf1 mine}");
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  controller.invokeMenuItem(imkkep::kMenuReleaseNote, client);
  EXPECT_EQ(server_test::workspace_requests(),
            (std::vector<std::vector<std::string>>{{"open-document", own.string(), ""}}));
}

TEST_F(MenuCommandsTest, MissingReleaseNotesAreLoggedAndNothingIsRecorded) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  // A root without the server's bundle: the notes are nowhere.
  engine_test::TempDir empty_root;
  engine_test::ScopedEnv root("KEP_ROOT", empty_root.path().string());
  platform::files::reset_root_cache();
  platform::Bundle::reset_cache();
  controller.invokeMenuItem(imkkep::kMenuReleaseNote, client);
  EXPECT_TRUE(server_test::workspace_requests().empty());
  EXPECT_TRUE(logged_containing("ReleaseNote.rtf")) << "nothing logged";
}

TEST_F(MenuCommandsTest, ARefusedRecorderIsLogged) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  {
    engine_test::ScopedEnv relative("KEP_RUNTIME_DIR", std::string("relative"));
    controller.invokeMenuItem(imkkep::kMenuBlog, client);
  }
  EXPECT_TRUE(server_test::workspace_requests().empty());
  EXPECT_TRUE(logged_containing("https://kep.example.org/wordpress/?cat=1")) << "nothing logged";
}

}  // namespace
}  // namespace keyroad_test
