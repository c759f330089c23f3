#include "codec/PictureDecoders.h"

#include "codec/Error.h"
#include "codec/GifBlockScanner.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

namespace framora {

void CheckPictureSize(std::size_t width, std::size_t height) {
  if (width == 0 || height == 0) throw CodecError("Invalid picture size");
  if (width * height > gif::limits.maxFramePixels) throw CodecError("Image too large");
}

void FinishMask(Bitmap& bmp) {
  bool any = false;
  for (auto m : bmp.mask) if (m) { any = true; break; }
  if (!any) bmp.mask.clear();
  bmp.transparent = any;
}

namespace {
struct PngSource {
  const std::uint8_t* data;
  std::size_t size, pos;
};
struct PngErrors {
  std::string message;
};

void pngRead(png_structp png, png_bytep out, png_size_t n) {
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (src->size - src->pos < n) png_error(png, "Premature end of PNG data");
  std::memcpy(out, src->data + src->pos, n);
  src->pos += n;
}
void pngError(png_structp png, png_const_charp msg) {
  static_cast<PngErrors*>(png_get_error_ptr(png))->message = msg;
  png_longjmp(png, 1);
}
void pngWarning(png_structp, png_const_charp) {}
} // namespace

Bitmap DecodePng(const std::uint8_t* data, std::size_t size) {
  if (size < 8 || png_sig_cmp(data, 0, 8) != 0) throw CodecError("Invalid PNG file");
  PngErrors errors;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &errors, pngError, pngWarning);
  if (!png) throw CodecError("Out of memory");
  png_infop info = png_create_info_struct(png);
  PngSource src{data, size, 0};
  // Everything the jump may skip lives outside this frame.
  Bitmap result;
  std::vector<std::uint8_t> rgba;
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    throw CodecError("Invalid PNG file: " + errors.message);
  }
  png_set_read_fn(png, &src, pngRead);
  png_set_user_limits(png, 65535, 65535);
  png_read_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  if (w == 0 || h == 0 || static_cast<std::size_t>(w) * h > gif::limits.maxFramePixels) {
    errors.message = "image too large";
    png_error(png, "image too large");
  }
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  rgba.resize(static_cast<std::size_t>(w) * h * 4);
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = rgba.data() + static_cast<std::size_t>(y) * w * 4;
  png_read_image(png, rows.data());
  png_destroy_read_struct(&png, &info, nullptr);

  result = Bitmap(static_cast<int>(w), static_cast<int>(h), 24);
  result.mask.assign(static_cast<std::size_t>(w) * h, 0);
  const std::uint8_t* s = rgba.data();
  std::uint8_t* d = result.data().data();
  for (std::size_t i = 0, n = static_cast<std::size_t>(w) * h; i < n; ++i, s += 4, d += 3) {
    d[0] = s[0]; d[1] = s[1]; d[2] = s[2];
    result.mask[i] = s[3] < 128;
  }
  FinishMask(result);
  return result;
}

} // namespace framora
