#include "platform/ui/control_server.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "platform/tests/runtime_test_support.h"
#include "platform/ui/controls.h"
#include "platform/ui/tests/view_test_support.h"
#include "platform/ui/tests/window_test_support.h"
#include "platform/ui/toolbar.h"

namespace platform::ui {
namespace {

using namespace std::chrono_literals;
using testing_support::PrivateRuntimeDir;
using test_support::RecordingWindow;
using test_support::RenderDir;

TEST(WindowRegistryTest, CommandsReachTheNamedWindow) {
  RenderDir render;
  WindowRegistry registry;
  RecordingWindow candidate("candidate", Rect{0, 0, 100, 40});
  RecordingWindow status("status", Rect{0, 0, 100, 40});
  ASSERT_TRUE(registry.add(candidate));
  ASSERT_TRUE(registry.add(status));
  int tag = candidate.add_tracking_rect(Rect{0, 0, 10, 10});

  struct Case {
    std::string command;
    std::string reply;
    std::vector<std::string> logged;  // by the candidate window
  };
  const std::string t = std::to_string(tag);
  const Case cases[] = {
      {"down candidate 10 5", "ok", {"down 10,5 x1"}},
      {"drag candidate 10 50", "ok", {"drag 10,50 x1"}},
      {"up candidate 11 50", "ok", {"up 11,50 x1"}},
      {"double candidate 3 4", "ok", {"down 3,4 x1", "up 3,4 x1", "down 3,4 x2", "up 3,4 x2"}},
      {"move candidate 5 5", "ok", {"enter " + t, "move 5,5 x1"}},
      {"up candidate 11 50 shift", "ok", {"up 11,50 x1 flags=0x20000"}},
      {"double candidate 3 4 command",
       "ok",
       {"down 3,4 x1 flags=0x100000", "up 3,4 x1 flags=0x100000", "down 3,4 x2 flags=0x100000",
        "up 3,4 x2 flags=0x100000"}},
      {"down candidate 1 1 hyper", "error: unknown modifier keys \"hyper\"", {}},
      {"exit candidate " + t, "ok", {"exit " + t}},
      {"enter candidate " + t, "ok", {"enter " + t}},
      {"key candidate y", "ok", {"key [y]"}},
      {"key candidate  ", "ok", {"key [ ]"}},
      {"key candidate n", "error: \"candidate\" did not take the keys", {"key [n]"}},
      {"enter candidate 99", "error: no tracking rectangle 99 in \"candidate\"", {}},
      {"down nowhere 1 1", "error: no window \"nowhere\"", {}},
      {"down candidate 1", "error: expected window coordinates X Y", {}},
      {"shake candidate", "error: unknown command \"shake\"", {}},
  };
  for (const Case& c : cases) {
    candidate.log.clear();
    EXPECT_EQ(registry.perform(c.command), c.reply) << c.command;
    EXPECT_EQ(candidate.log, c.logged) << c.command;
  }
  EXPECT_TRUE(status.log.empty());
}

TEST(WindowRegistryTest, ChangedWindowsDisplayAfterACommand) {
  RenderDir render;
  WindowRegistry registry;
  Window moved("TestProgram", "moved", Rect{0, 0, 10, 10});
  Window still("TestProgram", "still", Rect{0, 0, 10, 10});
  registry.add(moved);
  registry.add(still);
  std::error_code error;
  ASSERT_TRUE(moved.display(error) && still.display(error));
  moved.set_content_mouse_handler([&](const MouseEvent& event) {
    moved.set_frame_origin(event.location);
    return true;
  });
  EXPECT_EQ(registry.perform("down moved 30 40"), "ok");
  EXPECT_EQ(moved.sequence(), 2u) << "the move was written";
  EXPECT_EQ(still.sequence(), 1u) << "nothing changed, nothing written";
  auto state = plist::read_file(*moved.state_path(error), error);
  ASSERT_TRUE(state);
  const plist::Value* frame = state->as_dictionary()->find("frame");
  EXPECT_EQ(frame->as_dictionary()->find("x")->real_value(), 30.0);
}

TEST(WindowRegistryTest, NamesAreUniqueAndWindowsLeaveWhenDestroyed) {
  WindowRegistry registry;
  Window first("TestProgram", "same", Rect{0, 0, 1, 1});
  Window second("TestProgram", "same", Rect{0, 0, 1, 1});
  EXPECT_TRUE(registry.add(first));
  EXPECT_TRUE(registry.add(first)) << "adding again is harmless";
  EXPECT_FALSE(registry.add(second));
  EXPECT_EQ(registry.find("same"), &first);
  {
    WindowRegistry other;
    EXPECT_FALSE(other.add(first)) << "a window belongs to one registry";
  }
  {
    Window brief("TestProgram", "brief", Rect{0, 0, 1, 1});
    registry.add(brief);
    EXPECT_EQ(registry.find("brief"), &brief);
  }
  EXPECT_EQ(registry.find("brief"), nullptr);
  EXPECT_EQ(registry.perform("down brief 1 1"), "error: no window \"brief\"");

  auto short_lived = std::make_unique<WindowRegistry>();
  Window outliving("TestProgram", "outliving", Rect{0, 0, 1, 1});
  short_lived->add(outliving);
  short_lived.reset();
  outliving.make_key_and_order_front();  // must not reach the registry that is gone
  EXPECT_TRUE(outliving.is_key());
}

TEST(WindowRegistryTest, AWindowClosedByItsOwnClickTakesNoMoreEvents) {
  WindowRegistry registry;
  auto window = std::make_unique<RecordingWindow>("closing", Rect{0, 0, 10, 10});
  registry.add(*window);
  int presses = 0;
  window->set_content_mouse_handler([&](const MouseEvent& event) {
    if (event.type == MouseEventType::Down) ++presses;
    window.reset();
    return true;
  });
  EXPECT_EQ(registry.perform("double closing 1 1"), "ok");
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(registry.find("closing"), nullptr);
}

// A delegate whose answer to a user's close the test sets.
struct SwitchedDelegate : WindowDelegate {
  bool allows = false;
  bool window_should_close(Window&) override { return allows; }
};

TEST(WindowRegistryTest, ClickCloseAndShowReachWindowsAndTheirViews) {
  RenderDir render;
  WindowRegistry registry;
  Window prefs("TestProgram", "Prefs", Rect{0, 0, 300, 200},
               kTitledWindowMask | kClosableWindowMask);
  Window other("TestProgram", "other", Rect{0, 0, 50, 50});
  std::vector<std::string> clicked;
  auto root = std::make_unique<View>();
  auto& restore = root->add_subview(std::make_unique<Button>(Rect{10, 10, 80, 24}, "Restore"));
  restore.set_identifier("restore");
  restore.set_action([&](Button&) { clicked.push_back("restore"); });
  auto& secret = root->add_subview(std::make_unique<Button>(Rect{100, 10, 80, 24}, "Secret"));
  secret.set_identifier("secret");
  secret.set_hidden(true);
  // A label laid over the middle of a button leaves the button unclickable.
  auto& under = root->add_subview(std::make_unique<Button>(Rect{10, 50, 80, 24}, "Under"));
  under.set_identifier("under");
  root->add_subview(std::make_unique<TextField>(Rect{10, 50, 80, 24}, "over"));
  prefs.set_content_view(std::move(root));
  auto bar = std::make_unique<Toolbar>("bar");
  bar->add_item("Fuzzy", "Fuzzy")->set_action([&](ToolbarItem&) { clicked.push_back("Fuzzy"); });
  prefs.set_toolbar(std::move(bar));
  SwitchedDelegate delegate;
  prefs.set_delegate(&delegate);
  ASSERT_TRUE(registry.add(prefs) && registry.add(other));
  other.make_key_and_order_front();

  struct Step {
    std::string command;
    bool allows_close;
    std::string reply;
    std::vector<std::string> clicked;
    bool visible;
    bool key;
  };
  const Step steps[] = {
      {"show Prefs", false, "ok", {}, true, true},
      {"click Prefs restore", false, "ok", {"restore"}, true, true},
      {"click Prefs Fuzzy", false, "ok", {"Fuzzy"}, true, true},
      {"click Prefs nothing", false, "error: no view \"nothing\" in \"Prefs\"", {}, true, true},
      {"click Prefs secret", false, "error: view \"secret\" is hidden", {}, true, true},
      {"click Prefs under", false, "error: view \"under\" is covered or outside the window", {},
       true, true},
      {"close Prefs", false, "error: \"Prefs\" did not close", {}, true, true},
      {"close other", false, "error: \"other\" did not close", {}, true, true},
      {"close Prefs", true, "ok", {}, false, false},
      {"show Prefs", true, "ok", {}, true, true},
  };
  for (const Step& step : steps) {
    clicked.clear();
    delegate.allows = step.allows_close;
    EXPECT_EQ(registry.perform(step.command), step.reply) << step.command;
    EXPECT_EQ(clicked, step.clicked) << step.command;
    const plist::Dictionary state = test_support::read_state_file(render.file("Prefs.state"));
    EXPECT_EQ(test_support::bool_at(state, "visible"), step.visible) << step.command;
    EXPECT_EQ(test_support::bool_at(state, "key"), step.key) << step.command;
    EXPECT_EQ(test_support::bool_at(state, "closed"), !step.visible) << step.command;
  }
  EXPECT_FALSE(other.is_key()) << "the shown window took the key";
}

TEST(WindowRegistryTest, AnswersAreQueuedForDialogsOfTheirKind) {
  WindowRegistry registry;
  EXPECT_EQ(registry.perform("answer alert BUTTON_YES"), "ok");
  EXPECT_EQ(registry.perform("answer alert BUTTON_NO"), "ok");
  EXPECT_EQ(registry.perform("answer open /tmp/x"), "error: unknown answer kind \"open\"");
  EXPECT_EQ(registry.answers().take_queued(kAlertAnswer),
            std::vector<std::string>{"BUTTON_YES"});
  EXPECT_EQ(registry.answers().take_queued(kAlertAnswer), std::vector<std::string>{"BUTTON_NO"});
  EXPECT_FALSE(registry.answers().take_queued(kAlertAnswer));

  for (std::size_t i = 0; i < DialogAnswers::kMaxQueued; ++i) {
    ASSERT_EQ(registry.perform("answer alert BUTTON_OK"), "ok");
  }
  EXPECT_EQ(registry.perform("answer alert BUTTON_OK"), "error: too many alert answers queued");
}

// The control port served by a run loop on its own thread, with the windows made before it runs.
class ControlPortTest : public testing::Test {
 protected:
  void start() {
    std::error_code error;
    server_ = ControlServer::create("TestProgram", loop_, error);
    ASSERT_TRUE(server_) << error.message();
    ASSERT_TRUE(server_->windows().add(window_));
    thread_ = std::thread([this] { loop_.run(); });
  }
  void TearDown() override {
    if (thread_.joinable()) {
      loop_.stop();
      thread_.join();
    }
  }

  PrivateRuntimeDir runtime_;
  RenderDir render_;
  RunLoop loop_;
  RecordingWindow window_{"candidate", Rect{100, 100, 50, 20}};
  std::unique_ptr<ControlServer> server_;
  std::thread thread_;
};

TEST_F(ControlPortTest, CommandsTravelThroughThePortAndRepliesComeBack) {
  ASSERT_NO_FATAL_FAILURE(start());
  EXPECT_EQ(server_->port_name(), "TestProgram.control");
  std::error_code error;
  auto remote = ports::RemotePort::open(control_port_name("TestProgram"), error);
  ASSERT_TRUE(remote) << error.message();

  const std::pair<std::string, std::string> exchanges[] = {
      {"down candidate 10 5", "ok"},
      {"up candidate 10 5", "ok"},
      {"down other 1 1", "error: no window \"other\""},
      {std::string("\xff\xfe garbage"), "error: command is not UTF-8"},
      {"", "error: empty command"},
  };
  for (const auto& [command, expected] : exchanges) {
    ports::Reply reply = remote->send(1, command, 1s, 2s);
    ASSERT_EQ(reply.status, ports::SendStatus::Success) << command;
    EXPECT_EQ(reply.data, expected) << command;
  }
  loop_.stop();
  thread_.join();
  EXPECT_EQ(window_.log, (std::vector<std::string>{"down 10,5 x1", "up 10,5 x1"}));
}

TEST_F(ControlPortTest, ASecondServerOfTheSameProgramIsRefused) {
  ASSERT_NO_FATAL_FAILURE(start());
  RunLoop other_loop;
  std::error_code error;
  // The first server's socket is live, so the name is taken.
  auto second = ControlServer::create("TestProgram", other_loop, error);
  EXPECT_FALSE(second);
  EXPECT_TRUE(error);
}

}  // namespace
}  // namespace platform::ui
