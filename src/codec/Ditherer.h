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
// entries that can be nearest to some point inside it (found through a coarser 32×32×32
// cell), nearest-to-the-cell first so the search can stop early; answers are cached per colour.
class NearestColorFinder {
public:
  explicit NearestColorFinder(const std::vector<Rgb>& palette);
  int Find(int r, int g, int b) {
    if (palette_.empty()) return 0;
    const std::uint32_t key = (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) |
                              static_cast<std::uint32_t>(b);
    CacheEntry& e = cache_[(key * 2654435761u) >> 16];
    if (e.key == key) return e.index;
    const int index = Search(r, g, b);
    e = CacheEntry{key, index};
    return index;
  }
  // The plain search over the whole palette (reference for tests).
  static int FindLinear(const std::vector<Rgb>& palette, int r, int g, int b);

private:
  struct Candidate {
    std::int32_t nearDist; // least squared distance from the cell to the entry
    std::int32_t index;
  };
  struct CellList {
    std::int32_t start = -1; // -1 until built
    std::int32_t count = 0;
  };
  int Search(int r, int g, int b);
  // Entries of `from` that can be nearest inside the box [lo, lo + size) per component.
  void Prune(const Candidate* from, int fromCount, int r0, int g0, int b0, int size, bool sort,
             std::vector<Candidate>& into);
  const CellList& Coarse(int r, int g, int b);
  const CellList& Fine(int r, int g, int b);

  std::vector<Rgb> palette_;
  std::vector<Candidate> all_;
  std::vector<CellList> coarse_, fine_;
  std::vector<Candidate> coarseItems_, fineItems_;
  static constexpr std::size_t kCacheSize = 1 << 16;
  struct CacheEntry {
    std::uint32_t key = 0xFFFFFFFFu;
    std::int32_t index = 0;
  };
  std::vector<CacheEntry> cache_;
};

// Pixels of exactly `color` bypass the mapping: they get `index` (which need not be in the
// palette), take no error and pass none on.
struct KeyedColor {
  Rgb color;
  std::uint8_t index = 0;
};

// Serpentine Floyd–Steinberg over width × height pixels of three bytes R, G, B (rows of
// `stride` bytes), errors in sixteenths limited as libjpeg does, weights 7/3/5/1.
// Writes one palette index per pixel to `out` (width × height bytes, rows from the top).
void DitherFloydSteinberg(const std::uint8_t* rgb, std::size_t stride, int width, int height,
                          const std::vector<Rgb>& palette, std::uint8_t* out, const KeyedColor* key = nullptr);

// Nearest palette entry per pixel, without diffusion.
void MapNearest(const std::uint8_t* rgb, std::size_t stride, int width, int height, const std::vector<Rgb>& palette,
                std::uint8_t* out, const KeyedColor* key = nullptr);

} // namespace framora
