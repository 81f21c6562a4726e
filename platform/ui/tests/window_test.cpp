#include "platform/ui/window.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "platform/tests/test_support.h"
#include "platform/ui/tests/window_test_support.h"
#include "platform/ui/window_registry.h"

namespace platform::ui {
namespace {

using testing_support::ScopedEnv;
using testing_support::TempDir;
using test_support::RecordingWindow;
using test_support::RenderDir;

plist::Dictionary read_state(const std::filesystem::path& path) {
  std::error_code error;
  auto value = plist::read_file(path, error);
  if (!value || !value->as_dictionary()) {
    ADD_FAILURE() << "no state at " << path << ": " << error.message();
    return {};
  }
  return *value->as_dictionary();
}

double real(const plist::Dictionary& dictionary, std::string_view key) {
  const plist::Value* value = dictionary.find(key);
  return value && value->is_real() ? *value->real_value() : std::nan("");
}

std::optional<bool> boolean(const plist::Dictionary& dictionary, std::string_view key) {
  const plist::Value* value = dictionary.find(key);
  if (!value || !value->is_bool()) return std::nullopt;
  return value->bool_value();
}

std::optional<std::int64_t> integer(const plist::Dictionary& dictionary, std::string_view key) {
  const plist::Value* value = dictionary.find(key);
  if (!value || !value->is_integer()) return std::nullopt;
  return value->integer_value();
}

struct Decoded {
  int width = 0;
  int height = 0;
  std::uint32_t top_left = 0;
  std::uint32_t bottom_right = 0;
};

// Reads a PNG back with cairo; pixels as cairo stores them (premultiplied 0xAARRGGBB).
std::optional<Decoded> decode_png(const std::filesystem::path& path) {
  cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return std::nullopt;
  }
  Decoded decoded;
  decoded.width = cairo_image_surface_get_width(surface);
  decoded.height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  auto at = [&](int x, int y) {
    return *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
  };
  decoded.top_left = at(0, 0);
  decoded.bottom_right = at(decoded.width - 1, decoded.height - 1);
  cairo_surface_destroy(surface);
  return decoded;
}

// Paints pixel row 0 (the window's top) red and leaves the rest to the background.
void paint_top_row_red(gfx::Surface& picture) {
  cairo_t* cairo = cairo_create(picture.cairo());
  cairo_set_source_rgb(cairo, 1, 0, 0);
  cairo_rectangle(cairo, 0, 0, picture.width(), 1);
  cairo_fill(cairo);
  cairo_destroy(cairo);
}

TEST(WindowTest, DisplayWritesThePictureAndTheState) {
  RenderDir render;
  Window window("TestProgram", "panel", Rect{100, 200, 40, 30});
  window.set_level(kFloatingWindowLevel);
  window.set_background_colour(gfx::Colour{0, 0, 1, 1});
  window.set_content_drawer(paint_top_row_red);
  window.set_cursor("pointingHand");
  window.set_tool_tip("点击翻页");
  plist::Dictionary shows;
  shows.set("labels", plist::Array{"1.你", "2.好"});
  shows.set("selected", 1);
  window.set_shows(shows);
  window.order_front();

  std::error_code error;
  ASSERT_TRUE(window.display(error)) << error.message();

  auto picture = decode_png(render.file("panel.png"));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 40);
  EXPECT_EQ(picture->height, 30);
  EXPECT_EQ(picture->top_left, 0xffff0000u) << "the drawer's row 0 is the window's top";
  EXPECT_EQ(picture->bottom_right, 0xff0000ffu) << "the background fills what is not drawn";

  plist::Dictionary state = read_state(render.file("panel.state"));
  const plist::Value* frame_value = state.find("frame");
  ASSERT_TRUE(frame_value && frame_value->as_dictionary());
  const plist::Dictionary& frame = *frame_value->as_dictionary();
  EXPECT_EQ(real(frame, "x"), 100);
  EXPECT_EQ(real(frame, "y"), 200);
  EXPECT_EQ(real(frame, "width"), 40);
  EXPECT_EQ(real(frame, "height"), 30);
  EXPECT_EQ(boolean(state, "visible"), true);
  EXPECT_EQ(boolean(state, "key"), false);
  EXPECT_EQ(integer(state, "level"), kFloatingWindowLevel);
  EXPECT_EQ(real(state, "alpha"), 1.0);
  ASSERT_TRUE(state.find("cursor") && state.find("tooltip"));
  EXPECT_EQ(*state.find("cursor")->as_string(), "pointingHand");
  EXPECT_EQ(*state.find("tooltip")->as_string(), "点击翻页");
  ASSERT_TRUE(state.find("shows"));
  EXPECT_EQ(*state.find("shows"), plist::Value(shows));
  EXPECT_EQ(integer(state, "sequence"), 1);

  window.set_frame_origin(Point{5, 6});
  ASSERT_TRUE(window.display(error)) << error.message();
  state = read_state(render.file("panel.state"));
  EXPECT_EQ(integer(state, "sequence"), 2);
  EXPECT_EQ(real(*state.find("frame")->as_dictionary(), "x"), 5);
}

TEST(WindowTest, HiddenWindowWritesItsStateButNoPicture) {
  RenderDir render;
  Window window("TestProgram", "hidden", Rect{0, 0, 10, 10});
  std::error_code error;
  ASSERT_TRUE(window.display(error)) << error.message();
  EXPECT_FALSE(std::filesystem::exists(render.file("hidden.png")));
  EXPECT_EQ(boolean(read_state(render.file("hidden.state")), "visible"), false);

  window.order_front();
  ASSERT_TRUE(window.display(error));
  ASSERT_TRUE(std::filesystem::exists(render.file("hidden.png")));
  std::filesystem::remove(render.file("hidden.png"));

  window.order_out();
  ASSERT_TRUE(window.display(error));
  EXPECT_FALSE(std::filesystem::exists(render.file("hidden.png")))
      << "no new picture while hidden";
  plist::Dictionary state = read_state(render.file("hidden.state"));
  EXPECT_EQ(boolean(state, "visible"), false);
  EXPECT_EQ(integer(state, "sequence"), 3);
}

TEST(WindowTest, DisplayIfNeededWritesOnlyAfterAChange) {
  RenderDir render;
  Window window("TestProgram", "lazy", Rect{0, 0, 10, 10});
  std::error_code error;
  EXPECT_TRUE(window.display_if_needed(error));
  EXPECT_EQ(window.sequence(), 1u) << "a new window has never been written";
  EXPECT_TRUE(window.display_if_needed(error));
  EXPECT_EQ(window.sequence(), 1u);
  window.show("page", 2);
  EXPECT_TRUE(window.needs_display());
  EXPECT_TRUE(window.display_if_needed(error));
  EXPECT_EQ(window.sequence(), 2u);
}

TEST(WindowTest, AlphaIsClampedAndNaNRefused) {
  Window window("TestProgram", "alpha", Rect{0, 0, 10, 10});
  const std::pair<double, double> cases[] = {
      {0.5, 0.5}, {-1, 0}, {2, 1}, {0, 0}, {1, 1},
      {std::numeric_limits<double>::infinity(), 1},
      {-std::numeric_limits<double>::infinity(), 0},
  };
  for (const auto& [given, kept] : cases) {
    EXPECT_TRUE(window.set_alpha(given)) << given;
    EXPECT_EQ(window.alpha(), kept) << given;
  }
  window.set_alpha(0.25);
  EXPECT_FALSE(window.set_alpha(std::nan("")));
  EXPECT_EQ(window.alpha(), 0.25);
}

TEST(WindowTest, FramesThatCannotBeAreRefused) {
  const double nan = std::nan("");
  const double inf = std::numeric_limits<double>::infinity();
  Window window("TestProgram", "frame", Rect{1, 2, 3, 4});
  const Rect refused[] = {
      {nan, 0, 10, 10}, {0, inf, 10, 10}, {0, 0, -1, 10}, {0, 0, 10, -0.5}, {0, 0, nan, 10},
  };
  for (const Rect& rect : refused) {
    EXPECT_FALSE(window.set_frame(rect)) << rect.x << "," << rect.y << "," << rect.width;
    EXPECT_EQ(window.frame(), (Rect{1, 2, 3, 4}));
  }
  EXPECT_FALSE(window.set_frame_origin(Point{nan, 0}));
  EXPECT_TRUE(window.set_frame(Rect{-50, -60, 0, 0})) << "off-screen and empty is allowed";
  Window bad("TestProgram", "bad", Rect{nan, 0, 1, 1});
  EXPECT_EQ(bad.frame(), Rect{});
}

TEST(WindowTest, PicturesThatCannotBeMadeAreReportedButTheStateIsWritten) {
  RenderDir render;
  Window huge("TestProgram", "huge", Rect{0, 0, gfx::kMaxSide + 1, 10});
  huge.order_front();
  std::error_code error;
  EXPECT_FALSE(huge.display(error));
  EXPECT_EQ(error, std::errc::value_too_large);
  EXPECT_EQ(boolean(read_state(render.file("huge.state")), "visible"), true);
  EXPECT_FALSE(std::filesystem::exists(render.file("huge.png")));

  Window empty("TestProgram", "empty", Rect{0, 0, 0, 0});
  empty.order_front();
  EXPECT_TRUE(empty.display(error)) << "an empty window has nothing to draw: " << error.message();
  EXPECT_FALSE(std::filesystem::exists(render.file("empty.png")));
}

TEST(WindowTest, BadNamesAndARelativeRenderFolderAreRefused) {
  TempDir dir;
  {
    ScopedEnv env("KEP_RENDER_DIR", dir.path().string());
    for (const char* name : {"../escape", "a/b", "", ".hidden"}) {
      Window window("TestProgram", name, Rect{0, 0, 5, 5});
      std::error_code error;
      EXPECT_FALSE(window.display(error)) << name;
      EXPECT_EQ(error, std::errc::invalid_argument) << name;
    }
    Window program("../TestProgram", "ok", Rect{0, 0, 5, 5});
    std::error_code error;
    EXPECT_FALSE(program.display(error));
  }
  ScopedEnv relative("KEP_RENDER_DIR", "relative/render");
  Window window("TestProgram", "panel", Rect{0, 0, 5, 5});
  std::error_code error;
  EXPECT_FALSE(window.display(error));
  EXPECT_EQ(error, std::errc::invalid_argument);
  EXPECT_FALSE(std::filesystem::exists("relative"));
}

TEST(WindowTest, OnlyWindowsThatCanBecomeKeyDoAndOneAtATime) {
  WindowRegistry registry;
  Window first("TestProgram", "first", Rect{0, 0, 5, 5});
  Window second("TestProgram", "second", Rect{0, 0, 5, 5});
  Window borderless("TestProgram", "borderless", Rect{0, 0, 5, 5}, kBorderlessWindowMask);
  ASSERT_TRUE(registry.add(first) && registry.add(second) && registry.add(borderless));

  borderless.make_key_and_order_front();
  EXPECT_TRUE(borderless.is_visible());
  EXPECT_FALSE(borderless.is_key());

  first.make_key_and_order_front();
  EXPECT_TRUE(first.is_key());
  second.make_key_and_order_front();
  EXPECT_TRUE(second.is_key());
  EXPECT_FALSE(first.is_key()) << "the other window resigned";

  second.order_out();
  EXPECT_FALSE(second.is_key()) << "a hidden window is not key";
}

TEST(WindowTest, MovesReportTheTrackingRectanglesCrossed) {
  RecordingWindow window("tracking", Rect{0, 0, 100, 100});
  int left = window.add_tracking_rect(Rect{0, 0, 50, 100});
  int right = window.add_tracking_rect(Rect{50, 0, 50, 100});
  EXPECT_NE(left, 0);
  EXPECT_NE(left, right);
  std::vector<std::pair<int, bool>> told;
  window.set_tracking_handler([&](int tag, bool entered) { told.emplace_back(tag, entered); });

  window.handle_mouse({MouseEventType::Moved, {10, 10}});
  window.handle_mouse({MouseEventType::Moved, {20, 10}});
  window.handle_mouse({MouseEventType::Moved, {50, 10}});
  window.handle_mouse({MouseEventType::Moved, {150, 10}});
  const std::vector<std::string> expected = {
      "enter " + std::to_string(left), "move 10,10 x1", "move 20,10 x1",
      "exit " + std::to_string(left),  "enter " + std::to_string(right), "move 50,10 x1",
      "exit " + std::to_string(right), "move 150,10 x1",
  };
  EXPECT_EQ(window.log, expected);
  EXPECT_EQ(told.size(), 4u);

  EXPECT_TRUE(window.remove_tracking_rect(left));
  EXPECT_FALSE(window.remove_tracking_rect(left));
  EXPECT_FALSE(window.handle_tracking(left, true));
  EXPECT_TRUE(window.handle_tracking(right, true));
  EXPECT_EQ(window.log.back(), "enter " + std::to_string(right));
}

TEST(WindowTest, TheContentIsAskedBeforeTheWindow) {
  RecordingWindow window("content", Rect{0, 0, 100, 100});
  window.set_content_mouse_handler(
      [](const MouseEvent& event) { return event.type == MouseEventType::Down; });
  window.handle_mouse({MouseEventType::Down, {1, 2}});
  window.handle_mouse({MouseEventType::Up, {3, 4}});
  EXPECT_EQ(window.log, std::vector<std::string>{"up 3,4 x1"});
  Window plain("TestProgram", "plain", Rect{0, 0, 1, 1});
  EXPECT_FALSE(plain.key_down("y")) << "a plain window takes no keys";
}

}  // namespace
}  // namespace platform::ui
