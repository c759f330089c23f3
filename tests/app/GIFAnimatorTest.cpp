// The animation view: frames advance on ticks, composed by disposal, painted at the top-left
// with transparent parts showing the panel.
#include "app/GIFAnimator.h"
#include "codec/Error.h"

#include "AnimatedGifs.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace framora {
namespace {

using test::animatedGif;
using test::GifFrame;
using test::solid;
using Rows = std::vector<std::string>;

using test::kPanel;

class GIFAnimatorTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    panel = test::makePanel(10);
    view = new widgets::GIFAnimator(panel.get());
    view->setGeometry(0, 0, 8, 8);
    panel->show();
  }
  QString file(const char* name, const std::vector<std::uint8_t>& bytes) {
    return test::writeFile(dir.filePath(QString::fromLatin1(name)), bytes);
  }
  // The 4 x 4 logical screen as painted, and one pixel beyond it.
  Rows painted() {
    const QImage shot = panel->grab().toImage();
    Rows rows = test::letters(shot, QRect(0, 0, 4, 4), kPanel, QApplication::palette().color(QPalette::Base));
    rows.push_back(test::letters(shot, QRect(6, 6, 1, 1), kPanel, kPanel).front());
    return rows;
  }

  QTemporaryDir dir;
  std::unique_ptr<QWidget> panel;
  widgets::GIFAnimator* view = nullptr;
};

struct PlayCase {
  const char* name;
  std::vector<GifFrame> frames;
  std::vector<Rows> shown;  // frame 0 after the load, then after each tick
};

GifFrame withPixels(GifFrame f, std::vector<std::uint8_t> px) {
  f.pixels = std::move(px);
  return f;
}

const PlayCase kPlayCases[] = {
    {"RestoreBackgroundFillsWithWindowColour",
     {solid(0, 0, 4, 4, 0), solid(0, 0, 2, 2, 1, 10, 2), solid(2, 2, 2, 2, 2)},
     {{"RRRR", "RRRR", "RRRR", "RRRR", "P"},
      {"GGRR", "GGRR", "RRRR", "RRRR", "P"},
      {"WWRR", "WWRR", "RRBB", "RRBB", "P"},
      {"RRRR", "RRRR", "RRRR", "RRRR", "P"}}},
    // Column 0 of frame 0 is transparent: the panel shows there; disposal 3 then brings back
    // what lay under frame 1 for frame 2.
    {"TransparencyShowsPanelAndRestorePreviousRecomposes",
     {withPixels(solid(0, 0, 4, 4, 0, 10, 0, 3), {3, 0, 0, 0, 3, 0, 0, 0, 3, 0, 0, 0, 3, 0, 0, 0}),
      solid(0, 0, 2, 2, 1, 10, 3), solid(2, 2, 2, 2, 2)},
     {{"PRRR", "PRRR", "PRRR", "PRRR", "P"},
      {"GGRR", "GGRR", "PRRR", "PRRR", "P"},
      {"PRRR", "PRRR", "PRBB", "PRBB", "P"},
      {"PRRR", "PRRR", "PRRR", "PRRR", "P"}}},
    // A transparent frame with disposal 2 clears to the transparent fill: the panel again.
    {"RestoreBackgroundOfTransparentImageShowsPanel",
     {solid(0, 0, 4, 4, 3, 10, 0, 3), solid(1, 1, 2, 2, 1, 10, 2, 3), solid(0, 0, 1, 1, 2, 10, 0, 3)},
     {{"PPPP", "PPPP", "PPPP", "PPPP", "P"},
      {"PPPP", "PGGP", "PGGP", "PPPP", "P"},
      {"BPPP", "PPPP", "PPPP", "PPPP", "P"},
      {"PPPP", "PPPP", "PPPP", "PPPP", "P"}}},
};

void PrintTo(const PlayCase& c, std::ostream* os) { *os << c.name; }

class GIFAnimatorPlayTest : public GIFAnimatorTest, public ::testing::WithParamInterface<PlayCase> {};

TEST_P(GIFAnimatorPlayTest, TicksShowComposedFrames) {
  const PlayCase& c = GetParam();
  view->LoadFromFile(file("a.gif", animatedGif(4, 4, c.frames)));
  view->setAnimate(true);
  for (std::size_t step = 0; step < c.shown.size(); ++step) {
    if (step > 0) {
      ASSERT_TRUE(view->tick());
    }
    EXPECT_EQ(view->frameIndex(), static_cast<int>(step % c.frames.size()));
    EXPECT_EQ(painted(), c.shown[step]) << "step " << step;
  }
}

INSTANTIATE_TEST_SUITE_P(Frames, GIFAnimatorPlayTest, ::testing::ValuesIn(kPlayCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GIFAnimatorTest, TicksAreIgnoredWhenStoppedHiddenOrSingleImage) {
  view->LoadFromFile(file("two.gif", animatedGif(4, 4, {solid(0, 0, 4, 4, 0), solid(0, 0, 4, 4, 1)})));
  EXPECT_FALSE(view->tick()) << "not animating";
  view->setAnimate(true);
  view->hide();
  EXPECT_FALSE(view->tick()) << "hidden";
  EXPECT_EQ(view->frameIndex(), 0);
  EXPECT_TRUE(view->Animate()) << "hiding keeps the animation switched on";
  view->show();
  EXPECT_TRUE(view->tick());
  EXPECT_EQ(view->frameIndex(), 1);

  view->LoadFromFile(file("one.gif", animatedGif(4, 4, {solid(0, 0, 4, 4, 2)})));
  EXPECT_FALSE(view->tick());
  EXPECT_FALSE(view->frameTimer().isActive()) << "a single image plays nothing";
  EXPECT_EQ(painted(), (Rows{"BBBB", "BBBB", "BBBB", "BBBB", "P"}));
}

TEST_F(GIFAnimatorTest, NewImageKeepsRunningFromItsFirstFrame) {
  view->LoadFromFile(file("a.gif", animatedGif(4, 4, {solid(0, 0, 4, 4, 0), solid(0, 0, 4, 4, 1)})));
  view->setAnimate(true);
  ASSERT_TRUE(view->tick());
  view->LoadFromFile(file("b.gif", animatedGif(2, 2, {solid(0, 0, 2, 2, 2), solid(0, 0, 2, 2, 3),
                                                      solid(0, 0, 2, 2, 0)})));
  EXPECT_TRUE(view->Animate());
  EXPECT_TRUE(view->frameTimer().isActive());
  EXPECT_EQ(view->frameIndex(), 0);
  EXPECT_EQ((std::tuple(view->frameCount(), view->imageWidth(), view->imageHeight())), std::tuple(3, 2, 2));
  ASSERT_TRUE(view->tick());
  EXPECT_EQ(painted(), (Rows{"YYPP", "YYPP", "PPPP", "PPPP", "P"}));
}

TEST_F(GIFAnimatorTest, TimerRunsAtOnceThenAtTheShownFramesInterval) {
  // Delays in hundredths and the interval they play at.
  const std::pair<int, int> delays[] = {{7, 70}, {0, 50}, {1500, 10000}};
  std::vector<GifFrame> frames;
  for (const auto& d : delays) frames.push_back(solid(0, 0, 4, 4, 0, d.first));
  view->LoadFromFile(file("t.gif", animatedGif(4, 4, frames)));
  EXPECT_FALSE(view->frameTimer().isActive());
  view->setAnimate(true);
  ASSERT_TRUE(view->frameTimer().isActive());
  EXPECT_EQ(view->frameTimer().interval(), 0) << "the first tick is due at once";
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->frameIndex() == 1; }, 5000)) << "the timer drives the frames";
  for (int step = 0; step < 4; ++step) {
    const int shown = view->frameIndex();
    EXPECT_EQ(view->frameTimer().interval(), delays[shown].second) << "frame " << shown;
    view->tick();
  }
  view->setAnimate(false);
  EXPECT_FALSE(view->frameTimer().isActive());
  const int stoppedAt = view->frameIndex();
  EXPECT_FALSE(view->tick());
  EXPECT_EQ(view->frameIndex(), stoppedAt) << "stopping keeps the frame shown";
}

TEST_F(GIFAnimatorTest, FailedLoadThrowsReadersMessageAndLeavesViewEmpty) {
  const struct {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* message;
  } cases[] = {
      {"version.gif", {'G', 'I', 'F', '8', '8', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B}, "Unknown GIF version"},
      {"missing.gif", {}, "Cannot open file"},
  };
  for (const auto& c : cases) {
    view->LoadFromFile(file("ok.gif", animatedGif(4, 4, {solid(0, 0, 4, 4, 0), solid(0, 0, 4, 4, 1)})));
    view->setAnimate(true);
    const QString path = c.bytes.empty() ? dir.filePath("nothing-here.gif") : file(c.name, c.bytes);
    try {
      view->LoadFromFile(path);
      ADD_FAILURE() << c.name << " loaded";
    } catch (const CodecError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
    EXPECT_TRUE(view->isEmpty()) << c.name;
    EXPECT_FALSE(view->tick());
    EXPECT_EQ(painted(), (Rows{"PPPP", "PPPP", "PPPP", "PPPP", "P"})) << c.name;
  }
}

TEST_F(GIFAnimatorTest, ClearEmptiesTheView) {
  view->LoadFromFile(file("a.gif", animatedGif(4, 4, {solid(0, 0, 4, 4, 0), solid(0, 0, 4, 4, 1)})));
  view->setAnimate(true);
  view->Clear();
  EXPECT_EQ((std::tuple(view->isEmpty(), view->frameCount(), view->imageWidth())), std::tuple(true, 0, 0));
  EXPECT_FALSE(view->frameTimer().isActive());
  EXPECT_EQ(painted(), (Rows{"PPPP", "PPPP", "PPPP", "PPPP", "P"}));
  EXPECT_EQ(view->objectName(), QStringLiteral("GIFAnimator"));
}

} // namespace
} // namespace framora
