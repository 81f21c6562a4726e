// What a window writes and where: the render folder must be private to the user, and a window
// that looks as it did at its last display is not written again.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/tests/test_support.h"
#include "platform/ui/tests/window_test_support.h"
#include "platform/ui/window.h"

namespace platform::ui {
namespace {

namespace fs = std::filesystem;
using testing_support::ScopedEnv;
using testing_support::TempDir;
using test_support::RenderDir;

struct FileStamp {
  ino_t inode = 0;
  struct timespec changed {};
  bool operator==(const FileStamp& other) const {
    return inode == other.inode && changed.tv_sec == other.changed.tv_sec &&
           changed.tv_nsec == other.changed.tv_nsec;
  }
};

// The file's inode and change time: an atomic rewrite gives it a new inode.
FileStamp stamp(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return FileStamp{info.st_ino, info.st_ctim};
}

mode_t mode_of(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

void make_folder(const fs::path& path, mode_t mode) {
  fs::create_directories(path);
  ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path;
}

// A folder that belongs to another user: as root, one given away; otherwise /, root's.
fs::path foreign_folder(const fs::path& scratch) {
  if (::geteuid() != 0) return "/";
  fs::path foreign = scratch / "foreign";
  make_folder(foreign, 0700);
  EXPECT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
  return foreign;
}

TEST(WindowFilesTest, RenderFoldersOthersCouldReachAreRefusedAndNothingIsWrittenThroughThem) {
  TempDir scratch;
  const fs::path elsewhere = scratch.path() / "elsewhere";
  make_folder(elsewhere, 0700);

  struct Case {
    const char* what;
    // Prepares the render folder's place and returns the value of KEP_RENDER_DIR.
    fs::path (*plant)(const fs::path& root, const fs::path& elsewhere);
    std::errc expected;
  };
  const Case cases[] = {
      {"a render folder others may write to",
       [](const fs::path& root, const fs::path&) {
         make_folder(root, 0777);
         return root;
       },
       std::errc::permission_denied},
      {"a render folder others may read",
       [](const fs::path& root, const fs::path&) {
         make_folder(root, 0750);
         return root;
       },
       std::errc::permission_denied},
      {"a render folder of another user",
       [](const fs::path& root, const fs::path&) { return foreign_folder(root.parent_path()); },
       std::errc::permission_denied},
      {"a link as the render folder",
       [](const fs::path& root, const fs::path& elsewhere) {
         fs::create_symlink(elsewhere, root);
         return root;
       },
       std::errc::not_a_directory},
      {"a planted windows link",
       [](const fs::path& root, const fs::path& elsewhere) {
         make_folder(root, 0700);
         fs::create_symlink(elsewhere, root / "windows");
         return root;
       },
       std::errc::not_a_directory},
      {"a planted link for the program",
       [](const fs::path& root, const fs::path& elsewhere) {
         make_folder(root / "windows", 0700);
         ::chmod(root.c_str(), 0700);
         fs::create_symlink(elsewhere, root / "windows" / "TestProgram");
         return root;
       },
       std::errc::not_a_directory},
      {"a windows folder made by someone else, open to all",
       [](const fs::path& root, const fs::path&) {
         make_folder(root, 0700);
         make_folder(root / "windows", 0777);
         return root;
       },
       std::errc::permission_denied},
      {"a program folder others may enter",
       [](const fs::path& root, const fs::path&) {
         make_folder(root / "windows" / "TestProgram", 0755);
         ::chmod((root / "windows").c_str(), 0700);
         ::chmod(root.c_str(), 0700);
         return root;
       },
       std::errc::permission_denied},
  };
  int number = 0;
  for (const Case& c : cases) {
    const fs::path root = scratch.path() / ("render" + std::to_string(++number));
    const fs::path configured = c.plant(root, elsewhere);
    ScopedEnv env("KEP_RENDER_DIR", configured.string());
    Window window("TestProgram", "panel", Rect{0, 0, 8, 8});
    window.order_front();
    std::error_code error;
    EXPECT_FALSE(window.display(error)) << c.what;
    EXPECT_EQ(error, c.expected) << c.what << ": " << error.message();
    EXPECT_NE(error.message().find("refused"), std::string::npos) << c.what << ": " << error.message();
    EXPECT_EQ(window.sequence(), 0u) << c.what;
    EXPECT_TRUE(fs::is_empty(elsewhere)) << c.what << ": written through a link";
  }
  if (::geteuid() == 0) EXPECT_TRUE(fs::is_empty(scratch.path() / "foreign"));
  EXPECT_EQ(mode_of(scratch.path() / "render1"), 0777u) << "refused, not silently changed";
}

TEST(WindowFilesTest, MissingRenderFoldersAreCreatedPrivate) {
  TempDir scratch;
  const fs::path root = scratch.path() / "a" / "render";
  ScopedEnv env("KEP_RENDER_DIR", root.string());
  Window window("TestProgram", "panel", Rect{0, 0, 8, 8});
  std::error_code error;
  ASSERT_TRUE(window.display(error)) << error.message();
  for (const fs::path& folder : {scratch.path() / "a", root, root / "windows", root / "windows" / "TestProgram"}) {
    EXPECT_EQ(mode_of(folder), 0700u) << folder;
  }
  ASSERT_TRUE(window.state_path(error));
  EXPECT_TRUE(fs::exists(*window.state_path(error)));
}

// Draws a square of `colour` in the window's top-left corner.
struct Square {
  double red = 1;
  void operator()(gfx::Surface& picture) const {
    cairo_t* cairo = cairo_create(picture.cairo());
    cairo_set_source_rgb(cairo, red, 0, 0);
    cairo_rectangle(cairo, 0, 0, 4, 4);
    cairo_fill(cairo);
    cairo_destroy(cairo);
  }
};

TEST(WindowFilesTest, AWindowThatLooksAsItDidIsNotWrittenAgain) {
  RenderDir render;
  Window window("TestProgram", "same", Rect{10, 20, 30, 20});
  auto square = std::make_shared<Square>();
  window.set_content_drawer([square](gfx::Surface& picture) { (*square)(picture); });
  window.show("page", 1);
  window.order_front();
  std::error_code error;
  ASSERT_TRUE(window.display_if_needed(error)) << error.message();
  ASSERT_EQ(window.sequence(), 1u);
  const FileStamp picture = stamp(render.file("same.png"));
  const FileStamp state = stamp(render.file("same.state"));

  // Setters given what the window already has, and a content that draws the same.
  const std::vector<std::pair<const char*, std::function<void()>>> unchanged = {
      {"the same frame", [&] { window.set_frame(Rect{10, 20, 30, 20}); }},
      {"the same shows", [&] { window.show("page", 1); }},
      {"ordered front again", [&] { window.order_front(); }},
      {"the same title, level and alpha",
       [&] {
         window.set_title("");
         window.set_level(kNormalWindowLevel);
         window.set_alpha(1.0);
       }},
      {"the content marked but drawing the same", [&] { window.set_needs_display(); }},
  };
  for (const auto& [what, change] : unchanged) {
    change();
    EXPECT_TRUE(window.display_if_needed(error)) << what << ": " << error.message();
    EXPECT_EQ(window.sequence(), 1u) << what;
    EXPECT_FALSE(window.needs_display()) << what;
    EXPECT_EQ(stamp(render.file("same.png")), picture) << what;
    EXPECT_EQ(stamp(render.file("same.state")), state) << what;
  }

  // What does change is written: the content, then the state alone.
  square->red = 0.5;
  window.set_needs_display();
  ASSERT_TRUE(window.display_if_needed(error)) << error.message();
  EXPECT_EQ(window.sequence(), 2u) << "the content draws differently";
  EXPECT_FALSE(stamp(render.file("same.png")) == picture);
  window.show("page", 2);
  ASSERT_TRUE(window.display_if_needed(error));
  EXPECT_EQ(window.sequence(), 3u) << "the state changed";

  // Hidden and hidden again: one write.
  window.order_out();
  ASSERT_TRUE(window.display_if_needed(error));
  window.order_out();
  window.set_needs_display();
  ASSERT_TRUE(window.display_if_needed(error));
  EXPECT_EQ(window.sequence(), 4u);

  // display() itself always writes.
  ASSERT_TRUE(window.display(error));
  EXPECT_EQ(window.sequence(), 5u);
}

TEST(WindowFilesTest, DisplaysReplaceTheFilesAndLeaveNothingElseBehind) {
  RenderDir render;
  const fs::path folder = render.dir.path() / "windows" / "TestProgram";
  fs::create_directories(folder);
  ASSERT_EQ(::chmod(folder.parent_path().c_str(), 0700), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
  // What an interrupted write left long ago, and one that may still be under way.
  const fs::path stale = folder / ".panel.png.Ab12Cd";
  const fs::path young = folder / ".panel.state.Ef34Gh";
  for (const fs::path& left : {stale, young}) {
    std::FILE* file = std::fopen(left.c_str(), "w");
    ASSERT_TRUE(file);
    std::fclose(file);
  }
  const auto long_ago = fs::file_time_type::clock::now() - std::chrono::hours(1);
  fs::last_write_time(stale, long_ago);

  Window window("TestProgram", "panel", Rect{0, 0, 12, 6});
  window.order_front();
  std::error_code error;
  std::vector<FileStamp> states;
  for (int page = 1; page <= 3; ++page) {
    window.show("page", page);
    ASSERT_TRUE(window.display(error)) << error.message();
    states.push_back(stamp(render.file("panel.state")));
    std::optional<plist::Value> state = plist::read_file(render.file("panel.state"), error);
    ASSERT_TRUE(state && state->as_dictionary()) << error.message();
    EXPECT_EQ(state->as_dictionary()->find("sequence")->integer_value(), page);
    EXPECT_EQ(mode_of(render.file("panel.state")), 0644u);
    EXPECT_EQ(mode_of(render.file("panel.png")), 0644u);
  }
  EXPECT_NE(states[0].inode, states[1].inode) << "replaced, not rewritten in place";
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".panel.state.Ef34Gh", "panel.png", "panel.state"}));
}

TEST(WindowFilesTest, AfterAFailedDisplayTheSameWindowIsWrittenAgain) {
  TempDir scratch;
  const fs::path root = scratch.path() / "render";
  ScopedEnv env("KEP_RENDER_DIR", root.string());
  Window window("TestProgram", "retry", Rect{0, 0, 8, 8});
  window.order_front();
  std::error_code error;
  ASSERT_TRUE(window.display_if_needed(error)) << error.message();
  // The window's folder replaced by a file: the display fails.
  fs::remove_all(root / "windows" / "TestProgram");
  { std::FILE* file = std::fopen((root / "windows" / "TestProgram").c_str(), "w"); ASSERT_TRUE(file); std::fclose(file); }
  window.show("page", 2);
  EXPECT_FALSE(window.display_if_needed(error));
  EXPECT_EQ(error, std::errc::not_a_directory) << error.message();
  fs::remove(root / "windows" / "TestProgram");
  // Nothing changed since the failed display, yet what it would have written is missing.
  window.set_needs_display();
  ASSERT_TRUE(window.display_if_needed(error)) << error.message();
  EXPECT_EQ(window.sequence(), 2u);
  EXPECT_TRUE(fs::exists(root / "windows" / "TestProgram" / "retry.png"));
}

}  // namespace
}  // namespace platform::ui
