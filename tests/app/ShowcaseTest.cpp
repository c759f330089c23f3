// Not a check: shows the start screen and the about box (English and German) side by side for
// screenshots of the real windows, e.g.
//   xvfb-run -s '-screen 0 1000x460x24' sh -c 'QT_QPA_PLATFORM=xcb build/tests/app_tests
//     --gtest_also_run_disabled_tests --gtest_filter=*Showcase* & sleep 3;
//     import -window root shot.png; wait'
#include "app/AboutBox.h"
#include "app/FormFreeware.h"
#include "app/Resources.h"
#include "platform/Version.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct StillTicks : framora::StartScreenTicks {
  void start(std::chrono::milliseconds, std::function<void()>) override {}
  void stop() override {}
  bool active() const override { return false; }
  void pause(std::chrono::milliseconds) override {}
};

TEST(Showcase, DISABLED_StartScreenAndAboutBox) {
  framora::EnsureResources();
  QFile style(QStringLiteral(":/style.qss"));
  if (style.open(QIODevice::ReadOnly)) qApp->setStyleSheet(QString::fromUtf8(style.readAll()));
  framora::test::ScriptedPrompter prompter;
  const int language = qEnvironmentVariableIntValue("FRAMORA_SHOWCASE_GERMAN") ? 0 : 1;

  framora::FormFreeware screen(prompter, nullptr, std::make_unique<StillTicks>());
  screen.Language = language;
  screen.LabelTitle->setText(QStringLiteral("Framora"));
  screen.show();
  screen.ShowProgress(qEnvironmentVariableIsSet("FRAMORA_SHOWCASE_PERCENT")
                          ? qEnvironmentVariableIntValue("FRAMORA_SHOWCASE_PERCENT") : 60);
  screen.move(40, 40);

  framora::AboutBox english(prompter), german(prompter);
  english.ALanguage = 1;
  german.ALanguage = 0;
  for (framora::AboutBox* box : {&english, &german}) box->LabelVersion->setText(framora::GetFileVersionText());
  english.show();
  german.show();
  english.move(420, 40);
  german.move(700, 40);

  QEventLoop loop;
  const int seconds = qEnvironmentVariableIsSet("FRAMORA_SHOWCASE_SECONDS")
                          ? qEnvironmentVariableIntValue("FRAMORA_SHOWCASE_SECONDS") : 6;
  QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
  loop.exec();
}

} // namespace
