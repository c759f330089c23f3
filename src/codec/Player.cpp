#include "codec/Player.h"

#include <algorithm>

namespace framora {

// ---------------------------------------------------------------- preview player

GIFAnimator::GIFAnimator() : image_(std::make_unique<PreviewGIFImage>()) {
  image_->OnChange = [this] { imageChanged(); };
}

int GIFAnimator::FrameInterval(const PreviewGIFImage& image, int frame) {
  if (image.Count() < 2 || frame < 0 || frame >= image.Count()) return 0;
  return std::clamp(image.Frames(frame).AnimateInterval(), 50, 10000);
}

void GIFAnimator::imageChanged() {
  cacheIndex_ = -1;
  cache_ = Canvas();
  frameIndex_ = image_->FrameIndex();
  interval_ = FrameInterval(*image_, frameIndex_);
  repaint();
}

void GIFAnimator::SetAnimate(bool value) {
  if (value == animate_) return;
  animate_ = value;
  firstTickDue_ = value;
  if (!value) repaint();
}

bool GIFAnimator::Tick() {
  firstTickDue_ = false;
  if (!animate_ || !Visible || image_->Count() < 2) return false;
  frameIndex_ = frameIndex_ + 1 >= image_->Count() ? 0 : frameIndex_ + 1;
  interval_ = FrameInterval(*image_, frameIndex_);
  repaint();
  if (frameIndex_ == 0 && !Loop) SetAnimate(false);
  return true;
}

bool GIFAnimator::coversScreen(int index) const {
  const auto& f = image_->Frames(index);
  return f.Origin() == Point{0, 0} && f.Width() >= image_->ScreenWidth() && f.Height() >= image_->ScreenHeight();
}

void GIFAnimator::drawFrame(Canvas& c, int index) const {
  const auto& frame = image_->Frames(index);
  const Bitmap& bmp = frame.Bitmap();
  std::uint32_t lut[256];
  const auto& pal = bmp.palette();
  for (int i = 0; i < 256; ++i)
    lut[i] = static_cast<std::size_t>(i) < pal.size() ? toArgb(pal[static_cast<std::size_t>(i)]) : 0xFF000000u;
  const int key = frame.TransparentIndex().value_or(-1);
  const Point o = frame.Origin();
  const int x0 = std::max(0, o.x), x1 = std::min(c.width, o.x + bmp.width());
  const int y0 = std::max(0, o.y), y1 = std::min(c.height, o.y + bmp.height());
  if (x0 >= x1) return;
  for (int y = y0; y < y1; ++y) {
    const std::uint8_t* src = bmp.row(y - o.y) + (x0 - o.x);
    std::uint32_t* dst = c.pixels.data() + static_cast<std::size_t>(y) * c.width + x0;
    const int n = x1 - x0;
    if (key < 0) {
      for (int x = 0; x < n; ++x) dst[x] = lut[src[x]];
    } else {
      for (int x = 0; x < n; ++x)
        if (src[x] != key) dst[x] = lut[src[x]];
    }
  }
}

void GIFAnimator::fillRect(Canvas& c, int index, std::uint32_t v) const {
  const auto& frame = image_->Frames(index);
  const Point o = frame.Origin();
  const int x0 = std::max(0, o.x), x1 = std::min(c.width, o.x + frame.Width());
  const int y0 = std::max(0, o.y), y1 = std::min(c.height, o.y + frame.Height());
  if (x0 >= x1) return;  // the rectangle lies beside the screen
  for (int y = y0; y < y1; ++y)
    std::fill(c.pixels.begin() + static_cast<std::ptrdiff_t>(y) * c.width + x0,
              c.pixels.begin() + static_cast<std::ptrdiff_t>(y) * c.width + x1, v);
}

const Canvas& GIFAnimator::Compose(int n) {
  static const Canvas kEmpty;
  const int sw = image_->ScreenWidth(), sh = image_->ScreenHeight();
  if (n < 0 || n >= image_->Count() || sw < 1 || sh < 1 ||
      static_cast<std::size_t>(sw) * static_cast<std::size_t>(sh) > gif::limits.maxFramePixels)
    return kEmpty;
  if (cacheIndex_ == n) return cache_;
  const bool reuse = cacheIndex_ >= 0 && cacheIndex_ == n - 1 &&
                     image_->Frames(n - 1).DisposalMethod() != PreviewGIFFrame::dmRestorePrevious;
  const int previous = cacheIndex_;
  cacheIndex_ = -1;  // stays invalid should a frame fail to decode
  if (reuse) {
    if (image_->Frames(previous).DisposalMethod() == PreviewGIFFrame::dmRestoreBackground)
      fillRect(cache_, previous, cacheFill_);
  } else {
    // Fill colour: the current frame's transparent colour, else the background colour of a
    // transparent image, else the window colour.
    std::optional<Rgb> key;
    Rgb fill = WindowColor;
    const int current = std::max(0, image_->FrameIndex());
    if (auto t = image_->Frames(current).TransparentColor()) {
      fill = *t;
      key = t;
    } else if (image_->BackgroundColor() && image_->Transparent()) {
      fill = *image_->BackgroundColor();
    }
    cache_.width = sw;
    cache_.height = sh;
    // The fill of a transparent picture is kept transparent in the alpha channel rather than by
    // its colour alone: a later frame's palette may hold that colour as an opaque one.
    cache_.transparentColor = key && Transparent ? key : std::nullopt;
    cacheFill_ = cache_.transparentColor ? toArgb(fill) & 0x00FFFFFFu : toArgb(fill);
    cache_.pixels.assign(static_cast<std::size_t>(sw) * static_cast<std::size_t>(sh), cacheFill_);

    // Start from the last full-screen frame that hides everything before it.
    int start = 0;
    for (int k = n; k >= 1; --k) {
      const auto& f = image_->Frames(k);
      if (coversScreen(k) &&
          (!f.TransparentColor() || (k < n && f.DisposalMethod() == PreviewGIFFrame::dmRestoreBackground))) {
        start = k;
        break;
      }
    }
    for (int k = start; k < n; ++k) {
      switch (image_->Frames(k).DisposalMethod()) {
      case PreviewGIFFrame::dmUndefined:
      case PreviewGIFFrame::dmLeave:
        drawFrame(cache_, k);
        break;
      case PreviewGIFFrame::dmRestoreBackground:
        if (k > start) fillRect(cache_, k, cacheFill_);
        break;
      default:
        break;
      }
    }
  }
  drawFrame(cache_, n);
  cacheIndex_ = n;
  return cache_;
}

const Canvas& GIFAnimator::Picture() { return Compose(frameIndex_); }

Rect GIFAnimator::Placement(int controlWidth, int controlHeight) const {
  const int pw = image_->ScreenWidth(), ph = image_->ScreenHeight();
  if (Stretch) return {0, 0, controlWidth, controlHeight};
  if (Center) return {(controlWidth - pw) / 2, (controlHeight - ph) / 2, pw, ph};
  return {0, 0, pw, ph};
}

// ---------------------------------------------------------------- still view

StillAnimation::StillAnimation(std::shared_ptr<const GifPicture> picture) : picture_(std::move(picture)) {
  if (!picture_) return;
  images_ = picture_->Images();
  const auto& frames = picture_->Raw().frames;
  int imagesBefore = 0;
  bool found = false;
  for (std::size_t i = 0; i < frames.size() && !found; ++i) {
    for (const auto& e : frames[i].extensions)
      if (e.label == gif::kLabelApplication && e.loop) {
        loopImage_ = frames[i].hasImage ? imagesBefore : -1;
        loops_ = e.loops;
        found = true;
        break;
      }
    if (frames[i].hasImage) ++imagesBefore;
  }
  if (!found) loops_ = -1;  // no loop block: play once
  const int w = picture_->Width(), h = picture_->Height();
  if (w > 0 && h > 0 && static_cast<std::size_t>(w) * static_cast<std::size_t>(h) <= gif::limits.maxFramePixels) {
    canvas_.width = w;
    canvas_.height = h;
    canvas_.pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
  }
  if (!images_.empty()) show(0);
}

int StillAnimation::DelayHundredths(int image) const {
  const auto& f = picture_->Raw().frames.at(static_cast<std::size_t>(images_.at(static_cast<std::size_t>(image))));
  const int gce = f.firstGraphicControl();
  int d = gce >= 0 ? f.extensions[static_cast<std::size_t>(gce)].gc.delay : 0;
  if (d == 0) d = 10;
  return std::max(d, 3);
}

int StillAnimation::WaitMs(int hundredths, int speedPercent, int previousOverrunMs) {
  if (speedPercent <= 0) speedPercent = 100;
  const int wait = hundredths * 12 * 100 / speedPercent - previousOverrunMs / 2;
  return std::max(0, wait);
}

void StillAnimation::show(int image) {
  current_ = image;
  if (image == loopImage_) ++passes_;
  if (canvas_.pixels.empty()) return;
  const int fi = images_[static_cast<std::size_t>(image)];
  const auto& f = picture_->Raw().frames[static_cast<std::size_t>(fi)];
  const int gce = f.firstGraphicControl();
  if (gce >= 0 && f.extensions[static_cast<std::size_t>(gce)].gc.disposal() == 3) saved_ = canvas_;
  if (!f.hasPixels) return;
  const auto& pal = picture_->PaletteOf(fi);
  std::uint32_t lut[256];
  for (int i = 0; i < 256; ++i)
    lut[i] = static_cast<std::size_t>(i) < pal.size() ? toArgb(pal[static_cast<std::size_t>(i)]) : 0xFF000000u;
  int key = -1;
  if (gce >= 0 && f.extensions[static_cast<std::size_t>(gce)].gc.transparent())
    key = f.extensions[static_cast<std::size_t>(gce)].gc.transparentIndex;
  const auto& d = f.descriptor;
  const int x1 = std::min<int>(canvas_.width, d.left + d.width), y1 = std::min<int>(canvas_.height, d.top + d.height);
  if (d.left >= x1) return;
  const int n = x1 - d.left;
  for (int y = d.top; y < y1; ++y) {
    const std::uint8_t* src = f.pixels.data() + static_cast<std::size_t>(y - d.top) * d.width;
    std::uint32_t* dst = canvas_.pixels.data() + static_cast<std::size_t>(y) * canvas_.width + d.left;
    for (int x = 0; x < n; ++x)
      if (src[x] != key) dst[x] = lut[src[x]];
  }
}

bool StillAnimation::Advance() {
  if (finished_ || !Animates()) return false;
  int next = current_ + 1;
  if (next >= ImageCount()) {
    const bool again = loops_ == 0 || (loops_ > 0 && passes_ < loops_);
    if (!again) { finished_ = true; return false; }
    next = 0;
    std::fill(canvas_.pixels.begin(), canvas_.pixels.end(), 0u);
  } else if (!canvas_.pixels.empty()) {
    const auto& f = picture_->Raw().frames[static_cast<std::size_t>(images_[static_cast<std::size_t>(current_)])];
    const int gce = f.firstGraphicControl();
    const int disposal = gce >= 0 ? f.extensions[static_cast<std::size_t>(gce)].gc.disposal() : 0;
    if (disposal == 2) {
      const auto& d = f.descriptor;
      const int x1 = std::min<int>(canvas_.width, d.left + d.width), y1 = std::min<int>(canvas_.height, d.top + d.height);
      for (int y = d.top; y < y1; ++y)
        for (int x = d.left; x < x1; ++x) canvas_.pixels[static_cast<std::size_t>(y) * canvas_.width + x] = 0;
    } else if (disposal == 3 && !saved_.pixels.empty()) {
      canvas_ = saved_;
    }
  }
  show(next);
  return true;
}

} // namespace framora
