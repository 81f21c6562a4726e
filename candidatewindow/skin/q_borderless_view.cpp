#include "candidatewindow/skin/q_borderless_view.h"

#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <span>

#include "candidatewindow/skin/nine_pieces.h"
#include "candidatewindow/skin/skin_log.h"
#include "candidatewindow/skin/skin_paths.h"
#include "platform/gfx/fonts.h"

namespace kepskin {

namespace fs = std::filesystem;
using platform::gfx::Colour;

namespace {

// A hostile custom_cnt must not make the loop run for billions of keys.
constexpr int kMaxButtons = 64;

Colour display_colour(const IniHandle* dictionary, const char* key) {
  return Colour::from_bgr(static_cast<std::uint32_t>(ini_getint(dictionary, key, 0)));
}

SkinFont resolved_font(std::string asked, const char* fallback, int size) {
  auto family = platform::gfx::resolve_family(asked);
  if (!family) {
    asked = fallback;
    family = platform::gfx::resolve_family(asked);
  }
  SkinFont font{asked, family.value_or(asked), size};
  return font;
}

}  // namespace

QBorderlessView::QBorderlessView() {
  hzFont = resolved_font("Hei", "Hei", 16);
  pyFont = resolved_font("Arial", "Arial", 16);
  pyAttributes = {pyFont, pyColor};
  hzAttributes = {hzFont, hzColor};
  firstAttributes = {hzFont, firstColor};
}

int QBorderlessView::setSkinFile(const fs::path& folder) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) return kSkinNoFolder;
  const fs::path canonical = fs::canonical(folder, error);
  if (error) return kSkinNoFolder;
  if (dictionary && skin_source(canonical) == loadedSource_) return kSkinLoaded;

  SkinIni ini;
  if (const int code = read_skin_ini(canonical, ini); code != kSkinLoaded) return code;
  dictionary = std::move(ini.dictionary);
  loadedSource_ = std::move(ini.source);
  filePath = folder;
  skinChanged = true;
  readGeneral();
  readFonts();
  readColours();
  return kSkinLoaded;
}

void QBorderlessView::readGeneral() {
  name = iniparser_getnsstring(dictionary.get(), "general:skin_name", "No Information");
  version = iniparser_getnsstring(dictionary.get(), "general:skin_version", "1.0");
  author = iniparser_getnsstring(dictionary.get(), "general:skin_author", "No Information");
  date = iniparser_getnsstring(dictionary.get(), "general:skin_time", "No Information");
}

void QBorderlessView::readFonts() {
  int size = ini_getint(dictionary.get(), "display:font_size", 16);
  if (size <= 0) size = 16;
  std::string chinese = iniparser_getnsstring(dictionary.get(), "display:font_ch", "Hei");
  if (chinese == "微软雅黑") chinese = "Hei";
  else if (chinese == "宋体") chinese = "华文宋体";
  hzFont = resolved_font(chinese, "Hei", size);
  hzFontHeight = hzFont.size;
  pyFont = resolved_font(iniparser_getnsstring(dictionary.get(), "display:font_en", "Arial"), "Arial", size);
}

void QBorderlessView::readColours() {
  hzColor = display_colour(dictionary.get(), "display:zhongwen_color");
  pyColor = display_colour(dictionary.get(), "display:pinyin_color");
  firstColor = display_colour(dictionary.get(), "display:zhongwen_first_color");
  hintColor = display_colour(dictionary.get(), "display:comphint_color");
  pyAttributes = {pyFont, pyColor};
  hzAttributes = {hzFont, hzColor};
  firstAttributes = {hzFont, firstColor};
}

void QBorderlessView::releasePieces() {
  for (auto& image : images) image.reset();
  rect = {};
  transparentEnabled = false;
  transparentColor = {255, 255, 255};
  sep = {};
  sepColor.reset();
  srcImageWidth = 0;
  srcImageHeight = 0;
  _buttons.clear();
}

void QBorderlessView::setScheme(const std::string& scheme) {
  if (schemeName && !skinChanged && *schemeName == scheme) return;
  schemeName = scheme;
  skinChanged = false;
  releasePieces();
  const auto* found = std::find_if(std::begin(kSchemeNames), std::end(kSchemeNames),
                                   [&](const char* known) { return strcasecmp(known, scheme.c_str()) == 0; });
  if (found == std::end(kSchemeNames)) return;
  schemeIndex = static_cast<int>(found - std::begin(kSchemeNames));
  if (schemeIndex == 1 || schemeIndex == 3) return;
  loadButtons();
  readSchemeKeys();
  loadPicture();
}

void QBorderlessView::loadButtons() {
  const int count = std::min(_iniparser_getint(dictionary.get(), schemeIndex, "custom_cnt", 0), kMaxButtons);
  for (int index = 0; index < count; ++index) {
    DaruzSkinButton button;
    if (button.loadWithParser(dictionary.get(), loadedSource_.folder, index, schemeIndex)) _buttons.push_back(std::move(button));
  }
}

void QBorderlessView::readSchemeKeys() {
  const IniHandle* ini = dictionary.get();
  // Each list starts from its default, so a short list never keeps another scheme's values.
  auto read_list = [&](const char* key, const char* fallback, std::span<int> into) {
    std::fill(into.begin(), into.end(), 0);
    GetIntItems(fallback, into);
    GetIntItems(_iniparser_getstring(ini, schemeIndex, key, fallback), into);
  };
  read_list("layout_horizontal", "1,0,0", layout_h);
  read_list("layout_vertical", "1,0,0", layout_v);
  read_list("pinyin_marge", "0,0,0,0", pyMarge);
  read_list("zhongwen_marge", "0,0,0,0", hzMarge);
  read_list("separator", "0,0,0", sep);
  if (sep[1] > 0 && sep[2] > 0) sepColor = Colour::from_rgb(static_cast<std::uint32_t>(sep[0]));
  transparentEnabled = _iniparser_getint(ini, schemeIndex, "transparent_color_enable", 0) != 0;
  if (transparentEnabled) {
    const auto packed = static_cast<std::uint32_t>(_iniparser_getint(ini, schemeIndex, "transparent_color", 0xffffff));
    transparentColor = {static_cast<int>((packed >> 16) & 0xFF), static_cast<int>((packed >> 8) & 0xFF),
                        static_cast<int>(packed & 0xFF)};
  }
  opaque = _iniparser_getint(ini, schemeIndex, "opaque", 255);
  read_list("anchor", "0,0", anchor);
  pic = _iniparser_getstring(ini, schemeIndex, "pic", "");
}

void QBorderlessView::loadPicture() {
  std::optional<platform::gfx::Surface> picture;
  if (!pic.empty()) {
    std::string reason;
    picture = CreateImageFromPath(loadedSource_.folder, pic, &reason);
    if (!picture) skin_log("skin picture '%s': %s", pic.c_str(), reason.c_str());
  }
  if (picture) {
    srcImageWidth = picture->width();
    srcImageHeight = picture->height();
    if (transparentEnabled)
      platform::gfx::mask_colour(*picture, static_cast<std::uint8_t>(transparentColor[2]),
                                 static_cast<std::uint8_t>(transparentColor[1]),
                                 static_cast<std::uint8_t>(transparentColor[0]));
  }
  // Checked before cutting, so the pieces and the layout agree on the borders.
  if (layout_v[1] < 0 || layout_v[1] > srcImageHeight) {
    skin_log("Warning! Layout vertical postition 1 overflow.[%d,%d]", layout_v[1], srcImageHeight);
    layout_v[1] = 0;
  }
  if (layout_v[2] < 0 || layout_v[2] > srcImageHeight) {
    skin_log("Warning! Layout vertical postition 2 overflow.[%d,%d]", layout_v[1], layout_v[2]);
    layout_v[2] = 0;
  }
  if (!picture) return;
  NinePieces pieces = cut_nine_pieces(*picture, layout_h[1], layout_h[2], layout_v[1], layout_v[2]);
  images = std::move(pieces.images);
  rect = pieces.rect;
}

}  // namespace kepskin
