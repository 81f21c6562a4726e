// Writes the skins the kep-skin command tests read: one skin in three encodings, and a folder
// without skin.ini.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "candidatewindow/skin/tests/skin_fixture.h"

namespace {

constexpr const char* kSkin =
    "[General]\nskin_name = 蓝色经典\nskin_version = 2.0\nskin_author = 某人\n"
    "[Display]\nfont_ch = 宋体\nfont_size = 15\nzhongwen_color = 0x0000FF\npinyin_color = 0x00FF00\n"
    "zhongwen_first_color = 0xFF0000\n"
    "[scheme_h1]\nlayout_horizontal = 1 , 0x0A ,10\nlayout_vertical = 0,8,8\npinyin_marge = 1,2,3,4\n"
    "zhongwen_marge = 5,6,7,8\nseparator = 0x0000FF,2,2\nanchor = 3,4\npic = 横.png\n"
    "[scheme_v1]\nlayout_horizontal = 0,0,0\nlayout_vertical = 1,0,0\npic = 横.png\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_skin_fixtures OUTDIR\n");
    return 2;
  }
  using kepskin::fixture::IniEncoding;
  const std::filesystem::path out(argv[1]);
  try {
    const struct {
      const char* folder;
      IniEncoding encoding;
    } skins[] = {{"utf8", IniEncoding::Utf8}, {"utf16le", IniEncoding::Utf16LEBom}, {"gb18030", IniEncoding::Gb18030}};
    for (const auto& skin : skins) {
      kepskin::fixture::write_skin_ini(out / skin.folder, kSkin, skin.encoding);
      kepskin::fixture::write_picture(out / skin.folder / "横.png", kepskin::fixture::grid_picture(100, 40, 10, 10, 8, 8));
    }
    std::filesystem::create_directories(out / "no-ini");
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "make_skin_fixtures: %s\n", failure.what());
    return 1;
  }
  return 0;
}
