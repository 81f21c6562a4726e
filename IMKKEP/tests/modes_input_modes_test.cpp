// The input modes: every change shows in the input menu's check marks, the status the window
// gets is read from them, and the menu's items act on the controller they are chosen for.
#include <fstream>

#include "CoreSource/dict/cmphplug.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/engine/KEPInputModes.h"
#include "IMKKEP/companions/KEPStatus.h"
#include "IMKKEP/tests/host_window_fixture.h"
#include "modes_fixture.h"

namespace keyroad_test {
namespace {

using imkkep::IMEGetMenuItem;
using imkkep::KEPMenuItemOn;

bool status_of(const char* key) {
  const platform::plist::Dictionary status = imkkep::KEPGetStatus();
  const platform::plist::Value* value = status.find(key);
  return value != nullptr && value->bool_value().value_or(false);
}

TEST_F(ModesTest, EnglishModeLendsHalfWidthPunctuationAndGivesTheChoiceBack) {
  for (int punct : {1, 0}) {
    SCOPED_TRACE(punct);
    FakeClient client;
    ime_conversation_t* c = open(client).conversation();
    imkkep::KEPSetFullPunctMode(c, punct);

    imkkep::KEPSetEnglishMode(c, 1);
    EXPECT_EQ(c->roman_mode, 1);
    EXPECT_EQ(c->full_width_punct, 0);
    EXPECT_FALSE(KEPMenuItemOn(imkkep::kMenuFullPunct));
    EXPECT_TRUE(status_of(imkkep::kStatusEnglish));

    imkkep::KEPSetEnglishMode(c, 0);
    EXPECT_EQ(c->roman_mode, 0);
    EXPECT_EQ(c->full_width_punct, punct);
    EXPECT_EQ(status_of(imkkep::kStatusFullWidthPunct), punct == 1);
    EXPECT_FALSE(status_of(imkkep::kStatusEnglish));
  }
}

TEST_F(ModesTest, OnlyExactlyOneSwitchesAModeOn) {
  FakeClient client;
  ime_conversation_t* c = open(client).conversation();
  imkkep::KEPSetFullCharMode(c, 2);
  EXPECT_EQ(c->full_width_char, 0);
  EXPECT_FALSE(status_of(imkkep::kStatusFullWidthRoman));
  imkkep::KEPSetFullCharMode(c, 1);
  EXPECT_EQ(c->full_width_char, 1);
  EXPECT_TRUE(status_of(imkkep::kStatusFullWidthRoman));
}

TEST_F(ModesTest, TraditionalOutputToggledTwiceRestoresTheModeBits) {
  FakeClient client;
  ime_conversation_t* c = open(client).conversation();
  c->mode = IME_MODE_V | IME_MODE_SENTENCE;
  const std::uint32_t before = c->mode;
  imkkep::KEPSwitchSimplTrad(c);
  EXPECT_EQ(c->mode, before | IME_MODE_TRADITIONAL);
  EXPECT_TRUE(status_of(imkkep::kStatusTraditional));
  imkkep::KEPSwitchSimplTrad(c);
  EXPECT_EQ(c->mode, before);
  EXPECT_FALSE(status_of(imkkep::kStatusTraditional));
}

TEST_F(ModesTest, FullWidthSpaceTogglesItsItemWithoutAStatus) {
  FakeClient client;
  ime_conversation_t* c = open(client).conversation();
  const int space = c->full_width_space;
  imkkep::KEPSetHZSpace(c);
  EXPECT_EQ(c->full_width_space, space == 0 ? 1 : 0);
  EXPECT_EQ(KEPMenuItemOn(imkkep::kMenuFullWidthSpace), space == 0);
  EXPECT_FALSE(imkkep::KEPGetStatus().contains("FULL_WIDTH_SPACE"));
}

TEST_F(ModesTest, PinyinStatusIsFalseOnlyInDoublePinyin) {
  set_setting("SPC", "ziranma.spc");
  struct Case {
    int scheme;
    int checked;
    bool pinyin;
  } cases[] = {{0, imkkep::kMenuPinyin, true},
               {1, imkkep::kMenuDoublePinyin, false},
               // No table named: the scheme stays and the table opened last stays current.
               {2, imkkep::kMenuPlug, true}};
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  for (const Case& k : cases) {
    SCOPED_TRACE(k.scheme);
    ime_mode = k.scheme;
    imkkep::KEPSetPinyinMode(&controller);
    EXPECT_EQ(ime_mode, k.scheme);
    for (int tag : {imkkep::kMenuPinyin, imkkep::kMenuDoublePinyin, imkkep::kMenuPlug}) {
      EXPECT_EQ(KEPMenuItemOn(tag), tag == k.checked) << tag;
    }
    EXPECT_EQ(status_of(imkkep::kStatusPinyin), k.pinyin);
  }
}

TEST_F(ModesTest, DoublePinyinChosenFromTheMenuTypesWithItsScheme) {
  set_setting("SPC", "ziranma.spc");
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  controller.invokeMenuItem(imkkep::kMenuDoublePinyin, client);
  EXPECT_EQ(ime_mode, 1);
  EXPECT_EQ(controller.setInputMode, 1);
  EXPECT_TRUE(KEPMenuItemOn(imkkep::kMenuDoublePinyin));
  type(controller, client, "vsgo<space>");
  EXPECT_EQ(client.inserted(), std::vector<std::string>{"中国"});
}

TEST_F(ModesTest, AnUnusableDoublePinyinSchemeFallsBackToFullPinyinAndSaysSo) {
  // No SPC at all, a scheme that does not exist, names that leave the resource folders.
  const char* names[] = {nullptr, "nosuch.spc", "../ziranma.spc", "doublepinyin/ziranma.spc"};
  std::filesystem::create_directories(home_.path() / "Library");
  std::filesystem::copy_file(
      std::filesystem::path(KEP_STAGED_ROOT) /
          "Library/Components/KEP.component/Contents/Resources/ziranma.spc",
      home_.path() / "Library/ziranma.spc");
  for (const char* name : names) {
    SCOPED_TRACE(name ? name : "(none)");
    if (name != nullptr) set_setting("SPC", name);
    FakeClient client;
    imkkep::KEPInputController& controller = open(client);
    host_test::FakeCandidateWindow window;
    ASSERT_TRUE(window.serving());
    controller.invokeMenuItem(imkkep::kMenuDoublePinyin, client);
    EXPECT_EQ(ime_mode, 0);
    EXPECT_TRUE(KEPMenuItemOn(imkkep::kMenuPinyin));
    EXPECT_FALSE(KEPMenuItemOn(imkkep::kMenuDoublePinyin));
    // The scheme change sends only the activation message.
    const std::optional<host_test::WindowMessage> sent = window.message(0);
    ASSERT_TRUE(sent) << "the window must learn the scheme really used";
    EXPECT_EQ(sent->id, 100);
    EXPECT_EQ(sent->dictionary()->find("IME_MODE")->integer_value(), 0);
    controller.deactivateServer(client, platform::imk::DeactivationReason::FocusMoved, "");
  }
}

TEST_F(ModesTest, TheMenuListsTheModeItemsAndItsActionsActOnTheirController) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  std::vector<int> tags;
  for (const platform::imk::MenuItem& item : controller.menu()) {
    if (!item.separator) tags.push_back(item.tag);
    if (item.tag == imkkep::kMenuAccessory) {
      EXPECT_EQ(item.key_equivalent, "A");
      EXPECT_EQ(item.key_modifiers, 0xA0000u);
    }
  }
  EXPECT_EQ(tags, (std::vector<int>{1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1200,
                                    1101, 1102, 1103, 1104, 1105, 1106, 1107}));

  ime_conversation_t* c = controller.conversation();
  struct Case {
    int tag;
    std::int32_t ime_conversation_t::*field;
  } cases[] = {{imkkep::kMenuFullPunct, &ime_conversation_t::full_width_punct},
               {imkkep::kMenuFullWidthRoman, &ime_conversation_t::full_width_char},
               {imkkep::kMenuFullWidthSpace, &ime_conversation_t::full_width_space},
               {imkkep::kMenuRoman, &ime_conversation_t::roman_mode}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.tag);
    const int before = c->*k.field;
    c->switch_flag = 1;
    controller.invokeMenuItem(k.tag, client);
    EXPECT_EQ(c->*k.field, before == 0 ? 1 : 0);
    EXPECT_EQ(KEPMenuItemOn(k.tag), before == 0);
    EXPECT_EQ(c->switch_flag, 0) << "a switch key pressed before must not toggle English after";
    controller.invokeMenuItem(k.tag, client);
    EXPECT_EQ(c->*k.field, before);
  }

  const std::uint32_t mode = c->mode;
  controller.invokeMenuItem(imkkep::kMenuTradOutput, client);
  EXPECT_EQ(c->mode, mode ^ IME_MODE_TRADITIONAL);
  controller.invokeMenuItem(imkkep::kMenuSilent, client);
  EXPECT_EQ(imkkep::silent_mode, 1);
  EXPECT_TRUE(KEPMenuItemOn(imkkep::kMenuSilent));
}

TEST_F(ModesTest, ActivationShowsTheActiveControllersModes) {
  FakeClient first_client;
  FakeClient second_client;
  imkkep::KEPInputController& first = open(first_client);
  first.invokeMenuItem(imkkep::kMenuFullPunct, first_client);
  first.invokeMenuItem(imkkep::kMenuTradOutput, first_client);
  const bool punct = first.conversation()->full_width_punct == 1;
  imkkep::KEPInputController& second = open(second_client);
  EXPECT_EQ(KEPMenuItemOn(imkkep::kMenuFullPunct), second.conversation()->full_width_punct == 1);
  EXPECT_NE(KEPMenuItemOn(imkkep::kMenuFullPunct), punct);
  EXPECT_FALSE(KEPMenuItemOn(imkkep::kMenuTradOutput));

  second.deactivateServer(second_client, platform::imk::DeactivationReason::FocusMoved, "");
  first.activateServer(first_client);
  EXPECT_EQ(KEPMenuItemOn(imkkep::kMenuFullPunct), punct);
  EXPECT_TRUE(KEPMenuItemOn(imkkep::kMenuTradOutput));
  EXPECT_TRUE(KEPMenuItemOn(imkkep::kMenuPinyin));
}

}  // namespace
}  // namespace keyroad_test
