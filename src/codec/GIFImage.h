#pragma once
// The in-memory GIF image: logical screen, global colour map, frames with their local
// maps and extension blocks. Frames are filled from bitmaps (Add/Assign) or by the
// reader (LoadFromFile/LoadFromStream), and the whole image is written as a GIF file.
//
// Ownership: the image owns its frames, a frame owns its colour map and extensions.
// Frames and extensions keep a back link to their owner, so an image is neither
// copied nor moved; copy it with Assign.
#include "codec/Bitmap.h"
#include "codec/ColorReduction.h"
#include "codec/Error.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace framora {

using GIFException = CodecError;
using GIFSeverity = Severity;
using GIFColor = Rgb;
inline constexpr Severity gsInfo = Severity::gsInfo;
inline constexpr Severity gsWarning = Severity::gsWarning;
inline constexpr Severity gsError = Severity::gsError;

// The model's messages (German whatever the interface language).
namespace gifmsg {
inline constexpr const char* EmptyImage = "Leeres GIF kann nicht gespeichert werden";
inline constexpr const char* ColorNotInMap = "Farbe nicht in der Farbtabelle";
inline constexpr const char* ColorMapOverflow = "Farbtabellenüberlauf";
inline constexpr const char* BadImageSize = "Ungültige Bildgröße";
inline constexpr const char* BadPixelCoordinates = "Ungültige Pixel-Koordinaten";
inline constexpr const char* ImageEmpty = "Bild ist leer";
inline constexpr const char* UnsupportedObject = "Objekttyp für Operation nicht unterstützt";
inline constexpr const char* BadColorIndex = "Ungültiger Farbindex";
inline constexpr const char* ColorIndexExtended = "Ungültiger Farbindex - Farbzuordnung erweitert";
inline constexpr const char* MultipleGCE = "Frame enthält mehrere Blöcke mit grafischen Steuerelementerweiterungen";
inline constexpr const char* ImageExceedsScreen = "Bild überschreitet logische Bildschirmgröße";
inline constexpr const char* BadBitmap = "Bitmap ist ungültig";
inline constexpr const char* TooLarge = "Bild ist zu groß";  // beyond what the readers take (gif::limits)
} // namespace gifmsg

class GIFImage;
class GIFFrame;

// ---------------------------------------------------------------------------------------
// Colour maps

class GIFColorMap {
public:
  static constexpr int kMaxColors = 256;
  virtual ~GIFColorMap() = default;

  int Count() const { return static_cast<int>(colors_.size()); }
  bool Empty() const { return colors_.empty(); }
  const Rgb& Colors(int index) const { return colors_.at(static_cast<std::size_t>(index)); }
  const std::vector<Rgb>& Data() const { return colors_; }
  // 0 for an empty map, else the smallest b >= 1 with 2^b >= Count.
  int BitsPerPixel() const;
  // Entries sorted by decreasing use.
  bool Optimized() const { return optimized_; }
  void SetOptimized(bool value) { optimized_ = value; }

  // Appends one colour and returns its index; "Farbtabellenüberlauf" on a full map.
  int Add(Rgb color);
  void Delete(int index);
  void Clear();
  // Replaces all entries (at most 256; clears Optimized).
  void Assign(std::vector<Rgb> colors);
  void SetColor(int index, Rgb color) { colors_.at(static_cast<std::size_t>(index)) = color; }

  // Index of an entry equal to the colour, or -1.
  int IndexOf(Rgb color) const;
  int LastIndexOf(Rgb color) const;

  // A 24-bit colour value as the toolkit stores it: low byte red, then green, then blue.
  static Rgb FromColorValue(std::uint32_t value) {
    return Rgb{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
               static_cast<std::uint8_t>(value >> 16)};
  }

private:
  std::vector<Rgb> colors_;
  bool optimized_ = false;
};

class GIFGlobalColorMap final : public GIFColorMap {};
class GIFLocalColorMap final : public GIFColorMap {};

// ---------------------------------------------------------------------------------------
// Header

struct LogicalScreenDescriptor {
  std::uint16_t ScreenWidth = 0;
  std::uint16_t ScreenHeight = 0;
  std::uint8_t PackedFields = 0;
  std::uint8_t BackgroundColorIndex = 0;
  std::uint8_t AspectRatio = 0;
};

class GIFHeader {
public:
  LogicalScreenDescriptor& Descriptor() { return descriptor_; }
  const LogicalScreenDescriptor& Descriptor() const { return descriptor_; }
  GIFGlobalColorMap& ColorMap() { return colorMap_; }
  const GIFGlobalColorMap& ColorMap() const { return colorMap_; }
  // The three version letters as read ("87a", "89a", or whatever the file had); the writer
  // decides its own version from the frames.
  std::string Version = "87a";

private:
  LogicalScreenDescriptor descriptor_;
  GIFGlobalColorMap colorMap_;
};

// ---------------------------------------------------------------------------------------
// Extensions

class GIFExtension {
public:
  virtual ~GIFExtension() = default;
  virtual std::uint8_t GetExtensionType() const = 0;
  int GetVersion() const { return 2; }
  GIFFrame& Frame() const { return *frame_; }
  // The whole block from the introducer 0x21 to the terminating zero.
  virtual void SaveToBytes(std::vector<std::uint8_t>& out) const = 0;
  virtual std::unique_ptr<GIFExtension> Clone() const = 0;

protected:
  explicit GIFExtension(GIFFrame& frame) : frame_(&frame) {}
  GIFExtension(const GIFExtension&) = default;
  GIFExtension& operator=(const GIFExtension&) = default;

private:
  friend class GIFExtensionList;
  GIFFrame* frame_;
};

enum TDisposalMethod : int { dmNone = 0, dmNoDisposal = 1, dmBackground = 2, dmPrevious = 3 };

struct GIFGCERec {
  std::uint8_t BlockSize = 4;  // as read; below 4 the block lacks fields
  std::uint8_t PackedFields = 0;
  std::uint16_t DelayTime = 0;
  std::uint8_t TransparentColorIndex = 0;
  std::uint8_t Terminator = 0;
};

class GIFGraphicControlExtension final : public GIFExtension {
public:
  static constexpr std::uint8_t kLabel = 0xF9;
  // Appends a new block to the frame; it becomes the frame's GraphicControlExtension
  // unless the frame has one already (warning, the block is still kept and written).
  static GIFGraphicControlExtension& Create(GIFFrame& frame);

  std::uint8_t GetExtensionType() const override { return kLabel; }
  void SaveToBytes(std::vector<std::uint8_t>& out) const override;
  std::unique_ptr<GIFExtension> Clone() const override;

  GIFGCERec& Rec() { return rec_; }
  const GIFGCERec& Rec() const { return rec_; }

  int Delay() const { return rec_.DelayTime; }                 // hundredths of a second
  void SetDelay(int hundredths) { rec_.DelayTime = static_cast<std::uint16_t>(hundredths); }
  int Disposal() const { return (rec_.PackedFields >> 2) & 7; }
  void SetDisposal(int method);                                // 0..7, stored in bits 2..4
  bool UserInput() const { return rec_.PackedFields & 0x02; }
  void SetUserInput(bool value);
  bool Transparent() const { return rec_.PackedFields & 0x01; }
  // true sets the flag and applies the index rule of SetTransparentColorIndex again.
  void SetTransparent(bool value);
  int TransparentColorIndex() const { return rec_.TransparentColorIndex; }
  // An index beyond the frame's active map: equal to its size (and room left) appends a
  // black entry, otherwise the index becomes 0; both with a warning. Empty map: kept.
  void SetTransparentColorIndex(int index);
  // Colour of the transparent index in the frame's active map ("Ungültiger Farbindex" beyond it).
  Rgb TransparentColor() const;
  // Finds the colour in the active map (first entry of an optimised map, else the last) or
  // appends it ("Farbtabellenüberlauf" on a full map, nothing changed); the flag is untouched.
  void SetTransparentColor(Rgb color);

private:
  explicit GIFGraphicControlExtension(GIFFrame& frame) : GIFExtension(frame) {}
  GIFGraphicControlExtension(const GIFGraphicControlExtension&) = default;
  GIFGCERec rec_;
};

// Data sub-blocks as read, each without its length byte.
using GIFSubBlocks = std::vector<std::vector<std::uint8_t>>;

// Plain-text (0x01) and comment (0xFE) blocks are only kept from read files; written back as read.
class GIFTextExtension final : public GIFExtension {
public:
  static constexpr std::uint8_t kLabel = 0x01;
  static GIFTextExtension& Create(GIFFrame& frame, GIFSubBlocks subBlocks = {});
  std::uint8_t GetExtensionType() const override { return kLabel; }
  void SaveToBytes(std::vector<std::uint8_t>& out) const override;
  std::unique_ptr<GIFExtension> Clone() const override;
  GIFSubBlocks SubBlocks; // the first one is the 12-byte text grid header

private:
  explicit GIFTextExtension(GIFFrame& frame) : GIFExtension(frame) {}
  GIFTextExtension(const GIFTextExtension&) = default;
};

class GIFCommentExtension final : public GIFExtension {
public:
  static constexpr std::uint8_t kLabel = 0xFE;
  static GIFCommentExtension& Create(GIFFrame& frame, GIFSubBlocks subBlocks = {});
  std::uint8_t GetExtensionType() const override { return kLabel; }
  void SaveToBytes(std::vector<std::uint8_t>& out) const override;
  std::unique_ptr<GIFExtension> Clone() const override;
  std::string Text() const; // all sub-blocks joined
  GIFSubBlocks SubBlocks;

private:
  explicit GIFCommentExtension(GIFFrame& frame) : GIFExtension(frame) {}
  GIFCommentExtension(const GIFCommentExtension&) = default;
};

class GIFApplicationExtension : public GIFExtension {
public:
  static constexpr std::uint8_t kLabel = 0xFF;
  std::uint8_t GetExtensionType() const override { return kLabel; }
  void SaveToBytes(std::vector<std::uint8_t>& out) const override;
  std::string Identifier;     // 8 characters (padded/cut when written)
  std::string Authentication; // 3 bytes

protected:
  GIFApplicationExtension(GIFFrame& frame, std::string identifier, std::string authentication)
      : GIFExtension(frame), Identifier(std::move(identifier)), Authentication(std::move(authentication)) {}
  GIFApplicationExtension(const GIFApplicationExtension&) = default;
  // The sub-blocks after the identifier block, without the terminating zero.
  virtual void SaveData(std::vector<std::uint8_t>& out) const = 0;
};

// "NETSCAPE2.0" loop block ("ANIMEXTS1.0" when read so).
class GIFAppExtNSLoop final : public GIFApplicationExtension {
public:
  static GIFAppExtNSLoop& Create(GIFFrame& frame);
  std::unique_ptr<GIFExtension> Clone() const override;
  int Loops() const { return loops_; } // 0 = forever
  void SetLoops(int value) { loops_ = static_cast<std::uint16_t>(value); }
  std::uint32_t BufferSize() const { return bufferSize_; } // 0 = not written
  void SetBufferSize(std::uint32_t value) { bufferSize_ = value; }

private:
  explicit GIFAppExtNSLoop(GIFFrame& frame) : GIFApplicationExtension(frame, "NETSCAPE", "2.0") {}
  GIFAppExtNSLoop(const GIFAppExtNSLoop&) = default;
  void SaveData(std::vector<std::uint8_t>& out) const override;
  std::uint16_t loops_ = 0;
  std::uint32_t bufferSize_ = 0;
};

class GIFUnknownAppExtension final : public GIFApplicationExtension {
public:
  static GIFUnknownAppExtension& Create(GIFFrame& frame, std::string identifier, std::string authentication,
                                        GIFSubBlocks subBlocks = {});
  std::unique_ptr<GIFExtension> Clone() const override;
  GIFSubBlocks SubBlocks;

private:
  GIFUnknownAppExtension(GIFFrame& frame, std::string identifier, std::string authentication)
      : GIFApplicationExtension(frame, std::move(identifier), std::move(authentication)) {}
  GIFUnknownAppExtension(const GIFUnknownAppExtension&) = default;
  void SaveData(std::vector<std::uint8_t>& out) const override;
};

// A frame's extension blocks in file order.
class GIFExtensionList {
public:
  int Count() const { return static_cast<int>(items_.size()); }
  GIFExtension& operator[](int index) const { return *items_.at(static_cast<std::size_t>(index)); }
  GIFExtension& Extensions(int index) const { return (*this)[index]; }
  // Takes the block (made for this list's frame) and returns it; links a first graphic control block.
  GIFExtension& Add(std::unique_ptr<GIFExtension> extension);
  void Delete(int index);
  void Clear();
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

private:
  friend class GIFFrame;
  explicit GIFExtensionList(GIFFrame& frame) : frame_(&frame) {}
  GIFFrame* frame_;
  std::vector<std::unique_ptr<GIFExtension>> items_;
};

// ---------------------------------------------------------------------------------------
// Frames

struct ImageDescriptor {
  std::uint8_t Separator = 0x2C;
  std::uint16_t Left = 0;
  std::uint16_t Top = 0;
  std::uint16_t Width = 0;
  std::uint16_t Height = 0;
  std::uint8_t PackedFields = 0;
};

class GIFFrame {
public:
  // Creates a frame appended to the image's frames.
  static GIFFrame& Create(GIFImage& image);

  GIFFrame(const GIFFrame&) = delete;
  GIFFrame& operator=(const GIFFrame&) = delete;

  GIFImage& Image() const { return *image_; }
  ImageDescriptor& Descriptor() { return descriptor_; }
  const ImageDescriptor& Descriptor() const { return descriptor_; }
  int Left() const { return descriptor_.Left; }
  int Top() const { return descriptor_.Top; }
  int Width() const { return descriptor_.Width; }
  int Height() const { return descriptor_.Height; }
  void SetLeft(int v) { descriptor_.Left = static_cast<std::uint16_t>(v); }
  void SetTop(int v) { descriptor_.Top = static_cast<std::uint16_t>(v); }
  // Sets the size and the pixel data together (Width × Height indices, rows from the top).
  // Throws std::invalid_argument when the sizes disagree or are beyond 65535.
  void SetPixelData(int width, int height, std::vector<std::uint8_t> data);
  // Sets the descriptor size and makes the pixel data Width × Height bytes of `fill`.
  void SetSize(int width, int height, std::uint8_t fill = 0);

  std::vector<std::uint8_t>& Data() { return data_; }
  const std::vector<std::uint8_t>& Data() const { return data_; }
  std::size_t DataSize() const { return data_.size(); }
  // The colour index at (x, y); "Bild ist leer" / "Ungültige Pixel-Koordinaten".
  int Pixels(int x, int y) const;

  GIFLocalColorMap& ColorMap() { return colorMap_; }
  const GIFLocalColorMap& ColorMap() const { return colorMap_; }
  // The local map when it has entries, else the global one when that has, else the empty local map.
  GIFColorMap& ActiveColorMap();
  const GIFColorMap& ActiveColorMap() const;

  GIFExtensionList& Extensions() { return extensions_; }
  const GIFExtensionList& Extensions() const { return extensions_; }
  // The first graphic control block created for the frame, or nullptr.
  GIFGraphicControlExtension* GraphicControlExtension() const { return gce_; }

  bool Interlaced() const { return descriptor_.PackedFields & 0x40; }
  void SetInterlaced(bool value);
  bool Empty() const { return data_.empty() || descriptor_.Width == 0 || descriptor_.Height == 0; }
  // 2 (89a) when the frame has an extension block or an optimised local map, else 1 (87a).
  int GetVersion() const;

  // Copies position, size, pixels, the source's active map as local map and all extensions.
  void Assign(const GIFFrame& source);

private:
  friend class GIFImage;
  friend class GIFImageList;
  friend class GIFExtensionList;
  explicit GIFFrame(GIFImage& image) : image_(&image), extensions_(*this) {}

  GIFImage* image_;
  ImageDescriptor descriptor_;
  std::vector<std::uint8_t> data_;
  GIFLocalColorMap colorMap_;
  GIFExtensionList extensions_;
  GIFGraphicControlExtension* gce_ = nullptr;
};

class GIFImageList {
public:
  int Count() const { return static_cast<int>(items_.size()); }
  GIFFrame& Frames(int index) const { return *items_.at(static_cast<std::size_t>(index)); }
  GIFFrame& operator[](int index) const { return Frames(index); }
  // Releases the frame.
  void Delete(int index);
  void Clear() { items_.clear(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

private:
  friend class GIFImage;
  friend class GIFFrame;
  std::vector<std::unique_ptr<GIFFrame>> items_;
};

// A bitmap made ready to become a frame: palette and indices, reduced when the bitmap had
// more than 8 bits per pixel, source transparency resolved. PrepareFrame is a pure function
// of its arguments, so frames can be prepared on worker threads and added on the owning
// thread with GIFImage::Add(PreparedFrame); Add(Bitmap) is exactly Add(PrepareFrame(...)).
struct PreparedFrame {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;
  std::vector<Rgb> Colors;
  bool Optimized = false;                        // the local map's flag
  std::optional<std::uint8_t> TransparentIndex;  // a graphic control block with this index is made
  std::vector<std::pair<Severity, std::string>> Warnings; // reported when added
};

// "Ungültige Bildgröße" for a side beyond 65535, "Bild ist zu groß: …" for more pixels than
// the readers take (gif::limits.maxFramePixels), both before any reduction.
PreparedFrame PrepareFrame(const Bitmap& bitmap, const ReductionSettings& settings = {});

// "Bild ist zu groß: …" for a frame, or all frames of an image together, beyond gif::limits;
// empty within them.
std::string FrameSizeRefusal(int width, int height);
std::string TotalSizeRefusal(std::size_t pixels);

// ---------------------------------------------------------------------------------------
// The image

class GIFImage {
public:
  GIFImage();
  ~GIFImage();
  GIFImage(const GIFImage&) = delete;
  GIFImage& operator=(const GIFImage&) = delete;

  GIFHeader& Header() { return header_; }
  const GIFHeader& Header() const { return header_; }
  GIFGlobalColorMap& GlobalColorMap() { return header_.ColorMap(); }
  const GIFGlobalColorMap& GlobalColorMap() const { return header_.ColorMap(); }
  GIFImageList& Images() { return images_; }
  const GIFImageList& Images() const { return images_; }

  int Width() const { return header_.Descriptor().ScreenWidth; }
  int Height() const { return header_.Descriptor().ScreenHeight; }
  // A value outside 0..65535 becomes 0; then raised to the largest Left + Width (Top + Height)
  // of the frames.
  void SetWidth(int value);
  void SetHeight(int value);
  // Grows the logical screen to hold the frame (warning when a grown side was not 0).
  void GrowScreenFor(const GIFFrame& frame);

  // Pixel data of all frames.
  std::size_t PixelCount() const;
  // Largest BitsPerPixel of the global map and of all local maps.
  int BitsPerPixel() const;

  TColorReduction ColorReduction = rmQuantize;
  int ReductionBits = 8;
  TDitherMode DitherMode = dmFloydSteinberg;
  ReductionSettings Reduction() const { return {ColorReduction, DitherMode, ReductionBits, {}}; }

  // Receives every problem; without it, warnings are dropped. Errors are thrown in any case
  // (after the callback has seen them).
  WarningCallback OnWarning;
  void Warning(Severity severity, const std::string& message) const;

  // Adding frames. Each returns the new frame (the last one for an image source). A failure
  // leaves the image as it was. A frame that would take the image's pixels beyond what the
  // readers take (gif::limits.maxTotalPixels) is refused with "Bild ist zu groß: …".
  GIFFrame& Add(const Bitmap& bitmap);
  GIFFrame& Add(const PreparedFrame& prepared);
  GIFFrame& Add(const GIFImage& source);
  GIFFrame& Add(const GIFFrame& source);
  // Clears the image, then makes one frame (bitmap) or copies header, settings and frames.
  void Assign(const Bitmap& bitmap);
  void Assign(const GIFImage& source);
  // Frames, global map and screen descriptor.
  void Clear();

  // Merges all colour maps into one global map ordered by use (ColorMapOptimizer.cpp).
  void OptimizeColorMap();

  // Writes the GIF file; SaveToFile replaces the file only when writing succeeded. An image
  // its own readers would refuse (gif::limits) is not written ("Bild ist zu groß: …").
  void SaveToFile(const std::string& fileName);
  void SaveToStream(std::ostream& stream);
  std::vector<std::uint8_t> SaveToBytes();

  // Reading (defined with the GIF reader): clears the image first.
  void LoadFromFile(const std::string& fileName);
  void LoadFromStream(std::istream& stream);

private:
  friend class GIFFrame;
  GIFHeader header_;
  GIFImageList images_;
};

} // namespace framora
