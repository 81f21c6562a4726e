// The plain look the controls share: colours, the bezel, and text placed in a box.
// Internal to platform/ui.
#pragma once

#include <string_view>

#include "platform/gfx/canvas.h"
#include "platform/gfx/colour.h"
#include "platform/gfx/text.h"
#include "platform/ui/geometry.h"

namespace platform::ui::look {

inline constexpr gfx::Colour kBezel{0.92, 0.92, 0.92, 1};
inline constexpr gfx::Colour kBezelPressed{0.72, 0.72, 0.72, 1};
inline constexpr gfx::Colour kBorder{0.55, 0.55, 0.55, 1};
inline constexpr gfx::Colour kText{0, 0, 0, 1};
inline constexpr gfx::Colour kDisabledText{0.6, 0.6, 0.6, 1};
inline constexpr gfx::Colour kSelection{0.22, 0.46, 0.84, 1};
inline constexpr gfx::Colour kSelectedText{1, 1, 1, 1};
inline constexpr gfx::Colour kWhite{1, 1, 1, 1};

// A filled bezel with a 1-point border inside `rect` (y-up canvas); rounded corners when
// `rounded`.
void bezel(gfx::Canvas& canvas, const Rect& rect, bool pressed, bool rounded);

enum class Align { Left, Centre, Right };

// One line of text centred vertically in `box` (y-up), placed horizontally by `align`, with
// `inset` points kept free at the left and right.
void text_in_box(gfx::Canvas& canvas, std::string_view text, const gfx::Font& font,
                 const Rect& box, Align align, const gfx::Colour& colour, double inset = 0);

// A check box: its box at the left of `rect` (y-up), centred vertically, a tick when `on`, and
// the title after it in the interface font.
void check_box(gfx::Canvas& canvas, const Rect& rect, std::string_view title, bool on,
               bool enabled, bool highlighted);

}  // namespace platform::ui::look
