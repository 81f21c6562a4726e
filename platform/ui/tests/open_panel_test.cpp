#include "platform/ui/open_panel.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/ui/control_command.h"
#include "platform/ui/dialog_log.h"
#include "platform/ui/tests/view_test_support.h"
#include "platform/ui/tests/window_test_support.h"

namespace platform::ui {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_support::bool_at;
using test_support::dictionary_at;
using test_support::read_state_file;
using test_support::RenderDir;
using test_support::string_at;

std::vector<std::string> logged;
void keep_line(std::string_view line) { logged.emplace_back(line); }

// A folder to choose from: files of a few types, a folder that is a dictionary, a plain
// folder, a link, a pipe, and a name with a space.
struct Choices {
  testing_support::TempDir temp;
  fs::path dir = fs::canonical(temp.path());

  Choices() {
    for (const char* file : {"words.scel", "Words.SCEL", "notes.txt", "My Words.scel",
                             "sub/deep.scel", "noextension"}) {
      fs::create_directories((dir / file).parent_path());
      std::ofstream(dir / file) << "x";
    }
    fs::create_directory(dir / "pack.dict");
    fs::create_directory(dir / "plain");
    fs::create_symlink(dir / "words.scel", dir / "link.scel");
    fs::create_directory_symlink(dir / "sub", dir / "sublink");
    ::mkfifo((dir / "pipe.scel").c_str(), 0600);
  }
  std::string at(const std::string& name) const { return (dir / name).string(); }
};

class OpenPanelTest : public testing::Test {
 protected:
  void SetUp() override {
    logged.clear();
    set_dialog_log_sink(keep_line);
    panel_.set_title("Add a dictionary");
    panel_.set_allowed_file_types({"dict", ".scel"});
    panel_.set_directory(choices_.dir);
  }
  void TearDown() override { set_dialog_log_sink(nullptr); }

  OpenPanel::EndHandler recorder() {
    return [this](int code) {
      ended_.push_back(code);
      loop_.stop();
    };
  }
  // Runs the loop until the end handler has run (it stops the loop).
  void run_until_ended() { loop_.run_for(20s); }
  // The panel's answer as kep-ui would send it.
  std::string answer(const std::vector<std::string>& values) {
    std::string command = "answer open-panel";
    for (const std::string& value : values) command += " " + escape_answer_value(value);
    return registry_.perform(command);
  }
  plist::Dictionary shows() const {
    const plist::Dictionary state = read_state_file(render_.file("open-panel.state"));
    const plist::Dictionary* found = dictionary_at(state, "shows");
    return found ? *found : plist::Dictionary{};
  }

  Choices choices_;
  RenderDir render_;
  RunLoop loop_;
  WindowRegistry registry_;
  OpenPanel panel_{registry_, loop_, "TestProgram"};
  std::vector<int> ended_;
};

TEST_F(OpenPanelTest, AnswersAreCheckedAgainstThePanelsRules) {
  struct Case {
    const char* what;
    bool files, folders, multiple;
    std::vector<std::string> values;
    // "" when taken; else the refusal after "error: ".
    std::string refused;
    std::vector<std::string> chosen;  // names under the folder, when taken
  };
  const std::string d = choices_.dir.string();
  const Case cases[] = {
      {"a file", true, false, false, {"words.scel"}, "", {"words.scel"}},
      {"an absolute path", true, false, false, {d + "/sub/../words.scel"}, "", {"words.scel"}},
      {"dots after a file", true, false, false, {d + "/notes.txt/../words.scel"},
       "no such file or folder: " + d + "/notes.txt/../words.scel", {}},
      {"dots on the way", true, false, false, {"sub/../Words.SCEL"}, "", {"Words.SCEL"}},
      {"a link on the way", true, false, false, {"sublink/deep.scel"}, "", {"sub/deep.scel"}},
      {"a space", true, false, false, {"My Words.scel"}, "", {"My Words.scel"}},
      {"missing", true, false, false, {"missing.scel"},
       "no such file or folder: " + d + "/missing.scel", {}},
      {"missing folder on the way", true, false, false, {"nowhere/a.scel"},
       "no such file or folder: " + d + "/nowhere/a.scel", {}},
      {"wrong extension", true, false, false, {"notes.txt"},
       d + "/notes.txt is not of an allowed type (dict, scel)", {}},
      {"no extension", true, false, false, {"noextension"},
       d + "/noextension is not of an allowed type (dict, scel)", {}},
      {"a folder when only files", true, false, false, {"pack.dict"},
       d + "/pack.dict is a folder; the panel chooses files", {}},
      {"a folder when folders too", true, true, false, {"pack.dict/"}, "", {"pack.dict"}},
      {"a plain folder needs a type too", true, true, false, {"plain"},
       d + "/plain is not of an allowed type (dict, scel)", {}},
      {"a file when only folders", false, true, false, {"words.scel"},
       d + "/words.scel is a file; the panel chooses folders", {}},
      {"two when one", true, false, false, {"words.scel", "Words.SCEL"},
       "the panel takes one item, not 2", {}},
      {"two when several", true, false, true, {"words.scel", "Words.SCEL"}, "",
       {"words.scel", "Words.SCEL"}},
      {"one bad among several", true, false, true, {"words.scel", "notes.txt"},
       d + "/notes.txt is not of an allowed type (dict, scel)", {}},
      {"a link is not followed", true, true, false, {"link.scel"},
       d + "/link.scel is a symbolic link, neither a file nor a folder", {}},
      {"a pipe", true, false, false, {"pipe.scel"},
       d + "/pipe.scel is neither a file nor a folder", {}},
      {"cancel", true, false, false, {"cancel"}, "", {}},
  };
  for (const Case& c : cases) {
    panel_.set_can_choose_files(c.files);
    panel_.set_can_choose_directories(c.folders);
    panel_.set_allows_multiple_selection(c.multiple);
    panel_.set_directory(choices_.dir);
    ended_.clear();
    ASSERT_TRUE(panel_.begin(recorder())) << c.what;
    const std::string reply = answer(c.values);
    if (!c.refused.empty()) {
      EXPECT_EQ(reply, "error: " + c.refused) << c.what;
      EXPECT_TRUE(panel_.is_running()) << c.what << ": a refused answer leaves it waiting";
      EXPECT_EQ(registry_.answers().queued(kOpenPanelAnswer), 0u) << c.what;
      EXPECT_EQ(answer({"cancel"}), "ok") << c.what;
    } else {
      EXPECT_EQ(reply, "ok") << c.what;
    }
    run_until_ended();
    std::vector<std::string> chosen;
    for (const std::string& name : c.chosen) chosen.push_back(choices_.at(name));
    EXPECT_EQ(panel_.filenames(), chosen) << c.what;
    const int code = chosen.empty() ? kPanelCancelReturn : kPanelOKReturn;
    EXPECT_EQ(ended_, std::vector<int>{code}) << c.what;
    EXPECT_FALSE(panel_.is_visible()) << c.what;
  }
}

TEST_F(OpenPanelTest, AnOKKeepsTheChoiceAndItsFolderInTheState) {
  ASSERT_TRUE(panel_.begin(recorder()));
  const plist::Dictionary running = shows();
  EXPECT_EQ(bool_at(running, "running"), true);
  EXPECT_EQ(string_at(running, "directory"), choices_.dir.string());
  EXPECT_EQ(test_support::strings(test_support::array_at(running, "allowedFileTypes")),
            (std::vector<std::string>{"dict", "scel"}));
  EXPECT_EQ(answer({choices_.at("sub/deep.scel")}), "ok");
  run_until_ended();
  EXPECT_EQ(panel_.return_code(), kPanelOKReturn);
  EXPECT_EQ(panel_.directory(), choices_.dir / "sub");
  EXPECT_EQ(panel_.urls(), std::vector<fs::path>{choices_.dir / "sub" / "deep.scel"});
  const plist::Dictionary ended = shows();
  EXPECT_EQ(bool_at(ended, "running"), false);
  EXPECT_EQ(test_support::integer_at(ended, "returnCode"), kPanelOKReturn);
  EXPECT_EQ(test_support::strings(test_support::array_at(ended, "filenames")),
            std::vector<std::string>{choices_.at("sub/deep.scel")});
  EXPECT_EQ(logged, std::vector<std::string>{"open panel \"Add a dictionary\" answered \"" +
                                             choices_.at("sub/deep.scel") + "\" by an answer"});
}

TEST_F(OpenPanelTest, AQueuedAnswerIsTakenAtOnce) {
  EXPECT_EQ(answer({"words.scel"}), "ok");
  EXPECT_EQ(registry_.answers().queued(kOpenPanelAnswer), 1u) << "no panel runs yet";
  ASSERT_TRUE(panel_.begin(recorder()));
  EXPECT_FALSE(panel_.is_running());
  run_until_ended();
  EXPECT_EQ(ended_, std::vector<int>{kPanelOKReturn});
  EXPECT_EQ(panel_.filenames(), std::vector<std::string>{choices_.at("words.scel")});

  EXPECT_EQ(answer({"cancel"}), "ok");
  EXPECT_EQ(panel_.run_modal(), kPanelCancelReturn);
  EXPECT_TRUE(panel_.urls().empty());
}

TEST_F(OpenPanelTest, RunModallyWithNothingOrARefusedAnswerQueuedItCancelsAndSaysSo) {
  EXPECT_EQ(panel_.run_modal(), kPanelCancelReturn);
  EXPECT_EQ(logged,
            std::vector<std::string>{"open panel \"Add a dictionary\" answered by default: cancel"});
  EXPECT_EQ(string_at(shows(), "answeredBy"), "by default");

  logged.clear();
  EXPECT_EQ(answer({"notes.txt"}), "ok") << "queued unchecked: no panel runs";
  EXPECT_EQ(panel_.run_modal(), kPanelCancelReturn);
  EXPECT_EQ(logged, (std::vector<std::string>{
                        "open panel \"Add a dictionary\": the queued answer is refused: " +
                            choices_.at("notes.txt") + " is not of an allowed type (dict, scel)",
                        "open panel \"Add a dictionary\" answered by default: cancel"}));
  EXPECT_EQ(registry_.answers().queued(kOpenPanelAnswer), 0u);
}

TEST_F(OpenPanelTest, TheCancelButtonAndEscapeCancel) {
  const char* commands[] = {"click open-panel cancel", "key open-panel \x1b"};
  for (const char* command : commands) {
    ended_.clear();
    ASSERT_TRUE(panel_.begin(recorder()));
    EXPECT_EQ(registry_.perform("key open-panel x"), "error: \"open-panel\" did not take the keys");
    EXPECT_EQ(registry_.perform("click open-panel ok"), "ok") << "disabled: nothing happens";
    EXPECT_TRUE(panel_.is_running());
    EXPECT_EQ(registry_.perform(command), "ok") << command;
    run_until_ended();
    EXPECT_EQ(ended_, std::vector<int>{kPanelCancelReturn}) << command;
  }
}

TEST_F(OpenPanelTest, AsASheetItNamesItsParentAndEndsThroughTheSheetPath) {
  Window parent("TestProgram", "Preferences", Rect{100, 100, 640, 480});
  ASSERT_TRUE(registry_.add(parent));
  parent.order_front();
  ASSERT_TRUE(panel_.begin_sheet(parent, recorder()));
  EXPECT_EQ(parent.attached_sheet(), &panel_);
  EXPECT_EQ(string_at(shows(), "parent"), "Preferences");
  EXPECT_EQ(string_at(read_state_file(render_.file("open-panel.state")), "sheetParent"),
            "Preferences");
  EXPECT_EQ(panel_.frame().y + panel_.frame().height, 100 + 480);
  EXPECT_FALSE(panel_.begin(recorder())) << "it runs already";
  EXPECT_EQ(answer({"pack.dict"}), "error: " + choices_.at("pack.dict") +
                                       " is a folder; the panel chooses files");
  EXPECT_EQ(answer({"Words.SCEL"}), "ok");
  run_until_ended();
  EXPECT_EQ(ended_, std::vector<int>{kPanelOKReturn});
  EXPECT_EQ(parent.attached_sheet(), nullptr);
}

}  // namespace
}  // namespace platform::ui
