#include "codec/Bitmap.h"

#include <stdexcept>

namespace framora {

Bitmap::Bitmap(int width, int height, int bitsPerPixel) : width_(width), height_(height), bpp_(bitsPerPixel) {
  switch (bitsPerPixel) {
  case 1: case 4: case 8: case 15: case 16: case 24: case 32: break;
  default: throw std::invalid_argument("unsupported bits per pixel");
  }
  if (width < 0 || height < 0) throw std::invalid_argument("negative bitmap size");
  data_.assign(stride() * static_cast<std::size_t>(height), 0);
}

Rgb Bitmap::pixel(int x, int y) const {
  const std::uint8_t* p = row(y);
  if (!isPalette()) return {p[3 * x], p[3 * x + 1], p[3 * x + 2]};
  const std::uint8_t i = p[x];
  return i < palette_.size() ? palette_[i] : Rgb{};
}

} // namespace framora
