#pragma once
// Bounds-checked reading of the GIF block structure over a byte buffer.
// The three GIF readers (model, preview, picture) share this scanner and differ only in
// policy: what they accept, what they keep and how they word their messages.
// Every read returns false when the data ends first; nothing here trusts a length.
#include "codec/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <istream>
#include <vector>

namespace framora::gif {

// Hostile headers may claim 65535 x 65535 pixels per frame and thousands of frames with
// hardly any data. These caps keep every reader's memory bounded; a legitimate animation
// stays far below them. (Fuzz targets lower them to keep each run quick.)
struct Limits {
  std::size_t maxFramePixels = std::size_t{1} << 26;   // one raster or composed canvas: 64 Mi pixels
  // Pixels that no image data can reach (a frame larger than its data could ever fill) are
  // counted over one read; this is what a header full of empty frames would cost.
  std::size_t maxFillPixels = std::size_t{1} << 26;
  std::size_t maxTotalPixels = std::size_t{1} << 30;   // all frames of one read, data or not
  std::size_t maxCachedPixels = std::size_t{1} << 28;  // decoded frames the preview image keeps
  // A GIF file larger than this holds more than maxTotalPixels could use: LZW spends at most
  // 12 bits per pixel, which leaves half a byte per pixel for tables, blocks and lengths.
  std::size_t maxFileBytes() const { return 2 * maxTotalPixels; }
};
inline Limits limits;

inline constexpr std::uint8_t kExtensionIntroducer = 0x21;
inline constexpr std::uint8_t kImageSeparator = 0x2C;
inline constexpr std::uint8_t kTrailer = 0x3B;
inline constexpr std::uint8_t kLabelPlainText = 0x01;
inline constexpr std::uint8_t kLabelGraphicControl = 0xF9;
inline constexpr std::uint8_t kLabelComment = 0xFE;
inline constexpr std::uint8_t kLabelApplication = 0xFF;

struct ScreenDescriptor {
  std::uint16_t width = 0, height = 0;
  std::uint8_t packed = 0, backgroundIndex = 0, aspectRatio = 0;
  bool hasGlobalTable() const { return (packed & 0x80) != 0; }
  int globalTableSize() const { return 2 << (packed & 7); }
};

struct ImageDescriptor {
  std::uint16_t left = 0, top = 0, width = 0, height = 0;
  std::uint8_t packed = 0;
  bool hasLocalTable() const { return (packed & 0x80) != 0; }
  bool interlaced() const { return (packed & 0x40) != 0; }
  int localTableSize() const { return 2 << (packed & 7); }
};

// Graphic control block fields as far as the block holds them.
struct GraphicControl {
  std::uint8_t packed = 0;
  std::uint16_t delay = 0;
  std::uint8_t transparentIndex = 0;
  std::uint8_t size = 4;  // bytes in the block's first sub-block; below 4 the fields are not all there
  int disposal() const { return (packed >> 2) & 7; }
  bool transparent() const { return (packed & 1) != 0; }
};

class GifBlockScanner {
public:
  GifBlockScanner(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  explicit GifBlockScanner(const std::vector<std::uint8_t>& bytes) : GifBlockScanner(bytes.data(), bytes.size()) {}

  std::size_t position() const { return pos_; }
  std::size_t size() const { return size_; }
  std::size_t remaining() const { return size_ - pos_; }
  bool atEnd() const { return pos_ >= size_; }
  void seek(std::size_t pos) { pos_ = pos < size_ ? pos : size_; }
  const std::uint8_t* data() const { return data_; }

  bool readU8(std::uint8_t& v);
  bool peekU8(std::uint8_t& v) const;
  bool readU16(std::uint16_t& v);
  bool readBytes(void* dst, std::size_t n);
  bool skip(std::size_t n);

  bool readScreenDescriptor(ScreenDescriptor& sd);
  // Descriptor fields after the 0x2C separator (9 bytes).
  bool readImageDescriptorFields(ImageDescriptor& id);
  bool readColorTable(int entries, std::vector<Rgb>& table);

  // One data sub-block: its bytes are [data, data + length). Length 0 is the block terminator.
  enum class SubBlock { Data, Terminator, Truncated };
  SubBlock nextSubBlock(const std::uint8_t*& data, std::size_t& length);
  // Skips sub-blocks through the terminator; false when the data ends first.
  bool skipSubBlocks();
  // Appends the payload of all sub-blocks to out; false when the data ends first
  // (what was there is still appended).
  bool collectSubBlocks(std::vector<std::uint8_t>& out);

  // Graphic control block after its label: the first sub-block gives the fields, the rest is
  // skipped. complete is false when the first sub-block holds fewer than 4 bytes.
  bool readGraphicControl(GraphicControl& gc, bool& complete);

private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// The most pixels LZW data of the given size can produce with the given minimum code size.
std::size_t maxLzwOutput(std::size_t dataBytes, int minCodeSize);

// De-interlaces rows of a GIF image decoded in transmission order into plain row order.
void deinterlace(const std::uint8_t* src, std::uint8_t* dst, int width, int height);

} // namespace framora::gif
