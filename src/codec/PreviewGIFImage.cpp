#include "codec/PreviewGIFImage.h"

#include "codec/InputFile.h"
#include "codec/LzwDecoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace framora {

namespace {

[[noreturn]] void streamError() { throw CodecError("Stream read error"); }

// Makes palette[index] differ from every other entry by stepping its first byte,
// upwards first, then downwards from where it started. A palette holds at most 256
// entries, so a free value always exists.
void makeUnique(std::vector<Rgb>& palette, std::size_t index) {
  auto taken = [&](const Rgb& c) {
    for (std::size_t i = 0; i < palette.size(); ++i)
      if (i != index && palette[i] == c) return true;
    return false;
  };
  Rgb c = palette[index];
  if (!taken(c)) return;
  const int start = c.r;
  for (int r = start + 1; r <= 255; ++r) {
    c.r = static_cast<std::uint8_t>(r);
    if (!taken(c)) { palette[index] = c; return; }
  }
  for (int r = start - 1; r >= 0; --r) {
    c.r = static_cast<std::uint8_t>(r);
    if (!taken(c)) { palette[index] = c; return; }
  }
}

bool isLoopIdentifier(const std::uint8_t* p, std::size_t n) {
  return n == 11 && (std::memcmp(p, "NETSCAPE2.0", 11) == 0 || std::memcmp(p, "ANIMEXTS1.0", 11) == 0);
}

} // namespace

// ---------------------------------------------------------------- frame

const framora::Bitmap& PreviewGIFFrame::Bitmap() const {
  if (!decoded_) decode();
  return bitmap_;
}

void PreviewGIFFrame::decode() const {
  const std::size_t pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  if (pixels > gif::limits.maxFramePixels) throw CodecError("Frame too large to decode");
  framora::Bitmap bmp(width_, height_, 8);
  bmp.palette() = palette_;
  const std::uint8_t fill = transparentIndex_ ? static_cast<std::uint8_t>(*transparentIndex_) : 0;
  std::fill(bmp.data().begin(), bmp.data().end(), fill);

  bool damaged = false;
  if (pixels > 0) {
    gif::GifBlockScanner scan(file_->data(), file_->size());
    scan.seek(dataOffset_);
    std::uint8_t codeSize = 0;
    if (!scan.readU8(codeSize)) {
      damaged = true;
    } else {
      int c = codeSize;
      if (c < 2 || c > 9) { c = std::clamp(c, 2, 9); damaged = true; }
      std::vector<std::uint8_t> lzw;
      if (!scan.collectSubBlocks(lzw)) damaged = true;
      std::vector<std::uint8_t> rows;
      std::uint8_t* target = bmp.data().data();
      if (interlaced_) { rows.assign(pixels, fill); target = rows.data(); }
      LzwDecoder decoder;
      const auto r = decoder.decode(lzw.data(), lzw.size(), c, target, pixels);
      if (r.status != LzwDecoder::Status::Complete || r.written < pixels) damaged = true;
      if (interlaced_) gif::deinterlace(rows.data(), bmp.data().data(), width_, height_);
    }
  }
  bitmap_ = std::move(bmp);
  decoded_ = true;
  corrupted_ = corrupted_ || damaged;
  if (owner_) owner_->noteDecoded(this);
}

// ---------------------------------------------------------------- image

void PreviewGIFImage::noteDecoded(const PreviewGIFFrame* frame) {
  decodedPixels_ += frame->bitmap_.data().size();
  if (decodedPixels_ <= gif::limits.maxCachedPixels) return;
  // Over budget: keep only this frame decoded, the others decode again when needed.
  for (auto& f : frames_) {
    if (f.get() == frame || !f->decoded_) continue;
    f->bitmap_ = framora::Bitmap();
    f->decoded_ = false;
  }
  decodedPixels_ = frame->bitmap_.data().size();
}

void PreviewGIFImage::reset() {
  frames_.clear();
  frameIndex_ = -1;
  screenWidth_ = screenHeight_ = 0;
  backgroundColor_.reset();
  looping_ = false;
  repeatCount_ = 0;
  version_ = gvUnknown;
  truncated_ = false;
  comments_.clear();
  decodedPixels_ = 0;
}

void PreviewGIFImage::Clear() {
  reset();
  if (OnChange) OnChange();
}

void PreviewGIFImage::SetFrameIndex(int i) {
  if (frames_.empty()) { frameIndex_ = -1; return; }
  frameIndex_ = std::clamp(i, 0, Count() - 1);
}

int PreviewGIFImage::Width() const {
  return frameIndex_ >= 0 && frameIndex_ < Count() ? frames_[static_cast<std::size_t>(frameIndex_)]->Width() : 0;
}

int PreviewGIFImage::Height() const {
  return frameIndex_ >= 0 && frameIndex_ < Count() ? frames_[static_cast<std::size_t>(frameIndex_)]->Height() : 0;
}

bool PreviewGIFImage::Transparent() const {
  return std::any_of(frames_.begin(), frames_.end(), [](const auto& f) { return f->TransparentColor().has_value(); });
}

bool PreviewGIFImage::Corrupted() const {
  return std::any_of(frames_.begin(), frames_.end(), [](const auto& f) { return f->Corrupted(); });
}

InputRules PreviewGIFImage::inputRules() {
  InputRules rules;
  rules.maxBytes = gif::limits.maxFileBytes();
  rules.headBytes = 6;
  // A wrong start fails as parsing would, leaving the image empty.
  rules.checkHead = [this](const std::uint8_t* head, std::size_t size) {
    if (std::memcmp(head, "GIF87a", 6) != 0 && std::memcmp(head, "GIF89a", 6) != 0)
      parse(std::make_shared<const std::vector<std::uint8_t>>(head, head + size));
  };
  rules.english = true;
  return rules;
}

void PreviewGIFImage::LoadFromFile(const std::string& fileName) {
  parse(std::make_shared<const std::vector<std::uint8_t>>(ReadInputFile(fileName, inputRules())));
}

void PreviewGIFImage::LoadFromStream(std::istream& in) {
  parse(std::make_shared<const std::vector<std::uint8_t>>(ReadInputStream(in, inputRules())));
}

void PreviewGIFImage::LoadFromMemory(const std::uint8_t* data, std::size_t size) {
  parse(std::make_shared<const std::vector<std::uint8_t>>(data, data + size));
}

void PreviewGIFImage::parse(const std::shared_ptr<const std::vector<std::uint8_t>>& file) {
  reset();
  gif::GifBlockScanner scan(file->data(), file->size());

  char header[6];
  if (!scan.readBytes(header, 6)) streamError();
  if (std::memcmp(header, "GIF", 3) != 0) throw CodecError("Unknown GIF version");
  if (std::memcmp(header + 3, "87a", 3) == 0) version_ = gv87a;
  else if (std::memcmp(header + 3, "89a", 3) == 0) version_ = gv89a;
  else throw CodecError("Unknown GIF version");

  gif::ScreenDescriptor sd;
  if (!scan.readScreenDescriptor(sd)) streamError();
  screenWidth_ = sd.width;
  screenHeight_ = sd.height;
  std::vector<Rgb> globalTable;
  if (sd.hasGlobalTable() && !scan.readColorTable(sd.globalTableSize(), globalTable)) streamError();
  if (sd.backgroundIndex < globalTable.size()) backgroundColor_ = globalTable[sd.backgroundIndex];

  std::vector<gif::GraphicControl> pending;  // graphic control blocks since the previous image
  bool trailer = false;
  while (!trailer) {
    std::uint8_t b = 0;
    if (!scan.readU8(b)) { truncated_ = true; break; }
    switch (b) {
    case gif::kTrailer:
      trailer = true;
      break;
    case 0x00:  // padding between blocks
      break;
    case gif::kExtensionIntroducer: {
      std::uint8_t label = 0;
      if (!scan.readU8(label)) streamError();
      switch (label) {
      case gif::kLabelGraphicControl: {
        gif::GraphicControl gc;
        bool complete = false;
        if (!scan.readGraphicControl(gc, complete)) streamError();
        pending.push_back(gc);
        break;
      }
      case gif::kLabelPlainText:
        if (!scan.skipSubBlocks()) streamError();
        pending.clear();
        break;
      case gif::kLabelComment: {
        std::vector<std::uint8_t> text;
        if (!scan.collectSubBlocks(text)) streamError();
        comments_.emplace_back(text.begin(), text.end());
        break;
      }
      case gif::kLabelApplication: {
        const std::uint8_t* p = nullptr;
        std::size_t n = 0;
        auto kind = scan.nextSubBlock(p, n);
        if (kind == gif::GifBlockScanner::SubBlock::Truncated) streamError();
        if (kind == gif::GifBlockScanner::SubBlock::Terminator) break;
        const bool loop = isLoopIdentifier(p, n);
        for (;;) {
          kind = scan.nextSubBlock(p, n);
          if (kind == gif::GifBlockScanner::SubBlock::Truncated) streamError();
          if (kind == gif::GifBlockScanner::SubBlock::Terminator) break;
          if (loop && n >= 3 && p[0] == 1 && !looping_) {  // the first loop block counts
            looping_ = true;
            repeatCount_ = std::min(p[1] | (p[2] << 8), 30000);
          }
        }
        break;
      }
      default: {
        char text[64];
        std::snprintf(text, sizeof text, "Unrecognized extension block: %.2x", label);
        throw CodecError(text);
      }
      }
      break;
    }
    case gif::kImageSeparator: {
      gif::ImageDescriptor id;
      if (!scan.readImageDescriptorFields(id)) streamError();
      auto frame = std::make_unique<PreviewGIFFrame>();
      frame->owner_ = this;
      frame->file_ = file;
      frame->left_ = id.left;
      frame->top_ = id.top;
      frame->width_ = id.width ? id.width : sd.width;
      frame->height_ = id.height ? id.height : sd.height;
      frame->interlaced_ = id.interlaced();
      if (id.hasLocalTable()) {
        if (!scan.readColorTable(id.localTableSize(), frame->palette_)) streamError();
      } else {
        frame->palette_ = globalTable;
      }
      for (const auto& gc : pending)
        frame->animateInterval_ = std::max(frame->animateInterval_, 10 * gc.delay);
      if (!pending.empty()) {
        const auto& gc = pending.back();
        frame->disposal_ = static_cast<PreviewGIFFrame::TDisposalMethod>(gc.disposal());
        if (gc.transparent() && gc.transparentIndex < frame->palette_.size()) {
          makeUnique(frame->palette_, gc.transparentIndex);
          frame->transparentIndex_ = gc.transparentIndex;
          frame->transparentColor_ = frame->palette_[gc.transparentIndex];
        }
      }
      pending.clear();
      frame->dataOffset_ = scan.position();
      std::uint8_t codeSize = 0;
      if (!scan.readU8(codeSize)) streamError();
      const bool complete = scan.skipSubBlocks();  // a cut-off last image is damaged data, not a failure
      frames_.push_back(std::move(frame));
      if (!complete) { truncated_ = true; trailer = true; }
      break;
    }
    default:
      // A byte that starts no block: nothing after it can be trusted.
      truncated_ = true;
      trailer = true;
      break;
    }
  }

  if (!frames_.empty()) {
    frameIndex_ = 0;
    try {
      frames_.front()->Bitmap();
    } catch (...) {
      frames_.erase(frames_.begin());
      frameIndex_ = frames_.empty() ? -1 : 0;
      throw;
    }
  }
  if (OnChange) OnChange();
}

} // namespace framora
