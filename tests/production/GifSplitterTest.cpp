// Load GIF and split: the frame files, the rows, the boxes and what a failure leaves.
#include "production/GifSplitter.h"
#include "production/GifBuilder.h"

#include "ProductionFixture.h"

#include "codec/GifModelReader.h"
#include "framelist/FrameListEditor.h"
#include "platform/TextFile.h"

namespace framora::test {
namespace {

struct FrameSpec {
  int w, h, left, top;
  int delay;     // -1: no graphic control block
  int disposal;
};

// An 8-bit frame picture whose colours tell frames apart.
Bitmap SmallPalettePicture(int w, int h, int seed) {
  Bitmap b(w, h, 8);
  for (int i = 0; i < 4; ++i)
    b.palette().push_back(Rgb{static_cast<std::uint8_t>(seed * 50 + i), static_cast<std::uint8_t>(i * 60), 7});
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.row(y)[x] = static_cast<std::uint8_t>((x + y + seed) % 4);
  return b;
}

class SplitTest : public ProductionTest {
protected:
  FrameListEditor editor;
  GifSplitter splitter{editor, prompter};
  QTemporaryDir out;
  QStringList events;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid() && out.isValid());
    splitter.callbacks.playAnimation = [&](const QString& p, const std::shared_ptr<PreviewGIFImage>& image) {
      events << QStringLiteral("play %1 %2").arg(p).arg(image->Count());
    };
    splitter.callbacks.status = [&](const QString& p, const QString& s) { events << "status " + p + " " + s; };
    splitter.callbacks.clearAnimation = [&] { events << "clear"; };
    splitter.callbacks.hideStopButton = [&] { events << "hideStop"; };
  }

  QString writeGif(const QString& name, const std::vector<FrameSpec>& frames, int screenW = 0, int screenH = 0) {
    GIFImage image;
    image.SetWidth(screenW);
    image.SetHeight(screenH);
    int seed = 0;
    for (const FrameSpec& f : frames) {
      GIFFrame& frame = image.Add(SmallPalettePicture(f.w, f.h, seed++));
      frame.SetLeft(f.left);
      frame.SetTop(f.top);
      image.GrowScreenFor(frame);
      if (f.delay >= 0) {
        auto& gce = GIFGraphicControlExtension::Create(frame);
        gce.SetDelay(f.delay);
        gce.SetDisposal(f.disposal);
      }
    }
    image.SaveToFile(local(path(name)));
    return path(name);
  }
  std::vector<FrameRow> rows() const {
    std::vector<FrameRow> r;
    for (int i = 0; i < editor.model().rowCount(); ++i) r.push_back(editor.model().row(i));
    return r;
  }
  bool listIsEmpty() const {
    for (int i = 0; i < editor.model().rowCount(); ++i)
      if (editor.model().inUse(i)) return false;
    return true;
  }
};

TEST_F(SplitTest, ThreeFramesGiveThreeFilesAndRows) {
  const QString gif = writeGif("three.gif", {{5, 4, 0, 0, 10, 0}, {5, 4, 0, 0, 50, 2}, {5, 4, 0, 0, 100, 1}});
  prompter.openAnswers.enqueue({gif});
  const SplitResult r = splitter.Button2Click(out.path(), 1);
  ASSERT_EQ(r.outcome, SplitResult::Outcome::Split);
  EXPECT_EQ(rows(), (std::vector<FrameRow>{{"img0.bmp", "100", "0"}, {"img1.bmp", "500", "2"}, {"img2.bmp", "1000", "1"}}));
  EXPECT_EQ(editor.countText(), "3");
  EXPECT_EQ(editor.folderText(), out.path() + "/");
  EXPECT_EQ(editor.widthText(), "5");
  EXPECT_EQ(editor.heightText(), "4");
  EXPECT_EQ(prompter.filters, QStringList{GifSplitter::OpenGifFilter()});
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Information);
  EXPECT_EQ(prompter.messages[0].text, "Frames saved in: " + out.path());
  EXPECT_EQ(events, (QStringList{"play " + gif + " 3", "status " + gif + " " + KilobyteText(FileSizeBytes(gif))}));

  // The files are the frames' own 8-bit pictures with their own colours.
  GIFImage model;
  model.LoadFromFile(local(gif));
  for (int i = 0; i < 3; ++i) {
    const Bitmap bmp = LoadBmpFile(local(out.filePath(QStringLiteral("img%1.bmp").arg(i))));
    const Bitmap expected = FrameToBitmap(model.Images()[i]);
    EXPECT_EQ(bmp.bitsPerPixel(), 8);
    EXPECT_EQ(bmp.data(), expected.data());
    EXPECT_EQ(bmp.palette(), expected.palette());
  }
}

TEST_F(SplitTest, DelaysTimesTenAndUnknownDisposalsBecomeNone) {
  const QString gif = writeGif("d.gif", {{3, 3, 0, 0, 0, 5}, {3, 3, 0, 0, 0, 7}, {3, 3, 0, 0, 0, 3}, {3, 3, 0, 0, 65535, 4}});
  ASSERT_EQ(splitter.LoadGif(gif, out.path(), 1).outcome, SplitResult::Outcome::Split);
  EXPECT_EQ(rows(), (std::vector<FrameRow>{{"img0.bmp", "0", "0"}, {"img1.bmp", "0", "0"}, {"img2.bmp", "0", "3"},
                                           {"img3.bmp", "655350", "0"}}));
}

TEST_F(SplitTest, FramesSmallerThanTheScreenKeepTheirOwnSize) {
  const QString gif = writeGif("small.gif", {{6, 4, 2, 3, 10, 0}, {9, 2, 0, 0, 10, 0}}, 40, 30);
  ASSERT_EQ(splitter.LoadGif(gif, out.path(), 1).outcome, SplitResult::Outcome::Split);
  EXPECT_EQ(editor.widthText(), "6");
  EXPECT_EQ(editor.heightText(), "4");
  const Bitmap b0 = LoadBmpFile(local(out.filePath("img0.bmp")));
  const Bitmap b1 = LoadBmpFile(local(out.filePath("img1.bmp")));
  EXPECT_EQ(std::make_pair(b0.width(), b0.height()), std::make_pair(6, 4));
  EXPECT_EQ(std::make_pair(b1.width(), b1.height()), std::make_pair(9, 2));
}

TEST_F(SplitTest, ExtensionTestIgnoresCaseAndLooksAtTheLastOne) {
  const QString good = writeGif("ANIM.GIF", {{3, 3, 0, 0, 10, 0}, {3, 3, 0, 0, 10, 0}});
  EXPECT_EQ(splitter.LoadGif(good, out.path(), 1).outcome, SplitResult::Outcome::Split);

  QFile::copy(good, path("anim.gif.bak"));
  for (const int language : {1, 0}) {
    prompter.messages.clear();
    events.clear();
    EXPECT_EQ(splitter.LoadGif(path("anim.gif.bak"), out.path(), language).outcome, SplitResult::Outcome::InvalidFormat);
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(prompter.messages[0].text, language ? "Invalid file format!" : QString::fromUtf8("Ungültiges Dateiformat!"));
    EXPECT_TRUE(listIsEmpty());  // New ran first
    EXPECT_TRUE(events.isEmpty());
  }
}

TEST_F(SplitTest, StaticGifPlaysWarnsAndLeavesTheListEmpty) {
  const QString gif = writeGif("one.gif", {{7, 5, 0, 0, 10, 0}});
  for (const int language : {1, 0}) {
    prompter.messages.clear();
    events.clear();
    EXPECT_EQ(splitter.LoadGif(gif, out.path(), language).outcome, SplitResult::Outcome::Static);
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(prompter.messages[0].text, language ? "This file seems to be a static not an animated Gif!"
                                                  : "Diese Datei scheint ein statisches, kein animertes Gif zu sein!");
    EXPECT_TRUE(listIsEmpty());
    EXPECT_EQ(editor.widthText(), "7");
    EXPECT_EQ(editor.heightText(), "5");
    EXPECT_EQ(events.size(), 2);  // playing and the status bar
    EXPECT_FALSE(QFile::exists(out.filePath("img0.bmp")));
  }
}

TEST_F(SplitTest, AFrameWithoutControlBlockStopsTheSplitKeepingEarlierFrames) {
  const QString gif = writeGif("bad.gif", {{3, 3, 0, 0, 20, 1}, {3, 3, 0, 0, -1, 0}, {3, 3, 0, 0, 20, 0}});
  EXPECT_EQ(splitter.LoadGif(gif, out.path(), 1).outcome, SplitResult::Outcome::Failed);
  EXPECT_EQ(prompter.texts(), QStringList{"Invalid animation file!"});
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(editor.model().row(0), (FrameRow{"img0.bmp", "200", "1"}));
  EXPECT_FALSE(editor.model().inUse(1));
  EXPECT_TRUE(QFile::exists(out.filePath("img0.bmp")));
  EXPECT_FALSE(QFile::exists(out.filePath("img1.bmp")));
  EXPECT_EQ(events.mid(2), (QStringList{"clear", "hideStop"}));
}

TEST_F(SplitTest, AnEmptyDefaultFolderMeansTheTemporaryFolderNotTheRoot) {
  QTemporaryDir tmp;
  TempPathOverride redirect(tmp.path());
  const QString gif = writeGif("two.gif", {{3, 3, 0, 0, 10, 0}, {3, 3, 0, 0, 10, 0}});
  const SplitResult r = splitter.LoadGif(gif, QString(), 1);
  ASSERT_EQ(r.outcome, SplitResult::Outcome::Split);
  EXPECT_EQ(r.folder, QDir::tempPath());
  EXPECT_TRUE(QFile::exists(tmp.filePath("img0.bmp")));
  EXPECT_TRUE(QFile::exists(tmp.filePath("img1.bmp")));
  EXPECT_EQ(editor.folderText(), QDir::tempPath() + "/");
  EXPECT_EQ(prompter.texts().last(), "Frames saved in: " + QDir::tempPath());
}

TEST_F(SplitTest, AFileThatIsNoGifReportsTheReadersErrorWithAnEmptyList) {
  writeFileReplacing(path("fake.gif"), QByteArray("this is not a picture at all"));
  EXPECT_EQ(splitter.LoadGif(path("fake.gif"), out.path(), 1).outcome, SplitResult::Outcome::Unreadable);
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
  EXPECT_FALSE(prompter.messages[0].text.isEmpty());
  EXPECT_TRUE(listIsEmpty());
  EXPECT_TRUE(events.isEmpty());
}

TEST_F(SplitTest, AnUnwritableFolderStopsAtTheFirstFrameWithoutTheFinalBox) {
  const QString gif = writeGif("two.gif", {{3, 3, 0, 0, 10, 0}, {3, 3, 0, 0, 10, 0}});
  EXPECT_EQ(splitter.LoadGif(gif, out.filePath("missing/folder"), 1).outcome, SplitResult::Outcome::Failed);
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
  EXPECT_TRUE(listIsEmpty());
}

TEST_F(SplitTest, CancellingTheOpenDialogChangesNothing) {
  editor.model().setRow(0, {"keep.bmp", "500", "0"});
  bool newRan = false;
  splitter.callbacks.newList = [&] { newRan = true; };
  EXPECT_EQ(splitter.Button2Click(out.path(), 1).outcome, SplitResult::Outcome::Cancelled);
  EXPECT_FALSE(newRan);
  EXPECT_EQ(editor.model().row(0).fileName, "keep.bmp");
  EXPECT_TRUE(events.isEmpty());
}

} // namespace
} // namespace framora::test
