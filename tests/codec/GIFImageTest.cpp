#include "GifCheck.h"

#include "codec/GIFImage.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>

using namespace framora;
using framora::test::ExpectGiflibReadsBytes;
using framora::test::ExpectGiflibReadsModel;
using framora::test::TempDir;

namespace {

struct Recorder {
  std::vector<std::pair<Severity, std::string>> seen;
  void Attach(GIFImage& image) {
    image.OnWarning = [this](Severity s, const std::string& m) { seen.emplace_back(s, m); };
  }
  bool Saw(const std::string& m) const {
    for (const auto& [s, text] : seen)
      if (text == m) return true;
    return false;
  }
};

Bitmap Palette8(int w, int h, std::vector<Rgb> palette, std::vector<std::uint8_t> pixels) {
  Bitmap b(w, h, 8);
  b.palette() = std::move(palette);
  b.data() = std::move(pixels);
  return b;
}

Bitmap Photo(int w, int h, unsigned seed) {
  Bitmap b(w, h, 24);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = b.row(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>((x * 255) / std::max(1, w - 1) + rng() % 9);
      p[1] = static_cast<std::uint8_t>((y * 255) / std::max(1, h - 1) - rng() % 9);
      p[2] = static_cast<std::uint8_t>(((x + y) * 3 + rng() % 17) & 0xFF);
    }
  return b;
}

std::vector<Rgb> Grey(int n) {
  std::vector<Rgb> v;
  for (int i = 0; i < n; ++i) v.push_back(Rgb{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)});
  return v;
}

} // namespace

TEST(GIFImage, NewImageIsEmpty) {
  GIFImage image;
  EXPECT_EQ(image.Images().Count(), 0);
  EXPECT_EQ(image.Width(), 0);
  EXPECT_EQ(image.Height(), 0);
  EXPECT_TRUE(image.GlobalColorMap().Empty());
  EXPECT_EQ(image.ColorReduction, rmQuantize);
  EXPECT_EQ(image.DitherMode, dmFloydSteinberg);
  EXPECT_EQ(image.ReductionBits, 8);
}

TEST(GIFImage, PaletteBitmapsKeepTableAndIndicesExactly) {
  const std::vector<Rgb> pal{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  struct Case { const char* name; int bpp; std::vector<Rgb> palette; std::vector<std::uint8_t> pixels, expect; bool warned; };
  const Case cases[] = {
      {"8bit", 8, pal, {0, 1, 2, 2}, {0, 1, 2, 2}, false},
      {"8bit_indices_beyond_short_table_become_0", 8, pal, {0, 3, 200, 2}, {0, 0, 0, 2}, true},
      {"4bit_short_table_kept_unchanged", 4, pal, {0, 5, 15, 2}, {0, 5, 15, 2}, false},
      {"1bit", 1, {{0, 0, 0}, {255, 255, 255}}, {1, 0, 0, 1}, {1, 0, 0, 1}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GIFImage image;
    Recorder rec;
    rec.Attach(image);
    Bitmap b(2, 2, c.bpp);
    b.palette() = c.palette;
    b.data() = c.pixels;
    GIFFrame& f = image.Add(b);
    EXPECT_EQ(f.ColorMap().Data(), c.palette);
    EXPECT_EQ(f.Data(), c.expect);
    EXPECT_EQ(rec.Saw("Bitmap ist ungültig"), c.warned);
    EXPECT_EQ(f.GraphicControlExtension(), nullptr);
    EXPECT_EQ(f.Extensions().Count(), 0);
  }
}

TEST(GIFImage, ScreenSizeRules) {
  struct Case { const char* name; int setW, setH; std::vector<std::pair<int, int>> frames; int w, h; bool warned; };
  const Case cases[] = {
      {"zero_becomes_frame_size", 0, 0, {{10, 5}}, 10, 5, false},
      {"later_larger_frame_grows_with_warning", 0, 0, {{10, 5}, {4, 9}}, 10, 9, true},
      {"larger_set_size_kept", 100, 80, {{10, 5}}, 100, 80, false},
      {"smaller_set_size_grows_with_warning", 6, 80, {{10, 5}}, 10, 80, true},
      {"out_of_range_becomes_0", 70000, -3, {{3, 4}}, 3, 4, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GIFImage image;
    Recorder rec;
    rec.Attach(image);
    image.SetWidth(c.setW);
    image.SetHeight(c.setH);
    for (auto [w, h] : c.frames) image.Add(Palette8(w, h, Grey(2), std::vector<std::uint8_t>(std::size_t(w) * h, 1)));
    EXPECT_EQ(image.Width(), c.w);
    EXPECT_EQ(image.Height(), c.h);
    EXPECT_EQ(rec.Saw("Bild überschreitet logische Bildschirmgröße"), c.warned);
  }
  // Setting a size below the frames raises it to them again.
  GIFImage image;
  GIFFrame& f = image.Add(Palette8(4, 3, Grey(2), std::vector<std::uint8_t>(12, 0)));
  f.SetLeft(10);
  f.SetTop(20);
  image.SetWidth(1);
  image.SetHeight(70000);
  EXPECT_EQ(image.Width(), 14);
  EXPECT_EQ(image.Height(), 23);
}

TEST(GIFImage, TooLargeBitmapIsRejectedAndNoFrameRemains) {
  GIFImage image;
  Bitmap b(65536, 1, 8);
  EXPECT_THROW(
      {
        try {
          image.Add(b);
        } catch (const GIFException& e) {
          EXPECT_STREQ(e.what(), "Ungültige Bildgröße");
          throw;
        }
      },
      GIFException);
  EXPECT_EQ(image.Images().Count(), 0);
  EXPECT_EQ(image.Width(), 0);
}

TEST(GIFImage, PixelsChecksCoordinatesAndEmptyFrames) {
  GIFImage image;
  GIFFrame& f = image.Add(Palette8(3, 2, Grey(6), {0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(f.Pixels(0, 0), 0);
  EXPECT_EQ(f.Pixels(2, 1), 5);
  EXPECT_EQ(f.Pixels(1, 1), 4);
  for (auto [x, y] : std::vector<std::pair<int, int>>{{3, 0}, {0, 2}, {-1, 0}, {0, -1}}) {
    try {
      f.Pixels(x, y);
      ADD_FAILURE() << x << "," << y;
    } catch (const GIFException& e) {
      EXPECT_STREQ(e.what(), "Ungültige Pixel-Koordinaten");
    }
  }
  GIFFrame& empty = GIFFrame::Create(image);
  try {
    empty.Pixels(0, 0);
    ADD_FAILURE();
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "Bild ist leer");
  }
}

// TransparentColor / TransparentColorIndex / Transparent on a frame's active map.
TEST(GIFImage, TransparencySetters) {
  const Rgb red{255, 0, 0}, blue{0, 0, 255};
  struct Case {
    const char* name;
    std::vector<Rgb> map;
    bool optimized;
    std::function<void(GIFGraphicControlExtension&)> act;
    int index;
    int mapCount;
    const char* warning; // or nullptr
  };
  const std::vector<Rgb> withDupes{blue, red, blue, red};
  const Case cases[] = {
      {"colour_found_last_entry", withDupes, false, [&](auto& g) { g.SetTransparentColor(red); }, 3, 4, nullptr},
      {"colour_found_first_entry_in_optimised_map", withDupes, true, [&](auto& g) { g.SetTransparentColor(red); }, 1, 4, nullptr},
      {"colour_appended", {blue}, false, [&](auto& g) { g.SetTransparentColor(red); }, 1, 2, nullptr},
      {"index_equal_to_size_appends_black", Grey(5), false, [](auto& g) { g.SetTransparentColorIndex(5); }, 5, 6,
       "Ungültiger Farbindex - Farbzuordnung erweitert"},
      {"index_beyond_size_becomes_0", Grey(5), false, [](auto& g) { g.SetTransparentColorIndex(6); }, 0, 5,
       "Ungültiger Farbindex"},
      {"index_equal_to_full_map_becomes_0", Grey(256), false, [](auto& g) { g.SetTransparentColorIndex(256); }, 0, 256,
       "Ungültiger Farbindex"},
      {"index_in_range", Grey(5), false, [](auto& g) { g.SetTransparentColorIndex(4); }, 4, 5, nullptr},
      {"flag_reapplies_index_rule", Grey(5), false,
       [](auto& g) {
         g.Rec().TransparentColorIndex = 9;
         g.SetTransparent(true);
       },
       0, 5, "Ungültiger Farbindex"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GIFImage image;
    Recorder rec;
    rec.Attach(image);
    GIFFrame& f = image.Add(Palette8(1, 1, c.map, {0}));
    f.ColorMap().SetOptimized(c.optimized);
    GIFGraphicControlExtension& g = GIFGraphicControlExtension::Create(f);
    c.act(g);
    EXPECT_EQ(g.TransparentColorIndex(), c.index);
    EXPECT_EQ(f.ColorMap().Count(), c.mapCount);
    if (c.warning) {
      EXPECT_TRUE(rec.Saw(c.warning));
    } else {
      EXPECT_TRUE(rec.seen.empty());
    }
  }
}

TEST(GIFImage, TransparentColorOnFullMapOverflowsAndChangesNothing) {
  GIFImage image;
  GIFFrame& f = image.Add(Palette8(1, 1, Grey(256), {0}));
  GIFGraphicControlExtension& g = GIFGraphicControlExtension::Create(f);
  g.SetTransparentColorIndex(7);
  try {
    g.SetTransparentColor(Rgb{1, 2, 3});
    FAIL() << "no error";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "Farbtabellenüberlauf");
  }
  EXPECT_EQ(g.TransparentColorIndex(), 7);
  EXPECT_EQ(f.ColorMap().Count(), 256);
  EXPECT_FALSE(g.Transparent());
  // The build's fallback then uses an index.
  g.SetTransparentColorIndex(0);
  g.SetTransparent(true);
  EXPECT_EQ(g.TransparentColor(), (Rgb{0, 0, 0}));
}

TEST(GIFImage, SecondGraphicControlBlockWarnsIsNotLinkedButWritten) {
  TempDir dir;
  GIFImage image;
  Recorder rec;
  rec.Attach(image);
  GIFFrame& f = image.Add(Palette8(2, 1, Grey(2), {0, 1}));
  GIFGraphicControlExtension& first = GIFGraphicControlExtension::Create(f);
  first.SetDelay(5);
  GIFGraphicControlExtension& second = GIFGraphicControlExtension::Create(f);
  second.SetDelay(9);
  EXPECT_EQ(f.GraphicControlExtension(), &first);
  EXPECT_TRUE(rec.Saw("Frame enthält mehrere Blöcke mit grafischen Steuerelementerweiterungen"));
  const auto bytes = image.SaveToBytes();
  std::size_t gceCount = 0;
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) gceCount += bytes[i] == 0x21 && bytes[i + 1] == 0xF9;
  EXPECT_EQ(gceCount, 2u);
  image.SaveToFile(dir.File("two.gif"));
  ExpectGiflibReadsModel(dir.File("two.gif"), image);
}

TEST(GIFImage, WarningsAreDroppedWithoutHandlerAndErrorsAlwaysThrow) {
  GIFImage image;
  EXPECT_NO_THROW(image.Warning(gsWarning, "x"));
  EXPECT_NO_THROW(image.Warning(gsInfo, "x"));
  EXPECT_THROW(image.Warning(gsError, "x"), GIFException);
  Recorder rec;
  rec.Attach(image);
  EXPECT_THROW(image.Warning(gsError, "boom"), GIFException);
  EXPECT_TRUE(rec.Saw("boom"));
}

// Source transparency: palette bitmaps by colour (last entry), reduced bitmaps by mask.
TEST(GIFImage, SourceTransparency) {
  const Rgb key{10, 20, 30};
  {
    Bitmap b = Palette8(3, 1, {key, {1, 1, 1}, key}, {0, 1, 2});
    b.transparent = true;
    b.transparentColor = key;
    GIFImage image;
    GIFFrame& f = image.Add(b);
    ASSERT_NE(f.GraphicControlExtension(), nullptr);
    EXPECT_TRUE(f.GraphicControlExtension()->Transparent());
    EXPECT_EQ(f.GraphicControlExtension()->TransparentColorIndex(), 2);
  }
  {
    Bitmap b = Photo(20, 10, 5);
    b.transparent = true;
    b.transparentColor = key;
    b.mask.assign(200, 0);
    for (int i = 0; i < 200; i += 3) b.mask[i] = 1;
    GIFImage image;
    GIFFrame& f = image.Add(b);
    auto* g = f.GraphicControlExtension();
    ASSERT_NE(g, nullptr);
    ASSERT_TRUE(g->Transparent());
    const int t = g->TransparentColorIndex();
    EXPECT_EQ(t, f.ColorMap().Count() - 1);
    EXPECT_EQ(g->TransparentColor(), key);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(f.Data()[i] == t, b.mask[i] != 0) << i;
  }
  {
    // Flagged transparent but nothing masked: no block, no extra entry.
    Bitmap b = Photo(8, 8, 6);
    b.transparent = true;
    b.mask.assign(64, 0);
    GIFImage image;
    GIFFrame& f = image.Add(b);
    EXPECT_EQ(f.GraphicControlExtension(), nullptr);
    std::vector<int> uses(f.ColorMap().Count(), 0);
    for (auto p : f.Data()) ++uses[p];
    for (int u : uses) EXPECT_GT(u, 0);
  }
}

TEST(GIFImage, AddAndAssignOfImagesAndFrames) {
  GIFImage source;
  source.GlobalColorMap().Assign(Grey(4));
  GIFFrame& g = GIFFrame::Create(source);
  g.SetPixelData(2, 2, {0, 1, 2, 3});
  g.SetLeft(3);
  source.GrowScreenFor(g);
  GIFGraphicControlExtension::Create(g).SetDelay(12);
  GIFAppExtNSLoop::Create(g).SetLoops(3);
  source.Add(Palette8(1, 1, {{9, 9, 9}}, {0}));

  GIFImage added;
  GIFFrame& last = added.Add(source);
  EXPECT_EQ(&last, &added.Images().Frames(1));
  ASSERT_EQ(added.Images().Count(), 2);
  const GIFFrame& a0 = added.Images().Frames(0);
  EXPECT_EQ(a0.ColorMap().Data(), Grey(4)) << "the global map became the local one";
  EXPECT_EQ(a0.Left(), 3);
  EXPECT_EQ(a0.Data(), g.Data());
  ASSERT_NE(a0.GraphicControlExtension(), nullptr);
  EXPECT_NE(a0.GraphicControlExtension(), g.GraphicControlExtension());
  EXPECT_EQ(a0.GraphicControlExtension()->Delay(), 12);
  EXPECT_EQ(&a0.GraphicControlExtension()->Frame(), &a0);
  EXPECT_EQ(a0.Extensions().Count(), 2);
  EXPECT_EQ(added.Width(), 5);

  GIFImage assigned;
  assigned.Add(Palette8(50, 50, Grey(2), std::vector<std::uint8_t>(2500, 0)));
  assigned.Assign(source);
  EXPECT_EQ(assigned.Images().Count(), 2);
  EXPECT_EQ(assigned.GlobalColorMap().Data(), Grey(4));
  EXPECT_TRUE(assigned.Images().Frames(0).ColorMap().Empty());
  EXPECT_EQ(assigned.Width(), source.Width());
  EXPECT_EQ(assigned.SaveToBytes(), source.SaveToBytes());
  ExpectGiflibReadsBytes(source.SaveToBytes(), source);
  ExpectGiflibReadsBytes(added.SaveToBytes(), added);

  assigned.Assign(Palette8(7, 3, Grey(3), std::vector<std::uint8_t>(21, 2)));
  EXPECT_EQ(assigned.Images().Count(), 1);
  EXPECT_TRUE(assigned.GlobalColorMap().Empty());
  EXPECT_EQ(assigned.Width(), 7);
  EXPECT_EQ(assigned.Height(), 3);
}

// Frames prepared on worker threads and added afterwards give the same file as adding
// the bitmaps one after the other.
TEST(GIFImage, FramesPreparedOnThreadsMatchSequentialAdd) {
  std::vector<Bitmap> bitmaps;
  for (unsigned i = 0; i < 6; ++i) bitmaps.push_back(Photo(64 + 8 * static_cast<int>(i), 48, i));
  GIFImage sequential;
  for (const Bitmap& b : bitmaps) sequential.Add(b);

  std::vector<PreparedFrame> prepared(bitmaps.size());
  std::vector<std::thread> workers;
  const ReductionSettings settings = GIFImage().Reduction();
  for (std::size_t i = 0; i < bitmaps.size(); ++i)
    workers.emplace_back([&, i] { prepared[i] = PrepareFrame(bitmaps[i], settings); });
  for (auto& t : workers) t.join();
  GIFImage parallel;
  for (const PreparedFrame& p : prepared) parallel.Add(p);
  const auto bytes = sequential.SaveToBytes();
  EXPECT_EQ(parallel.SaveToBytes(), bytes);
  ExpectGiflibReadsBytes(bytes, sequential);
}

TEST(GIFImage, TrueColourFramesAsGiflibReadsThem) {
  TempDir dir;
  GIFImage image;
  for (int bpp : {24, 32, 16, 15}) {
    Bitmap src = Photo(50, 40, static_cast<unsigned>(bpp));
    Bitmap b(50, 40, bpp);
    b.data() = src.data();
    GIFFrame& f = image.Add(b);
    EXPECT_LE(f.ColorMap().Count(), 256);
    GIFGraphicControlExtension::Create(f).SetDelay(bpp);
  }
  image.SaveToFile(dir.File("tc.gif"));
  ExpectGiflibReadsModel(dir.File("tc.gif"), image);
}
