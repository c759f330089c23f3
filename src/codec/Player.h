#pragma once
// Playback rules of the two GIF players, free of any GUI: a widget drives them with a timer
// and paints the composed pictures (ARGB32 pixels, the layout of QImage::Format_ARGB32).
#include "codec/GifPicture.h"
#include "codec/PreviewGIFImage.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace framora {

inline std::uint32_t toArgb(Rgb c) { return 0xFF000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b; }

// A composed picture of the logical screen.
struct Canvas {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;      // ARGB32, rows from the top; alpha 0 where the background shows
  std::optional<Rgb> transparentColor;    // the picture's transparent colour, when it has one
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The preview player (the main window's GIFAnimator) without its widget: it owns the preview
// image, keeps the frame index and the timer interval, and composes frame pictures.
// The widget runs a timer: after SetAnimate(true) the first tick is due at once, every later
// one Interval() ms after the previous tick; it calls Tick() and repaints when told.
class GIFAnimator {
public:
  GIFAnimator();
  GIFAnimator(const GIFAnimator&) = delete;
  GIFAnimator& operator=(const GIFAnimator&) = delete;

  // Loading a file into Image() or clearing it resets the player to the image's first frame.
  PreviewGIFImage& Image() { return *image_; }
  const PreviewGIFImage& Image() const { return *image_; }

  bool Animate() const { return animate_; }
  void SetAnimate(bool value);
  bool Loop = true;
  bool Transparent = true;
  bool Center = false;
  bool Stretch = false;
  // An invisible player (or one without a parent window) ignores ticks.
  bool Visible = true;
  // The system window colour, the fill when neither a transparent nor a background colour applies.
  Rgb WindowColor{255, 255, 255};

  int FrameIndex() const { return frameIndex_; }
  // The frame timer's interval in ms for the frame shown; 0 when the timer does not run.
  int Interval() const { return interval_; }
  // True while the timer runs (Animate and an interval).
  bool TimerEnabled() const { return animate_ && interval_ > 0; }
  // Delay before the next tick: 0 for the first tick after starting, else Interval().
  int NextTickDelay() const { return firstTickDue_ ? 0 : interval_; }

  // One timer tick. Returns true when the frame changed (the widget repaints at once).
  bool Tick();

  // The composed picture of the frame shown (empty when there is nothing to draw).
  // Throws the preview reader's error when a frame cannot be decoded.
  const Canvas& Picture();
  // The composed picture of frame n, built from the cache when it can be.
  const Canvas& Compose(int n);
  // Where the picture goes inside a control of the given size (Center / Stretch / top-left).
  Rect Placement(int controlWidth, int controlHeight) const;

  // The frame interval rule: 0 with fewer than 2 frames, else AnimateInterval clamped to 50..10000.
  static int FrameInterval(const PreviewGIFImage& image, int frame);

  std::function<void()> OnRepaint;

private:
  void imageChanged();
  void repaint() { if (OnRepaint) OnRepaint(); }
  void drawFrame(Canvas& c, int index) const;
  void fillRect(Canvas& c, int index, std::uint32_t value) const;
  bool coversScreen(int index) const;

  std::unique_ptr<PreviewGIFImage> image_;
  bool animate_ = false;
  bool firstTickDue_ = false;
  int frameIndex_ = -1;
  int interval_ = 0;
  Canvas cache_;
  int cacheIndex_ = -1;
  std::uint32_t cacheFill_ = 0;
};

// The self-animation of a GIF picture in the still view.
class StillAnimation {
public:
  explicit StillAnimation(std::shared_ptr<const GifPicture> picture);

  // A picture with more than one image animates.
  bool Animates() const { return images_.size() > 1; }
  int ImageCount() const { return static_cast<int>(images_.size()); }
  // Index among the images of the one shown.
  int FrameIndex() const { return current_; }
  bool Finished() const { return finished_; }

  // The delay of image i in hundredths: the graphic control block's, 10 when 0 or absent, at least 3.
  int DelayHundredths(int image) const;
  // The wait before the next frame: 12 ms per hundredth at speed 100 %, shortened by half of
  // the previous wait's overrun.
  static int WaitMs(int hundredths, int speedPercent, int previousOverrunMs);
  // Moves to the next frame; false (and Finished) when the loop count is used up or, without a
  // loop block, after the last frame. The last frame then stays.
  bool Advance();

  // The composed picture of the current frame on the logical screen, transparent where no
  // frame has drawn.
  const Canvas& Picture() const { return canvas_; }

private:
  void show(int image);
  std::shared_ptr<const GifPicture> picture_;
  std::vector<int> images_;          // frame indices of the picture's images
  int loopImage_ = -1;               // image carrying the loop block
  int loops_ = 0;
  int passes_ = 0;
  int current_ = 0;
  bool finished_ = false;
  Canvas canvas_;
  Canvas saved_;                     // for disposal 3
};

} // namespace framora
