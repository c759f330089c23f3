// Playback rules: the preview player's timing, frame advance and composition, and the still
// view's self-animation timing and looping.
#include "GifBytes.h"
#include "codec/GifPicture.h"
#include "codec/Player.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace framora;
using framora::test::GifBytes;

namespace {

// Palette of GifBytes::colorTable(2): entry i = (37 i, 11 i, 5 i + 1).
std::uint32_t colour(int i) { return toArgb(Rgb{std::uint8_t(37 * i), std::uint8_t(11 * i), std::uint8_t(5 * i + 1)}); }

void load(GIFAnimator& player, const std::vector<std::uint8_t>& bytes) {
  player.Image().LoadFromMemory(bytes.data(), bytes.size());
}

std::vector<std::uint32_t> row(const Canvas& c, int y) {
  return {c.pixels.begin() + y * c.width, c.pixels.begin() + (y + 1) * c.width};
}

std::vector<std::uint8_t> twoFrames(int delay0, int delay1) {
  return GifBytes().header(2, 1, 2).gce(delay0).image(0, 0, 2, 1, {1, 1}).gce(delay1).image(0, 0, 2, 1, {2, 2}).trailer().bytes;
}

} // namespace

TEST(GIFAnimator, FrameIntervalRule) {
  const std::pair<int, int> table[] = {{0, 50}, {1, 50}, {4, 50}, {5, 50}, {6, 60}, {100, 1000}, {999, 9990},
                                       {1000, 10000}, {65535, 10000}};
  for (const auto& [hundredths, ms] : table) {
    GIFAnimator player;
    load(player, twoFrames(hundredths, 7));
    EXPECT_EQ(player.Interval(), ms) << hundredths;
  }
  GIFAnimator single;
  load(single, GifBytes().header(2, 1, 2).gce(40).image(0, 0, 2, 1, {1, 1}).trailer().bytes);
  EXPECT_EQ(single.Interval(), 0);
  single.SetAnimate(true);
  EXPECT_FALSE(single.TimerEnabled()) << "one image: the timer never runs";
  EXPECT_FALSE(single.Tick());
  EXPECT_EQ(single.FrameIndex(), 0);
}

TEST(GIFAnimator, TicksAdvanceAndWrap) {
  GIFAnimator player;
  int repaints = 0;
  player.OnRepaint = [&] { ++repaints; };
  load(player, GifBytes().header(2, 1, 2).gce(10).image(0, 0, 2, 1, {1, 1}).gce(20).image(0, 0, 2, 1, {2, 2})
                   .gce(30).image(0, 0, 2, 1, {3, 3}).loop(1).trailer().bytes);
  EXPECT_EQ(player.FrameIndex(), 0);
  EXPECT_FALSE(player.Tick()) << "not animating";
  player.SetAnimate(true);
  EXPECT_EQ(player.NextTickDelay(), 0) << "the first tick is due at once";
  const int expectedFrames[] = {1, 2, 0, 1, 2, 0, 1};
  const int expectedIntervals[] = {200, 300, 100, 200, 300, 100, 200};
  for (int i = 0; i < 7; ++i) {
    EXPECT_TRUE(player.Tick());
    EXPECT_EQ(player.FrameIndex(), expectedFrames[i]) << "repeats forever whatever the loop count";
    EXPECT_EQ(player.Interval(), expectedIntervals[i]);
    EXPECT_EQ(player.NextTickDelay(), expectedIntervals[i]);
  }
  EXPECT_GE(repaints, 7);

  player.Visible = false;
  EXPECT_FALSE(player.Tick());
  EXPECT_EQ(player.FrameIndex(), 1);
  player.Visible = true;

  // A new image resets to its first frame; a running animation keeps running.
  load(player, twoFrames(50, 60));
  EXPECT_EQ(player.FrameIndex(), 0);
  EXPECT_TRUE(player.Animate());
  EXPECT_EQ(player.Interval(), 500);
  player.SetAnimate(false);
  EXPECT_FALSE(player.Tick());
  EXPECT_EQ(player.FrameIndex(), 0) << "stopping keeps the frame shown";

  player.Loop = false;
  player.SetAnimate(true);
  player.Tick();
  player.Tick();
  EXPECT_EQ(player.FrameIndex(), 0);
  EXPECT_FALSE(player.Animate()) << "without Loop reaching frame 0 stops";

  player.Image().Clear();
  EXPECT_EQ(player.FrameIndex(), -1);
  EXPECT_EQ(player.Interval(), 0);
  EXPECT_TRUE(player.Picture().pixels.empty());
}

TEST(GIFAnimator, DisposalAndFillColour) {
  // Screen 4 x 1. Frame 0 covers it; frame 1 (disposal 2) and frame 2 (disposal 3) are small;
  // frame 3 draws one pixel.
  GifBytes g;
  g.header(4, 1, 2, 3)
      .gce(10, 1).image(0, 0, 4, 1, {1, 1, 1, 1})
      .gce(10, 2).image(1, 0, 2, 1, {2, 2})
      .gce(10, 3).image(0, 0, 1, 1, {3})
      .gce(10, 1).image(3, 0, 1, 1, {0})
      .trailer();
  GIFAnimator player;
  player.WindowColor = Rgb{200, 200, 200};
  load(player, g.bytes);
  const std::uint32_t window = toArgb(player.WindowColor);
  const std::vector<std::vector<std::uint32_t>> expected = {
      {colour(1), colour(1), colour(1), colour(1)},
      {colour(1), colour(2), colour(2), colour(1)},
      {colour(3), window, window, colour(1)},       // frame 1's rectangle cleared to the fill colour
      {colour(1), window, window, colour(0)},       // frame 2 restored: composed again from frame 0
  };
  for (int n = 0; n < 4; ++n) EXPECT_EQ(row(player.Compose(n), 0), expected[static_cast<std::size_t>(n)]) << n;
  // Composing any frame from scratch gives the same picture as building it from the previous one.
  for (int n = 3; n >= 0; --n) {
    GIFAnimator fresh;
    fresh.WindowColor = player.WindowColor;
    load(fresh, g.bytes);
    EXPECT_EQ(row(fresh.Compose(n), 0), expected[static_cast<std::size_t>(n)]) << n;
  }
}

TEST(GIFAnimator, FillColourChoice) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::uint32_t uncovered;  // the pixel no frame draws
  };
  const std::uint32_t window = toArgb(Rgb{255, 255, 255});
  const Case cases[] = {
      {"transparent first frame: transparent fill",
       GifBytes().header(2, 1, 2, 1).gce(0, 0, 3).image(0, 0, 1, 1, {2}).gce(0).image(0, 0, 1, 1, {2}).trailer().bytes,
       colour(3) & 0x00FFFFFFu},
      {"background colour of a transparent image",
       GifBytes().header(2, 1, 2, 1).gce(0).image(0, 0, 1, 1, {2}).gce(0, 0, 3).image(0, 0, 1, 1, {2}).trailer().bytes,
       colour(1)},
      {"opaque image: window colour",
       GifBytes().header(2, 1, 2, 1).gce(0).image(0, 0, 1, 1, {2}).gce(0).image(0, 0, 1, 1, {2}).trailer().bytes, window},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GIFAnimator player;
    load(player, c.bytes);
    const Canvas& pic = player.Picture();
    ASSERT_EQ(pic.width, 2);
    EXPECT_EQ(pic.at(0, 0), colour(2));
    EXPECT_EQ(pic.at(1, 0), c.uncovered);
  }
}

TEST(GIFAnimator, TransparentPixelsKeepTheBackground) {
  GIFAnimator player;
  load(player, GifBytes().header(3, 1, 2).gce(0, 1).image(0, 0, 3, 1, {1, 1, 1}).gce(0, 1, 0).image(0, 0, 3, 1, {0, 2, 0})
                   .trailer().bytes);
  EXPECT_EQ(row(player.Compose(1), 0), (std::vector<std::uint32_t>{colour(1), colour(2), colour(1)}));
}

TEST(GIFAnimator, Placement) {
  GIFAnimator player;
  load(player, twoFrames(0, 0));  // screen 2 x 1
  EXPECT_EQ(player.Placement(10, 5), (Rect{0, 0, 2, 1}));
  player.Center = true;
  EXPECT_EQ(player.Placement(10, 5), (Rect{4, 2, 2, 1}));
  player.Stretch = true;
  EXPECT_EQ(player.Placement(10, 5), (Rect{0, 0, 10, 5}));
}

// ---------------------------------------------------------------- still view

TEST(StillAnimation, Timing) {
  GifBytes g;
  g.header(2, 1, 2).gce(0).image(0, 0, 2, 1, {1, 1}).gce(2).image(0, 0, 2, 1, {1, 1}).image(0, 0, 2, 1, {1, 1})
      .gce(50).image(0, 0, 2, 1, {1, 1}).trailer();
  auto pic = std::make_shared<GifPicture>();
  pic->LoadFromMemory(g.bytes.data(), g.bytes.size());
  StillAnimation anim(pic);
  const int hundredths[] = {10, 3, 10, 50};  // 0 and absent play as 10, at least 3
  for (int i = 0; i < 4; ++i) EXPECT_EQ(anim.DelayHundredths(i), hundredths[i]) << i;
  EXPECT_EQ(StillAnimation::WaitMs(anim.DelayHundredths(0), 100, 0), 120);
  EXPECT_EQ(StillAnimation::WaitMs(3, 100, 0), 36);
  EXPECT_EQ(StillAnimation::WaitMs(10, 100, 40), 100) << "half the overrun comes off";
  EXPECT_EQ(StillAnimation::WaitMs(10, 200, 0), 60);
  EXPECT_EQ(StillAnimation::WaitMs(1, 100, 500), 0);
}

TEST(StillAnimation, LoopCountSemantics) {
  struct Case {
    const char* name;
    int loopFrame;  // frame that carries the loop block, -1 none
    int loops;
    int shown;      // frames shown in all (-1: forever)
  };
  const Case cases[] = {
      {"no loop block: once", -1, 0, 3},
      {"count 1: once", 0, 1, 3},
      {"count 2: twice", 0, 2, 6},
      {"count 0: forever", 0, 0, -1},
      {"a block on a later frame counts its passes there", 1, 2, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GifBytes g;
    g.header(2, 1, 2);
    for (int i = 0; i < 3; ++i) {
      if (i == c.loopFrame) g.loop(c.loops);
      g.gce(1).image(0, 0, 2, 1, {std::uint8_t(i), std::uint8_t(i)});
    }
    g.trailer();
    auto pic = std::make_shared<GifPicture>();
    pic->LoadFromMemory(g.bytes.data(), g.bytes.size());
    StillAnimation anim(pic);
    ASSERT_TRUE(anim.Animates());
    int shown = 1;
    while (shown < 100 && anim.Advance()) ++shown;
    if (c.shown < 0) {
      EXPECT_EQ(shown, 100);
    } else {
      EXPECT_EQ(shown, c.shown);
      EXPECT_TRUE(anim.Finished());
      EXPECT_EQ(anim.FrameIndex(), 2) << "stops on the last frame";
    }
  }
}

TEST(StillAnimation, ComposesByDisposal) {
  GifBytes g;
  g.header(3, 1, 2).gce(1, 1).image(0, 0, 3, 1, {1, 1, 1}).gce(1, 2).image(1, 0, 1, 1, {2})
      .gce(1, 3).image(0, 0, 1, 1, {3}).gce(1, 1).image(2, 0, 1, 1, {0}).trailer();
  auto pic = std::make_shared<GifPicture>();
  pic->LoadFromMemory(g.bytes.data(), g.bytes.size());
  StillAnimation anim(pic);
  const std::vector<std::vector<std::uint32_t>> expected = {
      {colour(1), colour(1), colour(1)},
      {colour(1), colour(2), colour(1)},
      {colour(3), 0, colour(1)},
      {colour(1), 0, colour(0)},
  };
  for (int i = 0; i < 4; ++i) {
    if (i > 0) ASSERT_TRUE(anim.Advance());
    EXPECT_EQ(row(anim.Picture(), 0), expected[static_cast<std::size_t>(i)]) << i;
  }
}
