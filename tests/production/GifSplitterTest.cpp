// Load GIF and split: the frame files, the rows, the boxes and what a failure leaves.
#include "production/GifSplitter.h"
#include "production/GifBuilder.h"

#include "ProductionFixture.h"
#include "SeenFrames.h"

#include "codec/GifModelReader.h"
#include "framelist/FrameListEditor.h"
#include "platform/TextFile.h"

#include <unistd.h>

namespace framora::test {
namespace {

struct FrameSpec {
  int w, h, left, top;
  int delay;     // -1: no graphic control block
  int disposal;
  int transparent = -1;  // transparent index, -1 none
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
        if (f.transparent >= 0) {
          gce.SetTransparentColorIndex(f.transparent);
          gce.SetTransparent(true);
        }
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

TEST_F(SplitTest, KeepingStoredFramesGivesFramesSmallerThanTheScreenTheirOwnSize) {
  const QString gif = writeGif("small.gif", {{6, 4, 2, 3, 10, 0}, {9, 2, 0, 0, 10, 0}}, 40, 30);
  splitter.keepStoredFrames = true;
  const SplitResult r = splitter.LoadGif(gif, out.path(), 1);
  ASSERT_EQ(r.outcome, SplitResult::Outcome::Split);
  EXPECT_FALSE(r.composed);
  EXPECT_EQ(editor.widthText(), "6");
  EXPECT_EQ(editor.heightText(), "4");
  const Bitmap b0 = LoadBmpFile(local(out.filePath("img0.bmp")));
  const Bitmap b1 = LoadBmpFile(local(out.filePath("img1.bmp")));
  EXPECT_EQ(std::make_pair(b0.width(), b0.height()), std::make_pair(6, 4));
  EXPECT_EQ(std::make_pair(b1.width(), b1.height()), std::make_pair(9, 2));
}

// Frames at offsets, transparent pixels, all three disposals, and a first frame that is
// transparent itself: each file is the frame as a viewer sees it, on the logical screen.
TEST_F(SplitTest, PartialAndTransparentFramesAreWrittenAsSeen) {
  const QString gif = writeGif("pieces.gif",
                               {{8, 6, 0, 0, 10, 1, 3}, {3, 2, 1, 1, 20, 2, 0}, {4, 3, 4, 3, 30, 3, 1},
                                {2, 2, 0, 0, 40, 0, 2}, {5, 1, 3, 0, 50, 1}},
                               8, 6);
  const SplitResult r = splitter.LoadGif(gif, out.path(), 1);
  ASSERT_EQ(r.outcome, SplitResult::Outcome::Split) << prompter.texts().join(" | ").toStdString();
  EXPECT_TRUE(r.composed);
  EXPECT_EQ(editor.widthText(), "8");
  EXPECT_EQ(editor.heightText(), "6");
  EXPECT_EQ(rows(), (std::vector<FrameRow>{{"img0.bmp", "100", "0"}, {"img1.bmp", "200", "0"}, {"img2.bmp", "300", "0"},
                                           {"img3.bmp", "400", "0"}, {"img4.bmp", "500", "0"}}));
  const DecodedGif decoded = DecodeWithGiflib(local(gif));
  ASSERT_TRUE(decoded.ok) << decoded.error;
  ASSERT_TRUE(HasPartialOrTransparentFrames(decoded));
  const auto seen = SeenFrames(decoded);
  // Where nothing shows yet, the first frame's transparent colour.
  const Rgb key = SmallPalettePicture(1, 1, 0).palette()[3];
  int keyed = 0;
  for (std::size_t k = 0; k < seen.size(); ++k) {
    SCOPED_TRACE(k);
    const Bitmap bmp = LoadBmpFile(local(out.filePath(QStringLiteral("img%1.bmp").arg(k))));
    ASSERT_EQ(std::make_pair(bmp.width(), bmp.height()), std::make_pair(8, 6));
    EXPECT_EQ(bmp.bitsPerPixel(), 8);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 8; ++x) {
        const std::uint32_t v = seen[k][std::size_t(y) * 8 + std::size_t(x)];
        const Rgb expected = v >> 24 ? Rgb{std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)} : key;
        keyed += v >> 24 ? 0 : 1;
        ASSERT_EQ(bmp.pixel(x, y), expected) << x << "," << y;
      }
  }
  EXPECT_GT(keyed, 0);  // the fixture does leave pixels transparent
}

TEST_F(SplitTest, AComposedFrameOfMoreThan256ColoursIsWrittenWith24Bits) {
  // Two frames with 200 colours each in their own tables: the second one's piece brings the
  // picture to 400.
  GIFImage image;
  image.SetWidth(20);
  image.SetHeight(20);
  for (int f = 0; f < 2; ++f) {
    Bitmap b(f == 0 ? 20 : 10, f == 0 ? 20 : 20, 8);
    for (int i = 0; i < 200; ++i) b.palette().push_back(Rgb{std::uint8_t(i), std::uint8_t(f * 100), 9});
    for (int y = 0; y < b.height(); ++y)
      for (int x = 0; x < b.width(); ++x) b.row(y)[x] = std::uint8_t((y * b.width() + x) % 200);
    GIFFrame& frame = image.Add(b);
    frame.SetLeft(f * 10);
    GIFGraphicControlExtension::Create(frame).SetDelay(10);
  }
  image.SaveToFile(local(path("many.gif")));
  ASSERT_EQ(splitter.LoadGif(path("many.gif"), out.path(), 1).outcome, SplitResult::Outcome::Split);
  EXPECT_EQ(LoadBmpFile(local(out.filePath("img0.bmp"))).bitsPerPixel(), 8);
  const Bitmap second = LoadBmpFile(local(out.filePath("img1.bmp")));
  EXPECT_EQ(second.bitsPerPixel(), 24);
  EXPECT_EQ(second.pixel(0, 0), (Rgb{0, 0, 9}));      // left: the first frame
  EXPECT_EQ(second.pixel(10, 0), (Rgb{0, 100, 9}));   // right: the second one's piece
  EXPECT_EQ(second.pixel(19, 19), (Rgb{199, 100, 9}));
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

TEST_F(SplitTest, AFrameWithoutControlBlockSplitsWithDelayAndDisposalZero) {
  const QString gif = writeGif("nogce.gif", {{3, 3, 0, 0, 20, 1}, {3, 3, 0, 0, -1, 0}, {3, 3, 0, 0, 20, 2}});
  EXPECT_EQ(splitter.LoadGif(gif, out.path(), 1).outcome, SplitResult::Outcome::Split);
  EXPECT_EQ(rows(), (std::vector<FrameRow>{{"img0.bmp", "200", "1"}, {"img1.bmp", "0", "0"}, {"img2.bmp", "200", "2"}}));
  EXPECT_EQ(prompter.texts(), QStringList{"Frames saved in: " + out.path()});
}

TEST_F(SplitTest, AControlBlockTooShortToReadStopsTheSplitKeepingEarlierFrames) {
  const QString good = writeGif("good.gif", {{3, 3, 0, 0, 20, 1}, {3, 3, 0, 0, 20, 0}, {3, 3, 0, 0, 20, 0}});
  // The second frame's block holds 3 bytes instead of 4: 21 F9 04 p d d t 00 -> 21 F9 03 p d d 00.
  QByteArray b = bytes(good);
  const qsizetype first = b.indexOf(QByteArray("\x21\xF9\x04", 3));
  const qsizetype second = b.indexOf(QByteArray("\x21\xF9\x04", 3), first + 1);
  ASSERT_GT(second, first);
  b[second + 2] = 3;
  b.remove(second + 6, 1);
  writeFileReplacing(path("bad.gif"), b);
  const QString gif = path("bad.gif");
  EXPECT_EQ(splitter.LoadGif(gif, out.path(), 1).outcome, SplitResult::Outcome::Failed);
  EXPECT_EQ(prompter.texts(), QStringList{"Invalid animation file!"});
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(editor.model().row(0), (FrameRow{"img0.bmp", "200", "1"}));
  EXPECT_FALSE(editor.model().inUse(1));
  EXPECT_TRUE(QFile::exists(out.filePath("img0.bmp")));
  EXPECT_FALSE(QFile::exists(out.filePath("img1.bmp")));
  EXPECT_EQ(events.mid(2), (QStringList{"clear", "hideStop"}));
}

// Data cut short or damaged is reported; what could be read is split.
TEST_F(SplitTest, DamagedDataIsReportedWithTheFramesThatCouldBeRead) {
  const QString gif = writeGif("whole.gif", {{6, 5, 0, 0, 10, 0}, {6, 5, 0, 0, 10, 0}, {6, 5, 0, 0, 10, 0}});
  const QByteArray whole = bytes(gif);
  // The last frame's first code made one the decoder cannot know yet.
  const qsizetype descriptor = whole.lastIndexOf(QByteArray("\x21\xF9\x04", 3)) + 8;
  ASSERT_EQ(whole[descriptor], char(0x2C));
  const int packed = std::uint8_t(whole[descriptor + 9]);
  QByteArray badCode = whole;
  badCode[descriptor + 10 + ((packed & 0x80) ? 3 * (2 << (packed & 7)) : 0) + 2] = char(0xFF);
  QByteArray comment = whole;
  comment.insert(comment.size() - 1, QByteArray("\x21\xFE\x02hi\x00", 6));  // after the last image
  struct Case {
    const char* name;
    QByteArray data;
    int frames;
    QString damage;
  };
  const std::vector<Case> cases = {
      {"undamaged", whole, 3, {}},
      {"comment after the last image", comment, 3, {}},
      {"trailer missing", whole.left(whole.size() - 1), 3, "Invalid image trailer"},
      {"cut in the last frame", whole.left(whole.size() - 6), 3, "Premature end of data"},
      {"bad image data", badCode, 3, "Invalid GIF data"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFileReplacing(path("damaged.gif"), c.data);
    prompter.messages.clear();
    const SplitResult r = splitter.LoadGif(path("damaged.gif"), out.path(), 1);
    ASSERT_EQ(r.outcome, SplitResult::Outcome::Split) << prompter.texts().join(" | ").toStdString();
    EXPECT_EQ(r.frameCount, c.frames);
    EXPECT_EQ(editor.countText(), QString::number(c.frames));
    EXPECT_EQ(r.damage, c.damage);
  }
}

TEST_F(SplitTest, AnEmptyDefaultFolderMeansTheTemporaryFolderNotTheRoot) {
  QTemporaryDir tmp;
  TempPathOverride redirect(tmp.path());
  const QString gif = writeGif("two.gif", {{3, 3, 0, 0, 10, 0}, {3, 3, 0, 0, 10, 0}});
  const SplitResult r = splitter.LoadGif(gif, QString(), 1);
  ASSERT_EQ(r.outcome, SplitResult::Outcome::Split);
  // The private folder below TMPDIR, not fixed names in the shared one.
  const QString folder = tmp.filePath(QStringLiteral("framora-%1").arg(::getuid()));
  EXPECT_EQ(r.folder, folder);
  EXPECT_TRUE(QFile::exists(folder + "/img0.bmp"));
  EXPECT_TRUE(QFile::exists(folder + "/img1.bmp"));
  EXPECT_FALSE(QFile::exists(tmp.filePath("img0.bmp")));
  EXPECT_EQ(editor.folderText(), folder + "/");
  EXPECT_EQ(prompter.texts().last(), "Frames saved in: " + folder);
}

TEST_F(SplitTest, AFileThatIsNoGifReportsTheReadersErrorWithAnEmptyList) {
  writeFileReplacing(path("fake.gif"), QByteArray("this is not a picture at all"));
  EXPECT_EQ(splitter.LoadGif(path("fake.gif"), out.path(), 1).outcome, SplitResult::Outcome::Unreadable);
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
  EXPECT_TRUE(prompter.messages[0].text.startsWith(path("fake.gif") + ": ")) << prompter.messages[0].text.toStdString();
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
