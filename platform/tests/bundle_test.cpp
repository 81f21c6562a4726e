#include "platform/bundle.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/tests/test_support.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using testing_support::ScopedEnv;
using testing_support::TempDir;

void make_bundle(const fs::path& folder, const std::string& identifier) {
  fs::create_directories(folder / "Contents" / "Resources");
  plist::Dictionary info;
  info.set("CFBundleIdentifier", plist::Value(identifier));
  std::error_code ec;
  ASSERT_TRUE(plist::save_atomic(folder / "Contents" / "Info.plist", plist::Value(info), ec));
}

class BundleTest : public testing::Test {
 protected:
  void SetUp() override {
    files::reset_root_cache();
    Bundle::reset_cache();
  }
  void TearDown() override {
    files::reset_root_cache();
    Bundle::reset_cache();
  }
  TempDir root_;
  ScopedEnv env_{"KEP_ROOT", root_.path().string()};
};

TEST_F(BundleTest, FindsBundlesByIdentifierIncludingNestedOnes) {
  fs::path engine = root_.path() / "Library/Components/KEP.component";
  fs::path server = root_.path() / "Library/Input Methods/IMKKEP.app";
  fs::path helper = server / "Contents/SharedSupport/Helper.app";
  make_bundle(engine, "com.example.engine");
  make_bundle(server, "com.example.server");
  make_bundle(helper, "com.example.helper");

  auto found = Bundle::find("com.example.engine");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->path(), engine);
  EXPECT_EQ(found->resources_path(), engine / "Contents/Resources");
  ASSERT_TRUE(Bundle::find("com.example.helper"));
  EXPECT_EQ(Bundle::find("com.example.helper")->path(), helper);
  EXPECT_FALSE(Bundle::find("com.example.nothing"));
}

TEST_F(BundleTest, ResourcesMustExistAndStayInsideTheBundle) {
  fs::path engine = root_.path() / "Library/Components/KEP.component";
  make_bundle(engine, "com.example.engine");
  std::error_code ec;
  files::write_atomic(engine / "Contents/Resources/pinyin.db", "x", ec);
  auto bundle = Bundle::find("com.example.engine");
  ASSERT_TRUE(bundle);
  EXPECT_EQ(bundle->resource("pinyin.db"), engine / "Contents/Resources/pinyin.db");
  EXPECT_FALSE(bundle->resource("missing.db"));
  EXPECT_FALSE(bundle->resource("../Info.plist"));
}

TEST_F(BundleTest, FolderWithoutInfoIsNoBundle) {
  fs::create_directories(root_.path() / "Library/Broken.app/Contents");
  EXPECT_FALSE(Bundle::at(root_.path() / "Library/Broken.app"));
}

}  // namespace
}  // namespace platform
