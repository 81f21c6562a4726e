#include "platform/gfx/fonts.h"

#include <gtest/gtest.h>

namespace {

using platform::gfx::font_exists;
using platform::gfx::resolve_family;

TEST(FontsTest, InstalledFamiliesExistUnderEveryNameButOnlyExactly) {
  EXPECT_TRUE(font_exists("DejaVu Sans"));
  EXPECT_TRUE(font_exists("WenQuanYi Micro Hei"));
  EXPECT_TRUE(font_exists("文泉驿微米黑"));  // a localized name of the same family
  EXPECT_FALSE(font_exists("DejaVu"));
  EXPECT_FALSE(font_exists("dejavu sans"));
  EXPECT_FALSE(font_exists("No Such Family 42"));
  EXPECT_FALSE(font_exists(""));
}

TEST(FontsTest, AliasesResolveToInstalledFamilies) {
  const struct {
    const char* name;
    const char* family;
  } cases[] = {
      {"Hei", "WenQuanYi Micro Hei"},   {"华文宋体", "WenQuanYi Micro Hei"}, {"微软雅黑", "WenQuanYi Micro Hei"},
      {"Arial", "DejaVu Sans"},         {"Lucida Grande", "DejaVu Sans"},   {"DejaVu Sans", "DejaVu Sans"},
      {"文泉驿微米黑", "文泉驿微米黑"},
  };
  for (const auto& item : cases) EXPECT_EQ(resolve_family(item.name), item.family) << item.name;
  EXPECT_EQ(resolve_family("No Such Family 42"), std::nullopt);
  EXPECT_EQ(resolve_family("hei"), std::nullopt);
}

}  // namespace
