// Picture bytes (PNG or JPEG, or neither): decoded under the size limit, cut and masked.
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/gfx/image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  auto picture = platform::gfx::decode_image(fuzz::as_view(data, size), &error);
  if (!picture) return 0;
  if (picture->width() > platform::gfx::kMaxSide || picture->height() > platform::gfx::kMaxSide) std::abort();
  auto piece = platform::gfx::sub_image(*picture, {-3, 2, picture->width(), 7});
  if (piece) platform::gfx::mask_colour(*piece, 255, 255, 255);
  return 0;
}
