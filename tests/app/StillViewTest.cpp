// The still view: pictures at their own size or stretched, transparency showing the panel,
// the self-animation of multi-image GIF pictures and its end.
#include "app/StillView.h"
#include "codec/Error.h"

#include "AnimatedGifs.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace framora {
namespace {

using test::animatedGif;
using test::solid;
using Rows = std::vector<std::string>;

using test::kPanel;

class StillViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    panel = test::makePanel(8);
    view = new widgets::StillView(panel.get());
    view->setGeometry(0, 0, 8, 8);
    panel->show();
  }
  QString gif(const char* name, const std::vector<test::GifFrame>& frames, int loop = 0) {
    return test::writeFile(dir.filePath(QString::fromLatin1(name)), animatedGif(4, 4, frames, loop));
  }
  // A 2 x 2 PNG: red, transparent / green, blue.
  QString png() {
    QImage img(2, 2, QImage::Format_ARGB32);
    img.setPixelColor(0, 0, test::kGifColours[0]);
    img.setPixelColor(1, 0, QColor(0, 0, 0, 0));
    img.setPixelColor(0, 1, test::kGifColours[1]);
    img.setPixelColor(1, 1, test::kGifColours[2]);
    const QString path = dir.filePath("p.png");
    return img.save(path) ? path : QString();
  }
  // Every other pixel of the 8 x 8 view: 4 x 4 samples at (0, 0), (2, 0) ... and (1, 1), (3, 1) ...
  Rows painted(int offset = 0) {
    const QImage shot = panel->grab().toImage();
    Rows rows;
    for (int y = 0; y < 4; ++y) {
      std::string row;
      for (int x = 0; x < 4; ++x)
        row += test::letters(shot, QRect(2 * x + offset, 2 * y + offset, 1, 1), kPanel, kPanel).front();
      rows.push_back(row);
    }
    return rows;
  }
  Rows topLeft() {
    return test::letters(panel->grab().toImage(), QRect(0, 0, 5, 5), kPanel, kPanel);
  }

  QTemporaryDir dir;
  std::unique_ptr<QWidget> panel;
  widgets::StillView* view = nullptr;
};

TEST_F(StillViewTest, ShowsPictureAtOwnSizeOrStretchedWithPanelBehindTransparency) {
  view->LoadFromFile(png());
  EXPECT_EQ((std::tuple(view->pictureWidth(), view->pictureHeight())), std::tuple(2, 2));
  EXPECT_EQ(topLeft(), (Rows{"RPPPP", "GBPPP", "PPPPP", "PPPPP", "PPPPP"}));
  view->setStretch(true);
  EXPECT_EQ(painted(1), (Rows{"RRPP", "RRPP", "GGBB", "GGBB"}));
  view->setStretch(false);
  view->clearPicture();
  EXPECT_FALSE(view->hasPicture());
  EXPECT_EQ((std::tuple(view->pictureWidth(), view->pictureHeight())), std::tuple(0, 0));
  EXPECT_EQ(topLeft(), (Rows{"PPPPP", "PPPPP", "PPPPP", "PPPPP", "PPPPP"}));
  EXPECT_EQ(view->objectName(), QStringLiteral("Image1"));
}

TEST_F(StillViewTest, MultiImageGifAnimatesFromFirstDrawingUntilReplaced) {
  // Frame 1 is cleared (disposal 2) to transparency before frame 2.
  view->LoadFromFile(gif("a.gif", {solid(0, 0, 4, 4, 0, 0), solid(0, 0, 2, 2, 1, 2, 2), solid(2, 2, 2, 2, 2, 10)}));
  EXPECT_FALSE(view->isAnimating()) << "not drawn yet";
  EXPECT_EQ(topLeft(), (Rows{"RRRRP", "RRRRP", "RRRRP", "RRRRP", "PPPPP"}));
  ASSERT_TRUE(view->isAnimating());
  EXPECT_EQ(view->nextWait(), 120) << "a delay of 0 plays as 10 hundredths, 12 ms each";
  ASSERT_TRUE(view->tick());
  EXPECT_EQ(view->nextWait(), 36);
  EXPECT_EQ(topLeft(), (Rows{"GGRRP", "GGRRP", "RRRRP", "RRRRP", "PPPPP"}));
  ASSERT_TRUE(view->tick());
  EXPECT_EQ(topLeft(), (Rows{"PPRRP", "PPRRP", "RRBBP", "RRBBP", "PPPPP"}));
  ASSERT_TRUE(view->tick()) << "loop count 0 repeats";
  EXPECT_EQ(view->animationFrame(), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->animationFrame() == 1; }, 5000)) << "its timer drives it";

  view->LoadFromFile(png());
  EXPECT_FALSE(view->isAnimating()) << "replaced";
  EXPECT_FALSE(view->tick());
  view->LoadFromFile(gif("b.gif", {solid(0, 0, 4, 4, 0), solid(0, 0, 4, 4, 1)}));
  view->grab();
  ASSERT_TRUE(view->isAnimating());
  view->clearPicture();
  EXPECT_FALSE(view->isAnimating()) << "removed";
}

TEST_F(StillViewTest, AnimationEndsOnLastFrameWhenLoopsAreUsedUp) {
  // -1: no loop block, the animation plays once; 2: twice in all.
  for (const auto& [loop, ticks] : {std::pair(-1, 1), std::pair(2, 3)}) {
    view->LoadFromFile(gif("l.gif", {solid(0, 0, 4, 4, 0), solid(0, 0, 4, 4, 3)}, loop));
    view->grab();
    for (int i = 0; i < ticks; ++i) ASSERT_TRUE(view->tick()) << "loop " << loop << " tick " << i;
    EXPECT_FALSE(view->tick()) << "loop " << loop;
    EXPECT_TRUE(view->animationFinished());
    EXPECT_FALSE(view->isAnimating());
    EXPECT_EQ(topLeft()[0], "YYYYP") << "stays on the last frame";
  }
}

TEST_F(StillViewTest, FailedLoadKeepsPreviousPictureAndItsAnimation) {
  view->LoadFromFile(gif("a.gif", {solid(0, 0, 4, 4, 0), solid(0, 0, 4, 4, 1)}));
  view->grab();
  ASSERT_TRUE(view->tick());
  const struct {
    QString path;
    const char* message;
  } cases[] = {
      {test::writeFile(dir.filePath("x.xyz"), {1, 2, 3}), "Unbekannte Bilddateierweiterung (.xyz)"},
      {dir.filePath("missing.png"), "Cannot open file"},
      {test::writeFile(dir.filePath("bad.gif"), {'G', 'I', 'F'}), ""},
      {test::writeFile(dir.filePath("bad.png"), {0x89, 'P', 'N', 'G'}), ""},
  };
  for (const auto& c : cases) {
    EXPECT_THROW(
        {
          try {
            view->LoadFromFile(c.path);
          } catch (const CodecError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
            throw;
          }
        },
        CodecError)
        << c.path.toStdString();
    EXPECT_EQ((std::tuple(view->pictureKind(), view->pictureWidth(), view->animationFrame())),
              std::tuple(Picture::Kind::Gif, 4, 1));
    EXPECT_TRUE(view->isAnimating());
    EXPECT_EQ(topLeft()[0], "GGGGP");
  }
}

} // namespace
} // namespace framora
