#include <cairo.h>

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "platform/gfx/image_codecs.h"

namespace platform::gfx::codecs {

namespace {

// libjpeg's default error handler calls exit(); ours jumps back to the decoder instead.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void fail(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

// A file that ends early decodes as grey padding with only a warning; it is damaged, so stop.
void on_message(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) fail(info);
}

}  // namespace

bool looks_like_jpeg(std::string_view bytes) {
  return bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
         static_cast<unsigned char>(bytes[1]) == 0xD8 && static_cast<unsigned char>(bytes[2]) == 0xFF;
}

namespace {

// Runs libjpeg under setjmp. The C++ objects it fills live in the caller's frame, so a jump
// neither skips their destructors nor leaves them with indeterminate values.
bool decode_guarded(std::string_view bytes, std::optional<Surface>& surface, std::vector<JSAMPLE>& row,
                    std::string* error) {
  jpeg_decompress_struct info{};
  ErrorManager manager{};
  info.err = jpeg_std_error(&manager.base);
  manager.base.error_exit = fail;
  manager.base.emit_message = on_message;
  if (setjmp(manager.jump) != 0) {
    jpeg_destroy_decompress(&info);
    set_error(error, std::string("damaged JPEG: ") + manager.message);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  if (info.image_width < 1 || info.image_height < 1 || info.image_width > static_cast<JDIMENSION>(kMaxSide) ||
      info.image_height > static_cast<JDIMENSION>(kMaxSide)) {
    set_error(error, "JPEG of " + std::to_string(info.image_width) + "x" + std::to_string(info.image_height) +
                         " pixels is outside the limit of " + std::to_string(kMaxSide) + " a side");
    jpeg_destroy_decompress(&info);
    return false;
  }
  if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
    set_error(error, "CMYK JPEG pictures are not supported");
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (info.output_components != 3) {
    set_error(error, "JPEG decoded to an unexpected number of components");
    jpeg_destroy_decompress(&info);
    return false;
  }
  surface = Surface::create(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
  if (!surface) {
    set_error(error, "out of memory for the JPEG picture");
    jpeg_destroy_decompress(&info);
    return false;
  }
  cairo_surface_t* target = surface->cairo();
  cairo_surface_flush(target);
  unsigned char* data = cairo_image_surface_get_data(target);
  const std::size_t stride = static_cast<std::size_t>(cairo_image_surface_get_stride(target));
  row.resize(static_cast<std::size_t>(info.output_width) * 3);
  while (info.output_scanline < info.output_height) {
    const std::size_t y = info.output_scanline;
    JSAMPROW rows[1] = {row.data()};
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    auto* out = reinterpret_cast<std::uint32_t*>(data + y * stride);
    for (std::size_t x = 0; x < info.output_width; ++x) {
      out[x] = premultiplied_argb(row[3 * x], row[3 * x + 1], row[3 * x + 2], 255);
    }
  }
  cairo_surface_mark_dirty(target);
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

std::optional<Surface> decode_jpeg(std::string_view bytes, std::string* error) {
  std::optional<Surface> surface;
  std::vector<JSAMPLE> row;
  if (!decode_guarded(bytes, surface, row, error)) return std::nullopt;
  return surface;
}

}  // namespace platform::gfx::codecs
