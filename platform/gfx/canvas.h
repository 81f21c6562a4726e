// A drawing context over a Surface. Coordinates are pixels, either from the top-left (y down)
// or from the bottom-left (y up, as the windows' views draw); pictures and text come out
// upright in both.
#pragma once

#include "platform/gfx/colour.h"
#include "platform/gfx/image.h"
#include "platform/gfx/path.h"
#include "platform/gfx/surface.h"

typedef struct _cairo cairo_t;

namespace platform::gfx {

enum class Orientation { y_down, y_up };

struct Size {
  double width = 0;
  double height = 0;
};

class Canvas {
 public:
  explicit Canvas(Surface& target, Orientation orientation = Orientation::y_down);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  Orientation orientation() const { return orientation_; }
  int width() const { return width_; }
  int height() const { return height_; }
  cairo_t* cairo() const { return cr_; }

  // State (clip, colour, transformation) pushed and popped; unbalanced restores are ignored.
  void save();
  void restore();
  // Narrows the clip to the rectangle or the path's inside.
  void clip(const Rect& rect);
  void clip(const Path& path);

  // Replaces every pixel inside the clip, transparency included.
  void clear(const Colour& colour = {0, 0, 0, 0});
  void fill(const Rect& rect, const Colour& colour);
  void fill(const Path& path, const Colour& colour);
  void stroke(const Rect& rect, const Colour& colour, double line_width);
  void stroke(const Path& path, const Colour& colour, double line_width);
  void line(Point from, Point to, const Colour& colour, double line_width);

  // The whole picture scaled into `dest`, its top row at the rect's top edge, with `alpha`.
  void draw(const Surface& picture, const Rect& dest, double alpha = 1);
  // Copies of `piece`, each scaled to `piece_size`, repeated across `dest` from its top-left
  // (y down) or bottom-left (y up) corner and cut at its edges. One repeating pattern, so a
  // one-pixel piece over a large rect is a single fill.
  void tile(const Surface& piece, const Rect& dest, Size piece_size);

 private:
  void append(const Path& path);
  void set_colour(const Colour& colour);
  // Maps `dest` so that (0,0)..(width,height) of a picture lands upright inside it.
  void map_picture_into(const Rect& dest, int picture_width, int picture_height);

  cairo_t* cr_ = nullptr;
  Orientation orientation_;
  int width_ = 0;
  int height_ = 0;
  int depth_ = 0;
};

}  // namespace platform::gfx
