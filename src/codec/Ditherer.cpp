#include "codec/Ditherer.h"

#include "codec/ColorReduction.h"
#include "codec/Quantizer.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace framora {

namespace {

constexpr int kCellBits = 3;                 // 8 values per side of a cell
constexpr int kCellsPerSide = 256 >> kCellBits;
constexpr std::size_t kCacheSize = 1 << 15;

int Dist(const Rgb& c, int r, int g, int b) {
  const int dr = c.r - r, dg = c.g - g, db = c.b - b;
  return dr * dr + dg * dg + db * db;
}

// Distance from v to the interval [lo, hi] (0 inside), and to its farther end.
int Near(int v, int lo, int hi) { return v < lo ? lo - v : (v > hi ? v - hi : 0); }

// libjpeg's error limit: small errors pass, medium ones are halved beyond 16, large ones stop at 32.
int LimitError(int e) {
  const int a = e < 0 ? -e : e;
  int l;
  if (a < 16) l = a;
  else if (a < 48) l = 16 + (a - 16) / 2;
  else l = 32;
  return e < 0 ? -l : l;
}

int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

} // namespace

NearestColorFinder::NearestColorFinder(const std::vector<Rgb>& palette)
    : palette_(palette), cellStart_(static_cast<std::size_t>(kCellsPerSide * kCellsPerSide * kCellsPerSide), -1),
      cellCount_(cellStart_.size(), 0), cache_(kCacheSize) {
  if (palette_.size() > 256) palette_.resize(256);
}

int NearestColorFinder::FindLinear(const std::vector<Rgb>& palette, int r, int g, int b) {
  int best = 0, bestDist = INT_MAX;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const int d = Dist(palette[i], r, g, b);
    if (d < bestDist) {
      bestDist = d;
      best = static_cast<int>(i);
    }
  }
  return best;
}

void NearestColorFinder::BuildCell(int cell) {
  const int cr = cell / (kCellsPerSide * kCellsPerSide), cg = (cell / kCellsPerSide) % kCellsPerSide,
            cb = cell % kCellsPerSide;
  const int r0 = cr << kCellBits, g0 = cg << kCellBits, b0 = cb << kCellBits;
  const int r1 = r0 + (1 << kCellBits) - 1, g1 = g0 + (1 << kCellBits) - 1, b1 = b0 + (1 << kCellBits) - 1;
  // No point of the cell is farther than minMax from its best entry, so only entries that
  // come within minMax of the cell can ever be nearest inside it.
  int minMax = INT_MAX;
  std::vector<int> nearDist(palette_.size());
  for (std::size_t i = 0; i < palette_.size(); ++i) {
    const Rgb& c = palette_[i];
    const int nr = Near(c.r, r0, r1), ng = Near(c.g, g0, g1), nb = Near(c.b, b0, b1);
    nearDist[i] = nr * nr + ng * ng + nb * nb;
    const int fr = std::max(std::abs(c.r - r0), std::abs(c.r - r1));
    const int fg = std::max(std::abs(c.g - g0), std::abs(c.g - g1));
    const int fb = std::max(std::abs(c.b - b0), std::abs(c.b - b1));
    minMax = std::min(minMax, fr * fr + fg * fg + fb * fb);
  }
  cellStart_[static_cast<std::size_t>(cell)] = static_cast<std::int32_t>(candidates_.size());
  std::uint16_t n = 0;
  for (std::size_t i = 0; i < palette_.size(); ++i)
    if (nearDist[i] <= minMax) {
      candidates_.push_back(static_cast<std::uint8_t>(i));
      ++n;
    }
  cellCount_[static_cast<std::size_t>(cell)] = n;
}

int NearestColorFinder::Search(int r, int g, int b) {
  const int cell = ((r >> kCellBits) * kCellsPerSide + (g >> kCellBits)) * kCellsPerSide + (b >> kCellBits);
  if (cellStart_[static_cast<std::size_t>(cell)] < 0) BuildCell(cell);
  const std::uint8_t* cand = candidates_.data() + cellStart_[static_cast<std::size_t>(cell)];
  const int n = cellCount_[static_cast<std::size_t>(cell)];
  int best = 0, bestDist = INT_MAX;
  // Candidates are in index order, so the first of equally near entries wins.
  for (int i = 0; i < n; ++i) {
    const int d = Dist(palette_[cand[i]], r, g, b);
    if (d < bestDist) {
      bestDist = d;
      best = cand[i];
    }
  }
  return best;
}

int NearestColorFinder::Find(int r, int g, int b) {
  if (palette_.empty()) return 0;
  const std::uint32_t key = (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) |
                            static_cast<std::uint32_t>(b);
  CacheEntry& e = cache_[((key * 2654435761u) >> 17) & (kCacheSize - 1)];
  if (e.key == key) return e.index;
  const int index = Search(r, g, b);
  e = CacheEntry{key, index};
  return index;
}

void DitherFloydSteinberg(const std::uint8_t* rgb, std::size_t stride, int width, int height,
                          const std::vector<Rgb>& palette, std::uint8_t* out) {
  if (width <= 0 || height <= 0) return;
  NearestColorFinder finder(palette);
  // Errors in sixteenths for the current row (arriving from above) and the next, with one
  // spare cell at each end that takes what falls outside the picture.
  const std::size_t cells = static_cast<std::size_t>(width) + 2;
  std::vector<int> above(3 * cells, 0), below(3 * cells, 0);
  for (int y = 0; y < height; ++y) {
    std::fill(below.begin(), below.end(), 0);
    const std::uint8_t* src = rgb + stride * static_cast<std::size_t>(y);
    std::uint8_t* dst = out + static_cast<std::size_t>(width) * static_cast<std::size_t>(y);
    const int dir = (y & 1) ? -1 : 1;
    int x = dir > 0 ? 0 : width - 1;
    int carry[3] = {0, 0, 0}; // 7/16 of the previous pixel's error, in sixteenths
    for (int i = 0; i < width; ++i, x += dir) {
      const std::size_t cell = static_cast<std::size_t>(x) + 1;
      int v[3];
      for (int c = 0; c < 3; ++c) {
        const int sum = carry[c] + above[c * cells + cell];
        // Truncating division, as the original integer arithmetic does.
        const int e = LimitError((sum + 8) / 16);
        v[c] = Clamp255(src[3 * x + c] + e);
      }
      const int index = finder.Find(v[0], v[1], v[2]);
      dst[x] = static_cast<std::uint8_t>(index);
      const Rgb& p = palette.empty() ? Rgb{} : palette[static_cast<std::size_t>(index)];
      const int err[3] = {v[0] - p.r, v[1] - p.g, v[2] - p.b};
      for (int c = 0; c < 3; ++c) {
        int* row = below.data() + c * cells;
        row[cell - dir] += 3 * err[c];
        row[cell] += 5 * err[c];
        row[cell + dir] += err[c];
        carry[c] = 7 * err[c];
      }
    }
    std::swap(above, below);
  }
}

void MapNearest(const std::uint8_t* rgb, std::size_t stride, int width, int height, const std::vector<Rgb>& palette,
                std::uint8_t* out) {
  NearestColorFinder finder(palette);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* src = rgb + stride * static_cast<std::size_t>(y);
    std::uint8_t* dst = out + static_cast<std::size_t>(width) * static_cast<std::size_t>(y);
    for (int x = 0; x < width; ++x) dst[x] = static_cast<std::uint8_t>(finder.Find(src[3 * x], src[3 * x + 1], src[3 * x + 2]));
  }
}

Bitmap ReduceColors(const Bitmap& source, const ReductionSettings& settings) {
  const int w = source.width(), h = source.height();
  Bitmap out(w, h, 8);
  if (source.empty()) return out;

  // Palette pictures are read through their palette, like any 24-bit source.
  Bitmap rgbCopy;
  const Bitmap* rgb = &source;
  if (source.isPalette()) {
    rgbCopy = Bitmap(w, h, 24);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const Rgb c = source.pixel(x, y);
        std::uint8_t* p = rgbCopy.row(y) + 3 * x;
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
      }
    rgb = &rgbCopy;
  }

  const int bits = std::clamp(settings.ReductionBits, 3, 8);
  ColorQuantizer quantizer(1 << bits);
  quantizer.AddPixels(rgb->data().data(), static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  out.palette() = quantizer.Palette();
  if (settings.DitherMode == dmFloydSteinberg)
    DitherFloydSteinberg(rgb->data().data(), rgb->stride(), w, h, out.palette(), out.data().data());
  else
    MapNearest(rgb->data().data(), rgb->stride(), w, h, out.palette(), out.data().data());
  return out;
}

} // namespace framora
