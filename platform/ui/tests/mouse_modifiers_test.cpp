// The modifier keys held with a mouse event reach the action the event runs, and only it.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/tests/window_test_support.h"
#include "platform/ui/window.h"
#include "platform/ui/window_registry.h"

namespace platform::ui {
namespace {

using test_support::RenderDir;

// A window with one button whose action notes the modifier flags it ran with.
struct ButtonWindow {
  Window window{"TestProgram", "controls", Rect{0, 0, 200, 100}};
  std::vector<std::uint64_t> flags_seen;

  ButtonWindow() {
    window.set_content_view(std::make_unique<View>());
    window.content_view()
        ->add_subview(std::make_unique<Button>(Rect{10, 10, 80, 30}, "Apply"))
        .set_action([this](Button&) { flags_seen.push_back(current_modifier_flags()); });
  }
};

TEST(MouseModifiersTest, AnActionSeesTheKeysHeldWithTheEventThatRanIt) {
  ButtonWindow one;
  const Point inside{20, 20};
  for (std::uint64_t flags : {kShiftKeyMask, std::uint64_t{0}, kShiftKeyMask | kAlternateKeyMask}) {
    one.window.handle_mouse({MouseEventType::Down, inside, 1, flags});
    one.window.handle_mouse({MouseEventType::Up, inside, 1, flags});
    EXPECT_EQ(current_modifier_flags(), 0u) << "outside an event nothing is held";
  }
  EXPECT_EQ(one.flags_seen,
            (std::vector<std::uint64_t>{kShiftKeyMask, 0, kShiftKeyMask | kAlternateKeyMask}));
}

TEST(MouseModifiersTest, TheControlPortClicksWithTheNamedKeys) {
  RenderDir render;
  WindowRegistry registry;
  ButtonWindow one;
  ASSERT_TRUE(registry.add(one.window));
  EXPECT_EQ(registry.perform("down controls 20 20 shift"), "ok");
  EXPECT_EQ(registry.perform("up controls 20 20 shift"), "ok");
  EXPECT_EQ(registry.perform("double controls 20 20 control+command"), "ok");
  EXPECT_EQ(one.flags_seen, (std::vector<std::uint64_t>{kShiftKeyMask,
                                                         kControlKeyMask | kCommandKeyMask,
                                                         kControlKeyMask | kCommandKeyMask}));
}

}  // namespace
}  // namespace platform::ui
