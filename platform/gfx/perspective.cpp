#include "platform/gfx/perspective.h"

#include <cairo.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform::gfx {
namespace {

// pixman's coordinates are 16.16 fixed point.
constexpr double kMaxCoordinate = 32767;
// pixman maps each scanline's first pixel in 16.16 and leaves the line unfetched when a
// homogeneous coordinate does not fit; the map is scaled to keep them, and its entries, within
// half the range.
constexpr double kFixedLimit = 16384;
// Source positions pixman divides out must fit 16.16 as well; far beyond the picture anyway.
constexpr double kSourceLimit = 30000;

bool finite(Point point) { return std::isfinite(point.x) && std::isfinite(point.y); }

double cross(Point origin, Point a, Point b) {
  return (a.x - origin.x) * (b.y - origin.y) - (a.y - origin.y) * (b.x - origin.x);
}

double distance(Point a, Point b) { return std::hypot(b.x - a.x, b.y - a.y); }

// Every corner turns the same way, clearly: no three corners on one line, no twist, no
// collapsed side. Either turning is fine; a mirrored picture is still a picture.
bool convex(const Quad& quad) {
  const Point corners[4] = {quad.top_left, quad.top_right, quad.bottom_right, quad.bottom_left};
  int sign = 0;
  for (int i = 0; i < 4; ++i) {
    const Point previous = corners[(i + 3) % 4];
    const Point here = corners[i];
    const Point next = corners[(i + 1) % 4];
    const double turn = cross(here, next, previous);
    // Relative to the sides' lengths, so the test means the same at any scale.
    const double scale = distance(here, next) * distance(here, previous);
    if (!(std::abs(turn) > 1e-9 * scale) || !std::isfinite(turn)) return false;
    const int this_sign = turn > 0 ? 1 : -1;
    if (sign != 0 && this_sign != sign) return false;
    sign = this_sign;
  }
  return true;
}

// Solves a x = b in place by Gaussian elimination with partial pivoting; false when singular.
template <std::size_t N>
bool solve(std::array<std::array<double, N + 1>, N>& rows) {
  for (std::size_t column = 0; column < N; ++column) {
    std::size_t pivot = column;
    for (std::size_t row = column + 1; row < N; ++row) {
      if (std::abs(rows[row][column]) > std::abs(rows[pivot][column])) pivot = row;
    }
    if (!(std::abs(rows[pivot][column]) > 1e-12)) return false;
    std::swap(rows[column], rows[pivot]);
    for (std::size_t row = 0; row < N; ++row) {
      if (row == column) continue;
      const double factor = rows[row][column] / rows[column][column];
      if (factor == 0) continue;
      for (std::size_t k = column; k <= N; ++k) rows[row][k] -= factor * rows[column][k];
    }
  }
  for (std::size_t row = 0; row < N; ++row) rows[row][N] /= rows[row][row];
  return true;
}

struct ImageRelease {
  void operator()(pixman_image_t* image) const { pixman_image_unref(image); }
};
using Image = std::unique_ptr<pixman_image_t, ImageRelease>;

Image wrap(const Surface& surface) {
  cairo_surface_t* cairo = surface.cairo();
  cairo_surface_flush(cairo);
  return Image(pixman_image_create_bits(PIXMAN_a8r8g8b8, surface.width(), surface.height(),
                                        reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(cairo)),
                                        cairo_image_surface_get_stride(cairo)));
}

// One scanline's run of target pixels to composite: [left, right) of `row`.
struct Span {
  int row;
  int left;
  int right;
};

double w_at(const Homography& map, double x, double y) { return map.m[6] * x + map.m[7] * y + map.m[8]; }

// The pixel centre maps, on the quad's side of the map's horizon, to a source position pixman
// can hold: run ends that pass this keep the whole run clear of the horizon, where positions
// would wrap around and sample the picture far from the quad.
bool safe_to_sample(const Homography& backward, double inside_sign, double x, double y) {
  if (w_at(backward, x, y) * inside_sign <= 0) return false;
  const auto source = backward.apply({x, y});
  return source && std::abs(source->x) <= kSourceLimit && std::abs(source->y) <= kSourceLimit;
}

// The quad's runs, row by row, widened by a pixel for the filter's reach; pixels beyond them
// are never touched, however the map behaves there.
std::vector<Span> spans_to_draw(const Quad& quad, const Homography& backward, int width, int height) {
  const Point corners[4] = {quad.top_left, quad.top_right, quad.bottom_right, quad.bottom_left};
  double top = corners[0].y, bottom = corners[0].y;
  Point centre{0, 0};
  for (Point corner : corners) {
    top = std::min(top, corner.y);
    bottom = std::max(bottom, corner.y);
    centre.x += corner.x / 4;
    centre.y += corner.y / 4;
  }
  const double inside_sign = w_at(backward, centre.x, centre.y) > 0 ? 1 : -1;
  std::vector<Span> spans;
  const int first = std::max(0, static_cast<int>(std::floor(top)));
  const int last = std::min(height, static_cast<int>(std::ceil(bottom)));
  for (int row = first; row < last; ++row) {
    // The quad's extent across the band [row, row + 1]: on its edges, clipped to the band.
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (int i = 0; i < 4; ++i) {
      const Point a = corners[i], b = corners[(i + 1) % 4];
      if (std::max(a.y, b.y) < row || std::min(a.y, b.y) > row + 1) continue;
      double t0 = 0, t1 = 1;
      if (a.y != b.y) {
        t0 = std::clamp((row - a.y) / (b.y - a.y), 0.0, 1.0);
        t1 = std::clamp((row + 1 - a.y) / (b.y - a.y), 0.0, 1.0);
      }
      for (double t : {t0, t1}) {
        const double x = a.x + (b.x - a.x) * t;
        low = std::min(low, x);
        high = std::max(high, x);
      }
    }
    if (low > high) continue;
    const double centre_y = row + 0.5;
    // Widened first; a row whose widened ends reach the horizon keeps to the quad itself, and
    // one where even that fails is left out.
    for (int reach : {1, 0}) {
      const int left = std::max(0, static_cast<int>(std::floor(low)) - reach);
      const int right = std::min(width, static_cast<int>(std::ceil(high)) + reach);
      if (left >= right) break;
      if (safe_to_sample(backward, inside_sign, left + 0.5, centre_y) &&
          safe_to_sample(backward, inside_sign, right - 0.5, centre_y)) {
        spans.push_back({row, left, right});
        break;
      }
    }
  }
  return spans;
}

// The inverse map in pixman's fixed point, scaled (a projective map is the same at any scale) so
// that w is positive inside the quad and every run's first pixel maps within range; nullopt when
// the rounded map no longer takes the quad's corners to the picture's.
std::optional<pixman_transform_t> fixed_point(const Homography& backward, const Quad& quad,
                                              const std::vector<Span>& spans, const Surface& picture) {
  const Point centre{(quad.top_left.x + quad.top_right.x + quad.bottom_right.x + quad.bottom_left.x) / 4,
                     (quad.top_left.y + quad.top_right.y + quad.bottom_right.y + quad.bottom_left.y) / 4};
  const double inside_sign = w_at(backward, centre.x, centre.y) > 0 ? 1 : -1;
  double largest = 0;
  for (double entry : backward.m) largest = std::max(largest, std::abs(entry));
  for (const Span& span : spans) {
    for (double x : {span.left + 0.5, span.right - 0.5}) {
      for (int row = 0; row < 3; ++row) {
        const double value = backward.m[row * 3] * x + backward.m[row * 3 + 1] * (span.row + 0.5) + backward.m[row * 3 + 2];
        largest = std::max(largest, std::abs(value));
      }
    }
  }
  if (!(largest > 0) || !std::isfinite(largest)) return std::nullopt;
  const double scale = inside_sign * kFixedLimit / largest;
  pixman_transform_t transform;
  Homography rounded;
  for (int i = 0; i < 9; ++i) {
    transform.matrix[i / 3][i % 3] = pixman_double_to_fixed(backward.m[i] * scale);
    rounded.m[i] = pixman_fixed_to_double(transform.matrix[i / 3][i % 3]);
  }
  const Point corners[4] = {quad.top_left, quad.top_right, quad.bottom_right, quad.bottom_left};
  const Point expected[4] = {{0, 0},
                             {static_cast<double>(picture.width()), 0},
                             {static_cast<double>(picture.width()), static_cast<double>(picture.height())},
                             {0, static_cast<double>(picture.height())}};
  for (int i = 0; i < 4; ++i) {
    if (!(w_at(rounded, corners[i].x, corners[i].y) > 0)) return std::nullopt;
    const auto landed = rounded.apply(corners[i]);
    if (!landed || std::abs(landed->x - expected[i].x) > 0.5 || std::abs(landed->y - expected[i].y) > 0.5) {
      return std::nullopt;
    }
  }
  return transform;
}

}  // namespace

std::optional<Point> Homography::apply(Point point) const {
  const double w = m[6] * point.x + m[7] * point.y + m[8];
  if (w == 0) return std::nullopt;
  const Point result{(m[0] * point.x + m[1] * point.y + m[2]) / w, (m[3] * point.x + m[4] * point.y + m[5]) / w};
  if (!finite(result)) return std::nullopt;
  return result;
}

std::optional<Homography> Homography::inverse() const {
  const auto& a = m;
  Homography adjugate;
  adjugate.m = {a[4] * a[8] - a[5] * a[7], a[2] * a[7] - a[1] * a[8], a[1] * a[5] - a[2] * a[4],
                a[5] * a[6] - a[3] * a[8], a[0] * a[8] - a[2] * a[6], a[2] * a[3] - a[0] * a[5],
                a[3] * a[7] - a[4] * a[6], a[1] * a[6] - a[0] * a[7], a[0] * a[4] - a[1] * a[3]};
  const double determinant = a[0] * adjugate.m[0] + a[1] * adjugate.m[3] + a[2] * adjugate.m[6];
  double largest = 0;
  for (double entry : a) largest = std::max(largest, std::abs(entry));
  if (!std::isfinite(determinant) || !(std::abs(determinant) > 1e-12 * largest * largest * largest)) {
    return std::nullopt;
  }
  for (double& entry : adjugate.m) entry /= determinant;
  return adjugate;
}

std::optional<Homography> homography_to_quad(double width, double height, const Quad& corners) {
  if (!(width >= 1) || !(height >= 1) || !std::isfinite(width) || !std::isfinite(height)) return std::nullopt;
  for (Point corner : {corners.top_left, corners.top_right, corners.bottom_right, corners.bottom_left}) {
    if (!finite(corner)) return std::nullopt;
  }
  if (!convex(corners)) return std::nullopt;

  // Eight unknowns m0..m7 with m8 = 1; each corner gives two equations:
  //   m0 x + m1 y + m2 - m6 x u - m7 y u = u
  //   m3 x + m4 y + m5 - m6 x v - m7 y v = v
  const Point from[4] = {{0, 0}, {width, 0}, {width, height}, {0, height}};
  const Point to[4] = {corners.top_left, corners.top_right, corners.bottom_right, corners.bottom_left};
  std::array<std::array<double, 9>, 8> rows{};
  for (int i = 0; i < 4; ++i) {
    const double x = from[i].x, y = from[i].y, u = to[i].x, v = to[i].y;
    rows[2 * i] = {x, y, 1, 0, 0, 0, -x * u, -y * u, u};
    rows[2 * i + 1] = {0, 0, 0, x, y, 1, -x * v, -y * v, v};
  }
  if (!solve<8>(rows)) return std::nullopt;
  Homography map;
  for (int i = 0; i < 8; ++i) map.m[i] = rows[i][8];
  map.m[8] = 1;
  for (double entry : map.m) {
    if (!std::isfinite(entry)) return std::nullopt;
  }
  return map;
}

bool draw_in_perspective(Surface& target, const Surface& picture, const Quad& corners, Orientation orientation,
                         double alpha) {
  if (target.cairo() == nullptr || picture.cairo() == nullptr || std::isnan(alpha)) return false;
  Quad down = corners;
  if (orientation == Orientation::y_up) {
    for (Point* corner : {&down.top_left, &down.top_right, &down.bottom_right, &down.bottom_left}) {
      corner->y = target.height() - corner->y;
    }
  }
  for (Point corner : {down.top_left, down.top_right, down.bottom_right, down.bottom_left}) {
    if (!(std::abs(corner.x) <= kMaxCoordinate) || !(std::abs(corner.y) <= kMaxCoordinate)) return false;
  }
  const auto forward = homography_to_quad(picture.width(), picture.height(), down);
  if (!forward) return false;
  const auto backward = forward->inverse();
  if (!backward) return false;

  const std::vector<Span> spans = spans_to_draw(down, *backward, target.width(), target.height());
  const auto transform = fixed_point(*backward, down, spans, picture);
  if (!transform) return false;

  alpha = std::clamp(alpha, 0.0, 1.0);
  if (alpha == 0 || spans.empty()) return true;

  // pixman must not read the pixels it is writing.
  std::optional<Surface> own_copy;
  if (picture.cairo() == target.cairo()) own_copy.emplace(picture);
  const Surface& source_surface = own_copy ? *own_copy : picture;

  Image destination = wrap(target);
  Image source = wrap(source_surface);
  if (!destination || !source) return false;
  if (!pixman_image_set_transform(source.get(), &*transform)) return false;
  pixman_image_set_filter(source.get(), PIXMAN_FILTER_BILINEAR, nullptr, 0);
  pixman_image_set_repeat(source.get(), PIXMAN_REPEAT_NONE);
  Image mask;
  if (alpha < 1) {
    const pixman_color_t fade{0, 0, 0, static_cast<std::uint16_t>(std::lround(alpha * 0xFFFF))};
    mask.reset(pixman_image_create_solid_fill(&fade));
    if (!mask) return false;
  }
  for (const Span& span : spans) {
    pixman_image_composite32(PIXMAN_OP_OVER, source.get(), mask.get(), destination.get(), span.left, span.row, 0,
                             0, span.left, span.row, span.right - span.left, 1);
  }
  cairo_surface_mark_dirty(target.cairo());
  return true;
}

}  // namespace platform::gfx
