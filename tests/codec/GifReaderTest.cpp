// The model reader, the preview reader and the GIF picture on hand-made files: messages,
// severities, what each keeps, and bounded work on hostile headers and truncated data.
#include "GifBytes.h"
#include "codec/GIFImage.h"
#include "codec/GifModelReader.h"
#include "codec/GifPicture.h"
#include "codec/PreviewGIFImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace framora;
using framora::test::GifBytes;

namespace {

std::vector<std::uint8_t> ramp(int n, int mod = 4) {
  std::vector<std::uint8_t> p(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) p[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i % mod);
  return p;
}

// A small animation: loop block, three frames (one offset, one interlaced with a local table),
// a comment after the last image.
std::vector<std::uint8_t> animation() {
  GifBytes g;
  g.header(8, 6, 2).loop(3)
      .gce(10, 1).image(0, 0, 8, 6, ramp(48))
      .gce(20, 2, 3).image(2, 1, 4, 3, ramp(12))
      .gce(30, 3).image(0, 0, 8, 6, ramp(48, 3), 2, true, 2)
      .comment("bye").trailer();
  return g.bytes;
}

struct ModelResult {
  std::optional<std::string> error;
  std::vector<std::string> warnings;
  int frames = 0;
};

ModelResult readModel(const std::vector<std::uint8_t>& bytes, GIFImage& image) {
  ModelResult r;
  image.OnWarning = [&](Severity s, const std::string& m) { if (s != gsError) r.warnings.push_back(m); };
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  try { image.LoadFromStream(in); } catch (const CodecError& e) { r.error = e.what(); }
  r.frames = image.Images().Count();
  return r;
}

bool contains(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

} // namespace

TEST(GifModelReader, ReadsFramesExtensionsAndPixels) {
  GIFImage image;
  const auto r = readModel(animation(), image);
  ASSERT_FALSE(r.error) << *r.error;
  EXPECT_TRUE(r.warnings.empty());
  ASSERT_EQ(image.Images().Count(), 4);  // three images and the comment after them
  EXPECT_EQ(image.Width(), 8);
  EXPECT_EQ(image.Height(), 6);
  EXPECT_EQ(image.GlobalColorMap().Count(), 4);
  EXPECT_FALSE(image.GlobalColorMap().Optimized());

  const GIFFrame& f0 = image.Images().Frames(0);
  ASSERT_EQ(f0.Extensions().Count(), 2);
  const auto* loop = dynamic_cast<const GIFAppExtNSLoop*>(&f0.Extensions()[0]);
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->Loops(), 3);
  EXPECT_EQ(f0.GraphicControlExtension()->Delay(), 10);
  EXPECT_EQ(f0.Data(), ramp(48));

  const GIFFrame& f1 = image.Images().Frames(1);
  EXPECT_EQ(f1.Left(), 2);
  EXPECT_EQ(f1.Top(), 1);
  EXPECT_EQ(f1.GraphicControlExtension()->Disposal(), 2);
  EXPECT_TRUE(f1.GraphicControlExtension()->Transparent());
  EXPECT_EQ(f1.Data(), ramp(12));

  const GIFFrame& f2 = image.Images().Frames(2);
  EXPECT_TRUE(f2.Interlaced());
  EXPECT_EQ(f2.ColorMap().Count(), 4);
  EXPECT_EQ(f2.Data(), ramp(48, 3)) << "interlaced rows come back in plain order";

  const GIFFrame& last = image.Images().Frames(3);
  EXPECT_TRUE(last.Empty());
  ASSERT_EQ(last.Extensions().Count(), 1);
  EXPECT_EQ(dynamic_cast<const GIFCommentExtension&>(last.Extensions()[0]).Text(), "bye");
}

TEST(GifModelReader, MessagesAndSeverities) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* error;           // nullptr: no error
    const char* warning;         // nullptr: none expected
    int frames;                  // frames in the model afterwards
  };
  const auto px = ramp(4);
  const Case cases[] = {
      {"bad signature", GifBytes().text("JFIF89a_______").bytes, "Ungültige GIF-Signatur", nullptr, 0},
      {"four-byte prefix", GifBytes().text("abcd").header(2, 2).image(0, 0, 2, 2, px).trailer().bytes, nullptr, nullptr, 1},
      {"lower-case signature", GifBytes().header(2, 2, 1, 0, "gif89a").image(0, 0, 2, 2, px).trailer().bytes, nullptr, nullptr, 1},
      {"short screen descriptor", GifBytes().text("GIF89a").raw({2, 0, 2}).bytes, "Vorzeitiges Datenende", nullptr, 0},
      {"short colour table", GifBytes().text("GIF89a").u16(2).u16(2).raw({0x81, 0, 0, 1, 2, 3}).bytes,
       "Vorzeitiges Datenende", nullptr, 0},
      {"unknown extension", GifBytes().header(2, 2).image(0, 0, 2, 2, px).raw({0x21, 0x2A, 0}).trailer().bytes,
       "Unbekannter Erweiterungstyp", nullptr, 1},
      {"bad separator", GifBytes().header(2, 2).gce(5).raw({0x99}).bytes, "Ungültige GIF-Daten", nullptr, 1},
      {"short application id", GifBytes().header(2, 2).raw({0x21, 0xFF, 5}).text("ABCDE").raw({0}).bytes,
       "Nicht unterstützte Blockgröße für Anwendungserweiterung", nullptr, 0},
      {"short loop sub-block", GifBytes().header(2, 2).raw({0x21, 0xFF, 11}).text("NETSCAPE2.0").raw({2, 1, 0, 0}).bytes,
       "Ungültige GIF-Daten", nullptr, 0},
      {"short descriptor", GifBytes().header(2, 2).raw({0x2C, 0, 0, 0}).bytes, "Vorzeitiges Datenende", nullptr, 0},
      {"unknown block type", GifBytes().header(2, 2).image(0, 0, 2, 2, px).raw({0x99}).image(0, 0, 2, 2, px).bytes,
       nullptr, "Unbekannter GIF-Blocktyp", 1},
      {"no trailer", GifBytes().header(2, 2).image(0, 0, 2, 2, px).bytes, nullptr, "Ungültiger Bild-Trailer", 1},
      {"junk trailer", GifBytes().header(2, 2).image(0, 0, 2, 2, px).raw({0x47}).bytes, nullptr,
       "Unbekannter GIF-Blocktyp", 1},
      {"short graphic control", GifBytes().header(2, 2).raw({0x21, 0xF9, 2, 0, 5, 0}).image(0, 0, 2, 2, px).trailer().bytes,
       nullptr, "Vorzeitiges Datenende", 1},
      {"beyond 65535", GifBytes().header(2, 2).image(65535, 0, 2, 2, px).trailer().bytes, nullptr, "Ungültige Bildgröße", 1},
      {"zero width", GifBytes().header(2, 2).image(0, 0, 0, 2, px).trailer().bytes, nullptr,
       "Bild überschreitet logische Bildschirmgröße", 1},
      {"code size 13", GifBytes().header(2, 2).gce(1).raw({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 13, 1, 0xFF, 0}).trailer().bytes,
       nullptr, "Ungültige GIF-Daten", 1},
      {"missing image data", GifBytes().header(2, 2).raw({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0}).bytes, nullptr,
       "Vorzeitiges Datenende", 1},
      {"undecodable code", GifBytes().header(2, 2).raw({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2, 1, 0x3C, 0}).trailer().bytes,
       nullptr, "Ungültige GIF-Daten", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GIFImage image;
    const auto r = readModel(c.bytes, image);
    if (c.error) {
      ASSERT_TRUE(r.error);
      EXPECT_EQ(*r.error, c.error);
    } else {
      EXPECT_FALSE(r.error) << *r.error;
    }
    if (c.warning) EXPECT_TRUE(contains(r.warnings, c.warning)) << "missing warning " << c.warning;
    else EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
    EXPECT_EQ(r.frames, c.frames);
  }
}

TEST(GifModelReader, CorrectionsOfPositionAndSize) {
  GIFImage image;
  readModel(GifBytes().header(2, 2).image(65535, 0, 2, 2, ramp(4)).trailer().bytes, image);
  EXPECT_EQ(image.Images().Frames(0).Left(), 65533) << "moved back to end at the edge";
  GIFImage zero;
  readModel(GifBytes().header(3, 2).image(0, 0, 0, 2, ramp(6)).trailer().bytes, zero);
  EXPECT_EQ(zero.Images().Frames(0).Width(), 3) << "a zero width takes the screen's";
  GIFImage grow;
  readModel(GifBytes().header(2, 2).image(1, 1, 4, 3, ramp(12)).trailer().bytes, grow);
  EXPECT_EQ(grow.Width(), 5);
  EXPECT_EQ(grow.Height(), 4);
}

TEST(GifModelReader, ShortDataKeepsTheTransparentIndex) {
  // The LZW data (clear, 0, then nothing) covers one pixel of four; the rest keep the transparent index.
  GifBytes g;
  g.header(2, 2).gce(0, 0, 3).raw({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2}).subBlocks({0x04}).trailer();
  GIFImage image;
  const auto r = readModel(g.bytes, image);
  ASSERT_EQ(image.Images().Count(), 1);
  EXPECT_EQ(image.Images().Frames(0).Data(), (std::vector<std::uint8_t>{0, 3, 3, 3}));
  EXPECT_TRUE(contains(r.warnings, "Vorzeitiges Datenende"));
}

TEST(GifModelReader, StreamPositionAfterSuccessAndError) {
  const std::string lead = "xyz";
  {
    auto bytes = GifBytes().header(2, 2).image(0, 0, 2, 2, ramp(4)).trailer().bytes;
    const auto gifSize = static_cast<std::streamoff>(bytes.size());
    std::istringstream in(lead + std::string(bytes.begin(), bytes.end()) + "tail");
    in.seekg(3);
    GIFImage image;
    image.LoadFromStream(in);
    EXPECT_EQ(in.tellg(), 3 + gifSize) << "just after the trailer";
  }
  {
    auto bytes = GifBytes().header(2, 2).image(0, 0, 2, 2, ramp(4)).raw({0x21, 0x2A, 0}).bytes;
    std::istringstream in(lead + std::string(bytes.begin(), bytes.end()));
    in.seekg(3);
    GIFImage image;
    EXPECT_THROW(image.LoadFromStream(in), CodecError);
    EXPECT_EQ(in.tellg(), 3) << "back where reading started";
    EXPECT_EQ(image.Images().Count(), 1) << "what was read before the error stays";
  }
}

TEST(GifModelReader, LoadClearsThePreviousContent) {
  GIFImage image;
  readModel(animation(), image);
  readModel(GifBytes().header(2, 2).image(0, 0, 2, 2, ramp(4)).trailer().bytes, image);
  EXPECT_EQ(image.Images().Count(), 1);
  EXPECT_EQ(image.Width(), 2);
}

TEST(GifModelReader, FrameRasterImage) {
  GIFImage image;
  readModel(animation(), image);
  const Bitmap b = FrameToBitmap(image.Images().Frames(1));
  EXPECT_EQ(b.width(), 4);
  EXPECT_EQ(b.height(), 3);
  EXPECT_EQ(b.bitsPerPixel(), 8);
  EXPECT_EQ(b.palette(), image.GlobalColorMap().Data());
  EXPECT_EQ(b.data(), ramp(12));
  EXPECT_FALSE(b.transparent);
  EXPECT_EQ(FrameToBitmap(image.Images().Frames(2)).palette(), image.Images().Frames(2).ColorMap().Data());
  EXPECT_TRUE(FrameToBitmap(image.Images().Frames(3)).empty()) << "the extension-only frame";

  GIFImage bare;
  readModel(GifBytes().header(2, 2, 0).image(0, 0, 2, 2, ramp(4)).trailer().bytes, bare);
  try {
    (void)FrameToBitmap(bare.Images().Frames(0));
    ADD_FAILURE();
  } catch (const CodecError& e) {
    EXPECT_STREQ(e.what(), "Keine globale oder lokale Farbtabelle definiert");
  }
}

// ---------------------------------------------------------------- preview reader

TEST(PreviewGIFImage, PropertiesAfterLoading) {
  PreviewGIFImage img;
  int changes = 0;
  img.OnChange = [&] { ++changes; };
  const auto bytes = animation();
  img.LoadFromMemory(bytes.data(), bytes.size());
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(img.Count(), 3);
  EXPECT_EQ(img.FrameIndex(), 0);
  EXPECT_EQ(img.Version(), PreviewGIFImage::gv89a);
  EXPECT_TRUE(img.Looping());
  EXPECT_EQ(img.RepeatCount(), 3);
  EXPECT_TRUE(img.Transparent());
  EXPECT_FALSE(img.Corrupted());
  EXPECT_FALSE(img.Truncated());
  EXPECT_EQ(img.Comments(), std::vector<std::string>{"bye"});
  EXPECT_EQ(img.Frames(0).AnimateInterval(), 100);
  EXPECT_EQ(img.Frames(1).DisposalMethod(), PreviewGIFFrame::dmRestoreBackground);
  EXPECT_EQ(img.Frames(1).Origin(), (Point{2, 1}));
  EXPECT_EQ(img.Frames(2).DisposalMethod(), PreviewGIFFrame::dmRestorePrevious);
  EXPECT_TRUE(img.Frames(0).Decoded());
  EXPECT_FALSE(img.Frames(2).Decoded()) << "decoded on first need";
  EXPECT_EQ(img.Frames(2).Bitmap().data(), ramp(48, 3));
  EXPECT_TRUE(img.Frames(2).Decoded());
  EXPECT_TRUE(img.Frames(2).Interlaced());
}

TEST(PreviewGIFImage, FirstFrameSizeAndScreenSize) {
  PreviewGIFImage img;
  const auto bytes = GifBytes().header(200, 200).image(0, 0, 100, 50, ramp(5000)).trailer().bytes;
  img.LoadFromMemory(bytes.data(), bytes.size());
  EXPECT_EQ(img.Width(), 100);
  EXPECT_EQ(img.Height(), 50);
  EXPECT_EQ(img.ScreenWidth(), 200);
  EXPECT_EQ(img.ScreenHeight(), 200);
}

TEST(PreviewGIFImage, Errors) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* error;
    int framesLeft;
  };
  const Case cases[] = {
      {"four-byte prefix", GifBytes().text("abcd").header(2, 2).image(0, 0, 2, 2, ramp(4)).trailer().bytes,
       "Unknown GIF version", 0},
      {"unknown version", GifBytes().header(2, 2, 1, 0, "GIF90a").bytes, "Unknown GIF version", 0},
      {"lower-case signature", GifBytes().header(2, 2, 1, 0, "gif89a").bytes, "Unknown GIF version", 0},
      {"unknown extension", GifBytes().header(2, 2).image(0, 0, 2, 2, ramp(4)).raw({0x21, 0x2A, 0}).bytes,
       "Unrecognized extension block: 2a", 1},
      {"cut header", GifBytes().text("GIF8").bytes, "Stream read error", 0},
      {"cut descriptor", GifBytes().header(2, 2).raw({0x2C, 0, 0}).bytes, "Stream read error", 0},
      {"cut comment", GifBytes().header(2, 2).raw({0x21, 0xFE, 9, 'a'}).bytes, "Stream read error", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PreviewGIFImage img;
    int changes = 0;
    img.OnChange = [&] { ++changes; };
    try {
      img.LoadFromMemory(c.bytes.data(), c.bytes.size());
      ADD_FAILURE() << "no error";
    } catch (const CodecError& e) {
      EXPECT_STREQ(e.what(), c.error);
    }
    EXPECT_EQ(img.Count(), c.framesLeft);
    EXPECT_EQ(changes, 0) << "a failed load is not announced";
  }
}

TEST(PreviewGIFImage, DamagedDataMarksCorrupted) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {
      {"code size 11", GifBytes().header(2, 2).raw({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 11}).subBlocks({0, 0, 1}).trailer().bytes},
      {"undecodable", GifBytes().header(2, 2).raw({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2, 1, 0x3C, 0}).trailer().bytes},
      {"cut data", GifBytes().header(2, 2).raw({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2, 5, 0x84}).bytes},
      {"too few pixels", GifBytes().header(2, 2).raw({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2}).subBlocks({0x04}).trailer().bytes},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PreviewGIFImage img;
    ASSERT_NO_THROW(img.LoadFromMemory(c.bytes.data(), c.bytes.size()));
    ASSERT_EQ(img.Count(), 1);
    EXPECT_TRUE(img.Frames(0).Corrupted());
    EXPECT_TRUE(img.Corrupted());
  }
}

TEST(PreviewGIFImage, TransparentColourIsMadeUnique) {
  // Entries 0 and 2 share a colour; index 2 is transparent, so its first byte steps up.
  GifBytes g;
  g.text("GIF89a").u16(2).u16(1).raw({0x81, 0, 0});
  g.raw({10, 20, 30, 11, 20, 30, 10, 20, 30, 255, 0, 0});
  g.gce(0, 0, 2).image(0, 0, 2, 1, {0, 2}).trailer();
  PreviewGIFImage img;
  img.LoadFromMemory(g.bytes.data(), g.bytes.size());
  EXPECT_EQ(img.Frames(0).TransparentColor(), (Rgb{12, 20, 30})) << "11 is taken too";
  EXPECT_EQ(img.Frames(0).Palette()[0], (Rgb{10, 20, 30}));

  GifBytes top;
  top.text("GIF89a").u16(2).u16(1).raw({0x80, 0, 0});
  top.raw({255, 0, 0, 255, 0, 0});
  top.gce(0, 0, 1).image(0, 0, 2, 1, {0, 1}).trailer();
  img.LoadFromMemory(top.bytes.data(), top.bytes.size());
  EXPECT_EQ(img.Frames(0).TransparentColor(), (Rgb{254, 0, 0})) << "downwards from 255";

  GifBytes beyond;
  beyond.header(2, 1, 1).gce(0, 0, 7).image(0, 0, 2, 1, {0, 1}).trailer();
  img.LoadFromMemory(beyond.bytes.data(), beyond.bytes.size());
  EXPECT_FALSE(img.Frames(0).TransparentColor()) << "index beyond the palette";
}

TEST(PreviewGIFImage, TimingLoopAndBackground) {
  GifBytes g;
  g.header(2, 2, 2, 1).loop(65535).gce(5).gce(40, 1).gce(7, 2).image(0, 0, 2, 2, ramp(4))
      .raw({0x21, 0x01, 12, 0, 0, 0, 0, 2, 0, 2, 0, 1, 1, 0, 0, 1, 'x', 0})  // plain text
      .image(0, 0, 2, 2, ramp(4)).trailer();
  PreviewGIFImage img;
  img.LoadFromMemory(g.bytes.data(), g.bytes.size());
  EXPECT_EQ(img.Frames(0).AnimateInterval(), 400) << "the largest delay";
  EXPECT_EQ(img.Frames(0).DisposalMethod(), PreviewGIFFrame::dmRestoreBackground) << "the last block's";
  EXPECT_EQ(img.Frames(1).AnimateInterval(), 0);
  EXPECT_EQ(img.RepeatCount(), 30000);
  ASSERT_TRUE(img.BackgroundColor());
  EXPECT_EQ(*img.BackgroundColor(), (Rgb{37, 11, 6}));

  const auto outside = GifBytes().header(2, 2, 1, 9).image(0, 0, 2, 2, ramp(4)).trailer().bytes;
  img.LoadFromMemory(outside.data(), outside.size());
  EXPECT_FALSE(img.BackgroundColor());
  EXPECT_FALSE(img.Looping());

  int changes = 0;
  img.OnChange = [&] { ++changes; };
  img.Clear();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(img.Count(), 0);
  EXPECT_EQ(img.FrameIndex(), -1);
}

// ---------------------------------------------------------------- GIF picture

TEST(GifPicture, FirstImageAsRaster) {
  GifPicture pic;
  const auto full = animation();
  pic.LoadFromMemory(full.data(), full.size());
  EXPECT_EQ(pic.Width(), 8);
  EXPECT_EQ(pic.Height(), 6);
  Bitmap b = pic.ToBitmap();
  EXPECT_EQ(b.width(), 8);
  EXPECT_EQ(b.data(), ramp(48));
  EXPECT_FALSE(b.transparent);

  const auto part = GifBytes().header(4, 3, 2, 3).image(1, 1, 2, 2, {0, 1, 2, 1}).image(0, 0, 4, 3, ramp(12)).trailer().bytes;
  pic.LoadFromMemory(part.data(), part.size());
  b = pic.ToBitmap();
  ASSERT_EQ(b.width(), 4);
  ASSERT_EQ(b.height(), 3);
  EXPECT_EQ(b.data(), (std::vector<std::uint8_t>{3, 3, 3, 3, 3, 0, 1, 3, 3, 2, 1, 3}))
      << "the image at its offset on the background";
  EXPECT_EQ(b.palette().size(), 4u);
}

TEST(GifPicture, EnglishMessages) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    const char* error;
    const char* warning;
  };
  const Case cases[] = {
      {GifBytes().text("JFIF89a_______").bytes, "Invalid GIF signature", nullptr},
      {GifBytes().header(2, 2).raw({0x2C, 0, 0}).bytes, "Premature end of data", nullptr},
      {GifBytes().header(2, 2).gce(1).raw({0x99}).bytes, "Invalid GIF data", nullptr},
      {GifBytes().header(2, 2).image(0, 0, 2, 2, ramp(4)).raw({0x99}).bytes, nullptr, "Unknown GIF block type"},
      {GifBytes().header(2, 2).image(0, 0, 2, 2, ramp(4)).bytes, nullptr, "Invalid image trailer"},
  };
  for (const auto& c : cases) {
    GifPicture pic;
    if (c.error) {
      try { pic.LoadFromMemory(c.bytes.data(), c.bytes.size()); ADD_FAILURE(); }
      catch (const CodecError& e) { EXPECT_STREQ(e.what(), c.error); }
    } else {
      pic.LoadFromMemory(c.bytes.data(), c.bytes.size());
      EXPECT_TRUE(contains(pic.Warnings(), c.warning));
    }
  }
}

// ---------------------------------------------------------------- every reader

// Cut a valid animation at every byte: each reader reports an error or a warning (or marks
// damaged data), and none crashes or hangs.
TEST(GifReaders, TruncationSweep) {
  const auto full = animation();
  for (std::size_t cut = 0; cut < full.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    const std::vector<std::uint8_t> bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));

    GIFImage model;
    const auto m = readModel(bytes, model);
    EXPECT_TRUE(m.error || !m.warnings.empty());

    PreviewGIFImage preview;
    bool previewError = false;
    try { preview.LoadFromMemory(bytes.data(), bytes.size()); } catch (const CodecError&) { previewError = true; }
    for (int i = 0; i < preview.Count(); ++i) (void)preview.Frames(i).Bitmap();
    EXPECT_TRUE(previewError || preview.Truncated() || preview.Corrupted());

    GifPicture picture;
    bool pictureError = false;
    try { picture.LoadFromMemory(bytes.data(), bytes.size()); } catch (const CodecError&) { pictureError = true; }
    EXPECT_TRUE(pictureError || !picture.Warnings().empty());
  }
}

// Headers that claim huge pictures or thousands of frames end quickly with a clear error or a
// bounded result, never gigabytes of memory.
TEST(GifReaders, HostileHeadersStayBounded) {
  GifBytes huge;  // one 0 x 0 image on a 65535 x 65535 screen: the image takes the screen's size
  huge.header(65535, 65535).raw({0x2C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 0x4C, 0x01, 0}).trailer();
  GifBytes many;  // 5000 empty images on a 4000 x 4000 screen
  many.header(4000, 4000);
  for (int i = 0; i < 5000; ++i) many.raw({0x2C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0});
  many.trailer();

  for (const auto* bytes : {&huge.bytes, &many.bytes}) {
    GIFImage model;
    const auto m = readModel(*bytes, model);
    ASSERT_TRUE(m.error);
    EXPECT_EQ(*m.error, "Bild ist zu groß");

    GifPicture picture;
    EXPECT_THROW({ picture.LoadFromMemory(bytes->data(), bytes->size()); (void)picture.ToBitmap(); }, CodecError);
  }

  PreviewGIFImage preview;
  try { preview.LoadFromMemory(huge.bytes.data(), huge.bytes.size()); ADD_FAILURE(); }
  catch (const CodecError& e) { EXPECT_STREQ(e.what(), "Frame too large to decode"); }
  EXPECT_EQ(preview.Count(), 0) << "the frame that failed is removed";

  preview.LoadFromMemory(many.bytes.data(), many.bytes.size());
  EXPECT_EQ(preview.Count(), 5000);
  EXPECT_TRUE(preview.Frames(0).Decoded());
  EXPECT_FALSE(preview.Frames(4999).Decoded()) << "only the first frame is decoded at load";
  EXPECT_TRUE(preview.Frames(0).Corrupted()) << "no pixels in the data";
}
