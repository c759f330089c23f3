#include "video/VideoExtractor.h"

#include "codec/BmpFile.h"
#include "support/ScriptedPrompter.h"
#include "video/TestVideo.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace framora {
namespace {

using test::ScriptedPrompter;
using test::TestVideoSpec;

// ---- the rules in isolation -------------------------------------------------------------------

TEST(SuggestedFrameDelay, RoundsToHundredsWithHalvesToEvenAndNeverZero) {
  struct Case {
    double seconds;
    long long end;
    int delay;
  };
  const Case cases[] = {
      {10, 250, 100},  // 39.8 -> 0 -> 100
      {10, 50, 200},   // 196
      {0.5, 9, 100},   // exactly 50 -> 0 -> 100
      {1.5, 9, 200},   // exactly 150
      {2.5, 9, 200},   // exactly 250
      {3.5, 9, 400},   // exactly 350
      {10, 9, 1000},
      {0, 250, 100},   // unknown run time
      {10, 0, 10000},
      {10, -1, 100},   // nothing to divide by
      {std::numeric_limits<double>::quiet_NaN(), 10, 100},
      {-5, 10, 100},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SuggestedFrameDelay(c.seconds, c.end), c.delay) << c.seconds << " s, end " << c.end;
  EXPECT_GT(SuggestedFrameDelay(1e300, 1), 0);
}

TEST(AviFrameFileName, HasAtLeastTwoDigits) {
  const std::pair<long long, const char*> cases[] = {
      {1, "avframe01.bmp"}, {9, "avframe09.bmp"}, {10, "avframe10.bmp"},
      {99, "avframe99.bmp"}, {100, "avframe100.bmp"}, {500, "avframe500.bmp"}};
  for (const auto& [n, name] : cases) EXPECT_EQ(AviFrameFileName(n), QString::fromLatin1(name));
}

TEST(AviTexts, BothLanguages) {
  const AviTexts en = AviTexts::forLanguage(1), de = AviTexts::forLanguage(0), other = AviTexts::forLanguage(7);
  EXPECT_EQ(en.saveFramesNow, "Save frames now?");
  EXPECT_EQ(en.framesSaved, "Frames saved");
  EXPECT_EQ(en.cannotOpenAvi, "Could not open AVI file!");
  EXPECT_EQ(en.tooManyFrames, "AVI contains more than 500 frames. 500 frames can be used for gif animation.");
  EXPECT_EQ(de.saveFramesNow, "Einzelbilder jetzt speichern?");
  EXPECT_EQ(de.framesSaved, "Einzelbilder gespeichert");
  EXPECT_EQ(de.cannotOpenAvi, QString::fromUtf8("AVI kann nicht geöffnet werden!"));
  EXPECT_EQ(de.tooManyFrames, QString::fromUtf8("AVI enthält mehr als 500 Einzelbilder. Für Gif-Animationen "
                                                "können 500 Bilder verwendet werden."));
  EXPECT_EQ(other.saveFramesNow, en.saveFramesNow);
}

// ---- extraction from real files --------------------------------------------------------------

class ExtractTest : public ::testing::Test {
protected:
  QTemporaryDir dir;
  QString frames;  // output folder
  ScriptedPrompter prompter;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    frames = dir.filePath("frames");
    ASSERT_TRUE(QDir().mkpath(frames));
  }

  QString make(const QString& name, const TestVideoSpec& spec) {
    const QString path = dir.filePath(name);
    test::WriteTestVideo(QFile::encodeName(path).toStdString(), spec);
    return path;
  }

  AviExtractResult run(const QString& path, bool answer = true, int language = 1) {
    prompter.yesNoAnswers.enqueue(answer);
    AviExtractRequest request;
    request.folder = frames;
    request.texts = AviTexts::forLanguage(language);
    request.prompter = &prompter;
    return ExtractAviFrames(path, request);
  }

  QString framePath(int n) const { return frames + '/' + AviFrameFileName(n); }

  QStringList framesOnDisk() const {
    return QDir(frames).entryList({"avframe*.bmp"}, QDir::Files, QDir::Name);
  }

  // The frame file shows frame `index` at the video's size.
  void expectFrame(int number, int index, int width = 32, int height = 24) const {
    SCOPED_TRACE(("frame file " + QString::number(number)).toStdString());
    const Bitmap bmp = LoadBmpFile(QFile::encodeName(framePath(number)).toStdString());
    ASSERT_EQ(bmp.width(), width);
    ASSERT_EQ(bmp.height(), height);
    EXPECT_EQ(bmp.bitsPerPixel(), 24);
    for (int band = 0; band < 3; ++band) {
      const int y = band * height / 3 + height / 6;
      const Rgb px = bmp.pixel(width / 2, y);
      const int want = test::DigitGrey(test::BandDigit(index, band));
      EXPECT_NEAR(px.r, want, 12) << "band " << band;
      EXPECT_NEAR(px.g, want, 12) << "band " << band;
      EXPECT_NEAR(px.b, want, 12) << "band " << band;
    }
  }
};

struct VideoCase {
  const char* name;
  const char* file;
  TestVideoSpec spec;
  int delay;
  int runTime;
};

void PrintTo(const VideoCase& c, std::ostream* os) { *os << c.name; }

class ExtractVideos : public ExtractTest, public ::testing::WithParamInterface<VideoCase> {};

// Every container and codec the same way: six info lines, one file per frame in order, the
// question asked once, "Frames saved" at the end.
TEST_P(ExtractVideos, ListsFactsAndWritesEveryFrameInOrder) {
  const VideoCase& c = GetParam();
  if (!avcodec_find_encoder(c.spec.codec)) GTEST_SKIP() << "this FFmpeg has no encoder for " << c.name;
  const QString path = make(c.file, c.spec);
  const AviExtractResult r = run(path);

  ASSERT_EQ(r.outcome, AviOutcome::Done) << r.message.toStdString();
  EXPECT_TRUE(r.saved);
  ASSERT_EQ(r.frameDelay, c.delay);
  const QStringList info = {"AVI File: " + path, "AVI Height px: " + QString::number(c.spec.height),
                            "AVI Width  px: " + QString::number(c.spec.width),
                            "Run time  sec: " + QString::number(c.runTime),
                            "Images:        " + QString::number(c.spec.frames),
                            "Delay ms:      " + QString::number(c.delay)};
  ASSERT_EQ(r.lines.size(), 6 + c.spec.frames);
  EXPECT_EQ(r.lines.mid(0, 6), info);
  for (int n = 1; n <= c.spec.frames; ++n) EXPECT_EQ(r.lines[5 + n], framePath(n));
  EXPECT_EQ(r.frameFiles, r.lines.mid(6));
  EXPECT_EQ(framesOnDisk().size(), c.spec.frames);
  for (int n : {1, 2, c.spec.frames / 2, c.spec.frames - 1, c.spec.frames})
    expectFrame(n, n - 1, c.spec.width, c.spec.height);

  EXPECT_EQ(prompter.questions, QStringList{"Save frames now?"});
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Information);
  EXPECT_EQ(prompter.messages[0].text, "Frames saved");
  // No temporary file is left beside the frames.
  EXPECT_EQ(QDir(frames).entryList(QDir::Files).size(), c.spec.frames);
}

INSTANTIATE_TEST_SUITE_P(
    Containers, ExtractVideos,
    ::testing::Values(
        VideoCase{"Avi10s250Frames", "a.avi", {"avi", AV_CODEC_ID_MJPEG, 250, 25}, 100, 10},
        VideoCase{"Avi10s50Frames", "b.avi", {"avi", AV_CODEC_ID_MJPEG, 50, 5}, 200, 10},
        VideoCase{"AviMpeg4WithBFrames", "c.avi", {"avi", AV_CODEC_ID_MPEG4, 50, 5, 32, 24, 2}, 200, 10},
        VideoCase{"Mp4H264", "d.mp4", {"mp4", AV_CODEC_ID_H264, 50, 5}, 200, 10},
        // Rows of an odd width need padding in the BMP.
        VideoCase{"OddSize", "h.avi", {"avi", AV_CODEC_ID_MJPEG, 20, 2, 35, 27}, 500, 10},
        VideoCase{"Mp4Mpeg4", "e.mp4", {"mp4", AV_CODEC_ID_MPEG4, 250, 25}, 100, 10},
        // Matroska keeps no frame count: counted by decoding.
        VideoCase{"MatroskaCountedByDecoding", "f.mkv", {"matroska", AV_CODEC_ID_MJPEG, 50, 5}, 200, 10},
        // A bare MJPEG stream has neither rate nor duration: run time 0 and the fallback delay.
        VideoCase{"RawStreamWithoutRate", "g.mjpeg", {"mjpeg", AV_CODEC_ID_MJPEG, 20, 5}, 100, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExtractTest, MoreThan500FramesWarnsAndWritesTheFirst500) {
  const QString path = make("long.avi", {"avi", AV_CODEC_ID_MJPEG, 1200, 25});
  const AviExtractResult r = run(path);
  ASSERT_EQ(r.outcome, AviOutcome::Done);
  EXPECT_TRUE(r.capped);
  EXPECT_EQ(r.frames, 1200);
  EXPECT_EQ(r.lines[4], "Images:        1200");
  EXPECT_EQ(r.lines[5], "Delay ms:      100");
  ASSERT_EQ(r.lines.size(), 506);
  EXPECT_EQ(r.lines.last(), framePath(500));

  QStringList expected;
  for (int n = 1; n <= 500; ++n) expected.append(AviFrameFileName(n));
  QStringList onDisk = framesOnDisk();
  std::sort(onDisk.begin(), onDisk.end(), [](const QString& a, const QString& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  EXPECT_EQ(onDisk, expected);
  expectFrame(500, 499);

  ASSERT_EQ(prompter.messages.size(), 2);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Warning);
  EXPECT_EQ(prompter.messages[0].text, AviTexts::forLanguage(1).tooManyFrames);
  EXPECT_EQ(prompter.messages[1].text, "Frames saved");
  // The warning comes before the question.
  EXPECT_EQ(prompter.questions.size(), 1);
}

TEST_F(ExtractTest, AnsweringNoLeavesSixLinesAndNoFiles) {
  const QString path = make("b.avi", {"avi", AV_CODEC_ID_MJPEG, 50, 5});
  const AviExtractResult r = run(path, false);
  EXPECT_EQ(r.outcome, AviOutcome::Declined);
  EXPECT_FALSE(r.saved);
  EXPECT_EQ(r.frameDelay, 200);
  EXPECT_EQ(r.lines.size(), 6);
  EXPECT_TRUE(framesOnDisk().isEmpty());
  EXPECT_TRUE(prompter.messages.isEmpty());
}

TEST_F(ExtractTest, ReadOnlyFrameFileIsSkippedSilentlyAndKept) {
  const QString path = make("b.avi", {"avi", AV_CODEC_ID_MJPEG, 10, 5});
  {
    QFile old(framePath(3));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old frame");
  }
  ASSERT_TRUE(QFile::setPermissions(framePath(3), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

  const AviExtractResult r = run(path);
  EXPECT_EQ(r.outcome, AviOutcome::Done);
  EXPECT_TRUE(r.saved);
  QStringList expected;
  for (int n : {1, 2, 4, 5, 6, 7, 8, 9, 10}) expected.append(framePath(n));
  EXPECT_EQ(r.lines.mid(6), expected);
  expectFrame(2, 1);
  expectFrame(4, 3);
  QFile old(framePath(3));
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "old frame");
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].text, "Frames saved");
}

TEST_F(ExtractTest, ExistingFramesAreReplacedAndHigherNumbersStay) {
  const QString path = make("b.avi", {"avi", AV_CODEC_ID_MJPEG, 5, 5});
  for (int n : {2, 7}) {
    QFile f(framePath(n));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("older run");
  }
  ASSERT_EQ(run(path).outcome, AviOutcome::Done);
  expectFrame(2, 1);
  QFile seven(framePath(7));
  ASSERT_TRUE(seven.open(QIODevice::ReadOnly));
  EXPECT_EQ(seven.readAll(), "older run");
}

TEST_F(ExtractTest, FolderThatCannotTakeFilesIsReportedNotCalledSaved) {
  const QString path = make("b.avi", {"avi", AV_CODEC_ID_MJPEG, 5, 5});
  QFile blocker(dir.filePath("not-a-folder"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  frames = blocker.fileName();
  const AviExtractResult r = run(path);
  EXPECT_FALSE(r.saved);
  EXPECT_EQ(r.lines.size(), 6);
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(prompter.messages[0].text, "Frames could not be saved in: " + frames);
}

// The same extraction for a caller without a window: no question, no boxes, progress per frame.
TEST_F(ExtractTest, RunsWithoutAWindowWhenTheAnswerIsGiven) {
  const QString path = make("b.avi", {"avi", AV_CODEC_ID_MJPEG, 12, 5});
  AviExtractRequest request;
  request.folder = frames;
  request.saveFrames = true;
  request.maxFrames = 10;
  QStringList streamed;
  QList<std::pair<int, int>> progress;
  request.addLine = [&](const QString& line) { streamed.append(line); };
  request.progress = [&](int done, int total) { progress.append({done, total}); };
  const AviExtractResult r = ExtractAviFrames(path, request);
  EXPECT_EQ(r.outcome, AviOutcome::Done);
  EXPECT_TRUE(r.capped);
  EXPECT_EQ(streamed, r.lines);
  EXPECT_EQ(r.lines.size(), 16);
  ASSERT_EQ(progress.size(), 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(progress[i], std::make_pair(i + 1, 10));
  EXPECT_EQ(framesOnDisk().size(), 10);
}

TEST_F(ExtractTest, CountingAVideoWithoutFrameCountKeepsReportingProgress) {
  const QString path = make("long.mkv", {"matroska", AV_CODEC_ID_MJPEG, 64, 25});
  AviExtractRequest request;
  request.folder = frames;
  request.saveFrames = false;
  int busy = 0;
  request.progress = [&](int done, int total) { busy += done == 0 && total == 0; };
  const AviExtractResult r = ExtractAviFrames(path, request);
  EXPECT_EQ(r.frames, 64);
  EXPECT_GE(busy, 2);
}

// ---- files that are not usable videos ----------------------------------------------------------

enum class Damage { Garbage, Empty, Missing, AudioOnly, UnknownCodec, Truncated };

struct DamageCase {
  const char* name;
  Damage damage;
  int language;
  AviOutcome outcome;
  MessageKind kind;
  const char* text;  // empty: "Error creating frame " + the frames written
  bool errorCaption;
  int infoLines;     // before the frame lines
};

void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }

class DamagedFiles : public ExtractTest, public ::testing::WithParamInterface<DamageCase> {
protected:
  QString damagedFile(Damage damage) {
    const QString path = dir.filePath("damaged.avi");
    auto writeBytes = [&](const QByteArray& bytes) {
      QFile f(path);
      EXPECT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(bytes);
    };
    switch (damage) {
    case Damage::Garbage: {
      QByteArray bytes;
      for (int i = 0; i < 4096; ++i) bytes.append(static_cast<char>((i * 7919) % 251));
      writeBytes(bytes);
      break;
    }
    case Damage::Empty: writeBytes({}); break;
    case Damage::Missing: break;
    case Damage::AudioOnly: test::WriteAudioOnlyAvi(QFile::encodeName(path).toStdString()); break;
    case Damage::UnknownCodec:
    case Damage::Truncated: {
      make("damaged.avi", {"avi", AV_CODEC_ID_MJPEG, 40, 5});
      QFile f(path);
      EXPECT_TRUE(f.open(QIODevice::ReadOnly));
      QByteArray bytes = f.readAll();
      f.close();
      if (damage == Damage::UnknownCodec) {
        // A FourCC no decoder knows, in the stream header and the format block.
        const qsizetype headers = bytes.indexOf("movi");
        for (qsizetype at = bytes.indexOf("MJPG"); at >= 0 && at < headers; at = bytes.indexOf("MJPG", at + 4))
          bytes.replace(at, 4, "QQQQ");
      } else {
        bytes.truncate(bytes.size() / 2);
      }
      writeBytes(bytes);
      break;
    }
    }
    return path;
  }
};

TEST_P(DamagedFiles, GiveTheirErrorBoxAndKeepWhatWasListed) {
  const DamageCase& c = GetParam();
  const QString path = damagedFile(c.damage);
  const AviExtractResult r = run(path, true, c.language);
  EXPECT_EQ(r.outcome, c.outcome);
  ASSERT_EQ(prompter.messages.size(), 1) << prompter.texts().join('|').toStdString();
  const auto& m = prompter.messages[0];
  EXPECT_EQ(m.kind, c.kind);
  const QString text = *c.text ? QString::fromUtf8(c.text) : "Error creating frame " + QString::number(r.frameFiles.size());
  EXPECT_EQ(m.text, text);
  EXPECT_EQ(m.caption, c.errorCaption ? QString("Error") : QString());
  ASSERT_GE(r.lines.size(), c.infoLines);
  EXPECT_EQ(r.lines.size(), c.infoLines + r.frameFiles.size());
  if (c.outcome == AviOutcome::FrameError) {
    // The frames before the broken one stay on disk and in the list.
    EXPECT_GT(r.frameFiles.size(), 0);
    EXPECT_LT(r.frameFiles.size(), 40);
    EXPECT_EQ(framesOnDisk().size(), r.frameFiles.size());
  } else {
    EXPECT_TRUE(r.frameFiles.isEmpty());
    EXPECT_TRUE(prompter.questions.isEmpty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedFiles,
    ::testing::Values(
        DamageCase{"Garbage", Damage::Garbage, 1, AviOutcome::CannotOpen, MessageKind::Error,
                   "Could not open AVI file!", true, 0},
        DamageCase{"EmptyGerman", Damage::Empty, 0, AviOutcome::CannotOpen, MessageKind::Error,
                   "AVI kann nicht geöffnet werden!", true, 0},
        DamageCase{"Missing", Damage::Missing, 1, AviOutcome::CannotOpen, MessageKind::Error,
                   "Could not open AVI file!", true, 0},
        DamageCase{"AudioOnly", Damage::AudioOnly, 1, AviOutcome::NoVideoStream, MessageKind::Error,
                   "Creating AVI stream failed!", true, 4},
        DamageCase{"UnknownCodec", Damage::UnknownCodec, 0, AviOutcome::NoDecoder, MessageKind::Error,
                   "Decompressing video frames failed!", true, 4},
        DamageCase{"Truncated", Damage::Truncated, 1, AviOutcome::FrameError, MessageKind::Warning, "", false, 6}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace framora
