// Create animated GIF: the boxes, the rows taken, the blocks written, the save step.
#include "production/GifBuilder.h"
#include "production/ProductionTexts.h"

#include "GifDecode.h"
#include "ProductionFixture.h"

#include "platform/Convert.h"
#include "platform/TextFile.h"

#include <QDir>

namespace framora::test {
namespace {

class BuildTest : public ProductionTest {
protected:
  FrameListModel model;
  GifBuilder builder{model, prompter};
  BuildInputs in;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    in.EditPfad = dir.path();
    in.EditWidth = QStringLiteral("0");
    in.EditHeight = QStringLiteral("0");
    in.DefaultFolder = dir.path();
    builder.threadCount = 2;
  }
  // Frames f0.bmp, f1.bmp, ... of 8 x 6 true-colour pixels.
  QString frame(int i, int w = 8, int h = 6) { return writeBmp(QStringLiteral("f%1.bmp").arg(i), TrueColourPicture(w, h, i)); }
  BuildResult buildSavingAs(const QString& name) {
    prompter.saveAnswers.enqueue(path(name));
    return builder.CreateAnimatedGif(in);
  }
  QStringList gifsInFolder() const { return QDir(dir.path()).entryList({QStringLiteral("*.gif")}, QDir::Files); }
};

// ---- delays ------------------------------------------------------------------------------

struct DelayCase {
  const char* cell;
  int hundredths;
  const char* box;  // "" = none
  MessageKind kind;
};

class DelayTest : public BuildTest, public ::testing::WithParamInterface<DelayCase> {};

TEST_P(DelayTest, CellBecomesHundredthsWithTheRightBox) {
  const DelayCase& c = GetParam();
  setRows(model, {{frame(0), QString::fromUtf8(c.cell), QStringLiteral("0")}});
  const BuildResult r = buildSavingAs(QStringLiteral("out.gif"));
  ASSERT_EQ(r.outcome, BuildResult::Outcome::Saved);
  if (*c.box) {
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_EQ(prompter.messages[0].text, QString::fromUtf8(c.box));
    EXPECT_EQ(prompter.messages[0].kind, c.kind);
  } else {
    EXPECT_TRUE(prompter.messages.isEmpty()) << prompter.texts().join(u'|').toStdString();
  }
  const DecodedGif gif = DecodeWithGiflib(local(r.savedPath));
  ASSERT_TRUE(gif.ok) << gif.error;
  ASSERT_EQ(gif.frames.size(), 1u);
  EXPECT_EQ(gif.frames[0].delay, c.hundredths);
}

constexpr auto Info = MessageKind::Information;
INSTANTIATE_TEST_SUITE_P(
    Cells, DelayTest,
    ::testing::Values(DelayCase{"50", 10, "Minimum delay 10ms!", Info}, DelayCase{"5", 10, "Minimum delay 10ms!", Info},
                      DelayCase{"0", 10, "Minimum delay 10ms!", Info}, DelayCase{"-20", 10, "Minimum delay 10ms!", Info},
                      DelayCase{"99", 10, "Minimum delay 10ms!", Info}, DelayCase{"100", 10, "", Info},
                      DelayCase{"60000", 5000, "Maximum delay 5000ms!", Info}, DelayCase{"6000", 600, "", Info},
                      DelayCase{"105", 10, "", Info}, DelayCase{"109", 10, "", Info}, DelayCase{"500", 50, "", Info},
                      DelayCase{"50009", 5000, "", Info}, DelayCase{"50010", 5000, "Maximum delay 5000ms!", Info},
                      DelayCase{" 700 ", 70, "", Info},
                      DelayCase{"abc", 500, "Invalid frame delay!", MessageKind::Error},
                      DelayCase{"", 500, "Invalid frame delay!", MessageKind::Error},
                      DelayCase{"99999999999", 500, "Invalid frame delay!", MessageKind::Error}));

TEST_F(BuildTest, TheBoxComesOncePerFrameConcerned) {
  setRows(model, {{frame(0), "50", "0"}, {frame(1), "50", "0"}, {frame(2), "50", "0"}, {frame(3), "700", "0"},
                  {frame(4), "x", "0"}});
  ASSERT_EQ(buildSavingAs("out.gif").outcome, BuildResult::Outcome::Saved);
  EXPECT_EQ(prompter.texts(), (QStringList{"Minimum delay 10ms!", "Minimum delay 10ms!", "Minimum delay 10ms!",
                                           "Invalid frame delay!"}));
}

// ---- rows, loop, disposal ------------------------------------------------------------------

TEST_F(BuildTest, AnEmptyRowEndsTheList) {
  setRows(model, {{frame(0), "500", "0"}, {frame(1), "500", "0"}, {"  ", "500", "0"}, {frame(3), "500", "0"}});
  const BuildResult r = buildSavingAs("out.gif");
  ASSERT_EQ(r.outcome, BuildResult::Outcome::Saved);
  const DecodedGif gif = DecodeWithGiflib(local(r.savedPath));
  ASSERT_EQ(gif.frames.size(), 2u);
  const Bitmap b = TrueColourPicture(8, 6, 1);  // the second frame is B
  EXPECT_NEAR(gif.frames[1].rgb[0], b.row(0)[0], 24);
}

TEST_F(BuildTest, LoopBlockOnlyOnTheFirstFrameAndOnlyWhenAsked) {
  for (const bool loop : {true, false}) {
    SCOPED_TRACE(loop);
    in.loop = loop;
    setRows(model, {{frame(0), "500", "0"}, {frame(1), "500", "0"}, {frame(2), "500", "0"}});
    const DecodedGif gif = DecodeWithGiflib(local(buildSavingAs("out.gif").savedPath));
    ASSERT_EQ(gif.frames.size(), 3u);
    EXPECT_EQ(gif.frames[0].loopBlocks, loop ? 1 : 0);
    if (loop) EXPECT_EQ(gif.frames[0].loopCount, 0);
    EXPECT_EQ(gif.frames[1].loopBlocks + gif.frames[2].loopBlocks, 0);
  }
}

TEST_F(BuildTest, DisposalOneToThreeKeptOthersBecomeNone) {
  const std::vector<std::pair<QString, int>> cases = {{"0", 0}, {"1", 1}, {"2", 2}, {"3", 3},
                                                      {"7", 0}, {"-1", 0}, {"65537", 0}, {" 2 ", 2}};
  std::vector<FrameRow> rows;
  for (int i = 0; i < int(cases.size()); ++i) rows.push_back({frame(i), "500", cases[std::size_t(i)].first});
  setRows(model, rows);
  const DecodedGif gif = DecodeWithGiflib(local(buildSavingAs("out.gif").savedPath));
  ASSERT_EQ(gif.frames.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(gif.frames[i].disposal, cases[i].second) << cases[i].first.toStdString();
}

TEST_F(BuildTest, ADisposalThatIsNoNumberEndsTheBuildWithItsError) {
  setRows(model, {{frame(0), "500", "0"}, {frame(1), "500", "x"}, {frame(2), "500", "0"}});
  const BuildResult r = builder.CreateAnimatedGif(in);
  EXPECT_EQ(r.outcome, BuildResult::Outcome::Failed);
  EXPECT_EQ(prompter.texts(), QStringList{invalidIntegerMessage("x")});
  EXPECT_EQ(builder.CurrentGif()->Images().Count(), 1);
  EXPECT_TRUE(prompter.proposedNames.isEmpty());
}

TEST_F(BuildTest, AFrameThatDoesNotLoadEndsTheBuildKeepingEarlierFrames) {
  QStringList events;
  builder.callbacks.busyCursor = [&](bool b) { events << QStringLiteral("busy %1").arg(b); };
  builder.callbacks.panelInfo = [&](const QString& t) { events << "info " + t; };
  setRows(model, {{frame(0), "50", "0"}, {"missing.bmp", "50", "0"}, {frame(2), "50", "0"}});
  const BuildResult r = builder.CreateAnimatedGif(in);
  EXPECT_EQ(r.outcome, BuildResult::Outcome::Failed);
  ASSERT_EQ(prompter.messages.size(), 2);  // the first frame's delay box, then the loader's error
  EXPECT_EQ(prompter.messages[1].kind, MessageKind::Error);
  EXPECT_FALSE(prompter.messages[1].text.isEmpty());
  EXPECT_EQ(builder.CurrentGif()->Images().Count(), 1);
  EXPECT_TRUE(prompter.proposedNames.isEmpty());
  EXPECT_EQ(events, (QStringList{"busy 1", "info Creating animated GIF", "busy 0", "info "}));
}

// Errors about a file name it, in the interface language where the text is the program's;
// a loader's own message keeps its words and gets the file in front.
TEST_F(BuildTest, FileErrorsNameTheFileInTheInterfaceLanguage) {
  {
    QFile bad(path("bad.bmp"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("BM, but no bitmap follows");
  }
  const QString missing = path("missing.bmp"), damaged = path("bad.bmp"), blocked = path("no/such/folder/out.gif");
  struct Case {
    const char* name;
    QString frame, saveAs;
    int language;
    QString start;
  };
  const QString good = frame(0);
  const Case cases[] = {
      {"missing frame, English", "missing.bmp", "", 1, "Cannot open file \"" + missing + "\". "},
      {"missing frame, German", "missing.bmp", "", 0, "Datei \"" + missing + "\" kann nicht geöffnet werden. "},
      {"damaged frame, English", "bad.bmp", "", 1, damaged + ": Bitmap ist ungültig"},
      {"damaged frame, German", "bad.bmp", "", 0, damaged + ": Bitmap ist ungültig"},
      {"failed save, English", good, blocked, 1, "Cannot create file \"" + blocked + "\". "},
      {"failed save, German", good, blocked, 0, "Datei \"" + blocked + "\" kann nicht erstellt werden. "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    prompter.messages.clear();
    in.language = c.language;
    setRows(model, {{c.frame, "500", "0"}});
    if (!c.saveAs.isEmpty()) prompter.saveAnswers.enqueue(c.saveAs);
    EXPECT_EQ(builder.CreateAnimatedGif(in).outcome, BuildResult::Outcome::Failed);
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(prompter.messages[0].text.startsWith(c.start)) << prompter.messages[0].text.toStdString();
  }
}

// ---- nothing to build -------------------------------------------------------------------------

TEST_F(BuildTest, EmptyListShowsTheNoImagesBoxInTheInterfaceLanguage) {
  for (const int language : {1, 0}) {
    prompter.messages.clear();
    setRows(model, {{frame(0), "500", "0"}});
    ASSERT_EQ(buildSavingAs("out.gif").outcome, BuildResult::Outcome::Saved);
    setRows(model, {});
    in.language = language;
    bool stopped = false;
    builder.callbacks.stopAnimation = [&] { stopped = true; };
    EXPECT_EQ(builder.CreateAnimatedGif(in).outcome, BuildResult::Outcome::NoImageFiles);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(builder.CurrentGif(), nullptr);  // the previous image is released
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(prompter.messages[0].text, language ? "No image files loaded!" : "Keine Bilddateien geladen!");
  }
}

TEST_F(BuildTest, SizeThatIsNoNumberStopsWithABoxNamingIt) {
  setRows(model, {{frame(0), "500", "0"}});
  for (const auto& [w, h] : std::vector<std::pair<QString, QString>>{{"x", "10"}, {"10", "ab"}, {"1 0", ""}}) {
    prompter.messages.clear();
    in.EditWidth = w;
    in.EditHeight = h;
    EXPECT_EQ(builder.CreateAnimatedGif(in).outcome, BuildResult::Outcome::BadSize);
    ASSERT_NE(builder.CurrentGif(), nullptr);
    EXPECT_EQ(builder.CurrentGif()->Images().Count(), 0);
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(prompter.messages[0].text,
              QStringLiteral("Width and height must be whole numbers, not \"%1\" x \"%2\"!").arg(w, h));
  }
}

TEST_F(BuildTest, EmptySizeEditsTakeTheLargestFrame) {
  setRows(model, {{frame(0, 8, 6), "500", "0"}, {frame(1, 20, 4), "500", "0"}});
  in.EditWidth = QString();
  in.EditHeight = QStringLiteral("  ");
  const BuildResult r = buildSavingAs(QStringLiteral("out.gif"));
  ASSERT_EQ(r.outcome, BuildResult::Outcome::Saved) << prompter.texts().join(u'|').toStdString();
  EXPECT_EQ(r.width, 20);
  EXPECT_EQ(r.height, 6);
  const DecodedGif gif = DecodeWithGiflib(local(r.savedPath));
  EXPECT_EQ(gif.width, 20);
  EXPECT_EQ(gif.height, 6);
}

TEST_F(BuildTest, ScreenSizeFromTheEditsGrowsToTheLargestFrame) {
  setRows(model, {{frame(0, 8, 6), "500", "0"}, {frame(1, 20, 4), "500", "0"}});
  in.EditWidth = " 10 ";
  in.EditHeight = "12";
  const DecodedGif gif = DecodeWithGiflib(local(buildSavingAs("out.gif").savedPath));
  EXPECT_EQ(gif.width, 20);
  EXPECT_EQ(gif.height, 12);
}

// ---- transparency --------------------------------------------------------------------------------

TEST_F(BuildTest, TransparentColourFoundOrAppendedInEveryFrame) {
  in.transparent = true;
  in.optimize = false;
  in.transparentColour = Rgb{255, 251, 240};
  setRows(model, {{frame(0), "500", "0"}, {frame(1), "500", "0"}});
  ASSERT_EQ(buildSavingAs("out.gif").outcome, BuildResult::Outcome::Saved);
  for (const auto& f : builder.CurrentGif()->Images()) {
    const auto* gce = f->GraphicControlExtension();
    ASSERT_NE(gce, nullptr);
    EXPECT_TRUE(gce->Transparent());
    EXPECT_EQ(gce->TransparentColor(), (Rgb{255, 251, 240}));
  }
}

// The picked colour of a true-colour frame's flat background: exactly those pixels become
// transparent, although the gradient beside them shares the colour's octree leaf.
TEST_F(BuildTest, TransparentColourOfATrueColourFrameCoversExactlyItsPixels) {
  const Rgb key{0x87, 0xCE, 0xEB};
  Bitmap picture(40, 30, 24);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool inside = x >= 10 && x < 30 && y >= 8 && y < 22;
      const Rgb c = inside ? Rgb{std::uint8_t(0x78 + x), std::uint8_t(0xC4 + (y - 8) / 2), std::uint8_t(0xE0 + x / 3)} : key;
      std::uint8_t* p = picture.row(y) + 3 * x;
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
    }
  in.transparent = true;
  in.transparentColour = key;
  setRows(model, {{writeBmp("sky.bmp", picture), "500", "0"}, {"sky.bmp", "500", "0"}});
  for (const bool optimize : {false, true}) {
    SCOPED_TRACE(optimize ? "optimized" : "local maps");
    in.optimize = optimize;
    const BuildResult r = buildSavingAs("sky.gif");
    ASSERT_EQ(r.outcome, BuildResult::Outcome::Saved);
    const DecodedGif gif = DecodeWithGiflib(local(r.savedPath));
    ASSERT_TRUE(gif.ok) << gif.error;
    ASSERT_EQ(gif.frames.size(), 2u);
    for (const DecodedFrame& f : gif.frames) {
      ASSERT_GE(f.transparentIndex, 0);
      for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
          ASSERT_EQ(f.indices[std::size_t(y * 40 + x)] == f.transparentIndex, picture.pixel(x, y) == key) << x << "," << y;
    }
  }
}

TEST_F(BuildTest, FullColourTablesFallBackToTheSecondFramesBottomLeftIndex) {
  in.transparent = true;
  in.optimize = false;
  // Single frame: no detection, index 255.
  setRows(model, {{writeBmp("p0.bmp", FullPalettePicture(6, 5, 40)), "500", "0"}});
  ASSERT_EQ(buildSavingAs("one.gif").outcome, BuildResult::Outcome::Saved);
  EXPECT_EQ(builder.CurrentGif()->Images()[0].GraphicControlExtension()->TransparentColorIndex(), 255);
  EXPECT_EQ(builder.AutoTransIndex(), -1);

  setRows(model, {{"p0.bmp", "500", "0"},
                  {writeBmp("p1.bmp", FullPalettePicture(6, 5, 17)), "500", "0"},
                  {writeBmp("p2.bmp", FullPalettePicture(6, 5, 99)), "500", "0"}});
  ASSERT_EQ(buildSavingAs("three.gif").outcome, BuildResult::Outcome::Saved);
  const DecodedGif gif = DecodeWithGiflib(local(path("three.gif")));
  ASSERT_EQ(gif.frames.size(), 3u);
  EXPECT_EQ(gif.frames[0].transparentIndex, 255);
  EXPECT_EQ(gif.frames[1].transparentIndex, 17);
  EXPECT_EQ(gif.frames[2].transparentIndex, 17);
}

// ---- saving -------------------------------------------------------------------------------------------

TEST_F(BuildTest, SavedUnderTheChosenNameWithGifExtensionAndShownInTheStatusBar) {
  QStringList events;
  builder.callbacks.playAnimation = [&](const QString& p) { events << "play " + p; };
  builder.callbacks.status = [&](const QString& p, const QString& s) { events << "status " + p + " " + s; };
  builder.callbacks.panelInfo = [&](const QString& t) { events << "info " + t; };
  setRows(model, {{frame(0), "500", "0"}});
  in.DefaultFolder = "/some/start";
  const BuildResult r = buildSavingAs("clip.bmp");
  ASSERT_EQ(r.outcome, BuildResult::Outcome::Saved);
  EXPECT_EQ(r.savedPath, path("clip.gif"));
  EXPECT_EQ(gifsInFolder(), QStringList{"clip.gif"});
  EXPECT_FALSE(QFile::exists(path("clip.bmp")));
  EXPECT_EQ(prompter.proposedNames, QStringList{"animation.gif"});
  EXPECT_EQ(prompter.filters, QStringList{GifSaveFilter()});
  const QString size = KilobyteText(FileSizeBytes(path("clip.gif")));
  EXPECT_EQ(events, (QStringList{"info Creating animated GIF", "play " + path("clip.gif"),
                                 "status " + path("clip.gif") + " " + size, "info "}));
}

TEST(GifExtension, ReplacesOrAddsTheExtension) {
  const std::vector<std::pair<QString, QString>> cases = {{"/a/clip.bmp", "/a/clip.gif"}, {"/a/clip", "/a/clip.gif"},
                                                          {"/a.b/clip", "/a.b/clip.gif"}, {"/a/x.gif.bak", "/a/x.gif.gif"},
                                                          {"/a/ANIM.GIF", "/a/ANIM.gif"}};
  for (const auto& [in, out] : cases) EXPECT_EQ(WithGifExtension(in), out) << in.toStdString();
}

TEST_F(BuildTest, FileSizeInWholeKilobytes) {
  const std::vector<std::pair<int, QString>> cases = {{1536, "1 Kb"}, {1000, "0 Kb"}, {0, "0 Kb"}, {2048, "2 Kb"}};
  for (const auto& [n, text] : cases) {
    writeFileReplacing(path("f.bin"), QByteArray(n, 'x'));
    EXPECT_EQ(FileSizeBytes(path("f.bin")), n);
    EXPECT_EQ(KilobyteText(FileSizeBytes(path("f.bin"))), text);
  }
  EXPECT_THROW(FileSizeBytes(path("missing.bin")), FileError);
}

TEST_F(BuildTest, CancellingTheSaveDialogKeepsTheOptimizedImageAndWritesNothing) {
  bool played = false;
  builder.callbacks.playAnimation = [&](const QString&) { played = true; };
  setRows(model, {{frame(0), "500", "0"}, {frame(1), "500", "0"}});
  const BuildResult r = builder.CreateAnimatedGif(in);  // no answer queued: cancel
  EXPECT_EQ(r.outcome, BuildResult::Outcome::Cancelled);
  EXPECT_EQ(prompter.proposedNames.size(), 1);
  ASSERT_NE(builder.CurrentGif(), nullptr);
  EXPECT_FALSE(builder.CurrentGif()->GlobalColorMap().Empty());
  for (const auto& f : builder.CurrentGif()->Images()) EXPECT_TRUE(f->ColorMap().Empty());
  EXPECT_TRUE(gifsInFolder().isEmpty());
  EXPECT_FALSE(played);
}

TEST_F(BuildTest, AFailedSaveReportsTheErrorAndLeavesNoFile) {
  setRows(model, {{frame(0), "500", "0"}});
  prompter.saveAnswers.enqueue(path("no/such/folder/out.gif"));
  EXPECT_EQ(builder.CreateAnimatedGif(in).outcome, BuildResult::Outcome::Failed);
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
}

// ---- parallel build --------------------------------------------------------------------------------

TEST_F(BuildTest, ParallelBuildWritesTheSameBytesAndBoxesAsASequentialOne) {
  std::vector<FrameRow> rows;
  const char* delays[] = {"50", "700", "x", "60000", "120"};
  for (int i = 0; i < 11; ++i)
    rows.push_back({writeBmp(QStringLiteral("t%1.bmp").arg(i), TrueColourPicture(30 + 7 * i, 20 + 3 * (i % 4), i)),
                    delays[i % 5], QString::number(i % 4)});
  setRows(model, rows);
  for (const bool optimize : {true, false}) {
    for (const bool transparent : {false, true}) {
      in.optimize = optimize;
      in.transparent = transparent;
      QByteArray reference;
      QStringList referenceTexts;
      for (const auto& [threads, window] : std::vector<std::pair<int, int>>{{1, 0}, {2, 1}, {3, 2}, {4, 0}}) {
        SCOPED_TRACE(testing::Message() << "optimize " << optimize << " transparent " << transparent << " threads "
                                        << threads << " window " << window);
        builder.threadCount = threads;
        builder.lookAhead = window;
        int idleCalls = 0;
        builder.callbacks.idle = threads > 2 ? std::function<void()>([&] { ++idleCalls; }) : std::function<void()>();
        prompter.messages.clear();
        int lastDone = -1;
        builder.callbacks.progress = [&](int done, int total) {
          EXPECT_EQ(total, 11);
          EXPECT_EQ(done, lastDone + 1);
          lastDone = done;
        };
        ASSERT_EQ(buildSavingAs("p.gif").outcome, BuildResult::Outcome::Saved);
        EXPECT_EQ(lastDone, 11);
        const QByteArray written = bytes(path("p.gif"));
        if (reference.isEmpty()) {
          reference = written;
          referenceTexts = prompter.texts();
        } else {
          EXPECT_EQ(written, reference);
          EXPECT_EQ(prompter.texts(), referenceTexts);
        }
      }
    }
  }
}

TEST_F(BuildTest, ABuildStartedWhileOneRunsIsIgnored) {
  setRows(model, {{frame(0), "500", "0"}, {frame(1), "500", "0"}});
  builder.threadCount = 2;
  BuildResult inner;
  builder.callbacks.idle = [&] {
    if (inner.outcome != BuildResult::Outcome::Busy) inner = builder.CreateAnimatedGif(in);
  };
  EXPECT_EQ(buildSavingAs("out.gif").outcome, BuildResult::Outcome::Saved);
  EXPECT_EQ(inner.outcome, BuildResult::Outcome::Busy);
  EXPECT_EQ(builder.CurrentGif()->Images().Count(), 2);
}

TEST_F(BuildTest, StillPictureFollowsEveryFrameAndKeepsTheLast) {
  setRows(model, {{frame(0, 8, 6), "500", "0"}, {frame(1, 9, 7), "500", "0"}});
  QList<int> widths;
  builder.callbacks.stillPicture = [&](const std::shared_ptr<const Picture>& p) { widths << p->Width(); };
  const BuildResult r = buildSavingAs("out.gif");
  EXPECT_EQ(widths, (QList<int>{8, 9}));
  ASSERT_TRUE(r.lastPicture);
  EXPECT_EQ(r.lastPicture->Height(), 7);
}

} // namespace
} // namespace framora::test
