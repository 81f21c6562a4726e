// Keys that do other than type pinyin: punctuation keys that choose a candidate, and the
// full-width form of every printable key.
#include "keyroad_fixture.h"

#include <algorithm>

#include "CoreSource/record/engine_globals.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/engine/KEPInputModes.h"
#include "IMKKEP/tests/host_window_fixture.h"

namespace keyroad_test {
namespace {

using Texts = std::vector<std::string>;
using Answers = std::vector<bool>;

std::string candidate(const ime_conversation_t* c, int index) {
  return reinterpret_cast<const char*>(c->cands[index].hz);
}

TEST_F(KeyRoadTest, WithPunctSelectSemicolonAndQuoteChooseTheSecondAndThirdCandidates) {
  set_setting("PunctSelect", true);
  struct Case {
    const char* key;
    int chosen;
  } cases[] = {{";", 1}, {"'", 2}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.key);
    FakeClient client;
    imkkep::KEPInputController& controller = open(client);
    type(controller, client, "ni");
    const ime_conversation_t* c = controller.conversation();
    ASSERT_GT(c->ncand, k.chosen);
    ASSERT_EQ(c->cands[k.chosen].plen, 1) << "a candidate that ends the composition";
    const std::string chosen = candidate(c, k.chosen);
    EXPECT_EQ(type(controller, client, k.key), Answers{true});
    EXPECT_EQ(client.inserted(), Texts{chosen});
    EXPECT_EQ(client.marked(), "");
    EXPECT_EQ(c->inoff, 0);
  }
}

TEST_F(KeyRoadTest, PunctSelectMovesTheSyllableSeparatorToTheBackquote) {
  struct Case {
    bool punct_select;
    const char* keys;
    Texts inserted;
    std::string marked;
  } cases[] = {
      {true, "xi`an", {}, "xi'an"},
      // Off: the quote separates syllables and the semicolon is punctuation after the first
      // candidate.
      {false, "xi'an", {}, "xi'an"},
      {false, "nihao;", {"你好", "；"}, ""},
      // Nothing typed: the keys are punctuation whatever the setting.
      {true, ";", {"；"}, ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.punct_select ? "on: " : "off: ") + k.keys);
    set_setting("PunctSelect", k.punct_select);
    FakeClient client;
    imkkep::KEPInputController& controller = open(client);
    EXPECT_EQ(type(controller, client, k.keys), Answers(keys(k.keys).size(), true));
    EXPECT_EQ(client.inserted(), k.inserted);
    EXPECT_EQ(client.marked(), k.marked);
  }
}

TEST_F(KeyRoadTest, FullWidthCharactersReplaceEveryPrintableKey) {
  struct Case {
    const char* keys;
    Texts inserted;
    Answers answers;
    bool english = false;
    bool silent = false;
  } cases[] = {
      {"a", {"ａ"}, {true}},
      {"Z", {"Ｚ"}, {true}},
      {"1", {"１"}, {true}},
      {",", {"，"}, {true}},
      {"~", {"～"}, {true}},
      // Keys without a full-width form are the client's.
      {"<space>", {}, {false}},
      {"<ret>", {}, {false}},
      // English mode types them full-width too; a silent server leaves them alone.
      {"a", {"ａ"}, {true}, /*english=*/true},
      {"a", {}, {false}, false, /*silent=*/true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.keys) + (k.english ? " English" : "") + (k.silent ? " silent" : ""));
    FakeClient client;
    imkkep::KEPInputController& controller = open(client);
    controller.invokeMenuItem(imkkep::kMenuFullWidthRoman, client);
    ASSERT_EQ(controller.conversation()->full_width_char, 1);
    controller.conversation()->roman_mode = k.english ? 1 : 0;
    imkkep::silent_mode = k.silent ? 1 : 0;
    EXPECT_EQ(type(controller, client, k.keys), k.answers);
    EXPECT_EQ(client.inserted(), k.inserted);
    EXPECT_EQ(client.marked(), "");
    imkkep::silent_mode = 0;
  }
}

TEST_F(KeyRoadTest, AFullWidthKeyDropsTheCompositionAndHidesTheWindows) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  type(controller, client, "ni");
  ASSERT_EQ(client.marked(), "ni");
  host_test::FakeCandidateWindow window;
  ASSERT_TRUE(window.serving());
  // As a click on the status bar turns it on: the composition is still open.
  imkkep::KEPSetFullCharMode(controller.conversation(), 1);
  EXPECT_EQ(type(controller, client, "a"), Answers{true});
  EXPECT_EQ(client.inserted(), Texts{"ａ"}) << "the typed letters are dropped, not committed";
  EXPECT_EQ(client.marked(), "");
  EXPECT_EQ(controller.conversation()->inoff, 0);
  std::vector<std::int32_t> ids;
  for (const host_test::WindowMessage& message : window.settled()) ids.push_back(message.id);
  EXPECT_NE(std::find(ids.begin(), ids.end(), 104), ids.end()) << "the candidate window stays";
  EXPECT_NE(std::find(ids.begin(), ids.end(), 114), ids.end()) << "the V-mode list stays";
}

}  // namespace
}  // namespace keyroad_test
