#include "codec/Picture.h"

#include "codec/BmpFile.h"
#include "codec/Error.h"
#include "codec/GifBlockScanner.h"
#include "codec/GifStructureReader.h"
#include "codec/InputFile.h"
#include "codec/PictureDecoders.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace framora {

namespace {

struct Registration {
  std::string_view extension;
  Picture::Kind kind;
};
// Later entries win for an extension registered twice; "gif" shadows the earlier GIF classes.
constexpr Registration kRegistry[] = {
    {"gif", Picture::Kind::Gif},  // the model
    {"gif", Picture::Kind::Gif},  // the preview image
    {"bmp", Picture::Kind::Bitmap},       {"ico", Picture::Kind::Icon},
    {"wmf", Picture::Kind::Metafile},     {"emf", Picture::Kind::Metafile},
    {"tif", Picture::Kind::Tiff},         {"tiff", Picture::Kind::Tiff},
    {"jpg", Picture::Kind::Jpeg},         {"jpeg", Picture::Kind::Jpeg},
    {"png", Picture::Kind::Png},          {"ani", Picture::Kind::AnimatedCursor},
    {"gif", Picture::Kind::Gif},  // the GIF picture
};

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// Whether the first bytes can start a file of the kind: at least as lenient as its decoder,
// which gives its own error for those that cannot.
bool PlausibleStart(Picture::Kind kind, const std::uint8_t* d, std::size_t n) {
  auto starts = [&](const char* sig, std::size_t len, std::size_t at = 0) {
    return n >= at + len && std::memcmp(d + at, sig, len) == 0;
  };
  switch (kind) {
  case Picture::Kind::Bitmap: return starts("BM", 2);
  case Picture::Kind::Png: return starts("\x89PNG\r\n\x1a\n", 8);
  case Picture::Kind::Jpeg: return starts("\xFF\xD8", 2);
  case Picture::Kind::Tiff: return starts("II", 2) || starts("MM", 2);
  case Picture::Kind::Icon: return starts("\0\0\1\0", 4) || starts("\0\0\2\0", 4);
  case Picture::Kind::AnimatedCursor: return starts("RIFF", 4) && starts("ACON", 4, 8);
  case Picture::Kind::Gif: return gif::HasSignature(d, n);
  case Picture::Kind::Ole: return Picture::Sniff(d, n) != Picture::Kind::None;
  default: return true;
  }
}

// Bytes a file of the kind may have at most, from the largest picture the decoders take: 4 a
// pixel for BMP (no row or run takes more), 16 for the others (four 32-bit samples stored
// uncompressed), the GIF readers' own bound for GIF; plus room for headers and metadata.
std::size_t MaxFileBytes(Picture::Kind kind) {
  constexpr std::size_t kHeaders = std::size_t{1} << 20;
  switch (kind) {
  case Picture::Kind::Gif: return gif::limits.maxFileBytes();
  case Picture::Kind::Bitmap: return 4 * gif::limits.maxFramePixels + kHeaders;
  case Picture::Kind::Ole: return std::max(gif::limits.maxFileBytes(), 16 * gif::limits.maxFramePixels + kHeaders);
  default: return 16 * gif::limits.maxFramePixels + kHeaders;
  }
}

} // namespace

Picture::Kind Picture::KindForExtension(const std::string& extension) {
  if (extension.empty()) return Kind::Ole;
  const std::string ext = lower(extension);
  Kind found = Kind::None;
  for (const auto& r : kRegistry)
    if (r.extension == ext) found = r.kind;
  if (found == Kind::None) throw CodecError("Unbekannte Bilddateierweiterung (." + extension + ")");
  return found;
}

Picture::Kind Picture::Sniff(const std::uint8_t* d, std::size_t n) {
  auto starts = [&](const char* sig, std::size_t len, std::size_t at = 0) {
    return n >= at + len && std::memcmp(d + at, sig, len) == 0;
  };
  if (starts("BM", 2)) return Kind::Bitmap;
  if (starts("GIF8", 4)) return Kind::Gif;
  if (starts("\x89PNG\r\n\x1a\n", 8)) return Kind::Png;
  if (starts("\xFF\xD8\xFF", 3)) return Kind::Jpeg;
  if (starts("II*\0", 4) || starts("MM\0*", 4)) return Kind::Tiff;
  if (starts("\0\0\1\0", 4) || starts("\0\0\2\0", 4)) return Kind::Icon;
  if (starts("RIFF", 4) && starts("ACON", 4, 8)) return Kind::AnimatedCursor;
  if (starts("\xD7\xCD\xC6\x9A", 4) || starts("\x01\0\x09\0", 4) || starts(" EMF", 4, 40)) return Kind::Metafile;
  return Kind::None;
}

void Picture::LoadFromFile(const std::string& fileName) {
  const std::filesystem::path path(fileName);
  std::string ext = path.extension().string();
  if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
  const Kind kind = KindForExtension(ext);
  if (kind == Kind::Metafile)
    throw CodecError("Cannot load the Windows metafile picture (." + ext + "): no metafile decoder is available");
  InputRules rules;
  rules.maxBytes = MaxFileBytes(kind);
  rules.headBytes = 64;
  // A start the decoder refuses is refused before the rest is read, with the decoder's error.
  rules.checkHead = [kind](const std::uint8_t* head, std::size_t size) {
    if (!PlausibleStart(kind, head, size)) Picture().LoadFromMemory(head, size, kind);
  };
  rules.english = true;
  const std::vector<std::uint8_t> bytes = ReadInputFile(fileName, rules);
  LoadFromMemory(bytes.data(), bytes.size(), kind);
}

void Picture::LoadFromMemory(const std::uint8_t* data, std::size_t size, Kind kind) {
  if (kind == Kind::Ole) {
    kind = Sniff(data, size);
    if (kind == Kind::None) throw CodecError("Unrecognized picture format");
  }
  // Build the new picture completely before replacing the old one.
  framora::Bitmap bmp;
  std::shared_ptr<GifPicture> gif;
  std::string warning;
  switch (kind) {
  case Kind::Bitmap: bmp = DecodeBmp(data, size); break;
  case Kind::Icon: bmp = DecodeIco(data, size); break;
  case Kind::AnimatedCursor: bmp = DecodeAni(data, size); break;
  case Kind::Png: bmp = DecodePng(data, size); break;
  case Kind::Jpeg: bmp = DecodeJpeg(data, size, &warning); break;
  case Kind::Tiff: bmp = DecodeTiff(data, size); break;
  case Kind::Gif:
    gif = std::make_shared<GifPicture>();
    gif->LoadFromMemory(data, size);
    bmp = gif->ToBitmap();
    break;
  case Kind::Metafile: throw CodecError("Cannot load the Windows metafile picture: no metafile decoder is available");
  case Kind::None:
  case Kind::Ole: throw CodecError("Unrecognized picture format");
  }
  bitmap_ = std::move(bmp);
  gif_ = std::move(gif);
  warning_ = std::move(warning);
  kind_ = kind;
}

void Picture::Clear() {
  kind_ = Kind::None;
  bitmap_ = framora::Bitmap();
  gif_.reset();
  warning_.clear();
}

int Picture::Width() const { return gif_ ? gif_->Width() : bitmap_.width(); }
int Picture::Height() const { return gif_ ? gif_->Height() : bitmap_.height(); }

} // namespace framora
