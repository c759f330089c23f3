#pragma once
// The strict block walk shared by the GIF model reader and the GIF picture of the picture
// loader. Both accept the same structure and differ in the wording of their messages
// (German for the model, English for the picture) and in what they build from the result.
#include "codec/Bitmap.h"
#include "codec/Error.h"
#include "codec/GifBlockScanner.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace framora::gif {

enum class Msg {
  BadSignature, PrematureEnd, UnknownExtension, BadData, AppBlockSize,
  UnknownBlockType, BadTrailer, BadImageSize, ExceedsScreen, NoColorTable, TooLarge,
  Count_
};

struct Wording {
  std::array<const char*, static_cast<int>(Msg::Count_)> text;
  const char* operator[](Msg m) const { return text[static_cast<int>(m)]; }
};
extern const Wording kGerman;
extern const Wording kEnglish;

struct RawExtension {
  std::uint8_t label = 0;
  GraphicControl gc;                       // label 0xF9
  std::array<std::uint8_t, 8> identifier{}; // label 0xFF
  std::array<std::uint8_t, 3> authentication{};
  bool loop = false;                       // NETSCAPE2.0 / ANIMEXTS1.0
  std::uint16_t loops = 0;
  std::uint32_t bufferSize = 0;
  // The data sub-blocks as read (for 0xFF: those after the identifier block).
  std::vector<std::vector<std::uint8_t>> subBlocks;
};

struct RawFrame {
  std::vector<RawExtension> extensions;
  bool hasImage = false;
  ImageDescriptor descriptor;              // zero sizes already replaced by the screen's
  std::vector<Rgb> localTable;
  bool hasPixels = false;
  std::vector<std::uint8_t> pixels;        // plain row order, width x height
  int firstGraphicControl() const;         // index into extensions, -1 without one
};

struct RawImage {
  char signature[6] = {};
  ScreenDescriptor screen;
  std::vector<Rgb> globalTable;
  std::vector<RawFrame> frames;
  std::size_t consumed = 0;                // bytes read from the start of the data
};

// The signature test of read(): "GIF" (any case) at the start or 4 bytes later, in the first
// kSignatureBytes of a file. CheckSignature throws the error read() would give.
inline constexpr std::size_t kSignatureBytes = 10;
bool HasSignature(const std::uint8_t* head, std::size_t size);
void CheckSignature(const std::uint8_t* head, std::size_t size, const Wording& wording);

// Walks data[0, size) into out. Warnings go to warn; an error throws CodecError with its
// text, leaving in out what was read before it (frames are appended as they complete).
class GifStructureReader {
public:
  GifStructureReader(const Wording& wording, WarningCallback warn) : w_(wording), warn_(std::move(warn)) {}
  void read(const std::uint8_t* data, std::size_t size, RawImage& out);

private:
  [[noreturn]] void fail(Msg m) const;
  void warn(Msg m) const;
  bool readExtension(GifBlockScanner& scan, RawExtension& ext);
  void readImage(GifBlockScanner& scan, RawImage& img, RawFrame& frame);

  const Wording& w_;
  WarningCallback warn_;
  std::size_t pixelsAllocated_ = 0;
  std::size_t fillPixels_ = 0;
};

} // namespace framora::gif
