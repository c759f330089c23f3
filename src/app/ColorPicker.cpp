#include "app/ColorPicker.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>

namespace framora::widgets {

ColorPicker::ColorPicker(QAbstractButton* button, QWidget* swatch, QObject* parent)
    : QObject(parent), button_(button), swatch_(swatch), reader_(&ColorPicker::readScreenPixel) {
  if (button_) button_->installEventFilter(this);
}

ColorPicker::~ColorPicker() {
  if (cursorSet_) QGuiApplication::restoreOverrideCursor();
}

std::optional<QColor> ColorPicker::readScreenPixel(const QPoint& globalPos) {
  QScreen* screen = QGuiApplication::screenAt(globalPos);
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return std::nullopt;
  // Window 0 means the whole screen, in coordinates relative to that screen.
  const QPoint p = globalPos - screen->geometry().topLeft();
  const QImage pixel = screen->grabWindow(0, p.x(), p.y(), 1, 1).toImage();
  if (pixel.isNull()) return std::nullopt;
  return QColor(pixel.pixel(0, 0)).toRgb();
}

QCursor ColorPicker::eyedropperCursor() {
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  {
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn along the x axis from the tip, then turned to point down-left onto the hot spot.
    p.translate(kHotSpot.x() + 0.5, kHotSpot.y() + 0.5);
    p.rotate(-45);
    // The tapered glass tube from the tip to `length`; the drop is its front part.
    auto tube = [](double length) {
      QPainterPath path;
      path.moveTo(0, 0);
      path.lineTo(3, -1.6);
      path.lineTo(length, -1.6);
      path.lineTo(length, 1.6);
      path.lineTo(3, 1.6);
      path.closeSubpath();
      return path;
    };
    const QPainterPath glass = tube(13);
    QPainterPath collar;
    collar.addRoundedRect(QRectF(12.5, -4, 3, 8), 1, 1);
    QPainterPath bulb;
    bulb.addRoundedRect(QRectF(15.5, -3, 9, 6), 3, 3);
    const QPainterPath all = glass.united(collar).united(bulb);
    p.setPen(QPen(QColor(255, 255, 255, 220), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(all);  // light halo: visible on dark backgrounds too
    p.setPen(QPen(QColor(20, 24, 32), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(200, 230, 245));
    p.drawPath(glass);
    p.setBrush(QColor(40, 110, 200));  // the drop of liquid at the tip
    p.drawPath(tube(6));
    p.setBrush(QColor(90, 96, 110));
    p.drawPath(collar);
    p.setBrush(QColor(190, 40, 40));
    p.drawPath(bulb);
  }
  return QCursor(pm, kHotSpot.x(), kHotSpot.y());
}

void ColorPicker::press() {
  if (!cursorSet_) {
    QGuiApplication::setOverrideCursor(eyedropperCursor());
    cursorSet_ = true;
  }
  // Moves and the release then reach the button wherever the mouse goes on the screen.
  if (button_ && button_->isVisible()) button_->grabMouse();
  pickActive_ = true;
}

void ColorPicker::move() {
  if (!pickActive_) return;
  const std::optional<QColor> colour = reader_ ? reader_(QCursor::pos()) : std::nullopt;
  // A pixel the platform cannot read (no screen, grabbing not allowed) keeps the last colour.
  if (!colour) return;
  pickedColor_ = *colour;
  showInSwatch(pickedColor_);
  emit colorPicked(pickedColor_);
}

void ColorPicker::release() {
  pickActive_ = false;
  if (cursorSet_) {
    QGuiApplication::restoreOverrideCursor();
    cursorSet_ = false;
  }
  if (button_ && QWidget::mouseGrabber() == button_) button_->releaseMouse();
  showInSwatch(pickedColor_);
}

void ColorPicker::showInSwatch(const QColor& colour) {
  if (swatchSetter_) {
    swatchSetter_(colour);
    return;
  }
  if (!swatch_) return;
  QPalette pal = swatch_->palette();
  pal.setColor(QPalette::Window, colour);
  swatch_->setPalette(pal);
  swatch_->setAutoFillBackground(true);
  const QString rule = QStringLiteral("background-color: %1;").arg(colour.name());
  swatch_->setStyleSheet(swatch_->objectName().isEmpty()
                             ? rule
                             : QStringLiteral("#%1 { %2 }").arg(swatch_->objectName(), rule));
  swatch_->repaint();
}

bool ColorPicker::eventFilter(QObject* watched, QEvent* event) {
  if (watched == button_) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      press();
      break;
    case QEvent::MouseMove:
      move();
      break;
    case QEvent::MouseButtonRelease:
      release();
      break;
    default:
      break;
    }
  }
  return QObject::eventFilter(watched, event);
}

} // namespace framora::widgets
