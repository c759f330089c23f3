#include "app/FormFreeware.h"

#include "app/LinkWidgets.h"
#include "app/WebSites.h"
#include "platform/Prompter.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace framora {
namespace {

// The real tick source: the window's event-loop timer `Timer2`.
class TimerTicks : public StartScreenTicks {
public:
  explicit TimerTicks(QObject* owner) : timer_(new QTimer(owner)) {
    timer_->setObjectName(QStringLiteral("Timer2"));
    QObject::connect(timer_, &QTimer::timeout, timer_, [this] {
      if (onTick_) onTick_();
    });
  }
  void start(std::chrono::milliseconds interval, std::function<void()> onTick) override {
    onTick_ = std::move(onTick);
    timer_->start(interval);
  }
  void stop() override { timer_->stop(); }
  bool active() const override { return timer_->isActive(); }
  void pause(std::chrono::milliseconds duration) override { QThread::msleep(duration.count()); }

private:
  QTimer* timer_;
  std::function<void()> onTick_;
};

// Frame of the progress bar: vertical gradient white to grey, lowered inner bevel.
class GradientFrame : public QWidget {
public:
  using QWidget::QWidget;

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    QLinearGradient fill(0, 0, 0, height());
    fill.setColorAt(0, Qt::white);
    fill.setColorAt(1, QColor(147, 147, 147));
    p.fillRect(rect(), fill);
    const int r = width() - 1, b = height() - 1;
    // outer edge raised, soft
    p.setPen(QColor(255, 255, 255, 200));
    p.drawLine(0, 0, r, 0);
    p.drawLine(0, 0, 0, b);
    p.setPen(QColor(90, 90, 90, 160));
    p.drawLine(0, b, r, b);
    p.drawLine(r, 0, r, b);
    // inner edge lowered
    p.setPen(QColor(110, 110, 110, 200));
    p.drawLine(1, 1, r - 1, 1);
    p.drawLine(1, 1, 1, b - 1);
    p.setPen(QColor(240, 240, 240, 200));
    p.drawLine(1, b - 1, r - 1, b - 1);
    p.drawLine(r - 1, 1, r - 1, b - 1);
  }
};

// The bar itself: a vertical gradient in 20 steps.
class GradientBar : public QWidget {
public:
  using QWidget::QWidget;
  QColor startColor, endColor;

protected:
  void paintEvent(QPaintEvent*) override {
    constexpr int Steps = 20;
    QPainter p(this);
    for (int i = 0; i < Steps; ++i) {
      const double t = double(i) / (Steps - 1);
      const QColor c(int(std::lround(startColor.red() + t * (endColor.red() - startColor.red()))),
                     int(std::lround(startColor.green() + t * (endColor.green() - startColor.green()))),
                     int(std::lround(startColor.blue() + t * (endColor.blue() - startColor.blue()))));
      const int top = i * height() / Steps, bottom = (i + 1) * height() / Steps;
      p.fillRect(0, top, width(), std::max(bottom - top, 1), c);
    }
  }
};

QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& geometry, const QFont& font) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(geometry);
  label->setFont(font);
  label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  label->setStyleSheet(QStringLiteral("color: black; background: transparent;"));
  return label;
}

} // namespace

FormFreeware::FormFreeware(Prompter& prompter, QWidget* parent, std::unique_ptr<StartScreenTicks> ticks)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), prompter_(prompter), ticks_(std::move(ticks)) {
  setObjectName(QStringLiteral("FormFreeware"));
  if (!ticks_) ticks_ = std::make_unique<TimerTicks>(this);
  setModal(true);
  setFixedSize(340, 180);
  setAutoFillBackground(true);
  QPalette grey = palette();
  grey.setColor(QPalette::Window, QColor(128, 128, 128));
  setPalette(grey);
  // Qt's style sheet of the program must not repaint this window.
  setStyleSheet(QStringLiteral("QDialog#FormFreeware { background: rgb(128,128,128); }"));

  // Rounded shape: the rectangle of the client size with 40 x 40 corner ellipses.
  QBitmap shape(size());
  shape.fill(Qt::color0);
  {
    QPainter p(&shape);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::color1);
    p.drawRoundedRect(QRect(0, 0, width(), height()), 20, 20);
  }
  setMask(shape);

  auto* background = new SvgPicture(QStringLiteral(":/startscreen.svg"), this);
  background->setObjectName(QStringLiteral("ImageBackground"));
  background->setGeometry(rect());

  LabelTitle = MakeLabel(this, "LabelTitle", {1, 58, 340, 37}, GothicFont(21));
  Label2 = MakeLabel(this, "Label2", {1, 88, 340, 21}, ArialFont(15));
  Label2->setText(QStringLiteral("Freeware"));

  Label3 = new LinkLabel(this);
  Label3->setObjectName(QStringLiteral("Label3"));
  Label3->setGeometry(0, 108, 340, 16);
  QFont link = ArialFont(13);
  link.setUnderline(true);
  Label3->setFont(link);
  Label3->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  Label3->setStyleSheet(QStringLiteral("color: black; background: transparent;"));
  Label3->setCursor(Qt::PointingHandCursor);
  connect(Label3, &LinkLabel::clicked, this, &FormFreeware::Label3Click);

  Panel1 = new GradientFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(52, 132, 240, 18);
  auto* bar = new GradientBar(Panel1);
  bar->setObjectName(QStringLiteral("Balken"));
  bar->setGeometry(2, 2, 1, 14);
  Balken = bar;

  BitBtn1 = new QPushButton(QStringLiteral("Start"), this);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1->setGeometry(400, 200, 75, 25);
  BitBtn1->setAutoDefault(false);
  BitBtn1->setEnabled(false);
  BitBtn1->hide();
  connect(BitBtn1, &QPushButton::clicked, this, &FormFreeware::BitBtn1Click);
}

FormFreeware::~FormFreeware() = default;

int FormFreeware::ShowModal(int language, const QString& title) {
  LabelTitle->setText(title);
  Language = language;
  return exec();
}

void FormFreeware::ShowProgress(int percent) {
  const int p = std::clamp(percent, 0, 100);
  auto* bar = static_cast<GradientBar*>(Balken);
  bar->startColor = QColor(255, 217, 255);
  bar->endColor = QColor(94, 0, 47);
  // Rounded half to even, as the bar always has been; 2.4 px per percent on the 240 px frame.
  const int width = int(std::nearbyint(p * (Panel1->width() / 100.0)));
  bar->resize(width, bar->height());
  bar->update();
}

void FormFreeware::OpenLink(const QString& address) {
  prompter_.openUrl(address);  // a link that does not open is not reported
}

void FormFreeware::FormShow() {
  StartTicks = 0;
  finishing_ = false;
  closing_ = false;
  Label3->setText(WebSiteHost(Language));
}

void FormFreeware::FormActivate() {
  if (finishing_ || ticks_->active()) return;
  ticks_->start(TickInterval, [this] { Timer2Timer(); });
}

void FormFreeware::Timer2Timer() {
  if (finishing_) return;
  ++StartTicks;
  if (StartTicks < LastTick) {
    ShowProgress(StartTicks);
    return;
  }
  finishing_ = true;
  ticks_->stop();
  QCoreApplication::processEvents();
  ticks_->pause(ClosingPause);
  BitBtn1Click();
}

void FormFreeware::BitBtn1Click() {
  closing_ = true;
  accept();
}

void FormFreeware::Label3Click() { OpenLink(QStringLiteral("https://") + Label3->text()); }

void FormFreeware::showEvent(QShowEvent* event) {
  FormShow();
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  QDialog::showEvent(event);
  // The timer starts when the window is activated; a window manager that does not activate
  // it must not leave the program waiting forever, so it starts once shown in any case.
  QTimer::singleShot(0, this, [this] {
    if (isVisible()) FormActivate();
  });
}

void FormFreeware::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
  QDialog::changeEvent(event);
}

void FormFreeware::keyPressEvent(QKeyEvent* event) {
  event->accept();  // no key ends the start screen: not Escape, not Enter, not (Alt+)F4
}

void FormFreeware::closeEvent(QCloseEvent* event) {
  if (closing_) QDialog::closeEvent(event);
  else event->ignore();
}

void FormFreeware::reject() {
  if (closing_) QDialog::reject();
}

} // namespace framora
