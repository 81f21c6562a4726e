// Keys typed into a controller reach the client as the user expects: committed text, marked
// text with the client's own ranges, and keys left to the client.
#include "keyroad_fixture.h"

#include "CoreSource/record/engine_globals.h"

namespace keyroad_test {
namespace {

using Texts = std::vector<std::string>;
using Answers = std::vector<bool>;

TEST_F(KeyRoadTest, KeysGiveTheTextTheUserMeant) {
  struct Case {
    const char* keys;
    Texts inserted;
    std::string marked;  // marked text left showing
    Answers answers;     // the "handled" answer of each key; empty: all handled
  } cases[] = {
      {"nihao<space>", {"你好"}, "", {}},
      {"zhongguo<space>", {"中国"}, "", {}},
      {",", {"，"}, "", {}},
      // Digits go to the client, and so does the '.' after one: numbers stay half-width.
      {"3.14", {}, "", {false, false, false, false}},
      {"www.", {}, "www.", {}},
      // ',' is a page key under the default masks: it turns the page, committing nothing.
      {"nihao,", {}, "ni'hao", {}},
      {"<f5>", {}, "", {false}},
      {"<cmd-c>", {}, "", {false}},
      {"ni<cmd-c>", {}, "ni", {true, true, false}},
      {"ni<esc>", {}, "", {}},
      {"<up><down>", {}, "", {false, false}},
      // Without tone control Option with a digit does nothing, whatever the digit types.
      {"ni<opt-1>", {}, "ni", {}},
      {"Hello<space>", {"Hello"}, "", {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.keys);
    FakeClient client;
    imkkep::KEPInputController& controller = open(client);
    const Answers answers = type(controller, client, k.keys);
    EXPECT_EQ(client.inserted(), k.inserted);
    EXPECT_EQ(client.marked(), k.marked);
    EXPECT_EQ(answers, k.answers.empty() ? Answers(answers.size(), true) : k.answers);
  }
}

TEST_F(KeyRoadTest, PunctuationFollowsTheWholeComposition) {
  struct Case {
    const char* keys;
    std::string document;
  } cases[] = {
      {"nihao!", "你好！"},
      // With the cursor moved back, the first candidate covers the syllables before it; the
      // rest is chosen too before the punctuation goes in.
      {"zhongguoren<left>!", "中国人！"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.keys);
    FakeClient client;
    imkkep::KEPInputController& controller = open(client);
    EXPECT_EQ(type(controller, client, k.keys), Answers(keys(k.keys).size(), true));
    EXPECT_EQ(client.document(), k.document);
    EXPECT_EQ(client.marked(), "");
    EXPECT_EQ(controller.conversation()->inoff, 0);
  }
}

TEST_F(KeyRoadTest, PeriodAndCommaTurnThePages) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  type(controller, client, "nihao.");
  EXPECT_EQ(controller.conversation()->page, 1);
  type(controller, client, ",");
  EXPECT_EQ(controller.conversation()->page, 0);
  EXPECT_TRUE(client.inserts.empty());
  EXPECT_EQ(client.marked(), "ni'hao");
}

TEST_F(KeyRoadTest, CapsLockLettersFollowTheSwitchKey) {
  // Caps Lock on types capitals; the key road sees "A" with only the Caps Lock flag.
  const Event caps_a{platform::imk::EventType::KeyDown, "A", 0, 0x10000};
  struct Case {
    const char* what;
    std::int64_t switcher;  // the setting: 0 Caps Lock, 1 Shift
    bool english;
    bool handled;
    Texts inserted;
  } cases[] = {
      // Caps Lock switches: in English mode the letter goes in lower case.
      {"caps lock switch, English", 0, true, true, {"a"}},
      // Shift switches: capitals with nothing typed are the client's.
      {"shift switch", 1, false, false, {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    set_setting("Switcher", k.switcher);
    FakeClient client;
    imkkep::KEPInputController& controller = open(client);
    controller.conversation()->roman_mode = k.english ? 1 : 0;
    EXPECT_EQ(controller.handleEvent(caps_a, client), k.handled);
    EXPECT_EQ(client.inserted(), k.inserted);
    EXPECT_EQ(controller.conversation()->inoff, 0);
  }
}

TEST_F(KeyRoadTest, ACapitalLetterStartsARawString) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  type(controller, client, "Ni");
  EXPECT_NE(controller.conversation()->mode & IME_MODE_D, 0u);
  EXPECT_EQ(client.marked(), "Ni");
}

TEST_F(KeyRoadTest, BackspacingEverythingRemovesTheMarkedTextWithTheClientsNotFound) {
  for (int width : {32, 64}) {
    SCOPED_TRACE(width);
    FakeClient client(width);
    imkkep::KEPInputController& controller = open(client);
    EXPECT_EQ(type(controller, client, "ni<bs><bs>"), Answers(4, true));
    ASSERT_FALSE(client.marks.empty());
    const MarkCall& last = client.marks.back();
    const std::uint64_t not_found = platform::imk::not_found_for_width(width);
    EXPECT_EQ(last.text, "");
    EXPECT_EQ(last.selection, (Range{not_found, 0}));
    EXPECT_EQ(last.replacement, (Range{not_found, 0}));
    EXPECT_EQ(client.document(), "");
  }
}

TEST_F(KeyRoadTest, OptionWithADigitGivesTheToneOfThatSyllable) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  // Option+1 types "¡" on this keyboard: the key code, not the character, makes it a tone key.
  EXPECT_TRUE(controller.handleEvent(Event{platform::imk::EventType::KeyDown, "¡", 18, 0x80000},
                                     client));
  EXPECT_TRUE(client.inserts.empty());
  set_setting("ToneControl", true);
  type(controller, client, "zhongguo<opt-2><opt-2>");
  EXPECT_EQ(controller.conversation()->tones[1], 2);
  EXPECT_EQ(controller.conversation()->tones[0], 0);
}

TEST_F(KeyRoadTest, AKeyOutsideAsciiGoesToTheClient) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  type(controller, client, "ni");
  for (const char* text : {"é", "中", "😀"}) {
    SCOPED_TRACE(text);
    const Event key{platform::imk::EventType::KeyDown, text, 0, 0};
    EXPECT_FALSE(controller.handleEvent(key, client));
    const ime_conversation_t* c = controller.conversation();
    EXPECT_EQ(std::string(c->inbuf, c->inoff), "ni");
  }
  EXPECT_EQ(client.marked(), "ni");
}

TEST_F(KeyRoadTest, AClosingBracketAfterItsPartnerPutsTheCaretBetweenThem) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  EXPECT_EQ(type(controller, client, "()"), Answers(2, true));
  EXPECT_EQ(client.document(), "（）");
  EXPECT_EQ(client.caret(), 1u);
  ASSERT_EQ(client.substring_requests.size(), 1u);
  EXPECT_EQ(client.substring_requests[0], (Range{0, 1}));
}

TEST_F(KeyRoadTest, BracketPairingAsksNothingItCannotUse) {
  // A client that does not answer: the bracket stays where it was typed.
  FakeClient silent;
  silent.answers_queries = false;
  imkkep::KEPInputController& first = open(silent);
  EXPECT_EQ(type(first, silent, "()"), Answers(2, true));
  EXPECT_EQ(silent.document(), "（）");
  EXPECT_TRUE(silent.substring_requests.empty());
  EXPECT_TRUE(silent.marks.empty());

  // A closing bracket at the start of the document has nothing two characters back.
  FakeClient fresh;
  imkkep::KEPInputController& second = open(fresh);
  EXPECT_EQ(type(second, fresh, ")"), Answers(1, true));
  EXPECT_EQ(fresh.document(), "）");
  EXPECT_TRUE(fresh.substring_requests.empty());
}

}  // namespace
}  // namespace keyroad_test
