// The candidate window's messages back to the server: they act only on the live active
// controller, and every length they carry is checked before it is used.
#include <thread>

#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"
#include "candidatewindow/protocol/ComData.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/engine/KEPInputModes.h"
#include "IMKKEP/companions/KEPMessageReceive.h"
#include "IMKKEP/tests/host_window_fixture.h"
#include "modes_fixture.h"
#include "platform/ports.h"

namespace keyroad_test {
namespace {

namespace plist = platform::plist;

plist::Value data_of(std::string_view bytes) {
  return plist::Value(plist::Data(bytes.begin(), bytes.end()));
}

// A V-mode choice as the window sends it: the entry's key and its texts.
std::string vmode_choice(std::optional<std::string> key, std::vector<std::string> texts) {
  kepcandidate::ComData payload;
  if (key) payload.setObject(data_of(*key), "KEY");
  plist::Array values;
  for (const std::string& text : texts) values.push_back(data_of(text));
  payload.setObject(std::move(values), "VALUE");
  return payload.data();
}

std::string typed(const ime_conversation_t* c) { return std::string(c->inbuf, c->inoff); }

std::size_t count_of(const std::vector<host_test::WindowMessage>& messages, std::int32_t id) {
  std::size_t n = 0;
  for (const host_test::WindowMessage& message : messages) n += message.id == id ? 1 : 0;
  return n;
}

TEST_F(ModesTest, AStatusClickOnTheServersPortChangesTheActiveConversationWithoutAnEcho) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  ime_conversation_t* c = controller.conversation();
  ASSERT_EQ(c->roman_mode, 0);
  host_test::FakeCandidateWindow window;
  ASSERT_TRUE(window.serving());
  // The engine host serves the server's port on its loop.

  kepcandidate::ComData click;
  plist::Dictionary status;
  status.set("ENGLISH", true);
  status.set("TRADITIONAL", true);
  click.setObject(std::move(status), "STATUS");
  platform::ports::SendStatus sent = platform::ports::SendStatus::SendTimeout;
  std::thread sender([&] {
    std::error_code error;
    auto port = platform::ports::RemotePort::open(
        "com.corvana.inputmethod.kep.imkcandishow." + std::to_string(getpid()), error);
    if (port) {
      sent = port->send(113, click.data(), std::chrono::seconds(20), std::chrono::seconds(20))
                 .status;
    }
    loop_.perform([this] { loop_.stop(); });
  });
  loop_.run_for(std::chrono::seconds(60));  // the sender stops it when done
  sender.join();
  ASSERT_EQ(sent, platform::ports::SendStatus::Success);

  EXPECT_EQ(c->roman_mode, 1);
  EXPECT_NE(c->mode & IME_MODE_TRADITIONAL, 0u);
  EXPECT_TRUE(imkkep::KEPMenuItemOn(imkkep::kMenuRoman));
  EXPECT_TRUE(imkkep::KEPMenuItemOn(imkkep::kMenuTradOutput));
  EXPECT_EQ(count_of(window.settled(), 113), 0u) << "the window's own change came back";
  EXPECT_EQ(imkkep::kUpdateFlag, 1);
}

TEST_F(ModesTest, WindowMessagesWithoutAnActiveControllerAreDropped) {
  set_setting("VMode", true);
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  type(controller, client, "v");
  ASSERT_NE(controller.conversation()->mode & IME_MODE_V, 0u);
  controller.deactivateServer(client, platform::imk::DeactivationReason::FocusMoved, "");
  ime_conversation_t* c = controller.conversation();
  const std::string before = typed(c);

  kepcandidate::ComData click;
  plist::Dictionary status;
  status.set("ENGLISH", true);
  click.setObject(std::move(status), "STATUS");
  imkkep::KEPHandleWindowMessage(113, click.data());
  imkkep::KEPHandleWindowMessage(115, vmode_choice("ab", {"x"}));
  imkkep::KEPHandleWindowMessage(256, "000000006%V%abc");
  EXPECT_EQ(c->roman_mode, 0);
  EXPECT_EQ(typed(c), before);
}

TEST_F(ModesTest, AVModeChoiceNeedsVModeAndKeysThatFit) {
  struct Case {
    const char* before;  // keys typed first
    std::size_t key_bytes;
    bool taken;
  } cases[] = {
      {"v", 2, true},
      {"v", 254, true},
      {"v", 255, false},
      {"v", 1000, false},
      {"ni", 2, false},  // not in V-mode
  };
  set_setting("VMode", true);
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.before) + " " + std::to_string(k.key_bytes));
    FakeClient client;
    imkkep::KEPInputController& controller = open(client);
    type(controller, client, k.before);
    ime_conversation_t* c = controller.conversation();
    ASSERT_EQ((c->mode & IME_MODE_V) != 0, std::string(k.before) == "v");
    const std::string before = typed(c);
    const std::string key(k.key_bytes, 'k');
    imkkep::KEPHandleWindowMessage(115, vmode_choice(key, {"★", "☆"}));
    EXPECT_EQ(typed(c), k.taken ? "v" + key : before);
    if (k.taken) {
      EXPECT_EQ(c->curpos, key.size() + 1);
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(c->outbuf), c->outlen), "v" + key);
      ASSERT_GE(c->ncand, 1);
      EXPECT_STREQ(reinterpret_cast<const char*>(c->cands[0].hz), "★");
    }
    controller.deactivateServer(client, platform::imk::DeactivationReason::FocusMoved, "");
  }
}

TEST_F(ModesTest, VModeTextFromTheWindowIsTakenOnlyWhenItsLengthIsTrue) {
  struct Case {
    std::string data;
    const char* typed_after;  // nullptr: left as it was
  } cases[] = {
      {"000000006%V%abc", "vabc"},
      {"        5%V%ab", "vab"},
      {"000000100%V%abc", nullptr},   // claims more than it carries
      {"000000003%V%abc", nullptr},   // shorter than the four bytes it counts
      {"999999999%V%abc", nullptr},
      {"00000000x%V%abc", nullptr},
      {"000000006-V-abc", nullptr},
      {"0000", nullptr},
      {"000000300%V%" + std::string(300, 'a'), nullptr},  // more than the keys can hold
  };
  set_setting("VMode", true);
  for (const Case& k : cases) {
    SCOPED_TRACE(k.data.substr(0, 20));
    FakeClient client;
    imkkep::KEPInputController& controller = open(client);
    type(controller, client, "v");
    ime_conversation_t* c = controller.conversation();
    ASSERT_NE(c->mode & IME_MODE_V, 0u);
    imkkep::KEPHandleWindowMessage(256, k.data);
    EXPECT_EQ(typed(c), k.typed_after ? k.typed_after : "v");
    controller.deactivateServer(client, platform::imk::DeactivationReason::FocusMoved, "");
  }
}

}  // namespace
}  // namespace keyroad_test
