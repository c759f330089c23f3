#pragma once
// The still view: one picture of the picture loader at its own size from the top-left corner,
// or stretched to the whole view. Transparent pixels are left unpainted, so the parent
// panel's background shows through. A GIF picture with more than one image animates by
// itself (codec/Player.h, StillAnimation) from its first drawing until it is replaced,
// removed or its loop count is used up.
//
// A QLabel so that it can stand where a plain label stood: stretching is the label's
// scaledContents, and with no picture of its own it paints like a label.
#include "codec/Picture.h"
#include "codec/Player.h"

#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QTimer>

#include <memory>

namespace framora::widgets {

// A loaded picture as an ARGB image; alpha 0 where the picture is transparent.
QImage toQImage(const Bitmap& bitmap);

class StillView : public QLabel {
  Q_OBJECT
public:
  explicit StillView(QWidget* parent = nullptr);
  ~StillView() override;

  // Loads a picture file (kind by extension). Throws CodecError with the loader's message;
  // the previous picture then stays, still animating if it did.
  void LoadFromFile(const QString& fileName);
  // Removes the picture (stops its animation).
  void clearPicture();

  bool hasPicture() const { return picture_ != nullptr; }
  // The picture's size (a GIF picture: its logical screen); 0 without a picture.
  int pictureWidth() const;
  int pictureHeight() const;
  Picture::Kind pictureKind() const;

  void setStretch(bool on) { setScaledContents(on); }
  bool stretch() const { return hasScaledContents(); }

  // The picture as it is shown now, at its own size (the current frame of an animation).
  const QImage& currentImage() const { return image_; }

  // The self-animation: running from the first drawing of a multi-image GIF picture until
  // it is replaced, removed or finishes.
  bool isAnimating() const { return timer_.isActive(); }
  bool animates() const { return animation_ && animation_->Animates(); }
  int animationFrame() const { return animation_ ? animation_->FrameIndex() : 0; }
  bool animationFinished() const { return animation_ && animation_->Finished(); }
  // The wait before the next frame, in ms (as armed on the timer).
  int nextWait() const { return timer_.interval(); }
  // Advances the animation by one frame now, as its timer would. Returns false when the
  // picture does not animate (any more).
  bool tick();

  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  void setPicture(std::shared_ptr<Picture> picture);
  void stopAnimation();
  void startAnimation();
  bool advance(int overrunMs);

  std::shared_ptr<Picture> picture_;
  std::unique_ptr<StillAnimation> animation_;
  QImage image_;
  QTimer timer_;
  QElapsedTimer clock_;
  bool started_ = false;
};

} // namespace framora::widgets
