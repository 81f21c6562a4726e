// The plain look the controls share: colours, the bezel, and text placed in a box.
// Internal to platform/ui.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/gfx/canvas.h"
#include "platform/gfx/colour.h"
#include "platform/gfx/text.h"
#include "platform/ui/geometry.h"
#include "platform/ui/text_editor.h"

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

// A radio button: its circle at the left of `rect`, a dot when `on`, and the title after it,
// as check_box places them.
void radio_button(gfx::Canvas& canvas, const Rect& rect, std::string_view title, bool on,
                  bool enabled, bool highlighted);

// Behind selected text being edited (lighter than a selected row, so the text stays dark).
inline constexpr gfx::Colour kTextSelection{0.70, 0.84, 1, 1};

// The frame of a text a user types in: white with a 1-point border (y-up canvas).
void text_field_frame(gfx::Canvas& canvas, const Rect& rect);

// A text being edited, its first line's layout box hanging from `top_left` and each further
// line `line_height` lower: the selection's background under it and, when `caret` and nothing
// is selected, the caret.
void editing_lines(gfx::Canvas& canvas, const TextEditor& editor, const gfx::Font& font,
                   Point top_left, double line_height, const gfx::Colour& colour, bool caret);

// One edited line placed as text_in_box places a left-aligned text.
void editing_line_in_box(gfx::Canvas& canvas, const TextEditor& editor, const gfx::Font& font,
                         const Rect& box, const gfx::Colour& colour, double inset);

// The height of a line of text in `font`.
double line_height(const gfx::Font& font);

// Where a click at `x` (points from the start of the line) falls in `line`: the character
// boundary nearest to it, counted in characters.
std::size_t character_at(std::string_view line, const gfx::Font& font, double x);

}  // namespace platform::ui::look
