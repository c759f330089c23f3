// Screenshots for the README, taken of the real window under an X server:
//   xvfb-run -s '-screen 0 1280x1024x24' env QT_QPA_PLATFORM=xcb FRAMORA_SCREENSHOT_DIR=docs \
//     build/tests/app_tests --gtest_also_run_disabled_tests --gtest_filter='*Screenshot*'
#include "app/AppFixture.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>

using namespace framora;
using namespace framora::test;

namespace {

void writeFrame(const QString& path, int i) {
  QImage image(160, 120, QImage::Format_RGB32);
  QPainter p(&image);
  QLinearGradient sky(0, 0, 0, 120);
  sky.setColorAt(0, QColor(92, 118, 168));
  sky.setColorAt(1, QColor(196, 206, 228));
  p.fillRect(image.rect(), sky);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(250, 214, 120));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(24 + i * 22, 70 - 30 * std::sin(i * 0.5)), 16, 16);
  p.setBrush(QColor(70, 90, 70));
  p.drawRect(0, 100, 160, 20);
  p.end();
  image.save(path, "BMP");
}

} // namespace

using ScreenshotTest = AppFixture;

TEST_F(ScreenshotTest, DISABLED_MainWindowInBothLanguages) {
  const QString out = qEnvironmentVariable("FRAMORA_SCREENSHOT_DIR");
  if (out.isEmpty() || QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs xcb and FRAMORA_SCREENSHOT_DIR";
  QFile style(":/style.qss");
  ASSERT_TRUE(style.open(QIODevice::ReadOnly));
  qApp->setStyleSheet(QString::fromUtf8(style.readAll()));
  for (const char* language : {"en", "de"}) {
    systemLanguage = QString(language) == "de" ? "Deutsch" : "English";
    QFile::remove(settingsPath());
    start();
    const QString demo = QStringLiteral("/tmp/framora-demo/sunrise");
    QDir().mkpath(demo);
    QStringList files;
    for (int i = 0; i < 6; ++i) {
      files << QDir(demo).filePath(QStringLiteral("frame%1.bmp").arg(i));
      writeFrame(files.last(), i);
    }
    prompter.openAnswers.enqueue(files);
    form->SpeedButton1->click();
    form->editor().model().setCell(2, FrameListModel::DelayColumn, "250");
    form->editor().model().setCell(5, FrameListModel::DisposalColumn, "2");
    selectRows(3, 3);
    form->SpeedButtonView->click();
    form->setStatus(QStringLiteral("/tmp/framora-demo/sunrise.gif"), "42 Kb");
    QTest::qWait(1500);
    const QString file = QDir(out).absoluteFilePath(QStringLiteral("main-window-%1.png").arg(language));
    const int rc = QProcess::execute("/usr/bin/import",
                                     {"-window", QString::number(form->winId()), file});
    EXPECT_EQ(rc, 0);
    form->close();
    form.reset();
  }
}

TEST_F(ScreenshotTest, DISABLED_Dialogs) {
  const QString out = qEnvironmentVariable("FRAMORA_SCREENSHOT_DIR");
  if (out.isEmpty()) GTEST_SKIP() << "needs FRAMORA_SCREENSHOT_DIR";
  QFile style(":/style.qss");
  ASSERT_TRUE(style.open(QIODevice::ReadOnly));
  qApp->setStyleSheet(QString::fromUtf8(style.readAll()));
  start();
  for (int language : {1, 0}) {
    config->CurLanguage = language;
    config->show();
    config->grab().save(QDir(out).filePath(QStringLiteral("settings-%1.png").arg(language)));
    config->hide();
    frage->Language = language;
    frage->show();
    frage->grab().save(QDir(out).filePath(QStringLiteral("frame-options-%1.png").arg(language)));
    frage->hide();
  }
}
