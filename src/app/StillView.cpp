#include "app/StillView.h"

#include <QFile>
#include <QPainter>

namespace framora::widgets {

namespace {

QRgb argb(Rgb c, bool transparent) { return transparent ? qRgba(c.r, c.g, c.b, 0) : qRgb(c.r, c.g, c.b); }

QImage canvasImage(const Canvas& c) {
  if (c.pixels.empty()) return {};
  return QImage(reinterpret_cast<const uchar*>(c.pixels.data()), c.width, c.height, c.width * 4,
                QImage::Format_ARGB32)
      .copy();
}

} // namespace

QImage toQImage(const Bitmap& bmp) {
  if (bmp.empty()) return {};
  QImage out(bmp.width(), bmp.height(), QImage::Format_ARGB32);
  if (out.isNull()) return {};
  const bool masked = bmp.mask.size() == static_cast<std::size_t>(bmp.width()) * static_cast<std::size_t>(bmp.height());
  // Without a mask a transparent picture names its transparent colour.
  const bool keyed = bmp.transparent && !masked;
  const auto& pal = bmp.palette();
  for (int y = 0; y < bmp.height(); ++y) {
    const std::uint8_t* src = bmp.row(y);
    auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
    const std::uint8_t* m = masked ? bmp.mask.data() + static_cast<std::size_t>(y) * bmp.width() : nullptr;
    for (int x = 0; x < bmp.width(); ++x) {
      Rgb c;
      if (bmp.isPalette()) {
        if (src[x] < pal.size()) c = pal[src[x]];
      } else {
        c = Rgb{src[3 * x], src[3 * x + 1], src[3 * x + 2]};
      }
      dst[x] = argb(c, masked ? m[x] != 0 : keyed && c == bmp.transparentColor);
    }
  }
  return out;
}

StillView::StillView(QWidget* parent) : QLabel(parent) {
  setObjectName(QStringLiteral("Image1"));
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setAutoFillBackground(false);
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] {
    // The wait that was planned is timer_.interval(); half of any overrun is made up next time.
    advance(std::max<int>(0, static_cast<int>(clock_.elapsed()) - timer_.interval()));
  });
}

StillView::~StillView() = default;

void StillView::LoadFromFile(const QString& fileName) {
  auto picture = std::make_shared<Picture>();
  picture->LoadFromFile(QFile::encodeName(fileName).toStdString());  // throws: nothing changes
  setPicture(std::move(picture));
}

void StillView::clearPicture() {
  setPicture(nullptr);
  QLabel::clear();
}

void StillView::setPicture(std::shared_ptr<Picture> picture) {
  stopAnimation();
  animation_.reset();
  started_ = false;
  image_ = QImage();
  picture_ = std::move(picture);
  if (picture_) {
    if (picture_->Gif()) {
      // The animation shares ownership of the picture it plays.
      animation_ = std::make_unique<StillAnimation>(std::shared_ptr<const GifPicture>(picture_, picture_->Gif()));
      image_ = canvasImage(animation_->Picture());
    }
    if (image_.isNull()) image_ = toQImage(picture_->Bitmap());
  }
  updateGeometry();
  update();
}

int StillView::pictureWidth() const { return picture_ ? picture_->Width() : 0; }
int StillView::pictureHeight() const { return picture_ ? picture_->Height() : 0; }
Picture::Kind StillView::pictureKind() const { return picture_ ? picture_->kind() : Picture::Kind::None; }

void StillView::stopAnimation() { timer_.stop(); }

void StillView::startAnimation() {
  started_ = true;
  if (!animates()) return;
  clock_.start();
  timer_.start(StillAnimation::WaitMs(animation_->DelayHundredths(animation_->FrameIndex()), 100, 0));
}

bool StillView::tick() {
  started_ = true;
  return advance(0);
}

bool StillView::advance(int overrunMs) {
  timer_.stop();
  if (!animation_ || !animation_->Advance()) return false;
  // A screen too large to compose has no canvas: the first image stays.
  if (QImage next = canvasImage(animation_->Picture()); !next.isNull()) image_ = std::move(next);
  update();
  clock_.start();
  timer_.start(StillAnimation::WaitMs(animation_->DelayHundredths(animation_->FrameIndex()), 100, overrunMs));
  return true;
}

QSize StillView::sizeHint() const {
  return picture_ ? QSize(pictureWidth(), pictureHeight()) : QLabel::sizeHint();
}

void StillView::paintEvent(QPaintEvent* event) {
  if (!picture_) {
    QLabel::paintEvent(event);
    return;
  }
  if (!started_) startAnimation();  // a GIF picture starts animating when first drawn
  if (image_.isNull()) return;
  QPainter p(this);
  const QRect area = contentsRect();
  if (stretch())
    p.drawImage(area, image_);
  else
    p.drawImage(area.topLeft(), image_);
}

} // namespace framora::widgets
