#include "app/FormFreeware.h"
#include "app/LinkWidgets.h"
#include "support/ScriptedPrompter.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using framora::FormFreeware;
using framora::StartScreenTicks;
using framora::test::ScriptedPrompter;
using namespace std::chrono_literals;

namespace {

// Ticks the test hands out one by one; records what the screen asked of its timer.
struct ManualTicks : StartScreenTicks {
  std::function<void()> onTick;
  std::chrono::milliseconds interval{0};
  bool running = false;
  int starts = 0;
  std::vector<std::chrono::milliseconds> pauses;

  void start(std::chrono::milliseconds i, std::function<void()> tick) override {
    interval = i;
    onTick = std::move(tick);
    running = true;
    ++starts;
  }
  void stop() override { running = false; }
  bool active() const override { return running; }
  void pause(std::chrono::milliseconds d) override { pauses.push_back(d); }
  void tick() { onTick(); }
};

// Ticks as fast as the event loop turns, for a modal run.
struct FastTicks : ManualTicks {
  QTimer timer;
  FastTicks() {
    QObject::connect(&timer, &QTimer::timeout, [this] {
      if (running) tick();
    });
  }
  void start(std::chrono::milliseconds i, std::function<void()> t) override {
    ManualTicks::start(i, std::move(t));
    timer.start(0);
  }
  void stop() override {
    ManualTicks::stop();
    timer.stop();
  }
};

struct StartScreen : testing::Test {
  ScriptedPrompter prompter;
  ManualTicks* ticks = new ManualTicks;
  FormFreeware screen{prompter, nullptr, std::unique_ptr<StartScreenTicks>(ticks)};

  void showIt(int language) {
    screen.Language = language;
    screen.LabelTitle->setText(QStringLiteral("Framora"));
    screen.show();
    QCoreApplication::processEvents();
  }
};

TEST_F(StartScreen, IsAFramelessGreyRoundedWindowOfTheDesignSize) {
  EXPECT_TRUE(screen.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(screen.size(), QSize(340, 180));
  EXPECT_EQ(screen.palette().color(QPalette::Window), QColor(128, 128, 128));
  const QRegion shape = screen.mask();
  for (const QPoint corner : {QPoint(0, 0), QPoint(339, 0), QPoint(0, 179), QPoint(339, 179), QPoint(3, 3)})
    EXPECT_FALSE(shape.contains(corner)) << corner.x() << "," << corner.y();
  for (const QPoint inside : {QPoint(170, 90), QPoint(20, 1), QPoint(1, 90), QPoint(14, 14)})
    EXPECT_TRUE(shape.contains(inside)) << inside.x() << "," << inside.y();
  EXPECT_EQ(screen.Panel1->geometry(), QRect(52, 132, 240, 18));
  EXPECT_EQ(screen.Balken->geometry(), QRect(2, 2, 1, 14));
  EXPECT_EQ(screen.Label2->text(), QStringLiteral("Freeware"));
  EXPECT_FALSE(screen.BitBtn1->isVisible());
  EXPECT_FALSE(screen.BitBtn1->isEnabled());
  EXPECT_EQ(screen.BitBtn1->text(), QStringLiteral("Start"));
  const auto* background = screen.findChild<framora::SvgPicture*>(QStringLiteral("ImageBackground"));
  ASSERT_NE(background, nullptr);
  EXPECT_TRUE(background->valid());
  EXPECT_EQ(background->geometry(), QRect(0, 0, 340, 180));
}

TEST_F(StartScreen, ShowProgressGivesTheBarItsWidth) {
  const std::pair<int, int> cases[] = {{1, 2}, {50, 120}, {99, 238}, {0, 0}, {100, 240}, {101, 240}, {-3, 0}, {33, 79}};
  for (const auto& [percent, width] : cases) {
    screen.ShowProgress(percent);
    EXPECT_EQ(screen.Balken->width(), width) << percent;
    EXPECT_EQ(screen.Balken->height(), 14);
  }
}

TEST_F(StartScreen, RunsItsHundredTicksThenPausesAndCloses) {
  showIt(1);
  ASSERT_TRUE(ticks->running);
  EXPECT_EQ(ticks->interval, 60ms);
  int widest = 0;
  for (int i = 1; i < 100; ++i) {
    ticks->tick();
    EXPECT_EQ(screen.StartTicks, i);
    EXPECT_EQ(screen.Balken->width(), int(std::nearbyint(i * 2.4))) << i;
    widest = std::max(widest, screen.Balken->width());
    ASSERT_TRUE(screen.isVisible()) << "closed early at tick " << i;
  }
  EXPECT_TRUE(ticks->pauses.empty());
  ticks->tick();  // the hundredth
  EXPECT_FALSE(ticks->running);
  EXPECT_EQ(ticks->pauses, std::vector<std::chrono::milliseconds>{700ms});
  EXPECT_FALSE(screen.isVisible());
  EXPECT_EQ(screen.result(), QDialog::Accepted);
  EXPECT_EQ(widest, 238);  // never the full 240 of its frame
  EXPECT_EQ(screen.Balken->width(), 238);
  EXPECT_EQ(ticks->starts, 1);
}

TEST_F(StartScreen, NoKeyAndNoCloseRequestEndsIt) {
  showIt(1);
  const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
      {Qt::Key_Escape, Qt::NoModifier}, {Qt::Key_F4, Qt::AltModifier}, {Qt::Key_F4, Qt::NoModifier},
      {Qt::Key_F4, Qt::ControlModifier}, {Qt::Key_Return, Qt::NoModifier}, {Qt::Key_Enter, Qt::KeypadModifier},
      {Qt::Key_Space, Qt::NoModifier}};
  for (const auto& [key, modifiers] : keys) {
    QTest::keyClick(&screen, key, modifiers);
    EXPECT_TRUE(screen.isVisible()) << key;
  }
  EXPECT_FALSE(screen.close());  // what the window manager does on Alt+F4
  screen.reject();
  EXPECT_TRUE(screen.isVisible());
  for (int i = 0; i < 100; ++i) ticks->tick();
  EXPECT_FALSE(screen.isVisible());
}

TEST_F(StartScreen, LinkOpensTheSiteOfTheLanguageAndTheScreenStays) {
  const struct {
    int language;
    const char* text;
  } cases[] = {{1, "www.framora.com"}, {0, "www.framora.de"}, {2, "www.framora.com"}};
  for (const auto& c : cases) {
    ScriptedPrompter links;
    links.openUrlResult = false;  // a link that does not open says nothing
    FormFreeware form(links, nullptr, std::make_unique<ManualTicks>());
    form.Language = c.language;
    form.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Label3->text(), QString::fromLatin1(c.text));
    EXPECT_EQ(form.Label3->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(form.Label3, Qt::LeftButton);
    EXPECT_EQ(links.urls, QStringList{QStringLiteral("https://") + QString::fromLatin1(c.text)});
    EXPECT_TRUE(links.messages.isEmpty());
    EXPECT_TRUE(form.isVisible());
  }
}

TEST_F(StartScreen, ShowModalSetsTitleAndLanguageAndReturnsWhenTheBarIsThrough) {
  ScriptedPrompter quiet;
  auto* fast = new FastTicks;
  FormFreeware form(quiet, nullptr, std::unique_ptr<StartScreenTicks>(fast));
  EXPECT_EQ(form.ShowModal(0), QDialog::Accepted);
  EXPECT_EQ(form.LabelTitle->text(), QStringLiteral("Framora"));
  EXPECT_EQ(form.Label3->text(), QStringLiteral("www.framora.de"));
  EXPECT_EQ(form.StartTicks, 100);
  EXPECT_EQ(fast->pauses.size(), 1u);
  // Further ticks or activations after the close change nothing.
  fast->tick();
  form.FormActivate();
  EXPECT_EQ(form.StartTicks, 100);
  EXPECT_FALSE(fast->running);
}

TEST_F(StartScreen, RealTimerIsTheSixtyMillisecondTimer2) {
  FormFreeware form(prompter);
  auto* timer = form.findChild<QTimer*>(QStringLiteral("Timer2"));
  ASSERT_NE(timer, nullptr);
  EXPECT_FALSE(timer->isActive());  // created stopped
  form.FormActivate();
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->intervalAsDuration(), 60ms);
}

} // namespace
