#pragma once
// Mapping true colours to a palette: an exact nearest-colour search and the
// Floyd–Steinberg error diffusion that uses it.
#include "codec/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace framora {

// Entry of least squared RGB distance; among equally near entries the lowest index.
// Exact for every colour: the RGB cube is cut into 8×8×8 cells, each cell lazily gets the
// entries that can be nearest to some point inside it, and answers are cached per colour.
class NearestColorFinder {
public:
  explicit NearestColorFinder(const std::vector<Rgb>& palette);
  int Find(int r, int g, int b);
  // The plain search over the whole palette (reference for tests, and for tiny palettes).
  static int FindLinear(const std::vector<Rgb>& palette, int r, int g, int b);

private:
  int Search(int r, int g, int b);
  void BuildCell(int cell);

  std::vector<Rgb> palette_;
  std::vector<std::int32_t> cellStart_; // -1 until built
  std::vector<std::uint16_t> cellCount_;
  std::vector<std::uint8_t> candidates_;
  struct CacheEntry {
    std::uint32_t key = 0xFFFFFFFFu;
    std::int32_t index = 0;
  };
  std::vector<CacheEntry> cache_;
};

// Serpentine Floyd–Steinberg over width × height pixels of three bytes R, G, B (rows of
// `stride` bytes), errors in sixteenths limited as libjpeg does, weights 7/3/5/1.
// Writes one palette index per pixel to `out` (width × height bytes, rows from the top).
void DitherFloydSteinberg(const std::uint8_t* rgb, std::size_t stride, int width, int height,
                          const std::vector<Rgb>& palette, std::uint8_t* out);

// Nearest palette entry per pixel, without diffusion.
void MapNearest(const std::uint8_t* rgb, std::size_t stride, int width, int height, const std::vector<Rgb>& palette,
                std::uint8_t* out);

} // namespace framora
