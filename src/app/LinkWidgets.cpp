#include "app/LinkWidgets.h"

#include "app/Resources.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

namespace framora {

SvgPicture::SvgPicture(const QString& resource, QWidget* parent)
    : QWidget(parent), resource_(resource), renderer_(nullptr) {
  EnsureResources();
  renderer_ = new QSvgRenderer(resource, this);
  setAttribute(Qt::WA_TranslucentBackground);
}

bool SvgPicture::valid() const { return renderer_->isValid(); }

void SvgPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer_->render(&painter, QRectF(rect()));
}

void SvgPicture::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
  QWidget::mouseReleaseEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
  QLabel::mouseReleaseEvent(event);
}

namespace {
QFont FontOf(const QStringList& families, int pixelSize) {
  QFont font;
  font.setFamilies(families);
  font.setPixelSize(pixelSize);
  return font;
}
} // namespace

QFont GothicFont(int pixelSize) {
  return FontOf({QStringLiteral("Century Gothic"), QStringLiteral("URW Gothic"), QStringLiteral("TeX Gyre Adventor"),
                 QStringLiteral("DejaVu Sans")},
                pixelSize);
}

QFont ArialFont(int pixelSize) {
  return FontOf({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                 QStringLiteral("DejaVu Sans")},
                pixelSize);
}

} // namespace framora
