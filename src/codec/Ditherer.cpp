#include "codec/Ditherer.h"

#include "codec/ColorReduction.h"
#include "codec/Quantizer.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace framora {

namespace {

constexpr int kCoarseBits = 5;  // 32 values per side
constexpr int kFineBits = 4;    // 8 values per side
constexpr int kCoarseSide = 256 >> kCoarseBits;
constexpr int kFineSide = 256 >> kFineBits;

int Dist(const Rgb& c, int r, int g, int b) {
  const int dr = c.r - r, dg = c.g - g, db = c.b - b;
  return dr * dr + dg * dg + db * db;
}

// Distance from v to the interval [lo, hi] (0 inside), and to its farther end.
int Near(int v, int lo, int hi) { return v < lo ? lo - v : (v > hi ? v - hi : 0); }
int Far(int v, int lo, int hi) { return std::max(v - lo, hi - v); }


} // namespace

NearestColorFinder::NearestColorFinder(const std::vector<Rgb>& palette)
    : palette_(palette), coarse_(static_cast<std::size_t>(kCoarseSide * kCoarseSide * kCoarseSide)),
      fine_(static_cast<std::size_t>(kFineSide * kFineSide * kFineSide)), cache_(kCacheSize) {
  if (palette_.size() > 256) palette_.resize(256);
  for (std::size_t i = 0; i < palette_.size(); ++i) all_.push_back(Candidate{0, static_cast<std::int32_t>(i)});
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

void NearestColorFinder::Prune(const Candidate* from, int fromCount, int r0, int g0, int b0, int size, bool sort,
                               std::vector<Candidate>& into) {
  const int r1 = r0 + size - 1, g1 = g0 + size - 1, b1 = b0 + size - 1;
  // No point of the box is farther than minMax from its nearest entry, so only entries that
  // come within minMax of the box can be nearest anywhere inside it.
  int minMax = INT_MAX;
  for (int i = 0; i < fromCount; ++i) {
    const Rgb& c = palette_[static_cast<std::size_t>(from[i].index)];
    const int fr = Far(c.r, r0, r1), fg = Far(c.g, g0, g1), fb = Far(c.b, b0, b1);
    minMax = std::min(minMax, fr * fr + fg * fg + fb * fb);
  }
  const std::size_t first = into.size();
  for (int i = 0; i < fromCount; ++i) {
    const Rgb& c = palette_[static_cast<std::size_t>(from[i].index)];
    const int nr = Near(c.r, r0, r1), ng = Near(c.g, g0, g1), nb = Near(c.b, b0, b1);
    const int d = nr * nr + ng * ng + nb * nb;
    if (d <= minMax) into.push_back(Candidate{d, from[i].index});
  }
  if (!sort) return; // coarse lists only feed the fine ones
  std::sort(into.begin() + static_cast<std::ptrdiff_t>(first), into.end(), [](const Candidate& a, const Candidate& b) {
    return a.nearDist != b.nearDist ? a.nearDist < b.nearDist : a.index < b.index;
  });
}

const NearestColorFinder::CellList& NearestColorFinder::Coarse(int r, int g, int b) {
  const int cr = r >> kCoarseBits, cg = g >> kCoarseBits, cb = b >> kCoarseBits;
  CellList& cell = coarse_[static_cast<std::size_t>((cr * kCoarseSide + cg) * kCoarseSide + cb)];
  if (cell.start < 0) {
    cell.start = static_cast<std::int32_t>(coarseItems_.size());
    Prune(all_.data(), static_cast<int>(all_.size()), cr << kCoarseBits, cg << kCoarseBits, cb << kCoarseBits,
          1 << kCoarseBits, false, coarseItems_);
    cell.count = static_cast<std::int32_t>(coarseItems_.size()) - cell.start;
  }
  return cell;
}

const NearestColorFinder::CellList& NearestColorFinder::Fine(int r, int g, int b) {
  const int fr = r >> kFineBits, fg = g >> kFineBits, fb = b >> kFineBits;
  CellList& cell = fine_[static_cast<std::size_t>((fr * kFineSide + fg) * kFineSide + fb)];
  if (cell.start < 0) {
    const CellList& parent = Coarse(r, g, b);
    cell.start = static_cast<std::int32_t>(fineItems_.size());
    Prune(coarseItems_.data() + parent.start, parent.count, fr << kFineBits, fg << kFineBits, fb << kFineBits,
          1 << kFineBits, true, fineItems_);
    cell.count = static_cast<std::int32_t>(fineItems_.size()) - cell.start;
  }
  return cell;
}

int NearestColorFinder::Search(int r, int g, int b) {
  const CellList& cell = Fine(r, g, b);
  const Candidate* cand = fineItems_.data() + cell.start;
  int best = INT_MAX, bestDist = INT_MAX;
  for (int i = 0; i < cell.count; ++i) {
    // Sorted by distance to the cell: nothing further on can be nearer than this.
    if (cand[i].nearDist > bestDist) break;
    const int d = Dist(palette_[static_cast<std::size_t>(cand[i].index)], r, g, b);
    if (d < bestDist || (d == bestDist && cand[i].index < best)) {
      bestDist = d;
      best = cand[i].index;
    }
  }
  return best;
}

namespace {

// The correction a pixel receives from the sum of errors arriving at it (in sixteenths):
// (sum + 8) / 16 truncated, then libjpeg's limit (small errors pass, medium ones are halved
// beyond 16, large ones stop at 32). Every error is at most 255 per component, so the
// sum of its 7/16 + 3/16 + 5/16 + 1/16 shares stays within ±16 · 255.
constexpr int kMaxSum = 16 * 255;
struct CorrectionTable {
  std::int8_t v[2 * kMaxSum + 1];
  constexpr CorrectionTable() : v() {
    for (int sum = -kMaxSum; sum <= kMaxSum; ++sum) {
      const int e = (sum + 8) / 16;
      const int a = e < 0 ? -e : e;
      const int l = a < 16 ? a : (a < 48 ? 16 + (a - 16) / 2 : 32);
      v[sum + kMaxSum] = static_cast<std::int8_t>(e < 0 ? -l : l);
    }
  }
  int operator()(int sum) const { return v[sum + kMaxSum]; }
};
constexpr CorrectionTable kCorrection;

// Clamping of source + correction (-32..287) to 0..255.
struct ClampTable {
  std::uint8_t v[256 + 64];
  constexpr ClampTable() : v() {
    for (int i = 0; i < 256 + 64; ++i) v[i] = static_cast<std::uint8_t>(i < 32 ? 0 : (i > 287 ? 255 : i - 32));
  }
  int operator()(int value) const { return v[value + 32]; }
};
constexpr ClampTable kClamp;

bool IsKey(const std::uint8_t* p, const KeyedColor& key) {
  return p[0] == key.color.r && p[1] == key.color.g && p[2] == key.color.b;
}

template <bool Keyed>
void Diffuse(const std::uint8_t* rgb, std::size_t stride, int width, int height, const std::vector<Rgb>& palette,
             std::uint8_t* out, const KeyedColor& key) {
  NearestColorFinder finder(palette);
  // Errors in sixteenths, three per cell: the current row's (arriving from above) and the
  // next row's, with one spare cell at each end that takes what falls outside the picture.
  const std::size_t cells = static_cast<std::size_t>(width) + 2;
  std::vector<int> aboveBuf(3 * cells, 0), belowBuf(3 * cells, 0);
  int* above = aboveBuf.data();
  int* below = belowBuf.data();
  for (int y = 0; y < height; ++y) {
    std::fill(below, below + 3 * cells, 0);
    const std::uint8_t* src = rgb + stride * static_cast<std::size_t>(y);
    std::uint8_t* dst = out + static_cast<std::size_t>(width) * static_cast<std::size_t>(y);
    const int dir = (y & 1) ? -1 : 1;
    const std::ptrdiff_t step = 3 * dir;
    int x = dir > 0 ? 0 : width - 1;
    int carryR = 0, carryG = 0, carryB = 0; // 7/16 of the previous pixel's error, in sixteenths
    for (int i = 0; i < width; ++i, x += dir) {
      const std::uint8_t* s = src + 3 * x;
      if constexpr (Keyed) {
        if (IsKey(s, key)) {  // takes no error and passes none on
          dst[x] = key.index;
          carryR = carryG = carryB = 0;
          continue;
        }
      }
      int* up = above + 3 * (x + 1);
      // Truncating division, as the original integer arithmetic does.
      const int r = kClamp(s[0] + kCorrection(carryR + up[0]));
      const int g = kClamp(s[1] + kCorrection(carryG + up[1]));
      const int b = kClamp(s[2] + kCorrection(carryB + up[2]));
      const int index = finder.Find(r, g, b);
      dst[x] = static_cast<std::uint8_t>(index);
      const Rgb& p = palette[static_cast<std::size_t>(index)];
      const int er = r - p.r, eg = g - p.g, eb = b - p.b;
      int* down = below + 3 * (x + 1);
      down[-step] += 3 * er;
      down[-step + 1] += 3 * eg;
      down[-step + 2] += 3 * eb;
      down[0] += 5 * er;
      down[1] += 5 * eg;
      down[2] += 5 * eb;
      down[step] += er;
      down[step + 1] += eg;
      down[step + 2] += eb;
      carryR = 7 * er;
      carryG = 7 * eg;
      carryB = 7 * eb;
    }
    std::swap(above, below);
  }
}

} // namespace

void DitherFloydSteinberg(const std::uint8_t* rgb, std::size_t stride, int width, int height,
                          const std::vector<Rgb>& palette, std::uint8_t* out, const KeyedColor* key) {
  if (width <= 0 || height <= 0) return;
  if (palette.empty()) {
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* src = rgb + stride * static_cast<std::size_t>(y);
      std::uint8_t* dst = out + static_cast<std::size_t>(width) * static_cast<std::size_t>(y);
      for (int x = 0; x < width; ++x) dst[x] = key && IsKey(src + 3 * x, *key) ? key->index : 0;
    }
    return;
  }
  if (key)
    Diffuse<true>(rgb, stride, width, height, palette, out, *key);
  else
    Diffuse<false>(rgb, stride, width, height, palette, out, KeyedColor{});
}

void MapNearest(const std::uint8_t* rgb, std::size_t stride, int width, int height, const std::vector<Rgb>& palette,
                std::uint8_t* out, const KeyedColor* key) {
  NearestColorFinder finder(palette);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* src = rgb + stride * static_cast<std::size_t>(y);
    std::uint8_t* dst = out + static_cast<std::size_t>(width) * static_cast<std::size_t>(y);
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* s = src + 3 * x;
      dst[x] = key && IsKey(s, *key) ? key->index : static_cast<std::uint8_t>(finder.Find(s[0], s[1], s[2]));
    }
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
  const std::uint8_t* px = rgb->data().data();
  const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  if (settings.TransparentColor) {
    const KeyedColor key{*settings.TransparentColor, 0};
    std::size_t keyed = 0;
    for (std::size_t i = 0; i < n; ++i) keyed += IsKey(px + 3 * i, key);
    if (keyed > 0) {
      // One entry is kept for the transparent colour, so the others get one fewer.
      ColorQuantizer quantizer((1 << bits) - 1);
      for (std::size_t i = 0; i < n;) {
        std::size_t end = i;
        while (end < n && !IsKey(px + 3 * end, key)) ++end;
        quantizer.AddPixels(px + 3 * i, end - i);
        i = end + 1;
      }
      std::vector<Rgb> palette = quantizer.Palette();
      // A mean that happens to be the key itself would be found first and key other pixels too.
      for (Rgb& c : palette)
        if (c == key.color) c.b = c.b < 255 ? c.b + 1 : c.b - 1;
      const KeyedColor last{key.color, static_cast<std::uint8_t>(palette.size())};
      if (settings.DitherMode == dmFloydSteinberg)
        DitherFloydSteinberg(px, rgb->stride(), w, h, palette, out.data().data(), &last);
      else
        MapNearest(px, rgb->stride(), w, h, palette, out.data().data(), &last);
      palette.push_back(key.color);
      out.palette() = std::move(palette);
      return out;
    }
  }
  ColorQuantizer quantizer(1 << bits);
  quantizer.AddPixels(px, n);
  out.palette() = quantizer.Palette();
  if (settings.DitherMode == dmFloydSteinberg)
    DitherFloydSteinberg(px, rgb->stride(), w, h, out.palette(), out.data().data());
  else
    MapNearest(px, rgb->stride(), w, h, out.palette(), out.data().data());
  return out;
}

} // namespace framora
