#include "codec/LzwDecoder.h"

#include <algorithm>
#include <cstring>

namespace framora {

LzwDecoder::Result LzwDecoder::decode(const std::uint8_t* in, std::size_t inSize, int minCodeSize, std::uint8_t* out,
                                      std::size_t outSize) {
  Result result;
  if (minCodeSize < 0 || minCodeSize > kMaxMinCodeSize) {
    result.status = Status::InvalidCode;
    return result;
  }
  if (outSize == 0) return result;
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;
  const int maxWidth = std::max(12, minCodeSize + 1);
  const int tableLimit = 1 << maxWidth;

  int width = minCodeSize + 1;
  int next = clear + 2;
  int prev = -1;             // previous code, -1 right after a clear
  std::size_t prevOffset = 0, prevLength = 0;
  std::size_t w = 0;         // pixels written
  std::size_t inPos = 0;
  std::uint64_t bits = 0;
  int bitCount = 0;

  for (;;) {
    if (bitCount < width) {
      while (bitCount <= 56 && inPos < inSize) {
        bits |= static_cast<std::uint64_t>(in[inPos++]) << bitCount;
        bitCount += 8;
      }
      if (bitCount < width) {
        result.written = w;
        result.status = Status::EndOfData;
        return result;
      }
    }
    const int code = static_cast<int>(bits & ((1u << width) - 1));
    bits >>= width;
    bitCount -= width;

    if (code == clear) {
      width = minCodeSize + 1;
      next = clear + 2;
      prev = -1;
      continue;
    }
    if (code == end) break;

    const std::size_t start = w;
    std::size_t length;
    if (code < clear) {
      out[w++] = static_cast<std::uint8_t>(code);
      length = 1;
    } else if (prev < 0 || code > next || (code == next && next >= tableLimit)) {
      result.written = w;
      result.status = Status::InvalidCode;
      return result;
    } else if (code < next) {
      length = length_[code];
      const std::uint8_t* src = out + offset_[code];  // an entry always lies wholly before w
      if (length <= 16 && outSize - w >= 16) {
        // Short strings: two fixed 8-byte moves (loaded before stored); bytes beyond the
        // string are overwritten by the codes that follow.
        std::uint64_t a, b;
        std::memcpy(&a, src, 8);
        std::memcpy(&b, src + 8, 8);
        std::memcpy(out + w, &a, 8);
        std::memcpy(out + w + 8, &b, 8);
        w += length;
      } else {
        const std::size_t n = std::min(length, outSize - w);
        std::memcpy(out + w, src, n);
        w += n;
      }
    } else {
      // The code being defined right now: previous string plus its own first byte.
      length = prevLength + 1;
      const std::size_t n = std::min(length, outSize - w);
      if (n > 0) {
        std::memmove(out + w, out + prevOffset, std::min(prevLength, n));
        if (n == length) out[w + prevLength] = out[prevOffset];
      }
      w += n;
    }
    if (prev >= 0 && next < tableLimit) {
      offset_[next] = static_cast<std::uint32_t>(prevOffset);
      length_[next] = static_cast<std::uint16_t>(prevLength + 1);
      ++next;
      if (next == (1 << width) && width < maxWidth) ++width;
    }
    prev = code;
    prevOffset = start;
    prevLength = length;
    if (w >= outSize) break;
  }
  result.written = w;
  result.status = Status::Complete;
  return result;
}

} // namespace framora
