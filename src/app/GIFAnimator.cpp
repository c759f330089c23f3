#include "app/GIFAnimator.h"

#include "codec/Error.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPalette>

namespace framora::widgets {

namespace {

QImage wrap(const Canvas& c) {
  return QImage(reinterpret_cast<const uchar*>(c.pixels.data()), c.width, c.height, c.width * 4,
                QImage::Format_ARGB32);
}

} // namespace

GIFAnimator::GIFAnimator(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("GIFAnimator"));
  // Left unfilled: the panel's background shows through transparent and empty parts.
  setAutoFillBackground(false);
  const QColor window = QApplication::palette().color(QPalette::Base);
  player_.WindowColor = Rgb{static_cast<std::uint8_t>(window.red()), static_cast<std::uint8_t>(window.green()),
                            static_cast<std::uint8_t>(window.blue())};
  player_.OnRepaint = [this] { update(); };
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
}

void GIFAnimator::LoadFromFile(const QString& fileName) {
  failedFrame_ = -1;
  try {
    player_.Image().LoadFromFile(QFile::encodeName(fileName).toStdString());
  } catch (...) {
    // The reader keeps only the frames before the failure, which are not the previous
    // animation any more; an empty view is the honest state.
    player_.Image().Clear();
    armTimer();
    throw;
  }
  armTimer();
  updateGeometry();
}

void GIFAnimator::Clear() {
  failedFrame_ = -1;
  player_.Image().Clear();
  armTimer();
  updateGeometry();
}

void GIFAnimator::setAnimate(bool value) {
  player_.SetAnimate(value);
  armTimer();
  update();
}

void GIFAnimator::armTimer() {
  if (player_.TimerEnabled())
    timer_.start(player_.NextTickDelay());
  else
    timer_.stop();
}

bool GIFAnimator::tick() {
  player_.Visible = isVisible();
  const bool changed = player_.Tick();
  if (changed) compose();  // decode in the tick, so painting only draws
  armTimer();
  return changed;
}

bool GIFAnimator::compose() {
  if (player_.Image().Empty()) return true;
  const int frame = player_.FrameIndex();
  if (frame == failedFrame_) return false;
  try {
    player_.Picture();
    return true;
  } catch (const std::exception& e) {
    // Qt cannot carry an exception out of a timer or paint event: stop and report instead.
    failedFrame_ = frame;
    player_.SetAnimate(false);
    timer_.stop();
    // Queued: a receiver showing a message box must not run inside a paint event.
    const QString message = QString::fromStdString(e.what());
    QMetaObject::invokeMethod(this, [this, message] { emit frameError(message); }, Qt::QueuedConnection);
    return false;
  }
}

QImage GIFAnimator::currentFrame() {
  if (!compose()) return {};
  const Canvas& c = player_.Picture();
  if (c.pixels.empty()) return {};
  return wrap(c).copy();
}

QSize GIFAnimator::sizeHint() const {
  return isEmpty() ? QSize(0, 0) : QSize(imageWidth(), imageHeight());
}

void GIFAnimator::paintEvent(QPaintEvent*) {
  if (buffer_.size() != size()) buffer_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
  if (buffer_.isNull()) return;
  buffer_.fill(Qt::transparent);
  if (!player_.Image().Empty() && imageWidth() >= 1 && imageHeight() >= 1 && compose()) {
    const Canvas& c = player_.Picture();
    if (!c.pixels.empty()) {
      const Rect r = player_.Placement(width(), height());
      QPainter bp(&buffer_);
      bp.drawImage(QRect(r.x, r.y, r.width, r.height), wrap(c));
    }
  }
  QPainter p(this);
  p.drawImage(0, 0, buffer_);
}

} // namespace framora::widgets
