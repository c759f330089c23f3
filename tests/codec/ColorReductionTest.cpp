#include "codec/ColorReduction.h"
#include "codec/Ditherer.h"
#include "codec/Quantizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

using namespace framora;

namespace {

Bitmap FromColors(int w, int h, const std::vector<Rgb>& perPixel) {
  Bitmap b(w, h, 24);
  EXPECT_EQ(perPixel.size(), static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < perPixel.size(); ++i) {
    b.data()[3 * i] = perPixel[i].r;
    b.data()[3 * i + 1] = perPixel[i].g;
    b.data()[3 * i + 2] = perPixel[i].b;
  }
  return b;
}

// Depth-first octree order: the bits of r, g, b interleaved from the most significant down.
std::uint32_t TreeOrder(Rgb c) {
  std::uint32_t k = 0;
  for (int bit = 7; bit >= 2; --bit) k = (k << 3) | (((c.r >> bit) & 1) << 2) | (((c.g >> bit) & 1) << 1) | ((c.b >> bit) & 1);
  return k;
}

void SetPixel(Bitmap& b, int x, int y, Rgb c) {
  std::uint8_t* p = b.row(y) + 3 * x;
  p[0] = c.r;
  p[1] = c.g;
  p[2] = c.b;
}

std::vector<Rgb> Quantize(const std::vector<Rgb>& pixels, int maxColors) {
  ColorQuantizer q(maxColors);
  for (const Rgb& c : pixels) q.AddColor(c.r, c.g, c.b);
  return q.Palette();
}

} // namespace

TEST(ColorQuantizer, PaletteCases) {
  const Rgb a{0, 0, 0}, b{0, 0, 4}, c{255, 255, 255}, d{255, 255, 251};
  struct Case { const char* name; std::vector<Rgb> pixels; int maxColors; std::vector<Rgb> palette; };
  const Case cases[] = {
      {"single_colour", {{7, 8, 9}, {7, 8, 9}, {7, 8, 9}}, 256, {{7, 8, 9}}},
      {"same_leaf_gives_truncated_mean", {{100, 100, 100}, {103, 102, 101}, {103, 102, 101}}, 256, {{102, 101, 100}}},
      {"depth_first_child_order", {c, a, {0, 255, 0}, {255, 0, 0}}, 256, {a, {0, 255, 0}, {255, 0, 0}, c}},
      // Reduction takes the newest node of the deepest level: c and d merge, not a and b.
      {"newest_deepest_node_reduced_first", {a, b, c, d}, 3, {a, b, {255, 255, 253}}},
      {"all_merged_into_one", {a, b, c, d}, 1, {{127, 127, 127}}},
  };
  for (const Case& cs : cases) {
    SCOPED_TRACE(cs.name);
    EXPECT_EQ(Quantize(cs.pixels, cs.maxColors), cs.palette);
  }
}

// Colours that differ in their 6 most significant bits each get their own exact entry,
// in tree order, and the reduced picture reproduces them exactly.
TEST(ColorQuantizer, SixBitDistinctColoursAreKeptExactly) {
  std::mt19937 rng(11);
  for (int n : {1, 2, 37, 255, 256}) {
    SCOPED_TRACE(n);
    std::set<std::uint32_t> used;
    std::vector<Rgb> colors;
    while (static_cast<int>(colors.size()) < n) {
      const Rgb c{std::uint8_t(rng()), std::uint8_t(rng()), std::uint8_t(rng())};
      if (used.insert(TreeOrder(c)).second) colors.push_back(c);
    }
    std::vector<Rgb> pixels;
    for (int i = 0; i < 4000; ++i) pixels.push_back(colors[rng() % colors.size()]);
    for (const Rgb& c : colors) pixels.push_back(c);
    while (pixels.size() % 101) pixels.push_back(colors[0]);
    const Bitmap src = FromColors(101, static_cast<int>(pixels.size() / 101), pixels);
    const Bitmap out = ReduceColors(src);
    std::vector<Rgb> sorted = colors;
    std::sort(sorted.begin(), sorted.end(), [](Rgb x, Rgb y) { return TreeOrder(x) < TreeOrder(y); });
    std::set<std::uint32_t> inPicture;
    for (int y = 0; y < src.height(); ++y)
      for (int x = 0; x < src.width(); ++x) inPicture.insert(TreeOrder(src.pixel(x, y)));
    std::vector<Rgb> expect;
    for (const Rgb& c : sorted)
      if (inPicture.count(TreeOrder(c))) expect.push_back(c);
    EXPECT_EQ(out.palette(), expect);
    EXPECT_EQ(out.bitsPerPixel(), 8);
    for (int y = 0; y < src.height(); ++y)
      for (int x = 0; x < src.width(); ++x) ASSERT_EQ(out.pixel(x, y), src.pixel(x, y)) << x << "," << y;
  }
}

TEST(ColorQuantizer, MemoryDoesNotGrowWithThePicture) {
  std::mt19937 rng(3);
  std::size_t small = 0, large = 0;
  for (std::size_t pixels : {std::size_t{10000}, std::size_t{4000000}}) {
    ColorQuantizer q(256);
    for (std::size_t i = 0; i < pixels; ++i) q.AddColor(std::uint8_t(rng()), std::uint8_t(rng()), std::uint8_t(rng()));
    EXPECT_LE(q.LeafCount(), 256);
    EXPECT_EQ(q.Palette().size(), static_cast<std::size_t>(q.LeafCount()));
    (pixels == 10000 ? small : large) = q.NodeCapacity();
  }
  // Never more than the leaves of a full reduction step plus their ancestors.
  EXPECT_LE(large, 257u * 7u);
  EXPECT_LE(small, 257u * 7u);
}

TEST(ColorReduction, RespectsTheColourLimitAndPaletteBounds) {
  std::mt19937 rng(5);
  Bitmap src(97, 61, 24);
  for (auto& v : src.data()) v = std::uint8_t(rng());
  for (int bits : {3, 4, 8}) {
    for (TDitherMode mode : {dmFloydSteinberg, dmNearest}) {
      SCOPED_TRACE(std::to_string(bits) + " bits, mode " + std::to_string(mode));
      const Bitmap out = ReduceColors(src, {rmQuantize, mode, bits});
      EXPECT_LE(out.palette().size(), std::size_t{1} << bits);
      EXPECT_GE(out.palette().size(), 2u);
      for (std::uint8_t p : out.data()) ASSERT_LT(p, out.palette().size());
    }
  }
}

// Worked by hand: serpentine rows, (sum + 8) / 16 truncated, the libjpeg limit, 7/3/5/1.
TEST(FloydSteinberg, HandWorkedGreyOnBlackAndWhite) {
  const std::vector<Rgb> palette{{0, 0, 0}, {255, 255, 255}};
  std::vector<std::uint8_t> rgb(4 * 2 * 3, 100);
  std::vector<std::uint8_t> out(8, 9);
  DitherFloydSteinberg(rgb.data(), 12, 4, 2, palette, out.data());
  EXPECT_EQ(out, (std::vector<std::uint8_t>{0, 1, 0, 0, 1, 0, 0, 1}));
}

TEST(FloydSteinberg, ExactColoursPassThroughAndFlatAreasStayFlat) {
  const std::vector<Rgb> palette{{10, 20, 30}, {200, 100, 50}, {0, 0, 0}};
  std::vector<std::uint8_t> rgb;
  for (int i = 0; i < 30; ++i) {
    const Rgb& c = palette[static_cast<std::size_t>((i * 7) % 3)];
    rgb.insert(rgb.end(), {c.r, c.g, c.b});
  }
  std::vector<std::uint8_t> out(30);
  DitherFloydSteinberg(rgb.data(), 18, 6, 5, palette, out.data());
  for (int i = 0; i < 30; ++i) EXPECT_EQ(out[static_cast<std::size_t>(i)], (i * 7) % 3);
}

// The accelerated search must give the same entry as the plain search for every colour.
TEST(NearestColorFinder, AgreesWithThePlainSearch) {
  std::mt19937 rng(21);
  struct Case { const char* name; std::vector<Rgb> palette; };
  std::vector<Rgb> random256, clustered, withTies;
  for (int i = 0; i < 256; ++i) random256.push_back({std::uint8_t(rng()), std::uint8_t(rng()), std::uint8_t(rng())});
  for (int i = 0; i < 256; ++i)
    clustered.push_back({std::uint8_t(120 + rng() % 16), std::uint8_t(60 + rng() % 16), std::uint8_t(200 + rng() % 16)});
  for (int i = 0; i < 64; ++i) {
    const Rgb c{std::uint8_t(i * 4), std::uint8_t(255 - i * 4), std::uint8_t(i * 2)};
    withTies.push_back(c);
    withTies.push_back(c); // duplicates: the first must win
    withTies.push_back({std::uint8_t(c.r + 2), c.g, c.b});
  }
  const Case cases[] = {{"one", {{50, 60, 70}}}, {"two", {{0, 0, 0}, {255, 255, 255}}},
                        {"random256", random256}, {"clustered", clustered}, {"ties", withTies}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NearestColorFinder finder(c.palette);
    for (int i = 0; i < 50000; ++i) {
      const int r = static_cast<int>(rng() & 255), g = static_cast<int>(rng() & 255), b = static_cast<int>(rng() & 255);
      ASSERT_EQ(finder.Find(r, g, b), NearestColorFinder::FindLinear(c.palette, r, g, b)) << r << "," << g << "," << b;
    }
    for (int r : {0, 7, 8, 255})
      for (int g : {0, 128, 255})
        for (int b : {0, 1, 254, 255}) ASSERT_EQ(finder.Find(r, g, b), NearestColorFinder::FindLinear(c.palette, r, g, b));
  }
}

// With a transparent colour, its pixels get one exact entry, the last, and no other pixel
// lands on it; the rest of the picture is reduced as before, one entry smaller at most.
TEST(ColorReduction, TransparentColourGetsOneExactEntryOfItsOwn) {
  const Rgb key{0x87, 0xCE, 0xEB};
  std::mt19937 rng(9);
  // A flat key background around a gradient that passes through the key's octree leaf.
  Bitmap nearKey(40, 30, 24);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      SetPixel(nearKey, x, y,
               x >= 10 && x < 30 && y >= 8 && y < 22
                   ? Rgb{std::uint8_t(0x78 + x), std::uint8_t(0xC4 + (y - 8) / 2), std::uint8_t(0xE0 + x / 3)}
                   : key);
  Bitmap noisy(64, 48, 24);  // far more than 256 leaves, and a row of the key
  for (auto& v : noisy.data()) v = std::uint8_t(rng());
  for (int x = 0; x < 64; ++x) SetPixel(noisy, x, 47, key);
  Bitmap allKey(5, 4, 24);
  for (int i = 0; i < 20; ++i) SetPixel(allKey, i % 5, i / 5, key);
  // Two colours beside the key whose merged mean is the key itself, among colours far from it.
  Bitmap meanIsKey(16, 4, 24);
  const Rgb far[] = {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
  for (int x = 0; x < 16; ++x) {
    SetPixel(meanIsKey, x, 0, far[x % 6]);
    SetPixel(meanIsKey, x, 1, far[(x + 3) % 6]);
    SetPixel(meanIsKey, x, 2, key);
    SetPixel(meanIsKey, x, 3, x % 2 ? Rgb{0x85, 0xCE, 0xEB} : Rgb{0x89, 0xCE, 0xEB});
  }

  struct Case { const char* name; const Bitmap& picture; int bits; };
  const Case cases[] = {{"gradient_near_the_key", nearKey, 8}, {"many_colours", noisy, 8},
                        {"many_colours_3_bits", noisy, 3}, {"only_the_key", allKey, 8},
                        {"a_mean_that_is_the_key", meanIsKey, 3}};
  for (const Case& c : cases)
    for (TDitherMode mode : {dmFloydSteinberg, dmNearest}) {
      SCOPED_TRACE(std::string(c.name) + " mode " + std::to_string(mode));
      ReductionSettings settings{rmQuantize, mode, c.bits};
      settings.TransparentColor = key;
      const Bitmap out = ReduceColors(c.picture, settings);
      ASSERT_FALSE(out.palette().empty());
      EXPECT_LE(out.palette().size(), std::size_t{1} << c.bits);
      const std::size_t keyIndex = out.palette().size() - 1;
      EXPECT_EQ(out.palette()[keyIndex], key);
      EXPECT_EQ(std::count(out.palette().begin(), out.palette().end(), key), 1) << "the key is found at its entry";
      for (int y = 0; y < c.picture.height(); ++y)
        for (int x = 0; x < c.picture.width(); ++x)
          ASSERT_EQ(out.row(y)[x] == keyIndex, c.picture.pixel(x, y) == key) << x << "," << y;
    }
}

TEST(ColorReduction, ATransparentColourThePictureLacksChangesNothing) {
  std::mt19937 rng(4);
  Bitmap src(50, 40, 24);
  for (auto& v : src.data()) v = std::uint8_t(rng() | 1);  // odd bytes only: the key below is not there
  for (TDitherMode mode : {dmFloydSteinberg, dmNearest}) {
    ReductionSettings keyed{rmQuantize, mode, 8};
    keyed.TransparentColor = Rgb{0x86, 0xCE, 0xEA};
    const Bitmap plain = ReduceColors(src, {rmQuantize, mode, 8}), withKey = ReduceColors(src, keyed);
    EXPECT_EQ(withKey.palette(), plain.palette());
    EXPECT_EQ(withKey.data(), plain.data());
  }
}
