#pragma once
// The picture currency between the picture loaders, the GIF model and BMP writing.
// Storage is normalised: palette pictures (1, 4, 8 bits) keep one index byte per pixel,
// true-colour pictures (15, 16, 24, 32 bits) keep three bytes R, G, B per pixel.
// bitsPerPixel() remembers the source depth, which decides how the GIF model takes it.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace framora {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

class Bitmap {
public:
  Bitmap() = default;
  // Zero-filled picture. bitsPerPixel is one of 1, 4, 8, 15, 16, 24, 32.
  Bitmap(int width, int height, int bitsPerPixel);

  int width() const { return width_; }
  int height() const { return height_; }
  int bitsPerPixel() const { return bpp_; }
  bool isPalette() const { return bpp_ <= 8; }
  bool empty() const { return width_ == 0 || height_ == 0; }
  int bytesPerPixel() const { return isPalette() ? 1 : 3; }
  std::size_t stride() const { return static_cast<std::size_t>(width_) * bytesPerPixel(); }

  std::uint8_t* row(int y) { return data_.data() + stride() * static_cast<std::size_t>(y); }
  const std::uint8_t* row(int y) const { return data_.data() + stride() * static_cast<std::size_t>(y); }
  std::vector<std::uint8_t>& data() { return data_; }
  const std::vector<std::uint8_t>& data() const { return data_; }

  // Colour table of a palette picture, in table order (may be shorter than 2^bits).
  std::vector<Rgb>& palette() { return palette_; }
  const std::vector<Rgb>& palette() const { return palette_; }

  // The colour of pixel (x, y), looked up in the palette for palette pictures
  // (an index beyond the table gives black).
  Rgb pixel(int x, int y) const;

  // Source transparency. A picture is flagged transparent by loaders that know it
  // (icons, GIF pictures, PNG alpha); a loaded BMP never is. The mask, when not empty,
  // has one byte per pixel, non-zero where the pixel is transparent.
  bool transparent = false;
  Rgb transparentColor;
  std::vector<std::uint8_t> mask;

private:
  int width_ = 0, height_ = 0, bpp_ = 24;
  std::vector<std::uint8_t> data_;
  std::vector<Rgb> palette_;
};

} // namespace framora
