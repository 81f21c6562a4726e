#include "platform/ui/screens.h"

#include <gtest/gtest.h>

#include "platform/tests/test_support.h"

namespace platform::ui {
namespace {

using testing_support::ScopedEnv;

TEST(ScreensTest, GoodValuesGiveTheirScreensMainFirst) {
  struct Case {
    const char* text;
    std::vector<Screen> expected;
  };
  const Case cases[] = {
      {"0,0,1920,1080", {{{0, 0, 1920, 1080}, {0, 0, 1920, 1080}}}},
      {"0,0,1920,1080,0,40,1920,1017",
       {{{0, 0, 1920, 1080}, {0, 40, 1920, 1017}}}},
      {"0,0,1440,900;-1280,100,1280,1024",
       {{{0, 0, 1440, 900}, {0, 0, 1440, 900}}, {{-1280, 100, 1280, 1024}, {-1280, 100, 1280, 1024}}}},
      {" 0, 0 ,800.5,600 ;", {{{0, 0, 800.5, 600}, {0, 0, 800.5, 600}}}},
      {"+10,-20,30,40", {{{10, -20, 30, 40}, {10, -20, 30, 40}}}},
  };
  for (const Case& c : cases) {
    std::string error;
    auto parsed = parse_screens(c.text, &error);
    ASSERT_TRUE(parsed) << c.text << ": " << error;
    EXPECT_EQ(*parsed, c.expected) << c.text;
  }
}

TEST(ScreensTest, MalformedValuesAreRefusedWithAReason) {
  const char* cases[] = {
      "",                          // no entry at all
      "0,0,1440",                  // too few numbers
      "0,0,1440,900,0,0,1440",     // a visible frame cut short
      "0,0,1440,900,1",            // neither 4 nor 8
      "0,0,0,900",                 // empty width
      "0,0,1440,-900",             // negative height
      "0,0,1440,900,0,0,1440,0",   // empty visible frame
      "0,0,abc,900",               // not a number
      "0,0,1440x,900",             // trailing junk in a number
      "0,0,nan,900",               // not finite
      "0,0,inf,900",
      "0,0,1e9,900",               // far beyond any screen
      "0,0,1440,900;;0,0,10,10",   // an empty entry between two
      "0,0,,900",                  // an empty number
  };
  for (const char* text : cases) {
    std::string error;
    EXPECT_FALSE(parse_screens(text, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  std::string many;
  for (std::size_t i = 0; i <= kMaxScreens; ++i) many += "0,0,10,10;";
  std::string error;
  EXPECT_FALSE(parse_screens(many, &error));
  EXPECT_NE(error.find("screens"), std::string::npos) << error;
}

TEST(ScreensTest, EnvironmentChoosesTheScreensAndFallsBackToTheDefault) {
  const Screen standard{{0, 0, 1440, 900}, {0, 0, 1440, 878}};
  EXPECT_EQ(default_screen(), standard);
  {
    ScopedEnv unset("KEP_SCREENS", std::nullopt);
    EXPECT_EQ(screens(), std::vector<Screen>{standard});
  }
  {
    ScopedEnv empty("KEP_SCREENS", "");
    EXPECT_EQ(screens(), std::vector<Screen>{standard});
  }
  {
    ScopedEnv two("KEP_SCREENS", "0,0,800,600;800,0,1024,768,800,0,1024,740");
    ASSERT_EQ(screens().size(), 2u);
    EXPECT_EQ(main_screen().frame, (Rect{0, 0, 800, 600}));
    EXPECT_EQ(screens()[1].visible_frame, (Rect{800, 0, 1024, 740}));
  }
  {
    ScopedEnv bad("KEP_SCREENS", "0,0,800");
    testing::internal::CaptureStderr();
    EXPECT_EQ(screens(), std::vector<Screen>{standard});
    EXPECT_EQ(main_screen(), standard);
    std::string complaints = testing::internal::GetCapturedStderr();
    EXPECT_NE(complaints.find("KEP_SCREENS"), std::string::npos);
    EXPECT_EQ(complaints.find("KEP_SCREENS"), complaints.rfind("KEP_SCREENS"))
        << "the same bad value is reported once: " << complaints;
  }
}

}  // namespace
}  // namespace platform::ui
