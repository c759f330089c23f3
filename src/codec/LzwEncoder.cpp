#include "codec/LzwEncoder.h"

#include "codec/Error.h"
#include "codec/GIFImage.h"

#include <cstring>
#include <memory>
#include <stdexcept>

namespace framora {

namespace {

constexpr int kMaxCode = 4095;
// Open addressing; at most 4094 strings live at once, so the table stays under half full.
constexpr int kTableBits = 13;
constexpr std::uint32_t kTableSize = 1u << kTableBits;
constexpr std::uint32_t kEmpty = 0xFFFFFFFFu; // prefix 4095 never exists, so no real entry looks like this

// An entry packs the key (prefix code << 8 | pixel, 20 bits) above the 12-bit code.
class StringTable {
public:
  StringTable() : slots_(new std::uint32_t[kTableSize]) { Clear(); }
  void Clear() { std::memset(slots_.get(), 0xFF, kTableSize * sizeof(std::uint32_t)); }

  // Code of the string, or -1 with `slot` left where it would go.
  int Find(std::uint32_t key, std::uint32_t& slot) const {
    std::uint32_t i = (key * 2654435761u) >> (32 - kTableBits);
    for (;;) {
      const std::uint32_t e = slots_[i];
      if (e == kEmpty) {
        slot = i;
        return -1;
      }
      if ((e >> 12) == key) return static_cast<int>(e & 0xFFF);
      i = (i + 1) & (kTableSize - 1);
    }
  }
  void Put(std::uint32_t slot, std::uint32_t key, int code) { slots_[slot] = (key << 12) | static_cast<std::uint32_t>(code); }

private:
  std::unique_ptr<std::uint32_t[]> slots_;
};

// Packs codes LSB first and cuts the bytes into sub-blocks.
class CodeWriter {
public:
  explicit CodeWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  void Put(int code, int width) {
    acc_ |= static_cast<std::uint64_t>(code) << bits_;
    bits_ += width;
    while (bits_ >= 8) {
      Byte(static_cast<std::uint8_t>(acc_));
      acc_ >>= 8;
      bits_ -= 8;
    }
  }
  void Finish() {
    if (bits_ > 0) Byte(static_cast<std::uint8_t>(acc_));
    acc_ = 0;
    bits_ = 0;
    if (fill_ > 0) Flush();
  }

private:
  void Byte(std::uint8_t b) {
    block_[fill_++] = b;
    if (fill_ == 255) Flush();
  }
  void Flush() {
    out_.push_back(static_cast<std::uint8_t>(fill_));
    out_.insert(out_.end(), block_, block_ + fill_);
    fill_ = 0;
  }

  std::vector<std::uint8_t>& out_;
  std::uint64_t acc_ = 0;
  int bits_ = 0;
  std::uint8_t block_[255];
  int fill_ = 0;
};

} // namespace

void LzwEncode(const std::uint8_t* pixels, std::size_t count, int minCodeSize, int colorLimit,
               std::vector<std::uint8_t>& out) {
  if (minCodeSize < 2 || minCodeSize > 8) throw std::invalid_argument("LZW code size");
  const int clearCode = 1 << minCodeSize;
  const int endCode = clearCode + 1;
  const unsigned limit = colorLimit < 0 ? 0u : static_cast<unsigned>(colorLimit);

  StringTable table;
  CodeWriter writer(out);
  int width = minCodeSize + 1;
  int nextCode = endCode + 1;

  // After each code, the reader will have one more string; widen when it no longer fits.
  auto emit = [&](int code) {
    writer.Put(code, width);
    if (nextCode > (1 << width) - 1 && width < 12) ++width;
  };

  emit(clearCode);
  if (count > 0) {
    if (pixels[0] >= limit) throw CodecError(gifmsg::ColorNotInMap);
    int current = pixels[0];
    for (std::size_t i = 1; i < count; ++i) {
      const std::uint8_t p = pixels[i];
      if (p >= limit) throw CodecError(gifmsg::ColorNotInMap);
      const std::uint32_t key = (static_cast<std::uint32_t>(current) << 8) | p;
      std::uint32_t slot;
      const int code = table.Find(key, slot);
      if (code >= 0) {
        current = code;
        continue;
      }
      emit(current);
      if (nextCode >= kMaxCode) {
        emit(clearCode);
        table.Clear();
        nextCode = endCode + 1;
        width = minCodeSize + 1;
      } else {
        table.Put(slot, key, nextCode++);
      }
      current = p;
    }
    emit(current);
  }
  emit(endCode);
  writer.Finish();
}

} // namespace framora
