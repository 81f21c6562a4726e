// The modes an application keeps across switches.
#include <gtest/gtest.h>

#include "CoreSource/record/conversation.h"
#include "IMKKEP/controller/KEPAppInputState.h"
#include "IMKKEP/base/server_state.h"

namespace {

class AppInputStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    imkkep::KEPResetServerState();
    ASSERT_EQ(ime_new_conversation(&editor_), 0);
    ASSERT_EQ(ime_new_conversation(&terminal_), 0);
  }
  void TearDown() override {
    ime_free_conversation(&editor_);
    ime_free_conversation(&terminal_);
    imkkep::KEPResetServerState();
  }
  ime_conversation_t* editor_ = nullptr;
  ime_conversation_t* terminal_ = nullptr;
};

TEST_F(AppInputStateTest, AnApplicationGetsItsOwnModesBack) {
  editor_->iflag = 0;
  editor_->full_width_punct = 0;
  editor_->roman_mode = 1;
  editor_->sflag = 1;
  imkkep::KEPSaveAppInputState("/Applications/Editor.app", editor_);
  terminal_->iflag = 0;
  terminal_->full_width_punct = 1;
  imkkep::KEPSaveAppInputState("/usr/bin/term", terminal_);

  ime_conversation_t* back = nullptr;
  ASSERT_EQ(ime_new_conversation(&back), 0);
  back->iflag = 0xFFFFFFFFu;
  ASSERT_TRUE(imkkep::KEPRestoreAppInputState("/Applications/Editor.app", back));
  EXPECT_EQ(back->full_width_punct, 0);
  EXPECT_EQ(back->roman_mode, 1);
  EXPECT_EQ(back->sflag, 1u);
  EXPECT_EQ(back->iflag, 0u);
  ASSERT_TRUE(imkkep::KEPRestoreAppInputState("/usr/bin/term", back));
  EXPECT_EQ(back->full_width_punct, 1);
  EXPECT_EQ(back->roman_mode, 0);
  EXPECT_FALSE(imkkep::KEPRestoreAppInputState("/opt/never-seen", back));
  EXPECT_EQ(back->full_width_punct, 1) << "nothing saved: the conversation keeps its modes";
  ime_free_conversation(&back);
}

TEST_F(AppInputStateTest, QuoteAndBracketPairingStaysWithItsOwnText) {
  editor_->iflag = 0x00050000u;  // the editor's text has an open quote and bracket
  imkkep::KEPSaveAppInputState("/Applications/Editor.app", editor_);

  terminal_->iflag = 0x00020000u;  // the terminal's own open bracket
  ASSERT_TRUE(imkkep::KEPRestoreAppInputState("/Applications/Editor.app", terminal_));
  EXPECT_EQ(terminal_->iflag, 0x00020000u);

  ime_conversation_t* fresh = nullptr;
  ASSERT_EQ(ime_new_conversation(&fresh), 0);
  fresh->iflag = 0xFFFFFFFFu;
  ASSERT_TRUE(imkkep::KEPRestoreAppInputState("/Applications/Editor.app", fresh));
  EXPECT_EQ(fresh->iflag, 0u) << "a new context starts with nothing open";
  ime_free_conversation(&fresh);
}

TEST_F(AppInputStateTest, NothingIsSavedWithoutAName) {
  imkkep::KEPSaveAppInputState("", editor_);
  EXPECT_TRUE(imkkep::kAppState.empty());
  EXPECT_FALSE(imkkep::KEPRestoreAppInputState("", editor_));
}

}  // namespace
