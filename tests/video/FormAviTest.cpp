#include "video/FormAvi.h"

#include "support/ScriptedPrompter.h"
#include "video/FrameListSink.h"
#include "video/TestVideo.h"
#include "video/VideoExtractor.h"
#include "video/VideoPlayerWidget.h"

#include <QAction>
#include <QDir>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QMediaPlayer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QSlider>
#include <QTimer>
#include <QVideoSink>
#include <QVideoWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace framora {
namespace {

using test::ScriptedPrompter;

struct RecordingSink : FrameListSink {
  int calls = 0;
  QString folder;
  QList<VideoFrameRow> rows;
  int count = -1;
  void replaceFrames(const QString& f, const QList<VideoFrameRow>& r, int c) override {
    ++calls;
    folder = f;
    rows = r;
    count = c;
  }
};

// ---- the copy rule on its own ------------------------------------------------------------------

QStringList infoLines() { return AviInfoLines("/v/clip.avi", 32, 24, 10, 50, 200); }

TEST(FramesFromListedLines, SixLinesOrFewerGiveNothing) {
  for (int n = 0; n <= 6; ++n) EXPECT_FALSE(FramesFromListedLines(infoLines().mid(0, n), 100)) << n;
}

TEST(FramesFromListedLines, RowsFromEveryFurtherLine) {
  struct Case {
    const char* name;
    QStringList frameLines;
    int delay;
    QString folder;
    QStringList files;
    QString rowDelay;
  };
  const Case cases[] = {
      {"extracted", {"/f/avframe01.bmp", "/f/avframe02.bmp"}, 100, "/f/", {"avframe01.bmp", "avframe02.bmp"}, "100"},
      {"no delay yet", {"/f/a.bmp"}, 0, "/f/", {"a.bmp"}, "200"},
      // Only the first folder counts; a line without one gives none and the next is asked.
      {"first folder wins", {"typed.bmp", "/one/b.bmp", "/two/c.bmp"}, 300, "/one/", {"typed.bmp", "b.bmp", "c.bmp"}, "300"},
      {"no folder at all", {"x.bmp"}, 300, "", {"x.bmp"}, "300"},
      {"root folder", {"/avframe01.bmp"}, 100, "/", {"avframe01.bmp"}, "100"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto list = FramesFromListedLines(infoLines() + c.frameLines, c.delay);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->folder, c.folder);
    ASSERT_EQ(list->rows.size(), c.files.size());
    EXPECT_EQ(list->count, c.files.size());
    for (qsizetype i = 0; i < c.files.size(); ++i) EXPECT_EQ(list->rows[i], (VideoFrameRow{c.files[i], c.rowDelay, "0"}));
  }
}

TEST(FramesFromListedLines, AtMost500Rows) {
  QStringList lines = infoLines();
  for (int n = 1; n <= 600; ++n) lines.append("/f/" + AviFrameFileName(n));
  const auto list = FramesFromListedLines(lines, 100);
  ASSERT_TRUE(list);
  EXPECT_EQ(list->rows.size(), 500);
  EXPECT_EQ(list->count, 500);
  EXPECT_EQ(list->rows.last().file, "avframe500.bmp");
}

// ---- the window --------------------------------------------------------------------------------

class FormAviTest : public ::testing::Test {
protected:
  QTemporaryDir dir;
  ScriptedPrompter prompter;
  RecordingSink sink;
  std::unique_ptr<FormAvi> form;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir().mkpath(dir.filePath("frames")));
    form = std::make_unique<FormAvi>(prompter);
    form->frameListSink = &sink;
    form->FPath = dir.filePath("frames");
  }

  template <class T> T* child(const char* name) const {
    T* w = form->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QPlainTextEdit* memo() const { return child<QPlainTextEdit>("Memo1"); }

  QString makeVideo(int frames, int fps) {
    const QString path = dir.filePath("clip.avi");
    test::WriteTestVideo(QFile::encodeName(path).toStdString(), {"avi", AV_CODEC_ID_MJPEG, frames, fps});
    return path;
  }

  void openWith(const QString& path, bool save) {
    prompter.openAnswers.enqueue({path, dir.filePath("ignored.avi")});
    prompter.yesNoAnswers.enqueue(save);
    form->ButtonOpenClick();
  }
};

TEST_F(FormAviTest, TextsFollowTheLanguageWhenShown) {
  struct Case {
    int language;
    QString open, save, abort, load, quit;
  };
  const Case cases[] = {
      {1, "Load Avi", "Copy frames to animator", "Close", "Load", "Quit"},
      {0, "Avi laden", "Bilder zu Gif-Animator kopieren", "Schliessen", "Laden", "Schliessen"},
      {2, "Load Avi", "Copy frames to animator", "Close", "Load", "Quit"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    form->Language = c.language;
    form->show();
    EXPECT_EQ(form->windowTitle(), "Avi");
    EXPECT_EQ(child<QPushButton>("ButtonOpen")->text(), c.open);
    EXPECT_EQ(child<QPushButton>("ButtonSave")->text(), c.save);
    EXPECT_EQ(child<QPushButton>("ButtonAbort")->text(), c.abort);
    EXPECT_EQ(child<QAction>("Open1")->text(), c.load);
    EXPECT_EQ(child<QAction>("Quit1")->text(), c.quit);
    EXPECT_FALSE(child<QAction>("StrechAVI1")->isVisible());
    form->hide();
  }
}

TEST_F(FormAviTest, LayoutFollowsTheWindowSizeAboveTheMinimum) {
  form->show();
  struct Case {
    int outerW, outerH;  // asked for
    int w, h;            // what the rules work with
  };
  const Case cases[] = {{600, 580, 600, 580}, {800, 700, 800, 700}, {300, 200, 600, 580}, {640, 400, 640, 580}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.outerW << "x" << c.outerH);
    form->resize(form->size() + QSize(c.outerW, c.outerH) - form->outerSize());
    EXPECT_EQ(form->outerSize(), QSize(c.w, c.h));
    EXPECT_EQ(child<QWidget>("PanelAvi")->height(), c.h - 280);
    EXPECT_EQ(child<QWidget>("Player1")->size(), child<QWidget>("PanelAvi")->size());
    EXPECT_EQ(memo()->geometry(), QRect(10, c.h - 275, c.w - 40, 175));
    EXPECT_EQ(child<QPushButton>("ButtonOpen")->geometry(), QRect(10, c.h - 95, 120, 28));
    EXPECT_EQ(child<QPushButton>("ButtonSave")->geometry(), QRect(168, c.h - 95, 240, 28));
    EXPECT_EQ(child<QPushButton>("ButtonAbort")->geometry(), QRect(450, c.h - 95, 120, 28));
  }
}

TEST_F(FormAviTest, F11AndTheHiddenEntryToggleStretchingWhichShowingTurnsOff) {
  form->show();
  VideoPlayerWidget* player = form->player();
  EXPECT_FALSE(player->stretchToFit());
  QTest::keyClick(memo(), Qt::Key_F11);  // keys reach the window before its controls
  EXPECT_TRUE(player->stretchToFit());
  QTest::keyClick(memo(), Qt::Key_F11);
  EXPECT_FALSE(player->stretchToFit());
  child<QAction>("StrechAVI1")->trigger();
  EXPECT_TRUE(player->stretchToFit());
  form->hide();
  form->show();
  EXPECT_FALSE(player->stretchToFit());
}

TEST_F(FormAviTest, F1AsksForHelpAtContext4) {
  QList<int> contexts;
  form->helpRequested = [&](int context) { contexts.append(context); };
  form->show();
  QTest::keyClick(child<QPushButton>("ButtonOpen"), Qt::Key_F1);
  EXPECT_EQ(contexts, QList<int>{4});
  QTest::keyClick(memo(), Qt::Key_A);  // other keys go on to the control
  EXPECT_EQ(memo()->toPlainText(), "a");
}

TEST_F(FormAviTest, OpenPlaysListsAndCopyHandsTheFramesOverAndCloses) {
  const QString video = makeVideo(50, 5);
  form->show();
  openWith(video, true);

  ASSERT_EQ(prompter.filters.size(), 1);
  EXPECT_TRUE(prompter.filters[0].startsWith("Avi (*.avi);;"));
  for (const char* ext : {"*.mp4", "*.mkv", "*.webm", "*.mov", "*.mpg", "*.mpeg"})
    EXPECT_TRUE(prompter.filters[0].contains(ext)) << ext;
  EXPECT_EQ(form->aviFileName(), video);
  EXPECT_EQ(form->player()->player()->source(), QUrl::fromLocalFile(video));
  EXPECT_EQ(form->aviFrameDelay(), 200);
  const QStringList lines = form->memoLines();
  ASSERT_EQ(lines.size(), 56);
  EXPECT_EQ(lines[0], "AVI File: " + video);
  EXPECT_EQ(lines[6], form->FPath + "/avframe01.bmp");
  EXPECT_EQ(prompter.texts(), QStringList{"Frames saved"});

  form->ButtonSaveClick();
  EXPECT_EQ(sink.calls, 1);
  EXPECT_EQ(sink.folder, form->FPath + "/");
  ASSERT_EQ(sink.rows.size(), 50);
  EXPECT_EQ(sink.count, 50);
  EXPECT_EQ(sink.rows[0], (VideoFrameRow{"avframe01.bmp", "200", "0"}));
  EXPECT_EQ(sink.rows[49], (VideoFrameRow{"avframe50.bmp", "200", "0"}));
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->result(), QDialog::Accepted);
}

TEST_F(FormAviTest, AnsweringNoLeavesSixLinesAndCopyDoesNothing) {
  form->show();
  openWith(makeVideo(50, 5), false);
  EXPECT_EQ(form->memoLines().size(), 6);
  EXPECT_TRUE(QDir(form->FPath).isEmpty());
  form->ButtonSaveClick();
  EXPECT_EQ(sink.calls, 0);
  EXPECT_TRUE(form->isVisible());
}

TEST_F(FormAviTest, CancelledDialogLeavesAnEmptyList) {
  form->show();
  memo()->setPlainText("old\ntext");
  form->ButtonOpenClick();  // no answer queued: cancelled
  EXPECT_TRUE(form->memoLines().isEmpty());
  EXPECT_TRUE(form->aviFileName().isEmpty());
}

TEST_F(FormAviTest, ShowingAgainStartsAfresh) {
  form->show();
  openWith(makeVideo(10, 1), true);
  ASSERT_EQ(form->aviFrameDelay(), 900);
  form->ButtonAbortClick();
  EXPECT_FALSE(form->isVisible());
  form->show();
  EXPECT_TRUE(form->memoLines().isEmpty());
  EXPECT_TRUE(form->aviFileName().isEmpty());
  EXPECT_EQ(form->aviFrameDelay(), 0);

  // Lines typed by the user are copied like extracted ones, with delay 200 while none was computed.
  memo()->setPlainText(infoLines().join('\n') + "\n/typed/one.bmp\n/typed/two.bmp\n");
  form->ButtonSaveClick();
  ASSERT_EQ(sink.calls, 1);
  EXPECT_EQ(sink.folder, "/typed/");
  EXPECT_EQ(sink.rows, (QList<VideoFrameRow>{{"one.bmp", "200", "0"}, {"two.bmp", "200", "0"}}));
}

TEST_F(FormAviTest, DamagedFileShowsItsBoxAndListsNothing) {
  QFile bad(dir.filePath("bad.avi"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("RIFF\0\0\0\0AVI LIST but nothing more");
  bad.close();
  form->Language = 0;
  form->show();
  openWith(bad.fileName(), true);
  EXPECT_TRUE(form->memoLines().isEmpty());
  ASSERT_EQ(prompter.messages.size(), 1);
  EXPECT_EQ(prompter.messages[0].text, QString::fromUtf8("AVI kann nicht geöffnet werden!"));
  EXPECT_EQ(prompter.messages[0].caption, "Error");
}


TEST_F(FormAviTest, LongExtractionKeepsTheEventLoopRunningAndShowsProgress) {
  const QString video = makeVideo(60, 5);
  form->show();
  auto* bar = child<QProgressBar>("ProgressAvi");
  auto* save = child<QPushButton>("ButtonSave");
  bool barShown = false, saveHidden = false;
  int value = -1, maximum = -1;
  QTimer::singleShot(0, form.get(), [&] {
    barShown = bar->isVisible();
    saveHidden = !save->isVisible();
    value = bar->value();
    maximum = bar->maximum();
  });
  openWith(video, true);
  EXPECT_TRUE(barShown);
  EXPECT_TRUE(saveHidden);
  EXPECT_EQ(maximum, 60);
  EXPECT_GT(value, 0);
  EXPECT_FALSE(bar->isVisible());
  EXPECT_TRUE(save->isVisible());
}

// The player shows the video at its own size unless stretched; stretched it fills the area.
TEST_F(FormAviTest, PlayerShowsTheVideoAtItsSizeUnlessStretched) {
  const QString video = makeVideo(50, 5);
  form->show();
  form->PlayAvi(video);
  QMediaPlayer* player = form->player()->player();
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->player()->pictureGeometry().size() == QSize(32, 24); }, 10000))
      << "no picture from the media backend: " << player->errorString().toStdString();
  EXPECT_EQ(player->source(), QUrl::fromLocalFile(video));
  EXPECT_NEAR(player->duration(), 10000, 300);
  const QRect area = child<QWidget>("VideoArea")->rect();
  EXPECT_EQ(form->player()->pictureGeometry().size(), QSize(32, 24));
  EXPECT_EQ(form->player()->pictureGeometry().topLeft(),
            QPoint((area.width() - 32) / 2, (area.height() - 24) / 2));  // centred
  form->StrechAVI1Click();
  EXPECT_EQ(form->player()->pictureGeometry(), area);
  form->StrechAVI1Click();
  EXPECT_EQ(form->player()->pictureGeometry().size(), QSize(32, 24));
  // The seek bar covers the video and moves the player.
  auto* seek = child<QSlider>("SeekSlider");
  EXPECT_NEAR(seek->maximum(), 10000, 300);
  form->hide();
  EXPECT_NE(player->playbackState(), QMediaPlayer::PlayingState);
}

// ---- without a media backend ------------------------------------------------------------------

// Qt picks its media backend once per process, so this case runs in a child of the next one.
constexpr char kNoBackend[] = "no-such-backend";

TEST_F(FormAviTest, WithoutAMediaBackendSaysSoAndStillExtracts) {
  if (qgetenv("QT_MEDIA_BACKEND") != kNoBackend) GTEST_SKIP() << "runs as the child of NoMediaBackend.*";
  for (int language : {1, 0}) {
    form->Language = language;
    form->show();
    auto* note = child<QLabel>("PlaybackUnavailable");
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->isVisible());
    EXPECT_TRUE(note->text().startsWith(language ? "Video playback is not available"
                                                 : "Die Videowiedergabe ist nicht verf\u00fcgbar"));
    form->hide();
  }
  form->show();
  openWith(makeVideo(3, 10), true);
  EXPECT_EQ(form->memoLines().size(), 9);
  EXPECT_TRUE(QFile::exists(dir.filePath("frames/avframe03.bmp")));
}

TEST(NoMediaBackend, TheVideoWindowWorksWithoutOne) {
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_MEDIA_BACKEND", kNoBackend);
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(),
              {"--gtest_filter=FormAviTest.WithoutAMediaBackendSaysSoAndStillExtracts"});
  ASSERT_TRUE(child.waitForFinished(120000));
  const QString out = QString::fromUtf8(child.readAll());
  EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << out.toStdString();
  EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
  EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
  EXPECT_FALSE(out.contains("SKIPPED")) << out.toStdString();
}

}  // namespace
}  // namespace framora
