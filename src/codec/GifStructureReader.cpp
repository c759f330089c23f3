#include "codec/GifStructureReader.h"

#include "codec/LzwDecoder.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

namespace framora::gif {

const Wording kGerman{{
    "Ungültige GIF-Signatur",
    "Vorzeitiges Datenende",
    "Unbekannter Erweiterungstyp",
    "Ungültige GIF-Daten",
    "Nicht unterstützte Blockgröße für Anwendungserweiterung",
    "Unbekannter GIF-Blocktyp",
    "Ungültiger Bild-Trailer",
    "Ungültige Bildgröße",
    "Bild überschreitet logische Bildschirmgröße",
    "Keine globale oder lokale Farbtabelle definiert",
    "Bild ist zu groß",
}};

const Wording kEnglish{{
    "Invalid GIF signature",
    "Premature end of data",
    "Unknown extension type",
    "Invalid GIF data",
    "Unsupported Application Extension block size",
    "Unknown GIF block type",
    "Invalid image trailer",
    "Invalid image size",
    "Image exceeds Logical Screen size",
    "No global or local color table defined",
    "Image too large",
}};

int RawFrame::firstGraphicControl() const {
  for (std::size_t i = 0; i < extensions.size(); ++i)
    if (extensions[i].label == kLabelGraphicControl) return static_cast<int>(i);
  return -1;
}

void GifStructureReader::fail(Msg m) const { throw CodecError(w_[m]); }

void GifStructureReader::warn(Msg m) const {
  if (warn_) warn_(Severity::gsWarning, w_[m]);
}

namespace {
bool isGif(const char* p) {
  return std::toupper(static_cast<unsigned char>(p[0])) == 'G' && std::toupper(static_cast<unsigned char>(p[1])) == 'I' &&
         std::toupper(static_cast<unsigned char>(p[2])) == 'F';
}
} // namespace

bool HasSignature(const std::uint8_t* head, std::size_t size) {
  const char* p = reinterpret_cast<const char*>(head);
  return size >= kSignatureBytes && (isGif(p) || isGif(p + 4));
}

void CheckSignature(const std::uint8_t* head, std::size_t size, const Wording& wording) {
  if (size >= kSignatureBytes && !HasSignature(head, size)) throw CodecError(wording[Msg::BadSignature]);
}

void GifStructureReader::read(const std::uint8_t* data, std::size_t size, RawImage& out) {
  GifBlockScanner scan(data, size);
  out = RawImage{};
  pixelsAllocated_ = 0;
  fillPixels_ = 0;
  struct Consumed {  // records how far reading got, whatever way it ends
    RawImage& img; GifBlockScanner& scan;
    ~Consumed() { img.consumed = scan.position(); }
  } consumed{out, scan};

  // Some writers put 4 bytes before the signature; try there when the start is not "GIF".
  if (!scan.readBytes(out.signature, 6) || !isGif(out.signature)) {
    scan.seek(4);
    if (!scan.readBytes(out.signature, 6) || !isGif(out.signature)) fail(size < 6 ? Msg::PrematureEnd : Msg::BadSignature);
  }
  if (!scan.readScreenDescriptor(out.screen)) fail(Msg::PrematureEnd);
  if (out.screen.hasGlobalTable() && !scan.readColorTable(out.screen.globalTableSize(), out.globalTable))
    fail(Msg::PrematureEnd);

  for (;;) {
    std::uint8_t b = 0;
    if (!scan.peekU8(b)) { warn(Msg::BadTrailer); return; }
    if (b == 0) { scan.skip(1); continue; }
    if (b == kTrailer) { scan.skip(1); return; }
    if (b != kExtensionIntroducer && b != kImageSeparator) { warn(Msg::UnknownBlockType); return; }

    // One frame: its extensions, then its image (or the trailer / end of data).
    RawFrame frame;
    bool ended = false;
    try {
      for (;;) {
        if (!scan.peekU8(b)) { ended = true; break; }
        if (b == 0) { scan.skip(1); continue; }
        if (b == kTrailer) break;
        if (b != kExtensionIntroducer) break;
        scan.skip(1);
        RawExtension ext;
        const bool complete = readExtension(scan, ext);
        frame.extensions.push_back(std::move(ext));
        if (!complete) { ended = true; break; }
      }
      if (!ended && b != kTrailer) {
        std::uint8_t sep = 0;
        scan.readU8(sep);
        if (sep != kImageSeparator) fail(Msg::BadData);
        frame.hasImage = true;
        readImage(scan, out, frame);
      }
    } catch (...) {
      if (frame.hasImage || !frame.extensions.empty()) out.frames.push_back(std::move(frame));
      throw;
    }
    if (frame.hasImage || !frame.extensions.empty()) out.frames.push_back(std::move(frame));
    if (ended) { warn(Msg::BadTrailer); return; }
  }
}

// Returns false when the data ended inside the block after a warning-only problem.
bool GifStructureReader::readExtension(GifBlockScanner& scan, RawExtension& ext) {
  if (!scan.readU8(ext.label)) fail(Msg::PrematureEnd);
  switch (ext.label) {
  case kLabelGraphicControl: {
    bool complete = false;
    const bool ok = scan.readGraphicControl(ext.gc, complete);
    if (!ok || !complete) warn(Msg::PrematureEnd);
    return ok;
  }
  case kLabelPlainText:
  case kLabelComment: {
    for (;;) {
      const std::uint8_t* p = nullptr;
      std::size_t n = 0;
      const auto kind = scan.nextSubBlock(p, n);
      if (kind == GifBlockScanner::SubBlock::Truncated) fail(Msg::PrematureEnd);
      if (kind == GifBlockScanner::SubBlock::Terminator) return true;
      ext.subBlocks.emplace_back(p, p + n);
    }
  }
  case kLabelApplication: {
    const std::uint8_t* p = nullptr;
    std::size_t n = 0;
    auto kind = scan.nextSubBlock(p, n);
    if (kind == GifBlockScanner::SubBlock::Truncated) fail(Msg::PrematureEnd);
    if (n < 10) fail(Msg::AppBlockSize);
    std::memcpy(ext.identifier.data(), p, 8);
    std::memcpy(ext.authentication.data(), p + 8, std::min<std::size_t>(3, n - 8));
    ext.loop = n == 11 && (std::memcmp(p, "NETSCAPE2.0", 11) == 0 || std::memcmp(p, "ANIMEXTS1.0", 11) == 0);
    for (;;) {
      kind = scan.nextSubBlock(p, n);
      if (kind == GifBlockScanner::SubBlock::Truncated) fail(Msg::PrematureEnd);
      if (kind == GifBlockScanner::SubBlock::Terminator) return true;
      if (ext.loop) {
        if (p[0] == 1) {
          if (n < 3) fail(Msg::BadData);
          ext.loops = static_cast<std::uint16_t>(p[1] | (p[2] << 8));
        } else if (p[0] == 2) {
          if (n < 5) fail(Msg::BadData);
          ext.bufferSize = static_cast<std::uint32_t>(p[1] | (p[2] << 8) | (p[3] << 16)) | (static_cast<std::uint32_t>(p[4]) << 24);
        }
      } else {
        ext.subBlocks.emplace_back(p, p + n);
      }
    }
  }
  default:
    fail(Msg::UnknownExtension);
  }
}

void GifStructureReader::readImage(GifBlockScanner& scan, RawImage& img, RawFrame& frame) {
  ImageDescriptor& d = frame.descriptor;
  if (!scan.readImageDescriptorFields(d)) fail(Msg::PrematureEnd);
  if (d.width == 0 || d.height == 0) {
    warn(Msg::ExceedsScreen);
    if (d.width == 0) d.width = img.screen.width;
    if (d.height == 0) d.height = img.screen.height;
  }
  // A frame reaching past 65535 is moved back so that it ends at the edge.
  if (d.left + d.width > 65535 || d.top + d.height > 65535) {
    warn(Msg::BadImageSize);
    if (d.left + d.width > 65535) d.left = static_cast<std::uint16_t>(65535 - d.width);
    if (d.top + d.height > 65535) d.top = static_cast<std::uint16_t>(65535 - d.height);
  }
  if (d.hasLocalTable() && !scan.readColorTable(d.localTableSize(), frame.localTable)) fail(Msg::PrematureEnd);

  std::uint8_t codeSize = 0;
  const bool haveCodeSize = scan.readU8(codeSize);
  if (haveCodeSize && codeSize > LzwDecoder::kMaxMinCodeSize) {
    warn(Msg::BadData);
    scan.skipSubBlocks();
    return;
  }
  std::vector<std::uint8_t> lzw;
  const bool complete = haveCodeSize && scan.collectSubBlocks(lzw);
  const std::size_t pixels = static_cast<std::size_t>(d.width) * d.height;
  const std::size_t reachable = haveCodeSize ? maxLzwOutput(lzw.size(), codeSize) : 0;
  const std::size_t fillOnly = pixels > reachable ? pixels - reachable : 0;
  if (pixels > limits.maxFramePixels || pixelsAllocated_ + pixels > limits.maxTotalPixels ||
      fillPixels_ + fillOnly > limits.maxFillPixels)
    fail(Msg::TooLarge);
  pixelsAllocated_ += pixels;
  fillPixels_ += fillOnly;

  // Pixels the data does not reach keep the transparent index (or 0).
  std::uint8_t fill = 0;
  const int gce = frame.firstGraphicControl();
  if (gce >= 0 && frame.extensions[static_cast<std::size_t>(gce)].gc.transparent())
    fill = frame.extensions[static_cast<std::size_t>(gce)].gc.transparentIndex;
  frame.pixels.assign(pixels, fill);
  frame.hasPixels = pixels > 0;
  if (!haveCodeSize) { warn(Msg::PrematureEnd); return; }

  if (pixels == 0) { if (!complete) warn(Msg::PrematureEnd); return; }
  std::unique_ptr<std::uint8_t[]> rows;
  std::uint8_t* target = frame.pixels.data();
  if (d.interlaced()) {
    rows.reset(new std::uint8_t[pixels]);
    std::fill_n(rows.get(), pixels, fill);
    target = rows.get();
  }
  auto decoder = std::make_unique<LzwDecoder>();
  const auto r = decoder->decode(lzw.data(), lzw.size(), codeSize, target, pixels);
  if (d.interlaced()) deinterlace(rows.get(), frame.pixels.data(), d.width, d.height);
  if (r.status == LzwDecoder::Status::InvalidCode) warn(Msg::BadData);
  else if (!complete || r.written < pixels) warn(Msg::PrematureEnd);
}

} // namespace framora::gif
