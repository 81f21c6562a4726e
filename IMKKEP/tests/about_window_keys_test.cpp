// The keys around the about window: Escape while composing closes it with the composition,
// and Shift held as a face is clicked plays the flip slowly.
#include <gtest/gtest.h>

#include "CoreSource/record/conversation.h"
#include "IMKKEP/windows/FliprGeometry.h"
#include "IMKKEP/windows/FliprView.h"
#include "IMKKEP/windows/KEPAbout.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "keyroad_fixture.h"

namespace keyroad_test {
namespace {

using platform::ui::MouseEventType;

// The window point in the middle of the face's control named `identifier`.
platform::ui::Point middle_of(imkkep::KEPAboutFace& face, const std::string& identifier) {
  for (const auto& view : face.content_view()->subviews()) {
    if (view->identifier() != identifier) continue;
    const platform::ui::Rect bounds = view->bounds();
    return view->convert_to_window({bounds.width / 2, bounds.height / 2});
  }
  ADD_FAILURE() << "no control " << identifier;
  return {};
}

class AboutWindowKeysTest : public KeyRoadTest {
 protected:
  void SetUp() override {
    KeyRoadTest::SetUp();
    imkkep::KEPAppDelegate::shared().createWindows(loop_, nullptr);
  }
  void TearDown() override {
    imkkep::KEPAppDelegate::shared().destroyWindows();
    KeyRoadTest::TearDown();
  }
  imkkep::KEPAbout& about() { return *imkkep::KEPAppDelegate::shared().about(); }

  // Clicks the front face's Credits button with `flags` held: the flip starts.
  void click_credits(std::uint64_t flags) {
    imkkep::KEPAboutFace& front = about().aboutWindow();
    const platform::ui::Point at = middle_of(front, "credits");
    front.handle_mouse({MouseEventType::Down, at, 1, flags});
    front.handle_mouse({MouseEventType::Up, at, 1, flags});
  }
};

TEST_F(AboutWindowKeysTest, EscapeWhileComposingClosesTheAboutWindow) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  about().showAbout();
  ASSERT_TRUE(about().aboutWindow().is_visible());
  EXPECT_EQ(type(controller, client, "ni<esc>"), (std::vector<bool>{true, true, true}));
  EXPECT_FALSE(about().aboutWindow().is_visible());
  EXPECT_EQ(controller.conversation()->inoff, 0);
  EXPECT_EQ(client.marked(), "");
  EXPECT_TRUE(client.inserted().empty());

  // With nothing typed Escape is the application's, and the window stays.
  about().showAbout();
  EXPECT_EQ(type(controller, client, "<esc>"), std::vector<bool>{false});
  EXPECT_TRUE(about().aboutWindow().is_visible());
}

TEST_F(AboutWindowKeysTest, ShiftHeldAsTheFlipStartsPlaysItSlowly) {
  struct Case {
    const char* name;
    std::uint64_t flags;
    double planned;
  };
  const Case cases[] = {
      {"plain", 0, imkkep::FliprView::kFlipDuration},
      {"shift", platform::ui::kShiftKeyMask, imkkep::FliprView::kSlowFlipDuration},
      {"option", platform::ui::kAlternateKeyMask, imkkep::FliprView::kFlipDuration},
      {"shift and option", platform::ui::kShiftKeyMask | platform::ui::kAlternateKeyMask,
       imkkep::FliprView::kSlowFlipDuration},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A fresh pair of faces each time, so no flip is still running.
    imkkep::KEPAppDelegate::shared().destroyWindows();
    imkkep::KEPAppDelegate::shared().createWindows(loop_, nullptr);
    about().showAbout();
    click_credits(c.flags);
    imkkep::FlippingWindow* flipping = imkkep::FlippingWindow::shared();
    ASSERT_NE(flipping, nullptr);
    const imkkep::FliprView& view = flipping->view();
    ASSERT_TRUE(view.isFlipping());
    // The first frame's drawing time lengthens a flip too short for five more; the planned
    // duration decides the rest.
    EXPECT_DOUBLE_EQ(view.animation().duration().count(),
                     imkkep::flipTotalDuration(c.planned, view.frameTime()));
    EXPECT_DOUBLE_EQ(view.animation().current_progress(),
                     imkkep::flipStartProgress(c.planned, view.frameTime()));
  }
}

}  // namespace
}  // namespace keyroad_test
