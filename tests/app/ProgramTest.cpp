// The whole program as main() assembles it: the main window's buttons reach the production
// core, the players and the video window through their wiring.
#include "app/GIFAnimator.h"
#include "app/Program.h"
#include "app/ProgramFixture.h"
#include "app/StillView.h"
#include "production/SeenFrames.h"
#include "support/ScriptedPrompter.h"
#include "video/FormAvi.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace framora::test {
namespace {

class ProgramTest : public ProgramFixture<> {
protected:
  // Three pictures of different formats and sizes, each a left and a right half.
  QStringList writePictures() {
    struct Pic { const char* name; const char* format; int w, h; QRgb left, right; };
    const Pic pics[] = {{"a.bmp", "BMP", 40, 30, qRgb(200, 30, 30), qRgb(20, 20, 220)},
                        {"b.png", "PNG", 60, 20, qRgb(10, 160, 10), qRgb(250, 250, 250)},
                        {"c.jpg", "JPEG", 30, 50, qRgb(0, 0, 0), qRgb(255, 255, 0)}};
    QStringList files;
    for (const Pic& p : pics) {
      QImage image(p.w, p.h, QImage::Format_RGB32);
      for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) image.setPixel(x, y, x < p.w / 2 ? p.left : p.right);
      const QString file = path("pics/") + p.name;
      EXPECT_TRUE(image.save(file, p.format, 100));
      files << file;
    }
    return files;
  }

  void selectRow(int row) {
    auto* m = form().StringGrid1->model();
    form().StringGrid1->selectionModel()->setCurrentIndex(
        m->index(row, 1), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
};

TEST_F(ProgramTest, CreateLoadSplitAndRebuildKeepTheFrames) {
  prompter.openAnswers.enqueue(writePictures());
  form().SpeedButton1->click();
  ASSERT_EQ(form().EditWidth->text(), "60");
  ASSERT_EQ(form().EditHeight->text(), "50");

  // Saving as .bmp writes .gif, which then plays in the animation view.
  prompter.saveAnswers.enqueue(path("out/clip.bmp"));
  form().SpeedButtonCreate->click();
  const QString gif = path("out/clip.gif");
  ASSERT_TRUE(QFile::exists(gif)) << prompter.texts().join(" | ").toStdString();
  EXPECT_EQ(form().statusPath(), gif);
  EXPECT_TRUE(program->animator().isVisible());
  EXPECT_TRUE(program->animator().Animate());
  EXPECT_EQ(program->animator().frameCount(), 3);
  EXPECT_FALSE(program->progressBar().isVisible());

  const DecodedGif built = DecodeWithGiflib(gif.toStdString());
  ASSERT_TRUE(built.ok) << built.error;
  EXPECT_EQ(built.width, 60);
  EXPECT_EQ(built.height, 50);
  ASSERT_EQ(built.frames.size(), 3u);
  EXPECT_EQ(built.frames[0].loopBlocks, 1);
  EXPECT_EQ(built.frames[1].delay, 50);

  // Load GIF splits it into img0..img2 in the default folder.
  prompter.messages.clear();
  prompter.openAnswers.enqueue({gif});
  form().SpeedButtonLoad->click();
  ASSERT_EQ(form().editor().model().cell(2, FrameListModel::FileColumn), "img2.bmp");
  EXPECT_EQ(form().EditAnzahl->text(), "3");
  EXPECT_EQ(prompter.texts().last(), "Frames saved in: " + path("frames"));
  EXPECT_TRUE(program->animator().isVisible());

  // Rebuild from the frame files: every frame is seen as before. The frames are smaller than
  // the screen, so they were split composed on it; where no frame has drawn, the player's white.
  prompter.saveAnswers.enqueue(path("out/again.gif"));
  form().SpeedButtonCreate->click();
  const DecodedGif again = DecodeWithGiflib(path("out/again.gif").toStdString());
  ASSERT_TRUE(again.ok) << again.error;
  ASSERT_EQ(again.frames.size(), 3u);
  const auto before = SeenFrames(built), after = SeenFrames(again);
  for (int i = 0; i < 3; ++i)
    for (std::size_t p = 0; p < before[i].size(); ++p)
      ASSERT_EQ(after[i][p], before[i][p] >> 24 ? before[i][p] : 0xFFFFFFFFu) << "frame " << i << " pixel " << p;
}

TEST_F(ProgramTest, ViewingAFrameStopsTheAnimationAndForgetsTheAnimationPath) {
  prompter.openAnswers.enqueue(writePictures());
  form().SpeedButton1->click();
  prompter.saveAnswers.enqueue(path("out/clip.gif"));
  form().SpeedButtonCreate->click();
  ASSERT_TRUE(program->animator().isVisible());

  selectRow(1);
  EXPECT_TRUE(program->stillView().isVisible());
  EXPECT_FALSE(program->animator().isVisible());
  EXPECT_FALSE(program->animator().Animate());
  EXPECT_EQ(program->stillView().pictureWidth(), 60);
  EXPECT_EQ(form().statusPath(), "");

  prompter.messages.clear();
  form().SpeedButtonBrowser->click();
  EXPECT_EQ(prompter.texts(), QStringList{"No animation loaded!"});

  // Stop removes the still picture.
  form().ButtonStop->click();
  EXPECT_FALSE(program->stillView().hasPicture());
}

TEST_F(ProgramTest, BrowserPreviewOpensThePageOfTheBuiltFile) {
  prompter.openAnswers.enqueue(writePictures());
  form().SpeedButton1->click();
  prompter.saveAnswers.enqueue(path("out/clip.gif"));
  form().SpeedButtonCreate->click();
  form().SpeedButtonBrowser->click();
  ASSERT_EQ(prompter.urls.size(), 1);
  EXPECT_EQ(form().state().PreviewHtmlFile, prompter.urls.first());
  EXPECT_TRUE(QFile::exists(form().state().PreviewHtmlFile));
}

TEST_F(ProgramTest, VideoFramesReplaceTheFrameList) {
  prompter.openAnswers.enqueue(writePictures());
  form().SpeedButton1->click();
  program->formAvi().frameListSink->replaceFrames(
      "/videos/frames/", {{"avframe01.bmp", "200", "0"}, {"avframe02.bmp", "200", "0"}}, 2);
  EXPECT_EQ(form().EditPfad->text(), "/videos/frames/");
  EXPECT_EQ(form().EditAnzahl->text(), "2");
  EXPECT_EQ(form().EditWidth->text(), "");
  EXPECT_EQ(form().editor().model().rowCount(), 2);
  EXPECT_EQ(form().editor().model().row(1), (FrameRow{"avframe02.bmp", "200", "0"}));
}

// The video window leaves the size edits empty; Create then takes the largest frame.
TEST_F(ProgramTest, CreateAfterTheVideoImportTakesTheLargestFrame) {
  const QStringList pictures = writePictures();
  QStringList names;
  for (const QString& p : pictures.mid(0, 2)) {
    const QString name = QFileInfo(p).completeBaseName() + ".bmp";
    ASSERT_TRUE(QImage(p).save(path("frames/") + name, "BMP"));
    names << name;
  }
  program->formAvi().frameListSink->replaceFrames(path("frames/"), {{names[0], "200", "0"}, {names[1], "200", "0"}}, 2);
  ASSERT_EQ(form().EditWidth->text(), "");
  prompter.saveAnswers.enqueue(path("out/video.gif"));
  form().SpeedButtonCreate->click();
  EXPECT_TRUE(prompter.messages.isEmpty()) << prompter.texts().join(u'|').toStdString();
  const DecodedGif gif = DecodeWithGiflib(path("out/video.gif").toStdString());
  ASSERT_TRUE(gif.ok) << gif.error;
  EXPECT_EQ(gif.width, 60);
  EXPECT_EQ(gif.height, 30);
  EXPECT_EQ(gif.frames.size(), 2u);
  EXPECT_EQ(form().EditWidth->text(), "60");
  EXPECT_EQ(form().EditHeight->text(), "30");
}

} // namespace
} // namespace framora::test
