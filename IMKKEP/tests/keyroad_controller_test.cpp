// A controller's life: activation makes it the one the server and the engine serve,
// deactivation and destruction stop that, and the framework's composition calls and the
// recovery after a failed key leave the client and the conversation in order.
#include "keyroad_fixture.h"

#include "CoreSource/record/engine_globals.h"
#include "IMKKEP/controller/KEPActiveInputArea.h"

namespace keyroad_test {
namespace {

using imkkep::gActiveSession;

bool active(const imkkep::KEPInputController& controller) {
  return gActiveSession == &controller && ime_current_convs == controller.conversation();
}

TEST_F(KeyRoadTest, ActivationNamesTheClientAndItsWordWidth) {
  FakeClient wide(64);
  wide.info_.application_path = "/Applications/Wide.app";
  imkkep::KEPInputController& first = open(wide);
  EXPECT_TRUE(active(first));
  EXPECT_EQ(imkkep::kCurrentProcessName, "/Applications/Wide.app");
  EXPECT_EQ(imkkep::gActiveArch, 0x1000007);

  FakeClient narrow(32);
  narrow.info_.application_path = "/Applications/Narrow.app";
  imkkep::KEPInputController& second = open(narrow);
  EXPECT_TRUE(active(second));
  EXPECT_EQ(imkkep::gActiveArch & 0x1000000, 0);
  EXPECT_NE(imkkep::gActiveArch, 0);
  // A fresh conversation starts with Chinese punctuation.
  EXPECT_EQ(second.conversation()->iflag, 0u);
  EXPECT_EQ(second.conversation()->full_width_punct, 1);
}

TEST_F(KeyRoadTest, TraditionalOutputIsTheDefaultOfAControllerOnlyAtItsFirstActivation) {
  set_setting("TraditionalOutput", true);
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  EXPECT_NE(controller.conversation()->mode & IME_MODE_TRADITIONAL, 0u);
  // Once the user turned it off, a later activation of the same controller leaves it off.
  controller.conversation()->mode &= ~IME_MODE_TRADITIONAL;
  controller.deactivateServer(client, platform::imk::DeactivationReason::FocusMoved, {});
  controller.activateServer(client);
  EXPECT_EQ(controller.conversation()->mode & IME_MODE_TRADITIONAL, 0u);

  set_setting("TraditionalOutput", false);
  FakeClient other;
  EXPECT_EQ(open(other).conversation()->mode & IME_MODE_TRADITIONAL, 0u);
}

TEST_F(KeyRoadTest, ALeavingControllerIsNoLongerTheActiveOne) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  controller.deactivateServer(client, platform::imk::DeactivationReason::FocusMoved, {});
  EXPECT_EQ(gActiveSession, nullptr);
  EXPECT_EQ(ime_current_convs, nullptr);
  // Coming back is a new activation, not a repeat of the last one.
  controller.activateServer(client);
  EXPECT_TRUE(active(controller));

  controllers_.clear();
  EXPECT_EQ(gActiveSession, nullptr);
  EXPECT_EQ(ime_current_convs, nullptr);
  EXPECT_TRUE(imkkep::kConvsTable.empty());
}

TEST_F(KeyRoadTest, DestroyingAnotherControllerLeavesTheActiveOne) {
  FakeClient first_client;
  FakeClient second_client;
  open(first_client);
  imkkep::KEPInputController& second = open(second_client);
  controllers_.erase(controllers_.begin());
  EXPECT_TRUE(active(second));
  EXPECT_EQ(imkkep::kConvsTable.size(), 1u);
}

TEST_F(KeyRoadTest, ComposedStringHandsOverTheTextAndEmptiesTheComposition) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  EXPECT_EQ(controller.composedString(client), std::nullopt);
  type(controller, client, "zhongguo");
  EXPECT_EQ(controller.originalString(client), "zhongguo");
  EXPECT_EQ(controller.conversation()->inoff, 8);
  EXPECT_EQ(controller.composedString(client), "zhongguo");
  EXPECT_EQ(controller.conversation()->inoff, 0);
}

TEST_F(KeyRoadTest, CommitOnRequestInsertsTheComposition) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  type(controller, client, "zhongguo");
  controller.commitComposition(client);
  EXPECT_EQ(client.inserted(), (std::vector<std::string>{"zhongguo"}));
  EXPECT_EQ(client.document(), "zhongguo");
  EXPECT_EQ(controller.conversation()->inoff, 0);
}

TEST_F(KeyRoadTest, RecoveryCommitsWhatWasTyped) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  EXPECT_EQ(imkkep::KEPSessionFix(nullptr), 0);
  EXPECT_EQ(imkkep::KEPSessionFix(&controller), 0);
  EXPECT_TRUE(client.inserts.empty());
  type(controller, client, "nihao");
  EXPECT_EQ(imkkep::KEPSessionFix(&controller), 0);
  EXPECT_EQ(client.document(), "nihao");
  EXPECT_EQ(controller.conversation()->inoff, 0);
}

TEST_F(KeyRoadTest, AKeyWhoseHandlingFailsIsNotHandled) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  EXPECT_EQ(type(controller, client, "nihao"), std::vector<bool>(5, true));
  client.fail_next_insert = true;
  EXPECT_FALSE(controller.handleEvent(keys("<space>")[0], client));
  bool warned = false;
  for (const std::string& line : log_lines()) {
    warned = warned || line.find("Catch exception") != std::string::npos;
  }
  EXPECT_TRUE(warned);
  EXPECT_EQ(controller.conversation()->inoff, 0);
  // The controller goes on serving the client.
  EXPECT_EQ(type(controller, client, "zhongguo<space>"), std::vector<bool>(9, true));
  EXPECT_EQ(client.inserted().back(), "中国");
}

TEST_F(KeyRoadTest, OnlyUtf8ReachesTheClient) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  // A character cut after its first two bytes, and GB18030 bytes.
  for (std::string_view bytes : {std::string_view("\xE4\xBD", 2), std::string_view("\xA1\xA1")}) {
    EXPECT_EQ(imkkep::KEPSendStringToClient(&controller, bytes), -1);
  }
  EXPECT_TRUE(client.inserts.empty());
  EXPECT_EQ(imkkep::KEPSendStringToClient(&controller, "你"), 0);
  EXPECT_EQ(imkkep::KEPSendStringToClient(nullptr, "你"), -1);
  EXPECT_EQ(client.inserted(), (std::vector<std::string>{"你"}));
  EXPECT_EQ(client.inserts[0].replacement, (Range{client.not_found(), 0}));
}

TEST_F(KeyRoadTest, FullWidthSpaceIsTheIdeographicSpace) {
  set_setting("FullWidthSpace", true);
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  EXPECT_EQ(type(controller, client, "<space>"), std::vector<bool>{true});
  EXPECT_EQ(client.document(), "\u3000");
}

TEST_F(KeyRoadTest, NoKeyIsHandledWithoutTheEngine) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  imkkep::kConvertEngine = nullptr;
  EXPECT_EQ(type(controller, client, "ni"), std::vector<bool>(2, false));
  EXPECT_FALSE(controller.inProcessing);
}

TEST_F(KeyRoadTest, AClientWithoutUnicodeIsLeftAlone) {
  FakeClient client;
  client.info_.supports_unicode = false;
  imkkep::KEPInputController& controller = open(client);
  EXPECT_EQ(type(controller, client, "ni"), std::vector<bool>(2, false));
  set_setting("SupportNonUnicode", true);
  EXPECT_EQ(type(controller, client, "ni"), std::vector<bool>(2, true));
}

}  // namespace
}  // namespace keyroad_test
