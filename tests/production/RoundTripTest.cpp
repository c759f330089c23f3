// End to end: pictures of three formats and sizes -> GIF -> giflib; Load GIF -> split ->
// rebuild, and the frames come back the same.
#include "production/GifBuilder.h"
#include "production/GifSplitter.h"

#include "GifDecode.h"
#include "ProductionFixture.h"

#include "framelist/FrameListEditor.h"

#include <QImage>

#include <cmath>

namespace framora::test {
namespace {

QImage Gradient(int w, int h, int seed) {
  QImage img(w, h, QImage::Format_RGB888);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      img.setPixelColor(x, y, QColor((x * 255) / (w - 1), (y * 255) / (h - 1), (seed * 90 + x + y) % 256));
  return img;
}

// Mean absolute difference per channel between a decoded frame and the source picture.
double MeanError(const DecodedFrame& f, const QImage& source) {
  double sum = 0;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      const QColor c = source.pixelColor(x, y);
      const std::size_t p = 3 * (std::size_t(y) * std::size_t(f.width) + std::size_t(x));
      sum += std::abs(f.rgb[p] - c.red()) + std::abs(f.rgb[p + 1] - c.green()) + std::abs(f.rgb[p + 2] - c.blue());
    }
  return sum / (3.0 * f.width * f.height);
}

TEST(RoundTrip, ThreeFormatsBuildSplitAndRebuild) {
  QTemporaryDir work, frames;
  ASSERT_TRUE(work.isValid() && frames.isValid());
  struct Source {
    QString name;
    const char* format;
    QImage image;
    double tolerance;  // JPEG is lossy before we ever see it
  };
  const std::vector<Source> sources = {{"a.bmp", "BMP", Gradient(40, 30, 0), 12},
                                       {"b.png", "PNG", Gradient(64, 20, 1), 12},
                                       {"c.jpg", "JPEG", Gradient(25, 50, 2), 20}};
  FrameListEditor editor;
  ScriptedPrompter prompter;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    ASSERT_TRUE(sources[i].image.save(work.filePath(sources[i].name), sources[i].format, 95));
  }
  editor.model().setRowCount(3);
  editor.model().setRow(0, {"a.bmp", "500", "0"});
  editor.model().setRow(1, {"b.png", "250", "2"});
  editor.model().setRow(2, {"c.jpg", "1000", "1"});

  GifBuilder builder(editor.model(), prompter);
  BuildInputs in;
  in.EditPfad = work.path();
  in.EditWidth = "64";
  in.EditHeight = "50";
  prompter.saveAnswers.enqueue(work.filePath("first.gif"));
  ASSERT_EQ(builder.CreateAnimatedGif(in).outcome, BuildResult::Outcome::Saved);
  EXPECT_TRUE(prompter.messages.isEmpty());

  const DecodedGif first = DecodeWithGiflib(local(work.filePath("first.gif")));
  ASSERT_TRUE(first.ok) << first.error;
  EXPECT_EQ(std::make_pair(first.width, first.height), std::make_pair(64, 50));
  ASSERT_EQ(first.frames.size(), 3u);
  const int delays[] = {50, 25, 100}, disposals[] = {0, 2, 1};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(sources[i].name.toStdString());
    EXPECT_EQ(first.frames[i].width, sources[i].image.width());
    EXPECT_EQ(first.frames[i].height, sources[i].image.height());
    EXPECT_EQ(first.frames[i].delay, delays[i]);
    EXPECT_EQ(first.frames[i].disposal, disposals[i]);
    EXPECT_LT(MeanError(first.frames[i], sources[i].image), sources[i].tolerance);
  }
  EXPECT_EQ(first.frames[0].loopBlocks, 1);

  // Load GIF: the frame files and rows, then build again from them.
  GifSplitter splitter(editor, prompter);
  splitter.keepStoredFrames = true;  // the frames as stored, not composed on the screen
  ASSERT_EQ(splitter.LoadGif(work.filePath("first.gif"), frames.path(), 1).outcome, SplitResult::Outcome::Split);
  EXPECT_EQ(editor.model().row(1), (FrameRow{"img1.bmp", "250", "2"}));
  in.EditPfad = editor.folderText();
  in.EditWidth = "64";
  in.EditHeight = "50";
  prompter.saveAnswers.enqueue(work.filePath("second.gif"));
  ASSERT_EQ(builder.CreateAnimatedGif(in).outcome, BuildResult::Outcome::Saved);

  const DecodedGif second = DecodeWithGiflib(local(work.filePath("second.gif")));
  ASSERT_TRUE(second.ok) << second.error;
  ASSERT_EQ(second.frames.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(second.frames[i].width, first.frames[i].width);
    EXPECT_EQ(second.frames[i].height, first.frames[i].height);
    EXPECT_EQ(second.frames[i].delay, first.frames[i].delay);
    EXPECT_EQ(second.frames[i].disposal, first.frames[i].disposal);
    EXPECT_EQ(second.frames[i].rgb, first.frames[i].rgb) << "frame " << i;
  }
}

// A PNG with an alpha channel brings its own transparency: the frame still gets one control
// block only, with the row's delay and disposal. The picture's transparent pixels stay
// transparent unless "Transparent" asks for the swatch colour instead.
TEST(RoundTrip, PictureWithAlphaGetsOneControlBlock) {
  QTemporaryDir work;
  QImage alpha(20, 10, QImage::Format_ARGB32);
  alpha.fill(Qt::transparent);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) alpha.setPixelColor(x, y, QColor(200, 30, 30));
  ASSERT_TRUE(alpha.save(work.filePath("alpha.png"), "PNG"));
  FrameListModel model;
  model.setRow(0, {"alpha.png", "700", "2"});
  ScriptedPrompter prompter;
  GifBuilder builder(model, prompter);
  BuildInputs in;
  in.EditPfad = work.path();
  in.EditWidth = in.EditHeight = "0";
  for (const auto& [transparent, optimize] :
       std::vector<std::pair<bool, bool>>{{false, false}, {false, true}, {true, false}, {true, true}}) {
    SCOPED_TRACE(testing::Message() << "transparent " << transparent << " optimize " << optimize);
    in.transparent = transparent;
    in.optimize = optimize;
    prompter.saveAnswers.enqueue(work.filePath("a.gif"));
    ASSERT_EQ(builder.CreateAnimatedGif(in).outcome, BuildResult::Outcome::Saved);
    const DecodedGif gif = DecodeWithGiflib(local(work.filePath("a.gif")));
    ASSERT_EQ(gif.frames.size(), 1u);
    const DecodedFrame& f = gif.frames[0];
    EXPECT_EQ(f.controlBlocks, 1);
    EXPECT_EQ(f.delay, 70);
    EXPECT_EQ(f.disposal, 2);
    if (!transparent) {
      ASSERT_GE(f.transparentIndex, 0);
      EXPECT_EQ(f.indices[15], f.transparentIndex);  // right half: alpha 0
      EXPECT_NE(f.indices[0], f.transparentIndex);
    } else if (!optimize) {
      EXPECT_EQ(builder.CurrentGif()->Images()[0].GraphicControlExtension()->TransparentColor(), (Rgb{255, 251, 240}));
    }
  }
}

} // namespace
} // namespace framora::test
