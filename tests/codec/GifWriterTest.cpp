#include "GifCheck.h"

#include "codec/GIFImage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <random>

using namespace framora;
using framora::test::ExpectGiflibReadsBytes;
using framora::test::ExpectGiflibReadsModel;
using framora::test::TempDir;

namespace {

std::vector<Rgb> Colors(int n, int seed = 1) {
  std::mt19937 rng(static_cast<unsigned>(seed));
  std::vector<Rgb> v;
  for (int i = 0; i < n; ++i) v.push_back(Rgb{std::uint8_t(rng()), std::uint8_t(rng()), std::uint8_t(rng())});
  return v;
}

// An 8-bit bitmap with the given palette and pixels drawn from 0..colors-1.
Bitmap PaletteBitmap(int w, int h, int colors, int seed = 1, bool noisy = true) {
  Bitmap b(w, h, 8);
  b.palette() = Colors(colors, seed);
  std::mt19937 rng(static_cast<unsigned>(seed) + 99);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.row(y)[x] = static_cast<std::uint8_t>(noisy ? rng() % colors : ((x / 7 + y / 5) % colors));
  return b;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Walks the file's blocks: returns the offsets of the image descriptors and checks that
// every image's data sub-blocks are full except the last.
struct Layout {
  std::vector<std::size_t> descriptors;
  std::vector<int> codeSizes;
  bool subBlocksFull = true;
};

Layout Walk(const std::vector<std::uint8_t>& f) {
  Layout l;
  std::size_t p = 13;
  if (f[10] & 0x80) p += 3 * (std::size_t{2} << (f[10] & 7));
  while (p < f.size() && f[p] != 0x3B) {
    if (f[p] == 0x21) {
      p += 2;
      while (f[p] != 0) p += f[p] + 1;
      ++p;
    } else if (f[p] == 0x2C) {
      l.descriptors.push_back(p);
      const std::uint8_t packed = f[p + 9];
      p += 10;
      if (packed & 0x80) p += 3 * (std::size_t{2} << (packed & 7));
      l.codeSizes.push_back(f[p++]);
      while (f[p] != 0) {
        const int n = f[p];
        p += n + 1;
        if (n != 255 && f[p] != 0) l.subBlocksFull = false;
      }
      ++p;
    } else {
      ADD_FAILURE() << "unexpected byte " << int(f[p]) << " at " << p;
      break;
    }
  }
  return l;
}

} // namespace

// Local tables of every size class: table padded to a power of two, size field, code size.
TEST(GifWriter, LocalTablesCodeSizesAndPixelsAsGiflibReadsThem) {
  struct Case { int colors, sizeField, codeSize; };
  const Case cases[] = {{1, 0, 2}, {2, 0, 2}, {3, 1, 2}, {4, 1, 2}, {5, 2, 3}, {16, 3, 4},
                        {17, 4, 5}, {128, 6, 7}, {129, 7, 8}, {200, 7, 8}, {256, 7, 8}};
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.colors) + " colours");
    GIFImage image;
    image.Add(PaletteBitmap(37, 23, c.colors, c.colors));
    const std::string path = dir.File("t.gif");
    image.SaveToFile(path);
    const auto bytes = ReadFile(path);
    ASSERT_GT(bytes.size(), 30u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF87a");
    EXPECT_EQ(bytes[10], 0x77) << "no global table";
    const Layout l = Walk(bytes);
    ASSERT_EQ(l.descriptors.size(), 1u);
    EXPECT_EQ(bytes[l.descriptors[0] + 9], 0x80 + c.sizeField);
    EXPECT_EQ(l.codeSizes[0], c.codeSize);
    // The padding entries are black.
    const std::size_t table = l.descriptors[0] + 10;
    for (int i = c.colors; i < (2 << c.sizeField); ++i)
      EXPECT_EQ(bytes[table + 3 * i] | bytes[table + 3 * i + 1] | bytes[table + 3 * i + 2], 0);
    ExpectGiflibReadsModel(path, image);
  }
}

// The 4095-code dictionary reset, long strings, sub-block cutting, at every code size.
TEST(GifWriter, LzwStreamsOfAllShapesDecodeExactly) {
  struct Case { const char* name; int w, h, colors; bool noisy; };
  const Case cases[] = {
      {"noisy_256_large", 700, 500, 256, true},   // resets the dictionary many times
      {"noisy_2", 300, 200, 2, true},
      {"noisy_16", 333, 111, 16, true},
      {"stripes_256", 640, 480, 256, false},      // long runs, long strings
      {"single_pixel", 1, 1, 2, true},
      {"one_row", 1000, 1, 4, true},
      {"one_colour_big", 512, 512, 1, false},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GIFImage image;
    image.Add(PaletteBitmap(c.w, c.h, c.colors, 3, c.noisy));
    const std::string path = dir.File("t.gif");
    image.SaveToFile(path);
    EXPECT_TRUE(Walk(ReadFile(path)).subBlocksFull);
    ExpectGiflibReadsModel(path, image);
  }
}

// An animation as the build makes it: loop block, then per frame a graphic control block.
TEST(GifWriter, AnimationBlocksAsGiflibReadsThem) {
  TempDir dir;
  GIFImage image;
  image.SetWidth(40);
  image.SetHeight(30);
  struct FrameCase { int delay, disposal; bool transparent; int tindex; bool userInput; };
  const FrameCase frames[] = {{10, 0, false, 0, false}, {0, 1, true, 3, false}, {65535, 2, true, 0, true},
                              {7, 3, false, 5, false}, {100, 7, true, 15, false}};
  int seed = 10;
  for (const FrameCase& fc : frames) {
    GIFFrame& f = image.Add(PaletteBitmap(20 + seed, 10 + seed, 16, seed));
    ++seed;
    if (image.Images().Count() == 1) GIFAppExtNSLoop::Create(f);
    GIFGraphicControlExtension& g = GIFGraphicControlExtension::Create(f);
    g.SetDelay(fc.delay);
    g.SetDisposal(fc.disposal);
    g.SetUserInput(fc.userInput);
    if (fc.transparent) {
      g.SetTransparentColorIndex(fc.tindex);
      g.SetTransparent(true);
    }
  }
  const std::string path = dir.File("anim.gif");
  image.SaveToFile(path);
  const auto bytes = ReadFile(path);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
  EXPECT_EQ(image.Width(), 40);
  EXPECT_EQ(image.Height(), 30);
  // The loop block stands right after the screen descriptor, before the first graphic control block.
  const std::vector<std::uint8_t> loop{0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                                       0x03, 0x01, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04};
  EXPECT_TRUE(std::equal(loop.begin(), loop.end(), bytes.begin() + 13));
  ExpectGiflibReadsModel(path, image);
}

TEST(GifWriter, LoopBufferSizeAndCountWrittenWhenSet) {
  GIFImage image;
  GIFFrame& f = image.Add(PaletteBitmap(2, 2, 2));
  GIFAppExtNSLoop& l = GIFAppExtNSLoop::Create(f);
  l.SetLoops(0x1234);
  l.SetBufferSize(0x01020304);
  const auto bytes = image.SaveToBytes();
  const std::vector<std::uint8_t> expect{0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                                         0x03, 0x01, 0x34, 0x12, 0x05, 0x02, 0x04, 0x03, 0x02, 0x01, 0x00};
  EXPECT_TRUE(std::equal(expect.begin(), expect.end(), bytes.begin() + 13));
  ExpectGiflibReadsBytes(bytes, image);
}

TEST(GifWriter, GlobalTableOnlyFramesUseItAndItsFlags) {
  TempDir dir;
  GIFImage image;
  image.GlobalColorMap().Assign(Colors(5));
  image.GlobalColorMap().SetOptimized(true);
  GIFFrame& f = GIFFrame::Create(image);
  f.SetPixelData(3, 2, {0, 1, 2, 3, 4, 0});
  f.SetLeft(4);
  f.SetTop(1);
  image.GrowScreenFor(f);
  GIFGraphicControlExtension::Create(f).SetDelay(5);
  const std::string path = dir.File("g.gif");
  image.SaveToFile(path);
  const auto bytes = ReadFile(path);
  EXPECT_EQ(bytes[10], 0x80 + 0x08 + 0x20 + 0x02);
  const Layout l = Walk(bytes);
  EXPECT_EQ(bytes[l.descriptors[0] + 9], 0x00) << "no local table";
  EXPECT_EQ(l.codeSizes[0], 3);
  EXPECT_EQ(image.Width(), 7);
  EXPECT_EQ(image.Height(), 3);
  ExpectGiflibReadsModel(path, image);
}

// Frames read from an interlaced file keep their interlace bit; their rows must then be
// written in interlaced order, or every reader would show them scrambled.
TEST(GifWriter, InterlacedFrameIsWrittenInInterlacedRowOrder) {
  TempDir dir;
  for (int h : {1, 2, 3, 5, 8, 9, 17, 31}) {
    SCOPED_TRACE(h);
    GIFImage image;
    GIFFrame& f = image.Add(PaletteBitmap(13, h, 16, h, false));
    f.SetInterlaced(true);
    const std::string path = dir.File("i.gif");
    image.SaveToFile(path);
    ExpectGiflibReadsModel(path, image);
  }
}

TEST(GifWriter, ReadBlocksAreWrittenBackAsRead) {
  GIFImage image;
  GIFFrame& f = image.Add(PaletteBitmap(2, 2, 2));
  GIFCommentExtension::Create(f, {{'h', 'i'}, std::vector<std::uint8_t>(300, 'x')});
  GIFUnknownAppExtension::Create(f, "XMP Data", "XMP", {{1, 2, 3}});
  GIFTextExtension::Create(f, {std::vector<std::uint8_t>(12, 1), {'a'}});
  const auto bytes = image.SaveToBytes();
  std::vector<std::uint8_t> expect{0x21, 0xFE, 2, 'h', 'i', 255};
  expect.insert(expect.end(), 255, 'x');
  expect.push_back(45);
  expect.insert(expect.end(), 45, 'x');
  expect.insert(expect.end(), {0, 0x21, 0xFF, 11, 'X', 'M', 'P', ' ', 'D', 'a', 't', 'a', 'X', 'M', 'P', 3, 1, 2, 3, 0,
                               0x21, 0x01, 12});
  expect.insert(expect.end(), 12, 1);
  expect.insert(expect.end(), {1, 'a', 0, 0x2C});
  ASSERT_GE(bytes.size(), 13 + expect.size());
  EXPECT_TRUE(std::equal(expect.begin(), expect.end(), bytes.begin() + 13));
  ExpectGiflibReadsBytes(bytes, image);
}

TEST(GifWriter, EmptyImageFailsAndLeavesNoFile) {
  TempDir dir;
  GIFImage image;
  const std::string path = dir.File("empty.gif");
  try {
    image.SaveToFile(path);
    FAIL() << "no error";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "Leeres GIF kann nicht gespeichert werden");
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

// A failed save leaves the previous file as it was and no temporary file beside it.
TEST(GifWriter, FailedSaveKeepsTheOldFile) {
  TempDir dir;
  const std::string path = dir.File("keep.gif");
  GIFImage good;
  good.Add(PaletteBitmap(5, 5, 4));
  good.SaveToFile(path);
  const auto before = ReadFile(path);

  struct Case { const char* name; std::function<void(GIFImage&)> make; const char* message; };
  const Case cases[] = {
      {"empty", [](GIFImage&) {}, "Leeres GIF kann nicht gespeichert werden"},
      {"index_beyond_table",
       [](GIFImage& im) {
         Bitmap b(4, 4, 4);
         b.palette() = Colors(3); // indices up to 15 are kept as they are
         b.row(2)[1] = 9;
         im.Add(b);
       },
       "Farbe nicht in der Farbtabelle"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GIFImage bad;
    c.make(bad);
    try {
      bad.SaveToFile(path);
      ADD_FAILURE() << "no error";
    } catch (const GIFException& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
  }
}

TEST(GifWriter, SameImageWritesIdenticalBytesTwice) {
  GIFImage image;
  GIFFrame& f = image.Add(PaletteBitmap(30, 20, 100));
  GIFGraphicControlExtension::Create(f).SetDelay(3);
  const auto bytes = image.SaveToBytes();
  EXPECT_EQ(image.SaveToBytes(), bytes);
  std::ostringstream stream;
  image.SaveToStream(stream);
  EXPECT_EQ(stream.str(), std::string(bytes.begin(), bytes.end()));
  ExpectGiflibReadsBytes(bytes, image);
}
