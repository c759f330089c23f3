#include "codec/GifBlockScanner.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace framora::gif {

bool GifBlockScanner::readU8(std::uint8_t& v) {
  if (pos_ >= size_) return false;
  v = data_[pos_++];
  return true;
}

bool GifBlockScanner::peekU8(std::uint8_t& v) const {
  if (pos_ >= size_) return false;
  v = data_[pos_];
  return true;
}

bool GifBlockScanner::readU16(std::uint16_t& v) {
  if (remaining() < 2) { pos_ = size_; return false; }
  v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
  pos_ += 2;
  return true;
}

bool GifBlockScanner::readBytes(void* dst, std::size_t n) {
  if (remaining() < n) { pos_ = size_; return false; }
  if (n) std::memcpy(dst, data_ + pos_, n);
  pos_ += n;
  return true;
}

bool GifBlockScanner::skip(std::size_t n) {
  if (remaining() < n) { pos_ = size_; return false; }
  pos_ += n;
  return true;
}

bool GifBlockScanner::readScreenDescriptor(ScreenDescriptor& sd) {
  if (remaining() < 7) { pos_ = size_; return false; }
  const std::uint8_t* p = data_ + pos_;
  sd.width = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
  sd.height = static_cast<std::uint16_t>(p[2] | (p[3] << 8));
  sd.packed = p[4];
  sd.backgroundIndex = p[5];
  sd.aspectRatio = p[6];
  pos_ += 7;
  return true;
}

bool GifBlockScanner::readImageDescriptorFields(ImageDescriptor& id) {
  if (remaining() < 9) { pos_ = size_; return false; }
  const std::uint8_t* p = data_ + pos_;
  id.left = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
  id.top = static_cast<std::uint16_t>(p[2] | (p[3] << 8));
  id.width = static_cast<std::uint16_t>(p[4] | (p[5] << 8));
  id.height = static_cast<std::uint16_t>(p[6] | (p[7] << 8));
  id.packed = p[8];
  pos_ += 9;
  return true;
}

bool GifBlockScanner::readColorTable(int entries, std::vector<Rgb>& table) {
  const std::size_t bytes = static_cast<std::size_t>(entries) * 3;
  if (entries < 0 || remaining() < bytes) { pos_ = size_; return false; }
  table.resize(static_cast<std::size_t>(entries));
  const std::uint8_t* p = data_ + pos_;
  for (int i = 0; i < entries; ++i, p += 3) table[static_cast<std::size_t>(i)] = Rgb{p[0], p[1], p[2]};
  pos_ += bytes;
  return true;
}

GifBlockScanner::SubBlock GifBlockScanner::nextSubBlock(const std::uint8_t*& data, std::size_t& length) {
  std::uint8_t n = 0;
  if (!readU8(n)) return SubBlock::Truncated;
  if (n == 0) { length = 0; data = data_ + pos_; return SubBlock::Terminator; }
  if (remaining() < n) {
    data = data_ + pos_;
    length = remaining();
    pos_ = size_;
    return SubBlock::Truncated;
  }
  data = data_ + pos_;
  length = n;
  pos_ += n;
  return SubBlock::Data;
}

bool GifBlockScanner::skipSubBlocks() {
  for (;;) {
    if (pos_ >= size_) return false;
    const std::uint8_t n = data_[pos_++];
    if (n == 0) return true;
    if (remaining() < n) { pos_ = size_; return false; }
    pos_ += n;
  }
}

bool GifBlockScanner::collectSubBlocks(std::vector<std::uint8_t>& out) {
  // One pass to size the payload, then one copy.
  std::size_t scan = pos_, total = 0;
  bool complete = false;
  while (scan < size_) {
    const std::uint8_t n = data_[scan++];
    if (n == 0) { complete = true; break; }
    const std::size_t take = std::min<std::size_t>(n, size_ - scan);
    total += take;
    scan += take;
  }
  const std::size_t base = out.size();
  out.resize(base + total);
  std::uint8_t* dst = out.data() + base;
  while (pos_ < scan) {
    const std::uint8_t n = data_[pos_++];
    if (n == 0) break;
    const std::size_t take = std::min<std::size_t>(n, size_ - pos_);
    if (take) std::memcpy(dst, data_ + pos_, take);
    dst += take;
    pos_ += take;
  }
  pos_ = scan;
  return complete;
}

bool GifBlockScanner::readGraphicControl(GraphicControl& gc, bool& complete) {
  const std::uint8_t* p = nullptr;
  std::size_t n = 0;
  gc = GraphicControl{};
  complete = false;
  switch (nextSubBlock(p, n)) {
  case SubBlock::Truncated:
    gc.size = static_cast<std::uint8_t>(std::min<std::size_t>(n, 255));
    if (n >= 1) gc.packed = p[0];
    if (n >= 3) gc.delay = static_cast<std::uint16_t>(p[1] | (p[2] << 8));
    return false;
  case SubBlock::Terminator:
    gc.size = 0;
    return true;
  case SubBlock::Data:
    gc.size = static_cast<std::uint8_t>(std::min<std::size_t>(n, 255));
    if (n >= 1) gc.packed = p[0];
    if (n >= 3) gc.delay = static_cast<std::uint16_t>(p[1] | (p[2] << 8));
    if (n >= 4) gc.transparentIndex = p[3];
    complete = n >= 4;
    return skipSubBlocks();
  }
  return false;
}

std::size_t maxLzwOutput(std::size_t dataBytes, int minCodeSize) {
  // Codes are at least minCodeSize + 1 bits wide; the i-th code after a clear stands for at
  // most i + 1 pixels, and no code for more than the dictionary's longest string.
  const std::size_t n = dataBytes * 8 / static_cast<std::size_t>(std::max(1, minCodeSize + 1));
  const std::size_t longest = 8193;
  if (n <= 2 * longest) return n * (n + 1) / 2;
  return n * longest;
}

void deinterlace(const std::uint8_t* src, std::uint8_t* dst, int width, int height) {
  static constexpr int kStart[4] = {0, 4, 2, 1};
  static constexpr int kStep[4] = {8, 8, 4, 2};
  const std::size_t w = static_cast<std::size_t>(width);
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < height; y += kStep[pass]) {
      std::memcpy(dst + w * static_cast<std::size_t>(y), src, w);
      src += w;
    }
}

} // namespace framora::gif
