#include "codec/PictureDecoders.h"

#include "codec/Error.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>
#include <cstdlib>
#include <cstring>

namespace framora {

namespace {
std::uint16_t u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t u32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
[[noreturn]] void bad(const char* why) { throw CodecError(std::string("Invalid icon file: ") + why); }

// A DIB as stored in icon files: header, palette, XOR picture (height doubled), AND mask.
Bitmap decodeIconDib(const std::uint8_t* p, std::size_t n) {
  if (n < 40) bad("image header too short");
  const std::uint32_t headerSize = u32(p);
  if (headerSize < 40 || headerSize > n) bad("bad image header");
  const std::int32_t w = static_cast<std::int32_t>(u32(p + 4));
  const std::int32_t h2 = static_cast<std::int32_t>(u32(p + 8));
  const int bpp = u16(p + 14);
  const std::uint32_t compression = u32(p + 16);
  std::uint32_t colorsUsed = u32(p + 32);
  if (w <= 0 || h2 == 0 || h2 == INT32_MIN || w > 65535) bad("bad image size");
  const int h = std::abs(h2) / 2;
  if (h <= 0 || h > 65535) bad("bad image size");
  if (compression != 0) bad("compressed icon images are not supported");
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) bad("unsupported colour depth");
  CheckPictureSize(static_cast<std::size_t>(w), static_cast<std::size_t>(h));

  std::size_t pos = headerSize;
  std::vector<Rgb> palette;
  if (bpp <= 8) {
    const std::uint32_t maxColors = 1u << bpp;
    if (colorsUsed == 0 || colorsUsed > maxColors) colorsUsed = maxColors;
    if (n - pos < colorsUsed * 4) bad("palette cut short");
    for (std::uint32_t i = 0; i < colorsUsed; ++i, pos += 4) palette.push_back(Rgb{p[pos + 2], p[pos + 1], p[pos]});
  }
  const std::size_t uw = static_cast<std::size_t>(w), uh = static_cast<std::size_t>(h);
  const std::size_t xorStride = (uw * static_cast<std::size_t>(bpp) + 31) / 32 * 4;
  const std::size_t andStride = (uw + 31) / 32 * 4;
  if ((n - pos) / xorStride < uh) bad("image data cut short");
  const std::uint8_t* xorBits = p + pos;
  pos += xorStride * uh;
  const bool hasAnd = (n - pos) / andStride >= uh;
  const std::uint8_t* andBits = p + pos;

  Bitmap bmp(w, h, bpp <= 8 ? bpp : 24);
  bmp.palette() = palette;
  bmp.mask.assign(uw * uh, 0);
  bool anyAlpha = false;
  for (std::size_t y = 0; y < uh; ++y) {
    const std::uint8_t* src = xorBits + (uh - 1 - y) * xorStride;  // rows bottom-up
    std::uint8_t* dst = bmp.row(static_cast<int>(y));
    for (std::size_t x = 0; x < uw; ++x) {
      switch (bpp) {
      case 1: dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1; break;
      case 4: dst[x] = (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15; break;
      case 8: dst[x] = src[x]; break;
      case 24: dst[3 * x] = src[3 * x + 2]; dst[3 * x + 1] = src[3 * x + 1]; dst[3 * x + 2] = src[3 * x]; break;
      case 32:
        dst[3 * x] = src[4 * x + 2]; dst[3 * x + 1] = src[4 * x + 1]; dst[3 * x + 2] = src[4 * x];
        if (src[4 * x + 3]) anyAlpha = true;
        bmp.mask[y * uw + x] = src[4 * x + 3] < 128;
        break;
      }
    }
  }
  // 32-bit icons carry alpha; the AND mask decides for the others (and for all-zero alpha).
  if (!(bpp == 32 && anyAlpha)) {
    std::fill(bmp.mask.begin(), bmp.mask.end(), 0);
    if (hasAnd)
      for (std::size_t y = 0; y < uh; ++y) {
        const std::uint8_t* src = andBits + (uh - 1 - y) * andStride;
        for (std::size_t x = 0; x < uw; ++x) bmp.mask[y * uw + x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
      }
  }
  FinishMask(bmp);
  if (bmp.transparent) {
    for (std::size_t i = 0; i < bmp.mask.size(); ++i)
      if (bmp.mask[i]) {
        bmp.transparentColor = bmp.pixel(static_cast<int>(i % uw), static_cast<int>(i / uw));
        break;
      }
  }
  return bmp;
}
} // namespace

Bitmap DecodeIco(const std::uint8_t* data, std::size_t size) {
  if (size < 6 || u16(data) != 0 || (u16(data + 2) != 1 && u16(data + 2) != 2)) bad("no icon header");
  const int count = u16(data + 4);
  if (count == 0) bad("no images");
  if (size < 6 + 16) bad("directory cut short");
  const std::uint8_t* e = data + 6;
  const std::uint32_t bytes = u32(e + 8), offset = u32(e + 12);
  if (offset >= size) bad("image beyond the end of the file");
  const std::size_t n = std::min<std::size_t>(bytes, size - offset);
  const std::uint8_t* p = data + offset;
  if (n >= 8 && std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0) return DecodePng(p, n);
  return decodeIconDib(p, n);
}

Bitmap DecodeAni(const std::uint8_t* data, std::size_t size) {
  if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "ACON", 4) != 0)
    throw CodecError("Invalid animated cursor file");
  // Walk the chunks (and the "fram" list) for the first "icon".
  std::size_t pos = 12, end = size;
  std::size_t listEnd = 0;
  while (pos + 8 <= end) {
    const std::uint8_t* c = data + pos;
    const std::size_t len = u32(c + 4);
    const std::size_t body = pos + 8;
    if (std::memcmp(c, "LIST", 4) == 0 && len >= 4 && body + 4 <= end && std::memcmp(data + body, "fram", 4) == 0) {
      listEnd = std::min(end, body + len);
      pos = body + 4;
      continue;
    }
    if (std::memcmp(c, "icon", 4) == 0) return DecodeIco(data + body, std::min(len, end - body));
    const std::size_t next = body + len + (len & 1);
    if (next <= pos || next > end) {
      if (listEnd && pos < listEnd) { pos = listEnd; listEnd = 0; continue; }
      break;
    }
    pos = next;
  }
  throw CodecError("Invalid animated cursor file: no icon found");
}

} // namespace framora
