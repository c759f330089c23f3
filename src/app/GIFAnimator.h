#pragma once
// The animation view: plays the preview image of the playback rules (codec/Player.h) on a
// timer and paints the composed frame at the top-left corner at its own size. Transparent
// parts are left unpainted, so the parent panel's background shows through.
#include "codec/Player.h"

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace framora::widgets {

class GIFAnimator : public QWidget {
  Q_OBJECT
public:
  explicit GIFAnimator(QWidget* parent = nullptr);

  // Reads a GIF into the view's image and resets it to the first frame; a running animation
  // keeps running with the new image. Throws CodecError with the reader's message; the view
  // is then empty (the reader has already dropped the previous animation).
  void LoadFromFile(const QString& fileName);
  // Empties the view (the image becomes none).
  void Clear();

  bool Animate() const { return player_.Animate(); }
  void setAnimate(bool value);

  bool isEmpty() const { return player_.Image().Empty(); }
  int frameCount() const { return player_.Image().Count(); }
  // The logical screen size of the image (0 when empty).
  int imageWidth() const { return player_.Image().ScreenWidth(); }
  int imageHeight() const { return player_.Image().ScreenHeight(); }
  int frameIndex() const { return player_.FrameIndex(); }
  const PreviewGIFImage& image() const { return player_.Image(); }

  // One timer tick, as the frame timer delivers it: advances the frame unless the view is
  // hidden, stopped or holds fewer than two frames. Returns true when the frame changed.
  bool tick();
  // The frame timer (single shot, re-armed after every tick); active while playing.
  const QTimer& frameTimer() const { return timer_; }
  // The interval of the frame shown, in ms (0 with fewer than two frames).
  int frameInterval() const { return player_.Interval(); }

  // The picture of the frame shown, as painted (ARGB, transparent where the panel shows).
  QImage currentFrame();

  QSize sizeHint() const override;

signals:
  // A frame could not be decoded while playing or painting; the animation has been stopped.
  void frameError(const QString& message);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  void armTimer();
  // Composes the frame shown; false (and frameError) when it cannot be decoded.
  bool compose();

  framora::GIFAnimator player_;
  QTimer timer_;
  QImage buffer_;
  int failedFrame_ = -1;  // a frame that failed to decode is not retried on every paint
};

} // namespace framora::widgets
