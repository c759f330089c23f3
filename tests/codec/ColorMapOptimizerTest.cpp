#include "GifCheck.h"

#include "codec/GIFImage.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <map>
#include <random>

using namespace framora;
using framora::test::ExpectGiflibReadsModel;
using framora::test::TempDir;

namespace {

// A frame description: its map and pixels, optionally a transparent index.
struct FrameSpec {
  std::vector<Rgb> map;              // empty: the frame uses the global map
  std::vector<std::uint8_t> pixels;  // 1 row
  int transparent = -1;
};

void Build(GIFImage& image, const std::vector<FrameSpec>& frames) {
  for (const FrameSpec& s : frames) {
    GIFFrame& f = GIFFrame::Create(image);
    f.SetPixelData(static_cast<int>(s.pixels.size()), 1, s.pixels);
    f.ColorMap().Assign(s.map);
    image.GrowScreenFor(f);
    GIFGraphicControlExtension& g = GIFGraphicControlExtension::Create(f);
    if (s.transparent >= 0) {
      g.Rec().TransparentColorIndex = static_cast<std::uint8_t>(s.transparent);
      g.Rec().PackedFields |= 1;
    }
  }
}

// Every pixel's colour before the optimisation, per frame (transparent pixels as -1).
std::vector<std::vector<long>> Colours(const GIFImage& image) {
  std::vector<std::vector<long>> out;
  for (const auto& f : image.Images()) {
    std::vector<long> v;
    const auto* g = f->GraphicControlExtension();
    for (std::uint8_t p : f->Data()) {
      if (g && g->Transparent() && p == g->TransparentColorIndex()) {
        v.push_back(-1);
      } else {
        const Rgb c = p < f->ActiveColorMap().Count() ? f->ActiveColorMap().Colors(p) : Rgb{};
        v.push_back((c.r << 16) | (c.g << 8) | c.b);
      }
    }
    out.push_back(v);
  }
  return out;
}

std::vector<Rgb> Distinct(int n, int offset) {
  std::vector<Rgb> v;
  for (int i = 0; i < n; ++i) v.push_back(Rgb{std::uint8_t(i), std::uint8_t(offset), std::uint8_t(255 - i)});
  return v;
}

std::vector<std::uint8_t> Uses(int n, int base) {
  // Entry i used base + i times, so the order after sorting is known.
  std::vector<std::uint8_t> v;
  for (int i = 0; i < n; ++i) v.insert(v.end(), static_cast<std::size_t>(base + i), static_cast<std::uint8_t>(i));
  return v;
}

} // namespace

// With at most 256 colours and no transparency, the merge loses nothing: every pixel keeps
// its colour, identical colours share one entry, and the global map is sorted by use.
TEST(OptimizeColorMap, MergesMapsWithoutChangingColours) {
  const Rgb a{1, 1, 1}, b{2, 2, 2}, c{3, 3, 3}, d{4, 4, 4};
  struct Case { const char* name; std::vector<Rgb> global; std::vector<FrameSpec> frames; std::vector<Rgb> expect; };
  const std::vector<Case> cases{
      {"shared_colour_counts_added", {}, {{{a, b}, {0, 0, 0, 1}}, {{b, c}, {0, 0, 0, 0, 0, 1, 1}}}, {b, a, c}},
      {"global_and_local_maps", {c, d}, {{{}, {0, 1, 1}}, {{a, d}, {1, 1, 0}}, {{}, {1}}}, {d, c, a}},
      {"unused_entries_dropped", {}, {{{a, b, c, d}, {3, 3, 1}}}, {d, b}},
      {"duplicates_inside_one_map", {}, {{{a, b, a}, {0, 2, 2, 1}}}, {a, b}},
  };
  TempDir dir;
  for (const Case& cs : cases) {
    SCOPED_TRACE(cs.name);
    GIFImage image;
    image.GlobalColorMap().Assign(cs.global);
    Build(image, cs.frames);
    const auto before = Colours(image);
    image.OptimizeColorMap();
    EXPECT_EQ(image.GlobalColorMap().Data(), cs.expect);
    EXPECT_TRUE(image.GlobalColorMap().Optimized());
    for (const auto& f : image.Images()) EXPECT_TRUE(f->ColorMap().Empty());
    EXPECT_EQ(Colours(image), before);
    const std::string path = dir.File("o.gif");
    image.SaveToFile(path);
    ExpectGiflibReadsModel(path, image);
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(bytes[10] & 0x88, 0x88) << "global table and sort flags";
  }
}

// Transparency: a really transparent frame gets the black entry after the kept colours;
// one whose transparent index is used by no pixel loses its transparency.
TEST(OptimizeColorMap, TransparencyCases) {
  struct Case {
    const char* name;
    std::vector<FrameSpec> frames;
    int globalCount;
    std::vector<bool> transparentAfter;
  };
  const std::vector<Case> cases{
      {"transparent_index_used", {{Distinct(4, 0), {0, 1, 2, 2, 3}, 2}, {Distinct(3, 9), {0, 1, 2}}}, 3 + 3 + 1, {true, false}},
      {"transparent_index_unused_loses_flag", {{Distinct(4, 0), {0, 1, 3}, 2}, {Distinct(2, 0), {0, 1}, 1}}, 3 + 1, {false, true}},
      {"appended_transparent_colour_unused", {{Distinct(3, 0), {0, 1, 2}, 3}}, 3, {false}},
      {"more_than_255_colours", {{Distinct(200, 1), Uses(200, 1), 0}, {Distinct(200, 2), Uses(200, 2)}}, 256, {true, false}},
  };
  for (const Case& cs : cases) {
    SCOPED_TRACE(cs.name);
    GIFImage image;
    Build(image, cs.frames);
    // A transparent index equal to the map size stands for a colour appended by TransparentColor.
    for (std::size_t i = 0; i < cs.frames.size(); ++i)
      if (cs.frames[i].transparent == static_cast<int>(cs.frames[i].map.size()))
        image.Images().Frames(static_cast<int>(i)).ColorMap().Add(Rgb{9, 9, 9});
    image.OptimizeColorMap();
    const GIFColorMap& global = image.GlobalColorMap();
    EXPECT_EQ(global.Count(), cs.globalCount);
    const bool anyTransparent = std::find(cs.transparentAfter.begin(), cs.transparentAfter.end(), true) != cs.transparentAfter.end();
    if (anyTransparent) {
      EXPECT_EQ(global.Colors(global.Count() - 1), (Rgb{0, 0, 0}));
    }
    for (std::size_t i = 0; i < cs.transparentAfter.size(); ++i) {
      SCOPED_TRACE(i);
      const GIFFrame& f = image.Images().Frames(static_cast<int>(i));
      const auto* g = f.GraphicControlExtension();
      EXPECT_EQ(g->Transparent(), cs.transparentAfter[i]);
      if (cs.transparentAfter[i]) {
        EXPECT_EQ(g->TransparentColorIndex(), global.Count() - 1);
        for (std::size_t p = 0; p < f.DataSize(); ++p)
          EXPECT_EQ(f.Data()[p] == global.Count() - 1, cs.frames[i].pixels[p] == cs.frames[i].transparent);
      } else {
        EXPECT_EQ(g->TransparentColorIndex(), 0);
      }
    }
  }
}

// Beyond the limit the most used colours are kept and every other colour becomes its
// nearest kept colour, without dithering.
TEST(OptimizeColorMap, MoreThan256ColoursKeepsTheMostUsed) {
  std::mt19937 rng(4);
  GIFImage image;
  std::vector<FrameSpec> frames;
  for (int f = 0; f < 3; ++f) {
    std::vector<Rgb> map;
    for (int i = 0; i < 200; ++i) map.push_back({std::uint8_t(rng()), std::uint8_t(rng()), std::uint8_t(rng())});
    frames.push_back({map, Uses(200, f)});
  }
  Build(image, frames);
  const auto before = Colours(image);
  std::map<long, long> uses;
  for (const auto& v : before)
    for (long c : v) ++uses[c];
  image.OptimizeColorMap();
  const GIFColorMap& global = image.GlobalColorMap();
  ASSERT_EQ(global.Count(), 256);
  long leastKept = LONG_MAX;
  for (const Rgb& c : global.Data()) leastKept = std::min(leastKept, uses[(c.r << 16) | (c.g << 8) | c.b]);
  for (std::size_t fi = 0; fi < before.size(); ++fi) {
    const GIFFrame& f = image.Images().Frames(static_cast<int>(fi));
    for (std::size_t p = 0; p < f.DataSize(); ++p) {
      const long c = before[fi][p];
      const Rgb orig{std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c)};
      int best = 0, bestDist = INT_MAX;
      for (int k = 0; k < 256; ++k) {
        const Rgb& e = global.Colors(k);
        const int d = (e.r - orig.r) * (e.r - orig.r) + (e.g - orig.g) * (e.g - orig.g) + (e.b - orig.b) * (e.b - orig.b);
        if (d < bestDist) { bestDist = d; best = k; }
      }
      ASSERT_EQ(f.Data()[p], best);
      if (bestDist != 0) {
        ASSERT_LE(uses[c], leastKept) << "a dropped colour was used more than a kept one";
      }
    }
  }
}

TEST(OptimizeColorMap, IndexBeyondMapBecomesZeroWithWarning) {
  GIFImage image;
  std::vector<std::string> warnings;
  image.OnWarning = [&](Severity, const std::string& m) { warnings.push_back(m); };
  Build(image, {{{{5, 5, 5}, {6, 6, 6}}, {0, 7, 1, 1}}});
  image.OptimizeColorMap();
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0], "Farbe nicht in der Farbtabelle");
  EXPECT_EQ(image.GlobalColorMap().Data(), (std::vector<Rgb>{{5, 5, 5}, {6, 6, 6}}));
  EXPECT_EQ(image.Images().Frames(0).Data(), (std::vector<std::uint8_t>{0, 0, 1, 1}));
}
