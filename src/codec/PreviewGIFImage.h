#pragma once
// The lightweight GIF image the preview player owns and plays. The whole file stays in
// memory and a frame's picture is decoded the first time it is needed; damaged image data
// marks the frame Corrupted instead of failing the load.
#include "codec/Bitmap.h"
#include "codec/Error.h"
#include "codec/GifBlockScanner.h"
#include "codec/InputFile.h"

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace framora {

struct Point {
  int x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

class PreviewGIFImage;

class PreviewGIFFrame {
public:
  enum TDisposalMethod {
    dmUndefined, dmLeave, dmRestoreBackground, dmRestorePrevious,
    dmReserved4, dmReserved5, dmReserved6, dmReserved7
  };

  Point Origin() const { return {left_, top_}; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int AnimateInterval() const { return animateInterval_; }
  TDisposalMethod DisposalMethod() const { return disposal_; }
  std::optional<Rgb> TransparentColor() const { return transparentColor_; }
  // Index of the transparent colour in Bitmap().palette(), when there is one.
  std::optional<int> TransparentIndex() const { return transparentIndex_; }
  bool Interlaced() const { return interlaced_; }
  // Set once the frame's data turned out damaged (known after decoding).
  bool Corrupted() const { return corrupted_; }
  bool Decoded() const { return decoded_; }
  // The decoded picture: the frame's own size, 8 bits per pixel, its palette.
  // Decodes on first use; throws CodecError when the frame cannot be held at all.
  const framora::Bitmap& Bitmap() const;
  // The frame's palette (local table, else global), transparent entry made unique.
  const std::vector<Rgb>& Palette() const { return palette_; }

private:
  friend class PreviewGIFImage;
  void decode() const;

  PreviewGIFImage* owner_ = nullptr;
  std::shared_ptr<const std::vector<std::uint8_t>> file_;
  std::size_t dataOffset_ = 0;   // the LZW minimum code size byte
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  int animateInterval_ = 0;
  TDisposalMethod disposal_ = dmUndefined;
  std::optional<Rgb> transparentColor_;
  std::optional<int> transparentIndex_;
  bool interlaced_ = false;
  std::vector<Rgb> palette_;
  mutable bool decoded_ = false;
  mutable bool corrupted_ = false;
  mutable framora::Bitmap bitmap_;
};

class PreviewGIFImage {
public:
  enum TGIFVersion { gvUnknown, gv87a, gv89a };

  PreviewGIFImage() = default;
  PreviewGIFImage(const PreviewGIFImage&) = delete;
  PreviewGIFImage& operator=(const PreviewGIFImage&) = delete;

  // Errors: "Unknown GIF version", "Unrecognized extension block: %.2x", "Stream read error";
  // CodecFileError for a file that cannot be opened, is no regular file or is larger than
  // gif::limits.maxFileBytes() (the content then stays). A wrong signature is found before the
  // rest is read. A failed load keeps the frames read before the failure and does not call OnChange.
  void LoadFromFile(const std::string& fileName);
  void LoadFromStream(std::istream& in);
  void LoadFromMemory(const std::uint8_t* data, std::size_t size);
  // Empties the image (the player's "Image := none") and announces the change.
  void Clear();

  int Count() const { return static_cast<int>(frames_.size()); }
  bool Empty() const { return frames_.empty(); }
  const PreviewGIFFrame& Frames(int i) const { return *frames_.at(static_cast<std::size_t>(i)); }
  int FrameIndex() const { return frameIndex_; }
  void SetFrameIndex(int i);
  int ScreenWidth() const { return screenWidth_; }
  int ScreenHeight() const { return screenHeight_; }
  // The size of the picture of frame FrameIndex (0 when empty).
  int Width() const;
  int Height() const;
  std::optional<Rgb> BackgroundColor() const { return backgroundColor_; }
  // A loop block is present (the first one counts); RepeatCount is its count, at most 30000.
  bool Looping() const { return looping_; }
  int RepeatCount() const { return repeatCount_; }
  TGIFVersion Version() const { return version_; }
  bool Transparent() const;
  bool Corrupted() const;
  // Reading stopped before a trailer: the data ended, or a byte started no block (the frames
  // found are kept).
  bool Truncated() const { return truncated_; }
  const std::vector<std::string>& Comments() const { return comments_; }

  // Called after a successful load or Clear (the player resets itself).
  std::function<void()> OnChange;

private:
  friend class PreviewGIFFrame;
  void noteDecoded(const PreviewGIFFrame* frame);
  void reset();
  void parse(const std::shared_ptr<const std::vector<std::uint8_t>>& file);
  InputRules inputRules();

  std::vector<std::unique_ptr<PreviewGIFFrame>> frames_;
  int frameIndex_ = -1;
  int screenWidth_ = 0, screenHeight_ = 0;
  std::optional<Rgb> backgroundColor_;
  bool looping_ = false;
  int repeatCount_ = 0;
  TGIFVersion version_ = gvUnknown;
  bool truncated_ = false;
  std::vector<std::string> comments_;
  std::size_t decodedPixels_ = 0;
};

} // namespace framora
