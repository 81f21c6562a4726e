// What each application keeps across switches, and the applications the server leaves alone.
#include "modes_fixture.h"

#include "IMKKEP/app/KEPAppDelegate.h"

namespace keyroad_test {
namespace {

using platform::imk::DeactivationReason;

TEST_F(ModesTest, EachApplicationKeepsItsOwnPunctuationWidth) {
  set_setting("KeepWindowState", true);
  FakeClient editor;
  editor.info_.application_path = "/Applications/Editor.app";
  FakeClient terminal;
  terminal.info_.application_path = "/usr/bin/term";

  imkkep::KEPInputController& in_editor = open(editor);
  in_editor.invokeMenuItem(1002, editor);  // half-width punctuation in the editor only
  ASSERT_EQ(in_editor.conversation()->full_width_punct, 0);
  imkkep::KEPInputController& in_terminal = open(terminal);
  // The editor's controller leaves after the terminal was activated: its modes are still the
  // editor's.
  in_editor.deactivateServer(editor, DeactivationReason::FocusMoved, {});
  EXPECT_EQ(in_terminal.conversation()->full_width_punct, 1);
  in_terminal.deactivateServer(terminal, DeactivationReason::FocusMoved, {});

  // A new context of each application starts with what that application had.
  FakeClient editor_again;
  editor_again.info_.application_path = "/Applications/Editor.app";
  EXPECT_EQ(open(editor_again).conversation()->full_width_punct, 0);
  FakeClient terminal_again;
  terminal_again.info_.application_path = "/usr/bin/term";
  EXPECT_EQ(open(terminal_again).conversation()->full_width_punct, 1);
}

TEST_F(ModesTest, ASilentApplicationGetsItsKeysAsTyped) {
  set_setting("KeepSilent", true);
  set_setting("SilentLists", platform::plist::Value("/opt/A|"));
  struct Case {
    const char* application;
    bool silent;
  };
  for (const Case& k : {Case{"/opt/A", true}, Case{"/opt/A/bin/tool", true},
                        Case{"/opt/AB", false}, Case{"/opt/B", false}}) {
    SCOPED_TRACE(k.application);
    FakeClient client;
    client.info_.application_path = k.application;
    imkkep::KEPInputController& controller = open(client);
    EXPECT_EQ(imkkep::silent_mode, k.silent ? 1 : 0);
    EXPECT_EQ(imkkep::IMEGetMenuItem(1009)->state, k.silent ? 1 : 0);
    EXPECT_EQ(type(controller, client, "a"), std::vector<bool>{!k.silent});
    controller.deactivateServer(client, DeactivationReason::FocusMoved, {});
  }
}

}  // namespace
}  // namespace keyroad_test
