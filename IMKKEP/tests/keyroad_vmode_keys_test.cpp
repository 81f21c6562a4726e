// The V-mode list driven from the keyboard: while the typed key has no entries of its own, the
// list shows the typed text, and the arrows and Space move and choose in the list itself.
#include "keyroad_fixture.h"

#include <algorithm>

#include "CoreSource/record/engine_globals.h"
#include "CoreSource/record/qrdb.h"
#include "IMKKEP/tests/host_window_fixture.h"

namespace keyroad_test {
namespace {

using Answers = std::vector<bool>;

std::vector<std::int32_t> ids_of(const std::vector<host_test::WindowMessage>& messages) {
  std::vector<std::int32_t> ids;
  for (const host_test::WindowMessage& message : messages) ids.push_back(message.id);
  return ids;
}

std::size_t count_of(const std::vector<std::int32_t>& ids, std::int32_t id) {
  return static_cast<std::size_t>(std::count(ids.begin(), ids.end(), id));
}

class VModeKeysTest : public KeyRoadTest {
 protected:
  void SetUp() override {
    KeyRoadTest::SetUp();
    set_setting("VMode", true);
  }
};

TEST_F(VModeKeysTest, TheListShowsTheTypedTextWhereTheCaretIs) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  host_test::FakeCandidateWindow window;
  ASSERT_TRUE(window.serving());
  EXPECT_EQ(type(controller, client, "v"), Answers{true});
  ime_conversation_t* c = controller.conversation();
  ASSERT_NE(c->mode & IME_MODE_V, 0u);
  ASSERT_EQ(ime_qrdb_count(c, IME_LIST_PHRASES), 0);

  const std::vector<host_test::WindowMessage> sent = window.settled();
  const auto list = std::find_if(sent.begin(), sent.end(),
                                 [](const host_test::WindowMessage& m) { return m.id == 111; });
  ASSERT_NE(list, sent.end()) << "the V-mode list was not told the typed text";
  const std::optional<platform::plist::Dictionary> payload = list->dictionary();
  ASSERT_TRUE(payload);
  ASSERT_TRUE(payload->contains("VALUE"));
  EXPECT_EQ(payload->find("VALUE")->string_value(), client.marked());
  // The list opens at the client's caret line (the fake client's line is at 100, 200).
  ASSERT_TRUE(payload->contains("X"));
  EXPECT_EQ(payload->find("X")->integer_value(), 100);
  EXPECT_EQ(payload->find("Y")->integer_value(), 200);
  EXPECT_EQ(count_of(ids_of(sent), 106), 0u) << "no candidate page without entries";
}

TEST_F(VModeKeysTest, ArrowsAndSpaceMoveAndChooseInTheList) {
  struct Case {
    const char* key;
    std::int32_t id;
  } cases[] = {{"<up>", 108}, {"<down>", 109}, {"<space>", 110}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.key);
    FakeClient client;
    imkkep::KEPInputController& controller = open(client);
    type(controller, client, "v");
    const std::string typed = client.marked();
    host_test::FakeCandidateWindow window;
    ASSERT_TRUE(window.serving());
    EXPECT_EQ(type(controller, client, k.key), Answers{true});
    const std::vector<std::int32_t> ids = ids_of(window.settled());
    EXPECT_EQ(ids, std::vector<std::int32_t>{k.id});
    // The list chooses; the composition and the document are left as they were.
    EXPECT_EQ(client.marked(), typed);
    EXPECT_TRUE(client.inserts.empty());
    EXPECT_NE(controller.conversation()->mode & IME_MODE_V, 0u);
    controller.deactivateServer(client, platform::imk::DeactivationReason::FocusMoved, {});
  }
}

TEST_F(VModeKeysTest, WithEntriesOfItsOwnTheKeysTurnThePageInstead) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  type(controller, client, "vsx");
  ime_conversation_t* c = controller.conversation();
  ASSERT_NE(c->mode & IME_MODE_V, 0u);
  ASSERT_GT(ime_qrdb_count(c, IME_LIST_PHRASES), 0) << "the math symbols of \"sx\"";
  host_test::FakeCandidateWindow window;
  ASSERT_TRUE(window.serving());
  type(controller, client, "<down>");
  EXPECT_EQ(c->page, 1);
  const std::vector<std::int32_t> ids = ids_of(window.settled());
  for (std::int32_t list_message : {108, 109, 110, 111}) {
    EXPECT_EQ(count_of(ids, list_message), 0u) << list_message;
  }
  EXPECT_EQ(count_of(ids, 106), 1u) << "the next page of entries";
}

}  // namespace
}  // namespace keyroad_test
