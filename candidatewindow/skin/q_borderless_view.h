// The candidate view's skin: the fonts and colours of a skin folder, the [general] information,
// and one scheme's layout keys, background pieces and custom buttons.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "candidatewindow/skin/daruz_skin_button.h"
#include "candidatewindow/skin/ini_values.h"
#include "candidatewindow/skin/skin_ini.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/colour.h"
#include "platform/gfx/image.h"
#include "platform/gfx/surface.h"
#include "platform/gfx/text.h"
#include "platform/ui/geometry.h"
#include "platform/ui/screens.h"

namespace kepskin {

struct SkinFont {
  std::string name;    // the name the skin asks for, after the replacements
  std::string family;  // the installed family that draws it (the name itself when none resolves)
  int size = 16;
};

// The pieces of `text` between occurrences of `separator`: an empty piece between two separators
// counts, the piece after the last one only when it is not empty; pieces that are not valid
// UTF-8 are dropped.
std::vector<std::string> SeperateInputString(std::string_view text, char separator);

// The font that draws `font`: its family, else its name, else the fallback family; its size, or 16
// when it has none.
platform::gfx::Font drawingFont(const SkinFont& font);

// The width and height `text` takes in `font` laid out at most `maxWidth` wide.
platform::gfx::Size WidthForStringDrawing(std::string_view text, const SkinFont& font, double maxWidth);

struct TextAttributes {
  SkinFont font;
  platform::gfx::Colour colour;
};

class QBorderlessView {
 public:
  QBorderlessView();

  // Loads `folder`/skin.ini. 0 when loaded, and at once when the same skin.ini (same folder and
  // same file) is already loaded; otherwise a SkinLoadCode, and everything of the previous skin
  // stays in effect.
  int setSkinFile(const std::filesystem::path& folder);

  // Selects a scheme by name ("scheme_h1", "scheme_h2", "scheme_v1", "scheme_v2", any case).
  void setScheme(const std::string& name);

  // What the last successful load read.
  std::filesystem::path filePath;
  IniDictionary dictionary;
  bool skinChanged = false;
  std::string name = "No Information";
  std::string version = "1.0";
  std::string author = "No Information";
  std::string date = "No Information";

  SkinFont hzFont{"Hei", "Hei", 16};
  SkinFont pyFont{"Arial", "Arial", 16};
  int hzFontHeight = 16;
  platform::gfx::Colour hzColor;
  platform::gfx::Colour pyColor;
  platform::gfx::Colour firstColor;
  platform::gfx::Colour hintColor;
  TextAttributes pyAttributes;
  TextAttributes hzAttributes;
  TextAttributes firstAttributes;

  // The scheme.
  std::optional<std::string> schemeName;
  int schemeIndex = 0;
  std::array<int, 3> layout_h{1, 0, 0};
  std::array<int, 3> layout_v{1, 0, 0};
  std::array<int, 4> pyMarge{};
  std::array<int, 4> hzMarge{};
  std::array<int, 3> sep{};
  std::optional<platform::gfx::Colour> sepColor;  // only when both insets are above 0
  bool transparentEnabled = false;
  std::array<int, 3> transparentColor{255, 255, 255};  // blue, green, red
  int opaque = 255;
  std::array<int, 2> anchor{};
  std::string pic;
  int srcImageWidth = 0;
  int srcImageHeight = 0;
  std::array<std::optional<platform::gfx::Surface>, 9> images;
  std::array<platform::gfx::IntRect, 9> rect{};
  std::vector<DaruzSkinButton> _buttons;

  // The drawing modes the caller sets: imeMode 0 applies no mode-specific layout; schemeMode
  // other than 0 draws with the skin, 0 in the plain colour style.
  int imeMode = 0;
  int schemeMode = 0;

  // --- One page: what the caller sets before displayCandidateString -------------------------
  int page = 0;
  int total = 0;
  bool showPage = false;
  bool traditional = false;
  int inlineHeight = 14;
  bool hasShadow = true;
  // The label of one candidate: one integer conversion, then one text conversion ("%d%@").
  std::string labelFormat = "%d%@";
  // Previews number candidates the fixed way ("%d.%@", later ones with a blank in front in the
  // horizontal scheme) whatever labelFormat says.
  bool fixedNumbering = false;

  // The plain colour style's appearance (the candidate window's controller sets it).
  struct PlainStyle {
    SkinFont font{"Hei", "Hei", 16};
    int fontHeight = 16;  // the font size in points; 0 in skin mode
    platform::gfx::Colour foreground{1, 1, 1, 1};
    platform::gfx::Colour background{0, 0, 0, 1};
  };
  PlainStyle plain;

  // Builds, measures, places and renders one page: `candidates` joined by the byte 0x01, the
  // composition `title`, the caret at `at` (screen points, origin bottom-left) with height
  // `caretHeight`. Answers 0. Afterwards windowFrame is the window's frame and layerImage (skin
  // style) the rendered layer.
  int displayCandidateString(std::string_view candidates, std::string_view title,
                             platform::ui::Point at, double caretHeight);

  // The window's frame after the last page (screen points, origin bottom-left; in the skin style
  // 15 points larger than the layer both ways, room for the shadow).
  platform::ui::Rect windowFrame;
  // The layer the last skin-style page rendered (what previews save).
  std::optional<platform::gfx::Surface> layerImage;
  // The labels of the last page as drawn, one per candidate (what the window's state reports).
  std::vector<std::string> shownLabels;

  // Paints the view into the window's picture (sized as windowFrame, rows from the top): the
  // layer with its shadow in the skin style, the rounded box in the plain style.
  void drawRect(platform::gfx::Surface& picture) const;

  // --- What the last page laid out -----------------------------------------------------------
  int x = 0;  // the caret of the last page, truncated
  int y = 0;
  std::string py;  // the title
  std::string hz;  // the candidate line: plain style, and the horizontal scheme's labels joined
  platform::gfx::Size pySize;
  platform::gfx::Size hzSize;
  platform::gfx::Point pyPoint;  // layer coordinates, y up
  platform::gfx::Point hzPoint;
  float hzHeight = 0;  // row pitch of the vertical list
  platform::ui::Rect screenRect;
  platform::ui::Rect visualRect;
  // The box: the layer's size in the skin style, the window's in the plain style.
  platform::gfx::Size boxSize;
  // Where each background piece lies in the layer (y up), sized as cut.
  std::array<platform::gfx::Rect, 9> pieceRects{};
  // Screens to place on; empty means the screens platform::ui::screens() reports at each page.
  std::vector<platform::ui::Screen> screens;

  // The skin draws the page when schemeMode asks for it and there is a skin or a piece to draw
  // with; otherwise the plain style stands in.
  bool usesSkinStyle() const;

  // Renders the skin layer of the laid-out page at width x height into layerImage (left as it
  // was when no bitmap of that size can be made).
  void drawToLayer(int width, int height);

 private:
  std::vector<std::string> candidateLabels(const std::vector<std::string>& candidates, bool vertical) const;
  void layoutPlain(const std::vector<std::string>& candidates, std::string_view title);
  void layoutSkin(const std::vector<std::string>& candidates, std::string_view title, double caretHeight);
  void placePieces(double width, double height);
  platform::ui::Point placementCaret(platform::ui::Point at);
  std::vector<platform::ui::Screen> placementScreens() const;
  void drawPlain(platform::gfx::Surface& picture) const;
  void drawLayerText(platform::gfx::Canvas& canvas) const;
  void drawLayerPieces(platform::gfx::Canvas& canvas, int width, int height) const;

  // The last caret position other than (0, 0); pages sent at (0, 0) appear there.
  platform::ui::Point lastCaret_{};
  bool measuredOnce_ = false;  // pySize/hzSize heights hold a measurement
  double lastBoxHeight_ = 0;

 private:
  void readFonts();
  void readColours();
  void readGeneral();
  void releasePieces();
  void readSchemeKeys();
  void loadButtons();
  void loadPicture();

  SkinSource loadedSource_;  // pictures are read from its folder
};

}  // namespace kepskin
