// framora-cli as a script would use it: build, info (text and JSON), split, rebuild from the
// template, extract a video, and the error exits.
#include "codec/BmpFile.h"
#include "codec/GIFImage.h"
#include "production/SeenFrames.h"
#include "video/TestVideo.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <iostream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace framora::test {
namespace {

struct CliRun {
  int exit = -1;
  QString out, err;
};

QString shellQuote(const QString& s) {
  QString q = s;
  q.replace(u'\'', QStringLiteral("'\\''"));
  return u'\'' + q + u'\'';
}

Bitmap Picture24(int w, int h, int seed) {
  Bitmap b(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = b.row(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>(x * 255 / (w - 1));
      p[1] = static_cast<std::uint8_t>(y * 255 / (h - 1));
      p[2] = static_cast<std::uint8_t>(seed * 70 + x * y);
    }
  return b;
}

class CliTest : public ::testing::Test {
protected:
  QTemporaryDir dir;
  QStringList frames;
  QString workDir;  // where the command runs, when set

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    const int sizes[][2] = {{30, 20}, {48, 16}, {20, 40}};
    for (int i = 0; i < 3; ++i) {
      frames << dir.filePath(QStringLiteral("frame %1.bmp").arg(i));
      SaveBmpFile(Picture24(sizes[i][0], sizes[i][1], i), QFile::encodeName(frames.last()).toStdString());
    }
  }

  CliRun cli(const QStringList& args) const {
    QString command = shellQuote(QStringLiteral(FRAMORA_CLI));
    if (!workDir.isEmpty()) command = "cd " + shellQuote(workDir) + " && " + command;
    for (const QString& a : args) command += u' ' + shellQuote(a);
    const QString out = dir.filePath("stdout.txt"), err = dir.filePath("stderr.txt");
    command += " >" + shellQuote(out) + " 2>" + shellQuote(err);
    CliRun r;
    const int status = std::system(command.toLocal8Bit().constData());
    r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    QFile o(out), e(err);
    if (o.open(QIODevice::ReadOnly)) r.out = QString::fromUtf8(o.readAll());
    if (e.open(QIODevice::ReadOnly)) r.err = QString::fromUtf8(e.readAll());
    return r;
  }

  QJsonObject info(const QString& gif) const {
    const CliRun r = cli({"info", "--json", gif});
    EXPECT_EQ(r.exit, 0) << r.err.toStdString();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    return doc.object();
  }
};

TEST_F(CliTest, BuildWritesWhatInfoReports) {
  const QString gif = dir.filePath("out.gif");
  const CliRun r = cli(QStringList{"build", "--delay", "250", "--disposal", "2", "-o", gif} + frames);
  ASSERT_EQ(r.exit, 0) << r.err.toStdString();
  const QJsonObject o = info(gif);
  EXPECT_EQ(o["screen_width"].toInt(), 48);
  EXPECT_EQ(o["screen_height"].toInt(), 40);
  EXPECT_EQ(o["loop"].toInt(-1), 0);
  const QJsonArray f = o["frames"].toArray();
  ASSERT_EQ(f.size(), 3);
  const int sizes[][2] = {{30, 20}, {48, 16}, {20, 40}};
  for (int i = 0; i < 3; ++i) {
    const QJsonObject fr = f[i].toObject();
    EXPECT_EQ(fr["width"].toInt(), sizes[i][0]);
    EXPECT_EQ(fr["height"].toInt(), sizes[i][1]);
    EXPECT_EQ(fr["left"].toInt(), 0);
    EXPECT_EQ(fr["top"].toInt(), 0);
    EXPECT_EQ(fr["delay"].toInt(), 25);
    EXPECT_EQ(fr["disposal"].toInt(), 2);
    EXPECT_TRUE(fr["transparent_index"].isNull());
    EXPECT_GT(fr["colors"].toInt(), 1);
  }
  const DecodedGif decoded = DecodeWithGiflib(QFile::encodeName(gif).toStdString());
  ASSERT_TRUE(decoded.ok) << decoded.error;
  EXPECT_EQ(decoded.frames.size(), 3u);

  EXPECT_FALSE(o.contains("canvas_width"));
  EXPECT_FALSE(o.contains("canvas_height"));

  const CliRun text = cli({"info", gif});
  EXPECT_EQ(text.exit, 0);
  EXPECT_TRUE(text.out.contains("Screen:  48 x 40")) << text.out.toStdString();
  EXPECT_FALSE(text.out.contains("Canvas"));
  EXPECT_TRUE(text.out.contains("Loop:    0 (forever)"));
}

TEST_F(CliTest, BuildOptionsFollowTheCreateRules) {
  struct Case {
    QStringList options;
    QString outName;  // the name written
    std::function<void(const QJsonObject&, const CliRun&)> check;
  };
  const std::vector<Case> cases = {
      {{"--no-loop"}, "a.gif", [](const QJsonObject& o, const CliRun&) { EXPECT_TRUE(o["loop"].isNull()); }},
      {{"--delay", "50"}, "a.gif",
       [](const QJsonObject& o, const CliRun& r) {
         EXPECT_EQ(r.err.count("Minimum delay 10ms!"), 3);
         EXPECT_EQ(o["frames"].toArray()[2].toObject()["delay"].toInt(), 10);
       }},
      {{"--delay", "60000"}, "a.gif",
       [](const QJsonObject& o, const CliRun& r) {
         EXPECT_EQ(r.err.count("Maximum delay 5000ms!"), 3);
         EXPECT_EQ(o["frames"].toArray()[0].toObject()["delay"].toInt(), 5000);
       }},
      {{"--disposal", "7"}, "a.gif",
       [](const QJsonObject& o, const CliRun&) { EXPECT_EQ(o["frames"].toArray()[1].toObject()["disposal"].toInt(), 0); }},
      {{"--size", "100x90"}, "a.gif",
       [](const QJsonObject& o, const CliRun&) {
         EXPECT_EQ(o["screen_width"].toInt(), 100);
         EXPECT_EQ(o["screen_height"].toInt(), 90);
       }},
      {{"--transparent", "FFFBF0", "--no-optimize"}, "a.gif",
       [](const QJsonObject& o, const CliRun&) {
         for (const auto& f : o["frames"].toArray()) EXPECT_FALSE(f.toObject()["transparent_index"].isNull());
       }},
      {{"--threads", "1"}, "a.gif", [](const QJsonObject& o, const CliRun&) { EXPECT_EQ(o["frames"].toArray().size(), 3); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options.join(' ').toStdString());
    QFile::remove(dir.filePath(c.outName));
    const CliRun r = cli(QStringList{"build"} + c.options + QStringList{"-o", dir.filePath("a.gif")} + frames);
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    c.check(info(dir.filePath(c.outName)), r);
  }
  // The output always gets the extension .gif.
  ASSERT_EQ(cli(QStringList{"build", "-o", dir.filePath("clip.bmp")} + frames).exit, 0);
  EXPECT_TRUE(QFile::exists(dir.filePath("clip.gif")));
  EXPECT_FALSE(QFile::exists(dir.filePath("clip.bmp")));
}

// The frames are smaller than the screen: split as seen, composed on it (where no frame has
// drawn, the player's white), or with --raw as stored with their own sizes and disposals.
TEST_F(CliTest, SplitGivesFrameFilesAndATemplateThatRebuildsTheSameFrames) {
  const QString gif = dir.filePath("out.gif");
  ASSERT_EQ(cli(QStringList{"build", "--delay", "300", "--disposal", "1", "-o", gif} + frames).exit, 0);
  const DecodedGif a = DecodeWithGiflib(QFile::encodeName(gif).toStdString());
  ASSERT_TRUE(a.ok) << a.error;
  struct Case {
    QStringList options;
    QString rows;
  };
  const std::vector<Case> cases = {
      {{}, "img0.bmp;300;0\r\nimg1.bmp;300;0\r\nimg2.bmp;300;0\r\n48;40;3\r\n"},
      {{"--raw"}, "img0.bmp;300;1\r\nimg1.bmp;300;1\r\nimg2.bmp;300;1\r\n30;20;3\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options.join(' ').toStdString());
    const QString out = dir.filePath("split dir");
    QDir(out).removeRecursively();
    const CliRun split = cli(QStringList{"split"} + c.options + QStringList{gif, "-o", out});
    ASSERT_EQ(split.exit, 0) << split.err.toStdString();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(QFile::exists(out + QStringLiteral("/img%1.bmp").arg(i)));
    QFile t(out + "/template.csv");
    ASSERT_TRUE(t.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(t.readAll()), out + "/\r\n" + c.rows);
    const QString again = dir.filePath("again.gif");
    const CliRun rebuild = cli({"build", "--template", out + "/template.csv", "-o", again});
    ASSERT_EQ(rebuild.exit, 0) << rebuild.err.toStdString();
    const DecodedGif b = DecodeWithGiflib(QFile::encodeName(again).toStdString());
    ASSERT_TRUE(b.ok);
    ASSERT_EQ(a.frames.size(), b.frames.size());
    if (c.options.isEmpty()) {
      // With white beside them the frames may have more than 256 colours (24 bits, reduced
      // again by the rebuild), so the files themselves are compared with what is seen.
      const auto seen = SeenFrames(a);
      for (std::size_t i = 0; i < seen.size(); ++i) {
        const Bitmap bmp = LoadBmpFile(QFile::encodeName(out + QStringLiteral("/img%1.bmp").arg(i)).toStdString());
        ASSERT_EQ(std::make_pair(bmp.width(), bmp.height()), std::make_pair(48, 40));
        for (int y = 0; y < 40; ++y)
          for (int x = 0; x < 48; ++x) {
            const std::uint32_t v = seen[i][std::size_t(y) * 48 + std::size_t(x)];
            const Rgb expected = v >> 24 ? Rgb{std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)}
                                         : Rgb{255, 255, 255};
            ASSERT_EQ(bmp.pixel(x, y), expected) << "frame " << i << " at " << x << "," << y;
          }
      }
      EXPECT_EQ(std::make_pair(b.width, b.height), std::make_pair(48, 40));
      continue;
    }
    for (std::size_t i = 0; i < a.frames.size(); ++i) {
      EXPECT_EQ(a.frames[i].rgb, b.frames[i].rgb) << i;
      EXPECT_EQ(a.frames[i].disposal, b.frames[i].disposal);
    }
  }
}

TEST_F(CliTest, ErrorsGiveAMessageAndAnExitCode) {
  QFile junk(dir.filePath("junk.gif"));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("not a gif");
  junk.close();
  const QString one = dir.filePath("one.gif");
  ASSERT_EQ(cli({"build", "-o", one, frames.first()}).exit, 0);
  struct Case {
    QStringList args;
    int exit;
    QString message;
  };
  const std::vector<Case> cases = {
      {{"info", dir.filePath("junk.gif")}, 2, "junk.gif"},
      {{"info", "--json", dir.filePath("missing.gif")}, 2, "missing.gif"},
      {{"build", dir.filePath("frame 0.bmp")}, 64, "-o"},
      {{"build", "--bogus", "-o", dir.filePath("x.gif"), frames.first()}, 64, "unknown option --bogus"},
      {{"build", "--size", "big", "-o", dir.filePath("x.gif"), frames.first()}, 64, "--size"},
      {{"build", "--transparent", "red", "-o", dir.filePath("x.gif"), frames.first()}, 64, "--transparent"},
      {{"build", "-o", dir.filePath("x.gif"), frames.first(), dir.filePath("nothere.bmp")}, 1, "nothere.bmp"},
      {{"build", "--template", dir.filePath("none.csv"), "-o", dir.filePath("x.gif")}, 2, "none.csv"},
      {{"split", one, "-o", dir.filePath("s")}, 1, "This file seems to be a static not an animated Gif!"},
      {{"split", dir.filePath("missing.gif"), "-o", dir.filePath("s")}, 2, "missing.gif"},
      {{"split", dir.filePath("frame 0.bmp"), "-o", dir.filePath("s")}, 1, "Invalid file format!"},
      {{"explode"}, 64, "unknown command"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const CliRun r = cli(c.args);
    EXPECT_EQ(r.exit, c.exit) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
  }
  EXPECT_FALSE(QFile::exists(dir.filePath("x.gif")));
}

TEST_F(CliTest, BadValuesExit64NamingTheOption) {
  const QString x = dir.filePath("x.gif"), one = dir.filePath("one.gif");
  const QStringList build = {"build", "-o", x, frames.first()};
  struct Case {
    QStringList args;
    QString option;
  };
  const std::vector<Case> cases = {
      {build + QStringList{"--delay", "abc"}, "--delay"},
      {build + QStringList{"--delay", "-5"}, "--delay"},
      {build + QStringList{"--delay", "2.5"}, "--delay"},
      {build + QStringList{"--delay"}, "--delay"},
      {build + QStringList{"--disposal", "two"}, "--disposal"},
      {build + QStringList{"--size", "0x0"}, "--size"},
      {build + QStringList{"--size", "65536x65536"}, "--size"},
      {build + QStringList{"--size", "64x"}, "--size"},
      {build + QStringList{"--size", "-4x9"}, "--size"},
      {build + QStringList{"--threads", "0"}, "--threads"},
      {build + QStringList{"--threads", "many"}, "--threads"},
      {build + QStringList{"--transparent", "0x1234"}, "--transparent"},
      {build + QStringList{"--raw"}, "--raw"},
      {{"info", "--raw", one}, "--raw"},
      {{"split", "--json", one, "-o", dir.filePath("s")}, "--json"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const CliRun r = cli(c.args);
    EXPECT_EQ(r.exit, 64) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(c.option)) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(x));
  }
}

TEST_F(CliTest, FrameNamesAfterDoubleDashMayStartWithADash) {
  ASSERT_TRUE(QFile::copy(frames.first(), dir.filePath("-dash.bmp")));
  workDir = dir.path();
  const CliRun plain = cli({"build", "-o", "a.gif", "-dash.bmp"});
  EXPECT_EQ(plain.exit, 64);
  EXPECT_TRUE(plain.err.contains("unknown option -dash.bmp")) << plain.err.toStdString();
  const CliRun named = cli({"build", "-o", "a.gif", "--", "-dash.bmp", "--help"});
  EXPECT_EQ(named.exit, 1) << named.err.toStdString();  // --help is a frame name here, and missing
  EXPECT_TRUE(named.err.contains("--help")) << named.err.toStdString();
  const CliRun built = cli({"build", "-o", "a.gif", "--", "-dash.bmp"});
  ASSERT_EQ(built.exit, 0) << built.err.toStdString();
  EXPECT_EQ(info(dir.filePath("a.gif"))["frames"].toArray().size(), 1);
}

TEST_F(CliTest, AFrameThatDoesNotDecodeIsNamedInTheError) {
  QFile broken(dir.filePath("broken.bmp"));
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("BM this is no bitmap");
  broken.close();
  const CliRun r = cli({"build", "-o", dir.filePath("x.gif"), frames.first(), broken.fileName(), frames.last()});
  EXPECT_EQ(r.exit, 1);
  EXPECT_TRUE(r.err.contains("error: " + broken.fileName() + ": ")) << r.err.toStdString();
  EXPECT_FALSE(QFile::exists(dir.filePath("x.gif")));
}

TEST_F(CliTest, DamagedInputsAreNamedInAWarningAndExit3) {
  const QString gif = dir.filePath("whole.gif");
  ASSERT_EQ(cli(QStringList{"build", "-o", gif} + frames).exit, 0);
  QFile whole(gif);
  ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
  QFile cut(dir.filePath("cut.gif"));
  ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
  cut.write(whole.readAll().chopped(6));  // into the last frame's data
  cut.close();
  struct Case {
    QStringList args;
    QString file;
  };
  std::vector<Case> cases = {
      {{"info", cut.fileName()}, cut.fileName()},
      {{"info", "--json", cut.fileName()}, cut.fileName()},
      {{"split", cut.fileName(), "-o", dir.filePath("parts")}, cut.fileName()},
  };
  if (ToolPresent("ffmpeg")) {
    const QString jpeg = dir.filePath("photo.jpg");
    ASSERT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i testsrc=size=32x24 -frames:v 1 " +
                           shellQuote(jpeg).toStdString()).c_str()),
              0);
    QFile j(jpeg);
    ASSERT_TRUE(j.open(QIODevice::ReadWrite));
    ASSERT_TRUE(j.resize(j.size() / 2));
    cases.push_back({{"build", "-o", dir.filePath("from-cut.gif"), frames.first(), jpeg}, jpeg});
  } else {
    std::cout << "ffmpeg is not installed: no damaged JPEG case\n";
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const CliRun r = cli(c.args);
    EXPECT_EQ(r.exit, 3) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("warning: " + c.file + " is damaged")) << r.err.toStdString();
    if (c.args.contains("--json")) {
      EXPECT_EQ(QJsonDocument::fromJson(r.out.toUtf8()).object()["frames"].toArray().size(), 3);
    }
  }
  EXPECT_TRUE(QFile::exists(dir.filePath("parts/img2.bmp")));
  EXPECT_TRUE(QFile::exists(dir.filePath("parts/template.csv")));
}

TEST_F(CliTest, InfoReportsTheStoredScreenAndTheGrownCanvasApart) {
  const QString gif = dir.filePath("grown.gif");
  ASSERT_EQ(cli(QStringList{"build", "-o", gif} + frames).exit, 0);
  QFile f(gif);
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  ASSERT_TRUE(f.seek(6));
  f.write(QByteArray("\x14\x00\x0A\x00", 4));  // the logical screen says 20 x 10
  f.close();
  const QJsonObject o = info(gif);
  EXPECT_EQ(o["screen_width"].toInt(), 20);
  EXPECT_EQ(o["screen_height"].toInt(), 10);
  EXPECT_EQ(o["canvas_width"].toInt(), 48);
  EXPECT_EQ(o["canvas_height"].toInt(), 40);
  const CliRun text = cli({"info", gif});
  EXPECT_EQ(text.exit, 0);
  EXPECT_TRUE(text.out.contains("Screen:  20 x 10\nCanvas:  48 x 40")) << text.out.toStdString();
}

TEST_F(CliTest, HelpAndVersion) {
  const CliRun help = cli({"--help"});
  EXPECT_EQ(help.exit, 0);
  for (const char* word : {"build", "split", "info", "extract", "--max", "--json", "--template", "--no-optimize", "--raw",
                           "3 done, but an input"})
    EXPECT_TRUE(help.out.contains(word)) << word;
  const CliRun version = cli({"--version"});
  EXPECT_EQ(version.exit, 0);
  EXPECT_TRUE(QRegularExpression("^framora-cli \\d+\\.\\d+\\.\\d+\\.\\d+\\n$").match(version.out).hasMatch())
      << version.out.toStdString();
}

// ---- split of optimised GIFs -------------------------------------------------------------------

class CliOptimisedSplitTest : public CliTest, public ::testing::WithParamInterface<OptimisedGif> {};

TEST_P(CliOptimisedSplitTest, SplitAndRebuildShowTheSameFramesAndRawKeepsTheStoredOnes) {
  const QString gif = dir.filePath(GetParam().name);
  std::string skip;
  const std::string failed = MakeOptimisedGif(GetParam(), gif.toStdString(), skip);
  if (!skip.empty()) GTEST_SKIP() << skip;
  ASSERT_TRUE(failed.empty()) << failed;
  const DecodedGif original = DecodeWithGiflib(QFile::encodeName(gif).toStdString());
  ASSERT_TRUE(original.ok) << original.error;
  ASSERT_TRUE(HasPartialOrTransparentFrames(original));

  const QString parts = dir.filePath("parts/new");  // made with its parents
  const CliRun split = cli({"split", gif, "-o", parts});
  ASSERT_EQ(split.exit, 0) << split.err.toStdString();
  const QString again = dir.filePath("again.gif");
  const CliRun build = cli({"build", "--template", parts + "/template.csv", "-o", again});
  ASSERT_EQ(build.exit, 0) << build.err.toStdString();
  const DecodedGif rebuilt = DecodeWithGiflib(QFile::encodeName(again).toStdString());
  ASSERT_TRUE(rebuilt.ok) << rebuilt.error;
  EXPECT_EQ(std::make_pair(rebuilt.width, rebuilt.height), std::make_pair(original.width, original.height));
  const auto before = SeenFrames(original), after = SeenFrames(rebuilt);
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(after[i], before[i]) << "frame " << i;
    EXPECT_EQ(rebuilt.frames[i].delay, original.frames[i].delay) << "frame " << i;
  }

  const QString raw = dir.filePath("raw");
  ASSERT_EQ(cli({"split", "--raw", gif, "-o", raw}).exit, 0);
  for (std::size_t i = 0; i < original.frames.size(); ++i) {
    const Bitmap b = LoadBmpFile(QFile::encodeName(raw + QStringLiteral("/img%1.bmp").arg(i)).toStdString());
    EXPECT_EQ(std::make_pair(b.width(), b.height()), std::make_pair(original.frames[i].width, original.frames[i].height));
  }
}

INSTANTIATE_TEST_SUITE_P(PeerTools, CliOptimisedSplitTest, ::testing::ValuesIn(OptimisedGifs()), OptimisedGifName);

// ---- extract ----------------------------------------------------------------------------------

class CliExtractTest : public CliTest {
protected:
  QString video, out;

  void SetUp() override {
    CliTest::SetUp();
    video = makeVideo("clip.avi", 10);
    out = dir.filePath("video frames");
  }

  // MJPEG in AVI at 5 frames a second: 10 frames run 2 s, suggested delay 2000 / 11 -> 200.
  QString makeVideo(const QString& name, int frames) const {
    const QString path = dir.filePath(name);
    WriteTestVideo(QFile::encodeName(path).toStdString(), {"avi", AV_CODEC_ID_MJPEG, frames, 5});
    return path;
  }

  static QStringList lines(const QString& text) {
    QStringList l = text.split(u'\n');
    if (!l.isEmpty() && l.last().isEmpty()) l.removeLast();
    return l;
  }

  QStringList framePaths(int count) const {
    QStringList paths;
    for (int n = 1; n <= count; ++n) paths << out + QStringLiteral("/avframe%1.bmp").arg(n, 2, 10, QChar(u'0'));
    return paths;
  }

  QStringList framesOnDisk() const { return QDir(out).entryList({"avframe*"}, QDir::Files, QDir::Name); }
};

TEST_F(CliExtractTest, PrintsTheSixInfoLinesThenOnePathPerFrameWritten) {
  const CliRun r = cli({"extract", video, "-o", out});
  ASSERT_EQ(r.exit, 0) << r.err.toStdString();
  const QStringList expected = QStringList{"AVI File: " + video, "AVI Height px: 24", "AVI Width  px: 32",
                                           "Run time  sec: 2", "Images:        10", "Delay ms:      200"} +
                               framePaths(10);
  EXPECT_EQ(lines(r.out), expected);
  for (const QString& path : framePaths(10)) {
    const Bitmap bmp = LoadBmpFile(QFile::encodeName(path).toStdString());
    EXPECT_EQ(bmp.width(), 32);
    EXPECT_EQ(bmp.height(), 24);
  }
  EXPECT_EQ(framesOnDisk().size(), 10);
  EXPECT_TRUE(r.err.contains("Frames saved")) << r.err.toStdString();
  EXPECT_FALSE(r.err.contains("warning")) << r.err.toStdString();
}

TEST_F(CliExtractTest, MaxCapsTheFramesWithAWarning) {
  struct Case {
    int videoFrames;
    QStringList options;
    int written;
    QString warning;  // empty: none expected
  };
  const std::vector<Case> cases = {
      {10, {"--max", "3"}, 3, "The video contains more than 3 frames; the first 3 are extracted (--max)."},
      {10, {"--max", "10"}, 10, {}},
      // Without --max the window's own limit and text.
      {501, {}, 500, "AVI contains more than 500 frames. 500 frames can be used for gif animation."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options.join(' ').toStdString() + " of " + std::to_string(c.videoFrames));
    QDir(out).removeRecursively();
    const QString v = c.videoFrames == 10 ? video : makeVideo("long.avi", c.videoFrames);
    const CliRun r = cli(QStringList{"extract", v, "-o", out} + c.options);
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    const QStringList l = lines(r.out);
    ASSERT_EQ(l.size(), 6 + c.written);
    EXPECT_EQ(l[4], "Images:        " + QString::number(c.videoFrames));  // the count before the cap
    EXPECT_EQ(l.mid(6), framePaths(c.written));
    EXPECT_EQ(framesOnDisk().size(), c.written);
    if (c.warning.isEmpty()) EXPECT_FALSE(r.err.contains("warning")) << r.err.toStdString();
    else EXPECT_TRUE(r.err.contains("warning: " + c.warning)) << r.err.toStdString();
  }
}

TEST_F(CliExtractTest, TemplateBuildsAGifOfTheExtractedFrames) {
  const QString csv = dir.filePath("clip.csv");
  const CliRun r = cli({"extract", video, "-o", out, "--max", "4", "--template", csv});
  ASSERT_EQ(r.exit, 0) << r.err.toStdString();
  QFile t(csv);
  ASSERT_TRUE(t.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(t.readAll()), out +
                                                "/\r\navframe01.bmp;200;0\r\navframe02.bmp;200;0\r\n"
                                                "avframe03.bmp;200;0\r\navframe04.bmp;200;0\r\n32;24;4\r\n");

  const QString gif = dir.filePath("clip.gif");
  const CliRun build = cli({"build", "--template", csv, "-o", gif});
  ASSERT_EQ(build.exit, 0) << build.err.toStdString();
  const DecodedGif decoded = DecodeWithGiflib(QFile::encodeName(gif).toStdString());
  ASSERT_TRUE(decoded.ok) << decoded.error;
  EXPECT_EQ(decoded.width, 32);
  EXPECT_EQ(decoded.height, 24);
  ASSERT_EQ(decoded.frames.size(), 4u);
  for (const DecodedFrame& f : decoded.frames) {
    EXPECT_EQ(f.delay, 20);
    EXPECT_EQ(f.disposal, 0);
  }
}

TEST_F(CliExtractTest, ErrorsGiveAMessageAndAnExitCode) {
  auto writeFile = [&](const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return f.fileName();
  };
  QByteArray garbage;
  for (int i = 0; i < 4096; ++i) garbage.append(static_cast<char>((i * 7919) % 251));
  const QString damaged = writeFile("damaged.avi", garbage);
  QFile whole(makeVideo("forty.avi", 40));
  ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
  const QString truncated = writeFile("truncated.avi", whole.readAll().left(whole.size() / 2));
  const QString sound = dir.filePath("sound.avi");
  WriteAudioOnlyAvi(QFile::encodeName(sound).toStdString());
  struct Case {
    QStringList args;
    int exit;
    QString message;
  };
  const std::vector<Case> cases = {
      {{"extract", damaged, "-o", out}, 2, "Could not open AVI file! (" + damaged + ")"},
      {{"extract", dir.filePath("missing.avi"), "-o", out}, 2, "missing.avi"},
      {{"extract", sound, "-o", out}, 2, "Creating AVI stream failed!"},
      {{"extract", video}, 64, "extract needs -o DIR"},
      {{"extract", "-o", out}, 64, "extract needs one video file"},
      {{"extract", video, "-o", out, "--max", "0"}, 64, "--max needs a number of frames from 1 to 500"},
      {{"extract", video, "-o", out, "--max", "501"}, 64, "--max"},
      {{"extract", video, "-o", out, "--max", "many"}, 64, "--max"},
      {{"extract", video, "-o", out, "--max"}, 64, "--max needs a value"},
      {{"extract", video, "-o", out, "--template", dir.filePath("no/such/t.csv")}, 1, "no/such/t.csv"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const CliRun r = cli(c.args);
    EXPECT_EQ(r.exit, c.exit) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
  }
  EXPECT_TRUE(framesOnDisk().isEmpty());

  // Broken halfway: the frames before stay written and listed.
  const CliRun cut = cli({"extract", truncated, "-o", out, "--template", dir.filePath("cut.csv")});
  EXPECT_EQ(cut.exit, 1) << cut.err.toStdString();
  EXPECT_TRUE(cut.err.contains("Error creating frame ")) << cut.err.toStdString();
  EXPECT_EQ(lines(cut.out).mid(6), framePaths(int(framesOnDisk().size())));
  EXPECT_FALSE(framesOnDisk().isEmpty());
  EXPECT_FALSE(QFile::exists(dir.filePath("cut.csv")));
  QDir(out).removeRecursively();

  // A frame file that cannot be replaced: the others are written and listed, but the run failed
  // and no template claims a complete set.
  ASSERT_TRUE(QDir().mkpath(out));
  const QString locked = framePaths(2)[1];
  QFile lockedFile(locked);
  ASSERT_TRUE(lockedFile.open(QIODevice::WriteOnly));
  lockedFile.close();
  ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0444), 0);
  const QString csv = dir.filePath("partial.csv");
  const CliRun r = cli({"extract", video, "-o", out, "--template", csv});
  EXPECT_EQ(r.exit, 1);
  EXPECT_TRUE(r.err.contains("1 of 10 frame files could not be written")) << r.err.toStdString();
  QStringList expected = framePaths(10);
  expected.removeAt(1);
  EXPECT_EQ(lines(r.out).mid(6), expected);
  EXPECT_EQ(QFileInfo(locked).size(), 0);
  EXPECT_FALSE(QFile::exists(csv));
  EXPECT_FALSE(r.err.contains("Frames saved")) << r.err.toStdString();
}

// The README's example: the template goes into the output folder, which does not exist yet.
TEST_F(CliExtractTest, TheTemplateMayGoIntoANewOutputFolder) {
  workDir = dir.path();
  const CliRun r = cli({"extract", video, "-o", "frames/new", "--max", "2", "--template", "frames/new/clip.csv"});
  ASSERT_EQ(r.exit, 0) << r.err.toStdString();
  EXPECT_TRUE(QFile::exists(dir.filePath("frames/new/clip.csv")));
  EXPECT_TRUE(QFile::exists(dir.filePath("frames/new/avframe02.bmp")));
}

} // namespace
} // namespace framora::test
