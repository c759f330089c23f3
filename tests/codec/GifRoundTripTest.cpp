// What the writer writes, each reader reads back identically.
#include "codec/GIFImage.h"
#include "codec/GifModelReader.h"
#include "codec/GifPicture.h"
#include "codec/PreviewGIFImage.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <vector>

using namespace framora;

namespace {

struct FrameSpec {
  int width, height, colours, delay, disposal, transparent;  // transparent index or -1
  bool noise;
};

Bitmap paletteBitmap(const FrameSpec& s, std::mt19937& rng) {
  Bitmap b(s.width, s.height, 8);
  for (int i = 0; i < s.colours; ++i)
    b.palette().push_back(Rgb{std::uint8_t(rng()), std::uint8_t(rng()), std::uint8_t(i)});  // distinct by blue
  for (std::size_t i = 0; i < b.data().size(); ++i)
    b.data()[i] = static_cast<std::uint8_t>(s.noise ? rng() % s.colours : (i / 7) % s.colours);
  return b;
}

} // namespace

class GifRoundTrip : public ::testing::TestWithParam<bool> {};  // with colour-map optimisation or not

TEST_P(GifRoundTrip, EveryReaderReadsBackWhatWasWritten) {
  const FrameSpec specs[] = {
      {64, 48, 256, 10, 1, -1, true},
      {17, 5, 2, 0, 2, 1, false},
      {1, 1, 1, 500, 3, -1, false},
      {300, 7, 200, 7, 0, 5, true},
      {64, 48, 16, 65535, 1, 15, false},
  };
  std::mt19937 rng(42);
  GIFImage image;
  std::vector<Bitmap> sources;
  for (std::size_t i = 0; i < std::size(specs); ++i) {
    const auto& s = specs[i];
    sources.push_back(paletteBitmap(s, rng));
    GIFFrame& f = image.Add(sources.back());
    if (i == 0) GIFAppExtNSLoop::Create(f).SetLoops(7);
    auto& gce = GIFGraphicControlExtension::Create(f);
    gce.SetDelay(s.delay);
    gce.SetDisposal(s.disposal);
    if (s.transparent >= 0) {
      gce.SetTransparentColorIndex(s.transparent);
      gce.SetTransparent(true);
    }
  }
  if (GetParam()) image.OptimizeColorMap();
  const std::vector<std::uint8_t> bytes = image.SaveToBytes();

  // The model reader.
  GIFImage back;
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  back.LoadFromStream(in);
  ASSERT_EQ(back.Images().Count(), image.Images().Count());
  EXPECT_EQ(back.Width(), image.Width());
  EXPECT_EQ(back.Height(), image.Height());
  for (int i = 0; i < image.Images().Count(); ++i) {
    SCOPED_TRACE(i);
    const GIFFrame& a = image.Images().Frames(i);
    const GIFFrame& b = back.Images().Frames(i);
    EXPECT_EQ(b.Data(), a.Data());
    EXPECT_EQ(b.Left(), a.Left());
    EXPECT_EQ(b.Width(), a.Width());
    // Tables are written padded to a power of two; the colours in use come back in place.
    const auto& am = a.ActiveColorMap().Data();
    const auto& bm = b.ActiveColorMap().Data();
    ASSERT_GE(bm.size(), am.size());
    EXPECT_TRUE(std::equal(am.begin(), am.end(), bm.begin()));
    ASSERT_NE(b.GraphicControlExtension(), nullptr);
    EXPECT_EQ(b.GraphicControlExtension()->Delay(), a.GraphicControlExtension()->Delay());
    EXPECT_EQ(b.GraphicControlExtension()->Disposal(), a.GraphicControlExtension()->Disposal());
    EXPECT_EQ(b.GraphicControlExtension()->Transparent(), a.GraphicControlExtension()->Transparent());
    if (a.GraphicControlExtension()->Transparent())
      EXPECT_EQ(b.GraphicControlExtension()->TransparentColorIndex(), a.GraphicControlExtension()->TransparentColorIndex());
    EXPECT_EQ(FrameToBitmap(b).data(), a.Data());
  }
  const auto* loop = dynamic_cast<const GIFAppExtNSLoop*>(&back.Images().Frames(0).Extensions()[0]);
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->Loops(), 7);

  // The preview reader.
  PreviewGIFImage preview;
  preview.LoadFromMemory(bytes.data(), bytes.size());
  ASSERT_EQ(preview.Count(), image.Images().Count());
  EXPECT_FALSE(preview.Corrupted());
  EXPECT_TRUE(preview.Looping());
  EXPECT_EQ(preview.RepeatCount(), 7);
  for (int i = 0; i < preview.Count(); ++i) {
    SCOPED_TRACE(i);
    const GIFFrame& a = image.Images().Frames(i);
    const PreviewGIFFrame& p = preview.Frames(i);
    EXPECT_EQ(p.Bitmap().data(), a.Data());
    EXPECT_EQ(p.AnimateInterval(), 10 * a.GraphicControlExtension()->Delay());
    EXPECT_EQ(static_cast<int>(p.DisposalMethod()), a.GraphicControlExtension()->Disposal());
    EXPECT_EQ(p.TransparentIndex().has_value(), a.GraphicControlExtension()->Transparent());
  }

  // The GIF picture: its first image, on the whole screen (a later frame made it wider).
  GifPicture picture;
  picture.LoadFromMemory(bytes.data(), bytes.size());
  EXPECT_TRUE(picture.Warnings().empty());
  const Bitmap first = picture.ToBitmap();
  ASSERT_EQ(first.width(), image.Width());
  ASSERT_EQ(first.height(), image.Height());
  const Bitmap src = FrameToBitmap(image.Images().Frames(0));  // after any colour-map merge
  for (int y = 0; y < src.height(); ++y)
    for (int x = 0; x < src.width(); ++x) ASSERT_EQ(first.pixel(x, y), src.pixel(x, y)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Writer, GifRoundTrip, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Optimized" : "LocalMaps"; });
