// The eyedropper: press, moves and release on the pick button against a fake screen.
#include "app/ColorPicker.h"

#include <QApplication>
#include <QFrame>
#include <QMouseEvent>
#include <QToolButton>
#include <gtest/gtest.h>

#include <deque>
#include <memory>

namespace framora {
namespace {

const QColor kCream(255, 251, 240);
const QColor kBlack(0, 0, 0);
const QColor kTeal(0, 128, 128);
const QColor kPink(255, 0, 128);

enum class Act { Press, Move, Release };

struct Step {
  Act act;
  std::optional<QColor> screen;  // what the screen reads on a move (nullopt: the read fails)
  bool active;
  QColor picked;
  QColor swatch;
};

struct Script {
  const char* name;
  std::vector<Step> steps;
};

// Each script runs on a fresh picker and a cream swatch.
const Script kScripts[] = {
    {"MoveWithoutPressChangesNothing",
     {{Act::Move, kTeal, false, kBlack, kCream}, {Act::Release, {}, false, kBlack, kBlack}}},
    {"PressReleaseWithoutMoveGivesBlack",
     {{Act::Press, {}, true, kBlack, kCream}, {Act::Release, {}, false, kBlack, kBlack}}},
    {"SwatchFollowsMovesAndKeepsTheLast",
     {{Act::Press, {}, true, kBlack, kCream},
      {Act::Move, kTeal, true, kTeal, kTeal},
      {Act::Move, kPink, true, kPink, kPink},
      {Act::Release, {}, false, kPink, kPink},
      {Act::Move, kTeal, false, kPink, kPink}}},
    {"FailedReadKeepsTheLastColour",
     {{Act::Press, {}, true, kBlack, kCream},
      {Act::Move, kTeal, true, kTeal, kTeal},
      {Act::Move, std::nullopt, true, kTeal, kTeal},
      {Act::Release, {}, false, kTeal, kTeal}}},
};

void PrintTo(const Script& c, std::ostream* os) { *os << c.name; }

class ColorPickerTest : public ::testing::TestWithParam<Script> {
protected:
  void SetUp() override {
    window = std::make_unique<QWidget>();
    button = new QToolButton(window.get());
    button->setGeometry(0, 0, 30, 30);
    swatch = new QFrame(window.get());
    swatch->setObjectName(QStringLiteral("PanelColor"));
    swatch->setGeometry(40, 0, 30, 30);
    QPalette pal = swatch->palette();
    pal.setColor(QPalette::Window, kCream);
    swatch->setPalette(pal);
    window->show();
    picker = std::make_unique<widgets::ColorPicker>(button, swatch);
    picker->setPixelReader([this](const QPoint&) -> std::optional<QColor> {
      ++reads;
      return screen;
    });
  }
  void send(Act act) {
    const QPointF at(5, 5);
    const QEvent::Type type = act == Act::Press ? QEvent::MouseButtonPress
                              : act == Act::Move ? QEvent::MouseMove
                                                 : QEvent::MouseButtonRelease;
    const Qt::MouseButtons held = act == Act::Release ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent e(type, at, button->mapToGlobal(at), act == Act::Move ? Qt::NoButton : Qt::LeftButton, held,
                  Qt::NoModifier);
    QApplication::sendEvent(button, &e);
  }
  QColor swatchColour() const { return swatch->palette().color(QPalette::Window); }

  std::unique_ptr<QWidget> window;
  QToolButton* button = nullptr;
  QFrame* swatch = nullptr;
  std::unique_ptr<widgets::ColorPicker> picker;
  std::optional<QColor> screen;
  int reads = 0;
};

TEST_P(ColorPickerTest, PressMoveRelease) {
  for (const Step& s : GetParam().steps) {
    screen = s.screen;
    const int readsBefore = reads;
    send(s.act);
    const std::string at = "step " + std::to_string(&s - GetParam().steps.data());
    EXPECT_EQ(picker->PickActive(), s.active) << at;
    EXPECT_EQ(picker->PickedColor(), s.picked) << at;
    EXPECT_EQ(swatchColour(), s.swatch) << at;
    EXPECT_EQ(reads - readsBefore, s.act == Act::Move && s.active ? 1 : 0) << at << ": one fresh read per move";
    // While picking: the eyedropper cursor and the mouse grabbed by the button.
    const QCursor* cursor = QGuiApplication::overrideCursor();
    EXPECT_EQ(cursor != nullptr, s.active) << at;
    if (cursor) {
      EXPECT_EQ(cursor->hotSpot(), QPoint(2, 19)) << at;
    }
    EXPECT_EQ(QWidget::mouseGrabber() == button, s.active) << at;
  }
}

INSTANTIATE_TEST_SUITE_P(Scripts, ColorPickerTest, ::testing::ValuesIn(kScripts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ColorPicker, PickedColorOutlivesAPickAndStyleSheetFollowsSwatch) {
  QWidget window;
  auto* button = new QToolButton(&window);
  auto* swatch = new QFrame(&window);
  swatch->setObjectName(QStringLiteral("PanelColor"));
  window.show();
  widgets::ColorPicker picker(button, swatch);
  picker.setPixelReader([](const QPoint&) { return std::optional<QColor>(kPink); });
  picker.press();
  picker.move();
  picker.release();
  // "New" sets the swatch back to cream; a later pick without a move brings back pink.
  QPalette pal = swatch->palette();
  pal.setColor(QPalette::Window, kCream);
  swatch->setPalette(pal);
  swatch->setStyleSheet(QString());
  picker.press();
  picker.release();
  EXPECT_EQ(swatch->palette().color(QPalette::Window), kPink);
  EXPECT_EQ(swatch->styleSheet(), QStringLiteral("#PanelColor { background-color: #ff0080; }"));
}

TEST(ColorPicker, EyedropperCursorIs32By32WithItsTipOnTheHotSpot) {
  const QCursor c = widgets::ColorPicker::eyedropperCursor();
  const QImage img = c.pixmap().toImage();
  EXPECT_EQ(img.size(), QSize(32, 32));
  EXPECT_EQ(c.hotSpot(), QPoint(2, 19));
  EXPECT_GT(qAlpha(img.pixel(2, 19)), 0) << "the tip is drawn at the hot spot";
  for (const QPoint corner : {QPoint(0, 0), QPoint(31, 31), QPoint(0, 31)})
    EXPECT_EQ(qAlpha(img.pixel(corner)), 0) << corner.x() << "," << corner.y();
}

} // namespace
} // namespace framora
